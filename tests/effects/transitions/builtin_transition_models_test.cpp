// The built-in transitions against per-pixel models written from their definitions, at the
// start, a quarter, half, three quarters and the end of the duration, drawn through Update and
// Draw as the present calls them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "effects/transitions/builtin_transitions.h"
#include "effects/transitions/transition_routines.h"
#include "framework/images/elg_image_loader.h"
#include "framework/images/image_loader_host.h"
#include "tests/effects/transitions/transition_fixture.h"
#include "tools/content/elg_writer.h"

namespace {

using testsupport::PixelAt;
using transtest::Pixels;
using transtest::PixelsOf;
using transtest::TransitionFixture;

constexpr std::uint32_t kDuration = 400;
constexpr std::uint32_t kStart = 9000;
const std::uint32_t kTimes[] = {0, 100, 200, 300, 400};

// The plain mix of two pixels at ratio r: per colour channel a + floor((b - a) r / 256), alpha
// 0; ratio 0 and 255 are the pictures themselves.
std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t r) {
    if (r == 0) return a;
    if (r == 255) return b;
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::int32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        const std::int32_t c = ca + static_cast<std::int32_t>(
                                        std::floor((cb - ca) * static_cast<double>(r) / 256));
        out |= static_cast<std::uint32_t>(c & 0xFF) << shift;
    }
    return out;
}

class ModelTest : public TransitionFixture {
protected:
    template <class Callback>
    void Run(const std::vector<std::int32_t>& words,
             const std::function<Pixels(std::uint32_t t, Callback&)>& model,
             const std::string& name) {
        auto t = Made<Callback>(words);
        ASSERT_NE(t, nullptr) << name;
        for (std::uint32_t at : kTimes) {
            t->Update(kStart + at);
            ResetTarget();
            EXPECT_EQ(DrawWhole(*t), 0) << name << " at " << at;
            EXPECT_EQ(PixelsOf(m_target), model(at, *t)) << name << " at " << at;
        }
        EXPECT_EQ(t->Status(), -1) << name;
    }
    std::uint32_t From(std::int32_t x, std::int32_t y) { return PixelAt(m_from, x, y); }
    std::uint32_t To(std::int32_t x, std::int32_t y) { return PixelAt(m_to, x, y); }
};

TEST_F(ModelTest, CrossMixesByTheProgress) {
    Run<CrossTransCallback>({kDuration}, [&](std::uint32_t at, CrossTransCallback&) {
        const std::uint32_t r = at * 255 / kDuration;
        Pixels out;
        for (std::int32_t y = 0; y < m_height; ++y)
            for (std::int32_t x = 0; x < m_width; ++x) out.push_back(Mix(From(x, y), To(x, y), r));
        return out;
    }, "cross");
}

// Where a scroll draws each picture: the upper one where it lies, else the lower one.
TEST_F(ModelTest, ScrollSlidesAndPushesInEveryDirection) {
    for (std::int32_t direction : {0, 1, 2, 3})
        for (std::int32_t style : {0, 1, 2}) {
            const std::string name =
                "direction " + std::to_string(direction) + " style " + std::to_string(style);
            Run<ScrollTransCallback>(
                {kDuration, direction, style, 0},
                [&](std::uint32_t at, ScrollTransCallback&) {
                    const std::int32_t range = (direction == 0 || direction == 2) ? m_width
                                                                                  : m_height;
                    const std::int32_t p = static_cast<std::int32_t>(at * range / kDuration);
                    // The offset of the picture that slides in and of the one that slides out.
                    std::int32_t inX = 0, inY = 0, outX = 0, outY = 0;
                    if (direction == 0) { inX = p - m_width; outX = p; }
                    else if (direction == 1) { inY = p - m_height; outY = p; }
                    else if (direction == 2) { inX = m_width - p; outX = -p; }
                    else { inY = m_height - p; outY = -p; }
                    const bool toMoves = style != 1, fromMoves = style != 0;
                    const std::int32_t tx = toMoves ? inX : 0, ty = toMoves ? inY : 0;
                    const std::int32_t fx = fromMoves ? outX : 0, fy = fromMoves ? outY : 0;
                    auto inside = [&](std::int32_t x, std::int32_t y) {
                        return x >= 0 && y >= 0 && x < m_width && y < m_height;
                    };
                    Pixels out;
                    for (std::int32_t y = 0; y < m_height; ++y)
                        for (std::int32_t x = 0; x < m_width; ++x) {
                            const bool onFrom = inside(x - fx, y - fy);
                            const bool onTo = inside(x - tx, y - ty);
                            const bool toOnTop = style != 1;
                            if (onTo && (toOnTop || !onFrom))
                                out.push_back(To(x - tx, y - ty));
                            else if (onFrom)
                                out.push_back(From(x - fx, y - fy));
                            else
                                out.push_back(transtest::kSentinel);
                        }
                    return out;
                },
                name);
        }
}

