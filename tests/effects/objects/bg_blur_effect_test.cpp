// "bg_blur" on the real scheduler over a fake clock: the library calls it makes (through a
// recording table) against a model of its geometry, one run through the real qmxgl.dll, a run
// without the library, BlurPrepare, BlurCompute and the assist.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "effects/objects/bg_blur_effect.h"
#include "effects/objects/bg_haze_effect.h"
#include "effects/objects/bg_loop_effect.h"
#include "effects/objects/bg_rast_effect.h"
#include "tests/effects/bg_view_fixture.h"

namespace {

using namespace effecttest;

constexpr double kPi = 3.14159265358979323846;

std::int32_t Trunc(double v) {
    if (v <= INT_MIN) return INT_MIN;
    if (v >= INT_MAX) return INT_MAX;
    return static_cast<std::int32_t>(v);
}

// The common words after the form's own.
struct Common {
    std::int32_t duration = 1000;
    std::int32_t alpha = 255;
    const char* easing = nullptr;
    const char* file = nullptr;
    bool flipX = false, flipY = false, direct = false;
    std::int32_t blend = 0;
    std::int32_t delay = 0;
    bool keep = false;
};

std::vector<std::int32_t> CommonWords(const Common& c) {
    return {c.duration, c.alpha,  WordOf(c.easing), WordOf(c.file), c.flipX,
            c.flipY,    c.direct, c.blend,          c.delay,        c.keep};
}

// A drawing as the model expects it: the library word, destination size and position (a
// BlendRect's after clipping to the 32 x 16 cache), or the turn's matrix.
struct Drawn {
    int word;
    std::int32_t width, height, x, y;
    double matrix[6];
};

// The picture (80 x 40) zoomed by z about (x, y).
Drawn PointModel(double x, double y, double z) {
    Drawn d = {pixelops::kWordStretchBlendRect, Trunc(z * kPictureWidth + 0.5),
               Trunc(z * kPictureHeight + 0.5), Trunc(x - z * x + 0.5), Trunc(y - z * y + 0.5),
               {}};
    if (d.width == kPictureWidth && d.height == kPictureHeight) {
        // Equal sizes are a BlendRect, clipped to the cache first.
        const std::int32_t left = std::max(d.x, 0), top = std::max(d.y, 0);
        const std::int32_t right = std::min(d.x + d.width, kViewWidth);
        const std::int32_t bottom = std::min(d.y + d.height, kViewHeight);
        d = Drawn{pixelops::kWordBlendRect, right - left, bottom - top, left, top, {}};
    }
    return d;
}

double Cos512(std::int32_t k) { return std::cos(2.0 * kPi * (k & 511) / 512.0); }

Drawn TurnModel(double x, double y, std::int32_t a, double z) {
    const double c = Cos512(a), s = Cos512(a - 128);
    return Drawn{pixelops::kWordAffineBlendRectMatrix,
                 0,
                 0,
                 0,
                 0,
                 {z * c, -z * s, z * s, z * c, x - z * (s * y + c * x), y + z * (s * x - c * y)}};
}

bool Same(const Drawn& a, const Drawn& b) {
    if (a.word != b.word) return false;
    if (a.word == pixelops::kWordAffineBlendRectMatrix)
        return std::memcmp(a.matrix, b.matrix, sizeof a.matrix) == 0;
    return a.width == b.width && a.height == b.height && a.x == b.x && a.y == b.y;
}

class BgBlurTest : public BgViewTest {
protected:
    explicit BgBlurTest(bool library = true) : BgViewTest(library) {}

    std::int32_t Start(const std::vector<std::int32_t>& words) {
        auto* effect = new BgBlurEffect;
        const std::int32_t code = effect->Setup(&m_scheduler, &m_screen, words.data());
        if (code != 0) ReleaseObject(effect);
        return code;
    }
    std::int32_t StartCentre(std::int32_t x, std::int32_t y, const char* startZoom,
                             const char* startTurns, const char* endZoom, const char* endTurns,
                             const Common& c) {
        std::vector<std::int32_t> words = {0,
                                           x,
                                           y,
                                           WordOf(startZoom),
                                           WordOf(startTurns),
                                           WordOf(endZoom),
                                           WordOf(endTurns)};
        for (std::int32_t w : CommonWords(c)) words.push_back(w);
        return Start(words);
    }
    std::int32_t StartPath(const char* path, bool spline, const Common& c) {
        std::vector<std::int32_t> words = {WordOf(path), spline};
        for (std::int32_t w : CommonWords(c)) words.push_back(w);
        return Start(words);
    }
    Surface* Cache() { return const_cast<Image*>(Canvas()->Scaled()); }

