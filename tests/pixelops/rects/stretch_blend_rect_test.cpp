// StretchBlendRect: path selection, nearest and bilinear sampling, mirroring, the filtered path
// against a double-precision reference, and the refusals.
#include <cmath>
#include <cstdlib>
#include <string>

#include "tests/pixelops/kernels/kernel_reference.h"
#include "tests/pixelops/rects/rect_test_support.h"

using namespace pixelops;
using namespace pixelopstest;

namespace {

class StretchBlendRectTest : public RectTest {
protected:
    static std::int32_t Stretch(TestSurface& dest, TestSurface& src, const std::int32_t* size,
                                std::int32_t x, std::int32_t y, const RECT* from,
                                std::int32_t mode, std::int32_t type,
                                std::int32_t opacity = 255, std::int32_t hold = 0) {
        return StretchBlendRect(
            StretchBlendParams{&dest, &src, size, x, y, from, mode, type, opacity, hold});
    }
};

// Calls into a kernel slot, counted.
int g_calls;
template <class... Args>
void QMXGL_CALL CountCall(Args...) {
    ++g_calls;
}

// The filtered resampling in doubles: the filters, taps and edge rules as defined, the column
// pass rounded to whole bytes as the column buffer holds them.
double RefTent(double x) {
    x = std::fabs(x);
    return x < 1 ? 1 - x : 0;
}
double RefBSpline(double x) {
    x = std::fabs(x);
    if (x < 0.5) return 0.75 - x * x;
    if (x < 1.5) return 0.5 * (x - 1.5) * (x - 1.5);
    return 0;
}

struct RefTap {
    int index;
    double weight;
};

std::vector<RefTap> RefTaps(int position, int destLength, int srcLength, bool bspline) {
    const double scale = static_cast<double>(destLength) / srcLength;
    const double radius = bspline ? 1.5 : 1.0;
    const double centre = position / scale;
    const double support = scale >= 1 ? radius : radius / scale;
    std::vector<RefTap> taps;
    double sum = 0;
    for (int j = static_cast<int>(std::ceil(centre - support));
         j <= static_cast<int>(std::floor(centre + support)); ++j) {
        const double d = scale >= 1 ? centre - j : (centre - j) * scale;
        const double w = bspline ? RefBSpline(d) : RefTent(d);
        int index = j < 0 ? -j : (j < srcLength ? j : 2 * srcLength - j - 1);
        index = index < 0 ? 0 : (index > srcLength - 1 ? srcLength - 1 : index);
        taps.push_back(RefTap{index, w});
        sum += w;
    }
    if (scale < 1 && sum != 0)
        for (RefTap& t : taps) t.weight /= sum;
    return taps;
}

Pixel RefFiltered(const std::vector<Pixel>& line, const std::vector<RefTap>& taps) {
    int out[4];
    for (int c = 0; c < 4; ++c) {
        double sum = 0;
        for (const RefTap& t : taps) sum += Ch(line[t.index], c) * t.weight;
        const long r = std::lround(sum);
        out[c] = r < 0 ? 0 : (r > 255 ? 255 : static_cast<int>(r));
    }
    return Make(out[0], out[1], out[2], out[3]);
}

std::vector<Pixel> RefResample(TestSurface& src, int dw, int dh, bool bspline) {
    const int sw = src.Width(), sh = src.Height();
    std::vector<Pixel> out(static_cast<std::size_t>(dw) * dh);
    for (int i = 0; i < dw; ++i) {
        const std::vector<RefTap> across = RefTaps(i, dw, sw, bspline);
        std::vector<Pixel> column(sh);
        for (int y = 0; y < sh; ++y) {
            std::vector<Pixel> row(sw);
            for (int x = 0; x < sw; ++x) row[x] = src.At(x, y);
            column[y] = RefFiltered(row, across);
        }
        for (int d = 0; d < dh; ++d)
            out[d * dw + i] = RefFiltered(column, RefTaps(d, dh, sh, bspline));
    }
    return out;
}

}  // namespace

