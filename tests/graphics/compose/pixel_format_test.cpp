// Pixel-format classification and the fill of DirectDraw surfaces.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/compose/pixel_format.h"
#include "tests/support/fake_dd_surface.h"

namespace {

DDPIXELFORMAT Format(DWORD bitCount, DWORD red, DWORD green, DWORD blue, DWORD alpha) {
    return testsupport::RgbFormat(bitCount, red, green, blue, alpha);
}

TEST(ClassifyPixelFormat, CodesByBitCountAndMasks) {
    struct Case {
        const char* name;
        DDPIXELFORMAT format;
        std::int32_t code;
    };
    const Case cases[] = {
        {"palettised", Format(8, 0, 0, 0, 0), kPixelFormatPalette8},
        {"5-5-5", Format(16, 0x7C00, 0x03E0, 0x001F, 0), kPixelFormatRgb555},
        {"5-6-5", Format(16, 0xF800, 0x07E0, 0x001F, 0), kPixelFormatRgb565},
        {"1-5-5-5", Format(16, 0x7C00, 0x03E0, 0x001F, 0x8000), kPixelFormatArgb1555},
        {"4-4-4-4", Format(16, 0x0F00, 0x00F0, 0x000F, 0xF000), kPixelFormatArgb4444},
        {"5-5-5 with an odd alpha mask", Format(16, 0x7C00, 0x03E0, 0x001F, 0x0001),
         kPixelFormatRgb555},
        {"other 16-bit", Format(16, 0x001F, 0x07E0, 0xF800, 0), kPixelFormatOther},
        {"24-bit", Format(24, 0xFF0000, 0x00FF00, 0x0000FF, 0), kPixelFormatRgb24},
        {"24-bit BGR", Format(24, 0x0000FF, 0x00FF00, 0xFF0000, 0), kPixelFormatOther},
        {"x-8-8-8", Format(32, 0xFF0000, 0x00FF00, 0x0000FF, 0), kPixelFormatXrgb32},
        {"8-8-8-8", Format(32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000), kPixelFormatArgb32},
        {"32-bit with a stray alpha mask", Format(32, 0xFF0000, 0x00FF00, 0x0000FF, 0x00FF0000),
         kPixelFormatOther},
        {"4-bit", Format(4, 0, 0, 0, 0), kPixelFormatOther},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.code, ClassifyPixelFormat(nullptr, nullptr, &c.format)) << c.name;
    EXPECT_EQ(0, ClassifyPixelFormat(nullptr, nullptr, nullptr));
}

TEST(ClassifyPixelFormat, InfoCountsBitsAndShifts) {
    const DDPIXELFORMAT f = Format(16, 0xF800, 0x07E0, 0x001F, 0);
    PixelFormatInfo info = {};
    ASSERT_EQ(kPixelFormatRgb565, ClassifyPixelFormat(nullptr, &info, &f));
    EXPECT_EQ(16, info.bitCount);
    const std::uint8_t bits[4] = {5, 6, 5, 0};
    const std::uint8_t shifts[4] = {11, 5, 0, 32};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bits[i], info.bits[i]) << i;
        EXPECT_EQ(shifts[i], info.shifts[i]) << i;
    }
    EXPECT_EQ(0xF800u, info.masks[0]);
}

using testsupport::FakeDdSurface;

