// The blends, dispatchers and the library's blend wrappers against per-pixel formulas over the
// copy blits' table of rectangles, points, clip rectangles and sizes, in the four kernel and
// library configurations. Which source pixel a
// destination pixel shows comes from the copy blits' model (tests/graphics/blit_reference.h);
// the source's border outside its clip rectangle is poison, so a stray read shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/image/image.h"
#include "graphics/image/kernel_form.h"
#include "tests/graphics/blit_reference.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/graphics/rect_helpers.h"

namespace {

using blitref::Call;
using blitref::Walk;
using testsupport::PixelConfig;
using testsupport::PixelConfigScope;

constexpr std::int32_t kSrcW = 12, kSrcH = 10;
constexpr RECT kSrcClip = {2, 1, 10, 8};
constexpr std::int32_t kDstW = 16, kDstH = 12;
constexpr RECT kDstClip = {1, 2, 14, 11};

std::uint32_t Mix(std::uint32_t v) {
    v ^= v >> 15;
    v *= 0x2C1B3C6Du;
    v ^= v >> 12;
    v *= 0x297A2D39u;
    return v ^ (v >> 15);
}

// Alpha bytes include the ends of the range, where the formulas change.
std::uint32_t SourcePixel(std::int32_t x, std::int32_t y) {
    const std::uint32_t h = Mix(static_cast<std::uint32_t>(x * 131 + y * 7919 + 17));
    const std::uint32_t alphas[4] = {0, 255, h >> 24, 128};
    return (alphas[(x + 2 * y) % 4] << 24) | (h & 0x00FFFFFFu);
}
std::uint32_t DestPixel(std::int32_t x, std::int32_t y) {
    const std::uint32_t h = Mix(static_cast<std::uint32_t>(x * 977 + y * 31 + 5));
    return (x + y) % 5 == 0 ? h & 0x00FFFFFFu : h | 0x01000000u;
}

// 8-bit masks include 0 and 255; their poison is a value no pixel inside the clip holds.
constexpr std::uint8_t kMaskPoison = 77;
std::uint32_t MaskPixel(std::int32_t x, std::int32_t y) {
    const std::uint32_t h = Mix(static_cast<std::uint32_t>(x * 389 + y * 6151 + 3)) & 0xFF;
    const std::uint32_t values[4] = {0, 255, h == kMaskPoison ? h + 1 : h, 128};
    return values[(x + 3 * y) % 4];
}
// The rule image covers the whole source, every value possible.
std::uint32_t RulePixel(std::int32_t x, std::int32_t y) {
    return Mix(static_cast<std::uint32_t>(x * 53 + y * 1013 + 9)) & 0xFF;
}

void MakeSource(Image& image) {
    image.Create(kSrcW, kSrcH, 32, 0);
    for (std::int32_t y = 0; y < kSrcH; ++y)
        for (std::int32_t x = 0; x < kSrcW; ++x)
            image.SetPixel(x, y, blitref::Inside(kSrcClip, x, y) ? SourcePixel(x, y)
                                                                  : blitref::kPoison);
    image.SetClipRect(&kSrcClip);
}

void MakeMask(Image& image) {
    image.Create(kSrcW, kSrcH, 8, 0);
    for (std::int32_t y = 0; y < kSrcH; ++y)
        for (std::int32_t x = 0; x < kSrcW; ++x)
            image.SetPixel(x, y, blitref::Inside(kSrcClip, x, y) ? MaskPixel(x, y) : kMaskPoison);
    image.SetClipRect(&kSrcClip);
}

void MakeRule(Image& image) {
    image.Create(kSrcW, kSrcH, 8, 0);
    for (std::int32_t y = 0; y < kSrcH; ++y)
        for (std::int32_t x = 0; x < kSrcW; ++x) image.SetPixel(x, y, RulePixel(x, y));
}

// What the source of the depth holds at (x, y), the poison outside its clip rectangle included.
std::uint32_t SourceAt(std::uint8_t depth, std::int64_t x, std::int64_t y) {
    const std::int32_t px = static_cast<std::int32_t>(x), py = static_cast<std::int32_t>(y);
    if (!blitref::Inside(kSrcClip, x, y)) return depth == 8 ? kMaskPoison : blitref::kPoison;
    return depth == 8 ? MaskPixel(px, py) : SourcePixel(px, py);
}
std::uint32_t DestAt(std::uint8_t depth, std::int32_t x, std::int32_t y) {
    return depth == 8 ? DestPixel(x, y) & 0xFF : DestPixel(x, y);
}

void FillDest(Image& image) {
    for (std::int32_t y = 0; y < kDstH; ++y)
        for (std::int32_t x = 0; x < kDstW; ++x) image.SetPixel(x, y, DestAt(image.Depth(), x, y));
    image.GetDirtyRegion()->Clear();
    image.SetModified(false);
}

std::uint32_t Byte(std::uint32_t p, int k) { return (p >> (8 * k)) & 0xFF; }
std::uint32_t M(std::uint32_t i, std::uint32_t j) { return (2 * i * j + 255) / 510; }
std::uint32_t W(std::uint32_t a) { return a ? a + 1 : 0; }

// Colour bytes by f(d, s, channel), the alpha byte given.
template <class F>
std::uint32_t PerColour(std::uint32_t d, std::uint32_t s, std::uint32_t alpha, F f) {
    std::uint32_t out = alpha << 24;
    for (int k = 0; k < 3; ++k) out |= (f(Byte(d, k), Byte(s, k)) & 0xFF) << (8 * k);
    return out;
}

std::uint32_t Lerp(std::uint32_t d, std::uint32_t s, std::uint32_t w, std::uint32_t alpha) {
    return PerColour(d, s, alpha, [w](std::uint32_t dc, std::uint32_t sc) {
        const std::int32_t diff = static_cast<std::int32_t>(sc) - static_cast<std::int32_t>(dc);
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(dc) +
                                          ((diff * static_cast<std::int32_t>(w)) >> 8));
    });
}

