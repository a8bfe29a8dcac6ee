// krDraw's GDI primitives and pixel access on the Back surface, and the screen grab.
#include <kr/draw_gdi.h>

#include "draw/display.h"
#include "platform/gdi/gdi.h"

namespace krDraw {

namespace {

struct GdiState {
    HDC dc;  // the Back surface's context while a call holds it
    RECT invertRect;
    RECT grabRect;
};

GdiState gdiState{};

// Runs one drawing on the Back surface's context. A context that cannot be had draws nothing.
template <class Draw>
void OnBackDC(Draw&& draw) {
    if (display.back == nullptr || display.back->GetDC(&gdiState.dc) != dd::DD_OK) return;
    draw(gdiState.dc);
    display.back->ReleaseDC(gdiState.dc);
    gdiState.dc = nullptr;
}

// One drawing with its own pen (and brush, when given): the brush is selected first, and
// afterwards the pen and then the brush are put back and deleted.
template <class Draw>
void DrawWith(COLORREF penColour, int32_t penWidth, const gdi::LOGBRUSH* brushDescription,
              Draw&& draw) {
    OnBackDC([&](HDC dc) {
        HBRUSH brush =
            brushDescription != nullptr ? gdi::CreateBrushIndirect(brushDescription) : nullptr;
        HGDIOBJ previousBrush = brush != nullptr ? gdi::SelectObject(dc, brush) : nullptr;
        HPEN pen = gdi::CreatePen(gdi::PS_SOLID, penWidth, penColour);
        HGDIOBJ previousPen = gdi::SelectObject(dc, pen);
        draw(dc);
        gdi::SelectObject(dc, previousPen);
        gdi::DeleteObject(pen);
        if (brush == nullptr) return;
        gdi::SelectObject(dc, previousBrush);
        gdi::DeleteObject(brush);
    });
}

}  // namespace

void SetPixel(int32_t x, int32_t y, COLORREF colour) {
    OnBackDC([&](HDC dc) { gdi::SetPixel(dc, x, y, colour); });
}

void GetPixel(int32_t x, int32_t y, int32_t* red, int32_t* green, int32_t* blue) {
    COLORREF colour = gdi::CLR_INVALID;
    OnBackDC([&](HDC dc) { colour = gdi::GetPixel(dc, x, y); });
    if (red != nullptr) *red = static_cast<int32_t>(colour & 0xFF);
    if (green != nullptr) *green = static_cast<int32_t>((colour >> 8) & 0xFF);
    if (blue != nullptr) *blue = static_cast<int32_t>((colour >> 16) & 0xFF);
}

void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF colour, int32_t width) {
    DrawWith(colour, width, nullptr, [&](HDC dc) {
        gdi::MoveToEx(dc, x1, y1, nullptr);
        gdi::LineTo(dc, x2, y2);
    });
}

void Box(int32_t left, int32_t top, int32_t right, int32_t bottom, COLORREF fillColour,
         COLORREF lineColour, int32_t lineWidth) {
    const gdi::LOGBRUSH brush{gdi::BS_SOLID, fillColour, 0};
    DrawWith(lineColour, lineWidth, &brush,
             [&](HDC dc) { gdi::Rectangle(dc, left, top, right, bottom); });
}

void Polygon(const POINT* points, int32_t count, COLORREF lineColour, COLORREF backgroundColour,
             int32_t lineWidth, int32_t fillMode) {
    const gdi::LOGBRUSH brush{fillMode == 0 ? gdi::BS_NULL : gdi::BS_HATCHED, lineColour,
                              gdi::HS_DIAGCROSS};
    DrawWith(lineColour, lineWidth, &brush, [&](HDC dc) {
        if (fillMode == 2) {
            gdi::SetBkMode(dc, gdi::TRANSPARENT);
        } else {
            gdi::SetBkColor(dc, backgroundColour);
        }
        gdi::Polygon(dc, points, count);
    });
}

void Bezier(const POINT* points, int32_t count, COLORREF colour, int32_t width) {
    DrawWith(colour, width, nullptr, [&](HDC dc) {
        gdi::PolyBezier(dc, points, count < 0 ? 0 : static_cast<DWORD>(count));
    });
}

void InvertRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    gdiState.invertRect = {left, top, right, bottom};
    OnBackDC([](HDC dc) { gdi::InvertRect(dc, &gdiState.invertRect); });
}

void GrabScreen(int32_t object, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    gdiState.grabRect = {left, top, right, bottom};
    dd::Surface* surface = ObjectSurface(object);
    if (surface == nullptr || display.back == nullptr) return;
    if (surface->BltFast(0, 0, display.back, &gdiState.grabRect, dd::DDBLTFAST_WAIT) ==
        dd::DDERR_SURFACELOST) {
        RestoreAll();
    }
}

}  // namespace krDraw
