// Frame transforms, hierarchy and motion of the retained-mode layer.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/rm/rm.h"
#include "scene3d/scene3d_fixture.h"

namespace {

using rm::D3DVECTOR;
constexpr float kPi = std::numbers::pi_v<float>;

class FrameTest : public testing::Test {
  public:
    rm::Direct3DRM* rm() { return rm_; }
    rm::Frame* Child(rm::Frame* parent) {
        rm::Frame* frame = nullptr;
        rm_->CreateFrame(parent, &frame);
        frame->Release();  // the parent holds it
        return frame;
    }

  protected:
    void SetUp() override {
        ASSERT_EQ(rm::Direct3DRMCreate(&rm_), rm::D3DRM_OK);
        rm_->CreateFrame(nullptr, &root_);
    }
    void TearDown() override {
        root_->Release();
        rm_->Release();
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
TEST_F(FrameTest, BeforeCombinesInTheFramesOwnAxesAfterInItsParents) {
    rm::Frame* before = Child(root_);
    before->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 1, 0, kPi / 2);
    before->AddTranslation(rm::D3DRMCOMBINE_BEFORE, 0, 0, 1);
    before->AddTranslation(rm::D3DRMCOMBINE_BEFORE, 0, 0, 1);
    ExpectPlaced(before, {2, 0, 0}, {1, 0, 0});
    rm::Frame* after = Child(root_);
    after->AddTranslation(rm::D3DRMCOMBINE_REPLACE, 0, 0, 5);
    after->AddRotation(rm::D3DRMCOMBINE_AFTER, 0, 1, 0, kPi / 2);
    after->AddTranslation(rm::D3DRMCOMBINE_AFTER, 0, 1, 0);
    ExpectPlaced(after, {5, 1, 0}, {1, 0, 0});
    rm::Frame* scaled = Child(root_);
    scaled->AddTranslation(rm::D3DRMCOMBINE_REPLACE, 1, 1, 1);
    scaled->AddScale(rm::D3DRMCOMBINE_BEFORE, 2, 3, 4);  // keeps the position
    scaled->AddScale(rm::D3DRMCOMBINE_AFTER, 2, 3, 4);   // scales it
    ExpectPlaced(scaled, {2, 3, 4}, {0, 0, 1});
    // A turn about no axis and a non-affine transform change nothing.
    rm::Frame* still = Child(root_);
    still->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 0, 0, 1.0f);
    const float projective[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 1}, {0, 0, 0, 0}};
    EXPECT_EQ(still->AddTransform(rm::D3DRMCOMBINE_BEFORE, projective), rm::D3DRMERR_BADVALUE);
    still->AddTranslation(rm::D3DRMCOMBINE_BEFORE, 0, 0, 1);
    ExpectPlaced(still, {0, 0, 1}, {0, 0, 1});
}

TEST_F(FrameTest, PositionsAreSetRelativeToTheReferenceAndChildrenMoveWithTheirParents) {
    rm::Frame* reference = Child(root_);
    reference->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 1, 0, kPi / 2);
    reference->AddTranslation(rm::D3DRMCOMBINE_AFTER, 10, 0, 0);
    rm::Frame* frame = Child(root_);
    frame->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 1, 0, -kPi / 2);
    frame->SetPosition(reference, 0, 0, 2);  // along the reference's +z, world +x
    ExpectPlaced(frame, {12, 0, 0}, {-1, 0, 0});
    rm::Frame* child = Child(reference);
    child->SetPosition(root_, 1, 2, 3);
    ExpectPlaced(child, {1, 2, 3}, {1, 0, 0});
    ASSERT_EQ(frame->AddChild(child), rm::D3DRM_OK);  // keeps its local transform
    ExpectPlaced(child, {21, 2, -3}, {-1, 0, 0});
    EXPECT_TRUE(reference->children().empty());
}

TEST_F(FrameTest, TickMovesByVelocityAndTurnsByRotationTimesDelta) {
    rm::Frame* frame = Child(root_);
    frame->SetVelocity(root_, 1, 0, 0, FALSE);
    frame->SetRotation(root_, 0, 1, 0, kPi / 4);
    rm::Frame* forward = Child(root_);
    forward->SetVelocity(forward, 0, 0, 1, TRUE);  // forward, whatever forward becomes
    forward->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 1, 0, kPi / 2);
    rm_->Tick(2);
    ExpectPlaced(frame, {2, 0, 0}, {1, 0, 0});
    ExpectPlaced(forward, {2, 0, 0}, {1, 0, 0});
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
