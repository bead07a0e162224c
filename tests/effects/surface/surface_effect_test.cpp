#include "effects/surface/surface_effect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/interfaces/task_scheduling.h"
#include "graphics/image/image.h"
#include "tests/effects/busy_hooks.h"
#include "tests/support/coded_picture.h"
#include "tests/support/fake_clock.h"

namespace {

using testsupport::CodedPixel;
using testsupport::PixelAt;

// The destination: 80 x 50, every pixel its own value, recording dirty rectangles.
void MakeDestination(Image& image) {
    ASSERT_EQ(0, image.Create(80, 50, 32, kImageDirtyRegion));
    for (std::int32_t y = 0; y < 50; ++y) {
        for (std::int32_t x = 0; x < 80; ++x) {
            image.SetPixel(x, y, 0x30000000u | (x * 3) << 16 | (y * 5) << 8 | (x + y));
        }
    }
}

// The source: 64 x 40 coded pixels with alpha 0x80, so that a pixel read from outside the
// source rectangle, or blended twice, shows.
void MakeSource(Image& image) { ASSERT_TRUE(testsupport::CodedPicture(image, 64, 40, 0x80)); }

// The first differing pixel, or an empty text.
std::string FirstDifference(Image& actual, Image& expected) {
    for (std::int32_t y = 0; y < expected.Height(); ++y) {
        for (std::int32_t x = 0; x < expected.Width(); ++x) {
            if (PixelAt(actual, x, y) != PixelAt(expected, x, y)) {
                char text[96];
                std::snprintf(text, sizeof(text), "(%d, %d): %08x, expected %08x", x, y,
                              PixelAt(actual, x, y), PixelAt(expected, x, y));
                return text;
            }
        }
    }
    return {};
}

struct EffectRig {
    // Declared first, so that the scheduler's deletions still reach the counters.
    effecttest::BusyHooks hooks;
    testsupport::FakeClock clock{5000};
    TaskScheduler scheduler{clock};
    SurfaceEffectFactory factory{clock};
    EffectRig() { factory.SetScheduler(&scheduler); }

