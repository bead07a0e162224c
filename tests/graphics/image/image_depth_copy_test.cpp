// The depth-converting copy, the copy limited to the dirty rectangles and the recolouring through
// a colour ramp, pixel by pixel on small coded images.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "graphics/compose/gradient_table.h"
#include "graphics/image/image.h"

namespace {

std::uint32_t& Px(Image& image, std::int32_t x, std::int32_t y) {
    return reinterpret_cast<std::uint32_t*>(image.Row(y))[x];
}
std::uint8_t& Index(Image& image, std::int32_t x, std::int32_t y) { return image.Row(y)[x]; }

std::uint32_t Coded(std::int32_t x, std::int32_t y) {
    return 0x80000000u | (static_cast<std::uint32_t>(x * 37 + y * 11) & 0xFF) << 16 |
           (static_cast<std::uint32_t>(x * 5 + y * 71) & 0xFF) << 8 |
           (static_cast<std::uint32_t>(x * 90 + y * 3) & 0xFF);
}

void Paint32(Image& image, std::uint32_t salt = 0) {
    for (std::int32_t y = 0; y < image.Height(); ++y)
        for (std::int32_t x = 0; x < image.Width(); ++x) Px(image, x, y) = Coded(x, y) ^ salt;
}

std::uint32_t GreyOf(std::uint32_t p) {
    return (77 * ((p >> 16) & 0xFF) + 150 * ((p >> 8) & 0xFF) + 29 * (p & 0xFF)) >> 8;
}

TEST(ImageDepthCopy, ThirtyTwoBitsArriveAsGreyIndicesAndEightBitsThroughThePalette) {
    Image wide, narrow;
    ASSERT_EQ(0, wide.Create(6, 4, 32, 0));
    ASSERT_EQ(0, narrow.Create(6, 4, 8, 0));
    Paint32(wide);
    for (std::int32_t y = 0; y < 4; ++y)
        for (std::int32_t x = 0; x < 6; ++x) Index(narrow, x, y) = 0xEE;

    const RECT source{1, 1, 4, 3};
    const SIZE size{3, 2};
    EXPECT_EQ(0, narrow.CopyConvertDepth(&wide, 0, &size, 2, 1, &source));
    for (std::int32_t y = 0; y < 4; ++y) {
        for (std::int32_t x = 0; x < 6; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
            const std::uint32_t want = inside ? GreyOf(Coded(x - 1, y)) : 0xEE;
            EXPECT_EQ(want, Index(narrow, x, y)) << x << "," << y;
        }
    }

    // Back to 32 bits through a palette of its own; option bit 0 turns the copy upside down.
    std::uint32_t palette[256];
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = 0xFF000000u | (i * 0x010203u & 0xFFFFFF);
    ASSERT_EQ(0, narrow.SetPalette(palette, 256, 0));
    Image back;
    ASSERT_EQ(0, back.Create(6, 4, 32, 0));
    Paint32(back, 0x00FFFFFF);
    EXPECT_EQ(0, back.CopyConvertDepth(&narrow, 1, nullptr, 0, 0, nullptr));
    for (std::int32_t y = 0; y < 4; ++y) {
        for (std::int32_t x = 0; x < 6; ++x) {
            const std::uint32_t index = Index(narrow, x, 3 - y);
            EXPECT_EQ(palette[index] & 0xFFFFFF, Px(back, x, y) & 0xFFFFFF) << x << "," << y;
        }
    }
    EXPECT_EQ(1, back.CopyConvertDepth(nullptr, 0, nullptr, 0, 0, nullptr));
}

TEST(ImageDepthCopy, DrawingWithDirtyRectanglesTouchesOnlyThem) {
    Image target, source;
    ASSERT_EQ(0, target.Create(8, 6, 32, kImageDirtyRegion));
    ASSERT_EQ(0, source.Create(8, 6, 32, 0));
    Paint32(source, 0x00ABCDEF);
    for (std::int32_t y = 0; y < 6; ++y)
        for (std::int32_t x = 0; x < 8; ++x) Px(target, x, y) = 0x11111111;

    // Nothing dirty: nothing drawn.
    EXPECT_EQ(0, target.DrawWithDirtyRects(&source, nullptr, 0, 0, nullptr));
    EXPECT_EQ(0x11111111u, Px(target, 3, 3));

    target.MarkChanged(RECT{1, 1, 3, 2});
    target.MarkChanged(RECT{5, 3, 7, 6});
    RECT clipBefore;
    target.GetClipRect(&clipBefore);
    EXPECT_EQ(0, target.DrawWithDirtyRects(&source, nullptr, 0, 0, nullptr));
    for (std::int32_t y = 0; y < 6; ++y) {
        for (std::int32_t x = 0; x < 8; ++x) {
            const bool dirty = (x >= 1 && x < 3 && y == 1) || (x >= 5 && x < 7 && y >= 3);
            EXPECT_EQ(dirty ? (Coded(x, y) ^ 0x00ABCDEF) : 0x11111111u, Px(target, x, y))
                << x << "," << y;
        }
    }
    RECT clipAfter;
    target.GetClipRect(&clipAfter);
    EXPECT_EQ(0, std::memcmp(&clipBefore, &clipAfter, sizeof clipAfter));

    Image plain;  // no dirty region at all
    ASSERT_EQ(0, plain.Create(8, 6, 32, 0));
    Px(plain, 0, 0) = 0x22222222;
    EXPECT_EQ(0, plain.DrawWithDirtyRects(&source, nullptr, 0, 0, nullptr));
    EXPECT_EQ(0x22222222u, Px(plain, 0, 0));
}

TEST(ImageDepthCopy, TransformBlitRecoloursByGreyLevelThroughTheRamp) {
    GradientTable ramp;
    ASSERT_EQ(0, ramp.Build(256, 0x102030, 0xF0E0D0, 32));
    const auto* entries = static_cast<const std::uint32_t*>(ramp.Entries());

    for (std::uint8_t mode : {0, 1}) {
        Image image;
        ASSERT_EQ(0, image.Create(6, 4, 32, 0));
        Paint32(image);
        const std::uint32_t key = Coded(2, 2);
        image.SetColourKeyValue(static_cast<std::int32_t>(key));
        const RECT rect{1, 1, 5, 3};
        EXPECT_EQ(0, image.TransformBlit(mode, 0x102030, 0xF0E0D0, &rect));
        for (std::int32_t y = 0; y < 4; ++y) {
            for (std::int32_t x = 0; x < 6; ++x) {
                const std::uint32_t old = Coded(x, y);
                const bool inside = x >= 1 && x < 5 && y >= 1 && y < 3 && old != key;
                std::uint32_t level = GreyOf(old);
                if (mode == 1) level = 255 - level;
                const std::uint32_t want =
                    inside ? (old & 0xFF000000u) | (entries[level] & 0xFFFFFF) : old;
                EXPECT_EQ(want, Px(image, x, y)) << int(mode) << ": " << x << "," << y;
            }
        }
    }

    Image image, indexed;
    ASSERT_EQ(0, image.Create(2, 2, 32, 0));
    ASSERT_EQ(0, indexed.Create(2, 2, 8, 0));
    EXPECT_EQ(3, image.TransformBlit(2, 0, 0xFFFFFF, nullptr));
    EXPECT_EQ(2, indexed.TransformBlit(0, 0, 0xFFFFFF, nullptr));
    Image empty;
    EXPECT_EQ(1, empty.TransformBlit(0, 0, 0xFFFFFF, nullptr));
}

}  // namespace
