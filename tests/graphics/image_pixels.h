// An image's pixels row by row, for comparing whole pictures.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/image/image.h"

namespace graphicstest {

inline std::vector<std::uint32_t> PixelsOf(Image& image) {
    std::vector<std::uint32_t> out;
    for (std::int32_t y = 0; y < image.Height(); ++y)
        for (std::int32_t x = 0; x < image.Width(); ++x) out.push_back(image.GetPixel(x, y));
    return out;
}

}  // namespace graphicstest
