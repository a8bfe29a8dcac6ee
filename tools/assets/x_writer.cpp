#include "x_writer.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <initializer_list>

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

std::string BinaryTriangleX(uint32_t vertices, uint32_t claimed) {
    std::string bytes = "xof 0302bin 0032";
    auto word = [&](uint16_t value) { bytes.append(reinterpret_cast<const char*>(&value), 2); };
    auto list = [&](uint16_t token, std::initializer_list<uint32_t> values, uint32_t count) {
        word(token);
        bytes.append(reinterpret_cast<const char*>(&count), 4);
        for (const uint32_t value : values)
            bytes.append(reinterpret_cast<const char*>(&value), 4);
    };
    list(1, {}, 4);  // the name
    bytes += "Mesh";
    word(10);
    list(6, {vertices}, claimed);
    const uint32_t one = std::bit_cast<uint32_t>(1.0f);
    list(7, {0, 0, 0, one, 0, 0, 0, one, 0}, 9);
    list(6, {1, 3, 0, 2, 1}, 5);
    word(11);
    return bytes;
}

}  // namespace assets
