#include "graphics/image/mix_kernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/graphics/image/kernel_form_harness.h"

using namespace kerneltest;

namespace {

using Case = KernelCase<std::uint32_t, std::uint32_t>;
using Rule = std::function<std::uint32_t(std::uint32_t, std::uint32_t)>;


// Builds a pixel from a per-byte function of the two pixels' bytes (k = 0 blue ... 3 alpha).
template <class F>
std::uint32_t PerByte(std::uint32_t d, std::uint32_t s, F f) {
    std::uint32_t out = 0;
    for (int k = 0; k < 4; ++k) out |= (f(RefByte(d, k), RefByte(s, k), k) & 0xFF) << (8 * k);
    return out;
}

// Weights whose channel pairs add up to 255, with nonzero top bytes so that the MMX form's
// alpha from the weights' top bytes shows.
constexpr std::uint32_t kDstWeights = 0x40C0807F;
constexpr std::uint32_t kSrcWeights = 0x803F7F80;

Rule WeightsPlain() {
    return [](std::uint32_t d, std::uint32_t s) {
        return PerByte(d, s, [](std::uint32_t dc, std::uint32_t sc, int k) {
            if (k == 3) return dc;
            return RefMultiply(RefByte(kSrcWeights, k), sc) +
                   RefMultiply(RefByte(kDstWeights, k), dc);
        });
    };
}
Rule WeightsMmx() {
    return [](std::uint32_t d, std::uint32_t s) {
        return PerByte(d, s, [](std::uint32_t dc, std::uint32_t sc, int k) {
            const std::uint32_t sum = std::min<std::uint32_t>(
                65535, sc * RefByte(kSrcWeights, k) + dc * RefByte(kDstWeights, k));
            return std::min<std::uint32_t>(255, sum / 256);
        });
    };
}
Rule OpacityMmx(std::uint8_t opacity) {
    return [opacity](std::uint32_t d, std::uint32_t s) {
        const int w = opacity ? opacity + 1 : 0;
        return PerByte(d, s, [w](std::uint32_t dc, std::uint32_t sc, int k) {
            if (k == 3) return dc;
            const int diff = static_cast<int>(sc) - static_cast<int>(dc);
            const int q = diff * w >= 0 ? diff * w / 256 : -((-diff * w + 255) / 256);
            return static_cast<std::uint32_t>(static_cast<int>(dc) + q);
        });
    };
}
Rule Average() {
    return [](std::uint32_t d, std::uint32_t s) {
        return PerByte(d, s, [](std::uint32_t dc, std::uint32_t sc, int k) {
            return k == 3 ? (dc & sc) : (dc + sc) / 2;
        });
    };
}
Rule Add(bool saturateAlpha) {
    return [saturateAlpha](std::uint32_t d, std::uint32_t s) {
        return PerByte(d, s, [saturateAlpha](std::uint32_t dc, std::uint32_t sc, int k) {
            return k == 3 && !saturateAlpha ? dc + sc : std::min<std::uint32_t>(255, dc + sc);
        });
    };
}
Rule Sub(bool saturateAlpha) {
    return [saturateAlpha](std::uint32_t d, std::uint32_t s) {
        return PerByte(d, s, [saturateAlpha](std::uint32_t dc, std::uint32_t sc, int k) {
            return k == 3 && !saturateAlpha ? dc - sc : (dc > sc ? dc - sc : 0);
        });
    };
}
Rule Keyed(Rule rule) {
    return [rule](std::uint32_t d, std::uint32_t s) { return s == kKey ? d : rule(d, s); };
}

// The four members of one rule: straight, stretched, keyed, stretched and keyed.
#define MIX_CASES(base, suffix, rule, ...)                                                      \
    Case{"Kernel" #base #suffix, Form::Straight, KT_PLAIN(Kernel##base##suffix, ##__VA_ARGS__), \
         rule},                                                                                 \
        Case{"KernelStretch" #base #suffix, Form::Stretched,                                    \
             KT_STRETCH(KernelStretch##base##suffix, ##__VA_ARGS__), rule},                     \
        Case{"Kernel" #base "Keyed" #suffix, Form::Straight,                                    \
             KT_PLAIN(Kernel##base##Keyed##suffix, ##__VA_ARGS__, kKey), Keyed(rule)},          \
        Case {                                                                                  \
        "KernelStretch" #base "Keyed" #suffix, Form::Stretched,                                 \
            KT_STRETCH(KernelStretch##base##Keyed##suffix, ##__VA_ARGS__, kKey), Keyed(rule)    \
    }

TEST(MixKernels, EveryMemberFollowsItsRuleInItsForm) {
    const std::vector<Case> cases = {
        MIX_CASES(BlendWeights, , WeightsPlain(), kDstWeights, kSrcWeights),
        MIX_CASES(BlendWeights, Mmx, WeightsMmx(), kDstWeights, kSrcWeights),
        MIX_CASES(BlendOpacity, Mmx, OpacityMmx(128), std::uint8_t{128}),
        MIX_CASES(Average, , Average()),
        MIX_CASES(Average, Mmx, Average()),
        MIX_CASES(AddSaturate, , Add(false)),
        MIX_CASES(AddSaturate, Mmx, Add(true)),
        MIX_CASES(SubSaturate, , Sub(false)),
        MIX_CASES(SubSaturate, Mmx, Sub(true)),
    };
    for (const Case& c : cases) CheckKernelCase(c);
}

TEST(MixKernels, OpacityMmxAtEveryCornerOpacity) {
    for (std::uint8_t o : kCorners) {
        SCOPED_TRACE(static_cast<int>(o));
        CheckKernelCase(Case{"KernelBlendOpacityMmx", Form::Straight,
                             [o](auto* d, const auto* s, auto ds, auto ss, auto w, auto h, auto&) {
                                 KernelBlendOpacityMmx(d, s, ds, ss, w, h, o);
                             },
                             OpacityMmx(o)});
    }
}

TEST(MixKernels, CrossfadeFollowsTheAlphaCases) {
    for (std::uint8_t a :
         {std::uint8_t{0}, std::uint8_t{64}, std::uint8_t{200}, std::uint8_t{255}}) {
        SCOPED_TRACE(static_cast<int>(a));
        Rule rule = [a](std::uint32_t d, std::uint32_t s) {
            const std::uint32_t da = d >> 24, sa = s >> 24;
            return PerByte(d, s, [&](std::uint32_t dc, std::uint32_t sc, int k) {
                if (k == 3 || (da != 0 && sa != 0)) {
                    return RefMultiply(255 - a, dc) + RefMultiply(a, sc);
                }
                return sa == 0 ? dc : sc;
            });
        };
        CheckKernelCase(Case{"KernelCrossfadeOver", Form::Straight,
                             [a](auto* d, const auto* s, auto ds, auto ss, auto w, auto h, auto&) {
                                 KernelCrossfadeOver(d, s, ds, ss, w, h, a);
                             },
                             rule});
    }
}

TEST(MixKernels, DocumentedPixels) {
    using Pair = void (*)(std::uint32_t*, const std::uint32_t*, std::int32_t, std::int32_t,
                          std::int32_t, std::int32_t);
    struct Row {
        const char* what;
        Pair kernel;
        std::uint32_t dst, src, expected;
    };
    const Row rows[] = {
        {"average of opaque blue and half-transparent black", KernelAverage, 0xFF0000FF, 0x80000000,
         0x8000007F},
        {"the same, MMX", KernelAverageMmx, 0xFF0000FF, 0x80000000, 0x8000007F},
        {"add of two opaque pixels wraps alpha", KernelAddSaturate, 0xFF808080, 0xFF909090,
         0xFEFFFFFF},
        {"MMX add saturates alpha", KernelAddSaturateMmx, 0xFF808080, 0xFF909090, 0xFFFFFFFF},
        {"subtract opaque from opaque", KernelSubSaturate, 0xFF808080, 0xFF101010, 0x00707070},
        {"the same, MMX", KernelSubSaturateMmx, 0xFF808080, 0xFF101010, 0x00707070},
    };
    for (const Row& r : rows) {
        std::uint32_t d = r.dst;
        r.kernel(&d, &r.src, 0, 0, 1, 1);
        EXPECT_EQ(r.expected, d) << r.what;
    }

    // Opacity 128 of black over white: the plain weights give 127, the MMX opacity form 126.
    const std::uint32_t black = 0x00000000;
    std::uint32_t plain = 0x00FFFFFF, mmx = 0x00FFFFFF;
    KernelBlendWeights(&plain, &black, 0, 0, 1, 1, 0x007F7F7F, 0x00808080);
    KernelBlendOpacityMmx(&mmx, &black, 0, 0, 1, 1, 128);
    EXPECT_EQ(0x007F7F7Fu, plain);
    EXPECT_EQ(0x007E7E7Eu, mmx);

    // Crossfade at 64 of an opaque source over a transparent destination.
    const std::uint32_t source = 0xFF123456;
    std::uint32_t faded = 0x00ABCDEF;
    KernelCrossfadeOver(&faded, &source, 0, 0, 1, 1, 64);
    EXPECT_EQ(0x40123456u, faded);
}

TEST(ColourBrightness, EdgeColoursOfTheInterfacePanels) {
    struct Row {
        const char* what;
        std::uint32_t (*function)(std::uint32_t, std::int32_t);
        std::uint32_t colour;
        std::int32_t amount;
        std::uint32_t expected;
    };
    const Row rows[] = {
        {"shift 1 brightens", ShiftColourBrightness, 0x00806040, 1, 0x00BFC080},
        {"shift -1 halves", ShiftColourBrightness, 0x00806040, -1, 0x00403020},
        {"shift 2 loses blue's low bits", ShiftColourBrightness, 0x00FCFCFC, 2, 0x00FEFEFC},
        {"shift drops alpha", ShiftColourBrightness, 0xFF806040, -2, 0x00201810},
        {"factor 3 brightens", ScaleColourBrightness, 0x00806040, 3, 0x00D4CAC0},
        {"factor -2 halves", ScaleColourBrightness, 0x00806040, -2, 0x00403020},
        {"factor drops alpha", ScaleColourBrightness, 0xFF806040, 3, 0x00D4CAC0},
        {"factor 1 keeps the colour", ScaleColourBrightness, 0xFF806040, 1, 0x00806040},
    };
    for (const Row& r : rows) EXPECT_EQ(r.expected, r.function(r.colour, r.amount)) << r.what;
}

}  // namespace
