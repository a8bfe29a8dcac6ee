// Placing and turning model and camera frames in framework axes.
#include "scene3d/scene3d.h"

namespace kr3D {
namespace {

rm::Frame* CurrentCamera() {
    return CameraFrame(kr3DState.cameraCursor + 1);
}

void Turn(rm::Frame* frame, float x, float y, float z, float angle) {
    if (frame != nullptr) frame->AddRotation(rm::D3DRMCOMBINE_BEFORE, x, y, z, angle);
}

void Move(rm::Frame* frame, float x, float y, float z) {
    if (frame != nullptr) frame->AddTranslation(rm::D3DRMCOMBINE_BEFORE, x, y, z);
}

void PlaceCamera(int32_t camera, float x, float y, float z) {
    if (rm::Frame* frame = CameraFrame(camera)) frame->SetPosition(kr3DState.scene, x, y, z);
}

float Flag(float value) {
    return value != 0 ? 1.0f : 0.0f;
}

// The orientation of the target, seen from the scene root.
void TakeOrientation(rm::Frame* frame, rm::Frame* target) {
    rm::D3DVECTOR direction{}, up{};
    target->GetOrientation(kr3DState.scene, &direction, &up);
    frame->SetOrientation(kr3DState.scene, direction.x, direction.y, direction.z, up.x, up.y, up.z);
}

void Follow(rm::Frame* frame, rm::Frame* target, float x, float y, float distance) {
    if (frame == nullptr || target == nullptr) return;
    TakeOrientation(frame, target);
    frame->SetPosition(target, x, y, 0);
    Move(frame, 0, 0, -distance);
}

void Orbit(rm::Frame* frame, rm::Frame* target, float yaw, float pitch, float distance) {
    if (frame == nullptr || target == nullptr) return;
    TakeOrientation(frame, target);
    frame->SetPosition(target, 0, 0, 0);
    Turn(frame, 0, 1, 0, Radians(yaw));
    Turn(frame, 1, 0, 0, Radians(pitch));
    Move(frame, 0, 0, -distance);
}

}  // namespace

void SetPosition(rm::Frame* frame, float x, float y, float z) {
    if (frame != nullptr) frame->AddTranslation(rm::D3DRMCOMBINE_REPLACE, x, -y, -z);
}
void MoveX(rm::Frame* frame, float x) {
    Move(frame, x, 0, 0);
}
void MoveY(rm::Frame* frame, float y) {
    Move(frame, 0, -y, 0);
}
void MoveZ(rm::Frame* frame, float z) {
    Move(frame, 0, 0, -z);
}
void RotateY(rm::Frame* frame, float degrees) {
    Turn(frame, 0, 1, 0, Radians(degrees));
}
void RotateX(rm::Frame* frame, float degrees) {
    Turn(frame, 1, 0, 0, Radians(degrees));
}
void RotateZ(rm::Frame* frame, float degrees) {
    Turn(frame, 0, 0, 1, Radians(degrees));
}

void Rotate(rm::Frame* frame, float yaw, float pitch, float roll, float degrees) {
    if (yaw == 0 && pitch == 0 && roll == 0) return;
    Turn(frame, Flag(pitch), Flag(yaw), Flag(roll), Radians(degrees));
}

void Spin(rm::Frame* frame, float yaw, float pitch, float roll) {
    Turn(frame, Flag(pitch), Flag(yaw), Flag(roll),
         (yaw + pitch + roll) * krSystemState.frameSeconds);
}

void LookAt(rm::Frame* frame, rm::Frame* target) {
    if (frame != nullptr && target != nullptr)
        frame->LookAt(target, kr3DState.scene, rm::D3DRMCONSTRAIN_Z);
}

void CopyPose(rm::Frame* source, rm::Frame* destination) {
    if (source == nullptr || destination == nullptr) return;
    TakeOrientation(destination, source);
    destination->SetPosition(source, 0, 0, 0);
    Move(destination, 0, 0, 0);
}

void SetCameraPosition(int32_t camera, float x, float y, float z) {
    PlaceCamera(camera, x, -y, -z);
}
void SetCameraX(int32_t camera, float x) {
    PlaceCamera(camera, x, 0, 0);
}
void SetCameraY(int32_t camera, float y) {
    PlaceCamera(camera, 0, -y, 0);
}
void SetCameraZ(int32_t camera, float z) {
    PlaceCamera(camera, 0, 0, -z);
}
void RotateCameraY(int32_t camera, float degrees) {
    RotateY(CameraFrame(camera), degrees);
}
void RotateCameraX(int32_t camera, float degrees) {
    RotateX(CameraFrame(camera), degrees);
}
void RotateCameraZ(int32_t camera, float degrees) {
    RotateZ(CameraFrame(camera), degrees);
}
void RotateCamera(int32_t camera, float yaw, float pitch, float roll, float degrees) {
    Rotate(CameraFrame(camera), yaw, pitch, roll, degrees);
}
void SpinCamera(int32_t camera, float yaw, float pitch, float roll) {
    Spin(CameraFrame(camera), yaw, pitch, roll);
}
void CameraLookAt(int32_t camera, rm::Frame* target) {
    LookAt(CameraFrame(camera), target);
}
void CurrentCameraLookAt(rm::Frame* target) {
    LookAt(CurrentCamera(), target);
}
void CameraFollow(int32_t camera, rm::Frame* target, float x, float y, float distance) {
    Follow(CameraFrame(camera), target, x, y, distance);
}
void CurrentCameraFollow(rm::Frame* target, float x, float y, float distance) {
    Follow(CurrentCamera(), target, x, y, distance);
}
void CameraOrbit(int32_t camera, rm::Frame* target, float yaw, float pitch, float distance) {
    Orbit(CameraFrame(camera), target, yaw, pitch, distance);
}
void CurrentCameraOrbit(rm::Frame* target, float yaw, float pitch, float distance) {
    Orbit(CurrentCamera(), target, yaw, pitch, distance);
}

}  // namespace kr3D
