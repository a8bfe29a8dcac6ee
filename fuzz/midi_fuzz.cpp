// MIDI files through the sequencer: opened, played and rendered for a moment. The soundfont is
// loaded once and kept; each input gets a synthesiser of its own, so nothing carries over.
#include <cstdint>
#include <vector>

#include "platform/backend/headless/headless_audio.h"
#include "platform/mci/sequencer.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    headless::InstallManualAudio(true);
    mci::KeepSoundFont(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> midi(data, data + size);
    // What the open command refuses never reaches a sequencer.
    if (!mci::IsStandardMidiFile(midi)) return 0;
    MCIERROR error = 0;
    std::unique_ptr<mci::Sequencer> sequencer = mci::Sequencer::Open(std::move(midi), 1, &error);
    if (sequencer == nullptr) return 0;
    sequencer->Play();
    headless::RenderAudio(2048);
    return 0;
}
