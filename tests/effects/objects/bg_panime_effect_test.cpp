#include "effects/objects/bg_panime_effect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/sprites/fill_rect_sprite.h"
#include "tests/effects/screen_effect_fixture.h"

namespace {

using namespace effecttest;

// The background is 132 x 84; canvas 0 shows it from (50, 30).
constexpr std::int32_t kSourceWidth = kWidth + 100;
constexpr std::int32_t kSourceHeight = kHeight + 60;

class BgPanimeTest : public ScreenEffectTest {
protected:
    void TearDown() override {
        m_effect.Reset();
        ScreenEffectTest::TearDown();
    }

    struct Words {
        const char* script;
        std::int32_t duration = 1000;
        std::int32_t cache = 0;
        std::int32_t snapshot = 0;
        std::int32_t hide = 0;
        std::int32_t loop = 0;
        std::int32_t count = 0;
    };
    // Sets an effect up on screen 0: 0, or Setup's code (the effect is then deleted).
    std::int32_t Start(const Words& w) {
        auto* effect = new BgPanimeEffect;
        const std::int32_t words[7] = {TextWord(w.script), w.duration, w.cache, w.snapshot, w.hide, w.loop, w.count};
        const std::int32_t code = effect->Setup(&m_scheduler, &m_screen[0], words);
        if (code != 0) {
            effect->DeletingDestructor(1);
            return code;
        }
        m_effect.Reset(effect);
        return 0;
    }
    // What the canvas paints into its target now (the lists as the canvas draws them).
    std::vector<std::uint32_t> Painted() {
        CanvasOf(0)->InvalidateAll();
        CanvasOf(0)->Redraw(nullptr, nullptr, 0, 0);
        Image* target = m_screen[0].GetImage();
        std::vector<std::uint32_t> pixels;
        for (std::int32_t y = 0; y < kHeight; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(target->Row(y));
            pixels.insert(pixels.end(), row, row + kWidth);
        }
        return pixels;
    }
    // The background seen from (sx, sy), the fill colour where it does not reach.
    static std::vector<std::uint32_t> View(std::int32_t sx, std::int32_t sy) {
        std::vector<std::uint32_t> pixels;
        for (std::int32_t y = 0; y < kHeight; ++y) {
            for (std::int32_t x = 0; x < kWidth; ++x) {
                const std::int32_t u = x + sx, v = y + sy;
                const bool inside = u >= 0 && v >= 0 && u < kSourceWidth && v < kSourceHeight;
                pixels.push_back(inside ? BackgroundPixel(0, u, v) : kFill[0]);
            }
        }
        return pixels;
    }

