// Box blur against a naive reference, flips, grey scale, gamma and the whole-bitmap conversions.
#include <climits>
#include <cstdlib>
#include <string>

#include "tests/pixelops/kernels/kernel_reference.h"
#include "tests/pixelops/rects/rect_test_support.h"

using namespace pixelops;
using namespace pixelopstest;

namespace {

class RectFiltersTest : public RectTest {};

// Every output pixel from the box around it, over the pixels of the bitmap it covers.
std::vector<Pixel> NaiveBoxBlur(TestSurface& s, int ex, int ey, const RECT& r, bool alpha) {
    const int rx = std::abs(ex), ry = std::abs(ey);
    const long long area = (2LL * rx + 1) * (2LL * ry + 1);
    const int width = s.Width(), height = s.Height();
    const std::vector<Pixel> in = s.Pixels();
    std::vector<Pixel> out = in;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            long long sums[4] = {0, 0, 0, 0};
            long long count = 0;
            for (int yy = y - ry; yy <= y + ry; ++yy)
                for (int xx = x - rx; xx <= x + rx; ++xx) {
                    if (xx < 0 || yy < 0 || xx >= width || yy >= height) continue;
                    const Pixel p = in[yy * width + xx];
                    const int a = A(p);
                    for (int c = 0; c < 3; ++c)
                        sums[c] += alpha ? Ch(p, c) * (a + (a >= 128 ? 1 : 0)) >> 8 : Ch(p, c);
                    sums[3] += a;
                    ++count;
                }
            int avg[4];
            for (int c = 0; c < 4; ++c)
                avg[c] =
                    static_cast<int>(area <= 255 ? ((sums[c] + count / 2) * (65536 / count)) >> 16
                                                 : (sums[c] + count / 2) / count);
            if (alpha)
                for (int c = 0; c < 3; ++c)
                    avg[c] = avg[3] == 0 ? 0 : Min255(255 * avg[c] / avg[3]);
            out[y * width + x] = Make(avg[0], avg[1], avg[2], avg[3]);
        }
    return out;
}

}  // namespace

TEST_F(RectFiltersTest, BoxBlurMatchesTheNaiveBox) {
    const struct {
        int ex, ey;
    } extents[] = {{1, 0}, {0, 2}, {2, 1},  {-2, 0}, {1, -3}, {7, 7},
                   {8, 7}, {8, 8}, {3, 40}, {30, 1}, {12, 12}};
    const struct {
        const char* name;
        bool nullRect;
        RECT rect;
        RECT clip;
        RECT blurred;
    } areas[] = {
        {"whole bitmap", true, {}, {0, 0, 23, 17}, {0, 0, 23, 17}},
        {"inner rectangle", false, {4, 3, 15, 11}, {0, 0, 23, 17}, {4, 3, 15, 11}},
        {"cut by the clip", false, {-4, 5, 30, 9}, {2, 0, 20, 17}, {2, 5, 20, 9}},
        {"one column at the right edge", false, {22, 0, 23, 17}, {0, 0, 23, 17}, {22, 0, 23, 17}},
    };
    for (bool alpha : {false, true}) {
        for (bool bottomUp : {false, true}) {
            for (const auto& e : extents) {
                for (const auto& a : areas) {
                    TestSurface s(23, 17, 4, bottomUp);
                    s.Randomise(e.ex * 97 + e.ey * 13 + alpha);
                    s.SetClipRect(&a.clip);
                    const std::vector<Pixel> expected =
                        NaiveBoxBlur(s, e.ex, e.ey, a.blurred, alpha);
                    const std::string name = std::string(a.name) + " extents " +
                                             std::to_string(e.ex) + "," + std::to_string(e.ey) +
                                             (alpha ? " alpha" : "") + (bottomUp ? " bu" : "");
                    ASSERT_EQ(1, BoxBlurRect(&s, e.ex, e.ey, a.nullRect ? nullptr : &a.rect, alpha))
                        << name;
                    ASSERT_EQ(expected, s.Pixels()) << name;
                    ExpectLastUpdated(a.blurred.left, a.blurred.top, a.blurred.right,
                                      a.blurred.bottom, name.c_str());
                    EXPECT_TRUE(s.PaddingIntact()) << name;
                }
            }
        }
    }
}

TEST_F(RectFiltersTest, BoxBlurEarlyAnswers) {
    const RECT edge = {8, 0, 9, 4};
    const struct {
        const char* name;
        std::int32_t ex, ey;
        const RECT* rect;
        std::int32_t answer;
    } cases[] = {
        {"no extent", 0, 0, nullptr, 1},
        {"most negative extent", INT_MIN, 0, nullptr, 0},
        {"most negative on both axes", INT_MIN, INT_MIN, nullptr, 0},
        {"largest extent", 0, INT_MAX, nullptr, 0},
        {"area just above 24 bits", 2048, 2048, nullptr, 0},
        {"rectangle touching the clip's edge", 1, 1, &edge, 0},
    };
    for (const auto& c : cases) {
        TestSurface s(8, 4);
        s.Randomise(6);
        const std::vector<Pixel> before = s.Pixels();
        g_lastUpdatedRect = kUntouched;
        EXPECT_EQ(c.answer, BoxBlurRect(&s, c.ex, c.ey, c.rect, 0)) << c.name;
        EXPECT_EQ(before, s.Pixels()) << c.name;
        EXPECT_TRUE(Untouched()) << c.name;
    }
    // The largest box that still blurs: 4095 x 4097 = 0xFFFFFF pixels, on a small bitmap.
    TestSurface s(8, 4);
    s.Fill(0x80402010);
    EXPECT_EQ(1, BoxBlurRect(&s, 2047, 2048, nullptr, 1));
    for (Pixel p : s.Pixels()) EXPECT_EQ(A(0x80402010), A(p));
}

