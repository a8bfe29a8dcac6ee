// The program a user runs. Until the maze game exists, it opens the display and presents a white
// box on black every frame until Escape or closing the window ends it.
#include <kr/kr.h>

#include <cstring>

namespace {

void OpenDisplay() {
    krDraw::Screen(640, 480);
    krSystemState.scene = 1;
}

void BoxFrame() {
    krDraw::Clear();
    krDraw::ClearRectWhite(160, 120, 480, 360);
    krDraw::Flip();
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) krSystemState.fullScreen = 0;
    }
    krSystem::RegisterClient(OpenDisplay, {{1, BoxFrame}});
    return krSystem::Run(argc, argv);
}
