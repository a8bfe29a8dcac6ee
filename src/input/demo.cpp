// Recording and playing back runs: the seed, the clock of every frame, the key messages and
// joysticks 0 and 1.
#include <kr/system.h>
#include <kr/version.h>

#include <sys/stat.h>

#include <bit>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "input/demo_hooks.h"
#include "platform/demo/demo_file.h"
#include "platform/win/win.h"
#include "shell/shell.h"

namespace {

enum class Mode { Off, Recording, Playing };

struct krDemoStateRecord {
    Mode mode = Mode::Off;
    std::string path;
    std::FILE* file = nullptr;  // a recording's, created by Record
    demo::Demo demo;
    uint32_t frame = 0;  // frames begun after the start-up
    size_t nextEvent = 0;
    uint32_t clock = 0;
    demo::JoystickState joysticks[demo::kJoysticks];
    bool closeAsked = false;
    std::string error;
};

krDemoStateRecord krDemoState;

int32_t Fail(const std::string& why) {
    krDemoState.error = "demo " + krDemoState.path + ": " + why;
    return 0;
}

void Hold(uint32_t clock) {
    krDemoState.clock = clock;
    win::HoldTickCount(clock);
}

demo::JoystickState ReadLiveJoystick(UINT joystick) {
    joy::JOYINFOEX info{};
    info.dwSize = sizeof info;
    info.dwFlags = joy::JOY_RETURNALL | joy::JOY_USEDEADZONE;
    if (joy::joyGetPosEx(joystick, &info) != joy::JOYERR_NOERROR) return {};
    return {true, static_cast<uint16_t>(info.dwXpos), static_cast<uint16_t>(info.dwYpos),
            info.dwButtons};
}

// A recording reads the joysticks once a frame and keeps each change.
void RecordJoysticks(uint32_t frame) {
    for (uint8_t joystick = 0; joystick < demo::kJoysticks; ++joystick) {
        const demo::JoystickState state = ReadLiveJoystick(joystick);
        if (state == krDemoState.joysticks[joystick]) continue;
        krDemoState.joysticks[joystick] = state;
        krDemoState.demo.events.push_back({frame, demo::EventKind::Joystick, joystick, state});
    }
}

// A playback gives the window procedure the frame's key messages and takes its joysticks. The
// screenshot key is never recorded: a demo that holds it anyway writes no pictures.
void PlayEvents(uint32_t frame) {
    const std::vector<demo::Event>& events = krDemoState.demo.events;
    for (; krDemoState.nextEvent < events.size(); ++krDemoState.nextEvent) {
        const demo::Event& event = events[krDemoState.nextEvent];
        if (event.frame != frame) return;
        if (event.kind == demo::EventKind::Joystick) {
            krDemoState.joysticks[event.code] = event.joystick;
        } else if (!krSystem::IsScreenshotKey(event.code)) {
            const UINT message = event.kind == demo::EventKind::KeyDown ? WM_KEYDOWN : WM_KEYUP;
            krSystem::WindowProc(krSystemState.windowHandle, message, event.code, 0);
        }
    }
}

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP || message == WM_CHAR;
}

// The file whole, if it is a regular file no larger than any demo.
bool ReadWhole(const std::string& path, std::vector<uint8_t>* bytes) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return Fail(std::strerror(errno));
    if (!S_ISREG(info.st_mode)) return Fail("not a regular file");
    if (static_cast<uint64_t>(info.st_size) > demo::kMaxFileBytes)
        return Fail("larger than any demo (8 MiB)");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return Fail(std::strerror(errno));
    bytes->resize(static_cast<size_t>(info.st_size));
    const size_t read = std::fread(bytes->data(), 1, bytes->size(), file);
    const bool whole = read == bytes->size() && std::fgetc(file) == EOF && !std::ferror(file);
    std::fclose(file);
    return whole || Fail("changed while it was read");
}

}  // namespace

