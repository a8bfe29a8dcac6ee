#pragma once
// Binary and compressed .X files, as the project's tests and fuzz seeds write them.
#include <cstdint>
#include <string>

namespace assets {

// The header with its format replaced by KIND ("tzip" or "bzip"), six bytes, then one block: its
// length, "CK" and raw deflate data of the text after the header (at most one block's worth).
std::string CompressedX(const std::string& text, const char* kind = "tzip");

// A binary mesh of one triangle: 16-bit token ids, lists with a 32-bit count. Its vertex count
// is VERTICES in a list claiming CLAIMED entries, so a hostile file can lie about either.
std::string BinaryTriangleX(uint32_t vertices = 3, uint32_t claimed = 1);

}  // namespace assets
