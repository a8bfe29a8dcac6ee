// The 2D showcase: every transition, the overlay page, the row effects, the wipes and the pixel
// and blend effects, one after another with a caption. "--capture DIR" runs without a display
// and writes one PNG picture of each into DIR; "--window" runs in a window of the desktop's depth.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <kr/kr.h>

#include "showcase.h"

namespace {

constexpr uint32_t kFrameMilliseconds = 33;

int Capture(const std::string& directory) {
    std::filesystem::create_directories(directory);
    krHeadless::Install();
    krHeadless::SetBoxEcho(true);
    showcase::Register();
    if (!krSystem::StartUp(nullptr, "", SW_SHOWNORMAL)) return 1;
    int written = 0;
    while (krSystem::RunLoopPass()) {
        krHeadless::AdvanceClock(kFrameMilliseconds);
        const char* name = showcase::PictureDue();
        if (name == nullptr) continue;
        const std::string path = directory + "/" + name + ".png";
        if (!krHeadless::WritePicture(path.c_str())) {
            std::fprintf(stderr, "Cannot write %s\n", path.c_str());
            return 1;
        }
        ++written;
    }
    std::printf("%d pictures written to %s\n", written, directory.c_str());
    return showcase::Finished() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--capture") == 0) return Capture(argv[2]);
    // The pixel effects need the 16-bit display mode that full screen sets; a window takes the
    // desktop's depth, where they draw nothing when that is 32 bits.
    if (argc == 2 && std::strcmp(argv[1], "--window") == 0) krSystemState.fullScreen = 0;
    showcase::Register();
    return krSystem::Run(argc, argv);
}
