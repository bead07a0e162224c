// MMX and MMX-ext forms of the box-blur column sums and averages (words 154-161).
//
// A 16-bit column sum stays within 0..65025, so adding and subtracting a line never carries
// between entries. The averages multiply by a reciprocal of the area taken once per call.
#include "pixelops/library/blend_tables.h"
#include "pixelops/kernels/box_blur_lanes.h"
#include "pixelops/kernels/mmx_lanes.h"
#include "pixelops/kernels/simd_kernels.h"

namespace pixelops {

namespace {

// A pixel's four counters as 16-bit lanes: its bytes, or with the colour weighted by alpha
// (the alpha factor's own lane set to 256 so the alpha passes through).
template <bool WithAlpha>
__m64 Counts(Pixel p) {
    const __m64 lanes = Lo(_mm_cvtsi32_si64(static_cast<int>(p)));
    if (!WithAlpha) return lanes;
    const int a = static_cast<int>(p >> 24);
    const __m64 factor =
        _mm_or_si64(_mm_and_si64(Splat(a + (a >> 7)), Const(kColourLanes)), Const(kAlphaLane256));
    return ScaleDown(lanes, factor);
}

template <bool WithAlpha, bool Ahead>
void Sum16(std::uint16_t* sums, const Pixel* entering, const Pixel* leaving, std::int32_t count) {
    __m64* s = reinterpret_cast<__m64*>(sums);
    for (std::int32_t i = 0; i < count; ++i) {
        if (Ahead && (i & 7) == 0) {
            Prefetch(entering + i, 16);
            Prefetch(leaving + i, 16);
        }
        __m64 v;
        __builtin_memcpy(&v, s + i, 8);
        v = _mm_sub_pi16(_mm_add_pi16(v, Counts<WithAlpha>(entering[i])),
                         Counts<WithAlpha>(leaving[i]));
        __builtin_memcpy(s + i, &v, 8);
    }
    _mm_empty();
}

template <bool WithAlpha, bool Ahead>
void Sum32(std::uint32_t* sums, const Pixel* entering, const Pixel* leaving, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) {
        if (Ahead && (i & 7) == 0) {
            Prefetch(entering + i, 16);
            Prefetch(leaving + i, 16);
        }
        const __m64 in = Counts<WithAlpha>(entering[i]), out = Counts<WithAlpha>(leaving[i]);
        __m64 lo, hi;
        __builtin_memcpy(&lo, sums + 4 * i, 8);
        __builtin_memcpy(&hi, sums + 4 * i + 2, 8);
        lo = _mm_sub_pi32(_mm_add_pi32(lo, _mm_unpacklo_pi16(in, Zero())),
                          _mm_unpacklo_pi16(out, Zero()));
        hi = _mm_sub_pi32(_mm_add_pi32(hi, _mm_unpackhi_pi16(in, Zero())),
                          _mm_unpackhi_pi16(out, Zero()));
        __builtin_memcpy(sums + 4 * i, &lo, 8);
        __builtin_memcpy(sums + 4 * i + 2, &hi, 8);
    }
    _mm_empty();
}

// The averages of four 16-bit sums: below an area of 128 the sums stay under 32768 and one
// signed high multiply serves; larger areas multiply each channel in 32 bits.
template <bool WithAlpha, bool Ahead>
void Average16(Pixel* dst, std::uint16_t* running, const std::uint16_t* entering,
               const std::uint16_t* leaving, std::int32_t area, std::int32_t count) {
    if (area <= 0 || count <= 0) return;
    const std::uint32_t n = static_cast<std::uint32_t>(area);
    const std::uint32_t r = 65536u / n;
    const bool highMultiply = n >= 3 && n < 128;
    const __m64 reciprocal = Splat(static_cast<int>(r));
    const __m64 half = Splat(static_cast<int>(n / 2));
    __m64 sum;
    __builtin_memcpy(&sum, running, 8);
    for (std::int32_t i = 0; i < count; ++i) {
        if (Ahead && (i & 7) == 0) {
            Prefetch(entering + 4 * i, 32);
            Prefetch(leaving + 4 * i, 32);
        }
        Pixel out;
        if (highMultiply) {
            const __m64 avg = _mm_mulhi_pi16(_mm_add_pi16(sum, half), reciprocal);
            out = static_cast<Pixel>(_mm_cvtsi64_si32(Pack(avg, avg)));
        } else {
            std::uint16_t lanes[4];
            __builtin_memcpy(lanes, &sum, 8);
            out = 0;
            for (int c = 0; c < 4; ++c)
                out |= (AverageBySixteenBitReciprocal(lanes[c], n) & 0xFF) << (8 * c);
        }
        dst[i] = WithAlpha ? DivideColoursByAlpha(out) : out;
        sum = SlideSums16(sum, entering + 4 * i, leaving + 4 * i);
    }
    __builtin_memcpy(running, &sum, 8);
    _mm_empty();
}

template <bool WithAlpha, bool Ahead>
void Average32(Pixel* dst, std::uint32_t* running, const std::uint32_t* entering,
               const std::uint32_t* leaving, std::int32_t area, std::int32_t count) {
    if (area <= 0 || count <= 0) return;
    const std::uint32_t n = static_cast<std::uint32_t>(area);
    __m64 lo, hi;
    __builtin_memcpy(&lo, running, 8);
    __builtin_memcpy(&hi, running + 2, 8);
    for (std::int32_t i = 0; i < count; ++i) {
        if (Ahead && (i & 3) == 0) {
            Prefetch(entering + 4 * i, 16);
            Prefetch(leaving + 4 * i, 16);
        }
        std::uint32_t sums[4];
        __builtin_memcpy(sums, &lo, 8);
        __builtin_memcpy(sums + 2, &hi, 8);
        Pixel out = 0;
        for (int c = 0; c < 4; ++c)
            out |= (AverageByThirtyTwoBitReciprocal(sums[c], n) & 0xFF) << (8 * c);
        dst[i] = WithAlpha ? DivideColoursByAlpha(out) : out;
        __m64 in, gone;
        __builtin_memcpy(&in, entering + 4 * i, 8);
        __builtin_memcpy(&gone, leaving + 4 * i, 8);
        lo = _mm_sub_pi32(_mm_add_pi32(lo, in), gone);
        __builtin_memcpy(&in, entering + 4 * i + 2, 8);
        __builtin_memcpy(&gone, leaving + 4 * i + 2, 8);
        hi = _mm_sub_pi32(_mm_add_pi32(hi, in), gone);
    }
    __builtin_memcpy(running, &lo, 8);
    __builtin_memcpy(running + 2, &hi, 8);
    _mm_empty();
}

template <bool Ahead>
void Sum16Plain(std::uint16_t* s, const Pixel* a, const Pixel* b, std::int32_t n) {
    Sum16<false, Ahead>(s, a, b, n);
}
template <bool Ahead>
void Sum16Alpha(std::uint16_t* s, const Pixel* a, const Pixel* b, std::int32_t n) {
    Sum16<true, Ahead>(s, a, b, n);
}
template <bool Ahead>
void Sum32Plain(std::uint32_t* s, const Pixel* a, const Pixel* b, std::int32_t n) {
    Sum32<false, Ahead>(s, a, b, n);
}
template <bool Ahead>
void Sum32Alpha(std::uint32_t* s, const Pixel* a, const Pixel* b, std::int32_t n) {
    Sum32<true, Ahead>(s, a, b, n);
}
template <bool Ahead>
void Average16Alpha(Pixel* d, std::uint16_t* r, const std::uint16_t* a, const std::uint16_t* b,
                    std::int32_t n, std::int32_t c) {
    Average16<true, Ahead>(d, r, a, b, n, c);
}
template <bool Ahead>
void Average32Plain(Pixel* d, std::uint32_t* r, const std::uint32_t* a, const std::uint32_t* b,
                    std::int32_t n, std::int32_t c) {
    Average32<false, Ahead>(d, r, a, b, n, c);
}
template <bool Ahead>
void Average32Alpha(Pixel* d, std::uint32_t* r, const std::uint32_t* a, const std::uint32_t* b,
                    std::int32_t n, std::int32_t c) {
    Average32<true, Ahead>(d, r, a, b, n, c);
}

#define SUM16 (std::uint16_t * s, const Pixel* a, const Pixel* b, std::int32_t n)
#define SUM32 (std::uint32_t * s, const Pixel* a, const Pixel* b, std::int32_t n)
#define AVG16                                                                                      \
    (Pixel * d, std::uint16_t * r, const std::uint16_t* a, const std::uint16_t* b, std::int32_t n, \
     std::int32_t c)
#define AVG32                                                                                      \
    (Pixel * d, std::uint32_t * r, const std::uint32_t* a, const std::uint32_t* b, std::int32_t n, \
     std::int32_t c)

QMXGL_MMX_FORMS(BoxBlurAddSubSum16Line, Sum16Plain, SUM16, (s, a, b, n))
QMXGL_MMX_FORMS(BoxBlurAddSubSum16LineWithAlpha, Sum16Alpha, SUM16, (s, a, b, n))
QMXGL_MMX_FORMS(BoxBlurAddSubSum32Line, Sum32Plain, SUM32, (s, a, b, n))
QMXGL_MMX_FORMS(BoxBlurAddSubSum32LineWithAlpha, Sum32Alpha, SUM32, (s, a, b, n))
QMXGL_MMX_FORMS(BoxBlurAverage16LineWithAlpha, Average16Alpha, AVG16, (d, r, a, b, n, c))
QMXGL_MMX_FORMS(BoxBlurAverage32Line, Average32Plain, AVG32, (d, r, a, b, n, c))
QMXGL_MMX_FORMS(BoxBlurAverage32LineWithAlpha, Average32Alpha, AVG32, (d, r, a, b, n, c))

// The plain 16-bit average has nothing worth fetching ahead: its MMX-ext form is the MMX form.
void QMXGL_CALL BoxBlurAverage16LineMmx AVG16 {
    Average16<false, false>(d, r, a, b, n, c);
}

#undef SUM16
#undef SUM32
#undef AVG16
#undef AVG32

}  // namespace

SimdKernelGroup BoxBlurMmxKernels() {
    static const SimdKernelEntry entries[] = {
        QMXGL_MMX_ENTRIES(154, BoxBlurAddSubSum16Line),
        QMXGL_MMX_ENTRIES(155, BoxBlurAddSubSum16LineWithAlpha),
        QMXGL_MMX_ENTRIES(156, BoxBlurAddSubSum32Line),
        QMXGL_MMX_ENTRIES(157, BoxBlurAddSubSum32LineWithAlpha),
        Entry(158, kFormMmx, &BoxBlurAverage16LineMmx),
        Entry(158, kFormMmxExt, &BoxBlurAverage16LineMmx),
        QMXGL_MMX_ENTRIES(159, BoxBlurAverage16LineWithAlpha),
        QMXGL_MMX_ENTRIES(160, BoxBlurAverage32Line),
        QMXGL_MMX_ENTRIES(161, BoxBlurAverage32LineWithAlpha),
    };
    return SimdKernelGroup{entries, static_cast<int>(sizeof entries / sizeof entries[0])};
}

}  // namespace pixelops
