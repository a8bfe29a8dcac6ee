// BMP files as sprites (memory bitmaps) and as textures.
#include "bitmap_loads.h"
#include "input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadBitmapBothWays(WriteInput(data, size, "input.bmp"));
    return 0;
}
