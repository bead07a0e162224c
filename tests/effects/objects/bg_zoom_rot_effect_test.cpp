// "bg_zoom" and "bg_rot" on the real scheduler over a fake clock, moving the view of a real
// canvas drawn through the real qmxgl.dll; ComputeZoomRect and the zoom's assist.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "effects/objects/bg_rot_effect.h"
#include "effects/objects/bg_zoom_effect.h"
#include "tests/effects/bg_view_fixture.h"

namespace {

using namespace effecttest;

std::vector<std::int32_t> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
std::vector<std::int32_t> Edges(const ZoomRect& r) {
    return {r.left, r.top, r.left + r.width, r.top + r.height};
}

// The model's eased fraction: linear, x^e or 1 - (1 - x)^-e.
double Eased(double x, double e) {
    if (e > 0) return std::pow(x, e);
    if (e < 0) return 1.0 - std::pow(1.0 - x, -e);
    return x;
}

std::int32_t Between(std::int32_t a, std::int32_t b, double f) {
    return static_cast<std::int32_t>(a + f * (b - a));
}

class BgZoomTest : public BgViewTest {
protected:
    // 0 started, else the code (the effect released when it is not scheduled).
    std::int32_t StartZoom(std::int32_t cx, std::int32_t cy, const char* zoom,
                           const char* easing, std::int32_t duration) {
        auto* effect = new BgZoomEffect;
        const std::int32_t words[] = {cx, cy, WordOf(zoom), WordOf(easing), duration};
        const std::int32_t code = effect->Setup(&m_scheduler, &m_screen, words);
        if (code != 0) ReleaseObject(effect);
        else m_zoom = effect;
        return code;
    }
    std::vector<std::int32_t> Shown() { return Edges(Canvas()->ShownSourceRect()); }

