#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "graphics/compose/math_tables.h"
#include "graphics/image/kernel_form.h"
#include "graphics/image/pixel_buffer.h"
#include "graphics/text/antialias_font.h"
#include "graphics/text/gdi_font.h"
#include "graphics/text/glyph_maths.h"
#include "graphics/text/picture_glyph_set.h"
#include "tests/graphics/text/fake_glyph_source.h"

namespace {

using texttest::FakeGlyphSource;

class AntialiasFontFake : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(font.SetFont(16, false, 0, "Arial"), 0);
        font.SetGlyphSource(&source);
        ASSERT_EQ(image.Create(64, 48, 32, false), 0);
        Clear(0xFF102030);
    }
    void TearDown() override { g_fontSystemIsNt = 1; }

    void Clear(std::uint32_t pixel) { image.FillValue(pixel, nullptr, nullptr); }
    std::uint32_t Pixel(std::int32_t x, std::int32_t y) { return image.GetPixel(x, y); }
    std::vector<std::uint32_t> Pixels() {
        std::vector<std::uint32_t> all;
        for (int y = 0; y < image.Height(); ++y) {
            for (int x = 0; x < image.Width(); ++x) {
                all.push_back(Pixel(x, y));
            }
        }
        return all;
    }

    FakeGlyphSource source;
    AntialiasFont font;
    PixelBuffer image;
};

TEST_F(AntialiasFontFake, GlyphFallbacks) {
    struct Case {
        const char* name;
        std::uint8_t level;
        bool failGrey, failMono;
        bool made;
        int magnification;  // of the last query
        std::int32_t width;
    } const cases[] = {
        {"grey answer", 2, false, false, true, 1, 3},
        {"level 2 falls back to 8x 1-bit", 2, true, false, true, 8, 3},
        {"level 1 falls back to 4x 1-bit", 1, true, false, true, 4, 3},
        {"both fail: no glyph", 2, true, true, false, 8, 0},
        {"level 0 failure: empty glyph that advances", 0, false, true, true, 1, 0},
    };
    for (const auto& c : cases) {
        source.Solid('A', 3, 5, 64, 11);
        source.failGrey.clear();
        source.failMono.clear();
        if (c.failGrey) source.failGrey.insert('A');
        if (c.failMono) source.failMono.insert('A');
        font.SetLevel(c.level);
        font.Cache().Flush();
        Glyph* g = font.GetGlyph('A', 16, 0, 0, 0, false);
        ASSERT_EQ(g != nullptr, c.made) << c.name;
        EXPECT_EQ(source.queries.back().second, c.magnification) << c.name;
        if (g == nullptr) {
            std::int32_t pen[2];
            EXPECT_EQ(font.BlendString(&image, 5, 6, "A", nullptr, pen), 0);
            EXPECT_EQ(pen[0], 5) << c.name << ": skipped without advance";
            continue;
        }
        EXPECT_EQ(g->width, c.width) << c.name;
        EXPECT_EQ(g->advanceX, 11) << c.name;
        if (g->bits != nullptr) {
            EXPECT_EQ(g->bits[0], 255) << c.name;
            EXPECT_EQ(g->height, 5) << c.name;
            EXPECT_EQ(g->y, font.baselineY - 5) << c.name;
        }
    }
}

TEST_F(AntialiasFontFake, BoldWideningFollowsTheSystemFamily) {
    ASSERT_EQ(font.SetFont(16, true, 0, nullptr), 0);
    font.SetGlyphSource(&source);
    source.Solid('A', 3, 5);
    for (std::uint8_t nt : {1, 0}) {
        g_fontSystemIsNt = nt;
        font.Cache().Flush();
        Glyph* g = font.GetGlyph('A', 16, 0, 1, 0, false);
        ASSERT_NE(g, nullptr);
        // Size 16: one pixel (16 / 50 + 1).
        EXPECT_EQ(g->width, nt ? 3 : 4) << "nt " << int(nt);
    }
    // Bold advances are measured on the regular face and widened: 10 + 10 / 50 + 1.
    EXPECT_EQ(font.GetGlyph('A', 16, 0, 1, 0, false)->advanceX, 11);
}

