#pragma once
// The 3D module's tables: lights, cameras, motion slots and the one-shot load settings.
#include <kr/kr.h>

#include "platform/rm/rm.h"

namespace kr3D {

struct LightSlot {
    rm::Frame* frame;
    rm::Light* light;
    rm::D3DVECTOR position;  // framework axes
    rm::D3DVECTOR velocity;  // for MoveLight
};

struct CameraSlot {
    int32_t inUse;
    rm::Frame* frame;
    rm::Viewport* viewport;
    int32_t left, top, right, bottom;
};

struct AxisMotion {
    int32_t direction;  // last driven, 0 when idle
    float speed;        // never negative
    float velocity;     // direction times speed
};

struct TurnMotion {
    int32_t direction;
    float speed;  // radians per 1/60 s
    float axis;   // the direction as a float
};

// Axes x, y, z; turns about y, x, z.
struct MotionSlot {
    float moveAcceleration, turnAcceleration;
    AxisMotion move[3];
    TurnMotion turn[3];
    float moveMaximum, turnMaximum;  // model slots only
};

struct LoadSettings {
    int32_t wireframe, flat, unlitFlat, colourSet;
    float red, green, blue;
    float scale;
    rm::Texture* texture;
    int32_t perspective, cylindrical, tilesU, tilesV;
    int32_t shadowLight;
    rm::Frame* parent;
    int32_t frameMaterial;
};

inline constexpr float kNoScale = -999.0f;

extern LightSlot lights[kLights];
extern CameraSlot cameras[kCameras];  // camera n in entry n - 1
extern MotionSlot cameraMotion[kCameras];
extern MotionSlot modelMotion[kModelSlots];
extern LoadSettings loadSettings;

// The device search: a hardware device, once taken, is final; among software devices the last
// match wins. Always goes on with the enumeration.
HRESULT DeviceSearchCallback(rm::GUID* guid, char* description, char* name,
                             rm::D3DDEVICEDESC* hardware, rm::D3DDEVICEDESC* software,
                             void* context);

// frameSeconds over 1/60 s.
float FrameFactor();
// The slot of a camera number, or null outside 1 to 4.
CameraSlot* Camera(int32_t camera);
// The frame of a created camera, or null.
rm::Frame* CameraFrame(int32_t camera);
// The slot of a light number, or null outside 0 to 3.
LightSlot* Light(int32_t light);
// Degrees to radians as a 32-bit float.
float Radians(float degrees);
// Zeroes the direction, speed, velocity and axis fields.
void ClearMotion(MotionSlot& slot);
// The frame the models hang from: the parent setting or the scene root.
rm::Frame* ModelParent();
// Back to the state of a program that has not started.
void ResetForNextRun();
void ClearLoadSettings();

}  // namespace kr3D
