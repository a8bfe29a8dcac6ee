#pragma once
// The GDI objects that a context can select: one record per kind, reached through Object.
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

namespace gdi {

enum class ObjectKind { Bitmap, Pen, Brush, Font };
inline constexpr int kObjectKinds = 4;

struct Object {
    explicit Object(ObjectKind objectKind, bool isStock = false)
        : kind(objectKind), stock(isStock) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    ObjectKind kind;
    bool stock;          // never deleted
    int selections = 0;  // contexts that have it selected
};

struct Bitmap : Object {
    Bitmap(int32_t width, int32_t height, bool isStock = false);

    pixels::View View() {
        return {reinterpret_cast<uint8_t*>(pixels.data()), width * 4, width, height,
                pixels::kRgb888};
    }

    int32_t width, height;
    std::vector<uint32_t> pixels;
};

struct Pen : Object {
    Pen(int penStyle, int penWidth, COLORREF penColour, bool isStock = false)
        : Object(ObjectKind::Pen, isStock), style(penStyle), width(penWidth), colour(penColour) {}

    int style;
    int width;  // at least 1
    COLORREF colour;
};

struct Brush : Object {
    Brush(UINT brushStyle, COLORREF brushColour, int brushHatch, bool isStock = false)
        : Object(ObjectKind::Brush, isStock),
          style(brushStyle),
          colour(brushColour),
          hatch(brushHatch) {}

    UINT style;
    COLORREF colour;
    int hatch;
};

struct Face;  // a font resolved for drawing; shared by fonts of the same description

struct Font : Object {
    Font(const LOGFONT& fontDescription, bool isStock = false);
    ~Font() override;
    Face& Resolved();

    LOGFONT description;
    Face* face = nullptr;
};

}  // namespace gdi
