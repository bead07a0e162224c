// Per-pixel arithmetic shared by the plain kernels (blend by a weight, add or subtract a
// weighted colour), written once so that every plain kernel rounds the same way.
#pragma once

#include <cstdint>

#include "framework/images/grey_level.h"

namespace pixel_math {

inline std::uint32_t Channel(std::uint32_t pixel, int k) {
    return (pixel >> (8 * k)) & 0xFF;
}

// d + floor((s - d) * w / 256) for blue, green and red; d's alpha byte stays.
inline std::uint32_t BlendColour(std::uint32_t d, std::uint32_t s, std::int32_t w) {
    std::uint32_t out = d & 0xFF000000;
    for (int k = 0; k < 3; ++k) {
        const std::int32_t dc = static_cast<std::int32_t>(Channel(d, k));
        const std::int32_t diff = static_cast<std::int32_t>(Channel(s, k)) - dc;
        out |= static_cast<std::uint32_t>(dc + ((diff * w) >> 8)) << (8 * k);
    }
    return out;
}

// d + floor(s * w / 256) per colour byte, saturating at 255; alpha stays.
inline std::uint32_t AddScaled(std::uint32_t d, std::uint32_t s, std::int32_t w) {
    std::uint32_t out = d & 0xFF000000;
    for (int k = 0; k < 3; ++k) {
        const std::uint32_t v =
            Channel(d, k) + ((Channel(s, k) * static_cast<std::uint32_t>(w)) >> 8);
        out |= (v > 255 ? 255 : v) << (8 * k);
    }
    return out;
}

// d - floor(s * w / 256) per colour byte, stopping at 0; alpha stays.
inline std::uint32_t SubScaled(std::uint32_t d, std::uint32_t s, std::int32_t w) {
    std::uint32_t out = d & 0xFF000000;
    for (int k = 0; k < 3; ++k) {
        const std::uint32_t take = (Channel(s, k) * static_cast<std::uint32_t>(w)) >> 8;
        const std::uint32_t dc = Channel(d, k);
        out |= (dc > take ? dc - take : 0) << (8 * k);
    }
    return out;
}

}  // namespace pixel_math
