// AntialiasFont and GdiFont with the Japanese faces the scripts name, as Wine resolves them to
// the IPA fonts. Expected positions come from this test's own GDI queries.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/compose/math_tables.h"
#include "graphics/image/pixel_buffer.h"
#include "graphics/text/antialias_font.h"
#include "graphics/text/gdi_font.h"

namespace {

// The math tables published for one test, withdrawn at its end even when an assertion ends
// it early.
struct PublishedMathTables {
    PublishedMathTables() { g_mathTables = &tables; }
    ~PublishedMathTables() { g_mathTables = nullptr; }
    MathTables tables;
};

const char kGothic[] = "ＭＳ ゴシック";
const char kPGothic[] = "ＭＳ Ｐゴシック";
const char kMincho[] = "ＭＳ 明朝";

// A DC holding a font of our own, for the expected metrics.
class ReferenceFont {
public:
    ReferenceFont(const char* face, std::int32_t size, std::int32_t angle = 0) {
        LOGFONTA lf;
        std::memset(&lf, 0, sizeof(lf));
        lf.lfHeight = -size;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        lf.lfQuality = NONANTIALIASED_QUALITY;
        lf.lfEscapement = lf.lfOrientation = angle;
        std::strcpy(lf.lfFaceName, face);
        m_font = CreateFontIndirectA(&lf);
        m_dc = CreateCompatibleDC(nullptr);
        SelectObject(m_dc, m_font);
    }
    ~ReferenceFont() {
        DeleteDC(m_dc);
        DeleteObject(m_font);
    }
    std::int32_t Width(const char* text, int length) const {
        SIZE size{0, 0};
        GetTextExtentPoint32A(m_dc, text, length, &size);
        return size.cx;
    }
    std::int32_t Ascent() const {
        TEXTMETRICA tm{};
        GetTextMetricsA(m_dc, &tm);
        OUTLINETEXTMETRICA otm{};
        if (tm.tmInternalLeading > 0 && GetOutlineTextMetricsA(m_dc, sizeof(otm), &otm)) {
            return otm.otmAscent;
        }
        return tm.tmAscent;
    }
    // The metrics GDI reports with the bitmap of a level.
    GLYPHMETRICS Metrics(UINT code, std::uint8_t level) const {
        static const UINT kFormats[3] = {GGO_BITMAP, GGO_GRAY4_BITMAP, GGO_GRAY8_BITMAP};
        GLYPHMETRICS gm{};
        MAT2 identity{};
        identity.eM11.value = identity.eM22.value = 1;
        GetGlyphOutlineA(m_dc, code, kFormats[level], &gm, 0, nullptr, &identity);
        return gm;
    }
    HDC Dc() const { return m_dc; }

private:
    HFONT m_font;
    HDC m_dc;
};

struct Character {
    const char* name;
    const char* bytes;
    UINT code;
};
const Character kCharacters[] = {
    {"A", "A", 'A'},
    {"hiragana a", "\x82\xa0", 0x82A0},
    {"kanji a", "\x88\x9f", 0x889F},
    {"half-width ka", "\xb1", 0xB1},
    {"kanji with trail 0x5c", "\x95\x5c", 0x955C},
};

TEST(RealFonts, JapaneseNamesSelectTheirFaces) {
    ReferenceFont gothic(kGothic, 24);
    ReferenceFont proportional(kPGothic, 24);
    EXPECT_EQ(gothic.Width("i", 1), gothic.Width("W", 1)) << "fixed pitch";
    EXPECT_LT(proportional.Width("i", 1), proportional.Width("W", 1)) << "proportional";
    // Gothic and Mincho draw the same kanji differently.
    ReferenceFont mincho(kMincho, 24);
    std::vector<std::uint8_t> a(4096);
    std::vector<std::uint8_t> b(4096);
    MAT2 identity{};
    identity.eM11.value = identity.eM22.value = 1;
    GLYPHMETRICS gm;
    const DWORD na = GetGlyphOutlineA(gothic.Dc(), 0x889F, GGO_GRAY8_BITMAP, &gm, 4096, a.data(),
                                      &identity);
    const DWORD nb = GetGlyphOutlineA(mincho.Dc(), 0x889F, GGO_GRAY8_BITMAP, &gm, 4096, b.data(),
                                      &identity);
    ASSERT_NE(na, GDI_ERROR);
    ASSERT_NE(nb, GDI_ERROR);
    EXPECT_NE(a, b);
}

TEST(RealFonts, GlyphsAtEveryLevel) {
    ReferenceFont reference(kGothic, 24);
    const std::int32_t ascent = reference.Ascent();
    for (std::uint8_t level : {0, 1, 2}) {
        AntialiasFont font;
        ASSERT_EQ(font.SetFont(24, false, 0, kGothic), 0);
        font.SetLevel(level);
        EXPECT_EQ(font.baselineY, ascent);
        for (const auto& c : kCharacters) {
            Glyph* g = font.GetGlyph(c.code, 24, 0, 0, 0, false);
            ASSERT_NE(g, nullptr) << c.name;
            ASSERT_NE(g->bits, nullptr) << c.name;
            const GLYPHMETRICS gm = reference.Metrics(c.code, level);
            EXPECT_EQ(g->x, gm.gmptGlyphOrigin.x) << c.name << " level " << int(level);
            EXPECT_EQ(g->y, ascent - gm.gmptGlyphOrigin.y) << c.name << " level " << int(level);
            EXPECT_EQ(g->advanceX, reference.Width(c.bytes, static_cast<int>(std::strlen(c.bytes))))
                << c.name;
            int full = 0;
            for (std::int32_t r = 0; r < g->height; ++r) {
                for (std::int32_t col = 0; col < g->width; ++col) {
                    const std::uint8_t v = g->bits[r * g->pitch + col];
                    full += v == 255;
                    if (level == 0) {
                        ASSERT_TRUE(v == 0 || v == 255) << c.name;
                    }
                }
            }
            EXPECT_GT(full, 0) << c.name << " level " << int(level) << ": a full stroke";
        }
        // Space: an empty glyph that still advances.
        Glyph* space = font.GetGlyph(' ', 24, 0, 0, 0, false);
        ASSERT_NE(space, nullptr);
        EXPECT_EQ(space->bits, nullptr);
        EXPECT_EQ(space->advanceX, reference.Width(" ", 1));
    }
}

TEST(RealFonts, DrawnInkStaysInsideTheRectAndPensFollowGdiWidths) {
    ReferenceFont reference(kPGothic, 20);
    AntialiasFont font;
    ASSERT_EQ(font.SetFont(20, false, 0, kPGothic), 0);
    font.lineSpacing = 3;
    font.effectOffsetX = 2;
    font.effectOffsetY = -2;
    PixelBuffer image;
    ASSERT_EQ(image.Create(200, 80, 32, false), 0);
    const std::string line = "Aあ亜ｱ表x";
    const std::string text = line + "\n" + "A";
    std::int32_t sum = 0;
    for (const char* p = line.c_str(); *p;) {
        const int n = (static_cast<unsigned char>(*p) >= 0x81 &&
                       static_cast<unsigned char>(*p) <= 0x9F) ||
                              static_cast<unsigned char>(*p) >= 0xE0
                          ? 2
                          : 1;
        sum += reference.Width(p, n);
        p += n;
    }
    for (std::uint8_t level : {0, 1, 2}) {
        for (std::uint8_t effect : {0, 1, 2}) {
            font.SetLevel(level);
            font.effect = effect;
            image.FillValue(0xFF000080, nullptr, nullptr);
            RECT rect;
            std::int32_t pen[2];
            ASSERT_EQ(font.BlendString(&image, 5, 6, text.c_str(), &rect, pen), 0);
            EXPECT_EQ(pen[0], 5 + reference.Width("A", 1));
            EXPECT_EQ(pen[1], 6 + 20 + 3) << "the next line |h| + lineSpacing lower";
            std::int32_t penOnly[2];
            font.BlendString(&image, 5, 6, line.c_str(), nullptr, penOnly);
            EXPECT_EQ(penOnly[0], 5 + sum);
            int inked = 0;
            for (int y = 0; y < 80; ++y) {
                for (int x = 0; x < 200; ++x) {
                    const bool inside =
                        x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
                    const bool ink = image.GetPixel(x, y) != 0xFF000080u;
                    inked += ink;
                    if (!inside) {
                        ASSERT_FALSE(ink) << x << "," << y << " level " << int(level)
                                          << " effect " << int(effect);
                    }
                }
            }
            EXPECT_GT(inked, 0);
        }
    }
}

TEST(RealFonts, TurnedTextAdvancesDownAndLinesStepLeft) {
    MathTables tables;
    g_mathTables = &tables;
    AntialiasFont font;
    ASSERT_EQ(font.SetFont(16, false, 0, (std::string("@") + kGothic).c_str()), 0);
    ASSERT_EQ(font.SetEscapement(2700), 0);
    PixelBuffer image;
    ASSERT_EQ(image.Create(64, 64, 32, false), 0);
    std::int32_t pen[2];
    ASSERT_EQ(font.BlendString(&image, 40, 2, "\x82\xa0", nullptr, pen), 0);
    EXPECT_EQ(pen[0], 40);
    EXPECT_EQ(pen[1], 2 + 16);
    ASSERT_EQ(font.BlendString(&image, 40, 2, "\x82\xa0\n", nullptr, pen), 0);
    EXPECT_EQ(pen[0], 40 - 16);
    EXPECT_EQ(pen[1], 2);
    g_mathTables = nullptr;
}

TEST(RealFonts, GdiMaskPeaksAt246AndEmptyLinesKeepTheirHeight) {
    GdiFont font;
    ASSERT_EQ(font.SetFont(24, false, 0, kGothic), 0);
    font.SetLevel(1);
    PixelBuffer image;
    ASSERT_EQ(image.Create(120, 120, 32, false), 0);
    image.FillValue(0, nullptr, nullptr);
    RECT rect;
    ASSERT_EQ(font.DrawString(&image, 0, 0, "\x81\xa1", &rect, nullptr), 0);  // a filled square
    std::uint32_t peak = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            peak = std::max(peak, image.GetPixel(x, y) >> 24);
        }
    }
    EXPECT_EQ(peak, 246u);

    // "A\n\nB": the empty line measures as the font's height, so B lies whole in the mask.
    font.SetLevel(0);
    TEXTMETRICA tm{};
    GetTextMetricsA(font.dc, &tm);
    std::int32_t size[2];
    EXPECT_EQ(font.TextExtent("A\n\nB", size, nullptr, nullptr, false, nullptr), 3);
    EXPECT_EQ(size[1], 3 * tm.tmHeight);
    PixelBuffer whole;
    PixelBuffer alone;
    ASSERT_EQ(whole.Create(60, 100, 32, false), 0);
    ASSERT_EQ(alone.Create(60, 100, 32, false), 0);
    whole.FillValue(0, nullptr, nullptr);
    alone.FillValue(0, nullptr, nullptr);
    ASSERT_EQ(font.DrawString(&whole, 0, 0, "A\n\nB", nullptr, nullptr), 0);
    ASSERT_EQ(font.DrawString(&alone, 0, 48, "B", nullptr, nullptr), 0);
    int inked = 0;
    for (int y = 48; y < 48 + tm.tmHeight; ++y) {
        for (int x = 0; x < 30; ++x) {
            EXPECT_EQ(whole.GetPixel(x, y) >> 24, alone.GetPixel(x, y) >> 24) << x << "," << y;
            inked += (alone.GetPixel(x, y) >> 24) != 0;
        }
    }
    EXPECT_GT(inked, 0);
}

