#pragma once
// The program's software mixer. Every sound source adds itself, in float, into interleaved stereo
// frames at one fixed rate; the sum is clipped and handed to the audio device. The device pulls on
// its own thread, so every change to a source's state happens under the mixer's lock.
#include <mutex>

namespace mixer {

inline constexpr int kRate = 44100;

class Source {
  public:
    virtual ~Source() = default;
    // Adds this source's sound into the frames; runs with the mixer locked.
    virtual void AddTo(float* stereoFrames, int frameCount) = 0;
};

using Guard = std::lock_guard<std::recursive_mutex>;
std::recursive_mutex& Lock();

void Attach(Source* source);
void Detach(Source* source);

// Silence, plus every attached source, clipped to -1..1. Tests call it by hand.
void Render(float* stereoFrames, int frameCount);

// The audio device, shared by every user and opened by the first; false when none can be opened.
// Never called with the lock held: closing the device waits for the audio thread.
bool AcquireOutput();
void ReleaseOutput();

}  // namespace mixer
