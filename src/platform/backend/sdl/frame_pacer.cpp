#include "platform/backend/sdl/frame_pacer.h"

namespace sdl {

void FramePacer::Start(bool enabled, bool vsyncClaimed, int refreshRate) {
    enabled_ = enabled;
    timing_ = !vsyncClaimed || refreshRate <= 0;
    period_ = 1'000'000 / (refreshRate > 0 ? refreshRate : kUnknownRefreshRate);
    next_ = -1;
    probed_ = 0;
    probeStart_ = 0;
}

// A vsync that the driver claims but does not keep (virtual displays, some compositors) shows
// up as presentations more than about 3% off the refresh period.
void FramePacer::ProbeVsync(int64_t nowMicros) {
    if (probed_ == 0) probeStart_ = nowMicros;
    if (++probed_ <= kVsyncProbeFrames) return;
    const int64_t average = (nowMicros - probeStart_) / kVsyncProbeFrames;
    const int64_t off = average > period_ ? average - period_ : period_ - average;
    timing_ = off > period_ / 32;
}

int64_t FramePacer::DelayBefore(int64_t nowMicros) {
    if (!enabled_) return 0;
    if (!timing_) {
        if (probed_ <= kVsyncProbeFrames) ProbeVsync(nowMicros);
        if (!timing_) return 0;
    }
    // Deadlines a whole period apart keep the average rate exact: a frame a little late is shown
    // at once and the schedule holds; one a whole period late starts the schedule afresh
    // instead of hurrying the following frames.
    if (next_ < 0 || nowMicros >= next_ + period_) {
        next_ = nowMicros + period_;
        return 0;
    }
    if (nowMicros >= next_) {
        next_ += period_;
        return 0;
    }
    const int64_t delay = next_ - nowMicros;
    next_ += period_;
    return delay;
}

}  // namespace sdl
