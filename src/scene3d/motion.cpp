// Motion slots: speeds that build up while driven and fall when braked, applied once a frame.
#include "platform/crt/crt.h"
#include "scene3d/scene3d.h"

namespace kr3D {
namespace {

constexpr int X = 0, Y = 1, Z = 2;                 // translation axes
constexpr int kTurnY = 0, kTurnX = 1, kTurnZ = 2;  // turn axes, in their order of application
const char kTooMany[] = "オブジェクト数が多すぎます";

struct SavedMotion {
    AxisMotion move[3];
} saved;

// The slot that the next update applies, or null when this frame has used them all.
MotionSlot* CurrentCamera() {
    const int32_t cursor = kr3DState.cameraCursor;
    return cursor >= 0 && cursor < kCameras ? &cameraMotion[cursor] : nullptr;
}

MotionSlot* CurrentModel() {
    const int32_t cursor = kr3DState.modelCursor;
    return cursor >= 0 && cursor < kModelSlots ? &modelMotion[cursor] : nullptr;
}

void Drive(MotionSlot* slot, int axis, int32_t d, bool capped) {
    if (slot == nullptr) return;
    AxisMotion& m = slot->move[axis];
    if (d == m.direction || m.direction == 0) {
        m.speed += slot->moveAcceleration;
        if (capped && m.speed > slot->moveMaximum) m.speed = slot->moveMaximum;
        m.velocity = float(d) * m.speed;
        m.direction = d;
        return;
    }
    m.speed -= slot->moveAcceleration;
    if (m.speed <= 0) {
        m = AxisMotion{};
        return;
    }
    m.velocity = float(m.direction) * m.speed;
}

void DriveTurn(MotionSlot* slot, int axis, int32_t d, bool capped) {
    if (slot == nullptr) return;
    TurnMotion& t = slot->turn[axis];
    if (d == t.direction || t.direction == 0) {
        t.axis = float(d);
        t.speed += slot->turnAcceleration;
        if (capped && t.speed > slot->turnMaximum) t.speed = slot->turnMaximum;
        t.direction = d;
        return;
    }
    t.speed -= slot->turnAcceleration;
    if (t.speed <= 0) t = TurnMotion{};
}

void Brake(MotionSlot* slot, int axis) {
    if (slot == nullptr || slot->move[axis].speed <= 0) return;
    AxisMotion& m = slot->move[axis];
    m.speed -= slot->moveAcceleration;
    m.velocity = float(m.direction) * m.speed;
    if (m.speed <= 0) m = AxisMotion{};
}

void BrakeTurn(MotionSlot* slot, int axis) {
    if (slot == nullptr || slot->turn[axis].speed <= 0) return;
    TurnMotion& t = slot->turn[axis];
    t.speed -= slot->turnAcceleration;
    if (t.speed <= 0) t = TurnMotion{};
}

void Apply(rm::Frame* frame, const MotionSlot& slot) {
    if (frame == nullptr) return;
    const float f = FrameFactor();
    frame->AddTranslation(rm::D3DRMCOMBINE_BEFORE, slot.move[X].velocity * f,
                          -slot.move[Y].velocity * f, -slot.move[Z].velocity * f);
    const TurnMotion* t = slot.turn;
    frame->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, t[kTurnY].axis, 0, t[kTurnY].speed * f);
    frame->AddRotation(rm::D3DRMCOMBINE_BEFORE, t[kTurnX].axis, 0, 0, t[kTurnX].speed * f);
    frame->AddRotation(rm::D3DRMCOMBINE_BEFORE, 0, 0, t[kTurnZ].axis, t[kTurnZ].speed * f);
}

// Moves the cursor on; past the table it is set back and the step is refused.
bool Advance(int32_t& cursor, int32_t limit, const char* operation) {
    ++cursor;
    if (cursor <= limit) return true;
    cursor = limit - 1;
    krSystem::ErrorBox(operation, kTooMany);
    return false;
}

int32_t RandomDirection() {
    return crt::rand() % 2 == 1 ? 1 : -1;
}

void ReadMotion(int axis, float* speed, int32_t* direction) {
    const MotionSlot* slot = CurrentModel();
    if (slot == nullptr) return;
    if (speed != nullptr) *speed = slot->move[axis].speed;
    if (direction != nullptr) *direction = slot->move[axis].direction;
}

}  // namespace

void SetCameraAcceleration(float move, float turn) {
    MotionSlot* slot = CurrentCamera();
    if (slot == nullptr) return;
    slot->moveAcceleration = move / 1000 * FrameFactor();
    slot->turnAcceleration = turn / 1000 * FrameFactor();
}

void SetModelAcceleration(float move, float turn, float moveMaximum, float turnMaximum) {
    MotionSlot* slot = CurrentModel();
    if (slot == nullptr) return;
    slot->moveAcceleration = move / 1000 * FrameFactor();
    slot->turnAcceleration = turn / 1000 * FrameFactor();
    slot->moveMaximum = moveMaximum / 1000;
    slot->turnMaximum = turnMaximum / 1000;
}

