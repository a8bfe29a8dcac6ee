// The sound example: a bell from the program's own resources, then a looping tune and a chime
// that wanders from left to right, for twelve seconds ("--seconds N" on the command line
// changes that; Escape ends it sooner). "--only tune" or "--only chime" plays that alone.
// Without an audio device it runs silent.
#include <kr/kr.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

constexpr int32_t kChimeWait = 1;
constexpr int32_t kEndWait = 2;
constexpr int32_t kPans[] = {-100, -50, 0, 50, 100, 50, 0, -50};

int32_t chime = 0;
int32_t chimes = 0;

int32_t Seconds() {
    int32_t seconds = 12;
    if (const char* option = std::strstr(krSystem::GetCommandLine(), "--seconds "))
        std::sscanf(option, "--seconds %d", &seconds);
    return seconds;
}

// Whether a part plays: every part unless "--only" names another.
bool Plays(const char* part) {
    const char* only = std::strstr(krSystem::GetCommandLine(), "--only ");
    return only == nullptr || std::strncmp(only + 7, part, std::strlen(part)) == 0;
}

void Init() {
    krSystemState.scene = 1;
    // Starts sound itself; a client with a display leaves this to the display set-up.
    if (krSound::Init() == 0) std::puts("No audio device: the example runs silent.");
    krSound::ResetTable();
    krMidi::Init();
    // No file of that name: the sound comes from the WAVE resource "BELL", a fifth higher.
    const int32_t bell = krSound::LoadObject("BELL", 1);
    krSound::SetFrequency(bell, 110, -1);
    if (Plays("bell")) krSound::Play(bell, -1);
    chime = krSound::LoadObject("CHIME.WAV", 3);
    if (Plays("tune")) krMidi::Play("TUNE.MID");
    krSystem::SetWait(kChimeWait, 500);
    krSystem::SetWait(kEndWait, 1000 * Seconds());
    std::puts("Playing BELL, TUNE.MID and CHIME.WAV; Escape ends the example.");
}

void Frame() {
    if (krSystem::IsWaitOver(kEndWait) == 1) {
        krSystemState.scene = krSceneClosing;
        return;
    }
    if (krSystem::IsWaitOver(kChimeWait) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return;
    }
    // Three buffers let each chime ring on while the next one starts.
    krSound::SetPan(chime, kPans[chimes % 8], -2);
    if (Plays("chime")) krSound::Play(chime, -1);
    ++chimes;
    krSystem::SetWait(kChimeWait, 750);
}

}  // namespace

int main(int argc, char** argv) {
    krSystemState.fullScreen = 0;
    krSystem::RegisterClient(Init, {{1, Frame}});
    return krSystem::Run(argc, argv);
}
