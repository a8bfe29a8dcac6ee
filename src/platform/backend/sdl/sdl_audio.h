#pragma once
// The real audio device through SDL: float stereo, converted by SDL to what the machine takes.
#include "platform/backend/audio.h"

namespace sdl {

backend::AudioDevice& AudioInstance();

}  // namespace sdl
