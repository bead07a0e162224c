// The blend dispatchers: a colour through an 8-bit mask, additive and subtractive blits at an
// opacity, alpha blends scaled by an opacity, alpha over alpha, rule-image transitions and the
// blurred blits. Each hands the job to the bound library where it offers it, or runs the own
// kernels on the clipped area.
#include <algorithm>

#include "graphics/compose/blend_tables.h"
#include "graphics/image/blend_draw.h"
#include "graphics/image/effect_kernels.h"
#include "graphics/image/kernel_form.h"

namespace {

const std::uint8_t* OpacityRow(std::uint8_t opacity) { return g_blendTables.multiply[opacity]; }

// The three table blends by type: blend, add, subtract.
std::int32_t BlendTableAny(Image& dest, std::uint8_t type, Surface* source, std::uint8_t opacity,
                           const BlendPlace& p) {
    BlitSource s;
    const std::int32_t check = Describe32(dest, source, true, s);
    if (check >= 0) return check;
    if (opacity == 0) return 0;
    if (type == 0) {
        const std::int32_t result = LibraryBlend(dest, s, p, pixelops::BlendAlpha, opacity);
        if (result >= 0) return result;
    }
    const bool mmx = UseMmxKernels();
    const std::uint8_t* row = OpacityRow(opacity);
    return DrawBlended(dest, s, p, [&](const KernelArgs& a, const StretchStep* step) {
        if (type > 2) return;
        if (step) {
            static const decltype(&KernelStretchAlphaBlendTable) kStretch[3][2] = {
                {KernelStretchAlphaBlendTable, KernelStretchAlphaBlendTableMmx},
                {KernelStretchAddBlendTable, KernelStretchAddBlendTableMmx},
                {KernelStretchSubBlendTable, KernelStretchSubBlendTableMmx}};
            kStretch[type][mmx](Dst32(a), Src32(a), a.dstSkip, a.srcPitch, a.width, a.height,
                                *step, row);
        } else {
            static const decltype(&KernelAlphaBlendTable) kPlain[3][2] = {
                {KernelAlphaBlendTable, KernelAlphaBlendTableMmx},
                {KernelAddBlendTable, KernelAddBlendTableMmx},
                {KernelSubBlendTable, KernelSubBlendTableMmx}};
            kPlain[type][mmx](Dst32(a), Src32(a), a.dstSkip, a.srcSkip, a.width, a.height, row);
        }
    });
}

std::int32_t BlendOpacityAny(Image& dest, Surface* source, std::uint8_t opacity,
                             const BlendPlace& p) {
    BlitSource s;
    const std::int32_t check = Describe32(dest, source, true, s);
    if (check >= 0) return check;
    if (opacity == 0) return 0;
    const std::int32_t result = LibraryBlend(dest, s, p, pixelops::BlendAlphaOnAlpha, opacity);
    if (result >= 0) return result;
    const bool mmx = UseMmxKernels();
    const std::uint8_t* row = OpacityRow(opacity);
    return DrawBlended(dest, s, p, [&](const KernelArgs& a, const StretchStep* step) {
        if (step) {
            (mmx ? KernelStretchBlendOpacityOverAlphaMmx : KernelStretchBlendOpacityOverAlpha)(
                Dst32(a), Src32(a), a.dstSkip, a.srcPitch, a.width, a.height, *step, row);
        } else {
            (mmx ? KernelBlendOpacityOverAlphaMmx : KernelBlendOpacityOverAlpha)(
                Dst32(a), Src32(a), a.dstSkip, a.srcSkip, a.width, a.height, row);
        }
    });
}

// The 256 weights of a rule transition by rule value.
void BuildRuleTable(std::uint8_t opacity, std::int32_t progress, std::int32_t vagueness,
                    std::uint8_t* table) {
    const auto& m = g_blendTables.multiply;
    const bool rising = progress > 256;
    const std::int32_t g = rising ? progress - 257 : progress - 1;
    const std::uint8_t lo = rising ? 0 : m[opacity][255];
    const std::uint8_t hi = rising ? opacity : 0;
    const std::int32_t rampEnd = std::min(g + vagueness, 256);
    for (std::int32_t v = 0; v < 256; ++v) {
        if (v < g) {
            table[v] = lo;
        } else if (v < rampEnd) {
            const std::int32_t level = (v - g) * 255 / vagueness;
            table[v] = m[opacity][rising ? level : 255 - level];
        } else {
            table[v] = hi;
        }
    }
}

// Checks shared by the two rule blends: 3 out of range, 0 when nothing is to be drawn, -1 go on.
std::int32_t RuleArguments(std::uint8_t opacity, std::int32_t progress, std::int32_t vagueness) {
    if (progress < 0 || progress > 512 || vagueness <= 0 || vagueness > 511) return 3;
    if (progress == 0 || progress == 512 || opacity == 0) return 0;
    return -1;
}

std::int32_t DrawRule(Image& dest, const BlitSource& s, Image* rule, std::uint8_t opacity,
                      std::int32_t progress, std::int32_t vagueness, const BlendPlace& p,
                      bool plane) {
    std::uint8_t table[256];
    BuildRuleTable(opacity, progress, vagueness, table);
    const bool mmx = UseMmxKernels();
    return DrawBlended(dest, s, p, [&](const KernelArgs& a, const StretchStep*) -> std::int32_t {
        const RECT& r = dest.BlitSourceRect();
        const std::uint8_t* ruleBits = nullptr;
        std::int32_t rulePitch = 0;
        if (rule) {
            if (!rule->Bits() || rule->Depth() != 8 || rule->Width() < r.left + a.width ||
                rule->Height() < r.top + a.height) {
                return 4;
            }
            rulePitch = rule->Pitch();
            ruleBits = rule->Bits() + static_cast<std::ptrdiff_t>(r.top) * rulePitch + r.left;
        }
        if (plane) {
            (mmx ? KernelRuleBlendPlaneMmx : KernelRuleBlendPlane)(
                Dst32(a), Src32(a), a.dstSkip, a.srcSkip, a.width, a.height, ruleBits, rulePitch,
                table);
        } else {
            (mmx ? KernelRuleBlendMmx : KernelRuleBlend)(Dst32(a), Src32(a), a.dstSkip,
                                                         a.srcSkip, a.width, a.height, ruleBits,
                                                         rulePitch, table);
        }
        return 0;
    });
}

std::uint32_t Spread(std::uint8_t v) { return v * 0x010101u; }

// The horizontal box average of the blurred blits, by radius (capped at 127).
template <class Kernel>
std::int32_t DrawBoxAverage(Image& dest, const BlitSource& s, std::uint8_t radius,
                            const BlendPlace& p, Kernel kernel) {
    const std::int32_t capped = std::min<std::int32_t>(radius, 127);
    const std::int32_t sourceWidth = s.surface->Width();
    return DrawBlended(dest, s, p, [&](const KernelArgs& a, const StretchStep*) {
        const RECT& r = dest.BlitSourceRect();
        kernel(a, r.left, sourceWidth - r.right, capped);
    });
}

}  // namespace

