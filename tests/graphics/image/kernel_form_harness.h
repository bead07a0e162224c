// Runs a row kernel in one of its four walking forms on padded planes and checks every
// destination pixel against a per-pixel rule applied to the source pixel the form must reach.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "tests/graphics/image/kernel_test_support.h"

namespace kerneltest {

enum class Form { Straight, Mirrored, Stretched, StretchedMirrored };

template <class D, class S>
struct KernelCase {
    const char* name;
    Form form;
    // (destination, source, destination skip, source skip or pitch, width, height, step)
    std::function<void(D*, const S*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                       const StretchStep&)>
        run;
    std::function<D(D, S)> rule;
};

struct Geometry {
    std::int32_t srcW, srcH, dstW, dstH;
    bool corners;
};

// Straight and mirrored forms: every width of kWidths on random content, and a wide row of
// corner values. Stretched forms: enlarging, reducing and equal sizes.
inline std::vector<Geometry> GeometriesFor(Form form) {
    std::vector<Geometry> list;
    if (form == Form::Straight || form == Form::Mirrored) {
        for (std::int32_t w : kWidths) list.push_back({w, 3, w, 3, false});
        list.push_back({400, 2, 400, 2, true});
    } else {
        // 4 -> 8 and 6 -> 4 bring the error to exactly zero, where the extra step must come.
        list = {{5, 4, 12, 9, false},     {12, 9, 5, 4, false}, {7, 3, 7, 3, false},
                {1, 1, 3, 2, false},      {4, 4, 8, 8, false},  {6, 6, 4, 4, false},
                {1000, 6, 333, 5, false}, {33, 7, 70, 15, true}};
    }
    return list;
}

template <class D, class S>
void CheckKernelCase(const KernelCase<D, S>& c) {
    for (const Geometry& g : GeometriesFor(c.form)) {
        SCOPED_TRACE(::testing::Message() << c.name << " " << g.srcW << "x" << g.srcH << " -> "
                                          << g.dstW << "x" << g.dstH);
        Plane<S> src(g.srcW, g.srcH);
        Plane<D> dst(g.dstW, g.dstH);
        if (g.corners) {
            FillCorners(src);
            FillCorners(dst);
        } else {
            FillRandom(src);
            FillRandom(dst);
        }
        for (size_t i = 0; i < src.pixels.size(); i += 5) src.pixels[i] = static_cast<S>(kKey);
        Plane<D> expected = dst;
        const StretchStep step = MakeStretch(g.srcW, g.dstW, g.srcH, g.dstH);
        for (std::int32_t y = 0; y < g.dstH; ++y) {
            for (std::int32_t x = 0; x < g.dstW; ++x) {
                std::int32_t sx = x, sy = y;
                if (c.form == Form::Stretched || c.form == Form::StretchedMirrored) {
                    sx = StretchIndex(x, step.xErr, step.xRem, step.xDen, step.xStep);
                    sy = StretchIndex(y, step.yErr, step.yRem, step.yDen, step.yStep);
                }
                if (c.form == Form::Mirrored || c.form == Form::StretchedMirrored) {
                    sx = g.srcW - 1 - sx;
                }
                expected.At(x, y) = c.rule(dst.At(x, y), src.At(sx, sy));
            }
        }
        const std::int32_t rowBytes = g.srcW * static_cast<std::int32_t>(sizeof(S));
        switch (c.form) {
            case Form::Straight:
                c.run(dst.Row(0), src.Row(0), dst.Skip(), src.Skip(), g.dstW, g.dstH, step);
                break;
            case Form::Mirrored:
                c.run(dst.Row(0), src.Row(0) + g.srcW, dst.Skip(), src.Pitch() + rowBytes, g.dstW,
                      g.dstH, step);
                break;
            case Form::Stretched:
                c.run(dst.Row(0), src.Row(0), dst.Skip(), src.Pitch(), g.dstW, g.dstH, step);
                break;
            case Form::StretchedMirrored:
                c.run(dst.Row(0), src.Row(0) + g.srcW, dst.Skip(), src.Pitch(), g.dstW, g.dstH,
                      step);
                break;
        }
        // Whole planes, padding included: nothing outside the rectangle may change.
        ASSERT_EQ(expected.pixels, dst.pixels);
    }
}

}  // namespace kerneltest

// Adaptors from the kernels' own argument lists to the harness's.
#define KT_PLAIN(kernel, ...)                                                                    \
    [](auto* d, const auto* s, std::int32_t ds, std::int32_t sa, std::int32_t w, std::int32_t h, \
       const StretchStep&) { kernel(d, s, ds, sa, w, h, ##__VA_ARGS__); }
#define KT_STRETCH(kernel, ...)                                                                  \
    [](auto* d, const auto* s, std::int32_t ds, std::int32_t sa, std::int32_t w, std::int32_t h, \
       const StretchStep& st) { kernel(d, s, ds, sa, w, h, st, ##__VA_ARGS__); }
