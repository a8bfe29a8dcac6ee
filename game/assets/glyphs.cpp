// The glyph sheet of the game's bitmap font, drawn from stroke definitions with cairo (no
// antialiasing: every pixel is either black, which is transparent, or a glyph colour).
#include <cairo.h>

#include <cmath>
#include <numbers>
#include <sstream>
#include <string>

#include "data_files.h"

namespace assets {

namespace {

constexpr int kRowHeight = 45;
constexpr int kSheetWidth = 634;

// The x edges of the glyphs; glyph k of a row spans edge k to edge k + 1.
constexpr int kLetterEdges[27] = {0,   27,  53,  80,  108, 128, 147, 173, 200,
                                  212, 230, 256, 274, 308, 334, 360, 384, 410,
                                  435, 459, 483, 506, 532, 569, 591, 615, 634};
constexpr int kSignEdges[21] = {0,   6,   20,  29,  49,  73,  93,  117, 140, 166, 192,
                                216, 237, 263, 289, 299, 309, 335, 361, 386, 411};

// Strokes in the glyph's own unit box (x 0 to 1 across the cell, y 0 at the cap line and 1 at
// the base line, down): M x,y moves; L x,y draws a line; A and N draw an elliptic arc cx,cy,
// rx,ry,from,to in degrees (A with the clock, N against it), joined to the current point;
// B starts a new stroke without joining.
constexpr const char* kLetterStrokes[26] = {
    "M0,1 L0.5,0 L1,1 M0.22,0.64 L0.78,0.64",
    ("M0,0 L0.6,0 A0.6,0.25,0.4,0.25,-90,90 L0,0.5 M0,0.5 L0.62,0.5 "
     "A0.62,0.75,0.38,0.25,-90,90 L0,1 L0,0"),
    "B A0.5,0.5,0.5,0.5,30,330",
    "M0,0 L0,1 L0.45,1 N0.45,0.5,0.55,0.5,90,-90 L0,0",
    "M1,0 L0,0 L0,1 L1,1 M0,0.5 L0.8,0.5",
    "M1,0 L0,0 L0,1 M0,0.5 L0.8,0.5",
    "M0.55,0.55 L1,0.55 A0.5,0.5,0.5,0.5,10,320",
    "M0,0 L0,1 M1,0 L1,1 M0,0.5 L1,0.5",
    "M0,0 L1,0 M0,1 L1,1 M0.5,0 L0.5,1",
    "M1,0 L1,0.7 A0.5,0.7,0.5,0.3,0,180",
    "M0,0 L0,1 M1,0 L0,0.6 M0.32,0.4 L1,1",
    "M0,0 L0,1 L1,1",
    "M0,1 L0,0 L0.5,0.65 L1,0 L1,1",
    "M0,1 L0,0 L1,1 L1,0",
    "B A0.5,0.5,0.5,0.5,0,360",
    "M0,1 L0,0 L0.6,0 A0.6,0.27,0.4,0.27,-90,90 L0,0.54",
    "B A0.5,0.5,0.5,0.5,0,360 M0.6,0.7 L1,1",
    "M0,1 L0,0 L0.6,0 A0.6,0.27,0.4,0.27,-90,90 L0,0.54 M0.45,0.54 L1,1",
    "B N0.5,0.25,0.5,0.25,-20,-270 A0.5,0.75,0.5,0.25,-90,160",
    "M0,0 L1,0 M0.5,0 L0.5,1",
    "M0,0 L0,0.6 N0.5,0.6,0.5,0.4,180,0 L1,0",
    "M0,0 L0.5,1 L1,0",
    "M0,0 L0.25,1 L0.5,0.35 L0.75,1 L1,0",
    "M0,0 L1,1 M1,0 L0,1",
    "M0,0 L0.5,0.5 L1,0 M0.5,0.5 L0.5,1",
    "M0,0 L1,0 L0,1 L1,1",
};

// The comma to the question mark in character-code order.
constexpr const char* kSignStrokes[20] = {
    "M0.5,0.85 L0.5,1.1",
    "M0,0.55 L1,0.55",
    "M0.5,0.9 L0.5,1",
    "M1,0 L0,1",
    "B A0.5,0.5,0.5,0.5,0,360 M0.8,0.2 L0.2,0.8",
    "M0.1,0.25 L0.6,0 L0.6,1 M0.1,1 L1,1",
    "B A0.5,0.28,0.5,0.28,180,390 L0,1 L1,1",
    "B A0.5,0.25,0.5,0.25,200,450 A0.5,0.75,0.5,0.25,-90,160",
    "M0.75,1 L0.75,0 L0,0.7 L1,0.7",
    "M1,0 L0.05,0 L0,0.45 A0.5,0.68,0.5,0.32,-150,150",
    "M0.85,0 L0.5,0 N0.5,0.5,0.5,0.5,-90,-180 L0,0.7 B A0.5,0.7,0.5,0.3,180,540",
    "M0,0 L1,0 L0.35,1",
    "B A0.5,0.25,0.45,0.25,0,360 B A0.5,0.73,0.5,0.27,0,360",
    "B A0.5,0.3,0.5,0.3,0,360 M1,0.3 L1,0.5 A0.5,0.5,0.5,0.5,0,90 L0.15,1",
    "M0.5,0.3 L0.5,0.4 M0.5,0.9 L0.5,1",
    "M0.5,0.3 L0.5,0.4 M0.5,0.85 L0.5,1.1",
    "M1,0.15 L0,0.55 L1,0.95",
    "M0,0.38 L1,0.38 M0,0.72 L1,0.72",
    "M0,0.15 L1,0.55 L0,0.95",
    "B A0.5,0.27,0.5,0.27,180,405 L0.5,0.62 L0.5,0.72 M0.5,0.92 L0.5,1",
};

// Where a glyph's unit box lies in the sheet: inside its cell with room for the pen, so that
// neighbouring glyphs never touch.
struct GlyphBox {
    double left, top, width, height, pen;
};

GlyphBox BoxOfCell(int left, int right, int rowTop) {
    const double width = right - left;
    const double pen = std::fmin(5.0, width - 2.0);
    const double margin = std::fmin(pen / 2 + 1, width / 2);
    return {left + margin, rowTop + 6.0, width - 2 * margin, 32.0, pen};
}

void Arc(cairo_t* cr, const GlyphBox& box, std::istringstream& in, bool clockwise) {
    double cx, cy, rx, ry, from, to;
    char comma;
    in >> cx >> comma >> cy >> comma >> rx >> comma >> ry >> comma >> from >> comma >> to;
    cairo_save(cr);
    cairo_translate(cr, box.left + cx * box.width, box.top + cy * box.height);
    cairo_scale(cr, std::fmax(rx * box.width, 0.01), std::fmax(ry * box.height, 0.01));
    const double radians = std::numbers::pi / 180;
    if (clockwise) {
        cairo_arc(cr, 0, 0, 1, from * radians, to * radians);
    } else {
        cairo_arc_negative(cr, 0, 0, 1, from * radians, to * radians);
    }
    cairo_restore(cr);
}

void StrokeGlyph(cairo_t* cr, const GlyphBox& box, const char* strokes) {
    std::istringstream in(strokes);
    char command;
    while (in >> command) {
        if (command == 'B') {
            cairo_new_sub_path(cr);
        } else if (command == 'A' || command == 'N') {
            Arc(cr, box, in, command == 'A');
        } else {
            double x, y;
            char comma;
            in >> x >> comma >> y;
            const double px = box.left + x * box.width, py = box.top + y * box.height;
            if (command == 'M') cairo_move_to(cr, px, py);
            if (command == 'L') cairo_line_to(cr, px, py);
        }
    }
    cairo_set_line_width(cr, box.pen);
    cairo_stroke(cr);
}

template <size_t Glyphs>
void StrokeRow(cairo_t* cr, const int* edges, const char* const (&strokes)[Glyphs], int rowTop) {
    for (size_t k = 0; k < Glyphs; ++k)
        StrokeGlyph(cr, BoxOfCell(edges[k], edges[k + 1], rowTop), strokes[k]);
}

Picture FromSurface(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = row[x];
            picture.at(x, y) = {uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel)};
        }
    }
    return picture;
}

}  // namespace

Picture MakeGlyphSheet() {
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSheetWidth, 2 * kRowHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    // Pale gold at the top of each row, warming toward its base line.
    for (int row = 0; row < 2; ++row) {
        cairo_pattern_t* gradient =
            cairo_pattern_create_linear(0, row * kRowHeight, 0, (row + 1) * kRowHeight);
        cairo_pattern_add_color_stop_rgb(gradient, 0, 1.0, 0.98, 0.86);
        cairo_pattern_add_color_stop_rgb(gradient, 1, 1.0, 0.74, 0.40);
        cairo_set_source(cr, gradient);
        if (row == 0) StrokeRow(cr, kLetterEdges, kLetterStrokes, 0);
        if (row == 1) StrokeRow(cr, kSignEdges, kSignStrokes, kRowHeight);
        cairo_pattern_destroy(gradient);
    }
    cairo_destroy(cr);
    Picture sheet = FromSurface(surface);
    cairo_surface_destroy(surface);
    return sheet;
}

}  // namespace assets
