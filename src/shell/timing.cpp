// Numbered waits, the frame timer and the blocking pause, all on the millisecond tick count.
#include "input/demo_hooks.h"
#include "platform/win/win.h"
#include "shell/shell.h"

namespace krSystem {

namespace {

constexpr uint32_t kIdleDeadline = 999999999;
constexpr int32_t kWaitCount = 10;

struct WaitState {
    uint32_t deadlines[kWaitCount + 1];  // entry 0 unused: waits are numbered 1 to 10
    uint32_t pauseDeadline;
};

WaitState waits = [] {
    WaitState initial{};
    for (uint32_t& deadline : initial.deadlines)
        deadline = kIdleDeadline;
    initial.pauseDeadline = kIdleDeadline;
    return initial;
}();

bool CheckWaitNumber(int32_t wait, const char* operation) {
    if (wait >= 1 && wait <= kWaitCount) return true;
    ErrorBox(operation, "ウェイトNoが範囲外です");
    return false;
}

}  // namespace

int32_t SetWait(int32_t wait, int32_t milliseconds) {
    if (!CheckWaitNumber(wait, "krSystem::SetWait")) return 0;
    waits.deadlines[wait] = win::GetTickCount() + static_cast<uint32_t>(milliseconds);
    return 1;
}

int32_t InitWait(int32_t wait) {
    if (!CheckWaitNumber(wait, "krSystem::InitWait")) return 0;
    waits.deadlines[wait] = kIdleDeadline;
    return 1;
}

// Callers pass only 1 to 10; anything else reads as not over rather than outside the table.
int32_t IsWaitOver(int32_t wait) {
    if (wait < 1 || wait > kWaitCount) return 0;
    return win::GetTickCount() > waits.deadlines[wait] ? 1 : 0;
}

void ResetWaits() {
    for (uint32_t& deadline : waits.deadlines)
        deadline = kIdleDeadline;
    waits.pauseDeadline = kIdleDeadline;
    ReleaseInput();
}

uint32_t ResetFrameTimer() {
    krSystemState.frameSeconds = 0.0f;
    krSystemState.frameStartTick = win::GetTickCount();
    return krSystemState.frameStartTick;
}

uint32_t MeasureFrame() {
    const uint32_t elapsed = win::GetTickCount() - krSystemState.frameStartTick;
    krSystemState.frameSeconds = static_cast<float>(static_cast<double>(elapsed) / 1000.0);
    krSystemState.frameStartTick = win::GetTickCount();
    return krSystemState.frameStartTick;
}

uint32_t Pause(uint32_t milliseconds) {
    if (krDemo::HoldsClock()) {
        krDemo::PassTime(milliseconds);
        return ResetFrameTimer();
    }
    const uint32_t start = win::GetTickCount();
    waits.pauseDeadline = start + milliseconds;
    // Elapsed time, not the deadline: the 32-bit tick count may wrap during the pause.
    while (!(win::GetTickCount() - start > milliseconds)) {
    }
    return ResetFrameTimer();
}

void SetFramePacing(int32_t paced) {
    win::SetFramePacing(paced != 0 ? TRUE : FALSE);
}

}  // namespace krSystem
