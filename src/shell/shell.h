#pragma once
// The shell's own pieces that tests and the replay tool drive one step at a time.
#include <kr/kr.h>

namespace krSystem {

// Start-up up to the loop: the window, the seed, the client's initialisation, the frame timer.
// False when the window cannot be created.
bool StartUp(HINSTANCE instance, const char* commandLine, int showCommand);

// One pass of the main loop: one message, or one frame, or a wait. False once WM_QUIT is taken.
bool RunLoopPass();

// Back to the state of a program that has not started: the record, the client, the waits.
void ResetForNextRun();

// The client size of a windowed program.
inline constexpr int32_t kWindowedWidth = 640;
inline constexpr int32_t kWindowedHeight = 480;

}  // namespace krSystem