// --- The own kernels' formulas (mmx: the MMX form) ---
std::uint32_t OwnAlphaBlend(std::uint32_t d, std::uint32_t s, bool mmx) {
    const std::uint32_t sa = s >> 24;
    const std::uint32_t a = sa == 255 ? 256 : sa;
    const std::uint32_t b = mmx ? 256 - a : (sa == 0 ? 256 : 255 - sa);
    return PerColour(d, s, 0, [&](std::uint32_t dc, std::uint32_t sc) {
        return (sc * a) / 256 + (dc * b) / 256;
    });
}
constexpr std::uint32_t kOpacity = 128;
std::uint32_t OwnWeighted(std::uint32_t d, std::uint32_t s, bool mmx) {
    if (mmx) return Lerp(d, s, kOpacity + 1, d >> 24);
    return PerColour(d, s, d >> 24, [](std::uint32_t dc, std::uint32_t sc) {
        return M(kOpacity, sc) + M(255 - kOpacity, dc);
    });
}
constexpr std::uint32_t kDestWeights = 0x00C0403Fu, kSourceWeights = 0x003FBFC0u;
std::uint32_t OwnChannelWeights(std::uint32_t d, std::uint32_t s, bool mmx) {
    std::uint32_t out = 0;
    for (int k = 0; k < 4; ++k) {
        const std::uint32_t dw = Byte(kDestWeights, k), sw = Byte(kSourceWeights, k);
        const std::uint32_t v = mmx ? std::min<std::uint32_t>(
                                          255, (Byte(s, k) * sw + Byte(d, k) * dw) / 256)
                                    : (k == 3 ? Byte(d, 3) : M(sw, Byte(s, k)) + M(dw, Byte(d, k)));
        out |= v << (8 * k);
    }
    return out;
}
// Stretched, before an MMX kernel, the smaller weight of each channel is raised by one: red by
// the whole words (0x00C0403F > 0x003FBFC0, so the source's), green and blue by their bytes.
constexpr std::uint32_t kRaisedDestWeights = 0x00C04140u, kRaisedSourceWeights = 0x0040BFC0u;
std::uint32_t OwnStretchChannelWeights(std::uint32_t d, std::uint32_t s, bool mmx) {
    if (!mmx) return OwnChannelWeights(d, s, false);
    std::uint32_t out = 0;
    for (int k = 0; k < 4; ++k) {
        const std::uint32_t v = (Byte(s, k) * Byte(kRaisedSourceWeights, k) +
                                 Byte(d, k) * Byte(kRaisedDestWeights, k)) / 256;
        out |= std::min<std::uint32_t>(255, v) << (8 * k);
    }
    return out;
}
std::uint32_t OwnAverage(std::uint32_t d, std::uint32_t s, bool) {
    return PerColour(d, s, (d >> 24) & (s >> 24),
                     [](std::uint32_t dc, std::uint32_t sc) { return (dc + sc) / 2; });
}
// The plain kernels saturate the colour bytes only; the MMX kernels all four.
std::uint32_t OwnAdd(std::uint32_t d, std::uint32_t s, bool mmx) {
    const std::uint32_t sum = (d >> 24) + (s >> 24);
    return PerColour(d, s, mmx ? std::min<std::uint32_t>(255, sum) : sum & 0xFF,
                     [](std::uint32_t dc, std::uint32_t sc) {
                         return std::min<std::uint32_t>(255, dc + sc);
                     });
}
std::uint32_t OwnSubtract(std::uint32_t d, std::uint32_t s, bool mmx) {
    const std::uint32_t da = d >> 24, sa = s >> 24;
    return PerColour(d, s, mmx ? (da > sa ? da - sa : 0) : (da - sa) & 0xFF,
                     [](std::uint32_t dc, std::uint32_t sc) { return dc > sc ? dc - sc : 0; });
}
std::uint32_t OwnCopyColour(std::uint32_t d, std::uint32_t s, bool) {
    return (s & 0x00FFFFFFu) | (d & 0xFF000000u);
}
std::uint32_t OwnCopyAlpha(std::uint32_t d, std::uint32_t s, bool) {
    return (d & 0x00FFFFFFu) | (s & 0xFF000000u);
}
constexpr std::uint32_t kFade = 100;
std::uint32_t OwnCrossfade(std::uint32_t d, std::uint32_t s, bool) {
    const std::uint32_t da = d >> 24, sa = s >> 24;
    const std::uint32_t alpha = M(255 - kFade, da) + M(kFade, sa);
    if (sa == 0) return (d & 0x00FFFFFFu) | (alpha << 24);
    if (da == 0) return (s & 0x00FFFFFFu) | (alpha << 24);
    return PerColour(d, s, alpha, [](std::uint32_t dc, std::uint32_t sc) {
        return M(255 - kFade, dc) + M(kFade, sc);
    });
}
std::uint32_t OwnTableBlend(std::uint32_t d, std::uint32_t s, bool) {
    return Lerp(d, s, W(M(kOpacity, s >> 24)), d >> 24);
}
std::uint32_t OwnTableSub(std::uint32_t d, std::uint32_t s, bool) {
    const std::uint32_t w = W(M(kOpacity, s >> 24));
    return PerColour(d, s, d >> 24, [w](std::uint32_t dc, std::uint32_t sc) {
        const std::uint32_t take = (sc * w) >> 8;
        return dc > take ? dc - take : 0;
    });
}
std::uint32_t OwnOpacityAdd(std::uint32_t d, std::uint32_t s, bool) {
    return PerColour(d, s, d >> 24, [](std::uint32_t dc, std::uint32_t sc) {
        return std::min<std::uint32_t>(255, dc + ((sc * W(kOpacity)) >> 8));
    });
}

