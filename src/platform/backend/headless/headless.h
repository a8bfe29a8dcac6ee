#pragma once
// The backend without a window: a virtual clock, injected input, captured message boxes.
// Tests and the replay tool drive the program through it.
#include "platform/win/types.h"

#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/pixels/pixels.h"

namespace headless {

// Makes a fresh headless backend the active one: clock at start, no window, no boxes.
void Install(uint32_t clockStart = 1000);

// The virtual clock: read by GetTickCount, moved only by these (and by the tick step).
void SetClock(uint32_t milliseconds);
void AdvanceClock(uint32_t milliseconds);
uint32_t Clock();
// Every reading of the clock advances it by this much afterwards (0 by default), so that code
// that spins on the clock ends.
void SetTickStep(uint32_t milliseconds);

// Input, queued as the window's messages.
void PressKey(int virtualKey);
void ReleaseKey(int virtualKey);
void MoveMouse(int x, int y);
// Moves the window's client area to (x, y) on the desktop and says so, as a window manager does.
void MoveWindow(int x, int y);
void SetActive(bool active);
void RequestClose();
// From now on SIGINT and SIGTERM request a close (at the next look for messages), as the
// window's close button does, instead of killing the process.
void CloseOnStopSignals();

struct Box {
    std::string caption;
    std::string text;
    UINT type;
};
// Every box shown since Install or ClearBoxes, oldest first.
const std::vector<Box>& Boxes();
void ClearBoxes();
// The answer to yes/no questions (IDNO unless set); other boxes answer IDOK.
void SetYesNoAnswer(int answer);
// Whether boxes are also written to standard error as "caption: text" (off by default: the
// shell writes its own line for every box).
void SetBoxEcho(bool echo);

// Joysticks: none until a test plugs one in. A new one rests (every axis 0) and is read after
// those plugged in before it; its reading may be changed at will while it is plugged in.
backend::JoystickReading& PlugJoystick();
void UnplugJoystick(const backend::JoystickReading& joystick);

void SetDesktop(int width, int height, int bitsPerPixel);
void SetModulePath(const std::string& path);
// Fixes the calendar time that the local date and time read (0: the real time).
void SetCalendarTime(int64_t secondsSinceEpoch);

struct WindowInfo {
    bool exists = false;
    bool shown = false;
    bool minimized = false;
    int minimizeCount = 0;
    bool topmost = false;
    bool popup = false;
    bool hasIcon = false;
    std::string title;
    int x = 0, y = 0, width = 0, height = 0;
};
const WindowInfo& Window();

// The last picture the display presented, kept as it was shown.
struct Picture {
    int32_t width = 0, height = 0;
    pixels::Format format{};
    std::vector<uint8_t> memory;  // rows without padding

    COLORREF At(int32_t x, int32_t y) const;
};
const Picture& LastPicture();
// Whether presented pictures are kept (they are after Install). Off, presents are only counted
// and the kept picture is forgotten: a run that takes no pictures saves a copy of each.
void KeepPictures(bool keep);
int PresentCount();
// When the last picture was presented, in seconds on the monotonic clock.
double LastPresentSeconds();
// Writes the last picture as a PNG file; false when there is none or the file cannot be written.
bool WritePicturePng(const std::string& path);

bool CursorVisible();
int BeepCount();

}  // namespace headless
