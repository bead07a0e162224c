#include "tools/content/demo_pictures.h"

#include "tools/content/elg_writer.h"

namespace testsupport {

std::vector<std::uint8_t> DemoBackgroundElg() {
    const std::uint32_t w = kDemoBackgroundWidth, h = kDemoBackgroundHeight;
    std::vector<std::uint32_t> pixels(w * h);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            pixels[y * w + x] = kDemoBackgroundColours[(y < h / 2 ? 0 : 2) + (x < w / 2 ? 0 : 1)];
    return EncodeElgPicture(24, kDemoBackgroundWidth, kDemoBackgroundHeight, pixels);
}

std::vector<std::uint8_t> DemoSpriteElg() {
    const std::int32_t size = kDemoSpriteSize;
    std::vector<std::uint32_t> pixels(size * size);
    // Pixel centres within the radius belong to the disc.
    const std::int32_t radius2 = size * size;  // (size / 2)^2 in doubled coordinates
    for (std::int32_t y = 0; y < size; ++y) {
        for (std::int32_t x = 0; x < size; ++x) {
            const std::int32_t dx = 2 * x + 1 - size, dy = 2 * y + 1 - size;
            pixels[y * size + x] = dx * dx + dy * dy <= radius2 ? 0xFF000000u | kDemoSpriteColour : 0;
        }
    }
    return EncodeElgPicture(32, kDemoSpriteSize, kDemoSpriteSize, pixels);
}

}  // namespace testsupport