TEST_F(AntialiasFontFake, CoverageColours) {
    // One row: full, none, half coverage (grey 64, 0, 32 -> 255, 0, 128).
    texttest::Shape s;
    s.width = 3;
    s.height = 1;
    s.originY = 1;
    s.grey = {64, 0, 32};
    source.shapes['A'] = s;
    font.colour[0] = 0xF0;
    font.colour[1] = 0x80;
    font.colour[2] = 0x00;
    RECT rect;
    ASSERT_EQ(font.BlendString(&image, 4, 4, "A", &rect, nullptr), 0);
    const std::int32_t y = 4 + font.baselineY - 1;
    EXPECT_EQ(Pixel(4, y), 0xFFF08000u) << "full coverage gives exactly the colour";
    EXPECT_EQ(Pixel(5, y), 0xFF102030u) << "no coverage leaves the pixel";
    const std::uint32_t half = Pixel(6, y);
    EXPECT_GT((half >> 16) & 0xFF, 0x10u);
    EXPECT_LT((half >> 16) & 0xFF, 0xF0u);
    EXPECT_GT((half >> 8) & 0xFF, 0x20u);
    EXPECT_LT((half >> 8) & 0xFF, 0x80u);
    EXPECT_LT(half & 0xFF, 0x30u);
    EXPECT_EQ(half >> 24, 0xFFu) << "alpha kept";
    EXPECT_EQ(rect.left, 4);
    EXPECT_EQ(rect.right, 7);
    EXPECT_EQ(rect.top, y);
}

TEST_F(AntialiasFontFake, ShadowAtItsOffsetAndOutlineAround) {
    source.Solid('A', 2, 2);
    font.effect = 1;
    font.effectOffsetX = 3;
    font.effectOffsetY = 2;
    font.colour[0] = font.colour[1] = font.colour[2] = 255;
    std::int32_t pen[2];
    ASSERT_EQ(font.BlendString(&image, 10, 10, "A", nullptr, pen), 0);
    const std::int32_t top = 10 + font.baselineY - 2;
    EXPECT_EQ(Pixel(10, top), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(13, top + 3), 0xFF000000u) << "shadow below right";
    EXPECT_EQ(Pixel(12, top), 0xFF102030u);
    EXPECT_EQ(pen[0], 20);

    Clear(0xFF102030);
    font.effect = 2;
    font.SetOutline(1024, 1);
    RECT rect;
    ASSERT_EQ(font.BlendString(&image, 10, 10, "A", &rect, nullptr), 0);
    EXPECT_EQ(rect.left, 9);
    EXPECT_EQ(rect.right, 13);
    EXPECT_EQ(rect.top, top - 1);
    EXPECT_LT((Pixel(9, top) >> 16) & 0xFF, 0x10u) << "outline left of the glyph";
    EXPECT_EQ(Pixel(10, top), 0xFFFFFFFFu) << "glyph over its outline";
}