TEST_F(RectFiltersTest, BoxBlurKeepsUniformPicturesAndClearsTransparentOnes) {
    for (bool alpha : {false, true}) {
        TestSurface uniform(9, 7);
        uniform.Fill(0xFF336699);
        ASSERT_EQ(1, BoxBlurRect(&uniform, 3, -2, nullptr, alpha));
        for (Pixel p : uniform.Pixels()) EXPECT_EQ(0xFF336699u, p) << alpha;
    }
    // Colour without alpha counts for nothing when alpha weighs in.
    TestSurface clear(9, 7);
    clear.Randomise(5);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) clear.At(x, y) &= 0x00FFFFFF;
    ASSERT_EQ(1, BoxBlurRect(&clear, 1, 1, nullptr, 1));
    for (Pixel p : clear.Pixels()) EXPECT_EQ(0u, p);
}

TEST_F(RectFiltersTest, FlipsOnOddAndEvenSizes) {
    struct Flip {
        const char* name;
        std::int32_t (*run)(Surface*, const RECT*);
        int pixelSize;
        bool vertical;
    };
    const Flip flips[] = {{"vertical", FlipRectVertical, 4, true},
                          {"vertical 8", FlipRectVertical8, 1, true},
                          {"horizontal", FlipRectHorizontal, 4, false},
                          {"horizontal 8", FlipRectHorizontal8, 1, false}};
    const struct {
        int width, height;
        bool nullRect;
        RECT rect;
    } shapes[] = {{5, 3, true, {}},
                  {4, 4, true, {}},
                  {7, 6, false, {1, 1, 6, 6}},
                  {7, 6, false, {2, 0, 6, 3}}};
    for (const Flip& f : flips) {
        for (bool bottomUp : {false, true}) {
            for (const auto& shape : shapes) {
                TestSurface s(shape.width, shape.height, f.pixelSize, bottomUp);
                s.Randomise(shape.width * shape.height);
                TestSurface before(shape.width, shape.height, f.pixelSize);
                if (f.pixelSize == 4) before.SetPixels(s.Pixels());
                for (int y = 0; y < shape.height; ++y)
                    for (int x = 0; x < shape.width; ++x) before.ByteAt(x, y) = s.ByteAt(x, y);
                const RECT r = shape.nullRect ? RECT{0, 0, shape.width, shape.height} : shape.rect;
                ASSERT_EQ(1, f.run(&s, shape.nullRect ? nullptr : &shape.rect)) << f.name;
                ExpectLastUpdated(r.left, r.top, r.right, r.bottom, f.name);
                for (int y = 0; y < shape.height; ++y)
                    for (int x = 0; x < shape.width; ++x) {
                        int fx = x, fy = y;
                        if (Inside(x, y, r)) {
                            if (f.vertical)
                                fy = r.top + r.bottom - 1 - y;
                            else
                                fx = r.left + r.right - 1 - x;
                        }
                        if (f.pixelSize == 4)
                            ASSERT_EQ(before.At(fx, fy), s.At(x, y))
                                << f.name << " " << x << "," << y;
                        else
                            ASSERT_EQ(before.ByteAt(fx, fy), s.ByteAt(x, y)) << f.name;
                    }
                EXPECT_TRUE(s.PaddingIntact()) << f.name;
            }
        }
        const RECT outside[] = {{-1, 0, 2, 2}, {0, -1, 2, 2}, {0, 0, 9, 2}, {0, 0, 2, 9}};
        const RECT empty = {3, 1, 3, 3};
        for (const RECT& r : outside) {
            TestSurface s(5, 3, f.pixelSize);
            g_lastUpdatedRect = kUntouched;
            EXPECT_EQ(0, f.run(&s, &r)) << f.name;
            EXPECT_TRUE(Untouched()) << f.name;
        }
        TestSurface s(5, 3, f.pixelSize);
        s.Randomise(1);
        const std::vector<std::uint8_t> before = s.Bytes();
        g_lastUpdatedRect = kUntouched;
        EXPECT_EQ(1, f.run(&s, &empty)) << f.name;
        EXPECT_EQ(before, s.Bytes()) << f.name;
        EXPECT_TRUE(Untouched()) << f.name;
    }
}

