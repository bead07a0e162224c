// TextureText on Wine's Direct3D device: sizes under the device's texture rules, texture
// coordinates, the alpha of GDI text in an ARGB texture, and a drawing failure that is answered
// instead of an empty texture.
#include <gtest/gtest.h>

#include "graphics/compose/math_tables.h"
#include "graphics/compose/pixel_format.h"
#include "graphics/device/screen_device.h"
#include "graphics/text/antialias_font.h"
#include "graphics/text/default_font.h"
#include "graphics/text/gdi_font.h"
#include "graphics/surfaces/texture_image.h"
#include "graphics/text/texture_text.h"
#include "tests/graphics/surfaces/texture_fixture.h"

namespace {

const char kGothic[] = "ＭＳ ゴシック";
constexpr std::uint32_t kPow2 = D3DPTEXTURECAPS_POW2;

class TextureTextOnWine : public ddimage::TextureFixture {
protected:
    void SetUp() override {
        TextureFixture::SetUp();
        g_mathTables = &m_tables;
        DefaultFont = nullptr;
        ASSERT_EQ(0, m_gdi.SetFont(20, false, 0, kGothic));
        m_gdi.colour[0] = 255;
        m_gdi.colour[1] = 0;
        m_gdi.colour[2] = 0;
        m_gdi.SetLevel(0);
    }
    void TearDown() override {
        DefaultFont = nullptr;
        g_mathTables = nullptr;
        TextureFixture::TearDown();
    }
    MathTables m_tables;
    GdiFont m_gdi;
};

TEST_F(TextureTextOnWine, SizedByTheDeviceRules) {
    std::int32_t size[2] = {0, 0};
    m_gdi.TextExtent("ABCDE", size, nullptr, nullptr, true, nullptr);
    ASSERT_LT(16, size[0]);
    struct Case {
        const char* name;
        std::uint32_t caps;
        std::uint32_t maxSide;
        std::int32_t width, height;
    };
    auto pow2 = [](std::int32_t v) {
        std::int32_t p = 1;
        while (p < v) p <<= 1;
        return p;
    };
    const Case cases[] = {
        {"as measured", 0, 16384, size[0], size[1]},
        {"powers of two", kPow2, 16384, pow2(size[0]), pow2(size[1])},
        {"square", kPow2 | D3DPTEXTURECAPS_SQUAREONLY, 16384, pow2(size[0]), pow2(size[0])},
        {"too wide", 0, 16, 16, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Caps(c.caps, c.maxSide);
        TextureText text;
        ASSERT_EQ(0, text.SetText(kPixelFormatXrgb32, "ABCDE", &m_gdi));
        EXPECT_EQ(kSurfaceTextureText, text.Kind());
        EXPECT_EQ(c.width, text.TextureWidth());
        EXPECT_EQ(c.height, text.TextureHeight());
        EXPECT_EQ(size[0], text.PictureWidth());
        EXPECT_EQ(size[1], text.PictureHeight());
        EXPECT_FLOAT_EQ(TextureCoordinate(size[0] - 1, c.width, size[0]), text.U(size[0] - 1));
        if (c.width >= size[0]) {
            EXPECT_FLOAT_EQ((size[0] - 1 + 0.5f) / c.width, text.U(size[0] - 1));
        }
        EXPECT_NE(-1, text.ColourKey()) << "background mode 1 keys the background";
    }
}

// GDI clears the alpha of the pixels it draws into an ARGB 8888 texture; the level-0 path lays
// the background opaque and flips the alpha after, so the text is opaque and the rest clear.
TEST_F(TextureTextOnWine, GdiTextInAnArgbTextureIsOpaqueWhereItDraws) {
    Caps(m_wineCaps);
    m_gdi.SetBackground(0, 0, 0, 255);
    TextureText text;
    ASSERT_EQ(0, text.SetText(kPixelFormatArgb32, "AB", &m_gdi));
    const ddimage::Units pixels = ddimage::RawPixels(text.GetSurface(), text.PictureWidth(), text.PictureHeight());
    ASSERT_FALSE(pixels.empty());
    int opaqueRed = 0;
    int clearBlue = 0;
    for (std::uint32_t p : pixels) {
        if ((p >> 24) == 0xFF && ((p >> 16) & 0xFF) > 0x80 && (p & 0xFF) < 0x80) ++opaqueRed;
        if ((p >> 24) == 0 && (p & 0xFF) == 0xFF) ++clearBlue;
    }
    EXPECT_LT(10, opaqueRed);
    EXPECT_LT(10, clearBlue);
    EXPECT_EQ(-1, text.ColourKey()) << "background mode 0 clears the key";
}

// A GDI font that measures and draws lines as usual but whose blended drawing fails.
class FailingBlendFont final : public GdiFont {
public:
    std::int32_t BlendString(PixelBuffer*, std::int32_t, std::int32_t, const char*, RECT*, std::int32_t*) override {
        return 3;
    }
    std::int32_t DrawString(PixelBuffer*, std::int32_t, std::int32_t, const char*, RECT*, std::int32_t*) override {
        return 3;
    }
};

// A drawing that fails makes the render fail with its code; no empty texture is kept.
TEST_F(TextureTextOnWine, DrawingFailureIsAnswered) {
    Caps(m_wineCaps);
    FailingBlendFont font;
    ASSERT_EQ(0, font.SetFont(20, false, 0, kGothic));
    font.SetLevel(2);
    for (std::int32_t format : {kPixelFormatXrgb32, kPixelFormatArgb32}) {
        SCOPED_TRACE(format);
        TextureText text;
        EXPECT_EQ(2 + 4 + 2, text.SetText(format, "Ab", &font)) << "the drawing's failure, + 4, + 2";
        EXPECT_EQ(nullptr, text.GetSurface());
        EXPECT_EQ(nullptr, text.Text());
        EXPECT_EQ(0, text.PictureWidth());
    }
    TextureText text;
    EXPECT_EQ(3, text.SetText(kPixelFormatXrgb32, "A", nullptr)) << "no font: 1 + 2";
    EXPECT_EQ(4, text.SetText(12345, "A", &m_gdi)) << "no format for the code: 2 + 2";
}

TEST_F(TextureTextOnWine, ScreenDeviceMakesTextTexturesKnownByBothFaces) {
    Caps(m_wineCaps);
    ScreenDevice device;
    device.AdoptDirectDraw(m_d3d.DirectDraw(), true);
    device.m_displayDepth = 32;
    ASSERT_EQ(0, device.AdoptDevice(m_d3d.Device()));
    Font* font = nullptr;
    ASSERT_EQ(0, device.CreateGdiFont(&font, kGothic, 16));
    font->SetLevel(0);  // the key path; the other levels are drawn above
    Texture* texture = nullptr;
    ASSERT_EQ(0, device.CreateTextureText(&texture, font, "Ab", kPixelFormatXrgb32));
    EXPECT_EQ(texture, device.FindTexture(HandleTable<Surface>::WordOf(texture)));
    Font* ref = font;
    ASSERT_EQ(0, device.ReleaseFont(&ref));
    EXPECT_EQ(nullptr, static_cast<TextureText*>(texture)->GetFont());
    EXPECT_EQ(0, device.ReleaseImage(texture));
    device.DestroyAllObjects();
    device.ReleaseDevice();
    device.ReleaseDirectDraw();
}

}  // namespace