// Whether any pixel of columns [left, right) differs from the background.
bool InkBetween(PixelBuffer& image, std::int32_t left, std::int32_t right,
                std::uint32_t background) {
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = left; x < right; ++x) {
            if ((image.GetPixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) {
                return true;
            }
        }
    }
    return false;
}

std::vector<std::uint32_t> AllPixels(PixelBuffer& image) {
    std::vector<std::uint32_t> all;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            all.push_back(image.GetPixel(x, y));
        }
    }
    return all;
}

// A line far longer than any fixed buffer is measured, drawn into the text sprite and drawn on
// a device context whole: its last character has ink.
TEST(RealFonts, GdiDrawsALongLineWhole) {
    GdiFont font;
    ASSERT_EQ(font.SetFont(12, false, 0, kGothic), 0);
    font.SetLevel(0);
    ReferenceFont reference(kGothic, 12);
    const std::string longLine(1000, 'i');
    const std::int32_t width = reference.Width(longLine.c_str(), 1000);
    const std::int32_t lastCell = reference.Width(longLine.c_str(), 999);
    std::int32_t size[2];
    ASSERT_EQ(font.TextExtent(longLine.c_str(), size, nullptr, nullptr, false, nullptr), 1);
    EXPECT_EQ(size[0], width);

    PixelBuffer sprite;
    ASSERT_EQ(sprite.Create(width + 8, size[1], 32, false), 0);
    sprite.FillValue(0, nullptr, nullptr);
    RECT rect;
    ASSERT_EQ(font.DrawString(&sprite, 0, 0, longLine.c_str(), &rect, nullptr), 0);
    EXPECT_EQ(rect.right, width);
    bool lastInked = false;
    for (int y = 0; y < sprite.Height(); ++y) {
        for (int x = lastCell; x < width; ++x) {
            lastInked = lastInked || (sprite.GetPixel(x, y) >> 24) != 0;
        }
    }
    EXPECT_TRUE(lastInked) << "the text sprite holds the last character";

    PixelBuffer target;
    ASSERT_EQ(target.Create(width + 8, size[1], 32, true), 0);
    target.FillValue(0, nullptr, nullptr);
    ASSERT_EQ(font.DrawLines(target.MemoryDc(), 0, 0, longLine.c_str()), 0);
    GdiFlush();
    EXPECT_TRUE(InkBetween(target, lastCell, width, 0)) << "TextOutA drew the last character";
}

