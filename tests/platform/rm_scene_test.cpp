// Scenes end to end: viewports, projection, rendering, lights, wraps, shadows, picking, devices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "platform/rm/rm.h"
#include "platform/rm/scene.h"

namespace {

using rm::D3DVECTOR;

// Colour and depth memory that a device locks for each render.
class MemoryTarget : public rm::TargetSource {
  public:
    MemoryTarget(int32_t w, int32_t h, pixels::Format f = pixels::kRgb888)
        : width(w), height(h), format(f), colour(size_t(w) * h), depth(size_t(w) * h) {}
    bool Lock(rm::RenderTarget* target) override {
        *target = {
            {reinterpret_cast<uint8_t*>(colour.data()), int32_t(width * 4), width, height, format},
            depth.data(),
            width};
        return true;
    }
    void Unlock() override {}
    uint32_t At(int32_t x, int32_t y) const { return colour[size_t(y) * width + x]; }
    int Count(uint32_t value) const { return int(std::count(colour.begin(), colour.end(), value)); }

    int32_t width, height;
    pixels::Format format;
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
        MakeDevice(&rm::IID_SoftwareRgbDevice);
    }
    void TearDown() override {
        viewport_->Release();
        device_->Release();
        camera_->Release();
        scene_->Release();
        rm_->Release();
    }
    void MakeDevice(const rm::GUID* guid) {
        if (viewport_ != nullptr) viewport_->Release();
        if (device_ != nullptr) device_->Release();
        rm_->CreateDeviceFromTarget(guid, &target_, 100, 100, &device_);
        device_->SetQuality(rm::D3DRMRENDER_GOURAUD);
        rm_->CreateViewport(device_, camera_, 0, 0, 100, 100, &viewport_);
    }
    // A mesh frame at camera depth z holding a square of the given half size.
    rm::Frame* AddSquare(float z, float half, rm::D3DRMRENDERQUALITY quality, rm::D3DCOLOR colour,
                         rm::Frame* parent = nullptr) {
        rm::Frame* frame = nullptr;
        rm_->CreateFrame(parent != nullptr ? parent : scene_, &frame);
        frame->SetPosition(nullptr, 0, 0, z);
        rm::Mesh* mesh = new rm::Mesh(Square(half, colour));
        mesh->SetGroupQuality(quality);
        frame->AddVisual(mesh);
        mesh->Release();
        frame->Release();
        return frame;
    }
    void AddLight(uint32_t type, float level, D3DVECTOR position, rm::Light** made = nullptr) {
        rm::Frame* frame = nullptr;
        rm_->CreateFrame(scene_, &frame);
        frame->SetPosition(nullptr, position.x, position.y, position.z);
        rm::Light* light = nullptr;
        rm_->CreateLightRGB(type, level, level, level, &light);
        frame->AddLight(light);
        if (made != nullptr)
            *made = light;
        else
            light->Release();
        frame->Release();
    }

    MemoryTarget target_{100, 100};
    rm::Direct3DRM* rm_ = nullptr;
    rm::Frame* scene_ = nullptr;
    rm::Frame* camera_ = nullptr;
    rm::Device* device_ = nullptr;
    rm::Viewport* viewport_ = nullptr;
};

TEST_F(SceneTest, ViewportDefaultsAndRefusedValues) {
    EXPECT_FLOAT_EQ(viewport_->GetField(), 0.5f);
    EXPECT_FLOAT_EQ(viewport_->GetFront(), 1.0f);
    EXPECT_FLOAT_EQ(viewport_->GetBack(), 100.0f);
    EXPECT_EQ(viewport_->SetField(0), rm::D3DRMERR_BADVALUE);
    EXPECT_EQ(viewport_->SetFront(-1), rm::D3DRMERR_BADVALUE);
    EXPECT_EQ(viewport_->SetBack(0.5f), rm::D3DRMERR_BADVALUE);
    EXPECT_EQ(viewport_->SetBack(2000), rm::D3DRM_OK);
    EXPECT_FLOAT_EQ(viewport_->GetBack(), 2000.0f);
}