TEST_F(StretchBlendRectTest, FilteredPathWithinOneStepOfTheDoubleReference) {
    const struct {
        int sw, sh, dw, dh;
    } sizes[] = {{7, 5, 11, 3}, {3, 9, 8, 20}, {12, 12, 5, 5}, {2, 2, 9, 1}};
    for (int type : {2, 3}) {
        for (const auto& size : sizes) {
            TestSurface src(size.sw, size.sh);
            src.Randomise(size.sw * 100 + size.dw + type);
            TestSurface dest(size.dw + 4, size.dh + 3, 4, true);
            dest.Fill(0x12345678);
            const std::int32_t destSize[2] = {size.dw, size.dh};
            ASSERT_EQ(0, Stretch(dest, src, destSize, 2, 1, nullptr, 0, type));
            ExpectLastUpdated(2, 1, 2 + size.dw, 1 + size.dh, "filtered");
            const std::vector<Pixel> expected = RefResample(src, size.dw, size.dh, type == 3);
            for (int y = 0; y < dest.Height(); ++y)
                for (int x = 0; x < dest.Width(); ++x) {
                    const Pixel got = dest.At(x, y);
                    if (!Inside(x, y, RECT{2, 1, 2 + size.dw, 1 + size.dh})) {
                        ASSERT_EQ(0x12345678u, got);
                        continue;
                    }
                    const Pixel want = expected[(y - 1) * size.dw + x - 2];
                    for (int c = 0; c < 4; ++c)
                        ASSERT_LE(std::abs(Ch(got, c) - Ch(want, c)), 1)
                            << "type " << type << " " << size.sw << "x" << size.sh << " to "
                            << size.dw << "x" << size.dh << " at " << x << "," << y;
                }
        }
    }
}

TEST_F(StretchBlendRectTest, UniformPicturesStayUniformOnEveryPath) {
    const Pixel kColour = 0x80C04021;
    for (int type : {0, 1, 2, 3}) {
        for (const auto& size : {std::pair<int, int>{13, 2}, std::pair<int, int>{2, 7}}) {
            TestSurface src(6, 4);
            src.Fill(kColour);
            TestSurface dest(size.first, size.second);
            ASSERT_EQ(0, Stretch(dest, src, nullptr, 0, 0, nullptr, 0, type)) << type;
            for (Pixel p : dest.Pixels()) ASSERT_EQ(kColour, p) << type;
        }
    }
}

TEST_F(StretchBlendRectTest, PathSelection) {
    struct Case {
        const char* name;
        std::int32_t destSize[2];
        RECT clip;
        std::int32_t mode, type, opacity, hold;
        int spiedWord;
        bool called;
    };
    const Case cases[] = {
        {"tent inside the clip resamples", {8, 6}, {0, 0, 10, 10}, 0, 2, 255, 0,
         kWordBilinearStretchCopyLine, false},
        {"tent sticking out of the clip", {8, 6}, {0, 0, 7, 10}, 0, 2, 255, 0,
         kWordBilinearStretchCopyLine, true},
        {"B-spline with the hold flag", {8, 6}, {0, 0, 10, 10}, 0, 3, 255, 1,
         kWordStretchColorCopyLine, true},
        {"tent below full opacity", {8, 6}, {0, 0, 10, 10}, 0, 2, 254, 0,
         kWordBilinearStretchConstAlphaBlendLine, true},
        {"type 4 is bilinear", {8, 6}, {0, 0, 10, 10}, 0, 4, 255, 0,
         kWordBilinearStretchCopyLine, true},
        {"type 0x10 is nearest", {8, 6}, {0, 0, 10, 10}, 0, 0x10, 255, 0, kWordStretchCopyLine,
         true},
        {"mirrored tent", {-8, 6}, {0, 0, 10, 10}, 0, 2, 255, 0, kWordBilinearStretchCopyLine,
         true},
        {"additive alpha bilinear", {8, 6}, {0, 0, 10, 10}, 11, 1, 100, 0,
         kWordBilinearStretchAdditiveAlphaBlendLineOpacity, true},
        {"additive alpha with the flag", {8, 6}, {0, 0, 10, 10}, 11, 1, 255, 1,
         kWordStretchAdditiveAlphaBlendLineHoldAlpha, true},
        {"alpha onto additive alpha", {8, 6}, {0, 0, 10, 10}, 14, 0, 255, 0,
         kWordStretchAlphaBlendLineOntoAdditiveAlpha, true},
    };
    for (const Case& c : cases) {
        g_calls = 0;
        PixelOperation& slot = KernelSlot(c.spiedWord);
        const PixelOperation saved = slot;
        // Every stretched signature pops nothing (__cdecl), so one counter serves them all.
        slot = reinterpret_cast<PixelOperation>(
            CountCall<Pixel*, std::int32_t, const Pixel*, const Pixel*, std::uint32_t,
                      std::int32_t, std::int32_t>);
        TestSurface src(4, 3), dest(10, 10);
        src.Randomise(9);
        dest.SetClipRect(&c.clip);
        EXPECT_EQ(0, Stretch(dest, src, c.destSize, c.destSize[0] < 0 ? 8 : 0, 0, nullptr, c.mode,
                             c.type, c.opacity, c.hold))
            << c.name;
        EXPECT_EQ(c.called, g_calls > 0) << c.name;
        slot = saved;
    }
}

