// Scenes end to end: viewports, projection, rendering, lights, wraps, shadows, picking, devices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "platform/rm/rm.h"
#include "platform/rm/scene.h"

namespace {

using rm::D3DVECTOR;

// Colour and depth memory that a device locks for each render.
class MemoryTarget : public rm::TargetSource {
  public:
    MemoryTarget(int32_t w, int32_t h)
        : width(w), height(h), colour(size_t(w) * h), depth(colour.size()) {}
    bool Lock(rm::RenderTarget* target) override {
        *target = {{reinterpret_cast<uint8_t*>(colour.data()), int32_t(width * 4), width, height,
                    pixels::kRgb888},
                   depth.data(),
                   width};
        return true;
    }
    void Unlock() override {}
    uint32_t At(int32_t x, int32_t y) const { return colour[size_t(y) * width + x]; }
    int Count(uint32_t value) const { return int(std::count(colour.begin(), colour.end(), value)); }

    int32_t width, height;
    std::vector<uint32_t> colour;
    std::vector<uint16_t> depth;
};

// A square in the z = 0 plane of its frame, facing -z (toward a camera looking along +z).
rm::Geometry Square(float half, rm::D3DCOLOR colour = 0xFFFFFFFF) {
    rm::Geometry g;
    const D3DVECTOR normal{0, 0, -1};
    g.vertices = {{{-half, half, 0}, normal, 0, 0, colour},
                  {{half, half, 0}, normal, 1, 0, colour},
                  {{half, -half, 0}, normal, 1, 1, colour},
                  {{-half, -half, 0}, normal, 0, 1, colour}};
    g.indices = {0, 1, 2, 0, 2, 3};  // clockwise seen from -z
    return g;
}

class SceneTest : public testing::Test {
  protected:
    void SetUp() override {
        rm::Direct3DRMCreate(&rm_);
        rm_->CreateFrame(nullptr, &scene_);
        rm_->CreateFrame(scene_, &camera_);
        rm_->CreateDeviceFromTarget(&rm::IID_SoftwareRgbDevice, &target_, 100, 100, &device_);
        device_->SetQuality(rm::D3DRMRENDER_GOURAUD);
        rm_->CreateViewport(device_, camera_, 0, 0, 100, 100, &viewport_);
    }
    void TearDown() override {
        for (rm::Object* made : std::vector<rm::Object*>{viewport_, device_, camera_, scene_, rm_})
            made->Release();
    }
    // A mesh frame at camera depth z holding a square of the given half size.
    rm::Frame* AddSquare(float z, float half, rm::D3DRMRENDERQUALITY quality, rm::D3DCOLOR colour) {
        rm::Frame* frame = nullptr;
        rm_->CreateFrame(scene_, &frame);
        frame->SetPosition(nullptr, 0, 0, z);
        rm::Mesh* mesh = new rm::Mesh(Square(half, colour));
        mesh->SetGroupQuality(quality);
        frame->AddVisual(mesh);
        mesh->Release();
        frame->Release();
        return frame;
    }
    // Everything but the camera leaves the scene.
    void ClearScene() {
        for (rm::Frame* child : std::vector<rm::Frame*>(scene_->children()))
            if (child != camera_) scene_->DeleteChild(child);
    }
    // A light of that colour at that place, looking along `facing`; the scene holds it.
    rm::Light* AddLight(uint32_t type, D3DVECTOR colour, D3DVECTOR at,
                        D3DVECTOR facing = {0, 0, 1}) {
        rm::Frame* frame = nullptr;
        rm_->CreateFrame(scene_, &frame);
        frame->SetPosition(nullptr, at.x, at.y, at.z);
        frame->SetOrientation(nullptr, facing.x, facing.y, facing.z, 0, 1, 0);
        rm::Light* light = nullptr;
        rm_->CreateLightRGB(type, colour.x, colour.y, colour.z, &light);
        frame->AddLight(light);
        light->Release();
        frame->Release();
        return light;
    }

    MemoryTarget target_{100, 100};
    rm::Direct3DRM* rm_ = nullptr;
    rm::Frame* scene_ = nullptr;
    rm::Frame* camera_ = nullptr;
    rm::Device* device_ = nullptr;
    rm::Viewport* viewport_ = nullptr;
};

TEST_F(SceneTest, BackFacesAndThingsOutsideTheDepthRangeAreNotDrawn) {
    rm::Frame* turned = AddSquare(5, 1, rm::D3DRMRENDER_UNLITFLAT, 0xFFFF0000);
    turned->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 1, 0, 3.14159265f);
    AddSquare(0.5f, 1, rm::D3DRMRENDER_UNLITFLAT, 0xFF00FF00);   // before the front plane
    AddSquare(150, 100, rm::D3DRMRENDER_UNLITFLAT, 0xFF00FF00);  // beyond the back plane
    rm_->Tick(1);
    EXPECT_EQ(target_.Count(0x000000), 100 * 100);
    EXPECT_EQ(device_->GetTrianglesDrawn(), 0u);
}

// A cut far from the corners rounds onto the camera itself (depth 0): it must stay on the front
// plane, so that projecting it divides by no zero and every corner is a drawable number.
TEST_F(SceneTest, CutsAtTheFrontPlaneStayOnItAtAnyScale) {
    const rm::Camera camera = rm::CameraOf(*viewport_);
    for (const float far : {1e3f, 1e9f, 1e30f}) {
        const rm::CameraVertex face[3] = {{{0, 0, far}, 0, 0, 0, 0, 0},
                                          {{0, 0, -far}, 0, 0, 0, 0, 0},
                                          {{far, far, far}, 0, 0, 0, 0, 0}};
        std::vector<rm::raster::Vertex> projected;
        rm::ClipAndProject(camera, face, &projected);
        ASSERT_FALSE(projected.empty()) << far;
        for (const rm::raster::Vertex& v : projected) {
            EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.invW))
                << far << ": " << v.x << "," << v.y;
            EXPECT_GE(v.z, 0.0f) << far;
        }
    }
}

