#include <kr/draw.h>
#include <kr/input.h>
#include <kr/system.h>

#include <algorithm>
#include <array>
#include <iterator>

#include "input/demo_hooks.h"
#include "platform/joy/joy.h"
#include "platform/win/win.h"

namespace {

constexpr uint32_t kJoysticks = 2;
constexpr int32_t kButtons = 4;

struct krInputJoystick {
    float analogX, analogY;  // -100 to 100
    float analogRate;        // units per second
    float charge[kButtons];  // 0 to 100
    float chargeRate;        // units per second
    int32_t buttonState[kButtons];
};

struct krInputStateRecord {
    joy::JOYINFOEX info;  // shared by every reading
    int32_t centreX[kJoysticks], centreY[kJoysticks];
    bool plugged[kJoysticks];  // read at the last reading
    krInputJoystick joysticks[kJoysticks];
    int32_t direction;
    int32_t lastX, lastY;
};

krInputStateRecord krInputState;

constexpr DWORD kPositionFlags = joy::JOY_RETURNX | joy::JOY_RETURNY | joy::JOY_USEDEADZONE;
constexpr DWORD kCentreFlags = joy::JOY_RETURNALL | joy::JOY_USEDEADZONE;

void Put(int32_t* out, int32_t value) {
    if (out != nullptr) *out = value;
}

bool ReadDevice(uint32_t joystick, DWORD flags) {
    krInputState.info.dwSize = sizeof(joy::JOYINFOEX);
    krInputState.info.dwFlags = flags;
    bool plugged = false;
    if (krDemo::HeldJoystick(joystick, &krInputState.info, &plugged)) return plugged;
    return joy::joyGetPosEx(joystick, &krInputState.info) == joy::JOYERR_NOERROR;
}

// The centre is where the stick rests when it is measured; 0 and 0 without a joystick.
void CalibrateOne(uint32_t joystick) {
    const bool read = ReadDevice(joystick, kCentreFlags);
    krInputState.centreX[joystick] = read ? static_cast<int32_t>(krInputState.info.dwXpos) : 0;
    krInputState.centreY[joystick] = read ? static_cast<int32_t>(krInputState.info.dwYpos) : 0;
    krInputState.plugged[joystick] = read;
}

// A joystick plugged in after the start is measured when it first answers, as at the start:
// without a centre it could not steer.
bool Read(uint32_t joystick, DWORD flags) {
    const bool read = ReadDevice(joystick, flags);
    if (joystick >= kJoysticks || read == krInputState.plugged[joystick]) return read;
    krInputState.plugged[joystick] = read;
    if (!read) return false;
    CalibrateOne(joystick);
    return ReadDevice(joystick, flags);
}

// Only joysticks 0 and 1 have a record and a centre.
krInputJoystick* Record(uint32_t joystick) {
    return joystick < kJoysticks ? &krInputState.joysticks[joystick] : nullptr;
}

// The stick's side on one axis: -1 up to half the centre, +1 from one and a half times it.
int32_t Side(int32_t position, int32_t centre) {
    const int32_t half = centre / 2;
    if (position <= half) return -1;
    if (position >= centre + half) return 1;
    return 0;
}

// Reads the position into the last position read; false when the joystick cannot be read.
bool ReadPosition(uint32_t joystick) {
    if (!Read(joystick, kPositionFlags)) return false;
    krInputState.lastX = static_cast<int32_t>(krInputState.info.dwXpos);
    krInputState.lastY = static_cast<int32_t>(krInputState.info.dwYpos);
    return true;
}

// Reads the position and its sides; false when the joystick cannot be read.
bool ReadSides(uint32_t joystick, int32_t& dx, int32_t& dy) {
    if (Record(joystick) == nullptr || !ReadPosition(joystick)) return false;
    dx = Side(krInputState.lastX, krInputState.centreX[joystick]);
    dy = Side(krInputState.lastY, krInputState.centreY[joystick]);
    return true;
}

// Edges read as up while a screen transition runs, the overlay screen is shown or the shell
// holds input back.
bool EdgesHeld() {
    return krDrawPresentation.transitionStep != 0 || krDrawPresentation.overlayShown != 0 ||
           krSystemState.inputHeld == 1;
}

int32_t NextEdge(int32_t previous, bool down) {
    if (EdgesHeld()) return 0;
    if (down) return previous == 0 ? 1 : 3;
    return previous == 1 || previous == 3 ? 2 : 0;
}

bool Bit(DWORD buttons, int32_t button) {
    return ((buttons >> (button - 1)) & 1) != 0;
}

int32_t NextButtonEdge(krInputJoystick& record, int32_t index, bool down) {
    record.buttonState[index] = NextEdge(record.buttonState[index], down);
    return record.buttonState[index];
}

// Fills while held at the charge rate, up to 100; empties on release.
int32_t NextCharge(krInputJoystick& record, int32_t index, bool down) {
    float& charge = record.charge[index];
    charge = down ? std::min(charge + record.chargeRate * krSystemState.frameSeconds, 100.0f) : 0;
    return static_cast<int32_t>(charge);
}

// Moves buttons 1 to 4 on from one reading and puts their results; nothing changes when the
// joystick cannot be read.
void PollFourButtons(uint32_t joystick, const std::array<int32_t*, kButtons>& outs,
                     int32_t (*next)(krInputJoystick&, int32_t, bool)) {
    krInputJoystick* record = Record(joystick);
    if (record == nullptr || !Read(joystick, joy::JOY_RETURNBUTTONS)) return;
    for (int32_t i = 0; i < kButtons; ++i)
        Put(outs[i], next(*record, i, Bit(krInputState.info.dwButtons, i + 1)));
}

// Toward the pushed side, or back to 0 in the dead band, by one step.
float Approach(float value, int32_t side, float step) {
    if (side != 0) return std::clamp(value + static_cast<float>(side) * step, -100.0f, 100.0f);
    if (value > 0) value = std::max(value - step, 0.0f);
    if (value < 0) value = std::min(value + step, 0.0f);
    return value;
}

}  // namespace

