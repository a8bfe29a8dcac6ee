#include "platform/gdi/dc.h"

#include "platform/backend/backend.h"

namespace gdi {

namespace {
DC windowDC{true, {}};
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
    return dc->isWindow ? backend::Active().DesktopBits()
                        : static_cast<int>(dc->view.format.bitsPerPixel);
}

}  // namespace gdi
