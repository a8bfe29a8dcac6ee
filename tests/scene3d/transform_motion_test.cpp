// kr3D: frame transforms in framework axes, motion slots, hierarchy, projection and picking.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>

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

TEST_F(Scene3DMotionTest, FrameworkAxesTurnYAndZAroundAndOnlyCamerasKeepTheirHeading) {
    rm::Frame* frame = kr3D::CreateObject();
    kr3D::RotateY(frame, 90);
    kr3D::SetPosition(frame, 0, 16, 8);
    ExpectNear(ScenePosition(frame), {0, -16, -8});
    ExpectNear(Direction(frame), {0, 0, 1});
    kr3D::MoveY(frame, 2);
    kr3D::MoveZ(frame, 1);
    kr3D::MoveX(frame, 3);
    ExpectNear(ScenePosition(frame), {3, -18, -9});
    kr3D::HideObject(frame);
    EXPECT_EQ(frame->parent(), nullptr);
    kr3D::ShowObject(frame);
    EXPECT_EQ(frame->parent(), kr3DState.scene);
    ExpectNear(ScenePosition(frame), {3, -18, -9});
    kr3D::DeleteObject(&frame);
    // A camera's positions keep its heading.
    kr3D::RotateCameraY(1, 90);
    kr3D::SetCameraPosition(1, 8, 0, 8);
    ExpectNear(Direction(camera()), {1, 0, 0});
    ExpectNear(ScenePosition(camera()), {8, 0, -8});
    kr3D::SetCameraX(1, 5);
    ExpectNear(ScenePosition(camera()), {5, 0, 0});
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
    EXPECT_FLOAT_EQ(kr3D::GetDistance(camera(), target), 5);
    EXPECT_NEAR(kr3D::GetDistanceFromOrigin(target), 14.142136f, 1e-4f);
    rm::Frame* copy = kr3D::CreateObject();
    kr3D::CopyPose(target, copy);
    ExpectNear(ScenePosition(copy), ScenePosition(target));
    ExpectNear(Direction(copy), {1, 0, 0});
    kr3D::DeleteObject(&copy);
    rm::Frame* scene = std::exchange(kr3DState.scene, nullptr);
    EXPECT_EQ(kr3D::GetDistanceFromOrigin(target), 0) << "no scene yet";
    kr3DState.scene = scene;
    kr3D::DeleteObject(&target);
}

// One axis of a slot as the arithmetic goes: driving adds the acceleration (a model stops at its
// maximum), driving the other way or braking takes it off, and reaching zero leaves it at rest.
struct AxisReference {
    int32_t direction = 0;
    float speed = 0;

    void Drive(int32_t d, float acceleration, float maximum) {
        if (direction != 0 && d != direction) return Brake(acceleration);
        speed = std::min(speed + acceleration, maximum);
        direction = d;
    }
    void Brake(float acceleration) {
        speed -= std::min(speed, acceleration);
        if (speed == 0) direction = 0;
    }
};

// The six driven axes of a slot, in the slot's order: moves x, y, z, then turns y, x, z.
struct AxisCommands {
    void (*drive)(int32_t);
    void (*brake)();
};
const AxisCommands kCameraAxes[6] = {
    {kr3D::AccelerateCameraX, kr3D::BrakeCameraX}, {kr3D::AccelerateCameraY, kr3D::BrakeCameraY},
    {kr3D::AccelerateCameraZ, kr3D::BrakeCameraZ}, {kr3D::TurnCameraY, kr3D::BrakeCameraTurnY},
    {kr3D::TurnCameraX, kr3D::BrakeCameraTurnX},   {kr3D::TurnCameraZ, kr3D::BrakeCameraTurnZ}};
const AxisCommands kModelAxes[6] = {
    {kr3D::AccelerateModelX, kr3D::BrakeModelX}, {kr3D::AccelerateModelY, kr3D::BrakeModelY},
    {kr3D::AccelerateModelZ, kr3D::BrakeModelZ}, {kr3D::TurnModelY, kr3D::BrakeModelTurnY},
    {kr3D::TurnModelX, kr3D::BrakeModelTurnX},   {kr3D::TurnModelZ, kr3D::BrakeModelTurnZ}};

