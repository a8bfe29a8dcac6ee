// The screenshot key: the picture on the screen as a new PNG file in the user's pictures folder,
// one line on standard error, and nothing for the program's own key handling.
#include <cairo.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "draw/draw_fixture.h"
#include "kr/draw_gdi.h"
#include "platform/backend/headless/headless.h"
#include "platform/win/win.h"

namespace {

namespace fs = std::filesystem;

class ScreenshotTest : public DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        home_ = ScratchDirectory() / "home";
        fs::create_directories(home_ / ".config");
        Keep("HOME", home_.c_str());
        Keep("XDG_CONFIG_HOME", nullptr);
        Keep("TZ", "UTC");
        std::tm when{};
        when.tm_year = 2026 - 1900, when.tm_mon = 11, when.tm_mday = 6;
        when.tm_hour = 21, when.tm_min = 30, when.tm_sec = 5;
        headless::SetCalendarTime(timegm(&when));
    }
    void TearDown() override {
        for (const auto& [name, value] : kept_)
            value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
        tzset();
        headless::SetCalendarTime(0);
        DrawTest::TearDown();
    }

    void Keep(const char* name, const char* value) {
        const char* old = std::getenv(name);
        kept_.emplace_back(name, old ? old : "");
        value == nullptr ? unsetenv(name) : setenv(name, value, 1);
        tzset();
    }
    void UserDirs(const std::string& text) {
        std::ofstream(home_ / ".config/user-dirs.dirs") << text;
    }

    // Shows a picture with a red square, presses the key and lets go; what went to stderr.
    std::string PressF12() {
        Paint(krDraw::display.back, kBlue);
        krDraw::Box(100, 100, 110, 110, kRed, kRed, 1);
        krDraw::Flip();
        ::testing::internal::CaptureStderr();
        headless::PressKey(VK_F12);
        headless::ReleaseKey(VK_F12);
        DrainMessages();
        return ::testing::internal::GetCapturedStderr();
    }

    fs::path home_;
    std::vector<std::pair<std::string, std::string>> kept_;
};

// The folder user-dirs names, or Pictures in the home folder when it names none or a relative
// one; a folder that cannot be made gets one line and the game goes on.
TEST_F(ScreenshotTest, TheFileGoesToThePicturesFolderThatUserDirsNames) {
    std::ofstream(home_ / "file") << "a file, not a folder";
    const fs::path elsewhere = ScratchDirectory() / "elsewhere";
    const struct {
        std::string userDirs;
        fs::path folder;
    } cases[] = {
        {"", home_ / "Pictures"},
        {"XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", home_ / "Bilder"},
        {"# XDG_PICTURES_DIR=\"$HOME/no\"\nXDG_PICTURES_DIR=\"" + elsewhere.string() + "\"\n",
         elsewhere},
        {"XDG_PICTURES_DIR=relative/shots\n", home_ / "Pictures"},
        {"XDG_PICTURES_DIR=\"$HOME/file/shots\"\n", home_ / "file/shots"},
    };
    OpenDisplay();
    krSystem::SetScreenshotKey(VK_F12, "kirva");
    for (const auto& test : cases) {
        UserDirs(test.userDirs);
        const fs::path file = test.folder / "kirva-20261206-213005.png";
        const std::string said = PressF12();
        if (test.folder == home_ / "file/shots") {
            EXPECT_EQ(
                said.rfind("kirva: no screenshot: cannot make " + test.folder.string() + ": ", 0),
                0u)
                << said;
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
            continue;
        }
        EXPECT_EQ(said, "kirva: screenshot saved to " + file.string() + "\n");
        EXPECT_TRUE(fs::exists(file)) << file;
        fs::remove(file);
    }
    const int before = framesRun;
    Pass();
    EXPECT_EQ(framesRun, before + 1);
}

// A second shot in the same second gets another name, a held key takes no more, the game never
// sees the key, and the file holds the picture: the red square on blue.
TEST_F(ScreenshotTest, ASecondShotInTheSameSecondGetsAnotherNameAndTheGameNeverSeesTheKey) {
    OpenDisplay();
    EXPECT_EQ(PressF12(), "");  // without a screenshot key F12 is an ordinary key
    EXPECT_FALSE(fs::exists(home_ / "Pictures"));
    krSystem::SetScreenshotKey(VK_F12, "kirva");
    PressF12();
    const fs::path second = home_ / "Pictures/kirva-20261206-213005-2.png";
    EXPECT_EQ(PressF12(), "kirva: screenshot saved to " + second.string() + "\n");
    EXPECT_EQ(krSystemState.lastKey, 0);
    win::PostMessage(krSystemState.windowHandle, WM_KEYDOWN, VK_F12, LPARAM{1} << 30);
    headless::ReleaseKey(VK_F12);
    DrainMessages();
    EXPECT_FALSE(fs::exists(home_ / "Pictures/kirva-20261206-213005-3.png"));
    int32_t state = 0;
    krInput::GetKey(VK_F12, &state);
    EXPECT_EQ(state, 0);
    cairo_surface_t* png = cairo_image_surface_create_from_png(second.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 640);
    EXPECT_EQ(cairo_image_surface_get_height(png), 480);
    const auto* data = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(png));
    const int stride = cairo_image_surface_get_stride(png) / 4;
    EXPECT_EQ(data[105 * stride + 105] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(data[5 * stride + 5] & 0xFFFFFF, 0x0000FFu);
    cairo_surface_destroy(png);
}

}  // namespace
