#include "platform/ds/mixer.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/backend/audio.h"
#include "platform/release_log.h"

namespace mixer {

namespace {

struct MixerState {
    std::recursive_mutex lock;
    std::vector<Source*> sources;
    std::mutex outputLock;
    int outputUsers = 0;
};

// Never destroyed: sources owned by other statics detach from it while the program exits.
MixerState& State() {
    static auto* state = new MixerState;
    return *state;
}

// The device's thread must stop before the statics it reads are destroyed.
void CloseAtExit() {
    std::lock_guard guard(State().outputLock);
    if (State().outputUsers > 0) backend::ActiveAudio().Close();
    State().outputUsers = 0;
}

}  // namespace

std::recursive_mutex& Lock() {
    return State().lock;
}

void Attach(Source* source) {
    Guard guard(Lock());
    State().sources.push_back(source);
}

void Detach(Source* source) {
    Guard guard(Lock());
    std::erase(State().sources, source);
}

void Render(float* stereoFrames, int frameCount) {
    std::fill(stereoFrames, stereoFrames + 2 * frameCount, 0.0f);
    {
        Guard guard(Lock());
        for (Source* source : State().sources)
            source->AddTo(stereoFrames, frameCount);
    }
    for (int i = 0; i < 2 * frameCount; ++i)
        stereoFrames[i] = std::clamp(stereoFrames[i], -1.0f, 1.0f);
}

bool AcquireOutput() {
    std::lock_guard guard(State().outputLock);
    if (State().outputUsers == 0 && !backend::ActiveAudio().Open(kRate, Render)) return false;
    static const bool closesAtExit = std::atexit(CloseAtExit) == 0;
    (void)closesAtExit;
    ++State().outputUsers;
    return true;
}

void ReleaseOutput() {
    std::lock_guard guard(State().outputLock);
    if (State().outputUsers == 0) return;
    if (--State().outputUsers > 0) return;
    backend::ActiveAudio().Close();
    platform::NoteRelease("audio device");
}

}  // namespace mixer