TEST_F(ModelTest, FadingScrollsBlendOnlyWhereTheUpperPictureLies) {
    // Styles 3 and 5 slide the to picture in fading, 4 slides the from picture out fading.
    for (std::int32_t style : {3, 4, 5}) {
        auto t = Made<ScrollTransCallback>({kDuration, 0, style, 0});
        ASSERT_NE(t, nullptr);
        t->Update(kStart);
        t->Update(kStart + 200);  // p = 8 of 16
        ResetTarget();
        ASSERT_EQ(DrawWhole(*t), 0);
        for (std::int32_t y = 0; y < m_height; ++y)
            for (std::int32_t x = 0; x < m_width; ++x) {
                const std::uint32_t got = PixelAt(m_target, x, y);
                if (style == 4) {
                    // The from picture lies at (8, 0) half faded over the to picture.
                    if (x < 8) EXPECT_EQ(got, To(x, y)) << x << "," << y;
                    else EXPECT_NE(got, To(x, y)) << x << "," << y;
                } else {
                    // The to picture lies at (-8, 0) half faded in over the from picture.
                    if (x >= 8) EXPECT_EQ(got, From(x, y)) << style << " " << x << "," << y;
                    else EXPECT_NE(got, From(x, y)) << style << " " << x << "," << y;
                }
            }
    }
}

TEST_F(ModelTest, ScrollEasingReachesHalfTheRangeLateWithTwoAndEarlyWithMinusTwo) {
    struct Case {
        const char* exponent;
        std::uint32_t before, reached;  // ms of 1000
    } cases[] = {{"2", 707, 708}, {"  +2.0e0x", 707, 708}, {"-2", 292, 293}, {"abc", 499, 500},
                 {nullptr, 499, 500}};
    for (const Case& c : cases) {
        const std::int32_t text =
            static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(c.exponent));
        auto t = Made<ScrollTransCallback>({1000, 0, 0, text});
        ASSERT_NE(t, nullptr);
        t->Update(50);
        t->Update(50 + c.before);
        EXPECT_EQ(t->Progress(), 7) << (c.exponent ? c.exponent : "null");
        t->Update(50 + c.reached);
        EXPECT_EQ(t->Progress(), 8) << (c.exponent ? c.exponent : "null");
    }
}

