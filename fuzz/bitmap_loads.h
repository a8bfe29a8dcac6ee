#pragma once
// A BMP file through both of its readers: as a sprite (a memory bitmap) and as a texture.
#include <string>

#include "platform/gdi/gdi.h"
#include "platform/rm/rm.h"

struct BitmapLoads {
    bool asSprite;
    HRESULT asTexture;
};

inline BitmapLoads LoadBitmapBothWays(const std::string& path) {
    HBITMAP bitmap =
        gdi::LoadImage(nullptr, path.c_str(), gdi::IMAGE_BITMAP, 0, 0, gdi::LR_LOADFROMFILE);
    if (bitmap != nullptr) gdi::DeleteObject(bitmap);
    rm::Direct3DRM* rm = nullptr;
    rm::Direct3DRMCreate(&rm);
    rm::Texture* texture = nullptr;
    const HRESULT loaded = rm->LoadTexture(path.c_str(), &texture);
    if (texture != nullptr) texture->Release();
    rm->Release();
    return {bitmap != nullptr, loaded};
}
