// The sprite object table: loads from bitmaps (files, then resources), blank objects, swaps and
// releases, and the source colour keys matched from colours.
#include <cstdio>
#include <cstring>
#include <string>

#include "draw/display.h"
#include "platform/gdi/gdi.h"
#include "shell/shell.h"

namespace krDraw {

SpriteSlot sprites[kObjectSlots];
LoadSetting loadSetting;

namespace {

constexpr size_t kLongestName = 30;
constexpr const char* kNameTooLong = "ファイル名またはリソース名が長すぎます";
constexpr const char* kTooManyObjects = "オブジェクト数が多すぎます";
constexpr const char* kCannotReadBitmap = "BMPファイルを読み込めません";

bool NameTooLong(const char* name) {
    return std::strlen(name) > kLongestName;
}

// The first free client slot, or 0 when all are in use.
int32_t FirstFreeSlot() {
    for (int32_t object = 2; object < kObjectSlots; ++object)
        if (sprites[object].name[0] == '\0') return object;
    return 0;
}

void SetName(int32_t object, const char* name) {
    std::snprintf(sprites[object].name, kObjectNameSize, "%s", name);
}

bool ValidObject(int32_t object) {
    return object >= 0 && object < kObjectSlots;
}

// Writes a colour at (0, 0) through a device context; the previous colour, or CLR_INVALID when
// no context could be had.
COLORREF WriteCorner(dd::Surface* surface, COLORREF colour) {
    HDC dc = nullptr;
    if (surface->GetDC(&dc) != dd::DD_OK) return gdi::CLR_INVALID;
    const COLORREF previous = gdi::GetPixel(dc, 0, 0);
    gdi::SetPixel(dc, 0, 0, colour);
    surface->ReleaseDC(dc);
    return previous;
}

uint32_t ReadFirstWord(dd::Surface* surface) {
    dd::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    HRESULT result;
    while ((result = surface->Lock(nullptr, &desc, 0, nullptr)) == dd::DDERR_WASSTILLDRAWING) {
    }
    if (result != dd::DD_OK) return 0xFFFFFFFF;
    uint32_t word = 0;
    std::memcpy(&word, desc.lpSurface, sizeof word);  // rows are padded to 4 bytes
    const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
    if (bits < 32) word &= (1u << bits) - 1;
    surface->Unlock(nullptr);
    return word;
}

// A surface holding a GDI bitmap: copied onto the whole surface, so it is scaled to its size.
HRESULT BitmapCopy(dd::Surface* surface, HBITMAP bitmap) {
    if (surface == nullptr || bitmap == nullptr) return dd::E_FAIL;
    surface->Restore();
    HDC memory = gdi::CreateCompatibleDC(nullptr);
    gdi::SelectObject(memory, bitmap);
    gdi::BITMAP size{};
    gdi::GetObject(bitmap, sizeof size, &size);
    dd::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    surface->GetSurfaceDesc(&desc);
    HDC dc = nullptr;
    const HRESULT result = surface->GetDC(&dc);
    if (result == dd::DD_OK) {
        gdi::StretchBlt(dc, 0, 0, static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight),
                        memory, 0, 0, size.bmWidth, size.bmHeight, gdi::SRCCOPY);
        surface->ReleaseDC(dc);
    }
    gdi::DeleteDC(memory);
    return result;
}

dd::Surface* CreateOffscreen(DWORD width, DWORD height) {
    if (display.directDraw == nullptr) return nullptr;
    dd::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = dd::DDSD_CAPS | dd::DDSD_WIDTH | dd::DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = dd::DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = width;
    desc.dwHeight = height;
    dd::Surface* surface = nullptr;
    display.directDraw->CreateSurface(&desc, &surface, nullptr);
    return surface;
}

// A new surface of the bitmap's size holding it; the bitmap is deleted either way.
dd::Surface* SurfaceFromBitmap(HBITMAP bitmap) {
    if (bitmap == nullptr) return nullptr;
    gdi::BITMAP size{};
    gdi::GetObject(bitmap, sizeof size, &size);
    dd::Surface* surface =
        CreateOffscreen(static_cast<DWORD>(size.bmWidth), static_cast<DWORD>(size.bmHeight));
    if (surface != nullptr && BitmapCopy(surface, bitmap) != dd::DD_OK) {
        surface->Release();
        surface = nullptr;
    }
    gdi::DeleteObject(bitmap);
    return surface;
}

HBITMAP LoadBitmap(HINSTANCE module, const char* name, UINT flags) {
    return gdi::LoadImage(module, name, gdi::IMAGE_BITMAP, 0, 0, flags | gdi::LR_CREATEDIBSECTION);
}

// The bitmap load: the path as a resource name of the program, then as a file.
dd::Surface* BitmapLoad(const char* path) {
    HBITMAP bitmap = LoadBitmap(krSystemState.instanceHandle, path, 0);
    if (bitmap == nullptr) bitmap = LoadBitmap(nullptr, path, gdi::LR_LOADFROMFILE);
    return SurfaceFromBitmap(bitmap);
}

// The key from the current load setting; the slot remembers it for restores.
void KeyFromLoadSetting(int32_t object) {
    const COLORREF colour = loadSetting.cornerKey == 1 ? kCornerKey : loadSetting.keyColour;
    KeySetting(sprites[object].surface, colour);
    sprites[object].colourKeySetting = static_cast<int32_t>(colour);
}

// The named bitmap from the data directory, else from the program's resources, into the slot.
// path: the file it was looked for in, whole: a cut one could name another file.
bool LoadIntoSlot(int32_t object, const char* name, std::string& path) {
    path = std::string(krSystem::GetDataPath(0)) + name;
    SpriteSlot& slot = sprites[object];
    slot.surface = BitmapLoad(path.c_str());
    if (slot.surface == nullptr) {
        slot.surface = SurfaceFromBitmap(LoadBitmap(krSystemState.instanceHandle, name, 0));
    }
    if (slot.surface == nullptr) return false;
    KeyFromLoadSetting(object);
    return true;
}

}  // namespace

