// Motion strings read into paths and evaluated to their end, for an image sprite, a fill sprite
// and a canvas's background view; the spline against a dense solve; damaged strings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "effects/motion/motion_path.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/fill_rect_sprite.h"
#include "graphics/sprites/sprite.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/image_buffer.h"
#include "tests/support/text_mutator.h"

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// A 640 x 480 area with a 100 x 80 image sprite at (10, 20) whose picture has its origin at
// (270, 400), a 60 x 40 fill sprite at (5, 6) with alpha 200, and a second canvas showing a
// 1000 x 800 background from (30, 40).
class MotionPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_scope = std::make_unique<testsupport::PixelConfigScope>(
            testsupport::PixelConfig::LibraryPortable);
        ASSERT_TRUE(m_scope->Ready());
        ASSERT_EQ(0, m_area.Create(640, 480, 32, 0));
        ASSERT_EQ(0, m_canvas.SetTarget(&m_area, false));
        ASSERT_EQ(0, m_picture.Create(100, 80, 32, 0));
        m_picture.SetOriginX(270);
        m_picture.SetOriginY(400);
        ASSERT_EQ(0, m_sprite.SetImage(&m_picture, nullptr, 10, 20));
        ASSERT_EQ(0, m_canvas.Sprites().Add(&m_sprite, 0, 0));
        ASSERT_EQ(0, m_fill.Setup(60, 40, 0xC8102030u, 5, 6));
        ASSERT_EQ(0, m_canvas.Sprites().Add(&m_fill, 1, 0));
        ASSERT_EQ(0, m_viewArea.Create(640, 480, 32, 0));
        ASSERT_EQ(0, m_view.SetTarget(&m_viewArea, false));
        ASSERT_EQ(0, m_background.Create(1000, 800, 32, 0));
        ASSERT_TRUE(m_view.SetSource(&m_background, 30, 40, false));
    }
    void TearDown() override { m_canvas.Sprites().Clear(); }

    std::unique_ptr<testsupport::PixelConfigScope> m_scope;
    Image m_area, m_picture, m_viewArea, m_background;
    Canvas m_canvas, m_view;
    Sprite m_sprite;
    FillRectSprite m_fill;
};

struct End {
    std::int32_t code, x, y;
};

End Evaluate(const char* text, Drawable* target, Canvas* canvas) {
    End end = {0, -999, -999};
    end.code = EvaluateMotionString(text, &end.x, &end.y, target, canvas, nullptr, nullptr,
                                    nullptr, nullptr, nullptr, nullptr);
    return end;
}

