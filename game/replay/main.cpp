// kirva-replay: the maze game on the headless backend, driven by its command line.
#include <cstdio>
#include <string>

#include "replay.h"

int main(int argc, char** argv) {
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
        std::printf(
            "%.1f frames per second, %.3f ms per frame, %.3f ms processor time per "
            "frame, median frame %.3f ms\n",
            outcome.framesPerSecond, outcome.millisecondsPerFrame, outcome.cpuMillisecondsPerFrame,
            outcome.medianMilliseconds);
        std::printf("monotonic clock: first frame ended at %.6f s, last picture at %.6f s\n",
                    outcome.firstFrameEnd, outcome.lastPresent);
    }
    std::printf("%s\n", replay::Summary(outcome, options.bench).c_str());
    return outcome.quitNormally && outcome.shotsWritten ? 0 : 1;
}