TEST_F(StretchBlendRectTest, EqualSizesGoToBlendRect) {
    TestSurface src(4, 3), dest(6, 5), expected(6, 5);
    src.Randomise(1);
    dest.Randomise(2);
    expected.SetPixels(dest.Pixels());
    const std::int32_t size[2] = {4, 3};
    // Mode 4 is no stretched mode, but BlendRect adds.
    ASSERT_EQ(0, Stretch(dest, src, size, 1, 2, nullptr, 4, 0));
    for (int y = 0; y < 3; ++y)
        Portable<RowKernel>(kWordAddBlendLine)(&expected.At(1, 2 + y), &src.At(0, y), 4);
    EXPECT_EQ(expected.Pixels(), dest.Pixels());
    // A source given right to left has the same signed size as a mirrored destination:
    // BlendRect finds that rectangle empty.
    const std::int32_t mirrored[2] = {-4, 3};
    const RECT reversed = {4, 0, 0, 3};
    EXPECT_EQ(-1, Stretch(dest, src, mirrored, 4, 0, &reversed, 2, 0));
}

TEST_F(StretchBlendRectTest, NearestSamplingMirroringAndClipping) {
    TestSurface src(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) src.At(x, y) = 0xFF000000 | static_cast<Pixel>(y << 8 | x);
    struct Case {
        const char* name;
        std::int32_t size[2];
        std::int32_t x, y;
        bool reversedRect;
        RECT clip;
        RECT drawn;
        int (*sourceX)(int x);
        int (*sourceY)(int y);
    };
    const Case cases[] = {
        {"twice the size", {6, 4}, 0, 0, false, {0, 0, 8, 6}, {0, 0, 6, 4},
         [](int x) { return x / 2; }, [](int y) { return y / 2; }},
        {"mirrored left to right", {-6, 4}, 6, 0, false, {0, 0, 8, 6}, {0, 0, 6, 4},
         [](int x) { return 2 - x / 2; }, [](int y) { return y / 2; }},
        {"mirrored top to bottom", {6, -4}, 0, 4, false, {0, 0, 8, 6}, {0, 0, 6, 4},
         [](int x) { return x / 2; }, [](int y) { return 1 - y / 2; }},
        {"source given right to left", {6, 4}, 0, 0, true, {0, 0, 8, 6}, {0, 0, 6, 4},
         [](int x) { return 2 - x / 2; }, [](int y) { return y / 2; }},
        {"both reversals cancel", {-6, 4}, 6, 0, true, {0, 0, 8, 6}, {0, 0, 6, 4},
         [](int x) { return x / 2; }, [](int y) { return y / 2; }},
        {"clipped on the left and top", {6, 4}, 0, 0, false, {3, 1, 8, 6}, {3, 1, 6, 4},
         [](int x) { return x / 2; }, [](int y) { return y / 2; }},
        {"mirrored and clipped", {-6, 4}, 6, 0, false, {3, 0, 5, 6}, {3, 0, 5, 4},
         [](int x) { return 2 - x / 2; }, [](int y) { return y / 2; }},
    };
    for (bool bottomUp : {false, true}) {
        for (const Case& c : cases) {
            TestSurface dest(8, 6, 4, bottomUp);
            dest.SetClipRect(&c.clip);
            const RECT reversed = {3, 0, 0, 2};
            g_lastUpdatedRect = kUntouched;
            ASSERT_EQ(0, Stretch(dest, src, c.size, c.x, c.y, c.reversedRect ? &reversed : nullptr,
                                 0, 0))
                << c.name;
            ExpectLastUpdated(c.drawn.left, c.drawn.top, c.drawn.right, c.drawn.bottom, c.name);
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 8; ++x)
                    ASSERT_EQ(Inside(x, y, c.drawn) ? src.At(c.sourceX(x), c.sourceY(y)) : 0u,
                              dest.At(x, y))
                        << c.name << " at " << x << "," << y;
        }
    }
    // Halving takes every other pixel.
    TestSurface wide(6, 4), small(3, 2);
    wide.Randomise(5);
    ASSERT_EQ(0, Stretch(small, wide, nullptr, 0, 0, nullptr, 0, 0));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(wide.At(2 * x, 2 * y), small.At(x, y));
}

