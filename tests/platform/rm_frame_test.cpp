// Frame transforms, hierarchy and motion of the retained-mode layer.
#include <gtest/gtest.h>

#include <numbers>

#include "platform/rm/rm.h"
#include "scene3d/scene3d_fixture.h"

namespace {

using rm::D3DVECTOR;
constexpr float kPi = std::numbers::pi_v<float>;

class FrameTest : public testing::Test {
  protected:
    void SetUp() override {
        rm::Direct3DRMCreate(&rm_);
        rm_->CreateFrame(nullptr, &root_);
    }
    void TearDown() override {
        root_->Release();
        rm_->Release();
    }
    rm::Frame* Child(rm::Frame* parent) {
        rm::Frame* frame = nullptr;
        rm_->CreateFrame(parent, &frame);
        frame->Release();  // the parent holds it
        return frame;
    }

    rm::Direct3DRM* rm_ = nullptr;
    rm::Frame* root_ = nullptr;
};

void ExpectPlaced(rm::Frame* frame, D3DVECTOR position, D3DVECTOR direction) {
    D3DVECTOR at{}, facing{}, up{};
    frame->GetPosition(nullptr, &at);
    frame->GetOrientation(nullptr, &facing, &up);
    ExpectNear(at, position);
    ExpectNear(facing, direction);
}

// A positive turn about +y takes +z toward +x: clockwise seen from above in a left-handed world.
// Before combines in the frame's own axes; replace drops the turn.
TEST_F(FrameTest, BeforeMovesAlongTheFramesOwnAxesAndBadTurnsChangeNothing) {
    rm::Frame* frame = Child(root_);
    frame->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 1, 0, kPi / 2);
    frame->AddTranslation(rm::D3DRMCOMBINE_BEFORE, 0, 0, 1);
    frame->AddTranslation(rm::D3DRMCOMBINE_BEFORE, 0, 0, 1);
    ExpectPlaced(frame, {2, 0, 0}, {1, 0, 0});
    frame->AddTranslation(rm::D3DRMCOMBINE_REPLACE, 1, 2, 3);
    ExpectPlaced(frame, {1, 2, 3}, {0, 0, 1});
    // A turn about no axis and a non-affine transform change nothing.
    frame->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 0, 0, 1.0f);
    const float projective[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 1}, {0, 0, 0, 0}};
    EXPECT_EQ(frame->AddTransform(rm::D3DRMCOMBINE_BEFORE, projective), rm::D3DRMERR_BADVALUE);
    EXPECT_EQ(frame->SetOrientation(nullptr, 0, 2, 0, 0, 1, 0), rm::D3DRMERR_BADVALUE);
    frame->AddTranslation(rm::D3DRMCOMBINE_BEFORE, 0, 0, 1);
    ExpectPlaced(frame, {1, 2, 4}, {0, 0, 1});
}

TEST_F(FrameTest, DeleteChildDetachesCyclesAreRefusedAndTheBackgroundIsTheRootsOwn) {
    rm::Frame* a = Child(root_);
    rm::Frame* b = Child(a);
    EXPECT_EQ(b->AddChild(a), rm::D3DRMERR_BADVALUE);
    EXPECT_EQ(a->AddChild(a), rm::D3DRMERR_BADVALUE);
    b->AddRef();
    EXPECT_EQ(a->DeleteChild(b), rm::D3DRM_OK);
    EXPECT_EQ(b->parent(), nullptr);
    EXPECT_EQ(a->DeleteChild(b), rm::D3DRMERR_BADVALUE);
    b->Release();
    EXPECT_EQ(root_->GetSceneBackground(), 0xFF000000u);
    a->SetSceneBackgroundRGB(1.0f, 0.5f, 0.0f);
    EXPECT_EQ(root_->GetSceneBackground(), 0xFFFF8000u);
}

}  // namespace
