#pragma once
// krSystem: program entry, the window and its procedure, the main loop and scenes, frame timing
// and numbered waits, the error dialog, message boxes, data paths and system queries.
#include <kr/wintypes.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

struct krSystemStateRecord {
    HWND windowHandle;
    HINSTANCE instanceHandle;
    char commandLine[256];
    int32_t classRegistered;
    int32_t fullScreen;
    int32_t cursorVisible;
    int32_t active;
    float frameSeconds;
    uint32_t frameStartTick;
    int32_t windowX, windowY;
    int32_t screenWidth, screenHeight;
    int32_t scene;
    int32_t nextScene;
    int32_t lastScene;
    int32_t sceneChanged;
    int32_t quitState;
    int32_t lastKey;
    int32_t overlayKey;
    int32_t inputHeld;
    int32_t heldKey;
    int32_t watchedKey, watchedKeyReleases;
    int32_t mouseX, mouseY;
    int32_t leftDown, rightDown;
    int32_t leftClicked, rightClicked;
    int32_t leftPressed, rightPressed;
    int32_t heldClick;
    int32_t imeEnabled;
    int32_t cursorClipOption, cursorClipped;
};

// The framework-wide shell record.
extern krSystemStateRecord krSystemState;

// Scene numbers the shell knows.
inline constexpr int32_t krSceneNone = 0;
inline constexpr int32_t krSceneClosing = 8;

// A client's frame function for one scene number.
struct krSceneFrame {
    int32_t scene;
    void (*frame)();
};

namespace krSystem {

// A client names its initialisation (called once before the loop; it sets the first scene) and
// the frame functions of its scenes. Scene 8 is the shell's closing scene and cannot be taken.
void RegisterClient(void (*initialise)(), std::initializer_list<krSceneFrame> sceneFrames);

// The program entry: runs the registered client until it quits; returns 0 in every case.
int WinMain(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int showCommand);
// WinMain with the process's arguments joined into the command line; 1 when the program could
// not start (no display), else 0.
int Run(int argc, char** argv);

// For a client that runs the main loop itself (a headless run, see <kr/headless.h>): start-up up
// to the loop (the window, the seed, the client's initialisation, the frame timer; false when the
// window cannot be created), then one pass of the loop at a time (one message, or one frame, or a
// wait; false once the program has quit). ResetForNextRun brings the shell back to a program that
// has not started (the record, the client, the waits), for another run in the same process.
bool StartUp(HINSTANCE instance, const char* commandLine, int showCommand);
bool RunLoopPass();
void ResetForNextRun();

// The key that writes the picture on the screen to the user's pictures folder as
// "prefix-YYYYMMDD-HHMMSS.png" ("-2", "-3", ... added when taken), saying where on standard
// error; the key never reaches the program's own key handling. 0: no such key (the default).
void SetScreenshotKey(int32_t virtualKey, const char* namePrefix);

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void OnKeyDown(int32_t virtualKey);
int32_t Quit();
void ClosingFrame();
int32_t EnableIME(int32_t flag);
void HoldInput();
void ReleaseInput();
const char* GetCommandLine();
void WatchKeyRelease(int32_t virtualKey);
int32_t GetKeyReleaseCount();
int32_t ClipCursorRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
int32_t ClipCursorToWindow();
int32_t UnclipCursor();
int32_t IsCursorClipped();

// Waits 1 to 10 and frame timing.
int32_t SetWait(int32_t wait, int32_t milliseconds);
int32_t InitWait(int32_t wait);
int32_t IsWaitOver(int32_t wait);
void ResetWaits();
uint32_t ResetFrameTimer();
uint32_t MeasureFrame();
uint32_t Pause(uint32_t milliseconds);
// Whether each shown frame waits for the display's next refresh: on by default, in full screen
// and in a window; off runs as fast as the machine allows (for measuring). Headless runs are
// never paced.
void SetFramePacing(int32_t paced);

// Error reporting and paths. Texts are UTF-8.
int32_t ErrorBox(const char* operation, const char* message);
int MessageBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
int32_t YesNoBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The program's directory (or, with the data root, the override's folder) with a trailing
// slash, in one buffer that every call overwrites.
char* GetDataPath(int32_t useDataRoot);
void LoadDataRoot(const char* fileName);

// System queries. The weekday name buffer holds one UTF-8 character: 4 bytes at least.
uint32_t GetDiskFree(char driveLetter);
uint32_t GetFreeMemory();
int32_t SetCursorPos(int32_t x, int32_t y);
int32_t GetDesktopBits();
int32_t IsWindowed();
void WriteNumber(const char* fileName, int32_t value);
int32_t ReadNumber(const char* fileName);
// The weekday name is one UTF-8 character and its end: a smaller array does not compile.
void WriteDate(int32_t* year, int32_t* month, int32_t* day, char* weekdayName);
template <size_t N, std::enable_if_t<(N >= 4), int> = 0>
void GetDate(int32_t* year, int32_t* month, int32_t* day, char (&weekdayName)[N]) {
    WriteDate(year, month, day, weekdayName);
}
void GetTime(int32_t* hour, int32_t* minute, int32_t* second);
int32_t CheckColourDepth(const char* settingsFileName);

}  // namespace krSystem
