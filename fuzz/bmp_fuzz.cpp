// BMP files as sprites (memory bitmaps) and as textures.
#include "input_file.h"
#include "platform/gdi/gdi.h"
#include "platform/rm/rm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteInput(data, size, "input.bmp");
    HBITMAP bitmap =
        gdi::LoadImage(nullptr, path.c_str(), gdi::IMAGE_BITMAP, 0, 0, gdi::LR_LOADFROMFILE);
    if (bitmap != nullptr) gdi::DeleteObject(bitmap);
    rm::Direct3DRM* rm = nullptr;
    rm::Direct3DRMCreate(&rm);
    rm::Texture* texture = nullptr;
    if (rm->LoadTexture(path.c_str(), &texture) == rm::D3DRM_OK) texture->Release();
    rm->Release();
    return 0;
}
