#include "effects/objects/bg_cross_effect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/effects/bg_cache_effect_fixture.h"

namespace bgtest {
namespace {

// The library's plain crossfade: each colour channel c1 + floor((c2 - c1) level / 256) with
// the alpha byte cleared; levels 0 and 255 copy the pictures whole.
std::uint32_t Mix(std::uint32_t p1, std::uint32_t p2, std::int32_t level) {
    if (level == 0) return p1;
    if (level == 255) return p2;
    std::uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
        const std::int32_t c1 = (p1 >> shift) & 0xFF, c2 = (p2 >> shift) & 0xFF;
        const std::int32_t d = (c2 - c1) * level;
        const std::int32_t c = c1 + (d >= 0 ? d / 256 : -((-d + 255) / 256));
        out |= static_cast<std::uint32_t>(c & 0xFF) << shift;
    }
    return out;
}

// Every colour channel turned over, the alpha kept.
std::uint32_t Altered(std::uint32_t pixel) { return pixel ^ 0x00FFFFFFu; }

class BgCrossTest : public BgCacheEffectTest {
protected:
    std::int32_t StartCross(std::int32_t period, std::int32_t cycles, std::int32_t mode,
                            std::int32_t swap = 0, std::int32_t count = 0) {
        return Start(new BgCrossEffect, {period, cycles, mode, swap, count});
    }
    // Canvas `into`'s window of picture 1 mixed towards picture 2 at the level; pictures are
    // given as (x, y) -> pixel of the whole source.
    template <class P1, class P2>
    std::vector<std::uint32_t> Crossed(std::int32_t level, P1 p1, P2 p2) {
        const std::int32_t ox = m_layout.offsetX, oy = m_layout.offsetY;
        return Picture([&](std::int32_t x, std::int32_t y) {
            return Mix(p1(ox + x, oy + y), p2(ox + x, oy + y), level);
        });
    }
    std::vector<std::uint32_t> Crossed(std::int32_t level) {
        return Crossed(level, [](std::int32_t x, std::int32_t y) { return Source(0, x, y); },
                       [](std::int32_t x, std::int32_t y) { return Source(1, x, y); });
    }
    void AlterBackground(int n) {
        for (std::int32_t y = 0; y < m_layout.sourceHeight; ++y)
            for (std::int32_t x = 0; x < m_layout.sourceWidth; ++x)
                m_background[n]->SetPixel(x, y, Altered(Source(n, x, y)));
    }
};

TEST_F(BgCrossTest, ReachesTheLinkedPictureHalfWayAndIsBackAtTheEndOfThePeriod) {
    ASSERT_EQ(0, StartCross(2000, 0, 0));
    const struct {
        std::uint32_t t;
        std::int32_t level;
    } steps[] = {{0, 0},     {500, 127}, {1000, 255}, {1500, 128},
                 {1999, 1},  {2000, 0},  {2500, 127}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.t);
        StepAt(s.t);
        ASSERT_NE(nullptr, m_handle);
        EXPECT_EQ(Crossed(s.level), Shown(0));
    }
    EXPECT_EQ(Plain(1), Shown(1));
    m_handle->Finish();
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    EXPECT_EQ(Plain(0), Shown(0));
}

TEST_F(BgCrossTest, AHugePeriodsLevelStaysInRange) {
    // Half of a 0x7FFFFFFF ms period reaches the linked picture; t x 510 needs 64 bits.
    ASSERT_EQ(0, StartCross(0x7FFFFFFF, 0, 0));
    StepAt(0);
    StepAt(0x40000000u);
    EXPECT_EQ(Crossed(255), Shown(0));
    StepAt(0x60000000u);
    EXPECT_EQ(Crossed(510 - static_cast<std::int32_t>(0x60000000LL * 510 / 0x7FFFFFFF)), Shown(0));
}

TEST_F(BgCrossTest, ModesMixFromSnapshotsOrTheLivePictures) {
    const auto live0 = [](std::int32_t x, std::int32_t y) { return Altered(Source(0, x, y)); };
    const auto live1 = [](std::int32_t x, std::int32_t y) { return Altered(Source(1, x, y)); };
    const auto old0 = [](std::int32_t x, std::int32_t y) { return Source(0, x, y); };
    const auto old1 = [](std::int32_t x, std::int32_t y) { return Source(1, x, y); };
    // Both pictures change after Setup; mode 1 keeps the other picture as it was, mode 2 its
    // own, mode 0 (and any other) neither.
    for (std::int32_t mode : {0, 1, 2, 7}) {
        SCOPED_TRACE(mode);
        MakeScreens(kWide);
        ASSERT_EQ(0, StartCross(2000, 0, mode));
        StepAt(0);
        AlterBackground(0);
        AlterBackground(1);
        StepAt(250);
        const std::int32_t level = 63;
        std::vector<std::uint32_t> expected;
        if (mode == 1) expected = Crossed(level, live0, old1);
        else if (mode == 2) expected = Crossed(level, old0, live1);
        else expected = Crossed(level, live0, live1);
        EXPECT_EQ(expected, Shown(0));
    }
}

