#pragma once
// Paces presentations to the display's refresh. Game motion is counted in frames, so a display
// that shows frames as fast as they are made would speed the game up with the machine.
#include <cstdint>

namespace sdl {

class FramePacer {
  public:
    static constexpr int kUnknownRefreshRate = 60;
    // Presentations measured before deciding whether a claimed vsync really waits.
    static constexpr int kVsyncProbeFrames = 30;

    // refreshRate 0 means unknown. vsyncClaimed: the renderer says its presentation waits for
    // the refresh. The pacer trusts that only on a display with a known rate, and only while
    // the presentations keep that rate; otherwise it times frames itself, and the vsync must
    // be turned off so that the two do not beat against each other.
    void Start(bool enabled, bool vsyncClaimed, int refreshRate);
    // Called just before each presentation with a monotonic time in microseconds: how long to
    // wait before presenting.
    int64_t DelayBefore(int64_t nowMicros);
    // Whether the pacer times frames itself (no vsync to rely on).
    bool Timing() const { return enabled_ && timing_; }

  private:
    void ProbeVsync(int64_t nowMicros);

    bool enabled_ = false;
    bool timing_ = false;
    int64_t period_ = 1'000'000 / kUnknownRefreshRate;
    int64_t next_ = -1;  // the earliest time of the next presentation; -1 before the first
    int probed_ = 0;
    int64_t probeStart_ = 0;
};

}  // namespace sdl
