// krFont: bracketed text scopes on the Back surface.
#include <cstring>

#include "draw/display.h"
#include "platform/win/win.h"
#include "text/font_state.h"

krFontStateRecord krFontState{};

namespace krFont {

namespace {

constexpr UINT kWrapNoPrefix = gdi::DT_WORDBREAK | gdi::DT_NOPREFIX;

void WriteFace(gdi::LOGFONT& description, int32_t face) {
    if (face == 0) std::strcpy(description.lfFaceName, "標準明朝");
    if (face == 1) std::strcpy(description.lfFaceName, "標準ゴシック");
}

LONG WeightFor(int32_t weight) {
    if (weight == 0) return gdi::FW_NORMAL;
    return weight == 1 ? gdi::FW_BOLD : gdi::FW_DONTCARE;
}

}  // namespace

void AllocateDescription() {
    if (krFontState.description != nullptr) return;
    krFontState.description =
        static_cast<gdi::LOGFONT*>(win::GlobalAlloc(win::GPTR, sizeof(gdi::LOGFONT)));
}

void FreeDescription() {
    if (krFontState.description != nullptr) win::GlobalFree(krFontState.description);
    krFontState.description = nullptr;
}

void ResetForNextRun() {
    if (krFontState.font != nullptr || krFontState.dc != nullptr) End();
    FreeDescription();
    krFontState = krFontStateRecord{};
}

HGDIOBJ Begin(int32_t face, int32_t height, int32_t angle, int32_t weight, int32_t italic,
              int32_t underline) {
    // Scopes do not nest: a scope left open is closed first, so its context goes back.
    if (krFontState.font != nullptr || krFontState.dc != nullptr) End();
    gdi::LOGFONT* description = krFontState.description;
    if (description == nullptr) return nullptr;  // no display: no scope
    WriteFace(*description, face);
    description->lfWeight = WeightFor(weight);
    // Tenths of a degree; a turn is a turn, so the angle is taken modulo 360 first.
    description->lfEscapement = angle % 360 * 10;
    description->lfWidth = 0;
    description->lfHeight = height;
    description->lfItalic = static_cast<BYTE>(italic);
    description->lfUnderline = static_cast<BYTE>(underline);
    description->lfCharSet = gdi::SHIFTJIS_CHARSET;
    krFontState.font = gdi::CreateFontIndirect(description);
    using krDraw::display;
    if (display.back == nullptr || display.back->GetDC(&krFontState.dc) != dd::DD_OK) {
        krFontState.dc = nullptr;
    }
    krFontState.previousFont =
        krFontState.dc != nullptr ? gdi::SelectObject(krFontState.dc, krFontState.font) : nullptr;
    return krFontState.previousFont;
}

HRESULT End() {
    if (krFontState.dc != nullptr && krFontState.previousFont != nullptr) {
        gdi::SelectObject(krFontState.dc, krFontState.previousFont);
    }
    gdi::DeleteObject(krFontState.font);
    krFontState.font = nullptr;
    krFontState.previousFont = nullptr;
    if (krFontState.dc == nullptr || krDraw::display.back == nullptr) return dd::DDERR_GENERIC;
    const HRESULT result = krDraw::display.back->ReleaseDC(krFontState.dc);
    krFontState.dc = nullptr;
    return result;
}

void SetColor(COLORREF textColour, COLORREF backgroundColour, int32_t transparent) {
    if (krFontState.dc == nullptr) return;
    gdi::SetTextColor(krFontState.dc, textColour);
    gdi::SetBkColor(krFontState.dc, backgroundColour);
    if (transparent != 0) gdi::SetBkMode(krFontState.dc, gdi::TRANSPARENT);
}

int32_t Print(int32_t x, int32_t y, const char* text) {
    if (krFontState.dc == nullptr || text == nullptr) return FALSE;
    return gdi::TextOut(krFontState.dc, x, y, text, static_cast<int>(std::strlen(text)));
}

int32_t PrintBox(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* text,
                 int32_t alignment) {
    krFontState.box = {left, top, right, bottom};
    if (alignment < 0 || alignment > 2) return 0;
    if (krFontState.dc == nullptr || text == nullptr) return 0;
    const UINT align = alignment == 1 ? gdi::DT_CENTER : alignment == 2 ? gdi::DT_RIGHT : 0;
    return gdi::DrawText(krFontState.dc, text, -1, &krFontState.box, kWrapNoPrefix | align);
}

int32_t MeasureBox(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* text) {
    krFontState.measure = {left, top, right, bottom};
    if (krFontState.dc == nullptr || text == nullptr) return 0;
    return gdi::DrawText(krFontState.dc, text, -1, &krFontState.measure,
                         gdi::DT_CALCRECT | kWrapNoPrefix);
}

}  // namespace krFont
