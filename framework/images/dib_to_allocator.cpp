#include "framework/images/dib_to_allocator.h"

#include <cstring>

#include "framework/images/dib_conversion.h"

std::int32_t CopyDibToAllocator(const BITMAPINFO* info, const std::uint8_t* bits,
                                std::int32_t bitsStride, std::uint32_t colours, bool want8Bit,
                                GllAllocator allocator, void* argument) {
    const std::int32_t width = info->bmiHeader.biWidth;
    const LONG rows = info->bmiHeader.biHeight;
    const std::int32_t height = rows < 0 ? -rows : rows;
    const bool hasAlpha = info->bmiHeader.biBitCount == 32;
    // A picture of few bits per pixel can be far larger in 32-bit pixels than its own blocks.
    const std::uint64_t bufferBytes =
        static_cast<std::uint64_t>(width) * static_cast<std::uint32_t>(height) * (want8Bit ? 1 : 4);
    if (bufferBytes > kGllMaxImageBytes) return kGllOutOfMemory;
    const RECT rect = {0, 0, width, height};
    const POINT origin = {0, 0};
    const std::int32_t rowBytes = want8Bit ? width : width * 4;
    std::int32_t stride = rowBytes;
    std::uint32_t* palette = nullptr;
    void* buffer = allocator(width, height, want8Bit ? 8 : 32, hasAlpha, &stride,
                             want8Bit && colours != 0 ? &palette : nullptr, argument);
    if (!buffer) return kGllOutOfMemory;
    if (height > 1 && stride < rowBytes) return kGllMissingArgument;
    std::int32_t converted;
    if (want8Bit) {
        if (palette) {
            std::memset(palette, 0, 256 * 4);
            std::memcpy(palette, info->bmiColors, colours * 4);
        }
        converted = ConvertDibTo8(static_cast<std::uint8_t*>(buffer), rect, stride, info, bits,
                                  bitsStride, origin);
    } else {
        auto* pixels = static_cast<std::uint32_t*>(buffer);
        converted = hasAlpha ? ConvertDibToArgb(pixels, rect, stride, info, bits, bitsStride, origin)
                             : ConvertDibTo32(pixels, rect, stride, info, bits, bitsStride, origin);
    }
    return converted ? 0 : kGllConversionFailed;
}
