// Skins: loading from files and from images, composing the composite, drawing the background
// (whole, nine-slice), resizing, creation codes and the frame hit test.
#include <string>
#include <vector>

#include "tests/scenario/text/text_window_fixture.h"

namespace texttest {
namespace {

const char* const kNoMask = reinterpret_cast<const char*>(-1);

testsupport::DibLayout Mask(std::int32_t width, std::int32_t height, std::uint32_t value) {
    testsupport::DibLayout layout;
    layout.bitCount = 8;
    layout.width = width;
    layout.rows.assign(height, std::vector<std::uint32_t>(width, value));
    for (std::uint32_t i = 0; i < 256; ++i) layout.palette.push_back(i * 0x010101u);
    return layout;
}

testsupport::DibLayout Picture(std::int32_t width, std::int32_t height, std::uint32_t rgb) {
    testsupport::DibLayout layout;
    layout.bitCount = 24;
    layout.width = width;
    layout.rows.assign(height, std::vector<std::uint32_t>(width, rgb));
    return layout;
}

class TextWindowSkinTest : public TextWindowTest {
protected:
    void SetUp() override {
        TextWindowTest::SetUp();
        WriteBmp("MASKA.BMP", Mask(40, 30, 200));
        WriteBmp("MASKB.BMP", Mask(40, 30, 60));
        WriteBmp("DECO.BMP", Picture(40, 30, 0x405060));
    }
};

TEST_F(TextWindowSkinTest, SkinLoadCodesReleaseEverythingOnFailure) {
    const struct {
        const char* decoration;
        const char* maskA;
        const char* maskB;
        std::int32_t code;
    } cases[] = {
        {nullptr, nullptr, nullptr, 1},
        {nullptr, "NONE.BMP", nullptr, 2},
        {nullptr, "MASKA.BMP", "NONE.BMP", 4},
        {"NONE.BMP", "MASKA.BMP", "MASKB.BMP", 6},
        {"NONE.BMP", nullptr, nullptr, 8},
        {"DECO.BMP", "MASKA.BMP", "MASKB.BMP", 0},
        {"DECO.BMP", nullptr, nullptr, 0},
        {nullptr, nullptr, "MASKB.BMP", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        ASSERT_EQ(0, window.SetSkinImages("DECO.BMP", "MASKA.BMP", nullptr, false));
        EXPECT_EQ(window.SetSkinImages(c.decoration, c.maskA, c.maskB, false), c.code);
        if (c.code != 0) {
            EXPECT_EQ(window.Composite(), nullptr);
        } else {
            ASSERT_NE(window.Composite(), nullptr);
            EXPECT_EQ(window.Composite()->Width(), 40);
        }
    }
}

TEST_F(TextWindowSkinTest, TheNoMaskNameLoadsNothingAndBuildsAsWithAMask) {
    for (int which = 0; which < 2; ++which) {
        SCOPED_TRACE(which);
        WriteBmp("WIDE.BMP", Picture(50, 20, 0x405060));
        window.ReleaseSkinImages(false);
        ASSERT_EQ(0, window.SetSkinImages("WIDE.BMP", which == 0 ? kNoMask : nullptr,
                                          which == 1 ? kNoMask : nullptr, false));
        ASSERT_NE(window.Composite(), nullptr);
        EXPECT_EQ(window.Composite()->Width(), 50) << "the decoration's size";
        EXPECT_TRUE(window.Composite()->HasAlpha()) << "built as with a mask";
    }
}

TEST_F(TextWindowSkinTest, ComposeFrameTable) {
    Image maskA;
    Image maskB;
    Image decoration;
    ASSERT_EQ(0, maskA.Create(4, 4, 8, 0));
    ASSERT_EQ(0, maskB.Create(4, 4, 8, 0));
    ASSERT_EQ(0, decoration.Create(4, 4, 32, 0));
    maskA.FillRect(200, 0, 0, nullptr);
    maskB.FillRect(60, 0, 0, nullptr);
    decoration.FillValue(0x00000000u, nullptr);
    RECT spot{1, 1, 2, 2};
    decoration.FillValue(0xFFAABBCCu, &spot);
    struct Row {
        const char* name;
        bool withMaskA, withMaskB, withDecoration;
        std::uint8_t mode;
        std::uint32_t colour;
        std::uint8_t alpha;
        std::uint32_t at00, at11;
    };
    const Row rows[] = {
        {"mask A with the colour", true, false, false, 1, 0x112233, 255, 0xC8112233u, 0xC8112233u},
        {"mask A under the decoration", true, false, true, 1, 0x112233, 255, 0xC8112233u,
         0xAABBCCu},
        {"mask B while the mode is clear", true, true, true, 0, 0x445566, 255, 0x3C445566u,
         0x3C445566u},
        {"decoration alone", false, false, true, 1, 0x112233, 255, 0x00000000u, 0xFFAABBCCu},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        window.SetBackground(r.mode, r.colour, r.alpha, false);
        ASSERT_EQ(0, window.SetSkinImagesFrom(r.withDecoration ? &decoration : nullptr,
                                              r.withMaskA ? &maskA : nullptr,
                                              r.withMaskB ? &maskB : nullptr, false));
        const Image* c = window.Composite();
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->GetPixel(0, 0), r.at00);
        // Over the decoration's opaque spot its colour shows; the alpha is the mask's.
        const std::uint32_t at11 = c->GetPixel(1, 1);
        for (int shift : {0, 8, 16, 24}) {
            if (shift == 24 && r.at11 <= 0xFFFFFFu) continue;
            // The decoration is blended at full opacity: within one step of its colour.
            EXPECT_NEAR(static_cast<int>((at11 >> shift) & 0xFF),
                        static_cast<int>((r.at11 >> shift) & 0xFF), 1)
                << std::hex << at11;
        }
    }
    // A colour change alone keeps the alpha; an alpha change scales it.
    window.SetBackground(1, 0x112233, 255, false);
    ASSERT_EQ(0, window.SetSkinImagesFrom(nullptr, &maskA, nullptr, false));
    EXPECT_EQ(window.SetBackground(1, 0x112233, 255, false), -1) << "unchanged";
    EXPECT_EQ(window.SetBackground(1, 0x010203, 255, false), -2) << "changed, no image";
    EXPECT_EQ(window.Composite()->GetPixel(2, 2), 0xC8010203u);
    window.SetBackground(1, 0x010203, 128, false);
    EXPECT_LT(window.Composite()->GetPixel(2, 2) >> 24, 0xC8u);
    EXPECT_GT(window.Composite()->GetPixel(2, 2) >> 24, 0x50u);
}

TEST_F(TextWindowSkinTest, ClearFillsColourOrCopiesTheComposite) {
    MakeWindow(40, 30);
    EXPECT_EQ(window.WindowImage().GetPixel(3, 3), 0x80000000u) << "colour 0, alpha 128";
    EXPECT_EQ(window.SetBackground(1, 0x123456, 0, true), 0);
    EXPECT_EQ(window.WindowImage().GetPixel(3, 3), 0u) << "alpha 0 fills 0";
    EXPECT_EQ(window.SetBackground(1, 0x123456, 0, true), -1) << "unchanged";
    // An alpha composite is copied as it is; an opaque one keeps its colour at full alpha.
    window.SetBackground(1, 0x123456, 255, false);
    ASSERT_EQ(0, window.SetSkinImages(nullptr, "MASKA.BMP", nullptr, true));
    EXPECT_EQ(window.WindowImage().GetPixel(3, 3), 0xC8123456u);
    ASSERT_EQ(0, window.SetSkinImages("DECO.BMP", nullptr, nullptr, true));
    EXPECT_EQ(window.WindowImage().GetPixel(3, 3), 0xFF405060u);
}

TEST_F(TextWindowSkinTest, UnchangedBackgroundDoesNotRedraw) {
    MakeWindow(100, 40);
    Put("あ");
    Image before;
    ASSERT_EQ(0, before.CopyFrom(&window.WindowImage(), 0));
    EXPECT_EQ(window.SetBackground(1, 0, 128, true), -1);
    EXPECT_EQ(Differences(window.WindowImage(), before), 0);
    EXPECT_EQ(window.SetBackground(1, 0x203040, 128, true), 0);
    EXPECT_EQ(window.WindowImage().GetPixel(12, 20), 0x80203040u);
    EXPECT_EQ(window.PenX(), 8);
}

// Window pixel (x, y) of a nine-slice frame comes from this composite pixel.
POINT SliceSource(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    const std::int32_t cw = 5, ch = 5, l = 1, t = 1, r = 1, b = 1, tw = 3, th = 3;
    POINT p;
    p.x = x < l ? x : x >= w - r ? x - (w - cw) : l + (x - l) % tw;
    p.y = y < t ? y : y >= h - b ? y - (h - ch) : t + (y - t) % th;
    return p;
}

TEST_F(TextWindowSkinTest, NineSliceFromACompositeOfDistinctColours) {
    Image composite;
    ASSERT_EQ(0, composite.Create(5, 5, 32, 0));
    for (std::int32_t y = 0; y < 5; ++y)
        for (std::int32_t x = 0; x < 5; ++x) composite.SetPixel(x, y, 0xFF000000u | (x << 8) | y);
    composite.SetHasAlpha(true);
    const struct {
        const char* name;
        std::int32_t width, height;
    } sizes[] = {{"no tiles", 2, 2}, {"one tile", 5, 5}, {"several, cut at the edge", 12, 9}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(s.name);
        window.ReleaseSkinImages(false);
        ASSERT_TRUE(window.SetNineSlice(1, 1, 3, 3));
        ASSERT_EQ(0, window.SetSkinImagesFrom(&composite, nullptr, nullptr, false));
        EXPECT_FALSE(window.SetNineSlice(1, 1, 3, 3)) << "only before a skin";
        ASSERT_EQ(0, window.Create(&list, 10, s.width, s.height, 0, 0, &font, nullptr, 0));
        ASSERT_EQ(window.GetWidth(), s.width);
        for (std::int32_t y = 0; y < s.height; ++y) {
            for (std::int32_t x = 0; x < s.width; ++x) {
                const POINT p = SliceSource(x, y, s.width, s.height);
                ASSERT_EQ(window.WindowImage().GetPixel(x, y), composite.GetPixel(p.x, p.y))
                    << x << "," << y;
            }
        }
        // The frame test reads the composite pixel the window pixel came from.
        window.dragAlphaThreshold = 255;
        window.SetMargins(1, 1, 1, 1, false);
        EXPECT_TRUE(window.HitTestFrame(s.width - 1, 0));
        EXPECT_FALSE(window.HitTestFrame(s.width, 0));
        window.Release();
    }
    // 1 x 1 tiles: the centre is one fill with the composite's pixel at (left, top).
    window.ReleaseSkinImages(false);
    ASSERT_TRUE(window.SetNineSlice(2, 2, 1, 1));
    ASSERT_EQ(0, window.SetSkinImagesFrom(&composite, nullptr, nullptr, false));
    ASSERT_EQ(0, window.Create(&list, 10, 9, 9, 0, 0, &font, nullptr, 0));
    for (std::int32_t y = 2; y < 7; ++y)
        for (std::int32_t x = 2; x < 7; ++x)
            ASSERT_EQ(window.WindowImage().GetPixel(x, y), 0xFF000202u) << x << "," << y;
}

TEST_F(TextWindowSkinTest, ResizeKeepsWholeTiles) {
    Image composite;
    ASSERT_EQ(0, composite.Create(30, 30, 32, 0));
    composite.FillValue(0xFF808080u, nullptr);
    composite.SetHasAlpha(true);
    ASSERT_TRUE(window.SetNineSlice(10, 10, 10, 10));
    ASSERT_EQ(0, window.SetSkinImagesFrom(&composite, nullptr, nullptr, false));
    EXPECT_EQ(1, window.Resize(40, 40, true)) << "no image yet";
    ASSERT_EQ(0, window.Create(&list, 10, 30, 30, 3, 4, &font, nullptr, 0));
    window.SetAlpha(99);
    // Asked width, its width; the height asked is 10 more.
    const std::int32_t sizes[][3] = {
        {45, 50, 60}, {35, 40, 50}, {25, 30, 40}, {5, 20, 30}, {40, 40, 50}};
    for (bool inPlace : {true, false}) {
        for (const auto& s : sizes) {
            ASSERT_EQ(0, window.Resize(s[0], s[0] + 10, inPlace)) << s[0];
            EXPECT_EQ(window.GetWidth(), s[1]) << s[0];
            EXPECT_EQ(window.GetHeight(), s[2]) << s[0] + 10;
            EXPECT_EQ(window.WindowImage().Width(), s[1]);
            EXPECT_EQ(window.GetX(), 3);
            EXPECT_EQ(window.GetAlpha(), 99);
        }
    }
    EXPECT_EQ(1, window.Resize(0, 10, true));
}

TEST_F(TextWindowSkinTest, CreateCodesLeaveNothingOnFailure) {
    EXPECT_EQ(1, window.Create(nullptr, 10, 40, 30, 0, 0, &font, nullptr, 0));
    EXPECT_EQ(1, window.Create(&list, 10, 40, 30, 0, 0, nullptr, nullptr, 0));
    EXPECT_EQ(1, window.Create(&list, 10, 0, 30, 0, 0, &font, nullptr, 0));
    EXPECT_EQ(2, window.Create(&list, 10, 1 << 20, 1 << 20, 0, 0, &font, nullptr, 0));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(window.GetFont(), nullptr);
    EXPECT_EQ(1, window.SetPosition(1, 1));
    EXPECT_EQ(1, window.SetPriority(3, 0, true));
    // Width 0 with a skin takes the skin's size.
    ASSERT_EQ(0, window.SetSkinImages("DECO.BMP", nullptr, nullptr, false));
    ASSERT_EQ(0, window.Create(&list, 10, 0, 0, 5, 6, &font, nullptr, 7));
    EXPECT_EQ(window.GetWidth(), 40);
    EXPECT_EQ(window.GetHeight(), 30);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(window.WindowSprite().BlendMode(), 2);
    // Again on the same list: still one sprite in it.
    ASSERT_EQ(0, window.Create(&list, 12, 0, 0, 5, 6, &font, nullptr, 7));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(window.GetPriority(), 12);
    EXPECT_EQ(0, window.Recreate(60, 50));
    EXPECT_EQ(window.GetWidth(), 60) << "the skin was released";
    EXPECT_EQ(window.Composite(), nullptr);
}

}  // namespace
}  // namespace texttest
