// Texture pictures: the texture size and coordinates as pure functions of the caps, and loads
// into Wine's Direct3D textures (straight ELG decoding, the host's decoder, alpha, shrinking,
// the minimum size, the result codes, Restore).
#include "graphics/surfaces/texture_image.h"

#include <gtest/gtest.h>

#include "graphics/compose/pixel_format.h"
#include "graphics/image/image.h"
#include "tests/graphics/surfaces/texture_fixture.h"

namespace {

using namespace ddimage;

constexpr std::uint32_t kPow2 = D3DPTEXTURECAPS_POW2;

TEST(TextureSize, FollowsTheCapsAndTheLimits) {
    struct Case {
        const char* name;
        std::int32_t w, h;
        std::uint32_t caps, minSide, maxSide;
        TextureSize want;
    };
    const Case cases[] = {
        {"powers of two", 300, 200, kPow2, 1, 2048, {512, 256, false}},
        {"square as well", 300, 200, kPow2 | D3DPTEXTURECAPS_SQUAREONLY, 1, 2048, {512, 512, false}},
        {"powers of two only where needed", 300, 200, kPow2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL, 1, 2048,
         {300, 200, false}},
        {"no rounding asked", 300, 200, 0, 1, 2048, {300, 200, false}},
        {"too wide: the maximum", 3000, 100, kPow2, 1, 2048, {2048, 128, true}},
        {"below the minimum", 20, 10, 0, 64, 2048, {64, 64, false}},
        {"one pixel", 1, 1, kPow2, 1, 2048, {1, 1, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TextureSize got = TextureSizeFor(c.w, c.h, c.caps, c.minSide, c.minSide, c.maxSide, c.maxSide);
        EXPECT_EQ(c.want.width, got.width);
        EXPECT_EQ(c.want.height, got.height);
        EXPECT_EQ(c.want.tooLarge, got.tooLarge);
    }
}

TEST(TextureSize, CoordinatesHitTheTexelCentresInSinglePrecision) {
    EXPECT_EQ(0.5f / 512, TextureCoordinate(0, 512, 300));
    EXPECT_EQ(299.5f / 512, TextureCoordinate(299, 512, 300));
    // Shrunk 3000 -> 2048: (x * 2048 / 3000 + 0.5) / 2048.
    EXPECT_EQ(0.5f / 2048, TextureCoordinate(0, 2048, 3000));
    EXPECT_EQ(512.5f / 2048, TextureCoordinate(750, 2048, 3000));
    EXPECT_EQ(1024.5f / 2048, TextureCoordinate(1500, 2048, 3000));
    // x x T rounds to single precision before the division: 16777217 is not a float.
    EXPECT_EQ((16777216.0f / 16777217.0f + 0.5f) / 16777216.0f, TextureCoordinate(1, 16777216, 16777217));
}

using TextureImageOnWine = TextureFixture;

Units SoftwarePixels(const char* name) {
    Image image;
    if (image.Load(name, nullptr, 0, 0) != 0) return {};
    Units out;
    for (std::int32_t y = 0; y < image.Height(); ++y)
        for (std::int32_t x = 0; x < image.Width(); ++x) out.push_back(image.GetPixel(x, y) & 0x00FFFFFFu);
    return out;
}

// The texture's top-left picture-sized corner, colour bits only.
Units PicturePixels(TextureImage& texture) {
    Units out;
    for (std::int32_t y = 0; y < texture.PictureHeight(); ++y)
        for (std::int32_t x = 0; x < texture.PictureWidth(); ++x)
            out.push_back(static_cast<std::uint32_t>(texture.GetPixel(x, y)) & 0x00FFFFFFu);
    return out;
}

TEST_F(TextureImageOnWine, ElgGoesStraightInWhenThePitchAllowsElseThroughTheHostWithTheSamePixels) {
    ASSERT_TRUE(testsupport::WriteFile(Game("p8.elg"), ElgOf(8, 6, 4)));
    ASSERT_TRUE(testsupport::WriteFile(Game("p24.elg"), ElgOf(24, 6, 4)));
    ASSERT_TRUE(testsupport::WriteFile(Game("p32.elg"), ElgOf(32, 6, 4)));
    for (const char* name : {"p8.elg", "p24.elg", "p32.elg"}) {
        SCOPED_TRACE(name);
        Cache(false);
        const Units want = SoftwarePixels(name);
        for (bool rounded : {false, true}) {
            SCOPED_TRACE(rounded ? "rounded to 8 x 4" : "6 x 4");
            Caps(rounded ? kPow2 : kPow2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL);
            // A fresh cache: what the host decodes enters it, what goes straight in does not.
            Cache(false);
            Cache(true);
            ASSERT_EQ(0u, m_host.Cache().Count());
            TextureImage texture;
            ASSERT_EQ(0, texture.Load(kPixelFormatXrgb32, name, nullptr, 0, false));
            EXPECT_EQ(rounded ? 8 : 6, texture.TextureWidth());
            EXPECT_EQ(4, texture.TextureHeight());
            EXPECT_EQ(6, texture.PictureWidth());
            EXPECT_EQ(kSurfaceTextureImage, texture.Kind());
            EXPECT_EQ(kPixelFormatXrgb32, texture.FormatCode());
            EXPECT_EQ(want, PicturePixels(texture));
            EXPECT_EQ(rounded ? 1u : 0u, m_host.Cache().Count()) << (rounded ? "decoded by the host" : "straight in");
            EXPECT_NE(nullptr, texture.FileName());
        }
    }
}

TEST_F(TextureImageOnWine, ArgbTexturesGetOpaqueAlphaOrTheAlphaStream) {
    struct Case {
        std::uint8_t depth;
        std::uint32_t alpha;
    };
    for (const Case& c : {Case{8, 0xFF}, Case{24, 0xFF}, Case{32, 0x9A}}) {
        SCOPED_TRACE(int(c.depth));
        for (bool rounded : {false, true}) {
            // 6 x 3 straight into the texture; rounded to 8 x 4, through the host's decoder.
            Caps(rounded ? kPow2 : kPow2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL);
            const std::int32_t width = 6;
            const Bytes data = ElgOf(c.depth, width, 3);
            TextureImage texture;
            ASSERT_EQ(0, texture.Load(kPixelFormatArgb32, nullptr, data.data(), static_cast<std::uint32_t>(data.size()), false));
            EXPECT_EQ(kPixelFormatArgb32, texture.FormatCode());
            for (std::uint32_t pixel : RawPixels(texture.GetSurface(), width, 3)) ASSERT_EQ(c.alpha, pixel >> 24);
        }
    }
}

TEST_F(TextureImageOnWine, LoadAnswersItsCodesAndLeavesNothingBehind) {
    Caps(m_wineCaps);
    const Bytes good = ElgOf(24, 6, 4);
    const Bytes bad = {'E', 'L', 'G', 1, 2};
    const Bytes junk = {1, 2, 3, 4, 5, 6, 7, 8};
    auto load = [](TextureImage& t, std::int32_t code, const Bytes& data) {
        return t.Load(code, nullptr, data.data(), static_cast<std::uint32_t>(data.size()), false);
    };
    TextureImage texture;
    ASSERT_EQ(0, load(texture, kPixelFormatXrgb32, good));
    EXPECT_EQ(2, load(texture, kPixelFormatRgb24, good)) << "Wine offers no 24-bit texture";
    EXPECT_EQ(nullptr, texture.GetSurface());
    EXPECT_EQ(0, texture.PictureWidth());
    EXPECT_EQ(3, texture.Load(kPixelFormatXrgb32, "missing.elg", nullptr, 0, false));
    EXPECT_EQ(3, texture.Load(kPixelFormatXrgb32, nullptr, nullptr, 0, false));
    EXPECT_EQ(4, load(texture, kPixelFormatXrgb32, bad));
    EXPECT_EQ(4, load(texture, kPixelFormatXrgb32, junk));
    {
        ShimmedDisplay display(m_d3d.DirectDraw(), Xrgb32(), 32);
        display.shim.failing = testsupport::DisplayShim::Call::kCreateSurface;
        EXPECT_EQ(5, load(texture, kPixelFormatXrgb32, good));
    }
    CurrentDirectDrawDevice = &m_d3d;
    CurrentDirect3DDevice = nullptr;
    EXPECT_EQ(1, load(texture, kPixelFormatXrgb32, good));
    CurrentDirect3DDevice = &m_d3d;
    g_imageLoaderHost = nullptr;
    EXPECT_EQ(4, load(texture, kPixelFormatXrgb32, good));
    g_imageLoaderHost = &m_host;
    EXPECT_EQ(nullptr, texture.GetSurface());
}

// Bands of 300 columns, each one colour: a linear stretch keeps each band's colour at its centre.
TEST_F(TextureImageOnWine, APictureWiderThanTheMaximumIsShrunkIntoTheLargestTexture) {
    Caps(kPow2, 2048);
    testsupport::DibLayout layout;
    layout.bitCount = 24;
    layout.width = 3000;
    std::vector<std::uint32_t> row;
    for (int x = 0; x < 3000; ++x) row.push_back(0x100000u * static_cast<std::uint32_t>(x / 300 + 1) + 0x0040u);
    layout.rows.assign(100, row);
    ASSERT_TRUE(testsupport::WriteFile(Game("wide.bmp"), testsupport::BmpFile(layout)));
    TextureImage texture;
    ASSERT_EQ(0, texture.Load(kPixelFormatArgb32, "wide.bmp", nullptr, 0, false));
    EXPECT_EQ(2048, texture.TextureWidth());
    EXPECT_EQ(128, texture.TextureHeight());
    EXPECT_EQ(3000, texture.PictureWidth());
    EXPECT_EQ(100, texture.PictureHeight());
    EXPECT_EQ(1024.5f / 2048, texture.U(1500));
    EXPECT_EQ(0.5f / 128, texture.V(0));
    for (int band = 0; band < 10; ++band) {
        const int centre = (300 * band + 150) * 2048 / 3000;
        for (int y : {0, 50, 99})
            EXPECT_EQ(static_cast<std::int32_t>(row[300 * band]), texture.GetPixel(centre, y)) << band << "," << y;
    }
}

TEST_F(TextureImageOnWine, APictureBelowTheMinimumSitsInTheTopLeftCorner) {
    Caps(0, 16384, 16);
    const Bytes data = ElgOf(24, 5, 3);
    ASSERT_TRUE(testsupport::WriteFile(Game("small.elg"), data));
    TextureImage texture;
    ASSERT_EQ(0, texture.Load(kPixelFormatXrgb32, "small.elg", nullptr, 0, false));
    EXPECT_EQ(16, texture.TextureWidth());
    EXPECT_EQ(16, texture.TextureHeight());
    EXPECT_EQ(5, texture.PictureWidth());
    EXPECT_EQ(SoftwarePixels("small.elg"), PicturePixels(texture));
    EXPECT_EQ(2.5f / 16, texture.U(2));
}

TEST_F(TextureImageOnWine, RestoreReloadsFromTheFileWithItsKeyButNotFromMemory) {
    Caps(m_wineCaps);
    const Bytes data = ElgOf(24, 6, 4);
    TextureImage fromMemory;
    ASSERT_EQ(0, fromMemory.Load(kPixelFormatXrgb32, nullptr, data.data(), static_cast<std::uint32_t>(data.size()), false));
    EXPECT_EQ(0, fromMemory.Restore(true)) << "not lost";
    EXPECT_EQ(1, fromMemory.Restore(false));

    ASSERT_TRUE(testsupport::WriteFile(Game("k.elg"), data));
    TextureImage fromFile;
    ASSERT_EQ(0, fromFile.Load(kPixelFormatXrgb32, "k.elg", nullptr, 0, false));
    const std::int32_t keyed = fromFile.GetPixel(2, 1);
    ASSERT_EQ(0, fromFile.SetColourKeyFromPixel(2, 1));
    const Units before = PicturePixels(fromFile);
    ASSERT_EQ(0, fromFile.Restore(false));
    EXPECT_EQ(before, PicturePixels(fromFile));
    EXPECT_EQ(keyed, fromFile.ColourKey());
    EXPECT_EQ(keyed, SurfaceKey(fromFile.GetSurface()));
    EXPECT_EQ(2, fromFile.KeyPixelX());
}

}  // namespace