TEST_F(AntialiasFontFake, TextExtentTable) {
    source.Solid('A', 3, 5, 64, 7);
    struct Case {
        const char* name;
        const char* text;
        std::uint8_t italic;
        std::uint8_t effect;
        std::int32_t lines, width, height, offset, count;
    } const cases[] = {
        {"one line", "AA", 0, 0, 1, 14, 16, 0, 2},
        {"only breaks", "\n\n", 0, 0, 3, 0, 2 * (16 + 4) + 16, 0, 0},
        {"widest line", "A\nAAA", 0, 0, 2, 21, 36, 0, 4},
        {"italic is wider", "AA", 1, 0, 1, 14 + 5, 16, 0, 2},
        {"outline grows both ways", "A", 0, 2, 1, 7 + 4, 16 + 4, -2, 1},
        {"picture without a set", "@3A", 0, 0, 1, 7, 16, 0, 2},
    };
    font.lineSpacing = 4;
    for (const auto& c : cases) {
        font.logFont.lfItalic = c.italic;
        font.effect = c.effect;
        std::int32_t size[2];
        std::int32_t ox = 99;
        std::int32_t oy = 99;
        std::int32_t count = -1;
        // Every case with lineSpacing 4; only line breaks use it.
        EXPECT_EQ(font.TextExtent(c.text, size, &ox, &oy, true, &count), c.lines) << c.name;
        EXPECT_EQ(size[0], c.width) << c.name;
        EXPECT_EQ(size[1], c.height) << c.name;
        EXPECT_EQ(ox, c.offset) << c.name;
        EXPECT_EQ(oy, c.offset) << c.name;
        EXPECT_EQ(count, c.count) << c.name;
    }
    std::int32_t size[2];
    EXPECT_EQ(font.TextExtent(nullptr, size, nullptr, nullptr, false, nullptr), 0);
}

// Every effect and level draws the same pixels whatever the cache holds; a freed glyph's bits
// are overwritten first, so drawing from one would show.
TEST_F(AntialiasFontFake, CacheCapacityDoesNotChangeThePixels) {
    source.Solid('A', 3, 4, 64, 6);
    source.Solid(0x82A0, 5, 6, 40, 9);
    source.Solid('b', 2, 7, 20, 4);
    g_glyphFreeHook = [](Glyph* g) {
        if (g->bits != nullptr) std::memset(g->bits, 0x5A, g->pitch * g->height);
    };
    const char* text = "A\x82\xa0" "b\nbA";
    for (std::uint8_t effect : {0, 1, 2}) {
        for (std::uint8_t level : {0, 1, 2}) {
            for (int op = 0; op < 3; ++op) {
                std::vector<std::uint32_t> reference;
                for (std::uint32_t capacity : {512u, 0u, 1u}) {
                    font.SetLevel(level);
                    font.effect = effect;
                    font.effectOffsetX = 2;
                    font.effectOffsetY = 1;
                    font.SetGlyphCacheCapacity(capacity);
                    font.Cache().Flush();
                    Clear(0x80405060);
                    if (op == 0) font.BlendString(&image, 3, 2, text, nullptr, nullptr);
                    if (op == 1) font.DrawString(&image, 3, 2, text, nullptr, nullptr);
                    if (op == 2) font.DrawText(&image, 3, 2, text, nullptr, nullptr);
                    if (capacity == 512) {
                        reference = Pixels();
                    } else {
                        EXPECT_EQ(Pixels(), reference) << "effect " << int(effect) << " level "
                                                       << int(level) << " op " << op
                                                       << " capacity " << capacity;
                    }
                }
            }
        }
    }
    g_glyphFreeHook = nullptr;
}

TEST_F(AntialiasFontFake, DrawStringWritesCoverageIntoAlphaOnly) {
    texttest::Shape s;
    s.width = 2;
    s.height = 1;
    s.originY = 1;
    s.grey = {64, 16};
    source.shapes['A'] = s;
    RECT rect;
    ASSERT_EQ(font.DrawString(&image, 4, 4, "A", &rect, nullptr), 0);
    const std::int32_t y = 4 + font.baselineY - 1;
    EXPECT_EQ(Pixel(4, y), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(5, y), 0x40FFFFFFu);
    EXPECT_EQ(Pixel(6, y), 0xFF102030u) << "outside the glyph box untouched";
    EXPECT_EQ(Pixel(4, y - 1), 0xFF102030u);
    PixelBuffer grey;
    ASSERT_EQ(grey.Create(8, 8, 8, false), 0);
    EXPECT_EQ(font.DrawString(&grey, 0, 0, "A", nullptr, nullptr), 1);
    EXPECT_EQ(font.DrawString(nullptr, 0, 0, "A", nullptr, nullptr), 1);
}

