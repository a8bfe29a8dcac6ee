#include "platform/backend/headless/headless_audio.h"

#include <cstddef>

#include "platform/backend/audio.h"

namespace headless {

namespace {

class ManualAudio final : public backend::AudioDevice {
  public:
    bool Open(int, backend::AudioPull pull) override {
        if (!available) return false;
        pull_ = pull;
        return true;
    }
    void Close() override { pull_ = nullptr; }

    bool available = true;
    backend::AudioPull Pull() const { return pull_; }

  private:
    backend::AudioPull pull_ = nullptr;
};

ManualAudio manual;

}  // namespace

void InstallManualAudio(bool available) {
    manual.Close();
    manual.available = available;
    backend::InstallAudio(&manual);
}

void UseManualAudio() {
    if (&backend::ActiveAudio() != &manual) InstallManualAudio();
}

void UninstallManualAudio() {
    backend::InstallAudio(nullptr);
}

bool AudioOpen() {
    return manual.Pull() != nullptr;
}

std::vector<float> RenderAudio(int frames) {
    if (manual.Pull() == nullptr || frames <= 0) return {};
    std::vector<float> samples(static_cast<std::size_t>(frames) * 2);
    manual.Pull()(samples.data(), frames);
    return samples;
}

}  // namespace headless
