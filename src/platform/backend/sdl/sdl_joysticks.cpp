// SDL joysticks and game controllers, read in the device library's terms. SDL's game-controller
// mapping database, with the mappings in SDL_GAMECONTROLLERCONFIG, decides which devices are
// game controllers.
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "platform/backend/sdl/sdl_backend.h"

namespace sdl {

namespace {

static_assert(SDL_HAT_UP == backend::kHatUp && SDL_HAT_RIGHT == backend::kHatRight &&
              SDL_HAT_DOWN == backend::kHatDown && SDL_HAT_LEFT == backend::kHatLeft);

// One opened device: a game controller when the mapping database knows it, else a joystick.
struct Device {
    SDL_JoystickID instance;
    SDL_GameController* controller;
    SDL_Joystick* joystick;  // the controller's own joystick for a controller
};

struct JoystickState {
    bool started = false;
    std::vector<Device> devices;
};
JoystickState joysticks;

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
    if (joysticks.started) return true;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
    AddConfiguredMappings();
    // Joysticks are polled; no events pile up in the queue.
    SDL_JoystickEventState(SDL_IGNORE);
    SDL_GameControllerEventState(SDL_IGNORE);
    joysticks.started = true;
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
    if (!joysticks.started) return;
    for (const Device& device : joysticks.devices)
        Close(device);
    joysticks.devices.clear();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    joysticks.started = false;
}

void ForgetUnplugged() {
    std::erase_if(joysticks.devices, [](const Device& device) {
        if (SDL_JoystickGetAttached(device.joystick)) return false;
        Close(device);
        return true;
    });
}

const Device* OpenDevice(int index) {
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(index);
    for (const Device& device : joysticks.devices) {
        if (device.instance == instance) return &device;
    }
    Device device{instance, nullptr, nullptr};
    if (SDL_IsGameController(index)) device.controller = SDL_GameControllerOpen(index);
    device.joystick = device.controller != nullptr
                          ? SDL_GameControllerGetJoystick(device.controller)
                          : SDL_JoystickOpen(index);
    if (device.joystick == nullptr) return nullptr;
    joysticks.devices.push_back(device);
    return &joysticks.devices.back();
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

backend::JoystickReading ReadController(SDL_GameController* pad) {
    backend::JoystickReading reading;
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

backend::JoystickReading ReadStick(SDL_Joystick* stick) {
    backend::JoystickReading reading;
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

}  // namespace

backend::JoystickAnswer ReadJoystick(unsigned index, backend::JoystickReading& reading) {
    if (!Start()) return backend::JoystickAnswer::NoDriver;
    SDL_JoystickUpdate();
    ForgetUnplugged();
    if (index >= static_cast<unsigned>(std::max(SDL_NumJoysticks(), 0)))
        return backend::JoystickAnswer::Unplugged;
    const Device* device = OpenDevice(static_cast<int>(index));
    if (device == nullptr) return backend::JoystickAnswer::Unplugged;
    reading = device->controller != nullptr ? ReadController(device->controller)
                                            : ReadStick(device->joystick);
    return backend::JoystickAnswer::Read;
}

bool RestartJoysticks() {
    Stop();
    return Start();
}

}  // namespace sdl
