// Makes the program's 32 by 32 icon: a small maze seen from above, its walls light on dark blue,
// with the player's red square. Black around it is transparent.
#include <cstdio>

#include "bmp_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kr-make-icon OUTPUT.bmp\n");
        return 2;
    }
    assets::Picture icon(32, 32);
    const assets::Rgb floor{16, 24, 96}, wall{200, 210, 255}, player{230, 30, 30};
    icon.FillRect(1, 1, 31, 31, floor);
    // The outline and a few inner walls on an eight-pixel grid.
    icon.FillRect(1, 1, 31, 3, wall);
    icon.FillRect(1, 29, 31, 31, wall);
    icon.FillRect(1, 1, 3, 31, wall);
    icon.FillRect(29, 1, 31, 31, wall);
    icon.FillRect(9, 1, 11, 19, wall);
    icon.FillRect(17, 9, 19, 31, wall);
    icon.FillRect(9, 17, 17, 19, wall);
    icon.FillRect(19, 9, 27, 11, wall);
    icon.FillRect(4, 23, 8, 27, player);
    return assets::WriteBmp(icon, argv[1]) ? 0 : 1;
}