// Scenes that once hung or indexed out of bounds: each finishes, draws what it should below
// the horizon, and leaves every pixel outside the viewport alone.
TEST_F(SceneTest, HostileScenesFinishAndDrawOnlyWhatTheyShould) {
    auto floor = [&](float half) {  // under the camera, facing up
        AddSquare(0, half, rm::D3DRMRENDER_UNLITFLAT, 0xFFFFFFFF)
            ->SetOrientation(nullptr, 0, -1, 0, 0, 0, 1);
        camera_->SetPosition(nullptr, 0, 1, 0);
    };
    auto shadowOfAnInfiniteCorner = [&] {
        floor(50);
        rm::Frame* card = AddSquare(0, std::numeric_limits<float>::infinity(),
                                    rm::D3DRMRENDER_UNLITFLAT, 0xFFFF0000);
        card->SetPosition(nullptr, 0, 0.5f, 5);
        rm::Light* light = AddLight(rm::D3DRMLIGHT_POINT, {1, 1, 1}, {0, 10, 5});
        rm::Visual* shadow = nullptr;
        rm_->CreateShadow(card->visuals()[0], light, 0, -0.5f, 0, 0, 1, 0, &shadow);
        card->AddVisual(shadow);
        shadow->Release();
    };
    auto square = [&] { AddSquare(2, 50, rm::D3DRMRENDER_UNLITFLAT, 0xFFFFFFFF); };
    const struct {
        const char* name;
        std::function<void()> build;
        int32_t top;      // from this row down
        uint32_t colour;  // every pixel holds this afterwards
    } scenes[] = {
        {"a huge quad crossing the front plane", [&] { floor(1e9f); }, 52, 0xFFFFFF},
        {"the shadow of an infinite corner", shadowOfAnInfiniteCorner, 52, 0xFFFFFF},
        {"a viewport wholly left of the surface",
         [&] {
             square();
             viewport_->Configure(-200, 0, 100, 20);
         },
         0, 0x123456},
        {"a viewport at the end of the int range",
         [&] {
             square();
             viewport_->Configure(INT32_MAX - 5, INT32_MAX - 5, INT32_MAX, INT32_MAX);
         },
         0, 0x123456},
    };
    for (const auto& scene : scenes) {
        ClearScene();
        viewport_->Configure(0, 0, 100, 100);
        std::fill(target_.colour.begin(), target_.colour.end(), 0x123456u);
        scene.build();
        rm_->Tick(1);
        const auto wrong =
            std::count_if(target_.colour.begin() + scene.top * 100, target_.colour.end(),
                          [&](uint32_t c) { return c != scene.colour; });
        EXPECT_EQ(wrong, 0) << scene.name;
    }
}

// Gouraud light is the colour times the sum of the ambient level and each directional level
// times the cosine between the light and the face's normal, at most full brightness.
TEST_F(SceneTest, GouraudLightingMatchesAmbientPlusTheLitShareOfEachLight) {
    std::mt19937 random(9);
    std::uniform_real_distribution<float> level(0, 0.7f), coordinate(-1, 1);
    std::uniform_int_distribution<uint32_t> channel(0, 255);
    for (int trial = 0; trial < 20; ++trial) {
        ClearScene();
        const uint32_t colour[3] = {channel(random), channel(random), channel(random)};
        AddSquare(5, 1, rm::D3DRMRENDER_GOURAUD,
                  0xFF000000 | colour[0] << 16 | colour[1] << 8 | colour[2]);
        const float ambient = level(random), light[3] = {level(random), level(random), 1};
        AddLight(rm::D3DRMLIGHT_AMBIENT, {ambient, ambient, ambient}, {0, 0, 0});
        const D3DVECTOR d{coordinate(random), coordinate(random) / 3, coordinate(random)};
        AddLight(rm::D3DRMLIGHT_DIRECTIONAL, {light[0], light[1], light[2]}, {0, 0, 0}, d);
        rm_->Tick(1);
        // The face looks along -z, so it is lit by the light's share along +z.
        const float lit = std::max(0.0f, d.z / std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z));
        for (int c = 0; c < 3; ++c) {
            const float expected = std::min(255.0f, float(colour[c]) * (ambient + light[c] * lit));
            const auto actual = float(target_.At(50, 50) >> (16 - 8 * c) & 0xFF);
            EXPECT_NEAR(actual, expected, 1.01f) << trial << " channel " << c;
        }
    }
}

// Hand-worked pictures of the other lights and of the mono model's shades.
// A parallel point light in front of the frame's origin lights every vertex head on.
TEST_F(SceneTest, AParallelPointLightUsesOneDirectionForTheWholeObject) {
    AddSquare(5, 1, rm::D3DRMRENDER_GOURAUD, 0xFFFFFFFF);
    AddLight(rm::D3DRMLIGHT_PARALLELPOINT, {0.5f, 0.5f, 0.5f}, {0, 0, 4});
    rm_->Tick(1);
    EXPECT_EQ(target_.At(30, 30), 0x7F7F7Fu) << "a point light would light the corner less";
    EXPECT_EQ(target_.At(50, 50), 0x7F7F7Fu);
}

}  // namespace
