// Crossfades, rule transitions, constant colours, fills, line doubling, keys, masks, box-blur
// sums and averages, swaps, grey scale and gamma, against their reference formulas.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "pixelops/library/kernel_dispatch.h"
#include "pixelops/interfaces/pixel_op_words.h"
#include "tests/pixelops/kernels/kernel_reference.h"
#include "tests/pixelops/library/reference_tables.h"

using namespace pixelops;
using namespace pixelopstest;

namespace {

template <class K>
K Slot(int word) {
    return reinterpret_cast<K>(KernelSlot(word));
}

class LineKernels : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitPortableKernels(); }
    void SetUp() override { CornerRows(m_d, m_s); }

    // Rows of random pixels with a fixed seed.
    static std::vector<Pixel> RandomRow(Random& random, int count) {
        std::vector<Pixel> row(count);
        for (Pixel& p : row) p = random.NextPixel();
        return row;
    }

    std::vector<Pixel> m_d, m_s;
};

int RefDiv(int a, int c) {
    return a == 0 ? 0 : std::min(255, 255 * c / a);
}

Pixel RefMixWithAlpha(Pixel s1, Pixel s2, int w) {
    const int a1 = A(s1), a2 = A(s2);
    const int alpha = a1 + FloorDiv256((a2 - a1) * w);
    return RefLerp(s1, s2, RefWeight((a2 * w) >> 8, ((256 - w) * a1) >> 8), alpha);
}

int RefRuleEntry(int i, int p, int v) {
    if (i < p - v) return 255;
    if (i >= p) return 0;
    const long long value = 255 - (static_cast<long long>(i) - (p - v)) * 255 / v;
    return static_cast<int>(std::max(0LL, std::min(255LL, value)));
}

}  // namespace

TEST_F(LineKernels, ColourUnderAndAlphaConversions) {
    for (Pixel colour : {0x00000000u, 0x00FF8001u, 0xFF7F80FEu}) {
        std::vector<Pixel> row = m_s;
        Slot<ColourUnderKernel>(kWordBlendColorUnderLine)(row.data(), colour,
                                                          static_cast<int>(row.size()));
        for (std::size_t i = 0; i < row.size(); ++i)
            ASSERT_EQ(RefLerp(colour, m_s[i], A(m_s[i]), 255), row[i]) << i;
    }
    std::vector<Pixel> straight = m_s;
    Slot<InPlaceKernel>(kWordConvertAdditiveAlphaToAlphaLine)(straight.data(),
                                                              static_cast<int>(straight.size()));
    std::vector<Pixel> premultiplied = m_s;
    Slot<InPlaceKernel>(kWordConvertAlphaToAdditiveAlphaLine)(
        premultiplied.data(), static_cast<int>(premultiplied.size()));
    for (std::size_t i = 0; i < m_s.size(); ++i) {
        const Pixel p = m_s[i];
        const int a = A(p);
        ASSERT_EQ(Make(RefDiv(a, Ch(p, 0)), RefDiv(a, Ch(p, 1)), RefDiv(a, Ch(p, 2)), a),
                  straight[i]);
        ASSERT_EQ(RefPremultiply(p), premultiplied[i]);
    }
}

TEST_F(LineKernels, Crossfades) {
    const int count = static_cast<int>(m_d.size());
    Random random(77);
    const std::vector<Pixel> randomA = RandomRow(random, count), randomB = RandomRow(random, count);
    for (const std::vector<Pixel>* rows :
         {static_cast<const std::vector<Pixel>*>(&m_d), &randomA}) {
        const std::vector<Pixel>& s1 = *rows;
        const std::vector<Pixel>& s2 = rows == &m_d ? m_s : randomB;
        for (int r : {0, 1, 127, 128, 254, 255, 300}) {
            std::vector<Pixel> plain(count), additive(count), withAlpha(count);
            Slot<CrossfadeKernel>(kWordCrossfadeLine)(plain.data(), s1.data(), s2.data(), count, r);
            Slot<CrossfadeKernel>(kWordCrossfadeLineAdditiveAlpha)(additive.data(), s1.data(),
                                                                   s2.data(), count, r);
            Slot<CrossfadeKernel>(kWordCrossfadeLineWithAlpha)(withAlpha.data(), s1.data(),
                                                               s2.data(), count, r);
            const int low = r & 0xFF;
            const int widened = low > 127 ? low + 1 : low;  // 128 counts as 129
            for (int i = 0; i < count; ++i) {
                ASSERT_EQ(RefLerp(s1[i], s2[i], low, 0), plain[i]) << r << " " << i;
                ASSERT_EQ(RefBlendArgb(s1[i], s2[i], low), additive[i]) << r << " " << i;
                ASSERT_EQ(RefMixWithAlpha(s1[i], s2[i], widened), withAlpha[i]) << r << " " << i;
            }
        }
    }
}

