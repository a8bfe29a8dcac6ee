// The clock, message boxes, the cursor and the system's paths, times and sizes.
#include <sys/statvfs.h>
#include <sys/sysinfo.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <string>

#include "platform/backend/backend.h"
#include "platform/release_log.h"
#include "platform/win/win.h"

namespace win {

namespace {

struct CursorState {
    int showCount = 0;       // the cursor shows while the count is not negative
    bool imageless = false;  // SetCursor(nullptr) took its image away
};

CursorState cursor;
int arrowImage;

void UpdateCursor() {
    backend::Active().SetCursorVisible(cursor.showCount >= 0 && !cursor.imageless);
}

// Copies text into a caller's buffer of the given size; returns the length copied, or 0 with an
// empty buffer when the text does not fit: a cut path would name another file.
DWORD CopyOut(const std::string& text, char* buffer, DWORD size) {
    if (buffer == nullptr || size == 0) return 0;
    const bool fits = text.size() < size;
    const size_t length = fits ? text.size() : 0;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<DWORD>(length);
}

std::string ProgramDirectory() {
    std::string path = backend::Active().ModulePath();
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// The kernel's estimate of memory available without swapping, which counts reclaimable caches.
std::optional<uint64_t> AvailableMemory() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    uint64_t kilobytes = 0;
    std::string unit;
    while (meminfo >> key >> kilobytes >> unit) {
        if (key == "MemAvailable:") return kilobytes * 1024;
    }
    return std::nullopt;
}

}  // namespace

int GetSystemMetrics(int index) {
    backend::Backend& machine = backend::Active();
    switch (index) {
        case SM_CXSCREEN:
            return machine.DesktopWidth();
        case SM_CYSCREEN:
            return machine.DesktopHeight();
        case SM_CXBORDER:
        case SM_CYBORDER:
            return 1;
        case SM_CXEDGE:
        case SM_CYEDGE:
            return 2;
        case SM_CXFIXEDFRAME:
        case SM_CYFIXEDFRAME:
            return 3;
        case SM_CYCAPTION:
            return 19;
        default:
            return 0;
    }
}

namespace {
std::optional<DWORD> heldTickCount;
}  // namespace

DWORD GetTickCount() {
    return heldTickCount ? *heldTickCount : backend::Active().TickCount();
}

void HoldTickCount(DWORD milliseconds) {
    heldTickCount = milliseconds;
}

void FreeTickCount() {
    heldTickCount.reset();
}

DWORD LiveTickCount() {
    return backend::Active().TickCount();
}

int MessageBox(HWND, const char* text, const char* caption, UINT type) {
    return backend::Active().MessageBox(text ? text : "", caption ? caption : "", type);
}

BOOL MessageBeep(UINT) {
    backend::Active().Beep();
    return TRUE;
}

int ShowCursor(BOOL show) {
    cursor.showCount += show ? 1 : -1;
    UpdateCursor();
    return cursor.showCount;
}

HCURSOR LoadArrowCursor() {
    return &arrowImage;
}

// The arrow is the only image there is; without an image the pointer is not shown.
HCURSOR SetCursor(HCURSOR image) {
    HCURSOR previous = cursor.imageless ? nullptr : LoadArrowCursor();
    cursor.imageless = image == nullptr;
    UpdateCursor();
    return previous;
}

void SetFramePacing(BOOL paced) {
    backend::Active().SetFramePacing(paced != FALSE);
}

BOOL ClipCursor(const RECT* rect) {
    return backend::Active().ConfineCursor(rect) ? TRUE : FALSE;
}

BOOL GetCursorPos(POINT* point) {
    int x = 0, y = 0;
    if (point == nullptr || !backend::Active().CursorPosition(x, y)) return FALSE;
    *point = POINT{x, y};
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    return backend::Active().WarpCursor(x, y) ? TRUE : FALSE;
}

// There is no input method editor to switch; the answer is the state it was left in.
BOOL WINNLSEnableIME(HWND, BOOL enable) {
    static BOOL enabled = TRUE;
    const BOOL previous = enabled;
    enabled = enable;
    return previous;
}

DWORD GetModuleFileName(HINSTANCE, char* buffer, DWORD size) {
    return CopyOut(backend::Active().ModulePath(), buffer, size);
}

namespace {

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

std::string ConfigDirectory() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] != '\0') return config;
    return HomeDirectory() + "/.config";
}