std::uint32_t OwnOpacitySub(std::uint32_t d, std::uint32_t s, bool) {
    return PerColour(d, s, d >> 24, [](std::uint32_t dc, std::uint32_t sc) {
        const std::uint32_t take = (sc * W(kOpacity)) >> 8;
        return dc > take ? dc - take : 0;
    });
}
std::uint32_t OwnTableAdd(std::uint32_t d, std::uint32_t s, bool) {
    const std::uint32_t w = W(M(kOpacity, s >> 24));
    return PerColour(d, s, d >> 24, [w](std::uint32_t dc, std::uint32_t sc) {
        return std::min<std::uint32_t>(255, dc + ((sc * w) >> 8));
    });
}
// The blend tables' alpha over alpha: the source colour's share and the result alpha.
std::uint32_t SourceWeight(std::uint32_t da, std::uint32_t a) {
    if (da == 0) return 255;
    return std::min<std::uint32_t>(255, 65025 * a / (255 * a + da * (255 - a)));
}
std::uint32_t Screen(std::uint32_t i, std::uint32_t j) { return 255 - (255 - i) * (255 - j) / 255; }
std::uint32_t OwnOpacityOverAlpha(std::uint32_t d, std::uint32_t s, bool) {
    const std::uint32_t a = M(kOpacity, s >> 24), da = d >> 24;
    return Lerp(d, s, W(SourceWeight(da, a)), Screen(da, a));
}
// Alpha channels: a mask byte becomes the alpha byte, or an alpha byte the mask byte.
std::uint32_t OwnMaskToAlpha(std::uint32_t d, std::uint32_t m, bool) {
    return (d & 0x00FFFFFFu) | (m << 24);
}
std::uint32_t OwnAlphaToMask(std::uint32_t, std::uint32_t s, bool) { return s >> 24; }
// A colour through an 8-bit mask m, weighed by w(M[opacity][m]).
constexpr std::uint32_t kMaskColour = 0x00C832FAu;  // r 200, g 50, b 250
std::uint32_t OwnMaskBlend(std::uint32_t d, std::uint32_t m, bool) {
    return Lerp(d, kMaskColour, W(M(kOpacity, m)), d >> 24);
}
std::uint32_t OwnMaskAdd(std::uint32_t d, std::uint32_t m, bool) {
    const std::uint32_t w = W(M(kOpacity, m));
    return PerColour(d, kMaskColour, d >> 24, [w](std::uint32_t dc, std::uint32_t c) {
        return std::min<std::uint32_t>(255, dc + ((c * w) >> 8));
    });
}
std::uint32_t OwnMaskSub(std::uint32_t d, std::uint32_t m, bool) {
    const std::uint32_t w = W(M(kOpacity, m));
    return PerColour(d, kMaskColour, d >> 24, [w](std::uint32_t dc, std::uint32_t c) {
        const std::uint32_t take = (c * w) >> 8;
        return dc > take ? dc - take : 0;
    });
}

