// "sp_panime" on the real scheduler over a fake clock, moving an image sprite of a real canvas,
// with its assist; the motion strings' damaged copies played to their end.
#include "effects/objects/sprite_panime_effect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "effects/objects/subtractive_random.h"
#include "framework/interfaces/task_scheduling.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"
#include "tests/effects/busy_hooks.h"
#include "tests/effects/motion/spline_model.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/fake_clock.h"
#include "tests/support/image_buffer.h"
#include "tests/support/text_mutator.h"

namespace {

constexpr std::uint32_t kStart = 5000;

std::int32_t Word(const void* p) {
    return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(p));
}

// A 640 x 480 canvas with a 100 x 80 image sprite at (10, 20), priority 50.
class SpritePanimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_scope = std::make_unique<testsupport::PixelConfigScope>(
            testsupport::PixelConfig::LibraryPortable);
        ASSERT_TRUE(m_scope->Ready());
        g_mathTables = &m_tables;
        ASSERT_EQ(0, m_area.Create(640, 480, 32, 0));
        ASSERT_EQ(0, m_canvas.SetTarget(&m_area, false));
        ASSERT_EQ(0, m_picture.Create(100, 80, 32, 0));
        ASSERT_EQ(0, m_sprite.SetImage(&m_picture, nullptr, 10, 20));
        ASSERT_EQ(0, m_canvas.Sprites().Add(&m_sprite, 50, 0));
        m_clock.SetMs(kStart);
        SpritePanimeAssist(std::vector<std::int32_t>{0, 0, 0}.data());
    }
    void TearDown() override {
        m_scheduler.Clear();
        m_canvas.Sprites().Clear();
        SetEffectRandom(nullptr);
        g_mathTables = nullptr;
    }
    // Creates and sets up an effect; the result of Setup.
    std::int32_t Start(const char* text, std::int32_t duration = 1000, bool loop = false,
                       bool counted = false) {
        m_effect = new SpritePanimeEffect;
        const std::int32_t words[] = {Word(&m_sprite), Word(text), duration, loop, counted};
        const std::int32_t code = m_effect->Setup(&m_scheduler, nullptr, words);
        if (code != 0) {
            ReleaseObject(m_effect);
            m_effect = nullptr;
        }
        return code;
    }
    void At(std::uint32_t ms) {
        m_clock.SetMs(kStart + ms);
        m_scheduler.RunDue(kStart + ms);
    }
    bool Running() { return m_scheduler.TaskCount() != 0; }
    std::uint32_t PriorityOf(const Drawable& d) {
        return m_canvas.Sprites().Find(&d)->priority;
    }

    std::unique_ptr<testsupport::PixelConfigScope> m_scope;
    MathTables m_tables;
    testsupport::FakeClock m_clock;
    TaskScheduler m_scheduler{m_clock};
    Image m_area, m_picture;
    Canvas m_canvas;
    Sprite m_sprite;
    SpritePanimeEffect* m_effect = nullptr;
};

// (1 - cos(pi u)) / 2 through a 512-step cosine, as the model of the cosine ease.
double CosineEase(double u) {
    const std::int64_t part = static_cast<std::int64_t>(u * 256.0);
    return (1.0 - std::cos(3.14159265358979323846 * static_cast<double>(part) / 256.0)) / 2.0;
}