    TaskPointer<BgPanimeEffect> m_effect;
};

TEST_F(BgPanimeTest, TheSourceOffsetFollowsTheScriptAtEachPhase) {
    struct Phase {
        std::uint32_t ms;
        std::int32_t x, y;
    };
    const struct {
        const char* name;
        const char* script;
        std::vector<Phase> phases;
    } cases[] = {
        {"straight", "P90,50", {{0, 50, 30}, {250, 60, 35}, {500, 70, 40}, {750, 80, 45}}},
        {"cosine easing is half-way at half time", "A P90,50", {{0, 50, 30}, {500, 70, 40}}},
        {"a hop out and back", "L40]", {{0, 50, 30}, {250, 70, 30}, {500, 90, 30}, {750, 70, 30}, {999, 51, 30}}},
        // A negative amplitude hops the other way from the key and back to it.
        {"a negative hop", "L40]-1", {{0, 50, 30}, {250, 30, 30}, {500, 10, 30}, {750, 30, 30}, {999, 49, 30}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_scheduler.Clear();
        ASSERT_TRUE(CanvasOf(0)->SetSource(&m_background[0], 50, 30, true));
        ASSERT_EQ(0, Start({c.script}));
        for (const Phase& p : c.phases) {
            m_scheduler.RunDue(1000 + p.ms);
            EXPECT_EQ(p.x, SourcePosition(0).x) << p.ms << " ms";
            EXPECT_EQ(p.y, SourcePosition(0).y) << p.ms << " ms";
        }
        m_scheduler.RunDue(2000);
        EXPECT_FALSE(m_effect) << "the end of the script ends the effect";
    }
    EXPECT_EQ(50, SourcePosition(0).x) << "a hop ends on its key";
}

TEST_F(BgPanimeTest, TheEndPutsTheEndPositionOnTheCanvas) {
    ASSERT_EQ(0, Start({"P90,50 P20,10"}));
    m_scheduler.RunDue(1000);
    m_scheduler.RunDue(2500);
    EXPECT_EQ(55, SourcePosition(0).x);
    m_scheduler.RunDue(3000);
    EXPECT_FALSE(m_effect);
    EXPECT_EQ(20, SourcePosition(0).x);
    EXPECT_EQ(10, SourcePosition(0).y);
    // A duration of 0 goes to the end at once and is not scheduled.
    Words w{"P70,60"};
    w.duration = 0;
    EXPECT_EQ(-1, Start(w));
    EXPECT_EQ(70, SourcePosition(0).x);
    EXPECT_EQ(60, SourcePosition(0).y);
    // Finish does the same mid-way.
    ASSERT_EQ(0, Start({"P10,10"}));
    m_scheduler.RunDue(4000);
    m_scheduler.RunDue(4500);
    m_effect->Finish();
    EXPECT_EQ(10, SourcePosition(0).x);
}

TEST_F(BgPanimeTest, ALoopRestartsAtTheFirstMove) {
    Words w{"P90,30 P50,30"};
    w.loop = 1;
    ASSERT_EQ(0, Start(w));
    m_scheduler.RunDue(1000);
    for (std::uint32_t pass = 0; pass < 3; ++pass) {
        m_scheduler.RunDue(1500 + 2000 * pass);
        EXPECT_EQ(70, SourcePosition(0).x) << pass;
        m_scheduler.RunDue(2500 + 2000 * pass);
        EXPECT_EQ(70, SourcePosition(0).x) << pass;
    }
    EXPECT_TRUE(m_effect);
}

TEST_F(BgPanimeTest, CacheModeCopiesThePictureAndFillsWhatItDoesNotCover) {
    Words w{"P-30,-10"};
    w.cache = 1;
    ASSERT_EQ(0, Start(w));
    EXPECT_EQ(1, m_effect->Mode());
    ASSERT_NE(nullptr, CanvasOf(0)->Scaled());
    EXPECT_EQ(View(50, 30), Painted()) << "the start position from the set-up on";
    const struct {
        std::uint32_t ms;
        std::int32_t x, y;
    } phases[] = {{250, 30, 20}, {500, 10, 10}, {750, -10, 0}, {999, -29, -9}};
    m_scheduler.RunDue(1000);
    for (const auto& p : phases) {
        m_scheduler.RunDue(1000 + p.ms);
        EXPECT_EQ(View(p.x, p.y), Painted()) << p.ms << " ms";
        EXPECT_EQ(50, SourcePosition(0).x) << "the source stays where it was";
    }
    m_scheduler.RunDue(2000);
    EXPECT_FALSE(m_effect);
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled()) << "the end drops the cache";
    EXPECT_EQ(-30, SourcePosition(0).x);
    EXPECT_EQ(-10, SourcePosition(0).y);
}

TEST_F(BgPanimeTest, ASecondCacheUserIsRefusedAndTheFirstDropsTheCacheAtItsEnd) {
    Words w{"P60,30"};
    w.cache = 1;
    ASSERT_EQ(0, Start(w));
    TaskPointer<BgPanimeEffect> first;
    first.Reset(m_effect.Get());
    m_effect.Reset();
    // A script is not read for a canvas that shows a cached copy.
    EXPECT_EQ(2, Start(w));
    ASSERT_NE(nullptr, CanvasOf(0)->Scaled()) << "the refusal leaves the first one's cache";
    m_scheduler.RunDue(1000);
    m_scheduler.RunDue(2000);
    EXPECT_FALSE(first);
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    EXPECT_EQ(View(60, 30), Painted()) << "the canvas shows its source again";
    // A cache that another effect made (here the canvas's own scaled copy) is not taken.
    ASSERT_EQ(0, CanvasOf(0)->CreateScaled(false));
    EXPECT_EQ(2, Start(w));
    EXPECT_NE(nullptr, CanvasOf(0)->Scaled());
    // The offset-only form needs no cache, whatever the other words say.
    CanvasOf(0)->DropScaled();
    Words offsetOnly{"P80,30"};
    offsetOnly.cache = BgPanimeEffect::kOffsetOnly;
    offsetOnly.snapshot = 1;
    offsetOnly.hide = 1;
    ASSERT_EQ(0, Start(offsetOnly));
    EXPECT_EQ(0, m_effect->Mode());
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled());
    m_scheduler.RunDue(3000);
    m_scheduler.RunDue(3500);
    EXPECT_EQ(70, SourcePosition(0).x);
}

TEST_F(BgPanimeTest, ARefusedSetupLeavesTheCanvasAsItWas) {
    Words w{"P60,30"};
    w.cache = 1;
    w.snapshot = 1;
    auto* effect = new BgPanimeEffect;
    ASSERT_EQ(0, m_scheduler.Add(effect, 0, 0, 0));
    const std::int32_t words[7] = {TextWord(w.script), 1000, 1, 1, 0, 0, 0};
    EXPECT_EQ(2, effect->Setup(&m_scheduler, &m_screen[0], words)) << "the scheduler refuses it";
    effect->Finish();
    EXPECT_EQ(nullptr, CanvasOf(0)->Scaled()) << "the cache it made is dropped";
    EXPECT_EQ(&m_background[0], [&] {
        Surface* source = nullptr;
        CanvasOf(0)->GetBackground(&source, nullptr, nullptr, nullptr, nullptr, nullptr);
        return source;
    }());
    m_scheduler.Clear();
    EXPECT_EQ(2, Start({"?"})) << "a script that does not parse";
    const std::int32_t none[7] = {TextWord("P1,1"), 1000, 0, 0, 0, 0, 0};
    BgPanimeEffect unscheduled;
    EXPECT_EQ(1, unscheduled.Setup(nullptr, &m_screen[0], none));
    EXPECT_EQ(View(50, 30), Painted());
}

TEST_F(BgPanimeTest, TheSnapshotHidesTheSpriteListsUntilTheEnd) {
    FillRectSprite sprite;
    ASSERT_EQ(0, sprite.Setup(4, 4, 0xFFFF0000u, 2, 2));
    ASSERT_EQ(0, CanvasOf(0)->Sprites().Add(&sprite, 1, 0));
    ASSERT_TRUE(CanvasOf(0)->SetSource(&m_background[0], 0, 0, true));
    const std::vector<std::uint32_t> before = Painted();
    ASSERT_EQ(0xFFFF0000u, before[2 * kWidth + 2]);
    Words w{"P8,4"};
    w.snapshot = 1;
    ASSERT_EQ(0, Start(w));
    EXPECT_EQ(2, m_effect->Mode());
    m_scheduler.RunDue(1000);
    m_scheduler.RunDue(1500);
    // The snapshot (background and sprite) seen from (4, 2); the live sprite is not drawn.
    const std::vector<std::uint32_t> mid = Painted();
    for (std::int32_t y = 0; y + 2 < kHeight; ++y)
        for (std::int32_t x = 0; x + 4 < kWidth; ++x)
            ASSERT_EQ(before[(y + 2) * kWidth + x + 4], mid[y * kWidth + x]) << x << "," << y;
    m_scheduler.RunDue(2000);
    EXPECT_FALSE(m_effect);
    Surface* source = nullptr;
    CanvasOf(0)->GetBackground(&source, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(&m_background[0], source) << "the saved source is back";
    const std::vector<std::uint32_t> after = Painted();
    EXPECT_EQ(0xFFFF0000u, after[2 * kWidth + 2]) << "the sprite is drawn again";
    EXPECT_EQ(BackgroundPixel(0, 8, 4), after[0]) << "at the end position";
    CanvasOf(0)->Sprites().Remove(&sprite);
}

TEST_F(BgPanimeTest, ControlGivesTheEndPosition) {
    BgPanimeEffect fresh;
    std::int32_t x = 0, y = 0;
    const std::int32_t outs[2] = {static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(&x)),
                                  static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(&y))};
    EXPECT_EQ(1, fresh.Control(outs)) << "no script";
    ASSERT_EQ(0, Start({"P90,50 P20,10"}));
    EXPECT_EQ(0, m_effect->Control(outs));
    EXPECT_EQ(20, x);
    EXPECT_EQ(10, y);
    const std::int32_t nullOuts[2] = {0, 0};
    EXPECT_EQ(0, m_effect->Control(nullOuts));
}

