// The display devices: enumeration, creation, cooperative levels, display modes and surface
// creation, and the machine that tests change.
#include <algorithm>

#include "platform/backend/backend.h"
#include "platform/dd/machine.h"
#include "platform/release_log.h"

namespace dd {

namespace {

constexpr uint32_t kSecondaryTag = 0x4B523344;  // marks the GUIDs of secondary devices
constexpr int32_t kLargestSide = 16384;

pixels::Format FormatForDepth(DWORD bitsPerPixel) {
    if (bitsPerPixel == 16) return TheMachine().use555 ? pixels::kRgb555 : pixels::kRgb565;
    return pixels::kRgb888;
}

bool SupportedDepth(DWORD bitsPerPixel) {
    const auto& refused = TheMachine().refusedDepths;
    return (bitsPerPixel == 16 || bitsPerPixel == 32) &&
           std::find(refused.begin(), refused.end(), bitsPerPixel) == refused.end();
}

bool SideInRange(DWORD side) {
    return side > 0 && side <= static_cast<DWORD>(kLargestSide);
}

bool HasFlags(DWORD value, DWORD flags) {
    return (value & flags) == flags;
}

}  // namespace

Machine& TheMachine() {
    static Machine machine;
    return machine;
}

bool ShouldFail(test::Call call) {
    int& countdown = TheMachine().failAfter[static_cast<int>(call)];
    if (countdown < 0) return false;
    if (countdown-- == 0) return true;
    return false;
}

bool StillDrawing(DWORD flags, DWORD waitFlag) {
    int& answers = TheMachine().stillDrawing;
    if (answers <= 0) return false;
    if ((flags & waitFlag) != 0) {
        answers = 0;  // the wait outlasts the blitter
        return false;
    }
    --answers;
    return true;
}

DirectDraw::DirectDraw(bool accelerated) : accelerated_(accelerated) {
    RestoreDisplayMode();
    TheMachine().devices.push_back(this);
}

DirectDraw::~DirectDraw() {
    for (auto& surface : surfaces_)
        surface->attached_[0] = surface->attached_[1] = nullptr;
    surfaces_.clear();
    auto& devices = TheMachine().devices;
    devices.erase(std::remove(devices.begin(), devices.end(), this), devices.end());
}

uint32_t DirectDraw::AddRef() {
    return ++references_;
}

uint32_t DirectDraw::Release() {
    const uint32_t left = --references_;
    if (left > 0) return left;
    delete this;
    platform::NoteRelease("display device");
    return 0;
}

HRESULT DirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
    if (ShouldFail(test::Call::CooperativeLevel)) return DDERR_GENERIC;
    const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
    const bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
    if (exclusive != fullScreen || (exclusive && window == nullptr)) return DDERR_INVALIDPARAMS;
    if (!exclusive && (flags & DDSCL_NORMAL) == 0) return DDERR_INVALIDPARAMS;
    exclusive_ = exclusive;
    return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) {
    if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
    if (ShouldFail(test::Call::DisplayMode) || !SupportedDepth(bitsPerPixel) ||
        !SideInRange(width) || !SideInRange(height)) {
        return DDERR_UNSUPPORTEDMODE;
    }
    modeWidth_ = static_cast<int32_t>(width);
    modeHeight_ = static_cast<int32_t>(height);
    format_ = FormatForDepth(bitsPerPixel);
    LoseSurfaces();  // a mode change takes the display from every surface
    return DD_OK;
}

HRESULT DirectDraw::RestoreDisplayMode() {
    backend::Backend& machine = backend::Active();
    modeWidth_ = machine.DesktopWidth();
    modeHeight_ = machine.DesktopHeight();
    format_ = FormatForDepth(machine.DesktopBits() == 16 ? 16 : 32);
    return DD_OK;
}

HRESULT DirectDraw::GetCaps(DDCAPS* hardware, DDCAPS* emulation) {
    if (hardware != nullptr) {
        hardware->dwCaps = accelerated_ ? DDCAPS_3D | DDCAPS_BLTSTRETCH : 0;
        hardware->dwCaps2 = 0;
        hardware->ddsCaps.dwCaps =
            accelerated_ ? DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE | DDSCAPS_ZBUFFER | DDSCAPS_FLIP : 0;
    }
    if (emulation != nullptr) {
        // Software blits stretch; they have no 3D hardware.
        emulation->dwCaps = DDCAPS_BLTSTRETCH;
        emulation->dwCaps2 = 0;
        emulation->ddsCaps.dwCaps =
            DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_3DDEVICE | DDSCAPS_ZBUFFER;
    }
    return DD_OK;
}

HRESULT DirectDraw::FlipToGDISurface() {
    return DD_OK;
}

