// Coordinate-coded pictures for the transition tests: every pixel names its own place, so a
// wrong source pixel shows where it came from. Pixel (x, y) is top << 24 | y << 12 | x.
#pragma once

#include <cstdint>

#include "graphics/image/image.h"

namespace testsupport {

inline std::uint32_t CodedPixel(std::uint8_t top, std::int32_t x, std::int32_t y) {
    return static_cast<std::uint32_t>(top) << 24 | static_cast<std::uint32_t>(y) << 12 |
           static_cast<std::uint32_t>(x);
}

// A 32-bit heap picture of the coded pixels; false when it cannot be made.
inline bool CodedPicture(Image& image, std::int32_t width, std::int32_t height,
                         std::uint8_t top) {
    if (image.Create(width, height, 32, 0) != 0) return false;
    for (std::int32_t y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.Row(y));
        for (std::int32_t x = 0; x < width; ++x) row[x] = CodedPixel(top, x, y);
    }
    return true;
}

// A 32-bit heap picture of one value.
inline bool FilledPicture(Image& image, std::int32_t width, std::int32_t height,
                          std::uint32_t value) {
    return image.Create(width, height, 32, 0) == 0 && image.FillValue(value, nullptr);
}

inline std::uint32_t PixelAt(Image& image, std::int32_t x, std::int32_t y) {
    return reinterpret_cast<const std::uint32_t*>(image.Row(y))[x];
}

}  // namespace testsupport
