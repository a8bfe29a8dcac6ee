#pragma once
// krDemo: recording a run and playing it back exactly. A recording keeps the random seed, the
// clock of every frame, the key messages and the states of joysticks 0 and 1; a playback gives
// the program exactly these instead of the live ones, so that it runs the same frames again (on
// a window or headless). Live key messages are dropped during a playback, except Escape, which
// ends it the normal way. While a demo records or plays, the clock reads the same all through a
// frame and a pause does not wait. Call Record or Play before krSystem::StartUp (or Run).
//
//     krDemo::Record("walk.demo");  ...run...  krDemo::Finish("the client's closing line");
#include <cstdint>

namespace krDemo {

// 1 when the file could be created (it is written by Finish); 0 with Error() set.
int32_t Record(const char* path);
// 1 when the file is a whole demo that this version reads; 0 with Error() set.
int32_t Play(const char* path);
// Ends a recording or playback. A recording is written with the client's closing line (a short
// summary of the end state, printable ASCII); 0 with Error() set when it cannot be written.
int32_t Finish(const char* closingLine);

// 1 while a demo plays back.
int32_t IsPlaying();
// The played demo's frame count (frames after the start-up) and the closing line it was
// recorded with.
uint32_t FrameCount();
const char* RecordedLine();
// The last failure: the file and what is wrong with it, in one line.
const char* Error();

}  // namespace krDemo
