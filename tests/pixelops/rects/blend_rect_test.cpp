// BlendRect: every cell of the mode x opacity x hold-flag choice against its row kernel,
// clipping, early exits and refused modes.
#include <string>

#include "tests/pixelops/rects/rect_test_support.h"

using namespace pixelops;
using namespace pixelopstest;

namespace {

class BlendRectTest : public RectTest {};

constexpr int kExpectWholeCopy = -3;   // CopyRect type 3
constexpr int kExpectColourCopy = -1;  // CopyRect type 1
constexpr int kExpectNothing = 0;

// Per mode 0-15: the kernel word at opacity 255 without / with the hold flag, then at other
// opacities without / with it.
const int kExpectedKernels[16][4] = {
    {kExpectWholeCopy, kExpectColourCopy, kWordConstAlphaBlendLine, kWordConstAlphaBlendLineHoldAlpha},
    {kWordCopyOpaqueLine, kWordCopyOpaqueLine, kWordConstAlphaBlendLineOntoAlpha,
     kWordConstAlphaBlendLineOntoAlpha},
    {kWordAlphaBlendLine, kWordAlphaBlendLineHoldAlpha, kWordAlphaBlendLineOpacity,
     kWordAlphaBlendLineHoldAlphaOpacity},
    {kWordAlphaBlendLineOntoAlpha, kWordAlphaBlendLineOntoAlpha,
     kWordAlphaBlendLineOntoAlphaOpacity, kWordAlphaBlendLineOntoAlphaOpacity},
    {kWordAddBlendLine, kWordAddBlendLineHoldAlpha, kWordAddBlendLineOpacity,
     kWordAddBlendLineHoldAlphaOpacity},
    {kWordSubBlendLine, kWordSubBlendLineHoldAlpha, kWordSubBlendLineOpacity,
     kWordSubBlendLineHoldAlphaOpacity},
    {kWordMulBlendLine, kWordMulBlendLineHoldAlpha, kWordMulBlendLineOpacity,
     kWordMulBlendLineHoldAlphaOpacity},
    {kWordColorDodgeBlendLine, kWordColorDodgeBlendLineHoldAlpha, kWordColorDodgeBlendLineOpacity,
     kWordColorDodgeBlendLineHoldAlphaOpacity},
    {kWordDarkenBlendLine, kWordDarkenBlendLineHoldAlpha, kWordDarkenBlendLineOpacity,
     kWordDarkenBlendLineHoldAlphaOpacity},
    {kWordLightenBlendLine, kWordLightenBlendLineHoldAlpha, kWordLightenBlendLineOpacity,
     kWordLightenBlendLineHoldAlphaOpacity},
    {kWordScreenBlendLine, kWordScreenBlendLineHoldAlpha, kWordScreenBlendLineOpacity,
     kWordScreenBlendLineHoldAlphaOpacity},
    {kWordAdditiveAlphaBlendLine, kWordAdditiveAlphaBlendLineHoldAlpha,
     kWordAdditiveAlphaBlendLineOpacity, kWordAdditiveAlphaBlendLineHoldAlphaOpacity},
    {kWordAdditiveAlphaBlendLineOntoAdditiveAlpha, kWordAdditiveAlphaBlendLineOntoAdditiveAlpha,
     kWordAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity,
     kWordAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity},
    {kExpectNothing, kExpectNothing, kExpectNothing, kExpectNothing},
    {kWordAlphaBlendLineOntoAdditiveAlpha, kWordAlphaBlendLineOntoAdditiveAlpha,
     kWordAlphaBlendLineOntoAdditiveAlphaOpacity, kWordAlphaBlendLineOntoAdditiveAlphaOpacity},
    {kWordCopyOpaqueLine, kWordCopyOpaqueLine, kWordConstAlphaBlendLineOntoAdditiveAlpha,
     kWordConstAlphaBlendLineOntoAdditiveAlpha},
};

int ExpectedKernel(int mode, bool full, bool hold) {
    if (mode < 16) return kExpectedKernels[mode][(full ? 0 : 2) + (hold ? 1 : 0)];
    // Layer mode k: plain, opacity, hold alpha, hold alpha with opacity from word 171 + 4k.
    return 171 + 4 * (mode - 16) + (full ? 0 : 1) + (hold ? 2 : 0);
}

// The destination as running `word` over each row of the clipped area would leave it.
void RunRowByRow(TestSurface& dest, TestSurface& src, int word, std::uint32_t opacity,
                 const RECT& from, std::int32_t x, std::int32_t y) {
    const std::int32_t w = from.right - from.left;
    for (std::int32_t row = 0; row < from.bottom - from.top; ++row) {
        Pixel* d = &dest.At(x, y + row);
        const Pixel* s = &src.At(from.left, from.top + row);
        if (word == kExpectWholeCopy || word == kExpectColourCopy) {
            for (std::int32_t i = 0; i < w; ++i)
                d[i] = word == kExpectWholeCopy ? s[i] : (s[i] & 0x00FFFFFF) | (d[i] & 0xFF000000);
        } else if (word != kExpectNothing) {
            if (opacity == 255)
                Portable<RowKernel>(word)(d, s, w);
            else
                Portable<RowKernelOpacity>(word)(d, s, w, opacity);
        }
    }
}

}  // namespace

