#pragma once
// Pixel memory for device-context tests: a view in a chosen format with a guard band around it
// that no drawing may touch, and a context over it.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/gdi/gdi.h"

class Canvas {
  public:
    static constexpr int kGuard = 16;
    static constexpr uint8_t kGuardByte = 0xA5;

    Canvas(int width, int height, const pixels::Format& format, COLORREF fill = RGB(0, 0, 0));
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return context_; }
    const pixels::View& view() const { return view_; }
    COLORREF At(int x, int y) const { return gdi::GetPixel(context_, x, y); }
    uint32_t Raw(int x, int y) const;
    void Fill(COLORREF colour);
    bool GuardIntact() const;
    // How many pixels of the canvas hold the colour.
    int Count(COLORREF colour) const;
    // Every pixel, row by row.
    std::vector<COLORREF> Pixels() const;

  private:
    std::vector<uint8_t> memory_;
    pixels::View view_;
    HDC context_;
};

// Every pixel of the canvas against the expected picture, and the guard band intact.
void ExpectPicture(const Canvas& canvas, const std::function<COLORREF(int x, int y)>& expected);

// Whether pixel (x, y) is ink in the diagonal-cross hatch, which is anchored at the surface's
// origin; bit 7 of each row is the leftmost pixel.
inline bool HatchBit(int x, int y) {
    constexpr uint8_t kRows[] = {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81};
    return ((kRows[y & 7] >> (7 - (x & 7))) & 1) != 0;
}