// The horizontal box average of radius 2 around a source pixel, the row's ends repeated (the
// source image's, so the poison beyond the clip rectangle takes part as it is there).
constexpr std::uint32_t kRadius = 2;
std::uint32_t BoxAverage(std::int64_t sx, std::int64_t sy) {
    std::uint32_t sums[4] = {};
    for (std::int64_t k = -std::int64_t{kRadius}; k <= std::int64_t{kRadius}; ++k) {
        const std::int64_t x = std::clamp<std::int64_t>(sx + k, 0, kSrcW - 1);
        for (int c = 0; c < 4; ++c) sums[c] += Byte(SourceAt(32, x, sy), c);
    }
    std::uint32_t out = 0;
    for (int c = 0; c < 4; ++c)
        out |= ((sums[c] * (65536 / (2 * kRadius + 1)) + 32768) >> 16) << (8 * c);
    return out;
}
std::uint32_t OwnBoxAverage(std::uint32_t, std::int64_t sx, std::int64_t sy, bool) {
    return BoxAverage(sx, sy);
}
std::uint32_t OwnBoxAverageOpacity(std::uint32_t d, std::int64_t sx, std::int64_t sy, bool) {
    return Lerp(d, BoxAverage(sx, sy), W(kOpacity), d >> 24);
}
std::uint32_t OwnBoxAverageAlpha(std::uint32_t d, std::int64_t sx, std::int64_t sy, bool) {
    const std::uint32_t average = BoxAverage(sx, sy);
    return Lerp(d, average, W(M(kOpacity, average >> 24)), d >> 24);
}

// Rule transitions at opacity 200: progress 200 (the first half) and 300 (the second), vagueness
// 40 and 60. T[v]: lo below g, a ramp over the vagueness, hi above.
constexpr std::uint32_t kRuleOpacity = 200;
std::uint32_t RuleTable(std::int32_t progress, std::int32_t vagueness, std::uint32_t v) {
    const bool rising = progress > 256;
    const std::int32_t g = rising ? progress - 257 : progress - 1;
    const std::int32_t at = static_cast<std::int32_t>(v);
    if (at < g) return rising ? 0 : M(kRuleOpacity, 255);
    if (at >= std::min(g + vagueness, 256)) return rising ? kRuleOpacity : 0;
    const std::uint32_t level = static_cast<std::uint32_t>((at - g) * 255 / vagueness);
    return M(kRuleOpacity, rising ? level : 255 - level);
}
std::uint32_t OwnRuleBlend(std::uint32_t d, std::int64_t sx, std::int64_t sy, bool) {
    const std::uint32_t s = SourceAt(32, sx, sy);
    const std::uint32_t t = RuleTable(200, 40, RulePixel(static_cast<std::int32_t>(sx),
                                                          static_cast<std::int32_t>(sy)));
    return Lerp(d, s, W(M(t, s >> 24)), d >> 24);
}
std::uint32_t OwnRulePlane(std::uint32_t d, std::int64_t sx, std::int64_t sy, bool) {
    const std::uint32_t s = SourceAt(32, sx, sy);
    const std::uint32_t t = RuleTable(300, 60, RulePixel(static_cast<std::int32_t>(sx),
                                                          static_cast<std::int32_t>(sy)));
    return Lerp(d, s, W(t), d >> 24);
}
std::uint32_t OwnRulePlaneByAlpha(std::uint32_t d, std::int64_t sx, std::int64_t sy, bool) {
    const std::uint32_t s = SourceAt(32, sx, sy);
    return Lerp(d, s, W(RuleTable(200, 40, s >> 24)), d >> 24);
}

// --- The library's formulas: its colour arithmetic, the alpha byte 0 ---
std::uint32_t LibAlphaBlend(std::uint32_t d, std::uint32_t s) { return Lerp(d, s, s >> 24, 0); }
std::uint32_t LibWeighted(std::uint32_t d, std::uint32_t s) { return Lerp(d, s, kOpacity, 0); }
std::uint32_t LibTableBlend(std::uint32_t d, std::uint32_t s) {
    return Lerp(d, s, (kOpacity * (s >> 24)) >> 8, 0);
}
// Mode 4 at an opacity: the colour scaled by it is added, the destination alpha kept.
std::uint32_t LibAdd(std::uint32_t d, std::uint32_t s) {
    return PerColour(d, s, d >> 24, [](std::uint32_t dc, std::uint32_t sc) {
        return std::min<std::uint32_t>(255, dc + ((sc * kOpacity) >> 8));
    });
}
// Mode 3 at an opacity: "over" onto a straight-alpha destination with a = opacity x alpha >> 8.
// The colour share is worked out in floating point by the library, so colours may be one off.
std::uint32_t LibOverAlpha(std::uint32_t d, std::uint32_t s) {
    const std::uint32_t a = (kOpacity * (s >> 24)) >> 8, da = d >> 24;
    std::uint32_t w = 255;
    if (da != 0) {
        const double share = 255.0 * a / (a + da * (255.0 - a) / 255.0);
        w = std::min<std::uint32_t>(255, static_cast<std::uint32_t>(share));
    }
    return Lerp(d, s, w, 255 - (255 - a) * (255 - da) / 255);
}

