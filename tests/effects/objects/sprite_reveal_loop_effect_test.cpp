// "sp_gfade" and "sp_loop" on the real scheduler over a fake clock, showing image sprites of a
// real canvas.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "effects/objects/sprite_gradient_fade_effect.h"
#include "effects/objects/sprite_loop_effect.h"
#include "framework/interfaces/task_scheduling.h"
#include "graphics/compose/blend_tables.h"
#include "graphics/compose/gradient_table.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "tests/effects/busy_hooks.h"
#include "tests/effects/screen_effect_fixture.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/fake_clock.h"

namespace {

constexpr std::uint32_t kStart = 7000;

std::int32_t Word(const void* p) {
    return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(p));
}

std::vector<std::int32_t> Rect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

class SpriteEffectTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_scope = std::make_unique<testsupport::PixelConfigScope>(
            testsupport::PixelConfig::LibraryPortable);
        ASSERT_TRUE(m_scope->Ready());
        InitBlendTables();
        ASSERT_EQ(0, m_area.Create(640, 480, 32, 0));
        ASSERT_EQ(0, m_canvas.SetTarget(&m_area, false));
        m_clock.SetMs(kStart);
    }
    void TearDown() override {
        m_scheduler.Clear();
        m_canvas.Sprites().Clear();
    }
    void At(std::uint32_t ms) {
        m_clock.SetMs(kStart + ms);
        m_scheduler.RunDue(kStart + ms);
    }
    bool Running() { return m_scheduler.TaskCount() != 0; }

    std::unique_ptr<testsupport::PixelConfigScope> m_scope;
    testsupport::FakeClock m_clock;
    TaskScheduler m_scheduler{m_clock};
    Image m_area;
    Canvas m_canvas;
};

// An 8 x 4 picture whose pixel (x, y) has alpha 100 + 16y + x, shown at (5, 6).
class GradientFadeTest : public SpriteEffectTest {
protected:
    void SetUp() override {
        SpriteEffectTest::SetUp();
        ASSERT_EQ(0, m_picture.Create(8, 4, 32, 0));
        for (std::int32_t y = 0; y < 4; ++y)
            for (std::int32_t x = 0; x < 8; ++x) m_picture.SetPixel(x, y, Original(x, y));
        m_picture.SetHasAlpha(true);
        ASSERT_EQ(0, m_sprite.SetImage(&m_picture, nullptr, 5, 6));
        ASSERT_EQ(0, m_canvas.Sprites().Add(&m_sprite, 10, 0));
    }
    static std::uint32_t Original(std::int32_t x, std::int32_t y) {
        return (static_cast<std::uint32_t>(100 + 16 * y + x) << 24) | 0x00336699u;
    }
    std::uint32_t Pixel(std::int32_t x, std::int32_t y) {
        return reinterpret_cast<const std::uint32_t*>(m_picture.Row(y))[x];
    }
    std::int32_t Start(std::int32_t duration, std::int32_t direction, std::int32_t width,
                       const char* exponent = nullptr) {
        auto* effect = new SpriteGradientFadeEffect;
        const std::int32_t words[] = {Word(&m_sprite), duration, direction, width,
                                      Word(exponent)};
        const std::int32_t code = effect->Setup(&m_scheduler, nullptr, words);
        if (code != 0) ReleaseObject(effect);
        return code;
    }
    bool Untouched() {
        for (std::int32_t y = 0; y < 4; ++y)
            for (std::int32_t x = 0; x < 8; ++x)
                if (Pixel(x, y) != Original(x, y)) return false;
        return true;
    }

    Image m_picture;
    Sprite m_sprite;
};