TEST_F(LineKernels, RuleTransitionTables) {
    std::int32_t table[256];
    Slot<RuleTableKernel>(kWordInitRuleTransitionTable)(table, 100, 20);
    const struct {
        int index, value;
    } checks[] = {{0, 255}, {79, 255}, {80, 255}, {90, 128}, {99, 13}, {100, 0}, {255, 0}};
    for (const auto& c : checks) EXPECT_EQ(c.value, table[c.index]) << c.index;

    const struct {
        int phase, vague;
    } params[] = {{0, 0},     {128, 0},         {300, 0}, {50, -10},         {200, 512},
                  {256, 255}, {10, 2000000000}, {-5, 3},  {2000000000, 1000}};
    for (int word : {kWordInitRuleTransitionTable, kWordInitRuleTransitionTableWithAlpha,
                     kWordInitRuleTransitionTableAdditiveAlpha}) {
        for (const auto& p : params) {
            std::fill(table, table + 256, -7);
            Slot<RuleTableKernel>(word)(table, p.phase, p.vague);
            for (int i = 0; i < 256; ++i)
                ASSERT_EQ(RefRuleEntry(i, p.phase, p.vague), table[i])
                    << word << ": phase " << p.phase << " vague " << p.vague << " i " << i;
        }
    }
}

TEST_F(LineKernels, RuleTransitionLines) {
    Random random(4242);
    const int count = 700;
    const std::vector<Pixel> s1 = RandomRow(random, count), s2 = RandomRow(random, count);
    std::vector<std::uint8_t> rule(count);
    for (int i = 0; i < count; ++i)
        rule[i] = static_cast<std::uint8_t>(i < 256 ? i : random.Below(256));
    const struct {
        int plainWord, switchWord;
        Pixel (*mix)(Pixel, Pixel, int);
    } kinds[] = {
        {kWordRuleTransitionLine, kWordRuleTransitionLineSwitch,
         [](Pixel a, Pixel b, int w) { return RefLerp(a, b, w, 0); }},
        {kWordRuleTransitionLineWithAlpha, kWordRuleTransitionLineWithAlphaSwitch, RefMixWithAlpha},
        {kWordRuleTransitionLineAdditiveAlpha, kWordRuleTransitionLineAdditiveAlphaSwitch,
         RefBlendArgb},
    };
    for (const auto& kind : kinds) {
        for (int phase : {0, 60, 128, 255, 300}) {
            const int vague = 40;
            std::int32_t table[256];
            Slot<RuleTableKernel>(kWordInitRuleTransitionTable)(table, phase, vague);
            std::vector<Pixel> plain(count), switched(count);
            Slot<RuleLineKernel>(kind.plainWord)(plain.data(), s1.data(), s2.data(), rule.data(),
                                                 table, count);
            Slot<RuleLineSwitchKernel>(kind.switchWord)(switched.data(), s1.data(), s2.data(),
                                                        rule.data(), table, count, phase,
                                                        phase - vague);
            for (int i = 0; i < count; ++i) {
                const int k = rule[i];
                const Pixel mixed = kind.mix(s1[i], s2[i], table[k]);
                ASSERT_EQ(mixed, plain[i]) << kind.plainWord << " phase " << phase << " i " << i;
                const Pixel expected = k >= phase ? s1[i] : k < phase - vague ? s2[i] : mixed;
                ASSERT_EQ(expected, switched[i])
                    << kind.switchWord << " phase " << phase << " i " << i;
            }
        }
    }
}

