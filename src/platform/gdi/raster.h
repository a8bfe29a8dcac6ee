#pragma once
// Drawing in two steps: shapes and glyphs are rasterised into a coverage mask (cairo without
// antialiasing, plus our own one-pixel lines), then covered pixels are written in the surface's
// own format. Pixels a shape does not cover are never touched, whatever the format.
#include <cairo.h>

#include <vector>

#include "platform/gdi/dc.h"

namespace gdi {

// Pixels [left, right) by [top, bottom).
struct Box {
    int left, top, right, bottom;

    bool Empty() const { return right <= left || bottom <= top; }
};
Box Intersect(const Box& a, const Box& b);
inline Box ViewBox(const pixels::View& view) {
    return {0, 0, view.width, view.height};
}

// Two coverage levels: the low one for fills under the ink (brushes, text backgrounds), the
// high one for the ink drawn over them (pens, glyphs).
inline constexpr double kLowAlpha = 0.5;
inline constexpr uint8_t kHighLevel = 0xFF;
inline constexpr uint8_t kHighThreshold = 0xC0;

struct Coverage {
    const uint8_t* data;  // row-major over box
    int stride;
    Box box;  // in surface coordinates
};

// How covered pixels are coloured: not at all, with one value, or with an 8 by 8 pattern whose
// gaps take a second value or stay untouched.
struct Shade {
    enum class Kind { None, Solid, Pattern };
    Kind kind = Kind::None;
    uint32_t value = 0;
    uint32_t gap = 0;
    bool fillGaps = false;
    const uint8_t* pattern = nullptr;  // eight rows, bit 7 the leftmost pixel
};

Shade SolidShade(const pixels::Format& format, COLORREF colour);
Shade PenShade(HDC dc);
Shade BrushShade(HDC dc);

// Colours every pixel of area that lies in the view with the shade (where a pattern has no gap
// colour, its gaps stay as they are).
void PaintArea(const pixels::View& view, const Box& area, const Shade& shade);

// Colours the covered pixels inside clip: low-level ones with low, high-level ones with high.
void Paint(const pixels::View& view, const Coverage& coverage, const Box& clip, const Shade& low,
           const Shade& high);

// The reusable scratch mask: cairo drawing in surface coordinates onto A8 memory over a box.
class Mask {
  public:
    Mask() = default;
    ~Mask();
    Mask(const Mask&) = delete;
    Mask& operator=(const Mask&) = delete;

    // Clears the mask over box; false (and nothing to draw) when box is empty.
    bool Start(const Box& box);
    cairo_t* Cairo() const { return cairo_; }
    // Hands the memory over from cairo to Ink.
    void Flush() const { cairo_surface_flush(surface_); }
    // Marks one pixel with the high level when it lies inside the box.
    void Ink(int x, int y);
    // Ends cairo's drawing and gives the result.
    Coverage Finish();

  private:
    void EndCairo();

    std::vector<uint8_t> data_;
    Box box_{};
    int stride_ = 0;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cairo_ = nullptr;
};

Mask& ScratchMask();

}  // namespace gdi