std::int32_t Image::BlitFromIndexed(std::uint8_t type, Surface* source, std::uint8_t opacity,
                                    std::uint8_t r, std::uint8_t g, std::uint8_t b,
                                    std::int32_t x, std::int32_t y, const RECT* sourceRect) {
    BlitSource s;
    if (!m_bits || !DescribeSource(source, true, s)) return 1;
    if (m_depth != 32 || s.depth != 8) return 2;
    if (opacity == 0) return 0;
    const std::uint32_t colour = (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
    const bool mmx = UseMmxKernels();
    const std::uint8_t* row = OpacityRow(opacity);
    return DrawBlended(*this, s, BlendPlace{nullptr, x, y, sourceRect, false, false},
                       [&](const KernelArgs& a, const StretchStep*) {
                           static const decltype(&KernelMaskBlendColour) kKernels[3][2] = {
                               {KernelMaskBlendColour, KernelMaskBlendColourMmx},
                               {KernelMaskAddColour, KernelMaskAddColourMmx},
                               {KernelMaskSubColour, KernelMaskSubColourMmx}};
                           if (type > 2) return;
                           kKernels[type][mmx](Dst32(a), a.src, a.dstSkip, a.srcSkip, a.width,
                                               a.height, colour, row);
                       });
}

std::int32_t Image::BlitOpacityA(Surface* source, std::uint8_t opacity, std::int32_t x,
                                 std::int32_t y, const RECT* sourceRect) {
    BlitSource s;
    const std::int32_t check = Describe32(*this, source, true, s);
    if (check >= 0) return check;
    if (opacity == 0) return 0;
    const BlendPlace place{nullptr, x, y, sourceRect, false, false};
    const std::int32_t result = LibraryBlend(*this, s, place, pixelops::BlendAdd, opacity);
    if (result >= 0) return result;
    const bool mmx = UseMmxKernels();
    return DrawBlended(*this, s, place, [&](const KernelArgs& a, const StretchStep*) {
        (mmx ? KernelAddOpacityMmx : KernelAddOpacity)(Dst32(a), Src32(a), a.dstSkip, a.srcSkip,
                                                       a.width, a.height, opacity);
    });
}

std::int32_t Image::BlitOpacityB(Surface* source, std::uint8_t opacity, std::int32_t x,
                                 std::int32_t y, const RECT* sourceRect) {
    BlitSource s;
    const std::int32_t check = Describe32(*this, source, true, s);
    if (check >= 0) return check;
    if (opacity == 0) return 0;
    const bool mmx = UseMmxKernels();
    return DrawBlended(*this, s, BlendPlace{nullptr, x, y, sourceRect, false, false},
                       [&](const KernelArgs& a, const StretchStep*) {
                           (mmx ? KernelSubOpacityMmx : KernelSubOpacity)(
                               Dst32(a), Src32(a), a.dstSkip, a.srcSkip, a.width, a.height,
                               opacity);
                       });
}

std::int32_t Image::BlendTable(std::uint8_t type, Surface* source, std::uint8_t opacity,
                               std::int32_t x, std::int32_t y, const RECT* sourceRect) {
    return BlendTableAny(*this, type, source, opacity,
                         BlendPlace{nullptr, x, y, sourceRect, false, false});
}

std::int32_t Image::StretchBlendTable(std::uint8_t type, Surface* source, std::uint8_t opacity,
                                      const SIZE* size, std::int32_t x, std::int32_t y,
                                      const RECT* sourceRect) {
    const SIZE whole = WholeOr(*this, size);
    return BlendTableAny(*this, type, source, opacity,
                         BlendPlace{&whole, x, y, sourceRect, false, false});
}

std::int32_t Image::BlendOpacity(Surface* source, std::uint8_t opacity, std::int32_t x,
                                 std::int32_t y, const RECT* sourceRect) {
    return BlendOpacityAny(*this, source, opacity,
                           BlendPlace{nullptr, x, y, sourceRect, false, false});
}

std::int32_t Image::StretchBlendOpacity(Surface* source, std::uint8_t opacity, const SIZE* size,
                                        std::int32_t x, std::int32_t y, const RECT* sourceRect) {
    const SIZE whole = WholeOr(*this, size);
    return BlendOpacityAny(*this, source, opacity,
                           BlendPlace{&whole, x, y, sourceRect, false, false});
}

std::int32_t Image::RuleBlend(Surface* source, Image* rule, std::uint8_t opacity,
                              std::int32_t progress, std::int32_t vagueness, std::int32_t x,
                              std::int32_t y, const RECT* sourceRect) {
    BlitSource s;
    const std::int32_t check = Describe32(*this, source, true, s);
    if (check >= 0) return check;
    if (!rule || !rule->Bits() || rule->Depth() != 8) return 2;
    const std::int32_t range = RuleArguments(opacity, progress, vagueness);
    if (range >= 0) return range;
    if (progress == 256) return BlendTable(0, source, opacity, x, y, sourceRect);
    return DrawRule(*this, s, rule, opacity, progress, vagueness,
                    BlendPlace{nullptr, x, y, sourceRect, false, false}, false);
}

std::int32_t Image::RuleBlendPlane(Surface* source, Image* rule, std::uint8_t opacity,
                                   std::int32_t progress, std::int32_t vagueness, std::int32_t x,
                                   std::int32_t y, const RECT* sourceRect) {
    BlitSource s;
    const std::int32_t check = Describe32(*this, source, true, s);
    if (check >= 0) return check;
    const std::int32_t range = RuleArguments(opacity, progress, vagueness);
    if (range >= 0) return range;
    if (progress == 256) {
        return BlendChannelWeights(source, Spread(255 - opacity), Spread(opacity), x, y,
                                   sourceRect);
    }
    return DrawRule(*this, s, rule, opacity, progress, vagueness,
                    BlendPlace{nullptr, x, y, sourceRect, false, false}, true);
}

std::int32_t Image::BlitOpacityC(Surface* source, std::uint8_t radius, std::uint8_t opacity,
                                 std::int32_t x, std::int32_t y, const RECT* sourceRect) {
    BlitSource s;
    const std::int32_t check = Describe32(*this, source, true, s);
    if (check >= 0) return check;
    if (opacity == 0) return 0;
    if (radius == 0) {
        return BlendChannelWeights(source, Spread(255 - opacity), Spread(opacity), x, y,
                                   sourceRect);
    }
    return DrawBoxAverage(*this, s, radius, BlendPlace{nullptr, x, y, sourceRect, false, false},
                          [&](const KernelArgs& a, std::int32_t left, std::int32_t right,
                              std::int32_t r) {
                              if (opacity == 255) {
                                  KernelBoxAverageRows(Dst32(a), Src32(a), a.dstSkip, a.srcSkip,
                                                       a.width, a.height, left, right, r);
                              } else {
                                  KernelBoxAverageRowsOpacity(Dst32(a), Src32(a), a.dstSkip,
                                                              a.srcSkip, a.width, a.height, left,
                                                              right, r, opacity);
                              }
                          });
}

std::int32_t Image::BlitOpacityD(Surface* source, std::uint8_t radius, std::uint8_t opacity,
                                 std::int32_t x, std::int32_t y, const RECT* sourceRect) {
    BlitSource s;
    const std::int32_t check = Describe32(*this, source, true, s);
    if (check >= 0) return check;
    if (opacity == 0) return 0;
    if (radius == 0) return BlendTable(0, source, opacity, x, y, sourceRect);
    const std::uint8_t* row = OpacityRow(opacity);
    return DrawBoxAverage(*this, s, radius, BlendPlace{nullptr, x, y, sourceRect, false, false},
                          [&](const KernelArgs& a, std::int32_t left, std::int32_t right,
                              std::int32_t r) {
                              KernelBoxAverageRowsAlpha(Dst32(a), Src32(a), a.dstSkip, a.srcSkip,
                                                        a.width, a.height, left, right, r, row);
                          });
}