    BgZoomEffect* m_zoom = nullptr;
};

TEST_F(BgZoomTest, ComputeZoomRectCentresTheRectangleAndKeepsItInsideTheBackground) {
    // The 1024 x 576 screen of the Part's cases, over a background of the same size.
    MemoryScreen big;
    ASSERT_EQ(0, big.CreateSimple(1024, 576, 32, true));
    Image source;
    ASSERT_EQ(0, source.Create(1024, 576, 32, 0));
    ASSERT_TRUE(big.GetCanvas()->SetSource(&source, 0, 0, false));
    struct Case {
        const char* name;
        std::int32_t cx, cy;
        double zoom;
        ZoomRect want;
    };
    const Case cases[] = {
        {"zoom 2 about the top-left corner", 0, 0, 2.0, {0, 0, 512, 288}},
        {"zoom 2 about (1000, 500) moved inside", 1000, 500, 2.0, {512, 288, 512, 288}},
        {"zoom 2 about the centre", 512, 288, 2.0, {256, 144, 512, 288}},
        {"zoom 0.5 is cut to the background", 512, 288, 0.5, {0, 0, 1024, 576}},
        {"zoom 3 truncates the size", 100, 100, 3.0, {0, 4, 341, 192}},
        {"1e-300 shows the whole background", 7, 9, 1e-300, {0, 0, 1024, 576}},
        {"1e300 shows one pixel at the point", 700, 300, 1e300, {700, 300, 1, 1}},
        {"a point far outside", -2147483647 - 1, 2147483647, 4.0, {0, 432, 256, 144}},
    };
    for (const Case& c : cases) {
        ZoomRect r = {-1, -1, -1, -1};
        ASSERT_EQ(0, ComputeZoomRect(big.GetCanvas(), c.cx, c.cy, c.zoom, &r)) << c.name;
        EXPECT_EQ(Edges(c.want), Edges(r)) << c.name;
    }
    const double refused[] = {0.0, -2.0, std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity()};
    for (double zoom : refused) {
        ZoomRect r = {-1, -1, -1, -1};
        EXPECT_EQ(1, ComputeZoomRect(big.GetCanvas(), 0, 0, zoom, &r)) << zoom;
        EXPECT_EQ(-1, r.left) << zoom;
    }
    Canvas()->SetBackgroundColour(0, false);
    ZoomRect r;
    EXPECT_EQ(2, ComputeZoomRect(Canvas(), 0, 0, 2.0, &r)) << "no background";
}

TEST_F(BgZoomTest, EasedRectanglesAtEachPhase) {
    // From the whole view (0, 0, 32, 16) to zoom 2 about (20, 6): (12, 2, 16, 8).
    struct Case {
        const char* name;
        const char* easing;
        double e;
    };
    const Case cases[] = {{"linear", nullptr, 0.0}, {"slow start", "2", 2.0},
                          {"slow end", "-1.5", -1.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NextRun();
        ASSERT_TRUE(Canvas()->SetSource(&m_picture, 0, 0, true));
        ASSERT_EQ(0, StartZoom(20, 6, "2.0", c.easing, 1000));
        EXPECT_EQ((std::vector<std::int32_t>{12, 2, 28, 10}), Edges(m_zoom->EndRect()));
        for (std::uint32_t t : {0u, 250u, 500u, 750u, 990u, 999u}) {
            At(t);
            const double eased = Eased(t / 1000.0, c.e) * 1000.0;
            double f = std::fmod(eased, 1000.0) / 1000.0;
            if (f >= 0.999 && f <= 1.001) f = 1.0;
            const std::vector<std::int32_t> want = {Between(0, 12, f), Between(0, 2, f),
                                                    Between(32, 28, f), Between(16, 10, f)};
            EXPECT_EQ(want, Shown()) << t << " ms";
        }
        At(1000);
        EXPECT_FALSE(Running());
        EXPECT_EQ((std::vector<std::int32_t>{12, 2, 28, 10}), Shown());
    }
}

TEST_F(BgZoomTest, ASteepSlowEndNeverJumpsBackToTheStart) {
    // At 999 ms of 1000 the eased fraction 1 - 0.001^20 rounds to 1.0, and its remainder
    // would be 0.
    ASSERT_EQ(0, StartZoom(20, 6, "2.0", "-20", 1000));
    At(0);
    At(999);
    EXPECT_EQ((std::vector<std::int32_t>{12, 2, 28, 10}), Shown());
}

TEST_F(BgZoomTest, StartsFromTheShownRectangleOrTheSourcePosition) {
    const RECT shown = {4, 2, 20, 10};
    ASSERT_TRUE(Canvas()->SetSourceRect(0, 0, kViewWidth, kViewHeight, &shown));
    ASSERT_EQ(0, StartZoom(20, 6, "2.0", nullptr, 1000));
    EXPECT_EQ(Edges(shown), Edges(m_zoom->StartRect()));
    At(0);
    EXPECT_EQ(Edges(shown), Shown());
    At(500);
    EXPECT_EQ((std::vector<std::int32_t>{8, 2, 24, 10}), Shown());
    m_scheduler.Clear();

    // A turned canvas shows no rectangle: the start is the source position and the view size.
    ASSERT_TRUE(Canvas()->SetSource(&m_picture, 6, 3, true));
    ASSERT_EQ(1, Canvas()->SetZoom(0, 0, 64, 1.5));
    ASSERT_EQ(0, StartZoom(20, 6, "2.0", nullptr, 1000));
    EXPECT_EQ((std::vector<std::int32_t>{6, 3, 38, 19}), Edges(m_zoom->StartRect()));
}

TEST_F(BgZoomTest, DurationZeroShowsTheEndAtOnceAndIsNotScheduled) {
    EXPECT_EQ(-1, StartZoom(20, 6, "2.0", nullptr, 0));
    EXPECT_FALSE(Running());
    EXPECT_EQ((std::vector<std::int32_t>{12, 2, 28, 10}), Shown());
    EXPECT_EQ(0, m_hooks.started);
}

TEST_F(BgZoomTest, SetupCodesCountingControlAndFinish) {
    EXPECT_EQ(1, StartZoom(0, 0, "0", nullptr, 100)) << "zoom 0";
    EXPECT_EQ(1, StartZoom(0, 0, "-2", nullptr, 100)) << "a negative zoom";
    EXPECT_EQ(1, StartZoom(0, 0, "1e999", nullptr, 100)) << "an infinite zoom";
    auto* effect = new BgZoomEffect;
    const std::int32_t words[] = {0, 0, 0, 0, 100};
    EXPECT_EQ(1, effect->Setup(nullptr, &m_screen, words)) << "no scheduler";
    ReleaseObject(effect);
    EXPECT_FALSE(Canvas()->ShowsSourceRect());
    EXPECT_EQ(0, m_hooks.started);

    Canvas()->SetBackgroundColour(kViewFill, false);
    EXPECT_EQ(2, StartZoom(0, 0, "2", nullptr, 100)) << "no background";
    ASSERT_TRUE(Canvas()->SetSource(&m_picture, 0, 0, true));

    ASSERT_EQ(0, StartZoom(40, 20, "4", nullptr, 100));
    EXPECT_EQ(1, m_hooks.started);
    std::int32_t out[4] = {-1, -1, -1, -1};
    EXPECT_EQ(0, m_zoom->Control(std::vector<std::int32_t>{WordOf(&out[0]), WordOf(&out[1]),
                                                           WordOf(&out[2]), WordOf(&out[3])}
                                     .data()));
    EXPECT_EQ((std::vector<std::int32_t>{out[0], out[1], out[2], out[3]}),
              (std::vector<std::int32_t>{36, 18, 8, 4}));
    const std::int32_t none[4] = {0, 0, 0, 0};
    EXPECT_EQ(0, m_zoom->Control(none));
    At(0);
    m_scheduler.CancelKind(14000);
    At(10);
    EXPECT_FALSE(Running());
    EXPECT_EQ((std::vector<std::int32_t>{36, 18, 44, 22}), Shown()) << "Finish shows the end";
    EXPECT_EQ(1, m_hooks.ended);
}

TEST_F(BgZoomTest, PixelsAtZoomTwoAndHalfOnTheNearestFilter) {
    Canvas()->SetFilter(0);
    // Zoom 2 about (20, 6): source (12 + x / 2, 2 + y / 2).
    ASSERT_EQ(0, StartZoom(20, 6, "2", nullptr, 100));
    At(0);
    At(100);
    std::vector<std::uint32_t> want;
    for (std::int32_t y = 0; y < kViewHeight; ++y)
        for (std::int32_t x = 0; x < kViewWidth; ++x) want.push_back(PicturePixel(12 + x / 2, 2 + y / 2));
    EXPECT_EQ(want, Rendered());
    // Zoom 0.5 about (40, 20): source (8 + 2x, 4 + 2y).
    ASSERT_EQ(0, StartZoom(40, 20, "0.5", nullptr, 100));
    At(200);
    At(300);
    want.clear();
    for (std::int32_t y = 0; y < kViewHeight; ++y)
        for (std::int32_t x = 0; x < kViewWidth; ++x) want.push_back(PicturePixel(8 + 2 * x, 4 + 2 * y));
    EXPECT_EQ(want, Rendered());
}

TEST_F(BgZoomTest, AssistShowsTheRectangleOnAGdiScreen) {
    GdiScreen gdi;
    ASSERT_EQ(0, gdi.Create(kViewWidth, kViewHeight, 32, 1));
    ASSERT_EQ(kSurfaceGdiScreen, gdi.Kind());
    ::Canvas* canvas = gdi.GetCanvas();
    ASSERT_TRUE(canvas->SetSource(&m_picture, 0, 0, true));
    std::int32_t out[4] = {-1, -1, -1, -1};
    auto call = [&](Surface* screen, const char* zoom) {
        const std::int32_t words[] = {WordOf(screen), 20,
                                      6, WordOf(zoom),
                                      WordOf(&out[0]), WordOf(&out[1]),
                                      WordOf(&out[2]), WordOf(&out[3])};
        return BgZoomAssist(words);
    };
    EXPECT_EQ(-1, call(nullptr, "2"));
    EXPECT_EQ(1, call(&gdi, "0"));
    EXPECT_EQ(1, call(&gdi, "1e400"));
    EXPECT_EQ(1, call(&gdi, "-1"));
    EXPECT_FALSE(canvas->ShowsSourceRect());
    EXPECT_EQ(-1, out[0]) << "nothing written on failure";
    ASSERT_EQ(0, call(&gdi, "2"));
    EXPECT_EQ((std::vector<std::int32_t>{12, 2, 16, 8}),
              (std::vector<std::int32_t>{out[0], out[1], out[2], out[3]}));
    EXPECT_EQ((std::vector<std::int32_t>{12, 2, 28, 10}), Edges(canvas->ShownSourceRect()));
    canvas->SetBackgroundColour(0, false);
    EXPECT_EQ(2, call(&gdi, "2")) << "no background";
}

class BgRotTest : public BgViewTest {
protected:
    std::int32_t StartRot(std::int32_t x, std::int32_t y, std::int32_t angle, const char* zoom,
                          const char* easing, std::int32_t duration) {
        auto* effect = new BgRotEffect;
        const std::int32_t words[] = {x, y, angle, WordOf(zoom), WordOf(easing), duration};
        const std::int32_t code = effect->Setup(&m_scheduler, &m_screen, words);
        if (code != 0) ReleaseObject(effect);
        else m_rot = effect;
        return code;
    }
    struct Turn {
        std::int32_t x, y, angle;
        double zoom;
        bool operator==(const Turn& o) const {
            return x == o.x && y == o.y && angle == o.angle && zoom == o.zoom;
        }
    };
    Turn Shown() {
        const POINT at = Canvas()->ZoomOffset();
        return Turn{at.x, at.y, Canvas()->ZoomAngle(), Canvas()->ZoomFactor()};
    }

    BgRotEffect* m_rot = nullptr;
};

TEST_F(BgRotTest, EasedTurnsAtEachPhaseFromNoneOrTheCanvasTurn) {
    struct Case {
        const char* name;
        bool turned;  // the canvas shows (5, 1, 64, 1.5) first
        const char* easing;
        double e;
    };
    const Case cases[] = {{"linear from none", false, nullptr, 0.0},
                          {"slow end from a turned canvas", true, "-2", -2.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NextRun();
        ASSERT_TRUE(Canvas()->SetSource(&m_picture, 0, 0, true));
        const Turn start = c.turned ? Turn{5, 1, 64, 1.5} : Turn{0, 0, 0, 1.0};
        if (c.turned) ASSERT_EQ(1, Canvas()->SetZoom(5, 1, 64, 1.5));
        ASSERT_EQ(0, StartRot(-3, 7, 200, "2.5", c.easing, 1000));
        for (std::uint32_t t : {0u, 250u, 500u, 750u, 999u}) {
            At(t);
            const double f = std::fmod(Eased(t / 1000.0, c.e) * 1000.0, 1000.0) / 1000.0;
            const Turn want = {Between(start.x, -3, f), Between(start.y, 7, f),
                               Between(start.angle, 200, f),
                               start.zoom + f * (2.5 - start.zoom)};
            if (want == Turn{0, 0, 0, 1.0}) {
                EXPECT_EQ(0.0, Shown().zoom) << t << " ms: no turn";
                continue;
            }
            const Turn shown = Shown();
            EXPECT_EQ(want.x, shown.x) << t;
            EXPECT_EQ(want.y, shown.y) << t;
            EXPECT_EQ(want.angle, shown.angle) << t;
            EXPECT_EQ(want.zoom, shown.zoom) << t;
        }
        At(1000);
        EXPECT_FALSE(Running());
        const Turn end = Shown();
        EXPECT_EQ(-3, end.x);
        EXPECT_EQ(200, end.angle);
        EXPECT_EQ(2.5, end.zoom);
    }
}

TEST_F(BgRotTest, CodesDurationZeroAndFinish) {
    EXPECT_EQ(1, StartRot(0, 0, 0, "0", nullptr, 100));
    EXPECT_EQ(1, StartRot(0, 0, 0, "1e999", nullptr, 100));
    Canvas()->SetBackgroundColour(kViewFill, false);
    EXPECT_EQ(2, StartRot(0, 0, 0, "2", nullptr, 100));
    ASSERT_TRUE(Canvas()->SetSource(&m_picture, 0, 0, true));
    EXPECT_EQ(0, m_hooks.started);

    EXPECT_EQ(-1, StartRot(2, 3, 128, "2", nullptr, 0));
    EXPECT_FALSE(Running());
    EXPECT_EQ(128, Canvas()->ZoomAngle());
    EXPECT_EQ(2.0, Canvas()->ZoomFactor());

    // A rectangle view counts as no turn: the turn starts from the identity.
    const RECT shown = {4, 2, 20, 10};
    ASSERT_TRUE(Canvas()->SetSourceRect(0, 0, kViewWidth, kViewHeight, &shown));
    ASSERT_EQ(0, StartRot(2, 3, 100, "3", nullptr, 400));
    EXPECT_EQ(1, m_hooks.started);
    EXPECT_EQ(0, m_rot->StartTurn().angle);
    EXPECT_EQ(1.0, m_rot->StartTurn().zoom);
    At(0);
    m_scheduler.CancelKind(14000);
    At(5);
    EXPECT_EQ(100, Canvas()->ZoomAngle()) << "Finish shows the end";
    EXPECT_EQ(3.0, Canvas()->ZoomFactor());
    EXPECT_EQ(1, m_hooks.ended);
}

TEST_F(BgRotTest, PixelsAtZoomTwoAndHalfOnTheNearestFilter) {
    Canvas()->SetFilter(0);
    // The pivot is the background's centre (40, 20); the zoomed picture's corner lands at
    // trunc(p - p z + 0.5) + offset, and nearest sampling takes source floor((i - o + 0.5) / z).
    for (double zoom : {2.0, 0.5}) {
        SCOPED_TRACE(zoom);
        ASSERT_TRUE(Canvas()->SetSource(&m_picture, 0, 0, true));
        ASSERT_EQ(-1, StartRot(3, -2, 0, zoom == 2.0 ? "2" : "0.5", nullptr, 0));
        const auto ox = static_cast<std::int32_t>(std::trunc(40 - 40 * zoom + 0.5)) + 3;
        const auto oy = static_cast<std::int32_t>(std::trunc(20 - 20 * zoom + 0.5)) - 2;
        std::vector<std::uint32_t> want;
        for (std::int32_t y = 0; y < kViewHeight; ++y)
            for (std::int32_t x = 0; x < kViewWidth; ++x) {
                const auto sx = static_cast<std::int32_t>(std::floor((x - ox + 0.5) / zoom));
                const auto sy = static_cast<std::int32_t>(std::floor((y - oy + 0.5) / zoom));
                const bool inside = sx >= 0 && sy >= 0 && sx < kPictureWidth && sy < kPictureHeight;
                want.push_back(inside ? PicturePixel(sx, sy) : kViewFill);
            }
        EXPECT_EQ(want, Rendered());
    }
}

}  // namespace
