// The three motion tasks on the real scheduler over a fake clock, moving sprites of a real
// canvas and device drawables.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "effects/motion/motion_tasks.h"
#include "framework/interfaces/task_scheduling.h"
#include "graphics/compose/math_tables.h"
#include "graphics/device/primitive_sprites.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/fill_rect_sprite.h"
#include "graphics/sprites/sprite.h"
#include "tests/effects/busy_hooks.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/fake_clock.h"
#include "tests/support/image_buffer.h"
#include "tests/support/text_mutator.h"

namespace {

constexpr std::uint32_t kStart = 1000;

class MotionTaskTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_scope = std::make_unique<testsupport::PixelConfigScope>(
            testsupport::PixelConfig::LibraryPortable);
        ASSERT_TRUE(m_scope->Ready());
        g_mathTables = &m_tables;
        ASSERT_EQ(0, m_area.Create(640, 480, 32, 0));
        ASSERT_EQ(0, m_canvas.SetTarget(&m_area, false));
        ASSERT_EQ(0, m_picture.Create(100, 80, 32, 0));
        const RECT source = {0, 0, 50, 40};
        ASSERT_EQ(0, m_sprite.SetImage(&m_picture, &source, 10, 20));
        ASSERT_EQ(0, m_canvas.Sprites().Add(&m_sprite, 0, 0));
        ASSERT_EQ(0, m_fill.Setup(200, 40, 0xFF102030u, 100, 50));
        ASSERT_EQ(0, m_canvas.Sprites().Add(&m_fill, 1, 0));
        m_clock.SetMs(kStart);
    }
    void TearDown() override {
        m_scheduler.Clear();
        m_canvas.Sprites().Clear();
        g_mathTables = nullptr;
    }
    // Runs the scheduler at start + ms.
    void At(std::uint32_t ms) {
        m_clock.SetMs(kStart + ms);
        m_scheduler.RunDue(kStart + ms);
    }

    std::unique_ptr<testsupport::PixelConfigScope> m_scope;
    MathTables m_tables;
    testsupport::FakeClock m_clock;
    TaskScheduler m_scheduler{m_clock};
    Image m_area, m_picture;
    Canvas m_canvas;
    Sprite m_sprite;
    FillRectSprite m_fill;
};

TEST_F(MotionTaskTest, PathMotionFollowsItsPoints) {
    auto* motion = new PathMotion(500, 0, false, 0.0, 1, false, false, 0);
    ASSERT_EQ(0, motion->Parse("(110,20,55) (110,220,255)"));
    EXPECT_EQ(3, motion->PointCount());
    ASSERT_EQ(0, motion->StartOnSprite(&m_scheduler, &m_sprite));
    EXPECT_EQ(kPathMotionOnSprite + 1, motion->Kind()) << "the canvas's own list";
    struct Case {
        std::uint32_t ms;
        std::int32_t x, y, alpha;
    };
    const Case cases[] = {
        {0, 10, 20, 255},    {125, 35, 20, 205},  {250, 60, 20, 155}, {375, 85, 20, 105},
        {500, 110, 20, 55},  {800, 110, 140, 175},  // a step 300 ms late lands where time says
        {999, 110, 219, 254}, {1000, 110, 220, 255},
    };
    for (const Case& c : cases) {
        At(c.ms);
        EXPECT_EQ(c.x, m_sprite.X()) << c.ms;
        EXPECT_EQ(c.y, m_sprite.Y()) << c.ms;
        EXPECT_EQ(c.alpha, m_sprite.Alpha()) << c.ms;
    }
    At(1001);
    EXPECT_EQ(0, m_scheduler.TaskCount()) << "finished and deleted";
}

