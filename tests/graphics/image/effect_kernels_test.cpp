#include "graphics/image/effect_kernels.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "graphics/image/kernel_form.h"
#include "tests/graphics/image/pixel_case_harness.h"

using namespace kerneltest;

namespace {

// A level row with both ends and a few steps between.
const std::uint8_t* LevelRow() {
    static const std::array<std::uint8_t, 256> row = [] {
        std::array<std::uint8_t, 256> r{};
        for (int i = 0; i < 256; ++i) r[i] = static_cast<std::uint8_t>(i < 8 ? i * 37 : 255 - i);
        r[255] = 255;
        return r;
    }();
    return row.data();
}

constexpr std::uint32_t kColour = 0x00407FC1;

std::uint32_t KeepKey(std::uint32_t d, std::uint32_t result) {
    return d == kKey ? d : result;
}

std::uint32_t RefGrey(std::uint32_t d) {
    const std::uint32_t g = (77 * RefByte(d, 2) + 150 * RefByte(d, 1) + 29 * RefByte(d, 0)) / 256;
    return (d & 0xFF000000) | g * 0x010101;
}

std::uint32_t RefBalance(std::uint32_t d) {
    const int factor[3] = {300, 100, 200}, offset[3] = {0, 10, -20};  // blue, green, red
    std::uint32_t out = d & 0xFF000000;
    for (int k = 0; k < 3; ++k) {
        int v = static_cast<int>(std::floor(factor[k] * static_cast<double>(RefByte(d, k)) / 128)) +
                offset[k];
        v = v < 0 ? 0 : v > 255 ? 255 : v;
        out |= static_cast<std::uint32_t>(v) << (8 * k);
    }
    return out;
}

TEST(EffectKernels, PlainKernelsFollowTheirRules) {
    const std::uint8_t* row = LevelRow();
    const std::vector<PixelCase> cases = {
        {"KernelAddColour", KT_RECT(KernelAddColour, kColour),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) { return RefAdd(d, kColour, 256, 1); }},
        {"KernelAddColourKeyed", KT_RECT(KernelAddColourKeyed, kColour, kKey),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) {
             return KeepKey(d, RefAdd(d, kColour, 256, 1));
         }},
        {"KernelSubColour", KT_RECT(KernelSubColour, kColour),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) { return RefAdd(d, kColour, 256, -1); }},
        {"KernelSubColourKeyed", KT_RECT(KernelSubColourKeyed, kColour, kKey),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) {
             return KeepKey(d, RefAdd(d, kColour, 256, -1));
         }},
        {"KernelGreyscale", KT_RECT(KernelGreyscale),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) { return RefGrey(d); }},
        {"KernelGreyscaleKeyed", KT_RECT(KernelGreyscaleKeyed, kKey),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) { return KeepKey(d, RefGrey(d)); }},
        {"KernelColourBalance", KT_RECT(KernelColourBalance, 200, 100, 300, -20, 10, 0),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) { return RefBalance(d); }},
        {"KernelColourBalanceKeyed",
         KT_RECT(KernelColourBalanceKeyed, 200, 100, 300, -20, 10, 0, kKey),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) { return KeepKey(d, RefBalance(d)); }},
        {"KernelInvert mode 0", KT_RECT(KernelInvert, 0),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) { return d ^ 0x00FFFFFF; }},
        {"KernelInvert mode 1", KT_RECT(KernelInvert, 1),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) { return ~d; }},
        {"KernelInvert mode 5", KT_RECT(KernelInvert, 5),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) { return d ^ 0xFF000000; }},
        {"KernelInvertKeyed", KT_RECT(KernelInvertKeyed, 0, kKey),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) { return KeepKey(d, d ^ 0x00FFFFFF); }},
        {"KernelMaskBlendColour", KT_MASK(KernelMaskBlendColour, kColour, row),
         [row](std::uint32_t d, std::uint32_t, std::uint8_t m) {
             return RefBlend(d, kColour, RefWeight(row[m]));
         }},
        {"KernelMaskAddColour", KT_MASK(KernelMaskAddColour, kColour, row),
         [row](std::uint32_t d, std::uint32_t, std::uint8_t m) {
             return RefAdd(d, kColour, RefWeight(row[m]), 1);
         }},
        {"KernelMaskSubColour", KT_MASK(KernelMaskSubColour, kColour, row),
         [row](std::uint32_t d, std::uint32_t, std::uint8_t m) {
             return RefAdd(d, kColour, RefWeight(row[m]), -1);
         }},
        {"KernelAddOpacity", KT_TWO(KernelAddOpacity, std::uint8_t{100}),
         [](std::uint32_t d, std::uint32_t s, std::uint8_t) { return RefAdd(d, s, 101, 1); }},
        {"KernelSubOpacity", KT_TWO(KernelSubOpacity, std::uint8_t{255}),
         [](std::uint32_t d, std::uint32_t s, std::uint8_t) { return RefAdd(d, s, 256, -1); }},
        {"KernelAlphaBlendTable", KT_TWO(KernelAlphaBlendTable, row),
         [row](std::uint32_t d, std::uint32_t s, std::uint8_t) {
             return RefBlend(d, s, RefWeight(row[s >> 24]));
         }},
        {"KernelAddBlendTable", KT_TWO(KernelAddBlendTable, row),
         [row](std::uint32_t d, std::uint32_t s, std::uint8_t) {
             return RefAdd(d, s, RefWeight(row[s >> 24]), 1);
         }},
        {"KernelSubBlendTable", KT_TWO(KernelSubBlendTable, row),
         [row](std::uint32_t d, std::uint32_t s, std::uint8_t) {
             return RefAdd(d, s, RefWeight(row[s >> 24]), -1);
         }},
        {"KernelScaleColour", KT_RECT_PITCH(KernelScaleColour, std::uint8_t{200}),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) {
             return (d & 0xFF000000) | RefMultiply(200, RefByte(d, 2)) << 16 |
                    RefMultiply(200, RefByte(d, 1)) << 8 | RefMultiply(200, RefByte(d, 0));
         }},
        {"KernelBlendColour",
         KT_RECT_PITCH(KernelBlendColour, std::uint8_t{100}, std::uint8_t{0x40}, std::uint8_t{0x7F},
                       std::uint8_t{0xC1}),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) {
             std::uint32_t out = d & 0xFF000000;
             for (int k = 0; k < 3; ++k) {
                 out |= (RefMultiply(155, RefByte(d, k)) + RefMultiply(RefByte(kColour, k), 100))
                        << (8 * k);
             }
             return out;
         }},
        {"KernelBlendColourKeyed",
         KT_RECT_PITCH(KernelBlendColourKeyed, std::uint8_t{255}, std::uint8_t{0x40},
                       std::uint8_t{0x7F}, std::uint8_t{0xC1}, kKey),
         [](std::uint32_t d, std::uint32_t, std::uint8_t) {
             return KeepKey(d, (d & 0xFF000000) | kColour);
         }},
        {"KernelBlendOpacityOverAlpha", KT_TWO(KernelBlendOpacityOverAlpha, row),
         [row](std::uint32_t d, std::uint32_t s, std::uint8_t) {
             return RefOver(d, s, row[s >> 24]);
         }},
        {"KernelMaskColourOverAlpha", KT_MASK(KernelMaskColourOverAlpha, kColour, row),
         [row](std::uint32_t d, std::uint32_t, std::uint8_t m) {
             return RefOver(d, kColour, row[m]);
         }},
        {"KernelRuleBlend",
         [row](Planes& p) {
             KernelRuleBlend(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Skip(), p.dst.width,
                             p.dst.height, p.mask.Row(0), p.mask.Pitch(), row);
         },
         [row](std::uint32_t d, std::uint32_t s, std::uint8_t m) {
             return RefBlend(d, s, RefWeight(RefMultiply(row[m], s >> 24)));
         }},
        {"KernelRuleBlendPlane with a rule plane",
         [row](Planes& p) {
             KernelRuleBlendPlane(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Skip(),
                                  p.dst.width, p.dst.height, p.mask.Row(0), p.mask.Pitch(), row);
         },
         [row](std::uint32_t d, std::uint32_t s, std::uint8_t m) {
             return RefBlend(d, s, RefWeight(row[m]));
         }},
        {"KernelRuleBlendPlane by the source alpha",
         [row](Planes& p) {
             KernelRuleBlendPlane(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Skip(),
                                  p.dst.width, p.dst.height, nullptr, 0, row);
         },
         [row](std::uint32_t d, std::uint32_t s, std::uint8_t) {
             return RefBlend(d, s, RefWeight(row[s >> 24]));
         }},
    };
    for (const PixelCase& c : cases) CheckPixelCase(c);
}

