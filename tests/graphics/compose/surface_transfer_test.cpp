// Transfers of pictures into DirectDraw surface memory: the row converters of every format and
// the clipped copy of an image.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/compose/pixel_format.h"
#include "graphics/compose/surface_transfer.h"
#include "graphics/image/image.h"
#include "tests/support/fake_dd_surface.h"

namespace {

using testsupport::FakeDdSurface;

DDPIXELFORMAT Format(DWORD bitCount, DWORD red, DWORD green, DWORD blue, DWORD alpha) {
    return testsupport::RgbFormat(bitCount, red, green, blue, alpha);
}

DDPIXELFORMAT Xrgb32() { return Format(32, 0xFF0000, 0x00FF00, 0x0000FF, 0); }

TEST(SurfaceConverters, EveryFormatFromAPixelAndFromAPaletteEntry) {
    // One pixel, 0xAARRGGBB = 0x8CF0A05A, converted by each format from an ARGB source and
    // from a palette entry holding the same word.
    const std::uint32_t p = 0x8CF0A05A;
    struct Case {
        const char* name;
        std::int32_t code;
        std::uint32_t fromPixel;
        std::uint32_t fromPalette;
        int bytes;
    };
    const Case cases[] = {
        {"5-5-5", kPixelFormatRgb555, 0x7A8B, 0x7A8B, 2},
        {"5-6-5", kPixelFormatRgb565, 0xF50B, 0xF50B, 2},
        {"24-bit", kPixelFormatRgb24, 0xF0A05A, 0xF0A05A, 3},
        {"x-8-8-8 clears alpha from a pixel, keeps an entry's fourth byte", kPixelFormatXrgb32,
         0x00F0A05A, 0x8CF0A05A, 4},
        {"1-5-5-5: the top alpha bit, or set from a palette", kPixelFormatArgb1555, 0xFA8B,
         0xFA8B, 2},
        {"4-4-4-4: alpha nibble, or opaque from a palette", kPixelFormatArgb4444, 0x8FA5,
         0xFFA5, 2},
        {"8-8-8-8: as it is, or opaque from a palette", kPixelFormatArgb32, 0x8CF0A05A,
         0xFFF0A05A, 4},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> out(16, 0xCD);
        const std::uint8_t index = 7;
        std::uint32_t palette[256] = {};
        palette[index] = p;
        ASSERT_TRUE(ConvertArgbToSurface(c.code, out.data(), 1, 0, 16,
                                         reinterpret_cast<const std::uint8_t*>(&p), 4, 1, 1))
            << c.name;
        std::uint32_t got = 0;
        for (int i = 0; i < c.bytes; ++i) got |= std::uint32_t{out[c.bytes + i]} << (8 * i);
        EXPECT_EQ(c.fromPixel, got) << c.name;
        EXPECT_EQ(0xCD, out[0]) << c.name;
        EXPECT_EQ(0xCD, out[2 * c.bytes]) << c.name;

        std::vector<std::uint8_t> out8(16, 0xCD);
        ASSERT_TRUE(ConvertIndexedToSurface(c.code, out8.data(), 1, 0, 16, &index, 1, 1, 1,
                                            palette))
            << c.name;
        got = 0;
        for (int i = 0; i < c.bytes; ++i) got |= std::uint32_t{out8[c.bytes + i]} << (8 * i);
        EXPECT_EQ(c.fromPalette, got) << c.name;
    }
}

TEST(SurfaceConverters, FormatsWithoutAConverterWriteNothing) {
    const std::uint32_t p = 0x12345678;
    for (std::int32_t code : {std::int32_t{kPixelFormatOther}, std::int32_t{kPixelFormatPalette8}, 0, 3}) {
        std::vector<std::uint8_t> out(8, 0xCD);
        EXPECT_FALSE(ConvertArgbToSurface(code, out.data(), 0, 0, 8,
                                          reinterpret_cast<const std::uint8_t*>(&p), 4, 1, 1));
        EXPECT_EQ(std::vector<std::uint8_t>(8, 0xCD), out) << code;
    }
}

// A 32-bit picture whose pixel (x, y) is 0xFF000000 | (y << 8) | x.
void Numbered(Image& image, int width, int height) {
    ASSERT_EQ(0, image.Create(width, height, 32, 0));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.SetPixel(x, y, 0xFF000000u | (y << 8) | x);
}

TEST(CopyImageToSurface, AFormatWithoutConverterIsRefusedBeforeLocking) {
    Image image;
    Numbered(image, 4, 4);
    FakeDdSurface surface(4, 4, Xrgb32());
    EXPECT_EQ(3, CopyImageToSurface(surface.Interface(), kPixelFormatPalette8, nullptr, &image, 0,
                                    0, nullptr, nullptr));
    EXPECT_EQ(0, surface.lockCalls);
    EXPECT_TRUE(surface.OnlyAreaWritten(RECT{0, 0, 0, 0}));
}

TEST(CopyImageToSurface, WritesStayInsideASurfaceSmallerThanThePicture) {
    Image image;
    Numbered(image, 10, 8);
    FakeDdSurface surface(6, 5, Xrgb32());
    ASSERT_EQ(0, CopyImageToSurface(surface.Interface(), kPixelFormatXrgb32, nullptr, &image, 2,
                                    1, nullptr, nullptr));
    EXPECT_TRUE(surface.OnlyAreaWritten(RECT{2, 1, 6, 5}));
    EXPECT_EQ(0x000000u, surface.Pixel32(2, 1));
    EXPECT_EQ(0x000303u, surface.Pixel32(5, 4));
    EXPECT_EQ(1, surface.locks);
    EXPECT_EQ(1, surface.unlocks);
}

TEST(CopyImageToSurface, NegativePositionsAreCutAtTheSurfaceEdge) {
    Image image;
    Numbered(image, 8, 8);
    FakeDdSurface surface(4, 4, Format(24, 0xFF0000, 0x00FF00, 0x0000FF, 0));
    ASSERT_EQ(0, CopyImageToSurface(surface.Interface(), kPixelFormatRgb24, nullptr, &image, -3,
                                    -2, nullptr, nullptr));
    EXPECT_TRUE(surface.OnlyAreaWritten(RECT{0, 0, 4, 4}));
    // Three bytes a pixel: surface (1, 0) shows picture (4, 2).
    EXPECT_EQ(0x000204u, surface.Pixel32(1, 0));
}

TEST(CopyImageToSurface, ASourceTrimmedOnTheLeftLandsAtTheClipEdge) {
    Image image;
    Numbered(image, 8, 4);
    FakeDdSurface surface(16, 4, Xrgb32());
    const RECT clip = {5, 0, 16, 4};
    const RECT source = {1, 0, 6, 2};
    ASSERT_EQ(0, CopyImageToSurface(surface.Interface(), kPixelFormatXrgb32, &clip, &image, 3, 1,
                                    &source, nullptr));
    // Drawn at x 3: two columns fall left of the clip; column 3 of the picture lands at 5.
    EXPECT_TRUE(surface.OnlyAreaWritten(RECT{5, 1, 8, 3}));
    EXPECT_EQ(0x000003u, surface.Pixel32(5, 1));
    EXPECT_EQ(0x000105u, surface.Pixel32(7, 2));
}

TEST(CopyImageToSurface, OutsideTheClipNothingIsLocked) {
    Image image;
    Numbered(image, 4, 4);
    FakeDdSurface surface(8, 8, Xrgb32());
    const RECT clip = {0, 0, 2, 2};
    EXPECT_EQ(0, CopyImageToSurface(surface.Interface(), kPixelFormatXrgb32, &clip, &image, 4, 4,
                                    nullptr, nullptr));
    EXPECT_EQ(0, surface.lockCalls);
}

TEST(CopyImageToSurface, FailuresAndAGivenLock) {
    Image image;
    Numbered(image, 2, 2);
    FakeDdSurface surface(2, 2, Xrgb32());
    EXPECT_EQ(1, CopyImageToSurface(nullptr, kPixelFormatXrgb32, nullptr, &image, 0, 0, nullptr,
                                    nullptr));
    EXPECT_EQ(1, CopyImageToSurface(surface.Interface(), kPixelFormatXrgb32, nullptr, nullptr, 0,
                                    0, nullptr, nullptr));
    surface.failLock = true;
    EXPECT_EQ(2, CopyImageToSurface(surface.Interface(), kPixelFormatXrgb32, nullptr, &image, 0,
                                    0, nullptr, nullptr));
    // A description locked by the caller is used as it is: no Lock, no Unlock.
    std::vector<std::uint32_t> memory(4, 0);
    DDSURFACEDESC2 locked = {};
    locked.dwSize = sizeof(locked);
    locked.dwWidth = 2;
    locked.dwHeight = 2;
    locked.lPitch = 8;
    locked.lpSurface = memory.data();
    const int lockCalls = surface.lockCalls;
    EXPECT_EQ(0, CopyImageToSurface(surface.Interface(), kPixelFormatArgb32, nullptr, &image, 0,
                                    0, nullptr, &locked));
    EXPECT_EQ(lockCalls, surface.lockCalls);
    EXPECT_EQ(0, surface.unlocks);
    EXPECT_EQ(0xFF000101u, memory[3]);
}

TEST(CopyImageToSurface, AnIndexedPictureWithoutPaletteGetsTheGreyRamp) {
    Image image;
    ASSERT_EQ(0, image.Create(2, 1, 8, 0));
    image.SetPixel(0, 0, 0x40);
    image.SetPixel(1, 0, 0xFF);
    FakeDdSurface surface(2, 1, Format(16, 0xF800, 0x07E0, 0x001F, 0));
    ASSERT_EQ(0, CopyImageToSurface(surface.Interface(), kPixelFormatRgb565, nullptr, &image, 0,
                                    0, nullptr, nullptr));
    EXPECT_EQ(0x4208u, surface.Pixel32(0, 0));
    EXPECT_EQ(0xFFFFu, surface.Pixel32(1, 0));
}

}  // namespace
