#include "platform/pixels/bmp.h"

#include <SDL.h>

#include <cstring>
#include <fstream>

namespace pixels {
namespace {

constexpr size_t kFileHeader = 14;
constexpr size_t kCoreHeader = 12;  // the oldest header: 16-bit sides
// Run-length data cannot be measured before decoding; a run of two bytes gives at most 255
// pixels, and a picture that claims more pixels per byte than this is refused.
constexpr uint64_t kRunPixelsPerByte = 256;
// Pixel data and palette of the largest picture, with room for any header.
constexpr uint64_t kLargestFile = uint64_t{kLargestBmpSide} * kLargestBmpSide * 4 + (1 << 20);

enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

uint32_t Read32(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16)) |
           (static_cast<uint32_t>(bytes[at + 3]) << 24);
}
uint16_t Read16(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

struct Header {
    int64_t width = 0, height = 0;  // height is negative for top-down rows
    uint32_t bits = 0, compression = kRgb;
};

std::optional<Header> ReadHeader(std::span<const uint8_t> bytes) {
    if (bytes.size() < kFileHeader + kCoreHeader || bytes[0] != 'B' || bytes[1] != 'M')
        return std::nullopt;
    const uint32_t size = Read32(bytes, kFileHeader);
    Header header;
    if (size == kCoreHeader) {
        header.width = Read16(bytes, 18);
        header.height = Read16(bytes, 20);
        header.bits = Read16(bytes, 24);
    } else if (size >= 40 && size <= 124 && bytes.size() >= kFileHeader + 40) {
        header.width = static_cast<int32_t>(Read32(bytes, 18));
        header.height = static_cast<int32_t>(Read32(bytes, 22));
        header.bits = Read16(bytes, 28);
        header.compression = Read32(bytes, 30);
    } else {
        return std::nullopt;
    }
    return header;
}

bool DepthFits(const Header& h) {
    switch (h.compression) {
        case kRgb:
            return h.bits == 1 || h.bits == 4 || h.bits == 8 || h.bits == 16 || h.bits == 24 ||
                   h.bits == 32;
        case kRle8:
            return h.bits == 8;
        case kRle4:
            return h.bits == 4;
        case kBitFields:
            return h.bits == 16 || h.bits == 32;
        default:
            return false;
    }
}

// Sides within the limit, and pixel data that the file holds (or, run-length coded, could).
bool HeaderFits(std::span<const uint8_t> bytes, const Header& h) {
    const int64_t rows = h.height < 0 ? -h.height : h.height;
    if (h.width < 1 || h.width > kLargestBmpSide || rows < 1 || rows > kLargestBmpSide)
        return false;
    if (!DepthFits(h)) return false;
    const uint64_t offset = Read32(bytes, 10);
    if (offset > bytes.size()) return false;
    const uint64_t data = bytes.size() - offset;
    const uint64_t pixels = uint64_t(h.width) * uint64_t(rows);
    if (h.compression == kRle8 || h.compression == kRle4) {
        return h.height > 0 && pixels <= data * kRunPixelsPerByte;
    }
    const uint64_t stride = (uint64_t(h.width) * h.bits + 31) / 32 * 4;
    return stride * uint64_t(rows) <= data;
}

Picture Copy(const SDL_Surface& rgb) {
    Picture picture{rgb.w, rgb.h, std::vector<uint32_t>(size_t(rgb.w) * size_t(rgb.h))};
    for (size_t y = 0; y < size_t(rgb.h); ++y) {
        const auto* row = static_cast<const uint8_t*>(rgb.pixels) + y * size_t(rgb.pitch);
        uint32_t* out = picture.rgb.data() + y * size_t(rgb.w);
        std::memcpy(out, row, size_t(rgb.w) * 4);
        for (size_t x = 0; x < size_t(rgb.w); ++x)
            out[x] &= 0x00FFFFFF;
    }
    return picture;
}

}  // namespace

std::optional<Picture> DecodeBmp(std::span<const uint8_t> bytes) {
    const std::optional<Header> header = ReadHeader(bytes);
    if (!header || !HeaderFits(bytes, *header)) return std::nullopt;
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    SDL_Surface* loaded = SDL_LoadBMP_RW(stream, 1);
    if (loaded == nullptr) return std::nullopt;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
    SDL_FreeSurface(loaded);
    if (rgb == nullptr) return std::nullopt;
    Picture picture = Copy(*rgb);
    SDL_FreeSurface(rgb);
    return picture;
}

BmpLoad LoadBmpFile(const char* path, Picture* out) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return BmpLoad::kNotFound;
    const std::streamoff size = file.tellg();
    if (size < 0 || uint64_t(size) > kLargestFile) return BmpLoad::kBadFile;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) return BmpLoad::kBadFile;
    std::optional<Picture> picture = DecodeBmp(bytes);
    if (!picture) return BmpLoad::kBadFile;
    *out = std::move(*picture);
    return BmpLoad::kLoaded;
}

}  // namespace pixels
