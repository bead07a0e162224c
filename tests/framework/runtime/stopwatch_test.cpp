#include "framework/runtime/stopwatch.h"

#include <gtest/gtest.h>

#include "framework/runtime/timer_resolution.h"
#include "tests/support/fake_clock.h"

using testsupport::FakeClock;

TEST(Stopwatch, CountsAcrossTheClockWrap) {
    FakeClock clock(0xFFFFFFF0u);
    Stopwatch watch(clock);
    clock.AdvanceMs(0x30);
    EXPECT_EQ(0x30u, watch.Elapsed());
}

TEST(Stopwatch, NestedPausesFreezeUntilTheLastResume) {
    FakeClock clock(500);
    Stopwatch watch(clock);
    clock.AdvanceMs(100);
    watch.Pause();
    clock.AdvanceMs(50);
    watch.Pause();
    clock.AdvanceMs(50);
    watch.Resume();
    EXPECT_TRUE(watch.IsPaused());
    clock.AdvanceMs(50);
    EXPECT_EQ(100u, watch.Elapsed());
    watch.Resume();
    EXPECT_FALSE(watch.IsPaused());
    EXPECT_EQ(100u, watch.Elapsed());
    clock.AdvanceMs(30);
    EXPECT_EQ(130u, watch.Elapsed());
}

TEST(Stopwatch, SetElapsedWhileRunningAndWhilePaused) {
    FakeClock clock(500);
    Stopwatch watch(clock);
    EXPECT_EQ(200u, watch.SetElapsed(300));
    clock.AdvanceMs(10);
    EXPECT_EQ(310u, watch.Elapsed());
    watch.Pause();
    clock.AdvanceMs(40);
    watch.SetElapsed(1000);
    EXPECT_EQ(1000u, watch.Elapsed());
    clock.AdvanceMs(40);
    watch.Resume();
    EXPECT_EQ(1000u, watch.Elapsed());
}

TEST(Stopwatch, ResetStartsAgainAndEndsPauses) {
    FakeClock clock(500);
    Stopwatch watch(clock);
    watch.Pause();
    watch.Pause();
    clock.AdvanceMs(70);
    EXPECT_EQ(570u, watch.Reset());
    EXPECT_FALSE(watch.IsPaused());
    clock.AdvanceMs(5);
    EXPECT_EQ(5u, watch.Elapsed());
}

TEST(TimerResolution, RaisedBeforeTheTestsAndAcquiredOnce) {
    const std::uint32_t minimum = TimerResolution::Instance().Acquire();
    EXPECT_EQ(minimum, TimerResolution::Instance().Acquire());
    if (UsesTimeGetTime()) {
        EXPECT_LT(minimum, 10u);
    } else {
        EXPECT_EQ(1u, minimum);
    }
    const std::uint32_t a = CurrentTimeMs();
    Sleep(20);  // the real clock itself is under test here
    EXPECT_GE(static_cast<std::int32_t>(CurrentTimeMs() - a), 15);
}
