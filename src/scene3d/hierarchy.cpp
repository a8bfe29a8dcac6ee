// Showing, hiding and nesting frames; distances, projection and picking.
#include <cmath>

#include "platform/crt/saturate.h"
#include "scene3d/scene3d.h"

namespace kr3D {
namespace {

constexpr int32_t kUnseen = -9999;

float Length(const rm::D3DVECTOR& v) {
    return static_cast<float>(std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z));
}

rm::Viewport* ViewportOf(int32_t camera) {
    const CameraSlot* slot = Camera(camera);
    return slot != nullptr ? slot->viewport : nullptr;
}

// 1 when a frame of the pick's path has A as its parent, 2 when B, else 0.
int32_t MatchPath(rm::FrameArray* path, rm::Frame* a, rm::Frame* b) {
    for (DWORD j = 0; j < path->GetSize(); ++j) {
        rm::Frame* element = nullptr;
        path->GetElement(j, &element);
        rm::Frame* parent = element->parent();
        element->Release();
        if (parent == a) return 1;
        if (b != nullptr && parent == b) return 2;
    }
    return 0;
}

}  // namespace

void ShowObject(rm::Frame* frame) {
    if (kr3DState.scene != nullptr && frame != nullptr) kr3DState.scene->AddChild(frame);
}

void HideObject(rm::Frame* frame) {
    if (kr3DState.scene != nullptr && frame != nullptr) kr3DState.scene->DeleteChild(frame);
}

void AttachObject(rm::Frame* parent, rm::Frame* child) {
    if (parent != nullptr && child != nullptr) parent->AddChild(child);
}

void DetachObject(rm::Frame* parent, rm::Frame* child) {
    if (parent != nullptr && child != nullptr) parent->DeleteChild(child);
}

// The parent is handed out without a reference of its own, so the caller has nothing to release.
rm::Frame* GetParent(rm::Frame* frame) {
    return frame != nullptr ? frame->parent() : nullptr;
}

float GetDistanceFromOrigin(rm::Frame* frame) {
    if (frame == nullptr || kr3DState.scene == nullptr) return 0;
    rm::D3DVECTOR v{};
    kr3DState.scene->GetPosition(frame, &v);
    return Length(v);
}

float GetDistance(rm::Frame* a, rm::Frame* b) {
    if (a == nullptr || b == nullptr) return 0;
    rm::D3DVECTOR v{};
    a->GetPosition(b, &v);
    return Length(v);
}

void ProjectObject(rm::Frame* frame, int32_t camera, int32_t* x, int32_t* y, float* depth) {
    const rm::Viewport* viewport = ViewportOf(camera);
    rm::D3DRMVECTOR4D s{0, 0, -1, 0};
    if (frame != nullptr && viewport != nullptr) {
        rm::D3DVECTOR p{};
        frame->GetPosition(kr3DState.scene, &p);
        viewport->Transform(&s, &p);
    }
    const bool seen = 0 <= s.z && s.z < s.w;
    // Far to the side of a near camera the quotient leaves the 32-bit range: saturate.
    if (x != nullptr) *x = seen ? crt::Saturate32(double(s.x / s.w)) : kUnseen;
    if (y != nullptr) *y = seen ? crt::Saturate32(double(s.y / s.w)) : kUnseen;
    if (depth != nullptr) *depth = seen ? s.z : float(kUnseen);
}

int32_t PickObject(int32_t x, int32_t y, int32_t camera, rm::Frame* a, rm::Frame* b) {
    const rm::Viewport* viewport = ViewportOf(camera);
    rm::PickedArray* picks = nullptr;
    if (viewport == nullptr || viewport->Pick(x, y, &picks) != rm::D3DRM_OK) return 0;
    int32_t result = 0;
    for (DWORD i = 0; i < picks->GetSize() && result == 0; ++i) {
        rm::Visual* visual = nullptr;
        rm::FrameArray* path = nullptr;
        picks->GetPick(i, &visual, &path, nullptr);
        result = MatchPath(path, a, b);
        path->Release();
        visual->Release();
    }
    picks->Release();
    return result;
}

}  // namespace kr3D
