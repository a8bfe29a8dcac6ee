// The device, the retained-mode object that makes everything, Tick, and the device list.
#include <algorithm>

#include "platform/release_log.h"
#include "platform/rm/scene.h"

namespace rm {
namespace {

template <typename T>
void Forget(std::vector<T*>& list, T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

template <typename T>
HRESULT Hand(T* made, T** out) {
    if (out == nullptr) {
        made->Release();
        return D3DRMERR_BADVALUE;
    }
    *out = made;
    return D3DRM_OK;
}

}  // namespace

Device::Device(Direct3DRM* owner, TargetSource* source, int32_t width, int32_t height,
               D3DCOLORMODEL model)
    : owner_(owner), source_(source), width_(width), height_(height), model_(model) {
    owner_->Register(this);
}

Device::~Device() {
    if (owner_ != nullptr) owner_->Unregister(this);
    platform::NoteRelease("3D device");
}

HRESULT Device::SetBufferCount(DWORD count) {
    return count < 1 ? D3DRMERR_BADVALUE : Keep(bufferCount_, count);
}

HRESULT Device::SetQuality(D3DRMRENDERQUALITY quality) {
    return Keep(quality_, quality);
}

HRESULT Device::SetShades(DWORD shades) {
    return shades < 1 ? D3DRMERR_BADVALUE : Keep(shades_, shades);
}

HRESULT Device::SetDither(BOOL on) {
    return Keep(dither_, on);
}

HRESULT Device::SetTextureQuality(uint32_t quality) {
    return Keep(textureQuality_, quality);
}

void Device::RemoveViewport(Viewport* viewport) {
    Forget(viewports_, viewport);
}

HRESULT Device::Update() {
    RenderTarget target{};
    if (!source_->Lock(&target)) return D3DRMERR_BADDEVICE;
    for (Viewport* viewport : viewports_)
        viewport->Render(target);
    source_->Unlock();
    return D3DRM_OK;
}

HRESULT Direct3DRMCreate(Direct3DRM** rm) {
    if (rm == nullptr) return D3DRMERR_BADVALUE;
    *rm = new Direct3DRM();
    return D3DRM_OK;
}

Direct3DRM::~Direct3DRM() {
    for (Frame* frame : frames_)
        frame->DetachOwner();
    for (Device* device : devices_)
        device->DetachOwner();
}

void Direct3DRM::Unregister(Frame* frame) {
    Forget(frames_, frame);
}
void Direct3DRM::Unregister(Device* device) {
    Forget(devices_, device);
}

HRESULT Direct3DRM::CreateFrame(Frame* parent, Frame** frame) {
    if (frame == nullptr) return D3DRMERR_BADVALUE;
    *frame = new Frame(this);
    if (parent != nullptr) parent->AddChild(*frame);
    return D3DRM_OK;
}

HRESULT Direct3DRM::CreateMeshBuilder(MeshBuilder** builder) {
    return Hand(new MeshBuilder(), builder);
}

HRESULT Direct3DRM::CreateMaterial(float power, Material** material) {
    return Hand(new Material(power), material);
}

HRESULT Direct3DRM::CreateLightRGB(uint32_t type, float r, float g, float b, Light** light) {
    if (type > D3DRMLIGHT_PARALLELPOINT) return D3DRMERR_BADVALUE;
    return Hand(new Light(type, r, g, b), light);
}

HRESULT Direct3DRM::CreateViewport(Device* device, Frame* camera, int32_t x, int32_t y,
                                   int32_t width, int32_t height, Viewport** viewport) {
    if (device == nullptr || camera == nullptr) return D3DRMERR_BADOBJECT;
    if (width < 0 || height < 0) return D3DRMERR_BADVALUE;
    return Hand(new Viewport(device, camera, x, y, width, height), viewport);
}

HRESULT Direct3DRM::CreateDeviceFromTarget(const GUID* guid, TargetSource* source, int32_t width,
                                           int32_t height, Device** device) {
    if (source == nullptr) return D3DRMERR_BADOBJECT;
    D3DCOLORMODEL model = D3DCOLOR_RGB;
    if (guid != nullptr && *guid == IID_SoftwareMonoDevice) model = D3DCOLOR_MONO;
    if (guid != nullptr && !(*guid == IID_SoftwareMonoDevice) && !(*guid == IID_SoftwareRgbDevice))
        return D3DRMERR_BADDEVICE;
    return Hand(new Device(this, source, width, height, model), device);
}

HRESULT Direct3DRM::CreateWrap(uint32_t type, Frame* reference, float ox, float oy, float oz,
                               float dx, float dy, float dz, float ux, float uy, float uz, float ou,
                               float ov, float su, float sv, Wrap** wrap) {
    if (type > D3DRMWRAP_CYLINDER) return D3DRMERR_BADVALUE;
    const D3DVECTOR z = Normalize({dx, dy, dz});
    const D3DVECTOR x = Cross({ux, uy, uz}, z);
    if (Length(z) == 0 || Length(x) < 1e-6f) return D3DRMERR_BADVALUE;
    const D3DVECTOR xAxis = Normalize(x);
    const Wrap::Basis basis{{ox, oy, oz}, xAxis, Cross(z, xAxis), z};
    return Hand(new Wrap(type, reference, basis, ou, ov, su, sv), wrap);
}

HRESULT Direct3DRM::CreateShadow(Visual* visual, Light* light, float px, float py, float pz,
                                 float nx, float ny, float nz, Visual** shadow) {
    auto* mesh = dynamic_cast<Mesh*>(visual);
    if (mesh == nullptr || light == nullptr) return D3DRMERR_BADOBJECT;
    const D3DVECTOR normal = Normalize({nx, ny, nz});
    if (Length(normal) == 0) return D3DRMERR_BADVALUE;
    return Hand<Visual>(new Shadow(mesh, light, {px, py, pz}, normal), shadow);
}

HRESULT Direct3DRM::SetDefaultTextureColors(DWORD colours) {
    return Keep(textureColours_, colours);
}

HRESULT Direct3DRM::SetDefaultTextureShades(DWORD shades) {
    return Keep(textureShades_, shades);
}

HRESULT Direct3DRM::Tick(float delta) {
    for (Frame* frame : frames_)
        frame->Move(delta);
    HRESULT result = D3DRM_OK;
    for (Device* device : devices_)
        if (device->Update() != D3DRM_OK) result = D3DRMERR_BADDEVICE;
    return result;
}

HRESULT Direct3D::EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void* context) const {
    if (callback == nullptr) return D3DRMERR_BADVALUE;
    struct Entry {
        GUID guid;
        char description[40];
        char name[24];
        D3DCOLORMODEL model;
    };
    Entry entries[] = {
        {IID_SoftwareMonoDevice, "Software rasterizer, mono ramp", "Software Mono", D3DCOLOR_MONO},
        {IID_SoftwareRgbDevice, "Software rasterizer, RGB", "Software RGB", D3DCOLOR_RGB}};
    for (Entry& entry : entries) {
        D3DDEVICEDESC hardware{sizeof(D3DDEVICEDESC), 0, 0, 0, 0, 0};
        D3DDEVICEDESC software{sizeof(D3DDEVICEDESC), 0,      entry.model, 0,
                               DDBD_16 | DDBD_32,     DDBD_16};
        if (callback(&entry.guid, entry.description, entry.name, &hardware, &software, context) ==
            D3DENUMRET_CANCEL)
            break;
    }
    return D3DRM_OK;
}

HRESULT Direct3DCreate(Direct3D** d3d) {
    return Hand(new Direct3D(), d3d);
}

}  // namespace rm
