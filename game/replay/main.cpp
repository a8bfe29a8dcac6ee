// kirva-replay: the maze game on the headless backend, driven by its command line.
#include <cstdio>
#include <string>

#include <kr/kr.h>

#include "replay.h"

namespace {

// 0 when the played run ended as the recorded one, else 3 with both lines.
int CompareWithDemo(const std::string& path, const replay::Outcome& outcome) {
    const std::string recorded = krDemo::RecordedLine();
    const std::string played = replay::Summary(outcome, false);
    krDemo::Finish("");
    if (played == recorded) return 0;
    std::fprintf(stderr, "kirva-replay: demo %s ended otherwise\nrecorded: %s\nplayed:   %s\n",
                 path.c_str(), recorded.c_str(), played.c_str());
    return 3;
}

}  // namespace

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
    if (!options.demo.empty() && !krDemo::Play(options.demo.c_str())) {
        std::fprintf(stderr, "kirva-replay: %s\n", krDemo::Error());
        return 2;
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
    if (!outcome.quitNormally || !outcome.shotsWritten) return 1;
    return options.demo.empty() ? 0 : CompareWithDemo(options.demo, outcome);
}
