#include "effects/objects/bg_haze_effect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/effects/bg_cache_effect_fixture.h"
#include "tests/support/text_mutator.h"

namespace bgtest {
namespace {

struct HazeWords {
    const char* text = "(1,0,10)";
    std::int32_t length = 64, period = 1000, sustain = 0, fadeIn = 0, fadeOut = 0, edgeFill = 1,
                 count = 0;
    std::vector<std::int32_t> Words() const {
        return {TextWord(text), length, period, sustain, fadeIn, fadeOut, edgeFill, count};
    }
};

struct Triple {
    std::int64_t f, p, a;
};

class BgHazeTest : public BgCacheEffectTest {
protected:
    std::int32_t StartHaze(const HazeWords& w) { return Start(new BgHazeEffect, w.Words()); }

    // Entry j: the mean over the triples of a x cos((f j / N turns) + p / 512 turns) in 16.16,
    // rounded down to pixels.
    std::vector<std::int32_t> ModelTable(const std::vector<Triple>& triples, std::int64_t n) {
        std::vector<std::int32_t> table;
        for (std::int64_t j = 0; j < n; ++j) {
            std::int64_t sum = 0;
            for (const Triple& t : triples)
                sum += t.a * m_tables.CosFixed()[(t.f * j * 512 / n + t.p) & 511];
            table.push_back(static_cast<std::int32_t>(
                std::floor(static_cast<double>(sum) / static_cast<double>(triples.size()) /
                           65536.0)));
        }
        return table;
    }
    // The picture at table index `index` and strength s; positions outside the window show
    // `outside(x, y)`.
    template <class Outside>
    std::vector<std::uint32_t> Haze(const std::vector<std::int32_t>& table, std::int64_t index,
                                    std::int64_t s, Outside outside) {
        const auto n = static_cast<std::int64_t>(table.size());
        const std::int32_t ox = m_layout.offsetX, oy = m_layout.offsetY;
        return Picture([&](std::int32_t x, std::int32_t y) {
            const std::int64_t d = table[static_cast<std::size_t>((index + y) % n)];
            const auto l = static_cast<std::int64_t>(std::floor(s * d / 512.0));
            const std::int64_t sx = x + l, sy = y + l;
            if (sx < 0 || sx >= Width() || sy < 0 || sy >= Height()) return outside(x, y);
            return Source(0, ox + static_cast<std::int32_t>(sx),
                          oy + static_cast<std::int32_t>(sy));
        });
    }
    std::vector<std::uint32_t> HazeFilled(const std::vector<std::int32_t>& table,
                                          std::int64_t index, std::int64_t s) {
        return Haze(table, index, s, [](std::int32_t, std::int32_t) { return kFill[0]; });
    }
};

TEST(BuildHazeTable, OneTripleFollowsItsCosineAndSeveralAreAveraged) {
    MathTables tables;
    MathTables* saved = g_mathTables;
    g_mathTables = &tables;
    const auto cosine = [&](std::int64_t k) { return tables.CosFixed()[k & 511]; };
    std::vector<std::int32_t> table;
    ASSERT_EQ(0, BuildHazeTable("(1,0,10)", 64, &table));
    ASSERT_EQ(64u, table.size());
    for (std::int64_t j = 0; j < 64; ++j) {
        EXPECT_NEAR(10.0 * std::cos(2.0 * 3.14159265358979323846 * j / 64.0), table[j], 1.0);
        EXPECT_EQ(static_cast<std::int32_t>(std::floor(10.0 * cosine(j * 8) / 65536.0)), table[j]);
    }
    EXPECT_EQ(10, table[0]);
    EXPECT_EQ(-10, table[32]);
    // Three triples: (1, 0, 10), (2, 64, 6), (3, 0, -4), their mean.
    ASSERT_EQ(0, BuildHazeTable(" (1,0,10) (2, 64, 6)(3,0,-4)", 40, &table));
    ASSERT_EQ(40u, table.size());
    for (std::int64_t j = 0; j < 40; ++j) {
        const std::int64_t sum = 10 * cosine(j * 512 / 40) + 6 * cosine(2 * j * 512 / 40 + 64) -
                                 4 * cosine(3 * j * 512 / 40);
        EXPECT_EQ(static_cast<std::int32_t>(std::floor(sum / 3.0 / 65536.0)), table[j]) << j;
    }
    g_mathTables = saved;
}

TEST(BuildHazeTable, RefusesWithoutTriplesAndStopsAtALeadByteInLastPlace) {
    MathTables tables;
    MathTables* saved = g_mathTables;
    g_mathTables = &tables;
    std::vector<std::int32_t> table = {7};
    const struct {
        const char* text;
        std::int32_t n;
    } refused[] = {{nullptr, 64}, {"", 64}, {"1,0,10", 64}, {"\x81(1,0,10", 64},
                   {"(1,0,10)", 0}, {"(1,0,10)", -5}, {"(1,0,10)", 0x7FFFFFFF}};
    for (const auto& r : refused) {
        SCOPED_TRACE(r.n);
        EXPECT_EQ(2, BuildHazeTable(r.text, r.n, &table));
        EXPECT_EQ(std::vector<std::int32_t>{7}, table);
    }
    // A lead byte right before the terminator ends the text: the triple after the terminator
    // is not counted, so the mean is that of the first triple alone.
    const char text[] = "(1,0,8)\x81\0(1,0,100)";
    std::vector<std::int32_t> alone;
    ASSERT_EQ(0, BuildHazeTable("(1,0,8)", 16, &alone));
    ASSERT_EQ(0, BuildHazeTable(text, 16, &table));
    EXPECT_EQ(alone, table);
    g_mathTables = saved;
}

TEST_F(BgHazeTest, RowZeroReadsTenPixelsAcrossAndDownAtFullStrengthAndFiveAtHalf) {
    const std::vector<std::int32_t> table = ModelTable({{1, 0, 10}}, 64);
    const std::int32_t ox = m_layout.offsetX, oy = m_layout.offsetY;
    HazeWords w;
    ASSERT_EQ(0, StartHaze(w));
    StepAt(0);
    std::vector<std::uint32_t> shown = Shown(0);
    EXPECT_EQ(Source(0, ox + 10, oy + 10), shown[0]);
    EXPECT_EQ(HazeFilled(table, 0, 512), shown);

    // Half way through a fade-in of 1000 ms the strength is 256; with P = 500 the index is
    // back at 0.
    MakeScreens(kWide);
    w.fadeIn = 1000;
    w.period = 500;
    ASSERT_EQ(0, StartHaze(w));
    StepAt(0);
    StepAt(500);
    shown = Shown(0);
    EXPECT_EQ(Source(0, ox + 5, oy + 5), shown[0]);
    EXPECT_EQ(HazeFilled(table, 0, 256), shown);
}

TEST_F(BgHazeTest, FollowsTheTableThroughItsPhasesAndEndsShowingTheSource) {
    const std::vector<std::int32_t> table =
        ModelTable({{1, 0, 6}, {3, 100, 4}, {2, 0, -3}}, 20);
    HazeWords w;
    w.text = "(1,0,6)(3,100,4)(2,0,-3)";
    w.length = 20;
    w.sustain = 1000;
    ASSERT_EQ(0, StartHaze(w));
    for (std::uint32_t t : {0u, 250u, 500u, 750u, 999u}) {
        SCOPED_TRACE(t);
        StepAt(t);
        ASSERT_NE(nullptr, m_handle);
        EXPECT_EQ(HazeFilled(table, t * 20 / 1000, 512), Shown(0));
    }
    StepAt(1000);
    EXPECT_EQ(nullptr, m_handle);
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    EXPECT_EQ(Plain(0), Shown(0));
}

TEST_F(BgHazeTest, WithoutEdgeFillDisplacementsOutsideTheWindowLeaveThePixel) {
    const std::vector<std::int32_t> table = ModelTable({{1, 0, 10}}, 64);
    HazeWords w;
    w.edgeFill = 0;
    ASSERT_EQ(0, StartHaze(w));
    const std::int32_t ox = m_layout.offsetX, oy = m_layout.offsetY;
    std::vector<std::uint32_t> held = Picture([&](std::int32_t x, std::int32_t y) {
        return Source(0, ox + x, oy + y);
    });
    for (std::uint32_t t : {0u, 500u, 750u}) {
        SCOPED_TRACE(t);
        StepAt(t);
        held = Haze(table, t * 64 / 1000, 512, [&](std::int32_t x, std::int32_t y) {
            return held[static_cast<std::size_t>(y * Width() + x)];
        });
        EXPECT_EQ(held, Shown(0));
    }
}

TEST_F(BgHazeTest, AStopFadesTheStrengthOut) {
    const std::vector<std::int32_t> table = ModelTable({{1, 0, 10}}, 64);
    HazeWords w;
    w.fadeOut = 400;
    ASSERT_EQ(0, StartHaze(w));
    StepAt(0);
    EXPECT_EQ(1, m_handle->ControlV(0));
    EXPECT_EQ(0, m_handle->ChangeParamsV(0));
    StepAt(100);
    EXPECT_EQ(3, m_handle->ControlV(0));
    EXPECT_EQ(HazeFilled(table, 6, 512), Shown(0));
    StepAt(300);
    EXPECT_EQ(HazeFilled(table, 19, 256), Shown(0));
    StepAt(500);
    EXPECT_EQ(nullptr, m_handle);
    EXPECT_EQ(Plain(0), Shown(0));
}

TEST_F(BgHazeTest, HugeWordsNeitherWrapNorReadOutsideTheWindow) {
    // Amplitudes of 0x7FFFFFFF displace every row far outside; a huge period and fade-in keep
    // their products in range.
    HazeWords w;
    w.text = "(1,0,2147483647)(1,0,2147483647)";
    w.period = 0x7FFFFFFF;
    w.fadeIn = 0x7FFFFFFF;
    ASSERT_EQ(0, StartHaze(w));
    StepAt(0);
    StepAt(0x40000000u);
    ASSERT_NE(nullptr, m_handle);
    const std::vector<std::int32_t> table = ModelTable({{1, 0, 0x7FFFFFFF}}, 64);
    // Index (2^30 x 64) / (2^31 - 1) = 32; strength 2^30 x 512 / (2^31 - 1) = 256.
    EXPECT_EQ(HazeFilled(table, 32, 256), Shown(0));
}

TEST_F(BgHazeTest, SetupCodesAndAFailedSetupLeavesNoCache) {
    HazeWords w;
    for (std::int32_t length : {0, -1}) {
        w.length = length;
        EXPECT_EQ(2, StartHaze(w));
    }
    w.length = 64;
    w.text = "no triples";
    EXPECT_EQ(2, StartHaze(w));
    w.text = "(1,0,10)";
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    g_mathTables = nullptr;
    EXPECT_EQ(1, StartHaze(w));
    g_mathTables = &m_tables;
    // Another effect's cache: 3, and it stays.
    ASSERT_EQ(0, CanvasOf(0)->CreateScaled(false));
    EXPECT_EQ(3, StartHaze(w));
    EXPECT_NE(nullptr, CanvasOf(0)->Scaled());
    CanvasOf(0)->DropScaled();
    // A scheduler that refuses the effect (it holds it already): 7, the cache gone.
    auto* haze = new BgHazeEffect;
    ASSERT_EQ(TaskScheduler::kAdded, m_scheduler.Add(haze, 100000, 0, 0));
    EXPECT_EQ(7, haze->Setup(&m_scheduler, m_screen[0].get(), w.Words().data()));
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    EXPECT_EQ(Plain(0), Shown(0));
}

TEST_F(BgHazeTest, DamagedWaveTextsBuildATableOrAreRefusedAndDrawInsideTheWindow) {
    MakeScreens(kSmall);
    const std::vector<std::string> texts =
        testsupport::MutatedTexts("(1,0,10)(2,64,-6)(3,100,4)", 20261211u, 60);
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        std::vector<std::int32_t> table = {7};
        const std::int32_t code = BuildHazeTable(text.c_str(), 37, &table);
        ASSERT_TRUE(code == 0 || code == 2);
        EXPECT_EQ(code == 0 ? 37u : 1u, table.size());
        HazeWords w;
        w.text = text.c_str();
        w.length = 37;
        ASSERT_EQ(code, StartHaze(w));
        if (code != 0) continue;
        StepAt(0);
        StepAt(300);
        m_scheduler.Clear();
        EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    }
}

}  // namespace
}  // namespace bgtest