TEST_F(StretchBlendRectTest, BilinearEnlargementOfARamp) {
    // Twice the size: the samples lie at -0.25, 0.25, 0.75, ... source pixels; outside the
    // first and last pixel centres the edge value holds.
    const int ramp[4] = {0, 64, 128, 192};
    const int expected[8] = {0, 16, 48, 80, 112, 144, 176, 192};
    for (bool vertical : {false, true}) {
        for (bool mirrored : {false, true}) {
            TestSurface src(vertical ? 1 : 4, vertical ? 4 : 1);
            for (int i = 0; i < 4; ++i)
                (vertical ? src.At(0, i) : src.At(i, 0)) = 0xFF000000 | ramp[i];
            TestSurface dest(vertical ? 1 : 8, vertical ? 8 : 1);
            const std::int32_t size[2] = {vertical ? 1 : (mirrored ? -8 : 8),
                                          vertical ? (mirrored ? -8 : 8) : 1};
            ASSERT_EQ(0, Stretch(dest, src, size, !vertical && mirrored ? 8 : 0,
                                 vertical && mirrored ? 8 : 0, nullptr, 0, 1));
            for (int i = 0; i < 8; ++i)
                EXPECT_EQ(0xFF000000u | expected[mirrored ? 7 - i : i],
                          vertical ? dest.At(0, i) : dest.At(i, 0))
                    << (vertical ? "vertical" : "horizontal") << (mirrored ? " mirrored" : "")
                    << " at " << i;
        }
    }
}

