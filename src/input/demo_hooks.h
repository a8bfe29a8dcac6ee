#pragma once
// Where a recording or playback meets the shell's loop and the input module's joystick reads.
#include <kr/demo.h>

#include "platform/joy/joy.h"
#include "platform/win/types.h"

namespace krDemo {

// The seed the program uses: the live one, kept in a recording, or the played demo's.
unsigned TakeSeed(unsigned liveSeed);
// The start of the program's start-up: the clock is held, joysticks are read or played.
void BeginStartUp();
// Whether a message from the window goes on to the window procedure; a recording keeps the key
// messages, a playback drops them but Escape.
bool TakeMessage(const MSG& message);
// Before each frame: the clock, keys and joysticks of the frame. False once a playback has run
// out of frames: the window has been asked to close, and no frame runs.
bool BeginFrame();
// A pause under a held clock moves the clock on instead of waiting for it.
bool HoldsClock();
void PassTime(uint32_t milliseconds);
// Joysticks read as the demo has them: false when no demo runs, else whether it is plugged.
bool HeldJoystick(UINT joystick, joy::JOYINFOEX* info, bool* plugged);

}  // namespace krDemo
