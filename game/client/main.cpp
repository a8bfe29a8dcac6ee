// The program a user runs: the maze game, full screen, or in a window with --window;
// --no-vsync shows frames as fast as they are made (for measuring).
#include <kr/kr.h>

#include <cstring>

#include "maze_scene.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) krSystemState.fullScreen = 0;
        if (std::strcmp(argv[i], "--no-vsync") == 0) krSystem::SetFramePacing(0);
    }
    krSystem::RegisterClient(MazeInit, {{1, MazeFrame}});
    const int status = krSystem::Run(argc, argv);
    MazeRelease();
    return status;
}