TEST_F(ModelTest, MosaicFillsBlocksFromTheirTopLeftPixelByAlignment) {
    Make(13, 7);
    for (std::int32_t alignment : {0, 1, 2, 3, 4, 5})
        for (std::int32_t keep : {0, 1}) {
            const std::string name =
                "alignment " + std::to_string(alignment) + " keep " + std::to_string(keep);
            Run<MosaicTransCallback>(
                {kDuration, alignment, 4, keep},
                [&](std::uint32_t at, MosaicTransCallback&) {
                    const std::int32_t p = static_cast<std::int32_t>(at * 8 / kDuration);
                    const bool first = p < 4;
                    const std::int32_t b = first ? p : 8 - p;
                    const std::int32_t w = m_width, h = m_height;
                    std::int32_t bw = b, bh = b;
                    if (keep && b >= 2) {
                        if (w < h) bw = std::max(2, b * w / h);
                        else bh = std::max(2, b * h / w);
                    }
                    const std::int32_t a = alignment > 4 ? 0 : alignment;
                    std::int32_t fw = 0, fh = 0;
                    if (b >= 2) {
                        if (a == 0) {
                            fw = bw < w ? ((w - bw) / 2) % bw : 0;
                            fh = bh < h ? ((h - bh) / 2) % bh : 0;
                        }
                        if (a == 2 || a == 4) fw = w % bw;
                        if (a == 3 || a == 4) fh = h % bh;
                    }
                    auto origin = [](std::int32_t v, std::int32_t firstSize, std::int32_t size) {
                        if (size < 2) return v;
                        const std::int32_t f = firstSize ? firstSize : size;
                        return v < f ? 0 : f + (v - f) / size * size;
                    };
                    Pixels out;
                    for (std::int32_t y = 0; y < h; ++y)
                        for (std::int32_t x = 0; x < w; ++x) {
                            const std::int32_t ox = origin(x, fw, bw), oy = origin(y, fh, bh);
                            out.push_back(first ? From(ox, oy) : To(ox, oy));
                        }
                    return out;
                },
                name);
        }
}

TEST_F(ModelTest, MosaicWithTheLargestWordsStaysInRange) {
    auto t = Made<MosaicTransCallback>({kDuration, 1, 0x7FFFFFFF, 1});
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Range(), 2 * MosaicTransCallback::kLargestBlock);
    t->Update(kStart);
    t->Update(kStart + 100);
    EXPECT_EQ(t->Progress(), MosaicTransCallback::kLargestBlock / 2);
    ResetTarget();
    ASSERT_EQ(DrawWhole(*t), 0);
    // One block larger than the area: all of it the from picture's first pixel.
    EXPECT_EQ(PixelsOf(m_target), Pixels(m_width * m_height, From(0, 0)));
}

TEST_F(ModelTest, TransDrawsTheRoutineOverTheFromPictureForwardsAndReversed) {
    for (std::int32_t routine = 71; routine <= 82; ++routine)
        for (std::int32_t reverse : {0, 1}) {
            const std::string name =
                "routine " + std::to_string(routine) + (reverse ? " reversed" : "");
            Run<TransTransCallback>(
                {kDuration, routine, reverse},
                [&](std::uint32_t at, TransTransCallback&) {
                    std::int32_t p = static_cast<std::int32_t>(at * 256 / kDuration);
                    if (reverse) p = 256 - p;
                    Image expected;
                    EXPECT_EQ(expected.CopyFrom(&m_from, 0), 0);
                    RunTransitionEffect(routine, &expected, &m_to, p, 0, 0, 0, nullptr);
                    return PixelsOf(expected);
                },
                name);
        }
}

TEST_F(ModelTest, TransDrawsTheToPictureOntoTheTarget) {
    // Half way through the wipe from the left (80), the left half is the to picture.
    auto t = Made<TransTransCallback>({kDuration, 80, 0});
    ASSERT_NE(t, nullptr);
    t->Update(kStart);
    t->Update(kStart + 200);
    ResetTarget();
    ASSERT_EQ(DrawWhole(*t), 0);
    for (std::int32_t y = 0; y < m_height; ++y)
        for (std::int32_t x = 0; x < 8; ++x) EXPECT_EQ(PixelAt(m_target, x, y), To(x, y));
}

// The wave's row shift and colours, written from its definition with wide products.
struct WaveModel {
    std::int32_t amplitude, rowStep, shiftCap;
    std::uint32_t phase, ratio, edge;
};