TEST_F(MotionPathTest, ReadsTheRecordsOfATable) {
    struct Case {
        const char* text;
        std::int32_t code;
        std::vector<std::vector<std::int32_t>> records;  // kind, a, b
        std::uint32_t totalTime;
    };
    const Case cases[] = {
        {"P100,200 1000 P300,200", 0, {{0, 10, 20}, {0, 100, 200}, {1, 1000, 0}, {0, 300, 200}}, 2000},
        {"c>2+1", 0, {{0, 10, 20}, {0, 320, 425}}, 1000},
        {"M10>3", 0, {{0, 10, 20}, {8, 10, 0}, {0, 40, 20}}, 1000},
        {"M10 M>1", 0, {{0, 10, 20}, {8, 10, 0}, {8, 25, 0}, {0, 35, 20}}, 1000},
        {"t500,1500", 0, {{0, 10, 20}, {2, 500, 1001}}, 0},
        {"t500", 6, {}, 0},
        {"t", 6, {}, 0},
        {"P1 x", 4, {}, 0},
        {"", 5, {}, 0},
        {"   ", 5, {}, 0},
        {"P5!", 0, {{0, 10, 20}, {0, 5, 480}}, 1000},
        {"500 P1 250 P2 P3", 0, {{0, 10, 20}, {1, 500, 0}, {0, 1, 20}, {1, 250, 0}, {0, 2, 20}, {0, 3, 20}}, 1000},
        {"P99999999999", 0, {{0, 10, 20}, {0, kMax, 20}}, 1000},
        {"M2147483647>2147483647", 0, {{0, 10, 20}, {8, kMax, 0}, {0, kMax, 20}}, 1000},
        {"M2147483647<2147483647", 0, {{0, 10, 20}, {8, kMax, 0}, {0, kMin, 20}}, 1000},
        {"2147483647 P1 P2 P3", 0, {{0, 10, 20}, {1, kMax, 0}, {0, 1, 20}, {0, 2, 20}, {0, 3, 20}}, 0xFFFFFFFFu},
        {"o5,6 z", 0, {{0, 10, 20}, {10, 55, 86}, {10, 50, 40}}, 0},
    };
    for (const Case& c : cases) {
        MotionPath path;
        EXPECT_EQ(c.code, path.Parse(c.text, &m_sprite, nullptr)) << c.text;
        ASSERT_EQ(static_cast<std::int32_t>(c.records.size()), path.RecordCount()) << c.text;
        if (c.code != 0) continue;
        for (std::size_t i = 0; i < c.records.size(); ++i) {
            const MotionRecord& r = path.Records()[i];
            EXPECT_EQ(c.records[i], (std::vector<std::int32_t>{r.kind, r.a, r.b}))
                << c.text << " record " << i;
        }
        EXPECT_EQ(c.totalTime, path.m_totalTime) << c.text;
    }
}

TEST_F(MotionPathTest, KeysCarryOpacityZoomRotationAndTheirIndex) {
    MotionPath path;
    ASSERT_EQ(0, path.Parse("O P1 O128 Z2 R0.25 A2.5 A Z1.5 F B S P2", &m_sprite, nullptr));
    const MotionRecord* r = path.Records();
    ASSERT_EQ(13, path.RecordCount());
    EXPECT_EQ(255, r[1].byte);
    EXPECT_EQ(1, r[1].keyIndex);
    EXPECT_EQ(128, r[3].byte);
    EXPECT_EQ(2.0, r[4].zoom);
    EXPECT_EQ(0.25, r[5].rotation);
    EXPECT_EQ(2.0, r[5].zoom) << "values carry over from the previous key";
    EXPECT_EQ(3, r[6].kind);
    EXPECT_EQ(1, r[6].byte);
    EXPECT_EQ(2.5, r[6].zoom);
    EXPECT_EQ(0, r[7].byte) << "\"A\" alone: the player's default ease";
    EXPECT_EQ(1.5, r[8].zoom);
    EXPECT_EQ(6, r[8].keyIndex);
    EXPECT_EQ(2.0, path.m_largestZoom) << "a later, smaller zoom does not lower it";
    EXPECT_EQ(2, path.m_finalPriority) << "the last of F and B wins";
    EXPECT_EQ(1, path.m_zoomUsed);
    EXPECT_EQ(1, path.m_rotationUsed);
    EXPECT_EQ(12, path.m_lastKeyRecord);
    EXPECT_EQ(7, r[12].keyIndex);
    EXPECT_TRUE(path.HasSpline());
}

