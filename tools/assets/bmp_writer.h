#pragma once
// A 24-bit BMP writer for the pictures the project makes.
#include <cstdint>
#include <string>
#include <vector>

namespace assets {

struct Rgb {
    uint8_t r, g, b;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // rows top to bottom

    Picture(int w, int h, Rgb fill = {0, 0, 0});
    Rgb& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    void FillRect(int left, int top, int right, int bottom, Rgb colour);
};

// The file's bytes: bottom-up rows padded to four bytes.
std::vector<uint8_t> EncodeBmp(const Picture& picture);
bool WriteBmp(const Picture& picture, const std::string& path);

}  // namespace assets
