// The program a user runs: the maze game, full screen, or in a window with --window;
// --no-vsync shows frames as fast as they are made (for measuring).
#include <kr/kr.h>

#include <cstdio>
#include <cstring>

#include "maze_scene.h"

namespace {

constexpr const char* kUsage =
    "usage: kirva [--window] [--no-vsync] [--help] [--version]\n"
    "A maze seen in first person, growing while you walk it.\n"
    "  --window   play in a 640 by 480 window instead of full screen\n"
    "  --no-vsync show frames as fast as they are made, for measuring\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "keys: Left, Right turn a quarter turn; Up steps forward; Escape ends the game.\n"
    "Joystick 0 steers the same way.\n";

enum class Start { Play, Stop, Refuse };

// Takes the options; a request for text, or an option the program does not know, ends the run
// before any window opens.
Start TakeOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) {
            krSystemState.fullScreen = 0;
        } else if (std::strcmp(argv[i], "--no-vsync") == 0) {
            krSystem::SetFramePacing(0);
        } else if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return Start::Stop;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("kirva %s\n", KR_VERSION);
            return Start::Stop;
        } else {
            std::fprintf(stderr, "kirva: unknown option '%s'\n%s", argv[i], kUsage);
            return Start::Refuse;
        }
    }
    return Start::Play;
}

}  // namespace

int main(int argc, char** argv) {
    const Start start = TakeOptions(argc, argv);
    if (start != Start::Play) return start == Start::Stop ? 0 : 2;
    krSystem::RegisterClient(MazeInit, {{1, MazeFrame}});
    const int status = krSystem::Run(argc, argv);
    MazeRelease();
    return status;
}