WaveModel ModelWave(const MathTables& tables, std::uint32_t duration, std::uint32_t e,
                    std::int64_t mode, std::int64_t a, std::int64_t g, std::uint32_t c0,
                    std::uint32_t c1, std::int32_t height) {
    const std::uint32_t d = duration < 2 ? 2 : duration, half = d / 2;
    const std::uint32_t elapsed = std::min(e, d);
    const std::uint32_t tri = e < half ? e : (e < d ? d - e : 0);
    const std::int64_t s = tables.CosFixed()[(std::uint64_t{tri} * 128 / half - 128) & 511];
    WaveModel m{};
    m.amplitude = static_cast<std::int32_t>(a * s / 65536 - ((a * s) % 65536 < 0 ? 1 : 0));
    // Negative modes act as mode 3.
    const bool plain = mode >= 0 && mode <= 2;
    std::int64_t step = g;
    if (mode == 0) step = (g * s) >> 16;
    if (mode == 1) step = g * (d - elapsed) / d;
    if (mode == 2) step = g * elapsed / d;
    m.rowStep = static_cast<std::int32_t>(step);
    m.phase = plain ? 0u - static_cast<std::uint32_t>(height / 2) * static_cast<std::uint32_t>(m.rowStep)
                    : static_cast<std::uint32_t>(g * elapsed / d) * static_cast<std::uint32_t>(a);
    m.ratio = std::min<std::uint32_t>(static_cast<std::uint32_t>(std::uint64_t{elapsed} * 255 / d), 255);
    const std::int32_t w = m.ratio == 0 ? 0 : static_cast<std::int32_t>(m.ratio) + 1;
    m.edge = c0 & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::int32_t x = (c0 >> shift) & 0xFF, y = (c1 >> shift) & 0xFF;
        m.edge |= static_cast<std::uint32_t>(x + (y - x) * w / 256) << shift;
    }
    return m;
}

TEST_F(ModelTest, WaveShiftsRowsWhileCrossfadingInEveryStepMode) {
    for (std::int32_t mode : {0, 1, 2, 3, -1})
        Run<WaveTransCallback>(
            {kDuration, mode, 5, 9000, static_cast<std::int32_t>(0xFF102030),
             static_cast<std::int32_t>(0xFF405060)},
            [&](std::uint32_t at, WaveTransCallback& wave) {
                const WaveModel m = ModelWave(m_tables, kDuration, at, mode, 5, 9000, 0xFF102030,
                                              0xFF405060, m_height);
                EXPECT_EQ(wave.Amplitude(), m.amplitude) << mode << " at " << at;
                EXPECT_EQ(wave.RowStep(), m.rowStep) << mode << " at " << at;
                EXPECT_EQ(wave.StartPhase(), m.phase) << mode << " at " << at;
                Pixels out;
                for (std::int32_t y = 0; y < m_height; ++y) {
                    const std::uint32_t c = m.phase + static_cast<std::uint32_t>(y) *
                                                          static_cast<std::uint32_t>(m.rowStep);
                    std::int64_t shift =
                        (std::int64_t{m_tables.CosFixed()[((c >> 9) - 128) & 511]} * m.amplitude) >> 16;
                    shift = std::clamp<std::int64_t>(shift, -m_width, m_width);
                    for (std::int32_t x = 0; x < m_width; ++x) {
                        const std::int64_t sx = x - shift;
                        if (sx < 0 || sx >= m_width)
                            out.push_back(m.edge);
                        else
                            out.push_back(Mix(From(static_cast<std::int32_t>(sx), y),
                                              To(static_cast<std::int32_t>(sx), y), m.ratio));
                    }
                }
                return out;
            },
            "wave mode " + std::to_string(mode));
}

