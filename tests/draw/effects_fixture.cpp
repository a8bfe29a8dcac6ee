#include "draw/effects_fixture.h"

#include <cstring>

namespace {

template <class Body>
void WithLock(dd::Surface* surface, Body body) {
    dd::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(surface->Lock(nullptr, &desc, dd::DDLOCK_WAIT, nullptr), dd::DD_OK);
    ASSERT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    body(static_cast<uint8_t*>(desc.lpSurface), desc.lPitch, desc.dwWidth, desc.dwHeight);
    surface->Unlock(nullptr);
}

}  // namespace

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
    WithLock(surface, [&](uint8_t* memory, LONG pitch, DWORD, DWORD) {
        std::memcpy(memory + y * pitch + x * 2, &pixel, 2);
    });
}

void EffectsTest::FillRaw(dd::Surface* surface, uint16_t pixel) {
    WithLock(surface, [&](uint8_t* memory, LONG pitch, DWORD width, DWORD height) {
        for (DWORD y = 0; y < height; ++y)
            for (DWORD x = 0; x < width; ++x)
                std::memcpy(memory + y * pitch + x * 2, &pixel, 2);
    });
}

std::vector<uint16_t> EffectsTest::Snapshot(dd::Surface* surface) {
    std::vector<uint16_t> pixels;
    WithLock(surface, [&](uint8_t* memory, LONG pitch, DWORD width, DWORD height) {
        for (DWORD y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const uint16_t*>(memory + y * pitch);
            pixels.insert(pixels.end(), row, row + width);
        }
    });
    return pixels;
}

void EffectsTest::Load(dd::Surface* surface, const std::vector<uint16_t>& pixels) {
    WithLock(surface, [&](uint8_t* memory, LONG pitch, DWORD width, DWORD height) {
        ASSERT_EQ(pixels.size(), size_t{width} * height);
        for (DWORD y = 0; y < height; ++y)
            std::memcpy(memory + y * pitch, pixels.data() + size_t{y} * width, width * 2);
    });
}
