// Surfaces: memory pixel buffers with locks, unclipped blits, colour keys, device contexts,
// loss and restore, and the flip of a primary chain.
#include <algorithm>
#include <cstring>

#include "platform/backend/backend.h"
#include "platform/crt/saturate.h"
#include "platform/dd/machine.h"
#include "platform/gdi/gdi.h"
#include "platform/pixels/vector_units.h"

namespace dd {

namespace {

// What a restored surface holds: not the old picture.
constexpr uint8_t kRestoredJunk = 0xA5;
constexpr DWORD kPixelFormatSize = 32;
constexpr DWORD DDPF_ZBUFFER = 0x400;

// A rectangle of pixel memory: its top-left byte and the distance between rows.
struct Area {
    uint8_t* data;
    int32_t pitch;
    int32_t width, height;
};

// A source pixel is skipped when (pixel & mask) - low <= span, unsigned: low <= value <= high.
struct KeyRange {
    uint32_t mask, low, span;
};

// Rows with a single key value, the common case, a whole vector of pixels at a time: each lane
// keeps the destination where the source holds the key.
template <typename Pixel, size_t VectorBytes>
[[gnu::always_inline]] inline void CopyKeyedByValue(const Area to, const Area from, Pixel mask,
                                                    Pixel key) {
    typedef Pixel Vector __attribute__((vector_size(VectorBytes)));
    constexpr int32_t kLanes = static_cast<int32_t>(VectorBytes / sizeof(Pixel));
    const Vector masks = Vector{} + mask, keys = Vector{} + key;
    for (int32_t y = 0; y < to.height; ++y) {
        auto* destination = reinterpret_cast<Pixel*>(to.data + static_cast<intptr_t>(y) * to.pitch);
        const auto* source =
            reinterpret_cast<const Pixel*>(from.data + static_cast<intptr_t>(y) * from.pitch);
        int32_t x = 0;
        for (; x + kLanes <= to.width; x += kLanes) {
            Vector in, out;
            std::memcpy(&in, source + x, VectorBytes);
            std::memcpy(&out, destination + x, VectorBytes);
            out = (in & masks) == keys ? out : in;
            std::memcpy(destination + x, &out, VectorBytes);
        }
        for (; x < to.width; ++x)
            if (static_cast<Pixel>(source[x] & mask) != key) destination[x] = source[x];
    }
}

template <typename Pixel>
void CopyKeyedByValueNarrow(const Area& to, const Area& from, Pixel mask, Pixel key) {
    CopyKeyedByValue<Pixel, 16>(to, from, mask, key);
}

#if defined(__x86_64__)
template <typename Pixel>
[[gnu::target("avx2")]] void CopyKeyedByValueWide(const Area& to, const Area& from, Pixel mask,
                                                  Pixel key) {
    CopyKeyedByValue<Pixel, 32>(to, from, mask, key);
}
#endif

template <typename Pixel>
void CopyAreaKeyedByValue(const Area& to, const Area& from, const KeyRange& key) {
    const auto mask = static_cast<Pixel>(key.mask), value = static_cast<Pixel>(key.low);
#if defined(__x86_64__)
    if (pixels::WideVectors()) return CopyKeyedByValueWide<Pixel>(to, from, mask, value);
#endif
    CopyKeyedByValueNarrow<Pixel>(to, from, mask, value);
}

template <typename Pixel>
void CopyRowKeyedByRange(Pixel* destination, const Pixel* source, int32_t width,
                         const KeyRange& key) {
    for (int32_t x = 0; x < width; ++x) {
        const Pixel pixel = source[x];
        if ((static_cast<uint32_t>(pixel & key.mask) - key.low) > key.span) destination[x] = pixel;
    }
}

template <typename Pixel>
void CopyArea(const Area& to, const Area& from, const KeyRange* key) {
    if (key != nullptr && key->span == 0) return CopyAreaKeyedByValue<Pixel>(to, from, *key);
    for (int32_t y = 0; y < to.height; ++y) {
        auto* destination = reinterpret_cast<Pixel*>(to.data + static_cast<intptr_t>(y) * to.pitch);
        const auto* source =
            reinterpret_cast<const Pixel*>(from.data + static_cast<intptr_t>(y) * from.pitch);
        if (key == nullptr) {
            std::memmove(destination, source, sizeof(Pixel) * static_cast<size_t>(to.width));
        } else {
            CopyRowKeyedByRange<Pixel>(destination, source, to.width, *key);
        }
    }
}

// Nearest sampling: destination pixel d reads source pixel floor((d + 0.5) * source / destination).
int32_t NearestSource(int32_t destination, int32_t destinationSize, int32_t sourceSize) {
    return static_cast<int32_t>((2 * static_cast<int64_t>(destination) + 1) * sourceSize /
                                (2 * static_cast<int64_t>(destinationSize)));
}

template <typename Pixel>
void StretchArea(const Area& to, const Area& from, const KeyRange* key) {
    for (int32_t y = 0; y < to.height; ++y) {
        auto* destination = reinterpret_cast<Pixel*>(to.data + static_cast<intptr_t>(y) * to.pitch);
        const auto* source = reinterpret_cast<const Pixel*>(
            from.data +
            static_cast<intptr_t>(NearestSource(y, to.height, from.height)) * from.pitch);
        for (int32_t x = 0; x < to.width; ++x) {
            const Pixel pixel = source[NearestSource(x, to.width, from.width)];
            if (key == nullptr ||
                (static_cast<uint32_t>(pixel & key->mask) - key->low) > key->span) {
                destination[x] = pixel;
            }
        }
    }
}

// The first row pixel by pixel, the others as copies of it.
template <typename Pixel>
void FillArea(const Area& to, uint32_t value) {
    if (to.height <= 0) return;
    auto* first = reinterpret_cast<Pixel*>(to.data);
    std::fill_n(first, to.width, static_cast<Pixel>(value));
    const size_t rowBytes = sizeof(Pixel) * static_cast<size_t>(to.width);
    for (int32_t y = 1; y < to.height; ++y)
        std::memcpy(to.data + static_cast<intptr_t>(y) * to.pitch, first, rowBytes);
}

uint32_t FormatMask(const pixels::Format& format) {
    const uint32_t colours = format.redMask | format.greenMask | format.blueMask;
    if (colours != 0) return colours;
    return format.bitsPerPixel >= 32 ? 0xFFFFFFFF : (1u << format.bitsPerPixel) - 1;
}

RECT WidthHeight(LONG left, LONG top, int64_t width, int64_t height) {
    return RECT{left, top,
                static_cast<LONG>(std::clamp<int64_t>(left + width, INT32_MIN, INT32_MAX)),
                static_cast<LONG>(std::clamp<int64_t>(top + height, INT32_MIN, INT32_MAX))};
}

bool Empty(const RECT& rect) {
    return rect.right == rect.left || rect.bottom == rect.top;
}

}  // namespace

Surface::Surface(DirectDraw& owner, const DDSURFACEDESC& desc, const pixels::Format& format)
    : owner_(owner),
      caps_(desc.ddsCaps.dwCaps),
      width_(static_cast<int32_t>(desc.dwWidth)),
      height_(static_cast<int32_t>(desc.dwHeight)),
      format_(format) {
    if ((caps_ & DDSCAPS_ZBUFFER) != 0) {
        // Depth values are 16 bits here whatever depth was asked.
        zDepth_ = desc.dwZBufferBitDepth;
        format_ = pixels::Format{16, 0, 0, 0};
    }
    pitch_ = (width_ * static_cast<int32_t>(pixels::BytesPerPixel(format_)) + 3) & ~3;
    memory_.assign(static_cast<size_t>(pitch_) * static_cast<size_t>(height_), 0);
    if ((desc.dwFlags & DDSD_CKSRCBLT) != 0) SetColorKey(DDCKEY_SRCBLT, &desc.ddckCKSrcBlt);
    ++TheMachine().liveSurfaces;
}

Surface::~Surface() {
    if (dc_ != nullptr) gdi::DeleteSurfaceDC(dc_);
    for (Surface* attached : attached_)
        if (attached != nullptr) attached->Release();
    --TheMachine().liveSurfaces;
}

uint32_t Surface::AddRef() {
    return ++references_;
}

uint32_t Surface::Release() {
    const uint32_t left = --references_;
    if (left == 0) owner_.Destroy(this);
    return left;
}

HRESULT Surface::GetSurfaceDesc(DDSURFACEDESC* desc) {
    if (desc == nullptr) return DDERR_INVALIDPARAMS;
    *desc = DDSURFACEDESC{};
    desc->dwSize = sizeof *desc;
    desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = static_cast<DWORD>(width_);
    desc->dwHeight = static_cast<DWORD>(height_);
    desc->lPitch = pitch_;
    desc->ddsCaps.dwCaps = caps_;
    if (zDepth_ != 0) {
        desc->dwFlags |= DDSD_ZBUFFERBITDEPTH;
        desc->dwZBufferBitDepth = zDepth_;
    }
    if (hasKey_) {
        desc->dwFlags |= DDSD_CKSRCBLT;
        desc->ddckCKSrcBlt = key_;
    }
    desc->ddpfPixelFormat = DDPIXELFORMAT{kPixelFormatSize,
                                          zDepth_ != 0 ? DDPF_ZBUFFER : DDPF_RGB,
                                          0,
                                          zDepth_ != 0 ? zDepth_ : format_.bitsPerPixel,
                                          format_.redMask,
                                          format_.greenMask,
                                          format_.blueMask,
                                          0};
    return DD_OK;
}

HRESULT Surface::GetPixelFormat(DDPIXELFORMAT* format) {
    if (format == nullptr) return DDERR_INVALIDPARAMS;
    if (ShouldFail(test::Call::GetPixelFormat)) return DDERR_GENERIC;
    DDSURFACEDESC desc;
    GetSurfaceDesc(&desc);
    *format = desc.ddpfPixelFormat;
    return DD_OK;
}

HRESULT Surface::CheckDrawable(DWORD flags, DWORD waitFlag) const {
    if (lost_) return DDERR_SURFACELOST;
    if (locked_) return DDERR_SURFACEBUSY;
    if (StillDrawing(flags, waitFlag)) return DDERR_WASSTILLDRAWING;
    return DD_OK;
}

bool Surface::Inside(const RECT& rect) const {
    return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom &&
           rect.right <= width_ && rect.bottom <= height_;
}

RECT Surface::Whole() const {
    return RECT{0, 0, width_, height_};
}

HRESULT Surface::Lock(const RECT* rect, DDSURFACEDESC* desc, DWORD flags, void*) {
    if (desc == nullptr) return DDERR_INVALIDPARAMS;
    if (HRESULT result = CheckDrawable(flags, DDLOCK_WAIT); result != DD_OK) return result;
    const RECT area = rect != nullptr ? *rect : Whole();
    if (!Inside(area)) return DDERR_INVALIDRECT;
    GetSurfaceDesc(desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = Pixels().Row(area.top) + area.left * pixels::BytesPerPixel(format_);
    locked_ = true;
    return DD_OK;
}

HRESULT Surface::Unlock(void*) {
    if (!locked_ || dc_ != nullptr) return DDERR_NOTLOCKED;
    locked_ = false;
    if (owner_.Exclusive()) Presented(Whole());
    return DD_OK;
}

HRESULT Surface::Blt(const RECT* destination, Surface* source, const RECT* sourceRect, DWORD flags,
                     const DDBLTFX* effects) {
    if (HRESULT result = CheckDrawable(flags, DDBLT_WAIT); result != DD_OK) return result;
    const RECT to = destination != nullptr ? Placed(*destination) : Whole();
    if ((flags & DDBLT_COLORFILL) != 0) {
        if (effects == nullptr) return DDERR_INVALIDPARAMS;
        if (!Inside(to)) return DDERR_INVALIDRECT;
        FillRect(to, effects->dwFillColor);
        Presented(to);
        return DD_OK;
    }
    if (source == nullptr) return DDERR_INVALIDPARAMS;
    if (source->lost_) return DDERR_SURFACELOST;
    if (source != this && source->locked_) return DDERR_SURFACEBUSY;
    const RECT from = sourceRect != nullptr ? *sourceRect : source->Whole();
    if (!Inside(to) || !source->Inside(from) || source->format_ != format_) {
        return DDERR_INVALIDRECT;
    }
    if (Empty(to)) return DD_OK;
    if (Empty(from)) return DDERR_INVALIDRECT;
    CopyRect(to, *source, from, (flags & DDBLT_KEYSRC) != 0);
    Presented(to);
    return DD_OK;
}

HRESULT Surface::BltFast(LONG x, LONG y, Surface* source, const RECT* sourceRect, DWORD flags) {
    if (source == nullptr) return DDERR_INVALIDPARAMS;
    if (HRESULT result = CheckDrawable(flags, DDBLTFAST_WAIT); result != DD_OK) return result;
    if (source->lost_) return DDERR_SURFACELOST;
    if (source != this && source->locked_) return DDERR_SURFACEBUSY;
    const RECT from = sourceRect != nullptr ? *sourceRect : source->Whole();
    if (!source->Inside(from) || source->format_ != format_) return DDERR_INVALIDRECT;
    const RECT to =
        Placed(WidthHeight(x, y, int64_t{from.right} - from.left, int64_t{from.bottom} - from.top));
    if (!Inside(to)) return DDERR_INVALIDRECT;
    if (Empty(to)) return DD_OK;
    CopyRect(to, *source, from, (flags & DDBLTFAST_SRCCOLORKEY) != 0);
    Presented(to);
    return DD_OK;
}

void Surface::CopyRect(const RECT& destination, Surface& source, const RECT& sourceRect,
                       bool keyed) {
    const uint32_t bytes = pixels::BytesPerPixel(format_);
    Area from{source.Pixels().Row(sourceRect.top) + sourceRect.left * bytes, source.pitch_,
              sourceRect.right - sourceRect.left, sourceRect.bottom - sourceRect.top};
    std::vector<uint8_t> copy;
    if (&source == this) {  // overlapping rectangles of one surface: read from a copy
        const size_t rowBytes = static_cast<size_t>(from.width) * bytes;
        copy.resize(rowBytes * static_cast<size_t>(from.height));
        for (int32_t y = 0; y < from.height; ++y)
            std::memcpy(copy.data() + y * rowBytes, from.data + y * from.pitch, rowBytes);
        from = Area{copy.data(), static_cast<int32_t>(rowBytes), from.width, from.height};
    }
    const Area to{Pixels().Row(destination.top) + destination.left * bytes, pitch_,
                  destination.right - destination.left, destination.bottom - destination.top};
    const uint32_t mask = FormatMask(format_);
    const KeyRange range{
        mask, source.key_.dwColorSpaceLowValue & mask,
        (source.key_.dwColorSpaceHighValue & mask) - (source.key_.dwColorSpaceLowValue & mask)};
    const KeyRange* key = keyed && source.hasKey_ ? &range : nullptr;
    const bool stretched = to.width != from.width || to.height != from.height;
    if (bytes == 2) {
        stretched ? StretchArea<uint16_t>(to, from, key) : CopyArea<uint16_t>(to, from, key);
    } else {
        stretched ? StretchArea<uint32_t>(to, from, key) : CopyArea<uint32_t>(to, from, key);
    }
}

void Surface::FillRect(const RECT& rect, uint32_t value) {
    const uint32_t bytes = pixels::BytesPerPixel(format_);
    const Area to{Pixels().Row(rect.top) + rect.left * bytes, pitch_, rect.right - rect.left,
                  rect.bottom - rect.top};
    if (bytes == 2) {
        FillArea<uint16_t>(to, value & 0xFFFF);
    } else {
        FillArea<uint32_t>(to, value);
    }
}

HRESULT Surface::SetColorKey(DWORD flags, const DDCOLORKEY* key) {
    if ((flags & DDCKEY_SRCBLT) == 0) return DDERR_INVALIDPARAMS;
    if (lost_) return DDERR_SURFACELOST;
    hasKey_ = key != nullptr;
    if (key == nullptr) return DD_OK;
    key_ = *key;
    if (key_.dwColorSpaceHighValue < key_.dwColorSpaceLowValue) {
        key_.dwColorSpaceHighValue = key_.dwColorSpaceLowValue;
    }
    return DD_OK;
}

HRESULT Surface::GetColorKey(DWORD flags, DDCOLORKEY* key) {
    if ((flags & DDCKEY_SRCBLT) == 0 || key == nullptr) return DDERR_INVALIDPARAMS;
    if (lost_) return DDERR_SURFACELOST;
    if (!hasKey_) return DDERR_NOCOLORKEY;
    *key = key_;
    return DD_OK;
}

HRESULT Surface::GetDC(HDC* dc) {
    if (dc == nullptr) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (lost_) return DDERR_SURFACELOST;
    if (locked_) return DDERR_SURFACEBUSY;
    if (zDepth_ != 0) return DDERR_GENERIC;
    dc_ = gdi::CreateSurfaceDC(Pixels());
    if (dc_ == nullptr) return DDERR_GENERIC;
    locked_ = true;
    *dc = dc_;
    return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC dc) {
    if (dc == nullptr || dc != dc_) return DDERR_INVALIDPARAMS;
    gdi::DeleteSurfaceDC(dc_);
    dc_ = nullptr;
    locked_ = false;
    if (owner_.Exclusive()) Presented(Whole());
    return DD_OK;
}

HRESULT Surface::IsLost() {
    return lost_ ? DDERR_SURFACELOST : DD_OK;
}

HRESULT Surface::Restore() {
    if (lost_) {
        lost_ = false;
        std::fill(memory_.begin(), memory_.end(), kRestoredJunk);
    }
    if ((caps_ & DDSCAPS_FLIP) != 0 && attached_[0] != nullptr) attached_[0]->Restore();
    return DD_OK;
}

HRESULT Surface::Flip(Surface* target, DWORD flags) {
    Surface* back = attached_[0];
    if ((caps_ & DDSCAPS_PRIMARYSURFACE) == 0 || back == nullptr) return DDERR_NOTFLIPPABLE;
    if (target != nullptr && target != back) return DDERR_INVALIDPARAMS;
    if (back->lost_) return DDERR_SURFACELOST;
    if (back->locked_) return DDERR_SURFACEBUSY;
    if (HRESULT result = CheckDrawable(flags, DDFLIP_WAIT); result != DD_OK) return result;
    // The back buffer's memory is shown and the shown memory becomes the back buffer.
    std::swap(memory_, back->memory_);
    Presented(Whole());
    return DD_OK;
}

HRESULT Surface::GetAttachedSurface(const DDSCAPS* caps, Surface** attached) {
    if (caps == nullptr || attached == nullptr) return DDERR_INVALIDPARAMS;
    *attached = nullptr;
    if (ShouldFail(test::Call::GetAttachedSurface)) return DDERR_NOTFOUND;
    for (Surface* candidate : attached_) {
        if (candidate != nullptr && (candidate->caps_ & caps->dwCaps) == caps->dwCaps) {
            candidate->AddRef();
            *attached = candidate;
            return DD_OK;
        }
    }
    return DDERR_NOTFOUND;
}

HRESULT Surface::AddAttachedSurface(Surface* attached) {
    if (ShouldFail(test::Call::AddAttachedSurface) || attached == nullptr ||
        attached->zDepth_ == 0 || attached_[1] != nullptr || attached->width_ != width_ ||
        attached->height_ != height_) {
        return DDERR_CANNOTATTACHSURFACE;
    }
    attached->AddRef();
    attached_[1] = attached;
    return DD_OK;
}

pixels::View Surface::Pixels() {
    return pixels::View{memory_.data(), pitch_, width_, height_, format_};
}

DepthView Surface::Depth() {
    if (zDepth_ == 0) return DepthView{nullptr, 0, 0, 0};
    return DepthView{reinterpret_cast<uint16_t*>(memory_.data()), pitch_ / 2, width_, height_};
}

RECT Surface::Placed(const RECT& rect) const {
    if ((caps_ & DDSCAPS_PRIMARYSURFACE) == 0 || owner_.Exclusive()) return rect;
    int x = 0, y = 0;
    backend::Active().ClientPosition(x, y);
    return WidthHeight(crt::Saturate32(int64_t{rect.left} - x),
                       crt::Saturate32(int64_t{rect.top} - y), int64_t{rect.right} - rect.left,
                       int64_t{rect.bottom} - rect.top);
}

void Surface::Presented(const RECT& area) {
    if ((caps_ & DDSCAPS_PRIMARYSURFACE) == 0) return;
    // A full-screen display shows the whole primary; a window shows what was copied to it.
    const RECT shown = owner_.Exclusive() ? Whole() : area;
    if (Empty(shown)) return;
    const uint32_t bytes = pixels::BytesPerPixel(format_);
    backend::Active().Present(pixels::View{Pixels().Row(shown.top) + shown.left * bytes, pitch_,
                                           shown.right - shown.left, shown.bottom - shown.top,
                                           format_});
}

}  // namespace dd
