// Fills and colour operations: one table of operation x depth, run in the four configurations,
// each pixel against the operation's formula.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "graphics/compose/gradient_table.h"
#include "graphics/image/image.h"
#include "tests/graphics/pixel_configs.h"

namespace {

using testsupport::PixelConfig;
using testsupport::PixelConfigScope;

constexpr std::int32_t kW = 6, kH = 4;
constexpr RECT kRect = {1, 1, 5, 3};
constexpr std::uint8_t kCorner[] = {0, 1, 127, 128, 254, 255};

std::uint32_t Start32(std::int32_t x, std::int32_t y) {
    const std::int32_t i = y * kW + x;
    return (std::uint32_t{kCorner[(i + 1) % 6]} << 24) | (std::uint32_t{kCorner[i % 6]} << 16) |
           (std::uint32_t{kCorner[(i / 6 + i) % 6]} << 8) | kCorner[(i * 5 + 2) % 6];
}
std::uint32_t Start8(std::int32_t x, std::int32_t y) { return static_cast<std::uint32_t>(y * 40 + x * 9 + 3); }
std::uint32_t StartEntry(std::uint32_t i) { return Start32(static_cast<std::int32_t>(i % kW), static_cast<std::int32_t>(i / kW % kH)) ^ (i * 0x00010203u); }

std::uint32_t Byte(std::uint32_t p, int k) { return (p >> (8 * k)) & 0xFF; }
std::uint32_t M(std::uint32_t i, std::uint32_t j) { return (i * j + 127) / 255; }
std::uint32_t Clamp(std::int32_t v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<std::uint32_t>(v); }

// Applies f(channel index 0 blue .. 2 red, value) to the colour bytes; alpha kept.
std::uint32_t MapColour(std::uint32_t p, const std::function<std::uint32_t(int, std::uint32_t)>& f) {
    return (p & 0xFF000000u) | (f(2, Byte(p, 2)) << 16) | (f(1, Byte(p, 1)) << 8) | f(0, Byte(p, 0));
}
std::uint32_t Level(std::uint32_t level, std::uint32_t base, std::uint32_t v) {
    return level < base ? M(level, v) : M(255 - (level - base), v) + (level - base);
}

struct Where {
    std::int32_t x, y;
    bool inRect;  // inside the operation's rectangle
    bool keyed;   // the pixel equals the image's colour key
};

struct Case {
    std::string what;
    std::uint8_t depth;
    bool withKey;
    bool withRect;
    std::function<std::int32_t(Image&, const RECT*)> run;
    std::int32_t result;
    bool marks;  // one dirty rectangle: the operation's rectangle (the whole clip for palettes)
    // The new pixel (or index) from the old, where the operation reached; by the library's
    // formula where `library` is set.
    std::function<std::uint32_t(std::uint32_t, const Where&, bool library)> pixel;
    // 8-bit palette operations: the new entry from the old.
    std::function<std::uint32_t(std::uint32_t)> entry = {};
};

std::vector<Case> Cases() {
    std::vector<Case> c;
    auto keep = [](std::uint32_t p, const Where&, bool) { return p; };
    c.push_back({"FillRect 32", 32, false, true,
                 [](Image& i, const RECT* r) { return i.FillRect(0x1A2, 0x3B, 0x4C, r) ? 0 : 9; }, 0, true,
                 [](std::uint32_t, const Where&, bool) { return 0x00A23B4Cu; }});
    c.push_back({"FillRect 8", 8, false, true,
                 [](Image& i, const RECT* r) { return i.FillRect(0x177, 0, 0, r) ? 0 : 9; }, 0, true,
                 [](std::uint32_t, const Where&, bool) { return 0x77u; }});
    // The x, y, w, h form of kRect.
    c.push_back({"FillRectXywh", 32, false, true,
                 [](Image& i, const RECT*) { return i.FillRectXywh(1, 1, 4, 2, 1, 2, 3) ? 0 : 9; }, 0, true,
                 [](std::uint32_t, const Where&, bool) { return 0x00010203u; }});
    c.push_back({"FillValue", 32, true, true,
                 [](Image& i, const RECT* r) { return i.FillValue(0x89ABCDEFu, r) ? 0 : 9; }, 0, true,
                 [](std::uint32_t, const Where&, bool) { return 0x89ABCDEFu; }});
    c.push_back({"FillValue 8 refused", 8, false, true,
                 [](Image& i, const RECT* r) { return i.FillValue(1, r) ? 0 : 9; }, 9, false, keep});
    c.push_back({"FillColourKeepAlpha", 32, true, true,
                 [](Image& i, const RECT* r) { return i.FillColourKeepAlpha(0x12, 0x34, 0x56, r) ? 0 : 9; }, 0, true,
                 [](std::uint32_t p, const Where&, bool) { return (p & 0xFF000000u) | 0x123456u; }});
    for (std::uint8_t opacity : {1, 128, 255}) {
        c.push_back({"FillAlpha " + std::to_string(opacity), 32, true, true,
                     [opacity](Image& i, const RECT* r) { return i.FillAlpha(0x10, 0x80, 0xF0, opacity, r); }, 0, true,
                     [opacity](std::uint32_t p, const Where& w, bool library) {
                         const std::uint32_t colour[3] = {0xF0, 0x80, 0x10};
                         if (library)  // the library ignores the key
                             return MapColour(p, [&](int k, std::uint32_t v) {
                                 // Opacity 255 replaces the colour.
                                 return opacity == 255 ? colour[k]
                                                       : (v * (255 - opacity) + colour[k] * opacity) / 256;
                             });
                         if (w.keyed) return p;
                         return MapColour(p, [&](int k, std::uint32_t v) {
                             return M(255 - opacity, v) + M(opacity, colour[k]);
                         });
                     }});
    }
    c.push_back({"FillAlpha opacity 0", 32, false, true,
                 [](Image& i, const RECT* r) { return i.FillAlpha(1, 2, 3, 0, r); }, 0, false, keep});
    c.push_back({"FillAlpha 8", 8, false, true,
                 [](Image& i, const RECT* r) { return i.FillAlpha(1, 2, 3, 9, r); }, 1, false, keep});
    c.push_back({"FillAdd", 32, true, true,
                 [](Image& i, const RECT* r) { return i.FillAdd(200, 1, 128, r); }, 0, true,
                 [](std::uint32_t p, const Where& w, bool) {
                     const std::uint32_t add[3] = {128, 1, 200};
                     return w.keyed ? p : MapColour(p, [&](int k, std::uint32_t v) { return std::min(255u, v + add[k]); });
                 }});
    c.push_back({"FillAdd black", 32, false, true,
                 [](Image& i, const RECT* r) { return i.FillAdd(0, 0, 0, r); }, 0, false, keep});
    c.push_back({"FillSubtract", 32, true, true,
                 [](Image& i, const RECT* r) { return i.FillSubtract(0, 50, 255, r); }, 0, true,
                 [](std::uint32_t p, const Where& w, bool) {
                     const std::int32_t sub[3] = {255, 50, 0};
                     return w.keyed ? p : MapColour(p, [&](int k, std::uint32_t v) { return Clamp(static_cast<std::int32_t>(v) - sub[k]); });
                 }});
    for (std::uint16_t level : {0, 128, 300, 510}) {
        c.push_back({"ApplyBrightness " + std::to_string(level), 32, false, true,
                     [level](Image& i, const RECT* r) { return i.ApplyBrightness(level, r); }, 1, true,
                     [level](std::uint32_t p, const Where&, bool) {
                         return MapColour(p, [&](int, std::uint32_t v) { return Level(level, 255, v); });
                     }});
    }
    c.push_back({"ApplyBrightness 255", 32, false, true,
                 [](Image& i, const RECT* r) { return i.ApplyBrightness(255, r); }, 1, false, keep});
    c.push_back({"ApplyBrightness 511", 32, false, true,
                 [](Image& i, const RECT* r) { return i.ApplyBrightness(511, r); }, 0, false, keep});
    c.push_back({"ApplyBrightness 8", 8, false, false,
                 [](Image& i, const RECT*) { return i.ApplyBrightness(100, nullptr); }, 1, true, keep,
                 [](std::uint32_t e) { return MapColour(e, [](int, std::uint32_t v) { return M(100, v); }); }});
    c.push_back({"Greyscale", 32, true, true, [](Image& i, const RECT* r) { return i.Greyscale(r); }, 0, true,
                 [](std::uint32_t p, const Where& w, bool) {
                     const std::uint32_t g = (77 * Byte(p, 2) + 150 * Byte(p, 1) + 29 * Byte(p, 0)) >> 8;
                     return w.keyed ? p : (p & 0xFF000000u) | g * 0x010101u;
                 }});
    c.push_back({"Greyscale 8 with a rectangle", 8, false, true,
                 [](Image& i, const RECT* r) { return i.Greyscale(r); }, 3, false, keep});
    c.push_back({"ColourBalance", 32, true, true,
                 [](Image& i, const RECT* r) { return i.ColourBalance(256, 128, 10, -20, 0, 255, r); }, 0, true,
                 [](std::uint32_t p, const Where& w, bool) {
                     const std::int32_t f[3] = {10, 128, 256}, o[3] = {255, 0, -20};
                     return w.keyed ? p : MapColour(p, [&](int k, std::uint32_t v) {
                         return Clamp(((f[k] * static_cast<std::int32_t>(v)) >> 7) + o[k]);
                     });
                 }});
    c.push_back({"ColourBalance out of range", 32, false, true,
                 [](Image& i, const RECT* r) { return i.ColourBalance(257, 0, 0, 0, 0, 0, r); }, 3, false, keep});
    c.push_back({"ColourBalance 8", 8, false, false,
                 [](Image& i, const RECT*) { return i.ColourBalance(64, 128, 200, 3, -3, 0, nullptr); }, 0, true, keep,
                 [](std::uint32_t e) {
                     const std::int32_t f[3] = {200, 128, 64}, o[3] = {0, -3, 3};
                     return MapColour(e, [&](int k, std::uint32_t v) { return Clamp(((f[k] * static_cast<std::int32_t>(v)) >> 7) + o[k]); });
                 }});
    for (std::uint8_t mode : {0, 1, 2}) {
        c.push_back({"Invert " + std::to_string(mode), 32, true, true,
                     [mode](Image& i, const RECT* r) { return i.Invert(mode, r); }, 0, true,
                     [mode](std::uint32_t p, const Where& w, bool) {
                         const std::uint32_t mask[3] = {0x00FFFFFFu, 0xFFFFFFFFu, 0xFF000000u};
                         return w.keyed ? p : p ^ mask[mode];
                     }});
    }
    c.push_back({"Invert 8 indices", 8, false, true, [](Image& i, const RECT* r) { return i.Invert(1, r); }, 0, true,
                 [](std::uint32_t p, const Where&, bool) { return 255 - p; }});
    c.push_back({"Invert 8 palette", 8, false, false, [](Image& i, const RECT*) { return i.Invert(0, nullptr); }, 0, true,
                 keep, [](std::uint32_t e) { return e ^ 0x00FFFFFFu; }});
    for (std::uint16_t level : {0, 100, 255, 256, 300, 511}) {
        for (std::uint8_t depth : {32, 8}) {
            c.push_back({"AlphaLevel " + std::to_string(level) + " " + std::to_string(depth), depth, false, true,
                         [level](Image& i, const RECT* r) { return i.AlphaLevel(level, r) ? 0 : 9; }, 0, true,
                         [level, depth](std::uint32_t p, const Where&, bool) {
                             if (depth == 8) return Level(level, 256, p);
                             return (p & 0x00FFFFFFu) | (Level(level, 256, p >> 24) << 24);
                         }});
        }
    }
    c.push_back({"AlphaLevel 512", 32, false, true,
                 [](Image& i, const RECT* r) { return i.AlphaLevel(512, r) ? 0 : 9; }, 9, false, keep});
    c.push_back({"AlphaBalance", 32, false, true,
                 [](Image& i, const RECT* r) { return i.AlphaBalance(200, -40, r) ? 0 : 9; }, 0, true,
                 [](std::uint32_t p, const Where&, bool) {
                     return (p & 0x00FFFFFFu) | (Clamp(((200 * static_cast<std::int32_t>(p >> 24)) >> 7) - 40) << 24);
                 }});
    c.push_back({"Mosaic with a huge cell", 32, false, false,
                 [](Image& i, const RECT*) { return i.Mosaic(0x80000001u, 1, nullptr); }, 0, true,
                 [](std::uint32_t, const Where&, bool) { return Start32(0, 0); }});
    c.push_back({"Mosaic cell 1", 32, false, true,
                 [](Image& i, const RECT* r) { return i.Mosaic(1, 1, r); }, 0, false, keep});
    c.push_back({"FillGradient 5", 32, false, true,
                 [](Image& i, const RECT* r) { return i.FillGradient(5, 0, 0xFFFFFF, r); }, 3, false, keep});
    return c;
}

bool DirtyIs(const Image& image, const RECT& r) {
    const DirtyRegion* region = image.GetDirtyRegion();
    if (region->Count() != 1) return false;
    const RectNode* n = region->Head();
    return n->left == r.left && n->top == r.top && n->right == r.right && n->bottom == r.bottom;
}

class FillTable : public ::testing::TestWithParam<PixelConfig> {};

TEST_P(FillTable, EveryOperationFollowsItsFormula) {
    PixelConfigScope scope(GetParam());
    ASSERT_TRUE(scope.Ready());
    const bool library = testsupport::UsesLibrary(GetParam());
    for (const Case& c : Cases()) {
        Image image;
        ASSERT_EQ(0, image.Create(kW, kH, c.depth, kImageDirtyRegion | kImageDibSection));
        std::vector<std::uint32_t> palette(256);
        if (c.depth == 8) {
            for (std::uint32_t i = 0; i < 256; ++i) palette[i] = StartEntry(i);
            image.SetPalette(palette.data(), 256, 0);
        }
        for (std::int32_t y = 0; y < kH; ++y)
            for (std::int32_t x = 0; x < kW; ++x) image.SetPixel(x, y, c.depth == 8 ? Start8(x, y) : Start32(x, y));
        const std::uint32_t key = Start32(2, 1);
        if (c.withKey) image.SetColourKeyFromPixel(2, 1);
        image.GetDirtyRegion()->Clear();
        image.SetModified(false);

        EXPECT_EQ(c.result, c.run(image, c.withRect ? &kRect : nullptr)) << c.what;
        const RECT marked = c.withRect ? kRect : RECT{0, 0, kW, kH};
        if (c.marks) {
            EXPECT_TRUE(DirtyIs(image, marked)) << c.what;
        } else {
            EXPECT_EQ(0, image.GetDirtyRegion()->Count()) << c.what;
        }
        EXPECT_EQ(c.marks, image.Modified()) << c.what;
        for (std::int32_t y = 0; y < kH; ++y) {
            for (std::int32_t x = 0; x < kW; ++x) {
                const std::uint32_t before = c.depth == 8 ? Start8(x, y) : Start32(x, y);
                const Where w = {x, y, x >= marked.left && x < marked.right && y >= marked.top && y < marked.bottom,
                                 c.withKey && c.depth == 32 && before == key};
                const bool libraryFormula = library && c.what.rfind("FillAlpha", 0) == 0;
                const std::uint32_t expected = w.inRect ? c.pixel(before, w, libraryFormula) : before;
                ASSERT_EQ(expected, image.GetPixel(x, y)) << c.what << " at " << x << ", " << y;
            }
        }
        if (c.entry) {
            for (std::uint32_t i = 0; i < 256; ++i)
                ASSERT_EQ(c.entry(palette[i]), image.Palette()[i]) << c.what << " entry " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Configurations, FillTable, ::testing::ValuesIn(testsupport::kPixelConfigs));

// A fill that draws nothing (outside the picture, or an empty rectangle) answers false and
// records nothing, although the library was left with the rectangle of an earlier fill of
// another image.
class FillOfNothing : public ::testing::TestWithParam<PixelConfig> {};

TEST_P(FillOfNothing, AnswersFalseAndRecordsNoStaleRectangle) {
    PixelConfigScope scope(GetParam());
    ASSERT_TRUE(scope.Ready());
    const RECT nowhere[] = {{20, 20, 30, 30}, {2, 1, 2, 3}, {-9, 0, -1, 4}};
    using Fill = bool (*)(Image& image, const RECT* rect);
    const Fill fills[] = {
        [](Image& i, const RECT* r) { return i.FillValue(0x12345678u, r); },
        [](Image& i, const RECT* r) { return i.FillRect(10, 20, 30, r); },
        [](Image& i, const RECT* r) { return i.FillColourKeepAlpha(10, 20, 30, r); },
        [](Image& i, const RECT* r) {
            return i.FillRectXywh(r->left, r->top, r->right - r->left, r->bottom - r->top, 1, 2, 3);
        },
    };
    for (std::uint8_t depth : {32, 8}) {
        for (std::size_t f = 0; f < sizeof fills / sizeof fills[0]; ++f) {
            // FillValue and FillColourKeepAlpha are 32-bit only.
            if (depth == 8 && (f == 0 || f == 2)) continue;
            for (const RECT& rect : nowhere) {
                Image other, image;
                ASSERT_EQ(0, other.Create(kW, kH, depth, kImageDirtyRegion));
                ASSERT_EQ(0, image.Create(kW, kH, depth, kImageDirtyRegion));
                ASSERT_TRUE(other.FillRect(1, 2, 3, nullptr));
                ASSERT_TRUE(image.FillRect(4, 5, 6, nullptr));
                image.GetDirtyRegion()->Clear();
                image.SetModified(false);
                ASSERT_TRUE(other.FillRect(7, 8, 9, nullptr));
                const std::uint32_t before = image.GetPixel(0, 0);
                const std::string where = "depth " + std::to_string(depth) + ", fill " +
                                          std::to_string(f) + ", rectangle " +
                                          std::to_string(&rect - nowhere);
                EXPECT_FALSE(fills[f](image, &rect)) << where;
                EXPECT_EQ(0, image.GetDirtyRegion()->Count()) << where;
                EXPECT_FALSE(image.Modified()) << where;
                for (std::int32_t y = 0; y < kH; ++y)
                    for (std::int32_t x = 0; x < kW; ++x)
                        ASSERT_EQ(before, image.GetPixel(x, y)) << where;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Configurations, FillOfNothing,
                         ::testing::ValuesIn(testsupport::kPixelConfigs),
                         testsupport::PixelConfigTestName);

TEST(ImageFill, GradientsFillRowsOrColumnsFromTheTable) {
    for (std::uint8_t depth : {32, 8}) {
        for (std::uint8_t direction : {0, 1}) {
            Image image;
            ASSERT_EQ(0, image.Create(kW, kH, depth, kImageDirtyRegion));
            image.SetColourKeyFromPixel(0, 0);
            ASSERT_EQ(0, image.FillGradient(direction, 0x80102030u, 0x80F0E0D0u, &kRect));
            GradientTable table;
            const std::int32_t count = direction ? kRect.bottom - kRect.top : kRect.right - kRect.left;
            ASSERT_EQ(0, table.Build(count, static_cast<std::int32_t>(0x80102030u),
                                     static_cast<std::int32_t>(0x80F0E0D0u), depth));
            for (std::int32_t y = kRect.top; y < kRect.bottom; ++y) {
                for (std::int32_t x = kRect.left; x < kRect.right; ++x) {
                    const std::int32_t i = direction ? y - kRect.top : x - kRect.left;
                    const std::uint32_t e = depth == 8 ? static_cast<const std::uint8_t*>(table.Entries())[i]
                                                       : static_cast<const std::uint32_t*>(table.Entries())[i];
                    EXPECT_EQ(e, image.GetPixel(x, y));
                }
            }
            EXPECT_EQ(-1, image.ColourKey());
            EXPECT_TRUE(DirtyIs(image, kRect));
        }
    }
}

TEST(ImageFill, BrightnessOnPalettesStartsFromTheSavedColoursEachTime) {
    Image image;
    ASSERT_EQ(0, image.Create(2, 2, 8, 0));
    std::vector<std::uint32_t> palette(256);
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = 0x7F000000u | i * 0x010101u;
    image.SetPalette(palette.data(), 256, 0);
    ASSERT_EQ(1, image.ApplyBrightness(128, nullptr));
    ASSERT_EQ(1, image.ApplyBrightness(128, nullptr));
    EXPECT_EQ(0x7F000000u | M(128, 200) * 0x010101u, image.Palette()[200]);
    ASSERT_NE(nullptr, image.SavedPalette());
    ASSERT_EQ(1, image.ApplyBrightness(255, nullptr));
    EXPECT_EQ(palette[200], image.Palette()[200]);
    // Greyscale drops the saved colours: the next change starts from the grey palette.
    ASSERT_EQ(0, image.Greyscale(nullptr));
    EXPECT_EQ(nullptr, image.SavedPalette());
    EXPECT_EQ(0, image.ApplyBrightness(100, &kRect)) << "8-bit pictures take no rectangle";
}

TEST(ImageFill, ScriptRectanglesNearTheEndsOfTheRangeStayWhereTheyPoint) {
    Image image;
    ASSERT_EQ(0, image.Create(kW, kH, 32, kImageDirtyRegion));
    image.FillValue(0, nullptr);
    image.GetDirtyRegion()->Clear();
    // x + w beyond INT_MAX must not wrap into a rectangle that covers the picture.
    EXPECT_FALSE(image.FillValueXywh(INT32_MAX - 1, 0, 10, 2, 0xFFu));
    EXPECT_FALSE(image.FillRectXywh(2, INT32_MAX, 3, INT32_MAX, 1, 1, 1));
    EXPECT_FALSE(image.FillValueXywh(INT32_MIN, 1, INT32_MAX, 1, 0xFFu));
    EXPECT_EQ(0u, image.GetPixel(5, 1)) << "INT_MIN + INT_MAX is -1: nothing reaches the picture";
    EXPECT_TRUE(image.FillValueXywh(-2, 1, 4, 1, 0xAAu));
    EXPECT_EQ(0xAAu, image.GetPixel(1, 1));
    EXPECT_EQ(0u, image.GetPixel(2, 1));
}

}  // namespace