    // Steps the clock until the scheduler has dropped every effect; with a pause, the
    // scheduler is paused after the third step for 45 ms. Returns the number of runs.
    int RunToEnd(std::uint32_t step, bool pause) {
        int runs = 0;
        while (scheduler.TaskCount() > 0 && runs < 2000) {
            clock.AdvanceMs(step);
            scheduler.RunDue(0);
            ++runs;
            if (pause && runs == 3) {
                scheduler.PauseKind(-1);
                clock.AdvanceMs(45);
                scheduler.RunDue(0);
                scheduler.ResumeKind(-1);
            }
        }
        return runs;
    }
};

struct Size {
    std::int32_t w, h;
};
constexpr Size kSizes[] = {{37, 19}, {40, 24}, {37, 24}, {40, 19}, {5, 5}, {1, 1}};
struct Clocking {
    std::uint32_t step;
    bool pause;
};
constexpr Clocking kClockings[] = {{1, false}, {7, false}, {33, false}, {7, true}};

TEST(SurfaceEffectEnd, SourceKindsEndAsOneDrawOfTheSourceRectangleAndNothingElse) {
    Image source;
    MakeSource(source);
    for (std::uint32_t kind : {2u, 3u, 4u, 5u, 6u, 7u, 14u, 15u, 16u, 17u, 18u, 19u, 20u, 21u}) {
        for (const Size& size : kSizes) {
            for (const Clocking& clocking : kClockings) {
                for (std::uint8_t mode : {0, 1}) {
                    SCOPED_TRACE(testing::Message() << "kind " << kind << ", " << size.w << " x "
                                                    << size.h << ", step " << clocking.step
                                                    << (clocking.pause ? " paused" : "")
                                                    << ", mode " << int(mode));
                    EffectRig setup;
                    Image destination, expected;
                    MakeDestination(destination);
                    MakeDestination(expected);
                    const RECT rect = {9, 6, 9 + size.w, 6 + size.h};
                    if (mode) {
                        expected.AlphaBlend(&source, 11, 4, &rect, false);
                    } else {
                        expected.Blit(&source, 11, 4, &rect, false);
                    }
                    SurfaceEffect* effect = setup.factory.Create(
                        kind, 100, &destination, &source, 11, 4, mode, 9, 6,
                        static_cast<std::uint32_t>(size.w), static_cast<std::uint32_t>(size.h),
                        0);
                    ASSERT_NE(nullptr, effect);
                    setup.RunToEnd(clocking.step, clocking.pause);
                    ASSERT_EQ(0, setup.scheduler.TaskCount());
                    EXPECT_EQ("", FirstDifference(destination, expected));
                    EXPECT_EQ(1, setup.hooks.started);
                    EXPECT_EQ(1, setup.hooks.ended);
                }
            }
        }
    }
}

// Applies operation e with colour (f, g, h) once to rect, as the colour kinds should.
void ApplyOnce(Image& image, std::uint32_t e, const RECT& rect) {
    switch (e) {
        case 1: image.FillAdd(44, 20, 9, &rect); break;
        case 2: image.FillSubtract(44, 20, 9, &rect); break;
        case 3: image.ApplyBrightness(300, &rect); break;
        default: image.FillAlpha(44, 20, 9, e >= 4 && e <= 255 ? e : 128, &rect); break;
    }
}

TEST(SurfaceEffectEnd, ColourKindsApplyTheirOperationOnceToEachPixel) {
    for (std::uint32_t kind = 8; kind <= 13; ++kind) {
        for (std::uint32_t e : {0u, 1u, 2u, 3u, 4u, 77u, 255u, 256u, 0x10001u}) {
            for (const Size& size : kSizes) {
                for (const Clocking& clocking : {kClockings[0], kClockings[3]}) {
                    SCOPED_TRACE(testing::Message() << "kind " << kind << ", e " << e << ", "
                                                    << size.w << " x " << size.h << ", step "
                                                    << clocking.step);
                    EffectRig setup;
                    Image destination, expected;
                    MakeDestination(destination);
                    MakeDestination(expected);
                    const RECT rect = {13, 7, 13 + size.w, 7 + size.h};
                    ApplyOnce(expected, e, rect);
                    // f = 300: red 44 and brightness 300.
                    ASSERT_NE(nullptr, setup.factory.Create(
                                           kind, 100, &destination, nullptr, 13, 7,
                                           0x70000u | size.w, 0x50000u | size.h, e, 300, 20, 9));
                    setup.RunToEnd(clocking.step, clocking.pause);
                    EXPECT_EQ("", FirstDifference(destination, expected));
                }
            }
        }
    }
}

TEST(SurfaceEffectEnd, FadesEndBlackOrWhiteInTheirRectangleOnly) {
    for (std::uint32_t kind : {0u, 1u}) {
        EffectRig setup;
        Image destination, untouched;
        MakeDestination(destination);
        MakeDestination(untouched);
        ASSERT_NE(nullptr,
                  setup.factory.Create(kind, 2560, &destination, nullptr, 4, 3, 20, 10, 0, 0, 0, 0));
        setup.clock.AdvanceMs(1280);
        setup.scheduler.RunDue(0);
        SurfaceEffect* effect = nullptr;
        effect = static_cast<SurfaceEffect*>(setup.scheduler.FindByKind(kSurfaceEffectTaskKind));
        ASSERT_NE(nullptr, effect);
        EXPECT_EQ(127, effect->Done());  // steps every 10 ms; half of 255
        setup.RunToEnd(10, false);
        for (std::int32_t y = 0; y < 50; ++y) {
            for (std::int32_t x = 0; x < 80; ++x) {
                const bool inside = x >= 4 && x < 24 && y >= 3 && y < 13;
                const std::uint32_t pixel = PixelAt(destination, x, y);
                if (!inside) {
                    ASSERT_EQ(PixelAt(untouched, x, y), pixel) << x << ", " << y;
                } else {
                    ASSERT_EQ(kind == 0 ? 0u : 0xffffffu, pixel & 0xffffff) << x << ", " << y;
                }
            }
        }
    }
}

TEST(SurfaceEffectWords, WholeWordsLowHalvesAndOperations) {
    EffectRig setup;
    Image destination, source;
    MakeDestination(destination);
    MakeSource(source);
    const RECT clip = {2, 3, 30, 20};
    destination.SetClipRect(&clip);
    source.SetClipRect(&clip);
    struct Case {
        std::uint32_t kind, a, b, c, d, e, f;
        RECT dest, src;
        std::int32_t destX, destY;
        std::uint8_t mode;
        std::uint16_t value;
    } cases[] = {
        // a = 0xffff: the destination's clip rectangle.
        {0, 0xffff, 9, 1, 1, 0, 0, clip, {}, 0, 0, 0, 0},
        {10, 0xffff, 9, 1, 1, 3, 0x1f4, clip, {}, 0, 0, 3, 0x1f4},
        // Sizes from the low 16 bits; position words whole.
        {9, 0xfffffffe, 5, 0xabcd0003, 0x00010002, 1, 0, {-2, 5, 1, 7}, {}, 0, 0, 1, 0},
        // Operations: 0 and above 255 fill at 128, 4..255 at e.
        {8, 1, 1, 1, 1, 0, 0, {1, 1, 2, 2}, {}, 0, 0, 0, 128},
        {8, 1, 1, 1, 1, 200, 0, {1, 1, 2, 2}, {}, 0, 0, 0, 200},
        {8, 1, 1, 1, 1, 0x100, 0, {1, 1, 2, 2}, {}, 0, 0, 0, 128},
        {8, 1, 1, 1, 1, 2, 0, {1, 1, 2, 2}, {}, 0, 0, 2, 0},
        // Source kinds: a = 0xffff puts destX at 0; d's low half 0xffff takes the clip
        // rectangle; the mode is c's low byte.
        {2, 0xffff, 7, 0x101, 0x3ffff, 1, 1, {}, clip, 0, 7, 1, 0},
        {3, 4, 7, 0x100, 0x10005, 0x20006, 0x30007, {}, {5, 6, 12, 14}, 4, 7, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " a " << c.a);
        SurfaceEffect* effect = setup.factory.Create(c.kind, 0, &destination, &source, c.a, c.b,
                                                     c.c, c.d, c.e, c.f, 8, 9);
        ASSERT_NE(nullptr, effect);
        EXPECT_EQ(1u, effect->Duration());  // duration 0 behaves as 1 ms
        if (c.kind <= 1 || (c.kind >= 8 && c.kind <= 13)) {
            EXPECT_EQ(c.dest.left, effect->DestRect().left);
            EXPECT_EQ(c.dest.top, effect->DestRect().top);
            EXPECT_EQ(c.dest.right, effect->DestRect().right);
            EXPECT_EQ(c.dest.bottom, effect->DestRect().bottom);
        } else {
            EXPECT_EQ(c.src.left, effect->SourceRect().left);
            EXPECT_EQ(c.src.top, effect->SourceRect().top);
            EXPECT_EQ(c.src.right, effect->SourceRect().right);
            EXPECT_EQ(c.src.bottom, effect->SourceRect().bottom);
            EXPECT_EQ(c.destX, effect->DestX());
            EXPECT_EQ(c.destY, effect->DestY());
        }
        if (c.kind >= 2) {
            EXPECT_EQ(c.mode, effect->Mode());
        }
        if (c.kind >= 8 && c.kind <= 13) {
            EXPECT_EQ(c.value, effect->Value());
        }
        setup.factory.Cancel(effect);
    }
    // Duration 0: the first step finishes.
    setup.scheduler.RunDue(0);
    SurfaceEffect* quick =
        setup.factory.Create(5, 0, &destination, &source, 0, 0, 0, 0, 0, 4, 4, 0);
    ASSERT_NE(nullptr, quick);
    setup.clock.AdvanceMs(1);
    setup.scheduler.RunDue(0);
    EXPECT_EQ(0, setup.scheduler.TaskCount());
}

TEST(SurfaceEffectFactoryTest, RefusesWhatItCannotMake) {
    EffectRig setup;
    Image destination, source;
    MakeDestination(destination);
    MakeSource(source);
    EXPECT_EQ(nullptr, setup.factory.Create(22, 10, &destination, &source, 0, 0, 0, 0, 0, 4, 4, 0));
    EXPECT_EQ(nullptr, setup.factory.Create(5, 10, &destination, nullptr, 0, 0, 0, 0, 0, 4, 4, 0));
    EXPECT_EQ(nullptr, setup.factory.Create(8, 10, nullptr, nullptr, 0, 0, 4, 4, 0, 0, 0, 0));
    SurfaceEffectFactory unset(setup.clock);
    EXPECT_EQ(nullptr, unset.Create(8, 10, &destination, nullptr, 0, 0, 4, 4, 0, 0, 0, 0));
    EXPECT_EQ(0, unset.IsRunning(&destination));
    EXPECT_EQ(1, unset.Finish(&destination));
    EXPECT_EQ(1, unset.Cancel(&destination));
    EXPECT_EQ(0, setup.scheduler.TaskCount());
    EXPECT_EQ(0, setup.hooks.started);
    EXPECT_EQ(0, setup.hooks.ended);
}

TEST(SurfaceEffectFinish, DrawsTheEndAtOnceAndTheNextStepOnlyReportsIt) {
    Image source;
    MakeSource(source);
    for (std::uint32_t kind : {2u, 4u, 7u, 10u, 15u, 21u}) {
        SCOPED_TRACE(testing::Message() << "kind " << kind);
        EffectRig setup;
        Image destination, expected;
        MakeDestination(destination);
        MakeDestination(expected);
        // Odd sizes: the extra line (alpha-blended) must land once, even after two Finishes.
        const RECT rect = {3, 2, 40, 21};
        SurfaceEffect* effect;
        if (kind >= 8 && kind <= 13) {
            ApplyOnce(expected, 77, rect);
            effect = setup.factory.Create(kind, 1000, &destination, nullptr, 3, 2, 37, 19, 77,
                                          300, 20, 9);
        } else {
            expected.AlphaBlend(&source, 3, 2, &rect, false);
            effect = setup.factory.Create(kind, 1000, &destination, &source, 3, 2, 1, 3, 2, 37,
                                          19, 0);
        }
        ASSERT_NE(nullptr, effect);
        setup.clock.AdvanceMs(300);
        setup.scheduler.RunDue(0);
        EXPECT_EQ(1, setup.factory.IsRunning(effect));
        EXPECT_EQ(0, setup.factory.Finish(effect));
        EXPECT_EQ("", FirstDifference(destination, expected));
        EXPECT_EQ(0, setup.factory.Finish(effect));
        EXPECT_EQ("", FirstDifference(destination, expected));
        setup.clock.AdvanceMs(1);
        setup.scheduler.RunDue(0);
        EXPECT_EQ(0, setup.scheduler.TaskCount());
        EXPECT_EQ("", FirstDifference(destination, expected));
        // The effect is gone: Finish and Cancel answer 0 and do nothing.
        EXPECT_EQ(0, setup.factory.IsRunning(effect));
        EXPECT_EQ(0, setup.factory.Finish(effect));
        EXPECT_EQ(0, setup.factory.Cancel(effect));
        EXPECT_EQ(1, setup.hooks.started);
        EXPECT_EQ(1, setup.hooks.ended);
    }
}

TEST(SurfaceEffectFinish, FadesTurnBlackAtOnceButRunUntilTheirDuration) {
    // Kinds 0 and 1 stay on the scheduler until the duration set at creation has passed;
    // their later steps change nothing visible.
    EffectRig setup;
    Image destination;
    MakeDestination(destination);
    SurfaceEffect* effect =
        setup.factory.Create(0, 1000, &destination, nullptr, 0, 0, 80, 50, 0, 0, 0, 0);
    ASSERT_NE(nullptr, effect);
    setup.clock.AdvanceMs(100);
    setup.scheduler.RunDue(0);
    EXPECT_EQ(0, setup.factory.Finish(effect));
    EXPECT_EQ(0u, PixelAt(destination, 40, 20) & 0xffffff);
    setup.clock.AdvanceMs(500);
    setup.scheduler.RunDue(0);
    EXPECT_EQ(1, setup.factory.IsRunning(effect));
    EXPECT_EQ(0u, PixelAt(destination, 40, 20) & 0xffffff);
    setup.clock.AdvanceMs(400);
    setup.scheduler.RunDue(0);
    EXPECT_EQ(0, setup.scheduler.TaskCount());
}

// A motion-like task of another kind that counts its steps.
class OtherTask final : public WithDeletingDestructor<OtherTask, ScheduledTask> {
public:
    std::int32_t XM_METHOD Kind() override { return 5000; }
    std::int32_t XM_METHOD Step(std::uint32_t) override {
        ++steps;
        return 0;
    }
    void XM_METHOD Finish() override {}
    int steps = 0;
};

TEST(SurfaceEffectFactoryTest, LeavesOtherTasksAtAHandlesAddressAlone) {
    EffectRig setup;
    auto* other = new OtherTask;
    ASSERT_EQ(0, setup.scheduler.Add(other, 0, 0, 0));
    EXPECT_EQ(0, setup.factory.IsRunning(other));
    EXPECT_EQ(0, setup.factory.Finish(other));
    EXPECT_EQ(0, other->steps);
    EXPECT_EQ(0, setup.factory.Cancel(other));
    setup.scheduler.RunDue(0);
    EXPECT_EQ(1, setup.scheduler.TaskCount());
    EXPECT_EQ(1, other->steps);
}

TEST(SurfaceEffectLongDurations, StayUnsignedAndComputeIn64Bits) {
    EffectRig setup;
    Image destination, source;
    MakeDestination(destination);
    MakeSource(source);
    // 2^32 - 1 ms: half-way through, half of the rows are due and the effect runs on.
    SurfaceEffect* longest =
        setup.factory.Create(5, 0xFFFFFFFFu, &destination, &source, 0, 0, 0, 0, 0, 8, 8, 0);
    // Five hours: the fade's 255 x elapsed and the columns' elapsed x 500 exceed 32 bits.
    SurfaceEffect* fade =
        setup.factory.Create(0, 18000000, &destination, nullptr, 0, 0, 2, 2, 0, 0, 0, 0);
    Image wide;
    ASSERT_EQ(0, wide.Create(1000, 2, 32, 0));
    SurfaceEffect* columns =
        setup.factory.Create(9, 18000000, &wide, nullptr, 0, 0, 1000, 2, 1, 1, 1, 1);
    ASSERT_TRUE(longest && fade && columns);
    setup.clock.AdvanceMs(9000000);
    setup.scheduler.RunDue(0);
    EXPECT_EQ(127, fade->Done());
    EXPECT_EQ(250, columns->Done());
    // The scheduler compares due times by signed difference, so the step at 2^31 ms is
    // taken directly.
    EXPECT_EQ(0, longest->Step(longest->Start() + 0x80000000u));
    EXPECT_EQ(2, longest->Done());  // floor(2^31 x 4 / (2^32 - 1))
    EXPECT_EQ(1, setup.factory.IsRunning(longest));
}

TEST(SurfaceEffectBusyHooks, PairedOnEveryPathAndSkippedWhenNull) {
    Image destination, source;
    MakeDestination(destination);
    MakeSource(source);
    {
        EffectRig setup;  // end, cancel, scheduler destruction
        SurfaceEffect* ends =
            setup.factory.Create(2, 10, &destination, &source, 0, 0, 0, 0, 0, 4, 4, 0);
        SurfaceEffect* cancelled =
            setup.factory.Create(3, 10, &destination, &source, 0, 0, 0, 0, 0, 4, 4, 0);
        ASSERT_TRUE(ends && cancelled);
        EXPECT_EQ(2, setup.hooks.started);
        EXPECT_EQ(0, setup.factory.Cancel(cancelled));
        EXPECT_EQ(0, setup.factory.IsRunning(cancelled));
        setup.scheduler.RunDue(0);
        EXPECT_EQ(1, setup.hooks.ended);
        setup.clock.AdvanceMs(10);
        setup.scheduler.RunDue(0);
        EXPECT_EQ(2, setup.hooks.ended);
        ASSERT_NE(nullptr,
                  setup.factory.Create(1, 10, &destination, nullptr, 0, 0, 4, 4, 0, 0, 0, 0));
        EXPECT_EQ(3, setup.hooks.started);
        {
            TaskScheduler gone(setup.clock);
            SurfaceEffectFactory factory(setup.clock);
            factory.SetScheduler(&gone);
            ASSERT_NE(nullptr,
                      factory.Create(1, 10, &destination, nullptr, 0, 0, 4, 4, 0, 0, 0, 0));
            EXPECT_EQ(4, setup.hooks.started);
        }
        EXPECT_EQ(3, setup.hooks.ended);
        // A failed creation counts nothing.
        EXPECT_EQ(nullptr, setup.factory.Create(4, 10, &destination, nullptr, 0, 0, 0, 0, 0, 4, 4, 0));
        EXPECT_EQ(4, setup.hooks.started);
        setup.scheduler.Clear();
        setup.scheduler.RunDue(0);
        EXPECT_EQ(4, setup.hooks.ended);
    }
    {
        EffectRig setup;  // null hooks are skipped, and an uncounted effect is not counted out
        g_effectBeginHook = nullptr;
        ASSERT_NE(nullptr,
                  setup.factory.Create(2, 10, &destination, &source, 0, 0, 0, 0, 0, 4, 4, 0));
        g_effectBeginHook = effecttest::BusyHooks::begin;
        setup.clock.AdvanceMs(10);
        setup.scheduler.RunDue(0);
        EXPECT_EQ(0, setup.scheduler.TaskCount());
        EXPECT_EQ(0, setup.hooks.started);
        EXPECT_EQ(0, setup.hooks.ended);
        g_effectEndHook = nullptr;
        ASSERT_NE(nullptr,
                  setup.factory.Create(2, 10, &destination, &source, 0, 0, 0, 0, 0, 4, 4, 0));
        setup.clock.AdvanceMs(10);
        setup.scheduler.RunDue(0);
        EXPECT_EQ(1, setup.hooks.started);
        EXPECT_EQ(0, setup.hooks.ended);
    }
}

TEST(SurfaceEffectSteps, BlindsAndStripsDrawOnlyTheirNewLinesEachStep) {
    // Kind 14 on a rectangle 40 wide: three periods, the third cut at column 40; kind 18 with
    // w = 40: three strips, k runs to 18. Mid-way the destination
    // shows exactly the due columns.
    Image source;
    MakeSource(source);
    for (std::uint32_t kind : {14u, 18u}) {
        EffectRig setup;
        Image destination, original;
        MakeDestination(destination);
        MakeDestination(original);
        ASSERT_NE(nullptr, setup.factory.Create(kind, 160, &destination, &source, 0, 0, 0, 0,
                                                0, 40, 3, 0));
        setup.clock.AdvanceMs(50);  // kind 14: k = 5; kind 18: k = 18 x 50 / 160 = 5
        setup.scheduler.RunDue(0);
        for (std::int32_t x = 0; x < 48; ++x) {
            // Strip i of kind 18 shows k - i columns.
            const bool shown = x < 40 && (x % 16) < (kind == 14 ? 5 : 5 - x / 16);
            const std::uint32_t want = shown ? CodedPixel(0x80, x, 1) : PixelAt(original, x, 1);
            EXPECT_EQ(want, PixelAt(destination, x, 1)) << "kind " << kind << " column " << x;
        }
    }
}

}  // namespace
