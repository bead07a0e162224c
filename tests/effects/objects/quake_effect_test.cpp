#include "effects/objects/quake_effect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/effects/screen_effect_fixture.h"

namespace effecttest {
namespace {

constexpr double kPi = 3.14159265358979323846;

class QuakeTest : public ScreenEffectTest {
protected:
    // Sets a quake up on screen 0 through the variadic form; the effect's handle variable is
    // m_handle.
    std::int32_t Start(std::int32_t wave, std::int32_t ax, std::int32_t ay, std::uint32_t duration,
                       const char* endScale, bool fill, bool shake0, bool shake1, bool count) {
        m_base = m_clock.Milliseconds() + 1000;
        m_quake = new QuakeEffect;
        const std::int32_t code = m_quake->SetupV(&m_scheduler, &m_screen[0], wave, ax, ay,
                                                  duration, TextWord(endScale), fill ? 1 : 0,
                                                  shake0 ? 1 : 0, shake1 ? 1 : 0, count ? 1 : 0);
        if (code == 0) {
            m_handle = m_quake;
            m_quake->SetOwner(&m_handle);
        } else {
            ReleaseObject(m_quake);
            m_quake = nullptr;
        }
        return code;
    }
    // Times count from shortly after the last Start.
    void StepAt(std::uint32_t time) {
        m_clock.SetMs(m_base + time);
        m_scheduler.RunDue(m_base + time);
    }
    void ExpectShows(int n, std::int32_t sx, std::int32_t sy) {
        const POINT p = SourcePosition(n);
        EXPECT_EQ(sx, p.x);
        EXPECT_EQ(sy, p.y);
        EXPECT_EQ(Shifted(n, sx, sy), Rendered(n));
    }

