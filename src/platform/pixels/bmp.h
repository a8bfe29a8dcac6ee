#pragma once
// The one BMP decoder of the platform layer, for memory bitmaps and textures alike. The header
// is checked against the file's length before anything is decoded, so that a file that lies
// about its size costs no more than its own bytes justify.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pixels {

// Pixels as 0x00RRGGBB, rows top to bottom.
struct Picture {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> rgb;
};

inline constexpr int32_t kLargestBmpSide = 16384;

// Nothing when the bytes are no BMP file that can be decoded within those bounds.
std::optional<Picture> DecodeBmp(std::span<const uint8_t> bytes);

enum class BmpLoad { kLoaded, kNotFound, kBadFile };
BmpLoad LoadBmpFile(const char* path, Picture* out);

}  // namespace pixels
