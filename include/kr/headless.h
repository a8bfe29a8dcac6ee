#pragma once
// Running a client without a window, sound device or joystick: a virtual clock, scripted key
// presses and the presented pictures written as PNG files. For tests, replays and captures.
//
//     krHeadless::Install();
//     krSystem::RegisterClient(Init, {{1, Frame}});
//     krSystem::StartUp(nullptr, "", SW_SHOWNORMAL);
//     while (krSystem::RunLoopPass()) krHeadless::AdvanceClock(16);
#include <kr/wintypes.h>

#include <cstdint>

namespace krHeadless {

// Makes the program headless from here on; the virtual clock starts at clockStart milliseconds.
// Call before krSystem::StartUp. Message boxes are answered with OK (No for yes/no questions);
// the framework writes one line about each on standard error, as it always does.
// SIGINT and SIGTERM then close the program the normal way, as the window's close button
// would. No sound device is opened: what plays is mixed for nobody.
void Install(uint32_t clockStart = 1000);
// Where the program is taken to be: its data files are looked for in this path's folder.
void SetProgramPath(const char* path);
// Whether message boxes are also written to standard error as "title: text" (off after Install).
void SetBoxEcho(bool echo);

// The virtual clock that the frame timing and the waits read; it moves only through these.
void SetClock(uint32_t milliseconds);
void AdvanceClock(uint32_t milliseconds);
uint32_t Clock();

// Queued as the window's key messages, taken by the following loop passes.
void PressKey(int32_t virtualKey);
void ReleaseKey(int32_t virtualKey);

// Loses every display surface, as a renderer reset does: the next drawing call meets the loss
// and the framework restores what it drew.
void LoseSurfaces();

// How many pictures the display has presented since Install.
int32_t PresentCount();
// When the last picture was presented, in seconds on the monotonic clock (for timing runs).
double LastPresentSeconds();
// Whether presented pictures are kept for WritePicture and PictureColour (they are after
// Install). Off, presents are only counted and the kept picture is forgotten: a run that takes
// no pictures saves a copy of each.
void KeepPictures(bool keep);
// Writes the last presented picture as a PNG file; false when there is none or the file cannot
// be written.
bool WritePicture(const char* pngPath);
// The colour of one pixel of the last presented picture; black outside it or when there is none.
COLORREF PictureColour(int32_t x, int32_t y);

}  // namespace krHeadless
