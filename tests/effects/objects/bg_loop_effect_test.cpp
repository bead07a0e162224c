#include "effects/objects/bg_loop_effect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "tests/effects/bg_cache_effect_fixture.h"

namespace bgtest {
namespace {

class BgLoopTest : public BgCacheEffectTest {
protected:
    void SetUp() override {
        BgCacheEffectTest::SetUp();
        MakeScreens(kSmall);
    }
    std::int32_t StartLoop(std::int32_t direction, std::int32_t period, std::int32_t cycles,
                           std::int32_t count = 0) {
        return Start(new BgLoopEffect, {direction, period, cycles, count});
    }
    // The picture after t ms of a cycle of P ms: the source from its offset along the loop,
    // read round the source's end; across it, at the canvas's source offset.
    std::vector<std::uint32_t> Loop(std::int32_t direction, std::int64_t t, std::int64_t P) {
        const bool horizontal = direction < 2;
        const std::int64_t range = horizontal ? m_layout.sourceWidth : m_layout.sourceHeight;
        std::int64_t start = t * range / P;
        if (direction & 1) start = range - start;
        return Picture([&](std::int32_t x, std::int32_t y) {
            if (horizontal)
                return Source(0, static_cast<std::int32_t>((start + x) % range),
                              m_layout.offsetY + y);
            return Source(0, m_layout.offsetX + x, static_cast<std::int32_t>((start + y) % range));
        });
    }
};

TEST_F(BgLoopTest, EachDirectionScrollsTheSourceRoundThroughACycle) {
    for (std::int32_t direction : {0, 1, 2, 3}) {
        SCOPED_TRACE(direction);
        MakeScreens(kSmall);
        ASSERT_EQ(0, StartLoop(direction, 1000, 0));
        for (std::uint32_t t : {0u, 250u, 500u, 750u, 999u, 1000u, 1600u}) {
            SCOPED_TRACE(t);
            StepAt(t);
            ASSERT_NE(nullptr, m_handle);
            EXPECT_EQ(Loop(direction, t % 1000, 1000), Shown(0));
        }
        m_handle->Finish();
        EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
        EXPECT_EQ(Plain(0), Shown(0));
    }
}

TEST_F(BgLoopTest, DirectionOneOnAWideSourceRunsBackwardsFromItsEnd) {
    // P = 2000 on a 2048-pixel source: after t ms the picture starts at 2048 - 1024 t / 1000.
    MakeScreens({13, 7, 2048, 9, 0, 1});
    ASSERT_EQ(0, StartLoop(1, 2000, 0));
    for (std::uint32_t t : {0u, 500u, 1000u, 1500u, 1999u}) {
        SCOPED_TRACE(t);
        StepAt(t);
        const std::int32_t from = (2048 - static_cast<std::int32_t>(1024 * t / 1000)) % 2048;
        const std::vector<std::uint32_t> shown = Shown(0);
        for (std::int32_t x = 0; x < 13; ++x)
            EXPECT_EQ(Source(0, (from + x) % 2048, 1), shown[static_cast<std::size_t>(x)]);
    }
}

TEST_F(BgLoopTest, TwoCyclesEndAfterTheSecond) {
    ASSERT_EQ(0, StartLoop(0, 1000, 2, 1));
    EXPECT_EQ(1, m_hooks.started);
    for (std::uint32_t t : {0u, 999u, 1000u, 1999u}) {
        StepAt(t);
        ASSERT_NE(nullptr, m_handle) << t;
    }
    EXPECT_EQ(Loop(0, 999, 1000), Shown(0));
    StepAt(2000);
    EXPECT_EQ(nullptr, m_handle);
    EXPECT_EQ(1, m_hooks.ended);
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    EXPECT_EQ(Plain(0), Shown(0));
}

TEST_F(BgLoopTest, AStopEndsAtTheEndOfTheCycle) {
    for (std::int32_t cycles : {0, 5}) {
        SCOPED_TRACE(cycles);
        MakeScreens(kSmall);
        ASSERT_EQ(0, StartLoop(2, 1000, cycles));
        StepAt(0);
        StepAt(300);
        EXPECT_EQ(0, m_handle->ChangeParamsV(0));
        StepAt(999);
        ASSERT_NE(nullptr, m_handle);
        EXPECT_EQ(Loop(2, 999, 1000), Shown(0));
        StepAt(1000);
        EXPECT_EQ(nullptr, m_handle);
        EXPECT_EQ(Plain(0), Shown(0));
    }
}

TEST_F(BgLoopTest, HugePeriodOffsetsStayInRange) {
    MakeScreens({13, 7, 2047, 9, 0, 1});
    ASSERT_EQ(0, StartLoop(0, 0x7FFFFFFF, 0));
    StepAt(0);
    StepAt(0x40000000u);
    ASSERT_NE(nullptr, m_handle);
    EXPECT_EQ(Loop(0, 0x40000000, 0x7FFFFFFF), Shown(0));
}

TEST_F(BgLoopTest, SetupCodesAndAFailedSetupLeavesNoCache) {
    const struct {
        Layout layout;
        std::int32_t direction;
        std::int32_t code;
    } cases[] = {
        {{13, 7, 12, 9, 0, 0}, 0, 3},  // narrower than the cache
        {{13, 7, 12, 9, 0, 0}, 2, 0},  // a vertical loop only needs the height
        {{13, 7, 20, 6, 0, 0}, 3, 4},  // shorter than the cache
        {{13, 7, 20, 6, 0, 0}, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.direction);
        MakeScreens(c.layout);
        EXPECT_EQ(c.code, StartLoop(c.direction, 1000, 0));
        if (c.code != 0) {
            EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
            continue;
        }
        // Across the loop the source falls short of the cache: the rest is the canvas colour.
        StepAt(0);
        const std::vector<std::uint32_t> shown = Shown(0);
        if (c.direction == 2) EXPECT_EQ(kFill[0], shown[12]);
        else EXPECT_EQ(kFill[0], shown[6 * 13]);
    }
    MakeScreens(kSmall);
    CanvasOf(0)->SetBackgroundColour(kFill[0], true);
    EXPECT_EQ(1, StartLoop(0, 1000, 0));
    MakeScreens(kSmall);
    // Another's cache: 2, and it stays.
    ASSERT_EQ(0, CanvasOf(0)->CreateScaled(false));
    EXPECT_EQ(2, StartLoop(0, 1000, 0));
    EXPECT_NE(nullptr, CanvasOf(0)->Scaled());
    CanvasOf(0)->DropScaled();
    // A scheduler that refuses the effect (it holds it already): 5, the cache gone.
    auto* loop = new BgLoopEffect;
    ASSERT_EQ(TaskScheduler::kAdded, m_scheduler.Add(loop, 100000, 0, 0));
    const std::int32_t words[] = {0, 1000, 0, 0};
    EXPECT_EQ(5, loop->Setup(&m_scheduler, m_screen[0].get(), words));
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    EXPECT_EQ(Plain(0), Shown(0));
}

}  // namespace
}  // namespace bgtest