TEST_F(BlendRectTest, EveryModeOpacityAndFlagRunsItsRowKernel) {
    for (int mode = 0; mode < 32; ++mode) {
        for (std::uint32_t opacity : {255u, 200u}) {
            for (bool hold : {false, true}) {
                for (bool bottomUp : {false, true}) {
                    TestSurface src(9, 6, 4, bottomUp), dest(7, 5, 4, !bottomUp);
                    src.Randomise(mode * 7 + opacity + hold);
                    dest.Randomise(mode * 13 + opacity + hold + 1);
                    TestSurface expected(7, 5);
                    expected.SetPixels(dest.Pixels());
                    // Sticks out of the destination on the left and at the bottom.
                    RECT rect = {1, 0, 8, 5};
                    const std::string name = "mode " + std::to_string(mode) + " opacity " +
                                             std::to_string(opacity) + (hold ? " hold" : "") +
                                             (bottomUp ? " bottom-up" : "");
                    ASSERT_EQ(0, BlendRect(&dest, &src, -2, 1, &rect, mode, opacity, hold)) << name;
                    const RECT clipped = {3, 0, 8, 4};
                    EXPECT_EQ(0, std::memcmp(&rect, &clipped, sizeof(RECT))) << name;
                    RunRowByRow(expected, src, ExpectedKernel(mode, opacity == 255, hold), opacity,
                                clipped, 0, 1);
                    ASSERT_EQ(expected.Pixels(), dest.Pixels()) << name;
                    ExpectLastUpdated(0, 1, 5, 5, name.c_str());
                    EXPECT_TRUE(dest.PaddingIntact()) << name;
                }
            }
        }
    }
}

TEST_F(BlendRectTest, KernelsComeFromTheSlots) {
    const Pixel kMarker = 0x5A5A5A5A;
    auto marker = +[](Pixel* d, const Pixel*, std::int32_t n, std::uint32_t) QMXGL_CALL {
        for (std::int32_t i = 0; i < n; ++i) d[i] = 0x5A5A5A5A;
    };
    for (int mode : {2, 19, 31}) {
        const int word = ExpectedKernel(mode, false, false);
        KernelSlot(word) = reinterpret_cast<PixelOperation>(marker);
        TestSurface src(2, 2), dest(2, 2);
        ASSERT_EQ(0, BlendRect(&dest, &src, 0, 0, nullptr, mode, 100, 0));
        for (Pixel p : dest.Pixels()) EXPECT_EQ(kMarker, p) << mode;
        InitPortableKernels();
    }
}