using Run = std::int32_t (*)(Image& d, Image& s, const SIZE* size, std::int32_t x,
                             std::int32_t y, const RECT* r);

Image* g_rule;  // the rule image of the rule blends, as large as the source

struct BlendOp {
    const char* name;
    bool stretched, mirror, flip;
    bool library;             // drawn by the library when it is bound
    std::uint32_t ownMask;    // the bits the own formula fixes (0: coverage only)
    std::uint32_t (*own)(std::uint32_t d, std::uint32_t s, bool mmx);
    std::uint32_t (*lib)(std::uint32_t d, std::uint32_t s);  // null: coverage only
    Run run;
    // Formulas that read more than the source pixel shown (blurs, rules): instead of own.
    std::uint32_t (*ownAt)(std::uint32_t d, std::int64_t sx, std::int64_t sy, bool mmx) = nullptr;
    std::uint8_t srcDepth = 32, dstDepth = 32;  // an 8-bit source is the mask picture
    // The library's alone: 2 without it; with it 3 where nothing is drawn.
    bool libraryOnly = false;
    std::uint32_t libSlack = 0;  // how far the library's colour bytes may be off
};

const BlendOp kOps[] = {
    {"AlphaBlend", false, false, false, true, ~0u, OwnAlphaBlend, LibAlphaBlend,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.AlphaBlend(&s, x, y, r, false);
     }},
    {"AlphaBlend flipped", false, false, true, false, ~0u, OwnAlphaBlend, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.AlphaBlend(&s, x, y, r, true);
     }},
    {"AlphaBlendMirrored 5", false, true, true, false, ~0u, OwnAlphaBlend, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.AlphaBlendMirrored(&s, 5, x, y, r);
     }},
    {"StretchAlphaBlend", true, false, false, true, ~0u, OwnAlphaBlend, LibAlphaBlend,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchAlphaBlend(&s, size, x, y, r, false);
     }},
    {"StretchAlphaBlendMirrored 0", true, true, false, false, ~0u, OwnAlphaBlend, nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchAlphaBlendMirrored(&s, 0, size, x, y, r);
     }},
    {"BlendWeighted", false, false, false, true, ~0u, OwnWeighted, LibWeighted,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlendWeighted(&s, kOpacity, x, y, r);
     }},
    {"StretchBlendWeighted", true, false, false, true, ~0u, OwnWeighted, LibWeighted,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchBlendWeighted(&s, kOpacity, size, x, y, r);
     }},
    {"BlendChannelWeights", false, false, false, false, ~0u, OwnChannelWeights, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlendChannelWeights(&s, kDestWeights, kSourceWeights, x, y, r);
     }},
    {"StretchBlendMode 1", true, false, false, false, ~0u, OwnAdd, nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchBlendMode(1, &s, size, x, y, r);
     }},
    {"StretchCopyColour", true, false, false, false, ~0u, OwnCopyColour, nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchCopyColour(&s, size, x, y, r);
     }},
    {"CopyAlpha", false, false, false, false, ~0u, OwnCopyAlpha, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.CopyAlpha(&s, x, y, r);
     }},
    {"CrossfadeOver", false, false, false, false, ~0u, OwnCrossfade, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.CrossfadeOver(&s, kFade, x, y, r);
     }},
    {"StretchBlendTable 0", true, false, false, true, ~0u, OwnTableBlend, LibTableBlend,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchBlendTable(0, &s, kOpacity, size, x, y, r);
     }},
    {"BlendTable 2", false, false, false, false, ~0u, OwnTableSub, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlendTable(2, &s, kOpacity, x, y, r);
     }},
    {"StretchBlendOpacity", true, false, false, true, ~0u, OwnOpacityOverAlpha, LibOverAlpha,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchBlendOpacity(&s, kOpacity, size, x, y, r);
     }, nullptr, 32, 32, false, 1},
    {"BlitOpacityA", false, false, false, true, ~0u, OwnOpacityAdd, LibAdd,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlitOpacityA(&s, kOpacity, x, y, r);
     }},
    {"StretchAlphaBlend flipped", true, false, true, false, ~0u, OwnAlphaBlend, nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchAlphaBlend(&s, size, x, y, r, true);
     }},
    {"AlphaBlendMirrored 0", false, true, false, false, ~0u, OwnAlphaBlend, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.AlphaBlendMirrored(&s, 0, x, y, r);
     }},
    {"AlphaBlendMirrored 1", false, false, true, false, ~0u, OwnAlphaBlend, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.AlphaBlendMirrored(&s, 1, x, y, r);
     }},
    {"AlphaBlendMirrored 2", false, true, true, false, ~0u, OwnAlphaBlend, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.AlphaBlendMirrored(&s, 2, x, y, r);
     }},
    {"StretchAlphaBlendMirrored 2", true, true, true, false, ~0u, OwnAlphaBlend, nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchAlphaBlendMirrored(&s, 2, size, x, y, r);
     }},
    {"CopyColour", false, false, false, false, ~0u, OwnCopyColour, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.CopyColour(&s, x, y, r);
     }},
    {"StretchCopyAlpha", true, false, false, false, ~0u, OwnCopyAlpha, nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchCopyAlpha(&s, size, x, y, r);
     }},
    {"StretchBlendChannelWeights", true, false, false, false, ~0u, OwnStretchChannelWeights,
     nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchBlendChannelWeights(&s, kDestWeights, kSourceWeights, size, x, y, r);
     }},
    {"BlendMode 0", false, false, false, false, ~0u, OwnAverage, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlendMode(0, &s, x, y, r);
     }},
    {"BlendMode 1", false, false, false, false, ~0u, OwnAdd, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlendMode(1, &s, x, y, r);
     }},
    {"BlendMode 2", false, false, false, false, ~0u, OwnSubtract, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlendMode(2, &s, x, y, r);
     }},
    {"StretchBlendMode 0", true, false, false, false, ~0u, OwnAverage, nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchBlendMode(0, &s, size, x, y, r);
     }},
    {"StretchBlendMode 2", true, false, false, false, ~0u, OwnSubtract, nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchBlendMode(2, &s, size, x, y, r);
     }},
    {"CopyAlphaChannel 32 from 8", false, false, false, false, ~0u, OwnMaskToAlpha, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.CopyAlphaChannel(&s, x, y, r, false);
     }, nullptr, 8, 32},
    {"CopyAlphaChannel 32 from 8 flipped", false, false, true, false, ~0u, OwnMaskToAlpha,
     nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.CopyAlphaChannel(&s, x, y, r, true);
     }, nullptr, 8, 32},
    {"StretchCopyAlphaChannel 32 from 8", true, false, false, false, ~0u, OwnMaskToAlpha,
     nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchCopyAlphaChannel(&s, size, x, y, r, false);
     }, nullptr, 8, 32},
    {"CopyAlphaChannelMirrored 0, 32 from 8", false, true, false, false, ~0u, OwnMaskToAlpha,
     nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.CopyAlphaChannelMirrored(&s, 0, x, y, r);
     }, nullptr, 8, 32},
    {"StretchCopyAlphaChannelMirrored 2, 32 from 8", true, true, true, false, ~0u,
     OwnMaskToAlpha, nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchCopyAlphaChannelMirrored(&s, 2, size, x, y, r);
     }, nullptr, 8, 32},
    {"CopyAlphaChannel 8 from 32", false, false, false, false, ~0u, OwnAlphaToMask, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.CopyAlphaChannel(&s, x, y, r, false);
     }, nullptr, 32, 8},
    {"StretchCopyAlphaChannel 8 from 32 flipped", true, false, true, false, ~0u, OwnAlphaToMask,
     nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchCopyAlphaChannel(&s, size, x, y, r, true);
     }, nullptr, 32, 8},
    {"CopyAlphaChannelMirrored 2, 8 from 32", false, true, true, false, ~0u, OwnAlphaToMask,
     nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.CopyAlphaChannelMirrored(&s, 2, x, y, r);
     }, nullptr, 32, 8},
    {"BlitFromIndexed 0", false, false, false, false, ~0u, OwnMaskBlend, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlitFromIndexed(0, &s, kOpacity, 200, 50, 250, x, y, r);
     }, nullptr, 8, 32},
    {"BlitFromIndexed 1", false, false, false, false, ~0u, OwnMaskAdd, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlitFromIndexed(1, &s, kOpacity, 200, 50, 250, x, y, r);
     }, nullptr, 8, 32},
    {"BlitFromIndexed 2", false, false, false, false, ~0u, OwnMaskSub, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlitFromIndexed(2, &s, kOpacity, 200, 50, 250, x, y, r);
     }, nullptr, 8, 32},
    {"BlitOpacityB", false, false, false, false, ~0u, OwnOpacitySub, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlitOpacityB(&s, kOpacity, x, y, r);
     }},
    {"BlitOpacityC at 255", false, false, false, false, ~0u, nullptr, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlitOpacityC(&s, kRadius, 255, x, y, r);
     }, OwnBoxAverage},
    {"BlitOpacityC", false, false, false, false, ~0u, nullptr, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlitOpacityC(&s, kRadius, kOpacity, x, y, r);
     }, OwnBoxAverageOpacity},
    {"BlitOpacityD", false, false, false, false, ~0u, nullptr, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlitOpacityD(&s, kRadius, kOpacity, x, y, r);
     }, OwnBoxAverageAlpha},
    {"BlendTable 0", false, false, false, true, ~0u, OwnTableBlend, LibTableBlend,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlendTable(0, &s, kOpacity, x, y, r);
     }},
    {"BlendTable 1", false, false, false, false, ~0u, OwnTableAdd, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlendTable(1, &s, kOpacity, x, y, r);
     }},
    {"BlendOpacity", false, false, false, true, ~0u, OwnOpacityOverAlpha, LibOverAlpha,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlendOpacity(&s, kOpacity, x, y, r);
     }, nullptr, 32, 32, false, 1},
    {"RuleBlend", false, false, false, false, ~0u, nullptr, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.RuleBlend(&s, g_rule, kRuleOpacity, 200, 40, x, y, r);
     }, OwnRuleBlend},
    {"RuleBlendPlane", false, false, false, false, ~0u, nullptr, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.RuleBlendPlane(&s, g_rule, kRuleOpacity, 300, 60, x, y, r);
     }, OwnRulePlane},
    {"RuleBlendPlane by the source alpha", false, false, false, false, ~0u, nullptr, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.RuleBlendPlane(&s, nullptr, kRuleOpacity, 200, 40, x, y, r);
     }, OwnRulePlaneByAlpha},
    {"BlendRect", false, false, false, true, ~0u, nullptr, LibTableBlend,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlendRect(&s, 2, kOpacity, 0, x, y, r);
     }, nullptr, 32, 32, true},
    {"StretchBlendRect", true, false, false, true, ~0u, nullptr, LibOverAlpha,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchBlendRect(&s, 3, 0, kOpacity, 0, size, x, y, r);
     }, nullptr, 32, 32, true, 1},
};