TEST_F(SpritePanimeTest, SegmentsFollowTheStringsTiming) {
    struct Case {
        const char* name;
        const char* text;
        bool loop;
        std::vector<std::vector<std::int32_t>> steps;  // ms, x, y, alpha
        std::uint32_t endsAt;                          // 0: still running after the last step
    };
    const std::int32_t cos25 = 10 + static_cast<std::int32_t>(100 * CosineEase(0.25));
    const Case cases[] = {
        {"linear by default", "P110,20O55", false,
         {{0, 10, 20, 255}, {250, 35, 20, 205}, {500, 60, 20, 155}, {750, 85, 20, 105}}, 1000},
        {"\"A\" alone eases by the cosine", "A P110,20", false,
         {{250, cos25, 20, 255}, {500, 60, 20, 255}}, 1000},
        {"a power ease", "A2 P110,20", false, {{500, 35, 20, 255}}, 1000},
        {"a slow end", "A-2 P110,20", false, {{500, 85, 20, 255}}, 1000},
        {"a late step carries its time", "P110,20 P110,120", false,
         {{0, 10, 20, 255}, {1250, 110, 45, 255}}, 2000},
        {"durations between keys", "P110,20 200 P110,120", false,
         {{1100, 110, 70, 255}}, 1200},
        {"a loop restarts at key 1, not the start state", "P110,20 P110,120", true,
         {{1500, 110, 70, 255}, {2500, 110, 70, 255}, {3500, 110, 70, 255}}, 0},
        {"bounce out and back", "L40]", false,
         {{0, 10, 20, 255}, {250, 30, 20, 255}, {500, 50, 20, 255}, {999, 11, 20, 255}}, 1000},
        {"a negative bounce starts and ends on the key", "L40]-1", false,
         {{0, 10, 20, 255}, {250, -10, 20, 255}, {500, -30, 20, 255}, {999, 9, 20, 255}}, 1000},
        {"an up-and-down bounce", "L40[", false,
         {{0, 10, 20, 255}, {250, -10, 20, 255}, {500, -30, 20, 255}, {750, -10, 20, 255}}, 1000},
        {"a y bounce", "L40_", false, {{500, 10, 60, 255}}, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_sprite.SetPosition(10, 20);
        m_sprite.SetAlpha(255);
        m_clock.SetMs(kStart);
        ASSERT_EQ(0, Start(c.text, 1000, c.loop));
        At(0);
        for (const auto& s : c.steps) {
            At(static_cast<std::uint32_t>(s[0]));
            EXPECT_EQ(s[1], m_sprite.X()) << s[0] << " ms";
            EXPECT_EQ(s[2], m_sprite.Y()) << s[0] << " ms";
            EXPECT_EQ(s[3], m_sprite.Alpha()) << s[0] << " ms";
        }
        if (c.endsAt != 0) {
            At(c.endsAt - 1);
            EXPECT_TRUE(Running());
            At(c.endsAt);
            EXPECT_FALSE(Running());
        } else {
            EXPECT_TRUE(Running());
        }
        m_scheduler.Clear();
    }
}

TEST_F(SpritePanimeTest, SplineSegmentsFollowTheModel) {
    // Keys: the start (10, 20), then four; looping wraps from the last key back to key 1.
    const std::vector<double> xs = {10, 100, 300, 250, -40}, ys = {20, 50, -20, 200, 90};
    const std::vector<double> sx = effecttest::DenseSigma(xs), sy = effecttest::DenseSigma(ys);
    struct Case {
        const char* name;
        const char* text;
        bool cosine;
    };
    const Case cases[] = {
        {"linear time", "S P100,50 P300,-20 P250,200 P-40,90", false},
        {"cosine time", "A S P100,50 P300,-20 P250,200 P-40,90", true},
    };
    // Segment s runs from 1000 s to 1000 (s + 1); segment 4 is the wrap from key 4 to key 1.
    const std::size_t from[] = {0, 1, 2, 3, 4}, to[] = {1, 2, 3, 4, 1};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_sprite.SetPosition(10, 20);
        m_clock.SetMs(kStart);
        ASSERT_EQ(0, Start(c.text, 1000, true));
        At(0);
        for (std::size_t seg = 0; seg < 5; ++seg) {
            for (std::uint32_t quarter : {1u, 2u, 3u}) {
                const std::uint32_t ms = 1000 * static_cast<std::uint32_t>(seg) + 250 * quarter;
                At(ms);
                const double u = quarter / 4.0;
                const double t = c.cosine ? CosineEase(u) : u;
                const std::size_t f = from[seg], k = to[seg];
                EXPECT_TRUE(effecttest::CloseToModel(
                    effecttest::SplineModel(xs[f], xs[k], sx, f, t), m_sprite.X()))
                    << ms << " ms: " << m_sprite.X();
                EXPECT_TRUE(effecttest::CloseToModel(
                    effecttest::SplineModel(ys[f], ys[k], sy, f, t), m_sprite.Y()))
                    << ms << " ms: " << m_sprite.Y();
            }
        }
        At(5000);
        EXPECT_EQ(100, m_sprite.X()) << "the wrap ends on key 1";
        EXPECT_EQ(50, m_sprite.Y());
        m_scheduler.Clear();
    }
}

