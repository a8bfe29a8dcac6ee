#include <gtest/gtest.h>

#include <cstring>

#include "platform/backend/headless/headless.h"
#include "platform/dd/dd.h"

namespace {

using namespace dd;

Surface* Offscreen(DirectDraw* device, DWORD width, DWORD height) {
    DDSURFACEDESC desc{};
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = width;
    desc.dwHeight = height;
    Surface* surface = nullptr;
    EXPECT_EQ(device->CreateSurface(&desc, &surface, nullptr), DD_OK);
    return surface;
}

uint16_t At(Surface* surface, int x, int y) {
    uint16_t value;
    std::memcpy(&value, surface->Pixels().Row(y) + 2 * x, 2);
    return value;
}

// The framework cuts its rectangles to the surfaces because BltFast refuses any rectangle or
// position that leaves either of them, and draws nothing then.
TEST(Surfaces, BltFastRefusesRectanglesOutsideEitherSurfaceAndDrawsNothing) {
    headless::Install();
    headless::SetDesktop(640, 480, 16);
    test::Reset();
    DirectDraw* device = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &device, nullptr), DD_OK);
    ASSERT_EQ(device->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    Surface* source = Offscreen(device, 4, 2);
    Surface* target = Offscreen(device, 8, 4);
    const DDBLTFX fill{sizeof(DDBLTFX), 0x1234};
    ASSERT_EQ(source->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill), DD_OK);
    const RECT whole{0, 0, 4, 2}, wide{0, 0, 5, 2}, inverted{3, 0, 2, 2}, negative{-1, 0, 2, 2};
    const struct {
        int x, y;
        RECT rect;
    } refused[] = {{5, 0, whole}, {-1, 0, whole},   {0, 3, whole},
                   {0, 0, wide},  {0, 0, inverted}, {0, 0, negative}};
    for (const auto& c : refused)
        EXPECT_EQ(target->BltFast(c.x, c.y, source, &c.rect, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    EXPECT_EQ(target->BltFast(4, 2, source, &whole, DDBLTFAST_WAIT), DD_OK);
    for (int i = 0; i < 32; ++i) {
        const int x = i % 8, y = i / 8;
        EXPECT_EQ(At(target, x, y), x >= 4 && y >= 2 ? 0x1234 : 0) << x << "," << y;
    }
    device->Release();
    EXPECT_EQ(test::LiveSurfaces(), 0);
    test::Reset();
}

}  // namespace
