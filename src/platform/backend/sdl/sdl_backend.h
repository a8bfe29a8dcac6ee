#pragma once
// The backend of a real window, keyboard, mouse and clock, through SDL.
#include <SDL.h>

#include "platform/backend/backend.h"

namespace sdl {

backend::Backend& Instance();

// Joysticks and game controllers (the backend's joystick calls).
backend::JoystickAnswer ReadJoystick(unsigned index, backend::JoystickReading& reading);
bool RestartJoysticks();

// The Windows virtual-key code of an SDL key, or 0 for keys the program does not know.
int VirtualKeyFromSdl(SDL_Keycode key);

}  // namespace sdl