HRESULT DirectDraw::CreateSurface(DDSURFACEDESC* desc, Surface** surface, void*) {
    if (desc == nullptr || surface == nullptr) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if ((desc->dwFlags & DDSD_CAPS) == 0) return DDERR_INVALIDPARAMS;
    if (ShouldFail(test::Call::CreateSurface)) return DDERR_OUTOFMEMORY;
    DDSURFACEDESC made = *desc;
    const DWORD caps = desc->ddsCaps.dwCaps;
    if ((caps & DDSCAPS_PRIMARYSURFACE) != 0) {
        made.dwWidth = static_cast<DWORD>(modeWidth_);
        made.dwHeight = static_cast<DWORD>(modeHeight_);
        made.dwFlags |= DDSD_WIDTH | DDSD_HEIGHT;
        if ((caps & DDSCAPS_FLIP) != 0) {
            if ((caps & DDSCAPS_COMPLEX) == 0 || (desc->dwFlags & DDSD_BACKBUFFERCOUNT) == 0 ||
                desc->dwBackBufferCount != 1) {
                return DDERR_INVALIDPARAMS;
            }
            if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
        }
    } else if (!HasFlags(desc->dwFlags, DDSD_WIDTH | DDSD_HEIGHT) || !SideInRange(desc->dwWidth) ||
               !SideInRange(desc->dwHeight)) {
        return DDERR_INVALIDPARAMS;
    }
    if ((caps & DDSCAPS_ZBUFFER) != 0) {
        const DWORD depth = desc->dwZBufferBitDepth;
        if ((desc->dwFlags & DDSD_ZBUFFERBITDEPTH) == 0 ||
            (depth != 16 && depth != 24 && depth != 32)) {
            return DDERR_INVALIDPARAMS;
        }
    }
    return MakeSurface(made, surface);
}

HRESULT DirectDraw::MakeSurface(const DDSURFACEDESC& desc, Surface** surface) {
    surfaces_.push_back(std::make_unique<Surface>(*this, desc, format_));
    Surface* made = surfaces_.back().get();
    if ((desc.ddsCaps.dwCaps & DDSCAPS_FLIP) != 0) {
        DDSURFACEDESC back = desc;
        back.ddsCaps.dwCaps =
            (desc.ddsCaps.dwCaps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER)) |
            DDSCAPS_BACKBUFFER;
        surfaces_.push_back(std::make_unique<Surface>(*this, back, format_));
        made->attached_[0] = surfaces_.back().get();
    }
    *surface = made;
    return DD_OK;
}

void DirectDraw::LoseSurfaces() {
    for (auto& surface : surfaces_)
        surface->MarkLost();
}

void DirectDraw::Destroy(Surface* surface) {
    auto found = std::find_if(surfaces_.begin(), surfaces_.end(),
                              [surface](const auto& owned) { return owned.get() == surface; });
    if (found == surfaces_.end()) return;
    std::unique_ptr<Surface> going = std::move(*found);
    surfaces_.erase(found);
}

HRESULT DirectDrawEnumerate(LPDDENUMCALLBACK callback, void* context) {
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    if (callback(nullptr, "Primary Display Driver", "display", context) == FALSE) return DD_OK;
    for (int i = 0; i < TheMachine().secondaryDevices; ++i) {
        GUID guid{kSecondaryTag, 0, 0, {static_cast<uint8_t>(i)}};
        if (callback(&guid, "3D Accelerator", "accelerator", context) == FALSE) break;
    }
    return DD_OK;
}

HRESULT DirectDrawCreate(const GUID* guid, DirectDraw** directDraw, void*) {
    if (directDraw == nullptr) return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (ShouldFail(test::Call::Create)) return DDERR_GENERIC;
    const bool secondary = guid != nullptr;
    if (secondary &&
        (guid->Data1 != kSecondaryTag || guid->Data4[0] >= TheMachine().secondaryDevices)) {
        return DDERR_INVALIDDIRECTDRAWGUID;
    }
    *directDraw = new DirectDraw(secondary);
    return DD_OK;
}

void LoseAllSurfaces() {
    for (DirectDraw* device : TheMachine().devices)
        device->LoseSurfaces();
}

namespace test {

void Reset() {
    // Live devices and surfaces stay counted; only what tests changed goes.
    Machine fresh;
    fresh.devices = std::move(TheMachine().devices);
    fresh.liveSurfaces = TheMachine().liveSurfaces;
    TheMachine() = std::move(fresh);
}

void AddSecondary3DDevice() {
    ++TheMachine().secondaryDevices;
}

void FailCall(Call call, int skip) {
    TheMachine().failAfter[static_cast<int>(call)] = skip;
}

void RefuseDepth(DWORD bitsPerPixel) {
    TheMachine().refusedDepths.push_back(bitsPerPixel);
}

void Use555For16Bit(bool use555) {
    TheMachine().use555 = use555;
}

void AnswerStillDrawing(int count) {
    TheMachine().stillDrawing = count;
}

int LiveSurfaces() {
    return TheMachine().liveSurfaces;
}

int LiveDevices() {
    return static_cast<int>(TheMachine().devices.size());
}

}  // namespace test

}  // namespace dd