TEST_F(StretchBlendRectTest, RefusalsAndResultCodes) {
    TestSurface src(4, 2);
    src.Randomise(2);
    const std::int32_t zeroWidth[2] = {0, 5}, size[2] = {7, 3};
    const RECT beyond = {0, 0, 5, 2}, negative = {-1, 0, 3, 2}, flat = {1, 1, 3, 1};
    const struct {
        const char* name;
        const std::int32_t* size;
        const RECT* rect;
        std::int32_t mode, type, opacity;
        std::int32_t answer;
        bool updated;
    } cases[] = {
        {"zero destination width", zeroWidth, nullptr, 0, 0, 255, -1, false},
        {"zero source height", size, &flat, 0, 0, 255, -1, false},
        {"source beyond its bitmap, nearest", size, &beyond, 0, 0, 255, 2, false},
        {"source beyond its bitmap, filtered", size, &beyond, 0, 2, 255, 2, false},
        {"source left of its bitmap, filtered", size, &negative, 0, 3, 255, 2, false},
        {"a mode the stretch cannot draw", size, nullptr, 4, 0, 255, kRectRefused, false},
        {"a layer mode", size, nullptr, 16, 1, 128, kRectRefused, false},
        {"mode 32", size, nullptr, 32, 0, 255, kRectRefused, false},
        {"BlendNone", size, nullptr, 13, 0, 255, 0, true},
        {"opacity 0", size, nullptr, 0, 0, 0x100, 0, false},
    };
    for (const auto& c : cases) {
        TestSurface dest(8, 4);
        dest.Randomise(3);
        const std::vector<Pixel> before = dest.Pixels();
        g_lastUpdatedRect = kUntouched;
        EXPECT_EQ(c.answer, Stretch(dest, src, c.size, 0, 0, c.rect, c.mode, c.type, c.opacity))
            << c.name;
        EXPECT_EQ(before, dest.Pixels()) << c.name;
        EXPECT_EQ(!c.updated, Untouched()) << c.name;
    }
}

TEST_F(StretchBlendRectTest, SourcesBeyondTheFixedPointRange) {
    TestSurface src(32768, 1);
    for (int x = 0; x < 32768; ++x) src.At(x, 0) = static_cast<Pixel>(x) | 0xFF000000;
    TestSurface dest(134, 1);
    // Source columns up to 32766 stretch exactly.
    const RECT high = {32700, 0, 32767, 1};
    ASSERT_EQ(0, Stretch(dest, src, nullptr, 0, 0, &high, 0, 0));
    for (int i = 0; i < 134; ++i) ASSERT_EQ(src.At(32700 + i / 2, 0), dest.At(i, 0)) << i;
    // The last column's far edge lies beyond 16.16: refused, nothing drawn.
    dest.Fill(0);
    g_lastUpdatedRect = kUntouched;
    EXPECT_EQ(kRectRefused, Stretch(dest, src, nullptr, 0, 0, nullptr, 0, 0));
    EXPECT_EQ(kRectRefused, Stretch(dest, src, nullptr, 0, 0, nullptr, 0, 1));
    for (Pixel p : dest.Pixels()) ASSERT_EQ(0u, p);
    EXPECT_TRUE(Untouched());
    // The filtered path has no fixed-point limit.
    src.Fill(0x80402010);
    ASSERT_EQ(0, Stretch(dest, src, nullptr, 0, 0, nullptr, 0, 2));
    for (Pixel p : dest.Pixels()) ASSERT_EQ(0x80402010u, p);
}

