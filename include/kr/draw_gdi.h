#pragma once
// krDraw's shapes, pixels and screen grab on the Back surface through GDI, and the frame-rate
// line. Each call takes and gives back the Back surface's device context by itself, so none may
// be called inside a krFont scope or while the Back surface is locked.
#include <kr/wintypes.h>

#include <cstdint>

namespace krDraw {

void SetPixel(int32_t x, int32_t y, COLORREF colour);
// Outside the surface, or without a device context, the components read 255, 255, 255.
void GetPixel(int32_t x, int32_t y, int32_t* red, int32_t* green, int32_t* blue);
// The end point is not drawn.
void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF colour, int32_t width);
void Box(int32_t left, int32_t top, int32_t right, int32_t bottom, COLORREF fillColour,
         COLORREF lineColour, int32_t lineWidth);
// Fill mode 0: outline only; 2: diagonal cross-hatch with see-through gaps; any other: the hatch
// on the background colour.
void Polygon(const POINT* points, int32_t count, COLORREF lineColour, COLORREF backgroundColour,
             int32_t lineWidth, int32_t fillMode);
// count is 1 + 3 per curve.
void Bezier(const POINT* points, int32_t count, COLORREF colour, int32_t width);
void InvertRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
// Copies the rectangle of the Back surface to (0, 0) of the object.
void GrabScreen(int32_t object, int32_t left, int32_t top, int32_t right, int32_t bottom);

// The frame-rate line at (0, 0), and any text in its style: white on an opaque dark blue box.
void ShowFps();
void ShowText(int32_t x, int32_t y, const char* text);
// Formatted into 256 bytes; longer results are cut at 255.
void ShowTextFormat(int32_t x, int32_t y, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

}  // namespace krDraw
