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

dd::DDSURFACEDESC LockWhole(dd::Surface* surface) {
    dd::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    EXPECT_EQ(surface->Lock(nullptr, &desc, dd::DDLOCK_WAIT, nullptr), dd::DD_OK);
    return desc;
}

pixels::Format FormatOf(const dd::DDSURFACEDESC& desc) {
    const dd::DDPIXELFORMAT& format = desc.ddpfPixelFormat;
    return pixels::Format{format.dwRGBBitCount, format.dwRBitMask, format.dwGBitMask,
                          format.dwBBitMask};
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

uint32_t DrawTest::RawPixel(dd::Surface* surface, int32_t x, int32_t y) {
    const dd::DDSURFACEDESC desc = LockWhole(surface);
    const pixels::View view{static_cast<uint8_t*>(desc.lpSurface), desc.lPitch,
                            static_cast<int32_t>(desc.dwWidth), static_cast<int32_t>(desc.dwHeight),
                            FormatOf(desc)};
    uint32_t pixel = 0;
    std::memcpy(&pixel, view.Row(y) + x * pixels::BytesPerPixel(view.format),
                pixels::BytesPerPixel(view.format));
    surface->Unlock(nullptr);
    return pixel;
}

COLORREF DrawTest::SurfacePixel(dd::Surface* surface, int32_t x, int32_t y) {
    const uint32_t raw = RawPixel(surface, x, y);
    dd::DDPIXELFORMAT format{};
    format.dwSize = sizeof format;
    surface->GetPixelFormat(&format);
    return pixels::Unpack(pixels::Format{format.dwRGBBitCount, format.dwRBitMask, format.dwGBitMask,
                                         format.dwBBitMask},
                          raw);
}

COLORREF DrawTest::BackPixel(int32_t x, int32_t y) {
    return SurfacePixel(krDraw::display.back, x, y);
}

void DrawTest::Paint(dd::Surface* surface, COLORREF colour) {
    dd::DDPIXELFORMAT format{};
    format.dwSize = sizeof format;
    surface->GetPixelFormat(&format);
    const dd::DDBLTFX fill{sizeof(dd::DDBLTFX),
                           pixels::Pack(pixels::Format{format.dwRGBBitCount, format.dwRBitMask,
                                                       format.dwGBitMask, format.dwBBitMask},
                                        colour)};
    ASSERT_EQ(surface->Blt(nullptr, nullptr, nullptr, dd::DDBLT_COLORFILL | dd::DDBLT_WAIT, &fill),
              dd::DD_OK);
}

int32_t DrawTest::CountBack(COLORREF colour) {
    const dd::DDSURFACEDESC desc = LockWhole(krDraw::display.back);
    const pixels::Format format = FormatOf(desc);
    const uint32_t bytes = pixels::BytesPerPixel(format);
    int32_t count = 0;
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
        for (DWORD x = 0; x < desc.dwWidth; ++x) {
            uint32_t pixel = 0;
            std::memcpy(&pixel, static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch + x * bytes,
                        bytes);
            count += pixels::Unpack(format, pixel) == colour ? 1 : 0;
        }
    }
    krDraw::display.back->Unlock(nullptr);
    return count;
}

int32_t DifferingPixels(const std::vector<uint16_t>& a, const std::vector<uint16_t>& b) {
    const size_t common = std::min(a.size(), b.size());
    int32_t count = static_cast<int32_t>(std::max(a.size(), b.size()) - common);
    for (size_t i = 0; i < common; ++i)
        count += a[i] != b[i] ? 1 : 0;
    return count;
}
