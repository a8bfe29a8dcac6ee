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

TEST_F(ScreenshotTest, TheFileGoesToThePicturesFolderThatUserDirsNames) {
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
    };
    OpenDisplay();
    for (const auto& test : cases) {
        UserDirs(test.userDirs);
        const fs::path file = test.folder / "kirva-20261206-213005.png";
        krSystem::SetScreenshotKey(VK_F12, "kirva");
        EXPECT_EQ(PressF12(), "kirva: screenshot saved to " + file.string() + "\n");
        EXPECT_TRUE(fs::exists(file)) << file;
        fs::remove(file);
    }
}

TEST_F(ScreenshotTest, ASecondShotInTheSameSecondGetsAnotherNameAndTheGameNeverSeesTheKey) {
    OpenDisplay();
    krSystem::SetScreenshotKey(VK_F12, "kirva");
    PressF12();
    EXPECT_EQ(PressF12(), "kirva: screenshot saved to " +
                              (home_ / "Pictures/kirva-20261206-213005-2.png").string() + "\n");
    EXPECT_EQ(krSystemState.lastKey, 0);
    // The key held down repeats without taking more pictures.
    win::PostMessage(krSystemState.windowHandle, WM_KEYDOWN, VK_F12, LPARAM{1} << 30);
    headless::ReleaseKey(VK_F12);
    DrainMessages();
    EXPECT_FALSE(fs::exists(home_ / "Pictures/kirva-20261206-213005-3.png"));
    int32_t state = 0;
    krInput::GetKey(VK_F12, &state);
    EXPECT_EQ(state, 0);

    // The file holds the picture: the red square on blue.
    cairo_surface_t* png = cairo_image_surface_create_from_png(
        (home_ / "Pictures/kirva-20261206-213005-2.png").c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 640);
    EXPECT_EQ(cairo_image_surface_get_height(png), 480);
    const auto pixel = [&](int x, int y) {
        const unsigned char* data = cairo_image_surface_get_data(png);
        return reinterpret_cast<const uint32_t*>(data +
                                                 y * cairo_image_surface_get_stride(png))[x] &
               0xFFFFFF;
    };
    EXPECT_EQ(pixel(105, 105), 0xFF0000u);
    EXPECT_EQ(pixel(5, 5), 0x0000FFu);
    cairo_surface_destroy(png);
}

TEST_F(ScreenshotTest, AFolderThatCannotBeMadeGetsOneLineAndTheGameGoesOn) {
    std::ofstream(home_ / "file") << "a file, not a folder";
    UserDirs("XDG_PICTURES_DIR=\"$HOME/file/shots\"\n");
    OpenDisplay();
    krSystem::SetScreenshotKey(VK_F12, "kirva");
    const std::string said = PressF12();
    EXPECT_EQ(said.rfind(
                  "kirva: no screenshot: cannot make " + (home_ / "file/shots").string() + ": ", 0),
              0u)
        << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
    const int before = framesRun;
    Pass();
    EXPECT_EQ(framesRun, before + 1);
}

TEST_F(ScreenshotTest, WithoutAScreenshotKeyF12IsAnOrdinaryKey) {
    OpenDisplay();
    EXPECT_EQ(PressF12(), "");
    EXPECT_FALSE(fs::exists(home_ / "Pictures"));
}

}  // namespace