TEST(EffectKernels, MmxFormsGiveThePlainPixels) {
    const std::uint8_t* row = LevelRow();
    const BilinearStep bilinear = {0x30000000u, 0x10000000u, 0x00000000B0000000ull,
                                   0x0000000060000000ull};
    std::array<std::uint32_t, 256> palette{};
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = i * 0x9E3779B9u;
    const std::uint32_t* pal = palette.data();
    auto stretch = [](Planes& p) {
        return MakeStretch(p.src.width, p.dst.width, p.src.height, p.dst.height);
    };
    const std::vector<TwinCase> twins = {
        {"AddColour", KT_RECT(KernelAddColour, kColour), KT_RECT(KernelAddColourMmx, kColour)},
        {"AddColourKeyed", KT_RECT(KernelAddColourKeyed, kColour, kKey),
         KT_RECT(KernelAddColourKeyedMmx, kColour, kKey)},
        {"SubColour", KT_RECT(KernelSubColour, kColour), KT_RECT(KernelSubColourMmx, kColour)},
        {"SubColourKeyed", KT_RECT(KernelSubColourKeyed, kColour, kKey),
         KT_RECT(KernelSubColourKeyedMmx, kColour, kKey)},
        {"Greyscale", KT_RECT(KernelGreyscale), KT_RECT(KernelGreyscaleMmx)},
        {"ColourBalance", KT_RECT(KernelColourBalance, 200, 100, 300, -20, 10, 0),
         KT_RECT(KernelColourBalanceMmx, 200, 100, 300, -20, 10, 0)},
        {"Invert", KT_RECT(KernelInvert, 1), KT_RECT(KernelInvertMmx, 1)},
        {"Invert colour", KT_RECT(KernelInvert, 0), KT_RECT(KernelInvertMmx, 0)},
        {"Invert alpha", KT_RECT(KernelInvert, 2), KT_RECT(KernelInvertMmx, 2)},
        {"MaskBlendColour", KT_MASK(KernelMaskBlendColour, kColour, row),
         KT_MASK(KernelMaskBlendColourMmx, kColour, row)},
        {"MaskAddColour", KT_MASK(KernelMaskAddColour, kColour, row),
         KT_MASK(KernelMaskAddColourMmx, kColour, row)},
        {"MaskSubColour", KT_MASK(KernelMaskSubColour, kColour, row),
         KT_MASK(KernelMaskSubColourMmx, kColour, row)},
        {"AddOpacity", KT_TWO(KernelAddOpacity, std::uint8_t{128}),
         KT_TWO(KernelAddOpacityMmx, std::uint8_t{128})},
        {"SubOpacity", KT_TWO(KernelSubOpacity, std::uint8_t{1}),
         KT_TWO(KernelSubOpacityMmx, std::uint8_t{1})},
        // Opacity 255 weighs a full 256, which no longer fits a signed 16-bit product.
        {"AddOpacity 255", KT_TWO(KernelAddOpacity, std::uint8_t{255}),
         KT_TWO(KernelAddOpacityMmx, std::uint8_t{255})},
        {"SubOpacity 255", KT_TWO(KernelSubOpacity, std::uint8_t{255}),
         KT_TWO(KernelSubOpacityMmx, std::uint8_t{255})},
        {"AddOpacity 0", KT_TWO(KernelAddOpacity, std::uint8_t{0}),
         KT_TWO(KernelAddOpacityMmx, std::uint8_t{0})},
        {"SubOpacity 254", KT_TWO(KernelSubOpacity, std::uint8_t{254}),
         KT_TWO(KernelSubOpacityMmx, std::uint8_t{254})},
        {"AlphaBlendTable", KT_TWO(KernelAlphaBlendTable, row),
         KT_TWO(KernelAlphaBlendTableMmx, row)},
        {"AddBlendTable", KT_TWO(KernelAddBlendTable, row), KT_TWO(KernelAddBlendTableMmx, row)},
        {"SubBlendTable", KT_TWO(KernelSubBlendTable, row), KT_TWO(KernelSubBlendTableMmx, row)},
        {"StretchAlphaBlendTable",
         [=](Planes& p) {
             KernelStretchAlphaBlendTable(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Pitch(),
                                          p.dst.width, p.dst.height, stretch(p), row);
         },
         [=](Planes& p) {
             KernelStretchAlphaBlendTableMmx(p.dst.Row(0), p.src.Row(0), p.dst.Skip(),
                                             p.src.Pitch(), p.dst.width, p.dst.height, stretch(p),
                                             row);
         }},
        {"StretchAddBlendTable",
         [=](Planes& p) {
             KernelStretchAddBlendTable(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Pitch(),
                                        p.dst.width, p.dst.height, stretch(p), row);
         },
         [=](Planes& p) {
             KernelStretchAddBlendTableMmx(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Pitch(),
                                           p.dst.width, p.dst.height, stretch(p), row);
         }},
        {"StretchSubBlendTable",
         [=](Planes& p) {
             KernelStretchSubBlendTable(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Pitch(),
                                        p.dst.width, p.dst.height, stretch(p), row);
         },
         [=](Planes& p) {
             KernelStretchSubBlendTableMmx(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Pitch(),
                                           p.dst.width, p.dst.height, stretch(p), row);
         }},
        {"BlendOpacityOverAlpha", KT_TWO(KernelBlendOpacityOverAlpha, row),
         KT_TWO(KernelBlendOpacityOverAlphaMmx, row)},
        {"StretchBlendOpacityOverAlpha",
         [=](Planes& p) {
             KernelStretchBlendOpacityOverAlpha(p.dst.Row(0), p.src.Row(0), p.dst.Skip(),
                                                p.src.Pitch(), p.dst.width, p.dst.height,
                                                stretch(p), row);
         },
         [=](Planes& p) {
             KernelStretchBlendOpacityOverAlphaMmx(p.dst.Row(0), p.src.Row(0), p.dst.Skip(),
                                                   p.src.Pitch(), p.dst.width, p.dst.height,
                                                   stretch(p), row);
         }},
        {"MaskColourOverAlpha", KT_MASK(KernelMaskColourOverAlpha, kColour, row),
         KT_MASK(KernelMaskColourOverAlphaMmx, kColour, row)},
        {"RuleBlend",
         [=](Planes& p) {
             KernelRuleBlend(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Skip(), p.dst.width,
                             p.dst.height, p.mask.Row(0), p.mask.Pitch(), row);
         },
         [=](Planes& p) {
             KernelRuleBlendMmx(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Skip(), p.dst.width,
                                p.dst.height, p.mask.Row(0), p.mask.Pitch(), row);
         }},
        {"RuleBlendPlane",
         [=](Planes& p) {
             KernelRuleBlendPlane(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Skip(),
                                  p.dst.width, p.dst.height, p.mask.Row(0), p.mask.Pitch(), row);
         },
         [=](Planes& p) {
             KernelRuleBlendPlaneMmx(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Skip(),
                                     p.dst.width, p.dst.height, p.mask.Row(0), p.mask.Pitch(), row);
         }},
        // Two fewer rows and columns than the source holds: the neighbours stay inside.
        {"Bilinear",
         [=](Planes& p) {
             KernelBilinear(p.dst.Row(0), p.src.Row(0), 0, p.src.Pitch(), (p.dst.width + 1) / 2, 1,
                            bilinear);
         },
         [=](Planes& p) {
             KernelBilinearMmx(p.dst.Row(0), p.src.Row(0), 0, p.src.Pitch(), (p.dst.width + 1) / 2,
                               1, bilinear);
         }},
        {"BilinearPalette",
         [=](Planes& p) {
             KernelBilinearPalette(p.dst.Row(0), p.mask.Row(0), 0, p.mask.Pitch(),
                                   (p.dst.width + 1) / 2, 1, pal, bilinear);
         },
         [=](Planes& p) {
             KernelBilinearPaletteMmx(p.dst.Row(0), p.mask.Row(0), 0, p.mask.Pitch(),
                                      (p.dst.width + 1) / 2, 1, pal, bilinear);
         }},
    };
    for (const TwinCase& c : twins) CheckTwinCase(c);
}

