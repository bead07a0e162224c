// AffineBlendRect and its matrix form: exact identity, rotation and mirror mappings, filling
// outside the picture, bilinear neighbours, the result codes and the refused mappings.
#include <cmath>
#include <limits>
#include <string>

#include "tests/pixelops/rects/rect_test_support.h"

using namespace pixelops;
using namespace pixelopstest;

namespace {

class AffineBlendRectTest : public RectTest {
protected:
    static std::int32_t Affine(TestSurface& dest, TestSurface* src, const AffineBlendPoints& p,
                               const RECT* from = nullptr, std::int32_t mode = 0,
                               std::int32_t type = 0, std::uint32_t hold = 0,
                               std::uint32_t fill = 0, std::uint32_t fillColour = 0,
                               const RECT* clip = nullptr) {
        return AffineBlendRect(&dest, src, &p, from, mode, type, 255, hold, fill, fillColour, clip);
    }
    // The outer corners of a w x h picture placed unscaled at (x, y).
    static AffineBlendPoints Placed(double x, double y, int w, int h) {
        return AffineBlendPoints{x - 0.5, y - 0.5, x + w - 0.5, y - 0.5, x - 0.5, y + h - 0.5};
    }
};

struct StepRecord {
    int calls;
    std::int32_t du, dv;
};
StepRecord g_affine, g_stretch;

void QMXGL_CALL RecordAffine(Pixel*, std::int32_t, const void*, std::int32_t, std::int32_t,
                             std::int32_t du, std::int32_t dv, std::int32_t) {
    g_affine = StepRecord{g_affine.calls + 1, du, dv};
}
void QMXGL_CALL RecordStretch(Pixel*, std::int32_t, const Pixel*, std::int32_t, std::int32_t du) {
    g_stretch = StepRecord{g_stretch.calls + 1, du, 0};
}

}  // namespace

