#include "platform/joy/joy.h"

#include <bit>

#include "platform/backend/backend.h"

namespace joy {

namespace {

// A pressed direction pad or hat steers X and Y too, so that a pad without a stick (or a
// player who prefers the pad) moves whoever reads only the two main axes.
void FoldHatIntoAxes(backend::JoystickReading& reading) {
    if (reading.hat & backend::kHatLeft) reading.axes[0] = -32768;
    if (reading.hat & backend::kHatRight) reading.axes[0] = 32767;
    if (reading.hat & backend::kHatUp) reading.axes[1] = -32768;
    if (reading.hat & backend::kHatDown) reading.axes[1] = 32767;
}

DWORD Position(int32_t axis, bool useDeadZone) {
    if (useDeadZone && axis > -int32_t{kDeadZone} && axis < int32_t{kDeadZone}) return kCentre;
    return static_cast<DWORD>(axis + 32768);
}

// The hat's direction in hundredths of a degree clockwise from forward; opposite bits cancel.
DWORD PointOfView(uint8_t hat) {
    const int right = (hat & backend::kHatRight ? 1 : 0) - (hat & backend::kHatLeft ? 1 : 0);
    const int up = (hat & backend::kHatUp ? 1 : 0) - (hat & backend::kHatDown ? 1 : 0);
    constexpr DWORD kDirections[3][3] = {{22500, JOY_POVBACKWARD, 13500},
                                         {JOY_POVLEFT, JOY_POVCENTERED, JOY_POVRIGHT},
                                         {31500, JOY_POVFORWARD, 4500}};
    return kDirections[up + 1][right + 1];
}

// Fills the fields that the flags ask for; the others keep what they held.
void Fill(const backend::JoystickReading& reading, JOYINFOEX& info) {
    const bool deadZone = (info.dwFlags & JOY_USEDEADZONE) != 0;
    DWORD* const positions[6] = {&info.dwXpos, &info.dwYpos, &info.dwZpos,
                                 &info.dwRpos, &info.dwUpos, &info.dwVpos};
    const DWORD axisFlags[6] = {JOY_RETURNX, JOY_RETURNY, JOY_RETURNZ,
                                JOY_RETURNR, JOY_RETURNU, JOY_RETURNV};
    for (int i = 0; i < 6; ++i) {
        if (info.dwFlags & axisFlags[i]) *positions[i] = Position(reading.axes[i], deadZone);
    }
    if (info.dwFlags & JOY_RETURNBUTTONS) {
        info.dwButtons = reading.buttons;
        info.dwButtonNumber = static_cast<DWORD>(std::popcount(reading.buttons));
    }
    if (info.dwFlags & (JOY_RETURNPOV | JOY_RETURNPOVCTS)) info.dwPOV = PointOfView(reading.hat);
}

}  // namespace

MMRESULT joyGetPosEx(UINT id, JOYINFOEX* info) {
    if (info == nullptr || info->dwSize != sizeof(JOYINFOEX)) return MMSYSERR_INVALPARAM;
    if (id >= kMaxJoysticks) return JOYERR_PARMS;
    backend::JoystickReading reading;
    switch (backend::Active().ReadJoystick(id, reading)) {
        case backend::JoystickAnswer::NoDriver:
            return MMSYSERR_NODRIVER;
        case backend::JoystickAnswer::Unplugged:
            return JOYERR_UNPLUGGED;
        case backend::JoystickAnswer::Read:
            break;
    }
    FoldHatIntoAxes(reading);
    Fill(reading, *info);
    return JOYERR_NOERROR;
}

MMRESULT joyConfigChanged(DWORD) {
    return backend::Active().RestartJoysticks() ? JOYERR_NOERROR : MMSYSERR_NODRIVER;
}

}  // namespace joy
