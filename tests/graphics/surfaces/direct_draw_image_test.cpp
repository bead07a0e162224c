// DirectDraw images on Wine's DirectDraw: loads against the software image's, the host's cache,
// the display formats of the display shim, colour keys, Restore, and copies back into images.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "graphics/image/image.h"
#include "tests/graphics/surfaces/direct_draw_image_fixture.h"

namespace {

using namespace ddimage;

using DirectDrawImageOnWine = DirectDrawImageFixture;

Units SoftwarePixels(const char* name) {
    Image image;
    if (image.Load(name, nullptr, 0, 0) != 0) return {};
    Units out;
    for (std::int32_t y = 0; y < image.Height(); ++y)
        for (std::int32_t x = 0; x < image.Width(); ++x) out.push_back(image.GetPixel(x, y) & 0x00FFFFFFu);
    return out;
}

// Rows of four bytes a pixel take the ELG stream straight into the surface; Wine gives an odd
// width a longer row, and the host's decoder then writes the picture through a DIB (and caches it).
TEST_F(DirectDrawImageOnWine, PicturesLoadAsTheSoftwareImageLoadsThem) {
    Cache(true);
    struct Case {
        const char* name;
        Bytes file;
        std::int32_t width;
        bool direct;
    };
    const Case cases[] = {
        {"even8.elg", ElgOf(8, 6, 4), 6, true},    {"even24.elg", ElgOf(24, 6, 4), 6, true},
        {"even32.elg", ElgOf(32, 6, 4), 6, true},  {"odd8.elg", ElgOf(8, 5, 4), 5, false},
        {"odd24.elg", ElgOf(24, 5, 4), 5, false},  {"odd32.elg", ElgOf(32, 5, 4), 5, false},
        {"even.bmp", BmpOf(6, 4), 6, false},       {"odd.bmp", BmpOf(5, 4), 5, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(testsupport::WriteFile(Game(c.name), c.file));
        const std::uint32_t cachedBefore = m_host.Cache().Count();
        DirectDrawImage image;
        ASSERT_EQ(0, image.Load(FromFile(c.name)));
        EXPECT_EQ(kPixelFormatXrgb32, image.FormatCode());
        EXPECT_EQ(c.width, image.Width());
        EXPECT_EQ(4, image.Height());
        EXPECT_EQ(c.width * 4 + (c.width & 1) * 4, image.Pitch()) << "Wine's row length";
        EXPECT_EQ(c.direct ? cachedBefore : cachedBefore + 1, m_host.Cache().Count());
        const Units expected = SoftwarePixels(c.name);
        ASSERT_EQ(static_cast<std::size_t>(c.width * 4), expected.size());
        EXPECT_EQ(expected, PixelsOf(image));
        ASSERT_NE(nullptr, image.FileName());
        EXPECT_GT(std::strlen(image.FileName()), std::strlen(c.name)) << "the resolved path";
    }
}

TEST_F(DirectDrawImageOnWine, TheOriginComesFromTheElgHeaderOnBothPaths) {
    for (bool cache : {false, true}) {
        Cache(cache);
        for (std::int32_t width : {6, 5}) {
            SCOPED_TRACE(testing::Message() << "width " << width << (cache ? ", cache" : ""));
            const Bytes file = testsupport::ElgFile(24, static_cast<std::uint16_t>(width), 2)
                                   .Origin(5, -3)
                                   .Streams({testsupport::ElgStream::Encode(testsupport::ElgStream::kPixelCode,
                                                                            Picture(width, 2), width)})
                                   .Bytes();
            DirectDrawImage image;
            ASSERT_EQ(0, image.Load(FromData(file)));
            EXPECT_EQ(5, image.OriginX());
            EXPECT_EQ(-3, image.OriginY());
            EXPECT_EQ(nullptr, image.FileName());
            EXPECT_EQ(Picture(width, 2), PixelsOf(image));
        }
    }
}

TEST_F(DirectDrawImageOnWine, ASecondLoadOfAFileHitsTheCache) {
    Cache(true);
    ASSERT_TRUE(testsupport::WriteFile(Game("hit.bmp"), BmpOf(5, 3)));
    DirectDrawImage first, second;
    ASSERT_EQ(0, first.Load(FromFile("hit.bmp")));
    ASSERT_TRUE(testsupport::WriteFile(Game("hit.bmp"), BmpOf(7, 2)));
    ASSERT_EQ(0, second.Load(FromFile("hit.bmp")));
    EXPECT_EQ(5, second.Width());
    EXPECT_EQ(PixelsOf(first), PixelsOf(second));
    EXPECT_EQ(1u, m_host.Cache().Count());
}

// What the display's format makes of a plain image 101 pixels wide: its format code, the width
// asked of DirectDraw (three-byte pixels get an even row), which bits GetPixel keeps of a pixel
// with every bit set, and how a colour is packed for a key and for a fill.
TEST_F(DirectDrawImageOnWine, EachDisplayFormatPacksKeysAndFillsInItsPixels) {
    struct Case {
        const char* name;
        DDPIXELFORMAT format;
        std::uint8_t depth;
        std::int32_t formatCode;
        DWORD askedWidth;
        std::int32_t colourBits;
        std::int32_t packed;  // of (0xFF, 0x80, 0x08)
    };
    const Case cases[] = {
        {"24-bit", Rgb24(), 24, kPixelFormatRgb24, 102, 0xFFFFFF, 0xFF8008},
        {"5-5-5", Rgb555(), 16, kPixelFormatRgb555, 101, 0x7FFF, 0x7E01},
        {"5-6-5", Rgb565(), 16, kPixelFormatRgb565, 101, 0xFFFF, 0xFC01},
        {"ARGB 1-5-5-5 is kept as 5-5-5", Argb1555(), 16, kPixelFormatRgb555, 101, 0x7FFF, 0x7E01},
        {"8-bit: red is the index", Palette8(), 8, kPixelFormatPalette8, 101, 0xFF, 0xFF},
        {"xRGB", Xrgb32(), 32, kPixelFormatXrgb32, 101, 0xFFFFFF, 0xFF8008},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShimmedDisplay display(m_device.DirectDraw(), c.format, c.depth);
        DDSURFACEDESC2 mode = {};
        mode.dwSize = sizeof(mode);
        ASSERT_EQ(DD_OK, display.shim.GetDisplayMode(&mode));
        EXPECT_EQ(c.format.dwRGBBitCount, mode.ddpfPixelFormat.dwRGBBitCount) << "the display reported";
        DirectDrawImage image;
        ASSERT_EQ(0, image.Create(101, 3, false, false, nullptr));
        EXPECT_EQ(c.formatCode, image.FormatCode());
        EXPECT_EQ(c.askedWidth, display.shim.lastCreate.dwWidth);
        EXPECT_EQ(101, image.Width());
        RECT clip;
        image.GetClipRect(&clip);
        EXPECT_EQ(101, clip.right);
        ASSERT_TRUE(PokePixel(image.GetSurface(), 100, 2, 0xFFFFFFFFu));
        EXPECT_EQ(c.colourBits, image.GetPixel(100, 2));
        EXPECT_EQ(-1, image.GetPixel(101, 2));
        EXPECT_EQ(-1, image.GetPixel(0, -1));

        ASSERT_EQ(0, image.SetColourKeyRgb(0xFF, 0x80, 0x08));
        EXPECT_EQ(c.packed, image.ColourKey());
        EXPECT_EQ(c.packed, SurfaceKey(image.GetSurface()));
        ASSERT_EQ(0, image.FillColour(0xFF, 0x80, 0x08));
        EXPECT_EQ(c.packed, image.GetPixel(0, 0));
        EXPECT_EQ(c.packed, image.GetPixel(100, 2));
        EXPECT_EQ(0xFF8008, image.FillColourValue());

        ASSERT_EQ(0, image.SetColourKeyFromPixel(7, 1));
        EXPECT_EQ(c.packed, SurfaceKey(image.GetSurface()));
        EXPECT_EQ(7, image.KeyPixelX());
        EXPECT_EQ(1, image.KeyPixelY());
        ASSERT_EQ(0, image.ClearColourKey());
        EXPECT_EQ(-1, SurfaceKey(image.GetSurface()));
        EXPECT_EQ(-1, image.ColourKey());
        EXPECT_EQ(-1, image.KeyPixelX());
    }
}

// A palettised display takes decoded pictures by SetDIBitsToDevice, through the colours of the
// surface's device context: black and white are the first and last entries.
TEST_F(DirectDrawImageOnWine, APalettisedDisplayTakesPicturesThroughGdi) {
    ShimmedDisplay display(m_device.DirectDraw(), Palette8(), 8);
    testsupport::DibLayout layout;
    layout.bitCount = 24;
    layout.width = 4;
    layout.rows = {{0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000}, {0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF}};
    ASSERT_TRUE(testsupport::WriteFile(Game("bw.bmp"), testsupport::BmpFile(layout)));
    DirectDrawImage image;
    ASSERT_EQ(0, image.Load(FromFile("bw.bmp")));
    EXPECT_EQ(kPixelFormatPalette8, image.FormatCode());
    EXPECT_EQ((Units{0, 255, 255, 0, 255, 0, 0, 255}), PixelsOf(image));

    // An ELG picture of even width goes through the host's decoder too.
    DirectDrawImage elg;
    ASSERT_EQ(0, elg.Load(FromData(ElgOf(24, 6, 2))));
    EXPECT_EQ(kPixelFormatPalette8, elg.FormatCode());
}

// Textures ask for managed memory only from a device that manages textures, and keep an alpha
// format's code; plain images drop the alpha from theirs.
TEST_F(DirectDrawImageOnWine, TexturesAndPlainImagesAskForTheirMemoryAndKeepTheirFormats) {
    struct Case {
        const char* name;
        bool manages;
        bool systemMemory;
        bool texture;
        DDPIXELFORMAT format;
        DWORD caps;
        DWORD caps2;
        std::int32_t formatCode;
    };
    const Case cases[] = {
        {"managed texture", true, false, true, Argb32(), DDSCAPS_TEXTURE, DDSCAPS2_TEXTUREMANAGE,
         kPixelFormatArgb32},
        {"texture of a device that does not manage", false, false, true, Argb1555(),
         DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY, 0, kPixelFormatArgb1555},
        {"texture in system memory", true, true, true, Argb32(), DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY, 0,
         kPixelFormatArgb32},
        {"plain ARGB 32", true, false, false, Argb32(), DDSCAPS_OFFSCREENPLAIN, 0, kPixelFormatXrgb32},
        {"plain ARGB 1-5-5-5", false, false, false, Argb1555(), DDSCAPS_OFFSCREENPLAIN, 0, kPixelFormatRgb555},
        {"plain in system memory", false, true, false, Rgb565(), DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY,
         0, kPixelFormatRgb565},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShimmedDisplay display(m_device.DirectDraw(), Xrgb32(), 32);
        display.shim.addedCaps2 = c.manages ? DDCAPS2_CANMANAGETEXTURE : 0;
        display.device.AdoptDirectDraw(&display.shim, false);
        ASSERT_EQ(c.manages, display.device.ManagesTextures());
        display.ServeFakes();
        DirectDrawImage image;
        ASSERT_EQ(0, image.Create(9, 4, c.systemMemory, c.texture, &c.format));
        const DDSURFACEDESC2& asked = display.shim.lastCreate;
        EXPECT_EQ(c.caps, asked.ddsCaps.dwCaps);
        EXPECT_EQ(c.caps2, asked.ddsCaps.dwCaps2);
        EXPECT_EQ(c.texture, (asked.dwFlags & DDSD_TEXTURESTAGE) != 0);
        EXPECT_EQ(9u, asked.dwWidth);
        EXPECT_EQ(c.formatCode, image.FormatCode());
        EXPECT_EQ(c.systemMemory, image.SystemMemory());
        image.Free();
    }
}

TEST_F(DirectDrawImageOnWine, RestoreRebuildsThePictureAsItWasMade) {
    Cache(false);
    ASSERT_TRUE(testsupport::WriteFile(Game("r.elg"), ElgOf(24, 6, 3)));
    const Units loaded = Picture(6, 3);
    struct Case {
        const char* name;
        bool load;
        bool fill;            // FillColour(0x20, 0x40, 0x80) after the load or create
        bool keyFromPixel;    // at (2, 1)
        bool keyFromColour;   // (1, 2, 3)
        bool changeFile;      // the file holds another picture before Restore
        bool onlyIfLost;
        std::uint32_t expectAt00;
    };
    const Case cases[] = {
        {"a file is reloaded", true, false, false, false, false, false, loaded[0]},
        {"a fill is refilled", false, true, false, false, false, false, 0x204080},
        {"a fill after a load is refilled, not reloaded", true, true, false, false, false, false, 0x204080},
        {"a key from a pixel is taken again there", true, false, true, false, true, false, 0x00FFFFFF},
        {"a key from a colour is set again", false, true, false, true, false, false, 0x204080},
        {"an intact surface is left alone when only a lost one is asked for", true, false, true, false, false,
         true, 0x123456},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(testsupport::WriteFile(Game("r.elg"), ElgOf(24, 6, 3)));
        DirectDrawImage image;
        if (c.load) {
            ASSERT_EQ(0, image.Load(FromFile("r.elg")));
        } else {
            ASSERT_EQ(0, image.Create(6, 3, false, false, nullptr));
        }
        EXPECT_EQ(0, c.fill ? image.FillColour(0x20, 0x40, 0x80) : 0);
        EXPECT_EQ(0, c.keyFromPixel ? image.SetColourKeyFromPixel(2, 1) : 0);
        EXPECT_EQ(0, c.keyFromColour ? image.SetColourKeyRgb(1, 2, 3) : 0);
        if (c.changeFile) {
            Units other(6 * 3, 0x00FFFFFF);
            other[1 * 6 + 2] = 0x00ABCDEF;
            ASSERT_TRUE(testsupport::WriteFile(Game("r.elg"), testsupport::EncodeElgPicture(24, 6, 3, other)));
        }
        const std::int64_t keyBefore = SurfaceKey(image.GetSurface());
        ASSERT_TRUE(PokePixel(image.GetSurface(), 0, 0, 0x123456));
        ASSERT_EQ(0, image.Restore(c.onlyIfLost));
        EXPECT_EQ(c.expectAt00, static_cast<std::uint32_t>(image.GetPixel(0, 0)));
        EXPECT_EQ(6, image.Width());
        if (c.fill) {
            EXPECT_EQ(0x204080, image.FillColourValue());
        }
        EXPECT_EQ(c.load && !c.fill, image.FileName() != nullptr);
        if (c.changeFile) {
            EXPECT_EQ(0xABCDEF, image.ColourKey());
            EXPECT_EQ(0xABCDEF, SurfaceKey(image.GetSurface()));
            EXPECT_EQ(2, image.KeyPixelX());
            EXPECT_EQ(1, image.KeyPixelY());
        } else if (c.keyFromColour) {
            EXPECT_EQ(0x010203, image.ColourKey());
            EXPECT_EQ(0x010203, SurfaceKey(image.GetSurface()));
        } else {
            EXPECT_EQ(keyBefore, SurfaceKey(image.GetSurface()));
        }
    }
}

TEST_F(DirectDrawImageOnWine, ImagesCopyTheirPixelsOutOfADirectDrawImage) {
    DirectDrawImage source;
    ASSERT_EQ(0, source.Load(FromData(ElgOf(24, 6, 4))));
    Image copy;
    ASSERT_EQ(0, copy.Create(8, 5, 32, kImageDibSection));
    copy.FillValue(0x11111111u, nullptr);
    const RECT part = {1, 1, 5, 4};
    ASSERT_EQ(0, copy.BltFromSurface(&source, 2, 1, &part));
    for (std::int32_t y = 0; y < 5; ++y) {
        for (std::int32_t x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 1 && y < 4;
            const std::uint32_t expected = inside ? Picture(6, 4)[(y) * 6 + (x - 1)] : 0x11111111u;
            EXPECT_EQ(expected, inside ? copy.GetPixel(x, y) & 0x00FFFFFFu : copy.GetPixel(x, y))
                << x << ", " << y;
        }
    }
}

TEST_F(DirectDrawImageOnWine, SoftwareImagesCopyIntoTheSurfaceWithinItsClipRectangle) {
    DirectDrawImage image;
    ASSERT_EQ(0, image.Create(6, 4, false, false, nullptr));
    ASSERT_EQ(0, image.FillColour(0, 0, 0));
    Image picture;
    ASSERT_EQ(0, picture.Create(3, 3, 32, 0));
    picture.FillValue(0x00C0FFEEu, nullptr);
    const RECT clip = {0, 0, 5, 4};
    image.SetClipRect(&clip);
    ASSERT_EQ(0, image.CopyFromImage(&picture, 3, 2, nullptr, nullptr));
    EXPECT_EQ(0xC0FFEE, image.GetPixel(3, 2));
    EXPECT_EQ(0xC0FFEE, image.GetPixel(4, 3));
    EXPECT_EQ(0, image.GetPixel(5, 2)) << "outside the clip rectangle";
    EXPECT_EQ(0, image.GetPixel(2, 2));
    DirectDrawImage empty;
    EXPECT_EQ(1, empty.CopyFromImage(&picture, 0, 0, nullptr, nullptr));
    EXPECT_EQ(1, image.CopyFromImage(nullptr, 0, 0, nullptr, nullptr));
}

// On 16- and 24-bit displays decoded pictures go through the converter of the surface's format:
// each pixel is the software image's colour packed by that format's rule.
TEST_F(DirectDrawImageOnWine, SixteenAndTwentyFourBitDisplaysConvertDecodedPictures) {
    testsupport::DibLayout paletted;
    paletted.bitCount = 8;
    paletted.width = 5;
    paletted.palette = Palette();
    const std::vector<std::uint8_t> indices = Indices(5, 3);
    for (int y = 0; y < 3; ++y) paletted.rows.emplace_back(indices.begin() + 5 * y, indices.begin() + 5 * y + 5);
    ASSERT_TRUE(testsupport::WriteFile(Game("p8.bmp"), testsupport::BmpFile(paletted)));
    ASSERT_TRUE(testsupport::WriteFile(Game("p24.bmp"), BmpOf(7, 3)));
    ASSERT_TRUE(testsupport::WriteFile(Game("odd.elg"), ElgOf(32, 5, 4)));
    struct Case {
        const char* name;
        DDPIXELFORMAT format;
        std::uint8_t depth;
        std::uint32_t (*pack)(std::uint32_t rgb);
    };
    const Case cases[] = {
        {"5-5-5", Rgb555(), 16,
         [](std::uint32_t p) { return ((p >> 9) & 0x7C00) | ((p >> 6) & 0x03E0) | ((p >> 3) & 0x001F); }},
        {"ARGB 1-5-5-5 display", Argb1555(), 16,
         [](std::uint32_t p) { return ((p >> 9) & 0x7C00) | ((p >> 6) & 0x03E0) | ((p >> 3) & 0x001F); }},
        {"5-6-5", Rgb565(), 16,
         [](std::uint32_t p) { return ((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F); }},
        {"24-bit", Rgb24(), 24, [](std::uint32_t p) { return p & 0x00FFFFFF; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShimmedDisplay display(m_device.DirectDraw(), c.format, c.depth);
        for (const char* name : {"p8.bmp", "p24.bmp", "odd.elg"}) {
            SCOPED_TRACE(name);
            DirectDrawImage image;
            ASSERT_EQ(0, image.Load(FromFile(name)));
            Units want = SoftwarePixels(name);
            ASSERT_FALSE(want.empty());
            for (std::uint32_t& p : want) p = c.pack(p);
            EXPECT_EQ(want, PixelsOf(image));
        }
    }
}

}  // namespace
