#pragma once
// The compressed form of a text .X file, as the project's tests and fuzz seeds write it.
#include <string>

namespace assets {

// The header with its format replaced by KIND ("tzip" or "bzip"), six bytes, then one block: its
// length, "CK" and raw deflate data of the text after the header (at most one block's worth).
std::string CompressedX(const std::string& text, const char* kind = "tzip");

}  // namespace assets
