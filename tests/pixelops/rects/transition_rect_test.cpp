// CrossfadeRect and RuleTransitionRect: end phases, the methods' kernels, both sides of the
// vague threshold, clipping over several bitmaps and refused methods.
#include <climits>
#include <string>

#include "tests/pixelops/rects/rect_test_support.h"

using namespace pixelops;
using namespace pixelopstest;

namespace {

class TransitionRectTest : public RectTest {
protected:
    TransitionRectTest() : m_dest(10, 4), m_src1(12, 5, 4, true), m_src2(10, 6), m_rule(11, 4, 1) {
        m_dest.Randomise(1);
        m_src1.Randomise(2);
        m_src2.Randomise(3);
        m_rule.Randomise(4);
    }

    std::int32_t Crossfade(std::uint32_t ratio, std::uint32_t method, std::int32_t x = 0,
                           std::int32_t width = 0) {
        return CrossfadeRect(&m_dest, &m_src1, &m_src2, ratio, method, x, 0, width, 0, 1, 1, 0, 2);
    }
    std::int32_t Rule(std::uint32_t phase, std::int32_t vague, std::uint32_t method) {
        return RuleTransitionRect(&m_dest, &m_src1, &m_src2, &m_rule, phase, vague, method, 0, 0, 0,
                                  0, 1, 1, 0, 2, 1, 0);
    }
    // The destination pixel (x, y) of the area reads source 1 at (x + 1, y + 1), source 2 at
    // (x, y + 2) and the rule at (x + 1, y).
    Pixel S1(int x, int y) { return m_src1.At(x + 1, y + 1); }
    Pixel S2(int x, int y) { return m_src2.At(x, y + 2); }
    std::uint8_t R(int x, int y) { return m_rule.ByteAt(x + 1, y); }

    TestSurface m_dest, m_src1, m_src2, m_rule;
};

}  // namespace

TEST_F(TransitionRectTest, CrossfadeEndsCopyAndTheMiddleRunsTheMethodsKernel) {
    // Width 10 limited by source 2's height: 4 rows from y 2 fit; the area is 10 x 4.
    const int kernels[3] = {kWordCrossfadeLine, kWordCrossfadeLineAdditiveAlpha,
                            kWordCrossfadeLineWithAlpha};
    for (std::uint32_t ratio : {0u, 255u, 1u, 128u, 254u}) {
        for (std::uint32_t method : {0u, 1u, 2u}) {
            SetUp();
            m_dest.Randomise(ratio + method);
            TestSurface expected(10, 4);
            expected.SetPixels(m_dest.Pixels());
            ASSERT_EQ(0, Crossfade(ratio, method));
            for (int y = 0; y < 4; ++y) {
                if (ratio == 0 || ratio == 255) {
                    for (int x = 0; x < 10; ++x)
                        expected.At(x, y) = ratio == 0 ? S1(x, y) : S2(x, y);
                } else {
                    std::vector<Pixel> a(10), b(10);
                    for (int x = 0; x < 10; ++x) a[x] = S1(x, y), b[x] = S2(x, y);
                    Portable<CrossfadeKernel>(kernels[method])(&expected.At(0, y), a.data(),
                                                               b.data(), 10, ratio);
                }
            }
            EXPECT_EQ(expected.Pixels(), m_dest.Pixels()) << ratio << " " << method;
            ExpectLastUpdated(0, 0, 10, 4, "crossfade");
        }
    }
}

TEST_F(TransitionRectTest, CrossfadeClipping) {
    // Moved three pixels left: drawn from column 0, sources read three columns further on,
    // three pixels narrower.
    ASSERT_EQ(0, Crossfade(100, 0, -3));
    ExpectLastUpdated(0, 0, 7, 4, "left of the destination");
    TestSurface check(1, 1);
    Pixel s1 = S1(3, 0), s2 = S2(3, 0);
    Portable<CrossfadeKernel>(kWordCrossfadeLine)(&check.At(0, 0), &s1, &s2, 1, 100);
    EXPECT_EQ(check.At(0, 0), m_dest.At(0, 0));

    const struct {
        const char* name;
        std::int32_t x, width;
        std::uint32_t ratio, method;
        std::int32_t answer;
    } cases[] = {
        {"beyond the destination", 10, 0, 100, 0, -1},
        {"width eaten by the shift", -5, 5, 100, 0, -1},
        {"far left with the widest width", INT_MIN, INT_MAX, 100, 0, -1},
        {"unknown method", 0, 0, 100, 3, kRectRefused},
        {"unknown method, high bits", 0, 0, 100, 0x103, kRectRefused},
    };
    for (const auto& c : cases) {
        SetUp();
        const std::vector<Pixel> before = m_dest.Pixels();
        EXPECT_EQ(c.answer, Crossfade(c.ratio, c.method, c.x, c.width)) << c.name;
        EXPECT_EQ(before, m_dest.Pixels()) << c.name;
        EXPECT_TRUE(Untouched()) << c.name;
    }
}