TEST_F(SpritePanimeTest, TheEndStateOfAFinishedMotion) {
    effecttest::BusyHooks hooks;
    ASSERT_EQ(0, Start("P110,20 O100P50,60", 1000, false, true));
    EXPECT_EQ(1, hooks.started);
    At(0);
    At(2000);
    EXPECT_FALSE(Running());
    EXPECT_EQ(50, m_sprite.X());
    EXPECT_EQ(60, m_sprite.Y());
    EXPECT_EQ(100, m_sprite.Alpha());
    EXPECT_EQ(1, hooks.ended);
}

TEST_F(SpritePanimeTest, ALoopEndsAfterItsPassOnceCleared) {
    ASSERT_EQ(0, Start("P110,20 P110,120", 1000, true));
    At(0);
    At(2500);
    EXPECT_EQ(0, m_effect->ChangeParamsV(0));
    EXPECT_EQ(1, m_effect->ChangeParamsV(1)) << "only command 0 exists";
    At(2999);
    EXPECT_TRUE(Running()) << "the pass in progress plays out";
    At(3000);
    At(4000);
    EXPECT_FALSE(Running());
    EXPECT_EQ(120, m_sprite.Y());
}

TEST_F(SpritePanimeTest, ALoopWithoutKeysEnds) {
    ASSERT_EQ(0, Start("F B", 1000, true));
    At(0);
    EXPECT_FALSE(Running()) << "nothing to play: the step does not read the records for ever";
}

TEST_F(SpritePanimeTest, DefaultDurationZeroPutsTheEndStateAtOnce) {
    EXPECT_EQ(-1, Start("P110,20 O128 P70,90", 0));
    EXPECT_FALSE(Running());
    EXPECT_EQ(70, m_sprite.X());
    EXPECT_EQ(90, m_sprite.Y());
    EXPECT_EQ(128, m_sprite.Alpha());
}

TEST_F(SpritePanimeTest, SetupCodes) {
    EXPECT_EQ(2, Start("P1 x"));
    EXPECT_EQ(2, Start(nullptr));
    Sprite loose;
    ASSERT_EQ(0, loose.SetImage(&m_picture, nullptr, 0, 0));
    auto* effect = new SpritePanimeEffect;
    const char* text = "P1";
    const std::int32_t outside[] = {Word(&loose), Word(text), 1000, 0, 0};
    EXPECT_EQ(2, effect->Setup(&m_scheduler, nullptr, outside)) << "a sprite in no canvas";
    const std::int32_t noSprite[] = {0, Word(text), 1000, 0, 0};
    EXPECT_EQ(1, effect->Setup(&m_scheduler, nullptr, noSprite));
    const std::int32_t words[] = {Word(&m_sprite), Word(text), 1000, 0, 0};
    EXPECT_EQ(1, effect->Setup(nullptr, nullptr, words));
    ReleaseObject(effect);
    EXPECT_FALSE(Running());
}

TEST_F(SpritePanimeTest, AZoomTooLargeForACacheAnswers4) {
    EXPECT_EQ(4, Start("Z9999999999999 P1"));
    EXPECT_EQ(4, Start("Z20000000 P1")) << "within int32 per side, but no memory for it";
    EXPECT_EQ(0, Start("Z2 P10,20"));
    At(0);
    At(500);
    EXPECT_DOUBLE_EQ(1.5, m_sprite.Zoom());
    At(1000);
    EXPECT_DOUBLE_EQ(2.0, m_sprite.Zoom());
}

