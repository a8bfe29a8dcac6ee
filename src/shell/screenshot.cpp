// The screenshot key: the picture the player sees, as a new PNG file in the pictures folder.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "draw/display.h"
#include "platform/pixels/png.h"
#include "platform/win/win.h"
#include "shell/shell.h"

namespace krSystem {

namespace {

constexpr int kMostSameSecond = 999;

struct ScreenshotSetting {
    int32_t key = 0;
    std::string prefix;
} screenshot;

// prefix-YYYYMMDD-HHMMSS, from the local time.
std::string Stamp() {
    win::SYSTEMTIME now{};
    win::GetLocalTime(&now);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "-%04u%02u%02u-%02u%02u%02u", unsigned{now.wYear},
                  unsigned{now.wMonth}, unsigned{now.wDay}, unsigned{now.wHour},
                  unsigned{now.wMinute}, unsigned{now.wSecond});
    return screenshot.prefix + stamp;
}

void Report(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", screenshot.prefix.c_str(), what.c_str());
}

}  // namespace

void SetScreenshotKey(int32_t virtualKey, const char* namePrefix) {
    screenshot = {virtualKey, namePrefix != nullptr ? namePrefix : ""};
}

bool IsScreenshotKey(const MSG& message) {
    return (message.message == WM_KEYDOWN || message.message == WM_KEYUP) &&
           IsScreenshotKey(message.wParam);
}

bool IsScreenshotKey(WPARAM virtualKey) {
    return screenshot.key != 0 && virtualKey == static_cast<WPARAM>(screenshot.key);
}

void TakeScreenshot() {
    pixels::View picture{};
    if (!krDraw::ScreenPicture(&picture)) return;
    const std::filesystem::path folder = win::GetPicturesDirectory();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        Report("no screenshot: cannot make " + folder.string() + ": " + error.message());
        return;
    }
    const std::string stamp = Stamp();
    for (int copy = 1; copy <= kMostSameSecond; ++copy) {
        const std::string name =
            stamp + (copy > 1 ? "-" + std::to_string(copy) : std::string()) + ".png";
        const std::string path = (folder / name).string();
        const int failure = pixels::WritePng(picture, path, true);
        if (failure == 0) return Report("screenshot saved to " + path);
        if (failure != EEXIST)
            return Report("no screenshot: cannot write " + path + ": " + std::strerror(failure));
    }
    Report("no screenshot: " + folder.string() + " holds every name of this second");
}

}  // namespace krSystem