void ExpectSlot(const kr3D::MotionSlot& slot, const AxisReference (&expected)[6]) {
    for (int i = 0; i < 6; ++i) {
        const bool move = i < 3;
        const AxisReference actual =
            move ? AxisReference{slot.move[i].direction, slot.move[i].speed}
                 : AxisReference{slot.turn[i - 3].direction, slot.turn[i - 3].speed};
        const float velocity = move ? slot.move[i].velocity : slot.turn[i - 3].axis * actual.speed;
        EXPECT_EQ(actual.direction, expected[i].direction) << "axis " << i;
        EXPECT_FLOAT_EQ(actual.speed, expected[i].speed) << "axis " << i;
        EXPECT_FLOAT_EQ(velocity, float(expected[i].direction) * expected[i].speed) << i;
    }
}

// One frame's commands to a slot's six axes, each driven either way, braked or left alone.
void DriveAtRandom(std::mt19937& random, const AxisCommands (&commands)[6],
                   AxisReference (&axes)[6], float move, float turn, float maximum) {
    for (int axis = 0; axis < 6; ++axis) {
        const int32_t command = std::uniform_int_distribution<int32_t>(-1, 2)(random);
        const float acceleration = axis < 3 ? move : turn;
        if (command == 0) {
            commands[axis].brake();
            axes[axis].Brake(acceleration);
        } else if (command != 2) {
            commands[axis].drive(command);
            axes[axis].Drive(command, acceleration, maximum);
        }
    }
}

// Four camera slots and three model slots driven at random frame by frame against the
// arithmetic above; whole accelerations keep every sum exact.
TEST_F(Scene3DMotionTest, SlotSpeedsFollowTheDrivingAndBrakingOfEveryAxis) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> step(1, 3);
    AxisReference cameras[4][6], models[3][6];
    for (int frame = 0; frame < 40; ++frame) {
        SCOPED_TRACE(frame);
        for (AxisReference(&slot)[6] : cameras) {
            const auto move = float(step(random)), turn = float(step(random));
            kr3D::SetCameraAcceleration(1000 * move, 1000 * turn);
            DriveAtRandom(random, kCameraAxes, slot, move, turn, INFINITY);
            kr3D::ThroughCamera();
        }
        for (AxisReference(&slot)[6] : models) {
            const auto move = float(step(random)), turn = float(step(random));
            kr3D::SetModelAcceleration(1000 * move, 1000 * turn, 5000, 5000);
            DriveAtRandom(random, kModelAxes, slot, move, turn, 5);
            kr3D::ThroughModel();
        }
        kr3D::Render();
        for (int i = 0; i < 4; ++i)
            ExpectSlot(kr3D::cameraMotion[i], cameras[i]);
        for (int i = 0; i < 3; ++i)
            ExpectSlot(kr3D::modelMotion[i], models[i]);
    }
}

// The pose a frame reaches from rest after a total drive of s on one axis (units or radians);
// framework +y and +z are scene -y and -z, turns go as the scene's left-handed axes do.
struct Pose {
    rm::D3DVECTOR position, direction, up;
};
Pose PoseAfter(int axis, float s) {
    const float c = std::cos(s), n = std::sin(s);
    const Pose poses[6] = {{{s, 0, 0}, {0, 0, 1}, {0, 1, 0}},  {{0, -s, 0}, {0, 0, 1}, {0, 1, 0}},
                           {{0, 0, -s}, {0, 0, 1}, {0, 1, 0}}, {{0, 0, 0}, {n, 0, c}, {0, 1, 0}},
                           {{0, 0, 0}, {0, -n, c}, {0, c, n}}, {{0, 0, 0}, {0, 0, 1}, {-n, c, 0}}};
    return poses[axis];
}

void ExpectPose(rm::Frame* frame, const Pose& expected) {
    rm::D3DVECTOR direction{}, up{};
    frame->GetOrientation(kr3DState.scene, &direction, &up);
    ExpectNear(Scene3DTest::ScenePosition(frame), expected.position);
    ExpectNear(direction, expected.direction);
    ExpectNear(up, expected.up);
}