// The folder of one line XDG_PICTURES_DIR="$HOME/..." or "/...", the only forms the file has.
std::optional<std::string> PicturesLine(const std::string& line) {
    const std::string key = "XDG_PICTURES_DIR=\"";
    if (line.rfind(key, 0) != 0 || line.size() < key.size() + 1 || line.back() != '"') return {};
    const std::string value = line.substr(key.size(), line.size() - key.size() - 1);
    if (value.rfind("$HOME", 0) == 0) return HomeDirectory() + value.substr(5);
    if (value.rfind('/', 0) == 0) return value;
    return {};
}

}  // namespace

UINT GetWindowsDirectory(char* buffer, UINT size) {
    return CopyOut(ConfigDirectory(), buffer, size);
}

std::string GetPicturesDirectory() {
    std::ifstream dirs(ConfigDirectory() + "/user-dirs.dirs");
    std::optional<std::string> folder;
    for (std::string line; std::getline(dirs, line);) {
        if (std::optional<std::string> named = PicturesLine(line)) folder = named;
    }
    return folder.value_or(HomeDirectory() + "/Pictures");
}

void GetLocalTime(SYSTEMTIME* time) {
    const auto now = static_cast<std::time_t>(backend::Active().CalendarTime());
    std::tm local{};
    localtime_r(&now, &local);
    time->wYear = static_cast<WORD>(local.tm_year + 1900);
    time->wMonth = static_cast<WORD>(local.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time->wDay = static_cast<WORD>(local.tm_mday);
    time->wHour = static_cast<WORD>(local.tm_hour);
    time->wMinute = static_cast<WORD>(local.tm_min);
    time->wSecond = static_cast<WORD>(std::min(local.tm_sec, 59));
    time->wMilliseconds = 0;
}

BOOL GetDiskFreeSpace(const char*, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                      DWORD* freeClusters, DWORD* totalClusters) {
    struct statvfs info {};
    if (statvfs(ProgramDirectory().c_str(), &info) != 0) return FALSE;
    const auto clamp = [](unsigned long long value) {
        return static_cast<DWORD>(std::min<unsigned long long>(value, 0xFFFFFFFFull));
    };
    if (sectorsPerCluster) *sectorsPerCluster = 1;
    if (bytesPerSector) *bytesPerSector = clamp(info.f_frsize);
    if (freeClusters) *freeClusters = clamp(info.f_bavail);
    if (totalClusters) *totalClusters = clamp(info.f_blocks);
    return TRUE;
}

void GlobalMemoryStatus(MEMORYSTATUS* status) {
    struct sysinfo info {};
    sysinfo(&info);
    const uint64_t unit = info.mem_unit ? info.mem_unit : 1;
    status->dwTotalPhys = static_cast<uint64_t>(info.totalram) * unit;
    status->dwAvailPhys = AvailableMemory().value_or(static_cast<uint64_t>(info.freeram) * unit);
    status->dwMemoryLoad =
        status->dwTotalPhys == 0
            ? 0
            : static_cast<DWORD>(100 - status->dwAvailPhys * 100 / status->dwTotalPhys);
}

namespace {
std::atomic<size_t> largestRequest{0};
}

HGLOBAL GlobalAlloc(UINT, size_t bytes) {
    size_t largest = largestRequest.load();
    while (bytes > largest && !largestRequest.compare_exchange_weak(largest, bytes)) {
    }
    return std::calloc(1, bytes == 0 ? 1 : bytes);
}

size_t TakeLargestGlobalRequest() {
    return largestRequest.exchange(0);
}

HGLOBAL GlobalFree(HGLOBAL block) {
    if (block != nullptr) platform::NoteRelease("global block");
    std::free(block);
    return nullptr;
}

}  // namespace win
