// Pixel-wise kernel cases: a kernel run over whole padded planes (destination, a 32-bit source
// and an 8-bit mask of the same size) against a rule that gives each destination pixel from
// the old destination pixel, the source pixel and the mask byte at its place; and the
// comparison of a plain kernel with its MMX twin on the same content.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>

#include "tests/graphics/image/kernel_test_support.h"

namespace kerneltest {

struct Planes {
    Plane<std::uint32_t> dst;
    Plane<std::uint32_t> src;
    Plane<std::uint8_t> mask;
    explicit Planes(std::int32_t width, std::int32_t height, bool corners)
        : dst(width, height), src(width, height), mask(width, height) {
        if (corners) {
            FillCorners(dst);
            FillCorners(src);
            FillCorners(mask);
        } else {
            FillRandom(dst);
            FillRandom(src);
            FillRandom(mask);
        }
        // Keyed kernels must meet their key on both sides.
        for (size_t i = 0; i < dst.pixels.size(); i += 7) dst.pixels[i] = kKey;
        for (size_t i = 3; i < src.pixels.size(); i += 7) src.pixels[i] = kKey;
    }
};

using PlanesRun = std::function<void(Planes&)>;

struct PixelCase {
    const char* name;
    PlanesRun run;
    std::function<std::uint32_t(std::uint32_t d, std::uint32_t s, std::uint8_t m)> rule;
};

struct TwinCase {
    const char* name;
    PlanesRun plain;
    PlanesRun mmx;
};

inline void CheckPixelCase(const PixelCase& c) {
    for (bool corners : {false, true}) {
        for (std::int32_t w : kWidths) {
            SCOPED_TRACE(::testing::Message()
                         << c.name << " width " << w << " corners " << corners);
            Planes planes(w, 2, corners);
            Plane<std::uint32_t> expected = planes.dst;
            for (std::int32_t y = 0; y < 2; ++y) {
                for (std::int32_t x = 0; x < w; ++x) {
                    expected.At(x, y) =
                        c.rule(planes.dst.At(x, y), planes.src.At(x, y), planes.mask.At(x, y));
                }
            }
            c.run(planes);
            ASSERT_EQ(expected.pixels, planes.dst.pixels);
        }
    }
}

inline void CheckTwinCase(const TwinCase& c) {
    for (bool corners : {false, true}) {
        for (std::int32_t w : kWidths) {
            SCOPED_TRACE(::testing::Message()
                         << c.name << " width " << w << " corners " << corners);
            Planes plain(w, 3, corners);
            Planes mmx = plain;
            c.plain(plain);
            c.mmx(mmx);
            ASSERT_EQ(plain.dst.pixels, mmx.dst.pixels);
        }
    }
}

// Independent reference arithmetic: floor division written with doubles.
inline std::int32_t RefWeight(std::uint32_t level) {
    return level == 0 ? 0 : static_cast<std::int32_t>(level) + 1;
}
inline std::uint32_t RefBlend(std::uint32_t d, std::uint32_t s, std::int32_t w) {
    std::uint32_t out = d & 0xFF000000;
    for (int k = 0; k < 3; ++k) {
        const double dc = RefByte(d, k), sc = RefByte(s, k);
        out |= static_cast<std::uint32_t>(dc + std::floor((sc - dc) * w / 256.0)) << (8 * k);
    }
    return out;
}
inline std::uint32_t RefAdd(std::uint32_t d, std::uint32_t s, std::int32_t w, int sign) {
    std::uint32_t out = d & 0xFF000000;
    for (int k = 0; k < 3; ++k) {
        double v = RefByte(d, k) + sign * std::floor(RefByte(s, k) * w / 256.0);
        v = v < 0 ? 0 : v > 255 ? 255 : v;
        out |= static_cast<std::uint32_t>(v) << (8 * k);
    }
    return out;
}

// The blend tables by their defining formulas (the multiply table's is in kernel_test_support).
inline std::uint32_t RefScreen(std::uint32_t i, std::uint32_t j) {
    return 255 - (255 - i) * (255 - j) / 255;
}
inline std::uint32_t RefSourceWeight(std::uint32_t d, std::uint32_t s) {
    if (d == 0) return 255;
    const std::uint32_t v = 65025 * s / (255 * s + d * (255 - s));
    return v > 255 ? 255 : v;
}
// A colour laid over a pixel with alpha by a level.
inline std::uint32_t RefOver(std::uint32_t d, std::uint32_t colour, std::uint32_t level) {
    const std::uint32_t da = d >> 24;
    return (RefBlend(d, colour, RefWeight(RefSourceWeight(da, level))) & 0x00FFFFFF) |
           RefScreen(da, level) << 24;
}

}  // namespace kerneltest

// Runs a kernel over the planes: the destination rectangle and skip, then the given arguments.
#define KT_RECT_PITCH(kernel, ...)                                                     \
    [=](kerneltest::Planes& p) {                                                       \
        kernel(p.dst.Row(0), p.dst.Pitch(), p.dst.width, p.dst.height, ##__VA_ARGS__); \
    }
#define KT_RECT(kernel, ...)                                                          \
    [=](kerneltest::Planes& p) {                                                      \
        kernel(p.dst.Row(0), p.dst.Skip(), p.dst.width, p.dst.height, ##__VA_ARGS__); \
    }
#define KT_TWO(kernel, ...)                                                                       \
    [=](kerneltest::Planes& p) {                                                                  \
        kernel(p.dst.Row(0), p.src.Row(0), p.dst.Skip(), p.src.Skip(), p.dst.width, p.dst.height, \
               ##__VA_ARGS__);                                                                    \
    }
#define KT_MASK(kernel, ...)                                                          \
    [=](kerneltest::Planes& p) {                                                      \
        kernel(p.dst.Row(0), p.mask.Row(0), p.dst.Skip(), p.mask.Skip(), p.dst.width, \
               p.dst.height, ##__VA_ARGS__);                                          \
    }