TEST_F(MotionPathTest, PositionLettersForEachTarget) {
    struct Case {
        const char* text;
        End sprite, fill, canvas;
    };
    const Case cases[] = {
        {"c", {0, 270, 400}, {0, 290, 220}, {0, 180, 160}},
        {"l", {0, 110, 400}, {0, 130, 220}, {0, 0, 40}},
        {"r", {0, 430, 400}, {0, 450, 220}, {0, 360, 40}},
        {"u", {0, 10, 0}, {0, 5, 0}, {0, 30, 0}},
        {"d", {0, 10, 400}, {0, 5, 440}, {0, 30, 320}},
        {"i", {0, 10, 200}, {0, 5, 220}, {0, 30, -160}},
        {"!c", {0, 270, 480}, {0, 290, 480}, {0, 0, 480}},
        {"!l", {0, -100, 400}, {0, -60, 220}, {0, -1000, 0}},
        {"!r", {0, 640, 400}, {0, 640, 220}, {0, 640, 0}},
        {"!i", {0, 640, 400}, {0, 640, 220}, {0, 640, 0}},
        {"!u", {0, 10, -80}, {0, 5, -40}, {0, 30, -800}},
        {"!d", {0, 10, 480}, {0, 5, 480}, {0, 30, 480}},
        {"!", {0, 10, 480}, {0, 5, 480}, {0, 30, 480}},
        {"!>", {0, 35, 480}, {0, 30, 480}, {0, 55, 480}},
        {"P100,200", {0, 100, 200}, {0, 100, 200}, {0, 100, 200}},
        {"P100", {0, 100, 20}, {0, 100, 6}, {0, 100, 40}},
        {"P,7", {0, 10, 7}, {0, 5, 7}, {0, 30, 7}},
        {"P100-1", {0, 100, -5}, {0, 100, -19}, {0, 100, 15}},
        {"p5,-5", {0, 275, 395}, {0, 295, 215}, {0, 5, -5}},
        {"<2", {0, -40, 20}, {0, -45, 6}, {0, -20, 40}},
        {"+3>", {0, 35, 95}, {0, 30, 81}, {0, 55, 115}},
        {"!x", {4, -999, -999}, {4, -999, -999}, {4, -999, -999}},
        {"t5", {4, -999, -999}, {4, -999, -999}, {4, -999, -999}},
    };
    for (const Case& c : cases) {
        const End got[] = {Evaluate(c.text, &m_sprite, nullptr), Evaluate(c.text, &m_fill, nullptr),
                           Evaluate(c.text, nullptr, &m_view)};
        const End want[] = {c.sprite, c.fill, c.canvas};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(want[i].code, got[i].code) << c.text << " target " << i;
            EXPECT_EQ(want[i].x, got[i].x) << c.text << " target " << i;
            EXPECT_EQ(want[i].y, got[i].y) << c.text << " target " << i;
        }
        MotionPath path;
        if (path.Parse(c.text, &m_sprite, nullptr) == 0) {
            const MotionRecord& key = path.Records()[path.m_lastKeyRecord];
            EXPECT_EQ(c.sprite.x, key.a) << c.text;
            EXPECT_EQ(c.sprite.y, key.b) << c.text;
        }
    }
}

TEST_F(MotionPathTest, StartStateOfEachTarget) {
    struct Case {
        Drawable* target;
        Canvas* canvas;
        std::int32_t x, y, opacity, pivotX, pivotY;
    };
    const Case cases[] = {
        {&m_sprite, nullptr, 10, 20, 255, 50, 80},
        {&m_fill, nullptr, 5, 6, 200, 30, 260},
        {nullptr, &m_view, 30, 40, 255, 500, 400},
    };
    for (const Case& c : cases) {
        MotionPath path;
        ASSERT_EQ(0, path.Parse("Z", c.target, c.canvas));
        const MotionRecord& start = path.Records()[0];
        EXPECT_EQ(c.x, start.a);
        EXPECT_EQ(c.y, start.b);
        EXPECT_EQ(c.opacity, start.byte);
        EXPECT_EQ(c.pivotX, path.m_finalPivotX);
        EXPECT_EQ(c.pivotY, path.m_finalPivotY);
    }
}