TEST_F(AntialiasFontFake, GradientByRowsAlsoOnClippedGlyphs) {
    source.Solid('A', 2, 16, 64, 10);
    source.shapes['A'].originY = font.baselineY;  // glyph top on the top of the cell
    ASSERT_EQ(font.SetGradient(true, 0xFF0000, 0x0000FF, true), 0);
    std::vector<std::uint32_t> column;
    ASSERT_EQ(font.BlendString(&image, 0, 0, "A", nullptr, nullptr), 0);
    for (int r = 0; r < 16; ++r) column.push_back(Pixel(0, r) & 0xFFFFFF);
    EXPECT_EQ(column[0], 0xFF0000u);
    for (int r = 1; r < 16; ++r) {
        EXPECT_LT(column[r] >> 16, column[r - 1] >> 16) << "row " << r;
    }
    // Drawn 5 rows above the picture: the visible rows keep their own entries.
    Clear(0xFF102030);
    ASSERT_EQ(font.BlendString(&image, 0, -5, "A", nullptr, nullptr), 0);
    for (int r = 0; r < 11; ++r) {
        EXPECT_EQ(Pixel(0, r) & 0xFFFFFF, column[r + 5]) << "row " << r;
    }
}

TEST_F(AntialiasFontFake, InlinePictures) {
    PixelBuffer sheet;
    ASSERT_EQ(sheet.Create(100, 20, 8, false), 0);
    // Cell i (30 x 10, three a row) holds the value 10 + i.
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 100; ++x) {
            sheet.Row(y)[x] = static_cast<std::uint8_t>(x < 90 ? 10 + (y / 10) * 3 + x / 30 : 0);
        }
    }
    ASSERT_EQ(font.LoadPictureGlyphs(sheet, 5, 30, 10, 1), 0);
    Glyph* cell = font.GetGlyph(4, 16, 0, 0, 0, true);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->bits[0], 14) << "second row of cells, second cell";
    EXPECT_EQ(cell->advanceX, 30);
    EXPECT_EQ(font.GetGlyph(5, 16, 0, 0, 0, true), nullptr);

    source.Solid('8', 1, 1, 64, 6);
    std::int32_t pen[2];
    ASSERT_EQ(font.BlendString(&image, 0, 0, "@1", nullptr, pen), 0);
    EXPECT_EQ(pen[0], 30);
    ASSERT_EQ(font.BlendString(&image, 0, 0, "@123456788", nullptr, pen), 0);
    EXPECT_EQ(pen[0], 12) << "picture 1234567 beyond the count: no advance; then 8 and 8";
    std::int32_t size[2];
    font.TextExtent("@2@@", size, nullptr, nullptr, false, nullptr);
    EXPECT_EQ(size[0], 40);

    // Bad sizes are refused before the set is touched.
    for (auto bad : {std::array<std::int32_t, 3>{0, 30, 10}, std::array<std::int32_t, 3>{5, 0, 10},
                     std::array<std::int32_t, 3>{5, 30, -1}}) {
        EXPECT_EQ(font.LoadImageGlyphs("none.bmp", bad[0], bad[1], bad[2], 1), -1);
        EXPECT_EQ(font.LoadPictureGlyphs(sheet, bad[0], bad[1], bad[2], 1), -1);
    }
    EXPECT_EQ(font.Pictures()->Count(), 5);
    EXPECT_EQ(font.LoadPictureGlyphs(sheet, 7, 30, 10, 1), 2) << "only six cells fit";
    EXPECT_EQ(font.Pictures()->Count(), 0);
}

