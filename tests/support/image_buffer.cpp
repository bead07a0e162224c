#include "tests/support/image_buffer.h"

namespace testsupport {

std::uint32_t ImageBuffer::Pixel32(std::int32_t x, std::int32_t y) const {
    const std::uint8_t* at = memory.data() + y * stride + x * 4;
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

std::uint8_t ImageBuffer::Pixel8(std::int32_t x, std::int32_t y) const {
    return memory[static_cast<std::size_t>(y * stride + x)];
}

std::vector<std::uint32_t> ImageBuffer::Pixels() const {
    std::vector<std::uint32_t> out;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            out.push_back(bitsPerPixel == 32 ? Pixel32(x, y) : Pixel8(x, y));
        }
    }
    return out;
}

void* XM_CDECL ImageBuffer::Allocate(std::int32_t width, std::int32_t height,
                                     std::int32_t bitsPerPixel, std::int32_t hasAlpha,
                                     std::int32_t* outStride, std::uint32_t** outPalette,
                                     void* argument) {
    auto* self = static_cast<ImageBuffer*>(argument);
    ++self->allocations;
    self->width = width;
    self->height = height;
    self->bitsPerPixel = bitsPerPixel;
    self->hasAlpha = hasAlpha;
    self->paletteAsked = outPalette != nullptr;
    if (self->failAllocation) return nullptr;
    self->stride = width * (bitsPerPixel / 8) + self->extraStride;
    self->memory.assign(static_cast<std::size_t>(self->stride) * height, 0xCD);
    *outStride = self->stride;
    if (outPalette) *outPalette = self->palette;
    return self->memory.data();
}

void XM_CDECL ImageBuffer::Release(void* argument) {
    auto* self = static_cast<ImageBuffer*>(argument);
    ++self->releases;
    self->memory.clear();
}

std::int32_t XM_CDECL ImageBuffer::Progress(std::int32_t done, std::int32_t total, void* argument) {
    auto* self = static_cast<ImageBuffer*>(argument);
    self->progress.emplace_back(done, total);
    return self->cancelAtCall != 0 && static_cast<int>(self->progress.size()) >= self->cancelAtCall;
}

std::vector<std::uint32_t> DibPixels(const BITMAPINFO* info, const std::uint8_t* bits) {
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const std::int32_t depth = h.biBitCount;
    const std::int32_t rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const std::int32_t stride = ((h.biWidth * depth + 31) / 32) * 4;
    std::vector<std::uint32_t> out;
    for (std::int32_t y = 0; y < rows; ++y) {
        const std::int32_t row = h.biHeight < 0 ? y : rows - 1 - y;
        const std::uint8_t* line = bits + row * stride;
        for (std::int32_t x = 0; x < h.biWidth; ++x) {
            switch (depth) {
            case 32:
                out.push_back(line[x * 4] | line[x * 4 + 1] << 8 | line[x * 4 + 2] << 16 |
                              static_cast<std::uint32_t>(line[x * 4 + 3]) << 24);
                break;
            case 24:
                out.push_back(line[x * 3] | line[x * 3 + 1] << 8 | line[x * 3 + 2] << 16);
                break;
            case 16:
                out.push_back(line[x * 2] | line[x * 2 + 1] << 8);
                break;
            default: {
                const std::int32_t bit = x * depth;
                const std::uint8_t byte = line[bit / 8];
                out.push_back((byte >> (8 - depth - bit % 8)) & ((1 << depth) - 1));
            }
            }
        }
    }
    return out;
}

}  // namespace testsupport
