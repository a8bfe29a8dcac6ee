// kr3D: the device search and device, the render, models and textures, lights and cameras.
#include <gtest/gtest.h>

#include <cstring>

#include "draw/frame_rate.h"
#include "scene3d/scene3d_fixture.h"

namespace {

rm::D3DDEVICEDESC Description(rm::D3DCOLORMODEL model, DWORD render, DWORD z) {
    return {sizeof(rm::D3DDEVICEDESC), 0, model, 0, render, z};
}

// Offers one device to the search: hardware when `hardware` is set, else software.
void Offer(uint32_t id, bool hardware, rm::D3DCOLORMODEL model, DWORD render, DWORD z) {
    rm::GUID guid{id, 0, 0, {0}};
    rm::D3DDEVICEDESC none{}, described = Description(model, render, z);
    kr3D::DeviceSearchCallback(&guid, nullptr, nullptr, hardware ? &described : &none,
                               hardware ? &none : &described, nullptr);
}

uint32_t ChosenId() {
    return kr3DState.deviceChosen != 0 ? kr3DState.deviceGuid[0] : 0;
}

class DeviceSearchTest : public testing::Test {
  protected:
    void SetUp() override {
        kr3DState = kr3DStateRecord{};
        kr3DState.wantedColourModel = rm::D3DCOLOR_MONO;
    }
    void TearDown() override { kr3DState = kr3DStateRecord{}; }
};

TEST_F(DeviceSearchTest, SoftwareOnlyListsEndWithTheLastMatchAndASixteenBitZBuffer) {
    Offer(1, false, rm::D3DCOLOR_MONO, rm::DDBD_16, rm::DDBD_32);
    Offer(2, false, rm::D3DCOLOR_RGB, rm::DDBD_16, rm::DDBD_16);  // not the wanted model
    Offer(3, false, rm::D3DCOLOR_MONO, rm::DDBD_32, rm::DDBD_24 | rm::DDBD_32);
    EXPECT_EQ(ChosenId(), 3u);
    EXPECT_EQ(kr3DState.zBufferDepth, 16);
    EXPECT_EQ(kr3DState.zBufferMemory, 0x800u);
    EXPECT_EQ(kr3DState.hardwareFound, 0);
}

TEST_F(DeviceSearchTest, AHardwareDeviceReplacesSoftwareAndIsFinal) {
    Offer(1, false, rm::D3DCOLOR_MONO, rm::DDBD_16, rm::DDBD_16);
    Offer(2, true, rm::D3DCOLOR_MONO, rm::DDBD_16, rm::DDBD_24 | rm::DDBD_32);
    Offer(3, false, rm::D3DCOLOR_MONO, rm::DDBD_16, rm::DDBD_16);
    Offer(4, true, rm::D3DCOLOR_MONO, rm::DDBD_16, rm::DDBD_16);
    EXPECT_EQ(ChosenId(), 2u);
    EXPECT_EQ(kr3DState.zBufferDepth, 24) << "the first of the Z depths it offers";
    EXPECT_EQ(kr3DState.hardwareFound, 1);
}

TEST_F(DeviceSearchTest, DevicesWithoutUsableRenderOrZDepthsAreNeverChosen) {
    Offer(1, false, rm::D3DCOLOR_MONO, rm::DDBD_8, rm::DDBD_16);
    Offer(2, true, rm::D3DCOLOR_MONO, rm::DDBD_16, rm::DDBD_8);
    EXPECT_EQ(ChosenId(), 0u);
    EXPECT_EQ(kr3DState.zBufferDepth, 0);
}

TEST_F(Scene3DTest, TheDisplaySetUpChoosesTheMonoDeviceAndBuildsItOnThe3DSurface) {
    EXPECT_EQ(kr3DState.deviceChosen, 1);
    rm::GUID chosen{};
    std::memcpy(&chosen, kr3DState.deviceGuid, sizeof chosen);
    EXPECT_EQ(chosen, rm::IID_SoftwareMonoDevice);
    EXPECT_EQ(kr3DState.zBufferDepth, 16);
    ASSERT_NE(kr3DState.device, nullptr);
    EXPECT_EQ(kr3DState.device->GetColorModel(), rm::D3DCOLOR_MONO);
    EXPECT_EQ(kr3DState.device->GetQuality(), rm::D3DRMRENDER_GOURAUD);
    EXPECT_EQ(kr3DState.device->GetShades(), 16u);
    EXPECT_EQ(kr3DState.device->GetWidth(), 640);
    ASSERT_NE(kr3DState.scene, nullptr);
    EXPECT_EQ(kr3DState.scene->GetSceneBackground(), 0xFF000000u);
}

TEST_F(Scene3DTest, RenderDrawsTheGamesCameraIntoThe3DSurfaceAndCountsTriangles) {
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
    EXPECT_EQ(SurfacePixel(krDraw::display.surface3D, 240, 240), kWhite);
    EXPECT_EQ(SurfacePixel(krDraw::display.surface3D, 240 + 95, 240), kWhite);
    EXPECT_EQ(SurfacePixel(krDraw::display.surface3D, 240 + 97, 240), kBlack);
    EXPECT_EQ(SurfacePixel(krDraw::display.surface3D, 600, 240), kBlue) << "outside the viewport";
    EXPECT_EQ(kr3D::CountPolygons(), 2u);
    Paint(krDraw::display.back, kBlack);
    kr3D::ShowPolygons();
    EXPECT_STREQ(kr3DState.overlayText, "2 ppf ( 100 pps )");
    // The line stands on the overlay's dark blue box, one line under the frame-rate line.
    EXPECT_EQ(SurfacePixel(krDraw::display.back, 0, 15), RGB(0, 0, 128));
    EXPECT_EQ(SurfacePixel(krDraw::display.back, 0, 14), kBlack);
    kr3D::Render();
    kr3D::ShowPolygons();
    EXPECT_STREQ(kr3DState.overlayText, "2 ppf ( 100 pps )");
    kr3D::DeleteObject(&square);
    EXPECT_EQ(square, nullptr);
}

TEST_F(Scene3DTest, LoadSettingsAreUsedByASuccessfulLoadAndKeptByAFailedOne) {
    WriteSquareModel("SQUARE.X", 2);
    kr3D::SetFlat();
    kr3D::SetScale(3);
    kr3D::SetColor(1, 0, 0);
    EXPECT_EQ(kr3D::LoadObject("MISSING.X", 0, nullptr), nullptr);
    ASSERT_EQ(ErrorTexts().size(), 1u);
    EXPECT_NE(ErrorTexts()[0].find("kr3D::LoadObject"), std::string::npos);
    EXPECT_NE(ErrorTexts()[0].find("Xファイルを読み込めません"), std::string::npos);
    EXPECT_EQ(kr3D::loadSettings.flat, 1);
    rm::Frame* first = kr3D::LoadObject("SQUARE.X", 0, nullptr);
    ASSERT_NE(first, nullptr);
    auto* mesh = dynamic_cast<rm::Mesh*>(first->visuals()[0]);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetGroupQuality(), rm::D3DRMRENDER_FLAT);
    rm::D3DRMBOX box{};
    mesh->GetBox(&box);
    EXPECT_FLOAT_EQ(box.max.x, 6);
    EXPECT_EQ(mesh->geometry().vertices[0].colour, 0xFFFF0000u);
    EXPECT_EQ(first->parent(), kr3DState.scene);
    // A second load without setters: Gouraud, no scale, no colour.
    rm::Frame* second = kr3D::LoadObject("SQUARE.X", 0, nullptr);
    auto* plain = dynamic_cast<rm::Mesh*>(second->visuals()[0]);
    EXPECT_EQ(plain->GetGroupQuality(), rm::D3DRMRENDER_GOURAUD);
    plain->GetBox(&box);
    EXPECT_FLOAT_EQ(box.max.x, 2);
    EXPECT_EQ(plain->geometry().vertices[0].colour, 0xFFFFFFFFu);
    kr3D::DeleteObject(&first);
    kr3D::DeleteObject(&second);
}