TEST_F(AntialiasFontFake, TurnedTextAdvancesDownAndStepsLeft) {
    MathTables tables;
    g_mathTables = &tables;
    source.Solid('A', 2, 2, 64, 9);
    ASSERT_EQ(font.SetEscapement(2700), 0);
    font.SetGlyphSource(&source);
    std::int32_t pen[2];
    font.lineSpacing = 2;
    ASSERT_EQ(font.BlendString(&image, 40, 3, "AA\nA", nullptr, pen), 0);
    EXPECT_EQ(pen[0], 40 - 18);
    EXPECT_EQ(pen[1], 3 + 9);
    // Pictures turned after loading get the turned advance too.
    PixelBuffer sheet;
    ASSERT_EQ(sheet.Create(8, 4, 8, false), 0);
    ASSERT_EQ(font.LoadPictureGlyphs(sheet, 1, 8, 4, 1), 0);
    EXPECT_EQ(font.GetGlyph(0, 16, 0, 0, 0, true)->advanceY, 4);
    font.SetEscapement(450);
    Glyph* turned = font.GetGlyph(0, 16, 0, 0, 0, true);
    EXPECT_EQ(turned->advanceX, (8 * tables.CosFixed()[64]) >> 16);
    EXPECT_EQ(turned->advanceY, (-(4 * tables.CosFixed()[(64 - 128) & 511])) >> 16);
    g_mathTables = nullptr;
}

TEST_F(AntialiasFontFake, EightBitTargetsTakeIndexValues) {
    texttest::Shape s;
    s.width = 3;
    s.height = 1;
    s.originY = 1;
    s.grey = {64, 16, 40};  // coverage 255, 64, 160
    source.shapes['A'] = s;
    font.colour[0] = 200;
    ASSERT_EQ(font.SetGradient(true, 0xFF0000, 0x0000FF, true), 0);  // ignored on 8 bits
    PixelBuffer indexed;
    ASSERT_EQ(indexed.Create(8, 40, 8, false), 0);
    const std::int32_t y = font.baselineY - 1;
    struct Case {
        std::uint8_t level;
        std::uint8_t expected[3];
    } const cases[] = {
        {0, {200, 10, 200}},
        {2, {200, (10 * 191 + 127) / 255 + (200 * 64 + 127) / 255,
             (10 * 95 + 127) / 255 + (200 * 160 + 127) / 255}},
    };
    for (const auto& c : cases) {
        indexed.FillRect(10, 0, 0, nullptr, nullptr);
        font.SetLevel(c.level);
        ASSERT_EQ(font.BlendString(&indexed, 0, 0, "A", nullptr, nullptr), 0);
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(indexed.GetPixel(x, y), c.expected[x]) << "level " << int(c.level);
        }
    }
}

TEST_F(AntialiasFontFake, CacheEntriesBySizeAndStyleFlushedByLevelAndAngle) {
    source.Solid('A', 2, 2);
    font.BlendString(&image, 0, 0, "A", nullptr, nullptr);
    font.SetSize(20);
    font.BlendString(&image, 0, 0, "A", nullptr, nullptr);
    font.SetBold(true, 0);
    font.BlendString(&image, 0, 0, "AA", nullptr, nullptr);
    EXPECT_EQ(font.Cache().Count(), 3u);
    font.SetGlyphCacheCapacity(2);
    EXPECT_EQ(font.Cache().Count(), 2u) << "lowering the capacity evicts at once";
    font.SetLevel(1);
    EXPECT_EQ(font.Cache().Count(), 0u);
    font.BlendString(&image, 0, 0, "A", nullptr, nullptr);
    font.SetEscapement(900);
    EXPECT_EQ(font.Cache().Count(), 0u);
}

