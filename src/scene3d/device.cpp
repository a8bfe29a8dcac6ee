// The device search, the device on the 3D surface, the scene root, the render and the counts.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "draw/display.h"
#include "draw/frame_rate.h"
#include "scene3d/scene3d.h"

namespace {

kr3DStateRecord InitialState() {
    kr3DStateRecord initial{};
    initial.wantedColourModel = 1;
    return initial;
}

}  // namespace

kr3DStateRecord kr3DState = InitialState();

namespace kr3D {

LightSlot lights[kLights];
CameraSlot cameras[kCameras];
MotionSlot cameraMotion[kCameras];
MotionSlot modelMotion[kModelSlots];

namespace {

constexpr uint32_t kSystemMemory = 0x800;  // DDSCAPS_SYSTEMMEMORY

rm::GUID ChosenGuid() {
    rm::GUID guid{};
    std::memcpy(&guid, kr3DState.deviceGuid, sizeof guid);
    return guid;
}

int32_t ZDepthOf(DWORD depths) {
    if ((depths & rm::DDBD_16) != 0) return 16;
    if ((depths & rm::DDBD_24) != 0) return 24;
    if ((depths & rm::DDBD_32) != 0) return 32;
    return 0;
}

}  // namespace

HRESULT DeviceSearchCallback(rm::GUID* guid, char*, char*, rm::D3DDEVICEDESC* hardware,
                             rm::D3DDEVICEDESC* software, void*) {
    if (kr3DState.hardwareFound != 0) return rm::D3DENUMRET_OK;
    const bool isHardware = hardware->dcmColorModel != 0;
    const rm::D3DDEVICEDESC& desc = isHardware ? *hardware : *software;
    if (desc.dcmColorModel != uint32_t(kr3DState.wantedColourModel)) return rm::D3DENUMRET_OK;
    if ((desc.dwDeviceRenderBitDepth & (rm::DDBD_16 | rm::DDBD_24 | rm::DDBD_32)) == 0)
        return rm::D3DENUMRET_OK;
    const int32_t zDepth = ZDepthOf(desc.dwDeviceZBufferBitDepth);
    if (zDepth == 0) return rm::D3DENUMRET_OK;
    std::memcpy(kr3DState.deviceGuid, guid, sizeof kr3DState.deviceGuid);
    kr3DState.deviceChosen = 1;
    kr3DState.zBufferMemory = kSystemMemory;
    kr3DState.zBufferDepth = isHardware ? zDepth : 16;
    kr3DState.hardwareFound = isHardware ? 1 : 0;
    return rm::D3DENUMRET_OK;
}

namespace {

void Search(int32_t colourModel) {
    kr3DState.wantedColourModel = colourModel;
    kr3DState.deviceChosen = 0;
    if (kr3DState.direct3D != nullptr)
        kr3DState.direct3D->EnumDevices(DeviceSearchCallback, nullptr);
}

void SetUpDevice(rm::Device* device) {
    device->SetBufferCount(2);
    kr3DState.retainedMode->SetDefaultTextureColors(256);
    kr3DState.retainedMode->SetDefaultTextureShades(16);
    device->SetShades(16);
    device->SetQuality(rm::D3DRMRENDER_GOURAUD);
    device->SetDither(FALSE);
    device->SetTextureQuality(rm::D3DRMTEXTURE_NEAREST);
}

template <typename T>
void ReleaseHandle(T*& handle) {
    if (handle != nullptr) handle->Release();
    handle = nullptr;
}

}  // namespace

int32_t Init() {
    rm::Direct3DCreate(&kr3DState.direct3D);
    if (krSystemState.fullScreen == 1 && krSystemState.classRegistered == 0)
        Search(rm::D3DCOLOR_RGB);
    if (kr3DState.hardwareFound == 0) Search(rm::D3DCOLOR_MONO);
    if (kr3DState.deviceChosen == 0)
        return krSystem::ErrorBox("kr3D::Init", "Direct3Dが使用できません");
    return 1;
}

void CreateDevice() {
    rm::Direct3DRMCreate(&kr3DState.retainedMode);
    const rm::GUID guid = ChosenGuid();
    kr3DState.retainedMode->CreateDeviceFromSurface(kr3DState.deviceChosen != 0 ? &guid : nullptr,
                                                    krDraw::display.directDraw,
                                                    krDraw::display.surface3D, &kr3DState.device);
    if (kr3DState.device != nullptr) SetUpDevice(kr3DState.device);
    kr3DState.modelCursor = 0;
    kr3DState.cameraCursor = 0;
    for (MotionSlot& slot : modelMotion)
        ClearMotion(slot);
    for (int32_t i = 0; i < kCameras; ++i) {
        ClearMotion(cameraMotion[i]);
        cameras[i].inUse = 0;
    }
    for (LightSlot& light : lights)
        light = LightSlot{};
}

void SetBackground(float red, float green, float blue) {
    if (kr3DState.retainedMode == nullptr) return;
    if (kr3DState.scene == nullptr) kr3DState.retainedMode->CreateFrame(nullptr, &kr3DState.scene);
    kr3DState.scene->SetSceneBackgroundRGB(red, green, blue);
}

void Render() {
    // A lost 3D surface would take nothing of this frame: it is restored before it is drawn on.
    if (krDraw::display.surface3D != nullptr && krDraw::display.surface3D->IsLost() != dd::DD_OK) {
        krDraw::RestoreAll();
    }
    for (const CameraSlot& camera : cameras)
        if (camera.inUse != 0 && camera.viewport != nullptr)
            camera.viewport->ForceUpdate(camera.left, camera.top, camera.right, camera.bottom);
    kr3DState.modelCursor = 0;
    kr3DState.cameraCursor = 0;
    if (kr3DState.retainedMode != nullptr) kr3DState.retainedMode->Tick(FrameFactor());
}

void ShowPolygons() {
    const float framesPerSecond = krDraw::frameRate.current;
    const uint32_t total = kr3DState.device != nullptr ? kr3DState.device->GetTrianglesDrawn() : 0;
    const uint32_t perFrame = total - kr3DState.shownTotal;
    const auto perSecond = static_cast<int32_t>(float(perFrame) * framesPerSecond);
    std::snprintf(kr3DState.overlayText, sizeof kr3DState.overlayText, "%ld ppf ( %ld pps )",
                  static_cast<long>(perFrame), static_cast<long>(perSecond));
    kr3DState.shownTotal = total;
    krDraw::ShowText(0, 15, kr3DState.overlayText);
}

uint32_t CountPolygons() {
    const uint32_t total = kr3DState.device != nullptr ? kr3DState.device->GetTrianglesDrawn() : 0;
    kr3DState.countedDifference = total - kr3DState.countedTotal;
    kr3DState.countedTotal = total;
    return kr3DState.countedDifference;
}

void Release() {
    // The device, viewports, frames and lights go too, so that nothing outlives the quit.
    for (CameraSlot& camera : cameras) {
        ReleaseHandle(camera.viewport);
        ReleaseHandle(camera.frame);
        camera.inUse = 0;
    }
    for (LightSlot& light : lights) {
        ReleaseHandle(light.light);
        ReleaseHandle(light.frame);
    }
    ReleaseHandle(kr3DState.device);
    ReleaseHandle(kr3DState.scene);
    ReleaseHandle(kr3DState.retainedMode);
    ReleaseHandle(kr3DState.direct3D);
}

float FrameFactor() {
    return krSystemState.frameSeconds / 0.016666668f;
}

CameraSlot* Camera(int32_t camera) {
    return camera >= 1 && camera <= kCameras ? &cameras[camera - 1] : nullptr;
}

rm::Frame* CameraFrame(int32_t camera) {
    const CameraSlot* slot = Camera(camera);
    return slot != nullptr ? slot->frame : nullptr;
}

LightSlot* Light(int32_t light) {
    return light >= 0 && light < kLights ? &lights[light] : nullptr;
}

float Radians(float degrees) {
    return static_cast<float>(degrees * (3.141592653589793 / 180.0));
}

void ClearMotion(MotionSlot& slot) {
    for (AxisMotion& axis : slot.move)
        axis = AxisMotion{};
    for (TurnMotion& turn : slot.turn)
        turn = TurnMotion{};
}

void ResetForNextRun() {
    Release();
    kr3DState = InitialState();
    std::ranges::fill(cameraMotion, MotionSlot{});
    std::ranges::fill(modelMotion, MotionSlot{});
    std::ranges::fill(lights, LightSlot{});
    ClearLoadSettings();
}

}  // namespace kr3D