TEST_F(BgCrossTest, TheSwapWordDrawsIntoTheLinkedCanvasTowardsTheTargetsPicture) {
    ASSERT_EQ(0, StartCross(2000, 0, 0, 1));
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    StepAt(0);
    StepAt(500);
    EXPECT_EQ(Crossed(127, [](std::int32_t x, std::int32_t y) { return Source(1, x, y); },
                      [](std::int32_t x, std::int32_t y) { return Source(0, x, y); }),
              Shown(1));
    StepAt(1000);
    EXPECT_EQ(Crossed(0, [](std::int32_t x, std::int32_t y) { return Source(0, x, y); },
                      [](std::int32_t x, std::int32_t y) { return Source(0, x, y); }),
              Shown(1));
    EXPECT_EQ(Plain(0), Shown(0));
}

TEST_F(BgCrossTest, TheLastCycleOrAStopEndsAtThePeriodsEnd) {
    for (bool stop : {false, true}) {
        SCOPED_TRACE(stop);
        MakeScreens(kWide);
        ASSERT_EQ(0, StartCross(1000, stop ? 0 : 2, 0, 0, 1));
        StepAt(0);
        if (stop) EXPECT_EQ(0, m_handle->ChangeParamsV(5));
        StepAt(999);
        StepAt(1000);
        ASSERT_EQ(stop, m_handle == nullptr);
        if (!stop) {
            EXPECT_EQ(Crossed(0), Shown(0));
            StepAt(1999);
            StepAt(2000);
        }
        EXPECT_EQ(nullptr, m_handle);
        EXPECT_EQ(Plain(0), Shown(0));
    }
    EXPECT_EQ(2, m_hooks.started);
    EXPECT_EQ(2, m_hooks.ended);
}

TEST_F(BgCrossTest, WithoutTheLibrarySetupRefusesAndAStepDrawsNothing) {
    ASSERT_EQ(0, StartCross(2000, 0, 0));
    StepAt(0);
    StepAt(500);
    const std::vector<std::uint32_t> before = Shown(0);
    EXPECT_EQ(Crossed(127), before);
    m_scope.reset();
    StepAt(1000);
    ASSERT_NE(nullptr, m_handle);
    EXPECT_EQ(before, Shown(0));
    m_scheduler.Clear();
    EXPECT_EQ(Plain(0), Shown(0));
    EXPECT_EQ(6, StartCross(2000, 0, 0));
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
}

TEST_F(BgCrossTest, SetupCodesAndAFailedSetupLeavesNoCache) {
    // The linked canvas shows no picture: 3.
    CanvasOf(1)->SetBackgroundColour(kFill[1], true);
    EXPECT_EQ(3, StartCross(2000, 0, 0));
    // Pictures of other sizes: 4.
    Image other;
    ASSERT_EQ(0, other.Create(m_layout.sourceWidth, m_layout.sourceHeight + 1, 32, 0));
    ASSERT_TRUE(CanvasOf(1)->SetSource(&other, 0, 0, true));
    EXPECT_EQ(4, StartCross(2000, 0, 0));
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    MakeScreens(kWide);
    // No picture on the target: 1.
    CanvasOf(0)->SetBackgroundColour(kFill[0], true);
    EXPECT_EQ(1, StartCross(2000, 0, 0));
    MakeScreens(kWide);
    // Another's cache: 5, and it stays.
    ASSERT_EQ(0, CanvasOf(0)->CreateScaled(false));
    EXPECT_EQ(5, StartCross(2000, 0, 0));
    EXPECT_NE(nullptr, CanvasOf(0)->Scaled());
    CanvasOf(0)->DropScaled();
    // A scheduler that refuses the effect (it holds it already): 3, the cache gone.
    auto* cross = new BgCrossEffect;
    ASSERT_EQ(TaskScheduler::kAdded, m_scheduler.Add(cross, 100000, 0, 0));
    const std::int32_t words[] = {2000, 0, 0, 0, 0};
    EXPECT_EQ(3, cross->Setup(&m_scheduler, m_screen[0].get(), words));
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    EXPECT_EQ(Plain(0), Shown(0));
}

}  // namespace
}  // namespace bgtest