TEST(FillSurfaceRect, AColourFillBlitInTheSurfaceFormat) {
    struct Case {
        const char* name;
        DDPIXELFORMAT format;
        int r, g, b, a;
        DWORD colour;
    };
    const Case cases[] = {
        {"5-6-5 cuts each component", Format(16, 0xF800, 0x07E0, 0x001F, 0), 255, 128, 8, 0,
         0xFC01},
        {"1-5-5-5 with alpha", Format(16, 0x7C00, 0x03E0, 0x001F, 0x8000), 255, 0, 0, 255, 0xFC00},
        {"8-8-8-8", Format(32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000), 1, 2, 3, 4, 0x04010203},
        {"x-8-8-8 has no place for alpha", Format(32, 0xFF0000, 0x00FF00, 0x0000FF, 0), 1, 2, 3, 4,
         0x00010203},
        {"palettised: red is the index, as for written pixels", Format(8, 0, 0, 0, 0), 0x11, 0x22,
         0x33, 0, 0x11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDdSurface surface(4, 4, c.format);
        surface.acceptBlt = true;
        const RECT rect{1, 1, 3, 3};
        EXPECT_EQ(0, FillSurfaceRect(surface.Interface(), nullptr, c.r, c.g, c.b, &rect, c.a));
        EXPECT_EQ(c.colour, surface.fillColour);
        EXPECT_EQ(0, surface.locks);
    }
}

TEST(FillSurfaceRect, RefusedBlitWritesOnlyThePartOnTheSurface) {
    struct Case {
        const char* name;
        bool hasRect;
        RECT rect;
        RECT written;
    };
    const Case cases[] = {
        {"over the top-left corner", true, {-2, -2, 3, 3}, {0, 0, 3, 3}},
        {"over the bottom-right corner", true, {4, 2, 40, 40}, {4, 2, 6, 4}},
        {"wholly outside", true, {10, 10, 20, 20}, {0, 0, 0, 0}},
        {"inside", true, {1, 1, 2, 3}, {1, 1, 2, 3}},
        {"null is the whole surface", false, {}, {0, 0, 6, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDdSurface surface(6, 4, Format(32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000));
        // The fill waits for a blit of the surface still in progress.
        surface.stillDrawing = true;
        EXPECT_EQ(0, FillSurfaceRect(surface.Interface(), nullptr, 0x11, 0x22, 0x33,
                                     c.hasRect ? &c.rect : nullptr, 0x44));
        EXPECT_EQ(1, surface.blts);
        EXPECT_EQ(1, surface.unlocks);
        EXPECT_TRUE(surface.OnlyAreaWritten(c.written));
        if (c.written.right > c.written.left) {
            EXPECT_EQ(0x33, surface.Byte(c.written.left, c.written.top, 0));
            EXPECT_EQ(0x44, surface.Byte(c.written.right - 1, c.written.bottom - 1, 3));
        }
    }
}

TEST(FillSurfaceRect, RefusedBlitWritesEachDepth) {
    struct Case {
        const char* name;
        DDPIXELFORMAT format;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"8-bit takes the red byte", Format(8, 0, 0, 0, 0), {0x11}},
        {"5-6-5", Format(16, 0xF800, 0x07E0, 0x001F, 0), {0x06, 0x11}},
        {"24-bit low, middle, high",
         Format(24, 0xFF0000, 0x00FF00, 0x0000FF, 0),
         {0x33, 0x22, 0x11}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDdSurface surface(3, 2, c.format);
        const RECT rect{1, 0, 3, 2};
        EXPECT_EQ(0, FillSurfaceRect(surface.Interface(), nullptr, 0x11, 0x22, 0x33, &rect, 0));
        EXPECT_TRUE(surface.OnlyAreaWritten(rect));
        for (std::size_t i = 0; i < c.bytes.size(); ++i)
            EXPECT_EQ(c.bytes[i], surface.Byte(2, 1, static_cast<int>(i)));
    }
}

TEST(FillSurfaceRect, Failures) {
    EXPECT_EQ(1, FillSurfaceRect(nullptr, nullptr, 0, 0, 0, nullptr, 0));
    FakeDdSurface surface(2, 2, Format(32, 0xFF0000, 0x00FF00, 0x0000FF, 0));
    surface.failFormat = true;
    EXPECT_EQ(1, FillSurfaceRect(surface.Interface(), nullptr, 0, 0, 0, nullptr, 0));
    PixelFormatInfo info = {};
    const DDPIXELFORMAT f = Format(32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    ASSERT_EQ(kPixelFormatXrgb32, ClassifyPixelFormat(nullptr, &info, &f));
    surface.failLock = true;
    EXPECT_EQ(2, FillSurfaceRect(surface.Interface(), &info, 0, 0, 0, nullptr, 0));
    surface.failLock = false;
    EXPECT_EQ(0, FillSurfaceRect(surface.Interface(), &info, 1, 2, 3, nullptr, 0));
    EXPECT_EQ(0x03, surface.Byte(1, 1, 0));
}

}  // namespace