TEST_F(MotionTaskTest, EasingReachesTheLastPointAndIgnoresABadExponent) {
    struct Case {
        double exponent;
        std::int32_t x500, y500;
    };
    const Case cases[] = {
        {2.0, 60, 20},     // t = 250
        {-2.0, 110, 120},  // t = 750
        {0.0, 110, 20},
        {std::numeric_limits<double>::infinity(), 110, 20},
        {-std::numeric_limits<double>::infinity(), 110, 20},
        {std::numeric_limits<double>::quiet_NaN(), 110, 20},
    };
    for (const Case& c : cases) {
        m_sprite.SetPosition(10, 20);
        auto* motion = new PathMotion(500, 0, false, c.exponent, 1, false, false, 0);
        ASSERT_EQ(0, motion->Parse("(110,20,255)(110,220,255)"));
        m_clock.SetMs(kStart);
        ASSERT_EQ(0, motion->StartOnSprite(&m_scheduler, &m_sprite));
        At(0);
        At(500);
        EXPECT_EQ(c.x500, m_sprite.X()) << c.exponent;
        EXPECT_EQ(c.y500, m_sprite.Y()) << c.exponent;
        At(999);
        EXPECT_LE(m_sprite.Y(), 220) << c.exponent;
        At(1000);
        EXPECT_EQ(110, m_sprite.X()) << c.exponent;
        EXPECT_EQ(220, m_sprite.Y()) << c.exponent;
        At(1001);
        EXPECT_EQ(0, m_scheduler.TaskCount());
    }
}

// Natural spline of the points solved densely, at (s, f).
double DenseNaturalSpline(const std::vector<double>& p, std::size_t s, double f) {
    const std::size_t m = p.size() - 1;
    std::vector<std::vector<double>> a(m - 1, std::vector<double>(m, 0.0));
    for (std::size_t i = 1; i < m; ++i) {
        if (i > 1) a[i - 1][i - 2] = 1;
        a[i - 1][i - 1] = 4;
        if (i + 1 < m) a[i - 1][i] = 1;
        a[i - 1][m - 1] = p[i + 1] - 2 * p[i] + p[i - 1];
    }
    const std::size_t n = m - 1;
    for (std::size_t c = 0; c < n; ++c)
        for (std::size_t r = c + 1; r < n; ++r) {
            const double k = a[r][c] / a[c][c];
            for (std::size_t j = c; j <= n; ++j) a[r][j] -= k * a[c][j];
        }
    std::vector<double> sigma(m + 1, 0.0);
    for (std::size_t c = n; c-- > 0;) {
        double v = a[c][n];
        for (std::size_t j = c + 1; j < n; ++j) v -= a[c][j] * sigma[j + 1];
        sigma[c + 1] = v / a[c][c];
    }
    return p[s] + f * (p[s + 1] - p[s] - (2 * sigma[s] + sigma[s + 1])) + 3 * sigma[s] * f * f +
           (sigma[s + 1] - sigma[s]) * f * f * f;
}

TEST_F(MotionTaskTest, SplinePathMatchesADenseSolve) {
    const std::int32_t words[] = {100, 50, 255, 200, -20, 255, 300, 80, 255};
    auto* motion = new PathMotion(400, 0, false, 0.0, 1, true, false, 0);
    ASSERT_EQ(0, motion->SetPoints(3, words));
    ASSERT_EQ(0, motion->StartOnSprite(&m_scheduler, &m_sprite));
    const std::vector<double> xs = {10, 100, 200, 300}, ys = {20, 50, -20, 80};
    At(0);
    for (std::uint32_t ms = 100; ms < 1200; ms += 100) {
        At(ms);
        const std::size_t s = ms / 400;
        const double f = (ms % 400) / 400.0;
        for (auto [got, model] : {std::pair{m_sprite.X(), DenseNaturalSpline(xs, s, f)},
                                  std::pair{m_sprite.Y(), DenseNaturalSpline(ys, s, f)}}) {
            const bool nearInteger = std::fabs(model - std::round(model)) < 1e-6;
            if (nearInteger) EXPECT_LE(std::abs(got - static_cast<std::int32_t>(std::trunc(model))), 1) << ms;
            else EXPECT_EQ(static_cast<std::int32_t>(std::trunc(model)), got) << ms;
        }
    }
}