TEST(EffectKernels, DocumentedPixels) {
    std::uint32_t blue = 0xFF0000FF, blueMmx = 0xFF0000FF;
    KernelGreyscale(&blue, 0, 1, 1);
    KernelGreyscaleMmx(&blueMmx, 0, 1, 1);
    EXPECT_EQ(0xFF1C1C1Cu, blue);
    EXPECT_EQ(0xFF1C1C1Cu, blueMmx);

    std::array<std::uint8_t, 256> multiply255{};
    for (int i = 0; i < 256; ++i) multiply255[i] = static_cast<std::uint8_t>(i);  // M[255][i] = i
    const std::uint8_t masks[2] = {0, 255};
    std::uint32_t pixels[2] = {0x80123456, 0x80123456};
    KernelMaskBlendColour(pixels, masks, 0, 0, 2, 1, 0x00ABCDEF, multiply255.data());
    EXPECT_EQ(0x80123456u, pixels[0]);
    EXPECT_EQ(0x80ABCDEFu, pixels[1]);

    const std::uint32_t argb = 0x80FF8040;
    std::uint16_t word = 0;
    EXPECT_EQ(0, ConvertArgbToFormat(128, reinterpret_cast<std::uint8_t*>(&word), 0, 0, 1, 1, 2,
                                     reinterpret_cast<const std::uint8_t*>(&argb), 0, 0, 4));
    EXPECT_EQ(0x8F84, word);
    EXPECT_EQ(0, ConvertArgbToFormat(64, reinterpret_cast<std::uint8_t*>(&word), 0, 0, 1, 1, 2,
                                     reinterpret_cast<const std::uint8_t*>(&argb), 0, 0, 4));
    EXPECT_EQ((1 << 15) | (31 << 10) | (16 << 5) | 8, word);
    word = 0x1234;
    EXPECT_NE(0, ConvertArgbToFormat(32, reinterpret_cast<std::uint8_t*>(&word), 0, 0, 1, 1, 2,
                                     reinterpret_cast<const std::uint8_t*>(&argb), 0, 0, 4));
    EXPECT_EQ(0x1234, word);
}