// A lead byte right before the terminator ends the text: the bytes after the terminator are
// never measured or drawn.
TEST(RealFonts, GdiLoneLeadByteBeforeTheTerminatorEndsTheText) {
    GdiFont font;
    ASSERT_EQ(font.SetFont(12, false, 0, kGothic), 0);
    ReferenceFont reference(kGothic, 12);
    const char lone[] = "A\x82\0WWWW";
    std::int32_t size[2];
    std::int32_t count = 0;
    EXPECT_EQ(font.TextExtent(lone, size, nullptr, nullptr, false, &count), 1);
    EXPECT_EQ(size[0], reference.Width("A", 1));
    EXPECT_EQ(count, 1);
    for (std::uint8_t level : {0, 1}) {
        font.SetLevel(level);
        for (int op = 0; op < 3; ++op) {
            std::vector<std::uint32_t> pictures[2];
            for (int i = 0; i < 2; ++i) {
                const char* text = i == 0 ? "A" : lone;
                PixelBuffer image;
                ASSERT_EQ(image.Create(80, 20, 32, op == 2), 0);
                image.FillValue(0, nullptr, nullptr);
                if (op == 0) {
                    ASSERT_EQ(font.DrawString(&image, 2, 2, text, nullptr, nullptr), 0);
                }
                if (op == 1) {
                    ASSERT_EQ(font.BlendString(&image, 2, 2, text, nullptr, nullptr), 0);
                }
                if (op == 2) {
                    ASSERT_EQ(font.DrawLines(image.MemoryDc(), 2, 2, text), 0);
                    GdiFlush();
                }
                pictures[i] = AllPixels(image);
            }
            EXPECT_EQ(pictures[1], pictures[0]) << "level " << int(level) << " op " << op;
            EXPECT_NE(pictures[0], std::vector<std::uint32_t>(80 * 20, 0u)) << "A has ink";
        }
    }
}

