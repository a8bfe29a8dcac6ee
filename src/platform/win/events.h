#pragma once
// How a backend hands its input to the window platform, which turns it into messages.
#include "platform/win/types.h"

namespace win {

// A key in Windows virtual-key codes. Keys pressed while Alt is held, and F10, are system keys.
void NotifyKey(int virtualKey, bool down, bool repeat = false);
void NotifyMouseMove(int x, int y);
enum class MouseButton { Left, Right };
void NotifyMouseButton(MouseButton button, bool down, bool doubleClick = false);
// Posts WM_ACTIVATEAPP when the program's activity changes.
void NotifyActivation(bool active);
void NotifyMoved(int x, int y);
void NotifyCloseRequest();

// Posts a message from another thread (the audio thread's notifications); the main thread
// takes it into the queue at its next look at the queue.
void PostMessageFromAnyThread(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window that backends post to, or null before creation and after destruction.
HWND ApplicationWindow();

}  // namespace win
