#pragma once
// krFont: text drawn onto the Back surface in bracketed scopes. Begin takes the Back surface's
// device context and End gives it back; no blit, lock or flip of the Back surface in between.
// Text is UTF-8 and counted in bytes.
#include <kr/wintypes.h>

#include <cstdint>

namespace krFont {

// Face 0 "標準明朝", 1 "標準ゴシック", any other keeps the last face. Weight 0 normal, 1 bold,
// other "don't care". Angle in degrees, counter-clockwise. Gives the previous font.
HGDIOBJ Begin(int32_t face, int32_t height, int32_t angle, int32_t weight, int32_t italic,
              int32_t underline);
HRESULT End();
// With transparent 0 the text stands on an opaque box of the background colour.
void SetColor(COLORREF textColour, COLORREF backgroundColour, int32_t transparent);
// (x, y) is the top-left corner of the text's cell.
int32_t Print(int32_t x, int32_t y, const char* text);
// Wrapped at words inside the box; alignment 0 left, 1 centred, 2 right, any other draws nothing.
// The text's height.
int32_t PrintBox(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* text,
                 int32_t alignment);
// The height the text takes when wrapped to the box's width; draws nothing.
int32_t MeasureBox(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* text);

}  // namespace krFont