TEST_F(RectFiltersTest, GammaIdentityLeavesPictureAndRectangleAlone) {
    const GammaRecord identity = {{1.0f, 0, 255}, {1.0f, 0, 255}, {1.0f, 0, 255}};
    for (auto adjust : {AdjustGammaRect, AdjustGammaRectAdditiveAlpha}) {
        TestSurface s(6, 4);
        s.Randomise(2);
        const std::vector<Pixel> before = s.Pixels();
        g_lastUpdatedRect = kUntouched;
        EXPECT_EQ(1, adjust(&s, &identity, nullptr));
        EXPECT_EQ(before, s.Pixels());
        EXPECT_TRUE(Untouched());
    }
}

TEST_F(RectFiltersTest, GammaGreyScaleAndWholeBitmapOperationsRunTheirRowKernels) {
    const GammaRecord curve = {{2.2f, 10, 240}, {0.5f, 0, 255}, {1.0f, 40, 200}};
    const RECT rect = {1, 1, 5, 3};
    struct Case {
        const char* name;
        std::int32_t (*run)(Surface*, const GammaRecord&, const RECT&);
        void (*expected)(Pixel* row, std::int32_t count, const GammaRecord&);
        bool whole;
    };
    const Case cases[] = {
        {"gamma",
         [](Surface* s, const GammaRecord& g, const RECT& r) { return AdjustGammaRect(s, &g, &r); },
         [](Pixel* row, std::int32_t n, const GammaRecord& g) {
             std::uint8_t table[kGammaTableSize];
             Portable<InitGammaKernel>(kWordInitGammaTable)(table, &g);
             Portable<GammaLineKernel>(kWordApplyGammaLine)(row, n, table);
         },
         false},
        {"gamma additive alpha",
         [](Surface* s, const GammaRecord& g, const RECT& r) {
             return AdjustGammaRectAdditiveAlpha(s, &g, &r);
         },
         [](Pixel* row, std::int32_t n, const GammaRecord& g) {
             std::uint8_t table[kGammaTableSize];
             Portable<InitGammaKernel>(kWordInitGammaTable)(table, &g);
             Portable<GammaLineKernel>(kWordApplyGammaLineAdditiveAlpha)(row, n, table);
         },
         false},
        {"grey", [](Surface* s, const GammaRecord&, const RECT& r) { return GrayScaleRect(s, &r); },
         [](Pixel* row, std::int32_t n, const GammaRecord&) {
             Portable<InPlaceKernel>(kWordGrayScaleLine)(row, n);
         },
         false},
        {"additive to straight alpha",
         [](Surface* s, const GammaRecord&, const RECT&) {
             return ConvertAdditiveAlphaToAlphaRect(s);
         },
         [](Pixel* row, std::int32_t n, const GammaRecord&) {
             Portable<InPlaceKernel>(kWordConvertAdditiveAlphaToAlphaLine)(row, n);
         },
         true},
        {"straight to additive alpha",
         [](Surface* s, const GammaRecord&, const RECT&) {
             return ConvertAlphaToAdditiveAlphaRect(s);
         },
         [](Pixel* row, std::int32_t n, const GammaRecord&) {
             Portable<InPlaceKernel>(kWordConvertAlphaToAdditiveAlphaLine)(row, n);
         },
         true},
        {"colour under",
         [](Surface* s, const GammaRecord&, const RECT&) {
             return BlendColorUnderRect(s, 0x00336699);
         },
         [](Pixel* row, std::int32_t n, const GammaRecord&) {
             Portable<ColourUnderKernel>(kWordBlendColorUnderLine)(row, 0x00336699, n);
         },
         true},
        {"key colour",
         [](Surface* s, const GammaRecord&, const RECT&) {
             return KeyColorToAlphaRect(s, 0x123456);
         },
         [](Pixel* row, std::int32_t n, const GammaRecord&) {
             Portable<ValueKernel>(kWordKeyColorToAlphaLine)(row, n, 0x123456);
         },
         true},
    };
    for (const Case& c : cases) {
        for (bool bottomUp : {false, true}) {
            TestSurface s(6, 4, 4, bottomUp), expected(6, 4);
            s.Randomise(7);
            s.At(2, 1) = 0x00123456;
            s.At(3, 2) = 0;
            expected.SetPixels(s.Pixels());
            ASSERT_EQ(1, c.run(&s, curve, rect)) << c.name;
            const RECT r = c.whole ? RECT{0, 0, 6, 4} : rect;
            for (int y = r.top; y < r.bottom; ++y)
                c.expected(&expected.At(r.left, y), r.right - r.left, curve);
            EXPECT_EQ(expected.Pixels(), s.Pixels()) << c.name;
            ExpectLastUpdated(r.left, r.top, r.right, r.bottom, c.name);
        }
    }
    TestSurface s(6, 4);
    const RECT outside = {7, 0, 9, 2};
    g_lastUpdatedRect = kUntouched;
    EXPECT_EQ(0, AdjustGammaRect(&s, &curve, &outside));
    EXPECT_EQ(0, AdjustGammaRect(&s, nullptr, nullptr));
    EXPECT_EQ(0, GrayScaleRect(&s, &outside));
    EXPECT_TRUE(Untouched());
}