namespace krDemo {

int32_t Record(const char* path) {
    Finish("");
    krDemoState.path = path != nullptr ? path : "";
    krDemoState.file = std::fopen(krDemoState.path.c_str(), "wb");
    if (krDemoState.file == nullptr) return Fail(std::strerror(errno));
    krDemoState.mode = Mode::Recording;
    krDemoState.demo.programVersion = KR_VERSION;
    return 1;
}

int32_t Play(const char* path) {
    Finish("");
    krDemoState.path = path != nullptr ? path : "";
    std::vector<uint8_t> bytes;
    if (!ReadWhole(krDemoState.path, &bytes)) return 0;
    std::string why;
    if (!demo::Decode(bytes.data(), bytes.size(), &krDemoState.demo, &why)) return Fail(why);
    krDemoState.mode = Mode::Playing;
    return 1;
}

int32_t Finish(const char* closingLine) {
    int32_t written = 1;
    if (krDemoState.mode == Mode::Recording) {
        demo::Demo& recorded = krDemoState.demo;
        // Messages after the last frame changed nothing.
        std::erase_if(recorded.events,
                      [](const demo::Event& event) { return event.frame > krDemoState.frame; });
        recorded.closingLine = closingLine != nullptr ? closingLine : "";
        const std::vector<uint8_t> bytes = demo::Encode(recorded);
        const bool whole =
            std::fwrite(bytes.data(), 1, bytes.size(), krDemoState.file) == bytes.size();
        const int error = errno;
        if (std::fclose(krDemoState.file) != 0 || !whole) {
            written = Fail(std::strerror(whole ? errno : error));
        }
    } else if (krDemoState.file != nullptr) {
        std::fclose(krDemoState.file);
    }
    win::FreeTickCount();
    const std::string error = krDemoState.error;
    krDemoState = krDemoStateRecord{};
    krDemoState.error = error;
    return written;
}

int32_t IsPlaying() {
    return krDemoState.mode == Mode::Playing ? 1 : 0;
}

uint32_t FrameCount() {
    const size_t frames = krDemoState.demo.frameMilliseconds.size();
    return frames == 0 ? 0 : static_cast<uint32_t>(frames - 1);
}

const char* RecordedLine() {
    return krDemoState.demo.closingLine.c_str();
}

const char* Error() {
    return krDemoState.error.c_str();
}

unsigned TakeSeed(unsigned liveSeed) {
    if (krDemoState.mode == Mode::Playing) return krDemoState.demo.seed;
    krDemoState.demo.seed = liveSeed;
    return liveSeed;
}

void BeginStartUp() {
    krDemoState.frame = 0;
    krDemoState.nextEvent = 0;
    krDemoState.closeAsked = false;
    std::fill(std::begin(krDemoState.joysticks), std::end(krDemoState.joysticks),
              demo::JoystickState{});
    if (krDemoState.mode == Mode::Recording) {
        krDemoState.demo.events.clear();
        krDemoState.demo.frameMilliseconds = {0};
        krDemoState.demo.startTick = win::LiveTickCount();
        Hold(krDemoState.demo.startTick);
        RecordJoysticks(0);
    } else if (krDemoState.mode == Mode::Playing) {
        Hold(krDemoState.demo.startTick);
        PlayEvents(0);
    }
}

bool TakeMessage(const MSG& message) {
    if (!IsKeyMessage(message.message)) return true;
    const auto key = static_cast<uint32_t>(message.wParam);
    if (krDemoState.mode == Mode::Playing) return message.message == WM_KEYDOWN && key == VK_ESCAPE;
    const bool recorded =
        (message.message == WM_KEYDOWN || message.message == WM_KEYUP) && key >= 1 && key <= 254;
    if (krDemoState.mode == Mode::Recording && recorded) {
        const auto kind =
            message.message == WM_KEYDOWN ? demo::EventKind::KeyDown : demo::EventKind::KeyUp;
        krDemoState.demo.events.push_back(
            {krDemoState.frame + 1, kind, static_cast<uint8_t>(key), {}});
    }
    return true;
}

bool BeginFrame() {
    if (krDemoState.mode == Mode::Recording) {
        krDemoState.frame += 1;
        const uint32_t now = win::LiveTickCount();
        krDemoState.demo.frameMilliseconds.push_back(now - krDemoState.clock);
        Hold(now);
        RecordJoysticks(krDemoState.frame);
    } else if (krDemoState.mode == Mode::Playing) {
        if (krDemoState.frame >= FrameCount()) {
            if (!krDemoState.closeAsked)
                win::PostMessage(krSystemState.windowHandle, WM_CLOSE, 0, 0);
            krDemoState.closeAsked = true;
            return false;
        }
        krDemoState.frame += 1;
        Hold(krDemoState.clock + krDemoState.demo.frameMilliseconds[krDemoState.frame]);
        PlayEvents(krDemoState.frame);
    }
    return true;
}

bool HoldsClock() {
    return krDemoState.mode != Mode::Off;
}

void PassTime(uint32_t milliseconds) {
    if (krDemoState.mode == Mode::Recording)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds + 1));
    Hold(krDemoState.clock + milliseconds + 1);
}

bool HeldJoystick(UINT joystick, joy::JOYINFOEX* info, bool* plugged) {
    if (krDemoState.mode == Mode::Off) return false;
    const demo::JoystickState state =
        joystick < demo::kJoysticks ? krDemoState.joysticks[joystick] : demo::JoystickState{};
    *plugged = state.plugged;
    if (!state.plugged) return true;
    info->dwXpos = state.x;
    info->dwYpos = state.y;
    info->dwZpos = info->dwRpos = info->dwUpos = info->dwVpos = joy::kCentre;
    info->dwButtons = state.buttons;
    info->dwButtonNumber = static_cast<DWORD>(std::popcount(state.buttons));
    info->dwPOV = joy::JOY_POVCENTERED;
    return true;
}

}  // namespace krDemo
