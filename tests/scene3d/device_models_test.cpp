// kr3D: the device search and device, the render, models and textures, lights and cameras.
#include <gtest/gtest.h>

#include "draw/frame_rate.h"
#include "scene3d/scene3d_fixture.h"

namespace {

// One device offered to the search: hardware or software, its colour model and depths.
struct Offer {
    uint32_t id;
    bool hardware;
    rm::D3DCOLORMODEL model;
    DWORD render, z;
};

struct SearchCase {
    struct {
        uint32_t chosen;  // 0: none
        int32_t zBufferDepth, hardwareFound;
    } expected;
    std::vector<Offer> offers;
};

// Software devices: the last match wins with a 16-bit Z buffer. A hardware device replaces them,
// is final and takes the first Z depth it offers. Unusable render or Z depths are never chosen.
const SearchCase kSearches[] = {
    {{3, 16, 0},
     {{1, false, rm::D3DCOLOR_MONO, rm::DDBD_16, rm::DDBD_32},
      {2, false, rm::D3DCOLOR_RGB, rm::DDBD_16, rm::DDBD_16},
      {3, false, rm::D3DCOLOR_MONO, rm::DDBD_32, rm::DDBD_24 | rm::DDBD_32}}},
    {{2, 24, 1},
     {{1, false, rm::D3DCOLOR_MONO, rm::DDBD_16, rm::DDBD_16},
      {2, true, rm::D3DCOLOR_MONO, rm::DDBD_16, rm::DDBD_24 | rm::DDBD_32},
      {3, false, rm::D3DCOLOR_MONO, rm::DDBD_16, rm::DDBD_16},
      {4, true, rm::D3DCOLOR_MONO, rm::DDBD_16, rm::DDBD_16}}},
    {{0, 0, 0},
     {{1, false, rm::D3DCOLOR_MONO, rm::DDBD_8, rm::DDBD_16},
      {2, true, rm::D3DCOLOR_MONO, rm::DDBD_16, rm::DDBD_8}}},
};

TEST(DeviceSearchTest, TheSearchKeepsTheDeviceAndZDepthItShould) {
    for (const SearchCase& search : kSearches) {
        kr3DState = kr3DStateRecord{};
        kr3DState.wantedColourModel = rm::D3DCOLOR_MONO;
        for (const Offer& offer : search.offers) {
            rm::GUID guid{offer.id, 0, 0, {0}};
            rm::D3DDEVICEDESC none{},
                described{sizeof(rm::D3DDEVICEDESC), 0, offer.model, 0, offer.render, offer.z};
            kr3D::DeviceSearchCallback(&guid, nullptr, nullptr, offer.hardware ? &described : &none,
                                       offer.hardware ? &none : &described, nullptr);
        }
        EXPECT_EQ(kr3DState.deviceChosen != 0 ? kr3DState.deviceGuid[0] : 0,
                  search.expected.chosen);
        EXPECT_EQ(kr3DState.zBufferDepth, search.expected.zBufferDepth) << search.expected.chosen;
        EXPECT_EQ(kr3DState.hardwareFound, search.expected.hardwareFound) << search.expected.chosen;
    }
    kr3DState = kr3DStateRecord{};
}

TEST_F(Scene3DTest, RenderDrawsTheGamesMonoCameraIntoThe3DSurfaceAndCountsTriangles) {
    EXPECT_EQ(kr3DState.device->GetShades(), 16u);
    WriteSquareModel("SQUARE.X");
    ASSERT_EQ(kr3D::CreateCamera(1, 0, 60, 480, 420), 1);
    kr3D::SetAmbient(1.0f);
    kr3D::SetUnlitFlat();
    rm::Frame* square = kr3D::LoadObject("SQUARE.X", 0, nullptr);
    ASSERT_NE(square, nullptr);
    kr3D::SetPosition(square, 0, 0, -20);  // 20 units in front of the camera
    Paint(krDraw::display.surface3D, kBlue);
    krDraw::frameRate.current = 50.0f;  // the frame-rate line's figure
    kr3D::Render();
    // Half size 4 at depth 20: 240 * 4 / (20 * 0.5) = 96 pixels each side of (240, 240).
    for (const auto& [x, colour] :
         {std::pair{240, kWhite}, {335, kWhite}, {337, kBlack}, {600, kBlue}})
        EXPECT_EQ(SurfacePixel(krDraw::display.surface3D, x, 240), colour) << x;
    Paint(krDraw::display.back, kBlack);
    kr3D::ShowPolygons();
    EXPECT_STREQ(kr3DState.overlayText, "2 ppf ( 100 pps )");
    // The line stands on the overlay's dark blue box, one line under the frame-rate line.
    EXPECT_EQ(SurfacePixel(krDraw::display.back, 0, 15), RGB(0, 0, 128));
    EXPECT_EQ(SurfacePixel(krDraw::display.back, 0, 14), kBlack);
    // A lost 3D surface is restored before the render draws on it.
    Paint(krDraw::display.surface3D, kBlue);
    krDraw::display.surface3D->MarkLost();
    kr3D::Render();
    EXPECT_EQ(SurfacePixel(krDraw::display.surface3D, 240, 240), kWhite);
    kr3D::DeleteObject(&square);
    EXPECT_EQ(square, nullptr);
}

rm::Mesh* MeshOf(rm::Frame* frame) {
    return dynamic_cast<rm::Mesh*>(frame->visuals()[0]);
}

TEST_F(Scene3DTest, LoadSettingsAreUsedByASuccessfulLoadAndKeptByAFailedOne) {
    WriteSquareModel("SQUARE.X", 2);
    kr3D::SetFlat();
    kr3D::SetScale(3);
    kr3D::SetColor(1, 0, 0);
    EXPECT_EQ(kr3D::LoadObject("MISSING.X", 0, nullptr), nullptr);
    EXPECT_EQ(ErrorTexts(),
              std::vector<std::string>{"kr3D::LoadObject : Xファイルを読み込めません"});
    // The second load, without setters, is Gouraud, unscaled and uncoloured.
    for (const bool first : {true, false}) {
        rm::Frame* frame = kr3D::LoadObject("SQUARE.X", 0, nullptr);
        ASSERT_NE(frame, nullptr);
        rm::D3DRMBOX box{};
        MeshOf(frame)->GetBox(&box);
        EXPECT_EQ(MeshOf(frame)->GetGroupQuality(),
                  first ? rm::D3DRMRENDER_FLAT : rm::D3DRMRENDER_GOURAUD);
        EXPECT_FLOAT_EQ(box.max.x, first ? 6 : 2);
        EXPECT_EQ(MeshOf(frame)->geometry().vertices[0].colour, first ? 0xFFFF0000u : 0xFFFFFFFFu);
        kr3D::DeleteObject(&frame);
    }
}

// Flat wraps span the model's box once per tile; a cylinder wrap (tiles 5) goes around the y
// axis from +z, a quarter turn to each corner of a square facing the camera.
TEST_F(Scene3DTest, TexturesWrapFlatOncePerTileOrAroundACylinder) {
    WriteSquareModel("SQUARE.X", 4);
    WriteBitmap("TEX.BMP", assets::Picture(4, 4, {255, 255, 255}));
    rm::Texture* texture = kr3D::LoadTexture("TEX.BMP");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(kr3D::SetTransparentColor(texture, 0x123456), rm::D3DRM_OK);
    EXPECT_TRUE(texture->GetDecalTransparency());
    EXPECT_EQ(texture->GetDecalTransparentColor(), 0x123456u);
    // The corners (-4, 4), (4, 4), (4, -4), (-4, -4) in u, v.
    const struct {
        int32_t wrap, tiles;
        float uv[4][2];
    } wraps[] = {{0, 1, {{0, 1}, {1, 1}, {1, 0}, {0, 0}}},
                 {0, 2, {{0, 2}, {2, 2}, {2, 0}, {0, 0}}},
                 {1, 5, {{0.25f, 1}, {0.75f, 1}, {0.75f, 0}, {0.25f, 0}}}};
    for (const auto& wrap : wraps) {
        kr3D::SetTexture(texture, wrap.wrap, wrap.wrap, wrap.tiles, wrap.tiles);
        rm::Frame* frame = kr3D::LoadObject("SQUARE.X", 0, nullptr);
        EXPECT_EQ(MeshOf(frame)->texture(), texture);
        EXPECT_EQ(MeshOf(frame)->perspective(), wrap.wrap == 1);
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(MeshOf(frame)->geometry().vertices[i].u, wrap.uv[i][0]) << i;
            EXPECT_FLOAT_EQ(MeshOf(frame)->geometry().vertices[i].v, wrap.uv[i][1]) << i;
        }
        kr3D::DeleteObject(&frame);
    }
    kr3D::ReleaseTexture(&texture);
    EXPECT_EQ(kr3D::LoadTexture("NONE.BMP"), nullptr);
    EXPECT_NE(ErrorTexts().back().find("テクスチャーを読み込めません"), std::string::npos);
}

