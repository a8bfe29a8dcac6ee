// krSound: the sound object table, loading from WAVE files and resources, release and restore.
#include "sound/sound.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/ds/wave.h"
#include "platform/win/resources.h"
#include "platform/win/win.h"
#include "shell/shell.h"

krSoundStateRecord krSoundState{};

namespace krSound {

namespace {

constexpr const char* kOperation = "krSound::LoadObject";
constexpr size_t kNameLimit = krSoundNameSize - 1;
constexpr DWORD kBufferFlags =
    DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
krSoundStateRecord& state = krSoundState;

// A sound's format and samples, read from a file or a resource: blocks of ours to free.
struct WaveSource {
    WAVEFORMATEX* format = nullptr;
    uint8_t* samples = nullptr;
    uint32_t size = 0;
};

void FreeWave(WaveSource& wave) {
    win::GlobalFree(wave.format);
    win::GlobalFree(wave.samples);
    wave = WaveSource{};
}

// A resource is looked for where the file is missing or no WAVE file.
bool ReadResource(const char* name, WaveSource& wave) {
    const win::Resource* resource = win::FindResource(name, "WAVE");
    if (resource == nullptr) resource = win::FindResource(name, "RCDATA");
    return resource != nullptr && ds::ReadWaveImage(resource->data, resource->size, &wave.format,
                                                    &wave.samples, &wave.size) == 0;
}

enum class Source { kRead, kMissing, kUnplayable };

// A format the mixer cannot take is turned into 16-bit samples where that can be done.
Source ReadFileOrResource(const char* path, const char* name, WaveSource& wave) {
    const bool read = ReadWaveFile(path, &wave.format, &wave.samples, &wave.size) == 0 ||
                      ReadResource(name, wave);
    if (!read) return Source::kMissing;
    return ds::MakePlayable(&wave.format, &wave.samples, &wave.size) ? Source::kRead
                                                                     : Source::kUnplayable;
}

void FillBuffer(IDirectSoundBuffer* buffer, const WaveSource& wave) {
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    if (buffer->Lock(0, wave.size, &first, &firstBytes, &second, &secondBytes, 0) != DS_OK) return;
    std::memcpy(first, wave.samples, firstBytes);
    if (second != nullptr) std::memcpy(second, wave.samples + firstBytes, secondBytes);
    buffer->Unlock(first, firstBytes, second, secondBytes);
}

void ReleaseBuffer(krSoundBuffer& entry) {
    if (entry.buffer == nullptr) return;
    entry.buffer->Stop();
    entry.buffer->Release();
    entry.buffer = nullptr;
}

void ReleaseBuffers(krSoundSlot& slot, int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        ReleaseBuffer(slot.buffers[i]);
}

// Outside reload mode the buffers start with the format's frequency and full volume at the
// centre; in reload mode they get back their stored settings.
void Configure(krSoundSlot& slot, krSoundBuffer& entry) {
    if (state.reloadMode == 0) {
        DWORD frequency = 0;
        entry.buffer->GetFrequency(&frequency);
        entry.frequency = frequency;
        slot.baseFrequency = frequency;
        entry.volume = 0;
        entry.pan = 0;
        return;
    }
    entry.buffer->SetVolume(entry.volume);
    entry.buffer->SetFrequency(entry.frequency);
    entry.buffer->SetPan(entry.pan);
}

// On a failure the buffers made so far are released again.
bool CreateBuffers(krSoundSlot& slot, const WaveSource& wave) {
    const DSBUFFERDESC description{sizeof(DSBUFFERDESC), kBufferFlags, wave.size, 0, wave.format};
    for (int32_t i = 0; i < slot.bufferCount; ++i) {
        krSoundBuffer& entry = slot.buffers[i];
        if (state.directSound->CreateSoundBuffer(&description, &entry.buffer, nullptr) != DS_OK) {
            entry.buffer = nullptr;
            ReleaseBuffers(slot, i);
            return false;
        }
        FillBuffer(entry.buffer, wave);
        Configure(slot, entry);
    }
    return true;
}

int32_t FirstFreeSlot() {
    for (int32_t i = 0; i < krSoundSlotCount; ++i) {
        if (state.slots[i].inUse == 0) return i;
    }
    return -1;
}

int32_t Report(const char* message) {
    return krSystem::ErrorBox(kOperation, message);
}

void ReleaseObjects() {
    for (krSoundSlot& slot : state.slots)
        ReleaseBuffers(slot, krSoundBufferRow);
    if (state.primary != nullptr) state.primary->Release();
    if (state.directSound != nullptr) state.directSound->Release();
    state.primary = nullptr;
    state.directSound = nullptr;
}

}  // namespace

int32_t ReadWaveFile(const char* path, WAVEFORMATEX** format, uint8_t** samples, uint32_t* size) {
    return ds::ReadWave(path, format, samples, size);
}

int32_t Init() {
    if (state.directSound != nullptr) ReleaseObjects();
    if (DirectSoundCreate(nullptr, &state.directSound, nullptr) != DS_OK) {
        state.available = 0;
        return 0;
    }
    state.directSound->SetCooperativeLevel(krSystemState.windowHandle, DSSCL_NORMAL);
    const DSBUFFERDESC primary{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr};
    state.directSound->CreateSoundBuffer(&primary, &state.primary, nullptr);
    for (krSoundSlot& slot : state.slots) {
        for (krSoundBuffer& entry : slot.buffers)
            entry.buffer = nullptr;
    }
    state.reloadMode = 0;
    state.available = 1;
    return 1;
}

void ResetTable() {
    for (krSoundSlot& slot : state.slots) {
        ReleaseBuffers(slot, krSoundBufferRow);
        slot = krSoundSlot{};
        slot.bufferCount = 1;
    }
}

int32_t LoadObject(const char* name, int32_t bufferCount) {
    if (state.available == 0 || state.directSound == nullptr) return 0;
    if (name == nullptr) name = "";
    const int32_t number = state.reloadMode != 0 ? state.currentSlot : FirstFreeSlot();
    if (number < 0) return Report("オブジェクト数が多すぎます");
    krSoundSlot& slot = state.slots[number];
    // The whole path: a cut one could name another file.
    const std::string path = std::string(krSystem::GetDataPath(0)) + name;
    WaveSource wave;
    const Source source = ReadFileOrResource(path.c_str(), name, wave);
    if (source == Source::kMissing)
        return krSystem::FileErrorBox(kOperation, "WAVEリソースが見つかりません", path.c_str());
    if (source == Source::kUnplayable) {
        FreeWave(wave);
        return krSystem::FileErrorBox(kOperation, "再生できないWAVE形式です", path.c_str());
    }
    const int32_t previousCount = slot.bufferCount;
    slot.bufferCount = std::clamp(bufferCount, 1, krSoundBufferRow);
    if (state.reloadMode == 0) slot.nextBuffer = 0;
    const bool created = CreateBuffers(slot, wave);
    FreeWave(wave);
    if (!created) {
        if (state.reloadMode == 0) slot.bufferCount = previousCount;
        return Report("サウンドバッファが生成できません");
    }
    slot.inUse = 1;
    if (state.reloadMode != 0) return number;
    if (std::strlen(name) > kNameLimit) return Report("ファイル名またはリソース名が長すぎます");
    std::memcpy(slot.name, name, std::strlen(name) + 1);
    return number;
}

void FreeObject(int32_t sound) {
    if (state.available == 0 || sound < 0 || sound >= krSoundSlotCount) return;
    krSoundSlot& slot = state.slots[sound];
    if (slot.inUse == 0) return;
    slot.inUse = 0;
    slot.baseFrequency = 0;
    slot.name[0] = '\0';
    for (int32_t i = 0; i < slot.bufferCount; ++i) {
        krSoundBuffer& entry = slot.buffers[i];
        entry.volume = entry.pan = 0;
        entry.frequency = 0;
        ReleaseBuffer(entry);
    }
    slot.bufferCount = 1;
}

void Release() {
    if (state.available == 0) return;
    ReleaseObjects();
}

void Restore() {
    if (state.available == 0) return;
    Init();
    state.reloadMode = 1;
    for (int32_t i = 0; i < krSoundSlotCount; ++i) {
        if (state.slots[i].inUse == 0) continue;
        state.currentSlot = i;
        LoadObject(state.slots[i].name, state.slots[i].bufferCount);
    }
    state.reloadMode = 0;
}

void PlayWaveFile(const char* name) {
    if (state.available == 0) return;
    Release();
    sndPlaySound(name, SND_SYNC);
    Restore();
}

}  // namespace krSound
