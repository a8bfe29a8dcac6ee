// Frame transforms, hierarchy and motion of the retained-mode layer.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/rm/rm.h"

namespace {

using rm::D3DVECTOR;
constexpr float kPi = std::numbers::pi_v<float>;

class FrameTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(rm::Direct3DRMCreate(&rm_), rm::D3DRM_OK);
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
    static D3DVECTOR WorldPosition(rm::Frame* frame) {
        D3DVECTOR p{};
        frame->GetPosition(nullptr, &p);
        return p;
    }

    rm::Direct3DRM* rm_ = nullptr;
    rm::Frame* root_ = nullptr;
};

void ExpectNear(D3DVECTOR actual, D3DVECTOR expected, float tolerance = 1e-4f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

D3DVECTOR Direction(rm::Frame* frame) {
    D3DVECTOR direction{}, up{};
    frame->GetOrientation(nullptr, &direction, &up);
    return direction;
}

TEST_F(FrameTest, ReplaceDropsTheTurnAndScale) {
    rm::Frame* frame = Child(root_);
    frame->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 1, 0, 0.7f);
    frame->AddScale(rm::D3DRMCOMBINE_BEFORE, 2, 2, 2);
    frame->AddTranslation(rm::D3DRMCOMBINE_REPLACE, 1, 2, 3);
    rm::D3DRMMATRIX4D m;
    frame->GetTransform(m);
    const float expected[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 2, 3, 1}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_FLOAT_EQ(m[r][c], expected[r][c]) << r << "," << c;
}

TEST_F(FrameTest, BeforeMovesAlongTheFramesOwnAxesAndAccumulates) {
    rm::Frame* frame = Child(root_);
    frame->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 1, 0, kPi / 2);  // own +z is now world +x
    frame->AddTranslation(rm::D3DRMCOMBINE_BEFORE, 0, 0, 1);
    frame->AddTranslation(rm::D3DRMCOMBINE_BEFORE, 0, 0, 1);
    ExpectNear(WorldPosition(frame), {2, 0, 0});
    // A positive turn about +y takes +z toward +x: clockwise seen from above in a left-handed
    // world.
    ExpectNear(Direction(frame), {1, 0, 0});
}

TEST_F(FrameTest, AfterTurnsThePositionAboutTheParentsOrigin) {
    rm::Frame* frame = Child(root_);
    frame->AddTranslation(rm::D3DRMCOMBINE_REPLACE, 0, 0, 5);
    frame->AddRotation(rm::D3DRMCOMBINE_AFTER, 0, 1, 0, kPi / 2);
    ExpectNear(WorldPosition(frame), {5, 0, 0});
    frame->AddTranslation(rm::D3DRMCOMBINE_AFTER, 0, 1, 0);  // parent axes, not own
    ExpectNear(WorldPosition(frame), {5, 1, 0});
}

TEST_F(FrameTest, SixteenTurnsOfTwentyTwoAndAHalfDegreesMakeAFullCircle) {
    rm::Frame* frame = Child(root_);
    frame->AddTranslation(rm::D3DRMCOMBINE_REPLACE, 3, 0, 4);
    const float step = 22.5f * float(3.141592653589793 / 180.0);
    for (int i = 0; i < 8; ++i)
        frame->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 1, 0, step);
    ExpectNear(Direction(frame), {0, 0, -1});  // half way: facing back
    for (int i = 0; i < 8; ++i)
        frame->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 1, 0, step);
    ExpectNear(Direction(frame), {0, 0, 1});
    ExpectNear(WorldPosition(frame), {3, 0, 4});
}

TEST_F(FrameTest, ScaleBeforeKeepsThePositionScaleAfterScalesIt) {
    rm::Frame* frame = Child(root_);
    frame->AddTranslation(rm::D3DRMCOMBINE_REPLACE, 1, 1, 1);
    frame->AddScale(rm::D3DRMCOMBINE_BEFORE, 2, 3, 4);
    ExpectNear(WorldPosition(frame), {1, 1, 1});
    frame->AddScale(rm::D3DRMCOMBINE_AFTER, 2, 3, 4);
    ExpectNear(WorldPosition(frame), {2, 3, 4});
}

TEST_F(FrameTest, ATurnAboutNoAxisChangesNothing) {
    rm::Frame* frame = Child(root_);
    frame->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 0, 0, 1.0f);
    ExpectNear(Direction(frame), {0, 0, 1});
    D3DVECTOR up{}, direction{};
    frame->GetOrientation(nullptr, &direction, &up);
    ExpectNear(up, {0, 1, 0});
    rm::D3DRMMATRIX4D m;
    frame->GetTransform(m);
    EXPECT_FLOAT_EQ(m[0][0], 1) << "not shrunk";
}

TEST_F(FrameTest, NonAffineTransformsAreRefused) {
    rm::Frame* frame = Child(root_);
    const float projective[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 1}, {0, 0, 0, 0}};
    EXPECT_EQ(frame->AddTransform(rm::D3DRMCOMBINE_REPLACE, projective), rm::D3DRMERR_BADVALUE);
    ExpectNear(Direction(frame), {0, 0, 1});
}

TEST_F(FrameTest, PositionsAreRelativeToTheReferenceAndKeepTheOrientation) {
    rm::Frame* reference = Child(root_);
    reference->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 1, 0, kPi / 2);
    reference->AddTranslation(rm::D3DRMCOMBINE_AFTER, 10, 0, 0);
    rm::Frame* frame = Child(root_);
    frame->AddRotation(rm::D3DRMCOMBINE_BEFORE, 1, 0, 0, 0.3f);
    const D3DVECTOR before = Direction(frame);
    frame->SetPosition(reference, 0, 0, 2);  // two units along the reference's +z (world +x)
    ExpectNear(WorldPosition(frame), {12, 0, 0});
    ExpectNear(Direction(frame), before);
    D3DVECTOR seen{};
    frame->GetPosition(reference, &seen);
    ExpectNear(seen, {0, 0, 2});
}