TEST_F(SceneTest, TransformGivesScreenPixelsTimesDepthIncludingTheViewportOffset) {
    viewport_->Configure(0, 60, 480, 360);
    viewport_->SetBack(2000);
    camera_->SetPosition(nullptr, 0, 0, -10);
    rm::D3DRMVECTOR4D s{};
    const D3DVECTOR centre{0, 0, 0}, right{1, 1, -9};
    viewport_->Transform(&s, &centre);
    EXPECT_FLOAT_EQ(s.w, 10);
    EXPECT_FLOAT_EQ(s.x / s.w, 240);
    EXPECT_FLOAT_EQ(s.y / s.w, 240);
    EXPECT_GT(s.z, 0);
    // One unit right and up at the front plane is half the field: 240 pixels over 0.5.
    viewport_->Transform(&s, &right);
    EXPECT_FLOAT_EQ(s.x / s.w, 720);
    EXPECT_FLOAT_EQ(s.y / s.w, 60 + 180 - 480);
    EXPECT_NEAR(s.z, 0, 1e-5f) << "the front plane is depth 0";
    const D3DVECTOR back{0, 0, 1990}, behind{0, 0, -20};
    viewport_->Transform(&s, &back);
    EXPECT_FLOAT_EQ(s.z, s.w) << "the back plane is depth 1";
    viewport_->Transform(&s, &behind);
    EXPECT_LT(s.w, 0);
    D3DVECTOR again{};
    viewport_->Transform(&s, &right);
    viewport_->InverseTransform(&again, &s);
    EXPECT_NEAR(again.x, 1, 1e-4f);
    EXPECT_NEAR(again.y, 1, 1e-4f);
    EXPECT_NEAR(again.z, -9, 1e-4f);
}

TEST_F(SceneTest, ASquareCoversItsProjectedPixelsOverTheBackground) {
    scene_->SetSceneBackgroundRGB(0, 0, 1);
    AddSquare(5, 1, rm::D3DRMRENDER_UNLITFLAT, 0xFFFF0000);
    rm_->Tick(1);
    // Half size 1 at depth 5: 50 * 1 / (5 * 0.5) = 20 pixels each side of the centre.
    EXPECT_EQ(target_.Count(0xFF0000), 40 * 40);
    EXPECT_EQ(target_.At(30, 30), 0xFF0000u);
    EXPECT_EQ(target_.At(69, 69), 0xFF0000u);
    EXPECT_EQ(target_.At(29, 50), 0x0000FFu);
    EXPECT_EQ(target_.At(70, 50), 0x0000FFu);
    EXPECT_EQ(device_->GetTrianglesDrawn(), 2u);
    rm_->Tick(1);
    EXPECT_EQ(device_->GetTrianglesDrawn(), 4u) << "counted since the device was made";
}

TEST_F(SceneTest, AViewportClearsAndDrawsOnlyItsOwnRectangle) {
    std::fill(target_.colour.begin(), target_.colour.end(), 0x123456u);
    viewport_->Configure(10, 20, 40, 30);
    scene_->SetSceneBackgroundRGB(0, 1, 0);
    AddSquare(2, 50, rm::D3DRMRENDER_UNLITFLAT, 0xFFFFFFFF);
    device_->Update();
    EXPECT_EQ(target_.Count(0xFFFFFF), 40 * 30);
    EXPECT_EQ(target_.At(9, 25), 0x123456u);
    EXPECT_EQ(target_.At(10, 20), 0xFFFFFFu);
    EXPECT_EQ(target_.At(49, 49), 0xFFFFFFu);
    EXPECT_EQ(target_.At(50, 49), 0x123456u);
}

TEST_F(SceneTest, BackFacesAndThingsOutsideTheDepthRangeAreNotDrawn) {
    rm::Frame* turned = AddSquare(5, 1, rm::D3DRMRENDER_UNLITFLAT, 0xFFFF0000);
    turned->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 1, 0, 3.14159265f);
    AddSquare(0.5f, 1, rm::D3DRMRENDER_UNLITFLAT, 0xFF00FF00);   // before the front plane
    AddSquare(150, 100, rm::D3DRMRENDER_UNLITFLAT, 0xFF00FF00);  // beyond the back plane
    rm_->Tick(1);
    EXPECT_EQ(target_.Count(0x000000), 100 * 100);
    EXPECT_EQ(device_->GetTrianglesDrawn(), 0u);
}

