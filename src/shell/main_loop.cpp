// The program entry, the window procedure, the main loop, scenes and the orderly shutdown.
#include <cstring>
#include <ctime>
#include <string>

#include <kr/draw_gdi.h>

#include "draw/display.h"
#include "draw/frame_rate.h"
#include "input/demo_hooks.h"
#include "platform/crt/crt.h"
#include "platform/mci/mci.h"
#include "platform/win/win.h"
#include "shell/shell.h"
#include "sound/sound.h"
#include "text/font_state.h"

namespace {

krSystemStateRecord InitialState() {
    krSystemStateRecord initial{};
    initial.fullScreen = 1;
    initial.cursorVisible = 1;
    initial.frameStartTick = win::GetTickCount();
    return initial;
}

}  // namespace

krSystemStateRecord krSystemState = InitialState();

namespace krSystem {

namespace {

constexpr int32_t kSceneSlots = 16;
constexpr int32_t kEscape = VK_ESCAPE;

struct ClientTable {
    void (*initialise)() = nullptr;
    void (*sceneFrames[kSceneSlots])() = {};
};

ClientTable client;
char windowTitle[8];
// The record's buffer holds the command line only when it fits whole; this holds it always.
std::string wholeCommandLine;

void RunScene(int32_t scene) {
    if (scene == krSceneClosing) {
        ClosingFrame();
        return;
    }
    if (scene > 0 && scene < kSceneSlots && client.sceneFrames[scene] != nullptr) {
        client.sceneFrames[scene]();
    }
}

HWND CreateApplicationWindow(HINSTANCE instance) {
    if (krSystemState.fullScreen == 1) {
        return win::CreateWindowEx(0, "DEFAULT", windowTitle, WS_POPUP | WS_SYSMENU, 0, 0,
                                   win::GetSystemMetrics(SM_CXSCREEN),
                                   win::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance);
    }
    const int outerWidth = kWindowedWidth + win::GetSystemMetrics(SM_CXBORDER) +
                           win::GetSystemMetrics(SM_CXEDGE) +
                           win::GetSystemMetrics(SM_CXFIXEDFRAME);
    const int outerHeight = kWindowedHeight + win::GetSystemMetrics(SM_CYCAPTION) +
                            win::GetSystemMetrics(SM_CYEDGE) + win::GetSystemMetrics(SM_CYBORDER) +
                            win::GetSystemMetrics(SM_CYFIXEDFRAME);
    const int x = (win::GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2;
    const int y = (win::GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2;
    return win::CreateWindowEx(0, "DEFAULT", windowTitle, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                               x, y, outerWidth, outerHeight, nullptr, nullptr, instance);
}

void RegisterWindowClass(HINSTANCE instance) {
    std::memcpy(windowTitle, "KIRVA", 6);
    win::WNDCLASS windowClass{
        CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, WindowProc, instance, "MAIN", "DEFAULT", "DEFAULT"};
    win::RegisterClass(windowClass);
    krSystemState.classRegistered = 1;
}

// A cut command line could name another file, so one that does not fit leaves the buffer empty.
void CopyCommandLine(const char* commandLine) {
    wholeCommandLine = commandLine ? commandLine : "";
    const bool fits = wholeCommandLine.size() < sizeof krSystemState.commandLine;
    std::memcpy(krSystemState.commandLine, fits ? wholeCommandLine.c_str() : "",
                fits ? wholeCommandLine.size() + 1 : 1);
}

void FollowCursorOverClientArea() {
    POINT cursor{};
    win::GetCursorPos(&cursor);
    const bool inside =
        cursor.x >= krSystemState.windowX && cursor.x < krSystemState.windowX + kWindowedWidth &&
        cursor.y >= krSystemState.windowY && cursor.y < krSystemState.windowY + kWindowedHeight;
    if (inside && krSystemState.cursorVisible == 1) {
        win::ShowCursor(FALSE);
        krSystemState.cursorVisible = 0;
    } else if (!inside && krSystemState.cursorVisible == 0) {
        win::ShowCursor(TRUE);
        krSystemState.cursorVisible = 1;
    }
}

void RunFrame() {
    MeasureFrame();

    if (krSystemState.lastScene == 0 && krSystemState.scene != 0) {
        krSystemState.sceneChanged = 1;
        krSystemState.lastScene = krSystemState.scene;
    }

    if (krDrawPresentation.transitionDirection == 1) {
        // A forward transition runs alone; its end switches the scene.
        krDraw::Flip();
        if (krDrawPresentation.transitionDirection == 0) {
            krSystemState.scene = krSystemState.nextScene;
        }
    } else {
        RunScene(krSystemState.scene);
    }

    krSystemState.sceneChanged = krSystemState.scene != krSystemState.lastScene ? 1 : 0;
    if (krSystemState.sceneChanged == 1) krDraw::RestoreClipOnSceneChange();
    krSystemState.lastScene = krSystemState.scene;

    krSystemState.leftClicked = 0;
    krSystemState.rightClicked = 0;
    if (krSystemState.fullScreen == 0) FollowCursorOverClientArea();
}

void OnActivateApp(bool activated) {
    if (!activated) {
        krSystemState.active = 0;
        if (krSystemState.cursorVisible == 0) {
            win::ShowCursor(TRUE);
            krSystemState.cursorVisible = 1;
        }
        if (krSystemState.cursorClipOption == 1) UnclipCursor();
        return;
    }
    krSystemState.active = 1;
    ResetFrameTimer();
    if (krSystemState.cursorClipOption == 1) ClipCursorToWindow();
}

// The end of the MIDI piece: replay it when the sequencer has really stopped (a notification of
// an aborted or superseded play never restarts the music).
void OnMciNotify(WPARAM result) {
    if (result != MCI_NOTIFY_SUCCESSFUL || krMidiState.open != 1) return;
    char mode[32] = "";
    mciSendString("status midi mode", mode, sizeof mode, nullptr);
    if (std::strncmp(mode, "st", 2) == 0) krMidi::Replay();
}

void OnKeyUp(int32_t key) {
    if (krSystemState.lastKey == key) krSystemState.lastKey = 0;
    if (krSystemState.overlayKey == key) krSystemState.overlayKey = 0;
    if (krSystemState.heldKey == key) krSystemState.heldKey = 0;
    if (key == krSystemState.watchedKey) krSystemState.watchedKeyReleases += 1;
}

}  // namespace

void RegisterClient(void (*initialise)(), std::initializer_list<krSceneFrame> sceneFrames) {
    client.initialise = initialise;
    for (const krSceneFrame& entry : sceneFrames) {
        if (entry.scene > 0 && entry.scene < kSceneSlots && entry.scene != krSceneClosing) {
            client.sceneFrames[entry.scene] = entry.frame;
        }
    }
}

bool StartUp(HINSTANCE instance, const char* commandLine, int showCommand) {
    krDemo::BeginStartUp();
    // The first frame-rate sample is due at the start, on the clock a demo may hold.
    krDraw::frameRate = krDraw::StartingFrameRate();
    RegisterWindowClass(instance);
    krSystemState.windowHandle = CreateApplicationWindow(instance);
    if (krSystemState.windowHandle == nullptr) return false;
    win::ShowWindow(krSystemState.windowHandle, showCommand);
    win::UpdateWindow(krSystemState.windowHandle);
    if (krSystemState.fullScreen == 0) {
        win::SetWindowPos(krSystemState.windowHandle, HWND_TOPMOST, 0, 0, 0, 0,
                          SWP_NOMOVE | SWP_NOSIZE);
    }
    krSystemState.instanceHandle = instance;
    CopyCommandLine(commandLine);
    crt::srand(krDemo::TakeSeed(static_cast<unsigned int>(std::time(nullptr))));
    EnableIME(0);
    if (client.initialise != nullptr) client.initialise();
    ResetFrameTimer();
    return true;
}

bool RunLoopPass() {
    MSG message{};
    if (win::PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return false;
        if (!IsScreenshotKey(message) && !krDemo::TakeMessage(message)) return true;
        win::TranslateMessage(&message);
        win::DispatchMessage(&message);
    } else if (krSystemState.active == 1) {
        if (krDemo::BeginFrame()) RunFrame();
    } else {
        win::WaitMessage();
    }
    return true;
}

namespace {

bool StartAndRun(HINSTANCE instance, const char* commandLine, int showCommand) {
    if (!StartUp(instance, commandLine, showCommand)) return false;
    while (RunLoopPass()) {
    }
    return true;
}

}  // namespace

int WinMain(HINSTANCE instance, HINSTANCE, const char* commandLine, int showCommand) {
    StartAndRun(instance, commandLine, showCommand);
    return 0;
}

int Run(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    // A program that could not start (no window) fails, as a shell expects.
    return StartAndRun(nullptr, commandLine.c_str(), SW_SHOWDEFAULT) ? 0 : 1;
}

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOVE:
            // Signed: a window left of or above the desktop has a negative position.
            krSystemState.windowX = static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(lParam)));
            krSystemState.windowY = static_cast<int16_t>(HIWORD(static_cast<uintptr_t>(lParam)));
            if (krSystemState.cursorClipOption == 1) ClipCursorToWindow();
            break;
        case WM_CLOSE:
            if (krSystemState.quitState == 0) krSystemState.quitState = 1;
            if (krSystemState.quitState < 2) Quit();
            win::DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            win::PostQuitMessage(0);
            return 0;
        case WM_ACTIVATEAPP:
            OnActivateApp(wParam != 0);
            return 0;
        case WM_SETCURSOR:
            if (krSystemState.fullScreen == 1) {
                win::SetCursor(nullptr);
                return 1;
            }
            break;
        case WM_SYSCOMMAND:
            if (wParam == SC_SCREENSAVE) return 1;
            break;
        case WM_KEYDOWN:
            if (IsScreenshotKey(wParam)) {
                // One picture a press: the key's repeats (bit 30, down before) take none.
                if ((static_cast<uintptr_t>(lParam) & (uintptr_t{1} << 30)) == 0) TakeScreenshot();
                return 0;
            }
            if (krSystemState.inputHeld == 1) {
                krSystemState.heldKey = static_cast<int32_t>(wParam);
            } else {
                OnKeyDown(static_cast<int32_t>(wParam));
            }
            break;
        case WM_KEYUP:
            if (IsScreenshotKey(wParam)) return 0;
            OnKeyUp(static_cast<int32_t>(wParam));
            break;
        case WM_SYSKEYDOWN:
            return 0;
        case WM_MOUSEMOVE:
            krSystemState.mouseX = LOWORD(static_cast<uintptr_t>(lParam));
            krSystemState.mouseY = HIWORD(static_cast<uintptr_t>(lParam));
            break;
        case WM_LBUTTONDOWN:
            if (krSystemState.inputHeld == 0) {
                krSystemState.leftDown = krSystemState.leftClicked = krSystemState.leftPressed = 1;
            } else {
                krSystemState.heldClick = 1;
            }
            break;
        case WM_LBUTTONUP:
            krSystemState.leftDown = 0;
            krSystemState.heldClick = 0;
            break;
        case WM_RBUTTONDOWN:
            if (krSystemState.inputHeld == 0) {
                krSystemState.rightDown = krSystemState.rightClicked = krSystemState.rightPressed =
                    1;
            }
            break;
        case WM_RBUTTONUP:
            krSystemState.rightDown = 0;
            break;
        case WM_RBUTTONDBLCLK:
            if (krSystemState.cursorClipOption == 1) {
                if (krSystemState.cursorClipped == 1) {
                    UnclipCursor();
                } else {
                    ClipCursorToWindow();
                }
            }
            return 0;
        case MM_MCINOTIFY:
            OnMciNotify(wParam);
            break;
        default:
            break;
    }
    return win::DefWindowProc(window, message, wParam, lParam);
}

