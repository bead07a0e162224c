// Steps shared by the processor forms of the box-blur averages; only files built with MMX
// enabled include this, and everything here is internal to the including file.
#pragma once

#include <mmintrin.h>

#include <cstdint>

#include "pixelops/library/blend_tables.h"
#include "pixelops/interfaces/pixel_op_library.h"

namespace pixelops {
namespace {

// floor((sum + floor(n / 2)) floor(65536 / n) / 65536). An area of 1 has no 16-bit
// reciprocal; its average is the sum itself.
inline std::uint32_t AverageBySixteenBitReciprocal(std::uint32_t sum, std::uint32_t n) {
    if (n == 1) return sum;
    return ((sum + n / 2) * (65536u / n)) >> 16;
}

// floor((sum + floor(n / 2)) floor(2^32 / n) / 2^32), which can fall one short of the exact
// quotient. An area of 1 has no 32-bit reciprocal; its average is the sum itself.
inline std::uint32_t AverageByThirtyTwoBitReciprocal(std::uint32_t sum, std::uint32_t n) {
    if (n == 1) return sum;
    const std::uint32_t reciprocal = static_cast<std::uint32_t>(0x100000000ull / n);
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(sum + n / 2) * reciprocal) >> 32);
}

// Each colour byte divided back by the pixel's alpha through T_div.
inline Pixel DivideColoursByAlpha(Pixel p) {
    const std::uint8_t* back = T_div + (p >> 24) * 256;
    return static_cast<Pixel>(back[p & 0xFF]) | (static_cast<Pixel>(back[(p >> 8) & 0xFF]) << 8) |
           (static_cast<Pixel>(back[(p >> 16) & 0xFF]) << 16) | (p & 0xFF000000);
}

// Four running 16-bit channel sums moved one column on: the entering column's sums added, the
// leaving column's taken away.
inline __m64 SlideSums16(__m64 sum, const std::uint16_t* entering, const std::uint16_t* leaving) {
    __m64 in, gone;
    __builtin_memcpy(&in, entering, 8);
    __builtin_memcpy(&gone, leaving, 8);
    return _mm_sub_pi16(_mm_add_pi16(sum, in), gone);
}

}  // namespace
}  // namespace pixelops