TEST_F(SceneTest, AFaceCrossingTheFrontPlaneIsCutThere) {
    rm::Frame* floor = AddSquare(0, 50, rm::D3DRMRENDER_UNLITFLAT, 0xFFFFFFFF);
    floor->AddRotation(rm::D3DRMCOMBINE_BEFORE, 1, 0, 0, 3.14159265f / 2);  // now y = 0, facing up
    camera_->SetPosition(nullptr, 0, 1, 0);
    rm_->Tick(1);
    // The floor fills the lower half up to the horizon and nothing above it.
    EXPECT_EQ(target_.At(50, 99), 0xFFFFFFu);
    EXPECT_EQ(target_.At(50, 40), 0x000000u);
    EXPECT_GT(device_->GetTrianglesDrawn(), 0u);
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

// Scenes that once hung or indexed out of bounds: each finishes, draws what it should and
// leaves every pixel outside the viewport alone.
class HostileSceneTest;
struct HostileScene {
    const char* name;
    std::function<void(HostileSceneTest&)> build;
    int32_t left, top, right, bottom;  // a rectangle of pixels
    uint32_t colour;                   // that must all hold this afterwards
};

class HostileSceneTest : public SceneTest, public testing::WithParamInterface<HostileScene> {
  public:
    using SceneTest::AddLight;
    using SceneTest::AddSquare;
    rm::Direct3DRM* rm() { return rm_; }
    rm::Frame* camera() { return camera_; }
    rm::Viewport* viewport() { return viewport_; }
};

// A floor under the camera, twice as far to each side as the given half size.
void Floor(HostileSceneTest& t, float half) {
    rm::Frame* floor = t.AddSquare(0, half, rm::D3DRMRENDER_UNLITFLAT, 0xFFFFFFFF);
    floor->SetOrientation(nullptr, 0, -1, 0, 0, 0, 1);  // facing up
    t.camera()->SetPosition(nullptr, 0, 1, 0);
}

const HostileScene kHostileScenes[] = {
    {"HugeQuadCrossingTheFrontPlane", [](HostileSceneTest& t) { Floor(t, 1e9f); }, 0, 52, 100, 100,
     0xFFFFFF},
    {"ShadowOfAnInfiniteCorner",
     [](HostileSceneTest& h) {
         Floor(h, 50);
         rm::Frame* card = h.AddSquare(0, std::numeric_limits<float>::infinity(),
                                       rm::D3DRMRENDER_UNLITFLAT, 0xFFFF0000);
         card->SetPosition(nullptr, 0, 0.5f, 5);
         rm::Light* light = nullptr;
         h.AddLight(rm::D3DRMLIGHT_POINT, 1, {0, 10, 5}, &light);
         rm::Visual* shadow = nullptr;
         h.rm()->CreateShadow(card->visuals()[0], light, 0, -0.5f, 0, 0, 1, 0, &shadow);
         card->AddVisual(shadow);
         shadow->Release();
         light->Release();
     },
     0, 52, 100, 100, 0xFFFFFF},
    {"ViewportWhollyLeftOfTheSurface",
     [](HostileSceneTest& t) {
         t.AddSquare(2, 50, rm::D3DRMRENDER_UNLITFLAT, 0xFFFFFFFF);
         t.viewport()->Configure(-200, 0, 100, 20);
     },
     0, 0, 100, 100, 0x123456},
    {"ViewportAtTheEndOfTheIntRange",
     [](HostileSceneTest& t) {
         t.AddSquare(2, 50, rm::D3DRMRENDER_UNLITFLAT, 0xFFFFFFFF);
         t.viewport()->Configure(INT32_MAX - 5, INT32_MAX - 5, INT32_MAX, INT32_MAX);
     },
     0, 0, 100, 100, 0x123456},
};

TEST_P(HostileSceneTest, FinishesAndDrawsOnlyWhatItShould) {
    std::fill(target_.colour.begin(), target_.colour.end(), 0x123456u);
    GetParam().build(*this);
    rm_->Tick(1);
    const HostileScene& scene = GetParam();
    int wrong = 0;
    for (int32_t y = scene.top; y < scene.bottom; ++y)
        for (int32_t x = scene.left; x < scene.right; ++x)
            wrong += target_.At(x, y) != scene.colour;
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Scenes, HostileSceneTest, testing::ValuesIn(kHostileScenes),
                         [](const testing::TestParamInfo<HostileScene>& scene) {
                             return std::string(scene.param.name);
                         });

TEST_F(SceneTest, NearerMeshesHideFartherOnes) {
    AddSquare(10, 3, rm::D3DRMRENDER_UNLITFLAT, 0xFF0000FF);
    AddSquare(5, 1, rm::D3DRMRENDER_UNLITFLAT, 0xFFFF0000);
    AddSquare(20, 8, rm::D3DRMRENDER_UNLITFLAT, 0xFF00FF00);
    rm_->Tick(1);
    EXPECT_EQ(target_.At(50, 50), 0xFF0000u);
    EXPECT_EQ(target_.At(50, 27), 0x0000FFu);
    EXPECT_EQ(target_.At(50, 15), 0x00FF00u);
}

TEST_F(SceneTest, GouraudLightingAddsAmbientAndTheLitShareOfEachLight) {
    AddSquare(5, 1, rm::D3DRMRENDER_GOURAUD, 0xFFFFFFFF);
    AddLight(rm::D3DRMLIGHT_AMBIENT, 0.25f, {0, 0, 0});
    rm::Frame* sun = nullptr;
    rm_->CreateFrame(scene_, &sun);
    sun->SetOrientation(nullptr, 0, 0, 1, 0, 1, 0);  // shining along +z onto the square
    rm::Light* light = nullptr;
    rm_->CreateLightRGB(rm::D3DRMLIGHT_DIRECTIONAL, 0.5f, 0.25f, 0.0f, &light);
    sun->AddLight(light);
    light->Release();
    sun->Release();
    rm_->Tick(1);
    // (0.25 + 0.5) * 255 = 191.25, (0.25 + 0.25) * 255 = 127.5, 0.25 * 255 = 63.75.
    EXPECT_EQ(target_.At(50, 50), 0xBF7F3Fu);
}

TEST_F(SceneTest, TheMonoModelQuantisesTheGrayIntensityToTheShades) {
    MakeDevice(&rm::IID_SoftwareMonoDevice);
    device_->SetQuality(rm::D3DRMRENDER_GOURAUD);
    device_->SetShades(16);
    AddSquare(5, 1, rm::D3DRMRENDER_GOURAUD, 0xFFFF8040);
    AddLight(rm::D3DRMLIGHT_AMBIENT, 0.25f, {0, 0, 0});
    rm::Frame* sun = nullptr;
    rm_->CreateFrame(scene_, &sun);
    rm::Light* light = nullptr;
    rm_->CreateLightRGB(rm::D3DRMLIGHT_DIRECTIONAL, 1.5f, 0, 0, &light);  // red: a dim white
    sun->AddLight(light);
    light->Release();
    sun->Release();
    rm_->Tick(1);
    // Gray 0.25 + 1.5 / 3 = 0.75: 191.25 of 255, level (191 * 15 + 127) / 255 = 11, scale
    // 11 * 255 / 15 = 187, and each channel c becomes c * 188 / 256.
    EXPECT_EQ(target_.At(50, 50), 0xBB5E2Fu);
}

TEST_F(SceneTest, PointLightsFadeWithDistanceParallelPointsDoNot) {
    rm::Light* light = nullptr;
    rm_->CreateLightRGB(rm::D3DRMLIGHT_POINT, 1, 1, 1, &light);
    EXPECT_FLOAT_EQ(light->Attenuation(1000), 1.0f) << "defaults 1, 0, 0";
    light->SetLinearAttenuation(0.5f);
    light->SetQuadraticAttenuation(0.25f);
    EXPECT_FLOAT_EQ(light->Attenuation(2), 1.0f / (1 + 1 + 1));
    light->SetConstantAttenuation(0.1f);
    light->SetLinearAttenuation(0);
    light->SetQuadraticAttenuation(0);
    EXPECT_FLOAT_EQ(light->Attenuation(5), 1.0f) << "never brighter than the light";
    light->Release();

    AddSquare(5, 1, rm::D3DRMRENDER_FLAT, 0xFFFFFFFF);
    rm::Light* point = nullptr;
    AddLight(rm::D3DRMLIGHT_POINT, 1, {0, 0, 1}, &point);  // 4 units in front of the square
    point->SetLinearAttenuation(0.25f);
    rm_->Tick(1);
    // Flat faces are lit at their centroids, (1/3, 1/3) off the axis: distance d = 4.0277,
    // attenuation 1 / (1 + d / 4) = 0.4983, angle 4 / d = 0.9931, so 0.4948 * 255 = 126.2.
    EXPECT_EQ(target_.At(50, 50), 0x7E7E7Eu);
    point->Release();
}

TEST_F(SceneTest, AParallelPointLightUsesOneDirectionForTheWholeObject) {
    // A light straight in front of the frame's origin lights every vertex head on.
    AddSquare(5, 1, rm::D3DRMRENDER_GOURAUD, 0xFFFFFFFF);
    AddLight(rm::D3DRMLIGHT_PARALLELPOINT, 0.5f, {0, 0, 4});
    rm_->Tick(1);
    EXPECT_EQ(target_.At(30, 30), target_.At(50, 50))
        << "a point light would light the corner less";
    EXPECT_EQ(target_.At(50, 50), 0x7F7F7Fu);
}

TEST_F(SceneTest, FlatWrapsSpanTheBoxOncePerTile) {
    for (const float tiles : {1.0f, 2.0f}) {
        rm::Mesh mesh(Square(3));
        rm::D3DRMBOX box{};
        mesh.GetBox(&box);
        const float w = box.max.x - box.min.x, h = box.max.y - box.min.y;
        EXPECT_FLOAT_EQ(w, 6);
        rm::Wrap* wrap = nullptr;
        rm_->CreateWrap(rm::D3DRMWRAP_FLAT, nullptr, 0, 0, 0, 0, 0, 1, 0, 1, 0,
                        box.min.x / w * tiles, box.min.y / h * tiles, 1 / w * tiles, 1 / h * tiles,
                        &wrap);
        wrap->Apply(&mesh);
        wrap->Release();
        const auto& v = mesh.geometry().vertices;
        EXPECT_FLOAT_EQ(v[0].u, 0);  // (-3, 3)
        EXPECT_FLOAT_EQ(v[0].v, tiles);
        EXPECT_FLOAT_EQ(v[2].u, tiles);  // (3, -3)
        EXPECT_FLOAT_EQ(v[2].v, 0);
    }
}

TEST_F(SceneTest, ACylinderWrapStartsAtTheUpVectorAndRunsAlongTheAxis) {
    rm::Geometry g;
    for (const D3DVECTOR p :
         {D3DVECTOR{0, 0, 1}, D3DVECTOR{1, 0, 0}, D3DVECTOR{0, 0, -1}, D3DVECTOR{-1, 4, 0}})
        g.vertices.push_back({p, {0, 0, 0}, 0, 0, 0});
    rm::Mesh mesh(g);
    rm::Wrap* wrap = nullptr;
    // Axis +y, u = 0 where +z points; v follows the height.
    rm_->CreateWrap(rm::D3DRMWRAP_CYLINDER, nullptr, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0.25f,
                    &wrap);
    wrap->Apply(&mesh);
    wrap->Release();
    const auto& v = mesh.geometry().vertices;
    EXPECT_FLOAT_EQ(v[0].u, 0);
    EXPECT_FLOAT_EQ(v[1].u, 0.75f);
    EXPECT_FLOAT_EQ(v[2].u, 0.5f);
    EXPECT_FLOAT_EQ(v[3].u, 0.25f);
    EXPECT_FLOAT_EQ(v[3].v, 1);
    EXPECT_EQ(
        rm_->CreateWrap(rm::D3DRMWRAP_FLAT, nullptr, 0, 0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 1, 1, &wrap),
        rm::D3DRMERR_BADVALUE)
        << "up along the direction";
}

TEST_F(SceneTest, AShadowFallsBlackOnThePlaneAroundTheObject) {
    // Camera above looking down; a white floor at y = 0 and a red card at y = 5 under a point
    // light at y = 10: the card's shadow is twice its size.
    camera_->SetPosition(nullptr, 0, 20, 0);
    camera_->SetOrientation(nullptr, 0, -1, 0, 0, 0, 1);
    viewport_->SetBack(100);
    auto flat = [&](float y, float half, rm::D3DCOLOR colour) {
        rm::Frame* frame = AddSquare(0, half, rm::D3DRMRENDER_UNLITFLAT, colour);
        frame->SetOrientation(nullptr, 0, -1, 0, 0, 0, 1);  // facing up
        frame->SetPosition(nullptr, 0, y, 0);
        return frame;
    };
    flat(0, 30, 0xFFFFFFFF);
    rm::Frame* card = flat(5, 1, 0xFFFF0000);
    rm::Light* light = nullptr;
    AddLight(rm::D3DRMLIGHT_POINT, 1, {0, 10, 0}, &light);
    rm::Visual* shadow = nullptr;
    // The floor in the card's own axes: its z points down, so the floor is z = 5.
    ASSERT_EQ(rm_->CreateShadow(card->visuals()[0], light, 0, 0, 5, 0, 0, -1, &shadow),
              rm::D3DRM_OK);
    card->AddVisual(shadow);
    shadow->Release();
    light->Release();
    rm_->Tick(1);
    // The card covers 1/15 of the depth, so 50 * 1/(15 * 0.5) = 6.7 pixels; the shadow 10.
    EXPECT_EQ(target_.At(50, 50), 0xFF0000u);
    EXPECT_EQ(target_.At(58, 50), 0x000000u);
    EXPECT_EQ(target_.At(50, 42), 0x000000u);
    EXPECT_EQ(target_.At(62, 50), 0xFFFFFFu);
    // It follows the card.
    card->SetPosition(nullptr, 20, 5, 0);
    rm_->Tick(1);
    EXPECT_EQ(target_.At(58, 50), 0xFFFFFFu);
}

TEST_F(SceneTest, PickListsEveryMeshUnderThePointNearestFirstWithItsFramePath) {
    rm::Frame* group = nullptr;
    rm_->CreateFrame(scene_, &group);
    rm::Frame* farther = AddSquare(10, 3, rm::D3DRMRENDER_GOURAUD, 0xFFFFFFFF, group);
    rm::Frame* nearer = AddSquare(5, 1, rm::D3DRMRENDER_GOURAUD, 0xFFFFFFFF);
    rm::PickedArray* picks = nullptr;
    ASSERT_EQ(viewport_->Pick(50, 50, &picks), rm::D3DRM_OK);
    ASSERT_EQ(picks->GetSize(), 2u);
    rm::Visual* visual = nullptr;
    rm::FrameArray* path = nullptr;
    rm::D3DRMPICKDESC desc{};
    picks->GetPick(0, &visual, &path, &desc);
    EXPECT_EQ(visual, nearer->visuals()[0]);
    ASSERT_EQ(path->GetSize(), 2u);
    rm::Frame* element = nullptr;
    path->GetElement(1, &element);
    EXPECT_EQ(element, nearer);
    element->Release();
    visual->Release();
    path->Release();
    D3DVECTOR firstDepth = desc.vPosition;
    picks->GetPick(1, &visual, &path, &desc);
    EXPECT_EQ(visual, farther->visuals()[0]);
    ASSERT_EQ(path->GetSize(), 3u);
    path->GetElement(0, &element);
    EXPECT_EQ(element, scene_);
    element->Release();
    path->GetElement(1, &element);
    EXPECT_EQ(element, group);
    element->Release();
    EXPECT_GT(desc.vPosition.z, firstDepth.z);
    visual->Release();
    path->Release();
    picks->Release();

    ASSERT_EQ(viewport_->Pick(50, 25, &picks), rm::D3DRM_OK);
    EXPECT_EQ(picks->GetSize(), 1u) << "only the larger, farther square is there";
    picks->Release();
    ASSERT_EQ(viewport_->Pick(2, 2, &picks), rm::D3DRM_OK);
    EXPECT_EQ(picks->GetSize(), 0u);
    picks->Release();
    group->Release();
}

TEST_F(SceneTest, ZbufferModeAndMaterialModeComeFromTheFrames) {
    rm::Frame* nearFrame = AddSquare(5, 1, rm::D3DRMRENDER_UNLITFLAT, 0xFFFF0000);
    rm::Frame* farFrame = AddSquare(10, 4, rm::D3DRMRENDER_UNLITFLAT, 0xFFFFFFFF);
    farFrame->SetZbufferMode(rm::D3DRMZBUFFER_DISABLE);  // drawn last, over everything
    farFrame->SetMaterialMode(rm::D3DRMMATERIAL_FROMFRAME);
    farFrame->SetColorRGB(0, 1, 0);
    rm_->Tick(1);
    EXPECT_EQ(target_.At(50, 50), 0x00FF00u);
    nearFrame->SetMaterialMode(rm::D3DRMMATERIAL_FROMFRAME);
    EXPECT_EQ(nearFrame->GetColor(), 0xFFFFFFFFu) << "frames start white";
}

TEST_F(SceneTest, TickMovesFramesBeforeRendering) {
    rm::Frame* square = AddSquare(5, 1, rm::D3DRMRENDER_UNLITFLAT, 0xFFFF0000);
    square->SetVelocity(scene_, 1, 0, 0, FALSE);
    rm_->Tick(1);
    EXPECT_EQ(target_.At(35, 50), 0x000000u);
    EXPECT_EQ(target_.At(85, 50), 0xFF0000u);
}

TEST_F(SceneTest, WireframeDrawsOnlyTheEdges) {
    AddSquare(5, 1, rm::D3DRMRENDER_WIREFRAME, 0xFFFFFFFF);
    rm_->Tick(1);
    EXPECT_EQ(target_.At(60, 45), 0x000000u);
    EXPECT_EQ(target_.At(50, 50), 0xFFFFFFu) << "the diagonal";
    EXPECT_EQ(target_.At(30, 50), 0xFFFFFFu);
    EXPECT_EQ(target_.At(50, 30), 0xFFFFFFu);
}

HRESULT Collect(rm::GUID* guid, char*, char*, rm::D3DDEVICEDESC* hardware,
                rm::D3DDEVICEDESC* software, void* context) {
    auto* seen = static_cast<std::vector<std::pair<rm::GUID, rm::D3DDEVICEDESC>>*>(context);
    EXPECT_EQ(hardware->dcmColorModel, 0u);
    seen->push_back({*guid, *software});
    return rm::D3DENUMRET_OK;
}

TEST(DeviceList, OffersAMonoAndAnRgbSoftwareDeviceWithASixteenBitDepth) {
    rm::Direct3D* d3d = nullptr;
    ASSERT_EQ(rm::Direct3DCreate(&d3d), rm::D3DRM_OK);
    std::vector<std::pair<rm::GUID, rm::D3DDEVICEDESC>> seen;
    d3d->EnumDevices(Collect, &seen);
    d3d->Release();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].first, rm::IID_SoftwareMonoDevice);
    EXPECT_EQ(seen[0].second.dcmColorModel, rm::D3DCOLOR_MONO);
    EXPECT_EQ(seen[1].first, rm::IID_SoftwareRgbDevice);
    EXPECT_EQ(seen[1].second.dcmColorModel, rm::D3DCOLOR_RGB);
    for (const auto& device : seen) {
        EXPECT_EQ(device.second.dwDeviceRenderBitDepth, rm::DDBD_16 | rm::DDBD_32);
        EXPECT_EQ(device.second.dwDeviceZBufferBitDepth, rm::DDBD_16);
    }
}

TEST(DeviceList, AnUnknownDeviceIsRefused) {
    rm::Direct3DRM* rm = nullptr;
    rm::Direct3DRMCreate(&rm);
    MemoryTarget target(4, 4);
    rm::Device* device = nullptr;
    const rm::GUID unknown{1, 2, 3, {4}};
    EXPECT_EQ(rm->CreateDeviceFromTarget(&unknown, &target, 4, 4, &device), rm::D3DRMERR_BADDEVICE);
    EXPECT_EQ(rm->CreateDeviceFromTarget(&rm::IID_SoftwareMonoDevice, &target, 4, 4, &device),
              rm::D3DRM_OK);
    EXPECT_EQ(device->GetColorModel(), rm::D3DCOLOR_MONO);
    device->Release();
    rm->Release();
}

}  // namespace