    QuakeEffect* m_quake = nullptr;
    EffectObject* m_handle = nullptr;
    std::uint32_t m_base = 0;
};

// The shake of a sine wave written out from the description: the half waves times 256 over the
// duration give a phase in 512 steps a turn; the sine in 16.16 scales the truncated amplitude.
std::int32_t WaveOffset(std::int32_t halfWaves, std::int32_t amplitude, double endScale,
                        std::uint32_t duration, std::uint32_t elapsed) {
    const double t = static_cast<double>(elapsed) / duration;
    const std::int64_t phase = static_cast<std::int64_t>(halfWaves * 256.0 * t);
    const std::int64_t s = static_cast<std::int64_t>(std::sin(phase * kPi / 256.0) * 65536.0);
    const double f = 1.0 - t * (1.0 - endScale);
    return static_cast<std::int32_t>(f * static_cast<double>((amplitude * s) >> 16));
}

TEST_F(QuakeTest, OneHalfWaveOverTheDurationScaledTowardsTheEndScale) {
    for (const char* endScale : {"1", "0.5"}) {
        SCOPED_TRACE(endScale);
        const double scale = std::atof(endScale);
        ASSERT_EQ(0, Start(1, 40, 20, 1000, endScale, false, true, true, true));
        EXPECT_EQ(1, m_hooks.started);
        for (std::uint32_t t : {0u, 250u, 500u, 999u}) {
            SCOPED_TRACE(t);
            StepAt(5000 + t);
            const std::int32_t dx = WaveOffset(1, 40, scale, 1000, t);
            const std::int32_t dy = WaveOffset(1, 20, scale, 1000, t);
            ASSERT_NE(nullptr, m_handle);
            for (int n = 0; n < 2; ++n) ExpectShows(n, 50 - dx, 30 - dy);
            if (t == 500) {
                // The full amplitude mid-way only without scaling down.
                EXPECT_EQ(scale == 1.0 ? 40 : 30, dx);
            }
        }
        StepAt(6000);
        EXPECT_EQ(nullptr, m_handle);
        for (int n = 0; n < 2; ++n) ExpectShows(n, 50, 30);
        EXPECT_EQ(m_hooks.started, m_hooks.ended);
        m_hooks.started = m_hooks.ended = 0;
    }
}

TEST_F(QuakeTest, OnlyTheChosenCanvasShakes) {
    ASSERT_EQ(0, Start(1, 40, 20, 1000, nullptr, false, false, true, false));
    StepAt(0);
    StepAt(500);
    ExpectShows(0, 50, 30);
    const POINT p = SourcePosition(1);
    EXPECT_NE(50, p.x);
    EXPECT_EQ(0, m_hooks.started);
}

TEST_F(QuakeTest, HalfWavesTimes256DoNotWrapIntoRandomJitter) {
    // 0x01000000 half waves: times 256 is 2^32, which is 0 in 32 bits, random jitter that
    // would draw from the generator. The wave draws nothing.
    ASSERT_EQ(0, Start(0x01000000, 40, 20, 1000, "1", false, true, false, false));
    const std::uint16_t index = m_random.Index();
    for (std::uint32_t t : {0u, 1u, 3u, 7u}) {
        SCOPED_TRACE(t);
        StepAt(t);
        ExpectShows(0, 50 - WaveOffset(0x01000000, 40, 1.0, 1000, t),
                    30 - WaveOffset(0x01000000, 20, 1.0, 1000, t));
    }
    EXPECT_EQ(index, m_random.Index());
    EXPECT_NE(50, SourcePosition(0).x);
}

TEST_F(QuakeTest, RandomJitterPutsTheLargerAxisOnAlternateSides) {
    struct Case {
        std::int32_t ax;
        std::int32_t ay;
    } cases[] = {{30, 4}, {4, 30}, {10, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.ax) + " x " + std::to_string(c.ay));
        ASSERT_EQ(0, Start(0, c.ax, c.ay, 0, nullptr, false, true, false, false));
        bool sign = false;
        int positive = 0;
        int negative = 0;
        for (std::uint32_t step = 0; step < 12; ++step) {
            StepAt(100 + step * 16);
            const double ax = c.ax;
            const double ay = c.ay;
            const double r1 = m_twin.Next() * 1e-9;
            const double r2 = m_twin.Next() * 1e-9;
            std::int32_t dx;
            std::int32_t dy;
            if (c.ax == c.ay) {
                dx = static_cast<std::int32_t>(r1 * ax - ax / 2);
                dy = static_cast<std::int32_t>(r2 * ay - ay / 2);
            } else if (c.ax < c.ay) {
                dx = static_cast<std::int32_t>(r1 * ax - ax / 2);
                dy = static_cast<std::int32_t>(sign ? r2 * ay : -r2 * ay);
            } else {
                dx = static_cast<std::int32_t>(sign ? r1 * ax : -r1 * ax);
                dy = static_cast<std::int32_t>(r2 * ay - ay / 2);
            }
            sign = !sign;
            const POINT p = SourcePosition(0);
            ASSERT_EQ(50 - dx, p.x);
            ASSERT_EQ(30 - dy, p.y);
            if (c.ax != c.ay) {
                const std::int32_t larger = c.ax > c.ay ? 50 - p.x : 30 - p.y;
                // Even steps push the larger axis one way (the source moves the other way).
                if (step % 2 == 0)
                    EXPECT_LE(larger, 0);
                else
                    EXPECT_GE(larger, 0);
                positive += larger > 0;
                negative += larger < 0;
            }
        }
        if (c.ax != c.ay) {
            EXPECT_GT(positive, 0);
            EXPECT_GT(negative, 0);
        }
        m_scheduler.Cancel(m_quake);
        StepAt(10000);
        EXPECT_EQ(nullptr, m_handle);
        ExpectShows(0, 50, 30);
    }
}

TEST_F(QuakeTest, StopRequests) {
    // With a duration a stop means nothing: the shake runs its time.
    ASSERT_EQ(0, Start(0, 8, 8, 1000, nullptr, false, true, false, false));
    StepAt(0);
    EXPECT_EQ(0, m_quake->ChangeParamsV(0));
    StepAt(500);
    EXPECT_NE(nullptr, m_handle);
    StepAt(1000);
    EXPECT_EQ(nullptr, m_handle);
    ExpectShows(0, 50, 30);

    // Waves of 1000 ms: the stop waits for the end of the current wave.
    ASSERT_EQ(0, Start(1000, 40, 0, 0, nullptr, false, true, false, false));
    StepAt(2000);
    StepAt(2250);
    // elapsed / W in reals: a quarter wave is at the full amplitude.
    EXPECT_EQ(50 - 39, SourcePosition(0).x);  // phase 127 of 511
    const std::int32_t stop[1] = {0};
    EXPECT_EQ(0, m_quake->ChangeParams(stop));
    StepAt(2500);
    StepAt(2999);
    EXPECT_NE(nullptr, m_handle);
    StepAt(3000);
    EXPECT_EQ(nullptr, m_handle);
    ExpectShows(0, 50, 30);

    // A nonzero word 0 asks nothing.
    ASSERT_EQ(0, Start(0, 8, 8, 0, nullptr, false, true, false, false));
    StepAt(4000);
    EXPECT_EQ(0, m_quake->ChangeParamsV(1));
    StepAt(4100);
    EXPECT_NE(nullptr, m_handle);
    // Random jitter stops at the next step.
    EXPECT_EQ(0, m_quake->ChangeParamsV(0));
    StepAt(4116);
    EXPECT_EQ(nullptr, m_handle);
    ExpectShows(0, 50, 30);
}

TEST_F(QuakeTest, FillModeDrawsTheShiftedSourceWithFilledStrips) {
    // The quake's shift of the source is minus its offset: amplitudes (3, -2) at the middle of
    // one half wave move the source by (-3, 2); (-(w + 5), 0) by w + 5, past the picture.
    struct Case {
        std::int32_t ax;
        std::int32_t ay;
        std::int32_t shiftX;
        std::int32_t shiftY;
    } cases[] = {{3, -2, -3, 2}, {-(kWidth + 100 + 5), 0, kWidth + 100 + 5, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.shiftX) + ", " + std::to_string(c.shiftY));
        // The background at source position 0.
        for (int n = 0; n < 2; ++n) ASSERT_TRUE(CanvasOf(n)->SetSource(&m_background[n], 0, 0, true));
        ASSERT_EQ(0, Start(1, c.ax, c.ay, 1000, "1", true, true, true, false));
        for (int n = 0; n < 2; ++n) {
            ASSERT_NE(nullptr, CanvasOf(n)->Scaled());
            // The new cache shows the picture unmoved until the first step.
            EXPECT_EQ(Shifted(n, 0, 0), Rendered(n));
        }
        StepAt(0);
        StepAt(500);
        const std::int32_t w = m_background[0].Width();
        const std::int32_t h = m_background[0].Height();
        for (int n = 0; n < 2; ++n) {
            std::vector<std::uint32_t> expected;
            for (std::int32_t y = 0; y < kHeight; ++y) {
                for (std::int32_t x = 0; x < kWidth; ++x) {
                    const std::int32_t sx = x + c.shiftX;
                    const std::int32_t sy = y + c.shiftY;
                    const bool inside = sx >= 0 && sy >= 0 && sx < w && sy < h;
                    expected.push_back(inside ? BackgroundPixel(n, sx, sy) : kFill[n]);
                }
            }
            EXPECT_EQ(expected, Rendered(n));
            // The source position itself never moves in fill mode.
            EXPECT_EQ(0, SourcePosition(n).x);
        }
        StepAt(1000);
        EXPECT_EQ(nullptr, m_handle);
        for (int n = 0; n < 2; ++n) {
            EXPECT_EQ(nullptr, CanvasOf(n)->Scaled());
            ExpectShows(n, 0, 0);
        }
    }
}

