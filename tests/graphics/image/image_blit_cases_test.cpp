// The copy blits' single behaviours: the stretch walk's columns, colour keys, palettes, depth
// pairs, mirror modes, blits of an image into itself and the smooth scaler's choice of path.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/image/image.h"
#include "tests/graphics/blit_reference.h"
#include "tests/graphics/image_pixels.h"
#include "tests/graphics/pixel_configs.h"

namespace {

using testsupport::PixelConfig;
using testsupport::PixelConfigScope;

using graphicstest::PixelsOf;

void MakeRow(Image& image, std::int32_t width) {
    image.Create(width, 1, 32, 0);
    for (std::int32_t x = 0; x < width; ++x) image.SetPixel(x, 0, blitref::Code32(x, 0));
}

// Which source columns a stretched row shows, clipped at the left or not; the own kernels in
// both forms.
TEST(ImageStretchBlit, ColumnsFollowTheWalkAlsoWhenClipped) {
    struct Case {
        std::int32_t srcW, w, clipLeft;
        std::vector<std::int32_t> columns;  // from the clip's left edge on
    };
    const Case cases[] = {
        {10, 4, 0, {0, 2, 4, 7}},
        {3, 6, 0, {0, 0, 0, 1, 1, 2}},
        {10, 4, 3, {7}},
        {10, 4, 2, {4, 7}},
        {4, 4, 1, {1, 2, 3}},
        {3, 6, 4, {1, 2}},
        {7, 3, 1, {2, 4}},
    };
    for (PixelConfig config : {PixelConfig::PlainKernels, PixelConfig::MmxKernels}) {
        PixelConfigScope scope(config);
        for (const Case& c : cases) {
            Image source, dest;
            MakeRow(source, c.srcW);
            dest.Create(c.w, 1, 32, 0);
            const RECT clip = {c.clipLeft, 0, c.w, 1};
            dest.SetClipRect(&clip);
            const SIZE size = {c.w, 1};
            ASSERT_EQ(0, dest.StretchBlit(&source, &size, 0, 0, nullptr, false));
            for (std::size_t i = 0; i < c.columns.size(); ++i) {
                EXPECT_EQ(blitref::Code32(c.columns[i], 0),
                          dest.GetPixel(c.clipLeft + static_cast<std::int32_t>(i), 0))
                    << c.srcW << " onto " << c.w << " clipped by " << c.clipLeft << ", column "
                    << i << " (" << testsupport::PixelConfigName(config) << ")";
            }
        }
    }
}

class BlitInEveryConfig : public ::testing::TestWithParam<PixelConfig> {
protected:
    void SetUp() override {
        m_scope = std::make_unique<PixelConfigScope>(GetParam());
        ASSERT_TRUE(m_scope->Ready());
    }
    void TearDown() override { m_scope.reset(); }

private:
    std::unique_ptr<PixelConfigScope> m_scope;
};

TEST_P(BlitInEveryConfig, AnRgbKeySkipsOnlyPixelsEqualInAllFourBytes) {
    Image source, dest;
    source.Create(4, 2, 32, 0);
    for (std::int32_t x = 0; x < 4; ++x) {
        source.SetPixel(x, 0, 0xFFFF00FFu);  // opaque magenta
        source.SetPixel(x, 1, 0x00FF00FFu);  // the key itself
    }
    source.SetColourKeyRgb(255, 0, 255);
    const SIZE twice = {8, 4};
    for (bool stretched : {false, true}) {
        dest.Create(8, 4, 32, 0);
        dest.FillValue(0x12345678u, nullptr);
        ASSERT_EQ(0, stretched ? dest.StretchBlit(&source, &twice, 0, 0, nullptr, false)
                               : dest.Blit(&source, 0, 0, nullptr, false));
        const std::int32_t rows = stretched ? 4 : 2;
        const std::int32_t cols = stretched ? 8 : 4;
        for (std::int32_t y = 0; y < rows; ++y) {
            for (std::int32_t x = 0; x < cols; ++x) {
                // Two rows stretched to four: the walk reads rows 0, 0, 0, 1.
                const bool opaqueRow = stretched ? y < 3 : y == 0;
                EXPECT_EQ(opaqueRow ? 0xFFFF00FFu : 0x12345678u, dest.GetPixel(x, y))
                    << x << ", " << y << (stretched ? " stretched" : "");
            }
        }
    }
}

TEST_P(BlitInEveryConfig, AnIndexKeyLeavesItsPixelsAndOthersTakeTheWholeEntry) {
    Image source;
    source.Create(6, 1, 8, 0);
    std::vector<std::uint32_t> palette(256);
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = blitref::PaletteEntry(i);
    source.SetPalette(palette.data(), 256, 0);
    const std::uint8_t indices[6] = {5, 1, 5, 7, 200, 5};
    for (std::int32_t x = 0; x < 6; ++x) source.SetPixel(x, 0, indices[x]);
    ASSERT_EQ(0, source.SetColourKeyFromPixel(0, 0));
    ASSERT_EQ(5, source.ColourKey());
    for (std::uint8_t depth : {32, 8}) {
        for (std::uint8_t mode : {1, 0}) {  // straight (unflipped single row) and mirrored
            Image dest;
            dest.Create(6, 1, depth, 0);
            const std::uint32_t background = depth == 8 ? 99 : 0x0BADF00Du;
            for (std::int32_t x = 0; x < 6; ++x) dest.SetPixel(x, 0, background);
            ASSERT_EQ(0, dest.BlitMirrored(&source, mode, 0, 0, nullptr));
            for (std::int32_t x = 0; x < 6; ++x) {
                const std::uint8_t index = indices[mode == 0 ? 5 - x : x];
                const std::uint32_t shown = depth == 8 ? index : palette[index];
                EXPECT_EQ(index == 5 ? background : shown, dest.GetPixel(x, 0))
                    << "depth " << int(depth) << ", mode " << int(mode) << ", x " << x;
            }
        }
    }
}

TEST_P(BlitInEveryConfig, EightBitSourcesWithoutPaletteGainTheGreyRamp) {
    Image source, dest;
    source.Create(3, 1, 8, 0);
    for (std::int32_t x = 0; x < 3; ++x) source.SetPixel(x, 0, static_cast<std::uint32_t>(x * 100));
    ASSERT_EQ(nullptr, source.Palette());
    dest.Create(3, 1, 32, 0);
    ASSERT_EQ(0, dest.Blit(&source, 0, 0, nullptr, false));
    ASSERT_NE(nullptr, source.Palette());
    for (std::int32_t x = 0; x < 3; ++x)
        EXPECT_EQ(static_cast<std::uint32_t>(x * 100) * 0x010101u, dest.GetPixel(x, 0));
}

TEST_P(BlitInEveryConfig, ThirtyTwoBitIntoEightBitIsRefusedAndTouchesNothing) {
    Image source, dest;
    source.Create(4, 4, 32, 0);
    dest.Create(4, 4, 8, kImageDirtyRegion);
    const SIZE size = {8, 8};
    EXPECT_EQ(2, dest.Blit(&source, 0, 0, nullptr, false));
    EXPECT_EQ(2, dest.StretchBlit(&source, &size, 0, 0, nullptr, false));
    EXPECT_EQ(2, dest.BlitMirrored(&source, 2, 0, 0, nullptr));
    EXPECT_EQ(0, dest.GetDirtyRegion()->Count());
    EXPECT_FALSE(dest.Modified());
}

TEST_P(BlitInEveryConfig, MissingPicturesAnswerOne) {
    Image source, dest, empty;
    source.Create(4, 4, 32, 0);
    dest.Create(4, 4, 32, 0);
    const SIZE size = {2, 2};
    EXPECT_EQ(1, dest.Blit(nullptr, 0, 0, nullptr, false));
    EXPECT_EQ(1, dest.Blit(&empty, 0, 0, nullptr, false));
    EXPECT_EQ(1, empty.Blit(&source, 0, 0, nullptr, false));
    EXPECT_EQ(1, dest.StretchBlit(nullptr, &size, 0, 0, nullptr, false));
    EXPECT_EQ(1, dest.StretchBlitSmooth(&empty, &size, 0, 0, nullptr));
    EXPECT_EQ(1, empty.StretchBlitMirrored(&source, 0, &size, 0, 0, nullptr));
}

TEST_P(BlitInEveryConfig, MirrorModesAboveTwoActAsTwoAndModeOneIsAFlip) {
    Image source;
    blitref::MakeCodedSource(source, 7, 5, 32, RECT{0, 0, 7, 5});
    const SIZE size = {10, 9};
    auto draw = [&](std::uint8_t mode, bool stretched) {
        Image dest;
        blitref::MakeBackground(dest, 12, 10, 32);
        if (stretched) {
            dest.StretchBlitMirrored(&source, mode, &size, 1, 1, nullptr);
        } else {
            dest.BlitMirrored(&source, mode, 1, 1, nullptr);
        }
        return PixelsOf(dest);
    };
    for (bool stretched : {false, true}) {
        EXPECT_EQ(draw(2, stretched), draw(3, stretched));
        EXPECT_EQ(draw(2, stretched), draw(255, stretched));
        EXPECT_NE(draw(2, stretched), draw(0, stretched));
        Image flipped;
        blitref::MakeBackground(flipped, 12, 10, 32);
        if (stretched) {
            flipped.StretchBlit(&source, &size, 1, 1, nullptr, true);
        } else {
            flipped.Blit(&source, 1, 1, nullptr, true);
        }
        EXPECT_EQ(PixelsOf(flipped), draw(1, stretched));
    }
}

// Drawing an image into itself over an overlapping area shows what drawing from a copy of it
// shows, for every walk of every depth.
TEST_P(BlitInEveryConfig, BlitsIntoTheSameImageReadThePictureAsItWas) {
    for (std::uint8_t depth : {32, 8}) {
        for (int form = 0; form < 6; ++form) {
            Image image, copy, expected;
            blitref::MakeCodedSource(image, 12, 10, depth, RECT{0, 0, 12, 10});
            ASSERT_EQ(0, copy.CopyFrom(&image, 0));
            ASSERT_EQ(0, expected.CopyFrom(&image, 0));
            const RECT part = {1, 1, 9, 8};
            const SIZE size = {10, 7};
            auto draw = [&](Image& into, Image& from) {
                switch (form) {
                    case 0: return into.Blit(&from, 2, 1, &part, false);
                    case 1: return into.Blit(&from, 0, 2, &part, true);
                    case 2: return into.BlitMirrored(&from, 0, 3, 0, &part);
                    case 3: return into.StretchBlit(&from, &size, 1, 2, &part, false);
                    case 4: return into.StretchBlitMirrored(&from, 2, &size, 0, 0, &part);
                    default: return into.StretchBlitSmooth(&from, &size, 2, 2, &part);
                }
            };
            ASSERT_EQ(0, draw(expected, copy));
            ASSERT_EQ(0, draw(image, image));
            EXPECT_EQ(PixelsOf(expected), PixelsOf(image)) << "depth " << int(depth)
                                                           << ", form " << form;
        }
    }
}

TEST_P(BlitInEveryConfig, SmoothScalingChoosesItsPathByTheSizes) {
    Image source;
    source.Create(8, 8, 32, 0);
    for (std::int32_t y = 0; y < 8; ++y)
        for (std::int32_t x = 0; x < 8; ++x)
            source.SetPixel(x, y, static_cast<std::uint32_t>(x * 30) | (static_cast<std::uint32_t>(y * 30) << 8));
    // A key must not matter to the smooth scaler in any of its paths.
    source.SetColourKeyFromPixel(0, 0);
    Image unkeyed;
    ASSERT_EQ(0, unkeyed.CopyFrom(&source, 0));
    unkeyed.ClearColourKey();

    struct Case {
        const char* what;
        SIZE size;
        bool bilinear;  // otherwise the picture equals the nearest stretch of the unkeyed source
    };
    const Case cases[] = {
        {"the same size", {8, 8}, false},       {"enlarged", {13, 11}, true},
        {"shrunk by less than half", {5, 5}, true}, {"shrunk to half", {4, 8}, false},
        {"shrunk below half in height", {8, 3}, false},
    };
    for (const Case& c : cases) {
        Image smooth, nearest;
        smooth.Create(16, 16, 32, 0);
        nearest.Create(16, 16, 32, 0);
        smooth.FillValue(0xFF000000u, nullptr);
        nearest.FillValue(0xFF000000u, nullptr);
        ASSERT_EQ(0, smooth.StretchBlitSmooth(&source, &c.size, 1, 1, nullptr)) << c.what;
        ASSERT_EQ(0, nearest.StretchBlit(&unkeyed, &c.size, 1, 1, nullptr, false)) << c.what;
        const bool same = PixelsOf(smooth) == PixelsOf(nearest);
        if (c.bilinear) {
            // Interpolated values lie between the source's steps of 30.
            bool between = false;
            for (std::uint32_t p : PixelsOf(smooth)) between |= (p & 0xFF) % 30 != 0;
            EXPECT_TRUE(between) << c.what;
        } else if (c.size.cx == 8 && c.size.cy == 8) {
            EXPECT_TRUE(same) << c.what;
        } else if (!testsupport::UsesLibrary(GetParam())) {
            // The library stretches by its own walk; without it the scaler is the stretch.
            EXPECT_TRUE(same) << c.what;
        }
    }
    // A source one pixel high is never interpolated.
    Image line, smooth;
    line.Create(5, 1, 32, 0);
    line.FillValue(0x00112233u, nullptr);
    smooth.Create(10, 4, 32, 0);
    const SIZE size = {10, 4};
    EXPECT_EQ(0, smooth.StretchBlitSmooth(&line, &size, 0, 0, nullptr));
    for (std::uint32_t p : PixelsOf(smooth)) EXPECT_EQ(0x00112233u, p);
}

INSTANTIATE_TEST_SUITE_P(Configurations, BlitInEveryConfig,
                         ::testing::ValuesIn(testsupport::kPixelConfigs));

// An 8-bit DIB-section picture into a 32-bit one goes through GDI only where GDI gives the
// kernel's pixels: a palette with a fourth byte keeps it as alpha.
TEST(ImageBlit, EightBitDibSectionsGiveThePalettesWholeEntries) {
    for (bool alphaInPalette : {false, true}) {
        Image source, dib, heap;
        source.Create(5, 3, 8, kImageDibSection);
        std::vector<std::uint32_t> palette(256);
        for (std::uint32_t i = 0; i < 256; ++i)
            palette[i] = (alphaInPalette ? 0x7F000000u : 0) | (i * 0x00030507u & 0x00FFFFFFu);
        source.SetPalette(palette.data(), 256, 0);
        for (std::int32_t y = 0; y < 3; ++y)
            for (std::int32_t x = 0; x < 5; ++x) source.SetPixel(x, y, static_cast<std::uint32_t>(y * 40 + x * 7));
        dib.Create(7, 5, 32, kImageDibSection);
        heap.Create(7, 5, 32, 0);
        dib.FillValue(0x01010101u, nullptr);
        heap.FillValue(0x01010101u, nullptr);
        ASSERT_EQ(0, dib.Blit(&source, 1, 1, nullptr, false));
        ASSERT_EQ(0, heap.Blit(&source, 1, 1, nullptr, false));
        EXPECT_EQ(PixelsOf(heap), PixelsOf(dib)) << (alphaInPalette ? "with" : "without")
                                                 << " alpha in the palette";
        EXPECT_EQ(palette[7 + 40], dib.GetPixel(2, 2));
    }
}

}  // namespace
