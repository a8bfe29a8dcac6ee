#include "platform/backend/headless/headless.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <iostream>
#include <memory>

#include "platform/backend/backend.h"
#include "platform/pixels/png.h"
#include "platform/win/events.h"

namespace headless {

namespace {

struct State {
    uint32_t clock = 0;
    uint32_t tickStep = 0;
    std::vector<Box> boxes;
    int yesNoAnswer = IDNO;
    bool echoBoxes = false;
    int desktopWidth = 640, desktopHeight = 480, desktopBits = 32;
    std::string modulePath;
    WindowInfo window;
    bool cursorVisible = true;
    int cursorX = 0, cursorY = 0;
    int beeps = 0;
    int64_t calendarTime = 0;
    Picture picture;
    bool keepPictures = true;
    int presents = 0;
    std::chrono::steady_clock::time_point presentedAt;
    std::vector<std::unique_ptr<backend::JoystickReading>> joysticks;
};

State state;

volatile std::sig_atomic_t stopSignalled = 0;

void NoteStopSignal(int) {
    stopSignalled = 1;
}

void Keep(const pixels::View& shown) {
    ++state.presents;
    state.presentedAt = std::chrono::steady_clock::now();
    if (!state.keepPictures) return;
    Picture& picture = state.picture;
    picture.width = shown.width;
    picture.height = shown.height;
    picture.format = shown.format;
    const size_t rowBytes = static_cast<size_t>(shown.width) * BytesPerPixel(shown.format);
    picture.memory.resize(rowBytes * static_cast<size_t>(shown.height));
    for (int32_t y = 0; y < shown.height; ++y)
        std::memcpy(picture.memory.data() + rowBytes * static_cast<size_t>(y), shown.Row(y),
                    rowBytes);
}

class HeadlessBackend final : public backend::Backend {
  public:
    bool CreateWindow(const backend::WindowSpec& request) override {
        state.window = WindowInfo{};
        state.window.exists = true;
        state.window.popup = request.popup;
        state.window.title = request.title ? request.title : "";
        state.window.x = request.x;
        state.window.y = request.y;
        state.window.width = request.width;
        state.window.height = request.height;
        return true;
    }
    void SetIcon(const win::Resource&) override { state.window.hasIcon = true; }
    void ShowWindow(bool visible) override { state.window.shown = visible; }
    void SetTopmost() override { state.window.topmost = true; }
    void MinimizeWindow() override {
        state.window.minimized = true;
        ++state.window.minimizeCount;
    }
    void DestroyWindow() override { state.window.exists = false; }

    void PumpEvents() override {
        if (stopSignalled == 0) return;
        stopSignalled = 0;
        win::NotifyCloseRequest();
    }
    void WaitEvent() override {}

    uint32_t TickCount() override {
        const uint32_t now = state.clock;
        state.clock += state.tickStep;
        return now;
    }

    int MessageBox(const char* text, const char* caption, UINT type) override {
        state.boxes.push_back(Box{caption, text, type});
        if (state.echoBoxes) std::cerr << caption << ": " << text << '\n';
        return (type & MB_TYPEMASK) == MB_YESNO ? state.yesNoAnswer : IDOK;
    }
    void Beep() override { ++state.beeps; }

    int DesktopWidth() override { return state.desktopWidth; }
    int DesktopHeight() override { return state.desktopHeight; }
    int DesktopBits() override { return state.desktopBits; }

    void ClientPosition(int& x, int& y) override {
        x = state.window.x;
        y = state.window.y;
    }

    void SetCursorVisible(bool visible) override { state.cursorVisible = visible; }
    bool CursorPosition(int& x, int& y) override {
        x = state.cursorX;
        y = state.cursorY;
        return true;
    }
    bool WarpCursor(int x, int y) override {
        state.cursorX = x;
        state.cursorY = y;
        return true;
    }
    bool ConfineCursor(const RECT*) override { return true; }

    void Present(const pixels::View& picture) override { Keep(picture); }
    // The virtual clock has no refresh to wait for: tests and replays run as fast as they can.
    void SetFramePacing(bool) override {}

