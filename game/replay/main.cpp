// kirva-replay: the maze game on the headless backend, driven by its command line.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "replay.h"

int main(int argc, char** argv) {
    // Replays are silent: no sound device is looked for.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    replay::Options options;
    std::string error;
    if (!replay::ParseArguments(argc, argv, &options, &error)) {
        std::fprintf(stderr, "kirva-replay: %s\n%s", error.c_str(), replay::kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(replay::kUsage, stdout);
        return 0;
    }
    const replay::Outcome outcome = replay::Run(options);
    if (options.bench) {
        std::printf("%.1f frames per second, %.3f ms per frame\n", outcome.framesPerSecond,
                    outcome.millisecondsPerFrame);
    }
    std::printf("%s\n", replay::Summary(outcome, options.bench).c_str());
    return outcome.quitNormally && outcome.shotsWritten ? 0 : 1;
}
