#include "graphics/image/copy_kernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "tests/graphics/image/kernel_form_harness.h"

using namespace kerneltest;

namespace {

// The alpha blend written channel by channel; destinationWeight gives b for a source alpha.
template <std::uint32_t (*DestinationWeight)(std::uint32_t)>
std::uint32_t AlphaBlendRule(std::uint32_t d, std::uint32_t s) {
    const std::uint32_t alpha = s >> 24;
    const std::uint32_t a = alpha == 255 ? 256 : alpha;
    const std::uint32_t b = DestinationWeight(alpha);
    std::uint32_t out = 0;
    for (int k = 0; k < 3; ++k) {
        out |= std::min<std::uint32_t>(255, RefByte(s, k) * a / 256 + RefByte(d, k) * b / 256)
               << (8 * k);
    }
    return out;
}
std::uint32_t PlainWeight(std::uint32_t alpha) {
    return alpha == 0 ? 256 : 255 - alpha;
}
std::uint32_t MmxWeight(std::uint32_t alpha) {
    return alpha == 255 ? 0 : 256 - alpha;
}

const std::array<std::uint32_t, 256>& TestPalette() {
    static const std::array<std::uint32_t, 256> palette = [] {
        std::array<std::uint32_t, 256> p{};
        for (std::uint32_t i = 0; i < 256; ++i) p[i] = i * 0x01030507u + 0x10000000u;
        return p;
    }();
    return palette;
}

using Case32 = KernelCase<std::uint32_t, std::uint32_t>;
using CasePal = KernelCase<std::uint32_t, std::uint8_t>;
using CaseMask = KernelCase<std::uint32_t, std::uint8_t>;
using CaseToMask = KernelCase<std::uint8_t, std::uint32_t>;

auto copyRule = [](std::uint32_t, std::uint32_t s) { return s; };
auto keyedRule = [](std::uint32_t d, std::uint32_t s) { return s == kKey ? d : s; };
auto colourRule = [](std::uint32_t d, std::uint32_t s) {
    return (d & 0xFF000000) | (s & 0x00FFFFFF);
};
auto colourKeyedRule = [](std::uint32_t d, std::uint32_t s) {
    return s == kKey ? d : (d & 0xFF000000) | (s & 0x00FFFFFF);
};
auto alphaRule = [](std::uint32_t d, std::uint32_t s) {
    return (s & 0xFF000000) | (d & 0x00FFFFFF);
};
auto plainBlend = AlphaBlendRule<PlainWeight>;
auto mmxBlend = AlphaBlendRule<MmxWeight>;

TEST(CopyKernels, EveryMemberFollowsItsRuleInItsForm) {
    const Case32 cases[] = {
        {"KernelCopy", Form::Straight, KT_PLAIN(KernelCopy), copyRule},
        {"KernelCopyMmx", Form::Straight, KT_PLAIN(KernelCopyMmx), copyRule},
        {"KernelStretchCopy", Form::Stretched, KT_STRETCH(KernelStretchCopy), copyRule},
        {"KernelStretchCopyMmx", Form::Stretched, KT_STRETCH(KernelStretchCopyMmx), copyRule},
        {"KernelCopyMirrored", Form::Mirrored, KT_PLAIN(KernelCopyMirrored), copyRule},
        {"KernelCopyMirroredMmx", Form::Mirrored, KT_PLAIN(KernelCopyMirroredMmx), copyRule},
        {"KernelStretchCopyMirrored", Form::StretchedMirrored,
         KT_STRETCH(KernelStretchCopyMirrored), copyRule},
        {"KernelStretchCopyMirroredMmx", Form::StretchedMirrored,
         KT_STRETCH(KernelStretchCopyMirroredMmx), copyRule},
        {"KernelCopyKeyed", Form::Straight, KT_PLAIN(KernelCopyKeyed, kKey), keyedRule},
        {"KernelStretchCopyKeyed", Form::Stretched, KT_STRETCH(KernelStretchCopyKeyed, kKey),
         keyedRule},
        {"KernelCopyMirroredKeyed", Form::Mirrored, KT_PLAIN(KernelCopyMirroredKeyed, kKey),
         keyedRule},
        {"KernelStretchCopyMirroredKeyed", Form::StretchedMirrored,
         KT_STRETCH(KernelStretchCopyMirroredKeyed, kKey), keyedRule},
        {"KernelAlphaBlend", Form::Straight, KT_PLAIN(KernelAlphaBlend), plainBlend},
        {"KernelAlphaBlendMmx", Form::Straight, KT_PLAIN(KernelAlphaBlendMmx), mmxBlend},
        {"KernelStretchAlphaBlend", Form::Stretched, KT_STRETCH(KernelStretchAlphaBlend),
         plainBlend},
        {"KernelStretchAlphaBlendMmx", Form::Stretched, KT_STRETCH(KernelStretchAlphaBlendMmx),
         mmxBlend},
        {"KernelAlphaBlendMirrored", Form::Mirrored, KT_PLAIN(KernelAlphaBlendMirrored),
         plainBlend},
        {"KernelAlphaBlendMirroredMmx", Form::Mirrored, KT_PLAIN(KernelAlphaBlendMirroredMmx),
         mmxBlend},
        {"KernelStretchAlphaBlendMirrored", Form::StretchedMirrored,
         KT_STRETCH(KernelStretchAlphaBlendMirrored), plainBlend},
        {"KernelStretchAlphaBlendMirroredMmx", Form::StretchedMirrored,
         KT_STRETCH(KernelStretchAlphaBlendMirroredMmx), mmxBlend},
        {"KernelCopyColour", Form::Straight, KT_PLAIN(KernelCopyColour), colourRule},
        {"KernelCopyColourMmx", Form::Straight, KT_PLAIN(KernelCopyColourMmx), colourRule},
        {"KernelStretchCopyColour", Form::Stretched, KT_STRETCH(KernelStretchCopyColour),
         colourRule},
        {"KernelStretchCopyColourMmx", Form::Stretched, KT_STRETCH(KernelStretchCopyColourMmx),
         colourRule},
        {"KernelCopyColourKeyed", Form::Straight, KT_PLAIN(KernelCopyColourKeyed, kKey),
         colourKeyedRule},
        {"KernelCopyColourKeyedMmx", Form::Straight, KT_PLAIN(KernelCopyColourKeyedMmx, kKey),
         colourKeyedRule},
        {"KernelStretchCopyColourKeyed", Form::Stretched,
         KT_STRETCH(KernelStretchCopyColourKeyed, kKey), colourKeyedRule},
        {"KernelStretchCopyColourKeyedMmx", Form::Stretched,
         KT_STRETCH(KernelStretchCopyColourKeyedMmx, kKey), colourKeyedRule},
        {"KernelCopyAlpha", Form::Straight, KT_PLAIN(KernelCopyAlpha), alphaRule},
        {"KernelCopyAlphaMmx", Form::Straight, KT_PLAIN(KernelCopyAlphaMmx), alphaRule},
        {"KernelStretchCopyAlpha", Form::Stretched, KT_STRETCH(KernelStretchCopyAlpha), alphaRule},
        {"KernelStretchCopyAlphaMmx", Form::Stretched, KT_STRETCH(KernelStretchCopyAlphaMmx),
         alphaRule},
    };
    for (const Case32& c : cases) CheckKernelCase(c);
}

TEST(CopyKernels, PaletteAndMaskMembersFollowTheirRules) {
    const std::uint32_t* pal = TestPalette().data();
    const std::uint8_t transparent = static_cast<std::uint8_t>(kKey);
    auto paletteRule = [pal](std::uint32_t, std::uint8_t s) { return pal[s]; };
    auto paletteKeyedRule = [pal, transparent](std::uint32_t d, std::uint8_t s) {
        return s == transparent ? d : pal[s];
    };
    auto maskRule = [](std::uint32_t d, std::uint8_t m) {
        return (d & 0x00FFFFFF) | std::uint32_t{m} << 24;
    };
    const CasePal paletteCases[] = {
        {"KernelCopyPalette", Form::Straight,
         [pal](auto* d, const auto* s, auto ds, auto sa, auto w, auto h, auto&) {
             KernelCopyPalette(d, s, ds, sa, w, h, pal);
         },
         paletteRule},
        {"KernelStretchCopyPalette", Form::Stretched,
         [pal](auto* d, const auto* s, auto ds, auto sa, auto w, auto h, auto& st) {
             KernelStretchCopyPalette(d, s, ds, sa, w, h, st, pal);
         },
         paletteRule},
        {"KernelCopyPaletteMirrored", Form::Mirrored,
         [pal](auto* d, const auto* s, auto ds, auto sa, auto w, auto h, auto&) {
             KernelCopyPaletteMirrored(d, s, ds, sa, w, h, pal);
         },
         paletteRule},
        {"KernelStretchCopyPaletteMirrored", Form::StretchedMirrored,
         [pal](auto* d, const auto* s, auto ds, auto sa, auto w, auto h, auto& st) {
             KernelStretchCopyPaletteMirrored(d, s, ds, sa, w, h, st, pal);
         },
         paletteRule},
        // An 8-bit comparison looks at the key's low byte only.
        {"KernelCopyPaletteKeyed", Form::Straight,
         [pal](auto* d, const auto* s, auto ds, auto sa, auto w, auto h, auto&) {
             KernelCopyPaletteKeyed(d, s, ds, sa, w, h, pal, kKey);
         },
         paletteKeyedRule},
        {"KernelStretchCopyPaletteKeyed", Form::Stretched,
         [pal](auto* d, const auto* s, auto ds, auto sa, auto w, auto h, auto& st) {
             KernelStretchCopyPaletteKeyed(d, s, ds, sa, w, h, st, pal, kKey);
         },
         paletteKeyedRule},
        {"KernelCopyPaletteMirroredKeyed", Form::Mirrored,
         [pal](auto* d, const auto* s, auto ds, auto sa, auto w, auto h, auto&) {
             KernelCopyPaletteMirroredKeyed(d, s, ds, sa, w, h, pal, kKey);
         },
         paletteKeyedRule},
        {"KernelStretchCopyPaletteMirroredKeyed", Form::StretchedMirrored,
         [pal](auto* d, const auto* s, auto ds, auto sa, auto w, auto h, auto& st) {
             KernelStretchCopyPaletteMirroredKeyed(d, s, ds, sa, w, h, st, pal, kKey);
         },
         paletteKeyedRule},
        {"KernelMaskToAlpha", Form::Straight, KT_PLAIN(KernelMaskToAlpha), maskRule},
        {"KernelStretchMaskToAlpha", Form::Stretched, KT_STRETCH(KernelStretchMaskToAlpha),
         maskRule},
        {"KernelMaskToAlphaMirrored", Form::Mirrored, KT_PLAIN(KernelMaskToAlphaMirrored),
         maskRule},
        {"KernelStretchMaskToAlphaMirrored", Form::StretchedMirrored,
         KT_STRETCH(KernelStretchMaskToAlphaMirrored), maskRule},
    };
    for (const CasePal& c : paletteCases) CheckKernelCase(c);
    CheckKernelCase(
        CaseMask{"KernelMaskToAlphaScreen", Form::Straight, KT_PLAIN(KernelMaskToAlphaScreen),
                 [](std::uint32_t d, std::uint8_t m) {
                     const std::uint32_t a = d >> 24;
                     return (d & 0x00FFFFFF) | (255 - (255 - a) * (255u - m) / 255) << 24;
                 }});

    auto toMaskRule = [](std::uint8_t, std::uint32_t s) {
        return static_cast<std::uint8_t>(s >> 24);
    };
    const CaseToMask toMaskCases[] = {
        {"KernelAlphaToMask", Form::Straight, KT_PLAIN(KernelAlphaToMask), toMaskRule},
        {"KernelStretchAlphaToMask", Form::Stretched, KT_STRETCH(KernelStretchAlphaToMask),
         toMaskRule},
        {"KernelAlphaToMaskMirrored", Form::Mirrored, KT_PLAIN(KernelAlphaToMaskMirrored),
         toMaskRule},
        {"KernelStretchAlphaToMaskMirrored", Form::StretchedMirrored,
         KT_STRETCH(KernelStretchAlphaToMaskMirrored), toMaskRule},
    };
    for (const CaseToMask& c : toMaskCases) CheckKernelCase(c);
}

// The MMX forms against their plain twins on the same content. Copies and masks must agree
// byte for byte; the alpha blends differ exactly where the source alpha is 1 to 254, by the
// destination weight 256 - a against 255 - A.
TEST(CopyKernels, MmxFormsGiveThePlainBytes) {
    // The shape of the pixel-operation library's host copy routines.
    using Row =
        void (*)(void*, const void*, std::int32_t, std::int32_t, std::int32_t, std::int32_t);
    struct Pair {
        const char* name;
        Row plain;
        Row mmx;
        bool alphaBlend;
    };
    const Pair pairs[] = {
        {"Copy", KernelCopy, KernelCopyMmx, false},
        {"CopyColour", KernelCopyColour, KernelCopyColourMmx, false},
        {"CopyAlpha", KernelCopyAlpha, KernelCopyAlphaMmx, false},
        {"AlphaBlend",
         [](void* d, const void* s, std::int32_t ds, std::int32_t ss, std::int32_t w,
            std::int32_t h) {
             KernelAlphaBlend(static_cast<std::uint32_t*>(d), static_cast<const std::uint32_t*>(s),
                              ds, ss, w, h);
         },
         [](void* d, const void* s, std::int32_t ds, std::int32_t ss, std::int32_t w,
            std::int32_t h) {
             KernelAlphaBlendMmx(static_cast<std::uint32_t*>(d),
                                 static_cast<const std::uint32_t*>(s), ds, ss, w, h);
         },
         true},
    };
    for (const Pair& p : pairs) {
        for (bool corners : {false, true}) {
            for (std::int32_t w : kWidths) {
                SCOPED_TRACE(::testing::Message()
                             << p.name << " width " << w << " corners " << corners);
                Plane<std::uint32_t> src(w, 2), dst(w, 2);
                if (corners) {
                    FillCorners(src);
                    FillCorners(dst);
                } else {
                    FillRandom(src);
                    FillRandom(dst);
                }
                Plane<std::uint32_t> plain = dst, mmx = dst;
                p.plain(plain.Row(0), src.Row(0), plain.Skip(), src.Skip(), w, 2);
                p.mmx(mmx.Row(0), src.Row(0), mmx.Skip(), src.Skip(), w, 2);
                for (size_t i = 0; i < dst.pixels.size(); ++i) {
                    const std::uint32_t alpha = src.pixels[i] >> 24;
                    if (p.alphaBlend && alpha >= 1 && alpha <= 254 &&
                        static_cast<std::int32_t>(i % src.stride) < w) {
                        continue;
                    }
                    ASSERT_EQ(plain.pixels[i], mmx.pixels[i]) << "pixel " << i;
                }
            }
        }
    }
    Plane<std::uint32_t> keyedSrc(1000, 1), keyedDst(1000, 1);
    FillCorners(keyedSrc);
    FillRandom(keyedDst);
    for (size_t i = 0; i < keyedSrc.pixels.size(); i += 3) keyedSrc.pixels[i] = kKey;
    for (std::int32_t w : kWidths) {
        Plane<std::uint32_t> plain = keyedDst, mmx = keyedDst;
        KernelCopyColourKeyed(plain.Row(0), keyedSrc.Row(0), 0, 0, w, 1, kKey);
        KernelCopyColourKeyedMmx(mmx.Row(0), keyedSrc.Row(0), 0, 0, w, 1, kKey);
        ASSERT_EQ(plain.pixels, mmx.pixels) << "keyed colour copy, width " << w;
    }
    for (std::int32_t w : kWidths) {
        Plane<std::uint32_t> plain(w, 2), mmx(w, 2);
        FillCorners(plain);
        mmx = plain;
        KernelFillColourKeepAlpha(plain.Row(0), plain.Skip(), w, 2, 0x00817F01);
        KernelFillColourKeepAlphaMmx(mmx.Row(0), mmx.Skip(), w, 2, 0x00817F01);
        ASSERT_EQ(plain.pixels, mmx.pixels) << "fill keeping alpha, width " << w;
    }
}

TEST(CopyKernels, AlphaBlendCornerPixels) {
    struct Row {
        const char* what;
        std::uint32_t dst, src, plain, mmx;
    };
    const Row rows[] = {
        {"half red over opaque blue", 0xFF0000FF, 0x80FF0000, 0x007F007E, 0x007F007F},
        {"opaque source replaces", 0xFF123456, 0xFFABCDEF, 0x00ABCDEF, 0x00ABCDEF},
        {"transparent source keeps", 0xFF123456, 0x00ABCDEF, 0x00123456, 0x00123456},
    };
    for (const Row& r : rows) {
        std::uint32_t plain = r.dst, mmx = r.dst;
        KernelAlphaBlend(&plain, &r.src, 0, 0, 1, 1);
        KernelAlphaBlendMmx(&mmx, &r.src, 0, 0, 1, 1);
        EXPECT_EQ(r.plain, plain) << r.what;
        EXPECT_EQ(r.mmx, mmx) << r.what;
    }
}

TEST(CopyKernels, MirroredCopyOfSixReversesTheRow) {
    const std::uint32_t src[6] = {1, 2, 3, 4, 5, 6};
    const std::uint32_t reversed[6] = {6, 5, 4, 3, 2, 1};
    for (auto kernel : {KernelCopyMirrored, KernelCopyMirroredMmx}) {
        std::uint32_t dst[6] = {};
        kernel(dst, src + 6, 0, 0, 6, 1);
        EXPECT_TRUE(std::equal(dst, dst + 6, reversed));
    }
}

TEST(CopyKernels, KeyZeroSkipsOnlyAllZeroPixels) {
    const std::uint32_t src[3] = {0x00000000, 0xFF000000, 0x00000001};
    std::uint32_t dst[3] = {7, 7, 7};
    KernelCopyKeyed(dst, src, 0, 0, 3, 1, 0);
    EXPECT_EQ(7u, dst[0]);
    EXPECT_EQ(0xFF000000u, dst[1]);
    EXPECT_EQ(1u, dst[2]);
}

TEST(CopyKernels, FillKeepingAlphaKeepsHalfAlpha) {
    std::uint32_t pixel = 0x80FFFFFF;
    KernelFillColourKeepAlpha(&pixel, 0, 1, 1, 0x00123456);
    EXPECT_EQ(0x80123456u, pixel);
    std::uint32_t filled[4] = {};
    KernelFill32(filled, 0, 2, 2, 0xDEADBEEF);
    for (std::uint32_t p : filled) EXPECT_EQ(0xDEADBEEFu, p);
}

// A negative source pitch reads the source upside down.
TEST(CopyKernels, StretchWithNegativePitchReadsUpsideDown) {
    Plane<std::uint32_t> src(4, 4), dst(8, 8);
    FillRandom(src);
    const StretchStep step = MakeStretch(4, 8, 4, 8);
    KernelStretchCopy(dst.Row(0), src.Row(3), dst.Skip(), -src.Pitch(), 8, 8, step);
    for (std::int32_t y = 0; y < 8; ++y) {
        for (std::int32_t x = 0; x < 8; ++x) {
            ASSERT_EQ(src.At(x / 2, 3 - y / 2), dst.At(x, y)) << x << "," << y;
        }
    }
}

}  // namespace