TEST_F(MotionTaskTest, PointTextsAndWordLists) {
    struct Case {
        std::string text;
        bool spline;
        std::int32_t code, points;
    };
    const Case cases[] = {
        {"(1,2,3)(4,5,6)", false, 0, 3},
        {"(1,2,3)", true, 2, 0},
        {"", false, 2, 0},
        {"1,2,3", false, 2, 0},
        {"\x81(1,2,3)(4,5,6)", false, 0, 2},  // the second byte of a character is no "("
        {"(1,2,3)\x81", false, 0, 2},          // a lead byte in last place keeps the terminator
        {"(1,x,3)(4", false, 0, 3},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes(c.text.begin(), c.text.end());
        bytes.push_back(0);
        const testsupport::GuardedBytes guarded(bytes);
        PathMotion motion(100, 0, false, 0.0, 1, c.spline, false, 0);
        EXPECT_EQ(c.code, motion.Parse(reinterpret_cast<const char*>(guarded.Data()))) << c.text;
        EXPECT_EQ(c.points, motion.PointCount()) << c.text;
    }
    PathMotion motion(100, 0, false, 0.0, 1, false, false, 0);
    EXPECT_EQ(1, motion.Parse(nullptr));
    ASSERT_EQ(0, motion.Parse("(1,x,3)(4"));
    EXPECT_EQ(1.0, motion.First(1));
    EXPECT_EQ(1.0, motion.Second(1)) << "an unreadable number keeps the value read before it";

    const std::int32_t words[] = {1, 2, 3};
    for (std::int32_t count : {-1, 0, 0x7FFFFFFF}) {
        PathMotion refused(100, 0, false, 0.0, 1, false, false, 0);
        EXPECT_EQ(1, refused.SetPoints(count, words)) << count;
        EXPECT_EQ(0, refused.PointCount()) << count;
    }
    PathMotion spline(100, 0, false, 0.0, 1, true, false, 0);
    EXPECT_EQ(1, spline.SetPoints(1, words));
    EXPECT_EQ(1, spline.SetPoints(1, nullptr));
}

TEST_F(MotionTaskTest, RunningMotionRefusesAndSegmentTimeZeroEndsAtOnce) {
    auto* motion = new PathMotion(100, 0, false, 0.0, 1, false, false, 0);
    ASSERT_EQ(0, motion->Parse("(50,60,70)"));
    ASSERT_EQ(0, motion->StartOnSprite(&m_scheduler, &m_sprite));
    EXPECT_EQ(-1, motion->Parse("(1,1,1)(2,2,2)"));
    EXPECT_EQ(2, motion->PointCount());
    EXPECT_EQ(-1, motion->StartOnSprite(&m_scheduler, &m_sprite));
    m_scheduler.Clear();

    PathMotion instant(0, 0, true, 0.0, 1, false, false, 1);
    ASSERT_EQ(0, instant.Parse("(50,60,70)"));
    effecttest::BusyHooks hooks;
    EXPECT_EQ(-2, instant.StartOnSprite(&m_scheduler, &m_sprite));
    EXPECT_EQ(50, m_sprite.X());
    EXPECT_EQ(60, m_sprite.Y());
    EXPECT_EQ(70, m_sprite.Alpha());
    EXPECT_FALSE(m_sprite.IsVisible());
    EXPECT_EQ(0, m_scheduler.TaskCount());
    EXPECT_EQ(0, hooks.started);
}

TEST_F(MotionTaskTest, LoopReturnsToPointZeroAndIsNeverCounted) {
    effecttest::BusyHooks hooks;
    auto* motion = new PathMotion(500, 0, false, 0.0, 1, false, true, 1);
    ASSERT_EQ(0, motion->Parse("(110,20,255)"));
    ASSERT_EQ(0, motion->StartOnSprite(&m_scheduler, &m_sprite));
    At(0);
    At(250);
    EXPECT_EQ(60, m_sprite.X());
    At(500);
    EXPECT_EQ(10, m_sprite.X()) << "the wrap starts again from point 0";
    At(750);
    EXPECT_EQ(60, m_sprite.X());
    EXPECT_EQ(1, m_scheduler.TaskCount());
    EXPECT_EQ(0, hooks.started);
}

TEST_F(MotionTaskTest, BusyCountedOnceAndCountedOutOnDeletion) {
    effecttest::BusyHooks hooks;
    auto* motion = new PathMotion(100, 0, false, 0.0, 1, false, false, 1);
    ASSERT_EQ(0, motion->Parse("(110,20,255)"));
    ASSERT_EQ(0, motion->StartOnSprite(&m_scheduler, &m_sprite));
    EXPECT_EQ(1, hooks.started);
    EXPECT_EQ(2, motion->BusyMode());
    At(0);
    At(100);
    At(101);
    EXPECT_EQ(0, m_scheduler.TaskCount());
    EXPECT_EQ(1, hooks.started);
    EXPECT_EQ(1, hooks.ended);
}