TEST_F(FrameTest, SetPositionUnderAMovedParentLandsAtTheWorldPoint) {
    rm::Frame* parent = Child(root_);
    parent->AddTranslation(rm::D3DRMCOMBINE_REPLACE, 5, 5, 5);
    parent->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 0, 1, 1.0f);
    rm::Frame* frame = Child(parent);
    frame->SetPosition(root_, 1, 2, 3);
    ExpectNear(WorldPosition(frame), {1, 2, 3});
}

TEST_F(FrameTest, OrientationRoundTripsAndRefusesAnUpAlongTheDirection) {
    rm::Frame* frame = Child(root_);
    ASSERT_EQ(frame->SetOrientation(nullptr, 1, 0, 1, 0, 1, 0), rm::D3DRM_OK);
    D3DVECTOR direction{}, up{};
    frame->GetOrientation(nullptr, &direction, &up);
    ExpectNear(direction, {0.70710678f, 0, 0.70710678f});
    ExpectNear(up, {0, 1, 0});
    EXPECT_EQ(frame->SetOrientation(nullptr, 0, 2, 0, 0, 1, 0), rm::D3DRMERR_BADVALUE);
    ExpectNear(Direction(frame), {0.70710678f, 0, 0.70710678f});
}

TEST_F(FrameTest, LookAtPointsTheFrameAtTheTargetWithoutRoll) {
    rm::Frame* eye = Child(root_);
    eye->SetPosition(nullptr, 0, 0, -10);
    eye->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 0, 1, 0.8f);  // a roll the look must remove
    rm::Frame* target = Child(root_);
    target->SetPosition(nullptr, 10, 10, 0);
    ASSERT_EQ(eye->LookAt(target, root_, rm::D3DRMCONSTRAIN_Z), rm::D3DRM_OK);
    D3DVECTOR direction{}, up{};
    eye->GetOrientation(nullptr, &direction, &up);
    const float third = 1.0f / std::sqrt(3.0f);
    ExpectNear(direction, {third, third, third});
    D3DVECTOR right{};
    const D3DVECTOR one{1, 0, 0};
    eye->Transform(&right, &one);
    EXPECT_NEAR(right.y, 0, 1e-4f) << "the frame's x axis stays level";
    ExpectNear(WorldPosition(eye), {0, 0, -10});
}

TEST_F(FrameTest, MovingAChildKeepsItsLocalTransform) {
    rm::Frame* a = Child(root_);
    a->SetPosition(nullptr, 5, 0, 0);
    rm::Frame* b = Child(root_);
    b->SetPosition(nullptr, 0, 0, 7);
    rm::Frame* child = Child(a);
    child->SetPosition(a, 1, 0, 0);
    ExpectNear(WorldPosition(child), {6, 0, 0});
    ASSERT_EQ(b->AddChild(child), rm::D3DRM_OK);
    ExpectNear(WorldPosition(child), {1, 0, 7});
    EXPECT_TRUE(a->children().empty());
    rm::Frame* parent = nullptr;
    child->GetParent(&parent);
    EXPECT_EQ(parent, b);
    parent->Release();
}

TEST_F(FrameTest, DeleteChildDetachesAndCyclesAreRefused) {
    rm::Frame* a = Child(root_);
    rm::Frame* b = Child(a);
    EXPECT_EQ(b->AddChild(a), rm::D3DRMERR_BADVALUE);
    EXPECT_EQ(a->AddChild(a), rm::D3DRMERR_BADVALUE);
    b->AddRef();
    EXPECT_EQ(a->DeleteChild(b), rm::D3DRM_OK);
    EXPECT_EQ(b->parent(), nullptr);
    EXPECT_EQ(a->DeleteChild(b), rm::D3DRMERR_BADVALUE);
    rm::Frame* none = a;
    b->GetParent(&none);
    EXPECT_EQ(none, nullptr);
    b->Release();
}

TEST_F(FrameTest, TickMovesByVelocityAndTurnsByRotationTimesDelta) {
    rm::Frame* frame = Child(root_);
    frame->SetVelocity(root_, 1, 0, 0, FALSE);
    frame->SetRotation(root_, 0, 1, 0, kPi / 4);
    rm_->Tick(2);
    ExpectNear(WorldPosition(frame), {2, 0, 0});
    ExpectNear(Direction(frame), {1, 0, 0});
    D3DVECTOR velocity{};
    frame->GetVelocity(root_, &velocity, FALSE);
    ExpectNear(velocity, {1, 0, 0});
}

TEST_F(FrameTest, AVelocityWithRotationTurnsWithTheFrame) {
    rm::Frame* frame = Child(root_);
    frame->SetVelocity(frame, 0, 0, 1, TRUE);  // forward, whatever forward becomes
    frame->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 1, 0, kPi / 2);
    rm_->Tick(3);
    ExpectNear(WorldPosition(frame), {3, 0, 0});
}

TEST_F(FrameTest, BackgroundLivesOnTheSceneRoot) {
    rm::Frame* frame = Child(root_);
    EXPECT_EQ(root_->GetSceneBackground(), 0xFF000000u);
    frame->SetSceneBackgroundRGB(1.0f, 0.5f, 0.0f);
    EXPECT_EQ(root_->GetSceneBackground(), 0xFFFF8000u);
}

}  // namespace