TEST(EffectKernels, ConvertArgbToFormatPlacesEveryRowOfTheRectangle) {
    // Source 3 x 3 pixels, the 2 x 2 block at (1, 1) converted to (1, 2) of a 4 x 4 target.
    const std::uint32_t src[3][3] = {{0, 0, 0},
                                     {0, 0xFFFFFFFF, 0x00000000},
                                     {0, 0x80FF8040, 0x7F0F1F2F}};
    const auto* srcBits = reinterpret_cast<const std::uint8_t*>(src);
    std::uint16_t words[4][4];
    for (auto& row : words) row[0] = row[1] = row[2] = row[3] = 0x5555;
    ASSERT_EQ(0, ConvertArgbToFormat(128, reinterpret_cast<std::uint8_t*>(words), 1, 2, 2, 2, 8,
                                     srcBits, 1, 1, 12));
    const std::uint16_t expected4444[4][4] = {{0x5555, 0x5555, 0x5555, 0x5555},
                                              {0x5555, 0x5555, 0x5555, 0x5555},
                                              {0x5555, 0xFFFF, 0x0000, 0x5555},
                                              {0x5555, 0x8F84, 0x7012, 0x5555}};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(expected4444[y][x], words[y][x]) << x << "," << y;
    }
    ASSERT_EQ(0, ConvertArgbToFormat(64, reinterpret_cast<std::uint8_t*>(words), 1, 2, 2, 2, 8,
                                     srcBits, 1, 1, 12));
    EXPECT_EQ(0xFFFF, words[2][1]);
    EXPECT_EQ(0x0000, words[2][2]);
    EXPECT_EQ((1 << 15) | (31 << 10) | (16 << 5) | 8, words[3][1]);
    EXPECT_EQ((1 << 10) | (3 << 5) | 5, words[3][2]);
    EXPECT_EQ(0x5555, words[1][1]);

    std::uint32_t pixels[3][3] = {};
    ASSERT_EQ(0, ConvertArgbToFormat(256, reinterpret_cast<std::uint8_t*>(pixels), 1, 1, 2, 2, 12,
                                     srcBits, 1, 1, 12));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(x > 0 && y > 0 ? src[y][x] : 0u, pixels[y][x]) << x << "," << y;
        }
    }
}

