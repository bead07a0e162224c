// The screen filters quake, zoomflip, rotcenter, addsub and hblur: set-up codes in their order,
// each against a model of its drawing, strips against the whole draw, the registration, the
// present, and the mended faults (zoomflip's undrawn modes, running without the pixel-operation
// library, quake's products and reals beyond 32 bits).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <string>

#include "effects/objects/subtractive_random.h"
#include "effects/transitions/ripple_table.h"
#include "effects/transitions/screen_filters.h"
#include "framework/plugins/transition_registry.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"
#include "graphics/image/kernel_form.h"
#include "graphics/image/library_calls.h"
#include "tests/support/random_models.h"
#include "tests/effects/transitions/transition_fixture.h"
#include "tests/graphics/surfaces/screen_test_support.h"

namespace {

using testsupport::PixelAt;
using transtest::Held;
using transtest::Pixels;
using transtest::PixelsOf;
using transtest::TransitionFixture;

std::int32_t Text(const char* text) {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(text));
}

class ScreenFilterTest : public TransitionFixture {
protected:
    void SetUp() override {
        TransitionFixture::SetUp();
        m_random.Seed(4242);
        SetQuakeTransRandom(&m_random);
    }
    void TearDown() override {
        SetQuakeTransRandom(nullptr);
        TransitionFixture::TearDown();
    }
    Held Make(TransCreateFunc create, std::vector<std::int32_t> words) {
        Held held(create(0));
        words.resize(8, 0);
        EXPECT_EQ(held->Setup(&m_screen, words.data()), 0) << held->Name();
        return held;
    }
    // Updates to the time and draws the whole area over the sentinel.
    Pixels DrawnAt(TransCallback& t, std::uint32_t now) {
        t.Update(now);
        ResetTarget();
        EXPECT_EQ(DrawWhole(t), 0) << t.Name() << " at " << now;
        return PixelsOf(m_target);
    }
    // A picture of the from (or to) pixel each target pixel should show.
    Pixels Picture(const std::function<std::uint32_t(std::int32_t, std::int32_t)>& pixel) {
        Pixels out;
        for (std::int32_t y = 0; y < m_height; ++y)
            for (std::int32_t x = 0; x < m_width; ++x) out.push_back(pixel(x, y));
        return out;
    }
    std::uint32_t From(std::int32_t x, std::int32_t y) { return PixelAt(m_from, x, y); }
    std::uint32_t To(std::int32_t x, std::int32_t y) { return PixelAt(m_to, x, y); }

    SubtractiveRandom m_random;
};

// ---------------------------------------------------------------------------------------------
// Set-up

TEST_F(ScreenFilterTest, SetupCodesInTheirOrder) {
    MemoryScreen paletted;
    ASSERT_EQ(paletted.CreateSimple(m_width, m_height, 8, false), 0);
    const std::vector<std::int32_t> good = {100, 0, 0, 0, 0, 0};
    const std::vector<std::int32_t> noDuration = {0, 0, 0, 0, 0, 0};
    struct Row {
        const char* name;
        TransCreateFunc create;
        std::vector<std::int32_t> words;  // empty: no block
        ScreenBuffer* target;
        std::int32_t expected;
    } rows[] = {
        {"zoomflip without block", &CreateZoomFlipTransCallback, {}, &m_screen, 1},
        {"rotcenter without target", &CreateRotCenterTransCallback, good, nullptr, 1},
        {"addsub duration 0", &CreateAddSubTransCallback, noDuration, &m_screen, 1},
        {"hblur duration 0", &CreateHBlurTransCallback, noDuration, &m_screen, 1},
        {"zoomflip duration 0", &CreateZoomFlipTransCallback, noDuration, &m_screen, 1},
        {"rotcenter duration 0", &CreateRotCenterTransCallback, noDuration, &m_screen, 1},
        {"quake duration 0 is endless", &CreateQuakeTransCallback, {300, 2, 2, 0, 0, 0},
         &m_screen, 0},
        {"quake without block", &CreateQuakeTransCallback, {}, &m_screen, 1},
        {"addsub on 8 bits", &CreateAddSubTransCallback, good, &paletted, 2},
        {"quake on 8 bits", &CreateQuakeTransCallback, {300, 2, 2, 0, 0, 0}, &paletted, 2},
        {"hblur on 8 bits", &CreateHBlurTransCallback, good, &paletted, 2},
        {"zoomflip mode 6", &CreateZoomFlipTransCallback, {100, 6, 0}, &m_screen, 0},
        // Mode 7 has no drawing: refused rather than showing stale frames.
        {"zoomflip mode 7", &CreateZoomFlipTransCallback, {100, 7, 0}, &m_screen, 1},
        {"zoomflip mode 0x106 is the byte 6", &CreateZoomFlipTransCallback, {100, 0x106, 0},
         &m_screen, 0},
        {"zoomflip mode 0x107 is the byte 7", &CreateZoomFlipTransCallback, {100, 0x107, 0},
         &m_screen, 1},
    };
    for (const Row& r : rows) {
        Held t(r.create(0));
        std::vector<std::int32_t> words = r.words;
        if (!words.empty()) words.resize(8, 0);
        EXPECT_EQ(t->Setup(r.target, words.empty() ? nullptr : words.data()), r.expected)
            << r.name;
    }
    Held mode6(CreateZoomFlipTransCallback(0));
    const std::int32_t words6[] = {100, 6, 0};
    ASSERT_EQ(mode6->Setup(&m_screen, words6), 0);
    EXPECT_EQ(static_cast<ZoomFlipTransCallback&>(*mode6).Range(), 256);

    // Checked before anything else: the generator for quake, the float table for rotcenter.
    SetQuakeTransRandom(nullptr);
    Held quake(CreateQuakeTransCallback(0));
    EXPECT_EQ(quake->Setup(nullptr, nullptr), 5);
    g_mathTables = nullptr;
    Held rotcenter(CreateRotCenterTransCallback(0));
    EXPECT_EQ(rotcenter->Setup(nullptr, nullptr), 5);
}