TEST_F(LineKernels, ConstantColourAndOpacityRemoval) {
    const int count = static_cast<int>(m_d.size());
    for (Pixel colour : {0x00000000u, 0xFFFFFFFFu, 0x127F80FEu}) {
        for (int op : kCorners) {
            std::vector<Pixel> mix = m_d, ontoAlpha = m_d, ontoAdditive = m_d, removed = m_d;
            Slot<ColourOpacityKernel>(kWordConstColorAlphaBlendLine)(mix.data(), count, colour, op);
            Slot<ColourOpacityKernel>(kWordConstColorAlphaBlendLineOntoAlpha)(ontoAlpha.data(),
                                                                              count, colour, op);
            Slot<ColourOpacityKernel>(kWordConstColorAlphaBlendLineOntoAdditiveAlpha)(
                ontoAdditive.data(), count, colour, op);
            Slot<ValueKernel>(kWordRemoveOpacityLine)(removed.data(), count, op);
            for (int i = 0; i < count; ++i) {
                const Pixel d = m_d[i];
                const int da = A(d);
                ASSERT_EQ(PerColour(
                              d, colour,
                              [op](int dc, int c) { return (c * op + dc * (255 - op)) >> 8; }, da),
                          mix[i]);
                ASSERT_EQ(
                    RefLerp(d, colour, RefWeight(op, da), 255 - ((255 - op) * (255 - da) >> 8)),
                    ontoAlpha[i]);
                ASSERT_EQ(PerColour(
                              d, colour,
                              [op](int dc, int c) {
                                  return Min255((dc * (255 - op) >> 8) + (c * op >> 8));
                              },
                              Min255(da + op - (op * da >> 8))),
                          ontoAdditive[i]);
                ASSERT_EQ((d & 0x00FFFFFF) | (static_cast<Pixel>(da * (255 - op) >> 8) << 24),
                          removed[i]);
            }
        }
    }
    Pixel d = 0x00000000;
    Slot<ColourOpacityKernel>(kWordConstColorAlphaBlendLine)(&d, 1, 0x00FFFFFF, 128);
    EXPECT_EQ(0x007F7F7Fu, d);
}

TEST_F(LineKernels, FillsKeysAndMasks) {
    const int count = static_cast<int>(m_d.size());
    std::vector<Pixel> argb = m_d, argbLarge = m_d, colour = m_d, alpha = m_d, keyed = m_d,
                       masked = m_d;
    Slot<ValueKernel>(kWordFillArgbLine)(argb.data(), count, 0x12345678);
    Slot<ValueKernel>(kWordFillArgbLineLarge)(argbLarge.data(), count, 0x9ABCDEF0);
    Slot<ValueKernel>(kWordFillColorLine)(colour.data(), count, 0xAB123456);
    Slot<ValueKernel>(kWordFillAlphaLine)(alpha.data(), count, 0x1FF);
    Slot<ValueKernel>(kWordKeyColorToAlphaLine)(keyed.data(), count, m_d[5] & 0x00FFFFFF);
    std::vector<std::uint8_t> mask(count);
    for (int i = 0; i < count; ++i) mask[i] = static_cast<std::uint8_t>(i * 37);
    Slot<MaskKernel>(kWordCopyMaskToAlphaLine)(masked.data(), mask.data(), count);
    const Pixel key = m_d[5] & 0x00FFFFFF;
    for (int i = 0; i < count; ++i) {
        const Pixel d = m_d[i];
        ASSERT_EQ(0x12345678u, argb[i]);
        ASSERT_EQ(0x9ABCDEF0u, argbLarge[i]);
        ASSERT_EQ((d & 0xFF000000) | 0x123456, colour[i]);
        ASSERT_EQ((d & 0x00FFFFFF) | 0xFF000000, alpha[i]);
        ASSERT_EQ((d & 0x00FFFFFF) == key ? d & 0x00FFFFFF : (d & 0x00FFFFFF) | 0xFF000000,
                  keyed[i]);
        ASSERT_EQ((d & 0x00FFFFFF) | (static_cast<Pixel>(mask[i]) << 24), masked[i]);
    }
    // A key whose colour matches in every pixel but whose top byte is set matches nothing.
    Pixel row[3] = {0x00102030, 0xFF102030, 0x80102031};
    Slot<ValueKernel>(kWordKeyColorToAlphaLine)(row, 3, 0x00102030);
    EXPECT_EQ(0x00102030u, row[0]);
    EXPECT_EQ(0x00102030u, row[1]);
    EXPECT_EQ(0xFF102031u, row[2]);
    Slot<ValueKernel>(kWordKeyColorToAlphaLine)(row, 3, 0x01102030);
    EXPECT_EQ(0xFF102030u, row[0]);
}

