// Pixels, memory bitmaps and their loading, and the stretched copy between contexts.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/gdi/dc.h"
#include "platform/win/resources.h"

namespace gdi {

namespace {

// Source and destination of a stretched copy, normalised to positive extents. In 64 bits, so
// that any 32-bit start and extent fit: (2i + 1) * length stays below 2^63.
struct Span {
    int64_t start, length;
    bool reversed;
};

Span Normalise(int start, int length) {
    if (length < 0) return {int64_t{start} + length, -int64_t{length}, true};
    return {start, length, false};
}

// Nearest sample: the source offset under the centre of destination offset i.
int64_t SourceOffset(int64_t i, const Span& destination, const Span& source, bool mirror) {
    const int64_t offset = (2 * i + 1) * source.length / (2 * destination.length);
    return mirror ? source.length - 1 - offset : offset;
}

uint32_t Convert(uint32_t pixel, const pixels::Format& from, const pixels::Format& to) {
    return from == to ? pixel : pixels::Pack(to, pixels::Unpack(from, pixel));
}

Bitmap* BitmapFromSurface(SDL_Surface* loaded) {
    if (loaded == nullptr) return nullptr;
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
    SDL_FreeSurface(loaded);
    if (converted == nullptr) return nullptr;
    auto* bitmap = new Bitmap(converted->w, converted->h);
    for (int y = 0; y < converted->h; ++y) {
        const auto* row = static_cast<const uint8_t*>(converted->pixels) + y * converted->pitch;
        uint32_t* out = bitmap->pixels.data() + static_cast<size_t>(y) * bitmap->width;
        std::memcpy(out, row, static_cast<size_t>(converted->w) * 4);
        for (int x = 0; x < converted->w; ++x)
            out[x] &= 0x00FFFFFF;
    }
    SDL_FreeSurface(converted);
    return bitmap;
}

// Resource names are stored without their extension ("MASK.BMP" is the resource "MASK").
SDL_RWops* OpenResource(const char* name) {
    const win::Resource* resource = win::FindResource(name, "BITMAP");
    if (resource == nullptr) {
        const std::string bare(name);
        const size_t dot = bare.find_last_of('.');
        if (dot != std::string::npos && bare.find('/') == std::string::npos) {
            resource = win::FindResource(bare.substr(0, dot).c_str(), "BITMAP");
        }
    }
    if (resource == nullptr) return nullptr;
    return SDL_RWFromConstMem(resource->data, static_cast<int>(resource->size));
}

Bitmap* ScaledCopy(Bitmap* original, int width, int height) {
    auto* scaled = new Bitmap(width, height);
    HDC from = CreateCompatibleDC(nullptr);
    HDC to = CreateCompatibleDC(nullptr);
    SelectObject(from, original);
    SelectObject(to, scaled);
    StretchBlt(to, 0, 0, width, height, from, 0, 0, original->width, original->height, SRCCOPY);
    DeleteDC(from);
    DeleteDC(to);
    DeleteObject(original);
    return scaled;
}

}  // namespace

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) {
    if (dc == nullptr || !Inside(dc->view, x, y)) return CLR_INVALID;
    const uint32_t value = pixels::Pack(dc->view.format, colour);
    WritePixel(dc->view, x, y, value);
    return pixels::Unpack(dc->view.format, value);
}

COLORREF GetPixel(HDC dc, int x, int y) {
    if (dc == nullptr || !Inside(dc->view, x, y)) return CLR_INVALID;
    return pixels::Unpack(dc->view.format, ReadPixel(dc->view, x, y));
}

HBITMAP LoadImage(HINSTANCE, const char* name, UINT type, int cx, int cy, UINT flags) {
    if (name == nullptr || type != IMAGE_BITMAP || cx < 0 || cy < 0) return nullptr;
    SDL_RWops* stream =
        (flags & LR_LOADFROMFILE) != 0 ? SDL_RWFromFile(name, "rb") : OpenResource(name);
    if (stream == nullptr) return nullptr;
    Bitmap* bitmap = BitmapFromSurface(SDL_LoadBMP_RW(stream, 1));
    if (bitmap == nullptr || (cx == 0 && cy == 0)) return bitmap;
    return ScaledCopy(bitmap, cx == 0 ? bitmap->width : cx, cy == 0 ? bitmap->height : cy);
}

int GetObject(HGDIOBJ object, int size, void* out) {
    if (object == nullptr || object->kind != ObjectKind::Bitmap || size <= 0 || out == nullptr) {
        return 0;
    }
    auto& bitmap = static_cast<Bitmap&>(*object);
    const BITMAP record{0,
                        bitmap.width,
                        bitmap.height,
                        bitmap.width * 4,
                        1,
                        32,
                        bitmap.pixels.empty() ? nullptr : bitmap.pixels.data()};
    const int copied = std::min(size, static_cast<int>(sizeof record));
    std::memcpy(out, &record, static_cast<size_t>(copied));
    return copied;
}

BOOL StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                int sourceY, int sourceWidth, int sourceHeight, DWORD rop) {
    if (destination == nullptr || source == nullptr || rop != SRCCOPY) return FALSE;
    if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0) return FALSE;
    const Span columns = Normalise(x, width), rows = Normalise(y, height);
    const Span sourceColumns = Normalise(sourceX, sourceWidth);
    const Span sourceRows = Normalise(sourceY, sourceHeight);
    const bool mirrorX = columns.reversed != sourceColumns.reversed;
    const bool mirrorY = rows.reversed != sourceRows.reversed;
    const pixels::View& to = destination->view;
    const pixels::View& from = source->view;
    for (int64_t j = std::max<int64_t>(0, -rows.start);
         j < rows.length && rows.start + j < to.height; ++j) {
        const int64_t sy = sourceRows.start + SourceOffset(j, rows, sourceRows, mirrorY);
        if (sy < 0 || sy >= from.height) continue;
        for (int64_t i = std::max<int64_t>(0, -columns.start);
             i < columns.length && columns.start + i < to.width; ++i) {
            const int64_t sx =
                sourceColumns.start + SourceOffset(i, columns, sourceColumns, mirrorX);
            if (sx < 0 || sx >= from.width) continue;
            WritePixel(to, int(columns.start + i), int(rows.start + j),
                       Convert(ReadPixel(from, int(sx), int(sy)), from.format, to.format));
        }
    }
    return TRUE;
}

}  // namespace gdi