    // Steps through the phases and checks each new drawing against model(f) for the eased
    // fraction (f 1.0 at the end): a drawing equal to the last is skipped, and nothing is
    // drawn in the first 15 ms below full opacity.
    template <class Model>
    void CheckPhases(RecordingTable& table, const Common& c, double exponent, Model model,
                     std::uint8_t blend, bool endDrawn = true) {
        std::vector<Drawn> want;
        auto add = [&](const Drawn& d) {
            if (want.empty() || !Same(want.back(), d)) want.push_back(d);
        };
        add(model(0.0));
        for (std::uint32_t t : {0u, 10u, 15u, 16u, 250u, 500u, 750u, 999u}) {
            if (c.alpha != 255 && t <= 15) continue;
            const double x = t / 1000.0;
            add(model(exponent > 0 ? std::pow(x, exponent) : x));
        }
        if (endDrawn) add(model(1.0));
        for (std::uint32_t t : {0u, 10u, 15u, 16u, 250u, 500u, 750u, 999u}) {
            At(t);
            ASSERT_TRUE(Running()) << t;
        }
        Surface* cache = Cache();
        At(1000);
        EXPECT_FALSE(Running());
        const auto& calls = table.Calls();
        ASSERT_EQ(want.size(), calls.size());
        for (std::size_t i = 0; i < want.size(); ++i) {
            SCOPED_TRACE(i);
            const LibraryCall& got = calls[i];
            EXPECT_EQ(want[i].word, got.word);
            EXPECT_EQ(cache, got.dest);
            EXPECT_EQ(&m_picture, got.src);
            EXPECT_EQ(c.alpha, got.opacity);
            EXPECT_EQ(0, got.mode) << "the picture has no alpha";
            if (got.word == pixelops::kWordAffineBlendRectMatrix) {
                for (int k = 0; k < 6; ++k) EXPECT_NEAR(want[i].matrix[k], got.matrix[k], 1e-9) << k;
                EXPECT_EQ(blend, got.type);
                continue;
            }
            EXPECT_EQ((std::vector<std::int32_t>{want[i].width, want[i].height, want[i].x,
                                                 want[i].y}),
                      (std::vector<std::int32_t>{got.width, got.height, got.x, got.y}));
            if (got.word == pixelops::kWordStretchBlendRect) EXPECT_EQ(blend, got.type);
        }
    }
};

TEST_F(BgBlurTest, CentreFormWithoutTurnsDrawsZoomStepsAboutTheCentre) {
    RecordingTable table;
    Common c;
    c.alpha = 128;
    c.blend = 3;
    ASSERT_EQ(0, StartCentre(8, 4, "1.0", nullptr, "2.0", "0", c));
    EXPECT_EQ(1, m_hooks.started);
    CheckPhases(table, c, 0.0, [](double f) { return PointModel(8, 4, 1.0 + f); }, 3);
    EXPECT_EQ(nullptr, Canvas()->Scaled()) << "the end drops the cache";
    EXPECT_EQ(Unzoomed(), Rendered());
    EXPECT_EQ(1, m_hooks.ended);
}

TEST_F(BgBlurTest, CentreFormTurnsAboutAFixedPoint) {
    RecordingTable table;
    Common c;
    c.blend = 1;
    c.easing = "2";
    // A quarter turn is -128 in the view's angles.
    ASSERT_EQ(0, StartCentre(10, 5, "1", "0", "1.5", "0.25", c));
    CheckPhases(table, c, 2.0, [](double f) {
        return TurnModel(10, 5, static_cast<std::int32_t>(-128 * f), 1.0 + 0.5 * f);
    }, 1);
    for (const LibraryCall& call : table.Calls()) {
        if (call.word != pixelops::kWordAffineBlendRectMatrix) continue;
        const double* m = call.matrix;
        EXPECT_NEAR(10.0, m[0] * 10 + m[2] * 5 + m[4], 1e-9);
        EXPECT_NEAR(5.0, m[1] * 10 + m[3] * 5 + m[5], 1e-9);
    }
}

// Positions along "(0,0)(16,8,2.0)(32,0)" and the two-point path "(4,2)(28,12,3)", by an
// independent model: straight segments, or for three points the natural spline whose middle
// second derivative is 6 (v0 - 2 v1 + v2) / 4.
struct PathCase {
    const char* name;
    const char* path;
    bool spline;
    bool curved;  // the spline is used
};

double ModelAlong(const std::vector<double>& v, double f, bool curved) {
    const std::size_t n = v.size();
    double u = (n - 1) * f;
    std::size_t i = static_cast<std::size_t>(u);
    if (i > n - 2) i = n - 2;
    u -= i;
    const double straight = v[i] + u * (v[i + 1] - v[i]);
    if (!curved) return straight;
    const double m1 = 6.0 * (v[0] - 2.0 * v[1] + v[2]) / 4.0;
    // Segment 0 carries m1 at its end, segment 1 at its start.
    const double bend = i == 0 ? (u * u * u - u) * m1 / 6.0
                               : ((1 - u) * (1 - u) * (1 - u) - (1 - u)) * m1 / 6.0;
    return straight + bend;
}

TEST_F(BgBlurTest, PathsDrawAlongTheirPointsToTheLastOne) {
    const PathCase cases[] = {
        {"three points, straight", "(0,0)(16,8,2.0)(32,0)", false, false},
        {"three points, spline", "(0,0) (16, 8, 2.0) (32, 0)", true, true},
        {"two points, straight", "(4,2)(28,12,3)", false, false},
        {"two points with the spline flag stay straight", "(4,2)(28,12,3)", true, false},
    };
    for (const PathCase& pc : cases) {
        SCOPED_TRACE(pc.name);
        NextRun();
        ASSERT_TRUE(Canvas()->SetSource(&m_picture, 0, 0, true));
        RecordingTable table;
        std::vector<BlurPoint> points;
        const std::int32_t n = BlurPrepare(pc.path, &points);
        ASSERT_GE(n, 2);
        std::vector<double> xs, ys, zs;
        for (const BlurPoint& p : points) {
            xs.push_back(p.x);
            ys.push_back(p.y);
            zs.push_back(p.zoom);
        }
        Common c;
        c.blend = 2;
        ASSERT_EQ(0, StartPath(pc.path, pc.spline, c));
        CheckPhases(table, c, 0.0, [&](double f) {
            return PointModel(ModelAlong(xs, f, pc.curved), ModelAlong(ys, f, pc.curved),
                              ModelAlong(zs, f, false));
        }, 2);
        EXPECT_EQ(Unzoomed(), Rendered());
    }
}

TEST_F(BgBlurTest, AFirstDrawingBelowFullOpacityFillsTheCacheAtFullOpacity) {
    RecordingTable table;
    Common c;
    c.alpha = 100;
    ASSERT_EQ(0, StartCentre(8, 4, "2", nullptr, "3", nullptr, c));
    const Drawn first = PointModel(8, 4, 2.0);
    ASSERT_EQ(1u, table.Calls().size()) << "step 0 repeats the filling geometry: skipped";
    EXPECT_EQ(255, table.Calls()[0].opacity);
    EXPECT_EQ((std::vector<std::int32_t>{first.width, first.height, first.x, first.y}),
              (std::vector<std::int32_t>{table.Calls()[0].width, table.Calls()[0].height,
                                         table.Calls()[0].x, table.Calls()[0].y}));
}

TEST_F(BgBlurTest, DirectModeDrawsACopyIntoTheBackgroundFlipped) {
    struct Case {
        const char* name;
        bool flipX, flipY;
        std::uint32_t topLeft;
    };
    const Case cases[] = {
        {"no flip", false, false, PicturePixel(0, 0)},
        {"left-right", true, false, PicturePixel(kPictureWidth - 1, 0)},
        {"top-bottom", false, true, PicturePixel(0, kPictureHeight - 1)},
        {"both", true, true, PicturePixel(kPictureWidth - 1, kPictureHeight - 1)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        NextRun();
        ASSERT_TRUE(Canvas()->SetSource(&m_picture, 0, 0, true));
        RecordingTable table;
        Common c;
        c.direct = true;
        c.keep = true;  // cleared by the direct mode
        c.flipX = k.flipX;
        c.flipY = k.flipY;
        c.duration = 100;
        ASSERT_EQ(0, StartCentre(8, 4, "1.5", nullptr, "2", nullptr, c));
        EXPECT_EQ(nullptr, Canvas()->Scaled());
        At(0);
        At(100);
        ASSERT_FALSE(table.Calls().empty());
        for (const LibraryCall& call : table.Calls()) {
            EXPECT_EQ(&m_picture, call.dest);
            EXPECT_NE(&m_picture, call.src) << "a copy is drawn";
            EXPECT_EQ(k.topLeft, call.srcTopLeft);
        }
        EXPECT_FALSE(Canvas()->ShowsSourceRect()) << "no end geometry in direct mode";
        EXPECT_EQ(nullptr, Canvas()->Scaled());
    }
}

TEST_F(BgBlurTest, KeepGeometryShowsTheEndThroughBlurCompute) {
    {
        RecordingTable table;
        Common c;
        c.keep = true;
        ASSERT_EQ(0, StartCentre(8, 4, "1", nullptr, "2", nullptr, c));
        At(0);
        At(500);
        const std::size_t drawn = table.Calls().size();
        At(1000);
        // No last drawing with keep-geometry: what follows is the canvas showing the rectangle.
        for (std::size_t i = drawn; i < table.Calls().size(); ++i) {
            const LibraryCall& call = table.Calls()[i];
            EXPECT_EQ((std::vector<std::int32_t>{kViewWidth, kViewHeight, 0, 0}),
                      (std::vector<std::int32_t>{call.width, call.height, call.x, call.y}));
        }
        // a = (int)(8 - 8 / 2 + 0.5), b = (int)(4 - 4 / 2 + 0.5), c = 80 / 2, d = 40 / 2.
        EXPECT_TRUE(Canvas()->ShowsSourceRect());
        const RECT r = Canvas()->ShownSourceRect();
        EXPECT_EQ((std::vector<std::int32_t>{4, 2, 44, 22}),
                  (std::vector<std::int32_t>{r.left, r.top, r.right, r.bottom}));
    }
    NextRun();
    ASSERT_TRUE(Canvas()->SetSource(&m_picture, 0, 0, true));
    RecordingTable table;
    Common c;
    c.keep = true;
    ASSERT_EQ(0, StartCentre(10, 5, "1", nullptr, "1.5", "0.25", c));
    m_scheduler.CancelKind(14000);
    At(0);
    EXPECT_FALSE(Running());
    // Pivot (40, 20): dx -30, dy -15, cos 0, sin -1: a = (int)(-30 - 1.5 * 15) = -52,
    // b = (int)(-15 + 1.5 * (30 - 1)) = 28, angle -128.
    EXPECT_EQ(-52, Canvas()->ZoomOffset().x);
    EXPECT_EQ(28, Canvas()->ZoomOffset().y);
    EXPECT_EQ(-128, Canvas()->ZoomAngle());
    EXPECT_EQ(1.5, Canvas()->ZoomFactor());
}

TEST_F(BgBlurTest, BlurComputeAndTheAssist) {
    GdiScreen gdi;
    ASSERT_EQ(0, gdi.Create(kViewWidth, kViewHeight, 32, 1));
    ::Canvas* canvas = gdi.GetCanvas();
    ASSERT_TRUE(canvas->SetSource(&m_picture, 0, 0, true));
    std::int32_t out[4] = {-1, -1, -1, -1};
    auto assist = [&](Surface* screen, std::int32_t x, std::int32_t y, double zoom, double turns) {
        std::int32_t words[11] = {WordOf(screen), x, y};
        std::memcpy(&words[3], &zoom, 8);
        std::memcpy(&words[5], &turns, 8);
        for (int i = 0; i < 4; ++i) words[7 + i] = WordOf(&out[i]);
        return BlurAssist(words);
    };
    auto outs = [&] { return std::vector<std::int32_t>{out[0], out[1], out[2], out[3]}; };
    EXPECT_EQ(-1, assist(nullptr, 8, 4, 2.0, 0.0));
    const double bad[] = {0.0, std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity()};
    for (double zoom : bad) EXPECT_EQ(1, assist(&gdi, 8, 4, zoom, 0.0)) << zoom;
    EXPECT_EQ(1, assist(&gdi, 8, 4, 2.0, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(4, assist(&gdi, 8, 4, 1e300, 0.0)) << "an empty rectangle";
    EXPECT_EQ(std::vector<std::int32_t>(4, -1), outs()) << "nothing written on failure";
    EXPECT_FALSE(canvas->ShowsSourceRect());

    ASSERT_EQ(0, assist(&gdi, 8, 4, 2.0, 0.0));
    EXPECT_EQ((std::vector<std::int32_t>{4, 2, 40, 20}), outs());
    const RECT r = canvas->ShownSourceRect();
    EXPECT_EQ((std::vector<std::int32_t>{4, 2, 44, 22}),
              (std::vector<std::int32_t>{r.left, r.top, r.right, r.bottom}));
    ASSERT_EQ(0, assist(&gdi, 8, 4, 1e-300, 0.0)) << "held to the int32 range";
    EXPECT_EQ((std::vector<std::int32_t>{INT_MIN, INT_MIN, INT_MAX, INT_MAX}), outs());
    ASSERT_EQ(0, assist(&gdi, 10, 5, 1.5, 0.25));
    EXPECT_EQ((std::vector<std::int32_t>{-52, 28, -128, 0}), outs());
    EXPECT_EQ(-128, canvas->ZoomAngle());

    std::int32_t a, b, c, d;
    const double huge = 1e12;  // turns far beyond the int32 range keep their low bits
    EXPECT_EQ(0, BlurCompute(canvas, 10, 5, 1.0, huge + 0.25, &a, &b, &c, &d));
    EXPECT_EQ(-128, c);
    canvas->SetBackgroundColour(0, false);
    EXPECT_EQ(2, BlurCompute(canvas, 8, 4, 2.0, 0.0, &a, &b, &c, &d));
    ASSERT_TRUE(canvas->SetSource(&m_picture, 0, 0, true));
    g_mathTables = nullptr;
    EXPECT_EQ(3, BlurCompute(canvas, 8, 4, 2.0, 0.0, &a, &b, &c, &d));
    g_mathTables = &m_tables;
}

TEST_F(BgBlurTest, ExtremeZoomsAreHeldToTheIntRange) {
    {
        RecordingTable table;
        Common c;
        EXPECT_EQ(3, StartCentre(8, 4, "1e999", nullptr, "2", nullptr, c));
        EXPECT_EQ(3, StartCentre(8, 4, "1", nullptr, "2", "1e999", c)) << "an infinite angle";
        EXPECT_EQ(3, StartPath("(0,0)(8,4,1e999)", false, c));
        EXPECT_EQ(nullptr, Canvas()->Scaled());
        ASSERT_EQ(0, StartCentre(8, 4, "1e300", nullptr, "1e-300", nullptr, c));
        At(0);
        At(1000);
        ASSERT_EQ(2u, table.Calls().size());
        const LibraryCall& big = table.Calls()[0];
        EXPECT_EQ((std::vector<std::int32_t>{INT_MAX, INT_MAX, INT_MIN, INT_MIN}),
                  (std::vector<std::int32_t>{big.width, big.height, big.x, big.y}));
        const LibraryCall& small = table.Calls()[1];
        EXPECT_EQ((std::vector<std::int32_t>{0, 0, 8, 4}),
                  (std::vector<std::int32_t>{small.width, small.height, small.x, small.y}));
    }
    // The same sizes through the real library; the end shows the source again.
    NextRun();
    ASSERT_TRUE(Canvas()->SetSource(&m_picture, 0, 0, true));
    Common c;
    c.duration = 100;
    ASSERT_EQ(0, StartCentre(0, 0, "1e300", nullptr, "1e-300", nullptr, c));
    At(0);
    At(50);
    At(100);
    EXPECT_FALSE(Running());
    EXPECT_EQ(Unzoomed(), Rendered());
}

TEST_F(BgBlurTest, RealLibraryPixelsAtAnIntegerZoom) {
    Canvas()->SetFilter(0);
    Common c;
    c.duration = 100;
    ASSERT_EQ(0, StartCentre(8, 4, "2", nullptr, "2", nullptr, c));
    // Stretched 2x with its corner at ((int)(8 - 16 + 0.5), (int)(4 - 8 + 0.5)) = (-7, -3).
    std::vector<std::uint32_t> want;
    for (std::int32_t y = 0; y < kViewHeight; ++y)
        for (std::int32_t x = 0; x < kViewWidth; ++x) want.push_back(PicturePixel((x + 7) / 2, (y + 3) / 2));
    EXPECT_EQ(want, Rendered());
    At(0);
    EXPECT_EQ(want, Rendered());
    At(100);
    EXPECT_EQ(Unzoomed(), Rendered()) << "the end shows the source again";
}

TEST_F(BgBlurTest, SetupCodesLeaveTheCanvasAsItWas) {
    Common c;
    g_mathTables = nullptr;
    EXPECT_EQ(1, StartCentre(8, 4, "1", nullptr, "2", nullptr, c)) << "no math tables";
    g_mathTables = &m_tables;
    {
        auto* effect = new BgBlurEffect;
        const std::int32_t words[17] = {};
        EXPECT_EQ(2, effect->Setup(nullptr, &m_screen, words)) << "no scheduler";
        MemoryScreen bare;
        ASSERT_EQ(0, bare.CreateSimple(8, 8, 32, false));
        EXPECT_EQ(2, effect->Setup(&m_scheduler, &bare, words)) << "no canvas";
        ReleaseObject(effect);
    }
    EXPECT_EQ(3, StartPath("(1,1)", false, c)) << "one point";
    EXPECT_EQ(3, StartPath("", false, c)) << "no point";
    Common file = c;
    file.file = "MISSING.ELG";
    EXPECT_EQ(4, StartCentre(8, 4, "1", nullptr, "2", nullptr, file));
    Common direct = c;
    direct.direct = true;
    Image grey;
    ASSERT_EQ(0, grey.Create(kPictureWidth, kPictureHeight, 8, 0));
    ASSERT_TRUE(Canvas()->SetSource(&grey, 0, 0, true));
    EXPECT_EQ(7, StartCentre(8, 4, "1", nullptr, "2", nullptr, direct)) << "an 8-bit background";
    Canvas()->SetBackgroundColour(kViewFill, false);
    EXPECT_EQ(5, StartCentre(8, 4, "1", nullptr, "2", nullptr, c)) << "no picture";
    ASSERT_TRUE(Canvas()->SetSource(&m_picture, 0, 0, true));

    // A cache in use: the canvas shows a source rectangle.
    const RECT shown = {4, 2, 20, 10};
    ASSERT_TRUE(Canvas()->SetSourceRect(0, 0, kViewWidth, kViewHeight, &shown));
    const Image* held = Canvas()->Scaled();
    EXPECT_EQ(8, StartCentre(8, 4, "1", nullptr, "2", nullptr, c));
    EXPECT_EQ(held, Canvas()->Scaled());
    EXPECT_TRUE(Canvas()->ShowsSourceRect());
    ASSERT_TRUE(Canvas()->SetSource(&m_picture, 0, 0, true));

    // A scheduler that refuses: the effect is queued already.
    auto* effect = new BgBlurEffect;
    ASSERT_EQ(TaskScheduler::kAdded, m_scheduler.Add(effect, 100000, 0, 0));
    std::vector<std::int32_t> words = {0, 8, 4, 0, 0, 0, 0};
    for (std::int32_t w : CommonWords(c)) words.push_back(w);
    EXPECT_EQ(8, effect->Setup(&m_scheduler, &m_screen, words.data()));
    EXPECT_EQ(nullptr, Canvas()->Scaled()) << "the cache it made is dropped";
    // In direct mode nothing is drawn into the background before the scheduler took it.
    auto* directEffect = new BgBlurEffect;
    ASSERT_EQ(TaskScheduler::kAdded, m_scheduler.Add(directEffect, 100000, 0, 0));
    std::vector<std::int32_t> directWords = {0, 8, 4, WordOf("2"), 0, WordOf("3"), 0};
    for (std::int32_t w : CommonWords(direct)) directWords.push_back(w);
    EXPECT_EQ(8, directEffect->Setup(&m_scheduler, &m_screen, directWords.data()));
    EXPECT_EQ(0, m_hooks.started);
    m_scheduler.Clear();
    EXPECT_EQ(Unzoomed(), Rendered());
}

TEST_F(BgBlurTest, TheCacheRule) {
    Common c;
    ASSERT_EQ(0, StartCentre(8, 4, "1", nullptr, "2", nullptr, c));
    const Image* first = Canvas()->Scaled();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(8, StartCentre(8, 4, "1", nullptr, "3", nullptr, c)) << "the second refuses";
    EXPECT_EQ(8, StartPath("(0,0)(9,9)", false, c));
    EXPECT_EQ(first, Canvas()->Scaled());
    At(0);
    At(1000);
    EXPECT_FALSE(Running());
    EXPECT_EQ(nullptr, Canvas()->Scaled());
    EXPECT_EQ(Unzoomed(), Rendered());

    // A cache another made stays with it.
    ASSERT_EQ(0, Canvas()->CreateScaled(false));
    const Image* other = Canvas()->Scaled();
    EXPECT_EQ(8, StartCentre(8, 4, "1", nullptr, "2", nullptr, c));
    EXPECT_EQ(other, Canvas()->Scaled());
}

// bg_blur against the other cache users, each way round.
TEST_F(BgBlurTest, TheCacheRuleWithTheOtherCacheEffects) {
    struct Other {
        const char* name;
        EffectObject* (*create)();
        std::vector<std::int32_t> words;
        std::int32_t inUse;
    };
    const Other others[] = {
        {"bg_rast", [] { return static_cast<EffectObject*>(new BgRastEffect); },
         {2, 16, 500, 0, 0, 0, 0, 0}, 3},
        {"bg_haze", [] { return static_cast<EffectObject*>(new BgHazeEffect); },
         {WordOf("(1,0,10)"), 64, 500, 0, 0, 0, 0, 0}, 3},
        {"bg_loop", [] { return static_cast<EffectObject*>(new BgLoopEffect); },
         {0, 1000, 0, 0}, 2},
    };
    Common c;
    for (const Other& o : others) {
        SCOPED_TRACE(o.name);
        NextRun();
        ASSERT_TRUE(Canvas()->SetSource(&m_picture, 0, 0, true));
        ASSERT_EQ(0, StartCentre(8, 4, "1", nullptr, "2", nullptr, c));
        const Image* held = Canvas()->Scaled();
        EffectObject* other = o.create();
        EXPECT_EQ(o.inUse, other->Setup(&m_scheduler, &m_screen, o.words.data()));
        ReleaseObject(other);
        EXPECT_EQ(held, Canvas()->Scaled());
        At(0);
        At(1000);
        EXPECT_EQ(nullptr, Canvas()->Scaled()) << "the end of the blur drops the cache";
        EXPECT_EQ(Unzoomed(), Rendered());

        other = o.create();
        ASSERT_EQ(0, other->Setup(&m_scheduler, &m_screen, o.words.data()));
        held = Canvas()->Scaled();
        ASSERT_NE(nullptr, held);
        EXPECT_EQ(8, StartCentre(8, 4, "1", nullptr, "2", nullptr, c));
        EXPECT_EQ(held, Canvas()->Scaled());
        m_scheduler.Clear();
    }
}

TEST_F(BgBlurTest, AStepThatFindsTheLibraryGoneDrawsNothing) {
    RecordingTable table;
    Common c;
    ASSERT_EQ(0, StartCentre(8, 4, "1", nullptr, "2", nullptr, c));
    At(0);
    const std::size_t drawn = table.Calls().size();
    const std::vector<std::uint32_t> before = Rendered();
    SetCurrentPixelOpLibrary(nullptr);
    At(500);
    EXPECT_EQ(drawn, table.Calls().size());
    EXPECT_EQ(before, Rendered());
    At(1000);
    EXPECT_FALSE(Running());
    EXPECT_EQ(nullptr, Canvas()->Scaled());
}

class BgBlurUnloadedTest : public BgBlurTest {
protected:
    BgBlurUnloadedTest() : BgBlurTest(false) {}
};

TEST_F(BgBlurUnloadedTest, SetupRefusesWithoutTheLibrary) {
    Common c;
    EXPECT_EQ(9, StartCentre(8, 4, "1", nullptr, "2", nullptr, c));
    EXPECT_EQ(9, StartPath("(0,0)(9,9)", true, c));
    EXPECT_EQ(nullptr, Canvas()->Scaled());
    EXPECT_EQ(Unzoomed(), Rendered());
}

TEST(BlurPrepare, CountsAndReadsThePoints) {
    struct Case {
        const char* name;
        const char* text;
        std::int32_t count;
        std::vector<BlurPoint> points;
    };
    const Case cases[] = {
        {"null", nullptr, -1, {}},
        {"empty", "", -2, {}},
        {"one point", "(1,2)", -2, {}},
        {"two points", "(1,2)(3,4)", 2, {{1, 2, 1.0}, {3, 4, 1.0}}},
        {"zooms, blanks and commas", " ( 1 , -2 , 0.5 ),( 3 4 2.5e1 )", 2,
         {{1, -2, 0.5}, {3, 4, 25.0}}},
        {"a '(' after a lead byte is its trail byte", "(1,2)\x81((3,4)", 2,
         {{1, 2, 1.0}, {3, 4, 1.0}}},
        {"a lead byte in last place ends the text", "(1,2)(3,4)\x81", 2,
         {{1, 2, 1.0}, {3, 4, 1.0}}},
        {"a lead byte in last place after one point", "(1,2)\x81", -2, {}},
        {"integers held to the int32 range", "(99999999999,-99999999999)(0,0)", 2,
         {{2147483647.0, -2147483648.0, 1.0}, {0, 0, 1.0}}},
        {"missing numbers read 0", "()(,)", 2, {{0, 0, 1.0}, {0, 0, 1.0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<BlurPoint> points;
        ASSERT_EQ(c.count, BlurPrepare(c.text, &points));
        if (c.count < 0) continue;
        ASSERT_EQ(c.points.size(), points.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            EXPECT_EQ(c.points[i].x, points[i].x) << i;
            EXPECT_EQ(c.points[i].y, points[i].y) << i;
            EXPECT_EQ(c.points[i].zoom, points[i].zoom) << i;
        }
    }
}

}  // namespace

namespace {

// The end of the path (f = 1.0) is the end of the last segment, never a segment after it.
TEST(BlurSegment, HoldsTheSegmentToTheLastPair) {
    struct Case {
        std::size_t count;
        double f;
        std::size_t segment;
        double share;
    };
    const Case cases[] = {
        {2, 0.0, 0, 0.0},  {2, 0.5, 0, 0.5},  {2, 1.0, 0, 1.0},  {3, 0.25, 0, 0.5},
        {3, 0.5, 1, 0.0},  {3, 0.75, 1, 0.5}, {3, 1.0, 1, 1.0},  {5, 1.0, 3, 1.0},
    };
    for (const Case& c : cases) {
        std::size_t segment = 99;
        double share = -1.0;
        BlurSegment(c.count, c.f, &segment, &share);
        EXPECT_EQ(c.segment, segment) << c.count << " points at " << c.f;
        EXPECT_EQ(c.share, share) << c.count << " points at " << c.f;
    }
}

}  // namespace
