#include "platform/mci/mci.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/mci/sequencer.h"

namespace {

constexpr size_t kHistoryLength = 64;

struct Device {
    std::string alias;
    UINT id = 0;
    std::unique_ptr<mci::Sequencer> sequencer;
};

struct MciState {
    std::optional<Device> device;  // one sequencer at a time, as the original port allows
    UINT lastId = 0;
    std::vector<std::string> history;
};

MciState state;

struct Command {
    std::vector<std::string> words;
    bool notify = false;
    HWND callback = nullptr;
    char* answer = nullptr;
    UINT answerSize = 0;
};

bool Same(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

// Words split at blanks; a double-quoted word may hold blanks.
MCIERROR Split(const char* text, std::vector<std::string>& words) {
    for (const char* at = text; *at != '\0';) {
        if (*at == ' ' || *at == '\t') {
            ++at;
            continue;
        }
        if (*at == '"') {
            const char* close = std::strchr(at + 1, '"');
            if (close == nullptr) return MCIERR_NO_CLOSING_QUOTE;
            words.emplace_back(at + 1, close);
            at = close + 1;
            continue;
        }
        const char* end = at + std::strcspn(at, " \t");
        words.emplace_back(at, end);
        at = end;
    }
    return words.empty() ? MCIERR_MISSING_COMMAND_STRING : 0;
}

// Takes "notify" and "wait" out of the words after the device name.
void TakeFlags(Command& command) {
    auto& words = command.words;
    for (auto word = words.begin() + std::min<size_t>(2, words.size()); word != words.end();) {
        if (Same(*word, "notify")) {
            command.notify = true;
        } else if (!Same(*word, "wait")) {
            ++word;
            continue;
        }
        word = words.erase(word);
    }
}

MCIERROR Answer(const Command& command, const std::string& text) {
    if (command.answer == nullptr || command.answerSize == 0) return 0;
    if (text.size() + 1 > command.answerSize) return MCIERR_PARAM_OVERFLOW;
    std::memcpy(command.answer, text.c_str(), text.size() + 1);
    return 0;
}

bool HasMidiExtension(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string extension = path.substr(dot + 1);
    return Same(extension, "mid") || Same(extension, "midi") || Same(extension, "rmi");
}

MCIERROR ReadMidiFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) return MCIERR_FILE_NOT_FOUND;
    bytes.assign(std::istreambuf_iterator<char>(stream), {});
    return mci::IsStandardMidiFile(bytes) ? 0 : MCIERR_INVALID_FILE;
}

struct OpenOptions {
    std::string type;
    std::string alias;
};