namespace {

// Per drawn mode: nearest at 255 (flag clear, set), nearest below 255 (clear, set), then the
// same four with a bilinear type.
struct StretchRow {
    int mode;
    int words[8];
};
const StretchRow kStretchKernels[] = {
    {0,
     {kWordStretchCopyLine, kWordStretchColorCopyLine, kWordStretchConstAlphaBlendLine,
      kWordStretchConstAlphaBlendLineHoldAlpha, kWordBilinearStretchCopyLine,
      kWordStretchColorCopyLine, kWordBilinearStretchConstAlphaBlendLine,
      kWordStretchConstAlphaBlendLineHoldAlpha}},
    {1,
     {kWordStretchCopyOpaqueLine, kWordStretchCopyOpaqueLine,
      kWordStretchConstAlphaBlendLineOntoAlpha, kWordStretchConstAlphaBlendLineOntoAlpha,
      kWordStretchCopyOpaqueLine, kWordStretchCopyOpaqueLine,
      kWordStretchConstAlphaBlendLineOntoAlpha, kWordStretchConstAlphaBlendLineOntoAlpha}},
    {2,
     {kWordStretchAlphaBlendLine, kWordStretchAlphaBlendLineHoldAlpha,
      kWordStretchAlphaBlendLineOpacity, kWordStretchAlphaBlendLineHoldAlphaOpacity,
      kWordStretchAlphaBlendLine, kWordStretchAlphaBlendLineHoldAlpha,
      kWordStretchAlphaBlendLineOpacity, kWordStretchAlphaBlendLineHoldAlphaOpacity}},
    {3,
     {kWordStretchAlphaBlendLineOntoAlpha, kWordStretchAlphaBlendLineOntoAlpha,
      kWordStretchAlphaBlendLineOntoAlphaOpacity, kWordStretchAlphaBlendLineOntoAlphaOpacity,
      kWordStretchAlphaBlendLineOntoAlpha, kWordStretchAlphaBlendLineOntoAlpha,
      kWordStretchAlphaBlendLineOntoAlphaOpacity, kWordStretchAlphaBlendLineOntoAlphaOpacity}},
    {11,
     {kWordStretchAdditiveAlphaBlendLine, kWordStretchAdditiveAlphaBlendLineHoldAlpha,
      kWordStretchAdditiveAlphaBlendLineOpacity, kWordStretchAdditiveAlphaBlendLineHoldAlphaOpacity,
      kWordBilinearStretchAdditiveAlphaBlendLine, kWordStretchAdditiveAlphaBlendLineHoldAlpha,
      kWordBilinearStretchAdditiveAlphaBlendLineOpacity,
      kWordStretchAdditiveAlphaBlendLineHoldAlphaOpacity}},
    {12,
     {kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlpha,
      kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlpha,
      kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity,
      kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity,
      kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlpha,
      kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlpha,
      kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity,
      kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity}},
    {14,
     {kWordStretchAlphaBlendLineOntoAdditiveAlpha, kWordStretchAlphaBlendLineOntoAdditiveAlpha,
      kWordStretchAlphaBlendLineOntoAdditiveAlphaOpacity,
      kWordStretchAlphaBlendLineOntoAdditiveAlphaOpacity,
      kWordStretchAlphaBlendLineOntoAdditiveAlpha, kWordStretchAlphaBlendLineOntoAdditiveAlpha,
      kWordStretchAlphaBlendLineOntoAdditiveAlphaOpacity,
      kWordStretchAlphaBlendLineOntoAdditiveAlphaOpacity}},
    {15,
     {kWordStretchCopyOpaqueLine, kWordStretchCopyOpaqueLine,
      kWordStretchConstAlphaBlendLineOntoAdditiveAlpha,
      kWordStretchConstAlphaBlendLineOntoAdditiveAlpha, kWordStretchCopyOpaqueLine,
      kWordStretchCopyOpaqueLine, kWordStretchConstAlphaBlendLineOntoAdditiveAlpha,
      kWordStretchConstAlphaBlendLineOntoAdditiveAlpha}},
};

}  // namespace

TEST_F(StretchBlendRectTest, ChoiceTableCellByCell) {
    InstallMarkerKernels(false);
    for (const StretchRow& row : kStretchKernels) {
        for (int cell = 0; cell < 8; ++cell) {
            const std::int32_t type = cell >= 4 ? 1 : 0;
            const std::int32_t opacity = (cell & 2) ? 200 : 255;
            const std::int32_t hold = cell & 1;
            TestSurface src(6, 4), dest(12, 8);
            src.Fill(0x10203040);
            ASSERT_EQ(0, Stretch(dest, src, nullptr, 0, 0, nullptr, row.mode, type, opacity, hold));
            int marked = 0;
            for (Pixel p : dest.Pixels()) {
                const int word = MarkerWord(p);
                if (word == 0) continue;
                ++marked;
                ASSERT_EQ(row.words[cell], word) << "mode " << row.mode << " cell " << cell;
            }
            EXPECT_GT(marked, 0) << "mode " << row.mode << " cell " << cell;
        }
    }
}
