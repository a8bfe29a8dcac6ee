#pragma once
// The display device and its surfaces: memory pixel buffers in the display's format, with the
// calls, flags and result codes the framework uses. Objects are reference counted; releasing the
// device frees every surface it still owns.
#include "platform/win/types.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/pixels/pixels.h"

namespace dd {

constexpr HRESULT MakeResult(uint32_t code) {
    return static_cast<HRESULT>(code);
}

inline constexpr HRESULT DD_OK = 0;
inline constexpr HRESULT DDERR_GENERIC = MakeResult(0x80004005);
inline constexpr HRESULT DDERR_OUTOFMEMORY = MakeResult(0x8007000E);
inline constexpr HRESULT DDERR_INVALIDPARAMS = MakeResult(0x80070057);
inline constexpr HRESULT DDERR_CANNOTATTACHSURFACE = MakeResult(0x8876006E);
inline constexpr HRESULT DDERR_INVALIDRECT = MakeResult(0x88760096);
inline constexpr HRESULT DDERR_NOCOLORKEY = MakeResult(0x887600D7);
inline constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeResult(0x887600E1);
inline constexpr HRESULT DDERR_NOTFOUND = MakeResult(0x887600FF);
inline constexpr HRESULT DDERR_SURFACEBUSY = MakeResult(0x887601AE);
inline constexpr HRESULT DDERR_SURFACELOST = MakeResult(0x887601C2);
inline constexpr HRESULT DDERR_WASSTILLDRAWING = MakeResult(0x8876021C);
inline constexpr HRESULT DDERR_INVALIDDIRECTDRAWGUID = MakeResult(0x88760231);
inline constexpr HRESULT DDERR_NOTFLIPPABLE = MakeResult(0x88760246);
inline constexpr HRESULT DDERR_UNSUPPORTEDMODE = MakeResult(0x8876024E);
inline constexpr HRESULT DDERR_NOTLOCKED = MakeResult(0x887602E8);
inline constexpr HRESULT E_FAIL = DDERR_GENERIC;

// SetCooperativeLevel.
inline constexpr DWORD DDSCL_FULLSCREEN = 0x1;
inline constexpr DWORD DDSCL_ALLOWREBOOT = 0x2;
inline constexpr DWORD DDSCL_NORMAL = 0x8;
inline constexpr DWORD DDSCL_EXCLUSIVE = 0x10;

// DDSURFACEDESC fields present.
inline constexpr DWORD DDSD_CAPS = 0x1;
inline constexpr DWORD DDSD_HEIGHT = 0x2;
inline constexpr DWORD DDSD_WIDTH = 0x4;
inline constexpr DWORD DDSD_PITCH = 0x8;
inline constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x20;
inline constexpr DWORD DDSD_ZBUFFERBITDEPTH = 0x40;
inline constexpr DWORD DDSD_LPSURFACE = 0x800;
inline constexpr DWORD DDSD_PIXELFORMAT = 0x1000;
inline constexpr DWORD DDSD_CKSRCBLT = 0x10000;

// Surface capabilities.
inline constexpr DWORD DDSCAPS_BACKBUFFER = 0x4;
inline constexpr DWORD DDSCAPS_COMPLEX = 0x8;
inline constexpr DWORD DDSCAPS_FLIP = 0x10;
inline constexpr DWORD DDSCAPS_FRONTBUFFER = 0x20;
inline constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x40;
inline constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200;
inline constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x800;
inline constexpr DWORD DDSCAPS_TEXTURE = 0x1000;
inline constexpr DWORD DDSCAPS_3DDEVICE = 0x2000;
inline constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x4000;
inline constexpr DWORD DDSCAPS_ZBUFFER = 0x20000;

// Blt, BltFast, Flip, Lock, colour keys, device capabilities, pixel formats.
inline constexpr DWORD DDBLT_COLORFILL = 0x400;
inline constexpr DWORD DDBLT_KEYSRC = 0x8000;
inline constexpr DWORD DDBLT_WAIT = 0x1000000;
inline constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x0;
inline constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x1;
inline constexpr DWORD DDBLTFAST_DESTCOLORKEY = 0x2;
inline constexpr DWORD DDBLTFAST_WAIT = 0x10;
inline constexpr DWORD DDFLIP_WAIT = 0x1;
inline constexpr DWORD DDLOCK_WAIT = 0x1;
inline constexpr DWORD DDCKEY_SRCBLT = 0x8;
inline constexpr DWORD DDCAPS_3D = 0x1;
inline constexpr DWORD DDCAPS_BLTSTRETCH = 0x200;
inline constexpr DWORD DDPF_RGB = 0x40;

struct GUID {
    uint32_t Data1;
    uint16_t Data2, Data3;
    uint8_t Data4[8];
};

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};

struct DDSCAPS {
    DWORD dwCaps;
};

struct DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    DWORD dwRGBBitCount;
    DWORD dwRBitMask, dwGBitMask, dwBBitMask;
    DWORD dwRGBAlphaBitMask;
};

struct DDSURFACEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    DWORD dwZBufferBitDepth;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
    void* lpSurface;
};

struct DDCAPS {
    DWORD dwSize;
    DWORD dwCaps;
    DWORD dwCaps2;
    DDSCAPS ddsCaps;
};

struct DDBLTFX {
    DWORD dwSize;
    DWORD dwFillColor;
};

class DirectDraw;

// 16-bit depth values of a Z buffer, whatever depth it was created with.
struct DepthView {
    uint16_t* data;
    int32_t pitch;  // in values
    int32_t width, height;
};

