// The memory form of the Surface interface, as the program and the pixel-operation library see it.
#include <gtest/gtest.h>

#include "graphics/image/image.h"
#include "tests/graphics/rect_helpers.h"

using graphicstest::SameRect;

namespace {

struct ClipCase {
    const char* name;
    bool hasRect;
    RECT rect;
    bool result;
    RECT stored;
};

TEST(ClippedSurface, SetClipRectCutsToTheSurfaceAndRefusesEmptyRectangles) {
    const ClipCase cases[] = {
        {"null gives the whole surface", false, {}, true, {0, 0, 640, 480}},
        {"larger is cut to the surface", true, {-10, -10, 700, 500}, true, {0, 0, 640, 480}},
        {"inside is kept", true, {10, 20, 30, 40}, true, {10, 20, 30, 40}},
        {"zero width is refused", true, {5, 5, 5, 100}, false, {1, 2, 3, 4}},
        {"upside down is refused", true, {5, 100, 50, 5}, false, {1, 2, 3, 4}},
        {"beyond the right edge is stored empty", true, {700, 0, 800, 10}, true, {700, 0, 640, 10}},
    };
    for (const ClipCase& c : cases) {
        SCOPED_TRACE(c.name);
        Image image;
        ASSERT_EQ(0, image.Create(640, 480, 32, 0));
        const RECT previous{1, 2, 3, 4};
        ASSERT_TRUE(image.SetClipRect(&previous));
        EXPECT_EQ(c.result, image.SetClipRect(c.hasRect ? &c.rect : nullptr));
        RECT stored;
        EXPECT_TRUE(SameRect(c.stored, *image.GetClipRect(&stored)));
        EXPECT_TRUE(SameRect(c.stored, *image.ClipRectPtr()));
    }
}

TEST(ClippedSurface, ClipToClipRectIntersectsInPlace) {
    struct Case {
        const char* name;
        RECT clip;
        RECT in;
        bool result;
        RECT out;
    };
    const Case cases[] = {
        {"overhanging on all sides", {0, 0, 10, 10}, {-5, -5, 20, 20}, true, {0, 0, 10, 10}},
        {"right of the clip", {0, 0, 10, 10}, {20, 0, 30, 5}, false, {20, 0, 10, 5}},
        {"below the clip keeps its cut columns",
         {0, 0, 10, 10},
         {2, 20, 8, 30},
         false,
         {2, 20, 8, 10}},
        {"inside stays", {0, 0, 10, 10}, {2, 3, 4, 5}, true, {2, 3, 4, 5}},
        {"an empty clip refuses everything",
         {700, 0, 800, 10},
         {0, 0, 640, 10},
         false,
         {700, 0, 640, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image image;
        ASSERT_EQ(0, image.Create(640, 480, 32, 0));
        ASSERT_TRUE(image.SetClipRect(&c.clip));
        RECT rect = c.in;
        EXPECT_EQ(c.result, image.ClipToClipRect(&rect));
        EXPECT_TRUE(SameRect(c.out, rect));
    }
}

TEST(PixelBufferSurface, RowsAreTopDownAndOutsideRowsAreNull) {
    for (std::uint8_t flags : {std::uint8_t{0}, kImageDibSection}) {
        SCOPED_TRACE(flags);
        Image image;
        ASSERT_EQ(0, image.Create(5, 4, 8, flags));
        EXPECT_EQ(kSurfacePixelBuffer, image.Kind());
        EXPECT_EQ(image.Bits(), image.Row(0));
        EXPECT_EQ(image.Bits() + 3 * 8, image.Row(3));
        EXPECT_EQ(nullptr, image.Row(-1));
        EXPECT_EQ(nullptr, image.Row(4));
        EXPECT_EQ(0, image.Restore(true));
    }
    Image empty;
    EXPECT_EQ(nullptr, empty.Bits());
    EXPECT_EQ(nullptr, empty.Row(0));
    EXPECT_EQ(0, empty.Width());
    EXPECT_EQ(-1, empty.ColourKey());
}

TEST(PixelBufferSurface, ColourKeys) {
    Image argb;
    ASSERT_EQ(0, argb.Create(4, 4, 32, 0));
    EXPECT_EQ(0, argb.SetColourKeyRgb(255, 0, 255));
    EXPECT_EQ(0x00FF00FF, argb.ColourKey());
    ASSERT_TRUE(argb.SetPixel(1, 1, 0x80123456u));
    EXPECT_EQ(0, argb.SetColourKeyFromPixel(1, 1));
    EXPECT_EQ(static_cast<std::int32_t>(0x80123456u), argb.ColourKey());
    ASSERT_TRUE(argb.SetPixel(2, 2, 0xFFFFFFFFu));
    EXPECT_EQ(1, argb.SetColourKeyFromPixel(2, 2));  // the one pixel that reads as "no key"
    EXPECT_EQ(-1, argb.ColourKey());
    EXPECT_EQ(0, argb.SetColourKeyRgb(0, 0, 0));
    EXPECT_EQ(1, argb.SetColourKeyFromPixel(-1, 0));
    EXPECT_EQ(-1, argb.ColourKey());
    EXPECT_EQ(0, argb.SetColourKeyRgb(1, 2, 3));
    EXPECT_EQ(0, argb.ClearColourKey());
    EXPECT_EQ(-1, argb.ColourKey());

    Image indexed;
    ASSERT_EQ(0, indexed.Create(4, 4, 8, 0));
    EXPECT_EQ(1, indexed.SetColourKeyRgb(255, 0, 255));  // no palette at all
    ASSERT_EQ(0, indexed.SetPalette(nullptr, 0, 0));
    EXPECT_EQ(1, indexed.SetColourKeyRgb(255, 0, 255));  // the grey ramp lacks it
    EXPECT_EQ(-1, indexed.ColourKey());
    ASSERT_TRUE(indexed.SetPaletteEntry(7, 0x00FF00FF, true));
    ASSERT_TRUE(indexed.SetPaletteEntry(9, 0x00FF00FF, true));
    EXPECT_EQ(0, indexed.SetColourKeyRgb(255, 0, 255));
    EXPECT_EQ(7, indexed.ColourKey());
    ASSERT_TRUE(indexed.SetPixel(3, 0, 200));
    EXPECT_EQ(0, indexed.SetColourKeyFromPixel(3, 0));
    EXPECT_EQ(200, indexed.ColourKey());
}

// The pixel-operation library reaches the program's bitmaps by slot number alone, and the memory
// surfaces add Resize right after the shared slots.
TEST(PixelBufferSurface, TableSlotsAreWhereTheOtherModuleCallsThem) {
    using IntOp = std::int32_t(__thiscall*)(void*);
    using RectOp = RECT*(__thiscall*)(void*, RECT*);
    using BitsOp = std::uint8_t*(__thiscall*)(void*);
    using RowOp = std::uint8_t*(__thiscall*)(void*, std::int32_t);
    using ClipPtrOp = const RECT*(__thiscall*)(void*);
    using ResizeOp = std::int32_t(__thiscall*)(void*, std::int32_t, std::int32_t);

    Image* image = new Image;
    ASSERT_EQ(0, image->Create(6, 3, 32, 0));
    Surface* surface = image;
    void** table = *reinterpret_cast<void***>(surface);
    EXPECT_EQ(6, reinterpret_cast<IntOp>(table[2])(surface));
    EXPECT_EQ(3, reinterpret_cast<IntOp>(table[3])(surface));
    EXPECT_EQ(24, reinterpret_cast<IntOp>(table[4])(surface));
    RECT rect{};
    EXPECT_TRUE(SameRect(RECT{0, 0, 6, 3}, *reinterpret_cast<RectOp>(table[5])(surface, &rect)));
    EXPECT_EQ(image->Bits(), reinterpret_cast<BitsOp>(table[6])(surface));
    EXPECT_EQ(image->Bits() + 48, reinterpret_cast<RowOp>(table[7])(surface, 2));
    const RECT clip{1, 1, 4, 2};
    ASSERT_TRUE(image->SetClipRect(&clip));
    EXPECT_TRUE(SameRect(clip, *reinterpret_cast<RectOp>(table[14])(surface, &rect)));
    EXPECT_EQ(image->ClipRectPtr(), reinterpret_cast<ClipPtrOp>(table[15])(surface));
    EXPECT_EQ(0, reinterpret_cast<ResizeOp>(table[23])(surface, 2, 2));
    EXPECT_EQ(2, image->Width());

    // Deleting through slot 0 runs the whole image's destruction: the node its dirty region took
    // goes back to the pool.
    ASSERT_EQ(0, image->Create(6, 3, 32, kImageDirtyRegion));
    image->MarkChanged(RECT{0, 0, 1, 1});
    const std::int32_t freeBefore = g_rectNodePool.FreeCount();
    SurfaceDelete(surface);
    EXPECT_EQ(freeBefore + 1, g_rectNodePool.FreeCount());
}

TEST(PixelBufferSurface, OriginAndOwnerKeyAreCarried) {
    Image image;
    EXPECT_EQ(0, image.OriginX());
    EXPECT_EQ(0u, image.OwnerKey());
    image.SetOriginX(-7);
    image.SetOriginY(12);
    image.SetOwnerKey(0xDEADBEEF);
    ASSERT_EQ(0, image.Create(2, 2, 32, 0));
    EXPECT_EQ(-7, image.OriginX());
    EXPECT_EQ(12, image.OriginY());
    EXPECT_EQ(0xDEADBEEFu, image.OwnerKey());
}

}  // namespace
