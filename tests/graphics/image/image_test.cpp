// Storage, palettes and depth conversion of PixelBuffer and Image.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/image/image.h"
#include "tests/graphics/rect_helpers.h"

using graphicstest::RegionRects;
using graphicstest::SameRect;

namespace {

void ExpectRowTableMatchesRows(Image& image) {
    ASSERT_NE(nullptr, image.RowTable());
    for (std::int32_t y = 0; y < image.Height(); ++y)
        EXPECT_EQ(image.Row(y), image.RowTable()[y]) << "row " << y;
}

TEST(PixelBuffer, CreateLaysOutPaddedRowsOrRefusesTheSize) {
    struct Case {
        const char* name;
        std::int32_t width, height;
        std::uint8_t depth;
        bool dib;
        std::int32_t result;
        std::int32_t pitch;
    };
    const Case cases[] = {
        {"8-bit rows pad to 4 bytes", 3, 2, 8, false, 0, 4},
        {"32-bit rows", 3, 2, 32, false, 0, 12},
        {"8-bit DIB rows pad alike", 5, 2, 8, true, 0, 8},
        {"zero width", 0, 5, 32, false, 1, 0},
        {"negative height", 5, -1, 32, false, 1, 0},
        {"depth below 8", 5, 5, 4, false, 1, 0},
        {"row bytes beyond 32 bits", 0x40000001, 1, 32, false, 1, 0},
        {"pitch times height beyond 32 bits", 65536, 65536, 8, false, 1, 0},
        {"absurd byte count", 30000, 30000, 32, true, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PixelBuffer buffer;
        EXPECT_EQ(c.result, buffer.Create(c.width, c.height, c.depth, c.dib));
        if (c.result != 0) {
            EXPECT_EQ(nullptr, buffer.Bits());
            EXPECT_EQ(0, buffer.Width());
            continue;
        }
        EXPECT_EQ(c.pitch, buffer.Pitch());
        EXPECT_EQ(c.width, buffer.Width());
        EXPECT_EQ(c.depth, buffer.Depth());
        RECT clip;
        EXPECT_TRUE(SameRect(RECT{0, 0, c.width, c.height}, *buffer.GetClipRect(&clip)));
        if (c.dib) {
            EXPECT_NE(nullptr, buffer.MemoryDc());
            EXPECT_EQ(0, buffer.BlockSize());
        } else {
            EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(buffer.Bits()) % 8);
            EXPECT_EQ(c.pitch * c.height + 7, buffer.BlockSize());
        }
    }
}

TEST(PixelBuffer, DibSectionRowsAreTheRowsGdiDraws) {
    Image image;
    ASSERT_EQ(0, image.Create(8, 4, 32, kImageDibSection));
    ::SetPixel(image.MemoryDc(), 5, 1, RGB(255, 0, 0));
    GdiFlush();
    EXPECT_EQ(0x00FF0000u, image.GetPixel(5, 1));
    EXPECT_EQ(0u, image.GetPixel(5, 2));
}

TEST(PixelBuffer, PaletteRangesAndTheDibColourTable) {
    std::uint32_t entries[256];
    for (std::uint32_t i = 0; i < 256; ++i) entries[i] = 0x00010000u * i + 0x55;

    Image image;
    ASSERT_EQ(0, image.Create(4, 4, 8, kImageDibSection));
    EXPECT_EQ(-1,
              image.FindPaletteIndex(0, 0, 0));  // a DIB's grey table is not a palette of its own
    ASSERT_EQ(0, image.SetPalette(nullptr, 0, 0));
    for (std::uint32_t i = 0; i < 256; ++i) ASSERT_EQ(i * 0x010101u, image.Palette()[i]);

    EXPECT_EQ(0, image.SetPalette(entries, 10, 250));
    EXPECT_EQ(249u * 0x010101u, image.Palette()[249]);
    EXPECT_EQ(entries[250], image.Palette()[250]);
    EXPECT_EQ(entries[255], image.Palette()[255]);

    struct BadRange {
        const char* name;
        std::int32_t count, first;
    };
    for (const BadRange& c : {BadRange{"first below 0", 4, -1}, BadRange{"first above 255", 1, 256},
                              BadRange{"negative count", -1, 3}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(3, image.SetPalette(entries, c.count, c.first));
        EXPECT_EQ(0x000000u, image.Palette()[0]);
        EXPECT_EQ(3u * 0x010101u, image.Palette()[3]);
    }

    // Entries set without update reach the DIB with the last one, even when that one is unchanged.
    ASSERT_TRUE(image.SetPaletteEntry(1, 0x00112233, false));
    ASSERT_TRUE(image.SetPaletteEntry(2, image.Palette()[2], true));
    RGBQUAD table[3];
    ASSERT_EQ(3u, GetDIBColorTable(image.MemoryDc(), 0, 3, table));
    EXPECT_EQ(0x11, table[1].rgbRed);
    EXPECT_EQ(0x22, table[1].rgbGreen);
    EXPECT_EQ(0x33, table[1].rgbBlue);
    EXPECT_EQ(1, image.FindPaletteIndex(0x11, 0x22, 0x33));

    ASSERT_TRUE(image.FillPalette(0x00ABCDEF, true));
    ASSERT_EQ(1u, GetDIBColorTable(image.MemoryDc(), 200, 1, table));
    EXPECT_EQ(0xAB, table[0].rgbRed);

    Image argb;
    ASSERT_EQ(0, argb.Create(4, 4, 32, 0));
    EXPECT_EQ(1, argb.SetPalette(nullptr, 0, 0));
    EXPECT_FALSE(argb.SetPaletteEntry(0, 0, true));
    EXPECT_FALSE(argb.FillPalette(0, true));
}

TEST(PixelBuffer, GetPixelOutsideOrWithoutPixelsIsAllOnes) {
    Image image;
    EXPECT_EQ(0xFFFFFFFFu, image.GetPixel(0, 0));
    ASSERT_EQ(0, image.Create(3, 3, 32, 0));
    ASSERT_TRUE(image.SetPixel(2, 2, 0x11223344u));
    EXPECT_EQ(0x11223344u, image.GetPixel(2, 2));
    EXPECT_EQ(0xFFFFFFFFu, image.GetPixel(3, 0));
    EXPECT_EQ(0xFFFFFFFFu, image.GetPixel(0, -1));
    EXPECT_FALSE(image.SetPixel(3, 0, 1));
}

TEST(PixelBuffer, ResizeOfAHeapBufferKeepsABlockThatIsLargeEnough) {
    Image image;
    ASSERT_EQ(0, image.Create(16, 16, 32, 0));
    std::uint8_t* bits = image.Bits();
    const std::int32_t blockSize = image.BlockSize();
    EXPECT_EQ(0, image.Resize(8, 4));
    EXPECT_EQ(bits, image.Bits());
    EXPECT_EQ(blockSize, image.BlockSize());
    EXPECT_EQ(32, image.Pitch());
    RECT clip;
    EXPECT_TRUE(SameRect(RECT{0, 0, 8, 4}, *image.GetClipRect(&clip)));
    EXPECT_EQ(0, image.Resize(40, 40));
    EXPECT_EQ(40 * 4 * 40 + 7, image.BlockSize());
    EXPECT_EQ(1, image.Resize(0, 4));
    EXPECT_EQ(1, image.Resize(0x40000000, 4));
    EXPECT_EQ(40, image.Width());
    Image empty;
    EXPECT_EQ(1, empty.Resize(4, 4));
}

TEST(Image, ResizeKeepsTheRowTableOnTheNewRows) {
    struct Case {
        const char* name;
        std::uint8_t flags;
        std::int32_t width, height;
    };
    const Case cases[] = {
        {"heap, new pitch in the same block", 0, 8, 20},
        {"heap, new block", 0, 64, 64},
        {"DIB section, new section", kImageDibSection, 12, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image image;
        ASSERT_EQ(0, image.Create(16, 16, 32, c.flags));
        ASSERT_EQ(0, image.BuildRowTable());
        ASSERT_EQ(0, image.Resize(c.width, c.height));
        ExpectRowTableMatchesRows(image);
    }
}

TEST(Image, CreateFlagsAndFree) {
    Image image;
    EXPECT_EQ(1, image.Create(5, 5, 16, 0));
    EXPECT_EQ(1, image.Create(5, 5, 24, 0));
    ASSERT_EQ(0, image.Create(5, 5, 8, kImageDibSection | kImageDirtyRegion));
    EXPECT_NE(nullptr, image.MemoryDc());
    ASSERT_NE(nullptr, image.GetDirtyRegion());
    EXPECT_EQ(0, image.GetDirtyRegion()->Count());
    EXPECT_FALSE(image.Modified());
    image.SetHasAlpha(true);
    image.AdoptExtraData(std::malloc(16), 16);
    ASSERT_TRUE(image.SetPixel(1, 2, 9));
    EXPECT_TRUE(image.Modified());
    const std::vector<RECT> marked = RegionRects(image.GetDirtyRegion());
    ASSERT_EQ(1u, marked.size());
    EXPECT_TRUE(SameRect(RECT{1, 2, 2, 3}, marked[0]));

    image.Free();
    EXPECT_EQ(nullptr, image.Bits());
    EXPECT_EQ(nullptr, image.GetDirtyRegion());
    EXPECT_EQ(nullptr, image.ExtraData());
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_FALSE(image.Modified());
}

TEST(Image, CopyFromTakesPixelsPaletteKeyAndOrigin) {
    Image source;
    ASSERT_EQ(0, source.Create(5, 3, 8, kImageDibSection | kImageDirtyRegion));
    ASSERT_EQ(0, source.SetPalette(nullptr, 0, 0));
    ASSERT_TRUE(source.SetPaletteEntry(4, 0x00102030, true));
    for (std::int32_t y = 0; y < 3; ++y) {
        for (std::int32_t x = 0; x < 5; ++x) ASSERT_TRUE(source.SetPixel(x, y, y * 5 + x));
    }
    ASSERT_EQ(0, source.SetColourKeyRgb(0x10, 0x20, 0x30));
    source.SetOriginX(3);
    source.SetOriginY(-2);
    source.SetHasAlpha(true);

    struct Case {
        const char* name;
        std::uint8_t flags;
        bool dib;
        bool region;
    };
    for (const Case& c :
         {Case{"like the source", kImageLikeSource, true, true}, Case{"heap", 0, false, false},
          Case{"DIB section without region", 3, true, false}}) {
        SCOPED_TRACE(c.name);
        Image copy;
        ASSERT_EQ(0, copy.CopyFrom(&source, c.flags));
        EXPECT_EQ(c.dib, copy.MemoryDc() != nullptr);
        EXPECT_EQ(c.region, copy.GetDirtyRegion() != nullptr);
        if (c.region) {
            EXPECT_EQ(0, copy.GetDirtyRegion()->Count());
        }
        EXPECT_FALSE(copy.Modified());
        EXPECT_EQ(4, copy.ColourKey());
        EXPECT_EQ(3, copy.OriginX());
        EXPECT_EQ(-2, copy.OriginY());
        EXPECT_TRUE(copy.HasAlpha());
        ASSERT_NE(nullptr, copy.Palette());
        EXPECT_EQ(0, std::memcmp(source.Palette(), copy.Palette(), 1024));
        for (std::int32_t y = 0; y < 3; ++y)
            EXPECT_EQ(0, std::memcmp(source.Row(y), copy.Row(y), 5));
    }

    Image target;
    EXPECT_EQ(1, target.CopyFrom(nullptr, 0));
    Image empty;
    EXPECT_EQ(1, target.CopyFrom(&empty, 0));
}

TEST(Image, CopyFromItselfKeepsThePicture) {
    Image image;
    ASSERT_EQ(0, image.Create(4, 4, 32, 0));
    ASSERT_TRUE(image.SetPixel(3, 3, 0x12345678u));
    ASSERT_EQ(0, image.CopyFrom(&image, 0));
    EXPECT_EQ(0x12345678u, image.GetPixel(3, 3));
    EXPECT_EQ(4, image.Width());
}

TEST(Image, CopyPaletteRules) {
    Image noPalette;
    ASSERT_EQ(0, noPalette.Create(2, 2, 8, 0));
    Image target;
    ASSERT_EQ(0, target.Create(2, 2, 8, kImageDirtyRegion));
    EXPECT_TRUE(target.CopyPalette(&noPalette));
    EXPECT_EQ(nullptr, target.Palette());
    EXPECT_EQ(0, target.GetDirtyRegion()->Count());
    EXPECT_FALSE(target.Modified());

    ASSERT_EQ(0, noPalette.SetPalette(nullptr, 0, 0));
    EXPECT_TRUE(target.CopyPalette(&noPalette));
    ASSERT_NE(nullptr, target.Palette());
    EXPECT_EQ(0x00808080u, target.Palette()[128]);
    EXPECT_TRUE(target.Modified());
    EXPECT_EQ(1, target.GetDirtyRegion()->Count());

    Image argb;
    ASSERT_EQ(0, argb.Create(2, 2, 32, 0));
    EXPECT_FALSE(target.CopyPalette(&argb));
    EXPECT_FALSE(argb.CopyPalette(&target));
    EXPECT_FALSE(target.CopyPalette(nullptr));
}

TEST(Image, ConvertDepthTo32UsesThePaletteAndTheKeyColour) {
    for (std::uint8_t flags :
         {std::uint8_t{kImageDirtyRegion}, std::uint8_t{kImageDirtyRegion | kImageDibSection}}) {
        SCOPED_TRACE(flags);
        Image image;
        ASSERT_EQ(0, image.Create(3, 2, 8, flags));
        ASSERT_EQ(0, image.SetPalette(nullptr, 0, 0));
        ASSERT_TRUE(
            image.SetPaletteEntry(5, 0xFF00FF00u, true));  // reserved byte set: alpha stays 0
        ASSERT_TRUE(image.SetPixel(0, 0, 5));
        ASSERT_TRUE(image.SetPixel(2, 1, 200));
        ASSERT_EQ(0, image.SetColourKeyFromPixel(0, 0));
        image.SetOriginX(9);
        image.GetDirtyRegion()->Clear();

        ASSERT_EQ(0, image.ConvertDepth(32));
        EXPECT_EQ(32, image.Depth());
        EXPECT_EQ(12, image.Pitch());
        EXPECT_EQ(2, image.Height());
        EXPECT_EQ((flags & kImageDibSection) != 0, image.MemoryDc() != nullptr);
        EXPECT_EQ(nullptr, image.Palette());
        EXPECT_EQ(0x0000FF00, image.ColourKey());
        EXPECT_EQ(0x0000FF00u, image.GetPixel(0, 0));
        EXPECT_EQ(0x00C8C8C8u, image.GetPixel(2, 1));
        EXPECT_EQ(9, image.OriginX());
        const std::vector<RECT> marked = RegionRects(image.GetDirtyRegion());
        ASSERT_EQ(1u, marked.size());
        EXPECT_TRUE(SameRect(RECT{0, 0, 3, 2}, marked[0]));
    }
}

TEST(Image, ConvertDepthTo8GivesGrey) {
    Image image;
    ASSERT_EQ(0, image.Create(5, 1, 32, 0));
    const std::uint32_t pixels[] = {0xFFFF0000u, 0x0000FF00u, 0x000000FFu, 0x00FFFFFFu, 0};
    const std::uint8_t grey[] = {76, 149, 28, 255, 0};
    for (std::int32_t x = 0; x < 5; ++x) ASSERT_TRUE(image.SetPixel(x, 0, pixels[x]));
    ASSERT_EQ(0, image.SetColourKeyRgb(1, 2, 3));
    image.SetHasAlpha(true);
    ASSERT_EQ(0, image.BuildRowTable());
    ASSERT_EQ(0, image.ConvertDepth(8));
    EXPECT_EQ(8, image.Pitch());
    EXPECT_EQ(-1, image.ColourKey());
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(nullptr, image.RowTable());
    for (std::int32_t x = 0; x < 5; ++x) EXPECT_EQ(grey[x], image.GetPixel(x, 0)) << x;

    EXPECT_EQ(2, image.ConvertDepth(8));
    EXPECT_EQ(2, image.ConvertDepth(16));
    Image empty;
    EXPECT_EQ(1, empty.ConvertDepth(32));
}

TEST(Image, ImagesLiveInArrays) {
    Image* images = new Image[3];
    for (int i = 0; i < 3; ++i) ASSERT_EQ(0, images[i].Create(2 + i, 2, 32, kImageDirtyRegion));
    delete[] images;
}

}  // namespace
