// MMX and MMX-ext forms of the crossfade and the plain rule transition (words 93, 96, 99, 100).
//
// The rule transition keeps its weights as a table of 16-bit complementary weights times 128,
// so one signed high multiply per lane replaces two 32-bit multiplies per pixel. All four
// bytes, alpha included, are interpolated.
#include "pixelops/kernels/mmx_lanes.h"
#include "pixelops/kernels/simd_kernels.h"

namespace pixelops {

namespace {

void QMXGL_CALL BuildMmxRuleTransitionTable(std::int32_t* table, std::int32_t phase,
                                            std::int32_t vague) {
    std::int16_t* entries = reinterpret_cast<std::int16_t*>(table);
    // 64 bits: the vague width comes from scripts unchecked.
    const std::int64_t bandStart = std::int64_t{phase} - vague;
    const std::int64_t bandEnd = std::int64_t{phase} + vague;
    for (std::int32_t i = 0; i < 256; ++i) {
        std::int64_t v;
        if (i < bandStart) {
            v = 0;
        } else if (i >= bandEnd) {
            v = 255;
        } else {
            // Here vague > 0.
            v = 255 * (i - bandStart) / vague;
            v = v < 0 ? 0 : v > 255 ? 255 : v;
        }
        entries[i] = static_cast<std::int16_t>(v * 128);
    }
}

// src2 + 2 floor((src1 - src2) w / 65536) per lane, saturated.
__m64 RuleLanes(__m64 first, __m64 second, std::int16_t w) {
    const __m64 t = _mm_mulhi_pi16(_mm_sub_pi16(first, second), Splat(w));
    return _mm_add_pi16(second, _mm_add_pi16(t, t));
}

template <bool Ahead>
void RuleBlendPair(Pixel* dst, const Pixel* src1, const Pixel* src2, const std::uint8_t* rule,
                   const std::int16_t* w, std::int32_t i) {
    if (Ahead) {
        Prefetch(src1 + i, 4);
        Prefetch(src2 + i, 4);
        Prefetch(rule + i, 16);
    }
    const __m64 a = Load2(src1 + i), b = Load2(src2 + i);
    Store2(dst + i,
           Pack(RuleLanes(Lo(a), Lo(b), w[rule[i]]), RuleLanes(Hi(a), Hi(b), w[rule[i + 1]])));
}

void RuleBlendOne(Pixel* dst, const Pixel* src1, const Pixel* src2, const std::uint8_t* rule,
                  const std::int16_t* w, std::int32_t i) {
    const __m64 r = RuleLanes(Lo(Load1(src1 + i)), Lo(Load1(src2 + i)), w[rule[i]]);
    Store1(dst + i, Pack(r, r));
}

template <bool Ahead>
void RuleLine(Pixel* dst, const Pixel* src1, const Pixel* src2, const std::uint8_t* rule,
              const std::int32_t* table, std::int32_t count) {
    if (count <= 0) return;
    const std::int16_t* w = reinterpret_cast<const std::int16_t*>(table);
    std::int32_t i = 0;
    for (; count - i >= 2; i += 2) RuleBlendPair<Ahead>(dst, src1, src2, rule, w, i);
    if (i < count) RuleBlendOne(dst, src1, src2, rule, w, i);
    _mm_empty();
}

// A pair is copied only when both of its rule bytes call for the same copy; every other pair,
// and an odd last pixel, is blended.
template <bool Ahead>
void RuleLineSwitch(Pixel* dst, const Pixel* src1, const Pixel* src2, const std::uint8_t* rule,
                    const std::int32_t* table, std::int32_t count, std::int32_t copyFirstFrom,
                    std::int32_t copySecondBelow) {
    if (count <= 0) return;
    const std::int16_t* w = reinterpret_cast<const std::int16_t*>(table);
    std::int32_t i = 0;
    for (; count - i >= 2; i += 2) {
        const std::int32_t r0 = rule[i], r1 = rule[i + 1];
        if (r0 >= copyFirstFrom && r1 >= copyFirstFrom)
            Store2(dst + i, Load2(src1 + i));
        else if (r0 < copySecondBelow && r1 < copySecondBelow)
            Store2(dst + i, Load2(src2 + i));
        else
            RuleBlendPair<Ahead>(dst, src1, src2, rule, w, i);
    }
    if (i < count) RuleBlendOne(dst, src1, src2, rule, w, i);
    _mm_empty();
}

// ((src1 << 8) + (src2 - src1) ratio) >> 8 in 16-bit lanes: exact for ratios 0 to 256.
__m64 CrossfadeLanes(__m64 a, __m64 b, __m64 ratio) {
    return _mm_srli_pi16(
        _mm_add_pi16(_mm_slli_pi16(a, 8), _mm_mullo_pi16(_mm_sub_pi16(b, a), ratio)), 8);
}

template <bool Ahead>
void Crossfade(Pixel* dst, const Pixel* src1, const Pixel* src2, std::int32_t count,
               std::uint32_t ratio) {
    if (count <= 0) return;
    const __m64 r = Splat(static_cast<int>(ratio));
    auto one = [&](std::int32_t i) {
        const __m64 v = CrossfadeLanes(Lo(Load1(src1 + i)), Lo(Load1(src2 + i)), r);
        Store1(dst + i, Pack(v, v));
    };
    auto two = [&](std::int32_t i) {
        const __m64 a = Load2(src1 + i), b = Load2(src2 + i);
        Store2(dst + i, Pack(CrossfadeLanes(Lo(a), Lo(b), r), CrossfadeLanes(Hi(a), Hi(b), r)));
    };
    std::int32_t i = 0;
    if (count > 4) {
        if ((reinterpret_cast<std::uintptr_t>(dst) & 7) != 0) one(i++);
        for (; count - i > 4; i += 4) {
            if (Ahead) {
                Prefetch(src1 + i, 8);
                Prefetch(src2 + i, 8);
            }
            two(i);
            two(i + 2);
        }
    }
    for (; i < count; ++i) one(i);
    _mm_empty();
}

QMXGL_MMX_FORMS(RuleTransitionLine, RuleLine,
                (Pixel * d, const Pixel* a, const Pixel* b, const std::uint8_t* rule,
                 const std::int32_t* table, std::int32_t n),
                (d, a, b, rule, table, n))
QMXGL_MMX_FORMS(RuleTransitionLineSwitch, RuleLineSwitch,
                (Pixel * d, const Pixel* a, const Pixel* b, const std::uint8_t* rule,
                 const std::int32_t* table, std::int32_t n, std::int32_t first,
                 std::int32_t second),
                (d, a, b, rule, table, n, first, second))
QMXGL_MMX_FORMS(CrossfadeLine, Crossfade,
                (Pixel * d, const Pixel* a, const Pixel* b, std::int32_t n, std::uint32_t ratio),
                (d, a, b, n, ratio))

}  // namespace

SimdKernelGroup TransitionMmxKernels() {
    static const SimdKernelEntry entries[] = {
        QMXGL_MMX_ENTRIES(93, CrossfadeLine),
        Entry(96, kFormMmx, &BuildMmxRuleTransitionTable),
        QMXGL_MMX_ENTRIES(99, RuleTransitionLine),
        QMXGL_MMX_ENTRIES(100, RuleTransitionLineSwitch),
    };
    return SimdKernelGroup{entries, static_cast<int>(sizeof entries / sizeof entries[0])};
}

}  // namespace pixelops