// Directions 1 to 9 lie as on a numeric keypad seen from the camera, 100 units out (5 behind
// it); 0 is a point light at the origin, the others parallel points.
TEST_F(Scene3DTest, LightsStandWhereTheirDirectionsSayAndBadNumbersAreRefused) {
    for (int32_t direction = 0; direction <= 9; ++direction) {
        ASSERT_EQ(kr3D::CreateLight(1 + direction % 3, 0.5f, direction), 1);
        const kr3D::LightSlot& slot = kr3D::lights[1 + direction % 3];
        const float x = float((direction + 2) % 3 - 1) * 100,
                    y = float((direction - 1) / 3 - 1) * 100;
        const rm::D3DVECTOR expected =
            direction == 0 ? rm::D3DVECTOR{0, 0, 0}
                           : (direction == 5 ? rm::D3DVECTOR{0, 0, -100} : rm::D3DVECTOR{x, y, 0});
        ExpectNear(ScenePosition(slot.frame), expected);
        EXPECT_EQ(slot.light->GetType(),
                  direction == 0 ? rm::D3DRMLIGHT_POINT : rm::D3DRMLIGHT_PARALLELPOINT);
    }
    for (const auto& [light, direction] : {std::pair{0, 1}, {4, 1}, {1, 10}, {7, -1}}) {
        EXPECT_EQ(kr3D::CreateLight(light, 1, direction), 0);
        EXPECT_EQ(ErrorTexts().back(),
                  std::string("kr3D::CreateLight : ") +
                      (light == 1 ? "ライト方向が異常です" : "ライトNoが範囲外です"))
            << "the number comes first";
    }
}

