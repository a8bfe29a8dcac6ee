#pragma once
// What a device context is: the window's (which only answers questions about the desktop), one
// over a surface's pixel memory, or a memory context whose pixels are its selected bitmap.
#include <array>
#include <cstring>

#include "platform/gdi/objects.h"

namespace gdi {

enum class DCKind { Window, Surface, Memory };

struct DC {
    DCKind kind = DCKind::Surface;
    pixels::View view{};
    std::array<Object*, kObjectKinds> selected{};
    COLORREF textColour = RGB(0, 0, 0);
    COLORREF backgroundColour = RGB(255, 255, 255);
    int backgroundMode = OPAQUE;
    int polyFillMode = ALTERNATE;
    POINT position{0, 0};
};

// The context's object of a kind (a stock default unless something else is selected).
template <class Record>
Record& Selected(HDC dc, ObjectKind kind) {
    return static_cast<Record&>(*dc->selected[static_cast<int>(kind)]);
}

bool Inside(const pixels::View& view, int x, int y);

}  // namespace gdi

namespace gdi {

// Raw pixel values of 16- and 32-bit views; callers check the bounds.
inline uint32_t ReadPixel(const pixels::View& view, int x, int y) {
    const uint8_t* at = view.Row(y) + x * static_cast<int>(pixels::BytesPerPixel(view.format));
    if (view.format.bitsPerPixel == 16) {
        uint16_t value;
        std::memcpy(&value, at, sizeof value);
        return value;
    }
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

inline void WritePixel(const pixels::View& view, int x, int y, uint32_t value) {
    uint8_t* at = view.Row(y) + x * static_cast<int>(pixels::BytesPerPixel(view.format));
    if (view.format.bitsPerPixel == 16) {
        const auto narrow = static_cast<uint16_t>(value);
        std::memcpy(at, &narrow, sizeof narrow);
    } else {
        std::memcpy(at, &value, sizeof value);
    }
}

}  // namespace gdi
