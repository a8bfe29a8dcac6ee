#pragma once
// One open sequencer device: a MIDI file played by a FluidSynth player into the mixer, with the
// device's mode, position and its one pending notification.
#include <fluidsynth/types.h>
#include "platform/win/types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ds/mixer.h"
#include "platform/mci/mci.h"

namespace mci {

// The soundfont: the file $KR_SOUNDFONT names, else the system's General MIDI default, else
// TimGM6mb; the first of them that exists. Empty when none does: music is silent then.
std::string SoundFontPath();

// With keep on, the loaded soundfont stays loaded after the last sequencer closes, for the next
// to open at once: for callers that open many pieces in a row. Off (the default) frees it.
void KeepSoundFont(bool keep);

enum class Mode { Stopped, Playing, Paused };

struct Synthesiser;
// A loaded soundfont, shared by the open sequencers: each plays it on a synthesiser of its own.
struct LoadedSoundFont;

// Whether the bytes are a standard MIDI file whose chunks lie within it: the header of a format
// from 0 to 2 with tracks and a time division, then chunks with printable names up to as many
// track chunks as it declares. The player is given nothing else: it can loop for ever on a file
// whose chunks it cannot find.
bool IsStandardMidiFile(const std::vector<uint8_t>& bytes);

class Sequencer final : public mixer::Source {
  public:
    // Null (with the error) when no soundfont or no audio device is there.
    static std::unique_ptr<Sequencer> Open(std::vector<uint8_t> midiFile, UINT deviceId,
                                           MCIERROR* error);
    ~Sequencer() override;

    // From the current position; at the end of the piece the play completes at once.
    void Play();
    // Stop and pause both keep the position; they differ only in the mode reported.
    void Stop();
    void Pause();
    void SeekToStart();
    Mode CurrentMode();

    // The one pending notification: a new one supersedes it, an interrupting command aborts it,
    // the end of the piece completes it.
    void Replace(HWND window);
    void Abort();
    void Complete();

    void AddTo(float* stereoFrames, int frameCount) override;

  private:
    Sequencer() = default;
    void Halt(Mode mode);
    void Notify(WPARAM result);
    void FollowPlayer();

    std::vector<uint8_t> midi_;
    UINT deviceId_ = 0;
    const Synthesiser* fluid_ = nullptr;
    std::shared_ptr<LoadedSoundFont> soundFont_;
    fluid_synth_t* synth_ = nullptr;
    fluid_player_t* player_ = nullptr;  // exists while playing
    // Shared with the audio thread; changed under the mixer's lock.
    Mode mode_ = Mode::Stopped;
    int position_ = 0;  // in ticks
    bool atEnd_ = false;
    HWND pendingWindow_ = nullptr;
};

}  // namespace mci