MCIERROR ReadOpenOptions(const std::vector<std::string>& words, OpenOptions& options) {
    for (size_t i = 2; i < words.size(); i += 2) {
        if (i + 1 >= words.size()) return MCIERR_MISSING_PARAMETER;
        if (Same(words[i], "type")) {
            options.type = words[i + 1];
        } else if (Same(words[i], "alias")) {
            options.alias = words[i + 1];
        } else {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
    }
    return 0;
}

MCIERROR Open(const Command& command) {
    if (command.words.size() < 2) return MCIERR_FILENAME_REQUIRED;
    const std::string& path = command.words[1];
    OpenOptions options;
    if (MCIERROR error = ReadOpenOptions(command.words, options)) return error;
    if (options.type.empty() ? !HasMidiExtension(path) : !Same(options.type, "sequencer")) {
        return MCIERR_INVALID_DEVICE_NAME;
    }
    const std::string alias = options.alias.empty() ? path : options.alias;
    if (state.device) {
        return Same(state.device->alias, alias.c_str()) ? MCIERR_DUPLICATE_ALIAS
                                                        : MCIERR_SEQ_PORT_INUSE;
    }
    std::vector<uint8_t> midi;
    if (MCIERROR error = ReadMidiFile(path, midi)) return error;
    MCIERROR error = 0;
    auto sequencer = mci::Sequencer::Open(std::move(midi), state.lastId + 1, &error);
    if (!sequencer) return error;
    state.device = Device{alias, ++state.lastId, std::move(sequencer)};
    if (command.notify) {
        state.device->sequencer->Replace(command.callback);
        state.device->sequencer->Complete();
    }
    return Answer(command, std::to_string(state.lastId));
}

const char* ModeName(mci::Mode mode) {
    switch (mode) {
        case mci::Mode::Playing:
            return "playing";
        case mci::Mode::Paused:
            return "paused";
        default:
            return "stopped";
    }
}

// The words after the device name, checked before anything changes.
MCIERROR CheckArguments(const std::string& verb, const std::vector<std::string>& rest) {
    if (Same(verb, "seek")) {
        if (rest.size() < 2) return MCIERR_MISSING_PARAMETER;
        if (rest.size() > 2 || !Same(rest[0], "to")) return MCIERR_UNRECOGNIZED_KEYWORD;
        return Same(rest[1], "start") ? 0 : MCIERR_OUTOFRANGE;
    }
    if (Same(verb, "status")) {
        if (rest.empty()) return MCIERR_MISSING_PARAMETER;
        return rest.size() == 1 && Same(rest[0], "mode") ? 0 : MCIERR_UNRECOGNIZED_KEYWORD;
    }
    return rest.empty() ? 0 : MCIERR_UNRECOGNIZED_KEYWORD;
}

bool IsKnownVerb(const std::string& verb) {
    for (const char* known : {"play", "resume", "stop", "pause", "seek", "close", "status"}) {
        if (Same(verb, known)) return true;
    }
    return false;
}

// A command that finishes at once: its own notification succeeds straight away.
void FinishAtOnce(mci::Sequencer& sequencer, const Command& command) {
    if (!command.notify) return;
    sequencer.Replace(command.callback);
    sequencer.Complete();
}

MCIERROR RunOnDevice(const Command& command) {
    const std::string& verb = command.words[0];
    if (!IsKnownVerb(verb)) return MCIERR_UNRECOGNIZED_COMMAND;
    if (command.words.size() < 2) return MCIERR_MISSING_DEVICE_NAME;
    if (!state.device || !Same(state.device->alias, command.words[1].c_str())) {
        return MCIERR_INVALID_DEVICE_NAME;
    }
    const std::vector<std::string> rest(command.words.begin() + 2, command.words.end());
    if (MCIERROR error = CheckArguments(verb, rest)) return error;
    mci::Sequencer& sequencer = *state.device->sequencer;
    if (Same(verb, "status")) {
        if (MCIERROR error = Answer(command, ModeName(sequencer.CurrentMode()))) return error;
        FinishAtOnce(sequencer, command);
        return 0;
    }
    Answer(command, "");
    if (Same(verb, "play") || Same(verb, "resume")) {
        if (command.notify) sequencer.Replace(command.callback);
        sequencer.Play();
    } else if (Same(verb, "pause")) {
        sequencer.Pause();
        FinishAtOnce(sequencer, command);
    } else {
        sequencer.Abort();
        if (Same(verb, "seek")) sequencer.SeekToStart();
        if (Same(verb, "stop")) sequencer.Stop();
        FinishAtOnce(sequencer, command);
        if (Same(verb, "close")) state.device.reset();
    }
    return 0;
}

void Remember(const char* text) {
    if (state.history.size() == kHistoryLength) state.history.erase(state.history.begin());
    state.history.emplace_back(text);
}

}  // namespace

MCIERROR mciSendString(const char* text, char* returnString, UINT returnSize, HWND callback) {
    if (returnString != nullptr && returnSize > 0) returnString[0] = '\0';
    if (text == nullptr) return MCIERR_MISSING_COMMAND_STRING;
    Remember(text);
    Command command{{}, false, callback, returnString, returnSize};
    if (MCIERROR error = Split(text, command.words)) return error;
    TakeFlags(command);
    if (Same(command.words[0], "open")) return Open(command);
    return RunOnDevice(command);
}

namespace mci {

std::vector<std::string> TakeCommandHistory() {
    return std::exchange(state.history, {});
}

}  // namespace mci