TEST_F(ModelTest, WaveDurationsZeroAndOneRunAsTwo) {
    for (std::int32_t duration : {0, 1}) {
        auto t = Made<WaveTransCallback>({duration, 3, 4, 100, 0, 0});
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->Duration(), 2u);
        t->Update(kStart);
        EXPECT_EQ(t->Status(), 0);
        t->Update(kStart + 1);
        EXPECT_EQ(t->Ratio(), 127u);
        EXPECT_EQ(t->Status(), 0);
        t->Update(kStart + 2);
        EXPECT_EQ(t->Status(), -1);
    }
}

TEST_F(ModelTest, WaveWithTheLargestWordsShiftsWholeRowsToTheEdgeColour) {
    auto t = Made<WaveTransCallback>({kDuration, 0, 0x7FFFFFFF, 0x7FFFFFFF,
                                      static_cast<std::int32_t>(0xFF0000FF),
                                      static_cast<std::int32_t>(0xFF0000FF)});
    ASSERT_NE(t, nullptr);
    t->Update(kStart);
    t->Update(kStart + 200);  // the middle: the full amplitude
    EXPECT_EQ(t->Amplitude(), 0x7FFFFFFF);
    EXPECT_EQ(t->RowStep(), 0x7FFFFFFF);
    ResetTarget();
    ASSERT_EQ(DrawWhole(*t), 0);
    const WaveModel m = ModelWave(m_tables, kDuration, 200, 0, 0x7FFFFFFF, 0x7FFFFFFF,
                                  0xFF0000FF, 0xFF0000FF, m_height);
    for (std::int32_t y = 0; y < m_height; ++y) {
        const std::uint32_t c = m.phase + static_cast<std::uint32_t>(y) * static_cast<std::uint32_t>(m.rowStep);
        const std::int64_t shift =
            (std::int64_t{m_tables.CosFixed()[((c >> 9) - 128) & 511]} * m.amplitude) >> 16;
        if (shift >= m_width || shift <= -m_width)
            for (std::int32_t x = 0; x < m_width; ++x)
                EXPECT_EQ(PixelAt(m_target, x, y), 0xFF0000FFu) << x << "," << y;
    }
}

TEST_F(ModelTest, ToneWashesTheColourPlainAndReversed) {
    for (std::int32_t reverse : {0, 1}) {
        auto t = Made<ToneTransCallback>({kDuration, static_cast<std::int32_t>(0x20FF8000), reverse});
        ASSERT_NE(t, nullptr);
        std::uint8_t previous = reverse ? 255 : 0;
        for (std::uint32_t at : kTimes) {
            t->Update(kStart + at);
            const std::uint8_t p = static_cast<std::uint8_t>(at * 255 / kDuration);
            EXPECT_EQ(t->Progress(), reverse ? 255 - p : p);
            ResetTarget();
            ASSERT_EQ(DrawWhole(*t), 0);
            // Between the ends the colour lies over the picture, the picture's alpha kept.
            if (t->Progress() != 0 && t->Progress() != 255)
                for (std::int32_t y = 0; y < m_height; ++y)
                    for (std::int32_t x = 0; x < m_width; ++x) {
                        EXPECT_EQ(PixelAt(m_target, x, y) >> 24, 0xFFu);
                        EXPECT_NE(PixelAt(m_target, x, y), From(x, y));
                    }
            previous = t->Progress();
        }
        EXPECT_EQ(previous, reverse ? 0 : 255);
    }
}

// Rule pictures as the game ships them, 8-bit ELG files (RULE000.ELG a ramp along the rows,
// RULE001.ELG a two-level checker, RULE002.ELG one level), loaded by LoadIndexed.
std::int32_t LoadRule(Image& rule, int pattern, std::int32_t width, std::int32_t height) {
    std::vector<std::uint8_t> levels;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            levels.push_back(pattern == 0   ? static_cast<std::uint8_t>(x * 255 / (width - 1))
                             : pattern == 1 ? (((x + y) & 1) ? 200 : 40)
                                            : 128);
    std::vector<std::uint32_t> grey(256);
    for (std::uint32_t i = 0; i < 256; ++i) grey[i] = i * 0x010101u;
    const std::vector<std::uint8_t> file = testsupport::EncodeElgPicture(
        8, static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), {}, grey,
        levels);
    return rule.LoadIndexed(nullptr, file.data(), static_cast<std::int32_t>(file.size()), 0);
}