TEST_F(LineKernels, LineDoublingAndAveraging) {
    const Pixel a = 0x00000000, b = 0xFFFFFFFF, c = 0x80402010, e = 0x01030507;
    const Pixel source[4] = {a, b, c, e};
    const struct {
        int count;
        std::vector<Pixel> forward;
    } cases[] = {
        {1, {a}},
        {2, {a, a}},
        {3, {a, 0x7F7F7F7F, b}},
        {4, {a, 0x7F7F7F7F, b, b}},
        {5, {a, 0x7F7F7F7F, b, 0xBF9F8F87, c}},
    };
    for (const auto& k : cases) {
        std::vector<Pixel> out(k.count, 0xDEADBEEF);
        Slot<LineDoubleKernel>(kWordInterpolateLineDoubleForward)(out.data(), k.count, source);
        EXPECT_EQ(k.forward, out) << k.count;
    }
    // Backward from the last pixel walks the source the other way.
    std::vector<Pixel> back(5);
    Slot<LineDoubleKernel>(kWordInterpolateLineDoubleBackward)(back.data(), 5, source + 3);
    EXPECT_EQ((std::vector<Pixel>{e, 0x4021120B, c, 0xBF9F8F87, b}), back);

    Random random(99);
    const std::vector<Pixel> r1 = RandomRow(random, 300), r2 = RandomRow(random, 300);
    std::vector<Pixel> avg(300);
    Slot<AverageLinesKernel>(kWordAverageTwoLines)(avg.data(), 300, r1.data(), r2.data());
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(Make((Ch(r1[i], 0) + Ch(r2[i], 0)) / 2, (Ch(r1[i], 1) + Ch(r2[i], 1)) / 2,
                       (Ch(r1[i], 2) + Ch(r2[i], 2)) / 2, (Ch(r1[i], 3) + Ch(r2[i], 3)) / 2),
                  avg[i]);
}

TEST_F(LineKernels, SwapsReversalsAndGreyScale) {
    Random random(5);
    for (int count : {0, 1, 2, 7, 256, 300, 513}) {
        const std::vector<Pixel> a = RandomRow(random, count), b = RandomRow(random, count);
        std::vector<Pixel> x = a, y = b;
        Slot<SwapKernel>(kWordSwapLine32)(x.data(), y.data(), count);
        EXPECT_EQ(b, x);
        EXPECT_EQ(a, y);
        std::vector<std::uint8_t> bytesA(count), bytesB(count);
        for (int i = 0; i < count; ++i)
            bytesA[i] = static_cast<std::uint8_t>(a[i]),
            bytesB[i] = static_cast<std::uint8_t>(b[i]);
        std::vector<std::uint8_t> p = bytesA, q = bytesB;
        Slot<SwapKernel8>(kWordSwapLine8)(p.data(), q.data(), count);
        EXPECT_EQ(bytesB, p);
        EXPECT_EQ(bytesA, q);
        std::vector<Pixel> reversed = a;
        Slot<InPlaceKernel>(kWordReverseLine32)(reversed.data(), count);
        EXPECT_EQ(std::vector<Pixel>(a.rbegin(), a.rend()), reversed);
        std::vector<std::uint8_t> reversed8 = bytesA;
        Slot<InPlaceKernel8>(kWordReverseLine8)(reversed8.data(), count);
        EXPECT_EQ(std::vector<std::uint8_t>(bytesA.rbegin(), bytesA.rend()), reversed8);
    }
    std::vector<Pixel> grey = m_d;
    Slot<InPlaceKernel>(kWordGrayScaleLine)(grey.data(), static_cast<int>(grey.size()));
    for (std::size_t i = 0; i < grey.size(); ++i) {
        const Pixel d = m_d[i];
        const int g = (54 * Ch(d, 2) + 183 * Ch(d, 1) + 19 * Ch(d, 0)) >> 8;
        ASSERT_EQ(Make(g, g, g, A(d)), grey[i]);
    }
}

