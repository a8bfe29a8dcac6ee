// Free disk and memory, the desktop's colour depth and its check, number files, date and time.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "draw/colour_depth.h"
#include "platform/gdi/gdi.h"
#include "platform/win/win.h"
#include "shell/shell.h"

namespace krSystem {

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kLargestAnswer = 0xFFFFFFFF;

// The sizes of this machine do not fit 32 bits: an answer that would wrap reads as the largest.
uint32_t Saturated(uint64_t value) {
    return static_cast<uint32_t>(std::min(value, kLargestAnswer));
}

// The per-user folder for a program's number files: $XDG_DATA_HOME/<program>/, else
// ~/.local/share/<program>/. Made when needed; none without a usable base.
std::optional<std::string> UserDataFolder() {
    const std::string program = ProgramPath();
    if (program.empty()) return std::nullopt;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    fs::path base;
    if (dataHome != nullptr && dataHome[0] == '/') {
        base = dataHome;
    } else if (home != nullptr && home[0] == '/') {
        base = fs::path(home) / ".local" / "share";
    } else {
        return std::nullopt;
    }
    const fs::path folder = base / fs::path(program).filename();
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) return std::nullopt;
    return folder.string() + "/";
}

// Number files live in the data folder; where the program may not write there (an installed
// program), in the user's own folder instead, for reading as well as writing. None when the
// folder's path is too long for any file.
std::optional<std::string> NumberFilePath(const char* fileName) {
    std::optional<std::string> folder = DataFolder(true);
    if (!folder) return std::nullopt;
    if (access(folder->c_str(), W_OK | X_OK) != 0) folder = UserDataFolder();
    if (!folder) return std::nullopt;
    return *folder + (fileName ? fileName : "");
}

// One decimal number after any white space, as "%d" reads it, but 0 when it does not fit 32 bits.
int32_t ReadDecimal(std::FILE* file) {
    int c = std::fgetc(file);
    while (c != EOF && std::isspace(c))
        c = std::fgetc(file);
    const bool negative = c == '-';
    if (c == '-' || c == '+') c = std::fgetc(file);
    int64_t magnitude = 0;
    constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
    while (c != EOF && std::isdigit(c)) {
        magnitude = std::min(magnitude * 10 + (c - '0'), kLimit + 1);
        c = std::fgetc(file);
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return 0;
    return static_cast<int32_t>(value);
}

int32_t ColourLevel(int32_t bitsPerPixel) {
    switch (bitsPerPixel) {
        case 8:
            return 1;
        case 16:
            return 2;
        case 24:
        case 32:
            return 3;
        default:
            return 0;
    }
}

const char* const kColourCounts[] = {"16", "256", "65536", "1670万"};
const char* const kWeekdayNames[] = {"日", "月", "火", "水", "木", "金", "土"};

}  // namespace

uint32_t GetDiskFree(char driveLetter) {
    const char root[] = {driveLetter, ':', '\\', '\0'};
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    win::GetDiskFreeSpace(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters);
    return Saturated(uint64_t{sectorsPerCluster} * bytesPerSector * freeClusters);
}

uint32_t GetFreeMemory() {
    win::MEMORYSTATUS status{};
    status.dwLength = 32;
    win::GlobalMemoryStatus(&status);
    return Saturated(status.dwAvailPhys);
}

int32_t SetCursorPos(int32_t x, int32_t y) {
    return win::SetCursorPos(x, y);
}

int32_t GetDesktopBits() {
    HDC dc = gdi::GetDC(krSystemState.windowHandle);
    const int32_t bits = gdi::GetDeviceCaps(dc, BITSPIXEL);
    gdi::ReleaseDC(krSystemState.windowHandle, dc);
    return bits;
}

int32_t IsWindowed() {
    return krSystemState.fullScreen == 0 ? 1 : 0;
}

void WriteNumber(const char* fileName, int32_t value) {
    const std::optional<std::string> path = NumberFilePath(fileName);
    if (!path) return;
    std::FILE* file = std::fopen(path->c_str(), "wt");
    if (file == nullptr) return;
    std::fprintf(file, "%d", value);
    std::fclose(file);
}

int32_t ReadNumber(const char* fileName) {
    // A missing file, or one without a number, reads as 0.
    const std::optional<std::string> path = NumberFilePath(fileName);
    if (!path) return 0;
    std::FILE* file = std::fopen(path->c_str(), "rt");
    if (file == nullptr) return 0;
    const int32_t value = ReadDecimal(file);
    std::fclose(file);
    return value;
}

void WriteDate(int32_t* year, int32_t* month, int32_t* day, char* weekdayName) {
    win::SYSTEMTIME now{};
    win::GetLocalTime(&now);
    *year = now.wYear;
    *month = now.wMonth;
    *day = now.wDay;
    const char* name = kWeekdayNames[now.wDayOfWeek % 7];
    std::memcpy(weekdayName, name, std::strlen(name) + 1);
}

void GetTime(int32_t* hour, int32_t* minute, int32_t* second) {
    win::SYSTEMTIME now{};
    win::GetLocalTime(&now);
    *hour = now.wHour;
    *minute = now.wMinute;
    *second = now.wSecond;
}

int32_t CheckColourDepth(const char* settingsFileName) {
    const int32_t level = ColourLevel(krDraw::ColourDepthSetting());
    if (level == 0) return 1;
    if (krSystemState.fullScreen == 1 || GetDesktopBits() >= krDraw::ColourDepthSetting()) {
        return 1;
    }
    MessageBox(
        "　ウィンドウ状態で実行しようとしていますが、"
        "画面が%s色以下に設定されています。\n"
        "正しく動作させるには、%s色以上に設定するか、"
        "フルスクリーンで実行させて下さい。",
        kColourCounts[level - 1], kColourCounts[level]);
    const char* name = settingsFileName ? settingsFileName : "";
    const bool storeChoice = std::strcmp(name, "*") != 0;
    const char* question = nullptr;
    if (name[0] != '\0') {
        question =
            storeChoice ? "フルスクリーンに設定し直しますか？" : "フルスクリーンに切り換えますか？";
    }
    if (question != nullptr && YesNoBox("%s", question) == 1) {
        if (storeChoice) WriteNumber(name, 1);
        krSystemState.fullScreen = 1;
        return 1;
    }
    Quit();
    return 0;
}

}  // namespace krSystem
