// Fills and copies of rectangles: clipping, the row kernels they pick, overlapping copies.
#include <climits>
#include <cstring>
#include <string>

#include "tests/pixelops/kernels/kernel_reference.h"
#include "tests/pixelops/rects/rect_test_support.h"

using namespace pixelops;
using namespace pixelopstest;

namespace {

struct FillClipCase {
    const char* name;
    RECT clip;
    bool nullRect;
    RECT rect;
    bool drawn;
    RECT expected;  // area changed when drawn
};

const FillClipCase kFillClipCases[] = {
    {"inside", {0, 0, 8, 6}, false, {2, 1, 5, 3}, true, {2, 1, 5, 3}},
    {"partly left and above", {0, 0, 8, 6}, false, {-2, -2, 3, 2}, true, {0, 0, 3, 2}},
    {"cut by a smaller clip", {1, 1, 6, 4}, false, {0, 0, 8, 8}, true, {1, 1, 6, 4}},
    {"touching the clip's right edge", {0, 0, 6, 6}, false, {6, 0, 9, 3}, false, {}},
    {"touching the clip's bottom edge", {0, 0, 8, 4}, false, {0, 4, 8, 6}, false, {}},
    {"wholly outside", {0, 0, 8, 6}, false, {-5, -5, -1, -1}, false, {}},
    {"inverted", {0, 0, 8, 6}, false, {5, 1, 2, 3}, false, {}},
    {"the widest numbers",
     {1, 2, 7, 5},
     false,
     {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
     true,
     {1, 2, 7, 5}},
    {"null takes the clip", {1, 2, 7, 5}, true, {}, true, {1, 2, 7, 5}},
    {"null with an empty clip", {3, 3, 3, 5}, true, {}, false, {}},
};

class FillRectTest : public RectTest {};

}  // namespace

TEST_F(FillRectTest, ClippingTableForEveryFill) {
    constexpr Pixel kBefore = 0x11223344;
    struct Fill {
        const char* name;
        std::int32_t (*run)(Surface*, const RECT*);
        Pixel after;
    };
    const Fill fills[] = {
        {"FillRectArgb", [](Surface* s, const RECT* r) { return FillRectArgb(s, 0x80FF0000, r); },
         0x80FF0000},
        {"FillRectColor", [](Surface* s, const RECT* r) { return FillRectColor(s, 0xFF, 255, r); },
         0x110000FF},
        {"FillRectColorWithAlpha",
         [](Surface* s, const RECT* r) { return FillRectColorWithAlpha(s, 0x00010203, 255, r, 0); },
         0xFF010203},
        {"RemoveRectOpacity",
         [](Surface* s, const RECT* r) { return RemoveRectOpacity(s, 255, r); }, 0x00223344},
        {"SetRectAlpha", [](Surface* s, const RECT* r) { return SetRectAlpha(s, 0x1C0, r); },
         0xC0223344},
    };
    for (const Fill& fill : fills) {
        for (bool bottomUp : {false, true}) {
            for (const FillClipCase& c : kFillClipCases) {
                TestSurface s(8, 6, 4, bottomUp);
                s.Fill(kBefore);
                s.SetClipRect(&c.clip);
                const RECT given = c.rect;
                g_lastUpdatedRect = kUntouched;
                const std::int32_t answer = fill.run(&s, c.nullRect ? nullptr : &given);
                const std::string name =
                    std::string(fill.name) + ", " + c.name + (bottomUp ? ", bottom-up" : "");
                EXPECT_EQ(c.drawn ? 1 : 0, answer) << name;
                if (c.drawn)
                    ExpectLastUpdated(c.expected.left, c.expected.top, c.expected.right,
                                      c.expected.bottom, name.c_str());
                else
                    EXPECT_TRUE(Untouched()) << name;
                for (std::int32_t y = 0; y < 6; ++y)
                    for (std::int32_t x = 0; x < 8; ++x)
                        ASSERT_EQ(c.drawn && Inside(x, y, c.expected) ? fill.after : kBefore,
                                  s.At(x, y))
                            << name << " at " << x << "," << y;
                EXPECT_TRUE(s.PaddingIntact()) << name;
                EXPECT_EQ(0, std::memcmp(&given, &c.rect, sizeof(RECT))) << name;
            }
        }
    }
}

TEST_F(FillRectTest, LargeFillKernelFromSixteenThousandPixelsOn) {
    static int largeCalls;
    largeCalls = 0;
    KernelSlot(kWordFillArgbLineLarge) = reinterpret_cast<PixelOperation>(
        +[](Pixel* row, std::int32_t count, std::uint32_t value) QMXGL_CALL {
            ++largeCalls;
            for (std::int32_t i = 0; i < count; ++i) row[i] = value;
        });
    const struct {
        std::int32_t width, height;
        bool large;
    } cases[] = {{128, 128, true}, {127, 129, false}};
    for (const auto& c : cases) {
        largeCalls = 0;
        TestSurface s(c.width, c.height);
        ASSERT_EQ(1, FillRectArgb(&s, 0xDEADBEEF, nullptr));
        EXPECT_EQ(c.large ? c.height : 0, largeCalls) << c.width;
        for (Pixel p : s.Pixels()) ASSERT_EQ(0xDEADBEEFu, p);
    }
}

TEST_F(FillRectTest, FillRect8StoresWordsAndTailBytes) {
    for (bool bottomUp : {false, true}) {
        for (std::int32_t width : {1, 4, 7, 9}) {
            TestSurface s(12, 3, 1, bottomUp);
            s.Fill(0x11);
            const RECT r = {1, 0, 1 + width, 2};
            ASSERT_EQ(1, FillRect8(&s, 0x3C7, &r)) << width;
            for (std::int32_t y = 0; y < 3; ++y)
                for (std::int32_t x = 0; x < 12; ++x)
                    EXPECT_EQ(Inside(x, y, r) ? 0xC7 : 0x11, s.ByteAt(x, y)) << width;
            EXPECT_TRUE(s.PaddingIntact());
            ExpectLastUpdated(1, 0, 1 + width, 2, "FillRect8");
        }
    }
}

TEST_F(FillRectTest, OpacityFormsAndTheirEarlyExits) {
    const Pixel kDest = 0x80204060;
    const struct {
        const char* name;
        std::int32_t (*run)(Surface*);
        Pixel expected;
        bool drawn;
    } cases[] = {
        {"colour at 0", [](Surface* s) { return FillRectColor(s, 0xFFFFFF, 0x100, nullptr); },
         kDest, false},
        {"colour at 255 keeps alpha",
         [](Surface* s) { return FillRectColor(s, 0x00A0B0C0, 255, nullptr); }, 0x80A0B0C0, true},
        // floor((d (255 - 128) + c 128) / 256), alpha kept
        {"colour at 128", [](Surface* s) { return FillRectColor(s, 0xFFFFFF, 128, nullptr); },
         Make((0x60 * 127 + 255 * 128) / 256, (0x40 * 127 + 255 * 128) / 256,
              (0x20 * 127 + 255 * 128) / 256, 0x80),
         true},
        {"with alpha at 0",
         [](Surface* s) { return FillRectColorWithAlpha(s, 0xFFFFFF, 0, nullptr, 1); }, kDest,
         false},
        // The colour over an additive-alpha destination, weighted by the opacity.
        {"with additive alpha at 64",
         [](Surface* s) { return FillRectColorWithAlpha(s, 0x00FFFFFF, 64, nullptr, 1); },
         Make((0x60 * 191 >> 8) + (255 * 64 >> 8), (0x40 * 191 >> 8) + (255 * 64 >> 8),
              (0x20 * 191 >> 8) + (255 * 64 >> 8), 0x80 + 64 - (0x80 * 64 >> 8)),
         true},
        {"with straight alpha at 64",
         [](Surface* s) { return FillRectColorWithAlpha(s, 0x00FFFFFF, 64, nullptr, 0); },
         RefLerp(kDest, 0x00FFFFFF, RefWeight(64, 0x80), 255 - (191 * 127 >> 8)), true},
        {"opacity removal at 0", [](Surface* s) { return RemoveRectOpacity(s, 0, nullptr); }, kDest,
         false},
        // 128 x 127 >> 8 = 63: each alpha becomes alpha (255 - opacity) >> 8.
        {"opacity removal at 128", [](Surface* s) { return RemoveRectOpacity(s, 128, nullptr); },
         0x3F204060, true},
    };
    for (const auto& c : cases) {
        TestSurface s(3, 2);
        s.Fill(kDest);
        g_lastUpdatedRect = kUntouched;
        EXPECT_EQ(1, c.run(&s)) << c.name;
        for (Pixel p : s.Pixels()) EXPECT_EQ(c.expected, p) << c.name;
        if (c.drawn)
            ExpectLastUpdated(0, 0, 3, 2, c.name);
        else
            EXPECT_TRUE(Untouched()) << c.name;
    }
    // The formula holds for opaque pixels too: 255 x 127 >> 8 = 126.
    TestSurface opaque(1, 1);
    opaque.Fill(0xFF000000);
    ASSERT_EQ(1, RemoveRectOpacity(&opaque, 128, nullptr));
    EXPECT_EQ(0x7E000000u, opaque.At(0, 0));
}

namespace {

class CopyRectTest : public RectTest {
protected:
    // A source whose every pixel tells its position.
    static void Number(TestSurface& s, Pixel alpha = 0x40000000) {
        for (std::int32_t y = 0; y < s.Height(); ++y)
            for (std::int32_t x = 0; x < s.Width(); ++x)
                s.At(x, y) = alpha | static_cast<Pixel>(y << 8 | x);
    }
};

}  // namespace

TEST_F(CopyRectTest, ClippingTable) {
    const struct {
        const char* name;
        bool nullRect;
        RECT rect;
        std::int32_t x, y;
        std::int32_t answer;
        RECT rectAfter;         // the caller's rectangle afterwards
        std::int32_t toX, toY;  // where the clipped source rectangle lands
    } cases[] = {
        {"inside", false, {1, 1, 4, 3}, 2, 2, 0, {1, 1, 4, 3}, 2, 2},
        {"source left of its bitmap", false, {-5, 0, 3, 2}, 10, 1, 0, {0, 0, 3, 2}, 15, 1},
        {"source past its right edge", false, {4, 0, 9, 2}, 0, 0, 0, {4, 0, 6, 2}, 0, 0},
        {"destination left of its bitmap", false, {0, 0, 4, 2}, -3, 0, 0, {3, 0, 4, 2}, 0, 0},
        {"destination past the right edge", false, {0, 0, 6, 2}, 17, 0, 0, {0, 0, 3, 2}, 17, 0},
        {"destination above and below", false, {0, 0, 2, 5}, 0, -1, 0, {0, 1, 2, 5}, 0, 0},
        {"destination beyond the width", false, {0, 0, 2, 2}, 20, 0, -2, {}, 0, 0},
        {"source wholly left", false, {-9, 0, -1, 2}, 0, 0, -2, {}, 0, 0},
        {"destination wholly above", false, {0, 0, 2, 2}, 0, -2, -2, {}, 0, 0},
        {"arbitrary numbers", false, {INT_MIN, 0, INT_MAX, 1}, INT_MAX, 0, -2, {}, 0, 0},
        {"null is the whole source", true, {}, 1, 1, 0, {}, 1, 1},
    };
    for (bool bottomUp : {false, true}) {
        for (const auto& c : cases) {
            TestSurface src(6, 5, 4, bottomUp), dest(20, 6, 4, !bottomUp);
            Number(src);
            dest.Fill(0x99999999);
            RECT rect = c.rect;
            g_lastUpdatedRect = kUntouched;
            const std::string name = std::string(c.name) + (bottomUp ? ", bottom-up" : "");
            EXPECT_EQ(c.answer,
                      CopyRectOwn(&dest, &src, c.x, c.y, c.nullRect ? nullptr : &rect, kCopyPixels))
                << name;
            if (c.answer != 0) {
                EXPECT_TRUE(Untouched()) << name;
                for (Pixel p : dest.Pixels()) ASSERT_EQ(0x99999999u, p) << name;
                continue;
            }
            const RECT from = c.nullRect ? RECT{0, 0, 6, 5} : c.rectAfter;
            if (!c.nullRect) {
                EXPECT_EQ(0, std::memcmp(&rect, &c.rectAfter, sizeof(RECT))) << name;
            }
            const RECT to = {c.toX, c.toY, c.toX + from.right - from.left,
                             c.toY + from.bottom - from.top};
            ExpectLastUpdated(to.left, to.top, to.right, to.bottom, name.c_str());
            for (std::int32_t y = 0; y < 6; ++y)
                for (std::int32_t x = 0; x < 20; ++x)
                    ASSERT_EQ(Inside(x, y, to)
                                  ? src.At(x - to.left + from.left, y - to.top + from.top)
                                  : 0x99999999u,
                              dest.At(x, y))
                        << name << " at " << x << "," << y;
            EXPECT_TRUE(dest.PaddingIntact()) << name;
        }
    }
}

TEST_F(CopyRectTest, TypesCopyColourAlphaOrWholePixels) {
    const struct {
        std::uint32_t type;
        std::int32_t answer;
        Pixel expected;
    } cases[] = {
        {kCopyColour, 0, 0x99123456},  {kCopyAlpha, 0, 0x40999999},
        {kCopyPixels, 0, 0x40123456},  {0x103, 0, 0x40123456},  // only the low byte counts
        {0, kRectRefused, 0x99999999}, {4, kRectRefused, 0x99999999},
    };
    for (const auto& c : cases) {
        TestSurface src(3, 2), dest(3, 2);
        src.Fill(0x40123456);
        dest.Fill(0x99999999);
        g_lastUpdatedRect = kUntouched;
        EXPECT_EQ(c.answer, CopyRectOwn(&dest, &src, 0, 0, nullptr, c.type)) << c.type;
        for (Pixel p : dest.Pixels()) EXPECT_EQ(c.expected, p) << c.type;
        EXPECT_EQ(c.answer != 0, Untouched()) << c.type;
    }
}

TEST_F(CopyRectTest, OverlappingCopiesWithinOneBitmapInEveryDirection) {
    const struct {
        std::int32_t dx, dy;
    } shifts[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {3, 2}, {-2, -3}, {300, 0}, {-300, 1}, {0, 0}};
    for (bool host : {false, true}) {
        if (host) {
            const HostCopyRoutine forward = [](void* d, const void* s, std::int32_t ds,
                                               std::int32_t ss, std::int32_t w, std::int32_t h) {
                auto* dp = static_cast<std::uint8_t*>(d);
                auto* sp = static_cast<const std::uint8_t*>(s);
                for (std::int32_t y = 0; y < h; ++y, dp += ds, sp += ss)
                    for (std::int32_t i = 0; i < 4 * w; ++i) *dp++ = *sp++;
            };
            const HostCopyRoutines routines = {0, forward, forward, forward};
            ASSERT_EQ(0, RegisterHostCopyRoutines(&routines));
            FillLibrary();
        }
        for (bool bottomUp : {false, true}) {
            for (std::uint32_t type : {kCopyColour, kCopyPixels}) {
                for (const auto& shift : shifts) {
                    TestSurface s(700, 8, 4, bottomUp);
                    s.Randomise(shift.dx * 31 + shift.dy);
                    const std::vector<Pixel> before = s.Pixels();
                    RECT r = {310, 3, 690, 7};
                    const RECT from = r;
                    ASSERT_EQ(0, g_copyRect(&s, &s, r.left + shift.dx, r.top + shift.dy, &r, type));
                    for (std::int32_t y = 0; y < 8; ++y)
                        for (std::int32_t x = 0; x < 700; ++x) {
                            const std::int32_t sx = x - shift.dx, sy = y - shift.dy;
                            Pixel expected = before[y * 700 + x];
                            if (Inside(sx, sy, from)) {
                                const Pixel source = before[sy * 700 + sx];
                                expected = type == kCopyPixels
                                               ? source
                                               : (source & 0x00FFFFFF) | (expected & 0xFF000000);
                            }
                            ASSERT_EQ(expected, s.At(x, y))
                                << "shift " << shift.dx << "," << shift.dy << " type " << type
                                << (host ? " host" : " own") << (bottomUp ? " bottom-up" : "")
                                << " at " << x << "," << y;
                        }
                }
            }
        }
    }
}

namespace {

struct HostCall {
    int routine;
    void* dst;
    const void* src;
    std::int32_t dstSkip, srcSkip, width, height;
};
std::vector<HostCall> g_hostCalls;

template <int Routine>
void QMXGL_CALL RecordHostCall(void* d, const void* s, std::int32_t ds, std::int32_t ss,
                               std::int32_t w, std::int32_t h) {
    g_hostCalls.push_back(HostCall{Routine, d, s, ds, ss, w, h});
}

}  // namespace

TEST_F(CopyRectTest, HostRoutinesGetTheWholeRectangleAndSkips) {
    const HostCopyRoutines routines = {0, RecordHostCall<3>, RecordHostCall<1>, RecordHostCall<2>};
    ASSERT_EQ(0, RegisterHostCopyRoutines(&routines));
    FillLibrary();
    ASSERT_EQ(reinterpret_cast<PixelOperation>(CopyRectWithHostRoutines),
              m_library->Word(kWordCopyRect));
    for (std::uint32_t type : {kCopyColour, kCopyAlpha, kCopyPixels}) {
        TestSurface src(10, 6, 4, true), dest(12, 8);
        RECT r = {2, 1, 7, 4};
        g_hostCalls.clear();
        ASSERT_EQ(0, g_copyRect(&dest, &src, 3, 2, &r, type));
        ASSERT_EQ(1u, g_hostCalls.size());
        const HostCall& call = g_hostCalls[0];
        EXPECT_EQ(static_cast<int>(type), call.routine);
        EXPECT_EQ(&dest.At(3, 2), call.dst);
        EXPECT_EQ(&src.At(2, 1), call.src);
        EXPECT_EQ(dest.Pitch() - 20, call.dstSkip);
        EXPECT_EQ(src.Pitch() - 20, call.srcSkip);
        EXPECT_EQ(5, call.width);
        EXPECT_EQ(3, call.height);
        ExpectLastUpdated(3, 2, 8, 5, "host copy");
    }
}
