#include "shell/fixture.h"

namespace {

using TimingTest = ShellTest;

TEST_F(TimingTest, WaitNumbersOutsideOneToTenAreRefusedWithTheErrorBox) {
    EXPECT_EQ(krSystem::SetWait(0, 100), 0);
    EXPECT_EQ(krSystem::InitWait(11), 0);
    EXPECT_EQ(krSystem::SetWait(1, 100) + krSystem::SetWait(10, 100) + krSystem::InitWait(10), 3);
    EXPECT_EQ(ErrorTexts(),
              (std::vector<std::string>{"krSystem::SetWait : ウェイトNoが範囲外です",
                                        "krSystem::InitWait : ウェイトNoが範囲外です"}));
}

// A wait is over once the tick passes start + milliseconds, counted like the 32-bit tick (so a
// deadline wraps with it); InitWait makes it idle again.
TEST_F(TimingTest, AWaitIsOverOnlyOnceTheTickPassesItsDeadline) {
    const struct {
        uint32_t start, milliseconds;
    } cases[] = {{1000, 0}, {1000, 50}, {0xFFFFFF00u, 0x200}, {0xFFFFFFFFu, 1}};
    for (const auto& c : cases) {
        headless::SetClock(c.start);
        krSystem::SetWait(3, c.milliseconds);
        headless::SetClock(c.start + c.milliseconds);
        EXPECT_EQ(krSystem::IsWaitOver(3), 0) << c.start << " + " << c.milliseconds;
        headless::AdvanceClock(1);
        EXPECT_EQ(krSystem::IsWaitOver(3), 1) << c.start << " + " << c.milliseconds;
        krSystem::InitWait(3);
        EXPECT_EQ(krSystem::IsWaitOver(3), 0) << c.start << " + " << c.milliseconds;
    }
}

TEST_F(TimingTest, ResetWaitsIdlesEveryWaitAndReleasesInput) {
    krSystem::SetWait(1, 0);
    krSystem::SetWait(10, 0);
    krSystemState.lastKey = VK_UP;
    krSystem::HoldInput();
    headless::AdvanceClock(5);
    krSystem::ResetWaits();
    for (int wait = 1; wait <= 10; ++wait)
        EXPECT_EQ(krSystem::IsWaitOver(wait), 0) << wait;
    EXPECT_EQ(krSystemState.inputHeld, 0);
    EXPECT_EQ(krSystemState.lastKey, 0);
    // The next run starts with every wait idle too.
    headless::SetClock(1000);
    krSystem::SetWait(2, 0);
    headless::AdvanceClock(5);
    krSystem::ResetForNextRun();
    EXPECT_EQ(krSystem::IsWaitOver(2), 0);
}

// The frame time is taken unsigned across the tick's wrap; a pause spins past its deadline, also
// across the wrap, then restarts the frame timer.
TEST_F(TimingTest, TheFrameTimerAndThePauseCountAcrossTheTickWrap) {
    headless::SetClock(0xFFFFFFF0u);
    krSystem::ResetFrameTimer();
    headless::SetClock(0x10);
    krSystem::MeasureFrame();
    EXPECT_FLOAT_EQ(krSystemState.frameSeconds, 0.032f);
    headless::SetClock(5000);
    headless::SetTickStep(1);
    const uint32_t returned = krSystem::Pause(0);
    EXPECT_GT(returned, 5000u);
    EXPECT_EQ(returned, krSystemState.frameStartTick);
    EXPECT_FLOAT_EQ(krSystemState.frameSeconds, 0.0f);
    // Starts where the deadline wraps past zero, or lands on the one tick no clock exceeds.
    for (const uint32_t before : {5000u, UINT32_MAX - 100u, UINT32_MAX - 250u}) {
        headless::SetClock(before);
        krSystem::Pause(250);
        const uint32_t waited = headless::Clock() - before;
        EXPECT_GT(waited, 250u) << before;
        EXPECT_LT(waited, 260u) << before;
    }
}

}  // namespace
