// The program a user runs. Until the maze game exists, it opens the window and runs empty frames
// of scene 1 until Escape or closing the window ends it.
#include <kr/kr.h>

#include <cstring>

namespace {

void StartEmptyScene() {
    krSystemState.scene = 1;
}

void EmptyFrame() {}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) krSystemState.fullScreen = 0;
    }
    krSystem::RegisterClient(StartEmptyScene, {{1, EmptyFrame}});
    return krSystem::Run(argc, argv);
}
