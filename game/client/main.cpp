// The program a user runs: the maze game, full screen, or in a window with --window;
// --no-vsync shows frames as fast as they are made (for measuring). It records demos and plays
// them back; F12 writes a screenshot.
#include <kr/kr.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "maze_scene.h"

namespace {

constexpr const char* kUsage =
    "usage: kirva [--window] [--no-vsync] [--record FILE | --play FILE] [--shot F:FILE.png]\n"
    "             [--help] [--version]\n"
    "A maze seen in first person, growing while you walk it.\n"
    "  --window          play in a 640 by 480 window instead of full screen\n"
    "  --no-vsync        show frames as fast as they are made, for measuring\n"
    "  --record FILE     record the game into the demo FILE\n"
    "  --play FILE       play the demo FILE back; Escape ends it\n"
    "  --shot F:FILE.png write the picture of maze frame F\n"
    "  --help            this text\n"
    "  --version         the version\n"
    "keys: Left, Right turn a quarter turn; Up steps forward; Escape ends the game;\n"
    "F12 saves a screenshot in the pictures folder. Joystick 0 steers the same way.\n";

enum class Start { Play, Stop, Refuse };

struct Settings {
    const char* record = nullptr;
    const char* play = nullptr;
    int32_t shotFrame = 0;
    std::string shotFile;
};

// The maze frames run and the picture asked for.
struct Progress {
    Settings settings;
    int32_t frames = 0;
    bool shotWritten = true;
} progress;

void CountedMazeFrame() {
    MazeFrame();
    progress.frames += 1;
    if (progress.frames != progress.settings.shotFrame) return;
    if (krDraw::WritePicture(progress.settings.shotFile.c_str()) == 0) {
        std::fprintf(stderr, "kirva: cannot write %s\n", progress.settings.shotFile.c_str());
        progress.shotWritten = false;
    }
}

// F:FILE with F a frame from 1.
bool TakeShot(const char* text, Settings* settings) {
    char* end = nullptr;
    errno = 0;
    const long frame = std::strtol(text, &end, 10);
    if (end == text || errno != 0 || frame < 1 || frame > INT32_MAX || *end != ':' ||
        end[1] == '\0')
        return false;
    settings->shotFrame = static_cast<int32_t>(frame);
    settings->shotFile = end + 1;
    return true;
}

// The value of an option that takes one; null when it is missing or malformed.
const char* Value(int argc, char** argv, int* i, Settings* settings) {
    const char* name = argv[*i];
    if (*i + 1 >= argc) return nullptr;
    const char* value = argv[++*i];
    if (std::strcmp(name, "--shot") == 0) return TakeShot(value, settings) ? value : nullptr;
    (std::strcmp(name, "--record") == 0 ? settings->record : settings->play) = value;
    return value;
}

bool TakesValue(const char* option) {
    return std::strcmp(option, "--record") == 0 || std::strcmp(option, "--play") == 0 ||
           std::strcmp(option, "--shot") == 0;
}

Start Refuse(const char* what, const char* option) {
    std::fprintf(stderr, "kirva: %s '%s'\n%s", what, option, kUsage);
    return Start::Refuse;
}

// Takes the options; a request for text, or an option the program does not know, ends the run
// before any window opens.
Start TakeOptions(int argc, char** argv, Settings* settings) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) {
            krSystemState.fullScreen = 0;
        } else if (std::strcmp(argv[i], "--no-vsync") == 0) {
            krSystem::SetFramePacing(0);
        } else if (TakesValue(argv[i])) {
            if (Value(argc, argv, &i, settings) == nullptr) return Refuse("bad value for", argv[i]);
        } else if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return Start::Stop;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("kirva %s\n", KR_VERSION);
            return Start::Stop;
        } else {
            return Refuse("unknown option", argv[i]);
        }
    }
    if (settings->record != nullptr && settings->play != nullptr)
        return Refuse("cannot record while playing", "--play");
    return Start::Play;
}

// Opens the demo to record or reads the one to play; false after saying why.
bool StartDemo(const Settings& settings) {
    const bool started = settings.record != nullptr ? krDemo::Record(settings.record) == 1
                         : settings.play != nullptr ? krDemo::Play(settings.play) == 1
                                                    : true;
    if (!started) std::fprintf(stderr, "kirva: %s\n", krDemo::Error());
    return started;
}

// A recording ends with the state line that kirva-replay prints for it.
bool FinishDemo() {
    const std::string line = MazeStateLine(progress.frames);
    if (krDemo::Finish(line.c_str()) == 1) return true;
    std::fprintf(stderr, "kirva: %s\n", krDemo::Error());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const Start start = TakeOptions(argc, argv, &progress.settings);
    if (start != Start::Play) return start == Start::Stop ? 0 : 2;
    if (!StartDemo(progress.settings)) return 2;
    krSystem::RegisterClient(MazeInit, {{1, CountedMazeFrame}});
    krSystem::SetScreenshotKey(VK_F12, "kirva");
    int status = krSystem::Run(argc, argv);
    MazeRelease();
    if (!FinishDemo() || !progress.shotWritten) status = 1;
    return status;
}
