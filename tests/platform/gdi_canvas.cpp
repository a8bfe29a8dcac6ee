#include "platform/gdi_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

Canvas::Canvas(int width, int height, const pixels::Format& format, COLORREF fill) {
    // An odd pitch in 16-bit formats: rows need not be 4-byte aligned.
    const int bytes = static_cast<int>(pixels::BytesPerPixel(format));
    const int pitch = width * bytes + (bytes == 2 ? 2 : 0);
    memory_.assign(static_cast<size_t>(pitch * height + 2 * kGuard), kGuardByte);
    view_ = {memory_.data() + kGuard, pitch, width, height, format};
    context_ = gdi::CreateSurfaceDC(view_);
    Fill(fill);
}

Canvas::~Canvas() {
    gdi::DeleteSurfaceDC(context_);
}

uint32_t Canvas::Raw(int x, int y) const {
    uint32_t value = 0;
    std::memcpy(&value, view_.Row(y) + x * static_cast<int>(pixels::BytesPerPixel(view_.format)),
                pixels::BytesPerPixel(view_.format));
    return value;
}

void Canvas::Fill(COLORREF colour) {
    for (int y = 0; y < view_.height; ++y) {
        for (int x = 0; x < view_.width; ++x)
            gdi::SetPixel(context_, x, y, colour);
    }
}

bool Canvas::GuardIntact() const {
    const auto intact = [](const uint8_t* first, const uint8_t* last) {
        return std::all_of(first, last, [](uint8_t b) { return b == kGuardByte; });
    };
    const int rowBytes = view_.width * static_cast<int>(pixels::BytesPerPixel(view_.format));
    for (int y = 0; y < view_.height; ++y) {
        const uint8_t* padding = view_.Row(y) + rowBytes;
        if (!intact(padding, view_.Row(y) + view_.pitch)) return false;
    }
    const uint8_t* start = memory_.data();
    const uint8_t* end = start + memory_.size();
    return intact(start, start + kGuard) && intact(end - kGuard, end);
}

int Canvas::Count(COLORREF colour) const {
    const std::vector<COLORREF> pixels = Pixels();
    return static_cast<int>(std::count(pixels.begin(), pixels.end(), colour));
}

std::vector<COLORREF> Canvas::Pixels() const {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < view_.height; ++y) {
        for (int x = 0; x < view_.width; ++x)
            pixels.push_back(At(x, y));
    }
    return pixels;
}

void ExpectPicture(const Canvas& canvas, const std::function<COLORREF(int x, int y)>& expected) {
    int wrong = 0;
    for (int y = 0; y < canvas.view().height; ++y) {
        for (int x = 0; x < canvas.view().width; ++x) {
            if (canvas.At(x, y) != expected(x, y) && ++wrong <= 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                              << canvas.At(x, y) << ", expected " << expected(x, y);
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(canvas.GuardIntact());
}
