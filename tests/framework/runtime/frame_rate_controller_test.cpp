#include "framework/runtime/frame_rate_controller.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fake_clock.h"

using testsupport::FakeClock;

namespace {

// 1 MHz counter: at 50 frames a second a frame is 20000 ticks or 20 ms.
const std::int64_t kFrequency = 1000000;
const std::int32_t kRate = 50;
const std::int64_t kTicksPerMs = kFrequency / 1000;
const std::int32_t kAnyWait = -1;

struct Turn {
    std::uint32_t advanceMs;  // the counter moves by the same time
    bool due;
    std::int32_t catchUp;
    std::int32_t wait;  // kAnyWait: not looked at
};

struct PacingCase {
    const char* name;
    bool useCounter;
    bool unlimited;
    bool skip;
    std::int32_t rate;
    std::vector<Turn> turns;
};

void PrintTo(const PacingCase& c, std::ostream* os) { *os << c.name; }

class FrameRateControllerPacing : public ::testing::TestWithParam<PacingCase> {};

TEST_P(FrameRateControllerPacing, DueCatchUpAndSuggestedWait) {
    const PacingCase& c = GetParam();
    FakeClock clock(0xFFFFFF00u, kFrequency);  // the millisecond clock wraps during the run
    FrameRateController controller(c.rate, c.useCounter, clock);
    controller.SetUnlimited(c.unlimited);
    controller.SetSkipEnabled(c.skip);
    ASSERT_EQ(c.useCounter, controller.UsesCounter());
    for (size_t i = 0; i < c.turns.size(); ++i) {
        const Turn& t = c.turns[i];
        clock.AdvanceMs(t.advanceMs);
        clock.AdvanceCounter(t.advanceMs * kTicksPerMs);
        SCOPED_TRACE(i);
        EXPECT_EQ(t.due, controller.WaitFrame());
        EXPECT_EQ(t.catchUp, controller.CatchUpCount());
        if (t.wait != kAnyWait) {
            EXPECT_EQ(static_cast<std::uint32_t>(t.wait), controller.SuggestedWait());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameRateControllerPacing,
    ::testing::Values(
        // The millisecond mode suggests the rest of the period.
        PacingCase{"LimitedMsWaitsRestOfPeriod", false, false, true, kRate,
                   {{0, false, 0, 20}, {5, false, 0, 15}, {14, false, 0, 1}, {1, true, 0, kAnyWait},
                    {19, false, 0, 1}, {1, true, 0, kAnyWait}}},
        // 3.5 periods late: two frames to catch up and half a period to wait.
        PacingCase{"LimitedMsStallCatchesUp", false, false, true, kRate,
                   {{70, true, 2, 10}, {20, true, 0, kAnyWait}, {45, true, 1, 10}}},
        PacingCase{"LimitedMsWithoutSkipNeverCatchesUp", false, false, false, kRate,
                   {{70, true, 0, kAnyWait}, {100, true, 0, kAnyWait}}},
        // Period 0: every call is a frame, and there is nothing to catch up.
        PacingCase{"RateZeroEveryCallDue", false, false, true, 0,
                   {{0, true, 0, kAnyWait}, {500, true, 0, kAnyWait}, {0, true, 0, kAnyWait}}},
        // The counter mode suggests the time already passed while under half a period, then 0.
        PacingCase{"LimitedCounterWaitGrowsThenDrops", true, false, true, kRate,
                   {{0, false, 0, 0}, {5, false, 0, 5}, {4, false, 0, 9}, {1, false, 0, 0},
                    {9, false, 0, 0}, {1, true, 0, kAnyWait}, {3, false, 0, 3}}},
        PacingCase{"LimitedCounterStallCatchesUp", true, false, true, kRate,
                   {{70, true, 2, 10}, {20, true, 0, kAnyWait}, {61, true, 2, 10}}},
        PacingCase{"LimitedCounterWithoutSkipNeverCatchesUp", true, false, false, kRate,
                   {{70, true, 0, kAnyWait}}},
        // Unlimited: every call is a frame; the first call has no previous time to compare.
        PacingCase{"UnlimitedMsCatchUpFromPreviousCall", false, true, true, kRate,
                   {{70, true, 0, kAnyWait}, {70, true, 2, 0}, {5, true, 0, 0}, {40, true, 1, 0}}},
        PacingCase{"UnlimitedCounterCatchUpFromPreviousCall", true, true, true, kRate,
                   {{70, true, 0, kAnyWait}, {70, true, 2, 0}, {5, true, 0, 0}, {40, true, 1, 0}}},
        PacingCase{"UnlimitedWithoutSkipNeverCatchesUp", false, true, false, kRate,
                   {{70, true, 0, kAnyWait}, {70, true, 0, kAnyWait}}}),
    [](const ::testing::TestParamInfo<PacingCase>& info) { return info.param.name; });

TEST(FrameRateController, FallsBackToMillisecondsWithoutCounter) {
    FakeClock clock(1000, 0);
    FrameRateController controller(60, true, clock);
    EXPECT_FALSE(controller.UsesCounter());
    EXPECT_EQ(16u, controller.MsPerFrame());
    clock.AdvanceMs(16);
    EXPECT_TRUE(controller.WaitFrame());
}

struct MeasureCase {
    const char* name;
    bool useCounter;
    bool unlimited;
};

void PrintTo(const MeasureCase& c, std::ostream* os) { *os << c.name; }

class FrameRateControllerMeasure : public ::testing::TestWithParam<MeasureCase> {};

// The measured rate changes only once a second of frame time has gathered.
TEST_P(FrameRateControllerMeasure, RateChangesOncePerSecond) {
    const MeasureCase& c = GetParam();
    FakeClock clock(0xFFFFFE00u, kFrequency);
    FrameRateController controller(kRate, c.useCounter, clock);
    controller.SetUnlimited(c.unlimited);
    // Frames every 25 ms: 40 in a second.
    auto frame = [&] {
        clock.AdvanceMs(25);
        clock.AdvanceCounter(25 * kTicksPerMs);
        EXPECT_TRUE(controller.WaitFrame());
    };
    for (int i = 0; i < 39; ++i) frame();
    EXPECT_EQ(0, controller.MeasuredRate());
    frame();
    EXPECT_EQ(40, controller.MeasuredRate());
    // Faster frames show only at the end of the next second.
    for (int i = 0; i < 49; ++i) {
        clock.AdvanceMs(20);
        clock.AdvanceCounter(20 * kTicksPerMs);
        controller.WaitFrame();
    }
    EXPECT_EQ(40, controller.MeasuredRate());
    clock.AdvanceMs(20);
    clock.AdvanceCounter(20 * kTicksPerMs);
    controller.WaitFrame();
    EXPECT_EQ(50, controller.MeasuredRate());
}

INSTANTIATE_TEST_SUITE_P(Cases, FrameRateControllerMeasure,
                         ::testing::Values(MeasureCase{"LimitedMs", false, false},
                                           MeasureCase{"LimitedCounter", true, false},
                                           MeasureCase{"UnlimitedMs", false, true},
                                           MeasureCase{"UnlimitedCounter", true, true}),
                         [](const ::testing::TestParamInfo<MeasureCase>& info) {
                             return info.param.name;
                         });

TEST(FrameRateController, SetRateRestartsThePeriod) {
    FakeClock clock(1000, kFrequency);
    FrameRateController controller(kRate, false, clock);
    clock.AdvanceMs(15);
    controller.SetRate(25, false);  // 40 ms from now
    clock.AdvanceMs(39);
    EXPECT_FALSE(controller.WaitFrame());
    EXPECT_EQ(1u, controller.SuggestedWait());
    clock.AdvanceMs(1);
    EXPECT_TRUE(controller.WaitFrame());
}

}  // namespace

namespace {

// The accumulators hold frame time in the limited modes and the previous call's time in the
// unlimited ones: switching between the two must not read one as the other.
class FrameRateControllerModeSwitch : public ::testing::TestWithParam<bool> {};

TEST_P(FrameRateControllerModeSwitch, SwitchingModesStartsAfresh) {
    const bool useCounter = GetParam();
    FakeClock clock(1000, kFrequency);
    FrameRateController controller(kRate, useCounter, clock);
    controller.SetSkipEnabled(true);
    auto turn = [&](std::uint32_t ms) {
        clock.AdvanceMs(ms);
        clock.AdvanceCounter(ms * kTicksPerMs);
        return controller.WaitFrame();
    };
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(turn(20));

    controller.SetUnlimited(true);
    EXPECT_TRUE(turn(20));
    EXPECT_EQ(0, controller.CatchUpCount());
    EXPECT_TRUE(turn(60));
    EXPECT_EQ(2, controller.CatchUpCount());

    // 280 ms of frames so far: no second has been measured yet.
    controller.SetUnlimited(false);
    EXPECT_FALSE(turn(10));
    EXPECT_TRUE(turn(10));
    EXPECT_EQ(0, controller.CatchUpCount());
    EXPECT_EQ(0, controller.MeasuredRate());
}

INSTANTIATE_TEST_SUITE_P(Clocks, FrameRateControllerModeSwitch, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Counter" : "Milliseconds";
                         });

}  // namespace
