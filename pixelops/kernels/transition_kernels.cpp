// Crossfade and rule-transition row kernels (words 93-104).
#include "pixelops/kernels/pixel_math.h"
#include "pixelops/kernels/row_kernels.h"

namespace pixelops {

namespace {

// Straight-alpha mix of two pixels at weight w (0-256) towards s2.
Pixel MixWithAlpha(Pixel s1, Pixel s2, std::uint32_t w) {
    // A caller's own rule table may hold anything; keep the table reads inside T_weight.
    if (w > 256) w = 256;
    const std::uint32_t a1 = Alpha(s1), a2 = Alpha(s2);
    const std::int32_t a =
        static_cast<std::int32_t>(a1) +
        ((static_cast<std::int32_t>(a2 - a1) * static_cast<std::int32_t>(w)) >> 8);
    const std::uint32_t weight = T_weight[((a2 * w) >> 8) * 256 + (((256 - w) * a1) >> 8)];
    return LerpColour(s1, s2, weight) | (static_cast<std::uint32_t>(a) << 24);
}

template <class Mix>
void RuleLine(Pixel* dst, const Pixel* src1, const Pixel* src2, const std::uint8_t* rule,
              const std::int32_t* table, std::int32_t count, Mix mix) {
    for (std::int32_t i = 0; i < count; ++i)
        dst[i] = mix(src1[i], src2[i], static_cast<std::uint32_t>(table[rule[i]]));
}

// Outside the band the sources are copied whole; inside it the plain form's mix applies.
template <class Mix>
void RuleLineSwitch(Pixel* dst, const Pixel* src1, const Pixel* src2, const std::uint8_t* rule,
                    const std::int32_t* table, std::int32_t count, std::int32_t copyFirstFrom,
                    std::int32_t copySecondBelow, Mix mix) {
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t k = rule[i];
        if (k >= copyFirstFrom)
            dst[i] = src1[i];
        else if (k < copySecondBelow)
            dst[i] = src2[i];
        else
            dst[i] = mix(src1[i], src2[i], static_cast<std::uint32_t>(table[k]));
    }
}

Pixel MixPlain(Pixel s1, Pixel s2, std::uint32_t w) {
    return LerpColour(s1, s2, w);
}
Pixel MixAdditive(Pixel s1, Pixel s2, std::uint32_t w) {
    return BlendArgb(s1, s2, w);
}

}  // namespace

void QMXGL_CALL CrossfadeLine(Pixel* dst, const Pixel* src1, const Pixel* src2, std::int32_t count,
                              std::uint32_t ratio) {
    const std::uint32_t r = ratio & 0xFF;
    for (std::int32_t i = 0; i < count; ++i) dst[i] = LerpColour(src1[i], src2[i], r);
}

void QMXGL_CALL CrossfadeLineAdditiveAlpha(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                           std::int32_t count, std::uint32_t ratio) {
    const std::uint32_t r = ratio & 0xFF;
    for (std::int32_t i = 0; i < count; ++i) dst[i] = BlendArgb(src1[i], src2[i], r);
}

void QMXGL_CALL CrossfadeLineWithAlpha(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                       std::int32_t count, std::uint32_t ratio) {
    std::uint32_t r = ratio & 0xFF;
    if (r > 127) ++r;
    for (std::int32_t i = 0; i < count; ++i) dst[i] = MixWithAlpha(src1[i], src2[i], r);
}

void QMXGL_CALL InitRuleTransitionTable(std::int32_t* table, std::int32_t phase,
                                        std::int32_t vague) {
    const std::int64_t bandStart = static_cast<std::int64_t>(phase) - vague;
    for (std::int32_t i = 0; i < 256; ++i) {
        std::int64_t value;
        if (i < bandStart) {
            value = 255;
        } else if (i >= phase) {
            value = 0;
        } else {
            // Here bandStart <= i < phase, so vague > 0.
            value = 255 - (i - bandStart) * 255 / vague;
            if (value < 0) value = 0;
            if (value > 255) value = 255;
        }
        table[i] = static_cast<std::int32_t>(value);
    }
}

// The builder of the alpha and additive-alpha forms (slots 97 and 98): the same table.
void QMXGL_CALL InitRuleTransitionTableWithAlpha(std::int32_t* table, std::int32_t phase,
                                                 std::int32_t vague) {
    InitRuleTransitionTable(table, phase, vague);
}

void QMXGL_CALL RuleTransitionLine(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                   const std::uint8_t* rule, const std::int32_t* table,
                                   std::int32_t count) {
    RuleLine(dst, src1, src2, rule, table, count, MixPlain);
}

void QMXGL_CALL RuleTransitionLineSwitch(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                         const std::uint8_t* rule, const std::int32_t* table,
                                         std::int32_t count, std::int32_t copyFirstFrom,
                                         std::int32_t copySecondBelow) {
    RuleLineSwitch(dst, src1, src2, rule, table, count, copyFirstFrom, copySecondBelow, MixPlain);
}

void QMXGL_CALL RuleTransitionLineWithAlpha(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                            const std::uint8_t* rule, const std::int32_t* table,
                                            std::int32_t count) {
    RuleLine(dst, src1, src2, rule, table, count, MixWithAlpha);
}

void QMXGL_CALL RuleTransitionLineWithAlphaSwitch(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                                  const std::uint8_t* rule,
                                                  const std::int32_t* table, std::int32_t count,
                                                  std::int32_t copyFirstFrom,
                                                  std::int32_t copySecondBelow) {
    RuleLineSwitch(dst, src1, src2, rule, table, count, copyFirstFrom, copySecondBelow,
                   MixWithAlpha);
}

void QMXGL_CALL RuleTransitionLineAdditiveAlpha(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                                const std::uint8_t* rule, const std::int32_t* table,
                                                std::int32_t count) {
    RuleLine(dst, src1, src2, rule, table, count, MixAdditive);
}

void QMXGL_CALL RuleTransitionLineAdditiveAlphaSwitch(Pixel* dst, const Pixel* src1,
                                                      const Pixel* src2, const std::uint8_t* rule,
                                                      const std::int32_t* table, std::int32_t count,
                                                      std::int32_t copyFirstFrom,
                                                      std::int32_t copySecondBelow) {
    RuleLineSwitch(dst, src1, src2, rule, table, count, copyFirstFrom, copySecondBelow,
                   MixAdditive);
}

}  // namespace pixelops
