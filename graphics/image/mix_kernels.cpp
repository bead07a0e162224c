#include "graphics/image/mix_kernels.h"

#include "graphics/compose/blend_tables.h"
#include "graphics/image/kernel_walk.h"
#include "graphics/image/pixel_math.h"

using namespace kernel_walk;
using pixel_math::Channel;

namespace {

template <class Op>
struct Keyed {
    Op op;
    std::uint32_t key;
    void operator()(std::uint32_t& d, std::uint32_t s) const {
        if (s != key) op(d, s);
    }
};

// The three rows of the multiply table are fixed before the loop; the byte sums wrap, which
// never happens while the two weights of a channel add up to at most 255.
struct Weights {
    const std::uint8_t* dstRow[3];
    const std::uint8_t* srcRow[3];
    Weights(std::uint32_t dstWeights, std::uint32_t srcWeights) {
        for (int k = 0; k < 3; ++k) {
            dstRow[k] = g_blendTables.multiply[Channel(dstWeights, k)];
            srcRow[k] = g_blendTables.multiply[Channel(srcWeights, k)];
        }
    }
    void operator()(std::uint32_t& d, std::uint32_t s) const {
        std::uint32_t out = d & 0xFF000000;
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t sum = srcRow[k][Channel(s, k)] + dstRow[k][Channel(d, k)];
            out |= (sum & 0xFF) << (8 * k);
        }
        d = out;
    }
};

struct Average {
    void operator()(std::uint32_t& d, std::uint32_t s) const {
        d = (s & d) + (((s ^ d) >> 1) & 0x007F7F7F);
    }
};

// Colour bytes saturate; the alpha byte is the low byte of the sum.
struct AddSaturate {
    void operator()(std::uint32_t& d, std::uint32_t s) const {
        std::uint32_t out = ((d >> 24) + (s >> 24)) << 24;
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t sum = Channel(d, k) + Channel(s, k);
            out |= (sum > 255 ? 255 : sum) << (8 * k);
        }
        d = out;
    }
};

// Colour bytes stop at 0; the alpha byte is the difference modulo 256.
struct SubSaturate {
    void operator()(std::uint32_t& d, std::uint32_t s) const {
        std::uint32_t out = ((d >> 24) - (s >> 24)) << 24;
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t dc = Channel(d, k);
            const std::uint32_t sc = Channel(s, k);
            out |= (dc > sc ? dc - sc : 0) << (8 * k);
        }
        d = out;
    }
};

}  // namespace

#define MIX_DEFINE_FORMS(name, suffix, makeOp, ...)                                                \
    void Kernel##name##suffix(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,  \
                              std::int32_t srcSkip, std::int32_t width,                            \
                              std::int32_t height __VA_ARGS__) {                                   \
        Rows(dst, src, dstSkip, srcSkip, width, height, makeOp);                                   \
    }                                                                                              \
    void KernelStretch##name##suffix(                                                              \
        std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip, std::int32_t srcPitch, \
        std::int32_t width, std::int32_t height, const StretchStep& step __VA_ARGS__) {            \
        StretchRows(dst, src, dstSkip, srcPitch, width, height, step, makeOp);                     \
    }                                                                                              \
    void Kernel##name##Keyed##suffix(                                                              \
        std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip, std::int32_t srcSkip,  \
        std::int32_t width, std::int32_t height __VA_ARGS__, std::uint32_t key) {                  \
        Rows(dst, src, dstSkip, srcSkip, width, height, Keyed<decltype(makeOp)>{makeOp, key});     \
    }                                                                                              \
    void KernelStretch##name##Keyed##suffix(                                                       \
        std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip, std::int32_t srcPitch, \
        std::int32_t width, std::int32_t height, const StretchStep& step __VA_ARGS__,              \
        std::uint32_t key) {                                                                       \
        StretchRows(dst, src, dstSkip, srcPitch, width, height, step,                              \
                    Keyed<decltype(makeOp)>{makeOp, key});                                         \
    }

MIX_DEFINE_FORMS(BlendWeights, , (Weights(dstWeights, srcWeights)), , std::uint32_t dstWeights,
                 std::uint32_t srcWeights)
MIX_DEFINE_FORMS(Average, , Average{})
MIX_DEFINE_FORMS(AddSaturate, , AddSaturate{})
MIX_DEFINE_FORMS(SubSaturate, , SubSaturate{})

void KernelCrossfadeOver(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                         std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                         std::uint8_t opacity) {
    const std::uint8_t* dstRow = g_blendTables.multiply[255 - opacity];
    const std::uint8_t* srcRow = g_blendTables.multiply[opacity];
    Rows(dst, src, dstSkip, srcSkip, width, height, [=](std::uint32_t& d, std::uint32_t s) {
        const std::uint32_t da = d >> 24;
        const std::uint32_t sa = s >> 24;
        std::uint32_t colour = d & 0x00FFFFFF;
        if (sa != 0 && da == 0) {
            colour = s & 0x00FFFFFF;
        } else if (sa != 0) {
            colour = 0;
            for (int k = 0; k < 3; ++k) {
                const std::uint32_t sum = dstRow[Channel(d, k)] + srcRow[Channel(s, k)];
                colour |= (sum & 0xFF) << (8 * k);
            }
        }
        d = ((dstRow[da] + srcRow[sa]) & 0xFF) << 24 | colour;
    });
}

// The brightening works on each channel in place in the word, so bits that fall below a
// channel's byte are lost: blue keeps none of them, which is why blue can end one lower.
std::uint32_t ShiftColourBrightness(std::uint32_t colour, std::int32_t shift) {
    std::uint32_t out = 0;
    for (int k = 0; k < 3; ++k) {
        const std::uint32_t mask = 0xFFu << (8 * k);
        std::uint32_t e = colour & mask;
        if (shift > 0) {
            const std::uint32_t s = static_cast<std::uint32_t>(shift) & 31;
            if (e > (0xFFu >> s) << (8 * k)) {
                e += ((mask - e) >> s) * ((1u << s) - 1);
            } else {
                e <<= s;
            }
        } else {
            e >>= static_cast<std::uint32_t>(-shift) & 31;
        }
        out |= e & mask;
    }
    return out;
}

// A channel above 255 / f moves towards 255 by (f - 1) / f of its distance, one at or below
// it is multiplied by f; negative factors divide. Factors -1 to 1 would neither brighten nor
// darken: the colour is returned as it is (alpha cleared).
std::uint32_t ScaleColourBrightness(std::uint32_t colour, std::int32_t factor) {
    if (factor >= -1 && factor <= 1) return colour & 0x00FFFFFF;
    std::uint32_t out = 0;
    for (int k = 0; k < 3; ++k) {
        const std::uint32_t mask = 0xFFu << (8 * k);
        std::uint32_t e = colour & mask;
        if (factor >= 2) {
            const std::uint32_t f = static_cast<std::uint32_t>(factor);
            if (e > (255 / f) << (8 * k)) {
                e += (mask - e) * (f - 1) / f;
            } else {
                e *= f;
            }
        } else {
            e /= static_cast<std::uint32_t>(-factor);
        }
        out |= e & mask;
    }
    return out;
}