TEST_F(MotionTaskTest, DelayShowsTheTargetAndTheEndHidesIt) {
    m_sprite.SetVisible(0);
    auto* motion = new PathMotion(100, 300, true, 0.0, 1, false, false, 0);
    ASSERT_EQ(0, motion->Parse("(110,20,255)"));
    ASSERT_EQ(0, motion->StartOnSprite(&m_scheduler, &m_sprite));
    At(0);
    At(299);
    EXPECT_FALSE(m_sprite.IsVisible());
    EXPECT_EQ(10, m_sprite.X());
    At(300);
    EXPECT_TRUE(m_sprite.IsVisible());
    At(350);
    EXPECT_EQ(60, m_sprite.X());
    At(400);
    EXPECT_FALSE(m_sprite.IsVisible());
    EXPECT_EQ(110, m_sprite.X());
}

TEST_F(MotionTaskTest, KindsCancelAndPause) {
    Sprite loose;
    ASSERT_EQ(0, loose.SetImage(&m_picture, nullptr, 0, 0));
    auto* onLoose = new PathMotion(1000, 0, false, 0.0, 1, false, false, 0);
    ASSERT_EQ(0, onLoose->Parse("(100,0,255)"));
    ASSERT_EQ(0, onLoose->StartOnSprite(&m_scheduler, &loose));
    EXPECT_EQ(12003, onLoose->Kind());
    auto* mine = new PathMotion(1000, 0, false, 0.0, 1, false, false, 0);
    ASSERT_EQ(0, mine->Parse("(110,20,255)"));
    ASSERT_EQ(0, mine->StartOnSprite(&m_scheduler, &m_sprite));
    EXPECT_EQ(12004, mine->Kind());
    At(0);
    At(250);
    EXPECT_EQ(35, m_sprite.X());
    m_scheduler.PauseKind(12004);
    At(750);
    EXPECT_EQ(35, m_sprite.X()) << "paused";
    EXPECT_EQ(75, loose.X()) << "the other kind runs on";
    m_scheduler.ResumeKind(12004);
    At(760);
    EXPECT_EQ(36, m_sprite.X()) << "continues where it stopped: t = 260";
    m_scheduler.CancelKind(12004);
    EXPECT_EQ(110, m_sprite.X()) << "cancelled: the final state";
    m_scheduler.RunDue(kStart + 761);
    EXPECT_EQ(1, m_scheduler.TaskCount());

    auto* track = new TrackMotion(100, 0, false, 0.0, 0, 0, true, true, false, 0);
    ASSERT_EQ(0, track->Parse("(100,40,255)"));
    ASSERT_EQ(0, track->Start(&m_scheduler, &m_fill));
    EXPECT_EQ(12006, track->Kind());
    auto* value = new ValueMotion(100, 0, false, 0.0, true, true, false, 0);
    ASSERT_EQ(0, value->Parse("(64,1.0,255)"));
    ASSERT_EQ(0, value->Start(&m_scheduler, &loose));
    EXPECT_EQ(12007, value->Kind());
    m_scheduler.Clear();  // before the loose sprite goes
}

TEST_F(MotionTaskTest, TrackKeepsTheCentreAndFollowsOutsideMoves) {
    struct Case {
        bool fixedBase;
        std::int32_t outsideMove, endX;
    };
    const Case cases[] = {{true, 0, 150}, {false, 0, 150}, {false, 10, 160}, {true, 10, 150}};
    for (const Case& c : cases) {
        m_fill.SetSizeAndPosition(0, 0, 100, 50);
        auto* track = new TrackMotion(100, 0, false, 0.0, 1, 2, c.fixedBase, false, false, 0);
        ASSERT_EQ(0, track->Parse("(100,20,255)"));
        m_clock.SetMs(kStart);
        ASSERT_EQ(0, track->Start(&m_scheduler, &m_fill));
        At(0);
        At(50);
        EXPECT_EQ(125, m_fill.X());
        EXPECT_EQ(60, m_fill.Y()) << "bottom edge fixed: 40 -> 30 high";
        m_fill.MoveBy(c.outsideMove, 0);
        At(100);
        EXPECT_EQ(c.endX, m_fill.X()) << c.fixedBase << " " << c.outsideMove;
        EXPECT_EQ(70, m_fill.Y());
        EXPECT_EQ(100, m_fill.Width() ? m_fill.DisplaySize().cx : 0);
        At(101);
    }
}

