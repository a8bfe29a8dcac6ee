#pragma once
// kr3D: the 3D device on the display's 3D surface, the scene root and the per-frame render,
// models and textures, numbered lights and cameras, frame transforms, motion slots with inertia,
// the frame hierarchy and scene queries. Positions given to these operations are in framework
// axes: a caller's (x, y, z) enters the scene as (x, -y, -z).
#include <kr/wintypes.h>

#include <cstdint>

namespace rm {
class Direct3D;
class Direct3DRM;
class Device;
class Frame;
class Texture;
}  // namespace rm

// The module-wide 3D state; the display set-up reads the Z buffer's depth and memory and sets
// the wanted colour model when it takes an accelerator.
struct kr3DStateRecord {
    rm::Direct3D* direct3D;
    rm::Direct3DRM* retainedMode;
    rm::Device* device;
    rm::Frame* scene;  // the scene root; null until kr3D::SetBackground
    int32_t wantedColourModel;
    int32_t hardwareFound;
    int32_t deviceChosen;  // the device GUID below is set
    uint32_t deviceGuid[4];
    int32_t zBufferDepth;
    uint32_t zBufferMemory;
    int32_t modelCursor, cameraCursor;
    uint32_t shownTotal;  // the triangle total of the last kr3D::ShowPolygons
    uint32_t countedTotal, countedDifference;
    char overlayText[64];
};

extern kr3DStateRecord kr3DState;

