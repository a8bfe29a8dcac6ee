#include "draw/draw_fixture.h"
#include "platform/backend/headless/headless.h"

namespace {

using krDraw::display;
using krDraw::sprites;

class RestoreTest : public DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        WriteBitmap("PICTURE.BMP", assets::Picture(8, 8, {255, 0, 0}));
        ASSERT_EQ(OpenDisplay(), 1);
        krDraw::SetColorKey(kMagenta);
        loaded = krDraw::LoadObject("PICTURE.BMP");
        blank = krDraw::CreateObject();
        ASSERT_NE(loaded, 0);
        ASSERT_NE(blank, 0);
        Paint(sprites[blank].surface, kBlue);
        krDraw::SetColorKey(kGreen);
    }
    int32_t loaded = 0, blank = 0;
};

// With nothing lost nothing is reloaded; lost, loaded slots are reloaded with their keys and
// blank ones only restored.
TEST_F(RestoreTest, LostSlotsAreReloadedWithTheirKeysButBlankOnesOnlyRestored) {
    dd::Surface* before = sprites[loaded].surface;
    krDraw::RestoreAll();
    EXPECT_EQ(sprites[loaded].surface, before);
    EXPECT_EQ(krDraw::loadSetting.keyColour, kGreen);
    EXPECT_EQ(SurfacePixel(sprites[blank].surface, 0, 0), kBlue);
    dd::LoseAllSurfaces();
    krDraw::RestoreAll();
    for (dd::Surface* surface :
         {display.front, display.back, display.surface3D, display.zBuffer, sprites[0].surface,
          sprites[1].surface, sprites[loaded].surface, sprites[blank].surface}) {
        EXPECT_EQ(surface->IsLost(), dd::DD_OK);
    }
    EXPECT_EQ(SurfacePixel(sprites[loaded].surface, 7, 7), kRed);
    dd::DDCOLORKEY key{};
    sprites[loaded].surface->GetColorKey(dd::DDCKEY_SRCBLT, &key);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0xF81Fu);
    EXPECT_EQ(sprites[loaded].colourKeySetting, static_cast<int32_t>(kMagenta));
    EXPECT_EQ(krDraw::loadSetting.keyColour, kMagenta);  // the last reloaded slot's setting
    EXPECT_STREQ(sprites[blank].name, "*");
    EXPECT_NE(SurfacePixel(sprites[blank].surface, 0, 0), kBlue);  // contents are not rebuilt
    EXPECT_TRUE(headless::Boxes().empty());
}

TEST_F(RestoreTest, EscapeRunsTheMaskIntoTheClosingSceneAndReleasesEverythingOnce) {
    assets::Picture mask(640, 48, {255, 255, 255});
    WriteBitmap("MASK.BMP", mask);
    krDraw::LoadMask("MASK.BMP");
    Pass();
    headless::PressKey(VK_ESCAPE);
    Pass();
    for (int step = 1; step <= 10; ++step)
        Pass();
    EXPECT_EQ(krSystemState.scene, krSceneClosing);
    EXPECT_EQ(headless::LastPicture().At(320, 240), kWhite);  // the last mask frame covers all
    Pass();  // the closing frame clears, presents and quits
    EXPECT_EQ(headless::LastPicture().At(320, 240), kBlack);
    EXPECT_EQ(krSystemState.quitState, 2);
    EXPECT_EQ(dd::test::LiveSurfaces(), 0);
    EXPECT_EQ(dd::test::LiveDevices(), 0);
    RunUntilQuit();
    EXPECT_EQ(headless::Window().minimizeCount, 1);
    EXPECT_FALSE(headless::Window().exists);
}

// The Back surface's picture is grabbed for the transition to show.
TEST_F(RestoreTest, EscapeWithASnapshotKindSwitchesAtOnceAndRunsBackward) {
    Paint(display.back, kRed);
    krDrawPresentation.transitionKind = 7;
    krDrawPresentation.transitionLength = 8;
    headless::PressKey(VK_ESCAPE);
    DrainMessages();
    EXPECT_EQ(krSystemState.scene, krSceneClosing);
    EXPECT_EQ(krSystemState.lastScene, 0);
    EXPECT_EQ(krDrawPresentation.transitionStep, 8);
    EXPECT_EQ(krDrawPresentation.transitionDirection, -1);
    EXPECT_EQ(SurfacePixel(sprites[krDraw::kScreenObject].surface, 320, 240), kRed);
}

}  // namespace
