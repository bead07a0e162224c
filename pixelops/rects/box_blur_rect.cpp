// BoxBlurRect (word 13): a box blur with sliding sums, per column down the rows and per row
// across the columns. The box reads pixels outside the rectangle (inside the bitmap); at the
// bitmap's edges it averages over the pixels that exist.
#include <malloc.h>

#include <new>

#include "pixelops/interfaces/pixel_op_words.h"
#include "pixelops/rects/rect_operations.h"
#include "pixelops/rects/rect_support.h"

namespace pixelops {

namespace {

constexpr std::int64_t kMaxSmallArea = 255;       // 16-bit channel sums
constexpr std::int64_t kMaxArea = 0xFFFFFF;       // 32-bit channel sums
constexpr std::int32_t kExtentLimit = 0x1000000;  // any larger extent fails the area test

// The SIMD forms of the sum kernels read the column sums with aligned loads.
void* AlignedAlloc(std::size_t size) {
    return _aligned_malloc(size, 16);
}
void AlignedFree(void* block) {
    _aligned_free(block);
}

template <class Sum>
struct BlurKernels {
    typedef void(QMXGL_CALL* AddSub)(Sum* sums, const Pixel* entering, const Pixel* leaving,
                                     std::int32_t count);
    typedef void(QMXGL_CALL* Average)(Pixel* dst, Sum* running, const Sum* entering,
                                      const Sum* leaving, std::int32_t area, std::int32_t count);
    AddSub addSub;
    Average average;
};

template <class Sum>
bool Blur(Surface* dest, const RECT& r, std::int32_t rx, std::int32_t ry,
          const BlurKernels<Sum>& k) {
    const std::int32_t width = dest->Width(), height = dest->Height();
    const std::int32_t w = r.right - r.left, h = r.bottom - r.top;
    const std::int32_t c0 = r.left - rx > 0 ? r.left - rx : 0;
    const std::int32_t c1 = r.right - 1 + rx < width - 1 ? r.right - 1 + rx : width - 1;
    const std::int32_t columns = c1 - c0 + 1;
    const std::int32_t ringRows = ry + 1 < h ? ry + 1 : h;

    // One more column entry than the range, kept at zero: the average kernel may add the column
    // just beyond the bitmap's right edge.
    Sum* sums = static_cast<Sum*>(AlignedAlloc(sizeof(Sum) * 4 * (columns + 1)));
    Pixel* zeros = new (std::nothrow) Pixel[columns];
    Pixel* ring = new (std::nothrow) Pixel[static_cast<std::size_t>(ringRows) * w];
    const bool ready = sums && zeros && ring;
    if (ready) {
        for (std::int32_t i = 0; i < 4 * (columns + 1); ++i) sums[i] = 0;
        for (std::int32_t i = 0; i < columns; ++i) zeros[i] = 0;
        const Sum* zeroSums = sums + 4 * columns;

        std::int32_t rows = 0;
        const std::int32_t firstRow = r.top - ry > 0 ? r.top - ry : 0;
        const std::int32_t lastRow = r.top + ry < height - 1 ? r.top + ry : height - 1;
        for (std::int32_t y = firstRow; y <= lastRow; ++y) {
            k.addSub(sums, PixelAt(dest, c0, y), zeros, columns);
            ++rows;
        }

        for (std::int32_t y = r.top; y < r.bottom; ++y) {
            const std::int32_t slot = (y - r.top) % ringRows;
            Pixel* out = ring + static_cast<std::size_t>(slot) * w;
            if (y - r.top >= ringRows) {
                Pixel* back = PixelAt(dest, r.left, y - ringRows);
                for (std::int32_t i = 0; i < w; ++i) back[i] = out[i];
            }

            // The box of column x covers the bitmap's columns first..last of x.
            auto first = [&](std::int32_t x) { return x - rx > 0 ? x - rx : 0; };
            auto last = [&](std::int32_t x) { return x + rx < width - 1 ? x + rx : width - 1; };
            alignas(16) Sum running[4] = {0, 0, 0, 0};
            for (std::int32_t x = first(r.left); x <= last(r.left); ++x)
                for (int c = 0; c < 4; ++c)
                    running[c] = static_cast<Sum>(running[c] + sums[4 * (x - c0) + c]);
            // Pixels whose box the bitmap's edge cuts go one at a time with their own count;
            // the run whose box lies wholly inside goes to the kernel in one call.
            const std::int32_t midFirst = r.left > rx ? r.left : rx;
            const std::int32_t midEnd = r.right < width - rx ? r.right : width - rx;
            std::int32_t x = r.left;
            auto one = [&]() {
                const bool leaves = x - rx >= 0;
                const bool enters = x + rx + 1 < width;
                k.average(out + (x - r.left), running,
                          enters ? sums + 4 * (x + rx + 1 - c0) : zeroSums,
                          leaves ? sums + 4 * (x - rx - c0) : zeroSums,
                          (last(x) - first(x) + 1) * rows, 1);
                ++x;
            };
            while (x < r.right && x < midFirst) one();
            if (x < midEnd) {
                k.average(out + (x - r.left), running, sums + 4 * (x + rx + 1 - c0),
                          sums + 4 * (x - rx - c0), (2 * rx + 1) * rows, midEnd - x);
                x = midEnd;
            }
            while (x < r.right) one();

            const std::int32_t leaving = y - ry, entering = y + ry + 1;
            const bool leaves = leaving >= 0, enters = entering < height;
            if (leaves || enters)
                k.addSub(sums, enters ? PixelAt(dest, c0, entering) : zeros,
                         leaves ? PixelAt(dest, c0, leaving) : zeros, columns);
            rows += (enters ? 1 : 0) - (leaves ? 1 : 0);
        }
        const std::int32_t pending = h < ringRows ? h : ringRows;
        for (std::int32_t y = r.bottom - pending; y < r.bottom; ++y) {
            const Pixel* out = ring + static_cast<std::size_t>((y - r.top) % ringRows) * w;
            Pixel* back = PixelAt(dest, r.left, y);
            for (std::int32_t i = 0; i < w; ++i) back[i] = out[i];
        }
    }
    delete[] ring;
    delete[] zeros;
    AlignedFree(sums);
    return ready;
}

// Blur with the sum and average kernels of the given words.
template <class Sum>
bool BlurThrough(Surface* dest, const RECT& r, std::int32_t rx, std::int32_t ry, int sumWord,
                 int averageWord) {
    const BlurKernels<Sum> k = {Slot<typename BlurKernels<Sum>::AddSub>(sumWord),
                                Slot<typename BlurKernels<Sum>::Average>(averageWord)};
    return Blur(dest, r, rx, ry, k);
}

std::int32_t Magnitude(std::int32_t extent) {
    // Limited first: the magnitude of the most negative 32-bit value does not exist.
    if (extent > kExtentLimit) extent = kExtentLimit;
    if (extent < -kExtentLimit) extent = -kExtentLimit;
    return extent < 0 ? -extent : extent;
}

}  // namespace

std::int32_t QMXGL_CALL BoxBlurRect(Surface* dest, std::int32_t extentX, std::int32_t extentY,
                                    const RECT* rect, std::uint32_t withAlpha) {
    const std::int32_t rx = Magnitude(extentX), ry = Magnitude(extentY);
    if (rx == 0 && ry == 0) return 1;
    const std::int64_t area = (2 * std::int64_t{rx} + 1) * (2 * std::int64_t{ry} + 1);
    if (area > kMaxArea) return 0;
    RECT r;
    if (!ClipToClipRect(dest, rect, r)) return 0;
    const bool alpha = (withAlpha & 0xFF) != 0;
    const bool done =
        area <= kMaxSmallArea
            ? BlurThrough<std::uint16_t>(dest, r, rx, ry,
                                         alpha ? kWordBoxBlurAddSubSum16LineWithAlpha
                                               : kWordBoxBlurAddSubSum16Line,
                                         alpha ? kWordBoxBlurAverage16LineWithAlpha
                                               : kWordBoxBlurAverage16Line)
            : BlurThrough<std::uint32_t>(dest, r, rx, ry,
                                         alpha ? kWordBoxBlurAddSubSum32LineWithAlpha
                                               : kWordBoxBlurAddSubSum32Line,
                                         alpha ? kWordBoxBlurAverage32LineWithAlpha
                                               : kWordBoxBlurAverage32Line);
    if (!done) return 0;
    SetLastUpdated(r);
    return 1;
}

}  // namespace pixelops
