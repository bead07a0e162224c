// The blend of one pair of pixels (two packed in 8 bytes) for the MMX kernel files; only files
// built with MMX enabled include this, after mmx_lanes.h.
//
// A pair is blended without unpacking: its even bytes (blue, red) and odd bytes (green, alpha)
// each fill four 16-bit lanes of one register, so every multiply serves two pixels, and the
// lanes go back into place with a shift and an OR instead of a pack. The weights of a pair,
// (w0, w0, w1, w1), serve both halves; the extended-MMX forms spread the alpha bytes into them
// with one pshufw where the MMX forms shift and OR. Each step is scheduled by hand: operands are
// loaded once and stay in registers (left to the compiler, the eight MMX registers run out and
// operands are loaded again). Register use: mm0 d even, mm1 s even, mm2 d odd, mm3 s odd, mm4
// the weights, mm5 scratch. Every result equals the four-lane arithmetic of mmx_lanes.h
// (Interpolate, ScaleDown) on each pixel.
#pragma once

#include "pixelops/kernels/mmx_lanes.h"

namespace pixelops {
namespace {

// 0x00FF in every lane: the mask of the even bytes, passed to every step in a register.
inline __m64 ByteMask() {
    return Splat(0xFF);
}

// Loads the pair d at dst and s at src and splits both into even and odd lanes.
#define QMXGL_SPLIT_PAIR                 \
    "movq (%[d]), %%mm0\n\t"             \
    "movq (%[s]), %%mm1\n\t"             \
    "movq %%mm0, %%mm2\n\t"              \
    "movq %%mm1, %%mm3\n\t"              \
    "psrlw $8, %%mm2\n\t"                \
    "psrlw $8, %%mm3\n\t"                \
    "pand %[mask], %%mm0\n\t"            \
    "pand %[mask], %%mm1\n\t"
// The weights (a0, a0, a1, a1) from the odd lanes (g0, a0, g1, a1) of s.
#define QMXGL_ALPHA_WEIGHTS_EXT "pshufw $0xF5, %%mm3, %%mm4\n\t"
#define QMXGL_ALPHA_WEIGHTS_MMX \
    "movq %%mm3, %%mm4\n\t"     \
    "psrld $16, %%mm4\n\t"      \
    "movq %%mm4, %%mm5\n\t"     \
    "pslld $16, %%mm5\n\t"      \
    "por %%mm5, %%mm4\n\t"
// Both halves interpolated by the weights, joined and stored at dst.
#define QMXGL_INTERPOLATE_STORE \
    "psubw %%mm0, %%mm1\n\t"    \
    "psubw %%mm2, %%mm3\n\t"    \
    "pmullw %%mm4, %%mm1\n\t"   \
    "pmullw %%mm4, %%mm3\n\t"   \
    "psrlw $8, %%mm1\n\t"       \
    "psrlw $8, %%mm3\n\t"       \
    "paddw %%mm0, %%mm1\n\t"    \
    "paddw %%mm2, %%mm3\n\t"    \
    "pand %[mask], %%mm1\n\t"   \
    "psllw $8, %%mm3\n\t"       \
    "por %%mm3, %%mm1\n\t"      \
    "movq %%mm1, (%[d])\n\t"
#define QMXGL_PAIR_CLOBBERS "memory", "mm0", "mm1", "mm2", "mm3", "mm4", "mm5"

// The pair at dst interpolated toward the pair at src by their own source alpha.
template <bool Ext>
inline __attribute__((always_inline)) void BlendPairBySourceAlpha(Pixel* dst, const Pixel* src,
                                                                  __m64 mask) {
    if (Ext)
        __asm__ volatile(QMXGL_SPLIT_PAIR QMXGL_ALPHA_WEIGHTS_EXT QMXGL_INTERPOLATE_STORE
                         :
                         : [d] "r"(dst), [s] "r"(src), [mask] "y"(mask)
                         : QMXGL_PAIR_CLOBBERS);
    else
        __asm__ volatile(QMXGL_SPLIT_PAIR QMXGL_ALPHA_WEIGHTS_MMX QMXGL_INTERPOLATE_STORE
                         :
                         : [d] "r"(dst), [s] "r"(src), [mask] "y"(mask)
                         : QMXGL_PAIR_CLOBBERS);
}

// The same with the weights floor(sa * opacity / 256), opacity in every lane.
template <bool Ext>
inline __attribute__((always_inline)) void BlendPairBySourceAlphaOpacity(Pixel* dst,
                                                                         const Pixel* src,
                                                                         __m64 mask,
                                                                         __m64 opacity) {
#define QMXGL_SCALE_WEIGHTS "pmullw %[o], %%mm4\n\tpsrlw $8, %%mm4\n\t"
    if (Ext)
        __asm__ volatile(QMXGL_SPLIT_PAIR QMXGL_ALPHA_WEIGHTS_EXT QMXGL_SCALE_WEIGHTS
                             QMXGL_INTERPOLATE_STORE
                         :
                         : [d] "r"(dst), [s] "r"(src), [mask] "y"(mask), [o] "y"(opacity)
                         : QMXGL_PAIR_CLOBBERS);
    else
        __asm__ volatile(QMXGL_SPLIT_PAIR QMXGL_ALPHA_WEIGHTS_MMX QMXGL_SCALE_WEIGHTS
                             QMXGL_INTERPOLATE_STORE
                         :
                         : [d] "r"(dst), [s] "r"(src), [mask] "y"(mask), [o] "y"(opacity)
                         : QMXGL_PAIR_CLOBBERS);
#undef QMXGL_SCALE_WEIGHTS
}

// The pair at dst interpolated toward the pair at src by the weights in every lane.
inline __attribute__((always_inline)) void BlendPairByWeight(Pixel* dst, const Pixel* src,
                                                             __m64 mask, __m64 weights) {
    __asm__ volatile(QMXGL_SPLIT_PAIR "movq %[w], %%mm4\n\t" QMXGL_INTERPOLATE_STORE
                     :
                     : [d] "r"(dst), [s] "r"(src), [mask] "y"(mask), [w] "y"(weights)
                     : QMXGL_PAIR_CLOBBERS);
}

// The additive rule on the pair at dst with the pair at src: each half of d scaled down by
// the source alphas, joined (the scaled lanes stay within 0..255), then s added with
// saturation. mm1 keeps s whole.
#define QMXGL_ADDITIVE_LOAD       \
    "movq (%[d]), %%mm0\n\t"      \
    "movq (%[s]), %%mm1\n\t"      \
    "movq %%mm0, %%mm2\n\t"       \
    "movq %%mm1, %%mm3\n\t"       \
    "psrlw $8, %%mm2\n\t"         \
    "psrlw $8, %%mm3\n\t"         \
    "pand %[mask], %%mm0\n\t"
#define QMXGL_ADDITIVE_STORE      \
    "movq %%mm0, %%mm3\n\t"       \
    "movq %%mm2, %%mm5\n\t"       \
    "pmullw %%mm4, %%mm3\n\t"     \
    "pmullw %%mm4, %%mm5\n\t"     \
    "psrlw $8, %%mm3\n\t"         \
    "psrlw $8, %%mm5\n\t"         \
    "psubw %%mm3, %%mm0\n\t"      \
    "psubw %%mm5, %%mm2\n\t"      \
    "psllw $8, %%mm2\n\t"         \
    "por %%mm2, %%mm0\n\t"        \
    "paddusb %%mm1, %%mm0\n\t"    \
    "movq %%mm0, (%[d])\n\t"
template <bool Ext>
inline __attribute__((always_inline)) void AdditivePairBySourceAlpha(Pixel* dst,
                                                                     const Pixel* src,
                                                                     __m64 mask) {
    if (Ext)
        __asm__ volatile(QMXGL_ADDITIVE_LOAD QMXGL_ALPHA_WEIGHTS_EXT QMXGL_ADDITIVE_STORE
                         :
                         : [d] "r"(dst), [s] "r"(src), [mask] "y"(mask)
                         : QMXGL_PAIR_CLOBBERS);
    else
        __asm__ volatile(QMXGL_ADDITIVE_LOAD QMXGL_ALPHA_WEIGHTS_MMX QMXGL_ADDITIVE_STORE
                         :
                         : [d] "r"(dst), [s] "r"(src), [mask] "y"(mask)
                         : QMXGL_PAIR_CLOBBERS);
}
#undef QMXGL_SPLIT_PAIR
#undef QMXGL_ALPHA_WEIGHTS_EXT
#undef QMXGL_ALPHA_WEIGHTS_MMX
#undef QMXGL_INTERPOLATE_STORE
#undef QMXGL_PAIR_CLOBBERS
#undef QMXGL_ADDITIVE_LOAD
#undef QMXGL_ADDITIVE_STORE

}  // namespace
}  // namespace pixelops