TEST_F(SpritePanimeTest, RandomDurations) {
    SubtractiveRandom random, twin;
    random.Seed(4301);
    twin.Seed(4301);
    // Without a generator the record is skipped: the default duration stays.
    ASSERT_EQ(0, Start("t500,1500 P110,20"));
    At(0);
    At(250);
    EXPECT_EQ(35, m_sprite.X());
    m_scheduler.Clear();

    SetEffectRandom(&random);
    struct Case {
        const char* text;
        std::uint32_t duration;  // 0: from the twin generator
    };
    const Case cases[] = {
        {"t500,1500 P110,20", 0},
        {"t500,499 P110,20", 500},  // range 0: the minimum
        {"t0,-1 P110,20", 1},       // range 0 and minimum 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        m_sprite.SetPosition(10, 20);
        m_clock.SetMs(kStart);
        // Every random record draws once, whatever its range.
        const std::uint32_t draw = twin.Next();
        const std::uint32_t duration = c.duration != 0 ? c.duration : 500 + draw % 1001;
        ASSERT_EQ(0, Start(c.text));
        At(0);
        At(duration - 1);
        EXPECT_TRUE(Running());
        At(duration);
        EXPECT_FALSE(Running());
        EXPECT_EQ(110, m_sprite.X());
    }
}

TEST_F(SpritePanimeTest, AssistPrioritiesApplyToEffectsMadeLater) {
    ASSERT_EQ(0, Start("F P1,1"));
    At(0);
    EXPECT_EQ(0u, PriorityOf(m_sprite)) << "priority A was 0 when it was made";
    m_scheduler.Clear();
    const std::int32_t configure[] = {0, 7, 9};
    EXPECT_EQ(0, SpritePanimeAssist(configure));
    ASSERT_EQ(0, Start("F P1,1 B P2,2"));
    At(0);
    EXPECT_EQ(7u, PriorityOf(m_sprite));
    At(1000);
    EXPECT_EQ(9u, PriorityOf(m_sprite));
    At(2000);
    EXPECT_FALSE(Running());
    EXPECT_EQ(9u, PriorityOf(m_sprite)) << "the final action B";
}

TEST_F(SpritePanimeTest, AssistAppliesTheEndStateAndFillsItsOutWords) {
    std::int32_t x = 0, y = 0, opacity = 0, priority = 0, px = 0, py = 0;
    float zoom = -1, rotation = -1;
    const char* text = "P30,40 O77 F";
    std::int32_t words[] = {1, Word(&m_sprite), Word(text), Word(&x), Word(&y), Word(&opacity),
                            Word(&priority), Word(&zoom), Word(&rotation), Word(&px), Word(&py)};
    EXPECT_EQ(0, SpritePanimeAssist(words));
    EXPECT_EQ(30, m_sprite.X());
    EXPECT_EQ(40, m_sprite.Y());
    EXPECT_EQ(77, m_sprite.Alpha());
    EXPECT_EQ((std::vector<std::int32_t>{30, 40, 77, 1}),
              (std::vector<std::int32_t>{x, y, opacity, priority}));
    EXPECT_EQ(0.0f, zoom);
    EXPECT_EQ(0.0f, rotation);
    const char* turned = "P5,6 R0.25";
    words[2] = Word(turned);
    EXPECT_EQ(0, SpritePanimeAssist(words));
    EXPECT_EQ(128, m_sprite.Angle());
    EXPECT_EQ(0.25f, rotation);
    const char* bad = "P1 x";
    words[2] = Word(bad);
    x = -5;
    EXPECT_EQ(4, SpritePanimeAssist(words)) << "the evaluation's code";
    EXPECT_EQ(-5, x);
    words[1] = 0;
    EXPECT_EQ(1, SpritePanimeAssist(words));
    std::int32_t nullOuts[11] = {1, Word(&m_sprite), Word(text)};
    EXPECT_EQ(0, SpritePanimeAssist(nullOuts)) << "null out-words are skipped";
}