class Surface {
  public:
    Surface(DirectDraw& owner, const DDSURFACEDESC& desc, const pixels::Format& format);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    uint32_t AddRef();
    uint32_t Release();

    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc);
    HRESULT GetPixelFormat(DDPIXELFORMAT* format);
    HRESULT Lock(const RECT* rect, DDSURFACEDESC* desc, DWORD flags, void* event);
    HRESULT Unlock(void* memory);
    HRESULT Blt(const RECT* destination, Surface* source, const RECT* sourceRect, DWORD flags,
                const DDBLTFX* effects);
    HRESULT BltFast(LONG x, LONG y, Surface* source, const RECT* sourceRect, DWORD flags);
    HRESULT SetColorKey(DWORD flags, const DDCOLORKEY* key);
    HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key);
    // The context draws into the surface, which stays locked until ReleaseDC.
    HRESULT GetDC(HDC* dc);
    HRESULT ReleaseDC(HDC dc);
    HRESULT IsLost();
    HRESULT Restore();
    HRESULT Flip(Surface* target, DWORD flags);
    HRESULT GetAttachedSurface(const DDSCAPS* caps, Surface** attached);
    HRESULT AddAttachedSurface(Surface* attached);

    // For the 3D device: the whole picture, and the depth values of a Z buffer (null data
    // for other surfaces). Both stay valid while the surface lives.
    pixels::View Pixels();
    DepthView Depth();

    // For the device: loss, and the memory exchange of a flip.
    void MarkLost() { lost_ = true; }
    DWORD Caps() const { return caps_; }
    DirectDraw& Owner() { return owner_; }

  private:
    friend class DirectDraw;
    HRESULT CheckDrawable(DWORD flags, DWORD waitFlag) const;
    bool Inside(const RECT& rect) const;
    RECT Whole() const;
    void Presented(const RECT& area);
    // Desktop coordinates to the surface's own: a windowed primary stands for the window's
    // picture, which the window owns wherever it is on (or off) the desktop.
    RECT Placed(const RECT& rect) const;
    void FillRect(const RECT& rect, uint32_t value);
    void CopyRect(const RECT& destination, Surface& source, const RECT& sourceRect, bool keyed);

    DirectDraw& owner_;
    uint32_t references_ = 1;
    DWORD caps_;
    int32_t width_, height_;
    int32_t pitch_;
    pixels::Format format_;
    DWORD zDepth_ = 0;
    std::vector<uint8_t> memory_;
    bool hasKey_ = false;
    DDCOLORKEY key_{};
    bool lost_ = false;
    bool locked_ = false;
    HDC dc_ = nullptr;
    Surface* attached_[2] = {};  // the flip chain's back buffer, a Z buffer
};

class DirectDraw {
  public:
    explicit DirectDraw(bool accelerated);
    ~DirectDraw();
    DirectDraw(const DirectDraw&) = delete;
    DirectDraw& operator=(const DirectDraw&) = delete;

    uint32_t AddRef();
    uint32_t Release();

    HRESULT SetCooperativeLevel(HWND window, DWORD flags);
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel);
    HRESULT RestoreDisplayMode();
    HRESULT GetCaps(DDCAPS* hardware, DDCAPS* emulation);
    HRESULT CreateSurface(DDSURFACEDESC* desc, Surface** surface, void* outer);
    HRESULT FlipToGDISurface();

    bool Exclusive() const { return exclusive_; }
    const pixels::Format& DisplayFormat() const { return format_; }
    void LoseSurfaces();
    // Called by a surface whose last reference went.
    void Destroy(Surface* surface);

  private:
    HRESULT MakeSurface(const DDSURFACEDESC& desc, Surface** surface);

    uint32_t references_ = 1;
    bool accelerated_;
    bool exclusive_ = false;
    int32_t modeWidth_ = 0, modeHeight_ = 0;
    pixels::Format format_;
    std::vector<std::unique_ptr<Surface>> surfaces_;
};

using LPDDENUMCALLBACK = BOOL (*)(GUID* guid, const char* description, const char* name,
                                  void* context);
// The default display device first (null GUID), then any secondary devices.
HRESULT DirectDrawEnumerate(LPDDENUMCALLBACK callback, void* context);
HRESULT DirectDrawCreate(const GUID* guid, DirectDraw** directDraw, void* outer);

// Every surface of every device becomes lost (the renderer lost its device or its targets).
void LoseAllSurfaces();

// What tests change in the machine.
namespace test {
enum class Call {
    Create,
    CooperativeLevel,
    DisplayMode,
    CreateSurface,
    GetAttachedSurface,
    GetPixelFormat,
    AddAttachedSurface
};
// Back to the plain machine: the default device only, nothing failing, 5-6-5 for 16 bits.
void Reset();
// A secondary device with 3D hardware and texture caps, listed after the default one.
void AddSecondary3DDevice();
// The (skip + 1)-th call of that kind from now fails.
void FailCall(Call call, int skip = 0);
// Display modes of this depth are refused.
void RefuseDepth(DWORD bitsPerPixel);
// 16-bit display modes are 5-5-5.
void Use555For16Bit(bool use555);
// The next count drawing calls, locks and flips answer DDERR_WASSTILLDRAWING when they are not
// told to wait (and are retried inside when they are).
void AnswerStillDrawing(int count);
// Surfaces alive on all devices.
int LiveSurfaces();
int LiveDevices();
}  // namespace test

}  // namespace dd
