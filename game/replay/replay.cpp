#include "replay.h"

#include <kr/kr.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "maze.h"
#include "maze_scene.h"

namespace replay {

const char* const kUsage =
    "usage: kirva-replay [--seed S] [--frames N] [--tick MS] [--key F:VK[:HOLD]]...\n"
    "                    [--shot F:FILE.png]... [--lose-every N] [--demo FILE] [--bench] [--help]\n"
    "  --seed S           seed of the random generator (default 1)\n"
    "  --frames N         press Escape after N frames (default 120)\n"
    "  --tick MS          virtual milliseconds per frame (default 16)\n"
    "  --key F:VK[:HOLD]  press virtual key VK at frame F, release it HOLD frames later (1)\n"
    "  --shot F:FILE.png  write the picture presented at frame F\n"
    "  --lose-every N     lose every surface after each N frames, as a device reset does\n"
    "  --demo FILE        play a demo recorded by kirva --record; exit 3 if it ends otherwise\n"
    "  --bench            real clock, no pictures: frames per second and ms per frame\n"
    "  --help             this text\n";

namespace {

using Clock = std::chrono::steady_clock;

// A whole decimal number from minimum to maximum, to the end of its text or up to stop.
bool ParseNumber(const char* text, int64_t minimum, int64_t maximum, int64_t* value,
                 const char** rest = nullptr) {
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text, &end, 10);
    if (end == text || errno != 0 || parsed < minimum || parsed > maximum) return false;
    if (rest != nullptr) {
        *rest = end;
    } else if (*end != '\0') {
        return false;
    }
    *value = parsed;
    return true;
}

constexpr int64_t kMaxFrames = 100000000;

bool ParseKey(const char* text, KeyPress* key) {
    int64_t frame = 0, virtualKey = 0, hold = 1;
    const char* rest = nullptr;
    if (!ParseNumber(text, 1, kMaxFrames, &frame, &rest) || *rest != ':') return false;
    if (!ParseNumber(rest + 1, 1, 254, &virtualKey, &rest)) return false;
    if (*rest == ':' && !ParseNumber(rest + 1, 1, kMaxFrames, &hold)) return false;
    if (*rest != ':' && *rest != '\0') return false;
    *key = {int32_t(frame), int32_t(virtualKey), int32_t(hold)};
    return true;
}

bool ParseShot(const char* text, Shot* shot) {
    int64_t frame = 0;
    const char* rest = nullptr;
    if (!ParseNumber(text, 1, kMaxFrames, &frame, &rest) || *rest != ':' || rest[1] == '\0')
        return false;
    *shot = {int32_t(frame), rest + 1};
    return true;
}

bool ParseValue(const std::string& name, const char* value, Options* options) {
    int64_t number = 0;
    if (name == "--seed") {
        if (!ParseNumber(value, 0, UINT32_MAX, &number)) return false;
        options->seed = uint32_t(number);
    } else if (name == "--frames") {
        if (!ParseNumber(value, 1, kMaxFrames, &number)) return false;
        options->frames = int32_t(number);
    } else if (name == "--tick") {
        if (!ParseNumber(value, 0, 60000, &number)) return false;
        options->tick = uint32_t(number);
    } else if (name == "--lose-every") {
        if (!ParseNumber(value, 1, kMaxFrames, &number)) return false;
        options->loseEvery = int32_t(number);
    } else if (name == "--demo") {
        options->demo = value;
        return !options->demo.empty();
    } else if (name == "--key") {
        options->keys.emplace_back();
        return ParseKey(value, &options->keys.back());
    } else {
        options->shots.emplace_back();
        return ParseShot(value, &options->shots.back());
    }
    return true;
}

// The run in progress: what the frame wrapper reads and counts.
struct Run {
    const Options* options = nullptr;
    int32_t frames = 0;
    bool shotsWritten = true;
    Clock::time_point firstFrameStart, lastFrameEnd, firstFrameEnd;
    std::clock_t firstFrameCpu = 0, lastFrameCpu = 0;
    std::vector<float> frameMilliseconds;  // in a benchmark only
    uint32_t clockStart = 0;               // the virtual clock when the program had started
    Clock::time_point realStart;
    int presents = 0;
} run;

void QueueKeys(int32_t frame) {
    for (const KeyPress& key : run.options->keys) {
        if (key.frame == frame) krHeadless::PressKey(key.virtualKey);
        if (key.frame + key.hold == frame) krHeadless::ReleaseKey(key.virtualKey);
    }
}

void WriteShots(int32_t frame) {
    for (const Shot& shot : run.options->shots) {
        if (shot.frame != frame) continue;
        if (!krHeadless::WritePicture(shot.file.c_str())) {
            std::fprintf(stderr, "kirva-replay: cannot write %s\n", shot.file.c_str());
            run.shotsWritten = false;
        }
    }
}

// Only the pictures of frames with a shot are kept: copying each picture costs time.
void KeepPictureFor(int32_t frame) {
    const auto& shots = run.options->shots;
    const bool shot = std::any_of(shots.begin(), shots.end(),
                                  [frame](const Shot& taken) { return taken.frame == frame; });
    krHeadless::KeepPictures(shot && !run.options->bench);
}

void ReplayFrame() {
    const Clock::time_point start = Clock::now();
    if (run.frames == 0) {
        run.firstFrameStart = start;
        run.firstFrameCpu = std::clock();
    }
    MazeFrame();
    run.frames += 1;
    run.lastFrameEnd = Clock::now();
    run.lastFrameCpu = std::clock();
    if (run.frames == 1) run.firstFrameEnd = run.lastFrameEnd;
    if (run.options->bench) {
        run.frameMilliseconds.push_back(
            std::chrono::duration<float, std::milli>(run.lastFrameEnd - start).count());
    }
    if (!run.options->bench) WriteShots(run.frames);
    if (run.options->afterFrame) run.options->afterFrame(run.frames);
    if (run.options->loseEvery > 0 && run.frames % run.options->loseEvery == 0)
        krHeadless::LoseSurfaces();
    QueueKeys(run.frames + 1);
    KeepPictureFor(run.frames + 1);
    // A demo brings its own Escape.
    if (run.frames == run.options->frames && !krDemo::IsPlaying()) {
        krHeadless::PressKey(VK_ESCAPE);
        krHeadless::ReleaseKey(VK_ESCAPE);
    }
}

void StartProgram(const Options& options) {
    krHeadless::Install();
    krSystem::ResetForNextRun();
    // The program replayed is kirva, beside this tool: it finds its data files as kirva does.
    std::error_code error;
    const std::filesystem::path folder =
        options.dataDirectory.empty()
            ? std::filesystem::read_symlink("/proc/self/exe", error).parent_path()
            : std::filesystem::path(options.dataDirectory);
    krHeadless::SetProgramPath((folder / "kirva").c_str());
    krSystem::RegisterClient(MazeInit, {{1, ReplayFrame}});
    krSystem::StartUp(nullptr, "", SW_SHOWNORMAL);
    // Nothing has drawn a random number yet: the maze is carved from the first frame on. A demo
    // has seeded it already.
    if (!krDemo::IsPlaying()) crt::srand(options.seed);
    QueueKeys(1);
    KeepPictureFor(1);
    run.clockStart = krHeadless::Clock();
    run.realStart = Clock::now();
    run.presents = krHeadless::PresentCount();
}

// One pass of the main loop; each presented picture moves the virtual clock by one tick, or, in a
// benchmark, to the real time. False once the program has quit.
bool Pass() {
    if (!krSystem::RunLoopPass()) return false;
    if (krHeadless::PresentCount() == run.presents) return true;
    run.presents = krHeadless::PresentCount();
    if (run.options->bench) {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - run.realStart);
        krHeadless::SetClock(run.clockStart + uint32_t(elapsed.count()));
    } else {
        krHeadless::AdvanceClock(run.options->tick);
    }
    return true;
}

