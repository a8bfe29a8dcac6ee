// krSound's play and setting operations: buffer selection and DirectSound's units.
#include <algorithm>

#include "sound/sound.h"

namespace krSound {

namespace {

krSoundStateRecord& state = krSoundState;

// How a negative selector picks buffers.
enum class Negative {
    RoundRobin,          // the next buffer in turn, which then moves on
    All,                 // every buffer
    RoundRobinForMinus2  // -2 the next buffer in turn (without moving on), others every buffer
};

krSoundSlot* LoadedSlot(int32_t sound) {
    if (state.available == 0 || sound < 0 || sound >= krSoundSlotCount) return nullptr;
    krSoundSlot& slot = state.slots[sound];
    return slot.inUse != 0 ? &slot : nullptr;
}

// Calls the action for each selected buffer entry of a loaded sound; a selector beyond the
// sound's buffers selects nothing.
template <typename Action>
void ForSelected(int32_t sound, int32_t selector, Negative negative, Action action) {
    krSoundSlot* slot = LoadedSlot(sound);
    if (slot == nullptr || selector >= slot->bufferCount) return;
    if (selector >= 0) {
        action(*slot, slot->buffers[selector]);
        return;
    }
    const bool roundRobin = negative == Negative::RoundRobin ||
                            (negative == Negative::RoundRobinForMinus2 && selector == -2);
    if (roundRobin) {
        action(*slot, slot->buffers[slot->nextBuffer]);
        if (negative == Negative::RoundRobin) {
            slot->nextBuffer = (slot->nextBuffer + 1) % slot->bufferCount;
        }
        return;
    }
    for (int32_t i = 0; i < slot->bufferCount; ++i)
        action(*slot, slot->buffers[i]);
}

enum class Setting { Frequency, Pan, Volume };

void GiveToBuffer(const krSoundBuffer& entry, Setting setting) {
    if (entry.buffer == nullptr) return;
    switch (setting) {
        case Setting::Frequency:
            entry.buffer->SetFrequency(entry.frequency);
            break;
        case Setting::Pan:
            entry.buffer->SetPan(entry.pan);
            break;
        case Setting::Volume:
            entry.buffer->SetVolume(entry.volume);
            break;
    }
}

// The value is stored first and then given to the buffer, so that the table holds what the
// buffer was last given (also while the buffer is released).
template <typename Change>
void ChangeSetting(int32_t sound, int32_t selector, Setting setting, Change change) {
    ForSelected(sound, selector, Negative::RoundRobinForMinus2,
                [&](krSoundSlot& slot, krSoundBuffer& entry) {
                    change(slot, entry);
                    GiveToBuffer(entry, setting);
                });
}

// Steps are formed wide, so that no product or sum wraps before the clamp.
int32_t Clamped(int64_t value, int64_t low, int64_t high) {
    return static_cast<int32_t>(std::clamp(value, low, high));
}
uint32_t ClampedFrequency(int64_t hertz) {
    return static_cast<uint32_t>(Clamped(hertz, DSBFREQUENCY_MIN, DSBFREQUENCY_MAX));
}
int32_t ClampedPan(int64_t pan) {
    return Clamped(pan, DSBPAN_LEFT, DSBPAN_RIGHT);
}
int32_t ClampedVolume(int64_t volume) {
    return Clamped(volume, DSBVOLUME_MIN, DSBVOLUME_MAX);
}

// Each selected buffer's own value moved by step hundreds of its unit, within its range.
void StepSetting(int32_t sound, int32_t selector, Setting setting, int32_t step) {
    const int64_t delta = int64_t{step} * 100;
    ChangeSetting(sound, selector, setting, [&](krSoundSlot&, krSoundBuffer& entry) {
        switch (setting) {
            case Setting::Frequency:
                entry.frequency = ClampedFrequency(entry.frequency + delta);
                break;
            case Setting::Pan:
                entry.pan = ClampedPan(entry.pan + delta);
                break;
            case Setting::Volume:
                entry.volume = ClampedVolume(entry.volume + delta);
                break;
        }
    });
}

// One value for every selected buffer.
void PutPan(int32_t sound, int32_t selector, int32_t pan) {
    ChangeSetting(sound, selector, Setting::Pan,
                  [pan](krSoundSlot&, krSoundBuffer& entry) { entry.pan = pan; });
}

void PutVolume(int32_t sound, int32_t selector, int32_t volume) {
    ChangeSetting(sound, selector, Setting::Volume,
                  [volume](krSoundSlot&, krSoundBuffer& entry) { entry.volume = volume; });
}

void StartFromTheBeginning(int32_t sound, int32_t selector, DWORD flags) {
    ForSelected(sound, selector, Negative::RoundRobin, [&](krSoundSlot&, krSoundBuffer& entry) {
        if (entry.buffer == nullptr) return;
        entry.buffer->Stop();
        entry.buffer->SetCurrentPosition(0);
        entry.buffer->Play(0, 0, flags);
    });
}

}  // namespace

void Play(int32_t sound, int32_t selector) {
    StartFromTheBeginning(sound, selector, 0);
}

void PlayLoop(int32_t sound, int32_t selector) {
    StartFromTheBeginning(sound, selector, DSBPLAY_LOOPING);
}

void Stop(int32_t sound, int32_t selector) {
    ForSelected(sound, selector, Negative::All, [](krSoundSlot&, krSoundBuffer& entry) {
        if (entry.buffer == nullptr) return;
        entry.buffer->Stop();
        entry.buffer->SetCurrentPosition(0);
    });
}

void Pause(int32_t sound, int32_t selector) {
    ForSelected(sound, selector, Negative::All, [](krSoundSlot&, krSoundBuffer& entry) {
        if (entry.buffer == nullptr) return;
        DWORD status = 0;
        entry.buffer->GetStatus(&status);
        if (status & DSBSTATUS_PLAYING) {
            entry.buffer->Stop();
        } else {
            entry.buffer->Play(0, 0, 0);
        }
    });
}

void AddFrequency(int32_t sound, int32_t step, int32_t selector) {
    StepSetting(sound, selector, Setting::Frequency, step);
}

void ResetFrequency(int32_t sound, int32_t selector) {
    ChangeSetting(sound, selector, Setting::Frequency, [](krSoundSlot& slot, krSoundBuffer& entry) {
        entry.frequency = slot.baseFrequency;
    });
}

void SetFrequency(int32_t sound, int32_t step, int32_t selector) {
    ChangeSetting(
        sound, selector, Setting::Frequency, [&](krSoundSlot& slot, krSoundBuffer& entry) {
            entry.frequency = ClampedFrequency(int64_t{slot.baseFrequency} + int64_t{step} * 100);
        });
}

void AddPan(int32_t sound, int32_t step, int32_t selector) {
    StepSetting(sound, selector, Setting::Pan, step);
}

void CenterPan(int32_t sound, int32_t selector) {
    PutPan(sound, selector, 0);
}

void SetPan(int32_t sound, int32_t value, int32_t selector) {
    PutPan(sound, selector, ClampedPan(int64_t{value} * 100));
}

void PanLeft(int32_t sound, int32_t selector) {
    PutPan(sound, selector, DSBPAN_LEFT);
}

void PanRight(int32_t sound, int32_t selector) {
    PutPan(sound, selector, DSBPAN_RIGHT);
}

void AddVolume(int32_t sound, int32_t step, int32_t selector) {
    StepSetting(sound, selector, Setting::Volume, step);
}

void ResetVolume(int32_t sound, int32_t selector) {
    PutVolume(sound, selector, 0);
}

void SetVolume(int32_t sound, int32_t value, int32_t selector) {
    PutVolume(sound, selector, ClampedVolume(int64_t{value} * 100));
}

}  // namespace krSound