TEST_F(MotionPathTest, BouncesPivotsAndFinalPriority) {
    struct Case {
        const char* text;
        std::int32_t bounceX, bounceY, baseX, baseY;
    };
    const Case bounces[] = {
        {"$2", 100, 0, -50, 0},   {"%1", 0, 50, 0, -25},  {"[1", 50, 0, -50, 0},
        {"]2", 100, 0, 0, 0},     {"^1", 0, 50, 0, -50},  {"_1", 0, 50, 0, 0},
        {"L10$", 10, 0, -5, 0},   {"]-1", -50, 0, 0, 0},  {"$ $", 50, 0, -25, 0},
    };
    for (const Case& c : bounces) {
        MotionPath path;
        ASSERT_EQ(0, path.Parse(c.text, &m_sprite, nullptr)) << c.text;
        const MotionRecord& key = path.Records()[path.m_lastKeyRecord];
        EXPECT_EQ((std::vector<std::int32_t>{c.bounceX, c.bounceY, c.baseX, c.baseY}),
                  (std::vector<std::int32_t>{key.bounceX, key.bounceY, key.bounceBaseX,
                                             key.bounceBaseY}))
            << c.text;
        EXPECT_EQ(10, key.a) << "bounce letters move nothing";
    }

    struct Pivot {
        const char* text;
        std::int32_t pivotX, pivotY;
        std::uint8_t priority;
    };
    const Pivot pivots[] = {
        {"o5,6 Z2", 55, 86, 0},
        {"Z2 o5", 50, 80, 0},
        {"z7,8 R0.5 F", 7, 8, 1},
        {"z R", 50, 40, 0},
        {"z9 R B F", 9, 40, 1},
        {"F B", 0, 0, 2},
    };
    for (const Pivot& c : pivots) {
        MotionPath path;
        ASSERT_EQ(0, path.Parse(c.text, &m_sprite, nullptr)) << c.text;
        std::int32_t px = 0, py = 0;
        std::uint8_t priority = 9;
        ASSERT_EQ(0, EvaluateMotionString(c.text, nullptr, nullptr, &m_sprite, nullptr, nullptr,
                                          &priority, nullptr, nullptr, &px, &py));
        EXPECT_EQ(c.priority, path.m_finalPriority) << c.text;
        EXPECT_EQ(c.priority, priority) << c.text;
        if (c.pivotX == 0) {
            EXPECT_EQ(0, px) << c.text << ": no Z or R, the pivot outputs stay";
            continue;
        }
        EXPECT_EQ(c.pivotX, path.m_finalPivotX) << c.text;
        EXPECT_EQ(c.pivotY, path.m_finalPivotY) << c.text;
        EXPECT_EQ(c.pivotX, px) << c.text;
        EXPECT_EQ(c.pivotY, py) << c.text;
    }
}

TEST_F(MotionPathTest, TargetCodes) {
    MotionPath path;
    Sprite loose;
    ASSERT_EQ(0, loose.SetImage(&m_picture, nullptr, 0, 0));
    Canvas noTarget;
    Canvas noBackground;
    ASSERT_EQ(0, noBackground.SetTarget(&m_viewArea, false));
    noBackground.SetBackgroundColour(0x102030, false);
    Image scaledArea;
    ASSERT_EQ(0, scaledArea.Create(64, 48, 32, 0));
    Canvas scaled;
    ASSERT_EQ(0, scaled.SetTarget(&scaledArea, false));
    ASSERT_TRUE(scaled.SetSource(&m_background, 0, 0, false));
    ASSERT_EQ(0, scaled.CreateScaled(false));

    ASSERT_EQ(0, path.Parse("P1", &m_sprite, nullptr));
    EXPECT_EQ(1, path.Parse(nullptr, &m_sprite, nullptr));
    EXPECT_EQ(0, path.RecordCount()) << "the old records are freed first";
    EXPECT_EQ(1, path.Parse("P1", nullptr, nullptr));
    EXPECT_EQ(1, path.Parse("P1", &loose, nullptr));
    EXPECT_EQ(1, path.Parse("P1", nullptr, &noTarget));
    EXPECT_EQ(2, path.Parse("P1", nullptr, &scaled));
    EXPECT_EQ(3, path.Parse("P1", nullptr, &noBackground));
    EXPECT_EQ(3, Evaluate("P1", nullptr, &noBackground).code);
    EXPECT_EQ(1, Evaluate("P1", &loose, nullptr).code);
    EXPECT_EQ(0, path.RecordCount());
}