TEST_F(GradientFadeTest, RevealsFromEachEdgeWithASoftStrip) {
    struct Case {
        const char* name;
        std::int32_t direction, width;
        std::uint32_t ms;  // of 800
        std::vector<std::int32_t> source;
        std::int32_t x, y;
        std::int32_t stripFrom, stripTo;  // along the direction; the ramp's entry 0 at `first`
        std::int32_t first;
    };
    const Case cases[] = {
        {"left, 25 %", 0, 4, 200, {0, 0, 3, 4}, 5, 6, 0, 3, -1},
        {"left, 50 %", 0, 4, 400, {0, 0, 6, 4}, 5, 6, 2, 6, 2},
        {"right, 25 %", 1, 4, 200, {5, 0, 8, 4}, 10, 6, 5, 8, 5},
        {"right, 50 %", 1, 4, 400, {2, 0, 8, 4}, 7, 6, 2, 6, 2},
        {"top, 50 %", 2, 4, 400, {0, 0, 8, 4}, 5, 6, 0, 4, 0},
        {"top, 25 %", 2, 4, 200, {0, 0, 8, 2}, 5, 6, 0, 2, -2},
        {"bottom, 25 %", 3, 4, 200, {0, 2, 8, 4}, 5, 8, 2, 4, 2},
        {"direction 5 is the bottom", 5, 4, 200, {0, 2, 8, 4}, 5, 8, 2, 4, 2},
        {"a hard wipe", 0, 0, 400, {0, 0, 4, 4}, 5, 6, 0, 0, 0},
        {"a hard wipe from the bottom", 3, 0, 400, {0, 2, 8, 4}, 5, 8, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_clock.SetMs(kStart);
        ASSERT_EQ(0, Start(800, c.direction, c.width));
        EXPECT_FALSE(m_sprite.IsVisible()) << "hidden until the edge moves";
        At(0);
        At(c.ms);
        EXPECT_TRUE(m_sprite.IsVisible());
        EXPECT_EQ(c.source, Rect(m_sprite.SourceRect()));
        EXPECT_EQ(c.x, m_sprite.X());
        EXPECT_EQ(c.y, m_sprite.Y());
        const bool falling = c.direction == 0 || c.direction == 2;
        GradientTable ramp;
        if (c.width > 0) {
            ASSERT_EQ(0, ramp.Build(c.width, falling ? 255 : 0, falling ? 0 : 255, 8));
        }
        const bool horizontal = c.direction < 2;
        for (std::int32_t y = 0; y < 4; ++y) {
            for (std::int32_t x = 0; x < 8; ++x) {
                const std::int32_t along = horizontal ? x : y;
                std::uint32_t expected = Original(x, y);
                if (along >= c.stripFrom && along < c.stripTo) {
                    const std::uint8_t weight =
                        static_cast<const std::uint8_t*>(ramp.Entries())[along - c.first];
                    const std::uint8_t alpha = g_blendTables.multiply[weight][expected >> 24];
                    expected = (expected & 0x00FFFFFFu) | (std::uint32_t{alpha} << 24);
                }
                EXPECT_EQ(expected, Pixel(x, y)) << x << "," << y;
            }
        }
        At(800);
        EXPECT_FALSE(Running());
        EXPECT_TRUE(Untouched()) << "the kept alpha is back, byte for byte";
        EXPECT_EQ((std::vector<std::int32_t>{0, 0, 8, 4}), Rect(m_sprite.SourceRect()));
        EXPECT_EQ(5, m_sprite.X());
        EXPECT_EQ(6, m_sprite.Y());
        EXPECT_TRUE(m_sprite.IsVisible());
    }
}

TEST_F(GradientFadeTest, FinishRestoresAndEasingBends) {
    ASSERT_EQ(0, Start(800, 0, 4, "2"));
    At(0);
    At(400);  // eased to 200 ms
    EXPECT_EQ((std::vector<std::int32_t>{0, 0, 3, 4}), Rect(m_sprite.SourceRect()));
    EXPECT_FALSE(Untouched());
    m_scheduler.Clear();  // finishes the effect
    EXPECT_TRUE(Untouched());
    EXPECT_EQ((std::vector<std::int32_t>{0, 0, 8, 4}), Rect(m_sprite.SourceRect()));
    EXPECT_TRUE(m_sprite.IsVisible());

    ASSERT_EQ(0, Start(800, 1, 4));
    m_scheduler.Clear();
    EXPECT_TRUE(m_sprite.IsVisible()) << "finished before it started: just shown";
}

TEST_F(GradientFadeTest, DurationZeroShowsTheSpriteAtOnce) {
    m_sprite.SetVisible(0);
    EXPECT_EQ(-1, Start(0, 0, 4));
    EXPECT_TRUE(m_sprite.IsVisible());
    EXPECT_FALSE(Running());
    const std::int32_t noSprite[] = {0, 800, 0, 0, 0};
    auto* effect = new SpriteGradientFadeEffect;
    EXPECT_EQ(1, effect->Setup(&m_scheduler, nullptr, noSprite));
    ReleaseObject(effect);
}

TEST_F(GradientFadeTest, AnExponentWordAlsoCountsTheEffect) {
    effecttest::BusyHooks hooks;
    ASSERT_EQ(0, Start(800, 0, 0));
    EXPECT_EQ(0, hooks.started);
    ASSERT_EQ(0, Start(800, 0, 0, "0"));
    EXPECT_EQ(1, hooks.started) << "a non-null word 4 counts the effect";
    m_scheduler.Clear();
    EXPECT_EQ(1, hooks.ended);
}

TEST_F(GradientFadeTest, LongDurationsOverWidePicturesDoNotWrap) {
    Image wide;
    ASSERT_EQ(0, wide.Create(2048, 1, 32, 0));
    Sprite sprite;
    ASSERT_EQ(0, sprite.SetImage(&wide, nullptr, 0, 0));
    ASSERT_EQ(0, m_canvas.Sprites().Add(&sprite, 11, 0));
    auto* effect = new SpriteGradientFadeEffect;
    const std::int32_t words[] = {Word(&sprite), 3000000, 0, 0, 0};
    ASSERT_EQ(0, effect->Setup(&m_scheduler, nullptr, words));
    At(0);
    At(2500000);
    EXPECT_EQ((std::vector<std::int32_t>{0, 0, 1706, 1}), Rect(sprite.SourceRect()));
    m_scheduler.Clear();
}

// A 16 x 4 picture scrolled through a window at (30, 40).
class SpriteLoopTest : public SpriteEffectTest {
protected:
    void SetUp() override {
        SpriteEffectTest::SetUp();
        ASSERT_EQ(0, m_picture.Create(16, 4, 32, 0));
        ASSERT_EQ(0, m_tall.Create(4, 16, 32, 0));
    }
    // Places and queues a loop; Place's result.
    std::int32_t Start(Image* image, std::int32_t window, std::uint8_t direction,
                       std::uint32_t period, std::int32_t repeat) {
        m_effect = new SpriteLoopEffect;
        const std::int32_t code =
            m_effect->Place(&m_canvas, image, 30, 40, window, 200, 20, direction, period, repeat);
        if (code != 0 || m_scheduler.Add(m_effect, 0, 0, 0) != TaskScheduler::kAdded) {
            ReleaseObject(m_effect);
            m_effect = nullptr;
        }
        return code;
    }
    // source rectangle and position of sprite n, or {} when hidden.
    std::vector<std::int32_t> Shown(int n) {
        const Sprite& s = m_effect->SpriteOf(n);
        if (!s.IsVisible()) return {};
        std::vector<std::int32_t> v = Rect(s.SourceRect());
        v.push_back(s.X());
        v.push_back(s.Y());
        return v;
    }

    Image m_picture, m_tall;
    SpriteLoopEffect* m_effect = nullptr;
};

TEST_F(SpriteLoopTest, AWindowOfThePicturesLength) {
    struct Case {
        const char* name;
        bool tall;
        std::uint8_t direction;
        std::uint32_t ms;  // of 1600
        std::vector<std::int32_t> first, second;
    };
    const Case cases[] = {
        {"offset 0: one sprite", false, 0, 0, {0, 0, 16, 4, 30, 40}, {}},
        {"offset 4", false, 0, 400, {4, 0, 16, 4, 30, 40}, {0, 0, 4, 4, 42, 40}},
        {"reversed, offset 4", false, 1, 400, {12, 0, 16, 4, 30, 40}, {0, 0, 12, 4, 34, 40}},
        {"reversed, offset 0: one sprite", false, 1, 0, {0, 0, 16, 4, 30, 40}, {}},
        {"vertical, offset 4", true, 2, 400, {0, 4, 4, 16, 30, 40}, {0, 0, 4, 4, 30, 52}},
        {"vertical reversed, offset 12", true, 3, 1200, {0, 4, 4, 16, 30, 40},
         {0, 0, 4, 4, 30, 52}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_clock.SetMs(kStart);
        ASSERT_EQ(0, Start(c.tall ? &m_tall : &m_picture, 0, c.direction, 1600, 0));
        At(0);
        At(c.ms);
        EXPECT_EQ(c.first, Shown(0));
        EXPECT_EQ(c.second, Shown(1));
        m_scheduler.Clear();
    }
}

TEST_F(SpriteLoopTest, AShortWindowAndALongOne) {
    ASSERT_EQ(0, Start(&m_picture, 6, 0, 1600, 0));
    At(0);
    At(400);
    EXPECT_EQ((std::vector<std::int32_t>{4, 0, 10, 4, 30, 40}), Shown(0));
    EXPECT_EQ((std::vector<std::int32_t>{}), Shown(1));
    At(1400);
    EXPECT_EQ((std::vector<std::int32_t>{14, 0, 16, 4, 30, 40}), Shown(0));
    EXPECT_EQ((std::vector<std::int32_t>{0, 0, 4, 4, 32, 40}), Shown(1));
    EXPECT_EQ(2, Start(&m_picture, 17, 0, 1600, 0));
    EXPECT_EQ(1, Start(nullptr, 0, 0, 1600, 0));
}

TEST_F(SpriteLoopTest, RepeatsAndStops) {
    ASSERT_EQ(0, Start(&m_picture, 0, 0, 1600, 2));
    At(0);
    At(1600);
    At(3199);
    EXPECT_TRUE(Running());
    At(3200);
    EXPECT_FALSE(Running()) << "two cycles";

    m_clock.SetMs(kStart);
    ASSERT_EQ(0, Start(&m_picture, 0, 0, 1600, 0));
    At(0);
    At(800);
    EXPECT_EQ(0, m_effect->ChangeParamsV(0));
    At(1599);
    EXPECT_TRUE(Running());
    At(1600);
    EXPECT_FALSE(Running()) << "stopped at the cycle's end";
}

TEST_F(SpriteLoopTest, ShowMoveAndOpacityRedrawAtOnce) {
    ASSERT_EQ(0, Start(&m_picture, 0, 0, 1600, 0));
    At(0);
    At(400);
    EXPECT_EQ(0, m_effect->ChangeParamsV(1, 0));
    EXPECT_EQ((std::vector<std::int32_t>{}), Shown(0));
    EXPECT_EQ((std::vector<std::int32_t>{}), Shown(1));
    At(800);
    EXPECT_EQ(0, m_effect->ChangeParamsV(2, 100, 50));
    EXPECT_EQ(0, m_effect->ChangeParamsV(1, 1));
    EXPECT_EQ((std::vector<std::int32_t>{8, 0, 16, 4, 100, 50}), Shown(0));
    EXPECT_EQ((std::vector<std::int32_t>{0, 0, 8, 4, 108, 50}), Shown(1));
    EXPECT_EQ(0, m_effect->ChangeParamsV(2, 0, 0));
    EXPECT_EQ((std::vector<std::int32_t>{8, 0, 16, 4, 0, 0}), Shown(0));
    EXPECT_EQ((std::vector<std::int32_t>{0, 0, 8, 4, 8, 0}), Shown(1));
    EXPECT_EQ(0, m_effect->ChangeParamsV(3, 0x1234));
    EXPECT_EQ(0x34, m_effect->SpriteOf(0).Alpha());
    EXPECT_EQ(0x34, m_effect->SpriteOf(1).Alpha());
}

TEST_F(SpriteLoopTest, LongPeriodsAndLongGaps) {
    Image wide;
    ASSERT_EQ(0, wide.Create(2048, 1, 32, 0));
    ASSERT_EQ(0, Start(&wide, 0, 0, 3000000, 0));
    At(0);
    At(2500000);
    EXPECT_EQ(1706, m_effect->Offset()) << "elapsed x length in 64 bits";
    At(5 * 3000000u + 1500000);
    EXPECT_EQ(1024, m_effect->Offset()) << "whole periods skipped at once";
    At(6 * 3000000u + 750000);
    EXPECT_EQ(512, m_effect->Offset());
    EXPECT_TRUE(Running());
}

class SpriteLoopSetupTest : public effecttest::ScreenEffectTest {};

TEST_F(SpriteLoopSetupTest, SetupCodes) {
    WritePicture("SYS\\LOOP.ELG", 16, 4, std::vector<std::uint32_t>(64, 0xFF808080u));
    const char* name = "SYS\\LOOP.ELG";
    const char* missing = "SYS\\NONE.ELG";
    struct Case {
        const char* file;
        std::int32_t window;
        std::int32_t code;
    };
    const Case cases[] = {{name, 0, 0}, {missing, 0, 2}, {name, 17, 3}, {nullptr, 0, 2}};
    for (const Case& c : cases) {
        auto* effect = new SpriteLoopEffect;
        const std::int32_t words[] = {Word(c.file), 1, 2, c.window, 255, 5, 0, 1000, 0, 1};
        const std::int32_t code = effect->Setup(&m_scheduler, &m_screen[0], words);
        EXPECT_EQ(c.code, code) << (c.file ? c.file : "null");
        if (code != 0) ReleaseObject(effect);
    }
    EXPECT_EQ(1, m_hooks.started);
    EXPECT_EQ(1, m_scheduler.TaskCount());
    m_clock.SetMs(m_clock.Milliseconds() + 250);
    m_scheduler.RunDue(0);
    m_scheduler.Clear();
    EXPECT_EQ(1, m_hooks.ended);
}

}  // namespace
