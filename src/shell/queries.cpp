// Free disk and memory, the desktop's colour depth and its check, number files, date and time.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "draw/colour_depth.h"
#include "platform/gdi/gdi.h"
#include "platform/win/win.h"
#include "shell/shell.h"

namespace krSystem {

namespace {

constexpr uint64_t kLargestAnswer = 0xFFFFFFFF;

// The sizes of this machine do not fit 32 bits: an answer that would wrap reads as the largest.
uint32_t Saturated(uint64_t value) {
    return static_cast<uint32_t>(std::min(value, kLargestAnswer));
}

std::string NumberFilePath(const char* fileName) {
    return std::string(GetDataPath(1)) + (fileName ? fileName : "");
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
    std::FILE* file = std::fopen(NumberFilePath(fileName).c_str(), "wt");
    if (file == nullptr) return;
    std::fprintf(file, "%d", value);
    std::fclose(file);
}

int32_t ReadNumber(const char* fileName) {
    int32_t value = 0;  // a missing file, or one without a number, reads as 0
    std::FILE* file = std::fopen(NumberFilePath(fileName).c_str(), "rt");
    if (file == nullptr) return value;
    if (std::fscanf(file, "%d", &value) != 1) value = 0;
    std::fclose(file);
    return value;
}

void GetDate(int32_t* year, int32_t* month, int32_t* day, char* weekdayName) {
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