TEST_F(LineKernels, BoxBlurSumsAndAverages) {
    Random random(31337);
    const int count = 257;
    const std::vector<Pixel> entering = RandomRow(random, count),
                             leaving = RandomRow(random, count);
    auto counts = [](Pixel p, int c, bool withAlpha) {
        if (!withAlpha || c == 3) return Ch(p, c);
        const int w = A(p) + (A(p) >> 7);
        return Ch(p, c) * w >> 8;
    };
    for (bool withAlpha : {false, true}) {
        std::vector<std::uint16_t> sums16(4 * count);
        std::vector<std::uint32_t> sums32(4 * count);
        for (int i = 0; i < 4 * count; ++i)
            sums16[i] = static_cast<std::uint16_t>(1000 + i), sums32[i] = 100000u + i;
        const std::vector<std::uint16_t> before16 = sums16;
        const std::vector<std::uint32_t> before32 = sums32;
        Slot<BoxSum16Kernel>(withAlpha ? kWordBoxBlurAddSubSum16LineWithAlpha
                                       : kWordBoxBlurAddSubSum16Line)(
            sums16.data(), entering.data(), leaving.data(), count);
        Slot<BoxSum32Kernel>(withAlpha ? kWordBoxBlurAddSubSum32LineWithAlpha
                                       : kWordBoxBlurAddSubSum32Line)(
            sums32.data(), entering.data(), leaving.data(), count);
        for (int i = 0; i < count; ++i)
            for (int c = 0; c < 4; ++c) {
                const int delta =
                    counts(entering[i], c, withAlpha) - counts(leaving[i], c, withAlpha);
                ASSERT_EQ(static_cast<std::uint16_t>(before16[4 * i + c] + delta),
                          sums16[4 * i + c]);
                ASSERT_EQ(static_cast<std::uint32_t>(before32[4 * i + c] + delta),
                          sums32[4 * i + c]);
            }
    }

    // Averages over areas 3 and 225 (16-bit sums) and 289 and 0xFFFFFF (32-bit sums).
    for (int area : {3, 225, 255, 289, 0xFFFFFF}) {
        for (bool withAlpha : {false, true}) {
            const int n = 64;
            std::vector<std::uint32_t> enter(4 * n), leave(4 * n);
            std::uint32_t running[4];
            const std::uint32_t limit = area <= 255 ? 255u * area : 0xFFFFFFFFu / 2;
            for (int c = 0; c < 4; ++c) running[c] = random.Next() % limit;
            for (int i = 0; i < 4 * n; ++i) {
                leave[i] = random.Next() % 256;
                enter[i] = leave[i] + random.Next() % 3;
            }
            std::vector<Pixel> out(n);
            std::vector<Pixel> expected(n);
            std::uint32_t sums[4] = {running[0], running[1], running[2], running[3]};
            for (int i = 0; i < n; ++i) {
                int avg[4];
                for (int c = 0; c < 4; ++c) {
                    const std::uint64_t s = sums[c];
                    avg[c] = static_cast<int>(area <= 255 ? ((s + area / 2) * (65536 / area)) >> 16
                                                          : (s + area / 2) / area) &
                             0xFF;
                }
                if (withAlpha)
                    for (int c = 0; c < 3; ++c) avg[c] = RefDiv(avg[3], avg[c]);
                expected[i] = Make(avg[0], avg[1], avg[2], avg[3]);
                for (int c = 0; c < 4; ++c) sums[c] += enter[4 * i + c] - leave[4 * i + c];
            }
            if (area <= 255) {
                std::uint16_t run16[4], e16[4 * n], l16[4 * n];
                for (int c = 0; c < 4; ++c) run16[c] = static_cast<std::uint16_t>(running[c]);
                for (int i = 0; i < 4 * n; ++i)
                    e16[i] = static_cast<std::uint16_t>(enter[i]),
                    l16[i] = static_cast<std::uint16_t>(leave[i]);
                Slot<BoxAverage16Kernel>(withAlpha ? kWordBoxBlurAverage16LineWithAlpha
                                                   : kWordBoxBlurAverage16Line)(out.data(), run16,
                                                                                e16, l16, area, n);
                for (int c = 0; c < 4; ++c)
                    EXPECT_EQ(static_cast<std::uint16_t>(sums[c]), run16[c]);
            } else {
                std::uint32_t run32[4] = {running[0], running[1], running[2], running[3]};
                Slot<BoxAverage32Kernel>(withAlpha ? kWordBoxBlurAverage32LineWithAlpha
                                                   : kWordBoxBlurAverage32Line)(
                    out.data(), run32, enter.data(), leave.data(), area, n);
                for (int c = 0; c < 4; ++c) EXPECT_EQ(sums[c], run32[c]);
            }
            EXPECT_EQ(expected, out) << "area " << area << (withAlpha ? " with alpha" : "");
        }
    }
    // An area of 0 or less divides nothing.
    Pixel untouched = 0x12345678;
    std::uint16_t run[4] = {1, 2, 3, 4}, none[4] = {};
    Slot<BoxAverage16Kernel>(kWordBoxBlurAverage16Line)(&untouched, run, none, none, 0, 1);
    std::uint32_t run32[4] = {1, 2, 3, 4}, none32[4] = {};
    Slot<BoxAverage32Kernel>(kWordBoxBlurAverage32Line)(&untouched, run32, none32, none32, -3, 1);
    EXPECT_EQ(0x12345678u, untouched);
}

