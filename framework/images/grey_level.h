// The grey level of a colour, as the 8-bit conversions of the image loaders and the graphics
// core's greyscale effect weigh it; one formula, so a picture converts to the same grey
// wherever it is converted.
#pragma once

#include <cstdint>

namespace pixel_math {

inline std::uint32_t Grey(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (77 * r + 150 * g + 29 * b) >> 8;
}

}  // namespace pixel_math