TEST_F(Scene3DTest, CountsZeroOneAndManyFillTheFramesAsTheyShould) {
    WriteSquareModel("SQUARE.X");
    rm::Frame* one[1] = {nullptr};
    EXPECT_EQ(kr3D::LoadObject("SQUARE.X", 1, one), nullptr);
    ASSERT_NE(one[0], nullptr);
    static rm::Frame* walls[180];
    EXPECT_EQ(kr3D::LoadObject("SQUARE.X", 180, walls), nullptr);
    for (rm::Frame* wall : walls) {
        ASSERT_NE(wall, nullptr);
        ASSERT_EQ(wall->visuals().size(), 1u);
        EXPECT_EQ(wall->visuals()[0], walls[0]->visuals()[0]) << "one shared mesh";
        EXPECT_EQ(wall->GetZbufferMode(), rm::D3DRMZBUFFER_ENABLE);
    }
    EXPECT_NE(walls[0]->visuals()[0], one[0]->visuals()[0]);
    EXPECT_EQ(kr3DState.scene->children().back(), walls[179]) << "made in order";
    for (rm::Frame*& wall : walls)
        kr3D::DeleteObject(&wall);
    kr3D::DeleteObject(&one[0]);
}

TEST_F(Scene3DTest, TexturesWrapFlatOncePerTileOrAroundACylinder) {
    WriteSquareModel("SQUARE.X", 4);
    assets::Picture picture(4, 4, {255, 255, 255});
    WriteBitmap("TEX.BMP", picture);
    rm::Texture* texture = kr3D::LoadTexture("TEX.BMP");
    ASSERT_NE(texture, nullptr);
    auto uvOf = [](rm::Frame* frame, size_t vertex) {
        const auto* mesh = dynamic_cast<rm::Mesh*>(frame->visuals()[0]);
        const rm::MeshVertex& v = mesh->geometry().vertices[vertex];
        return std::pair<float, float>{v.u, v.v};
    };
    kr3D::SetTexture(texture, 0, 0, 1, 1);
    rm::Frame* once = kr3D::LoadObject("SQUARE.X", 0, nullptr);
    kr3D::SetTexture(texture, 0, 0, 2, 2);
    rm::Frame* twice = kr3D::LoadObject("SQUARE.X", 0, nullptr);
    kr3D::SetTexture(texture, 1, 1, 5, 5);
    rm::Frame* cylinder = kr3D::LoadObject("SQUARE.X", 0, nullptr);
    // Vertex 2 is the corner (4, -4): the right of the box and its bottom.
    EXPECT_FLOAT_EQ(uvOf(once, 2).first, 1);
    EXPECT_FLOAT_EQ(uvOf(once, 0).second, 1);
    EXPECT_FLOAT_EQ(uvOf(twice, 2).first, 2);
    EXPECT_FLOAT_EQ(uvOf(twice, 0).second, 2);
    EXPECT_FLOAT_EQ(uvOf(twice, 0).first, 0);
    // Around the y axis from +z: (4, -4, 0) lies a quarter turn away, the tiles play no part.
    EXPECT_FLOAT_EQ(uvOf(cylinder, 2).first, 0.75f);
    EXPECT_FLOAT_EQ(uvOf(cylinder, 2).second, 0);
    EXPECT_FLOAT_EQ(uvOf(cylinder, 0).second, 1);
    EXPECT_TRUE(dynamic_cast<rm::Mesh*>(cylinder->visuals()[0])->perspective());
    EXPECT_EQ(dynamic_cast<rm::Mesh*>(once->visuals()[0])->texture(), texture);
    for (rm::Frame* frame : {once, twice, cylinder})
        kr3D::DeleteObject(&frame);
    kr3D::ReleaseTexture(&texture);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(kr3D::LoadTexture("NONE.BMP"), nullptr);
    EXPECT_NE(ErrorTexts().back().find("テクスチャーを読み込めません"), std::string::npos);
}