TEST_F(SpritePanimeTest, ControlReportsTheEndState) {
    ASSERT_EQ(0, Start("P30,40 O77 Z2 R0.5 B"));
    std::int32_t x = 0, y = 0, opacity = 0, priority = 0, px = 0, py = 0;
    float zoom = 0, rotation = 0, transform = 0;
    EXPECT_EQ(0, m_effect->ControlV(Word(&x), Word(&y), Word(&opacity), Word(&priority),
                                    Word(&zoom), Word(&rotation), Word(&px), Word(&py),
                                    Word(&transform)));
    EXPECT_EQ((std::vector<std::int32_t>{30, 40, 77, 2, 320, 480}),
              (std::vector<std::int32_t>{x, y, opacity, priority, px, py}));
    EXPECT_EQ(2.0f, zoom);
    EXPECT_EQ(0.5f, rotation);
    EXPECT_EQ(1.0f, transform);
}

TEST_F(SpritePanimeTest, SetUpFromARecordList) {
    std::unique_ptr<MotionRecord[]> records(new MotionRecord[3]());
    records[0].kind = kMotionKey;
    records[0].a = 10;
    records[0].b = 20;
    records[0].byte = 255;
    records[0].zoom = 1.0;
    records[1].kind = kMotionDuration;
    records[1].a = 400;
    records[2] = records[0];
    records[2].a = 50;
    records[2].keyIndex = 1;
    PanimeRecordSetup setup;
    setup.count = 3;
    setup.keyCount = 2;
    auto* effect = new SpritePanimeEffect;
    ASSERT_EQ(0, effect->SetupFromRecords(&m_sprite, std::move(records), setup));
    EXPECT_EQ(0, effect->Step(kStart));
    EXPECT_EQ(0, effect->Step(kStart + 200));
    EXPECT_EQ(30, m_sprite.X());
    EXPECT_EQ(1, effect->Step(kStart + 400));
    EXPECT_EQ(50, m_sprite.X());
    EXPECT_EQ(1, effect->SetupFromRecords(&m_sprite, nullptr, setup));
    ReleaseObject(effect);
}

TEST_F(SpritePanimeTest, DamagedStringsPlayToTheirEnd) {
    SubtractiveRandom random;
    random.Seed(4301);
    SetEffectRandom(&random);
    const char* bases[] = {
        "P100,200 1000 P300,200", "c>2+1 O128 t500,1500 A2.5 S p5,-5 F !c B",
        "M10>3 L20 $2%1[1]2^1_1 o5,6 z Z1.5 R0.25 N !", "!l 250 !r u d i l r 0 P-5,-6",
    };
    int played = 0;
    for (const char* base : bases) {
        for (const std::string& text : testsupport::MutatedTexts(base, 4301, 60)) {
            std::vector<std::uint8_t> bytes(text.begin(), text.end());
            bytes.push_back(0);
            const testsupport::GuardedBytes guarded(bytes);
            const char* t = reinterpret_cast<const char*>(guarded.Data());
            m_sprite.SetPosition(10, 20);
            m_sprite.SetRotationZoom(0, 1.0);
            std::uint32_t now = kStart;
            m_clock.SetMs(now);
            const std::int32_t code = Start(t);
            ASSERT_TRUE(code == 0 || code == 2 || code == 4) << text << ": " << code;
            if (code != 0) continue;
            ++played;
            const MotionPath& path = m_effect->Path();
            const std::int32_t budget = 12 * path.RecordCount() + 4;
            const MotionRecord last = path.Records()[std::max(0, path.m_lastKeyRecord)];
            std::int32_t steps = 0;
            // Every segment lasts less than 0xC0000000 ms: twelve steps 2^28 ms apart end it.
            for (; Running() && steps < budget; ++steps) {
                m_clock.SetMs(now);
                m_scheduler.RunDue(now);
                now += 0x10000000u;
            }
            EXPECT_FALSE(Running()) << text;
            EXPECT_EQ(last.a, m_sprite.X()) << text << ": the end lies on the last key";
            EXPECT_EQ(last.b, m_sprite.Y()) << text;
            EXPECT_EQ(last.byte, m_sprite.Alpha()) << text;
            m_scheduler.Clear();
        }
    }
    EXPECT_GT(played, 20);
}

}  // namespace
