#pragma once
// The demo file: a recorded run's seed, clock and input, frame by frame, and the closing line that
// the recording program wrote. Bytes are little-endian; docs/demo-format.md describes the layout.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace demo {

inline constexpr uint16_t kFormatVersion = 1;
// A demo of a day's play at 60 frames a second fits many times over; nothing larger is read.
inline constexpr size_t kMaxFileBytes = 8u << 20;
inline constexpr size_t kMaxTextBytes = 255;
// Joysticks 0 and 1, the ones the input module keeps a record for.
inline constexpr uint8_t kJoysticks = 2;

struct JoystickState {
    bool plugged = false;
    uint16_t x = 0, y = 0;  // 0 to 65535, the rest value inside the dead zone
    uint32_t buttons = 0;   // button n is bit n - 1

    friend bool operator==(const JoystickState&, const JoystickState&) = default;
};

enum class EventKind : uint8_t { KeyDown = 1, KeyUp = 2, Joystick = 3 };

struct Event {
    uint32_t frame;  // taken before this frame runs; frame 0 is the start-up
    EventKind kind;
    uint8_t code;  // the virtual-key code (1 to 254), or the joystick number
    JoystickState joystick;

    friend bool operator==(const Event&, const Event&) = default;
};

struct Demo {
    std::string programVersion;
    uint32_t seed = 0;
    uint32_t startTick = 0;  // the clock while the program started
    // Milliseconds from one frame's clock to the next; entry 0 belongs to the start-up (0).
    std::vector<uint32_t> frameMilliseconds;
    std::vector<Event> events;  // in frame order
    std::string closingLine;
};

std::vector<uint8_t> Encode(const Demo& demo);

// False with the reason (one short phrase) for anything but a whole, undamaged demo of this
// format version.
bool Decode(const uint8_t* bytes, size_t size, Demo* demo, std::string* why);

}  // namespace demo
