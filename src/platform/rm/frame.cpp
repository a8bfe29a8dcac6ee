// Frames: a tree of local transforms with visuals, lights, motion and appearance.
#include <algorithm>

#include "platform/rm/matrix.h"

namespace rm {

ULONG Object::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

Matrix WorldOf(const Frame* frame) {
    Matrix world = Matrix::Identity();
    if (frame != nullptr) frame->WorldMatrix(world.m);
    return world;
}

namespace {

template <typename T>
bool Contains(const std::vector<T*>& list, const T* item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

template <typename T>
HRESULT AddHeld(std::vector<T*>& list, T* item) {
    if (item == nullptr) return D3DRMERR_BADOBJECT;
    if (Contains(list, item)) return D3DRM_OK;
    item->AddRef();
    list.push_back(item);
    return D3DRM_OK;
}

template <typename T>
HRESULT RemoveHeld(std::vector<T*>& list, T* item) {
    const auto found = std::find(list.begin(), list.end(), item);
    if (item == nullptr || found == list.end()) return D3DRMERR_BADVALUE;
    list.erase(found);
    item->Release();
    return D3DRM_OK;
}

D3DCOLOR ColourFromFloats(float r, float g, float b) {
    auto channel = [](float value) {
        return static_cast<uint32_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
    };
    return RGBA_MAKE(channel(r), channel(g), channel(b), 255);
}

bool IsAffine(const D3DRMMATRIX4D m) {
    return m[0][3] == 0 && m[1][3] == 0 && m[2][3] == 0 && m[3][3] == 1;
}

}  // namespace

D3DCOLOR ColourOf(float r, float g, float b) {
    return ColourFromFloats(r, g, b);
}

Frame::Frame(Direct3DRM* owner) : owner_(owner) {
    Matrix::Identity().CopyTo(local_);
    if (owner_ != nullptr) owner_->Register(this);
}

Frame::~Frame() {
    for (Frame* child : children_) {
        child->parent_ = nullptr;
        child->Release();
    }
    for (Visual* visual : visuals_)
        visual->Release();
    for (Light* light : lights_)
        light->Release();
    if (texture_ != nullptr) texture_->Release();
    if (owner_ != nullptr) owner_->Unregister(this);
}

Frame* Frame::Root() {
    Frame* frame = this;
    while (frame->parent_ != nullptr)
        frame = frame->parent_;
    return frame;
}

HRESULT Frame::AddChild(Frame* child) {
    if (child == nullptr) return D3DRMERR_BADOBJECT;
    for (const Frame* up = this; up != nullptr; up = up->parent_)
        if (up == child) return D3DRMERR_BADVALUE;  // would make a cycle
    child->AddRef();
    if (child->parent_ != nullptr) child->parent_->DeleteChild(child);
    child->parent_ = this;
    children_.push_back(child);
    return D3DRM_OK;
}

HRESULT Frame::DeleteChild(Frame* child) {
    if (child == nullptr || child->parent_ != this) return D3DRMERR_BADVALUE;
    child->parent_ = nullptr;
    return RemoveHeld(children_, child);
}

HRESULT Frame::GetParent(Frame** parent) {
    if (parent == nullptr) return D3DRMERR_BADVALUE;
    *parent = parent_;
    if (parent_ != nullptr) parent_->AddRef();
    return D3DRM_OK;
}

void Frame::CombineLocal(uint32_t combine, const float m[4][4]) {
    const Matrix change = Matrix::From(m);
    const Matrix current = Matrix::From(local_);
    if (combine == D3DRMCOMBINE_REPLACE) change.CopyTo(local_);
    if (combine == D3DRMCOMBINE_BEFORE) (change * current).CopyTo(local_);
    if (combine == D3DRMCOMBINE_AFTER) (current * change).CopyTo(local_);
}

HRESULT Frame::AddTransform(uint32_t combine, const D3DRMMATRIX4D matrix) {
    if (combine > D3DRMCOMBINE_AFTER || !IsAffine(matrix)) return D3DRMERR_BADVALUE;
    CombineLocal(combine, matrix);
    return D3DRM_OK;
}

HRESULT Frame::AddTranslation(uint32_t combine, float x, float y, float z) {
    return AddTransform(combine, Translation(x, y, z).m);
}

HRESULT Frame::AddRotation(uint32_t combine, float x, float y, float z, float theta) {
    // A turn about no axis is no turn (the formula would shrink the frame by the cosine).
    if (x == 0 && y == 0 && z == 0) theta = 0;
    return AddTransform(combine, Rotation({x, y, z}, theta).m);
}

HRESULT Frame::AddScale(uint32_t combine, float sx, float sy, float sz) {
    return AddTransform(combine, Scaling(sx, sy, sz).m);
}

HRESULT Frame::GetTransform(D3DRMMATRIX4D matrix) const {
    Matrix::From(local_).CopyTo(matrix);
    return D3DRM_OK;
}

void Frame::WorldMatrix(float out[4][4]) const {
    Matrix world = Matrix::From(local_);
    for (const Frame* up = parent_; up != nullptr; up = up->parent_)
        world = world * Matrix::From(up->local_);
    world.CopyTo(out);
}

HRESULT Frame::SetPosition(Frame* reference, float x, float y, float z) {
    const D3DVECTOR world = TransformPoint(WorldOf(reference), {x, y, z});
    Matrix local = Matrix::From(local_);
    SetRow(local, 3, TransformPoint(InverseAffine(WorldOf(parent_)), world));
    local.CopyTo(local_);
    return D3DRM_OK;
}

HRESULT Frame::GetPosition(Frame* reference, D3DVECTOR* position) const {
    if (position == nullptr) return D3DRMERR_BADVALUE;
    *position = TransformPoint(InverseAffine(WorldOf(reference)), Row(WorldOf(this), 3));
    return D3DRM_OK;
}

HRESULT Frame::SetOrientation(Frame* reference, float dx, float dy, float dz, float ux, float uy,
                              float uz) {
    const Matrix toParent = WorldOf(reference) * InverseAffine(WorldOf(parent_));
    const D3DVECTOR z = Normalize(TransformDirection(toParent, {dx, dy, dz}));
    const D3DVECTOR x = Cross(TransformDirection(toParent, {ux, uy, uz}), z);
    if (Length(z) == 0 || Length(x) < 1e-6f) return D3DRMERR_BADVALUE;
    const D3DVECTOR xAxis = Normalize(x);
    const D3DVECTOR yAxis = Cross(z, xAxis);
    Matrix local = Matrix::From(local_);
    const float sx = Length(Row(local, 0)), sy = Length(Row(local, 1)), sz = Length(Row(local, 2));
    SetRow(local, 0, xAxis * sx);
    SetRow(local, 1, yAxis * sy);
    SetRow(local, 2, z * sz);
    local.CopyTo(local_);
    return D3DRM_OK;
}

HRESULT Frame::GetOrientation(Frame* reference, D3DVECTOR* direction, D3DVECTOR* up) const {
    if (direction == nullptr || up == nullptr) return D3DRMERR_BADVALUE;
    const Matrix toReference = WorldOf(this) * InverseAffine(WorldOf(reference));
    *direction = Normalize(Row(toReference, 2));
    *up = Normalize(Row(toReference, 1));
    return D3DRM_OK;
}

HRESULT Frame::LookAt(Frame* target, Frame* reference, uint32_t constraint) {
    if (target == nullptr) return D3DRMERR_BADOBJECT;
    if (constraint > D3DRMCONSTRAIN_X) return D3DRMERR_BADVALUE;
    // The turn keeps the reference's up, so the frame does not roll.
    const D3DVECTOR direction = Row(WorldOf(target), 3) - Row(WorldOf(this), 3);
    const D3DVECTOR up = Normalize(TransformDirection(WorldOf(reference), {0, 1, 0}));
    return SetOrientation(nullptr, direction.x, direction.y, direction.z, up.x, up.y, up.z);
}

HRESULT Frame::Transform(D3DVECTOR* world, const D3DVECTOR* local) const {
    if (world == nullptr || local == nullptr) return D3DRMERR_BADVALUE;
    *world = TransformPoint(WorldOf(this), *local);
    return D3DRM_OK;
}

HRESULT Frame::InverseTransform(D3DVECTOR* local, const D3DVECTOR* world) const {
    if (world == nullptr || local == nullptr) return D3DRMERR_BADVALUE;
    *local = TransformPoint(InverseAffine(WorldOf(this)), *world);
    return D3DRM_OK;
}

HRESULT Frame::SetVelocity(Frame* reference, float x, float y, float z, BOOL withRotation) {
    const Matrix toParent = WorldOf(reference) * InverseAffine(WorldOf(parent_));
    velocity_ = TransformDirection(toParent, {x, y, z});
    velocityWithRotation_ = withRotation != FALSE;
    // Kept in the frame's own axes so that it turns with the frame.
    if (velocityWithRotation_)
        velocity_ = TransformDirection(InverseAffine(Matrix::From(local_)), velocity_);
    return D3DRM_OK;
}

HRESULT Frame::GetVelocity(Frame* reference, D3DVECTOR* velocity, BOOL) const {
    if (velocity == nullptr) return D3DRMERR_BADVALUE;
    D3DVECTOR inParent = velocity_;
    if (velocityWithRotation_) inParent = TransformDirection(Matrix::From(local_), velocity_);
    const Matrix toReference = WorldOf(parent_) * InverseAffine(WorldOf(reference));
    *velocity = TransformDirection(toReference, inParent);
    return D3DRM_OK;
}

HRESULT Frame::SetRotation(Frame* reference, float x, float y, float z, float theta) {
    const Matrix toParent = WorldOf(reference) * InverseAffine(WorldOf(parent_));
    rotationAxis_ = TransformDirection(toParent, {x, y, z});
    rotationRate_ = Length(rotationAxis_) > 0 ? theta : 0;
    return D3DRM_OK;
}

void Frame::Move(float delta) {
    Matrix local = Matrix::From(local_);
    D3DVECTOR step = velocity_;
    if (velocityWithRotation_) step = TransformDirection(local, velocity_);
    SetRow(local, 3, Row(local, 3) + step * delta);
    if (rotationRate_ != 0) {
        const D3DVECTOR origin = Row(local, 3);
        local = local * Rotation(rotationAxis_, rotationRate_ * delta);
        SetRow(local, 3, origin);
    }
    local.CopyTo(local_);
}

HRESULT Frame::AddVisual(Visual* visual) {
    return AddHeld(visuals_, visual);
}
HRESULT Frame::DeleteVisual(Visual* visual) {
    return RemoveHeld(visuals_, visual);
}
HRESULT Frame::AddLight(Light* light) {
    return AddHeld(lights_, light);
}
HRESULT Frame::DeleteLight(Light* light) {
    return RemoveHeld(lights_, light);
}

HRESULT Frame::SetZbufferMode(uint32_t mode) {
    if (mode > D3DRMZBUFFER_DISABLE) return D3DRMERR_BADVALUE;
    zbufferMode_ = mode;
    return D3DRM_OK;
}

HRESULT Frame::SetMaterialMode(uint32_t mode) {
    if (mode > D3DRMMATERIAL_FROMFRAME) return D3DRMERR_BADVALUE;
    materialMode_ = mode;
    return D3DRM_OK;
}

HRESULT Frame::SetColorRGB(float r, float g, float b) {
    return SetColor(ColourFromFloats(r, g, b));
}

HRESULT Frame::SetColor(D3DCOLOR colour) {
    return Keep(colour_, colour);
}

HRESULT Frame::SetTexture(Texture* texture) {
    if (texture != nullptr) texture->AddRef();
    if (texture_ != nullptr) texture_->Release();
    texture_ = texture;
    return D3DRM_OK;
}

HRESULT Frame::SetSceneBackgroundRGB(float r, float g, float b) {
    return SetSceneBackground(ColourFromFloats(r, g, b));
}

HRESULT Frame::SetSceneBackground(D3DCOLOR colour) {
    Root()->background_ = colour | 0xFF000000;
    return D3DRM_OK;
}

D3DCOLOR Frame::GetSceneBackground() const {
    const Frame* root = this;
    while (root->parent_ != nullptr)
        root = root->parent_;
    return root->background_;
}

}  // namespace rm
