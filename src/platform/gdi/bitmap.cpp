// Pixels, memory bitmaps and their loading, and the stretched copy between contexts.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "platform/gdi/dc.h"
#include "platform/pixels/bmp.h"
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

Bitmap* BitmapFrom(pixels::Picture&& picture) {
    auto* bitmap = new Bitmap(picture.width, picture.height);
    bitmap->pixels = std::move(picture.rgb);
    return bitmap;
}

// Resource names are stored without their extension ("MASK.BMP" is the resource "MASK").
const win::Resource* FindBitmapResource(const char* name) {
    const win::Resource* resource = win::FindResource(name, "BITMAP");
    if (resource == nullptr) {
        const std::string bare(name);
        const size_t dot = bare.find_last_of('.');
        if (dot != std::string::npos && bare.find('/') == std::string::npos) {
            resource = win::FindResource(bare.substr(0, dot).c_str(), "BITMAP");
        }
    }
    return resource;
}

std::optional<pixels::Picture> LoadPicture(const char* name, bool fromFile) {
    if (fromFile) {
        pixels::Picture picture;
        if (pixels::LoadBmpFile(name, &picture) != pixels::BmpLoad::kLoaded) return std::nullopt;
        return picture;
    }
    const win::Resource* resource = FindBitmapResource(name);
    if (resource == nullptr) return std::nullopt;
    return pixels::DecodeBmp(std::span(resource->data, resource->size));
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
    std::optional<pixels::Picture> picture = LoadPicture(name, (flags & LR_LOADFROMFILE) != 0);
    if (!picture) return nullptr;
    Bitmap* bitmap = BitmapFrom(std::move(*picture));
    if (cx == 0 && cy == 0) return bitmap;
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