TEST_F(ModelTest, RuleEndsAreThePicturesForEachRuleAndVagueness) {
    ImageLoaderHost host;
    ASSERT_EQ(host.RegisterBuiltin(new ElgImageLoader, ElgImageLoader::kExtensions,
                                   ElgImageLoader::kTypeString, 1, nullptr, nullptr, nullptr),
              0);
    g_imageLoaderHost = &host;
    for (int pattern : {0, 1, 2})
        for (std::int32_t vagueness : {0, 64}) {
            const std::string name = "RULE00" + std::to_string(pattern) + ".ELG vagueness " +
                                     std::to_string(vagueness);
            Image rule;
            ASSERT_EQ(LoadRule(rule, pattern, m_width, m_height), 0) << name;
            ASSERT_EQ(rule.Depth(), 8);
            const std::int32_t word =
                static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(&rule));
            auto t = Made<RuleTransCallback>({kDuration, word, vagueness});
            ASSERT_NE(t, nullptr);
            t->Update(kStart);
            ResetTarget();
            ASSERT_EQ(DrawWhole(*t), 0);
            EXPECT_EQ(PixelsOf(m_target), PixelsOf(m_from)) << name;
            t->Update(kStart + 200);
            ResetTarget();
            ASSERT_EQ(DrawWhole(*t), 0);
            for (std::int32_t y = 0; y < m_height; ++y)
                for (std::int32_t x = 0; x < m_width; ++x)
                    EXPECT_NE(PixelAt(m_target, x, y), transtest::kSentinel) << name;
            t->Update(kStart + kDuration);
            ResetTarget();
            ASSERT_EQ(DrawWhole(*t), 0);
            EXPECT_EQ(PixelsOf(m_target), PixelsOf(m_to)) << name;
        }
    g_imageLoaderHost = nullptr;
}

