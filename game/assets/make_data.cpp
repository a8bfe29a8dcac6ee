// Makes the maze game's six data files in the given folder.
#include <cstdio>
#include <fstream>
#include <string>

#include "data_files.h"

namespace {

bool WriteText(const std::string& text, const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kr-make-data FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const bool written = assets::WriteBmp(assets::MakeMask(), folder + "MASK.BMP") &&
                         assets::WriteBmp(assets::MakeGlyphSheet(), folder + "ABC.BMP") &&
                         assets::WriteBmp(assets::MakeWallTexture(), folder + "BACK.BMP") &&
                         assets::WriteBmp(assets::MakeBallTexture(), folder + "blue.BMP") &&
                         WriteText(assets::MakePanelModel(), folder + "SAMPLE8.X") &&
                         WriteText(assets::MakeBallModel(), folder + "ball.X");
    if (!written) std::fprintf(stderr, "kr-make-data: cannot write into %s\n", argv[1]);
    return written ? 0 : 1;
}
