// Makes the program's icon: a small maze seen from above, its walls light on dark blue, with the
// player's red square; transparent around it. The 32 by 32 BMP is the window's icon resource
// (black is transparent there); PNGs of other sizes are the desktop's icons.
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "bmp_writer.h"

namespace {

constexpr int kGrid = 32;  // the design's own size

using FillRect = std::function<void(int left, int top, int right, int bottom, assets::Rgb)>;

// The design on the 32 by 32 grid, rectangles right and bottom exclusive.
void DrawIcon(const FillRect& fill) {
    const assets::Rgb floor{16, 24, 96}, wall{200, 210, 255}, player{230, 30, 30};
    fill(1, 1, 31, 31, floor);
    // The outline and a few inner walls on an eight-pixel grid.
    fill(1, 1, 31, 3, wall);
    fill(1, 29, 31, 31, wall);
    fill(1, 1, 3, 31, wall);
    fill(29, 1, 31, 31, wall);
    fill(9, 1, 11, 19, wall);
    fill(17, 9, 19, 31, wall);
    fill(9, 17, 17, 19, wall);
    fill(19, 9, 27, 11, wall);
    fill(4, 23, 8, 27, player);
}

bool WriteBmpIcon(const char* path) {
    assets::Picture icon(kGrid, kGrid);
    DrawIcon([&](int left, int top, int right, int bottom, assets::Rgb colour) {
        icon.FillRect(left, top, right, bottom, colour);
    });
    return assets::WriteBmp(icon, path);
}

bool WritePngIcon(const char* path, int size) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, double(size) / kGrid, double(size) / kGrid);
    DrawIcon([&](int left, int top, int right, int bottom, assets::Rgb colour) {
        cairo_set_source_rgb(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0);
        cairo_rectangle(cr, left, top, right - left, bottom - top);
        cairo_fill(cr);
    });
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(surface, path) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

}  // namespace

int main(int argc, char** argv) {
    const bool png = argc == 3;
    const int size = png ? std::atoi(argv[2]) : kGrid;
    if ((argc != 2 && !png) || size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: kr-make-icon OUTPUT.bmp | kr-make-icon OUTPUT.png SIZE\n");
        return 2;
    }
    const bool written = png ? WritePngIcon(argv[1], size) : WriteBmpIcon(argv[1]);
    if (!written) std::fprintf(stderr, "kr-make-icon: cannot write %s\n", argv[1]);
    return written ? 0 : 1;
}
