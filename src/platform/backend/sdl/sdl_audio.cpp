#include "platform/backend/sdl/sdl_audio.h"

#include <SDL.h>
#include <dlfcn.h>

namespace sdl {

namespace {

// The sound library's error handler, as its header declares it.
using SoundLibraryErrorHandler = void (*)(const char* file, int line, const char* function,
                                          int error, const char* format, ...);

void IgnoreSoundLibraryError(const char*, int, const char*, int, const char*, ...) {}

// On a machine without a sound card the sound library writes its failed lookups to standard
// error, though the program then simply runs silent. Its handle stays open so that the quiet
// handler lives as long as the library.
void SilenceSoundLibrary() {
    static bool silenced = false;
    if (silenced) return;
    silenced = true;
    void* library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return;
    using SetHandler = int (*)(SoundLibraryErrorHandler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(library, "snd_lib_error_set_handler")))
        set(IgnoreSoundLibraryError);
}

constexpr Uint16 kFramesPerCallback = 1024;
constexpr int kChannels = 2;

class SdlAudio final : public backend::AudioDevice {
  public:
    bool Open(int rate, backend::AudioPull pull) override {
        if (device_ != 0) return true;
        SilenceSoundLibrary();
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