TEST(MotionNumbers, ReadersLeaveTheCursorOnFailureAndSaturate) {
    struct Case {
        const char* text;
        bool ok;
        std::int32_t value;
        std::size_t consumed;
    };
    const Case numbers[] = {
        {"-a", false, 7, 0},     {"+", false, 7, 0},          {"12x", true, 12, 2},
        {"-12", true, -12, 3},   {"99999999999", true, kMax, 11},
        {"-99999999999", true, kMin, 12}, {"2147483648", true, kMax, 10},
        {"-2147483648", true, kMin, 11},
    };
    for (const Case& c : numbers) {
        const char* cursor = c.text;
        std::int32_t value = 7;
        EXPECT_EQ(c.ok, ReadMotionNumber(&cursor, &value)) << c.text;
        EXPECT_EQ(c.value, value) << c.text;
        EXPECT_EQ(c.consumed, static_cast<std::size_t>(cursor - c.text)) << c.text;
    }
    // 31 characters fit the reader's buffer with its terminator; 32 and 40 are refused.
    for (std::size_t length : {31u, 32u, 40u}) {
        const std::string text = "-1." + std::string(length - 3, '5') + "Z";
        const char* cursor = text.c_str();
        double value = 3.0;
        const bool ok = ReadMotionReal(&cursor, &value);
        EXPECT_EQ(length == 31, ok) << length;
        EXPECT_EQ(ok ? length : 0u, static_cast<std::size_t>(cursor - text.c_str())) << length;
        if (ok) EXPECT_DOUBLE_EQ(-1.5555555555555555, value);
        else EXPECT_EQ(3.0, value);
    }
    const char* cursor = "2.5.";
    double value = 0;
    ASSERT_TRUE(ReadMotionReal(&cursor, &value));
    EXPECT_EQ(2.5, value);
    EXPECT_EQ('.', *cursor);
}

TEST_F(MotionPathTest, ALongZoomNumberLeavesTheCommandWithoutOne) {
    MotionPath path;
    const std::string text = "Z" + std::string(40, '3');
    ASSERT_EQ(0, path.Parse(text.c_str(), &m_sprite, nullptr));
    ASSERT_EQ(3, path.RecordCount());
    EXPECT_EQ(1.0, path.Records()[1].zoom) << "\"Z\" alone";
    EXPECT_EQ(1, path.Records()[2].kind) << "the digits are a duration of their own";
    EXPECT_EQ(kMax, path.Records()[2].a);
}

// The knots and the system of the closed spline, solved densely by Gaussian elimination.
std::vector<double> DenseSigma(const std::vector<double>& keys) {
    std::vector<double> p(keys);
    p.push_back(keys[1]);
    p.push_back(keys[2]);
    const std::size_t n = keys.size();
    std::vector<std::vector<double>> m(n, std::vector<double>(n + 1, 0.0));
    for (std::size_t i = 1; i <= n; ++i) {
        auto& row = m[i - 1];
        if (i > 1) row[i - 2] = 1;
        row[i - 1] = 4;
        if (i < n) row[i] = 1;
        row[n] = p[i + 1] - 2 * p[i] + p[i - 1];
    }
    for (std::size_t c = 0; c < n; ++c) {
        for (std::size_t r = c + 1; r < n; ++r) {
            const double f = m[r][c] / m[c][c];
            for (std::size_t k = c; k <= n; ++k) m[r][k] -= f * m[c][k];
        }
    }
    std::vector<double> sigma(n + 2, 0.0);
    for (std::size_t c = n; c-- > 0;) {
        double s = m[c][n];
        for (std::size_t k = c + 1; k < n; ++k) s -= m[c][k] * sigma[k + 1];
        sigma[c + 1] = s / m[c][c];
    }
    return sigma;
}

