#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "draw/draw_fixture.h"
#include "platform/backend/headless/headless.h"
#include "platform/backend/headless/headless_audio.h"
#include "platform/release_log.h"
#include "platform/win/win.h"

namespace {

using krDraw::display;

// The Buffer and Screen objects come nameless; they and the 3D surface are keyed with black;
// presenting copies the Back surface to the screen in the display mode's size.
TEST_F(DrawTest, FullScreenOnTheDefaultDeviceCopiesAnOffscreenBack) {
    ASSERT_EQ(OpenDisplay(), 1);
    EXPECT_TRUE(headless::Boxes().empty());
    EXPECT_EQ(display.accelerator, 0);
    EXPECT_EQ(display.stretch, 1);  // software blits stretch
    EXPECT_EQ(display.front->Caps() & dd::DDSCAPS_FLIP, 0u);
    EXPECT_NE(display.back->Caps() & dd::DDSCAPS_OFFSCREENPLAIN, 0u);
    EXPECT_EQ(krDraw::sprites[krDraw::kBufferObject].name[0], '\0');
    EXPECT_EQ(krDraw::sprites[krDraw::kScreenObject].name[0], '\0');
    for (dd::Surface* surface :
         {krDraw::sprites[krDraw::kBufferObject].surface,
          krDraw::sprites[krDraw::kScreenObject].surface, display.surface3D}) {
        dd::DDCOLORKEY key{1, 1};
        EXPECT_EQ(surface->GetColorKey(dd::DDCKEY_SRCBLT, &key), dd::DD_OK);
        EXPECT_EQ(std::tie(key.dwColorSpaceLowValue, key.dwColorSpaceHighValue),
                  std::make_tuple(0u, 0u));
    }
    Paint(display.back, kRed);
    krDraw::Flip();
    EXPECT_EQ(headless::LastPicture().width, 640);  // the display mode, not the desktop
    EXPECT_EQ(headless::LastPicture().height, 480);
    EXPECT_EQ(headless::LastPicture().At(639, 479), kRed);
}

TEST_F(DrawTest, ASecondary3DDeviceGivesAFlipChain) {
    dd::test::AddSecondary3DDevice();
    ASSERT_EQ(OpenDisplay(), 1);
    EXPECT_EQ(display.accelerator, 1);
    EXPECT_NE(display.front->Caps() & dd::DDSCAPS_FLIP, 0u);
    EXPECT_NE(display.back->Caps() & dd::DDSCAPS_BACKBUFFER, 0u);
    Paint(display.back, kBlue);
    const int presents = headless::PresentCount();
    krDraw::Flip();
    EXPECT_EQ(headless::PresentCount(), presents + 1);
    EXPECT_EQ(headless::LastPicture().At(320, 240), kBlue);
    // The flip keeps trying through a loss, restoring the surfaces in between.
    dd::LoseAllSurfaces();
    const dd::DDBLTFX fill{sizeof(dd::DDBLTFX), 0};
    EXPECT_EQ(display.back->Blt(nullptr, nullptr, nullptr, dd::DDBLT_COLORFILL, &fill),
              dd::DDERR_SURFACELOST);
    krDraw::Flip();
    EXPECT_EQ(display.front->IsLost(), dd::DD_OK);
    EXPECT_EQ(display.back->IsLost(), dd::DD_OK);
    EXPECT_EQ(headless::PresentCount(), presents + 2);
}

// The window owns its picture: it is shown whole wherever the window is, on the desktop, over
// its edges or on a second monitor, and the window's position reads signed.
TEST_F(DrawTest, WindowedKeepsTheDesktopFormatAndShowsThePictureWhereverTheWindowIs) {
    headless::SetDesktop(1024, 768, 32);
    ASSERT_EQ(OpenDisplay(false, -1, 0), 1);  // the default size is the game's screen
    EXPECT_EQ(std::tie(krSystemState.screenWidth, krSystemState.screenHeight),
              std::make_tuple(640, 480));
    EXPECT_EQ(display.redShift, 16);
    const std::pair<int, int> places[] = {{100, 50}, {-30, -20}, {2000, 100}};
    COLORREF colour = kMagenta;
    for (const auto& [x, y] : places) {
        headless::MoveWindow(x, y);
        DrainMessages();
        EXPECT_EQ(std::tie(krSystemState.windowX, krSystemState.windowY), std::tie(x, y));
        colour = colour == kMagenta ? kGreen : kMagenta;
        Paint(display.back, colour);
        krDraw::Flip();
        EXPECT_EQ(headless::LastPicture().At(0, 0), colour) << x;
        EXPECT_EQ(headless::LastPicture().At(639, 479), colour) << x;
    }
}

// The colour depth asked for and what the device offers: the mode taken, its channel layout, and
// one report when no mode is taken (a refused 32 falls back to 24, which is never offered).
struct DepthCase {
    const char* name;
    bool use32, use555;
    uint32_t refused;  // 0: every depth offered
    int32_t result, settingAfter, redShift, greenShift;
    uint32_t redMax, greenMax;
};

class DepthTest : public DrawTest, public testing::WithParamInterface<DepthCase> {};

TEST_P(DepthTest, TheModeTakenAndItsLayout) {
    const DepthCase& c = GetParam();
    if (c.use32) krDraw::Use32Bit();
    dd::test::Use555For16Bit(c.use555);
    if (c.refused != 0) dd::test::RefuseDepth(c.refused);
    EXPECT_EQ(OpenDisplay(), c.result);
    EXPECT_EQ(display.colourDepthSetting, c.settingAfter);
    if (c.result == 0) {
        EXPECT_EQ(ErrorTexts(),
                  std::vector<std::string>{"krDraw::Screen : 解像度が変更できません"});
        return;
    }
    EXPECT_EQ(std::tie(display.redShift, display.greenShift), std::tie(c.redShift, c.greenShift));
    EXPECT_EQ(std::tie(display.redMax, display.greenMax), std::tie(c.redMax, c.greenMax));
    EXPECT_TRUE(ErrorTexts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Depths, DepthTest,
    testing::Values(DepthCase{"Rgb565", false, false, 0, 1, 16, 11, 5, 31, 63},
                    DepthCase{"Rgb555", false, true, 0, 1, 16, 10, 5, 31, 31},
                    DepthCase{"Rgb888", true, false, 0, 1, 32, 16, 8, 255, 255},
                    DepthCase{"Refused32FallsBackTo24Once", true, false, 32, 0, 24, 0, 0, 0, 0},
                    DepthCase{"Refused16FailsAtOnce", false, false, 16, 0, 16, 0, 0, 0, 0}),
    [](const testing::TestParamInfo<DepthCase>& c) { return std::string(c.param.name); });

struct ScreenFailure {
    dd::test::Call call;
    int skip;
    bool secondaryDevice;
    const char* message;
};

class ScreenFailureTest : public DrawTest, public ::testing::WithParamInterface<ScreenFailure> {};

TEST_P(ScreenFailureTest, IsReportedOnceAndWhatWasMadeIsReleasedAtQuit) {
    const ScreenFailure& failure = GetParam();
    if (failure.secondaryDevice) dd::test::AddSecondary3DDevice();
    dd::test::FailCall(failure.call, failure.skip);
    EXPECT_EQ(OpenDisplay(), 0);
    EXPECT_EQ(ErrorTexts(),
              std::vector<std::string>{std::string("krDraw::Screen : ") + failure.message});
    krSystem::Quit();
    EXPECT_EQ(display.directDraw, nullptr);
    EXPECT_EQ(dd::test::LiveSurfaces(), 0);
    EXPECT_EQ(dd::test::LiveDevices(), 0);
}

using dd::test::Call;
INSTANTIATE_TEST_SUITE_P(
    EveryStep, ScreenFailureTest,
    ::testing::Values(
        ScreenFailure{Call::Create, 0, false, "DirectDrawが使用できません"},
        ScreenFailure{Call::CooperativeLevel, 0, false, "フルスクリーン化できません"},
        ScreenFailure{Call::DisplayMode, 0, false, "解像度が変更できません"},
        ScreenFailure{Call::CreateSurface, 0, false, "スプライト(Front)が生成できません"},
        ScreenFailure{Call::CreateSurface, 1, false, "スプライト(Back)が取得できません"},
        ScreenFailure{Call::GetAttachedSurface, 0, true, "スプライト(Back)が取得できません"},
        ScreenFailure{Call::CreateSurface, 2, false, "スプライト(Buffer)が生成できません"},
        ScreenFailure{Call::CreateSurface, 3, false, "スプライト(Screen)が生成できません"},
        ScreenFailure{Call::GetPixelFormat, 0, false, "ピクセル情報が取得できません"},
        ScreenFailure{Call::CreateSurface, 4, false, "スプライト(3D)が生成できません"},
        ScreenFailure{Call::CreateSurface, 5, false, "スプライト(Z Buffer)が生成できません"},
        ScreenFailure{Call::AddAttachedSurface, 0, true, "スプライト(Z Buffer)に接続できません"}));

// With a 3D camera, sound and MIDI open, the quit lets the platform's objects go in the order
// 3D, display, window, sound, font, each once, and nothing is left behind.
TEST_F(DrawTest, QuitReleasesEveryModuleInOrderOnce) {
    headless::InstallManualAudio(true);
    dd::test::AddSecondary3DDevice();
    ASSERT_EQ(OpenDisplay(), 1);
    ASSERT_TRUE(headless::AudioOpen());
    ASSERT_NE(krDraw::CreateObject(), 0);
    ASSERT_EQ(kr3D::CreateCamera(1, 0, 0, 640, 480), 1);
    platform::test::LogReleases(true);
    krSystem::Quit();
    RunUntilQuit();
    platform::test::LogReleases(false);
    EXPECT_EQ(platform::test::Releases(),
              (std::vector<std::string>{"3D device", "display device", "window", "audio device",
                                        "global block"}));
    EXPECT_EQ(dd::test::LiveSurfaces(), 0);
    EXPECT_EQ(dd::test::LiveDevices(), 0);
    EXPECT_EQ(krDraw::sprites[2].name[0], '\0');
    EXPECT_EQ(headless::Window().minimizeCount, 1);
    headless::UninstallManualAudio();
}

}  // namespace
