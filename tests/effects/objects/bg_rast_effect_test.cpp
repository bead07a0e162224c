#include "effects/objects/bg_rast_effect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/effects/bg_cache_effect_fixture.h"

namespace bgtest {
namespace {

struct RastWords {
    std::int32_t amplitude = 4, waveLength = 16, period = 1000, sustain = 0, fadeIn = 0,
                 fadeOut = 0, edgeFill = 1, count = 0;
    std::vector<std::int32_t> Words() const {
        return {amplitude, waveLength, period, sustain, fadeIn, fadeOut, edgeFill, count};
    }
};

class BgRastTest : public BgCacheEffectTest {
protected:
    std::int32_t StartRast(const RastWords& w) { return Start(new BgRastEffect, w.Words()); }

    // The sine of a whole angle (512 a turn) in 16.16, from the published table.
    std::int64_t Sine(std::int64_t angle) const { return m_tables.CosFixed()[(angle - 128) & 511]; }
    // Row r's shift at effect time t and amplitude a: the row's angle is the time's angle plus
    // r / L of a turn, both rounded down; the shift keeps the sign and drops the fraction.
    std::int64_t ModelShift(std::int64_t a, std::int64_t t, std::int64_t L, std::int64_t P,
                            std::int32_t r) const {
        const std::int64_t angle = t % P * 512 / P + r * 512 / L;
        return static_cast<std::int64_t>(
            std::trunc(static_cast<double>(a) * Sine(angle) / 65536.0));
    }
    // The picture of a rast at amplitude a; uncovered pixels show `uncovered(x, y)`.
    template <class Uncovered>
    std::vector<std::uint32_t> Rast(std::int64_t a, std::int64_t t, std::int64_t L,
                                    std::int64_t P, Uncovered uncovered) {
        const std::int32_t ox = m_layout.offsetX, oy = m_layout.offsetY;
        return Picture([&](std::int32_t x, std::int32_t y) {
            const std::int64_t from = x - ModelShift(a, t, L, P, y);
            if (from < 0 || from >= Width()) return uncovered(x, y);
            return Source(0, ox + static_cast<std::int32_t>(from), oy + y);
        });
    }
    std::vector<std::uint32_t> RastFilled(std::int64_t a, std::int64_t t, std::int64_t L,
                                          std::int64_t P) {
        return Rast(a, t, L, P, [](std::int32_t, std::int32_t) { return kFill[0]; });
    }
};

TEST_F(BgRastTest, AQuarterWaveDownTheRowsShiftsByTheFullAmplitude) {
    // A 576-row cache, A = 10, L = 576, P = 1000, no fade-in: at t = 0 the top row stays and
    // row 144 moves 10 pixels right.
    MakeScreens({24, 576, 40, 600, 0, 0});
    RastWords w;
    w.amplitude = 10;
    w.waveLength = 576;
    ASSERT_EQ(0, StartRast(w));
    StepAt(0);
    const std::vector<std::uint32_t> shown = Shown(0);
    for (std::int32_t x = 0; x < 24; ++x) {
        EXPECT_EQ(Source(0, x, 0), shown[x]) << x;
        EXPECT_EQ(x < 10 ? kFill[0] : Source(0, x - 10, 144), shown[144 * 24 + x]) << x;
    }
    EXPECT_EQ(RastFilled(10, 0, 576, 1000), shown);
}

TEST_F(BgRastTest, FollowsTheWaveThroughItsPhasesAndEndsShowingTheSource) {
    RastWords w;
    w.amplitude = 6;
    w.sustain = 1000;
    ASSERT_EQ(0, StartRast(w));
    for (std::uint32_t t : {0u, 250u, 500u, 750u, 999u}) {
        SCOPED_TRACE(t);
        StepAt(t);
        ASSERT_NE(nullptr, m_handle);
        EXPECT_EQ(1, m_handle->ControlV(0));
        EXPECT_EQ(RastFilled(6, t, 16, 1000), Shown(0));
    }
    StepAt(1000);
    EXPECT_EQ(nullptr, m_handle);
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    EXPECT_EQ(Plain(0), Shown(0));
}

TEST_F(BgRastTest, FinishDropsTheCache) {
    ASSERT_EQ(0, StartRast(RastWords()));
    StepAt(0);
    StepAt(250);
    ASSERT_NE(Plain(0), Shown(0));
    m_handle->Finish();
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    EXPECT_EQ(Plain(0), Shown(0));
}

TEST_F(BgRastTest, WithoutEdgeFillUncoveredPixelsKeepWhatTheCacheHeld) {
    RastWords w;
    w.edgeFill = 0;
    ASSERT_EQ(0, StartRast(w));
    // The cache starts as a copy of the source window; each draw leaves the last one's
    // pixels where its shift uncovers the row.
    const std::int32_t ox = m_layout.offsetX, oy = m_layout.offsetY;
    std::vector<std::uint32_t> held = Picture([&](std::int32_t x, std::int32_t y) {
        return Source(0, ox + x, oy + y);
    });
    for (std::uint32_t t : {0u, 250u, 750u}) {
        SCOPED_TRACE(t);
        StepAt(t);
        held = Rast(4, t, 16, 1000, [&](std::int32_t x, std::int32_t y) {
            return held[static_cast<std::size_t>(y * Width() + x)];
        });
        EXPECT_EQ(held, Shown(0));
    }
}

// A shift is the whole pixels of |m| with m's sign: rows whose m lies strictly between -1 and
// 1 pixel stay, on either side of the wave.
TEST_F(BgRastTest, ShiftsBelowOnePixelEitherWayLeaveTheRow) {
    RastWords w;
    w.amplitude = 1;
    ASSERT_EQ(0, StartRast(w));
    StepAt(0);
    const std::vector<std::uint32_t> shown = Shown(0);
    const std::int32_t ox = m_layout.offsetX, oy = m_layout.offsetY;
    const struct {
        std::int32_t row;
        std::int32_t shift;
    } rows[] = {{0, 0}, {2, 0}, {4, 1}, {6, 0}, {10, 0}, {12, -1}, {13, 0}, {15, 0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        for (std::int32_t x = 1; x + 1 < Width(); ++x)
            EXPECT_EQ(Source(0, ox + x - r.shift, oy + r.row),
                      shown[static_cast<std::size_t>(r.row * Width() + x)]);
    }
    EXPECT_EQ(RastFilled(1, 0, 16, 1000), shown);
}

TEST_F(BgRastTest, TheEnvelopeFadesInSustainsAndFadesOut) {
    RastWords w;
    w.amplitude = 8;
    w.fadeIn = 400;
    w.sustain = 400;
    w.fadeOut = 400;
    ASSERT_EQ(0, StartRast(w));
    const struct {
        std::uint32_t t;
        std::int64_t amplitude;
        std::int32_t phase;
    } steps[] = {{0, 0, 0},   {100, 2, 0},  {399, 7, 0},  {400, 8, 1},  {799, 8, 1},
                 {800, 8, 3}, {900, 6, 3},  {1100, 2, 3}, {1199, 1, 3}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.t);
        StepAt(s.t);
        ASSERT_NE(nullptr, m_handle);
        EXPECT_EQ(s.phase, m_handle->ControlV(0));
        EXPECT_EQ(RastFilled(s.amplitude, s.t, 16, 1000), Shown(0));
    }
    StepAt(1200);
    EXPECT_EQ(nullptr, m_handle);
    EXPECT_EQ(Plain(0), Shown(0));
}

TEST_F(BgRastTest, AStopDuringTheFadeInFadesOutFromTheAmplitudeReached) {
    RastWords w;
    w.amplitude = 8;
    w.fadeIn = 400;
    w.fadeOut = 400;
    ASSERT_EQ(0, StartRast(w));
    StepAt(0);
    StepAt(200);
    EXPECT_EQ(RastFilled(4, 200, 16, 1000), Shown(0));
    EXPECT_EQ(0, m_handle->ChangeParamsV(0));
    EXPECT_EQ(2, m_handle->ControlV(0));
    EXPECT_EQ(1, m_handle->ChangeParamsV(0));
    StepAt(300);
    EXPECT_EQ(3, m_handle->ControlV(0));
    EXPECT_EQ(RastFilled(4, 300, 16, 1000), Shown(0));
    StepAt(500);
    EXPECT_EQ(RastFilled(2, 500, 16, 1000), Shown(0));
    EXPECT_EQ(1, m_handle->ChangeParamsV(0));
    StepAt(700);
    EXPECT_EQ(nullptr, m_handle);
    EXPECT_EQ(Plain(0), Shown(0));
}

TEST_F(BgRastTest, ZeroWaveLengthAndPeriodCountAsOne) {
    // L = 1: every row has the time's angle. P = 1: the angle stays 0.
    const struct {
        std::int32_t waveLength, period;
        std::uint32_t t;
        std::int64_t L, P;
    } cases[] = {{0, 4, 1, 1, 4}, {4, 0, 3, 4, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.waveLength);
        MakeScreens(kWide);
        RastWords w;
        w.waveLength = c.waveLength;
        w.period = c.period;
        ASSERT_EQ(0, StartRast(w));
        StepAt(0);
        StepAt(c.t);
        EXPECT_EQ(RastFilled(4, c.t, c.L, c.P), Shown(0));
    }
}

TEST_F(BgRastTest, HugeWordsNeitherWrapNorReadOutsideTheRow) {
    // At a quarter of a huge period every row has the sine's top: a shift of the whole
    // amplitude, far past the row, uncovers it all. With a huge fade-in the amplitude reached
    // is still far past the row.
    const std::int32_t huge = 0x7FFFFFFF;
    const struct {
        std::int32_t fadeIn;
        std::uint32_t t;
    } cases[] = {{0, 0x20000000u}, {huge, 0x20000000u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fadeIn);
        MakeScreens(kWide);
        RastWords w;
        w.amplitude = huge;
        w.waveLength = huge;
        w.period = huge;
        w.fadeIn = c.fadeIn;
        ASSERT_EQ(0, StartRast(w));
        StepAt(0);
        StepAt(c.t);
        ASSERT_NE(nullptr, m_handle);
        const std::vector<std::uint32_t> filled(static_cast<std::size_t>(Width() * Height()),
                                                kFill[0]);
        EXPECT_EQ(filled, Shown(0));
    }
}

TEST_F(BgRastTest, SetupCodesAndAFailedSetupLeavesNoCache) {
    RastWords w;
    g_mathTables = nullptr;
    EXPECT_EQ(1, StartRast(w));
    g_mathTables = &m_tables;
    // No source picture on the canvas, or no target: 2.
    CanvasOf(0)->SetBackgroundColour(kFill[0], true);
    EXPECT_EQ(2, StartRast(w));
    auto* orphan = new BgRastEffect;
    EXPECT_EQ(2, orphan->Setup(&m_scheduler, nullptr, w.Words().data()));
    ReleaseObject(orphan);
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    // A source smaller than the cache: 5, and the cache it made is gone again.
    MakeScreens({32, 16, 30, 26, 0, 0});
    EXPECT_EQ(5, StartRast(w));
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    // A scheduler that refuses the effect (it holds it already): 6, the cache gone.
    MakeScreens(kWide);
    auto* rast = new BgRastEffect;
    ASSERT_EQ(TaskScheduler::kAdded, m_scheduler.Add(rast, 100000, 0, 0));
    EXPECT_EQ(6, rast->Setup(&m_scheduler, m_screen[0].get(), w.Words().data()));
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    EXPECT_EQ(Plain(0), Shown(0));
    EXPECT_EQ(0, m_hooks.started);
}

TEST_F(BgRastTest, CountAsksForTheBusyCounter) {
    RastWords w;
    w.count = 1;
    w.sustain = 100;
    ASSERT_EQ(0, StartRast(w));
    EXPECT_EQ(1, m_hooks.started);
    StepAt(0);
    StepAt(100);
    EXPECT_EQ(nullptr, m_handle);
    EXPECT_EQ(1, m_hooks.ended);
}

}  // namespace
}  // namespace bgtest
