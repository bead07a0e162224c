// TextBitmapImage on Wine's DirectDraw with the IPA faces: the text shows in its colour, a
// restore gives the same pixels with each kind of key, and a font deleted by the screen device
// is forgotten by the text bitmaps that borrow it.
#include <gtest/gtest.h>

#include "graphics/compose/math_tables.h"
#include "graphics/device/screen_device.h"
#include "graphics/text/antialias_font.h"
#include "graphics/text/default_font.h"
#include "graphics/text/gdi_font.h"
#include "graphics/text/text_bitmap_image.h"
#include "tests/graphics/poisoning_delete.h"
#include "tests/graphics/surfaces/direct_draw_image_fixture.h"

namespace {

const char kGothic[] = "ＭＳ ゴシック";

class TextBitmapOnWine : public ddimage::DirectDrawImageFixture {
protected:
    void SetUp() override {
        DirectDrawImageFixture::SetUp();
        g_mathTables = &m_tables;
        DefaultFont = nullptr;
        ASSERT_EQ(0, m_gdi.SetFont(20, false, 0, kGothic));
        ASSERT_EQ(0, m_antialias.SetFont(20, false, 0, kGothic));
        for (Font* f : {static_cast<Font*>(&m_gdi), static_cast<Font*>(&m_antialias)}) {
            f->colour[0] = 255;
            f->colour[1] = 0;
            f->colour[2] = 0;
        }
    }
    void TearDown() override {
        DefaultFont = nullptr;
        g_mathTables = nullptr;
        DirectDrawImageFixture::TearDown();
    }
    static int RedPixels(DirectDrawImage& image) {
        int count = 0;
        for (std::int32_t y = 0; y < image.Height(); ++y)
            for (std::int32_t x = 0; x < image.Width(); ++x)
                {
                    // Red over the green background: smoothed edges count as long as red leads.
                    const std::uint32_t p = static_cast<std::uint32_t>(image.GetPixel(x, y));
                    if (((p >> 16) & 0xFF) > ((p >> 8) & 0xFF) + 0x40 && (p & 0xFF) < 0x40) ++count;
                }
        return count;
    }

    MathTables m_tables;
    GdiFont m_gdi;
    AntialiasFont m_antialias;
};

TEST_F(TextBitmapOnWine, ShowsTheTextAndRestoresTheSamePixelsOnEveryKeyPath) {
    struct Case {
        const char* name;
        Font* font;
        std::uint8_t level;
        int key;  // 0 as rendered, 1 a colour set afterwards, 2 a pixel, 3 cleared
    };
    const Case cases[] = {
        {"gdi level 0", &m_gdi, 0, 0},      {"gdi level 2", &m_gdi, 2, 0},
        {"antialias", &m_antialias, 2, 0},  {"colour key", &m_gdi, 0, 1},
        {"pixel key", &m_gdi, 0, 2},        {"no key", &m_antialias, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.font->SetLevel(c.level);
        TextBitmapImage text;
        ASSERT_EQ(0, text.SetText("Ab", c.font));
        EXPECT_EQ(kSurfaceTextBitmapImage, text.Kind());
        EXPECT_LT(10, RedPixels(text)) << "the text colour shows";
        if (c.key == 1) ASSERT_EQ(0, text.SetColourKeyRgb(0xFF, 0, 0));
        if (c.key == 2) ASSERT_EQ(0, text.SetColourKeyFromPixel(0, 0));
        if (c.key == 3) ASSERT_EQ(0, text.ClearColourKey());
        const ddimage::Units before = ddimage::PixelsOf(text);
        const std::int32_t key = text.ColourKey();
        ASSERT_EQ(0, text.Restore(false));
        EXPECT_EQ(before, ddimage::PixelsOf(text));
        EXPECT_EQ(key, text.ColourKey());
    }
}

TEST_F(TextBitmapOnWine, CodesAndDefaultFont) {
    TextBitmapImage text;
    EXPECT_EQ(1, text.SetText(nullptr, &m_gdi));
    EXPECT_EQ(5, text.SetText("x", nullptr)) << "no font: render code 3, + 2";
    EXPECT_EQ(nullptr, text.Text());
    EXPECT_EQ(nullptr, text.GetSurface());
    DefaultFont = &m_gdi;
    EXPECT_EQ(0, text.SetText("x", nullptr));
    TextBitmapImage withFont(&m_antialias);
    EXPECT_EQ(&m_antialias, DefaultFont) << "a font given to the constructor becomes the default";
}

TEST_F(TextBitmapOnWine, ScreenDeviceFontReleaseIsForgottenByTheTextBitmap) {
    testsupport::PoisonFreedMemory poison;
    ScreenDevice device;
    Font* font = nullptr;
    ASSERT_EQ(0, device.CreateGdiFont(&font, kGothic, 16));
    DefaultFont = font;
    TextBitmapImage* text = nullptr;
    ASSERT_EQ(0, device.CreateTextBitmap(&text, "Ab", font));
    EXPECT_EQ(font, text->GetFont());
    Font* ref = font;
    ASSERT_EQ(0, device.ReleaseFont(&ref));
    EXPECT_EQ(nullptr, DefaultFont);
    EXPECT_EQ(nullptr, text->GetFont());
    EXPECT_EQ(1, device.RestoreObjects(false)) << "nothing to render with, and no freed font read";
    EXPECT_EQ(nullptr, text->GetSurface());
}

}  // namespace