struct SizeCase {
    const char* what;
    bool stretched;
    std::int64_t (*scale)(std::int64_t);
};
const SizeCase kSizes[] = {
    {"unstretched", false, [](std::int64_t v) { return v; }},
    {"equal size", true, [](std::int64_t v) { return v; }},
    {"twice", true, [](std::int64_t v) { return 2 * v; }},
    {"a third", true, [](std::int64_t v) { return v / 3; }},
};

struct RectCase {
    const char* what;
    bool null;
    RECT rect;
};
const RectCase kRects[] = {
    {"null", true, {}},
    {"inside", false, {3, 2, 7, 6}},
    {"across left", false, {0, 2, 5, 6}},
    {"across bottom", false, {3, 5, 7, 10}},
    {"outside the clip", false, {10, 8, 12, 10}},
};

struct PointCase {
    const char* what;
    std::int32_t x, y;
};
const PointCase kPoints[] = {
    {"inside", 4, 4},         {"beyond left", -2, 4},
    {"beyond bottom", 4, 9},  {"near INT_MIN", INT_MIN + 2, INT_MIN + 2},
    {"near INT_MAX", INT_MAX - 2, INT_MAX - 2},
};

struct ClipCase {
    const char* what;
    bool null;
    RECT rect;
};
const ClipCase kClips[] = {
    {"own clip", true, {}},
    {"smaller clip", false, {3, 3, 10, 9}},
};

