// Pictures for the drawing tests: deterministic pixels from a seed, with the alpha bytes that
// take every path of the blends (0, 1, 127, 128, 254, 255 and others).
#pragma once

#include <cstdint>

#include "graphics/image/image.h"

namespace testsupport {

// A small linear congruential generator: the same seed gives the same pictures everywhere.
class PictureRandom {
public:
    explicit PictureRandom(std::uint32_t seed) : m_state(seed * 2654435761u + 1) {}
    std::uint32_t Next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state;
    }
    // 0 .. n - 1.
    std::int32_t Below(std::int32_t n) {
        return n <= 0 ? 0 : static_cast<std::int32_t>((Next() >> 8) % static_cast<std::uint32_t>(n));
    }

private:
    std::uint32_t m_state;
};

// Fills a 32-bit picture (or an 8-bit one with indices) from the seed.
inline void PaintPicture(Image& image, std::uint32_t seed) {
    static const std::uint8_t kAlphas[] = {0, 1, 127, 128, 254, 255, 255, 255};
    PictureRandom random(seed);
    for (std::int32_t y = 0; y < image.Height(); ++y) {
        for (std::int32_t x = 0; x < image.Width(); ++x) {
            const std::uint32_t v = random.Next();
            if (image.Depth() == 8) {
                image.SetPixel(x, y, (v >> 16) & 0xFF);
            } else {
                const std::uint32_t alpha = (v & 8) ? kAlphas[(v >> 4) & 7] : (v >> 24);
                image.SetPixel(x, y, (alpha << 24) | ((v >> 8) & 0xFFFFFF));
            }
        }
    }
}

// A new picture of that size and depth painted from the seed; false when it cannot be made.
inline bool MakePicture(Image& image, std::int32_t width, std::int32_t height,
                        std::uint8_t depth, std::uint32_t seed, std::uint8_t flags = 0) {
    if (image.Create(width, height, depth, flags) != 0) return false;
    PaintPicture(image, seed);
    image.SetModified(false);
    if (image.GetDirtyRegion()) image.GetDirtyRegion()->Clear();
    return true;
}

}  // namespace testsupport