TEST_F(Scene3DTest, FrameMaterialPutsColourAndTextureOnTheFrames) {
    WriteSquareModel("SQUARE.X");
    kr3D::SetFrameMaterial();
    kr3D::SetColor(0, 1, 0);
    rm::Frame* frame = kr3D::LoadObject("SQUARE.X", 0, nullptr);
    EXPECT_EQ(frame->GetMaterialMode(), rm::D3DRMMATERIAL_FROMFRAME);
    EXPECT_EQ(frame->GetColor(), 0xFF00FF00u);
    const auto* mesh = dynamic_cast<rm::Mesh*>(frame->visuals()[0]);
    EXPECT_EQ(mesh->geometry().vertices[0].colour, 0xFFFFFFFFu) << "the mesh keeps its own";
    EXPECT_EQ(kr3D::SetObjectGray(frame, 0.5f), rm::D3DRM_OK);
    EXPECT_EQ(frame->GetColor(), 0xFF808080u);
    EXPECT_EQ(kr3D::SetObjectColor(nullptr, 1, 1, 1), rm::D3DRMERR_BADOBJECT);
    kr3D::DeleteObject(&frame);
}

TEST_F(Scene3DTest, LightNumbersAndDirectionsAreChecked) {
    EXPECT_EQ(kr3D::CreateLight(0, 1, 1), 0);
    EXPECT_EQ(kr3D::CreateLight(4, 1, 1), 0);
    EXPECT_EQ(kr3D::CreateLight(1, 1, 10), 0);
    EXPECT_EQ(kr3D::CreateLight(7, 1, -1), 0) << "the number is tested first";
    const std::vector<std::string> texts = ErrorTexts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_NE(texts[0].find("ライトNoが範囲外です"), std::string::npos);
    EXPECT_NE(texts[1].find("ライトNoが範囲外です"), std::string::npos);
    EXPECT_NE(texts[2].find("ライト方向が異常です"), std::string::npos);
    EXPECT_NE(texts[3].find("ライトNoが範囲外です"), std::string::npos);
    EXPECT_EQ(kr3D::lights[1].frame, nullptr);
}