bool CloseToModel(double model, std::int32_t got) {
    const double truncated = std::trunc(model);
    if (got == static_cast<std::int32_t>(truncated)) return true;
    return std::fabs(model - std::round(model)) < 1e-6 && std::abs(got - truncated) <= 1;
}

TEST_F(MotionPathTest, SplineMatchesADenseSolve) {
    MotionPath path;
    ASSERT_EQ(0, path.Parse("S P100,50 P300,-20 P250,200 P-40,90", &m_sprite, nullptr));
    std::vector<const MotionRecord*> keys;
    std::vector<double> xs, ys;
    for (std::int32_t i = 0; i < path.RecordCount(); ++i) {
        if (path.Records()[i].kind != 0) continue;
        keys.push_back(&path.Records()[i]);
        xs.push_back(path.Records()[i].a);
        ys.push_back(path.Records()[i].b);
    }
    ASSERT_EQ(5u, keys.size());
    const std::vector<double> sx = DenseSigma(xs), sy = DenseSigma(ys);
    for (std::size_t i = 0; i < sx.size(); ++i) {
        EXPECT_NEAR(sx[i], path.SplineX()[i], 1e-9) << i;
        EXPECT_NEAR(sy[i], path.SplineY()[i], 1e-9) << i;
    }
    auto model = [](double p0, double p1, const std::vector<double>& s, std::size_t k, double t) {
        return t * (p1 - p0 - (2 * s[k] + s[k + 1]) + t * (t * (s[k + 1] - s[k]) + 3 * s[k])) + p0;
    };
    // Every segment, and the loop's wrap from the last key back to key 1.
    std::vector<std::pair<std::size_t, std::size_t>> segments = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 1}};
    for (auto [from, to] : segments) {
        for (double t : {0.0, 0.25, 0.5, 0.75, 1.0}) {
            std::int32_t x = 0, y = 0;
            path.SplinePoint(*keys[from], *keys[to], t, &x, &y);
            const std::size_t k = static_cast<std::size_t>(keys[from]->keyIndex);
            EXPECT_TRUE(CloseToModel(model(xs[from], xs[to], sx, k, t), x)) << from << " t " << t;
            EXPECT_TRUE(CloseToModel(model(ys[from], ys[to], sy, k, t), y)) << from << " t " << t;
        }
    }
    std::int32_t x = 0, y = 0;
    path.SplinePoint(*keys[4], *keys[1], 1.0, &x, &y);
    EXPECT_EQ(100, x) << "the wrap ends on key 1";
    EXPECT_EQ(50, y);
    path.LinearPoint(*keys[1], *keys[2], 0.25, &x, &y);
    EXPECT_EQ(150, x);
    EXPECT_EQ(32, y);  // trunc(-70 * 0.25 + 50) = trunc(32.5)

    MotionPath two;
    ASSERT_EQ(0, two.Parse("S P1", &m_sprite, nullptr));
    EXPECT_FALSE(two.HasSpline()) << "one key after the start state";
}

TEST_F(MotionPathTest, SetRecordsTakesOverAList) {
    MotionPath path;
    EXPECT_EQ(1, path.SetRecords(nullptr, 4, 3, true));
    EXPECT_EQ(1, path.SetRecords(std::unique_ptr<MotionRecord[]>(new MotionRecord[1]()), 1, 1, true));
    std::unique_ptr<MotionRecord[]> records(new MotionRecord[4]());
    for (int i = 0; i < 4; ++i) {
        records[i].kind = i == 2 ? 1 : 0;
        records[i].a = i * 100;
        records[i].keyIndex = i == 3 ? 2 : i;
    }
    ASSERT_EQ(0, path.SetRecords(std::move(records), 4, 3, true));
    EXPECT_EQ(4, path.RecordCount());
    EXPECT_EQ(3, path.m_lastKeyRecord);
    EXPECT_TRUE(path.HasSpline());
    std::unique_ptr<MotionRecord[]> again(new MotionRecord[2]());
    ASSERT_EQ(0, path.SetRecords(std::move(again), 2, 2, true));
    EXPECT_FALSE(path.HasSpline()) << "two keys make no spline";
}

