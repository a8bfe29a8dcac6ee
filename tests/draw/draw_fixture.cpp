#include "draw/draw_fixture.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/backend/headless/headless.h"

int32_t DrawTest::screenWidth = 640;
int32_t DrawTest::screenHeight = 480;
int32_t DrawTest::screenResult = 0;

namespace {

void OpenScreenAndStartSceneOne() {
    DrawTest::screenResult = krDraw::Screen(DrawTest::screenWidth, DrawTest::screenHeight);
    krSystemState.scene = 1;
}

uint32_t At(const pixels::View& view, int32_t x, int32_t y) {
    const uint32_t bytes = pixels::BytesPerPixel(view.format);
    uint32_t pixel = 0;
    std::memcpy(&pixel, view.Row(y) + x * bytes, bytes);
    return pixel;
}

}  // namespace

void DrawTest::SetUp() {
    ShellTest::SetUp();
    dd::test::Reset();
    dataDirectory = ScratchDirectory().string();
    headless::SetModulePath(dataDirectory + "/kirva");
}

void DrawTest::TearDown() {
    krDraw::ResetForNextRun();
    ShellTest::TearDown();
}

int32_t DrawTest::OpenDisplay(bool fullScreen, int32_t width, int32_t height) {
    screenWidth = width;
    screenHeight = height;
    screenResult = -1;
    krSystemState.fullScreen = fullScreen ? 1 : 0;
    krSystem::RegisterClient(OpenScreenAndStartSceneOne, {{1, CountFrame}});
    EXPECT_TRUE(krSystem::StartUp(nullptr, "", SW_SHOWNORMAL));
    return screenResult;
}

void DrawTest::WriteBitmap(const std::string& name, const assets::Picture& picture) {
    ASSERT_TRUE(assets::WriteBmp(picture, dataDirectory + "/" + name));
}

void DrawTest::WithPixels(dd::Surface* surface,
                          const std::function<void(const pixels::View&)>& body) {
    dd::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(surface->Lock(nullptr, &desc, dd::DDLOCK_WAIT, nullptr), dd::DD_OK);
    const dd::DDPIXELFORMAT& f = desc.ddpfPixelFormat;
    body(pixels::View{static_cast<uint8_t*>(desc.lpSurface), desc.lPitch,
                      static_cast<int32_t>(desc.dwWidth), static_cast<int32_t>(desc.dwHeight),
                      pixels::Format{f.dwRGBBitCount, f.dwRBitMask, f.dwGBitMask, f.dwBBitMask}});
    surface->Unlock(nullptr);
}

uint32_t DrawTest::RawPixel(dd::Surface* surface, int32_t x, int32_t y) {
    uint32_t pixel = 0;
    WithPixels(surface, [&](const pixels::View& view) { pixel = At(view, x, y); });
    return pixel;
}

COLORREF DrawTest::SurfacePixel(dd::Surface* surface, int32_t x, int32_t y) {
    COLORREF colour = 0;
    WithPixels(surface, [&](const pixels::View& view) {
        colour = pixels::Unpack(view.format, At(view, x, y));
    });
    return colour;
}

COLORREF DrawTest::BackPixel(int32_t x, int32_t y) {
    return SurfacePixel(krDraw::display.back, x, y);
}

void DrawTest::Paint(dd::Surface* surface, COLORREF colour) {
    uint32_t pixel = 0;
    WithPixels(surface,
               [&](const pixels::View& view) { pixel = pixels::Pack(view.format, colour); });
    FillRaw(surface, pixel);
}

void DrawTest::FillRaw(dd::Surface* surface, uint32_t pixel) {
    WithPixels(surface, [&](const pixels::View& view) {
        const uint32_t bytes = pixels::BytesPerPixel(view.format);
        for (int32_t y = 0; y < view.height; ++y)
            for (int32_t x = 0; x < view.width; ++x)
                std::memcpy(view.Row(y) + x * bytes, &pixel, bytes);
    });
}

int32_t DrawTest::CountBack(COLORREF colour) {
    int32_t count = 0;
    WithPixels(krDraw::display.back, [&](const pixels::View& view) {
        for (int32_t y = 0; y < view.height; ++y)
            for (int32_t x = 0; x < view.width; ++x)
                count += pixels::Unpack(view.format, At(view, x, y)) == colour ? 1 : 0;
    });
    return count;
}

int32_t DifferingPixels(const std::vector<uint16_t>& a, const std::vector<uint16_t>& b) {
    const size_t common = std::min(a.size(), b.size());
    int32_t count = static_cast<int32_t>(std::max(a.size(), b.size()) - common);
    for (size_t i = 0; i < common; ++i)
        count += a[i] != b[i] ? 1 : 0;
    return count;
}