TEST(EffectKernels, GlyphMaskClipsAndKeepsAlpha) {
    const std::uint8_t mask[2][3] = {{1, 0, 9}, {0, 255, 0}};
    struct Row {
        const char* what;
        std::int32_t x, y;
        bool drawn;
        std::vector<std::uint32_t> after;  // 3 x 2 destination
    };
    const std::uint32_t o = 0x80000000, c = 0x80102030;
    const Row rows[] = {
        {"inside", 0, 0, true, {c, o, c, o, c, o}},
        {"one left: the mask's first column is cut", -1, 0, true, {o, c, o, c, o, o}},
        {"one down", 0, 1, true, {o, o, o, c, o, c}},
        {"wholly left", -3, 0, false, {o, o, o, o, o, o}},
        {"wholly below", 0, 2, false, {o, o, o, o, o, o}},
    };
    for (const Row& r : rows) {
        std::vector<std::uint32_t> dst(6, o);
        EXPECT_EQ(r.drawn, DrawGlyphMask(r.x, r.y, 0x10, 0x20, 0x30,
                                         reinterpret_cast<std::uint8_t*>(dst.data()), 3, 2, 12,
                                         &mask[0][0], 3, 2, 3))
            << r.what;
        EXPECT_EQ(r.after, dst) << r.what;
    }
}

