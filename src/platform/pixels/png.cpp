#include "platform/pixels/png.h"

#include <cairo.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace pixels {

namespace {

cairo_status_t WriteToFile(void* file, const unsigned char* data, unsigned int length) {
    return std::fwrite(data, 1, length, static_cast<std::FILE*>(file)) == length
               ? CAIRO_STATUS_SUCCESS
               : CAIRO_STATUS_WRITE_ERROR;
}

cairo_surface_t* ToImage(const View& picture) {
    cairo_surface_t* image =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width, picture.height);
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    const uint32_t bytes = BytesPerPixel(picture.format);
    for (int32_t y = 0; y < picture.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        const uint8_t* from = picture.Row(y);
        for (int32_t x = 0; x < picture.width; ++x, from += bytes) {
            uint32_t pixel = 0;
            std::memcpy(&pixel, from, bytes);
            const COLORREF colour = Unpack(picture.format, pixel);
            row[x] = (uint32_t{GetRValue(colour)} << 16) | (uint32_t{GetGValue(colour)} << 8) |
                     GetBValue(colour);
        }
    }
    cairo_surface_mark_dirty(image);
    return image;
}

}  // namespace

int WritePng(const View& picture, const std::string& path, bool mustBeNew) {
    if (picture.width <= 0 || picture.height <= 0) return EINVAL;
    std::FILE* file = std::fopen(path.c_str(), mustBeNew ? "wbx" : "wb");
    if (file == nullptr) return errno;
    cairo_surface_t* image = ToImage(picture);
    const bool encoded =
        cairo_surface_write_to_png_stream(image, WriteToFile, file) == CAIRO_STATUS_SUCCESS;
    const int writeError = encoded ? 0 : (errno != 0 ? errno : EIO);
    cairo_surface_destroy(image);
    const bool closed = std::fclose(file) == 0;
    if (encoded && closed) return 0;
    std::remove(path.c_str());
    return encoded ? errno : writeError;
}

}  // namespace pixels