TEST_F(LineKernels, GammaTables) {
    const GammaRecord records[] = {
        {{1.0f, 0, 255}, {1.0f, 0, 255}, {1.0f, 0, 255}},
        {{2.2f, 0, 255}, {0.45f, 16, 235}, {1.7f, 40, 200}},
        {{0.5f, 255, 0}, {3.0f, -100, 400}, {1.25f, 10, 10}},
        {{0.0f, 0, 255}, {-1.0f, 0, 255}, {1.0f, -2000000000, 2000000000}},
    };
    for (const GammaRecord& r : records) {
        std::uint8_t table[kGammaTableSize];
        Slot<InitGammaKernel>(kWordInitGammaTable)(table, &r);
        const std::vector<std::uint8_t> red =
            ReferenceGammaChannel(r.red.gamma, r.red.floor, r.red.ceiling);
        const std::vector<std::uint8_t> green =
            ReferenceGammaChannel(r.green.gamma, r.green.floor, r.green.ceiling);
        const std::vector<std::uint8_t> blue =
            ReferenceGammaChannel(r.blue.gamma, r.blue.floor, r.blue.ceiling);
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(blue[i], table[i]) << "blue " << i << " gamma " << r.blue.gamma;
            ASSERT_EQ(green[i], table[256 + i]) << "green " << i << " gamma " << r.green.gamma;
            ASSERT_EQ(red[i], table[512 + i]) << "red " << i << " gamma " << r.red.gamma;
        }
        Slot<ReleaseGammaKernel>(kWordReleaseGammaTable)(table);
    }
    std::uint8_t identity[kGammaTableSize];
    const GammaRecord one = {{1.0f, 0, 255}, {1.0f, 0, 255}, {1.0f, 0, 255}};
    Slot<InitGammaKernel>(kWordInitGammaTable)(identity, &one);
    for (int i = 0; i < kGammaTableSize; ++i) ASSERT_EQ(i % 256, identity[i]);
}

TEST_F(LineKernels, ApplyingGamma) {
    std::uint8_t table[kGammaTableSize];
    for (int i = 0; i < 256; ++i) {
        table[i] = static_cast<std::uint8_t>(255 - i);
        table[256 + i] = static_cast<std::uint8_t>(i / 2);
        table[512 + i] = static_cast<std::uint8_t>(std::min(255, i + 40));
    }
    auto mapped = [&](Pixel p) {
        return Make(table[Ch(p, 0)], table[256 + Ch(p, 1)], table[512 + Ch(p, 2)], A(p));
    };
    std::vector<Pixel> plain = m_d, additive = m_d;
    plain.push_back(0x00FFFFFF);
    additive.push_back(0x00000000);
    additive.push_back(0x40804020);  // colour above alpha in red and green
    Slot<GammaLineKernel>(kWordApplyGammaLine)(plain.data(), static_cast<int>(plain.size()), table);
    Slot<GammaLineKernel>(kWordApplyGammaLineAdditiveAlpha)(
        additive.data(), static_cast<int>(additive.size()), table);
    std::vector<Pixel> inputs = m_d;
    inputs.push_back(0x00FFFFFF);
    for (std::size_t i = 0; i < inputs.size(); ++i)
        ASSERT_EQ(A(inputs[i]) == 0 ? inputs[i] : mapped(inputs[i]), plain[i]) << i;
    std::vector<Pixel> additiveInputs = m_d;
    additiveInputs.push_back(0x00000000);
    additiveInputs.push_back(0x40804020);
    for (std::size_t i = 0; i < additiveInputs.size(); ++i) {
        const Pixel p = additiveInputs[i];
        const int a = A(p);
        Pixel expected = p;
        if (p != 0 && a == 255) {
            expected = mapped(p);
        } else if (p != 0) {
            const int f = a + (a >> 7);
            int out[3];
            for (int c = 0; c < 3; ++c) {
                const std::uint8_t* part = table + 256 * c;
                const int v = Ch(p, c);
                out[c] = v > a ? (f * part[255] >> 8) + (v - a) : f * part[RefDiv(a, v)] >> 8;
            }
            expected = Make(out[0], out[1], out[2], a);
        }
        ASSERT_EQ(expected, additive[i]) << std::hex << p;
    }
}
