#include <gtest/gtest.h>

#include "platform/backend/sdl/frame_pacer.h"

namespace {

// The vsync rate is the one the presentation itself waits for while vsync is on (0: none), the
// refresh rate the one the display reports; the work is the time to make one frame.
struct PacingCase {
    const char* name;
    bool enabled, vsyncClaimed;
    int vsyncRate, refreshRate;
    int64_t workMicros, expectedInterval;
};

// Runs 200 frames through the pacer and answers the average time between the last 100
// presentations; a vsync that waits is never delayed further once the pacer trusts it.
int64_t AverageInterval(const PacingCase& c) {
    sdl::FramePacer pacer;
    pacer.Start(c.enabled, c.vsyncClaimed, c.refreshRate);
    const int64_t vsync = c.vsyncRate > 0 ? 1'000'000 / c.vsyncRate : 0;
    int64_t now = 0, markedAt = 0;
    for (int frame = 0; frame < 200; ++frame) {
        now += c.workMicros;
        const int64_t delay = pacer.DelayBefore(now);
        EXPECT_GE(delay, 0);
        if (frame >= 100 && c.vsyncRate > 0 && c.vsyncRate == c.refreshRate) {
            EXPECT_EQ(delay, 0) << c.name;
            EXPECT_FALSE(pacer.Timing()) << c.name;
        }
        now += delay;
        if (vsync > 0 && !pacer.Timing()) now = (now / vsync + 1) * vsync;
        if (frame == 99) markedAt = now;
    }
    return (now - markedAt) / 100;
}

TEST(FramePacer, PresentsAtTheRefreshRateWhateverTheDriverOffers) {
    const PacingCase cases[] = {
        {"no vsync, rate unknown: 60 Hz", true, false, 0, 0, 5000, 16666},
        {"no vsync, 75 Hz display", true, false, 0, 75, 5000, 13333},
        {"vsync that waits", true, true, 60, 60, 5000, 16666},
        {"vsync at 144 Hz", true, true, 144, 144, 5000, 6944},
        {"vsync claimed but not kept", true, true, 0, 60, 4000, 16666},
        {"vsync at another rate than the display's", true, true, 64, 60, 4000, 16666},
        {"vsync on a display of unknown rate", true, true, 64, 0, 4000, 16666},
        {"slow frames are not held back further", true, false, 0, 60, 25000, 25000},
        {"pacing off", false, false, 0, 60, 5000, 5000},
        {"pacing off with a vsync claim", false, true, 0, 60, 5000, 5000},
    };
    for (const PacingCase& c : cases)
        EXPECT_NEAR(double(AverageInterval(c)), double(c.expectedInterval), 2.0) << c.name;
}

}  // namespace
