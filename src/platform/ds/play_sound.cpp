// sndPlaySound: a WAVE file played to its end through the mixer.
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/ds/ds.h"
#include "platform/ds/wave.h"
#include "platform/win/win.h"

namespace {

// A WAVE file read and made playable; its blocks are freed with it.
struct Wave {
    WAVEFORMATEX* format = nullptr;
    uint8_t* samples = nullptr;
    uint32_t size = 0;

    Wave() = default;
    Wave(const Wave&) = delete;
    Wave& operator=(const Wave&) = delete;
    ~Wave() {
        win::GlobalFree(format);
        win::GlobalFree(samples);
    }
    bool Read(const char* path) {
        return path != nullptr && ds::ReadWave(path, &format, &samples, &size) == 0 &&
               ds::MakePlayable(&format, &samples, &size);
    }
};

IDirectSoundBuffer* MakeBuffer(const Wave& wave) {
    const DSBUFFERDESC description{sizeof(DSBUFFERDESC), DSBCAPS_STATIC, wave.size, 0, wave.format};
    HRESULT result = DS_OK;
    IDirectSoundBuffer* buffer = IDirectSoundBuffer::CreateSecondary(description, &result);
    if (buffer == nullptr) return nullptr;
    void* region = nullptr;
    DWORD bytes = 0;
    buffer->Lock(0, 0, &region, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
    std::memcpy(region, wave.samples, bytes);
    buffer->Unlock(region, bytes, nullptr, 0);
    return buffer;
}

// Waits for the end, but not forever: a device that stops pulling must not hang the program.
void WaitUntilPlayed(IDirectSoundBuffer* buffer, const Wave& wave) {
    const auto length = std::chrono::milliseconds(
        1000 * int64_t{wave.size} /
        (int64_t{wave.format->nSamplesPerSec} * wave.format->nBlockAlign));
    const auto deadline = std::chrono::steady_clock::now() + length + std::chrono::seconds(2);
    DWORD status = DSBSTATUS_PLAYING;
    while ((status & DSBSTATUS_PLAYING) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        buffer->GetStatus(&status);
    }
}

}  // namespace

BOOL sndPlaySound(const char* fileName, UINT flags) {
    Wave wave;
    IDirectSoundBuffer* buffer = wave.Read(fileName) ? MakeBuffer(wave) : nullptr;
    if (buffer == nullptr) {
        if (!(flags & SND_NODEFAULT)) win::MessageBeep(MB_OK);
        return FALSE;
    }
    const bool played = mixer::AcquireOutput();
    if (played) {
        buffer->Play(0, 0, 0);
        WaitUntilPlayed(buffer, wave);
        buffer->Stop();
    }
    buffer->Release();
    if (played) mixer::ReleaseOutput();
    return played ? TRUE : FALSE;
}
