// MMX forms of the mix and arithmetic kernels. Every pair operation works on a register of two
// pixels; the row splits, the key comparison and the per-pixel stretching are mmx_helpers'.
#include <mmintrin.h>

#include "graphics/image/kernel_walk.h"
#include "graphics/image/mix_kernels.h"
#include "graphics/image/mmx_helpers.h"

using namespace kernel_walk;
using namespace mmx;

namespace {

// Runs a four-lane operation on both pixels of a pair.
template <class Lanes>
inline __m64 EachPixel(__m64 d, __m64 s, const Lanes& lanes) {
    const __m64 zero = _mm_setzero_si64();
    const __m64 lo = lanes(_mm_unpacklo_pi8(d, zero), _mm_unpacklo_pi8(s, zero));
    const __m64 hi = lanes(_mm_unpackhi_pi8(d, zero), _mm_unpackhi_pi8(s, zero));
    return _mm_packs_pu16(lo, hi);
}

// (s * sw + d * dw) / 256 in all four lanes, the sum saturated at 65535 first.
struct Weights {
    __m64 dw;
    __m64 sw;
    Weights(std::uint32_t dstWeights, std::uint32_t srcWeights)
        : dw(_mm_unpacklo_pi8(_mm_cvtsi32_si64(static_cast<int>(dstWeights)), _mm_setzero_si64())),
          sw(_mm_unpacklo_pi8(_mm_cvtsi32_si64(static_cast<int>(srcWeights)), _mm_setzero_si64())) {
    }
    __m64 operator()(__m64 d, __m64 s) const {
        return EachPixel(d, s, [this](__m64 dl, __m64 sl) {
            return _mm_srli_pi16(_mm_adds_pu16(_mm_mullo_pi16(sl, sw), _mm_mullo_pi16(dl, dw)), 8);
        });
    }
};

// d + floor((s - d) * w / 256) with w = opacity + 1 (0 for 0); the alpha lane's weight is 0.
struct Opacity {
    __m64 w;
    explicit Opacity(std::uint8_t opacity) : w(ColourWeight(opacity ? opacity + 1 : 0)) {}
    __m64 operator()(__m64 d, __m64 s) const {
        return EachPixel(d, s, [this](__m64 dl, __m64 sl) { return Lerp(dl, sl, w); });
    }
};

struct Average {
    __m64 mask = Splat(0x007F7F7F);
    __m64 operator()(__m64 d, __m64 s) const {
        return _mm_add_pi8(_mm_and_si64(s, d),
                           _mm_and_si64(_mm_srli_si64(_mm_xor_si64(s, d), 1), mask));
    }
};

struct AddSaturate {
    __m64 operator()(__m64 d, __m64 s) const { return _mm_adds_pu8(d, s); }
};

struct SubSaturate {
    __m64 operator()(__m64 d, __m64 s) const { return _mm_subs_pu8(d, s); }
};

}  // namespace

#define MIX_DEFINE_MMX_FORMS(name, suffix, makeOp, ...)                                            \
    void Kernel##name##suffix(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,  \
                              std::int32_t srcSkip, std::int32_t width,                            \
                              std::int32_t height __VA_ARGS__) {                                   \
        RowsBy4(dst, src, dstSkip, srcSkip, width, height, makeOp);                                \
    }                                                                                              \
    void KernelStretch##name##suffix(                                                              \
        std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip, std::int32_t srcPitch, \
        std::int32_t width, std::int32_t height, const StretchStep& step __VA_ARGS__) {            \
        StretchRows(dst, src, dstSkip, srcPitch, width, height, step,                              \
                    OnePixel<decltype(makeOp)>{makeOp});                                           \
        _mm_empty();                                                                               \
    }                                                                                              \
    void Kernel##name##Keyed##suffix(                                                              \
        std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip, std::int32_t srcSkip,  \
        std::int32_t width, std::int32_t height __VA_ARGS__, std::uint32_t key) {                  \
        RowsBy4(dst, src, dstSkip, srcSkip, width, height,                                         \
                mmx::Keyed<decltype(makeOp)>{makeOp, Splat(key)});                                 \
    }                                                                                              \
    void KernelStretch##name##Keyed##suffix(                                                       \
        std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip, std::int32_t srcPitch, \
        std::int32_t width, std::int32_t height, const StretchStep& step __VA_ARGS__,              \
        std::uint32_t key) {                                                                       \
        StretchRows(dst, src, dstSkip, srcPitch, width, height, step,                              \
                    OnePixel<mmx::Keyed<decltype(makeOp)>>{{makeOp, Splat(key)}});                 \
        _mm_empty();                                                                               \
    }

MIX_DEFINE_MMX_FORMS(BlendWeights, Mmx, (Weights(dstWeights, srcWeights)), ,
                     std::uint32_t dstWeights, std::uint32_t srcWeights)
MIX_DEFINE_MMX_FORMS(BlendOpacity, Mmx, Opacity(opacity), , std::uint8_t opacity)
MIX_DEFINE_MMX_FORMS(Average, Mmx, Average{})
MIX_DEFINE_MMX_FORMS(AddSaturate, Mmx, AddSaturate{})
MIX_DEFINE_MMX_FORMS(SubSaturate, Mmx, SubSaturate{})