TEST_F(Scene3DTest, DirectionNineIsAParallelPointLightAtTheUpperRight) {
    ASSERT_EQ(kr3D::CreateLight(1, 0.8f, 9), 1);
    ASSERT_NE(kr3D::lights[1].light, nullptr);
    EXPECT_EQ(kr3D::lights[1].light->GetType(), rm::D3DRMLIGHT_PARALLELPOINT);
    ExpectNear(ScenePosition(kr3D::lights[1].frame), {100, 100, 0});
    ASSERT_EQ(kr3D::CreateLight(2, 0.5f, 0), 1);
    EXPECT_EQ(kr3D::lights[2].light->GetType(), rm::D3DRMLIGHT_POINT);
    ExpectNear(ScenePosition(kr3D::lights[2].frame), {0, 0, 0});
    // Made again, the slot's old light leaves the scene.
    rm::Frame* old = kr3D::lights[1].frame;
    old->AddRef();
    kr3D::CreateLight(1, 0.3f, 4);
    EXPECT_EQ(old->parent(), nullptr);
    old->Release();
    kr3D::SetAmbient(0.7f);
    EXPECT_EQ(kr3D::lights[0].light->GetType(), rm::D3DRMLIGHT_AMBIENT);
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
        EXPECT_FLOAT_EQ(kr3D::lights[1].position.x, 120);
        ExpectNear(ScenePosition(kr3D::lights[1].frame), {120 * f, -5 * f, -2 * f});
        kr3D::MoveLight(1);
        EXPECT_FLOAT_EQ(kr3D::lights[1].position.x, 90);
    }
    SixtyFramesASecond();
    kr3D::MoveLight(9);  // no such light: nothing happens
    kr3D::LightOff(1);
    EXPECT_EQ(kr3D::lights[1].frame->parent(), nullptr);
    kr3D::LightOn(1);
    EXPECT_EQ(kr3D::lights[1].frame->parent(), kr3DState.scene);
}

TEST_F(Scene3DTest, TheGamesCameraIsA480By360ViewAt0And60) {
    ASSERT_EQ(kr3D::CreateCamera(1, 0, 60, 480, 420), 1);
    const rm::Viewport* viewport = kr3D::cameras[0].viewport;
    ASSERT_NE(viewport, nullptr);
    const RECT r = viewport->rect();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.right - r.left, 480);
    EXPECT_EQ(r.bottom - r.top, 360);
    EXPECT_FLOAT_EQ(viewport->GetFront(), 1);
    EXPECT_FLOAT_EQ(viewport->GetBack(), 2000);
    kr3D::SetCameraDepth(1, 3000, 6000);  // a front beyond the old back
    EXPECT_FLOAT_EQ(viewport->GetFront(), 3000);
    EXPECT_FLOAT_EQ(viewport->GetBack(), 6000);
    EXPECT_EQ(kr3D::CreateCamera(5, 0, 0, 10, 10), 0);
    EXPECT_EQ(kr3D::CreateCamera(0, 0, 0, 10, 10), 0);
    EXPECT_NE(ErrorTexts().back().find("カメラNoが範囲外です"), std::string::npos);
    kr3D::HideCamera(1, 0);
    EXPECT_EQ(kr3D::cameras[0].viewport->rect().right, 0);
    kr3D::ShowCamera(1);
    EXPECT_EQ(kr3D::cameras[0].viewport->rect().right, 480);
    kr3D::SetCameraRect(3, 0, 0, 10, 10, 0);  // never created: only the rectangle is kept
    kr3D::ShowCamera(7);
}

}  // namespace
