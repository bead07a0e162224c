// Strings, inline pictures and images, upright runs, aligned and spread strings, a GDI font,
// and windows that lose their font, skin images or sprite list.
#include <string>
#include <vector>

#include "graphics/sprites/fill_rect_sprite.h"
#include "graphics/text/gdi_font.h"
#include "tests/scenario/text/text_window_fixture.h"

namespace texttest {
namespace {

testsupport::DibLayout KeyedPicture() {
    // 6 x 4, green in the top-left corner and the bottom-right one.
    testsupport::DibLayout layout;
    layout.bitCount = 24;
    layout.width = 6;
    layout.rows.assign(4, std::vector<std::uint32_t>(6, 0x112233));
    layout.rows[0][0] = 0x00FF00;
    layout.rows[3][5] = 0x00FF00;
    return layout;
}

TEST_F(TextWindowTest, VerticalCharactersDrawWhereTheTurnedFontDrawsThem) {
    MakeWindow(120, 200);
    ASSERT_EQ(0, window.SetVertical(true, true));
    EXPECT_STREQ(font.logFont.lfFaceName, "@ＭＳ ゴシック");
    EXPECT_EQ(font.logFont.lfEscapement, 2700);
    EXPECT_EQ(0, Put("あい"));
    Image expected;
    Blank(&expected);
    font.DrawText(&expected, 113, 8, "あ", nullptr, nullptr);
    font.DrawText(&expected, 113, 24, "い", nullptr, nullptr);
    EXPECT_EQ(Differences(window.WindowImage(), expected), 0);
    EXPECT_EQ(window.PenY(), 40);
    ASSERT_EQ(0, window.SetVertical(false, false));
    EXPECT_STREQ(font.logFont.lfFaceName, kGothic);
    EXPECT_EQ(font.logFont.lfEscapement, 0);
}

TEST_F(TextWindowTest, UprightRunsInVerticalText) {
    MakeWindow(120, 200);
    EXPECT_EQ(2, window.DrawUpright("12")) << "horizontal text";
    ASSERT_EQ(0, window.SetVertical(true, true));
    EXPECT_EQ(0, window.DrawUpright("12"));
    EXPECT_STREQ(font.logFont.lfFaceName, "@ＭＳ ゴシック") << "face restored";
    EXPECT_EQ(font.logFont.lfEscapement, 2700);
    EXPECT_EQ(window.PenY(), 24);
    AntialiasFont upright;
    ASSERT_EQ(0, upright.SetFont(16, false, 0, kGothic));
    Image expected;
    Blank(&expected);
    const std::int32_t w = Measure(kGothic, 16, "12");
    upright.DrawText(&expected, 113 - (w - 16) / 2 - 16 + 1, 8, "12", nullptr, nullptr);
    EXPECT_EQ(Differences(window.WindowImage(), expected), 0);
    EXPECT_EQ(3, window.DrawUpright(nullptr));
}

TEST_F(TextWindowTest, InlinePicturesFromThePictureSheet) {
    testsupport::DibLayout sheet;
    sheet.bitCount = 8;
    sheet.width = 24;
    sheet.rows.assign(12, std::vector<std::uint32_t>(24, 0));
    for (int y = 2; y < 10; ++y)
        for (int x = 14; x < 22; ++x) sheet.rows[y][x] = 255;  // picture 1: a square
    for (std::uint32_t i = 0; i < 256; ++i) sheet.palette.push_back(i * 0x010101u);
    WriteBmp("PICS.BMP", sheet);
    ASSERT_EQ(0, font.LoadImageGlyphs("PICS.BMP", 2, 12, 12, 1));
    MakeWindow(200, 60);
    EXPECT_EQ(0, Put("あ@1い"));
    EXPECT_EQ(window.PenX(), 8 + 16 + 12 + 16);
    Image expected;
    Blank(&expected);
    font.DrawText(&expected, 8 + (16 - Measure(kGothic, 16, "あ")) / 2, 8, "あ", nullptr, nullptr);
    font.DrawText(&expected, 24, 8, "@1", nullptr, nullptr);
    font.DrawText(&expected, 36 + (16 - Measure(kGothic, 16, "い")) / 2, 8, "い", nullptr, nullptr);
    EXPECT_EQ(Differences(window.WindowImage(), expected), 0);
}

TEST_F(TextWindowTest, AGdiFontDrawsThroughItsBlend) {
    GdiFont gdi;
    ASSERT_EQ(0, gdi.SetFont(16, false, 0, kGothic));
    window.centreDoubleByte = 1;
    ASSERT_EQ(0, window.Create(&list, 10, 200, 60, 0, 0, &gdi, nullptr, 0));
    EXPECT_EQ(0, Put("あA"));
    Image expected;
    Blank(&expected);
    gdi.BlendString(&expected, 8 + (16 - Measure(kGothic, 16, "あ")) / 2, 8, "あ", nullptr,
                    nullptr);
    gdi.BlendString(&expected, 24, 8, "A", nullptr, nullptr);
    EXPECT_EQ(Differences(window.WindowImage(), expected), 0);
    EXPECT_EQ(window.PenX(), 24 + Measure(kGothic, 16, "A"));
}

TEST_F(TextWindowTest, ImagesSitOnTheLineKeyedOrNot) {
    WriteBmp("KEYED.BMP", KeyedPicture());
    MakeWindow(200, 100);
    const struct {
        const char* name;
        bool vertical;
        std::int32_t keyX, keyY;
        std::int32_t left, top;
        bool keyed;
    } cases[] = {
        {"keyed by its corner", false, 0, 0, 8, 8 + 16 - 4, true},
        {"key pixel outside: no key", false, 10, 0, 8, 8 + 16 - 4, false},
        {"key pixel far outside", false, 1000000, 1000000, 8, 8 + 16 - 4, false},
        {"no key asked", false, 0, -1, 8, 8 + 16 - 4, false},
        {"vertical", true, 0, 0, 193 + 5 - 16 - 1, 8, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(0, window.SetVertical(c.vertical, true));
        EXPECT_EQ(0, window.DrawImage("KEYED.BMP", c.keyX, c.keyY));
        Image& image = window.WindowImage();
        EXPECT_EQ(image.GetPixel(c.left + 1, c.top + 1) & 0xFFFFFFu, 0x112233u);
        EXPECT_EQ(image.GetPixel(c.left - 1, c.top + 1), 0x80000000u);
        EXPECT_EQ(image.GetPixel(c.left + 1, c.top + 4), 0x80000000u) << "below the picture";
        if (c.keyed) {
            EXPECT_EQ(image.GetPixel(c.left, c.top), 0x80000000u);
            EXPECT_EQ(image.GetPixel(c.left + 5, c.top + 3), 0x80000000u);
        } else {
            EXPECT_EQ(image.GetPixel(c.left, c.top) & 0xFFFFFFu, 0x00FF00u);
        }
        EXPECT_EQ(c.vertical ? window.PenY() : window.PenX(), 8 + (c.vertical ? 4 : 6));
    }
    EXPECT_EQ(2, window.DrawImage("NONE.BMP", 0, 0));
}

TEST_F(TextWindowTest, ImagesWithAlphaAreBlended) {
    testsupport::DibLayout layout;
    layout.bitCount = 32;
    layout.width = 4;
    layout.rows.assign(4, std::vector<std::uint32_t>(4, 0xFF112233u));
    layout.rows[0][0] = 0x00FFFFFFu;  // transparent
    WriteBmp("ALPHA.BMP", layout);
    MakeWindow(200, 100);
    EXPECT_EQ(0, window.DrawImage("ALPHA.BMP", 1, 1)) << "the key plays no part";
    Image& image = window.WindowImage();
    const std::int32_t top = 8 + 16 - 4;
    EXPECT_EQ(image.GetPixel(8, top), 0x80000000u) << "transparent pixel";
    for (int shift : {0, 8, 16}) {
        EXPECT_NEAR(static_cast<int>((image.GetPixel(9, top + 1) >> shift) & 0xFF),
                    static_cast<int>((0x112233u >> shift) & 0xFF), 1);
    }
    EXPECT_EQ(window.PenX(), 12);
}

TEST_F(TextWindowTest, ImagesBreakLinesAndStopAtAFullPage) {
    WriteBmp("KEYED.BMP", KeyedPicture());
    MakeWindow(200, 68);
    const std::string line(20, 'a');  // 20 half-width characters reach the pen 168
    EXPECT_EQ(0, Put(line.c_str()));
    ASSERT_GT(window.PenX(), window.WrapLimit());
    EXPECT_EQ(-1, window.DrawImage("KEYED.BMP", 0, -1));
    EXPECT_EQ(window.PenX(), 8 + 6);
    EXPECT_EQ(window.PenY(), 28);
    EXPECT_EQ(0, Put(line.c_str() + 1));
    const std::int32_t penX = window.PenX();
    ASSERT_GT(penX, window.WrapLimit());
    EXPECT_EQ(1, window.DrawImage("KEYED.BMP", 0, -1)) << "the page is full";
    EXPECT_EQ(window.PenX(), penX);
}

TEST_F(TextWindowTest, CharactersIntoAnotherTarget) {
    MakeWindow(200, 60);
    Image target;
    Blank(&target, 0xFF000000u);
    Image blank;
    Blank(&blank);
    window.WindowSprite().SetDirty(0);
    const char* text = "あ";
    EXPECT_EQ(0, window.DrawCharAt(&text, &target));
    EXPECT_EQ(Differences(window.WindowImage(), blank), 0);
    EXPECT_FALSE(window.WindowSprite().IsDirty());
    Image expected;
    Blank(&expected, 0xFF000000u);
    font.DrawText(&expected, 8 + (16 - Measure(kGothic, 16, "あ")) / 2, 8, "あ", nullptr, nullptr);
    EXPECT_EQ(Differences(target, expected), 0);
    EXPECT_NE(Differences(target, blank), 0);
    EXPECT_EQ(window.PenX(), 24);
}

TEST_F(TextWindowTest, StringsPlacedWholeAndAligned) {
    MakeWindow(200, 100);
    const std::int32_t w = Measure(kGothic, 16, "あい");
    ASSERT_EQ(w, 32);
    window.letterSpacing = 3;
    EXPECT_EQ(0, window.DrawString("あい", 10, 20, false));
    EXPECT_EQ(window.LastCharPos(), 18);
    EXPECT_EQ(window.PenX(), 18 + 32 + 3);
    Image expected;
    Blank(&expected);
    font.DrawText(&expected, 18, 28, "あい", nullptr, nullptr);
    EXPECT_EQ(Differences(window.WindowImage(), expected), 0);
    window.letterSpacing = 0;
    // free = 200 - 16 + 4 - 32 = 156, freeY = 100 - 16 + 4 - 16 = 72.
    const struct {
        std::int32_t alignment;
        std::int32_t x, y;
    } aligned[] = {{0, 8 + 78, 8 + 36}, {1, 8 + 78, 50}, {2, 8, 50}, {3, 8 + 156, 50}};
    for (const auto& a : aligned) {
        window.Home(true);
        window.MoveTo(-1, 42);
        EXPECT_EQ(0, window.DrawAlignedString("あい", a.alignment));
        EXPECT_EQ(window.LastCharPos(), a.x) << a.alignment;
        EXPECT_EQ(window.PenY(), a.y) << a.alignment;
    }
    // Vertical: the same along the column.
    ASSERT_EQ(0, window.SetVertical(true, true));
    const std::int32_t freeY = 100 - 16 + 4 - 32;
    const struct {
        std::int32_t alignment;
        std::int32_t y;
    } columns[] = {{1, 8 + freeY / 2}, {2, 8}, {3, 8 + freeY}};
    for (const auto& a : columns) {
        window.Home(true);
        EXPECT_EQ(0, window.DrawAlignedString("あい", a.alignment));
        EXPECT_EQ(window.LastCharPos(), a.y) << a.alignment;
        EXPECT_EQ(window.PenX(), 193) << a.alignment;
    }
    // Centred both ways: the column is placed by the turned text's bounds.
    RECT bounds;
    font.GetRotatedTextBounds(&bounds, 0, 0, 32, 16);
    ASSERT_EQ(bounds.right - bounds.left, 16);
    window.Home(true);
    EXPECT_EQ(0, window.DrawAlignedString("あい", 0));
    EXPECT_EQ(window.LastCharPos(), 8 + freeY / 2);
    EXPECT_EQ(window.PenX(), 8 + (200 - 16 + 4 - 16) / 2 - 2 - bounds.left + 1);
}

TEST_F(TextWindowTest, SpreadStringsBothWays) {
    MakeWindow(200, 200);
    // Length 102 + 4, text 48, three characters: gap 58 / 4 = 14, rest (58 % 4) / 2 = 1.
    EXPECT_EQ(0, window.DrawSpreadString("あいう", TextWindowItemArea{10, 0, 102, 20}));
    EXPECT_EQ(window.PenY(), 8 + 4);
    EXPECT_EQ(window.PenX(), 18 + 1 + 3 * (14 + 16) + 14 + 1);
    EXPECT_EQ(window.LastCharPos(), 18 + 1 + 14 + 2 * 30);
    Image expected;
    Blank(&expected);
    const char* chars[] = {"あ", "い", "う"};
    for (int i = 0; i < 3; ++i) {
        font.DrawText(&expected, 18 + 1 + 14 + 30 * i + (16 - Measure(kGothic, 16, chars[i])) / 2,
                      12, chars[i], nullptr, nullptr);
    }
    EXPECT_EQ(Differences(window.WindowImage(), expected), 0);
    ASSERT_EQ(0, window.SetVertical(true, true));
    EXPECT_EQ(0, window.DrawSpreadString("あいう", TextWindowItemArea{0, 10, 20, 102}));
    EXPECT_EQ(window.LastCharPos(), 18 + 1 + 14 + 2 * 30);
    EXPECT_EQ(window.PenY(), 18 + 1 + 3 * (14 + 16) + 14 + 1);
}

TEST_F(TextWindowTest, DroppedFontSkinAndSpriteList) {
    window.EnableItems(true, false);
    MakeWindow(200, 60);
    Image decoration;
    ASSERT_EQ(0, decoration.Create(200, 60, 32, 0));
    decoration.FillValue(0xFF405060u, nullptr);
    ASSERT_EQ(0, window.SetSkinImagesFrom(&decoration, nullptr, nullptr, false));
    ASSERT_EQ(0, window.AddItem(TextWindowItemSetup()));
    EXPECT_EQ(0, Put("あ"));
    window.CloseItem();
    window.HighlightItem(0);
    ASSERT_EQ(window.Highlights().size(), 1u);
    EXPECT_EQ(list.Count(), 2);

    window.DropReferencesTo(&font);
    Image before;
    ASSERT_EQ(0, before.CopyFrom(&window.WindowImage(), 0));
    const char* text = "い";
    EXPECT_EQ(0, window.PutChar(&text));
    EXPECT_EQ(1, window.DrawString("い", 0, 0, false));
    EXPECT_EQ(Differences(window.WindowImage(), before), 0) << "no font, nothing drawn";

    window.DropReferencesTo(&decoration);
    EXPECT_EQ(window.Composite(), nullptr);

    window.DropReferencesTo(&list);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(window.WindowSprite().List(), nullptr);
    EXPECT_EQ(window.Highlights()[0]->List(), nullptr);
    EXPECT_EQ(1, window.SetPriority(5, 0, true));
    EXPECT_EQ(0, window.SetPosition(30, 40));
    EXPECT_EQ(window.Highlights()[0]->X(), 30 + 6);
    EXPECT_EQ(0, window.Clear());
}

}  // namespace
}  // namespace texttest