TEST_F(TransitionRectTest, RulePlainAndSwitchKernelsEitherSideOfTheVagueThreshold) {
    const int tables[3] = {kWordInitRuleTransitionTable, kWordInitRuleTransitionTableWithAlpha,
                           kWordInitRuleTransitionTableAdditiveAlpha};
    const int plain[3] = {kWordRuleTransitionLine, kWordRuleTransitionLineWithAlpha,
                          kWordRuleTransitionLineAdditiveAlpha};
    const int switched[3] = {kWordRuleTransitionLineSwitch, kWordRuleTransitionLineWithAlphaSwitch,
                             kWordRuleTransitionLineAdditiveAlphaSwitch};
    for (std::int32_t vague : {0, 100, 511, 512, 700}) {
        for (std::uint32_t phase : {1u, 128u, 254u}) {
            for (std::uint32_t method : {0u, 1u, 2u}) {
                SetUp();
                TestSurface expected(10, 4);
                expected.SetPixels(m_dest.Pixels());
                ASSERT_EQ(0, Rule(phase, vague, method));
                const std::int32_t p = static_cast<std::int32_t>(phase) * (vague + 256) >> 8;
                std::int32_t table[256];
                Portable<RuleTableKernel>(tables[method])(table, p, vague);
                for (int y = 0; y < 4; ++y) {
                    std::vector<Pixel> a(10), b(10);
                    std::vector<std::uint8_t> r(10);
                    for (int x = 0; x < 10; ++x) a[x] = S1(x, y), b[x] = S2(x, y), r[x] = R(x, y);
                    if (vague >= 512)
                        Portable<RuleLineKernel>(plain[method])(&expected.At(0, y), a.data(),
                                                                b.data(), r.data(), table, 10);
                    else
                        Portable<RuleLineSwitchKernel>(switched[method])(
                            &expected.At(0, y), a.data(), b.data(), r.data(), table, 10, p,
                            p - vague);
                }
                const std::string name = "vague " + std::to_string(vague) + " phase " +
                                         std::to_string(phase) + " method " +
                                         std::to_string(method);
                EXPECT_EQ(expected.Pixels(), m_dest.Pixels()) << name;
                ExpectLastUpdated(0, 0, 10, 4, name.c_str());
            }
        }
    }
}

TEST_F(TransitionRectTest, RuleEndsAndBands) {
    ASSERT_EQ(0, Rule(0, 64, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(S1(x, y), m_dest.At(x, y));
    ASSERT_EQ(0, Rule(0x1FF, 64, 2));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(S2(x, y), m_dest.At(x, y));

    // Phase 10 with a band of 100: threshold 13; rule values from 13 on keep source 1 exactly.
    ASSERT_EQ(0, Rule(10, 100, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x)
            if (R(x, y) >= 13) {
                ASSERT_EQ(S1(x, y), m_dest.At(x, y)) << x << "," << y;
            }
    // Phase 250: threshold 347, band from 247; rule values below it show source 2 exactly.
    ASSERT_EQ(0, Rule(250, 100, 1));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x)
            if (R(x, y) < 247) {
                ASSERT_EQ(S2(x, y), m_dest.At(x, y)) << x << "," << y;
            }

    for (std::int32_t vague : {INT_MIN, -1, INT_MAX}) {
        SetUp();
        EXPECT_EQ(0, Rule(128, vague, 0)) << vague;
    }
    SetUp();
    const std::vector<Pixel> before = m_dest.Pixels();
    EXPECT_EQ(kRectRefused, Rule(128, 64, 3));
    EXPECT_EQ(-1, RuleTransitionRect(&m_dest, &m_src1, &m_src2, &m_rule, 128, 64, 0, 0, 0, 0, 0, 0,
                                     0, 0, 0, 11, 0));
    EXPECT_EQ(before, m_dest.Pixels());
    EXPECT_TRUE(Untouched());
}
