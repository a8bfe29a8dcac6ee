#include "platform/backend/audio.h"

#include "platform/backend/sdl/sdl_audio.h"

namespace backend {

namespace {
AudioDevice* installed = nullptr;
}

AudioDevice& ActiveAudio() {
    return installed != nullptr ? *installed : sdl::AudioInstance();
}

void InstallAudio(AudioDevice* device) {
    installed = device;
}

}  // namespace backend
