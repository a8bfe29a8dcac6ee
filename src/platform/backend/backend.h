#pragma once
// What the window platform asks of the machine. One backend is active at a time: the SDL one for
// a real window, or the headless one for tests and replays.
#include "platform/win/types.h"

#include <cstdint>

#include "platform/pixels/pixels.h"
#include "platform/win/resources.h"

namespace backend {

// A joystick as the device library reads it: axes from -32768 to 32767 in the order X, Y, Z, R,
// U, V (0 for axes the device lacks), buttons as bits (the first button is bit 0), and the first
// hat as the bits below.
struct JoystickReading {
    int32_t axes[6] = {};
    uint32_t buttons = 0;
    uint8_t hat = 0;
};
inline constexpr uint8_t kHatUp = 1, kHatRight = 2, kHatDown = 4, kHatLeft = 8;

enum class JoystickAnswer { Read, Unplugged, NoDriver };

struct WindowSpec {
    const char* title;
    int x, y, width, height;
    bool popup;  // a screen-covering window without decorations
};

class Backend {
  public:
    virtual ~Backend() = default;

    virtual bool CreateWindow(const WindowSpec& request) = 0;
    virtual void SetIcon(const win::Resource& bitmap) = 0;
    virtual void ShowWindow(bool visible) = 0;
    virtual void SetTopmost() = 0;
    virtual void MinimizeWindow() = 0;
    virtual void DestroyWindow() = 0;

    // Turns pending input into messages through the notifications of win/events.h.
    virtual void PumpEvents() = 0;
    // Blocks until input arrives (or returns at once where there is none to wait for).
    virtual void WaitEvent() = 0;

    virtual uint32_t TickCount() = 0;
    virtual int MessageBox(const char* text, const char* caption, UINT type) = 0;
    virtual void Beep() = 0;

    virtual int DesktopWidth() = 0;
    virtual int DesktopHeight() = 0;
    virtual int DesktopBits() = 0;

    // Where the window's client area is on the desktop.
    virtual void ClientPosition(int& x, int& y) = 0;

    virtual void SetCursorVisible(bool visible) = 0;
    virtual bool CursorPosition(int& x, int& y) = 0;
    virtual bool WarpCursor(int x, int y) = 0;
    virtual bool ConfineCursor(const RECT* rect) = 0;

    // Shows a picture of the display in the window: scaled with its aspect kept, nearest
    // sampling, letterboxed. The pixels are read during the call only.
    virtual void Present(const pixels::View& picture) = 0;
    // Whether presentation waits for the display's next refresh (where the backend has a
    // display to wait for).
    virtual void SetFramePacing(bool paced) = 0;

    // Joystick `index` in the order the devices were connected.
    virtual JoystickAnswer ReadJoystick(unsigned index, JoystickReading& reading) = 0;
    // Lets go of every device and reads devices and mappings afresh; false when there is no
    // joystick system.
    virtual bool RestartJoysticks() = 0;

    // Seconds of calendar time, for the local date and time.
    virtual int64_t CalendarTime() = 0;

    // The executable's own path.
    virtual const char* ModulePath() = 0;
};

// The active backend: the SDL one unless another was installed.
Backend& Active();
void Install(Backend* backend);

// Monotonic milliseconds, 32-bit and wrapping.
uint32_t RealTickCount();
int64_t RealCalendarTime();
// The running executable's path from /proc/self/exe.
const char* ExecutablePath();

}  // namespace backend