TEST_F(ModelTest, RotAxisClearsTheBandsAndDrawsThePictureInsideTheProjectedQuad) {
    Make(16, 8);
    for (std::int32_t axis : {0, 1, 2, 3, 4}) {
        auto t = Made<RotAxisTransCallback>({kDuration, axis});
        ASSERT_NE(t, nullptr);
        for (std::uint32_t at : kTimes) {
            t->Update(kStart + at);
            const std::int32_t p = static_cast<std::int32_t>(at * 256 / kDuration);
            ResetTarget();
            ASSERT_EQ(DrawWhole(*t), 0);
            if (p == 0 || p == 256) {
                EXPECT_EQ(PixelsOf(m_target), PixelsOf(p == 0 ? m_from : m_to)) << axis;
                continue;
            }
            // The corners from the definition, with the program's cosine table (whose quarter
            // turn is exactly 0, where the library cosine leaves a trace that truncation shows).
            const std::int32_t a = p > 128 ? p + 256 : p;
            const double c = m_tables.CosFloat()[a & 511];
            const double s = m_tables.CosFloat()[(a - 128) & 511];
            const double unit[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
            POINT q[4];
            for (int i = 0; i < 4; ++i) {
                double x = unit[i][0], y = unit[i][1], z = 0;
                const int ax = axis > 3 ? 3 : axis;
                if (ax == 0) { z = -x * s; x *= c; }
                if (ax == 1) { z = x * s; x *= c; }
                if (ax == 2) { z = y * s; y *= c; }
                if (ax == 3) { z = -y * s; y *= c; }
                q[i].x = static_cast<LONG>(m_width / 2 * (2 * x / (z + 2) + 1));
                q[i].y = static_cast<LONG>(m_height / 2 * (1 - 2 * y / (z + 2)));
            }
            POINT got[4];
            RotAxisTransCallback::ProjectCorners(a, static_cast<std::uint8_t>(std::min(axis, 3)),
                                                 m_width, m_height, got);
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(got[i].x, q[i].x) << axis << " " << p << " corner " << i;
                EXPECT_EQ(got[i].y, q[i].y) << axis << " " << p << " corner " << i;
            }
            const std::int32_t top = std::max(q[0].y, q[1].y), bottom = std::min(q[2].y, q[3].y);
            const std::uint8_t pictureTop = p <= 128 ? transtest::kFromTop : transtest::kToTop;
            auto fromPicture = [&](std::uint32_t v) {
                return v >> 24 == pictureTop && (v & 0xFFF) < static_cast<std::uint32_t>(m_width) &&
                       ((v >> 12) & 0xFFF) < static_cast<std::uint32_t>(m_height);
            };
            const std::int32_t minX = std::min(q[0].x, q[2].x), maxX = std::max(q[1].x, q[3].x);
            const std::int32_t minY = std::min(q[0].y, q[1].y), maxY = std::max(q[2].y, q[3].y);
            for (std::int32_t y = 0; y < m_height; ++y)
                for (std::int32_t x = 0; x < m_width; ++x) {
                    const std::uint32_t v = PixelAt(m_target, x, y);
                    // The quad primitive's own edge rules decide its outermost pixels, and
                    // where the quad passes the area's edge it leaves the area's last column
                    // undrawn; one pixel in from both every pixel is the picture.
                    const std::int32_t innerLeft = std::max(q[0].x, q[2].x);
                    const std::int32_t innerRight = std::min<std::int32_t>({q[1].x, q[3].x, m_width});
                    const bool inner = y > top && y < std::min(bottom, m_height) - 1 &&
                                       x > innerLeft && x < innerRight - 1;
                    const bool outside = x < minX || x >= maxX || y < minY || y >= maxY;
                    if (inner)  // inside the quad: the picture
                        EXPECT_TRUE(fromPicture(v)) << axis << " p " << p << " at " << x << "," << y << " " << std::hex << v << std::dec;
                    else if (outside)  // outside the quad: the cleared bands
                        EXPECT_EQ(v, 0u) << axis << " p " << p << " at " << x << "," << y;
                    else  // under the slanted edges: cleared, drawn on, or left to the
                          // quad primitive's edge rule
                        EXPECT_TRUE(v == 0 || fromPicture(v) || v == transtest::kSentinel) << axis << " p " << p << " at " << x << "," << y;
                }
        }
    }
}

TEST_F(ModelTest, RotAxisHalfWayAboutTheVerticalAxisClearsTheWholeArea) {
    auto t = Made<RotAxisTransCallback>({kDuration, 0});
    ASSERT_NE(t, nullptr);
    t->Update(kStart);
    t->Update(kStart + 200);
    ResetTarget();
    ASSERT_EQ(DrawWhole(*t), 0);
    EXPECT_EQ(PixelsOf(m_target), Pixels(m_width * m_height, 0u));
}

TEST_F(ModelTest, RotAxisIdentityFramesCopyOddSizesExactly) {
    Make(13, 7);
    auto t = Made<RotAxisTransCallback>({kDuration, 2});
    ASSERT_NE(t, nullptr);
    t->Update(kStart);
    ResetTarget();
    ASSERT_EQ(DrawWhole(*t), 0);
    EXPECT_EQ(PixelsOf(m_target), PixelsOf(m_from));
    t->Update(kStart + kDuration);
    ResetTarget();
    ASSERT_EQ(DrawWhole(*t), 0);
    EXPECT_EQ(PixelsOf(m_target), PixelsOf(m_to));
}

}  // namespace