TEST_F(MotionTaskTest, TransformCachesThatCannotBeMadeAnswerTwo) {
    ValueMotion value(100, 0, false, 0.0, true, true, false, 0);
    ASSERT_EQ(0, value.Parse("(0,1e12,255)"));
    EXPECT_EQ(2, value.Start(&m_scheduler, &m_sprite));
    ValueMotion onFill(100, 0, false, 0.0, true, true, false, 0);
    ASSERT_EQ(0, onFill.Parse("(0,2,255)"));
    EXPECT_EQ(2, onFill.Start(&m_scheduler, &m_fill));
    TrackMotion track(100, 0, false, 0.0, 0, 0, true, true, false, 0);
    ASSERT_EQ(0, track.Parse("(2147483647,2147483647,255)"));
    EXPECT_EQ(2, track.Start(&m_scheduler, &m_sprite));
    EXPECT_EQ(0, m_scheduler.TaskCount());
}

TEST_F(MotionTaskTest, ValueMotionReadsZoomWords) {
    ValueMotion value(100, 0, false, 0.0, true, true, false, 0);
    const std::string longWord(40, '3');
    ASSERT_EQ(0, value.Parse(("(10,1.5,255)(20," + longWord + ",128)(30,0.5x,7)").c_str()));
    EXPECT_EQ(1.5, value.Second(1));
    EXPECT_EQ(1.5, value.Second(2)) << "a zoom word over 31 characters keeps the value before it";
    EXPECT_EQ(128, value.Byte(2));
    EXPECT_EQ(20.0, value.First(2));
    EXPECT_EQ(0.5, value.Second(3));
    EXPECT_EQ(7, value.Byte(3));

    auto* motion = new ValueMotion(100, 0, false, 0.0, true, true, false, 0);
    ASSERT_EQ(0, motion->Parse("(128,2,100)"));
    ASSERT_EQ(0, motion->Start(&m_scheduler, &m_sprite));
    At(0);
    At(50);
    EXPECT_EQ(64, m_sprite.Angle());
    EXPECT_EQ(1.5, m_sprite.Zoom());
    At(100);
    EXPECT_EQ(128, m_sprite.Angle());
    EXPECT_EQ(2.0, m_sprite.Zoom());
    EXPECT_EQ(100, m_sprite.Alpha());
}

TEST_F(MotionTaskTest, ModeTwoScrollsTheSource) {
    auto* motion = new PathMotion(100, 0, false, 0.0, 2, false, false, 0);
    ASSERT_EQ(0, motion->Parse("(40,30,255)"));
    ASSERT_EQ(0, motion->StartOnSprite(&m_scheduler, &m_sprite));
    At(0);
    At(50);
    EXPECT_EQ(20, m_sprite.SourceRect().left);
    EXPECT_EQ(15, m_sprite.SourceRect().top);
    EXPECT_EQ(10, m_sprite.X()) << "the position stays";
    At(100);
    EXPECT_EQ(40, m_sprite.SourceRect().left);
    PathMotion onFill(100, 0, false, 0.0, 2, false, false, 0);
    ASSERT_EQ(0, onFill.Parse("(40,30,255)"));
    EXPECT_EQ(2, onFill.StartOnSprite(&m_scheduler, &m_fill));
}