namespace krInput {

void Start() {
    joy::joyConfigChanged(0);
    Calibrate();
    for (krInputJoystick& record : krInputState.joysticks)
        record = krInputJoystick{};
}

void Calibrate() {
    for (uint32_t joystick = 0; joystick < kJoysticks; ++joystick)
        CalibrateOne(joystick);
}

void Reset() {
    for (krInputJoystick& record : krInputState.joysticks) {
        record.analogX = record.analogY = 0;
        std::fill(std::begin(record.charge), std::end(record.charge), 0.0f);
    }
}

void SetRates(uint32_t joystick, float analogRate, float chargeRate) {
    if (krInputJoystick* record = Record(joystick)) {
        record->analogRate = analogRate;
        record->chargeRate = chargeRate;
    }
}

void GetCentre(uint32_t joystick, int32_t* centreX, int32_t* centreY) {
    if (Record(joystick) == nullptr) return;
    Put(centreX, krInputState.centreX[joystick]);
    Put(centreY, krInputState.centreY[joystick]);
}

int32_t GetDirection(uint32_t joystick) {
    krInputState.direction = 5;
    int32_t dx = 0, dy = 0;
    if (ReadSides(joystick, dx, dy)) krInputState.direction = 5 + dx - 3 * dy;
    return krInputState.direction;
}

void GetAxes(uint32_t joystick, int32_t* dx, int32_t* dy) {
    int32_t sideX = 0, sideY = 0;
    if (!ReadSides(joystick, sideX, sideY)) return;
    Put(dx, sideX);
    Put(dy, sideY);
}

void GetPosition(uint32_t joystick, int32_t* x, int32_t* y) {
    if (!ReadPosition(joystick)) return;
    Put(x, krInputState.lastX);
    Put(y, krInputState.lastY);
}

void GetAnalog(uint32_t joystick, int32_t* ax, int32_t* ay) {
    int32_t dx = 0, dy = 0;
    if (!ReadSides(joystick, dx, dy)) return;
    krInputJoystick& record = *Record(joystick);
    const float step = record.analogRate * krSystemState.frameSeconds;
    record.analogX = Approach(record.analogX, dx, step);
    record.analogY = Approach(record.analogY, dy, step);
    Put(ax, static_cast<int32_t>(record.analogX));
    Put(ay, static_cast<int32_t>(record.analogY));
}

int32_t IsButtonDown(uint32_t joystick, int32_t button) {
    if (button < 1 || button > 32 || !Read(joystick, joy::JOY_RETURNBUTTONS)) return 0;
    return Bit(krInputState.info.dwButtons, button) ? 1 : 0;
}

void GetButtons(uint32_t joystick, int32_t* b1, int32_t* b2, int32_t* b3, int32_t* b4) {
    if (!Read(joystick, joy::JOY_RETURNBUTTONS)) return;
    int32_t* const outs[kButtons] = {b1, b2, b3, b4};
    for (int32_t i = 0; i < kButtons; ++i)
        Put(outs[i], Bit(krInputState.info.dwButtons, i + 1) ? 1 : 0);
}

int32_t GetButton(uint32_t joystick, int32_t button) {
    krInputJoystick* record = Record(joystick);
    if (record == nullptr || button < 1 || button > kButtons) return 0;
    if (!Read(joystick, joy::JOY_RETURNBUTTONS)) return 0;
    return NextButtonEdge(*record, button - 1, Bit(krInputState.info.dwButtons, button));
}

void GetButtonStates(uint32_t joystick, int32_t* s1, int32_t* s2, int32_t* s3, int32_t* s4) {
    PollFourButtons(joystick, {s1, s2, s3, s4}, NextButtonEdge);
}

int32_t ChargeButton(uint32_t joystick, int32_t button) {
    krInputJoystick* record = Record(joystick);
    if (record == nullptr || button < 1 || button > kButtons) return 0;
    return NextCharge(*record, button - 1, IsButtonDown(joystick, button) == 1);
}

void ChargeButtons(uint32_t joystick, int32_t* c1, int32_t* c2, int32_t* c3, int32_t* c4) {
    PollFourButtons(joystick, {c1, c2, c3, c4}, NextCharge);
}

void GetKey(int32_t virtualKey, int32_t* state) {
    if (state == nullptr) return;
    // Bit 7 of the key state is set while the key is down.
    *state = NextEdge(*state, (win::GetKeyState(virtualKey) & 0x80) != 0);
}

}  // namespace krInput