namespace kr3D {

inline constexpr int32_t kLights = 4;   // 0 the ambient light, 1 to 3 directed lights
inline constexpr int32_t kCameras = 4;  // numbered 1 to 4
inline constexpr int32_t kModelSlots = 256;

// Device, scene root and per-frame render.
int32_t Init();
void CreateDevice();
void SetBackground(float red, float green, float blue);
void Render();
// Formats the triangles drawn since the last call, and that count times the frame rate, into
// kr3DState.overlayText as "%ld ppf ( %ld pps )".
void ShowPolygons();
uint32_t CountPolygons();
void Release();

// Models and textures.
rm::Frame* LoadObject(const char* fileName, int32_t count, rm::Frame** frames);
rm::Frame* CreateObject();
void DeleteObject(rm::Frame** frame);
rm::Texture* LoadTexture(const char* fileName);
void ReleaseTexture(rm::Texture** texture);
HRESULT ReloadTexture(const char* fileName, rm::Texture** texture);
void SetWireframe();
void SetFlat();
void SetUnlitFlat();
void SetFrameMaterial();
void SetColor(float red, float green, float blue);
void SetScale(float scale);
void SetTexture(rm::Texture* texture, int32_t perspective, int32_t cylindrical, int32_t tilesU,
                int32_t tilesV);
void SetShadow(int32_t light);
void SetParent(rm::Frame* parent);
HRESULT SetTransparentColor(rm::Texture* texture, uint32_t colour);
HRESULT ClearTransparentColor(rm::Texture* texture);
HRESULT SetObjectColor(rm::Frame* frame, float red, float green, float blue);
HRESULT SetObjectTexture(rm::Frame* frame, rm::Texture* texture);
HRESULT SetObjectGray(rm::Frame* frame, float level);
HRESULT ClearObjectTexture(rm::Frame* frame);

// Lights and cameras.
void SetAmbient(float level);
int32_t CreateLight(int32_t light, float level, int32_t direction);
void SetLightPosition(int32_t light, float x, float y, float z);
void LightOn(int32_t light);
void LightOff(int32_t light);
void SetLightVelocity(int32_t light, float vx, float vy, float vz);
void MoveLight(int32_t light);
void LightToObject(rm::Frame* frame, int32_t light);
int32_t CreateCamera(int32_t camera, int32_t left, int32_t top, int32_t right, int32_t bottom);
void SetCameraDepth(int32_t camera, float front, float back);
void SetCameraRect(int32_t camera, int32_t left, int32_t top, int32_t right, int32_t bottom,
                   int32_t clear);
void ReorderCameras(int32_t a, int32_t b);
void ShowCamera(int32_t camera);
void HideCamera(int32_t camera, int32_t clear);

// Frame transforms.
void SetPosition(rm::Frame* frame, float x, float y, float z);
void MoveX(rm::Frame* frame, float x);
void MoveY(rm::Frame* frame, float y);
void MoveZ(rm::Frame* frame, float z);
void RotateY(rm::Frame* frame, float degrees);
void RotateX(rm::Frame* frame, float degrees);
void RotateZ(rm::Frame* frame, float degrees);
void Rotate(rm::Frame* frame, float yaw, float pitch, float roll, float degrees);
void Spin(rm::Frame* frame, float yaw, float pitch, float roll);
void LookAt(rm::Frame* frame, rm::Frame* target);
void CopyPose(rm::Frame* source, rm::Frame* destination);
void SetCameraPosition(int32_t camera, float x, float y, float z);
void SetCameraX(int32_t camera, float x);
void SetCameraY(int32_t camera, float y);
void SetCameraZ(int32_t camera, float z);
void RotateCameraY(int32_t camera, float degrees);
void RotateCameraX(int32_t camera, float degrees);
void RotateCameraZ(int32_t camera, float degrees);
void RotateCamera(int32_t camera, float yaw, float pitch, float roll, float degrees);
void SpinCamera(int32_t camera, float yaw, float pitch, float roll);
void CameraLookAt(int32_t camera, rm::Frame* target);
void CurrentCameraLookAt(rm::Frame* target);
void CameraFollow(int32_t camera, rm::Frame* target, float x, float y, float distance);
void CurrentCameraFollow(rm::Frame* target, float x, float y, float distance);
void CameraOrbit(int32_t camera, rm::Frame* target, float yaw, float pitch, float distance);
void CurrentCameraOrbit(rm::Frame* target, float yaw, float pitch, float distance);

// Motion slots.
void SetCameraAcceleration(float move, float turn);
void SetModelAcceleration(float move, float turn, float moveMaximum, float turnMaximum);
void AccelerateCameraX(int32_t direction);
void AccelerateCameraY(int32_t direction);
void AccelerateCameraZ(int32_t direction);
void TurnCameraY(int32_t direction);
void TurnCameraX(int32_t direction);
void TurnCameraZ(int32_t direction);
void BrakeCameraX();
void BrakeCameraY();
void BrakeCameraZ();
void BrakeCameraTurnY();
void BrakeCameraTurnX();
void BrakeCameraTurnZ();
void ClearCameraMotion();
int32_t UpdateCamera();
int32_t ThroughCamera();
void AccelerateModelX(int32_t direction);
void AccelerateModelY(int32_t direction);
void AccelerateModelZ(int32_t direction);
void TurnModelY(int32_t direction);
void TurnModelX(int32_t direction);
void TurnModelZ(int32_t direction);
void BrakeModelX();
void BrakeModelY();
void BrakeModelZ();
void BrakeModelTurnY();
void BrakeModelTurnX();
void BrakeModelTurnZ();
void ClearModelMotion();
void SaveModelMotion();
void RestoreModelMotion();
void RandomModelMotion(int32_t range);
void ReverseModelMotion();
void GetModelMotionX(float* speed, int32_t* direction);
void GetModelMotionY(float* speed, int32_t* direction);
void GetModelMotionZ(float* speed, int32_t* direction);
int32_t UpdateModel(rm::Frame* frame);
int32_t ThroughModel();

// Hierarchy and queries.
void ShowObject(rm::Frame* frame);
void HideObject(rm::Frame* frame);
void AttachObject(rm::Frame* parent, rm::Frame* child);
void DetachObject(rm::Frame* parent, rm::Frame* child);
rm::Frame* GetParent(rm::Frame* frame);
float GetDistanceFromOrigin(rm::Frame* frame);
float GetDistance(rm::Frame* a, rm::Frame* b);
void ProjectObject(rm::Frame* frame, int32_t camera, int32_t* x, int32_t* y, float* depth);
int32_t PickObject(int32_t x, int32_t y, int32_t camera, rm::Frame* a, rm::Frame* b);

}  // namespace kr3D
