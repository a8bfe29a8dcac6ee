// Display set-up: the device, the cooperative level and mode, every surface, the pixel format,
// the sine table and the start of the other modules; surface restore and the back DC.
#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "draw/colour_depth.h"
#include "draw/display.h"
#include "draw/effects.h"
#include "draw/frame_rate.h"
#include "scene3d/scene3d.h"
#include "shell/shell.h"
#include "sound/sound.h"
#include "text/font_state.h"

namespace krDraw {

namespace {

constexpr const char* kOperation = "krDraw::Screen";
// Nothing in the framework sets a default size: a width of -1 asks for the game's screen.
constexpr int32_t kDefaultWidth = 640;
constexpr int32_t kDefaultHeight = 480;

DisplayState InitialDisplay() {
    DisplayState initial{};
    initial.defaultWidth = kDefaultWidth;
    initial.defaultHeight = kDefaultHeight;
    initial.colourDepthSetting = 16;
    return initial;
}

}  // namespace

DisplayState display = InitialDisplay();

namespace {

int32_t Fail(const char* message) {
    return krSystem::ErrorBox(kOperation, message);
}

// The accelerator search: the first secondary device with 3D hardware and textures wins.
BOOL AcceleratorSearch(dd::GUID* guid, const char*, const char*, void* context) {
    auto* chosen = static_cast<dd::DirectDraw**>(context);
    display.accelerator = 0;
    if (guid == nullptr) return TRUE;
    dd::DirectDraw* candidate = nullptr;
    if (dd::DirectDrawCreate(guid, &candidate, nullptr) != dd::DD_OK) return TRUE;
    dd::DDCAPS hardware{sizeof hardware, 0, 0, {0}};
    dd::DDCAPS emulation{sizeof emulation, 0, 0, {0}};
    candidate->GetCaps(&hardware, &emulation);
    if ((hardware.dwCaps & dd::DDCAPS_3D) != 0 &&
        (hardware.ddsCaps.dwCaps & dd::DDSCAPS_TEXTURE) != 0) {
        *chosen = candidate;
        display.accelerator = 1;
        kr3DState.wantedColourModel = 2;  // D3DCOLOR_RGB
        return FALSE;
    }
    *chosen = nullptr;
    candidate->Release();
    return TRUE;
}

dd::DDSURFACEDESC SurfaceDesc(DWORD flags, DWORD caps) {
    dd::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = flags;
    desc.ddsCaps.dwCaps = caps;
    desc.dwWidth = static_cast<DWORD>(krSystemState.screenWidth);
    desc.dwHeight = static_cast<DWORD>(krSystemState.screenHeight);
    return desc;
}

dd::Surface* CreateSurface(dd::DDSURFACEDESC desc) {
    dd::Surface* surface = nullptr;
    display.directDraw->CreateSurface(&desc, &surface, nullptr);
    return surface;
}

bool FlipChain() {
    return krSystemState.fullScreen == 1 && display.accelerator == 1;
}

HRESULT SetCooperativeLevel() {
    const DWORD flags = krSystemState.fullScreen == 1
                            ? dd::DDSCL_EXCLUSIVE | dd::DDSCL_FULLSCREEN | dd::DDSCL_ALLOWREBOOT
                            : dd::DDSCL_NORMAL;
    return display.directDraw->SetCooperativeLevel(krSystemState.windowHandle, flags);
}

// A refused 32-bit mode is tried once more at 24 bits, and the setting stays 24.
bool SetDisplayMode() {
    const auto width = static_cast<DWORD>(krSystemState.screenWidth);
    const auto height = static_cast<DWORD>(krSystemState.screenHeight);
    int32_t& depth = display.colourDepthSetting;
    if (display.directDraw->SetDisplayMode(width, height, static_cast<DWORD>(depth)) == dd::DD_OK) {
        return true;
    }
    if (depth != 32) return false;
    depth = 24;
    return display.directDraw->SetDisplayMode(width, height, 24) == dd::DD_OK;
}

dd::Surface* CreateFront() {
    if (!FlipChain()) return CreateSurface(SurfaceDesc(dd::DDSD_CAPS, dd::DDSCAPS_PRIMARYSURFACE));
    dd::DDSURFACEDESC desc = SurfaceDesc(
        dd::DDSD_CAPS | dd::DDSD_BACKBUFFERCOUNT,
        dd::DDSCAPS_PRIMARYSURFACE | dd::DDSCAPS_FLIP | dd::DDSCAPS_COMPLEX | dd::DDSCAPS_3DDEVICE);
    desc.dwBackBufferCount = 1;
    return CreateSurface(desc);
}

dd::Surface* CreateOffscreen() {
    return CreateSurface(
        SurfaceDesc(dd::DDSD_CAPS | dd::DDSD_WIDTH | dd::DDSD_HEIGHT, dd::DDSCAPS_OFFSCREENPLAIN));
}

dd::Surface* GetBack() {
    if (!FlipChain()) return CreateOffscreen();
    const dd::DDSCAPS caps{dd::DDSCAPS_BACKBUFFER};
    dd::Surface* back = nullptr;
    display.front->GetAttachedSurface(&caps, &back);
    return back;
}

// The Buffer and Screen objects: screen-sized, keyed with black, setting 0, no name.
bool CreateScreenObject(int32_t object) {
    sprites[object].surface = CreateOffscreen();
    if (sprites[object].surface == nullptr) return false;
    KeySetting(sprites[object].surface, RGB(0, 0, 0));
    sprites[object].colourKeySetting = 0;
    return true;
}

void ReadStretchCap() {
    dd::DDCAPS hardware{sizeof hardware, 0, 0, {0}};
    dd::DDCAPS emulation{sizeof emulation, 0, 0, {0}};
    display.directDraw->GetCaps(&hardware, &emulation);
    const DWORD caps = display.accelerator == 1 ? hardware.dwCaps : emulation.dwCaps;
    display.stretch = (caps & dd::DDCAPS_BLTSTRETCH) != 0 ? 1 : 0;
}

void StoreComponent(uint32_t mask, uint32_t& storedMask, int32_t& shift, uint32_t& maximum) {
    storedMask = mask;
    // A zero mask has no lowest bit: it keeps shift 0 and maximum 0.
    shift = mask == 0 ? 0 : std::countr_zero(mask);
    maximum = mask >> shift;
}

bool ReadPixelFormat() {
    dd::DDPIXELFORMAT format{};
    format.dwSize = sizeof format;
    if (display.back->GetPixelFormat(&format) != dd::DD_OK) return false;
    StoreComponent(format.dwRBitMask, display.redMask, display.redShift, display.redMax);
    StoreComponent(format.dwGBitMask, display.greenMask, display.greenShift, display.greenMax);
    StoreComponent(format.dwBBitMask, display.blueMask, display.blueShift, display.blueMax);
    return true;
}

void BuildSineTable() {
    for (int32_t i = 0; i < kSineEntries; ++i) {
        display.sine[i] =
            static_cast<int32_t>(std::sin(2.0 * std::numbers::pi * i / 360.0) * 360.0);
    }
}

dd::Surface* Create3DSurface() {
    dd::DDSURFACEDESC desc = SurfaceDesc(
        dd::DDSD_CAPS | dd::DDSD_WIDTH | dd::DDSD_HEIGHT | dd::DDSD_CKSRCBLT, dd::DDSCAPS_3DDEVICE);
    desc.ddckCKSrcBlt = dd::DDCOLORKEY{0, 0};
    return CreateSurface(desc);
}

dd::Surface* CreateZBuffer() {
    dd::DDSURFACEDESC desc =
        SurfaceDesc(dd::DDSD_CAPS | dd::DDSD_WIDTH | dd::DDSD_HEIGHT | dd::DDSD_ZBUFFERBITDEPTH,
                    dd::DDSCAPS_ZBUFFER | kr3DState.zBufferMemory);
    desc.dwZBufferBitDepth = static_cast<DWORD>(kr3DState.zBufferDepth);
    return CreateSurface(desc);
}

// Opens the device and makes every surface; false after a reported failure.
int32_t OpenDisplay() {
    dd::DirectDrawEnumerate(AcceleratorSearch, &display.directDraw);
    if (display.directDraw == nullptr &&
        dd::DirectDrawCreate(nullptr, &display.directDraw, nullptr) != dd::DD_OK) {
        return Fail("DirectDrawが使用できません");
    }
    if (SetCooperativeLevel() != dd::DD_OK) return Fail("フルスクリーン化できません");
    if (krSystemState.fullScreen == 1 && !SetDisplayMode()) return Fail("解像度が変更できません");
    if ((display.front = CreateFront()) == nullptr)
        return Fail("スプライト(Front)が生成できません");
    if ((display.back = GetBack()) == nullptr) return Fail("スプライト(Back)が取得できません");
    if (!CreateScreenObject(kBufferObject)) return Fail("スプライト(Buffer)が生成できません");
    if (!CreateScreenObject(kScreenObject)) return Fail("スプライト(Screen)が生成できません");
    ReadStretchCap();
    if (!ReadPixelFormat()) return Fail("ピクセル情報が取得できません");
    BuildSineTable();
    kr3D::Init();  // chooses the 3D device and the Z buffer's depth and memory
    if ((display.surface3D = Create3DSurface()) == nullptr) {
        return Fail("スプライト(3D)が生成できません");
    }
    if ((display.zBuffer = CreateZBuffer()) == nullptr) {
        return Fail("スプライト(Z Buffer)が生成できません");
    }
    if (display.back->AddAttachedSurface(display.zBuffer) != dd::DD_OK) {
        return Fail("スプライト(Z Buffer)に接続できません");
    }
    kr3D::CreateDevice();
    return 1;
}

void ReleaseSurface(dd::Surface*& surface) {
    if (surface != nullptr) surface->Release();
    surface = nullptr;
}

void RestoreUnasked(dd::Surface* surface) {
    if (surface != nullptr) surface->Restore();
}

// A restored surface comes back with undefined pixels; one without a bitmap to reload is made
// blank again, as it was when it was made, so that nothing shows the restore's leftovers.
void Blank(dd::Surface* surface) {
    if (surface == nullptr) return;
    const dd::DDBLTFX effects{sizeof(dd::DDBLTFX), 0};
    surface->Blt(nullptr, nullptr, nullptr, dd::DDBLT_COLORFILL | dd::DDBLT_WAIT, &effects);
}

}  // namespace

int32_t Screen(int32_t width, int32_t height) {
    if (width == -1) {
        width = display.defaultWidth;
        height = display.defaultHeight;
    }
    krSystemState.screenWidth = width;
    krSystemState.screenHeight = height;
    clip = RECT{0, 0, width, height};
    if (OpenDisplay() == 0) return 0;
    for (int32_t object = 2; object < kObjectSlots; ++object)
        EmptySlot(object);
    krDrawPresentation.pageObject = 0;
    krDrawPresentation.backgroundObject = 0;
    krSound::Init();
    krSound::ResetTable();
    krMidi::Init();
    krSystem::ResetWaits();
    krFont::AllocateDescription();
    krInput::Start();
    if (krSystemState.cursorClipOption == 1) krSystem::ClipCursorToWindow();
    return 1;
}

void Use32Bit() {
    display.colourDepthSetting = 32;
}

int32_t& ColourDepthSetting() {
    return display.colourDepthSetting;
}

void RestoreAll() {
    const bool lost3D = display.surface3D != nullptr && display.surface3D->IsLost() != dd::DD_OK;
    RestoreUnasked(display.front);
    if (display.accelerator == 0 && display.back != nullptr &&
        display.back->IsLost() != dd::DD_OK) {
        display.back->Restore();
        Blank(display.back);
    }
    RestoreUnasked(display.surface3D);
    if (lost3D) Blank(display.surface3D);
    RestoreUnasked(display.zBuffer);
    for (int32_t object : {kBufferObject, kScreenObject}) {
        dd::Surface* surface = sprites[object].surface;
        if (surface == nullptr || surface->IsLost() == dd::DD_OK) continue;
        surface->Restore();
        Blank(surface);
    }
    for (int32_t object = 2; object < kObjectSlots; ++object) {
        SpriteSlot& slot = sprites[object];
        if (slot.name[0] == '\0' || slot.surface == nullptr ||
            slot.surface->IsLost() == dd::DD_OK) {
            continue;
        }
        slot.surface->Restore();
        if (slot.name[0] == '*') {
            Blank(slot.surface);
            continue;
        }
        SetColorKey(static_cast<COLORREF>(slot.colourKeySetting));
        char name[kObjectNameSize];
        std::copy(std::begin(slot.name), std::end(slot.name), name);
        SwapObject(name, object);
    }
}

HRESULT GetBackDC() {
    if (display.back == nullptr) return dd::DDERR_GENERIC;
    return display.back->GetDC(&display.backDC);
}

HRESULT ReleaseBackDC() {
    if (display.back == nullptr) return dd::DDERR_GENERIC;
    return display.back->ReleaseDC(display.backDC);
}

void ReleaseDisplay() {
    if (display.directDraw == nullptr) return;
    for (int32_t object = 0; object < kObjectSlots; ++object) {
        ReleaseSurface(sprites[object].surface);
        EmptySlot(object);
    }
    ReleaseSurface(display.front);
    // In full screen the Back surface goes with the flip chain or the device.
    if (krSystemState.fullScreen == 0) ReleaseSurface(display.back);
    display.back = nullptr;
    ReleaseSurface(display.surface3D);
    ReleaseSurface(display.zBuffer);
    if (krSystemState.fullScreen == 1) {
        display.directDraw->RestoreDisplayMode();
        display.directDraw->SetCooperativeLevel(krSystemState.windowHandle, dd::DDSCL_NORMAL);
    }
    display.directDraw->Release();
    display.directDraw = nullptr;
}

void ResetForNextRun() {
    kr3D::ResetForNextRun();  // the 3D device draws on the display's surfaces: it goes first
    if (display.directDraw != nullptr) {
        // Whatever the run left, its device takes its surfaces with it.
        display.directDraw->Release();
    }
    display = InitialDisplay();
    std::ranges::fill(sprites, SpriteSlot{});
    loadSetting = LoadSetting{};
    clip = RECT{};
    krDrawPresentation = krDrawPresentationRecord{};
    frameRate = StartingFrameRate();
    rows = RowState{};
    wipe = WipeState{};
    paces = PaceState{};
}

}  // namespace krDraw
