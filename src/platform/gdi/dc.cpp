#include "platform/gdi/dc.h"

#include "platform/backend/backend.h"

namespace gdi {

namespace {

DC windowDC{DCKind::Window, {}, {}};

// A memory context starts with a one-pixel bitmap, as on the original platform.
Bitmap& DefaultBitmap() {
    static Bitmap bitmap(1, 1, true);
    return bitmap;
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
    HDC dc = new DC{kind, view, {}};
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

}  // namespace gdi
