#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "graphics/compose/gradient_table.h"
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

// The math tables published for one test, withdrawn at its end even when an assertion ends
// it early.
struct PublishedMathTables {
    PublishedMathTables() { g_mathTables = &tables; }
    ~PublishedMathTables() { g_mathTables = nullptr; }
    MathTables tables;
};

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

// The gradient runs down the rows at escapement 0 and across the columns at 2700 (from the
// left edge of the turned cell), one entry per pixel from the glyph's depth into the cell; a
// glyph clipped at the picture's edge keeps the entries of its visible rows or columns. Every
// drawing form takes the same entries.
TEST_F(AntialiasFontFake, GradientByRowsAndColumnsAlsoOnClippedGlyphs) {
    PublishedMathTables published;
    GradientTable expected;
    ASSERT_EQ(expected.Build(16, 0xFF0000, 0x0000FF, 32), 0);
    const auto* entries = static_cast<const std::uint32_t*>(expected.Entries());
    struct Case {
        const char* name;
        std::int32_t angle;
        std::int32_t depth;   // first row (column) of the glyph inside the cell
        std::int32_t length;  // rows (columns) of the glyph
        std::int32_t cut;     // of them beyond the picture's top (left) edge
    } const cases[] = {
        {"rows, whole cell", 0, 0, 16, 0},
        {"rows, clipped", 0, 0, 16, 5},
        {"rows, glyph inside the cell", 0, 3, 10, 0},
        {"rows, inside and clipped", 0, 3, 10, 4},
        {"columns, whole cell", 2700, 0, 16, 0},
        {"columns, clipped", 2700, 0, 16, 5},
        {"columns, glyph inside the cell", 2700, 3, 10, 0},
        {"columns, inside and clipped", 2700, 3, 10, 4},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(font.SetEscapement(c.angle), 0);
        ASSERT_EQ(font.SetGradient(true, 0xFF0000, 0x0000FF, true), 0);
        const bool columns = c.angle == 2700;
        std::int32_t penX = 4;
        std::int32_t penY = 4;
        if (columns) {
            // The turned cell lies left of the pen: its left edge is the gradient's first entry.
            source.Solid('A', c.length, 2);
            source.shapes['A'].originX = -16 + c.depth - font.baselineX;
            source.shapes['A'].originY = font.baselineY;
            penX = 16 - c.depth - c.cut;
        } else {
            source.Solid('A', 2, c.length);
            source.shapes['A'].originY = font.baselineY - c.depth;
            penY = -c.depth - c.cut;
        }
        for (int op = 0; op < 4; ++op) {
            font.SetLevel(op == 1 ? 0 : 2);
            Clear(0xFF102030);
            if (op <= 1) font.BlendString(&image, penX, penY, "A", nullptr, nullptr);
            if (op == 2) font.DrawText(&image, penX, penY, "A", nullptr, nullptr);
            if (op == 3) font.DrawString(&image, penX, penY, "A", nullptr, nullptr);
            for (std::int32_t i = c.cut; i < c.length; ++i) {
                const std::uint32_t pixel =
                    columns ? Pixel(i - c.cut, penY) : Pixel(penX, i - c.cut);
                EXPECT_EQ(pixel & 0xFFFFFF, entries[c.depth + i] & 0xFFFFFF)
                    << c.name << " op " << op << " at " << i;
            }
        }
    }
}

// The shadow offset turns with the text, except at escapement 2700 (and without the math
// tables), in every drawing form.
TEST_F(AntialiasFontFake, ShadowOffsetTurnsWithTheText) {
    PublishedMathTables published;
    MathTables& tables = published.tables;
    source.Solid('A', 1, 1);
    font.effect = 1;
    font.effectOffsetX = 3;
    font.effectOffsetY = 2;
    struct Case {
        std::int32_t angle;
        bool withTables;
        std::int32_t dx, dy;
    } const cases[] = {
        {0, true, 3, 2},
        {450, true, 3, -1},  // (3 + 2, 2 - 3) x 0.7071, rounded down
        {900, true, 2, -3},
        {1800, true, -3, -2},
        {2700, true, 3, 2},
        {900, false, 3, 2},
    };
    for (const auto& c : cases) {
        g_mathTables = &tables;
        ASSERT_EQ(font.SetEscapement(c.angle), 0);
        g_mathTables = c.withTables ? &tables : nullptr;
        POINT glyph{-1, -1};
        for (int op = 0; op < 3; ++op) {
            Clear(0xFF102030);
            if (op == 0) font.BlendString(&image, 30, 20, "A", nullptr, nullptr);
            if (op == 1) font.DrawText(&image, 30, 20, "A", nullptr, nullptr);
            if (op == 2) font.DrawString(&image, 30, 20, "A", nullptr, nullptr);
            POINT shadow{-1, -1};
            int shadows = 0;
            for (int y = 0; y < image.Height(); ++y) {
                for (int x = 0; x < image.Width(); ++x) {
                    const std::uint32_t p = Pixel(x, y) & 0xFFFFFF;
                    if (p == 0) {
                        shadow = {x, y};
                        ++shadows;
                    } else if (p == 0xFFFFFF && op == 0) {
                        glyph = {x, y};
                    }
                }
            }
            ASSERT_EQ(shadows, 1) << c.angle << " op " << op;
            EXPECT_EQ(shadow.x - glyph.x, c.dx) << c.angle << " tables " << c.withTables << " op " << op;
            EXPECT_EQ(shadow.y - glyph.y, c.dy) << c.angle << " tables " << c.withTables << " op " << op;
        }
    }
}

