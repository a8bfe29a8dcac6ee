// WAVE images of embedded resources: read, made playable, and played through a sound buffer
// and the mixer, as a sound object loaded from a resource is.
#include <cstring>

#include "platform/backend/headless/headless_audio.h"
#include "platform/ds/wave.h"
#include "platform/win/win.h"

namespace {

IDirectSound* directSound = nullptr;

void Play(const WAVEFORMATEX* format, const uint8_t* samples, uint32_t size) {
    const DSBUFFERDESC description{sizeof(DSBUFFERDESC), DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY,
                                   size, 0, format};
    IDirectSoundBuffer* buffer = nullptr;
    if (directSound->CreateSoundBuffer(&description, &buffer, nullptr) != DS_OK) return;
    void* region = nullptr;
    void* wrapped = nullptr;
    DWORD regionBytes = 0, wrappedBytes = 0;
    if (buffer->Lock(0, size, &region, &regionBytes, &wrapped, &wrappedBytes, 0) == DS_OK) {
        std::memcpy(region, samples, regionBytes);
        buffer->Unlock(region, regionBytes, wrapped, wrappedBytes);
    }
    buffer->Play(0, 0, 0);
    headless::RenderAudio(256);
    buffer->Release();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    headless::InstallManualAudio(true);
    DirectSoundCreate(nullptr, &directSound, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WAVEFORMATEX* format = nullptr;
    uint8_t* samples = nullptr;
    uint32_t bytes = 0;
    if (ds::ReadWaveImage(data, size, &format, &samples, &bytes) != 0) return 0;
    if (ds::MakePlayable(&format, &samples, &bytes)) Play(format, samples, bytes);
    win::GlobalFree(format);
    win::GlobalFree(samples);
    return 0;
}
