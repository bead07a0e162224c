// The SSE forms: the two fills (words 150, 151) and the 16-bit box-blur averages (158, 159).
//
// Callers may hand over a stack aligned to 4 bytes only, so every entry point realigns it
// before any SSE register can be spilled. This file includes only interface headers and its
// own helpers, so none of its SSE-compiled code can stand in for shared inline functions.
#include <xmmintrin.h>

#include "pixelops/kernels/box_blur_lanes.h"
#include "pixelops/kernels/simd_kernels.h"

#define SSE_ENTRY __attribute__((force_align_arg_pointer))

namespace pixelops {

namespace {

// Single pixels up to a 64-byte boundary, 64-byte blocks of four aligned 16-byte stores, then
// single pixels. Streaming stores go around the cache and leave ordering to the caller.
template <bool Streaming>
void Fill(Pixel* row, std::int32_t count, std::uint32_t value) {
    std::int32_t i = 0;
    for (; i < count && (reinterpret_cast<std::uintptr_t>(row + i) & 63) != 0; ++i) row[i] = value;
    if (count - i >= 16) {
        alignas(16) const std::uint32_t pattern[4] = {value, value, value, value};
        const __m128 v = _mm_load_ps(reinterpret_cast<const float*>(pattern));
        for (; count - i >= 16; i += 16) {
            float* block = reinterpret_cast<float*>(row + i);
            if (Streaming) {
                _mm_stream_ps(block, v);
                _mm_stream_ps(block + 4, v);
                _mm_stream_ps(block + 8, v);
                _mm_stream_ps(block + 12, v);
            } else {
                _mm_store_ps(block, v);
                _mm_store_ps(block + 4, v);
                _mm_store_ps(block + 8, v);
                _mm_store_ps(block + 12, v);
            }
        }
    }
    for (; i < count; ++i) row[i] = value;
}

SSE_ENTRY void QMXGL_CALL FillArgbLineSse(Pixel* row, std::int32_t count, std::uint32_t value) {
    Fill<false>(row, count, value);
}
// The large fill sees one row, and the row's width is the only sign of the picture's size it
// has. Rows below 1024 pixels belong to sprites, layers and screens of up to a few megabytes,
// which are drawn on right after the fill and are better left in the cache, where plain
// stores also beat streaming ones; wider rows belong to pictures that pass through the cache.
constexpr std::int32_t kStreamingRowPixels = 1024;

SSE_ENTRY void QMXGL_CALL FillArgbLineLargeSse(Pixel* row, std::int32_t count,
                                               std::uint32_t value) {
    if (count >= kStreamingRowPixels)
        Fill<true>(row, count, value);
    else
        Fill<false>(row, count, value);
}

// The unsigned high multiply serves every area from 2 to 255 in one loop.
template <bool WithAlpha>
void Average16(Pixel* dst, std::uint16_t* running, const std::uint16_t* entering,
               const std::uint16_t* leaving, std::int32_t area, std::int32_t count) {
    if (area <= 0 || count <= 0) return;
    const std::uint32_t n = static_cast<std::uint32_t>(area);
    const __m64 reciprocal = _mm_set1_pi16(static_cast<short>(n == 1 ? 0 : 65536u / n));
    const __m64 half = _mm_set1_pi16(static_cast<short>(n / 2));
    __m64 sum;
    __builtin_memcpy(&sum, running, 8);
    for (std::int32_t i = 0; i < count; ++i) {
        // 64 bytes ahead; the address may lie past the row, which a prefetch ignores.
        _mm_prefetch(
            reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(entering + 4 * i) + 64),
            _MM_HINT_NTA);
        _mm_prefetch(
            reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(leaving + 4 * i) + 64),
            _MM_HINT_NTA);
        // An area of 1 has no 16-bit reciprocal: its average is the sum.
        const __m64 avg = n == 1 ? sum : _mm_mulhi_pu16(_mm_add_pi16(sum, half), reciprocal);
        const Pixel out = static_cast<Pixel>(_mm_cvtsi64_si32(_mm_packs_pu16(avg, avg)));
        dst[i] = WithAlpha ? DivideColoursByAlpha(out) : out;
        sum = SlideSums16(sum, entering + 4 * i, leaving + 4 * i);
    }
    __builtin_memcpy(running, &sum, 8);
    _mm_empty();
}

SSE_ENTRY void QMXGL_CALL BoxBlurAverage16LineSse(Pixel* dst, std::uint16_t* running,
                                                  const std::uint16_t* entering,
                                                  const std::uint16_t* leaving, std::int32_t area,
                                                  std::int32_t count) {
    Average16<false>(dst, running, entering, leaving, area, count);
}
SSE_ENTRY void QMXGL_CALL BoxBlurAverage16LineWithAlphaSse(Pixel* dst, std::uint16_t* running,
                                                           const std::uint16_t* entering,
                                                           const std::uint16_t* leaving,
                                                           std::int32_t area, std::int32_t count) {
    Average16<true>(dst, running, entering, leaving, area, count);
}

}  // namespace

SimdKernelGroup SseKernels() {
    static const SimdKernelEntry entries[] = {
        Entry(150, kFormSse, &FillArgbLineSse),
        Entry(151, kFormSse, &FillArgbLineLargeSse),
        Entry(158, kFormSse, &BoxBlurAverage16LineSse),
        Entry(159, kFormSse, &BoxBlurAverage16LineWithAlphaSse),
    };
    return SimdKernelGroup{entries, 4};
}

}  // namespace pixelops
