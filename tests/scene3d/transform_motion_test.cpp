// kr3D: frame transforms in framework axes, motion slots, hierarchy, projection and picking.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/crt/crt.h"
#include "scene3d/scene3d_fixture.h"

namespace {

class Scene3DMotionTest : public Scene3DTest {
  protected:
    void SetUp() override {
        Scene3DTest::SetUp();
        SixtyFramesASecond();
        ASSERT_EQ(kr3D::CreateCamera(1, 0, 60, 480, 420), 1);
    }
    rm::Frame* camera() const { return kr3D::cameras[0].frame; }
};

TEST_F(Scene3DMotionTest, FrameworkAxesTurnYAndZAround) {
    rm::Frame* frame = kr3D::CreateObject();
    kr3D::SetPosition(frame, 0, 16, 8);
    ExpectNear(ScenePosition(frame), {0, -16, -8});
    kr3D::MoveY(frame, 2);
    kr3D::MoveZ(frame, 1);
    kr3D::MoveX(frame, 3);
    ExpectNear(ScenePosition(frame), {3, -18, -9});
    kr3D::DeleteObject(&frame);
}

TEST_F(Scene3DMotionTest, SetPositionDropsTheTurnSetCameraPositionKeepsTheHeading) {
    rm::Frame* frame = kr3D::CreateObject();
    kr3D::RotateY(frame, 90);
    kr3D::SetPosition(frame, 1, 2, 3);
    ExpectNear(Direction(frame), {0, 0, 1});
    kr3D::RotateCameraY(1, 90);
    kr3D::SetCameraPosition(1, 8, 0, 8);
    ExpectNear(Direction(camera()), {1, 0, 0});
    ExpectNear(ScenePosition(camera()), {8, 0, -8});
    kr3D::SetCameraX(1, 5);
    ExpectNear(ScenePosition(camera()), {5, 0, 0});
    kr3D::SetCameraZ(1, 5);
    ExpectNear(ScenePosition(camera()), {0, 0, -5});
    kr3D::DeleteObject(&frame);
}

TEST_F(Scene3DMotionTest, SixteenQuarterStepsMakeAFullCircleAndZeroRotationsChangeNothing) {
    for (int i = 0; i < 4; ++i)
        kr3D::RotateCameraY(1, 22.5f);
    ExpectNear(Direction(camera()), {1, 0, 0});
    for (int i = 0; i < 12; ++i)
        kr3D::RotateCameraY(1, 22.5f);
    ExpectNear(Direction(camera()), {0, 0, 1});
    kr3D::RotateCamera(1, 0, 0, 0, 45);
    kr3D::SpinCamera(1, 0, 0, 0);
    ExpectNear(Direction(camera()), {0, 0, 1});
    kr3D::RotateCamera(1, 1, 0, 0, 90);  // yaw: about y
    ExpectNear(Direction(camera()), {1, 0, 0});
    kr3D::RotateCameraY(9, 10);  // no such camera: nothing happens
}

TEST_F(Scene3DMotionTest, FollowAndOrbitPlaceTheCameraAroundItsTarget) {
    rm::Frame* target = kr3D::CreateObject();
    kr3D::SetPosition(target, 10, 0, -10);
    kr3D::RotateY(target, 90);
    kr3D::CameraFollow(1, target, 0, 0, 5);
    ExpectNear(Direction(camera()), {1, 0, 0});
    ExpectNear(ScenePosition(camera()), {5, 0, 10});
    kr3D::CameraOrbit(1, target, 90, 0, 5);
    ExpectNear(Direction(camera()), {0, 0, -1});
    ExpectNear(ScenePosition(camera()), {10, 0, 15});
    kr3D::LookAt(camera(), target);
    ExpectNear(Direction(camera()), {0, 0, -1});
    EXPECT_FLOAT_EQ(kr3D::GetDistance(camera(), target), 5);
    EXPECT_FLOAT_EQ(kr3D::GetDistance(target, target), 0);
    EXPECT_NEAR(kr3D::GetDistanceFromOrigin(target), 14.142136f, 1e-4f);
    kr3D::DeleteObject(&target);
}

// One frame of the game's kind: drive, update, render.
void DriveCameraForward() {
    kr3D::SetCameraAcceleration(1000, 0);
    kr3D::AccelerateCameraZ(1);
    kr3D::UpdateCamera();
    kr3D::Render();
}

// At F frames a second the frame-time factor is f = 60 / F: each call adds f to the speed and
// each update moves by the speed times f, so five frames reach speed 5f and 15f² units.
TEST_F(Scene3DMotionTest, ADrivenCameraScalesItsMotionByTheFrameTime) {
    for (const float fps : {30.0f, 45.0f, 60.0f}) {  // 60 last: the release below runs at it
        kr3D::SetCameraPosition(1, 0, 0, 0);
        kr3D::ClearCameraMotion();
        krSystemState.frameSeconds = 1.0f / fps;
        const float f = 60.0f / fps;
        float before = 0;
        for (int n = 1; n <= 5; ++n) {
            before = ScenePosition(camera()).z;
            DriveCameraForward();
        }
        EXPECT_NEAR(kr3D::cameraMotion[0].move[2].speed, 5 * f, 1e-4f) << fps;
        EXPECT_NEAR(before - ScenePosition(camera()).z, 5 * f * f, 1e-3f) << fps;
        EXPECT_NEAR(ScenePosition(camera()).z, -15 * f * f, 1e-3f) << "+z is scene -z; " << fps;
        // Spin turns by its rate in radians a second times the frame's seconds, unscaled.
        kr3D::SpinCamera(1, 1, 0, 0);
        const float angle = 1.0f / fps;
        ExpectNear(Direction(camera()), {std::sin(angle), 0, std::cos(angle)}, 1e-5f);
        kr3D::SpinCamera(1, -1, 0, 0);
    }
    // Released: the speed falls by the acceleration each call to rest, then starts afresh.
    for (int n = 0; n < 5; ++n) {
        kr3D::SetCameraAcceleration(1000, 0);
        kr3D::AccelerateCameraZ(0);
        kr3D::UpdateCamera();
        kr3D::Render();
    }
    EXPECT_EQ(kr3D::cameraMotion[0].move[2].speed, 0);
    EXPECT_EQ(kr3D::cameraMotion[0].move[2].direction, 0);
    kr3D::SetCameraAcceleration(1000, 0);
    kr3D::AccelerateCameraZ(-1);
    EXPECT_FLOAT_EQ(kr3D::cameraMotion[0].move[2].velocity, -1);
}

TEST_F(Scene3DMotionTest, ReversingBrakesFirstAndNothingDrivenMovesNothing) {
    kr3D::SetCameraAcceleration(1000, 0);
    kr3D::AccelerateCameraX(1);
    kr3D::AccelerateCameraX(1);
    kr3D::AccelerateCameraX(-1);
    EXPECT_FLOAT_EQ(kr3D::cameraMotion[0].move[0].velocity, 1) << "still the old way";
    kr3D::BrakeCameraX();
    EXPECT_EQ(kr3D::cameraMotion[0].move[0].speed, 0);
    kr3D::BrakeCameraX();  // idle: nothing
    EXPECT_EQ(kr3D::cameraMotion[0].move[0].speed, 0);
    kr3D::ClearCameraMotion();
    const rm::D3DVECTOR at = ScenePosition(camera());
    EXPECT_EQ(kr3D::UpdateCamera(), 1);
    ExpectNear(ScenePosition(camera()), at);
    ExpectNear(Direction(camera()), {0, 0, 1});
}

TEST_F(Scene3DMotionTest, ModelSpeedsStopAtTheirMaximaCameraSpeedsDoNot) {
    rm::Frame* model = kr3D::CreateObject();
    for (int i = 0; i < 10; ++i) {
        kr3D::SetModelAcceleration(1000, 1000, 3000, 2000);
        kr3D::AccelerateModelX(1);
        kr3D::TurnModelY(-1);
        kr3D::UpdateModel(model);
        kr3D::SetCameraAcceleration(1000, 1000);
        kr3D::TurnCameraY(1);
        kr3D::UpdateCamera();
        kr3D::Render();
    }
    EXPECT_FLOAT_EQ(kr3D::modelMotion[0].move[0].speed, 3);
    EXPECT_FLOAT_EQ(kr3D::modelMotion[0].turn[0].speed, 2);
    EXPECT_FLOAT_EQ(kr3D::modelMotion[0].turn[0].axis, -1);
    EXPECT_FLOAT_EQ(kr3D::cameraMotion[0].turn[0].speed, 10);
    float speed = 0;
    int32_t direction = 0;
    kr3D::GetModelMotionX(&speed, &direction);
    EXPECT_FLOAT_EQ(speed, 3);
    EXPECT_EQ(direction, 1);
    kr3D::ReverseModelMotion();
    EXPECT_FLOAT_EQ(kr3D::modelMotion[0].turn[0].axis, 1);
    kr3D::DeleteObject(&model);
}

TEST_F(Scene3DMotionTest, SlotsFollowTheOrderOfTheUpdatesWithinAFrame) {
    kr3D::SetModelAcceleration(1000, 0, 9000, 0);
    kr3D::AccelerateModelZ(1);
    kr3D::ThroughModel();
    kr3D::ThroughModel();
    kr3D::SetModelAcceleration(2000, 0, 9000, 0);
    kr3D::AccelerateModelZ(1);
    kr3D::ThroughModel();
    kr3D::Render();
    kr3D::ThroughModel();
    kr3D::ThroughModel();
    kr3D::Render();
    EXPECT_FLOAT_EQ(kr3D::modelMotion[0].move[2].speed, 1);
    EXPECT_FLOAT_EQ(kr3D::modelMotion[1].move[2].speed, 0);
    EXPECT_FLOAT_EQ(kr3D::modelMotion[2].move[2].speed, 2) << "kept for the next frame of three";
    kr3D::SaveModelMotion();
    kr3D::ClearModelMotion();
    EXPECT_EQ(kr3D::modelMotion[0].move[2].speed, 0);
    kr3D::RestoreModelMotion();
    EXPECT_FLOAT_EQ(kr3D::modelMotion[0].move[2].speed, 1);
}

TEST_F(Scene3DMotionTest, AFifthCameraAndA257thModelAreRefusedAndTouchNothingBeyond) {
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(kr3D::UpdateCamera(), 1);
    kr3D::SetCameraAcceleration(1000, 1000);  // past the table: ignored
    kr3D::AccelerateCameraX(1);
    EXPECT_EQ(kr3D::UpdateCamera(), 0);
    EXPECT_EQ(kr3DState.cameraCursor, 3);
    EXPECT_NE(ErrorTexts().back().find("kr3D::UpdateCamera"), std::string::npos);
    EXPECT_NE(ErrorTexts().back().find("オブジェクト数が多すぎます"), std::string::npos);
    EXPECT_EQ(kr3D::ThroughCamera(), 1);
    EXPECT_EQ(kr3D::ThroughCamera(), 0);
    EXPECT_NE(ErrorTexts().back().find("kr3D::ThroughCamera"), std::string::npos);
    for (const kr3D::MotionSlot& slot : kr3D::cameraMotion)
        EXPECT_EQ(slot.move[0].speed, 0);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(kr3D::ThroughModel(), 1);
    kr3D::RandomModelMotion(50);
    kr3D::SetModelAcceleration(1, 1, 1, 1);
    EXPECT_EQ(kr3D::UpdateModel(nullptr), 0);
    EXPECT_EQ(kr3DState.modelCursor, 255);
    EXPECT_NE(ErrorTexts().back().find("kr3D::UpdateModel"), std::string::npos);
    for (const kr3D::MotionSlot& slot : kr3D::modelMotion)
        EXPECT_EQ(slot.moveAcceleration, 0);
}

TEST_F(Scene3DMotionTest, RandomMotionDrawsInItsOrderAndZeroRangeIsRefused) {
    crt::srand(5);
    kr3D::RandomModelMotion(100);
    crt::srand(5);
    const float zSpeed = float(crt::rand() % 100) / 100.0f;
    const int32_t zDirection = crt::rand() % 2 == 1 ? 1 : -1;
    EXPECT_FLOAT_EQ(kr3D::modelMotion[0].move[2].speed, zSpeed);
    EXPECT_EQ(kr3D::modelMotion[0].move[2].direction, zDirection);
    EXPECT_FLOAT_EQ(kr3D::modelMotion[0].move[2].velocity, float(zDirection) * zSpeed);
    const kr3D::MotionSlot before = kr3D::modelMotion[0];
    kr3D::RandomModelMotion(0);
    EXPECT_EQ(kr3D::modelMotion[0].move[2].speed, before.move[2].speed);
}

TEST_F(Scene3DMotionTest, ProjectionGivesSaturatedPixelsOrMinus9999BehindAndOnTheBackPlane) {
    rm::Frame* frame = kr3D::CreateObject();
    kr3D::SetPosition(frame, 0, 0, -10);
    int32_t x = 0, y = 0;
    float depth = 0;
    kr3D::ProjectObject(frame, 1, &x, &y, &depth);
    EXPECT_EQ(x, 240);
    EXPECT_EQ(y, 240);
    EXPECT_GT(depth, 0);
    kr3D::SetPosition(frame, 0, 0, -2000);
    kr3D::ProjectObject(frame, 1, &x, &y, &depth);
    EXPECT_EQ(x, -9999);
    EXPECT_EQ(y, -9999);
    EXPECT_EQ(depth, -9999.0f);
    kr3D::SetPosition(frame, 0, 0, 10);
    kr3D::ProjectObject(frame, 1, &x, &y, &depth);
    EXPECT_EQ(x, -9999);
    kr3D::ProjectObject(frame, 4, &x, &y, &depth);  // never created
    EXPECT_EQ(x, -9999);
    // Far to the side of the camera the pixel leaves the 32-bit range and saturates.
    kr3D::SetPosition(frame, 1e12f, 1e12f, -10);
    kr3D::ProjectObject(frame, 1, &x, &y, &depth);
    EXPECT_EQ(x, INT32_MAX);
    EXPECT_EQ(y, INT32_MAX);
    kr3D::SetPosition(frame, -1e12f, -1e12f, -10);
    kr3D::ProjectObject(frame, 1, &x, &y, &depth);
    EXPECT_EQ(x, INT32_MIN);
    EXPECT_EQ(y, INT32_MIN);
    kr3D::DeleteObject(&frame);
}

TEST_F(Scene3DMotionTest, PickingTellsWhichGroupIsUnderThePoint) {
    WriteSquareModel("SQUARE.X", 4);
    rm::Frame* group = kr3D::CreateObject();
    rm::Frame* other = kr3D::CreateObject();
    kr3D::SetParent(group);
    rm::Frame* inGroup = kr3D::LoadObject("SQUARE.X", 0, nullptr);
    kr3D::SetParent(other);
    rm::Frame* inOther = kr3D::LoadObject("SQUARE.X", 0, nullptr);
    EXPECT_EQ(kr3D::GetParent(inGroup), group);
    kr3D::SetPosition(inGroup, 0, 0, -20);
    kr3D::SetPosition(inOther, 0, 0, -40);
    EXPECT_EQ(kr3D::PickObject(240, 240, 1, group, other), 1);
    EXPECT_EQ(kr3D::PickObject(240, 240, 1, other, group), 2) << "the nearest pick decides";
    EXPECT_EQ(kr3D::PickObject(240, 240, 1, kr3DState.scene, nullptr), 1)
        << "the root is the parent of every group";
    kr3D::HideObject(inGroup);  // not the scene root's child: unaffected
    kr3D::DetachObject(group, inGroup);
    EXPECT_EQ(kr3D::PickObject(240, 240, 1, group, nullptr), 0) << "B null never gives 2";
    EXPECT_EQ(kr3D::PickObject(240, 240, 1, group, other), 2);
    EXPECT_EQ(kr3D::PickObject(5, 5, 1, group, other), 0);
    EXPECT_EQ(kr3D::PickObject(240, 240, 3, group, other), 0) << "no such camera";
    kr3D::AttachObject(group, inGroup);
    EXPECT_EQ(kr3D::PickObject(240, 240, 1, group, other), 1);
    for (rm::Frame* frame : {inGroup, inOther, group, other})
        kr3D::DeleteObject(&frame);
}

TEST_F(Scene3DMotionTest, HideAndShowTakeAFrameOutOfTheSceneAndBack) {
    rm::Frame* frame = kr3D::CreateObject();
    kr3D::SetPosition(frame, 1, 2, 3);
    kr3D::HideObject(frame);
    EXPECT_EQ(frame->parent(), nullptr);
    kr3D::ShowObject(frame);
    EXPECT_EQ(frame->parent(), kr3DState.scene);
    ExpectNear(ScenePosition(frame), {1, -2, -3});
    kr3D::DeleteObject(&frame);
}

}  // namespace