using graphicstest::Intersection;
using graphicstest::RectText;

class CrossedBlendTable : public ::testing::TestWithParam<PixelConfig> {};

TEST_P(CrossedBlendTable, EveryPixelResultAndDirtyRectFollowTheFormulas) {
    PixelConfigScope scope(GetParam());
    ASSERT_TRUE(scope.Ready());
    const bool library = testsupport::UsesLibrary(GetParam());
    const bool exactLibrary = GetParam() == PixelConfig::LibraryPortable;
    const bool mmx = UseMmxKernels();  // the detected library leaves the own kernels detected
    Image source, mask, rule, dest32, dest8;
    MakeSource(source);
    MakeMask(mask);
    MakeRule(rule);
    g_rule = &rule;
    dest32.Create(kDstW, kDstH, 32, kImageDirtyRegion);
    dest8.Create(kDstW, kDstH, 8, kImageDirtyRegion);
    int failures = 0;
    auto fail = [&](const std::string& where, const std::string& what) {
        if (++failures <= 12)
            ADD_FAILURE() << testsupport::PixelConfigName(GetParam()) << ", " << where << ": "
                          << what;
    };
    for (const BlendOp& op : kOps)
    for (const SizeCase& sc : kSizes)
    for (const RectCase& rc : kRects)
    for (const PointCase& pc : kPoints)
    for (const ClipCase& cc : kClips) {
        if (sc.stretched != op.stretched) continue;
        std::ostringstream where;
        where << op.name << ", " << sc.what << ", source " << rc.what << ", point " << pc.what
              << ", " << cc.what;
        Call call;
        call.x = pc.x;
        call.y = pc.y;
        call.src = rc.null ? kSrcClip : rc.rect;
        const std::int64_t srcW = std::int64_t{call.src.right} - call.src.left;
        const std::int64_t srcH = std::int64_t{call.src.bottom} - call.src.top;
        const SIZE size = {static_cast<LONG>(sc.scale(srcW)), static_cast<LONG>(sc.scale(srcH))};
        call.w = sc.stretched ? size.cx : srcW;
        call.h = sc.stretched ? size.cy : srcH;
        call.mirror = op.mirror;
        call.flip = op.flip;
        const bool inside = call.src.left >= kSrcClip.left && call.src.top >= kSrcClip.top &&
                            call.src.right <= kSrcClip.right &&
                            call.src.bottom <= kSrcClip.bottom;
        const bool differs = call.w != srcW || call.h != srcH;
        const bool libraryPath = library && op.library && (!sc.stretched || !differs || inside);
        call.walk = libraryPath && sc.stretched && differs ? Walk::Library : Walk::Model;
        const RECT clip = cc.null ? kDstClip : Intersection(cc.rect, kDstClip);
        // The library's stretch walks the whole source rectangle, so the library-only stretch
        // refuses a source beyond the source's clip rectangle.
        const bool refused = op.libraryOnly && (!library || (sc.stretched && differs && !inside));

        Image& dest = op.dstDepth == 8 ? dest8 : dest32;
        FillDest(dest);
        dest.SetClipRect(&clip);
        RECT argument = rc.rect;
        const std::int32_t result =
            op.run(dest, op.srcDepth == 8 ? mask : source, sc.stretched ? &size : nullptr, pc.x,
                   pc.y, rc.null ? nullptr : &argument);
        if (!rc.null && memcmp(&argument, &rc.rect, sizeof(RECT)) != 0)
            fail(where.str(), "the source rectangle was changed");

        RECT bounds = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        bool drawnAny = false;
        for (std::int32_t py = 0; py < kDstH; ++py) {
            for (std::int32_t px = 0; px < kDstW; ++px) {
                const std::uint32_t d = DestAt(op.dstDepth, px, py);
                const std::uint32_t got = dest.GetPixel(px, py);
                std::int64_t sx, sy;
                std::uint32_t want = d, bits = ~0u, slack = 0;
                if (!refused && blitref::SourceOf(call, clip, &kSrcClip, px, py, &sx, &sy)) {
                    drawnAny = true;
                    bounds = RECT{std::min<LONG>(bounds.left, px), std::min<LONG>(bounds.top, py),
                                  std::max<LONG>(bounds.right, px + 1),
                                  std::max<LONG>(bounds.bottom, py + 1)};
                    const std::uint32_t s = SourceAt(op.srcDepth, sx, sy);
                    if (libraryPath) {
                        bits = exactLibrary && op.lib ? ~0u : 0;
                        want = op.lib ? op.lib(d, s) : 0;
                        slack = op.libSlack;
                    } else {
                        bits = op.ownMask;
                        want = op.ownAt ? op.ownAt(d, sx, sy, mmx) : op.own ? op.own(d, s, mmx) : 0;
                    }
                }
                bool off = ((got ^ want) & bits) != 0;
                if (off && slack) {
                    off = (got >> 24) != (want >> 24);
                    for (int k = 0; k < 3; ++k)
                        off |= std::abs(static_cast<int>(Byte(got, k)) -
                                        static_cast<int>(Byte(want, k))) > static_cast<int>(slack);
                }
                if (off) {
                    std::ostringstream what;
                    what << "pixel (" << px << ", " << py << ") is " << std::hex << got
                         << ", expected " << want << (libraryPath ? " (library)" : "");
                    fail(where.str(), what.str());
                    py = kDstH;
                    break;
                }
            }
        }
        const std::int32_t wantResult =
            !op.libraryOnly ? 0 : !library ? 2 : drawnAny ? 0 : 3;
        if (result != wantResult)
            fail(where.str(), "result " + std::to_string(result) + ", expected " +
                                  std::to_string(wantResult));
        const DirtyRegion* region = dest.GetDirtyRegion();
        if (!drawnAny) {
            if (region->Count() != 0 || dest.Modified()) fail(where.str(), "marked without drawing");
            continue;
        }
        if (region->Count() != 1 || !dest.Modified()) {
            fail(where.str(), "not marked once");
            continue;
        }
        const RectNode* n = region->Head();
        const RECT dirty = {n->left, n->top, n->right, n->bottom};
        if (memcmp(&dirty, &bounds, sizeof(RECT)) != 0)
            fail(where.str(), "dirty " + RectText(dirty) + ", drawn " + RectText(bounds));
    }
    EXPECT_EQ(0, failures);
}

INSTANTIATE_TEST_SUITE_P(Configurations, CrossedBlendTable,
                         ::testing::ValuesIn(testsupport::kPixelConfigs),
                         testsupport::PixelConfigTestName);

}  // namespace