// Each form against its own formula: the two may differ by one in a channel.
TEST(EffectKernels, AntialiasedGlyphInEachForm) {
    Plane<std::uint8_t> mask(33, 3, 0);
    FillCorners(mask);
    mask.At(0, 0) = 0;
    Plane<std::uint32_t> original(35, 4, 0);
    FillCorners(original);
    auto m = [](std::uint32_t a, std::uint32_t b) { return (a * b + 127) / 255; };
    const std::uint32_t colour = 0x00FF8001;
    for (KernelForm form : {KernelForm::Plain, KernelForm::Mmx}) {
        SCOPED_TRACE(static_cast<int>(form));
        ForceKernelForm(form);
        Plane<std::uint32_t> dst = original;
        Plane<std::uint32_t> expected = original;
        for (std::int32_t y = 0; y < 3; ++y) {
            for (std::int32_t x = 0; x < 33; ++x) {
                const std::uint8_t c = mask.At(x, y);
                std::uint32_t& e = expected.At(x + 1, y + 1);
                if (form == KernelForm::Mmx) {
                    e = RefBlend(e, colour, RefWeight(c));
                } else if (c != 0) {
                    std::uint32_t out = e & 0xFF000000;
                    for (int k = 0; k < 3; ++k) {
                        out |= (m(RefByte(colour, k), c) + m(255 - c, RefByte(e, k))) << (8 * k);
                    }
                    e = out;
                }
            }
        }
        EXPECT_TRUE(DrawGlyphMaskAntialiased(1, 1, 0xFF, 0x80, 0x01,
                                             reinterpret_cast<std::uint8_t*>(dst.Row(0)), 35, 4,
                                             dst.Pitch(), mask.Row(0), 33, 3, mask.Pitch()));
        EXPECT_EQ(expected.pixels, dst.pixels);
        EXPECT_FALSE(DrawGlyphMaskAntialiased(-33, 1, 0xFF, 0x80, 0x01,
                                              reinterpret_cast<std::uint8_t*>(dst.Row(0)), 35, 4,
                                              dst.Pitch(), mask.Row(0), 33, 3, mask.Pitch()));
    }
    ForceKernelForm(KernelForm::Detected);
}

TEST(EffectKernels, BlurStencilsInEveryMode) {
    Plane<std::uint32_t> picture(5, 4);
    FillCorners(picture);
    const Plane<std::uint32_t> old = picture;
    for (std::int32_t mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        Plane<std::uint32_t> blurred = old;
        Plane<std::uint32_t> expected = old;
        const bool fast = mode < 2;
        for (std::int32_t y = 0; y < 4; ++y) {
            for (std::int32_t x = 0; x < 5; ++x) {
                std::uint32_t out = 0;
                for (int k = 0; k < 3; ++k) {
                    auto at = [&](std::int32_t px, std::int32_t py) {
                        const std::uint32_t v = RefByte(old.At(px, py), k);
                        return static_cast<int>(fast ? v & 0xF8 : v);
                    };
                    const bool edgeRow = y == 0 || y == 3, edgeColumn = x == 0 || x == 4;
                    const int vertical = y == 0 ? at(x, 1) : y == 3 ? at(x, 2) : 0;
                    const int inner = x == 0 ? at(1, y) : x == 4 ? at(3, y) : 0;
                    int v;
                    if (edgeRow && edgeColumn) {
                        v = (vertical + 2 * at(x, y) + inner) / 4;
                    } else if (edgeRow) {
                        v = (at(x, y) + vertical + at(x - 1, y) + at(x + 1, y)) / 4;
                    } else if (edgeColumn) {
                        v = (at(x, y) + at(x, y - 1) + at(x, y + 1) + inner) / 4;
                    } else {
                        v = (at(x, y - 1) + at(x, y + 1) +
                             2 * (at(x - 1, y) + at(x, y) + at(x + 1, y))) /
                            8;
                    }
                    out |= static_cast<std::uint32_t>(v + (mode == 1 ? 7 : 0)) << (8 * k);
                }
                expected.At(x, y) = out;
            }
        }
        EXPECT_EQ(0, KernelBlur3x3(blurred.Row(0), blurred.Skip(), blurred.Pitch(), 5, 4, mode));
        EXPECT_EQ(expected.pixels, blurred.pixels);
    }
    Plane<std::uint32_t> narrow(3, 5);
    FillRandom(narrow);
    const Plane<std::uint32_t> before = narrow;
    EXPECT_EQ(1, KernelBlur3x3(narrow.Row(0), narrow.Skip(), narrow.Pitch(), 3, 5, 2));
    EXPECT_EQ(1, KernelBlur3x3(picture.Row(0), 2, picture.Pitch(), 5, 4, 2));
    EXPECT_EQ(before.pixels, narrow.pixels);
}