TEST_F(ScreenFilterTest, HBlurRadiusIsAByteBetween1And127) {
    const struct {
        std::int32_t word;
        std::uint8_t radius;
    } rows[] = {{0, 1}, {1, 1}, {5, 5}, {127, 127}, {128, 127}, {200, 127}, {0x100, 1},
                {0x105, 5}};
    for (const auto& r : rows) {
        Held t = Make(&CreateHBlurTransCallback, {100, 0, r.word});
        auto& blur = static_cast<HBlurTransCallback&>(*t);
        EXPECT_EQ(blur.Radius(), r.radius) << r.word;
        EXPECT_EQ(blur.Range(), 2 * r.radius + 1) << r.word;
    }
    Held crossing = Make(&CreateHBlurTransCallback, {100, 1, 9});
    EXPECT_EQ(static_cast<HBlurTransCallback&>(*crossing).Range(), 255);
}

// ---------------------------------------------------------------------------------------------
// The ends, the status and strips

enum class End { From, To, White, Black };

struct EndCase {
    const char* name;
    TransCreateFunc create;
    std::vector<std::int32_t> words;  // word 0 the duration (400)
    End start;
    End end;
};

const EndCase kEndCases[] = {
    {"zoomflip 0", &CreateZoomFlipTransCallback, {400, 0, 0}, End::From, End::To},
    {"zoomflip 1", &CreateZoomFlipTransCallback, {400, 1, 1}, End::From, End::To},
    {"zoomflip 2", &CreateZoomFlipTransCallback, {400, 2, 0}, End::From, End::To},
    {"zoomflip 3", &CreateZoomFlipTransCallback, {400, 3, 0}, End::From, End::To},
    {"zoomflip 4", &CreateZoomFlipTransCallback, {400, 4, 0}, End::From, End::To},
    {"zoomflip 5", &CreateZoomFlipTransCallback, {400, 5, 0}, End::From, End::To},
    {"zoomflip 6", &CreateZoomFlipTransCallback, {400, 6, 0}, End::From, End::To},
    {"rotcenter 0", &CreateRotCenterTransCallback, {400, 0, 0}, End::From, End::To},
    {"rotcenter 1", &CreateRotCenterTransCallback, {400, 1, 1}, End::From, End::To},
    {"rotcenter 2", &CreateRotCenterTransCallback, {400, 2, 0}, End::From, End::To},
    {"addsub 0", &CreateAddSubTransCallback, {400, 0}, End::From, End::To},
    {"addsub 1", &CreateAddSubTransCallback, {400, 1}, End::White, End::To},
    {"addsub 2", &CreateAddSubTransCallback, {400, 2}, End::From, End::To},
    {"addsub 3", &CreateAddSubTransCallback, {400, 3}, End::Black, End::To},
    {"hblur 0", &CreateHBlurTransCallback, {400, 0, 3}, End::From, End::To},
    {"hblur 1", &CreateHBlurTransCallback, {400, 1, 3}, End::From, End::To},
};

TEST_F(ScreenFilterTest, StartAndEndFramesAndStatusEndingOnlyAfterTheEndFrame) {
    // With qmxgl on its portable kernels and on the processor's own; the kernels of the program
    // in their plain and MMX forms.
    const struct {
        testsupport::PixelConfig library;
        KernelForm kernels;
    } configs[] = {{testsupport::PixelConfig::LibraryPortable, KernelForm::Plain},
                   {testsupport::PixelConfig::LibraryDetected, KernelForm::Mmx}};
    for (const auto& config : configs) {
        m_config.reset();
        m_config = std::make_unique<testsupport::PixelConfigScope>(config.library);
        ASSERT_TRUE(m_config->Ready());
        ForceKernelForm(config.kernels);
        for (const EndCase& c : kEndCases) {
            SCOPED_TRACE(testsupport::PixelConfigName(config.library));
            Held t = Make(c.create, c.words);
            const Pixels start = DrawnAt(*t, 5000);
            const Pixels expectedStart = Picture([&](std::int32_t x, std::int32_t y) {
                const std::uint32_t alpha = To(x, y) & 0xFF000000u;
                switch (c.start) {
                    case End::White: return alpha | 0xFFFFFFu;
                    case End::Black: return alpha;
                    default: return From(x, y);
                }
            });
            EXPECT_EQ(start, expectedStart) << c.name;
            t->Update(5000 + 399);
            EXPECT_EQ(t->Status(), 0) << c.name;
            EXPECT_EQ(DrawnAt(*t, 5000 + 400), PixelsOf(m_to)) << c.name;
            EXPECT_EQ(t->Status(), -1) << c.name;
        }
    }
    ForceKernelForm(KernelForm::Detected);
}

