#include "platform/mci/sequencer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>

#include "platform/win/events.h"

namespace mci {

namespace {

// Debian's General MIDI default follows whichever GM soundfont is installed.
constexpr const char* kDefaultSoundFonts[] = {"/usr/share/sounds/sf2/default-GM.sf2",
                                              "/usr/share/sounds/sf2/TimGM6mb.sf2"};
// Eight times the synthesiser's default (+18 dB): a General MIDI tune then peaks about as high
// as a full-scale sound effect (the sound example's tune 2 dB under its chime) instead of 20 dB
// under it.
constexpr double kGain = 1.6;
// The synthesiser's own block: the player's events land on block boundaries.
constexpr int kBlockFrames = 64;

void QuietenLibrary() {
    static const bool quiet = [] {
        // A broken file is the sequencer's own failure to report; the library says nothing.
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, nullptr, nullptr);
        return true;
    }();
    (void)quiet;
}

}  // namespace

std::string SoundFontPath() {
    const char* chosen = std::getenv("KR_SOUNDFONT");
    std::vector<std::string> candidates(std::begin(kDefaultSoundFonts),
                                        std::end(kDefaultSoundFonts));
    if (chosen != nullptr && chosen[0] != '\0') candidates.insert(candidates.begin(), chosen);
    for (const std::string& path : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) return path;
    }
    return {};
}

std::unique_ptr<Sequencer> Sequencer::Open(std::vector<uint8_t> midiFile, UINT deviceId,
                                           MCIERROR* error) {
    QuietenLibrary();
    *error = MCIERR_SEQ_NOMIDIPRESENT;
    if (!mixer::AcquireOutput()) return nullptr;
    std::unique_ptr<Sequencer> sequencer(new Sequencer);
    sequencer->midi_ = std::move(midiFile);
    sequencer->deviceId_ = deviceId;
    sequencer->settings_ = new_fluid_settings();
    fluid_settings_setnum(sequencer->settings_, "synth.sample-rate", mixer::kRate);
    fluid_settings_setnum(sequencer->settings_, "synth.gain", kGain);
    // Rendered by our mixer, the player must count time in rendered samples.
    fluid_settings_setstr(sequencer->settings_, "player.timing-source", "sample");
    sequencer->synth_ = new_fluid_synth(sequencer->settings_);
    const std::string soundFont = SoundFontPath();
    if (sequencer->synth_ == nullptr || soundFont.empty() ||
        fluid_synth_sfload(sequencer->synth_, soundFont.c_str(), 1) < 0) {
        return nullptr;
    }
    mixer::Attach(sequencer.get());
    *error = 0;
    return sequencer;
}

Sequencer::~Sequencer() {
    mixer::Detach(this);
    if (player_ != nullptr) delete_fluid_player(player_);
    if (synth_ != nullptr) delete_fluid_synth(synth_);
    if (settings_ != nullptr) delete_fluid_settings(settings_);
    mixer::ReleaseOutput();
}

void Sequencer::Play() {
    mixer::Guard guard(mixer::Lock());
    if (mode_ == Mode::Playing) return;
    if (atEnd_) {
        Complete();
        return;
    }
    player_ = new_fluid_player(synth_);
    fluid_player_add_mem(player_, midi_.data(), midi_.size());
    if (position_ > 0) fluid_player_seek(player_, position_);
    fluid_player_play(player_);
    mode_ = Mode::Playing;
}

void Sequencer::Halt(Mode mode) {
    mixer::Guard guard(mixer::Lock());
    if (player_ != nullptr) {
        position_ = fluid_player_get_current_tick(player_);
        delete_fluid_player(player_);
        player_ = nullptr;
        fluid_synth_all_sounds_off(synth_, -1);
    }
    mode_ = mode;
}

void Sequencer::Stop() {
    Halt(Mode::Stopped);
}

void Sequencer::Pause() {
    Halt(mode_ == Mode::Playing ? Mode::Paused : mode_);
}

void Sequencer::SeekToStart() {
    Halt(Mode::Stopped);
    mixer::Guard guard(mixer::Lock());
    position_ = 0;
    atEnd_ = false;
}

Mode Sequencer::CurrentMode() {
    mixer::Guard guard(mixer::Lock());
    return mode_;
}

void Sequencer::Notify(WPARAM result) {
    if (pendingWindow_ == nullptr) return;
    win::PostMessageFromAnyThread(pendingWindow_, MM_MCINOTIFY, result,
                                  static_cast<LPARAM>(deviceId_));
    pendingWindow_ = nullptr;
}

void Sequencer::Replace(HWND window) {
    mixer::Guard guard(mixer::Lock());
    Notify(MCI_NOTIFY_SUPERSEDED);
    pendingWindow_ = window;
}

void Sequencer::Abort() {
    mixer::Guard guard(mixer::Lock());
    Notify(MCI_NOTIFY_ABORTED);
}

void Sequencer::Complete() {
    mixer::Guard guard(mixer::Lock());
    Notify(MCI_NOTIFY_SUCCESSFUL);
}

// The musical end is the last event's tick; the player itself reports done only after the last
// notes have died away. A piece the player could not load ends at once, and silently: its end
// would otherwise restart it without pause.
void Sequencer::FollowPlayer() {
    const int total = fluid_player_get_total_ticks(player_);
    const bool done = fluid_player_get_status(player_) == FLUID_PLAYER_DONE;
    if (!done && (total == 0 || fluid_player_get_current_tick(player_) < total)) return;
    delete_fluid_player(player_);
    player_ = nullptr;
    mode_ = Mode::Stopped;
    atEnd_ = total > 0;
    if (atEnd_) Complete();
}

void Sequencer::AddTo(float* stereoFrames, int frameCount) {
    float block[2 * kBlockFrames];
    for (int done = 0; done < frameCount; done += kBlockFrames) {
        const int frames = std::min(kBlockFrames, frameCount - done);
        fluid_synth_write_float(synth_, frames, block, 0, 2, block, 1, 2);
        for (int i = 0; i < 2 * frames; ++i)
            stereoFrames[2 * done + i] += block[i];
        if (player_ != nullptr) FollowPlayer();
    }
}

}  // namespace mci