TEST_F(AntialiasFontFake, MmxAndPlainDrawTheSamePixels) {
    std::mt19937 random(176);
    for (std::uint32_t code : {0x41u, 0x42u, 0x82A0u}) {
        texttest::Shape s;
        s.width = 3 + random() % 9;
        s.height = 3 + random() % 9;
        s.originY = s.height;
        s.advance = s.width + 1;
        for (int i = 0; i < s.width * s.height; ++i) {
            s.grey.push_back(static_cast<std::uint8_t>(random() % 65));
        }
        source.shapes[code] = s;
    }
    font.SetOutline(1024, 1);
    font.effectOffsetX = -2;
    font.effectOffsetY = 3;
    font.colour[0] = 250;
    font.colour[1] = 7;
    font.effectColour[2] = 130;
    for (bool gradient : {false, true}) {
        font.SetGradient(gradient, 0xFF8000, 0x0010FF, true);
        for (std::uint8_t effect : {0, 1, 2}) {
            font.effect = effect;
            for (int op = 0; op < 3; ++op) {
                std::vector<std::uint32_t> results[2];
                for (KernelForm form : {KernelForm::Plain, KernelForm::Mmx}) {
                    ForceKernelForm(form);
                    font.Cache().Flush();
                    image.FillValue(0x7F102030, nullptr, nullptr);
                    const char* text = "AB\x82\xa0\nBA";
                    if (op == 0) font.BlendString(&image, 1, -4, text, nullptr, nullptr);
                    if (op == 1) font.DrawString(&image, 1, -4, text, nullptr, nullptr);
                    if (op == 2) font.DrawText(&image, 1, -4, text, nullptr, nullptr);
                    results[form == KernelForm::Mmx] = Pixels();
                }
                ForceKernelForm(KernelForm::Detected);
                EXPECT_EQ(results[0], results[1])
                    << "gradient " << gradient << " effect " << int(effect) << " op " << op;
            }
        }
    }
}

TEST_F(AntialiasFontFake, SetFaceAnswers) {
    source.Solid('A', 2, 2);
    font.BlendString(&image, 0, 0, "A", nullptr, nullptr);
    EXPECT_EQ(font.SetFace(nullptr), 3);
    EXPECT_EQ(font.SetFace("Arial"), 0);
    EXPECT_EQ(font.Cache().Count(), 1u) << "the same face keeps the cache";
    EXPECT_EQ(font.SetFace("ＭＳ ゴシック"), 0);
    EXPECT_EQ(font.Cache().Count(), 0u);
    EXPECT_STREQ(font.logFont.lfFaceName, "ＭＳ ゴシック");
    GdiFont gdi;
    EXPECT_EQ(gdi.SetFace(nullptr), 2);
}

TEST(FontFaceName, CopiesAtMostThirtyOneBytesAndWholePairs) {
    char face[LF_FACESIZE];
    std::string longName(40, 'x');
    CopyFaceName(face, longName.c_str());
    EXPECT_EQ(std::strlen(face), 31u);
    // 30 ASCII bytes then a pair: the pair would need bytes 31 and 32.
    std::string pair = std::string(30, 'y') + "\x82\xa0";
    CopyFaceName(face, pair.c_str());
    EXPECT_EQ(std::string(face), std::string(30, 'y'));
}

}  // namespace

namespace {

TEST(FontBounds, TurnedBoxes) {
    MathTables tables;
    g_mathTables = &tables;
    AntialiasFont font;
    struct Case {
        std::int32_t angle;
        RECT expected;
    } const cases[] = {
        {0, {3, 4, 13, 20}},
        // The origin turns to (-4, 3); the box runs 10 down and 16 to the left of it.
        {2700, {-20, 3, -4, 13}},
    };
    for (const auto& c : cases) {
        font.logFont.lfEscapement = c.angle;
        RECT r;
        font.GetRotatedTextBounds(&r, 3, 4, 10, 16);
        EXPECT_EQ(r.left, c.expected.left) << c.angle;
        EXPECT_EQ(r.top, c.expected.top) << c.angle;
        EXPECT_EQ(r.right, c.expected.right) << c.angle;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.angle;
    }
    g_mathTables = nullptr;
}

}  // namespace
