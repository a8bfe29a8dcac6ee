#include "platform/joy/joy.h"

#include <SDL.h>

#include <algorithm>
#include <bit>
#include <sstream>
#include <string>
#include <vector>

namespace joy {

namespace {

// One opened device: a game controller when the mapping database knows it, else a joystick.
struct Device {
    SDL_JoystickID instance;
    SDL_GameController* controller;
    SDL_Joystick* joystick;  // the controller's own joystick for a controller
};

struct JoyState {
    bool enabled = true;
    bool started = false;
    std::vector<Device> devices;
};
JoyState joyState;

// A reading in SDL's terms: axes -32768 to 32767 in the order X, Y, Z, R, U, V.
struct Reading {
    int32_t axes[6] = {};
    uint32_t buttons = 0;
    Uint8 hat = SDL_HAT_CENTERED;
};

// The mappings of SDL_GAMECONTROLLERCONFIG, one a line, read again at every start: the joystick
// system may have outlived the previous one.
void AddConfiguredMappings() {
    const char* mappings = SDL_GetHint(SDL_HINT_GAMECONTROLLERCONFIG);
    if (mappings == nullptr) return;
    std::istringstream lines(mappings);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) SDL_GameControllerAddMapping(line.c_str());
    }
}

bool Start() {
    if (joyState.started) return true;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
    AddConfiguredMappings();
    // Joysticks are polled; no events pile up in the queue.
    SDL_JoystickEventState(SDL_IGNORE);
    SDL_GameControllerEventState(SDL_IGNORE);
    joyState.started = true;
    return true;
}

void Close(const Device& device) {
    if (device.controller != nullptr) {
        SDL_GameControllerClose(device.controller);
    } else {
        SDL_JoystickClose(device.joystick);
    }
}

void Stop() {
    if (!joyState.started) return;
    for (const Device& device : joyState.devices)
        Close(device);
    joyState.devices.clear();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    joyState.started = false;
}

void ForgetUnplugged() {
    std::erase_if(joyState.devices, [](const Device& device) {
        if (SDL_JoystickGetAttached(device.joystick)) return false;
        Close(device);
        return true;
    });
}

const Device* OpenDevice(int index) {
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(index);
    for (const Device& device : joyState.devices) {
        if (device.instance == instance) return &device;
    }
    Device device{instance, nullptr, nullptr};
    if (SDL_IsGameController(index)) device.controller = SDL_GameControllerOpen(index);
    device.joystick = device.controller != nullptr
                          ? SDL_GameControllerGetJoystick(device.controller)
                          : SDL_JoystickOpen(index);
    if (device.joystick == nullptr) return nullptr;
    joyState.devices.push_back(device);
    return &joyState.devices.back();
}

// A controller's buttons in the order that the common pads' drivers number them.
constexpr SDL_GameControllerButton kControllerButtons[] = {SDL_CONTROLLER_BUTTON_A,
                                                           SDL_CONTROLLER_BUTTON_B,
                                                           SDL_CONTROLLER_BUTTON_X,
                                                           SDL_CONTROLLER_BUTTON_Y,
                                                           SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                                                           SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
                                                           SDL_CONTROLLER_BUTTON_BACK,
                                                           SDL_CONTROLLER_BUTTON_START,
                                                           SDL_CONTROLLER_BUTTON_LEFTSTICK,
                                                           SDL_CONTROLLER_BUTTON_RIGHTSTICK,
                                                           SDL_CONTROLLER_BUTTON_GUIDE,
                                                           SDL_CONTROLLER_BUTTON_MISC1,
                                                           SDL_CONTROLLER_BUTTON_PADDLE1,
                                                           SDL_CONTROLLER_BUTTON_PADDLE2,
                                                           SDL_CONTROLLER_BUTTON_PADDLE3,
                                                           SDL_CONTROLLER_BUTTON_PADDLE4,
                                                           SDL_CONTROLLER_BUTTON_TOUCHPAD};

