#pragma once
// Pixel memory as the display, GDI and the 3D rasterizer share it: a format given by its masks
// and a view of locked rows.
#include "platform/win/types.h"

#include <bit>
#include <cstdint>

namespace pixels {

struct Format {
    uint32_t bitsPerPixel;
    uint32_t redMask, greenMask, blueMask;

    friend bool operator==(const Format&, const Format&) = default;
};

inline constexpr Format kRgb565{16, 0xF800, 0x07E0, 0x001F};
inline constexpr Format kRgb555{16, 0x7C00, 0x03E0, 0x001F};
inline constexpr Format kRgb888{32, 0xFF0000, 0x00FF00, 0x0000FF};

inline constexpr uint32_t BytesPerPixel(const Format& format) {
    return format.bitsPerPixel / 8;
}

// A locked rectangle of pixels: row y starts at data + y * pitch.
struct View {
    uint8_t* data;
    int32_t pitch;
    int32_t width, height;
    Format format;

    uint8_t* Row(int32_t y) const { return data + static_cast<intptr_t>(y) * pitch; }
};

// One 8-bit channel into a mask: the top bits of the channel are kept.
constexpr uint32_t PackChannel(uint8_t value, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    return (static_cast<uint32_t>(value) >> (8 - bits) << shift) & mask;
}

// A channel out of a mask, widened to 8 bits by repeating its top bits (31 -> 255, 63 -> 255).
constexpr uint8_t UnpackChannel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
    const int refill = 2 * bits - 8 > 0 ? 2 * bits - 8 : 0;
    return static_cast<uint8_t>((value << (8 - bits)) | (value >> refill));
}

constexpr uint32_t Pack(const Format& format, COLORREF colour) {
    return PackChannel(GetRValue(colour), format.redMask) |
           PackChannel(GetGValue(colour), format.greenMask) |
           PackChannel(GetBValue(colour), format.blueMask);
}

constexpr COLORREF Unpack(const Format& format, uint32_t pixel) {
    return RGB(UnpackChannel(pixel, format.redMask), UnpackChannel(pixel, format.greenMask),
               UnpackChannel(pixel, format.blueMask));
}

}  // namespace pixels
