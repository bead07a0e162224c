// Copies, line doubling, colour keying, channel copies, swaps, reversals and grey scale
// (words 137-149, 162-166).
#include <utility>

#include "pixelops/kernels/pixel_math.h"
#include "pixelops/kernels/row_kernels.h"

namespace pixelops {

namespace {

Pixel Sample(Pixel, Pixel s) {
    return s;
}
Pixel ColourOf(Pixel d, Pixel s) {
    return (s & 0x00FFFFFF) | (d & 0xFF000000);
}

// `step` is +1 for the forward form and -1 for the backward one.
void InterpolateLineDouble(Pixel* dst, std::int32_t count, const Pixel* src, std::int32_t step) {
    if (count <= 0) return;
    const std::int32_t pairs = (count - 1) >> 1;
    for (std::int32_t j = 0; j < pairs; ++j) {
        const Pixel a = src[j * step];
        dst[2 * j] = a;
        dst[2 * j + 1] = Average(a, src[(j + 1) * step]);
    }
    for (std::int32_t i = 2 * pairs; i < count; ++i) dst[i] = src[pairs * step];
}

// The byte and pixel forms of the swaps and reversals differ only in element size.
template <class T>
void SwapElements(T* a, T* b, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) std::swap(a[i], b[i]);
}

template <class T>
void ReverseElements(T* row, std::int32_t count) {
    for (std::int32_t i = 0, j = count - 1; i < j; ++i, --j) std::swap(row[i], row[j]);
}

}  // namespace

void QMXGL_CALL StretchCopyLine(Pixel* dst, std::int32_t count, const Pixel* src, std::int32_t x,
                                std::int32_t step) {
    // A step of exactly one pixel reads consecutive pixels: a straight copy, while the
    // positions stay within the signed 16-bit whole part the loop would walk.
    if (count > 0 && step == 0x10000 &&
        (x >> 16) + static_cast<std::int64_t>(count) - 1 <= 0x7FFF &&
        StraightCopy(dst, src + (x >> 16), count))
        return;
    StretchLoop(dst, count, src, x, step, Sample);
}

void QMXGL_CALL BilinearStretchCopyLine(Pixel* dst, std::int32_t count, const Pixel* row0,
                                        const Pixel* row1, std::uint32_t fy, std::int32_t x,
                                        std::int32_t step) {
    BilinearStretchLoop(dst, count, row0, row1, fy, x, step, Sample);
}

void QMXGL_CALL InterpolateLineDoubleForward(Pixel* dst, std::int32_t count, const Pixel* src) {
    InterpolateLineDouble(dst, count, src, 1);
}

void QMXGL_CALL InterpolateLineDoubleBackward(Pixel* dst, std::int32_t count, const Pixel* src) {
    InterpolateLineDouble(dst, count, src, -1);
}

void QMXGL_CALL AverageTwoLines(Pixel* dst, std::int32_t count, const Pixel* a, const Pixel* b) {
    for (std::int32_t i = 0; i < count; ++i) dst[i] = Average(a[i], b[i]);
}

void QMXGL_CALL StretchColorCopyLine(Pixel* dst, std::int32_t count, const Pixel* src,
                                     std::int32_t x, std::int32_t step) {
    StretchLoop(dst, count, src, x, step, ColourOf);
}

void QMXGL_CALL AffineCopyLine(Pixel* dst, std::int32_t count, const void* src, std::int32_t u,
                               std::int32_t v, std::int32_t du, std::int32_t dv,
                               std::int32_t pitch) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, Sample);
}

void QMXGL_CALL BilinearAffineCopyLine(Pixel* dst, std::int32_t count, const void* src,
                                       std::int32_t u, std::int32_t v, std::int32_t du,
                                       std::int32_t dv, std::int32_t pitch) {
    BilinearAffineLoop(dst, count, src, u, v, du, dv, pitch, Sample);
}

void QMXGL_CALL AffineColorCopyLine(Pixel* dst, std::int32_t count, const void* src, std::int32_t u,
                                    std::int32_t v, std::int32_t du, std::int32_t dv,
                                    std::int32_t pitch) {
    AffineLoop(dst, count, src, u, v, du, dv, pitch, ColourOf);
}

void QMXGL_CALL KeyColorToAlphaLine(Pixel* row, std::int32_t count, std::uint32_t key) {
    for (std::int32_t i = 0; i < count; ++i) {
        const Pixel colour = row[i] & 0x00FFFFFF;
        row[i] = colour == key ? colour : colour | 0xFF000000;
    }
}

void QMXGL_CALL CopyAlphaLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) dst[i] = (dst[i] & 0x00FFFFFF) | (src[i] & 0xFF000000);
}

void QMXGL_CALL CopyColorLine(Pixel* dst, const Pixel* src, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) dst[i] = ColourOf(dst[i], src[i]);
}

void QMXGL_CALL CopyMaskToAlphaLine(Pixel* row, const std::uint8_t* mask, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i)
        row[i] = (row[i] & 0x00FFFFFF) | (static_cast<std::uint32_t>(mask[i]) << 24);
}

void QMXGL_CALL SwapLine8(std::uint8_t* a, std::uint8_t* b, std::int32_t count) {
    SwapElements(a, b, count);
}

void QMXGL_CALL SwapLine32(Pixel* a, Pixel* b, std::int32_t count) {
    SwapElements(a, b, count);
}

void QMXGL_CALL ReverseLine8(std::uint8_t* row, std::int32_t count) {
    ReverseElements(row, count);
}

void QMXGL_CALL ReverseLine32(Pixel* row, std::int32_t count) {
    ReverseElements(row, count);
}

void QMXGL_CALL GrayScaleLine(Pixel* row, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) {
        const Pixel p = row[i];
        const std::uint32_t grey =
            (54 * Channel(p, 2) + 183 * Channel(p, 1) + 19 * Channel(p, 0)) >> 8;
        row[i] = (p & 0xFF000000) | grey * 0x010101;
    }
}

}  // namespace pixelops
