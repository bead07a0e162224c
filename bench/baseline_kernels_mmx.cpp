// The reference loops of the pixel benchmark, built with MMX: a plain 64-bit load/store copy,
// the ceiling an MMX kernel's memory traffic can reach, and the extended-MMX alpha blend as it
// stood before its rows went two pairs per step, kept here as the speed baseline.
#include "bench/baseline_kernels.h"

#include "pixelops/kernels/mmx_lanes.h"

namespace bench {

using pixelops::Pixel;

void MmxCopyLoop(Pixel* dst, const Pixel* src, std::int32_t count) {
    std::int32_t i = 0;
    // Written out: left to itself the compiler moves the bytes through integer registers.
    for (; count - i >= 4; i += 4)
        __asm__ volatile(
            "movq (%[s]), %%mm0\n\t"
            "movq 8(%[s]), %%mm1\n\t"
            "movq %%mm0, (%[d])\n\t"
            "movq %%mm1, 8(%[d])\n\t"
            :
            : [d] "r"(dst + i), [s] "r"(src + i)
            : "memory", "mm0", "mm1");
    for (; i < count; ++i) dst[i] = src[i];
    _mm_empty();
}

namespace {

using namespace pixelops;

Pixel Blend1(Pixel d, Pixel s, int w) {
    const __m64 r = Interpolate(Lo(_mm_cvtsi32_si64(static_cast<int>(d))),
                                Lo(_mm_cvtsi32_si64(static_cast<int>(s))), Splat(w));
    return static_cast<Pixel>(_mm_cvtsi64_si32(Pack(r, r)));
}
__m64 AlphaInEveryLane(__m64 lanes) {
    const __m64 high = _mm_unpackhi_pi16(lanes, lanes);
    return _mm_unpackhi_pi32(high, high);
}
__m64 BlendBySourceAlpha(__m64 d, __m64 s) {
    const __m64 s0 = Lo(s), s1 = Hi(s);
    return Pack(Interpolate(Lo(d), s0, AlphaInEveryLane(s0)),
                Interpolate(Hi(d), s1, AlphaInEveryLane(s1)));
}

}  // namespace

// One pair per step, alpha spread by unpacks, each operand loaded for the test and again for
// the lanes, a prefetch per pair.
void PreviousAlphaBlendMmxExt(Pixel* dst, const Pixel* src, std::int32_t count) {
    if (count <= 0) return;
    std::int32_t i = 0;
    auto single = [&](std::int32_t k) {
        const std::uint32_t sa = src[k] >> 24;
        dst[k] = sa == 255 ? src[k] : Blend1(dst[k], src[k], static_cast<int>(sa));
    };
    if (count > 4) {
        if ((reinterpret_cast<std::uintptr_t>(dst) & 7) != 0) single(i++);
        for (; count - i > 4; i += 2) {
            Prefetch(src + i, 4);
            const std::uint32_t a0 = src[i] >> 24, a1 = src[i + 1] >> 24;
            if (a0 == 255 && a1 == 255)
                Store2(dst + i, Load2(src + i));
            else if (a0 != 0 || a1 != 0)
                Store2(dst + i, BlendBySourceAlpha(Load2(dst + i), Load2(src + i)));
        }
    }
    for (; i < count; ++i) single(i);
    _mm_empty();
}

}  // namespace bench
