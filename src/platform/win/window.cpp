// The application window and its message queue.
#include <algorithm>
#include <deque>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/release_log.h"
#include "platform/win/events.h"
#include "platform/win/resources.h"
#include "platform/win/win.h"

namespace win {

struct Window {
    WNDPROC procedure = nullptr;
    std::string title;
    bool shown = false;
};

namespace {

struct WindowState {
    WNDCLASS windowClass{};
    bool classRegistered = false;
    Window window;
    bool windowExists = false;
    std::deque<MSG> queue;
    bool quitPosted = false;
    int quitCode = 0;
    bool activeNotified = false;
    bool hasActivity = false;
    bool altDown = false;  // as the backend last reported it, ahead of the queue
    SHORT keyStates[256] = {};
};

WindowState state;

HWND TheWindow() {
    return state.windowExists ? &state.window : nullptr;
}

struct Inbox {
    std::mutex lock;
    std::vector<MSG> messages;
};

Inbox inbox;

void TakeInbox() {
    std::lock_guard guard(inbox.lock);
    for (const MSG& message : inbox.messages) {
        if (message.hwnd == nullptr || message.hwnd == TheWindow()) state.queue.push_back(message);
    }
    inbox.messages.clear();
}

bool PassesFilter(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
    if (window != nullptr && message.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return message.message >= filterMin && message.message <= filterMax;
}

// The key state follows the queue: it changes when a key message is taken.
void TrackKeyState(const MSG& message) {
    const bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
    const bool up = message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
    if (!down && !up) return;
    SHORT& key = state.keyStates[message.wParam & 0xFF];
    const bool wasDown = (key & 0x8000) != 0;
    if (down && !wasDown) key = static_cast<SHORT>(key ^ 1);  // the toggle bit
    // A key that is down reads 0xFF80 (with the toggle bit): the high bit and bit 7 both set.
    key = static_cast<SHORT>(down ? (key | static_cast<SHORT>(0xFF80)) : (key & 1));
}

void PostToWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    if (HWND window = TheWindow()) PostMessage(window, message, wParam, lParam);
}

}  // namespace

BOOL RegisterClass(const WNDCLASS& windowClass) {
    if (windowClass.lpfnWndProc == nullptr) return FALSE;
    state.windowClass = windowClass;
    state.classRegistered = true;
    return TRUE;
}

HWND CreateWindowEx(DWORD /*exStyle*/, const char* className, const char* title, DWORD style, int x,
                    int y, int width, int height, HWND /*parent*/, void* /*menu*/,
                    HINSTANCE /*instance*/) {
    if (!state.classRegistered || state.windowExists || className == nullptr ||
        std::string(className) != state.windowClass.lpszClassName) {
        return nullptr;
    }
    backend::WindowSpec request{title, x, y, width, height, (style & WS_POPUP) != 0};
    backend::Backend& machine = backend::Active();
    if (!machine.CreateWindow(request)) return nullptr;
    if (state.windowClass.iconName != nullptr) {
        if (const Resource* icon = FindResource(state.windowClass.iconName, "ICON")) {
            machine.SetIcon(*icon);
        }
    }
    state.window = Window{state.windowClass.lpfnWndProc, title ? title : "", false};
    state.windowExists = true;
    state.queue.clear();
    state.quitPosted = false;
    state.activeNotified = false;
    state.hasActivity = false;
    // A new window starts with every key up.
    state.altDown = false;
    std::fill(std::begin(state.keyStates), std::end(state.keyStates), SHORT{0});
    return &state.window;
}

BOOL ShowWindow(HWND window, int showCommand) {
    if (window != TheWindow()) return FALSE;
    const bool wasShown = window->shown;
    window->shown = showCommand != SW_HIDE;
    backend::Active().ShowWindow(window->shown);
    if (window->shown && !wasShown) {
        int x = 0, y = 0;
        backend::Active().ClientPosition(x, y);
        SendMessage(window, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }
    // The first showing activates the program, even where no window manager gives focus.
    if (window->shown && !wasShown && !state.hasActivity) {
        state.hasActivity = true;
        state.activeNotified = true;
        SendMessage(window, WM_ACTIVATEAPP, TRUE, 0);
    }
    return wasShown ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND window) {
    return window == TheWindow() ? TRUE : FALSE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int, int, int, int, UINT) {
    if (window != TheWindow()) return FALSE;
    if (insertAfter == HWND_TOPMOST) backend::Active().SetTopmost();
    return TRUE;
}

BOOL CloseWindow(HWND window) {
    if (window != TheWindow()) return FALSE;
    backend::Active().MinimizeWindow();
    platform::NoteRelease("window");
    return TRUE;
}

BOOL DestroyWindow(HWND window) {
    if (window != TheWindow()) return FALSE;
    SendMessage(window, WM_DESTROY, 0, 0);
    backend::Active().DestroyWindow();
    state.windowExists = false;
    // Messages for the destroyed window are dropped; WM_QUIT still arrives.
    std::erase_if(state.queue, [&](const MSG& message) { return message.hwnd == window; });
    return TRUE;
}

BOOL IsWindow(HWND window) {
    return window != nullptr && window == TheWindow();
}

BOOL PeekMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlag) {
    backend::Active().PumpEvents();
    TakeInbox();
    for (auto it = state.queue.begin(); it != state.queue.end(); ++it) {
        if (!PassesFilter(*it, window, filterMin, filterMax)) continue;
        *message = *it;
        if (removeFlag & PM_REMOVE) {
            state.queue.erase(it);
            TrackKeyState(*message);
        }
        return TRUE;
    }
    // WM_QUIT comes only once the queue is otherwise empty.
    if (state.quitPosted && state.queue.empty()) {
        *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(state.quitCode), 0, GetTickCount()};
        if (removeFlag & PM_REMOVE) state.quitPosted = false;
        return TRUE;
    }
    return FALSE;
}

