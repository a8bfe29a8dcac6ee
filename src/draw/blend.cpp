// In-place blurs of a rectangle of the Back surface, with optional darkening and an upward
// drift, and the square-pixel zooms through the Buffer object.
#include "draw/effects.h"
#include "draw/pixels16.h"
#include "platform/crt/crt.h"

namespace krDraw {

PaceState paces;

namespace {

using pixels16::Locked;

struct Darken {
    bool red, green, blue;
};

constexpr Darken kNoDarken{false, false, false};

uint32_t Lower(uint32_t value, bool darken) {
    return darken && value > 0 ? value - 1 : value;
}

// The 2x2 average whose top-left corner is (x, y), darkened by the flags.
uint16_t Average(const Locked& back, int32_t x, int32_t y, Darken darken) {
    const uint16_t* top = back.Row(y) + x;
    const uint16_t* below = back.Row(y + 1) + x;
    const uint32_t quad[4] = {top[0], top[1], below[0], below[1]};
    uint32_t red = 0, green = 0, blue = 0;
    for (uint32_t pixel : quad) {
        const pixels16::Components c = pixels16::Split(pixel);
        red += c.red;
        green += c.green;
        blue += c.blue;
    }
    return pixels16::Join(Lower(red >> 2, darken.red), Lower(green >> 2, darken.green),
                          Lower(blue >> 2, darken.blue));
}

// The rectangle cut to the Back surface; the blurs need at least 2 by 2 pixels of it.
struct Area {
    int32_t x, y, width, height;
};

bool BlurArea(const Locked& back, int32_t x, int32_t y, uint32_t width, uint32_t height,
              Area& area) {
    const pixels16::Span columns = pixels16::Within(x, width, back.width);
    const pixels16::Span rows = pixels16::Within(y, height, back.height);
    area = Area{static_cast<int32_t>(x + columns.skip), static_cast<int32_t>(y + rows.skip),
                static_cast<int32_t>(columns.count), static_cast<int32_t>(rows.count)};
    return area.width >= 2 && area.height >= 2;
}

// The block origin of a column or row: the last one takes the block that ends at it.
int32_t Origin(int32_t index, int32_t extent) {
    return index == extent - 1 ? index - 1 : index;
}

template <class Body>
int32_t OnBackArea(int32_t x, int32_t y, uint32_t width, uint32_t height, Body body) {
    Locked back;
    if (!pixels16::Lock(display.back, back)) return 0;
    Area area{};
    if (BlurArea(back, x, y, width, height, area)) body(back, area);
    pixels16::Unlock(back);
    return 1;
}

int32_t DriftUp(Pace& pace, Darken darken, int32_t x, int32_t y, uint32_t width, uint32_t height) {
    return OnBackArea(x, y, width, height, [&](const Locked& back, const Area& a) {
        for (int32_t r = 1; r < a.height; ++r) {
            uint16_t* target = back.Row(a.y + r - 1) + a.x;
            const uint16_t* source = back.Row(a.y + r) + a.x;
            const int32_t originY = a.y + Origin(r, a.height);
            for (int32_t c = 0; c < a.width; ++c) {
                if (++pace.counter >= pace.threshold) {
                    target[c] = source[c];
                    pace.counter = 0;
                    pace.threshold = crt::rand() % 3;
                } else {
                    target[c] = Average(back, a.x + Origin(c, a.width), originY, darken);
                }
            }
        }
    });
}

int32_t BlurInPlace(Darken darken, int32_t x, int32_t y, uint32_t width, uint32_t height) {
    return OnBackArea(x, y, width, height, [&](const Locked& back, const Area& a) {
        for (int32_t r = 0; r < a.height; ++r) {
            uint16_t* target = back.Row(a.y + r) + a.x;
            const int32_t originY = a.y + Origin(r, a.height);
            for (int32_t c = 0; c < a.width; ++c)
                target[c] = Average(back, a.x + Origin(c, a.width), originY, darken);
        }
    });
}

Darken Flags(int32_t red, int32_t green, int32_t blue) {
    return Darken{red != 0, green != 0, blue != 0};
}

// Writes each Back pixel of the rectangle into a scale-by-scale cell of the Buffer object (all
// of it, or its top-left quarter when only the corner is filled), then copies the cells back.
int32_t Zoom(int32_t scale, int32_t x, int32_t y, uint32_t width, uint32_t height, int32_t mode) {
    Locked buffer, back;
    if (!pixels16::Lock(sprites[kBufferObject].surface, buffer)) return 0;
    if (!pixels16::Lock(display.back, back)) {
        pixels16::Unlock(buffer);
        return 0;
    }
    const int32_t filled = mode == 0 ? scale : scale / 2;
    // Only cells inside the Buffer object, of source pixels inside the Back surface.
    const pixels16::Span columns =
        pixels16::Within(x, std::min<int64_t>(width, buffer.width / scale), back.width);
    const pixels16::Span rows =
        pixels16::Within(y, std::min<int64_t>(height, buffer.height / scale), back.height);
    for (int64_t r = rows.skip; r < rows.skip + rows.count; ++r) {
        const uint16_t* source = back.Row(static_cast<int32_t>(y + r));
        for (int32_t dy = 0; dy < filled; ++dy) {
            uint16_t* cellRow = buffer.Row(static_cast<int32_t>(r * scale + dy));
            for (int64_t c = columns.skip; c < columns.skip + columns.count; ++c) {
                for (int32_t dx = 0; dx < filled; ++dx)
                    cellRow[c * scale + dx] = source[x + c];
            }
        }
    }
    pixels16::Unlock(buffer);
    pixels16::Unlock(back);
    const int64_t right = std::min<int64_t>(int64_t{width} * scale, INT32_MAX);
    const int64_t bottom = std::min<int64_t>(int64_t{height} * scale, INT32_MAX);
    PutObjectSolid(x, y, kBufferObject, 0, 0, static_cast<int32_t>(right),
                   static_cast<int32_t>(bottom));
    return 1;
}

}  // namespace

int32_t BlurUp(int32_t x, int32_t y, uint32_t width, uint32_t height) {
    return DriftUp(paces.blurUp, kNoDarken, x, y, width, height);
}

int32_t BlurUpFade(int32_t darkenRed, int32_t darkenGreen, int32_t darkenBlue, int32_t x, int32_t y,
                   uint32_t width, uint32_t height) {
    return DriftUp(paces.blurUpFade, Flags(darkenRed, darkenGreen, darkenBlue), x, y, width,
                   height);
}

int32_t Blur(int32_t x, int32_t y, uint32_t width, uint32_t height) {
    return BlurInPlace(kNoDarken, x, y, width, height);
}

int32_t BlurFade(int32_t darkenRed, int32_t darkenGreen, int32_t darkenBlue, int32_t x, int32_t y,
                 uint32_t width, uint32_t height) {
    return BlurInPlace(Flags(darkenRed, darkenGreen, darkenBlue), x, y, width, height);
}

int32_t Zoom2x(int32_t x, int32_t y, uint32_t width, uint32_t height, int32_t mode) {
    return Zoom(2, x, y, width, height, mode);
}

int32_t Zoom4x(int32_t x, int32_t y, uint32_t width, uint32_t height, int32_t mode) {
    return Zoom(4, x, y, width, height, mode);
}

}  // namespace krDraw