dd::Surface* ObjectSurface(int32_t object) {
    return ValidObject(object) ? sprites[object].surface : nullptr;
}

int64_t ObjectHeight(int32_t object) {
    dd::Surface* surface = ObjectSurface(object);
    dd::DDSURFACEDESC desc{};
    return surface != nullptr && surface->GetSurfaceDesc(&desc) == dd::DD_OK ? desc.dwHeight : 0;
}

void EmptySlot(int32_t object) {
    sprites[object].surface = nullptr;
    sprites[object].name[0] = '\0';
    sprites[object].colourKeySetting = 0;
}

uint32_t ColourMatch(dd::Surface* surface, COLORREF colour) {
    if (surface == nullptr) return 0xFFFFFFFF;
    const bool writes = colour != kCornerKey;
    const COLORREF previous = writes ? WriteCorner(surface, colour) : gdi::CLR_INVALID;
    const uint32_t value = ReadFirstWord(surface);
    if (writes && previous != gdi::CLR_INVALID) WriteCorner(surface, previous);
    return value;
}

HRESULT KeySetting(dd::Surface* surface, COLORREF colour) {
    if (surface == nullptr) return dd::DDERR_INVALIDPARAMS;
    const uint32_t value = ColourMatch(surface, colour);
    const dd::DDCOLORKEY key{value, value};
    return surface->SetColorKey(dd::DDCKEY_SRCBLT, &key);
}

int32_t LoadObject(const char* name) {
    constexpr const char* kOperation = "krDraw::LoadObject";
    if (name == nullptr) name = "";
    if (NameTooLong(name)) return krSystem::ErrorBox(kOperation, kNameTooLong);
    const int32_t object = FirstFreeSlot();
    if (object == 0) return krSystem::ErrorBox(kOperation, kTooManyObjects);
    SetName(object, name);
    std::string path;
    if (!LoadIntoSlot(object, name, path)) {
        EmptySlot(object);
        return krSystem::FileErrorBox(kOperation, kCannotReadBitmap, path.c_str());
    }
    return object;
}

int32_t SwapObject(const char* name, int32_t object) {
    constexpr const char* kOperation = "krDraw::SwapObject";
    if (name == nullptr) name = "";
    if (NameTooLong(name)) return krSystem::ErrorBox(kOperation, kNameTooLong);
    if (!ValidObject(object)) return 0;
    SpriteSlot& slot = sprites[object];
    if (slot.surface != nullptr) {
        slot.surface->Release();
        slot.surface = nullptr;
    }
    SetName(object, name);
    std::string path;
    if (!LoadIntoSlot(object, name, path)) {
        EmptySlot(object);
        return krSystem::FileErrorBox(kOperation, kCannotReadBitmap, path.c_str());
    }
    return 1;
}

int32_t CreateObject() {
    constexpr const char* kOperation = "krDraw::CreateObject";
    const int32_t object = FirstFreeSlot();
    if (object == 0) return krSystem::ErrorBox(kOperation, kTooManyObjects);
    SetName(object, "*");
    sprites[object].surface = CreateOffscreen(static_cast<DWORD>(krSystemState.screenWidth),
                                              static_cast<DWORD>(krSystemState.screenHeight) + 1);
    if (sprites[object].surface == nullptr) {
        EmptySlot(object);
        return krSystem::ErrorBox(kOperation, "スプライトを作成できません");
    }
    KeyFromLoadSetting(object);
    return object;
}

void ReleaseObject(int32_t object) {
    if (ObjectSurface(object) == nullptr) return;
    sprites[object].surface->Release();
    EmptySlot(object);
}

void SetColorKey(COLORREF colour) {
    loadSetting.keyColour = colour;
    loadSetting.cornerKey = 0;
}

void UseCornerKey() {
    loadSetting.cornerKey = 1;
}

HRESULT SetObjectColorKey(int32_t object, COLORREF colour) {
    if (!ValidObject(object)) return dd::DDERR_INVALIDPARAMS;
    sprites[object].colourKeySetting = static_cast<int32_t>(colour);
    return KeySetting(sprites[object].surface, colour);
}

HRESULT SetObjectCornerKey(int32_t object) {
    return SetObjectColorKey(object, kCornerKey);
}

HRESULT CopyColorKey(int32_t destination, int32_t source) {
    dd::Surface* to = ObjectSurface(destination);
    dd::Surface* from = ObjectSurface(source);
    if (to == nullptr || from == nullptr) return dd::DDERR_INVALIDPARAMS;
    dd::DDCOLORKEY key{};
    if (HRESULT result = from->GetColorKey(dd::DDCKEY_SRCBLT, &key); result != dd::DD_OK) {
        return result;
    }
    return to->SetColorKey(dd::DDCKEY_SRCBLT, &key);
}

}  // namespace krDraw