TEST_F(ScreenFilterTest, KindsZeroAndTwoDrawnInStripsEqualTheWholeDraw) {
    const struct {
        const char* name;
        TransCreateFunc create;
        std::vector<std::int32_t> words;
    } cases[] = {
        {"addsub 0", &CreateAddSubTransCallback, {400, 0}},
        {"addsub 3", &CreateAddSubTransCallback, {400, 3}},
        // A vertical swing of up to 6 rows: taller than the strips, the fill bands stay in
        // their own strip.
        {"quake filling", &CreateQuakeTransCallback, {2, 3, 6, 400, Text("0.5"), 1}},
        {"quake random", &CreateQuakeTransCallback, {0, 9, 5, 400, 0, 1}},
        {"quake unfilled", &CreateQuakeTransCallback, {2, 3, 6, 400, Text("0.5"), 0}},
    };
    for (const auto& c : cases) {
        Held t = Make(c.create, c.words);
        t->Update(1000);
        for (std::uint32_t at : {50u, 100u, 170u, 300u}) {
            t->Update(1000 + at);
            ResetTarget();
            DrawWhole(*t);
            const Pixels whole = PixelsOf(m_target);
            ResetTarget();
            DrawStrips(*t, {3, 1, 2});
            EXPECT_EQ(PixelsOf(m_target), whole) << c.name << " at " << at;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// quake

class QuakeFilterTest : public ScreenFilterTest {
protected:
    QuakeTransCallback& Quake(Held& held) { return static_cast<QuakeTransCallback&>(*held); }
    // The picture moved by (ox, oy); uncovered pixels are `band` (the sentinel when unfilled).
    Pixels Moved(std::int32_t ox, std::int32_t oy, std::uint32_t band) {
        return Picture([&](std::int32_t x, std::int32_t y) {
            const std::int32_t sx = x - ox, sy = y - oy;
            if (sx < 0 || sy < 0 || sx >= m_width || sy >= m_height) return band;
            return From(sx, sy);
        });
    }
    std::int32_t Sine(std::int64_t phase) {
        return m_tables.CosFixed()[static_cast<std::uint32_t>(phase - 128) & 511];
    }
};

TEST_F(QuakeFilterTest, FourHalfSwingsShrinkingLinearlyToNothing) {
    Held t = Make(&CreateQuakeTransCallback, {4, 8, 0, 1000, Text("0"), 1});
    for (std::uint32_t at : {0u, 125u, 250u, 500u, 999u}) {
        const Pixels drawn = DrawnAt(*t, 3000 + at);
        const double t01 = at / 1000.0;
        const std::int64_t phase = static_cast<std::int64_t>(1024 * t01);
        const std::int32_t expected =
            static_cast<std::int32_t>((1 - t01) * ((std::int64_t{8} * Sine(phase)) >> 16));
        EXPECT_EQ(Quake(t).OffsetX(), expected) << at;
        EXPECT_EQ(Quake(t).OffsetY(), 0) << at;
        EXPECT_EQ(drawn, Moved(expected, 0, 0)) << at;
        EXPECT_EQ(t->Status(), 0) << at;
    }
    // A quarter swing in: the full amplitude, less an eighth.
    t->Update(3000 + 125);
    EXPECT_EQ(Quake(t).OffsetX(), 7);
    EXPECT_EQ(DrawnAt(*t, 3000 + 1000), PixelsOf(m_from));
    EXPECT_EQ(Quake(t).OffsetX(), 0);
    EXPECT_EQ(t->Status(), -1);
}

TEST_F(QuakeFilterTest, EndlessWithANegativeWordSwingsWithItsPeriodForEver) {
    Held t = Make(&CreateQuakeTransCallback, {-300, 6, 3, 0, 0, 0});
    EXPECT_EQ(Quake(t).Cycle(), 300);
    t->Update(100);
    std::vector<std::pair<std::int32_t, std::int32_t>> first;
    for (std::uint32_t at : {30u, 75u, 150u, 225u, 299u}) {
        t->Update(100 + at);
        // The phase in reals: in integers elapsed / 300 is 0 until the period's end.
        const std::int64_t phase = static_cast<std::int64_t>(at / 300.0 * 511);
        const std::int64_t s = Sine(phase);
        EXPECT_EQ(Quake(t).OffsetX(), static_cast<std::int32_t>((6 * s) >> 16)) << at;
        EXPECT_EQ(Quake(t).OffsetY(), static_cast<std::int32_t>((3 * s) >> 16)) << at;
        first.emplace_back(Quake(t).OffsetX(), Quake(t).OffsetY());
    }
    EXPECT_NE(first[1], std::make_pair(0, 0));
    // The period restarts at its end: the next period repeats the first.
    t->Update(100 + 300);
    std::size_t i = 0;
    for (std::uint32_t at : {30u, 75u, 150u, 225u, 299u}) {
        t->Update(400 + at);
        EXPECT_EQ(std::make_pair(Quake(t).OffsetX(), Quake(t).OffsetY()), first[i++]) << at;
    }
    t->Update(100 + 3600u * 1000u);
    EXPECT_EQ(t->Status(), 0);
}

TEST_F(QuakeFilterTest, ZeroAmplitudesDrawThePictureUnmovedAndAShiftLeavesAFilledBand) {
    Held still = Make(&CreateQuakeTransCallback, {4, 0, 0, 1000, 0, 1});
    for (std::uint32_t at : {0u, 125u, 600u}) EXPECT_EQ(DrawnAt(*still, at), PixelsOf(m_from));
    // Damping "1" keeps the full amplitude: a quarter swing in, 5 pixels to the left.
    Held left = Make(&CreateQuakeTransCallback, {4, -5, 0, 1000, Text("1"), 1});
    left->Update(0);
    const Pixels drawn = DrawnAt(*left, 125);
    EXPECT_EQ(Quake(left).OffsetX(), -5);
    EXPECT_EQ(drawn, Moved(-5, 0, 0));
    // Unfilled, the band keeps what the target held.
    Held unfilled = Make(&CreateQuakeTransCallback, {4, -5, 0, 1000, Text("1"), 0});
    unfilled->Update(0);
    EXPECT_EQ(DrawnAt(*unfilled, 125), Moved(-5, 0, transtest::kSentinel));
}

TEST_F(QuakeFilterTest, RandomShakesAgainstTheGeneratorTheLargerAxisAlternatingSides) {
    const struct {
        std::int32_t ax, ay;
    } rows[] = {{10, 4}, {4, 10}, {6, 6}};
    for (const auto& r : rows) {
        m_random.Seed(2024);
        testsupport::SubtractiveModel model(2024);
        Held t = Make(&CreateQuakeTransCallback, {0, r.ax, r.ay, 0, 0, 1});
        bool sign = false;
        for (int frame = 0; frame < 6; ++frame) {
            const Pixels drawn = DrawnAt(*t, 700 + 16 * frame);
            const double r1 = model.Next() * 1e-9, r2 = model.Next() * 1e-9;
            const double ax = r.ax, ay = r.ay;
            std::int32_t dx, dy;
            if (r.ax == r.ay) {
                dx = static_cast<std::int32_t>(r1 * ax - ax / 2);
                dy = static_cast<std::int32_t>(r2 * ay - ay / 2);
            } else if (r.ax < r.ay) {
                dx = static_cast<std::int32_t>(r1 * ax - ax / 2);
                dy = static_cast<std::int32_t>(sign ? r2 * ay : -r2 * ay);
            } else {
                dx = static_cast<std::int32_t>(sign ? r1 * ax : -r1 * ax);
                dy = static_cast<std::int32_t>(r2 * ay - ay / 2);
            }
            sign = !sign;
            EXPECT_EQ(Quake(t).OffsetX(), dx) << r.ax << "," << r.ay << " frame " << frame;
            EXPECT_EQ(Quake(t).OffsetY(), dy) << r.ax << "," << r.ay << " frame " << frame;
            EXPECT_EQ(drawn, Moved(dx, dy, 0)) << r.ax << "," << r.ay << " frame " << frame;
            const std::int32_t larger = r.ax > r.ay ? dx : r.ax < r.ay ? dy : 0;
            EXPECT_TRUE(frame % 2 == 0 ? larger <= 0 : larger >= 0) << frame;
        }
    }
}

TEST_F(QuakeFilterTest, WordsAndTextsBeyond32BitsGiveOffsetsWithinThePicture) {
    // Word 0 x 256 needs 40 bits; |INT_MIN| needs 32 unsigned ones.
    Held many = Make(&CreateQuakeTransCallback, {0x7FFFFFFF, 3, 0, 1000, 0, 0});
    EXPECT_EQ(Quake(many).Cycle(), std::int64_t{0x7FFFFFFF} * 256);
    Held lowest = Make(&CreateQuakeTransCallback, {INT_MIN, 3, 0, 0, 0, 0});
    EXPECT_EQ(Quake(lowest).Cycle(), std::int64_t{1} << 31);
    const struct {
        const char* name;
        std::vector<std::int32_t> words;
    } rows[] = {
        {"largest amplitude", {4, 0x7FFFFFFF, INT_MIN, 1000, Text("1"), 1}},
        {"damping 1e300", {4, 5, 7, 1000, Text("1e300"), 1}},
        {"damping -1e300", {4, 5, 7, 1000, Text("-1e300"), 1}},
        {"random, largest amplitudes", {0, 0x7FFFFFFF, INT_MIN, 1000, Text("1e300"), 1}},
        {"endless INT_MIN period", {INT_MIN, 0x7FFFFFFF, 0x7FFFFFFF, 0, 0, 1}},
    };
    for (const auto& r : rows) {
        Held t = Make(&CreateQuakeTransCallback, r.words);
        t->Update(0);
        for (std::uint32_t at : {125u, 333u, 700u}) {
            const Pixels drawn = DrawnAt(*t, at);
            const std::int32_t ox = Quake(t).OffsetX(), oy = Quake(t).OffsetY();
            EXPECT_LE(std::abs(ox), m_width + 1) << r.name << " at " << at;
            EXPECT_LE(std::abs(oy), m_height + 1) << r.name << " at " << at;
            EXPECT_EQ(drawn, Moved(ox, oy, 0)) << r.name << " at " << at;
        }
    }
    Held huge = Make(&CreateQuakeTransCallback, {4, 5, 7, 1000, Text("1e300"), 1});
    EXPECT_TRUE(std::isfinite(Quake(huge).Damping()));
    huge->Update(0);
    huge->Update(125);
    // 1 - (1 - damping) x 0.125 is far beyond the picture: held at its edge.
    EXPECT_EQ(Quake(huge).OffsetX(), m_width + 1);
    EXPECT_EQ(Quake(huge).OffsetY(), m_height + 1);
}

// ---------------------------------------------------------------------------------------------
// zoomflip, with the library's nearest rule: destination column i of a run of n drawn from a
// source span of s columns starting at l reads l + (i x floor(s x 65536 / n) >> 16).

std::int32_t Nearest(std::int32_t i, std::int32_t first, std::int32_t span, std::int32_t size) {
    return first + static_cast<std::int32_t>(
                       (std::int64_t{i} * (std::int64_t{span} * 65536 / size)) >> 16);
}

class ZoomFlipFilterTest : public ScreenFilterTest {
protected:
    // The picture squeezed into [x0, x0 + w) x [y0, y0 + h), whole.
    bool Squeezed(std::int32_t x, std::int32_t y, std::int32_t x0, std::int32_t y0,
                  std::int32_t w, std::int32_t h, Image& picture, std::uint32_t* out) {
        if (x < x0 || y < y0 || x >= x0 + w || y >= y0 + h) return false;
        *out = PixelAt(picture, Nearest(x - x0, 0, m_width, w), Nearest(y - y0, 0, m_height, h));
        return true;
    }
    // The centred part of relative size z / 256 stretched over the whole area.
    std::uint32_t Zoomed(std::int32_t x, std::int32_t y, Image& picture, std::int32_t z) {
        const std::int32_t w = std::max(1, m_width * z >> 8), h = std::max(1, m_height * z >> 8);
        return PixelAt(picture, Nearest(x, (m_width - w) >> 1, w, m_width),
                       Nearest(y, (m_height - h) >> 1, h, m_height));
    }
};

TEST_F(ZoomFlipFilterTest, SqueezingModesPushTheNewPictureIn) {
    for (std::int32_t mode : {0, 1, 2, 3}) {
        Held t = Make(&CreateZoomFlipTransCallback, {400, mode, 0});
        const std::int32_t range = mode % 2 == 0 ? m_width : m_height;
        EXPECT_EQ(static_cast<ZoomFlipTransCallback&>(*t).Range(), range);
        for (std::uint32_t at : {0u, 100u, 200u, 400u}) {
            const std::int32_t p = static_cast<std::int32_t>(at * range / 400);
            const Pixels drawn = DrawnAt(*t, 800 + at);
            const Pixels expected = Picture([&](std::int32_t x, std::int32_t y) {
                std::uint32_t v = transtest::kSentinel;
                const std::int32_t w = m_width, h = m_height;
                switch (mode) {
                    case 0:
                        Squeezed(x, y, 0, 0, p, h, m_to, &v) ||
                            Squeezed(x, y, p, 0, w - p, h, m_from, &v);
                        break;
                    case 1:
                        Squeezed(x, y, 0, 0, w, p, m_to, &v) ||
                            Squeezed(x, y, 0, p, w, h - p, m_from, &v);
                        break;
                    case 2:
                        Squeezed(x, y, 0, 0, w - p, h, m_from, &v) ||
                            Squeezed(x, y, w - p, 0, p, h, m_to, &v);
                        break;
                    default:
                        Squeezed(x, y, 0, 0, w, h - p, m_from, &v) ||
                            Squeezed(x, y, 0, h - p, w, p, m_to, &v);
                        break;
                }
                return v;
            });
            EXPECT_EQ(drawn, expected) << "mode " << mode << " at " << at;
        }
    }
}

TEST_F(ZoomFlipFilterTest, ZoomModesStretchTheCentredRectangles) {
    Held t = Make(&CreateZoomFlipTransCallback, {400, 4, 0});
    for (std::uint32_t at : {0u, 100u, 200u, 300u, 400u}) {
        const std::int32_t p = static_cast<std::int32_t>(at * 512 / 400);
        const bool first = p <= 256;
        const std::int32_t z = first ? (p == 256 ? 1 : 256 - p) : p - 256;
        const Pixels drawn = DrawnAt(*t, 800 + at);
        EXPECT_EQ(drawn, Picture([&](std::int32_t x, std::int32_t y) {
                      return Zoomed(x, y, first ? m_from : m_to, z);
                  }))
            << "at " << at;
    }
}

TEST_F(ZoomFlipFilterTest, Mode5DrawsNothingWhileProgressStandsAndLeavesTrails) {
    Held t = Make(&CreateZoomFlipTransCallback, {400, 5, 0});
    EXPECT_EQ(DrawnAt(*t, 800), PixelsOf(m_from));
    // The same progress again: nothing drawn.
    EXPECT_EQ(DrawnAt(*t, 800), Pixels(m_width * m_height, transtest::kSentinel));
    // Later frames blend at opacity 8 over what is there: a little of the new frame shows.
    t->Update(900);
    m_target.Blit(&m_from, 0, 0, nullptr, false);
    ASSERT_EQ(DrawWhole(*t), 0);
    Image expected;
    ASSERT_EQ(expected.CopyFrom(&m_from, 0), 0);
    auto stretch =
        BoundLibraryOp<pixelops::StretchBlendRectOp>(pixelops::kWordStretchBlendRect);
    const std::int32_t size[2] = {m_width, m_height};
    const RECT centre = {4, 2, 12, 6};  // z 128
    stretch(pixelops::StretchBlendParams{&expected, &m_from, size, 0, 0, &centre, 0, 0, 8, 0});
    EXPECT_EQ(PixelsOf(m_target), PixelsOf(expected));
    EXPECT_NE(PixelsOf(m_target), PixelsOf(m_from));
    // The last frame at full opacity: the new picture exactly.
    EXPECT_EQ(DrawnAt(*t, 1200), PixelsOf(m_to));
}

TEST_F(ZoomFlipFilterTest, Mode6ZoomsOutOfTheCentreFadingInAtTheProgress) {
    Held t = Make(&CreateZoomFlipTransCallback, {400, 6, 0});
    t->Update(800);
    auto stretch =
        BoundLibraryOp<pixelops::StretchBlendRectOp>(pixelops::kWordStretchBlendRect);
    for (std::uint32_t at : {100u, 200u, 300u}) {
        const std::int32_t p = static_cast<std::int32_t>(at * 256 / 400);
        const Pixels drawn = DrawnAt(*t, 800 + at);
        // Over the old picture, the centred part of the new one at opacity p.
        Image expected;
        ASSERT_EQ(expected.CopyFrom(&m_from, 0), 0);
        const std::int32_t w = m_width * p >> 8, h = m_height * p >> 8;
        const RECT centre = {(m_width - w) >> 1, (m_height - h) >> 1,
                             ((m_width - w) >> 1) + w, ((m_height - h) >> 1) + h};
        const std::int32_t size[2] = {m_width, m_height};
        stretch(pixelops::StretchBlendParams{&expected, &m_to, size, 0, 0, &centre, 0, 0, p, 0});
        EXPECT_EQ(drawn, PixelsOf(expected)) << at;
        EXPECT_NE(drawn, PixelsOf(m_from)) << at;
    }
}

// ---------------------------------------------------------------------------------------------
// rotcenter

TEST_F(ScreenFilterTest, RotCenterTurnsTheCornersClockwiseAboutTheCentre) {
    ASSERT_TRUE(m_tables.BuildFloatCosTable());
    double c[6];
    // A quarter turn of the 4 x 2 rectangle at (6, 3) in 16 x 8 about (8, 4): the top-left
    // edge corner (6, 3) goes to (9, 2), the top-right (10, 3) to (9, 6), the bottom-left
    // (6, 5) to (7, 2); then half a pixel up and left as pixel centres.
    RotCenterTransCallback::TurnedCorners(128, 0, 0, 16, 8, c);
    const double expected[6] = {8.5, 1.5, 8.5, 5.5, 6.5, 1.5};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(c[i], expected[i], 1e-9) << i;
    // Full size at angle 0 is the identity.
    RotCenterTransCallback::TurnedCorners(512, 3, 2, 16, 8, c);
    const double identity[6] = {2.5, 1.5, 18.5, 1.5, 2.5, 9.5};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(c[i], identity[i], 1e-9) << i;
}

TEST_F(ScreenFilterTest, RotCenterSpinsTheNewPictureInOverTheOld) {
    Held t = Make(&CreateRotCenterTransCallback, {400, 0, 0});
    EXPECT_EQ(DrawnAt(*t, 0), PixelsOf(m_from));
    // Progress 128: the turned 4 x 2 rectangle covers columns 7-8 of rows 2-5.
    const Pixels drawn = DrawnAt(*t, 100);
    for (std::int32_t y = 0; y < m_height; ++y)
        for (std::int32_t x = 0; x < m_width; ++x) {
            const bool inside = x >= 7 && x <= 8 && y >= 2 && y <= 5;
            const std::uint32_t v = drawn[y * m_width + x];
            if (inside)
                EXPECT_EQ(v >> 24, transtest::kToTop) << x << "," << y;
            else
                EXPECT_EQ(v, From(x, y)) << x << "," << y;
        }
    EXPECT_EQ(DrawnAt(*t, 400), PixelsOf(m_to));
}

TEST_F(ScreenFilterTest, RotCenterMode1ShrinksTheOldPictureBackAndMode2LeavesTrails) {
    Held out = Make(&CreateRotCenterTransCallback, {400, 1, 0});
    EXPECT_EQ(DrawnAt(*out, 0), PixelsOf(m_from));
    // Three quarters of the size, turned back by a quarter: upright 6 x 12 about (8, 4).
    const Pixels shrinking = DrawnAt(*out, 100);
    EXPECT_EQ(shrinking[0], To(0, 0));
    EXPECT_EQ(shrinking[m_width - 1], To(m_width - 1, 0));
    EXPECT_EQ(shrinking[4 * m_width + 8] >> 24, transtest::kFromTop);
    EXPECT_EQ(DrawnAt(*out, 400), PixelsOf(m_to));

    Held trails = Make(&CreateRotCenterTransCallback, {400, 2, 0});
    EXPECT_EQ(DrawnAt(*trails, 0), PixelsOf(m_from));
    // The same progress again: nothing.
    EXPECT_EQ(DrawnAt(*trails, 0), Pixels(m_width * m_height, transtest::kSentinel));
    // Later: no background, the spinning picture at opacity 16.
    trails->Update(300);
    m_target.Blit(&m_from, 0, 0, nullptr, false);
    ASSERT_EQ(DrawWhole(*trails), 0);
    Image expected;
    ASSERT_EQ(expected.CopyFrom(&m_from, 0), 0);
    auto affine = BoundLibraryOp<pixelops::AffineBlendRectOp>(pixelops::kWordAffineBlendRect);
    double c[6];
    RotCenterTransCallback::TurnedCorners(384, 0, 0, m_width, m_height, c);
    const pixelops::AffineBlendPoints points{c[0], c[1], c[2], c[3], c[4], c[5]};
    const RECT whole = {0, 0, m_width, m_height};
    affine(&expected, &m_to, &points, &whole, 0, 0, 16, 0, 0, 0, &whole);
    EXPECT_EQ(PixelsOf(m_target), PixelsOf(expected));
    EXPECT_NE(PixelsOf(m_target), PixelsOf(m_from));
    EXPECT_EQ(DrawnAt(*trails, 400), PixelsOf(m_to));
}

// ---------------------------------------------------------------------------------------------
// addsub

TEST_F(ScreenFilterTest, AddSubWashesPerChannelWithSaturationKeepingAlpha) {
    for (std::int32_t mode : {0, 1, 2, 3}) {
        Held t = Make(&CreateAddSubTransCallback, {400, mode});
        for (std::uint32_t at : {0u, 201u, 400u}) {
            const std::int32_t p = static_cast<std::int32_t>(at * 255 / 400);
            const Pixels drawn = DrawnAt(*t, 600 + at);
            const bool incoming = (mode & 1) != 0;
            const std::int32_t level = incoming ? 255 - p : p;
            const Pixels expected = Picture([&](std::int32_t x, std::int32_t y) {
                if (p == 255) return To(x, y);
                const std::uint32_t v = incoming ? To(x, y) : From(x, y);
                std::uint32_t out = v & 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8) {
                    const std::int32_t ch = (v >> shift) & 0xFF;
                    const std::int32_t r = std::clamp(mode >= 2 ? ch - level : ch + level, 0, 255);
                    out |= static_cast<std::uint32_t>(r) << shift;
                }
                return out;
            });
            EXPECT_EQ(drawn, expected) << "mode " << mode << " at " << at;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// hblur

// The box average of radius r along row y of the picture, edge pixels repeated.
std::uint32_t Box(Image& picture, std::int32_t x, std::int32_t y, std::int32_t r) {
    const std::int64_t factor = 65536 / (2 * r + 1);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        std::int64_t sum = 0;
        for (std::int32_t k = x - r; k <= x + r; ++k)
            sum += (PixelAt(picture, std::clamp(k, 0, picture.Width() - 1), y) >> shift) & 0xFF;
        out |= static_cast<std::uint32_t>((sum * factor + 32768) >> 16) << shift;
    }
    return out;
}

TEST_F(ScreenFilterTest, HBlurMode0BlursTheOldPictureOutAndTheNewOneIn) {
    Held t = Make(&CreateHBlurTransCallback, {500, 0, 2});
    // Range 5: levels 0, 1, 2 of the old picture, then 2, 1, 0 of the new one.
    const struct {
        std::uint32_t at;
        bool from;
        std::int32_t level;
    } frames[] = {{0, true, 0}, {100, true, 1}, {200, true, 2}, {300, false, 2},
                  {400, false, 1}, {500, false, 0}};
    for (const auto& f : frames) {
        const Pixels drawn = DrawnAt(*t, 50 + f.at);
        Image& picture = f.from ? m_from : m_to;
        EXPECT_EQ(drawn, Picture([&](std::int32_t x, std::int32_t y) {
                      return f.level == 0 ? PixelAt(picture, x, y) : Box(picture, x, y, f.level);
                  }))
            << f.at;
    }
    EXPECT_EQ(t->Status(), -1);
}

TEST_F(ScreenFilterTest, HBlurCrossfadesAtLevel0AndBlendsTheBlurredNewPictureOtherwise) {
    Held t = Make(&CreateHBlurTransCallback, {255, 1, 2});
    auto crossfade = BoundLibraryOp<pixelops::CrossfadeRectOp>(pixelops::kWordCrossfadeRect);
    t->Update(1000);
    // Level = 2 x progress / 127: 0 below 64.
    for (std::uint32_t p : {30u, 100u, 200u}) {
        const Pixels drawn = DrawnAt(*t, 1000 + p);
        const std::int32_t level = 2 * static_cast<std::int32_t>(p < 128 ? p : 255 - p) / 127;
        Image expected;
        ASSERT_EQ(expected.CopyFrom(&m_from, 0), 0);
        if (level == 0) {
            crossfade(&expected, &m_from, &m_to, p, 0, 0, 0, m_width, m_height, 0, 0, 0, 0);
            EXPECT_EQ(drawn, PixelsOf(expected)) << p;
            continue;
        }
        // Towards the average by p + 1 / 256, alpha kept.
        for (std::int32_t y = 0; y < m_height; ++y)
            for (std::int32_t x = 0; x < m_width; ++x) {
                const std::uint32_t d = From(x, y), s = Box(m_to, x, y, level);
                std::uint32_t v = d & 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8) {
                    const std::int32_t a = (d >> shift) & 0xFF, b = (s >> shift) & 0xFF;
                    const std::int32_t c = a + static_cast<std::int32_t>(std::floor(
                                                   (b - a) * static_cast<double>(p + 1) / 256));
                    v |= static_cast<std::uint32_t>(c) << shift;
                }
                reinterpret_cast<std::uint32_t*>(expected.Row(y))[x] = v;
            }
        EXPECT_EQ(drawn, PixelsOf(expected)) << p;
    }
    // A crossfade the library does not draw (nothing of the new picture inside) answers 5.
    Held refused = Make(&CreateHBlurTransCallback, {255, 1, 2});
    refused->Update(0);
    refused->Update(10);
    const TransitionBlit b{0, 0, m_width, m_height, &m_target, 0, 0, &m_from, 0, 0, &m_to, 1000, 0};
    EXPECT_EQ(refused->Draw(&b), 5);
}

// ---------------------------------------------------------------------------------------------
// Without the library

TEST_F(ScreenFilterTest, WithoutThePixelLibrarySetupRefusesAndDrawDrawsNothing) {
    const struct {
        const char* name;
        TransCreateFunc create;
        std::vector<std::int32_t> words;
    } needing[] = {
        {"zoomflip", &CreateZoomFlipTransCallback, {400, 0, 0}},
        {"zoomflip 6", &CreateZoomFlipTransCallback, {400, 6, 0}},
        {"rotcenter", &CreateRotCenterTransCallback, {400, 0, 0}},
        {"quake filling", &CreateQuakeTransCallback, {4, 5, 0, 400, 0, 1}},
        {"hblur crossfading", &CreateHBlurTransCallback, {400, 1, 3}},
    };
    std::vector<Held> made;
    for (const auto& n : needing) {
        made.push_back(Make(n.create, n.words));
        made.back()->Update(100);
    }
    UnloadLibrary();
    for (std::size_t i = 0; i < made.size(); ++i) {
        made[i]->Update(150);
        ResetTarget();
        EXPECT_EQ(DrawWhole(*made[i]), 5) << needing[i].name;
        EXPECT_EQ(PixelsOf(m_target), Pixels(m_width * m_height, transtest::kSentinel))
            << needing[i].name;
        Held fresh(needing[i].create(0));
        std::vector<std::int32_t> words = needing[i].words;
        words.resize(8, 0);
        EXPECT_EQ(fresh->Setup(&m_screen, words.data()), 5) << needing[i].name;
    }
    // The ones that copy and add with the program's own kernels run on.
    const struct {
        const char* name;
        TransCreateFunc create;
        std::vector<std::int32_t> words;
    } own[] = {
        {"quake unfilled", &CreateQuakeTransCallback, {4, 5, 0, 400, 0, 0}},
        {"addsub", &CreateAddSubTransCallback, {400, 2}},
        {"hblur 0", &CreateHBlurTransCallback, {400, 0, 3}},
    };
    for (const auto& o : own) {
        Held t = Make(o.create, o.words);
        t->Update(0);
        EXPECT_EQ(DrawnAt(*t, 400), o.create == &CreateQuakeTransCallback ? PixelsOf(m_from)
                                                                          : PixelsOf(m_to))
            << o.name;
    }
}

// ---------------------------------------------------------------------------------------------
// Registration and the present

TEST_F(ScreenFilterTest, RegisteredInOrderWithTheirKindsAndOnlyRippleHasHooks) {
    TransitionRegistry registry;
    ASSERT_EQ(RegisterScreenFilters(registry), 0);
    const char* names[] = {"quake", "zoomflip", "rotcenter", "addsub", "hblur", "ripple"};
    const std::uint8_t kinds[] = {2, 1, 1, 0, 1, 0};
    ASSERT_EQ(registry.Entries().size(), 6u);
    for (int i = 0; i < 6; ++i) {
        const TransitionEntry& e = registry.Entries()[i];
        EXPECT_STREQ(e.name, names[i]);
        EXPECT_EQ(e.category, kinds[i]) << names[i];
        EXPECT_EQ(e.createArgument, 0);
        EXPECT_EQ(e.init != nullptr, i == 5) << names[i];
        EXPECT_EQ(e.exit != nullptr, i == 5) << names[i];
        Held made(e.create(0));
        ASSERT_NE(made.callback, nullptr);
        EXPECT_STREQ(made->Name(), names[i]);
        EXPECT_EQ(made->Kind(), kinds[i]) << names[i];
        EXPECT_EQ(made->Control(0, 0), -2);
    }
    TransCallback* made = registry.CreateByNameAndSetup(&m_screen, "addsub", 300, 1);
    ASSERT_NE(made, nullptr);
    ReleaseObject(made);
    EXPECT_EQ(registry.CreateByNameAndSetup(&m_screen, "zoomflip", 300, 7, 0), nullptr);
}

TEST_F(ScreenFilterTest, TheGeneratorSettersHoldWhatTheyAreGiven) {
    SubtractiveRandom other;
    SetZoomFlipTransRandom(&other);
    EXPECT_EQ(ZoomFlipTransRandom(), &other);
    SetZoomFlipTransRandom(nullptr);
    EXPECT_EQ(QuakeTransRandom(), &m_random);
}

TEST_F(ScreenFilterTest, AllSixRunThroughTheScreenPresent) {
    GdiScreen screen, other;
    ASSERT_EQ(screen.Create(320, 24, 32, 1), 0);
    ASSERT_EQ(other.Create(320, 24, 32, 1), 0);
    ASSERT_EQ(screen.SetAlternate(&other), 0);
    Image fromPicture, toPicture;
    ASSERT_TRUE(testsupport::CodedPicture(fromPicture, 320, 24, 0xFF));
    ASSERT_TRUE(testsupport::CodedPicture(toPicture, 320, 24, 0xEE));
    const struct {
        TransCreateFunc create;
        std::vector<std::int32_t> words;
        bool endsOnFrom;  // a filter: the current picture, unmoved
        std::int32_t tolerance;
    } runs[] = {
        {&CreateQuakeTransCallback, {4, 8, 3, 1, 0, 1}, true, 0},
        {&CreateZoomFlipTransCallback, {1, 0, 0}, false, 0},
        {&CreateRotCenterTransCallback, {1, 0, 0}, false, 0},
        {&CreateAddSubTransCallback, {1, 1}, false, 0},
        {&CreateHBlurTransCallback, {1, 0, 4}, false, 0},
        {&CreateRippleTransCallback, {1, -1, -1, 16, 0, 0, 8}, false, 1},
    };
    for (const auto& run : runs) {
        screen.GetImage()->Blit(&fromPicture, 0, 0, nullptr, false);
        other.GetImage()->Blit(&toPicture, 0, 0, nullptr, false);
        Image window;
        ASSERT_TRUE(screentest::SentinelPicture(window, 320, 24));
        TransCallback* t = run.create(0);
        std::vector<std::int32_t> words = run.words;
        words.resize(8, 0);
        ASSERT_EQ(t->Setup(&screen, words.data()), 0) << t->Name();
        const std::string name = t->Name();
        ASSERT_EQ(screen.BeginTransition(t, kTransitionPictures, false, false), 0) << name;
        auto colours = [](Pixels p) {
            for (std::uint32_t& v : p) v &= 0xFFFFFF;
            return p;
        };
        // The first frame shows the start; with a duration of 1 ms every later one the end.
        ASSERT_EQ(screen.Present(nullptr, window.MemoryDc(), nullptr, 0, false), 0) << name;
        if (name != "quake") {
            const Pixels start = colours(PixelsOf(window));
            const Pixels white(start.size(), 0xFFFFFF);
            EXPECT_EQ(start, name == "addsub" ? white : colours(PixelsOf(fromPicture))) << name;
        }
        for (int frame = 0; frame < 100 && screen.InTransition(); ++frame)
            screen.Present(nullptr, window.MemoryDc(), nullptr, 0, false);
        EXPECT_FALSE(screen.InTransition()) << name;
        const Pixels shown = colours(PixelsOf(window));
        const Pixels expected = colours(PixelsOf(run.endsOnFrom ? fromPicture : toPicture));
        ASSERT_EQ(shown.size(), expected.size());
        std::int32_t worst = 0;
        for (std::size_t i = 0; i < shown.size(); ++i)
            for (int shift = 0; shift < 24; shift += 8)
                worst = std::max(worst, std::abs(static_cast<std::int32_t>((shown[i] >> shift) & 0xFF) -
                                                 static_cast<std::int32_t>((expected[i] >> shift) & 0xFF)));
        EXPECT_LE(worst, run.tolerance) << name;
    }
    RippleReleaseTables();
}

}  // namespace
