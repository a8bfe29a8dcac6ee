#pragma once
// The window platform: one application window, its message queue, the clock, message boxes,
// the keyboard state, the cursor and the system's paths, times and sizes.
#include "platform/win/types.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace win {

// The hit-test code of WM_SETCURSOR for the client area.
inline constexpr WORD HTCLIENT = 1;

struct WNDCLASS {
    UINT style;
    WNDPROC lpfnWndProc;
    HINSTANCE hInstance;
    const char* iconName;  // a resource of type "ICON", or null
    const char* lpszMenuName;
    const char* lpszClassName;
};

BOOL RegisterClass(const WNDCLASS& windowClass);
HWND CreateWindowEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                    int y, int width, int height, HWND parent, void* menu, HINSTANCE instance);
BOOL ShowWindow(HWND window, int showCommand);
BOOL UpdateWindow(HWND window);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL CloseWindow(HWND window);  // minimises
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);

BOOL PeekMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlag);
BOOL WaitMessage();
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessage(const MSG* message);
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

int GetSystemMetrics(int index);
DWORD GetTickCount();
// A recorded run's clock: GetTickCount reads the held value until it is freed. LiveTickCount
// reads the machine's clock whatever is held.
void HoldTickCount(DWORD milliseconds);
void FreeTickCount();
DWORD LiveTickCount();

int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
BOOL MessageBeep(UINT type);

SHORT GetKeyState(int virtualKey);

int ShowCursor(BOOL show);
// The standard arrow, the window's own cursor; a null cursor hides the pointer until the next
// image is set (the window's default handling of WM_SETCURSOR sets the arrow).
HCURSOR LoadArrowCursor();
HCURSOR SetCursor(HCURSOR cursor);
// Whether showing a picture waits for the display's next refresh (on by default).
void SetFramePacing(BOOL paced);
BOOL ClipCursor(const RECT* rect);
BOOL GetCursorPos(POINT* point);
BOOL SetCursorPos(int x, int y);

BOOL WINNLSEnableIME(HWND window, BOOL enable);

// Both paths fail (0, an empty buffer) when they do not fit the buffer whole.
DWORD GetModuleFileName(HINSTANCE instance, char* buffer, DWORD size);
// The directory for the data-root file: $XDG_CONFIG_HOME, else ~/.config.
UINT GetWindowsDirectory(char* buffer, UINT size);
// The user's pictures folder: XDG_PICTURES_DIR of user-dirs.dirs in that directory, else
// ~/Pictures.
std::string GetPicturesDirectory();

struct SYSTEMTIME {
    WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};
void GetLocalTime(SYSTEMTIME* time);

// There are no drive letters here: every root names the file system of the program's directory.
BOOL GetDiskFreeSpace(const char* rootPath, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                      DWORD* freeClusters, DWORD* totalClusters);

struct MEMORYSTATUS {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    uint64_t dwTotalPhys;
    uint64_t dwAvailPhys;
};
void GlobalMemoryStatus(MEMORYSTATUS* status);

// Global memory: zero-filled blocks.
inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
HGLOBAL GlobalFree(HGLOBAL block);
// The largest block asked of GlobalAlloc since the last call: what reading a file cost.
size_t TakeLargestGlobalRequest();

}  // namespace win