TEST_F(QuakeTest, CancelRestoresPositionsAndDropsTheCache) {
    for (bool fill : {false, true}) {
        SCOPED_TRACE(fill ? "fill" : "plain");
        ASSERT_EQ(0, Start(4, 12, 7, 1000, nullptr, fill, true, true, true));
        StepAt(0);
        StepAt(100);
        EXPECT_NE(Shifted(0, 50, 30), Rendered(0));
        EXPECT_TRUE(m_scheduler.Cancel(m_quake));
        StepAt(200);
        EXPECT_EQ(nullptr, m_handle);
        for (int n = 0; n < 2; ++n) {
            EXPECT_EQ(nullptr, CanvasOf(n)->Scaled());
            ExpectShows(n, 50, 30);
        }
        EXPECT_EQ(m_hooks.started, m_hooks.ended);
    }
}

TEST_F(QuakeTest, SetupRefusals) {
    const std::int32_t words[9] = {1, 4, 4, 1000, 0, 0, 1, 1, 1};
    struct Case {
        const char* what;
        bool random;
        bool scheduler;
        bool linked;
        bool params;
        std::int32_t code;
    } cases[] = {{"no generator", false, true, true, true, 5},
                 {"no scheduler", true, false, true, true, 1},
                 {"no linked screen", true, true, false, true, 1},
                 {"no parameters", true, true, true, false, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetEffectRandom(c.random ? &m_random : nullptr);
        ASSERT_EQ(0, m_screen[0].SetAlternate(c.linked ? &m_screen[1] : nullptr));
        auto* quake = new QuakeEffect;
        EXPECT_EQ(c.code, quake->Setup(c.scheduler ? &m_scheduler : nullptr, &m_screen[0],
                                       c.params ? words : nullptr));
        ReleaseObject(quake);
        EXPECT_EQ(0, m_scheduler.TaskCount());
        EXPECT_EQ(0, m_hooks.started);
        EXPECT_EQ(0, m_hooks.ended);
    }
}

}  // namespace
}  // namespace effecttest
