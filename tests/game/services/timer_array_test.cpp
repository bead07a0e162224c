#include "game/services/timer_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "tests/support/fake_clock.h"

namespace {

using testsupport::FakeClock;

TEST(TimerArray, StopwatchesRunOnTheGivenClockEachOnItsOwn) {
    FakeClock clock(5000);
    TimerArray timers(clock);
    ASSERT_EQ(0, timers.Create(3));
    EXPECT_EQ(3, timers.Count());
    clock.AdvanceMs(40);
    EXPECT_EQ(1, timers.Restart(1));
    clock.AdvanceMs(25);
    EXPECT_EQ(65u, timers.Elapsed(0));
    EXPECT_EQ(25u, timers.Elapsed(1));
    EXPECT_EQ(1, timers.SetElapsed(2, 1000));
    clock.AdvanceMs(5);
    EXPECT_EQ(1005u, timers.Elapsed(2));
}

TEST(TimerArray, APausedStopwatchFreezesAndTheTimeItWasPausedIsNotCounted) {
    FakeClock clock(0xFFFFFF00u);  // the clock wraps while the stopwatch runs
    TimerArray timers(clock);
    ASSERT_EQ(0, timers.Create(2));
    clock.AdvanceMs(100);
    EXPECT_EQ(1, timers.Pause(0));
    EXPECT_EQ(1, timers.Pause(0));
    clock.AdvanceMs(300);
    EXPECT_EQ(100u, timers.Elapsed(0));
    EXPECT_EQ(1, timers.Resume(0));
    clock.AdvanceMs(50);
    EXPECT_EQ(100u, timers.Elapsed(0)) << "one pause is still open";
    // Set while paused: counts from the pause.
    EXPECT_EQ(1, timers.SetElapsed(0, 10));
    EXPECT_EQ(10u, timers.Elapsed(0));
    EXPECT_EQ(1, timers.Resume(0));
    clock.AdvanceMs(7);
    EXPECT_EQ(17u, timers.Elapsed(0));
    EXPECT_EQ(457u, timers.Elapsed(1));
}

TEST(TimerArray, RestartEndsThePauses) {
    FakeClock clock(100);
    TimerArray timers(clock);
    ASSERT_EQ(0, timers.Create(1));
    timers.Pause(0);
    clock.AdvanceMs(20);
    EXPECT_EQ(1, timers.Restart(0));
    clock.AdvanceMs(30);
    EXPECT_EQ(30u, timers.Elapsed(0));
}

TEST(TimerArray, PauseAllAndResumeAllTakeEveryStopwatchAndTheMark) {
    FakeClock clock(0);
    TimerArray timers(clock);
    EXPECT_EQ(0, timers.PauseAll()) << "no stopwatches";
    EXPECT_EQ(0, timers.ResumeAll());
    EXPECT_FALSE(timers.IsPaused());
    ASSERT_EQ(0, timers.Create(3));
    clock.AdvanceMs(10);
    timers.Pause(1);
    EXPECT_EQ(1, timers.PauseAll());
    EXPECT_TRUE(timers.IsPaused());
    clock.AdvanceMs(90);
    for (std::uint16_t i = 0; i < 3; ++i) EXPECT_EQ(10u, timers.Elapsed(i)) << i;
    EXPECT_EQ(1, timers.ResumeAll());
    EXPECT_FALSE(timers.IsPaused());
    clock.AdvanceMs(5);
    EXPECT_EQ(15u, timers.Elapsed(0));
    EXPECT_EQ(10u, timers.Elapsed(1)) << "its own pause is still open";
    EXPECT_EQ(15u, timers.Elapsed(2));
}

TEST(TimerArray, CreateReplacesTheStopwatchesButNotWithNone) {
    FakeClock clock(0);
    TimerArray timers(clock);
    EXPECT_EQ(1, timers.Create(0));
    EXPECT_EQ(0, timers.Count());
    ASSERT_EQ(0, timers.Create(2));
    timers.PauseAll();
    clock.AdvanceMs(60);
    EXPECT_EQ(1, timers.Create(0));
    EXPECT_EQ(2, timers.Count()) << "n = 0 keeps the stopwatches";
    ASSERT_EQ(0, timers.Create(4));
    EXPECT_EQ(4, timers.Count());
    EXPECT_FALSE(timers.IsPaused()) << "new stopwatches run";
    clock.AdvanceMs(8);
    EXPECT_EQ(8u, timers.Elapsed(3));
    timers.Clear();
    EXPECT_EQ(0, timers.Count());
    EXPECT_EQ(0u, timers.Elapsed(0));
}

TEST(TimerArray, ANumberBeyondTheStopwatchesDoesNothingAndAnswers0) {
    struct Case {
        const char* operation;
        std::function<std::int32_t(TimerArray&, std::uint16_t)> call;
    };
    const Case cases[] = {
        {"Restart", [](TimerArray& t, std::uint16_t i) { return t.Restart(i); }},
        {"SetElapsed", [](TimerArray& t, std::uint16_t i) { return t.SetElapsed(i, 5); }},
        {"Pause", [](TimerArray& t, std::uint16_t i) { return t.Pause(i); }},
        {"Resume", [](TimerArray& t, std::uint16_t i) { return t.Resume(i); }},
        {"Elapsed", [](TimerArray& t, std::uint16_t i) { return static_cast<std::int32_t>(t.Elapsed(i)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operation);
        FakeClock clock(0);
        TimerArray timers(clock);
        EXPECT_EQ(0, c.call(timers, 0)) << "no stopwatches";
        ASSERT_EQ(0, timers.Create(2));
        clock.AdvanceMs(70);
        EXPECT_EQ(0, c.call(timers, 2));
        EXPECT_EQ(0, c.call(timers, 0xFFFF));
        for (std::uint16_t i = 0; i < 2; ++i) EXPECT_EQ(70u, timers.Elapsed(i)) << "untouched " << i;
        clock.AdvanceMs(1);
        EXPECT_EQ(71u, timers.Elapsed(0)) << "still running";
    }
}

}  // namespace
