#include "platform/mci/sequencer.h"

#include <dlfcn.h>
#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>

#include "platform/win/events.h"

namespace mci {

// The synthesiser library's calls. The library is opened when the first piece is: most runs
// play no music, and it brings a dozen libraries of its own that would otherwise all load
// before the program starts.
struct Synthesiser {
    decltype(&new_fluid_settings) newSettings;
    decltype(&delete_fluid_settings) deleteSettings;
    decltype(&fluid_settings_setnum) setNumber;
    decltype(&fluid_settings_setstr) setString;
    decltype(&new_fluid_synth) newSynth;
    decltype(&delete_fluid_synth) deleteSynth;
    decltype(&fluid_synth_sfload) loadSoundFont;
    decltype(&fluid_synth_get_sfont_by_id) soundFontById;
    decltype(&fluid_synth_add_sfont) addSoundFont;
    decltype(&fluid_synth_remove_sfont) removeSoundFont;
    decltype(&fluid_synth_program_reset) programReset;
    decltype(&fluid_synth_write_float) writeFloat;
    decltype(&fluid_synth_all_sounds_off) allSoundsOff;
    decltype(&new_fluid_player) newPlayer;
    decltype(&delete_fluid_player) deletePlayer;
    decltype(&fluid_player_add_mem) addMemory;
    decltype(&fluid_player_seek) seek;
    decltype(&fluid_player_play) play;
    decltype(&fluid_player_get_current_tick) currentTick;
    decltype(&fluid_player_get_total_ticks) totalTicks;
    decltype(&fluid_player_get_status) status;
    decltype(&fluid_set_log_function) setLogFunction;
};

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

template <typename Function>
bool Bind(void* library, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(dlsym(library, name));
    return *function != nullptr;
}

bool BindAll(void* library, Synthesiser* s) {
    return Bind(library, "new_fluid_settings", &s->newSettings) &&
           Bind(library, "delete_fluid_settings", &s->deleteSettings) &&
           Bind(library, "fluid_settings_setnum", &s->setNumber) &&
           Bind(library, "fluid_settings_setstr", &s->setString) &&
           Bind(library, "new_fluid_synth", &s->newSynth) &&
           Bind(library, "delete_fluid_synth", &s->deleteSynth) &&
           Bind(library, "fluid_synth_sfload", &s->loadSoundFont) &&
           Bind(library, "fluid_synth_get_sfont_by_id", &s->soundFontById) &&
           Bind(library, "fluid_synth_add_sfont", &s->addSoundFont) &&
           Bind(library, "fluid_synth_remove_sfont", &s->removeSoundFont) &&
           Bind(library, "fluid_synth_program_reset", &s->programReset) &&
           Bind(library, "fluid_synth_write_float", &s->writeFloat) &&
           Bind(library, "fluid_synth_all_sounds_off", &s->allSoundsOff) &&
           Bind(library, "new_fluid_player", &s->newPlayer) &&
           Bind(library, "delete_fluid_player", &s->deletePlayer) &&
           Bind(library, "fluid_player_add_mem", &s->addMemory) &&
           Bind(library, "fluid_player_seek", &s->seek) &&
           Bind(library, "fluid_player_play", &s->play) &&
           Bind(library, "fluid_player_get_current_tick", &s->currentTick) &&
           Bind(library, "fluid_player_get_total_ticks", &s->totalTicks) &&
           Bind(library, "fluid_player_get_status", &s->status) &&
           Bind(library, "fluid_set_log_function", &s->setLogFunction);
}

// The opened library, or null when it is missing or lacks a call (music is then silent). It
// stays open for the rest of the run.
const Synthesiser* OpenSynthesiser() {
    static const Synthesiser* const opened = []() -> const Synthesiser* {
        static Synthesiser calls;
        // The library of the version 2.2 and later interface.
        void* library = dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return nullptr;
        if (!BindAll(library, &calls)) {
            dlclose(library);
            return nullptr;
        }
        // A broken file is the sequencer's own failure to report; the library says nothing.
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            calls.setLogFunction(level, nullptr, nullptr);
        return &calls;
    }();
    return opened;
}

std::weak_ptr<LoadedSoundFont> loadedSoundFont;
std::shared_ptr<LoadedSoundFont> keptSoundFont;
bool keepSoundFont = false;

}  // namespace

// The soundfont is loaded into a synthesiser that never plays; the players' synthesisers borrow
// it, so that each starts from nothing while the file is read and parsed once.
struct LoadedSoundFont {
    explicit LoadedSoundFont(const Synthesiser* library) : fluid(library) {}
    LoadedSoundFont(const LoadedSoundFont&) = delete;
    LoadedSoundFont& operator=(const LoadedSoundFont&) = delete;
    ~LoadedSoundFont() {
        if (holder != nullptr) fluid->deleteSynth(holder);
        if (settings != nullptr) fluid->deleteSettings(settings);
    }

    const Synthesiser* fluid;
    std::string path;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* holder = nullptr;
    fluid_sfont_t* font = nullptr;
};

