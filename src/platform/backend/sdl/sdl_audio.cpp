#include "platform/backend/sdl/sdl_audio.h"

#include <SDL.h>

namespace sdl {

namespace {

constexpr Uint16 kFramesPerCallback = 1024;
constexpr int kChannels = 2;

class SdlAudio final : public backend::AudioDevice {
  public:
    bool Open(int rate, backend::AudioPull pull) override {
        if (device_ != 0) return true;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        pull_ = pull;
        SDL_AudioSpec wanted{};
        wanted.freq = rate;
        wanted.format = AUDIO_F32SYS;
        wanted.channels = kChannels;
        wanted.samples = kFramesPerCallback;
        wanted.callback = Fill;
        wanted.userdata = this;
        device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
        if (device_ == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    void Close() override {
        if (device_ == 0) return;
        SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        device_ = 0;
    }

  private:
    static void Fill(void* self, Uint8* stream, int bytes) {
        const int frames = bytes / int(sizeof(float) * kChannels);
        static_cast<SdlAudio*>(self)->pull_(reinterpret_cast<float*>(stream), frames);
    }

    SDL_AudioDeviceID device_ = 0;
    backend::AudioPull pull_ = nullptr;
};

}  // namespace

backend::AudioDevice& AudioInstance() {
    static SdlAudio instance;
    return instance;
}

}  // namespace sdl
