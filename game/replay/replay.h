#pragma once
// Replays of the maze game on the headless backend: a fixed seed, a virtual clock, scripted keys,
// PNG captures of presented frames and a one-line summary of the game's state.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace replay {

struct KeyPress {
    int32_t frame;  // pressed before this frame runs (frames count from 1)
    int32_t virtualKey;
    int32_t hold;  // released before frame + hold runs
};

struct Shot {
    int32_t frame;  // written once this frame has been presented
    std::string file;
};

struct Options {
    uint32_t seed = 1;
    int32_t frames = 120;  // Escape is pressed after this many frames
    uint32_t tick = 16;    // virtual milliseconds per presented frame
    std::vector<KeyPress> keys;
    std::vector<Shot> shots;
    int32_t loseEvery = 0;  // every surface lost after each such number of frames; 0: never
    std::string demo;       // a demo to play instead of the seed and keys, loaded by the caller
    bool bench = false;     // real clock, no captures
    bool help = false;
    // Where the data files are; empty: beside the running program.
    std::string dataDirectory;
    // Called after every maze frame with its number, for callers that watch the game.
    std::function<void(int32_t frame)> afterFrame;
};

struct Outcome {
    int32_t frames = 0;  // maze frames run
    bool quitNormally = false;
    bool shotsWritten = true;
    double framesPerSecond = 0;
    double millisecondsPerFrame = 0;
    // In a benchmark: the process's processor time per maze frame, the median of the frames'
    // own times, and on the monotonic clock in seconds, when the first frame ended and when the
    // last picture was presented (a script that starts the tool reads start and exit off them).
    double cpuMillisecondsPerFrame = 0;
    double medianMilliseconds = 0;
    double firstFrameEnd = 0;
    double lastPresent = 0;
};

extern const char* const kUsage;

// False with a message for an unknown option or a malformed or out-of-range value.
bool ParseArguments(int argc, const char* const* argv, Options* options, std::string* error);

Outcome Run(const Options& options);

// Run in two steps, for a caller that looks at the game on the way: Start starts the program as
// Run does and runs it until untilFrame maze frames have run (false if it quit before); Finish
// runs it on to its end and gives what Run gives. The options must outlive both.
bool Start(const Options& options, int32_t untilFrame);
Outcome Finish();

// frames=... mazeSteps=... playerX=... playerY=... heading=... facing=... quitState=... and more.
std::string Summary(const Outcome& outcome, bool bench);

}  // namespace replay
