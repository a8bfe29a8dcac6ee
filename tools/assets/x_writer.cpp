#include "x_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>

namespace assets {

std::string CompressedX(const std::string& text, const char* kind) {
    std::string body = text.substr(16);
    body.resize(std::min<size_t>(body.size(), 30000));
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string packed(compressBound(uLong(body.size())) + 16, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(body.data());
    stream.avail_in = uInt(body.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = uInt(packed.size());
    deflate(&stream, Z_FINISH);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    const auto length = uint16_t(packed.size());
    return "xof 0302" + std::string(kind) + "0032" + std::string(6, '\0') +
           std::string(reinterpret_cast<const char*>(&length), 2) + "CK" + packed;
}

}  // namespace assets