// Walks a parsed path the way a player does and checks what the parser promised.
void ExpectPathInvariants(const MotionPath& path, const std::string& text) {
    ASSERT_GE(path.RecordCount(), 2) << text;
    const MotionRecord* r = path.Records();
    EXPECT_EQ(0, r[0].kind) << text;
    EXPECT_EQ(0, r[0].keyIndex) << text;
    std::int32_t nextKey = 1, lastKey = -1;
    std::uint64_t duration = 1000, total = 0;
    for (std::int32_t i = 1; i < path.RecordCount(); ++i) {
        ASSERT_LE(r[i].kind, 10) << text;
        if (r[i].kind == 1) duration = static_cast<std::uint32_t>(r[i].a);
        if (r[i].kind != 0) continue;
        EXPECT_EQ(nextKey++, r[i].keyIndex) << text;
        lastKey = i;
        total += duration;
    }
    EXPECT_EQ(lastKey, path.m_lastKeyRecord) << text;
    EXPECT_EQ(std::min<std::uint64_t>(total, 0xFFFFFFFFu), path.m_totalTime) << text;
}

TEST_F(MotionPathTest, DamagedStringsAnswerACodeAndKeepTheInvariants) {
    const char* bases[] = {
        "P100,200 1000 P300,200", "c>2+1 O128 t500,1500 A2.5 S p5,-5 F !c B",
        "M10>3 L20 $2%1[1]2^1_1 o5,6 z Z1.5 R0.25 N !", "!l 250 !r u d i l r 0 P-5,-6",
    };
    int parsed = 0;
    for (const char* base : bases) {
        for (const std::string& text : testsupport::MutatedTexts(base, 4301, 60)) {
            const std::vector<std::uint8_t> bytes(text.begin(), text.end() + 0);
            std::vector<std::uint8_t> terminated(bytes);
            terminated.push_back(0);
            const testsupport::GuardedBytes guarded(terminated);
            const char* t = reinterpret_cast<const char*>(guarded.Data());
            MotionPath path, view;
            const std::int32_t code = path.Parse(t, &m_sprite, nullptr);
            const std::int32_t viewCode = view.Parse(t, nullptr, &m_view);
            EXPECT_TRUE(code == 0 || code == 4 || code == 5 || code == 6) << text << ": " << code;
            EXPECT_EQ(code, viewCode) << text;
            End end = {0, 0, 0};
            std::uint8_t opacity = 0, priority = 0;
            end.code = EvaluateMotionString(t, &end.x, &end.y, &m_sprite, nullptr, &opacity,
                                            &priority, nullptr, nullptr, nullptr, nullptr);
            EXPECT_TRUE(end.code == 0 || end.code == 4) << text;
            if (code != 0) {
                EXPECT_EQ(0, path.RecordCount()) << text;
                continue;
            }
            ++parsed;
            ExpectPathInvariants(path, text);
            ExpectPathInvariants(view, text);
            ASSERT_EQ(0, end.code) << text;
            const MotionRecord& last = path.Records()[std::max(0, path.m_lastKeyRecord)];
            EXPECT_EQ(last.a, end.x) << text;
            EXPECT_EQ(last.b, end.y) << text;
            EXPECT_EQ(last.byte, opacity) << text;
            EXPECT_EQ(path.m_finalPriority, priority) << text;
        }
    }
    EXPECT_GT(parsed, 20) << "the corpus should reach the players, not only the refusals";
}

}  // namespace