void AccelerateCameraX(int32_t direction) {
    Drive(CurrentCamera(), X, direction, false);
}
void AccelerateCameraY(int32_t direction) {
    Drive(CurrentCamera(), Y, direction, false);
}
void AccelerateCameraZ(int32_t direction) {
    Drive(CurrentCamera(), Z, direction, false);
}
void TurnCameraY(int32_t direction) {
    DriveTurn(CurrentCamera(), kTurnY, direction, false);
}
void TurnCameraX(int32_t direction) {
    DriveTurn(CurrentCamera(), kTurnX, direction, false);
}
void TurnCameraZ(int32_t direction) {
    DriveTurn(CurrentCamera(), kTurnZ, direction, false);
}
void BrakeCameraX() {
    Brake(CurrentCamera(), X);
}
void BrakeCameraY() {
    Brake(CurrentCamera(), Y);
}
void BrakeCameraZ() {
    Brake(CurrentCamera(), Z);
}
void BrakeCameraTurnY() {
    BrakeTurn(CurrentCamera(), kTurnY);
}
void BrakeCameraTurnX() {
    BrakeTurn(CurrentCamera(), kTurnX);
}
void BrakeCameraTurnZ() {
    BrakeTurn(CurrentCamera(), kTurnZ);
}

void ClearCameraMotion() {
    if (MotionSlot* slot = CurrentCamera()) ClearMotion(*slot);
}

int32_t UpdateCamera() {
    if (!Advance(kr3DState.cameraCursor, kCameras, "kr3D::UpdateCamera")) return 0;
    Apply(CameraFrame(kr3DState.cameraCursor), cameraMotion[kr3DState.cameraCursor - 1]);
    return 1;
}

int32_t ThroughCamera() {
    return Advance(kr3DState.cameraCursor, kCameras, "kr3D::ThroughCamera") ? 1 : 0;
}

void AccelerateModelX(int32_t direction) {
    Drive(CurrentModel(), X, direction, true);
}
void AccelerateModelY(int32_t direction) {
    Drive(CurrentModel(), Y, direction, true);
}
void AccelerateModelZ(int32_t direction) {
    Drive(CurrentModel(), Z, direction, true);
}
void TurnModelY(int32_t direction) {
    DriveTurn(CurrentModel(), kTurnY, direction, true);
}
void TurnModelX(int32_t direction) {
    DriveTurn(CurrentModel(), kTurnX, direction, true);
}
void TurnModelZ(int32_t direction) {
    DriveTurn(CurrentModel(), kTurnZ, direction, true);
}
void BrakeModelX() {
    Brake(CurrentModel(), X);
}
void BrakeModelY() {
    Brake(CurrentModel(), Y);
}
void BrakeModelZ() {
    Brake(CurrentModel(), Z);
}
void BrakeModelTurnY() {
    BrakeTurn(CurrentModel(), kTurnY);
}
void BrakeModelTurnX() {
    BrakeTurn(CurrentModel(), kTurnX);
}
void BrakeModelTurnZ() {
    BrakeTurn(CurrentModel(), kTurnZ);
}

void ClearModelMotion() {
    if (MotionSlot* slot = CurrentModel()) ClearMotion(*slot);
}

void SaveModelMotion() {
    if (const MotionSlot* slot = CurrentModel())
        for (int axis = 0; axis < 3; ++axis)
            saved.move[axis] = slot->move[axis];
}

void RestoreModelMotion() {
    if (MotionSlot* slot = CurrentModel())
        for (int axis = 0; axis < 3; ++axis)
            slot->move[axis] = saved.move[axis];
}

void RandomModelMotion(int32_t range) {
    MotionSlot* slot = CurrentModel();
    if (slot == nullptr || range <= 0) return;
    AxisMotion& z = slot->move[Z];
    z.speed = float(crt::rand() % range) / 100.0f;
    z.direction = RandomDirection();
    z.velocity = float(z.direction) * z.speed;
    for (const int axis : {kTurnY, kTurnX}) {
        TurnMotion& t = slot->turn[axis];
        t.direction = RandomDirection();
        t.axis = float(t.direction);
        t.speed = float(crt::rand() % range) / 100.0f;
    }
}

void ReverseModelMotion() {
    MotionSlot* slot = CurrentModel();
    if (slot == nullptr) return;
    slot->move[Z].velocity = -slot->move[Z].velocity;
    slot->move[Z].direction = -slot->move[Z].direction;
    for (TurnMotion& t : slot->turn) {
        t.axis = -t.axis;
        t.direction = -t.direction;
    }
}

void GetModelMotionX(float* speed, int32_t* direction) {
    ReadMotion(X, speed, direction);
}
void GetModelMotionY(float* speed, int32_t* direction) {
    ReadMotion(Y, speed, direction);
}
void GetModelMotionZ(float* speed, int32_t* direction) {
    ReadMotion(Z, speed, direction);
}

int32_t UpdateModel(rm::Frame* frame) {
    if (!Advance(kr3DState.modelCursor, kModelSlots, "kr3D::UpdateModel")) return 0;
    Apply(frame, modelMotion[kr3DState.modelCursor - 1]);
    return 1;
}

int32_t ThroughModel() {
    return Advance(kr3DState.modelCursor, kModelSlots, "kr3D::ThroughModel") ? 1 : 0;
}

}  // namespace kr3D
