// Demo files: the reader refuses what is not a whole demo, and what it reads, the writer writes
// back byte for byte.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/demo/demo_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    demo::Demo read;
    std::string why;
    if (!demo::Decode(data, size, &read, &why)) return 0;
    const std::vector<uint8_t> written = demo::Encode(read);
    if (written.size() != size || !std::equal(written.begin(), written.end(), data))
        __builtin_trap();
    return 0;
}