// Runs until the program quits or, if it never does, a bound well past the transition.
bool RunUntilQuit() {
    const int64_t frames =
        krDemo::IsPlaying() ? int64_t{krDemo::FrameCount()} : run.options->frames;
    const int64_t presentLimit = frames + 10000;
    while (krHeadless::PresentCount() < presentLimit) {
        if (!Pass()) return true;
    }
    krSystem::Quit();
    while (krSystem::RunLoopPass()) {
    }
    return false;
}

double Median(std::vector<float> values) {
    if (values.empty()) return 0;
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    if (values.size() % 2 == 1) return *middle;
    return (double(*middle) + double(*std::max_element(values.begin(), middle))) / 2;
}

double SecondsOf(Clock::time_point when) {
    return std::chrono::duration<double>(when.time_since_epoch()).count();
}

void MeasureBenchmark(Outcome* outcome) {
    const double seconds =
        std::chrono::duration<double>(run.lastFrameEnd - run.firstFrameStart).count();
    if (run.frames == 0 || seconds <= 0) return;
    outcome->framesPerSecond = run.frames / seconds;
    outcome->millisecondsPerFrame = 1000.0 * seconds / run.frames;
    outcome->cpuMillisecondsPerFrame =
        1000.0 * double(run.lastFrameCpu - run.firstFrameCpu) / CLOCKS_PER_SEC / run.frames;
    outcome->medianMilliseconds = Median(std::move(run.frameMilliseconds));
    outcome->firstFrameEnd = SecondsOf(run.firstFrameEnd);
    outcome->lastPresent = krHeadless::LastPresentSeconds();
}

}  // namespace

bool ParseArguments(int argc, const char* const* argv, Options* options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help") {
            options->help = true;
        } else if (name == "--bench") {
            options->bench = true;
        } else if (name == "--seed" || name == "--frames" || name == "--tick" || name == "--key" ||
                   name == "--shot" || name == "--lose-every" || name == "--demo") {
            if (i + 1 >= argc) {
                *error = name + " needs a value";
                return false;
            }
            if (!ParseValue(name, argv[++i], options)) {
                *error = "bad value for " + name + ": " + argv[i];
                return false;
            }
        } else {
            *error = "unknown option: " + name;
            return false;
        }
    }
    return true;
}

bool Start(const Options& options, int32_t untilFrame) {
    run = {};
    run.options = &options;
    StartProgram(options);
    while (run.frames < untilFrame) {
        if (!Pass()) return false;
    }
    return true;
}

Outcome Finish() {
    Outcome outcome;
    outcome.quitNormally = RunUntilQuit();
    MazeRelease();
    outcome.frames = run.frames;
    outcome.shotsWritten = run.shotsWritten;
    MeasureBenchmark(&outcome);
    run = {};
    return outcome;
}

Outcome Run(const Options& options) {
    Start(options, 0);
    return Finish();
}

std::string Summary(const Outcome& outcome, bool bench) {
    std::string summary = MazeStateLine(outcome.frames);
    char line[100];
    if (bench) {
        std::snprintf(line, sizeof line,
                      " fps=%.1f msPerFrame=%.3f cpuMsPerFrame=%.3f medianMs=%.3f",
                      outcome.framesPerSecond, outcome.millisecondsPerFrame,
                      outcome.cpuMillisecondsPerFrame, outcome.medianMilliseconds);
        summary += line;
    }
    return summary;
}

}  // namespace replay