TEST_F(BlendRectTest, EarlyExitsClippingAndRefusedModes) {
    const struct {
        const char* name;
        std::int32_t mode;
        std::uint32_t opacity;
        RECT rect;
        std::int32_t x;
        std::int32_t answer;
        bool updated;
    } cases[] = {
        {"opacity 0", 2, 0x300, {0, 0, 3, 3}, 0, 0, false},
        {"BlendNone inside", 13, 128, {0, 0, 3, 3}, 0, 0, true},
        {"BlendNone wholly left of the source", 13, 128, {-5, 0, -1, 3}, 0, -1, false},
        {"blend beyond the destination", 2, 128, {0, 0, 3, 3}, 4, -1, false},
        {"copy beyond the destination", 0, 255, {0, 0, 3, 3}, 4, -2, false},
        {"mode 32", 32, 128, {0, 0, 3, 3}, 0, kRectRefused, false},
        {"mode 32 at 255", 32, 255, {0, 0, 3, 3}, 0, kRectRefused, false},
        {"negative mode", -1, 128, {0, 0, 3, 3}, 0, kRectRefused, false},
        {"huge mode", 0x7FFFFFFF, 128, {0, 0, 3, 3}, 0, kRectRefused, false},
    };
    for (const auto& c : cases) {
        TestSurface src(3, 3), dest(4, 3);
        src.Randomise(3);
        dest.Randomise(4);
        const std::vector<Pixel> before = dest.Pixels();
        RECT rect = c.rect;
        g_lastUpdatedRect = kUntouched;
        EXPECT_EQ(c.answer, BlendRect(&dest, &src, c.x, 0, &rect, c.mode, c.opacity, 0)) << c.name;
        EXPECT_EQ(before, dest.Pixels()) << c.name;
        EXPECT_EQ(!c.updated, Untouched()) << c.name;
    }
}

TEST_F(BlendRectTest, NullSourceRectangleLeavesTheCallerAloneAndBlendsAllOfTheSource) {
    TestSurface src(3, 2), dest(5, 4);
    src.Fill(0x80FFFFFF);
    dest.Fill(0xFF000000);
    ASSERT_EQ(0, BlendRect(&dest, &src, 1, 1, nullptr, 2, 255, 1));
    for (std::int32_t y = 0; y < 4; ++y)
        for (std::int32_t x = 0; x < 5; ++x)
            EXPECT_EQ(Inside(x, y, RECT{1, 1, 4, 3}) ? 0xFF7F7F7Fu : 0xFF000000u, dest.At(x, y));
    ExpectLastUpdated(1, 1, 4, 3, "null source rectangle");
}

TEST_F(BlendRectTest, ChoiceTableCellByCell) {
    // Kernels of identical results (the opacity forms of add and subtract keep alpha either way)
    // are told apart by markers.
    InstallMarkerKernels(true);
    for (int mode = 0; mode < 32; ++mode) {
        for (std::uint32_t opacity : {255u, 200u}) {
            for (bool hold : {false, true}) {
                TestSurface src(3, 2), dest(3, 2);
                src.Fill(0x01020304);
                ASSERT_EQ(0, BlendRect(&dest, &src, 0, 0, nullptr, mode, opacity, hold));
                const int expected = ExpectedKernel(mode, opacity == 255, hold);
                for (Pixel p : dest.Pixels()) {
                    if (expected == kExpectWholeCopy)
                        EXPECT_EQ(0x01020304u, p) << mode;
                    else if (expected == kExpectColourCopy)
                        EXPECT_EQ(kWordCopyColorLine, MarkerWord(p)) << mode;
                    else if (expected == kExpectNothing)
                        EXPECT_EQ(0u, p) << mode;
                    else
                        EXPECT_EQ(expected, MarkerWord(p))
                            << "mode " << mode << " opacity " << opacity << " hold " << hold;
                }
            }
        }
    }
}