TEST(EffectKernels, MosaicOfTenByTenInCellsOfFour) {
    Plane<std::uint32_t> picture(10, 10);
    for (std::int32_t y = 0; y < 10; ++y) {
        for (std::int32_t x = 0; x < 10; ++x) picture.At(x, y) = 0x01000000u * y + x;
    }
    KernelMosaic(picture.Row(0), picture.Skip(), picture.Pitch(), 10, 10, 4, 1);
    for (std::int32_t y = 0; y < 10; ++y) {
        for (std::int32_t x = 0; x < 10; ++x) {
            ASSERT_EQ(0x01000000u * (y / 4 * 4) + x / 4 * 4, picture.At(x, y)) << x << "," << y;
        }
    }
}

TEST(EffectKernels, BoxAveragesReadTheEdgePixelBeyondTheSource) {
    // Source pixels -1 .. 4 exist (one to the left of the row, one to the right).
    const std::uint32_t source[6] = {0x00000060, 0x00000000, 0x00000030,
                                     0x00000090, 0xFF0000F0, 0x00000006};
    std::uint32_t averaged[4] = {};
    KernelBoxAverageRows(averaged, source + 1, 0, 0, 4, 1, 1, 1, 2);
    // Windows of five, clamped to index -1 and 4; 65536 / 5 = 13107.
    auto average = [](std::uint32_t sum) { return (sum * 13107 + 32768) >> 16; };
    EXPECT_EQ(average(0x60 * 2 + 0x00 + 0x30 + 0x90), averaged[0] & 0xFF);
    EXPECT_EQ(average(0x60 + 0x00 + 0x30 + 0x90 + 0xF0), averaged[1] & 0xFF);
    EXPECT_EQ(average(0x00 + 0x30 + 0x90 + 0xF0 + 0x06), averaged[2] & 0xFF);
    EXPECT_EQ(average(0x30 + 0x90 + 0xF0 + 0x06 * 2), averaged[3] & 0xFF);
    EXPECT_EQ(average(0xFF) << 24, averaged[1] & 0xFF000000);

    std::uint32_t halfway[4] = {0x7F000000, 0x7F000000, 0x7F000000, 0x7F000000};
    KernelBoxAverageRowsOpacity(halfway, source + 1, 0, 0, 4, 1, 1, 1, 2, 127);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(RefBlend(0x7F000000, averaged[i], 128), halfway[i]) << i;
    }

    // The averaged alpha picks the weight through the row: the first window holds no alpha and
    // leaves its pixel alone, the others average 0xFF / 5 = 51, and row[51] = 25 gives w 26.
    std::uint8_t row[256];
    for (int a = 0; a < 256; ++a) row[a] = static_cast<std::uint8_t>(a / 2);
    const std::uint32_t before[4] = {0x11223344, 0x80FFFFFF, 0x40000000, 0xC0808080};
    std::uint32_t byAlpha[4] = {before[0], before[1], before[2], before[3]};
    KernelBoxAverageRowsAlpha(byAlpha, source + 1, 0, 0, 4, 1, 1, 1, 2, row);
    EXPECT_EQ(0u, averaged[0] >> 24);
    EXPECT_EQ(before[0], byAlpha[0]);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(51u, averaged[i] >> 24) << i;
        EXPECT_EQ(RefBlend(before[i], averaged[i], 26), byAlpha[i]) << i;
    }
}

}  // namespace
