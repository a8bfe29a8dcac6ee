#pragma once
// The joystick platform: positions and buttons of the backend's joysticks in the multimedia
// library's terms. Axes run 0 to 65535 (the device's value + 32768) and read 32767 at rest
// within the dead zone; buttons are bits (button n is bit n - 1); the point-of-view hat is in
// hundredths of a degree. Joystick n is the n-th device connected. The headless backend has
// none unless a test plugs one in.
#include "platform/win/types.h"

#include <cstdint>

namespace joy {

using MMRESULT = UINT;

inline constexpr MMRESULT JOYERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT JOYERR_BASE = 160;
inline constexpr MMRESULT JOYERR_PARMS = JOYERR_BASE + 5;
inline constexpr MMRESULT JOYERR_UNPLUGGED = JOYERR_BASE + 7;

inline constexpr UINT JOYSTICKID1 = 0;
inline constexpr UINT JOYSTICKID2 = 1;

inline constexpr DWORD JOY_RETURNX = 0x1;
inline constexpr DWORD JOY_RETURNY = 0x2;
inline constexpr DWORD JOY_RETURNZ = 0x4;
inline constexpr DWORD JOY_RETURNR = 0x8;
inline constexpr DWORD JOY_RETURNU = 0x10;
inline constexpr DWORD JOY_RETURNV = 0x20;
inline constexpr DWORD JOY_RETURNPOV = 0x40;
inline constexpr DWORD JOY_RETURNBUTTONS = 0x80;
inline constexpr DWORD JOY_RETURNRAWDATA = 0x100;
inline constexpr DWORD JOY_RETURNPOVCTS = 0x200;
inline constexpr DWORD JOY_RETURNCENTERED = 0x400;
inline constexpr DWORD JOY_USEDEADZONE = 0x800;
inline constexpr DWORD JOY_RETURNALL = JOY_RETURNX | JOY_RETURNY | JOY_RETURNZ | JOY_RETURNR |
                                       JOY_RETURNU | JOY_RETURNV | JOY_RETURNPOV |
                                       JOY_RETURNBUTTONS;

inline constexpr DWORD JOY_BUTTON1 = 0x1;
inline constexpr DWORD JOY_BUTTON2 = 0x2;
inline constexpr DWORD JOY_BUTTON3 = 0x4;
inline constexpr DWORD JOY_BUTTON4 = 0x8;

inline constexpr DWORD JOY_POVCENTERED = 0xFFFF;
inline constexpr DWORD JOY_POVFORWARD = 0;
inline constexpr DWORD JOY_POVRIGHT = 9000;
inline constexpr DWORD JOY_POVBACKWARD = 18000;
inline constexpr DWORD JOY_POVLEFT = 27000;

struct JOYINFOEX {
    DWORD dwSize;  // sizeof(JOYINFOEX), 52
    DWORD dwFlags;
    DWORD dwXpos;
    DWORD dwYpos;
    DWORD dwZpos;
    DWORD dwRpos;
    DWORD dwUpos;
    DWORD dwVpos;
    DWORD dwButtons;
    DWORD dwButtonNumber;
    DWORD dwPOV;
    DWORD dwReserved1;
    DWORD dwReserved2;
};
static_assert(sizeof(JOYINFOEX) == 52);

// The axes' value at rest, and how far around it JOY_USEDEADZONE reports the rest value.
inline constexpr DWORD kCentre = 32767;
inline constexpr DWORD kDeadZone = 4096;
// Identifiers beyond this answer JOYERR_PARMS.
inline constexpr UINT kMaxJoysticks = 16;

// Reads joystick `id`: JOYERR_NOERROR, JOYERR_UNPLUGGED when no such device is connected,
// JOYERR_PARMS for an identifier beyond the table, MMSYSERR_INVALPARAM for a bad block, and
// MMSYSERR_NODRIVER when the joystick system cannot start.
MMRESULT joyGetPosEx(UINT id, JOYINFOEX* info);
// Lets go of every device and starts the joystick system afresh, so that devices and mappings
// are read again.
MMRESULT joyConfigChanged(DWORD flags);

}  // namespace joy
