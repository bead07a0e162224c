// Mix and arithmetic row kernels (constant opacity, per-channel weights, crossfade, average,
// saturating add and subtract) and the two colour-brightness helpers of the interface panels.
//
// Argument lists, walking and stretching are those of the copy kernels (copy_kernels.h);
// keyed members leave the destination wherever the source pixel equals the key in all 32
// bits. Packed weights: byte 0 blue, 1 green, 2 red, 3 alpha.
//
// Documented differences between the forms:
//  - KernelBlendWeights (plain) adds two rounded table products per colour byte and keeps
//    the alpha byte; KernelBlendWeightsMmx computes (s * sw + d * dw) / 256 for all four bytes,
//    so its alpha comes from the weights' top bytes (0 for the usual weights).
//  - Constant opacity o on MMX processors uses the opacity members, d + floor((s - d) * w / 256)
//    with w = o + 1 (0 for o = 0); the plain path is KernelBlendWeights with weights 255 - o
//    and o. The two can differ by one.
//  - Saturating add and subtract: the plain forms wrap the alpha byte, the MMX forms saturate
//    it. The averages agree.
#pragma once

#include <cstdint>

#include "graphics/image/stretch_step.h"

#define MIX_KERNEL_FORMS(name, suffix, ...)                                                        \
    void Kernel##name##suffix(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,  \
                              std::int32_t srcSkip, std::int32_t width,                            \
                              std::int32_t height __VA_ARGS__);                                    \
    void KernelStretch##name##suffix(                                                              \
        std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip, std::int32_t srcPitch, \
        std::int32_t width, std::int32_t height, const StretchStep& step __VA_ARGS__);             \
    void Kernel##name##Keyed##suffix(                                                              \
        std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip, std::int32_t srcSkip,  \
        std::int32_t width, std::int32_t height __VA_ARGS__, std::uint32_t key);                   \
    void KernelStretch##name##Keyed##suffix(                                                       \
        std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip, std::int32_t srcPitch, \
        std::int32_t width, std::int32_t height, const StretchStep& step __VA_ARGS__,              \
        std::uint32_t key);

// KernelBlendWeights, KernelStretchBlendWeights, KernelBlendWeightsKeyed,
// KernelStretchBlendWeightsKeyed and their Mmx forms.
MIX_KERNEL_FORMS(BlendWeights, , , std::uint32_t dstWeights, std::uint32_t srcWeights)
MIX_KERNEL_FORMS(BlendWeights, Mmx, , std::uint32_t dstWeights, std::uint32_t srcWeights)
// KernelBlendOpacityMmx and its stretched and keyed forms (MMX only).
MIX_KERNEL_FORMS(BlendOpacity, Mmx, , std::uint8_t opacity)
// Average, saturating add and subtract in four forms each, plain and Mmx.
MIX_KERNEL_FORMS(Average, )
MIX_KERNEL_FORMS(Average, Mmx)
MIX_KERNEL_FORMS(AddSaturate, )
MIX_KERNEL_FORMS(AddSaturate, Mmx)
MIX_KERNEL_FORMS(SubSaturate, )
MIX_KERNEL_FORMS(SubSaturate, Mmx)

#undef MIX_KERNEL_FORMS

// Crossfade by opacity a: where both alphas are nonzero each colour byte becomes
// M[255 - a][d] + M[a][s]; a transparent source keeps the colour, a source over a transparent
// destination copies it; the alpha always becomes M[255 - a][da] + M[a][sa].
void KernelCrossfadeOver(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                         std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                         std::uint8_t opacity);

// Light and dark edge colours from one base colour; the result's alpha byte is always 0.
std::uint32_t ShiftColourBrightness(std::uint32_t colour, std::int32_t shift);
std::uint32_t ScaleColourBrightness(std::uint32_t colour, std::int32_t factor);
