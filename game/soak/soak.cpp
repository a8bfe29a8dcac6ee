// kirva-soak [FRAMES]: the maze game for FRAMES frames (default 100000) with a walk scripted
// through the maze and every surface lost after every 7th frame. It fails when the run does not
// end normally, when a picture after a loss differs from the same frame of a run without losses
// (every sprite and texture must come back), or when the peak resident memory at the end is
// more than 2 MB above the peak after a tenth of the frames.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "replay.h"

namespace {

constexpr int32_t kLoseEvery = 7;
constexpr long kAllowedGrowthKb = 2048;
constexpr int32_t kUp = 38, kLeft = 37, kRight = 39;

// The process's peak resident memory in kilobytes.
long PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// Forward every 12 frames, a turn every 100, mostly to the right: the player wanders the maze,
// bumping into walls and turning away from them.
std::vector<replay::KeyPress> Walk(int32_t frames) {
    std::vector<replay::KeyPress> keys;
    for (int32_t frame = 60; frame < frames; frame += 12) {
        const bool turn = frame % 100 < 12;
        keys.push_back({frame, turn ? (frame % 300 < 100 ? kLeft : kRight) : kUp, 1});
    }
    return keys;
}

// Frames right after a loss, spread over the run, and the last one.
std::vector<int32_t> ShotFrames(int32_t frames) {
    std::vector<int32_t> shots;
    for (int32_t i = 1; i <= 20; ++i) {
        const int32_t frame = frames / 20 * i / kLoseEvery * kLoseEvery + 1;
        if (frame < frames) shots.push_back(frame);
    }
    shots.push_back(frames);
    return shots;
}

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

replay::Outcome Run(int32_t frames, int32_t loseEvery, const std::string& prefix,
                    const std::vector<int32_t>& shots,
                    std::function<void(int32_t)> afterFrame = nullptr) {
    replay::Options options;
    options.frames = frames;
    options.loseEvery = loseEvery;
    options.keys = Walk(frames);
    for (int32_t frame : shots)
        options.shots.push_back({frame, prefix + std::to_string(frame) + ".png"});
    options.afterFrame = std::move(afterFrame);
    return replay::Run(options);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const int32_t frames = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (frames < 100) {
        std::fprintf(stderr, "usage: kirva-soak [FRAMES of at least 100]\n");
        return 2;
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("kirva-soak-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::vector<int32_t> shots = ShotFrames(frames);

    // The run with losses comes first, so that its peaks are its own.
    long earlyPeak = 0;
    const replay::Outcome lossy =
        Run(frames, kLoseEvery, (folder / "lost-").string(), shots, [&](int32_t frame) {
            if (frame == frames / 10) earlyPeak = PeakResidentKb();
        });
    const long finalPeak = PeakResidentKb();
    const replay::Outcome steady = Run(frames, 0, (folder / "steady-").string(), shots);

    int differing = 0;
    for (int32_t frame : shots) {
        const std::string name = std::to_string(frame) + ".png";
        const std::string a = ReadAll((folder / ("lost-" + name)).string());
        const std::string b = ReadAll((folder / ("steady-" + name)).string());
        if (a.empty() || a != b) {
            std::fprintf(stderr, "kirva-soak: the picture of frame %d differs after losses\n",
                         frame);
            ++differing;
        }
    }
    std::filesystem::remove_all(folder);
    const bool ended = lossy.quitNormally && steady.quitNormally && lossy.frames == frames;
    const bool bounded = finalPeak - earlyPeak <= kAllowedGrowthKb;
    std::printf(
        "frames=%d losses=%d picturesCompared=%zu picturesDiffering=%d "
        "peakKbAt%d=%ld peakKbAtEnd=%ld %s\n",
        lossy.frames, lossy.frames / kLoseEvery, shots.size(), differing, frames / 10, earlyPeak,
        finalPeak, ended && bounded && differing == 0 ? "passed" : "FAILED");
    return ended && bounded && differing == 0 ? 0 : 1;
}