// A lead byte right before the terminator ends the text: nothing after the terminator is
// asked for, drawn or measured.
TEST_F(AntialiasFontFake, LoneLeadByteBeforeTheTerminatorEndsTheText) {
    source.Solid('A', 3, 4, 64, 7);
    source.Solid('B', 6, 9, 64, 11);
    source.Solid(0x8200, 5, 5, 64, 13);
    const char lone[] = "A\x82\0BB";
    for (std::uint8_t effect : {0, 1, 2}) {
        font.effect = effect;
        font.effectOffsetX = 2;
        font.effectOffsetY = 2;
        for (int op = 0; op < 3; ++op) {
            std::vector<std::uint32_t> pictures[2];
            std::int32_t pens[2][2];
            RECT rects[2];
            for (int i = 0; i < 2; ++i) {
                const char* text = i == 0 ? "A" : lone;
                font.Cache().Flush();
                source.asked.clear();
                Clear(0xFF102030);
                if (op == 0) font.BlendString(&image, 5, 5, text, &rects[i], pens[i]);
                if (op == 1) font.DrawString(&image, 5, 5, text, &rects[i], pens[i]);
                if (op == 2) font.DrawText(&image, 5, 5, text, &rects[i], pens[i]);
                pictures[i] = Pixels();
                EXPECT_EQ(source.asked, std::set<std::uint32_t>{'A'})
                    << "effect " << int(effect) << " op " << op;
            }
            EXPECT_EQ(pictures[1], pictures[0]) << "effect " << int(effect) << " op " << op;
            EXPECT_EQ(pens[1][0], pens[0][0]);
            EXPECT_EQ(pens[1][1], pens[0][1]);
            EXPECT_TRUE(EqualRect(&rects[1], &rects[0])) << "effect " << int(effect) << " op " << op;
        }
        std::int32_t size[2];
        std::int32_t count = 0;
        source.asked.clear();
        EXPECT_EQ(font.TextExtent(lone, size, nullptr, nullptr, true, &count), 1);
        std::int32_t alone[2];
        font.TextExtent("A", alone, nullptr, nullptr, true, nullptr);
        EXPECT_EQ(size[0], alone[0]);
        EXPECT_EQ(size[1], alone[1]);
        EXPECT_EQ(count, 1);
        EXPECT_EQ(source.asked, std::set<std::uint32_t>{'A'});
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
    PublishedMathTables published;
    // At 2700 the gradient runs by columns; the second line lies across the left edge.
    for (std::int32_t angle : {0, 2700}) {
        ASSERT_EQ(font.SetEscapement(angle), 0);
        const std::int32_t x = angle == 0 ? 1 : 30;
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
                        if (op == 0) font.BlendString(&image, x, -4, text, nullptr, nullptr);
                        if (op == 1) font.DrawString(&image, x, -4, text, nullptr, nullptr);
                        if (op == 2) font.DrawText(&image, x, -4, text, nullptr, nullptr);
                        results[form == KernelForm::Mmx] = Pixels();
                    }
                    ForceKernelForm(KernelForm::Detected);
                    EXPECT_EQ(results[0], results[1]) << "angle " << angle << " gradient "
                                                      << gradient << " effect " << int(effect)
                                                      << " op " << op;
                }
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

// Loading answers 3 when the cells cannot be had, and leaves no cells. The plane is one row
// read again and again (pitch 0), so its claimed size costs nothing.
TEST(PictureGlyphSet, LoadAnswersThreeWhenMemoryRunsOut) {
    const std::uint8_t row[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    struct Case {
        const char* name;
        std::int32_t width, height, count, cellWidth, cellHeight;
    } const cases[] = {
        {"a cell beyond any address range", 0x40000000, 8, 1, 0x40000000, 8},
        {"a 2 GB cell", 4, 0x1FFFFFF0, 1, 4, 0x1FFFFFF0},
        {"more cells than the address space holds", 1, 0x10000000, 0x10000000, 1, 1},
    };
    PictureGlyphSet set;
    for (const auto& c : cases) {
        ASSERT_EQ(set.Load(row, 8, 8, 1, 1, 8, 1, 1), 0);
        EXPECT_EQ(set.Load(row, 0, c.width, c.height, c.count, c.cellWidth, c.cellHeight, 1), 3)
            << c.name;
        EXPECT_EQ(set.Count(), 0) << c.name;
        EXPECT_EQ(set.Get(0, 2, false), nullptr) << c.name;
        EXPECT_EQ(set.Get(0, 0, false), nullptr) << c.name;
    }
    ASSERT_EQ(set.Load(row, 8, 8, 1, 2, 4, 1, 1), 0);
    Glyph* second = set.Get(1, 2, false);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->bits[0], 5);
    ASSERT_NE(set.Get(1, 2, true), nullptr) << "outline glyphs are made again";
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
