#include "pixelops/rects/resample_filter.h"

#include <cmath>
#include <new>

#include "pixelops/rects/rect_support.h"

namespace pixelops {

namespace {

// Left of the line the picture mirrors without repeating its first pixel; right of it the
// last pixel repeats.
std::int32_t TapIndex(std::int32_t j, std::int32_t length) {
    if (j < 0)
        j = -j;
    else if (j >= length)
        j = 2 * length - j - 1;
    if (j < 0) j = 0;
    if (j > length - 1) j = length - 1;
    return j;
}

// One byte of the filtered pixel: exact where every tap holds the same value, so uniform
// areas keep their colour.
std::uint32_t FilteredByte(const Pixel* const* pixels, const FilterTap* taps, std::int32_t count,
                           int shift) {
    const std::uint32_t first = (*pixels[0] >> shift) & 0xFF;
    bool uniform = true;
    float sum = 0.0f;
    for (std::int32_t k = count - 1; k >= 0; --k) {
        const std::uint32_t v = (*pixels[k] >> shift) & 0xFF;
        uniform = uniform && v == first;
        sum += static_cast<float>(v) * taps[k].weight;
    }
    if (uniform) return first;
    std::int32_t r = RoundHalfAway(sum);
    if (r < 0) r = 0;
    if (r > 255) r = 255;
    return static_cast<std::uint32_t>(r);
}

Pixel FilteredPixel(const Pixel* line, const FilterTap* taps, std::int32_t count,
                    const Pixel** scratch) {
    if (count <= 0) return 0;
    for (std::int32_t k = 0; k < count; ++k) scratch[k] = line + taps[k].index;
    return FilteredByte(scratch, taps, count, 0) | (FilteredByte(scratch, taps, count, 8) << 8) |
           (FilteredByte(scratch, taps, count, 16) << 16) |
           (FilteredByte(scratch, taps, count, 24) << 24);
}

}  // namespace

float TentFilter(float x) {
    x = std::fabs(x);
    return x < 1.0f ? 1.0f - x : 0.0f;
}

float QuadraticBSplineFilter(float x) {
    x = std::fabs(x);
    if (x < 0.5f) return 0.75f - x * x;
    if (x < 1.5f) return 0.5f * (x - 1.5f) * (x - 1.5f);
    return 0.0f;
}

std::int32_t RoundHalfAway(float x) {
    const std::int32_t t = static_cast<std::int32_t>(x);
    if (std::fabs(x - static_cast<float>(t)) >= 0.5f) return x >= 0.0f ? t + 1 : t - 1;
    return t;
}

std::int32_t FilterTapCapacity(float scale, float radius) {
    const float support = scale >= 1.0f ? radius : radius / scale;
    // One more than the span holds, for a centre that float rounding moves by a hair.
    return static_cast<std::int32_t>(2.0f * support + 1.0f) + 1;
}

std::int32_t BuildFilterWeights(FilterTap* taps, std::int32_t capacity, std::int32_t position,
                                float scale, float radius, ResampleFilter filter,
                                std::int32_t length) {
    const float centre = static_cast<float>(position) / scale;
    const bool enlarging = scale >= 1.0f;
    const float support = enlarging ? radius : radius / scale;
    const std::int32_t first = static_cast<std::int32_t>(std::ceil(centre - support));
    const std::int32_t last = static_cast<std::int32_t>(std::floor(centre + support));
    std::int32_t count = 0;
    float sum = 0.0f;
    for (std::int32_t j = first; j <= last && count < capacity; ++j) {
        const float distance = centre - static_cast<float>(j);
        const float weight = filter(enlarging ? distance : distance * scale);
        taps[count++] = FilterTap{TapIndex(j, length), weight};
        sum += weight;
    }
    if (!enlarging && sum != 0.0f) {
        const float normal = 1.0f / sum;
        for (std::int32_t k = 0; k < count; ++k) taps[k].weight *= normal;
    }
    return count;
}

std::int32_t ResampleWithFilter(Surface* dest, const RECT& destRect, Surface* src,
                                const RECT& srcRect, ResampleFilter filter, float radius) {
    const std::int32_t sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
    const std::int32_t dw = destRect.right - destRect.left, dh = destRect.bottom - destRect.top;
    const float scaleX = static_cast<float>(dw) / static_cast<float>(sw);
    const float scaleY = static_cast<float>(dh) / static_cast<float>(sh);
    const std::int32_t capX = FilterTapCapacity(scaleX, radius);
    const std::int32_t capY = FilterTapCapacity(scaleY, radius);
    const std::int32_t capMax = capX > capY ? capX : capY;

    // Everything is allocated before the first pixel is written.
    Pixel* column = new (std::nothrow) Pixel[sh];
    FilterTap* vertical = new (std::nothrow) FilterTap[static_cast<std::size_t>(dh) * capY];
    std::int32_t* verticalCounts = new (std::nothrow) std::int32_t[dh];
    FilterTap* horizontal = new (std::nothrow) FilterTap[capX];
    const Pixel** scratch = new (std::nothrow) const Pixel*[capMax];
    std::int32_t result = -1;
    if (column && vertical && verticalCounts && horizontal && scratch) {
        for (std::int32_t d = 0; d < dh; ++d)
            verticalCounts[d] = BuildFilterWeights(vertical + static_cast<std::size_t>(d) * capY,
                                                   capY, d, scaleY, radius, filter, sh);
        const std::int32_t srcPitch = src->Pitch(), destPitch = dest->Pitch();
        for (std::int32_t i = 0; i < dw; ++i) {
            const std::int32_t taps =
                BuildFilterWeights(horizontal, capX, i, scaleX, radius, filter, sw);
            const Pixel* srcRow = PixelAt(src, srcRect.left, srcRect.top);
            for (std::int32_t y = 0; y < sh; ++y, srcRow = NextRow(srcRow, srcPitch))
                column[y] = FilteredPixel(srcRow, horizontal, taps, scratch);
            Pixel* out = PixelAt(dest, destRect.left + i, destRect.top);
            for (std::int32_t d = 0; d < dh; ++d, out = NextRow(out, destPitch))
                *out = FilteredPixel(column, vertical + static_cast<std::size_t>(d) * capY,
                                     verticalCounts[d], scratch);
        }
        result = 0;
    }
    delete[] scratch;
    delete[] horizontal;
    delete[] verticalCounts;
    delete[] vertical;
    delete[] column;
    return result;
}

std::int32_t SelectResampleFilter(Surface* dest, const RECT& destRect, Surface* src,
                                  const RECT& srcRect, int filter) {
    if (filter == 1) return ResampleWithFilter(dest, destRect, src, srcRect, TentFilter, 1.0f);
    if (filter == 2)
        return ResampleWithFilter(dest, destRect, src, srcRect, QuadraticBSplineFilter, 1.5f);
    return -1;
}

}  // namespace pixelops