// At F frames a second the factor f = 60 / F scales both the acceleration and each update's
// step: three driven frames from rest cover (1 + 2 + 3) a f², with a the acceleration / 1000.
TEST_F(Scene3DMotionTest, EachDrivenAxisMovesTheCameraAndAModelByTheFrameTime) {
    for (const float fps : {60.0f, 30.0f})
        for (int axis = 0; axis < 6; ++axis) {
            SCOPED_TRACE(testing::Message() << fps << " frames a second, axis " << axis);
            krSystemState.frameSeconds = 1.0f / fps;
            const float f = 60.0f / fps, a = axis < 3 ? 1.0f : 0.1f;
            ASSERT_EQ(kr3D::CreateCamera(1, 0, 60, 480, 420), 1);
            rm::Frame* model = kr3D::CreateObject();
            kr3D::ClearCameraMotion();
            kr3D::ClearModelMotion();
            for (int frame = 0; frame < 3; ++frame) {
                kr3D::SetCameraAcceleration(1000 * a, 1000 * a);
                kCameraAxes[axis].drive(1);
                kr3D::UpdateCamera();
                kr3D::SetModelAcceleration(1000 * a, 1000 * a, 1e6f, 1e6f);
                kModelAxes[axis].drive(1);
                kr3D::UpdateModel(model);
                kr3D::Render();
            }
            ExpectPose(camera(), PoseAfter(axis, 6 * a * f * f));
            ExpectPose(model, PoseAfter(axis, 6 * a * f * f));
            kr3D::DeleteObject(&model);
        }
    // Spin turns by its rate in radians a second times the frame's seconds, unscaled.
    ASSERT_EQ(kr3D::CreateCamera(1, 0, 60, 480, 420), 1);
    kr3D::SpinCamera(1, 1, 0, 0);
    ExpectPose(camera(), PoseAfter(3, 1.0f / 30));
}

TEST_F(Scene3DMotionTest, AFifthCameraAndA257thModelAreRefusedAndTouchNothingBeyond) {
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(kr3D::UpdateCamera(), 1);
    kr3D::SetCameraAcceleration(1000, 1000);  // past the table: ignored
    kr3D::AccelerateCameraX(1);
    EXPECT_EQ(kr3D::UpdateCamera(), 0);
    EXPECT_EQ(kr3D::ThroughCamera(), 1);
    EXPECT_EQ(kr3D::ThroughCamera(), 0);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(kr3D::ThroughModel(), 1);
    kr3D::RandomModelMotion(50);
    kr3D::SetModelAcceleration(1, 1, 1, 1);
    EXPECT_EQ(kr3D::UpdateModel(nullptr), 0);
    EXPECT_EQ(ErrorTexts(),
              (std::vector<std::string>{"kr3D::UpdateCamera : オブジェクト数が多すぎます",
                                        "kr3D::ThroughCamera : オブジェクト数が多すぎます",
                                        "kr3D::UpdateModel : オブジェクト数が多すぎます"}));
}

TEST_F(Scene3DMotionTest, RandomModelMotion) {
    // Random motion draws the z speed and then its direction; a zero range is refused.
    crt::srand(5);
    kr3D::RandomModelMotion(100);
    crt::srand(5);
    const float zSpeed = float(crt::rand() % 100) / 100.0f;
    const int32_t zDirection = crt::rand() % 2 == 1 ? 1 : -1;
    EXPECT_FLOAT_EQ(kr3D::modelMotion[0].move[2].speed, zSpeed);
    EXPECT_FLOAT_EQ(kr3D::modelMotion[0].move[2].velocity, float(zDirection) * zSpeed);
    kr3D::RandomModelMotion(0);
    EXPECT_FLOAT_EQ(kr3D::modelMotion[0].move[2].speed, zSpeed);
}

TEST_F(Scene3DMotionTest, ProjectionGivesSaturatedPixelsOrMinus9999BehindAndOnTheBackPlane) {
    rm::Frame* frame = kr3D::CreateObject();
    const struct {
        float x, y, z;
        int32_t camera, pixelX, pixelY;
    } cases[] = {{0, 0, -10, 1, 240, 240},
                 {0, 0, -2000, 1, -9999, -9999},
                 {0, 0, 10, 1, -9999, -9999},
                 {0, 0, -10, 4, -9999, -9999},  // never created
                 {1e12f, 1e12f, -10, 1, INT32_MAX, INT32_MAX},
                 {-1e12f, -1e12f, -10, 1, INT32_MIN, INT32_MIN}};
    for (const auto& c : cases) {
        kr3D::SetPosition(frame, c.x, c.y, c.z);
        int32_t x = 0, y = 0;
        float depth = 0;
        kr3D::ProjectObject(frame, c.camera, &x, &y, &depth);
        EXPECT_EQ(x, c.pixelX) << c.x << "," << c.z;
        EXPECT_EQ(y, c.pixelY) << c.x << "," << c.z;
        EXPECT_EQ(depth > 0, c.pixelX != -9999) << depth;
        EXPECT_TRUE(depth > 0 || depth == -9999.0f) << depth;
    }
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
    kr3D::SetPosition(inGroup, 0, 0, -20);
    kr3D::SetPosition(inOther, 0, 0, -40);
    EXPECT_EQ(kr3D::PickObject(240, 240, 1, group, other), 1);
    EXPECT_EQ(kr3D::PickObject(240, 240, 1, other, group), 2) << "the nearest pick decides";
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

}  // namespace
