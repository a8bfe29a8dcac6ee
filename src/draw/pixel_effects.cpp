// Blit-shaped software effects of a sprite object onto the Back surface: blends, brightness,
// channels, grey, block blur and the ripple. A black source pixel is transparent except in the
// ripple.
#include <cmath>

#include "draw/pixels16.h"

namespace krDraw {

namespace {

using pixels16::Components;
using pixels16::Locked;

// Where the rectangle lands; 64-bit so that no edge arithmetic wraps.
struct Placement {
    int64_t x, y, l, t, w, h;
};

// The cut to the clip rectangle, edge by edge; false when nothing is left.
bool ClipPlacement(Placement& p) {
    if (p.x + p.w > clip.right) p.w -= p.x + p.w - clip.right;
    if (p.y + p.h > clip.bottom) p.h -= p.y + p.h - clip.bottom;
    if (p.x < clip.left) {
        p.l += clip.left - p.x;
        p.w -= clip.left - p.x;
        p.x = clip.left;
    }
    if (p.y < clip.top) {
        p.t += clip.top - p.y;
        p.h -= clip.top - p.y;
        p.y = clip.top;
    }
    return p.w > 0 && p.h > 0;
}

// One axis cut further to both surfaces, whatever the clip rectangle allowed.
void FitAxis(int64_t& destination, int64_t& source, int64_t& extent, int32_t destinationLimit,
             int32_t sourceLimit) {
    const int64_t low = std::max<int64_t>({0, -destination, -source});
    const int64_t high =
        std::min<int64_t>({extent, destinationLimit - destination, sourceLimit - source});
    destination += low;
    source += low;
    extent = std::max<int64_t>(0, high - low);
}

// Clips, locks the object and the Back surface, fits the rectangle to both and runs the body.
template <class Body>
int32_t OnPlacement(int32_t x, int32_t y, int32_t object, int32_t l, int32_t t, int32_t r,
                    int32_t b, Body body) {
    Placement p{x, y, l, t, int64_t{r} - l, int64_t{b} - t};
    if (!ClipPlacement(p)) return 1;
    Locked source, back;
    if (!pixels16::LockPair(object, source, back)) return 0;
    FitAxis(p.x, p.l, p.w, back.width, source.width);
    FitAxis(p.y, p.t, p.h, back.height, source.height);
    if (p.w > 0 && p.h > 0) body(source, back, p);
    pixels16::Unlock(source);
    pixels16::Unlock(back);
    return 1;
}

// The common per-pixel walk: rule(s, d) gives the new destination of each non-zero source.
template <class Rule>
int32_t Blit(int32_t x, int32_t y, int32_t object, int32_t l, int32_t t, int32_t r, int32_t b,
             Rule rule) {
    return OnPlacement(x, y, object, l, t, r, b,
                       [&](const Locked& source, const Locked& back, const Placement& p) {
                           for (int64_t row = 0; row < p.h; ++row) {
                               const uint16_t* from =
                                   source.Row(static_cast<int32_t>(p.t + row)) + p.l;
                               uint16_t* to = back.Row(static_cast<int32_t>(p.y + row)) + p.x;
                               for (int64_t col = 0; col < p.w; ++col) {
                                   if (from[col] != 0) to[col] = rule(from[col], to[col]);
                               }
                           }
                       });
}

// Per-component tables of trunc(value * factor) and of the blend of two values.
struct Scales {
    pixels16::ScaleTable red, green, blue;
};

Scales MakeScales(float red, float green, float blue) {
    Scales scales{};
    pixels16::FillScale(scales.red, display.redMax, red);
    pixels16::FillScale(scales.green, display.greenMax, green);
    pixels16::FillScale(scales.blue, display.blueMax, blue);
    return scales;
}

// trunc(s * alpha + d * (1 - alpha)) for every pair of component values, one row per s; kept
// while the factor and the maximum stay the same.
struct AlphaTable {
    int32_t stride;
    float alpha;
    bool filled;
    uint32_t entries[64 * 64];