BOOL WaitMessage() {
    TakeInbox();
    if (!state.queue.empty() || state.quitPosted) return TRUE;
    backend::Active().WaitEvent();
    return TRUE;
}

BOOL TranslateMessage(const MSG* message) {
    return message->message == WM_KEYDOWN || message->message == WM_SYSKEYDOWN;
}

LRESULT DispatchMessage(const MSG* message) {
    if (message->hwnd == nullptr || message->hwnd != TheWindow()) return 0;
    return message->hwnd->procedure(message->hwnd, message->message, message->wParam,
                                    message->lParam);
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (window != TheWindow()) return 0;
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_SYSKEYDOWN:
            // Alt+F4 asks to close, as the system menu would.
            if (wParam == VK_F4 && (GetKeyState(VK_MENU) & 0x8000)) {
                PostMessage(window, WM_CLOSE, 0, 0);
            }
            return 0;
        case WM_SETCURSOR:
            SetCursor(LoadArrowCursor());
            return TRUE;
        default:
            return 0;
    }
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == nullptr || window != TheWindow()) return 0;
    return window->procedure(window, message, wParam, lParam);
}

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != nullptr && window != TheWindow()) return FALSE;
    state.queue.push_back(MSG{window, message, wParam, lParam, GetTickCount()});
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    state.quitPosted = true;
    state.quitCode = exitCode;
}

SHORT GetKeyState(int virtualKey) {
    return state.keyStates[virtualKey & 0xFF];
}

void NotifyKey(int virtualKey, bool down, bool repeat) {
    if (virtualKey == VK_MENU) state.altDown = down;
    const bool altHeld = state.altDown || (virtualKey == VK_MENU && !down);
    const bool systemKey = altHeld || virtualKey == VK_F10;
    const UINT message =
        down ? (systemKey ? WM_SYSKEYDOWN : WM_KEYDOWN) : (systemKey ? WM_SYSKEYUP : WM_KEYUP);
    LPARAM flags = 1;  // repeat count
    if (altHeld) flags |= LPARAM{1} << 29;
    if (repeat || !down) flags |= LPARAM{1} << 30;
    if (!down) flags |= LPARAM{1} << 31;
    PostToWindow(message, static_cast<WPARAM>(virtualKey), flags);
}

// The pointer moved over the window: the window chooses its cursor first.
void NotifyMouseMove(int x, int y) {
    PostToWindow(WM_SETCURSOR, reinterpret_cast<WPARAM>(TheWindow()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    PostToWindow(WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

void NotifyMouseButton(MouseButton button, bool down, bool doubleClick) {
    const bool left = button == MouseButton::Left;
    UINT message = left ? WM_LBUTTONUP : WM_RBUTTONUP;
    if (down) message = left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
    if (down && doubleClick) message = left ? WM_LBUTTONDBLCLK : WM_RBUTTONDBLCLK;
    PostToWindow(message, 0, 0);
}

void NotifyActivation(bool active) {
    if (state.hasActivity && state.activeNotified == active) return;
    state.hasActivity = true;
    state.activeNotified = active;
    PostToWindow(WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
}

void NotifyMoved(int x, int y) {
    PostToWindow(WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

void NotifyCloseRequest() {
    PostToWindow(WM_CLOSE, 0, 0);
}

void PostMessageFromAnyThread(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard guard(inbox.lock);
    inbox.messages.push_back(MSG{window, message, wParam, lParam, 0});
}

HWND ApplicationWindow() {
    return TheWindow();
}

}  // namespace win