// The shadow offset turns with the text at 2700 too: the shadowed line is the line drawn at
// (x, y) and again three pixels further along the text, that is lower.
TEST(RealFonts, GdiShadowTurnsAt2700) {
    PublishedMathTables published;
    GdiFont font;
    ASSERT_EQ(font.SetFont(16, false, 0, (std::string("@") + kGothic).c_str()), 0);
    ASSERT_EQ(font.SetEscapement(2700), 0);
    font.effectOffsetX = 3;
    font.effectOffsetY = 0;
    font.effectColour[0] = font.effectColour[1] = font.effectColour[2] = 255;
    font.colour[0] = font.colour[1] = font.colour[2] = 255;
    auto draw = [&](std::uint8_t effect, std::int32_t x, std::int32_t y, PixelBuffer* image) {
        font.effect = effect;
        ASSERT_EQ(font.DrawLines(image->MemoryDc(), x, y, "\x82\xa0" "A\nI"), 0);
        GdiFlush();
    };
    PixelBuffer shadowed;
    PixelBuffer twice;
    ASSERT_EQ(shadowed.Create(64, 64, 32, true), 0);
    ASSERT_EQ(twice.Create(64, 64, 32, true), 0);
    shadowed.FillValue(0, nullptr, nullptr);
    twice.FillValue(0, nullptr, nullptr);
    draw(1, 40, 8, &shadowed);
    draw(0, 40, 8, &twice);
    draw(0, 40, 11, &twice);
    EXPECT_EQ(AllPixels(shadowed), AllPixels(twice));
    PixelBuffer alone;
    ASSERT_EQ(alone.Create(64, 64, 32, true), 0);
    alone.FillValue(0, nullptr, nullptr);
    draw(0, 40, 8, &alone);
    EXPECT_NE(AllPixels(alone), AllPixels(twice)) << "the shadow shows";
}

