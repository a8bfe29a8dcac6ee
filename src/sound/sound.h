#pragma once
// The sound modules' life cycle and state, for the display set-up, the shell and tests.
#include <kr/kr.h>

#include "platform/ds/ds.h"

inline constexpr int32_t krSoundSlotCount = 70;
inline constexpr int32_t krSoundBufferRow = 10;
inline constexpr int32_t krSoundNameSize = 31;

struct krSoundBuffer {
    IDirectSoundBuffer* buffer;
    int32_t volume;  // hundredths of a decibel, -10000 to 0
    int32_t pan;     // -10000 left to 10000 right
    uint32_t frequency;
};

struct krSoundSlot {
    int32_t inUse;
    int32_t bufferCount;
    int32_t nextBuffer;
    uint32_t baseFrequency;
    char name[krSoundNameSize];
    krSoundBuffer buffers[krSoundBufferRow];
};

struct krSoundStateRecord {
    IDirectSound* directSound;
    IDirectSoundBuffer* primary;
    int32_t available;
    int32_t reloadMode;
    int32_t currentSlot;
    krSoundSlot slots[krSoundSlotCount];
};
extern krSoundStateRecord krSoundState;

struct krMidiStateRecord {
    int32_t open;  // the device "midi" is open; read by the window procedure
    int32_t loop;
};
extern krMidiStateRecord krMidiState;

namespace krSound {

// Drops every DirectSound object and keeps the table; Restore rebuilds from it.
void Release();
void Restore();
// 0 on success with the format block, the sample block and its size; 1 on failure with none.
int32_t ReadWaveFile(const char* path, WAVEFORMATEX** format, uint8_t** samples, uint32_t* size);

}  // namespace krSound