TEST_F(BgPanimeTest, AssistPutsTheEndPositionOnTheScreensCanvas) {
    auto word = [](const void* p) { return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(p)); };
    std::int32_t x = 0, y = 0;
    const std::int32_t words[4] = {word(&m_screen[1]), TextWord("P90,50 P20,10"), word(&x), word(&y)};
    EXPECT_EQ(0, PanimeAssist(words));
    EXPECT_EQ(20, x);
    EXPECT_EQ(10, y);
    EXPECT_EQ(20, SourcePosition(1).x);
    EXPECT_EQ(10, SourcePosition(1).y);
    EXPECT_EQ(50, SourcePosition(0).x) << "only the screen named";
    const std::int32_t nullOuts[4] = {word(&m_screen[1]), TextWord("P7,8"), 0, 0};
    EXPECT_EQ(0, PanimeAssist(nullOuts));
    EXPECT_EQ(7, SourcePosition(1).x);
    const std::int32_t notScreen[4] = {word(static_cast<Surface*>(&m_background[0])), TextWord("P7,8"), 0, 0};
    EXPECT_EQ(-1, PanimeAssist(notScreen));
    const std::int32_t badScript[4] = {word(&m_screen[1]), TextWord("?"), word(&x), word(&y)};
    EXPECT_NE(0, PanimeAssist(badScript));
    EXPECT_EQ(7, SourcePosition(1).x) << "a failing script changes nothing";
    EXPECT_EQ(20, x);
}

TEST_F(BgPanimeTest, CountedOnlyWhenAsked) {
    Words w{"P60,30"};
    ASSERT_EQ(0, Start(w));
    EXPECT_EQ(0, m_hooks.started);
    m_scheduler.Clear();
    w.count = 1;
    ASSERT_EQ(0, Start(w));
    EXPECT_EQ(1, m_hooks.started);
    m_scheduler.Clear();
    EXPECT_EQ(1, m_hooks.ended);
}

}  // namespace
