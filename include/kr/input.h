#pragma once
// krInput: joysticks 0 and 1 read as keypad direction codes, axis signs, raw positions, buttons
// as levels, edge states and charge gauges, and a smoothed analog pair; keyboard edge states.
// Edge states: 0 up, 1 pressed since the last poll, 3 held, 2 released since the last poll.
#include <cstdint>

namespace krInput {

// Measures the centres and clears both joysticks' records; the display set-up calls it.
void Start();
// Measures the centre of joystick 0, then 1, from their positions now (0 and 0 when absent).
void Calibrate();
// Analog values and charges back to 0; rates and edge states stay.
void Reset();
// Units per second of the analog pair and of the charges; both 0 until set.
void SetRates(uint32_t joystick, float analogRate, float chargeRate);
void GetCentre(uint32_t joystick, int32_t* centreX, int32_t* centreY);

// Direction code in numeric-keypad layout (7 8 9 / 4 5 6 / 1 2 3); 5 when centred or unread.
int32_t GetDirection(uint32_t joystick);
// -1, 0 or +1 on each axis; untouched when the joystick cannot be read.
void GetAxes(uint32_t joystick, int32_t* dx, int32_t* dy);
// The raw positions, 0 to 65535; untouched when the joystick cannot be read.
void GetPosition(uint32_t joystick, int32_t* x, int32_t* y);
// The analog pair, -100 to 100, moved by this frame's share of the analog rate.
void GetAnalog(uint32_t joystick, int32_t* ax, int32_t* ay);

// Button 1 to 32: 1 while it is down, else 0.
int32_t IsButtonDown(uint32_t joystick, int32_t button);
void GetButtons(uint32_t joystick, int32_t* b1, int32_t* b2, int32_t* b3, int32_t* b4);
// Button 1 to 4: its new edge state.
int32_t GetButton(uint32_t joystick, int32_t button);
void GetButtonStates(uint32_t joystick, int32_t* s1, int32_t* s2, int32_t* s3, int32_t* s4);
// Button 1 to 4: its charge, 0 to 100, filled at the charge rate while it is held.
int32_t ChargeButton(uint32_t joystick, int32_t button);
void ChargeButtons(uint32_t joystick, int32_t* c1, int32_t* c2, int32_t* c3, int32_t* c4);

// The key's new edge state, from the caller's previous one, in the caller's variable.
void GetKey(int32_t virtualKey, int32_t* state);

}  // namespace krInput
