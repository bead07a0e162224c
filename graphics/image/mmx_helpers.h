// Small MMX helpers for the kernels' MMX translation units (compiled with -mmmx only).
// Every public MMX kernel ends with _mm_empty(), so the FPU is usable again on return.
#pragma once

#include <mmintrin.h>

#include <cstdint>

#include "graphics/image/kernel_walk.h"

namespace mmx {
namespace {

inline __m64 Load1(const std::uint32_t* p) {
    return _mm_cvtsi32_si64(static_cast<int>(*p));
}
inline void Store1(std::uint32_t* p, __m64 v) {
    *p = static_cast<std::uint32_t>(_mm_cvtsi64_si32(v));
}
// Rows are only 4-byte aligned: two pixels at a time go through the unaligned type.
inline __m64 Load2(const std::uint32_t* p) {
    return *reinterpret_cast<const __m64_u*>(p);
}
inline void Store2(std::uint32_t* p, __m64 v) {
    *reinterpret_cast<__m64_u*>(p) = v;
}
inline __m64 Splat(std::uint32_t v) {
    return _mm_set_pi32(static_cast<int>(v), static_cast<int>(v));
}

// One pixel's four bytes as four 16-bit lanes, and back (saturating).
inline __m64 Unpack(std::uint32_t v) {
    return _mm_unpacklo_pi8(_mm_cvtsi32_si64(static_cast<int>(v)), _mm_setzero_si64());
}
inline std::uint32_t Pack(__m64 lanes) {
    return static_cast<std::uint32_t>(_mm_cvtsi64_si32(_mm_packs_pu16(lanes, lanes)));
}
// Lanes (w, w, w, 0) for w from 0 to 256: colour channels weighted, the alpha lane left out.
// Loaded from a table: building the lanes from a general register costs a trip through memory.
struct alignas(8) WeightLaneTable {
    std::uint16_t lanes[257][4];
    constexpr WeightLaneTable() : lanes() {
        for (int w = 0; w <= 256; ++w) {
            lanes[w][0] = lanes[w][1] = lanes[w][2] = static_cast<std::uint16_t>(w);
        }
    }
};
constexpr WeightLaneTable kWeightLanes{};
inline __m64 ColourWeight(int w) {
    return *reinterpret_cast<const __m64*>(kWeightLanes.lanes[w]);
}

// d + floor((s - d) * w / 256) per 16-bit lane, w from 0 to 256. The lane difference is
// signed; the arithmetic shift of the full product keeps the floor.
inline __m64 Lerp(__m64 d, __m64 s, __m64 w) {
    const __m64 diff = _mm_sub_pi16(s, d);
    // (diff * w) needs up to 17 bits: take the high and low halves of the signed product.
    const __m64 lo = _mm_mullo_pi16(diff, w);
    const __m64 hi = _mm_mulhi_pi16(diff, w);
    const __m64 prod = _mm_or_si64(_mm_srli_pi16(lo, 8), _mm_slli_pi16(hi, 8));
    return _mm_add_pi16(d, prod);
}

// One pixel when the width is odd, one pair when bit 1 is set, then 16 bytes a step.
template <class Op>
inline void RowsBy4(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                    std::int32_t srcSkip, std::int32_t width, std::int32_t height, Op op) {
    KERNEL_ASSERT_SIZE(width, height);
    using kernel_walk::Advance;
    for (std::int32_t y = 0; y < height; ++y) {
        if (width & 1) {
            Store1(dst, op(Load1(dst), Load1(src)));
            ++dst;
            ++src;
        }
        if (width & 2) {
            Store2(dst, op(Load2(dst), Load2(src)));
            dst += 2;
            src += 2;
        }
        for (std::int32_t n = width >> 2; n > 0; --n) {
            const __m64 a = op(Load2(dst), Load2(src));
            const __m64 b = op(Load2(dst + 2), Load2(src + 2));
            Store2(dst, a);
            Store2(dst + 2, b);
            dst += 4;
            src += 4;
        }
        dst = Advance(dst, dstSkip);
        src = Advance(src, srcSkip);
    }
    _mm_empty();
}

// Runs a pair operation on one pixel, for the stretched and mirrored walkers.
template <class Op>
struct OnePixel {
    Op op;
    void operator()(std::uint32_t& d, std::uint32_t s) const {
        d = static_cast<std::uint32_t>(_mm_cvtsi64_si32(
            op(_mm_cvtsi32_si64(static_cast<int>(d)), _mm_cvtsi32_si64(static_cast<int>(s)))));
    }
};

// A pair operation that leaves the destination wherever the source equals the key, two
// pixels compared at once.
template <class Op>
struct Keyed {
    Op op;
    __m64 key;
    __m64 operator()(__m64 d, __m64 s) const {
        const __m64 keep = _mm_cmpeq_pi32(s, key);
        return _mm_or_si64(_mm_and_si64(keep, d), _mm_andnot_si64(keep, op(d, s)));
    }
};

// One-image rectangles: pairs of pixels, and one odd pixel at the end of a row.
template <class Op>
inline void RectBy2(std::uint32_t* dst, std::int32_t skip, std::int32_t width, std::int32_t height,
                    Op op) {
    KERNEL_ASSERT_SIZE(width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t n = width >> 1; n > 0; --n) {
            Store2(dst, op(Load2(dst)));
            dst += 2;
        }
        if (width & 1) {
            Store1(dst, op(Load1(dst)));
            ++dst;
        }
        dst = kernel_walk::Advance(dst, skip);
    }
    _mm_empty();
}

// A one-image operation that leaves pixels equal to the key alone.
template <class Op>
struct SkipKeyed {
    Op op;
    __m64 key;
    __m64 operator()(__m64 d) const {
        const __m64 keep = _mm_cmpeq_pi32(d, key);
        return _mm_or_si64(_mm_and_si64(keep, d), _mm_andnot_si64(keep, op(d)));
    }
};

// d + floor(s * w / 256) per lane, saturating when packed; d - floor(s * w / 256), stopping
// at 0. The product of a byte and a weight up to 256 fits an unsigned lane.
inline __m64 AddScaled(__m64 d, __m64 s, __m64 w) {
    return _mm_add_pi16(d, _mm_srli_pi16(_mm_mullo_pi16(s, w), 8));
}
inline __m64 SubScaled(__m64 d, __m64 s, __m64 w) {
    return _mm_subs_pu16(d, _mm_srli_pi16(_mm_mullo_pi16(s, w), 8));
}

}  // namespace
}  // namespace mmx
