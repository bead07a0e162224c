// Text drawn into software images with Wine's GDI and the IPA faces: images made from text for
// both font kinds and both levels, the dirty rectangles of the drawing forms, and the fallback
// to DefaultFont.
#include <gtest/gtest.h>

#include "graphics/compose/dirty_region.h"
#include "graphics/device/screen_device.h"
#include "graphics/image/image.h"
#include "graphics/text/antialias_font.h"
#include "graphics/text/default_font.h"
#include "graphics/text/gdi_font.h"
#include "tests/graphics/sprites/sprite_fixture.h"

namespace {

const char kGothic[] = "ＭＳ ゴシック";

class TextImages : public spritetest::LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        DefaultFont = nullptr;
        ASSERT_EQ(0, m_gdi.SetFont(20, false, 0, kGothic));
        ASSERT_EQ(0, m_antialias.SetFont(20, false, 0, kGothic));
        m_gdi.colour[0] = m_antialias.colour[0] = 255;
        m_gdi.colour[1] = m_antialias.colour[1] = 0;
        m_gdi.colour[2] = m_antialias.colour[2] = 0;
    }
    void TearDown() override {
        DefaultFont = nullptr;
        LibraryTest::TearDown();
    }
    // How many pixels show the text colour (red) more than anything else.
    static int RedPixels(Image& image) {
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

    GdiFont m_gdi;
    AntialiasFont m_antialias;
};

TEST_F(TextImages, ImagesFromTextForBothKindsAndLevels) {
    struct Case {
        const char* name;
        Font* font;
        std::uint8_t level;
        bool keyed;
    };
    const Case cases[] = {
        {"gdi level 0", &m_gdi, 0, true},
        {"gdi level 2", &m_gdi, 2, false},
        {"antialias level 0", &m_antialias, 0, true},
        {"antialias level 2", &m_antialias, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.font->SetLevel(c.level);
        std::int32_t size[2] = {0, 0};
        c.font->TextExtent("Ab", size, nullptr, nullptr, true, nullptr);
        Image image;
        ASSERT_EQ(0, image.CreateFromText("Ab", c.font, kImageDibSection));
        EXPECT_EQ(size[0], image.Width());
        EXPECT_EQ(size[1], image.Height());
        EXPECT_EQ(32, image.Depth());
        EXPECT_LT(10, RedPixels(image)) << "the text shows in its colour";
        EXPECT_EQ(!c.keyed, image.HasAlpha());
        if (c.keyed) {
            EXPECT_NE(-1, image.ColourKey()) << "keyed with the background (0, 255, 0)";
            EXPECT_EQ(0x00FF00u, image.GetPixel(0, 0) & 0xFFFFFF) << "filled with the background";
        }
    }
}

TEST_F(TextImages, FontFallbackAndCodes) {
    Image image;
    EXPECT_EQ(1, image.CreateFromText("", &m_gdi, 0));
    EXPECT_EQ(2, image.CreateFromText("x", nullptr, 0)) << "no font and no default";
    DefaultFont = &m_gdi;
    EXPECT_EQ(0, image.CreateFromText("x", nullptr, kImageDibSection));

    Image target;
    ASSERT_EQ(0, target.Create(64, 32, 32, kImageDibSection));
    EXPECT_EQ(0, target.DrawTextGdi(0, 0, "x", nullptr)) << "DefaultFont";
    EXPECT_EQ(2, target.DrawTextGdi(0, 0, "x", &m_antialias)) << "another kind";
    EXPECT_EQ(2, target.DrawTextAntialias(0, 0, "x", &m_gdi));
    EXPECT_EQ(1, target.DrawText(0, 0, "", &m_gdi));
    DefaultFont = nullptr;
    EXPECT_EQ(2, target.DrawText(0, 0, "x", nullptr));

    Image plain;
    ASSERT_EQ(0, plain.Create(64, 32, 32, 0));
    // A heap image starts with whatever its memory held: paint it green first.
    ASSERT_TRUE(plain.FillRect(0, 255, 0, nullptr));
    EXPECT_EQ(1, plain.DrawTextGdi(0, 0, "x", &m_gdi)) << "no device context";
    EXPECT_EQ(0, RedPixels(plain));

    ScreenDevice device;
    Image* made = nullptr;
    EXPECT_EQ(2, device.CreateImageFromText(&made, "x", nullptr, 0));
    EXPECT_EQ(nullptr, made);
    EXPECT_EQ(0, device.SurfaceCount());
    ASSERT_EQ(0, device.CreateImageFromText(&made, "x", &m_antialias, 0));
    EXPECT_EQ(made, device.FindImage(HandleTable<Surface>::WordOf(made)));
}

// Each drawing form adds what it changed, cut to the clip rectangle, to the dirty region.
TEST_F(TextImages, DrawingAddsTheClippedRectangleToTheDirtyRegion) {
    m_antialias.SetLevel(2);
    struct Case {
        const char* name;
        std::int32_t (Image::*draw)(std::int32_t, std::int32_t, const char*, Font*);
        Font* font;
    };
    const Case cases[] = {
        {"gdi", &Image::DrawTextGdi, &m_gdi},
        {"blend", &Image::DrawText, &m_antialias},
        {"antialias", &Image::DrawTextAntialias, &m_antialias},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image image;
        ASSERT_EQ(0, image.Create(64, 32, 32, kImageDibSection | kImageDirtyRegion));
        const RECT clip = {0, 0, 40, 32};
        image.SetClipRect(&clip);
        image.GetDirtyRegion()->Clear();
        image.SetModified(false);
        ASSERT_EQ(0, (image.*c.draw)(-4, 6, "WWWWWW", c.font));
        EXPECT_TRUE(image.Modified());
        ASSERT_LT(0, image.GetDirtyRegion()->Count());
        const RECT& dirty = image.GetDirtyRegion()->Bounds();
        EXPECT_EQ(0, dirty.left) << "cut at the left edge";
        EXPECT_EQ(40, dirty.right) << "cut to the clip rectangle";
        EXPECT_LE(6, dirty.top);
        EXPECT_LT(0, RedPixels(image));
    }
}

}  // namespace