// The stored position steps by the velocity each call; the light's frame stands at it times
// the frame-time factor (60 / frames a second).
TEST_F(Scene3DTest, AMovingLightBouncesBackPastTheBoundsAndScalesByTheFrameTime) {
    kr3D::CreateLight(1, 1, 6);
    for (const float fps : {60.0f, 45.0f, 30.0f}) {
        krSystemState.frameSeconds = 1.0f / fps;
        const float f = 60.0f / fps;
        kr3D::SetLightPosition(1, 90, 5, 2);
        kr3D::SetLightVelocity(1, 30, 0, 0);
        kr3D::MoveLight(1);
        ExpectNear(ScenePosition(kr3D::lights[1].frame), {120 * f, -5 * f, -2 * f});
        kr3D::MoveLight(1);
        EXPECT_FLOAT_EQ(kr3D::lights[1].position.x, 90);
    }
    SixtyFramesASecond();
    rm::Frame* object = kr3D::CreateObject();
    kr3D::SetPosition(object, 3, 4, 5);
    kr3D::LightToObject(object, 1);
    ExpectNear(ScenePosition(kr3D::lights[1].frame), {3, -4, -5});
    kr3D::DeleteObject(&object);
}

TEST_F(Scene3DTest, CamerasKeepTheirRectanglesDepthsAndOrder) {
    ASSERT_EQ(kr3D::CreateCamera(1, 0, 60, 480, 420), 1);
    rm::Frame* first = kr3D::cameras[0].frame;
    first->AddRef();
    ASSERT_EQ(kr3D::CreateCamera(1, 0, 60, 480, 420), 1);
    EXPECT_EQ(first->Release(), 1u) << "made again, only the scene holds the old camera";
    EXPECT_EQ(kr3D::cameras[0].viewport->rect().bottom, 420);
    EXPECT_FLOAT_EQ(kr3D::cameras[0].viewport->GetFront(), 1);
    EXPECT_FLOAT_EQ(kr3D::cameras[0].viewport->GetBack(), 2000);
    kr3D::SetCameraDepth(1, 3000, 6000);  // a front beyond the old back
    EXPECT_FLOAT_EQ(kr3D::cameras[0].viewport->GetFront(), 3000);
    EXPECT_FLOAT_EQ(kr3D::cameras[0].viewport->GetBack(), 6000);
    EXPECT_EQ(kr3D::CreateCamera(5, 0, 0, 10, 10), 0);
    EXPECT_EQ(kr3D::CreateCamera(0, 0, 0, 10, 10), 0);
    EXPECT_NE(ErrorTexts().back().find("カメラNoが範囲外です"), std::string::npos);
    kr3D::SetCameraRect(3, 0, 0, 10, 10, 0);  // never created: only the rectangle is kept
    kr3D::ShowCamera(7);
    kr3D::ReorderCameras(1, 9);
    // Over the same rectangle the camera made last draws last: camera 2 looks away from the
    // square, so the square shows only once the order is turned.
    kr3D::SetCameraRect(1, 10, 20, 110, 220, 0);
    EXPECT_EQ(kr3D::cameras[0].viewport->rect().bottom, 220);
    WriteSquareModel("SQUARE.X");
    rm::Frame* square = kr3D::LoadObject("SQUARE.X", 0, nullptr);
    kr3D::SetPosition(square, 0, 0, -20);
    ASSERT_EQ(kr3D::CreateCamera(2, 10, 20, 110, 220), 1);
    kr3D::RotateCameraY(2, 180);
    kr3D::SetAmbient(1.0f);
    for (const bool turned : {false, true}) {
        if (turned) kr3D::ReorderCameras(1, 2);
        kr3D::Render();
        EXPECT_EQ(SurfacePixel(krDraw::display.surface3D, 60, 120) != kBlack, turned);
    }
    kr3D::DeleteObject(&square);
}

}  // namespace
