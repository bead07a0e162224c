// Lane helpers for the MMX kernel files; only files built with MMX enabled include this.
//
// A pixel widens to four 16-bit lanes (blue, green, red, alpha); two pixels share one 64-bit
// register when packed. Everything here is internal to the including file.
#pragma once

#include <mmintrin.h>

#include <cstddef>
#include <cstdint>

#include "pixelops/interfaces/pixel_op_library.h"

namespace pixelops {
namespace {

inline __m64 Load1(const Pixel* p) {
    return _mm_cvtsi32_si64(static_cast<int>(*p));
}
inline void Store1(Pixel* p, __m64 v) {
    *p = static_cast<Pixel>(_mm_cvtsi64_si32(v));
}
inline __m64 Load2(const Pixel* p) {
    __m64 v;
    __builtin_memcpy(&v, p, 8);
    return v;
}
inline void Store2(Pixel* p, __m64 v) {
    __builtin_memcpy(p, &v, 8);
}
inline __m64 Zero() {
    return _mm_setzero_si64();
}
inline __m64 Lo(__m64 packed) {
    return _mm_unpacklo_pi8(packed, _mm_setzero_si64());
}
inline __m64 Hi(__m64 packed) {
    return _mm_unpackhi_pi8(packed, _mm_setzero_si64());
}
inline __m64 Pack(__m64 lo, __m64 hi) {
    return _mm_packs_pu16(lo, hi);
}
// A 16-bit value in all four lanes.
inline __m64 Splat(int value) {
    return _mm_set1_pi16(static_cast<short>(value));
}
// Four lane values (blue first).
inline __m64 Lanes(int b, int g, int r, int a) {
    return _mm_set_pi16(static_cast<short>(a), static_cast<short>(r), static_cast<short>(g),
                        static_cast<short>(b));
}
// Per lane d + floor((s - d) w / 256) for lane bytes d, s and w in 0..256, exact: the low
// byte of d plus the low 16 bits of the product shifted down.
inline __m64 Interpolate(__m64 d, __m64 s, __m64 w) {
    const __m64 t = _mm_srli_pi16(_mm_mullo_pi16(_mm_sub_pi16(s, d), w), 8);
    return _mm_and_si64(_mm_add_pi16(d, t), Splat(0xFF));
}
// Per lane floor(x w / 256) for x, w with x w below 65536.
inline __m64 ScaleDown(__m64 x, __m64 w) {
    return _mm_srli_pi16(_mm_mullo_pi16(x, w), 8);
}
// A hint to fetch the line `ahead` elements from p; the address may lie past the row, which the
// processor ignores, so it is formed as a number rather than as a pointer into the row.
template <class T>
inline void Prefetch(const T* p, std::ptrdiff_t ahead) {
    const auto* address = reinterpret_cast<const char*>(
        reinterpret_cast<std::uintptr_t>(p) + ahead * static_cast<std::ptrdiff_t>(sizeof(T)));
    __asm__ __volatile__("prefetchnta %0" : : "m"(*address));
}

}  // namespace
}  // namespace pixelops

namespace pixelops {
namespace {

constexpr std::uint64_t kColourBytes = 0x00FFFFFF00FFFFFFull;  // two pixels' colour bytes
constexpr std::uint64_t kColourLanes = 0x0000FFFFFFFFFFFFull;  // one pixel's colour lanes
constexpr std::uint64_t kAlphaLane256 = 0x0100000000000000ull;

inline __m64 Const(std::uint64_t v) {
    return _mm_set_pi32(static_cast<int>(v >> 32), static_cast<int>(v));
}
inline __m64 Not(__m64 v) {
    return _mm_xor_si64(v, _mm_set1_pi32(-1));
}

// The common row walk: one pixel to bring dst to 8 bytes when more than four are given, four
// per step (two packed pairs) while more than four remain, then single pixels. `op` maps packed
// destination and source pixels to the result; a single pixel sits in the low half.
template <class Op>
inline void Walk(Pixel* dst, const Pixel* src, std::int32_t count, Op op) {
    if (count <= 0) return;
    std::int32_t i = 0;
    if (count > 4 && (reinterpret_cast<std::uintptr_t>(dst) & 7) != 0) {
        Store1(dst, op(Load1(dst), Load1(src)));
        i = 1;
    }
    for (; count - i > 4; i += 4) {
        Store2(dst + i, op(Load2(dst + i), Load2(src + i)));
        Store2(dst + i + 2, op(Load2(dst + i + 2), Load2(src + i + 2)));
    }
    for (; i < count; ++i) Store1(dst + i, op(Load1(dst + i), Load1(src + i)));
    _mm_empty();
}

// Applies a lane function to both pixels of a packed pair.
template <class LaneOp>
inline __m64 PerPixel(__m64 d, __m64 s, LaneOp op) {
    return Pack(op(Lo(d), Lo(s)), op(Hi(d), Hi(s)));
}

}  // namespace
}  // namespace pixelops

// A kernel template Impl<bool> as its two forms: Name##Mmx, and Name##MmxExt, which may use
// the extended-MMX instructions (the prefetch hints; pshufw in the alpha blends).
#define QMXGL_MMX_FORMS(Name, Impl, Params, Args) \
    void QMXGL_CALL Name##Mmx Params {            \
        Impl<false> Args;                         \
    }                                             \
    void QMXGL_CALL Name##MmxExt Params {         \
        Impl<true> Args;                          \
    }

// The selection-table entries of both forms made by QMXGL_MMX_FORMS.
#define QMXGL_MMX_ENTRIES(word, Name) \
    Entry(word, kFormMmx, &Name##Mmx), Entry(word, kFormMmxExt, &Name##MmxExt)
