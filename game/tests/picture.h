#pragma once
// A picture read back from a file the game or the build wrote, as 8-8-8 colours.
#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct Rgb {
    int red, green, blue;
    bool IsBlack() const { return red == 0 && green == 0 && blue == 0; }
    bool operator==(const Rgb&) const = default;
};

class Picture {
  public:
    // Empty (Loaded() false) when the file does not read.
    static Picture FromPng(const std::string& path) {
        Picture picture;
        cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
        if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS) {
            cairo_surface_flush(png);
            picture.Take(cairo_image_surface_get_width(png), cairo_image_surface_get_height(png),
                         cairo_image_surface_get_stride(png), cairo_image_surface_get_data(png));
        }
        cairo_surface_destroy(png);
        return picture;
    }

    bool Loaded() const { return width_ > 0; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb At(int x, int y) const {
        const uint32_t pixel = pixels_[static_cast<size_t>(y) * width_ + x];
        return {int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF)};
    }
    // Pixels that are not black in the rectangle.
    int Lit(int left, int top, int right, int bottom) const {
        int lit = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                lit += At(x, y).IsBlack() ? 0 : 1;
        return lit;
    }
    // Pixels whose colour differs from the other picture's; a size mismatch counts every pixel.
    int Differing(const Picture& other) const {
        if (width_ != other.width_ || height_ != other.height_) return width_ * height_ + 1;
        int differing = 0;
        for (size_t i = 0; i < pixels_.size(); ++i)
            differing += (pixels_[i] & 0xFFFFFF) != (other.pixels_[i] & 0xFFFFFF) ? 1 : 0;
        return differing;
    }

  private:
    void Take(int width, int height, int pitch, const void* memory) {
        width_ = width;
        height_ = height;
        pixels_.resize(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            std::memcpy(&pixels_[static_cast<size_t>(y) * width],
                        static_cast<const uint8_t*>(memory) + static_cast<size_t>(y) * pitch,
                        static_cast<size_t>(width) * 4);
    }

    int width_ = 0, height_ = 0;
    std::vector<uint32_t> pixels_;
};