TEST_F(AffineBlendRectTest, UnscaledRotatedAndMirroredMappingsAreExact) {
    const int w = 5, h = 3;
    struct Case {
        const char* name;
        AffineBlendPoints points;
        int destW, destH;
        // The source pixel that lands on destination pixel (x, y).
        int (*sourceX)(int x, int y);
        int (*sourceY)(int x, int y);
    };
    const Case cases[] = {
        {"unscaled", Placed(0, 0, w, h), w, h, [](int x, int) { return x; },
         [](int, int y) { return y; }},
        {"quarter turn clockwise", {h - 0.5, -0.5, h - 0.5, w - 0.5, -0.5, -0.5}, h, w,
         [](int, int y) { return y; }, [](int x, int) { return h - 1 - x; }},
        {"quarter turn anticlockwise", {-0.5, w - 0.5, -0.5, -0.5, h - 0.5, w - 0.5}, h, w,
         [](int, int y) { return w - 1 - y; }, [](int x, int) { return x; }},
        {"mirrored", {w - 0.5, -0.5, -0.5, -0.5, w - 0.5, h - 0.5}, w, h,
         [](int x, int) { return w - 1 - x; }, [](int, int y) { return y; }},
        {"upside down", {-0.5, h - 0.5, w - 0.5, h - 0.5, -0.5, -0.5}, w, h,
         [](int x, int) { return x; }, [](int, int y) { return h - 1 - y; }},
    };
    for (int type : {0, 1}) {
        for (bool bottomUp : {false, true}) {
            for (const Case& c : cases) {
                TestSurface src(w, h, 4, bottomUp);
                src.Randomise(type * 10 + bottomUp);
                TestSurface dest(c.destW + 2, c.destH + 2, 4, !bottomUp);
                dest.Fill(0x99999999);
                // Moved one pixel right and down.
                AffineBlendPoints p = c.points;
                p.x0 += 1, p.x1 += 1, p.x2 += 1, p.y0 += 1, p.y1 += 1, p.y2 += 1;
                const std::string name = std::string(c.name) + (type ? " bilinear" : " nearest") +
                                         (bottomUp ? " bu" : "");
                g_lastUpdatedRect = kUntouched;
                ASSERT_EQ(0, Affine(dest, &src, p, nullptr, 0, type)) << name;
                ExpectLastUpdated(1, 1, 1 + c.destW, 1 + c.destH, name.c_str());
                const RECT drawn = {1, 1, 1 + c.destW, 1 + c.destH};
                for (int y = 0; y < dest.Height(); ++y)
                    for (int x = 0; x < dest.Width(); ++x)
                        ASSERT_EQ(Inside(x, y, drawn)
                                      ? src.At(c.sourceX(x - 1, y - 1), c.sourceY(x - 1, y - 1))
                                      : 0x99999999u,
                                  dest.At(x, y))
                            << name << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(AffineBlendRectTest, RowsThatKeepTheSourceRowUseTheStretchedKernels) {
    KernelSlot(kWordAffineCopyLine) = reinterpret_cast<PixelOperation>(RecordAffine);
    KernelSlot(kWordStretchCopyLine) = reinterpret_cast<PixelOperation>(RecordStretch);
    TestSurface src(4, 3), dest(8, 8);
    g_affine = g_stretch = StepRecord{};
    ASSERT_EQ(0, Affine(dest, &src, Placed(0, 0, 4, 3)));
    EXPECT_EQ(0, g_affine.calls);
    EXPECT_EQ(3, g_stretch.calls);
    EXPECT_EQ(65536, g_stretch.du);
    g_affine = g_stretch = StepRecord{};
    ASSERT_EQ(0, Affine(dest, &src, {2.5, -0.5, 2.5, 3.5, -0.5, -0.5}));
    EXPECT_EQ(0, g_stretch.calls);
    EXPECT_EQ(4, g_affine.calls);
    EXPECT_EQ(0, g_affine.du);
    EXPECT_EQ(-65536, g_affine.dv);
}

TEST_F(AffineBlendRectTest, FillOutsideCoversTheClipArea) {
    const Pixel kFill = 0x00ABCDEF;
    for (std::uint32_t hold : {0u, 1u}) {
        TestSurface src(3, 2), dest(8, 6);
        src.Fill(0x11223344);
        dest.Fill(0x55000000);
        const RECT clip = {1, 1, 7, 5};
        const RECT image = {2, 2, 5, 4};
        ASSERT_EQ(0, Affine(dest, &src, Placed(2, 2, 3, 2), nullptr, 0, 0, hold, 1, kFill, &clip));
        ExpectLastUpdated(1, 1, 7, 5, "fill outside");
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x) {
                Pixel expected = 0x55000000;
                if (Inside(x, y, image))
                    expected = hold ? 0x55223344 : 0x11223344;
                else if (Inside(x, y, clip))
                    expected = hold ? 0x55ABCDEF : kFill;
                ASSERT_EQ(expected, dest.At(x, y)) << hold << " at " << x << "," << y;
            }
    }
}

TEST_F(AffineBlendRectTest, BilinearNeighboursFromTheRectangleOrTheWholeBitmap) {
    TestSurface src(4, 1);
    const int ramp[4] = {0, 64, 128, 192};
    for (int i = 0; i < 4; ++i) src.At(i, 0) = 0xFF000000 | ramp[i];
    const RECT middle = {1, 0, 3, 1};
    // Twice as wide: the first sample lies a quarter pixel left of column 1's centre.
    const AffineBlendPoints twice = {-0.5, -0.5, 3.5, -0.5, -0.5, 0.5};
    const struct {
        std::int32_t type;
        int first;
    } cases[] = {{1, 64}, {0x11, 48}};
    for (const auto& c : cases) {
        TestSurface dest(4, 1);
        ASSERT_EQ(0, Affine(dest, &src, twice, &middle, 0, c.type)) << c.type;
        EXPECT_EQ(0xFF000000u | c.first, dest.At(0, 0)) << c.type;
    }
}

TEST_F(AffineBlendRectTest, ResultCodesAndRefusedMappings) {
    const double kNaN = std::numeric_limits<double>::quiet_NaN();
    const double kInf = std::numeric_limits<double>::infinity();
    const RECT beyond = {0, 0, 5, 3}, empty = {2, 1, 2, 3}, negative = {-1, 0, 2, 2};
    const RECT emptyClip = {5, 5, 5, 9};
    struct Case {
        const char* name;
        AffineBlendPoints points;
        const RECT* from;
        const RECT* clip;
        std::int32_t mode;
        std::uint32_t fill;
        std::int32_t answer;
        bool drawn;
    };
    const AffineBlendPoints unit = {-0.5, -0.5, 3.5, -0.5, -0.5, 2.5};
    const Case cases[] = {
        {"source one beyond its width", unit, &beyond, nullptr, 0, 0, 3, false},
        {"empty source", unit, &empty, nullptr, 0, 0, 3, false},
        {"source left of its bitmap", unit, &negative, nullptr, 0, 0, 3, false},
        {"empty clip", unit, nullptr, &emptyClip, 0, 0, -1, false},
        {"far right of the clip", {100, 0, 104, 0, 100, 3}, nullptr, nullptr, 0, 0, 4, false},
        {"between pixel centres", {0.1, 0.1, 0.4, 0.1, 0.1, 0.4}, nullptr, nullptr, 0, 0, -2,
         false},
        {"between pixel centres, filled", {0.1, 0.1, 0.4, 0.1, 0.1, 0.4}, nullptr, nullptr, 0, 1,
         0, true},
        {"coincident corners", {1, 1, 1, 1, 1, 1}, nullptr, nullptr, 0, 0, kRectRefused, false},
        {"no width", {1, 1, 1, 1, 1, 4}, nullptr, nullptr, 0, 0, kRectRefused, false},
        {"no height", {1, 1, 5, 1, 1, 1}, nullptr, nullptr, 0, 0, kRectRefused, false},
        {"collinear", {0, 0, 2, 1, 4, 2}, nullptr, nullptr, 0, 0, kRectRefused, false},
        {"collinear and level", {0, 1, 2, 1, 4, 1}, nullptr, nullptr, 0, 0, kRectRefused, false},
        {"beyond 16.16", {40000, 0, 40004, 0, 40000, 3}, nullptr, nullptr, 0, 0, kRectRefused,
         false},
        {"fourth corner beyond 16.16", {0, 0, 30000, 0, 30000, 30000}, nullptr, nullptr, 0,
         0, kRectRefused, false},
        {"not a number", {kNaN, 0, 4, 0, 0, 3}, nullptr, nullptr, 0, 0, kRectRefused, false},
        {"infinite", {0, 0, kInf, 0, 0, 3}, nullptr, nullptr, 0, 0, kRectRefused, false},
        {"a mode it cannot draw", unit, nullptr, nullptr, 5, 0, kRectRefused, false},
        {"a layer mode", unit, nullptr, nullptr, 20, 1, kRectRefused, false},
        {"mode 32", unit, nullptr, nullptr, 32, 0, kRectRefused, false},
    };
    for (const Case& c : cases) {
        TestSurface src(4, 3), dest(6, 5);
        src.Randomise(1);
        dest.Randomise(2);
        const std::vector<Pixel> before = dest.Pixels();
        g_lastUpdatedRect = kUntouched;
        EXPECT_EQ(c.answer,
                  Affine(dest, &src, c.points, c.from, c.mode, 0, 0, c.fill, 0xFF000000, c.clip))
            << c.name;
        EXPECT_EQ(c.drawn, before != dest.Pixels()) << c.name;
        EXPECT_EQ(c.answer != 0, Untouched()) << c.name;
    }
}

TEST_F(AffineBlendRectTest, BlendNoneRecordsTheAreaWithoutDrawing) {
    TestSurface src(4, 3), dest(8, 6);
    dest.Randomise(4);
    const std::vector<Pixel> before = dest.Pixels();
    ASSERT_EQ(0, Affine(dest, &src, Placed(2, 1, 4, 3), nullptr, 13));
    EXPECT_EQ(before, dest.Pixels());
    ExpectLastUpdated(2, 1, 6, 4, "BlendNone");
}

TEST_F(AffineBlendRectTest, MatrixFormMapsPixelCentres) {
    TestSurface src(4, 3);
    src.Randomise(8);
    const double shifted[6] = {1, 0, 0, 1, 2, 1};
    TestSurface dest(8, 6);
    ASSERT_EQ(0, AffineBlendRectMatrix(&dest, &src, shifted, nullptr, 0, 0, 255, 0, 0, 0, nullptr));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(Inside(x, y, RECT{2, 1, 6, 4}) ? src.At(x - 2, y - 1) : 0u, dest.At(x, y));
    // Turned a quarter clockwise about the top-left pixel's centre, then moved right.
    const double turned[6] = {0, 1, -1, 0, 2, 0};
    TestSurface rotated(3, 4);
    ASSERT_EQ(0, AffineBlendRectMatrix(&rotated, &src, turned, nullptr, 0, 0, 255, 0, 0, 0,
                                       nullptr));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) ASSERT_EQ(src.At(y, 2 - x), rotated.At(x, y));
    EXPECT_EQ(1, AffineBlendRectMatrix(&dest, nullptr, shifted, nullptr, 0, 0, 255, 0, 0, 0,
                                       nullptr));
}

namespace {

struct AffinePair {
    int affine, stretch;
};
// Per drawn mode: nearest at 255 (flag clear, set), nearest below 255 (clear, set), then the
// same four with bilinear sampling.
struct AffineRow {
    int mode;
    AffinePair pairs[8];
};
const AffineRow kAffineKernels[] = {
    {0,
     {{kWordAffineCopyLine, kWordStretchCopyLine},
      {kWordAffineColorCopyLine, kWordStretchColorCopyLine},
      {kWordAffineConstAlphaBlendLine, kWordStretchConstAlphaBlendLine},
      {kWordAffineConstAlphaBlendLineHoldAlpha, kWordStretchConstAlphaBlendLineHoldAlpha},
      {kWordBilinearAffineCopyLine, kWordBilinearStretchCopyLine},
      {kWordAffineColorCopyLine, kWordStretchColorCopyLine},
      {kWordBilinearAffineConstAlphaBlendLine, kWordBilinearStretchConstAlphaBlendLine},
      {kWordAffineConstAlphaBlendLineHoldAlpha, kWordStretchConstAlphaBlendLineHoldAlpha}}},
    {1,
     {{kWordAffineCopyOpaqueLine, kWordStretchCopyOpaqueLine},
      {kWordAffineCopyOpaqueLine, kWordStretchCopyOpaqueLine},
      {kWordAffineConstAlphaBlendLineOntoAlpha, kWordStretchConstAlphaBlendLineOntoAlpha},
      {kWordAffineConstAlphaBlendLineOntoAlpha, kWordStretchConstAlphaBlendLineOntoAlpha},
      {kWordAffineCopyOpaqueLine, kWordStretchCopyOpaqueLine},
      {kWordAffineCopyOpaqueLine, kWordStretchCopyOpaqueLine},
      {kWordAffineConstAlphaBlendLineOntoAlpha, kWordStretchConstAlphaBlendLineOntoAlpha},
      {kWordAffineConstAlphaBlendLineOntoAlpha, kWordStretchConstAlphaBlendLineOntoAlpha}}},
    {2,
     {{kWordAffineAlphaBlendLine, kWordStretchAlphaBlendLine},
      {kWordAffineAlphaBlendLineHoldAlpha, kWordStretchAlphaBlendLineHoldAlpha},
      {kWordAffineAlphaBlendLineOpacity, kWordStretchAlphaBlendLineOpacity},
      {kWordAffineAlphaBlendLineHoldAlphaOpacity, kWordStretchAlphaBlendLineHoldAlphaOpacity},
      {kWordAffineAlphaBlendLine, kWordStretchAlphaBlendLine},
      {kWordAffineAlphaBlendLineHoldAlpha, kWordStretchAlphaBlendLineHoldAlpha},
      {kWordAffineAlphaBlendLineOpacity, kWordStretchAlphaBlendLineOpacity},
      {kWordAffineAlphaBlendLineHoldAlphaOpacity, kWordStretchAlphaBlendLineHoldAlphaOpacity}}},
    {3,
     {{kWordAffineAlphaBlendLineOntoAlpha, kWordStretchAlphaBlendLineOntoAlpha},
      {kWordAffineAlphaBlendLineOntoAlpha, kWordStretchAlphaBlendLineOntoAlpha},
      {kWordAffineAlphaBlendLineOntoAlphaOpacity, kWordStretchAlphaBlendLineOntoAlphaOpacity},
      {kWordAffineAlphaBlendLineOntoAlphaOpacity, kWordStretchAlphaBlendLineOntoAlphaOpacity},
      {kWordAffineAlphaBlendLineOntoAlpha, kWordStretchAlphaBlendLineOntoAlpha},
      {kWordAffineAlphaBlendLineOntoAlpha, kWordStretchAlphaBlendLineOntoAlpha},
      {kWordAffineAlphaBlendLineOntoAlphaOpacity, kWordStretchAlphaBlendLineOntoAlphaOpacity},
      {kWordAffineAlphaBlendLineOntoAlphaOpacity, kWordStretchAlphaBlendLineOntoAlphaOpacity}}},
    {11,
     {{kWordAffineAdditiveAlphaBlendLine, kWordStretchAdditiveAlphaBlendLine},
      {kWordAffineAdditiveAlphaBlendLineHoldAlpha, kWordStretchAdditiveAlphaBlendLineHoldAlpha},
      {kWordAffineAdditiveAlphaBlendLineOpacity, kWordStretchAdditiveAlphaBlendLineOpacity},
      {kWordAffineAdditiveAlphaBlendLineHoldAlphaOpacity,
       kWordStretchAdditiveAlphaBlendLineHoldAlphaOpacity},
      {kWordBilinearAffineAdditiveAlphaBlendLine, kWordBilinearStretchAdditiveAlphaBlendLine},
      {kWordAffineAdditiveAlphaBlendLineHoldAlpha, kWordStretchAdditiveAlphaBlendLineHoldAlpha},
      {kWordBilinearAffineAdditiveAlphaBlendLineOpacity,
       kWordBilinearStretchAdditiveAlphaBlendLineOpacity},
      {kWordAffineAdditiveAlphaBlendLineHoldAlphaOpacity,
       kWordStretchAdditiveAlphaBlendLineHoldAlphaOpacity}}},
    {12,
     {{kWordAffineAdditiveAlphaBlendLineOntoAdditiveAlpha,
       kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlpha},
      {kWordAffineAdditiveAlphaBlendLineOntoAdditiveAlpha,
       kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlpha},
      {kWordAffineAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity,
       kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity},
      {kWordAffineAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity,
       kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity},
      {kWordAffineAdditiveAlphaBlendLineOntoAdditiveAlpha,
       kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlpha},
      {kWordAffineAdditiveAlphaBlendLineOntoAdditiveAlpha,
       kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlpha},
      {kWordAffineAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity,
       kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity},
      {kWordAffineAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity,
       kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity}}},
    {14,
     {{kWordAffineAlphaBlendLineOntoAdditiveAlpha, kWordStretchAlphaBlendLineOntoAdditiveAlpha},
      {kWordAffineAlphaBlendLineOntoAdditiveAlpha, kWordStretchAlphaBlendLineOntoAdditiveAlpha},
      {kWordAffineAlphaBlendLineOntoAdditiveAlphaOpacity,
       kWordStretchAlphaBlendLineOntoAdditiveAlphaOpacity},
      {kWordAffineAlphaBlendLineOntoAdditiveAlphaOpacity,
       kWordStretchAlphaBlendLineOntoAdditiveAlphaOpacity},
      {kWordAffineAlphaBlendLineOntoAdditiveAlpha, kWordStretchAlphaBlendLineOntoAdditiveAlpha},
      {kWordAffineAlphaBlendLineOntoAdditiveAlpha, kWordStretchAlphaBlendLineOntoAdditiveAlpha},
      {kWordAffineAlphaBlendLineOntoAdditiveAlphaOpacity,
       kWordStretchAlphaBlendLineOntoAdditiveAlphaOpacity},
      {kWordAffineAlphaBlendLineOntoAdditiveAlphaOpacity,
       kWordStretchAlphaBlendLineOntoAdditiveAlphaOpacity}}},
    {15,
     {{kWordAffineCopyOpaqueLine, kWordStretchCopyOpaqueLine},
      {kWordAffineCopyOpaqueLine, kWordStretchCopyOpaqueLine},
      {kWordAffineConstAlphaBlendLineOntoAdditiveAlpha,
       kWordStretchConstAlphaBlendLineOntoAdditiveAlpha},
      {kWordAffineConstAlphaBlendLineOntoAdditiveAlpha,
       kWordStretchConstAlphaBlendLineOntoAdditiveAlpha},
      {kWordAffineCopyOpaqueLine, kWordStretchCopyOpaqueLine},
      {kWordAffineCopyOpaqueLine, kWordStretchCopyOpaqueLine},
      {kWordAffineConstAlphaBlendLineOntoAdditiveAlpha,
       kWordStretchConstAlphaBlendLineOntoAdditiveAlpha},
      {kWordAffineConstAlphaBlendLineOntoAdditiveAlpha,
       kWordStretchConstAlphaBlendLineOntoAdditiveAlpha}}},
};

}  // namespace

TEST_F(AffineBlendRectTest, ChoiceTableCellByCell) {
    InstallMarkerKernels(false);
    // Twice the size: level rows take the stretched kernels; turned a quarter, the affine ones.
    const AffineBlendPoints level = {-0.5, -0.5, 11.5, -0.5, -0.5, 7.5};
    const AffineBlendPoints turned = {7.5, -0.5, 7.5, 11.5, -0.5, -0.5};
    for (const AffineRow& row : kAffineKernels) {
        for (int cell = 0; cell < 8; ++cell) {
            for (bool affine : {false, true}) {
                const std::int32_t type = cell >= 4 ? 1 : 0;
                const std::uint32_t opacity = (cell & 2) ? 200 : 255;
                const std::uint32_t hold = cell & 1;
                TestSurface src(6, 4), dest(12, 12);
                src.Fill(0x10203040);
                ASSERT_EQ(0, AffineBlendRect(&dest, &src, affine ? &turned : &level, nullptr,
                                             row.mode, type, opacity, hold, 0, 0, nullptr));
                const int expected = affine ? row.pairs[cell].affine : row.pairs[cell].stretch;
                int marked = 0;
                for (Pixel p : dest.Pixels()) {
                    const int word = MarkerWord(p);
                    if (word == 0) continue;
                    ++marked;
                    ASSERT_EQ(expected, word) << "mode " << row.mode << " cell " << cell
                                              << (affine ? " affine" : " stretched");
                }
                EXPECT_GT(marked, 0) << "mode " << row.mode << " cell " << cell;
            }
        }
    }
}