// A device drawable of any kind that records its position.
class KindDrawable final : public DeviceDrawable {
public:
    explicit KindDrawable(DeviceDrawableKind kind) : m_kind(kind) {}
    DeviceDrawableKind Kind() const override { return m_kind; }
    std::int32_t GetX() const override { return x; }
    std::int32_t GetY() const override { return y; }
    void SetPosition(std::int32_t nx, std::int32_t ny) override { x = nx; y = ny; }
    void SetSize(std::int32_t, std::int32_t) override {}
    void SetSizeAndPosition(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
    void MoveBy(std::int32_t, std::int32_t) override {}
    bool HitTest(std::int32_t, std::int32_t, bool) override { return false; }
    bool Overlaps(DeviceDrawable*) override { return false; }
    bool GetBounds(RECT*) override { return false; }
    std::int32_t Draw(IDirectDrawSurface7*, const RECT*, Direct3DDevice*) override { return 0; }
    std::int32_t RestoreContent() override { return 0; }
    std::int32_t x = 3, y = 4;

private:
    DeviceDrawableKind m_kind;
};

TEST_F(MotionTaskTest, StartOnObjectByDrawableKind) {
    for (DeviceDrawableKind kind : {kDrawableSurfaceSprite, kDrawableSurfaceSpriteEx,
                                    kDrawableTransitionSprite, kDrawablePrimMovie,
                                    kDrawableRenderStateBlock, kDrawableTextureStageBlock}) {
        KindDrawable object(kind);
        auto* motion = new PathMotion(100, 0, false, 0.0, 1, false, false, 0);
        ASSERT_EQ(0, motion->Parse("(53,54,200)"));
        const std::int32_t result = motion->StartOnObject(&m_scheduler, &object);
        if (kind >= kDrawableRenderStateBlock) {
            EXPECT_EQ(2, result) << kind;
            delete motion;
            continue;
        }
        ASSERT_EQ(0, result) << kind;
        EXPECT_EQ(12000, motion->Kind());
        EXPECT_EQ(3.0, motion->First(0));
        EXPECT_EQ(0, motion->Byte(0)) << "no opacity for kind " << kind;
        m_scheduler.CancelKind(12000);
        EXPECT_EQ(53, object.x);
        EXPECT_EQ(54, object.y);
        m_scheduler.RunDue(kStart);
    }
    ColourRectSprite rect;
    ASSERT_EQ(0, rect.SetUp(10, 10, 0x80FFFFFFu, 7, 8));
    auto* motion = new PathMotion(100, 0, false, 0.0, 1, false, false, 0);
    ASSERT_EQ(0, motion->Parse("(53,54,200)"));
    ASSERT_EQ(0, motion->StartOnObject(&m_scheduler, &rect));
    EXPECT_EQ(0x80, motion->Byte(0)) << "the colour's top byte";
    At(0);
    At(50);
    EXPECT_EQ(0x80 + (200 - 0x80) / 2, rect.Vertices()[0].diffuse >> 24);
    At(100);
    EXPECT_EQ(200u, rect.Vertices()[0].diffuse >> 24);
    EXPECT_EQ(53, rect.GetX());

    PolygonSprite empty;
    auto* onPolygon = new PathMotion(100, 0, false, 0.0, 1, false, false, 0);
    ASSERT_EQ(0, onPolygon->Parse("(1,1,9)"));
    ASSERT_EQ(0, onPolygon->StartOnObject(&m_scheduler, &empty));
    EXPECT_EQ(0, onPolygon->Byte(0)) << "a polygon without vertices";
    m_scheduler.Clear();
}

}  // namespace

namespace {

TEST(MotionPointTexts, DamagedTextsAnswerACodeAndKeepThePointsInStep) {
    const char* bases[] = {"(110,20,55) (110,220,255)", "(1,2.5,3)(-4,5,6)(7,8,9)"};
    for (const char* base : bases) {
        for (const std::string& text : testsupport::MutatedTexts(base, 4302, 80)) {
            std::vector<std::uint8_t> bytes(text.begin(), text.end());
            bytes.push_back(0);
            const testsupport::GuardedBytes guarded(bytes);
            const char* t = reinterpret_cast<const char*>(guarded.Data());
            PathMotion path(100, 0, false, 0.0, 1, true, false, 0);
            TrackMotion track(100, 0, false, 0.0, 1, 1, false, true, false, 0);
            ValueMotion value(100, 0, false, 0.0, true, true, false, 0);
            for (auto [code, points] : {std::pair{path.Parse(t), path.PointCount()},
                                        std::pair{track.Parse(t), track.PointCount()},
                                        std::pair{value.Parse(t), value.PointCount()}}) {
                EXPECT_TRUE(code == 0 || code == 2) << text;
                if (code == 2) EXPECT_EQ(0, points) << text;
                else EXPECT_GE(points, 2) << text;
            }
        }
    }
}

}  // namespace
