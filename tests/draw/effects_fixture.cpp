#include "draw/effects_fixture.h"

#include <cstring>

void EffectsTest::Open(bool use555) {
    dd::test::Use555For16Bit(use555);
    ASSERT_EQ(OpenDisplay(), 1);
    object = krDraw::CreateObject();
    ASSERT_GT(object, 1);
    FillRaw(krDraw::display.back, 0);
    FillRaw(Object(), 0);
}

uint16_t EffectsTest::Pixel(uint32_t red, uint32_t green, uint32_t blue) {
    const krDraw::DisplayState& d = krDraw::display;
    return static_cast<uint16_t>((red << d.redShift) | (green << d.greenShift) |
                                 (blue << d.blueShift));
}

uint16_t EffectsTest::Get(dd::Surface* surface, int32_t x, int32_t y) {
    return static_cast<uint16_t>(RawPixel(surface, x, y));
}

void EffectsTest::Set(dd::Surface* surface, int32_t x, int32_t y, uint16_t pixel) {
    WithPixels(surface,
               [&](const pixels::View& view) { std::memcpy(view.Row(y) + x * 2, &pixel, 2); });
}

std::vector<uint16_t> EffectsTest::Snapshot(dd::Surface* surface) {
    std::vector<uint16_t> pixels;
    WithPixels(surface, [&](const pixels::View& view) {
        for (int32_t y = 0; y < view.height; ++y) {
            const auto* row = reinterpret_cast<const uint16_t*>(view.Row(y));
            pixels.insert(pixels.end(), row, row + view.width);
        }
    });
    return pixels;
}

void EffectsTest::Load(dd::Surface* surface, const std::vector<uint16_t>& pixels) {
    WithPixels(surface, [&](const pixels::View& view) {
        ASSERT_EQ(pixels.size(), static_cast<size_t>(view.width) * view.height);
        for (int32_t y = 0; y < view.height; ++y)
            std::memcpy(view.Row(y), pixels.data() + static_cast<size_t>(y) * view.width,
                        static_cast<size_t>(view.width) * 2);
    });
}
