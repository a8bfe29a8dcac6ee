// Whole-surface locks of 16-bit surfaces.
#include "draw/pixels16.h"

namespace krDraw::pixels16 {

bool Lock(dd::Surface* surface, Locked& locked) {
    if (surface == nullptr) return false;
    dd::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (surface->Lock(nullptr, &desc, dd::DDLOCK_WAIT, nullptr) != dd::DD_OK) return false;
    if (desc.ddpfPixelFormat.dwRGBBitCount != 16) {
        surface->Unlock(desc.lpSurface);
        return false;
    }
    locked = Locked{surface, static_cast<uint16_t*>(desc.lpSurface), desc.lPitch / 2,
                    static_cast<int32_t>(desc.dwWidth), static_cast<int32_t>(desc.dwHeight)};
    return true;
}

void Unlock(Locked& locked) {
    if (locked.surface != nullptr) locked.surface->Unlock(locked.pixels);
    locked.surface = nullptr;
}

bool LockPair(int32_t object, Locked& source, Locked& back) {
    if (!Lock(ObjectSurface(object), source)) return false;
    if (Lock(display.back, back)) return true;
    Unlock(source);
    return false;
}

}  // namespace krDraw::pixels16