    uint32_t operator()(uint32_t s, uint32_t d) const {
        return entries[(s & 63) * static_cast<uint32_t>(stride) + (d & 63)];
    }
};

void FillAlpha(AlphaTable& table, uint32_t maximum, float alpha) {
    const auto stride = static_cast<int32_t>(std::min<uint32_t>(maximum, 63) + 1);
    if (table.filled && table.stride == stride && table.alpha == alpha) return;
    table.filled = true;
    table.alpha = alpha;
    table.stride = stride;
    for (uint32_t s = 0; s < static_cast<uint32_t>(table.stride); ++s) {
        for (uint32_t d = 0; d < static_cast<uint32_t>(table.stride); ++d) {
            table.entries[s * static_cast<uint32_t>(table.stride) + d] = pixels16::Truncate(
                static_cast<float>(s) * alpha + static_cast<float>(d) * (1.0f - alpha));
        }
    }
}

uint32_t Saturated(uint32_t a, uint32_t b, uint32_t maximum) {
    return std::min(a + b, maximum);
}

uint32_t Darkened(uint32_t value, uint32_t by) {
    return value > by ? value - by : 0;
}

uint16_t Gray(uint16_t s) {
    const Components c = pixels16::Split(s);
    if (display.redMax == display.greenMax) {
        const uint32_t grey = (c.red + c.green + c.blue) / 3;
        return pixels16::Join(grey, grey, grey);
    }
    const uint32_t grey = (c.red + c.green / 2 + c.blue) / 3;
    return pixels16::Join(grey, grey * 2, grey);
}

// The block origin along one axis: moved back when the block would pass the last index.
int64_t BlockStart(int64_t index, int64_t size, int64_t extent) {
    return index + size > extent ? index - (index + size - extent) : index;
}

uint16_t BlockAverage(const Locked& source, const Placement& p, int64_t col, int64_t row,
                      int64_t size) {
    const int64_t left = p.l + BlockStart(col, size, p.w);
    const int64_t top = p.t + BlockStart(row, size, p.h);
    uint32_t red = 0, green = 0, blue = 0;
    for (int64_t y = top; y < top + size; ++y) {
        const uint16_t* line = source.Row(static_cast<int32_t>(y));
        for (int64_t x = left; x < left + size; ++x) {
            const Components c = pixels16::Split(line[x]);
            red += c.red;
            green += c.green;
            blue += c.blue;
        }
    }
    const auto cells = static_cast<uint32_t>(size * size);
    return pixels16::Join(red / cells, green / cells, blue / cells);
}

}  // namespace

int32_t BlendHalf(int32_t x, int32_t y, int32_t object, int32_t l, int32_t t, int32_t r,
                  int32_t b) {
    return Blit(x, y, object, l, t, r, b, [](uint16_t s, uint16_t d) {
        const Components a = pixels16::Split(s), c = pixels16::Split(d);
        return pixels16::Join((a.red + c.red) >> 1, (a.green + c.green) >> 1,
                              (a.blue + c.blue) >> 1);
    });
}

int32_t BlendAlpha(int32_t x, int32_t y, float alpha, int32_t object, int32_t l, int32_t t,
                   int32_t r, int32_t b) {
    return BlendAlphaRGB(x, y, alpha, alpha, alpha, object, l, t, r, b);
}

int32_t BlendAlphaRGB(int32_t x, int32_t y, float alphaRed, float alphaGreen, float alphaBlue,
                      int32_t object, int32_t l, int32_t t, int32_t r, int32_t b) {
    static AlphaTable red, green, blue;
    FillAlpha(red, display.redMax, alphaRed);
    FillAlpha(green, display.greenMax, alphaGreen);
    FillAlpha(blue, display.blueMax, alphaBlue);
    return Blit(x, y, object, l, t, r, b, [](uint16_t s, uint16_t d) {
        const Components a = pixels16::Split(s), c = pixels16::Split(d);
        return pixels16::Join(red(a.red, c.red), green(a.green, c.green), blue(a.blue, c.blue));
    });
}

int32_t BlendAdd(int32_t x, int32_t y, int32_t object, int32_t l, int32_t t, int32_t r, int32_t b) {
    return Blit(x, y, object, l, t, r, b, [](uint16_t s, uint16_t d) {
        const Components a = pixels16::Split(s), c = pixels16::Split(d);
        return pixels16::Join(Saturated(a.red, c.red, display.redMax),
                              Saturated(a.green, c.green, display.greenMax),
                              Saturated(a.blue, c.blue, display.blueMax));
    });
}

int32_t BlendSubtract(int32_t x, int32_t y, int32_t object, int32_t l, int32_t t, int32_t r,
                      int32_t b) {
    return Blit(x, y, object, l, t, r, b, [](uint16_t s, uint16_t d) {
        const uint32_t by = pixels16::Split(s).red;
        const Components c = pixels16::Split(d);
        return pixels16::Join(Darkened(c.red, by), Darkened(c.green, by), Darkened(c.blue, by));
    });
}

int32_t PutChannels(int32_t x, int32_t y, int32_t keepRed, int32_t keepGreen, int32_t keepBlue,
                    int32_t object, int32_t l, int32_t t, int32_t r, int32_t b) {
    const uint32_t mask = (keepRed != 0 ? display.redMask : 0) |
                          (keepGreen != 0 ? display.greenMask : 0) |
                          (keepBlue != 0 ? display.blueMask : 0);
    return Blit(x, y, object, l, t, r, b,
                [mask](uint16_t s, uint16_t) { return static_cast<uint16_t>(s & mask); });
}

int32_t PutBright(int32_t x, int32_t y, float factor, int32_t object, int32_t l, int32_t t,
                  int32_t r, int32_t b) {
    return PutBrightRGB(x, y, factor, factor, factor, object, l, t, r, b);
}

int32_t PutBrightRGB(int32_t x, int32_t y, float factorRed, float factorGreen, float factorBlue,
                     int32_t object, int32_t l, int32_t t, int32_t r, int32_t b) {
    const Scales scales = MakeScales(factorRed, factorGreen, factorBlue);
    return Blit(x, y, object, l, t, r, b, [&scales](uint16_t s, uint16_t) {
        const Components c = pixels16::Split(s);
        return pixels16::Join(scales.red.entries[c.red], scales.green.entries[c.green],
                              scales.blue.entries[c.blue]);
    });
}

int32_t PutGray(int32_t x, int32_t y, int32_t object, int32_t l, int32_t t, int32_t r, int32_t b) {
    return Blit(x, y, object, l, t, r, b, [](uint16_t s, uint16_t) { return Gray(s); });
}

int32_t PutBlur(int32_t x, int32_t y, int32_t blockSize, int32_t object, int32_t l, int32_t t,
                int32_t r, int32_t b) {
    return OnPlacement(
        x, y, object, l, t, r, b,
        [&](const Locked& source, const Locked& back, const Placement& p) {
            // The block stays inside the rectangle: at least one pixel, at most its extent.
            const int64_t size = std::clamp<int64_t>(blockSize, 1, std::min(p.w, p.h));
            for (int64_t row = 0; row < p.h; ++row) {
                const uint16_t* from = source.Row(static_cast<int32_t>(p.t + row)) + p.l;
                uint16_t* to = back.Row(static_cast<int32_t>(p.y + row)) + p.x;
                for (int64_t col = 0; col < p.w; ++col) {
                    if (from[col] != 0) to[col] = BlockAverage(source, p, col, row, size);
                }
            }
        });
}

int32_t PutRipple(int32_t x, int32_t y, int32_t height, int32_t frequency, int32_t step,
                  float scale, float slant, int32_t object, int32_t l, int32_t t, int32_t r,
                  int32_t b) {
    const int64_t stride = std::max(step, 1);
    return OnPlacement(
        x, y, object, l, t, r, b,
        [&](const Locked& source, const Locked& back, const Placement& p) {
            const int64_t clipLeft = std::max<int64_t>(clip.left, 0);
            const int64_t clipTop = std::max<int64_t>(clip.top, 0);
            const int64_t clipRight = std::min<int64_t>(clip.right, back.width);
            const int64_t clipBottom = std::min<int64_t>(clip.bottom, back.height);
            // The wave spans the rectangle from the clipped corner on: a right or bottom cut
            // does not squeeze it.
            const double spanX = static_cast<double>(int64_t{r} - p.l);
            const double spanY = static_cast<double>(int64_t{b} - p.t);
            for (int64_t row = 0; row < p.h; row += stride) {
                const double ny = 2.0 / spanY * static_cast<double>(row) - 1.0;
                for (int64_t col = 0; col < p.w; col += stride) {
                    const double nx = 2.0 / spanX * static_cast<double>(col) - 1.0;
                    const double z = (std::cos(std::sqrt(nx * nx + ny * ny) * frequency) *
                                          std::exp(ny * ny - nx * nx) +
                                      1.0) *
                                         height / 2.0 +
                                     static_cast<double>(row);
                    const int64_t tx =
                        p.x + static_cast<int32_t>(pixels16::Truncate(static_cast<float>(
                                  (static_cast<double>(col) + static_cast<double>(row) * slant) *
                                  scale)));
                    const int64_t ty = p.y + static_cast<int32_t>(
                                                 pixels16::Truncate(static_cast<float>(z * scale)));
                    if (tx < clipLeft || tx >= clipRight || ty < clipTop || ty >= clipBottom)
                        continue;
                    back.At(static_cast<int32_t>(tx), static_cast<int32_t>(ty)) =
                        source.At(static_cast<int32_t>(p.l + col), static_cast<int32_t>(p.t + row));
                }
            }
        });
}

}  // namespace krDraw