namespace {

// Null when the file does not load as a soundfont.
std::shared_ptr<LoadedSoundFont> LoadSoundFont(const Synthesiser* fluid, const std::string& path) {
    auto loaded = std::make_shared<LoadedSoundFont>(fluid);
    loaded->path = path;
    loaded->settings = fluid->newSettings();
    fluid->setNumber(loaded->settings, "synth.sample-rate", mixer::kRate);
    fluid->setNumber(loaded->settings, "synth.gain", kGain);
    // Rendered by our mixer, the player must count time in rendered samples.
    fluid->setString(loaded->settings, "player.timing-source", "sample");
    loaded->holder = fluid->newSynth(loaded->settings);
    if (loaded->holder == nullptr || path.empty()) return nullptr;
    const int id = fluid->loadSoundFont(loaded->holder, path.c_str(), 0);
    loaded->font = id < 0 ? nullptr : fluid->soundFontById(loaded->holder, id);
    return loaded->font == nullptr ? nullptr : loaded;
}

// The loaded soundfont when it is the one to use now, else the one to use, loaded.
std::shared_ptr<LoadedSoundFont> UseSoundFont(const Synthesiser* fluid) {
    const std::string path = SoundFontPath();
    std::shared_ptr<LoadedSoundFont> loaded = loadedSoundFont.lock();
    if (loaded == nullptr || loaded->path != path) loaded = LoadSoundFont(fluid, path);
    loadedSoundFont = loaded;
    if (keepSoundFont) keptSoundFont = loaded;
    return loaded;
}

}  // namespace

void KeepSoundFont(bool keep) {
    keepSoundFont = keep;
    keptSoundFont = keep ? loadedSoundFont.lock() : nullptr;
}

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

bool IsStandardMidiFile(const std::vector<uint8_t>& bytes) {
    auto word = [&](size_t at) { return uint32_t(bytes[at] << 8 | bytes[at + 1]); };
    auto length = [&](size_t at) { return word(at) << 16 | word(at + 2); };
    if (bytes.size() < 14 || std::memcmp(bytes.data(), "MThd", 4) != 0) return false;
    const uint32_t format = word(8), tracks = word(10), division = word(12);
    if (length(4) < 6 || length(4) > bytes.size() - 8 || format > 2 || tracks == 0 ||
        division == 0) {
        return false;
    }
    uint32_t found = 0;
    for (size_t at = 8 + length(4); found < tracks; at += 8 + length(at + 4)) {
        if (bytes.size() - at < 8 || length(at + 4) > bytes.size() - at - 8) return false;
        for (size_t i = at; i < at + 4; ++i)
            if (bytes[i] < 0x20 || bytes[i] > 0x7E) return false;
        found += std::memcmp(&bytes[at], "MTrk", 4) == 0 ? 1 : 0;
    }
    return true;
}

std::unique_ptr<Sequencer> Sequencer::Open(std::vector<uint8_t> midiFile, UINT deviceId,
                                           MCIERROR* error) {
    *error = MCIERR_SEQ_NOMIDIPRESENT;
    const Synthesiser* fluid = OpenSynthesiser();
    if (fluid == nullptr || !mixer::AcquireOutput()) return nullptr;
    std::unique_ptr<Sequencer> sequencer(new Sequencer);
    sequencer->fluid_ = fluid;
    sequencer->midi_ = std::move(midiFile);
    sequencer->deviceId_ = deviceId;
    sequencer->soundFont_ = UseSoundFont(fluid);
    if (sequencer->soundFont_ == nullptr) return nullptr;
    sequencer->synth_ = fluid->newSynth(sequencer->soundFont_->settings);
    if (sequencer->synth_ == nullptr ||
        fluid->addSoundFont(sequencer->synth_, sequencer->soundFont_->font) < 0) {
        return nullptr;
    }
    fluid->programReset(sequencer->synth_);
    mixer::Attach(sequencer.get());
    *error = 0;
    return sequencer;
}

Sequencer::~Sequencer() {
    mixer::Detach(this);
    if (player_ != nullptr) fluid_->deletePlayer(player_);
    if (synth_ != nullptr) {
        // The soundfont is the holder's to free.
        fluid_->removeSoundFont(synth_, soundFont_->font);
        fluid_->deleteSynth(synth_);
    }
    mixer::ReleaseOutput();
}

void Sequencer::Play() {
    mixer::Guard guard(mixer::Lock());
    if (mode_ == Mode::Playing) return;
    if (atEnd_) {
        Complete();
        return;
    }
    player_ = fluid_->newPlayer(synth_);
    fluid_->addMemory(player_, midi_.data(), midi_.size());
    if (position_ > 0) fluid_->seek(player_, position_);
    fluid_->play(player_);
    mode_ = Mode::Playing;
}

void Sequencer::Halt(Mode mode) {
    mixer::Guard guard(mixer::Lock());
    if (player_ != nullptr) {
        position_ = fluid_->currentTick(player_);
        fluid_->deletePlayer(player_);
        player_ = nullptr;
        fluid_->allSoundsOff(synth_, -1);
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
    const int total = fluid_->totalTicks(player_);
    const bool done = fluid_->status(player_) == FLUID_PLAYER_DONE;
    if (!done && (total == 0 || fluid_->currentTick(player_) < total)) return;
    fluid_->deletePlayer(player_);
    player_ = nullptr;
    mode_ = Mode::Stopped;
    atEnd_ = total > 0;
    if (atEnd_) Complete();
}

void Sequencer::AddTo(float* stereoFrames, int frameCount) {
    float block[2 * kBlockFrames];
    for (int done = 0; done < frameCount; done += kBlockFrames) {
        const int frames = std::min(kBlockFrames, frameCount - done);
        fluid_->writeFloat(synth_, frames, block, 0, 2, block, 1, 2);
        for (int i = 0; i < 2 * frames; ++i)
            stereoFrames[2 * done + i] += block[i];
        if (player_ != nullptr) FollowPlayer();
    }
}

}  // namespace mci
