#include "platform/gdi/dc.h"

#include <utility>

#include "platform/backend/backend.h"

namespace gdi {

namespace {

DC windowDC{DCKind::Window};

// A memory context starts with a one-pixel bitmap, as on the original platform.
Bitmap& DefaultBitmap() {
    static Bitmap bitmap(1, 1, true);
    return bitmap;
}

Object* StockObject(int index) {
    static Brush whiteBrush(BS_SOLID, RGB(255, 255, 255), 0, true);
    static Brush blackBrush(BS_SOLID, RGB(0, 0, 0), 0, true);
    static Brush nullBrush(BS_NULL, 0, 0, true);
    static Pen whitePen(PS_SOLID, 1, RGB(255, 255, 255), true);
    static Pen blackPen(PS_SOLID, 1, RGB(0, 0, 0), true);
    static Pen nullPen(PS_NULL, 1, 0, true);
    static Font systemFont(LOGFONT{16, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, ""}, true);
    switch (index) {
        case WHITE_BRUSH:
            return &whiteBrush;
        case BLACK_BRUSH:
            return &blackBrush;
        case NULL_BRUSH:
            return &nullBrush;
        case WHITE_PEN:
            return &whitePen;
        case BLACK_PEN:
            return &blackPen;
        case NULL_PEN:
            return &nullPen;
        case SYSTEM_FONT:
        case DEFAULT_GUI_FONT:
            return &systemFont;
        default:
            return nullptr;
    }
}

Object*& Slot(HDC dc, ObjectKind kind) {
    return dc->selected[static_cast<int>(kind)];
}

void Select(HDC dc, Object& object) {
    Object*& slot = Slot(dc, object.kind);
    if (slot != nullptr) --slot->selections;
    slot = &object;
    ++object.selections;
    if (object.kind == ObjectKind::Bitmap && dc->kind == DCKind::Memory) {
        dc->view = static_cast<Bitmap&>(object).View();
    }
}

HDC NewDC(DCKind kind, const pixels::View& view) {
    HDC dc = new DC{};
    dc->kind = kind;
    dc->view = view;
    for (int stock : {BLACK_PEN, WHITE_BRUSH, SYSTEM_FONT})
        Select(dc, *StockObject(stock));
    if (kind == DCKind::Memory) Select(dc, DefaultBitmap());
    return dc;
}

void ReleaseSelections(HDC dc) {
    for (Object* object : dc->selected) {
        if (object != nullptr) --object->selections;
    }
}

}  // namespace

Bitmap::Bitmap(int32_t bitmapWidth, int32_t bitmapHeight, bool isStock)
    : Object(ObjectKind::Bitmap, isStock),
      width(bitmapWidth),
      height(bitmapHeight),
      pixels(static_cast<size_t>(bitmapWidth) * static_cast<size_t>(bitmapHeight)) {}

bool Inside(const pixels::View& view, int x, int y) {
    return x >= 0 && y >= 0 && x < view.width && y < view.height;
}

HDC GetDC(HWND) {
    return &windowDC;
}

int ReleaseDC(HWND, HDC dc) {
    return dc == &windowDC ? 1 : 0;
}

int GetDeviceCaps(HDC dc, int index) {
    if (dc == nullptr) return 0;
    if (index != BITSPIXEL) return 0;
    return dc->kind == DCKind::Window ? backend::Active().DesktopBits()
                                      : static_cast<int>(dc->view.format.bitsPerPixel);
}

HDC CreateSurfaceDC(const pixels::View& view) {
    return NewDC(DCKind::Surface, view);
}

void DeleteSurfaceDC(HDC dc) {
    if (dc == nullptr || dc->kind != DCKind::Surface) return;
    ReleaseSelections(dc);
    delete dc;
}

HDC CreateCompatibleDC(HDC) {
    return NewDC(DCKind::Memory, {});
}

BOOL DeleteDC(HDC dc) {
    if (dc == nullptr || dc->kind != DCKind::Memory) return FALSE;
    ReleaseSelections(dc);
    delete dc;
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    if (dc == nullptr || object == nullptr || dc->kind == DCKind::Window) return nullptr;
    if (object->kind == ObjectKind::Bitmap && dc->kind != DCKind::Memory) return nullptr;
    Object* previous = Slot(dc, object->kind);
    Select(dc, *object);
    return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
    if (object == nullptr || object->selections > 0) return FALSE;
    if (!object->stock) delete object;
    return TRUE;
}

HGDIOBJ GetStockObject(int index) {
    return StockObject(index);
}

HPEN CreatePen(int style, int width, COLORREF colour) {
    if (style != PS_SOLID && style != PS_NULL && style != PS_INSIDEFRAME) style = PS_SOLID;
    return new Pen(style, width < 1 ? 1 : width, colour);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
    if (brush == nullptr) return nullptr;
    if (brush->lbStyle == BS_HATCHED) {
        return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    }
    if (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL) return nullptr;
    return new Brush(brush->lbStyle, brush->lbColor, 0);
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    return new Brush(BS_SOLID, colour, 0);
}

HBRUSH CreateHatchBrush(int hatch, COLORREF colour) {
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
    return new Brush(BS_HATCHED, colour, hatch);
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
    if (dc == nullptr) return CLR_INVALID;
    return std::exchange(dc->textColour, colour);
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
    if (dc == nullptr) return CLR_INVALID;
    return std::exchange(dc->backgroundColour, colour);
}

int SetBkMode(HDC dc, int mode) {
    if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    return std::exchange(dc->backgroundMode, mode);
}

int SetPolyFillMode(HDC dc, int mode) {
    if (dc == nullptr || (mode != ALTERNATE && mode != WINDING)) return 0;
    return std::exchange(dc->polyFillMode, mode);
}

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
    if (dc == nullptr) return FALSE;
    if (previous != nullptr) *previous = dc->position;
    dc->position = {x, y};
    return TRUE;
}

}  // namespace gdi
