// Shared by the kernel tests: planes with padded rows, fixed-seed random content, rows of the
// corner channel values, and the source position a stretched walk must reach.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "graphics/image/stretch_step.h"

namespace kerneltest {

// Channel values where rounding and saturation go wrong first.
constexpr std::uint8_t kCorners[] = {0, 1, 127, 128, 254, 255};
constexpr int kCornerCount = 6;

// Byte k of a pixel (0 blue ... 3 alpha), and the multiply table by its defining formula.
inline std::uint32_t RefByte(std::uint32_t p, int k) {
    return (p >> (8 * k)) & 0xFF;
}
inline std::uint32_t RefMultiply(std::uint32_t i, std::uint32_t j) {
    return (i * j + 127) / 255;
}

// Planted into the test content so that keyed kernels meet their key.
constexpr std::uint32_t kKey = 0x80FF0001;

// Row lengths that exercise every odd split of the MMX loops.
constexpr std::int32_t kWidths[] = {1, 3, 7, 33, 1000};

// A plane of width x height pixels of T whose rows carry a few padding pixels, so that a
// kernel that walks past its rectangle or ignores the skip changes what it must not.
template <class T>
struct Plane {
    std::int32_t width;
    std::int32_t height;
    std::int32_t stride;  // in pixels
    std::vector<T> pixels;

    Plane(std::int32_t w, std::int32_t h, std::int32_t padding = 3)
        : width(w), height(h), stride(w + padding), pixels(static_cast<size_t>(stride) * h) {}

    std::int32_t Pitch() const { return stride * static_cast<std::int32_t>(sizeof(T)); }
    std::int32_t Skip() const { return (stride - width) * static_cast<std::int32_t>(sizeof(T)); }
    T* Row(std::int32_t y) { return pixels.data() + static_cast<size_t>(y) * stride; }
    const T* Row(std::int32_t y) const { return pixels.data() + static_cast<size_t>(y) * stride; }
    T& At(std::int32_t x, std::int32_t y) { return Row(y)[x]; }
    const T& At(std::int32_t x, std::int32_t y) const { return Row(y)[x]; }
};

inline std::mt19937& Random() {
    static std::mt19937 generator(20061);
    return generator;
}

template <class T>
inline void FillRandom(Plane<T>& plane) {
    for (T& p : plane.pixels) p = static_cast<T>(Random()());
}

// Every byte of every pixel a corner value, drawn at random (fixed seed), so that a row of a
// few hundred pixels meets every pair of corners between source and destination.
template <class T>
inline void FillCorners(Plane<T>& plane) {
    for (T& p : plane.pixels) {
        std::uint32_t v = 0;
        for (size_t b = 0; b < sizeof(T); ++b) {
            v |= static_cast<std::uint32_t>(kCorners[Random()() % kCornerCount]) << (8 * b);
        }
        p = static_cast<T>(v);
    }
}

// A StretchStep from a source length to a destination length, with the initial errors the
// blit clipping produces for an unclipped blit.
inline StretchStep MakeStretch(std::int32_t srcW, std::int32_t dstW, std::int32_t srcH,
                               std::int32_t dstH) {
    StretchStep s;
    s.xErr = -dstW;
    s.xRem = srcW % dstW;
    s.xDen = dstW;
    s.xStep = srcW / dstW;
    s.yErr = -dstH;
    s.yRem = srcH % dstH;
    s.yDen = dstH;
    s.yStep = srcH / dstH;
    return s;
}

// Source index that a stretched walk reads for destination index n, worked out directly: the
// carries after n steps are floor((err + n * rem) / den) + 1.
inline std::int32_t StretchIndex(std::int32_t n, std::int32_t err, std::int32_t rem,
                                 std::int32_t den, std::int32_t step) {
    const std::int64_t t = static_cast<std::int64_t>(err) + static_cast<std::int64_t>(n) * rem;
    const std::int64_t floorDiv = t >= 0 ? t / den : -((-t + den - 1) / den);
    return static_cast<std::int32_t>(static_cast<std::int64_t>(n) * step + floorDiv + 1);
}

}  // namespace kerneltest
