// The light table (slot 0 ambient, 1 to 3 from ten fixed directions) and the camera table.
#include "draw/display.h"
#include "platform/crt/saturate.h"
#include "scene3d/scene3d.h"

namespace kr3D {
namespace {

constexpr int32_t kDirections[10][3] = {{0, 0, 0},    {-100, 100, 0}, {0, 100, 0}, {100, 100, 0},
                                        {-100, 0, 0}, {0, 0, 100},    {100, 0, 0}, {-100, -100, 0},
                                        {0, -100, 0}, {100, -100, 0}};
constexpr float kBounds = 100.0f;

template <typename T>
void Drop(T*& handle) {
    if (handle != nullptr) handle->Release();
    handle = nullptr;
}

// A fresh frame under the scene root holding a new light of that type and level.
void FillLightSlot(LightSlot& slot, uint32_t type, float level) {
    // The old light leaves the scene rather than shining on unseen.
    if (slot.frame != nullptr && slot.frame->parent() != nullptr)
        slot.frame->parent()->DeleteChild(slot.frame);
    Drop(slot.light);
    Drop(slot.frame);
    if (kr3DState.retainedMode == nullptr) return;
    kr3DState.retainedMode->CreateLightRGB(type, level, level, level, &slot.light);
    kr3DState.retainedMode->CreateFrame(kr3DState.scene, &slot.frame);
    slot.frame->AddLight(slot.light);
}

void PlaceLight(const LightSlot& slot, const rm::D3DVECTOR& p) {
    if (slot.frame != nullptr) slot.frame->SetPosition(kr3DState.scene, p.x, -p.y, -p.z);
}

void MakeViewport(CameraSlot& slot) {
    if (kr3DState.retainedMode == nullptr || kr3DState.device == nullptr || slot.frame == nullptr)
        return;
    // Extreme corners make a size beyond 32 bits: it saturates.
    kr3DState.retainedMode->CreateViewport(kr3DState.device, slot.frame, slot.left, slot.top,
                                           crt::Saturate32(int64_t{slot.right} - slot.left),
                                           crt::Saturate32(int64_t{slot.bottom} - slot.top),
                                           &slot.viewport);
}

// The frame of a light that can be put into the scene or taken out of it, or null.
rm::Frame* SwitchableLight(int32_t light) {
    const LightSlot* slot = Light(light);
    return slot != nullptr && kr3DState.scene != nullptr ? slot->frame : nullptr;
}

void ClearSurface3D(int32_t clear) {
    if (clear != 0) krDraw::Clear3D();
}

}  // namespace

void SetAmbient(float level) {
    FillLightSlot(lights[0], rm::D3DRMLIGHT_AMBIENT, level);
}

int32_t CreateLight(int32_t light, float level, int32_t direction) {
    if (light < 1 || light > 3)
        return krSystem::ErrorBox("kr3D::CreateLight", "ライトNoが範囲外です");
    if (direction < 0 || direction > 9)
        return krSystem::ErrorBox("kr3D::CreateLight", "ライト方向が異常です");
    LightSlot& slot = lights[light];
    slot.position = {float(kDirections[direction][0]), float(kDirections[direction][1]),
                     float(kDirections[direction][2])};
    FillLightSlot(slot, direction == 0 ? rm::D3DRMLIGHT_POINT : rm::D3DRMLIGHT_PARALLELPOINT,
                  level);
    PlaceLight(slot, slot.position);
    return 1;
}

void SetLightPosition(int32_t light, float x, float y, float z) {
    LightSlot* slot = Light(light);
    if (slot == nullptr) return;
    slot->position = {x, y, z};
    PlaceLight(*slot, slot->position);
}

void LightOn(int32_t light) {
    if (rm::Frame* frame = SwitchableLight(light)) kr3DState.scene->AddChild(frame);
}

void LightOff(int32_t light) {
    if (rm::Frame* frame = SwitchableLight(light)) kr3DState.scene->DeleteChild(frame);
}

void SetLightVelocity(int32_t light, float vx, float vy, float vz) {
    if (LightSlot* slot = Light(light)) slot->velocity = {vx, vy, vz};
}

void MoveLight(int32_t light) {
    LightSlot* slot = Light(light);
    if (slot == nullptr) return;
    auto step = [](float& position, float& velocity) {
        position += velocity;
        if (position < -kBounds || position > kBounds) velocity = -velocity;
    };
    step(slot->position.x, slot->velocity.x);
    step(slot->position.y, slot->velocity.y);
    step(slot->position.z, slot->velocity.z);
    // The stored position, scaled by the frame time (the position itself at 60 frames a second).
    const float f = FrameFactor();
    PlaceLight(*slot, {slot->position.x * f, slot->position.y * f, slot->position.z * f});
}

void LightToObject(rm::Frame* frame, int32_t light) {
    const LightSlot* slot = Light(light);
    if (slot == nullptr || slot->frame == nullptr || frame == nullptr) return;
    rm::D3DVECTOR p{};
    frame->GetPosition(kr3DState.scene, &p);
    slot->frame->SetPosition(kr3DState.scene, p.x, p.y, p.z);
}

int32_t CreateCamera(int32_t camera, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    CameraSlot* slot = Camera(camera);
    if (slot == nullptr) return krSystem::ErrorBox("kr3D::CreateCamera", "カメラNoが範囲外です");
    Drop(slot->viewport);
    Drop(slot->frame);
    *slot = CameraSlot{1, nullptr, nullptr, left, top, right, bottom};
    if (kr3DState.retainedMode == nullptr) return 1;
    kr3DState.retainedMode->CreateFrame(kr3DState.scene, &slot->frame);
    slot->frame->SetPosition(kr3DState.scene, 0, 0, 0);
    MakeViewport(*slot);
    SetCameraDepth(camera, 1.0f, 2000.0f);
    return 1;
}

void SetCameraDepth(int32_t camera, float front, float back) {
    const CameraSlot* slot = Camera(camera);
    if (slot == nullptr || slot->viewport == nullptr) return;
    slot->viewport->SetFront(front);
    slot->viewport->SetBack(back);
}

void SetCameraRect(int32_t camera, int32_t left, int32_t top, int32_t right, int32_t bottom,
                   int32_t clear) {
    CameraSlot* slot = Camera(camera);
    if (slot == nullptr) return;
    slot->left = left;
    slot->top = top;
    slot->right = right;
    slot->bottom = bottom;
    if (slot->viewport != nullptr) slot->viewport->Configure(left, top, right - left, bottom - top);
    ClearSurface3D(clear);
}

void ReorderCameras(int32_t a, int32_t b) {
    CameraSlot* first = Camera(a);
    CameraSlot* second = Camera(b);
    if (first == nullptr || second == nullptr) return;
    Drop(first->viewport);
    Drop(second->viewport);
    MakeViewport(*second);
    MakeViewport(*first);
}

void ShowCamera(int32_t camera) {
    const CameraSlot* slot = Camera(camera);
    if (slot == nullptr || slot->viewport == nullptr) return;
    slot->viewport->Configure(slot->left, slot->top, slot->right - slot->left,
                              slot->bottom - slot->top);
}

void HideCamera(int32_t camera, int32_t clear) {
    const CameraSlot* slot = Camera(camera);
    if (slot == nullptr) return;
    if (slot->viewport != nullptr) slot->viewport->Configure(0, 0, 0, 0);
    ClearSurface3D(clear);
}

}  // namespace kr3D
