// The 3D device on the display's surfaces.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/backend/headless/headless.h"
#include "platform/dd/dd.h"
#include "platform/rm/rm.h"

namespace {

class SurfaceDeviceTest : public testing::Test {
  protected:
    void SetUp() override {
        headless::Install();
        headless::SetDesktop(640, 480, 16);
        dd::test::Reset();
        ASSERT_EQ(dd::DirectDrawCreate(nullptr, &directDraw_, nullptr), dd::DD_OK);
        directDraw_->SetCooperativeLevel(nullptr, dd::DDSCL_NORMAL);
        rm::Direct3DRMCreate(&rm_);
        rm_->CreateFrame(nullptr, &scene_);
        rm_->CreateFrame(scene_, &camera_);
        rm::Frame* frame = nullptr;
        rm_->CreateFrame(scene_, &frame);
        frame->SetPosition(nullptr, 0, 0, 5);
        rm::MeshBuilder* builder = nullptr;
        rm_->CreateMeshBuilder(&builder);
        rm::Geometry square;
        for (const rm::D3DVECTOR p : {rm::D3DVECTOR{-1, 1, 0}, rm::D3DVECTOR{1, 1, 0},
                                      rm::D3DVECTOR{1, -1, 0}, rm::D3DVECTOR{-1, -1, 0}})
            square.vertices.push_back({p, {0, 0, -1}, 0, 0, 0xFFFFFFFF});
        square.indices = {0, 1, 2, 0, 2, 3};
        builder->SetGeometry(square);
        builder->SetQuality(rm::D3DRMRENDER_UNLITFLAT);
        rm::Mesh* mesh = nullptr;
        builder->CreateMesh(&mesh);
        frame->AddVisual(mesh);
        mesh->Release();
        builder->Release();
        frame->Release();
    }
    void TearDown() override {
        camera_->Release();
        scene_->Release();
        rm_->Release();
        directDraw_->Release();
        EXPECT_EQ(dd::test::LiveSurfaces(), 0);
        dd::test::Reset();
    }
    dd::Surface* Make(DWORD caps, DWORD zDepth = 0) {
        dd::DDSURFACEDESC desc{};
        desc.dwFlags = dd::DDSD_CAPS | dd::DDSD_WIDTH | dd::DDSD_HEIGHT;
        if (zDepth != 0) desc.dwFlags |= dd::DDSD_ZBUFFERBITDEPTH;
        desc.ddsCaps.dwCaps = caps;
        desc.dwWidth = 100;
        desc.dwHeight = 100;
        desc.dwZBufferBitDepth = zDepth;
        dd::Surface* surface = nullptr;
        EXPECT_EQ(directDraw_->CreateSurface(&desc, &surface, nullptr), dd::DD_OK);
        return surface;
    }
    static uint16_t At(dd::Surface* surface, int x, int y) {
        uint16_t value;
        std::memcpy(&value, surface->Pixels().Row(y) + 2 * x, 2);
        return value;
    }
    void Render(dd::Surface* surface, dd::Surface* depthToCheck) {
        rm::Device* device = nullptr;
        ASSERT_EQ(
            rm_->CreateDeviceFromSurface(&rm::IID_SoftwareRgbDevice, directDraw_, surface, &device),
            rm::D3DRM_OK);
        rm::Viewport* viewport = nullptr;
        rm_->CreateViewport(device, camera_, 0, 0, 100, 100, &viewport);
        EXPECT_EQ(device->Update(), rm::D3DRM_OK);
        EXPECT_EQ(At(surface, 50, 50), 0xFFFF) << "white in 5-6-5";
        EXPECT_EQ(At(surface, 5, 5), 0x0000);
        if (depthToCheck != nullptr) {
            const dd::DepthView depth = depthToCheck->Depth();
            EXPECT_LT(depth.data[50 * depth.pitch + 50], 0xFFFF);
            EXPECT_EQ(depth.data[5 * depth.pitch + 5], 0xFFFF);
        }
        surface->MarkLost();
        EXPECT_EQ(device->Update(), rm::D3DRMERR_BADDEVICE) << "a lost surface is not drawn";
        viewport->Release();
        device->Release();
    }

    dd::DirectDraw* directDraw_ = nullptr;
    rm::Direct3DRM* rm_ = nullptr;
    rm::Frame* scene_ = nullptr;
    rm::Frame* camera_ = nullptr;
};

TEST_F(SurfaceDeviceTest, DrawsIntoTheSurfaceAndItsAttachedZBuffer) {
    dd::Surface* surface = Make(dd::DDSCAPS_3DDEVICE);
    dd::Surface* zbuffer = Make(dd::DDSCAPS_ZBUFFER | dd::DDSCAPS_SYSTEMMEMORY, 16);
    ASSERT_EQ(surface->AddAttachedSurface(zbuffer), dd::DD_OK);
    Render(surface, zbuffer);
    zbuffer->Release();
    surface->Release();
}

TEST_F(SurfaceDeviceTest, WithoutAZBufferTheDeviceKeepsItsOwnDepth) {
    dd::Surface* surface = Make(dd::DDSCAPS_3DDEVICE);
    Render(surface, nullptr);
    surface->Release();
    rm::Device* device = nullptr;
    EXPECT_EQ(rm_->CreateDeviceFromSurface(nullptr, directDraw_, nullptr, &device),
              rm::D3DRMERR_BADOBJECT);
}

}  // namespace