void OnKeyDown(int32_t virtualKey) {
    krDrawPresentationRecord& presentation = krDrawPresentation;
    if (presentation.overlayShown != 0) {
        krSystemState.overlayKey = virtualKey;
    } else {
        krSystemState.lastKey = virtualKey;
    }
    if (virtualKey != kEscape) return;
    if (presentation.transitionKind == 0) {
        krSystemState.nextScene = krSceneClosing;
        krDraw::TransitionOut();
        return;
    }
    if (presentation.transitionStep != 13) {
        krDraw::GrabScreen(krDraw::kScreenObject, 0, 0, krSystemState.screenWidth,
                           krSystemState.screenHeight);
    }
    krSystemState.scene = krSceneClosing;
    krSystemState.lastScene = 0;
    presentation.transitionStep = presentation.transitionLength;
    presentation.transitionDirection = -1;
}

void ClosingFrame() {
    krDraw::Clear();
    krDraw::Flip();
    Quit();
}

// Every module's release, in this order, exactly once per run.
int32_t Quit() {
    // 1. The 3D scene.
    kr3D::Release();
    // 2. The display and its sprite surfaces; then the window is minimised.
    krDraw::ReleaseDisplay();
    win::CloseWindow(krSystemState.windowHandle);
    // 3. Sound.
    krSound::Release();
    // 4. The font description block.
    krFont::FreeDescription();
    if (krSystemState.quitState == 0) {
        win::PostMessage(krSystemState.windowHandle, WM_CLOSE, 0, 0);
    }
    krSystemState.quitState = 2;
    return 1;
}

