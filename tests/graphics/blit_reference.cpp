#include "tests/graphics/blit_reference.h"

#include <vector>

namespace blitref {

void MakeCodedSource(Image& image, std::int32_t width, std::int32_t height, std::uint8_t depth,
                     const RECT& clip, bool dibSection) {
    image.Create(width, height, depth, dibSection ? kImageDibSection : 0);
    if (depth == 8) {
        std::vector<std::uint32_t> palette(256);
        for (std::uint32_t i = 0; i < 256; ++i) palette[i] = PaletteEntry(i);
        image.SetPalette(palette.data(), 256, 0);
    }
    image.SetClipRect(&clip);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const bool inside = Inside(clip, x, y);
            if (depth == 8) {
                image.SetPixel(x, y, inside ? Index8(x, y, width) : kPoisonIndex);
            } else {
                image.SetPixel(x, y, inside ? Code32(x, y) : kPoison);
            }
        }
    }
    image.SetModified(false);
}

void FillBackground(Image& image) {
    const std::int32_t width = image.Width();
    for (std::int32_t y = 0; y < image.Height(); ++y) {
        std::uint8_t* row = image.Row(y);
        for (std::int32_t x = 0; x < width; ++x) {
            if (image.Depth() == 8) {
                row[x] = kBackground8;
            } else {
                reinterpret_cast<std::uint32_t*>(row)[x] = Background32(x, y);
            }
        }
    }
    if (image.GetDirtyRegion()) image.GetDirtyRegion()->Clear();
    image.SetModified(false);
}

void MakeBackground(Image& image, std::int32_t width, std::int32_t height, std::uint8_t depth,
                    bool dibSection) {
    image.Create(width, height, depth,
                 static_cast<std::uint8_t>(kImageDirtyRegion | (dibSection ? kImageDibSection : 0)));
    FillBackground(image);
}

std::uint32_t Converted(const Image& source, std::int64_t sx, std::int64_t sy,
                        std::uint8_t destDepth) {
    const std::uint32_t value =
        source.GetPixel(static_cast<std::int32_t>(sx), static_cast<std::int32_t>(sy));
    if (source.Depth() == 8 && destDepth == 32) return source.Palette()[value];
    return value;
}

}  // namespace blitref
