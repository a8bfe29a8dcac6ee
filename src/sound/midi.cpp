// krMidi: one piece of MIDI music under the MCI alias "midi", looping through the window
// procedure's end notification.
#include <string>

#include "platform/mci/mci.h"
#include "sound/sound.h"

krMidiStateRecord krMidiState{};

namespace krMidi {

namespace {

MCIERROR Send(const char* command, HWND callback = nullptr) {
    return mciSendString(command, nullptr, 0, callback);
}

MCIERROR PlayFromTheStart() {
    Send("seek midi to start");
    return Send("play midi notify", krSystemState.windowHandle);
}

}  // namespace

int32_t Init() {
    krMidiState.open = 0;
    krMidiState.loop = 1;
    return 1;
}

uint32_t Play(const char* fileName) {
    // As long as the path is: a cut command would open under a cut alias that is never closed.
    const std::string command = std::string("open \"") + krSystem::GetDataPath(0) +
                                (fileName != nullptr ? fileName : "") +
                                "\" type sequencer alias midi";
    if (krMidiState.open != 0) Stop();
    Send(command.c_str());
    const MCIERROR result = PlayFromTheStart();
    krMidiState.open = 1;
    krMidiState.loop = 1;
    return result;
}

void Replay() {
    if (krMidiState.loop != 0) {
        PlayFromTheStart();
    } else {
        Stop();
    }
}

void Stop() {
    if (krMidiState.open == 0) return;
    Close();
    krMidiState.open = 0;
}

void Close() {
    Send("stop midi");
    Send("close midi");
}

void DisableLoop() {
    krMidiState.loop = 0;
}

}  // namespace krMidi