int32_t EnableIME(int32_t flag) {
    krSystemState.imeEnabled = flag;
    return win::WINNLSEnableIME(nullptr, flag);
}

void HoldInput() {
    krSystemState.inputHeld = 1;
}

void ReleaseInput() {
    krSystemState.inputHeld = 0;
    krSystemState.lastKey = 0;
}

const char* GetCommandLine() {
    return wholeCommandLine.c_str();
}

void WatchKeyRelease(int32_t virtualKey) {
    krSystemState.watchedKey = virtualKey;
    krSystemState.watchedKeyReleases = 0;
}

int32_t GetKeyReleaseCount() {
    return krSystemState.watchedKeyReleases;
}

int32_t ClipCursorRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    const RECT rect{left, top, right, bottom};
    krSystemState.cursorClipped = 1;
    return win::ClipCursor(&rect);
}

int32_t ClipCursorToWindow() {
    if (krSystemState.fullScreen == 1) {
        return ClipCursorRect(0, 0, krSystemState.screenWidth, krSystemState.screenHeight);
    }
    return ClipCursorRect(krSystemState.windowX, krSystemState.windowY,
                          krSystemState.windowX + krSystemState.screenWidth,
                          krSystemState.windowY + krSystemState.screenHeight);
}

int32_t UnclipCursor() {
    krSystemState.cursorClipped = 0;
    return win::ClipCursor(nullptr);
}

int32_t IsCursorClipped() {
    return krSystemState.cursorClipped;
}

void ResetForNextRun() {
    krSystemState = InitialState();
    client = ClientTable{};
    wholeCommandLine.clear();
    SetScreenshotKey(0, "");
    krFont::ResetForNextRun();  // before the display takes the Back surface away
    krDraw::ResetForNextRun();
    ResetWaits();
}

}  // namespace krSystem