Reading ReadController(SDL_GameController* pad) {
    Reading reading;
    auto axis = [pad](SDL_GameControllerAxis which) {
        return int32_t{SDL_GameControllerGetAxis(pad, which)};
    };
    reading.axes[0] = axis(SDL_CONTROLLER_AXIS_LEFTX);
    reading.axes[1] = axis(SDL_CONTROLLER_AXIS_LEFTY);
    // Both triggers on one axis: the left one raises it, the right one lowers it.
    reading.axes[2] =
        std::clamp(axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT) - axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT),
                   -32768, 32767);
    reading.axes[3] = axis(SDL_CONTROLLER_AXIS_RIGHTY);
    reading.axes[4] = axis(SDL_CONTROLLER_AXIS_RIGHTX);
    for (size_t bit = 0; bit < std::size(kControllerButtons); ++bit) {
        if (SDL_GameControllerGetButton(pad, kControllerButtons[bit])) reading.buttons |= 1u << bit;
    }
    auto pressed = [pad](SDL_GameControllerButton button) {
        return SDL_GameControllerGetButton(pad, button) != 0;
    };
    reading.hat =
        static_cast<Uint8>((pressed(SDL_CONTROLLER_BUTTON_DPAD_UP) ? SDL_HAT_UP : 0) |
                           (pressed(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) ? SDL_HAT_RIGHT : 0) |
                           (pressed(SDL_CONTROLLER_BUTTON_DPAD_DOWN) ? SDL_HAT_DOWN : 0) |
                           (pressed(SDL_CONTROLLER_BUTTON_DPAD_LEFT) ? SDL_HAT_LEFT : 0));
    return reading;
}

Reading ReadJoystick(SDL_Joystick* stick) {
    Reading reading;
    const int axes = std::min(SDL_JoystickNumAxes(stick), 6);
    for (int i = 0; i < axes; ++i)
        reading.axes[i] = SDL_JoystickGetAxis(stick, i);
    const int buttons = std::min(SDL_JoystickNumButtons(stick), 32);
    for (int i = 0; i < buttons; ++i) {
        if (SDL_JoystickGetButton(stick, i)) reading.buttons |= 1u << i;
    }
    if (SDL_JoystickNumHats(stick) > 0) reading.hat = SDL_JoystickGetHat(stick, 0);
    return reading;
}

// A pressed direction pad or hat steers X and Y too, so that a pad without a stick (or a
// player who prefers the pad) moves whoever reads only the two main axes.
void FoldHatIntoAxes(Reading& reading) {
    if (reading.hat & SDL_HAT_LEFT) reading.axes[0] = -32768;
    if (reading.hat & SDL_HAT_RIGHT) reading.axes[0] = 32767;
    if (reading.hat & SDL_HAT_UP) reading.axes[1] = -32768;
    if (reading.hat & SDL_HAT_DOWN) reading.axes[1] = 32767;
}

DWORD Position(int32_t axis, bool useDeadZone) {
    if (useDeadZone && axis > -int32_t{kDeadZone} && axis < int32_t{kDeadZone}) return kCentre;
    return static_cast<DWORD>(axis + 32768);
}

DWORD PointOfView(Uint8 hat) {
    switch (hat) {
        case SDL_HAT_UP:
            return JOY_POVFORWARD;
        case SDL_HAT_RIGHTUP:
            return 4500;
        case SDL_HAT_RIGHT:
            return JOY_POVRIGHT;
        case SDL_HAT_RIGHTDOWN:
            return 13500;
        case SDL_HAT_DOWN:
            return JOY_POVBACKWARD;
        case SDL_HAT_LEFTDOWN:
            return 22500;
        case SDL_HAT_LEFT:
            return JOY_POVLEFT;
        case SDL_HAT_LEFTUP:
            return 31500;
        default:
            return JOY_POVCENTERED;
    }
}

// Fills the fields that the flags ask for; the others keep what they held.
void Fill(const Reading& reading, JOYINFOEX& info) {
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
    if (!joyState.enabled) return JOYERR_UNPLUGGED;
    if (!Start()) return MMSYSERR_NODRIVER;
    SDL_JoystickUpdate();
    ForgetUnplugged();
    if (static_cast<int>(id) >= SDL_NumJoysticks()) return JOYERR_UNPLUGGED;
    const Device* device = OpenDevice(static_cast<int>(id));
    if (device == nullptr) return JOYERR_UNPLUGGED;
    Reading reading = device->controller != nullptr ? ReadController(device->controller)
                                                    : ReadJoystick(device->joystick);
    FoldHatIntoAxes(reading);
    Fill(reading, *info);
    return JOYERR_NOERROR;
}

MMRESULT joyConfigChanged(DWORD) {
    Stop();
    if (!joyState.enabled) return JOYERR_NOERROR;
    return Start() ? JOYERR_NOERROR : MMSYSERR_NODRIVER;
}

void SetDevicesEnabled(bool enabled) {
    joyState.enabled = enabled;
    if (!enabled) Stop();
}

}  // namespace joy