    backend::JoystickAnswer ReadJoystick(unsigned index,
                                         backend::JoystickReading& reading) override {
        if (index >= state.joysticks.size()) return backend::JoystickAnswer::Unplugged;
        reading = *state.joysticks[index];
        return backend::JoystickAnswer::Read;
    }
    bool RestartJoysticks() override { return true; }

    int64_t CalendarTime() override {
        return state.calendarTime != 0 ? state.calendarTime : backend::RealCalendarTime();
    }

    const char* ModulePath() override {
        return state.modulePath.empty() ? backend::ExecutablePath() : state.modulePath.c_str();
    }
};

HeadlessBackend instance;

}  // namespace

void Install(uint32_t clockStart) {
    state = State{};
    state.clock = clockStart;
    backend::Install(&instance);
}

void SetClock(uint32_t milliseconds) {
    state.clock = milliseconds;
}
void AdvanceClock(uint32_t milliseconds) {
    state.clock += milliseconds;
}
uint32_t Clock() {
    return state.clock;
}
void SetTickStep(uint32_t milliseconds) {
    state.tickStep = milliseconds;
}

void PressKey(int virtualKey) {
    win::NotifyKey(virtualKey, true);
}
void ReleaseKey(int virtualKey) {
    win::NotifyKey(virtualKey, false);
}
void MoveMouse(int x, int y) {
    state.cursorX = x;
    state.cursorY = y;
    win::NotifyMouseMove(x, y);
}
void SetActive(bool active) {
    win::NotifyActivation(active);
}
void MoveWindow(int x, int y) {
    state.window.x = x;
    state.window.y = y;
    win::NotifyMoved(x, y);
}

void RequestClose() {
    win::NotifyCloseRequest();
}

void CloseOnStopSignals() {
    struct sigaction action {};
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

const std::vector<Box>& Boxes() {
    return state.boxes;
}
void ClearBoxes() {
    state.boxes.clear();
}
void SetYesNoAnswer(int answer) {
    state.yesNoAnswer = answer;
}
void SetBoxEcho(bool echo) {
    state.echoBoxes = echo;
}

backend::JoystickReading& PlugJoystick() {
    state.joysticks.push_back(std::make_unique<backend::JoystickReading>());
    return *state.joysticks.back();
}

void UnplugJoystick(const backend::JoystickReading& joystick) {
    std::erase_if(state.joysticks, [&](const auto& plugged) { return plugged.get() == &joystick; });
}

void SetDesktop(int width, int height, int bitsPerPixel) {
    state.desktopWidth = width;
    state.desktopHeight = height;
    state.desktopBits = bitsPerPixel;
}
void SetModulePath(const std::string& path) {
    state.modulePath = path;
}
void SetCalendarTime(int64_t secondsSinceEpoch) {
    state.calendarTime = secondsSinceEpoch;
}

const WindowInfo& Window() {
    return state.window;
}
COLORREF Picture::At(int32_t x, int32_t y) const {
    const uint32_t bytes = BytesPerPixel(format);
    const uint8_t* at =
        memory.data() +
        (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * bytes;
    uint32_t pixel = 0;
    std::memcpy(&pixel, at, bytes);
    return pixels::Unpack(format, pixel);
}

const Picture& LastPicture() {
    return state.picture;
}

void KeepPictures(bool keep) {
    state.keepPictures = keep;
    if (!keep) state.picture = Picture{};
}

int PresentCount() {
    return state.presents;
}

double LastPresentSeconds() {
    return std::chrono::duration<double>(state.presentedAt.time_since_epoch()).count();
}

bool WritePicturePng(const std::string& path) {
    Picture& picture = state.picture;
    const int32_t pitch = picture.width * static_cast<int32_t>(BytesPerPixel(picture.format));
    return pixels::WritePng(
               {picture.memory.data(), pitch, picture.width, picture.height, picture.format}, path,
               false) == 0;
}

bool CursorVisible() {
    return state.cursorVisible;
}
int BeepCount() {
    return state.beeps;
}

}  // namespace headless