TEST(RealFonts, GdiLineBackgrounds) {
    struct Case {
        const char* name;
        std::uint8_t mode;
        std::uint8_t effect;
        std::int32_t angle;
        bool corner;     // the line cell's corner painted
        bool widened;    // the shadow-widened corner painted
        bool anywhere;   // any background at all
    } const cases[] = {
        {"transparent", 1, 0, 0, false, false, false},
        {"opaque cells", 0, 0, 0, true, false, true},
        {"brush over the widened line", 0, 1, 0, true, true, true},
        {"turned lines get no background", 0, 1, 900, false, false, false},
    };
    for (const auto& c : cases) {
        GdiFont font;
        ASSERT_EQ(font.SetFont(20, false, 0, kGothic), 0);
        font.SetEscapement(c.angle);
        font.SetBackground(c.mode, 0, 255, 0);
        font.effect = c.effect;
        font.effectOffsetX = 3;
        font.effectOffsetY = 3;
        PixelBuffer target;
        ASSERT_EQ(target.Create(100, 100, 32, true), 0);
        target.FillValue(0, nullptr, nullptr);
        ASSERT_EQ(font.DrawLines(target.MemoryDc(), 20, 50, " A"), 0);
        GdiFlush();
        SIZE extent;
        GetTextExtentPoint32A(font.dc, " A", 2, &extent);
        const std::uint32_t green = 0x00FF00;
        EXPECT_EQ((target.GetPixel(20, 50) & 0xFFFFFF) == green, c.corner) << c.name;
        EXPECT_EQ((target.GetPixel(20 + extent.cx + 1, 50 + extent.cy + 1) & 0xFFFFFF) == green,
                  c.widened)
            << c.name;
        bool any = false;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                any = any || (target.GetPixel(x, y) & 0xFFFFFF) == green;
            }
        }
        EXPECT_EQ(any, c.anywhere) << c.name;
    }
}

TEST(RealFonts, GdiOutlines) {
    GdiFont font;
    ASSERT_EQ(font.SetFont(20, false, 0, kGothic), 0);
    font.effect = 2;
    font.colour[0] = font.colour[1] = font.colour[2] = 255;
    font.effectColour[0] = 200;
    font.effectColour[1] = font.effectColour[2] = 0;
    for (std::uint8_t level : {0, 1}) {
        font.SetLevel(level);
        PixelBuffer image;
        ASSERT_EQ(image.Create(60, 40, 32, false), 0);
        image.FillValue(0, nullptr, nullptr);
        RECT rect;
        ASSERT_EQ(font.BlendString(&image, 10, 5, "I", &rect, nullptr), 0);
        EXPECT_EQ(rect.left, 9);
        EXPECT_EQ(rect.top, 4);
        bool hard = true;
        int outline = 0;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 60; ++x) {
                const std::uint32_t p = image.GetPixel(x, y) & 0xFFFFFF;
                if (p != 0 && p != 0xFFFFFF) {
                    ++outline;
                    hard = hard && p == 0xC80000;
                }
            }
        }
        EXPECT_GT(outline, 0) << "level " << int(level);
        EXPECT_EQ(hard, level == 0) << "hard at level 0, soft at level 1";
    }
}

}  // namespace
