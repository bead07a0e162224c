#include "graphics/image/plane_kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/graphics/image/kernel_form_harness.h"

using namespace kerneltest;

namespace {

using PlaneCase = KernelCase<std::uint8_t, std::uint8_t>;

TEST(PlaneKernels, CopiesForwardsAndBackwards) {
    const std::uint8_t src[2][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    std::uint8_t dst[2][5] = {};
    KernelPlaneCopy(&dst[0][0], &src[0][0], 1, 0, 4, 2, 1);
    EXPECT_EQ((std::vector<std::uint8_t>{1, 2, 3, 4, 0, 5, 6, 7, 8, 0}),
              std::vector<std::uint8_t>(&dst[0][0], &dst[0][0] + 10));

    std::uint8_t mirrored[2][5] = {};
    // From the rightmost pixel leftwards; the skip leads to the next row's rightmost pixel.
    KernelPlaneCopy(&mirrored[0][0], &src[0][3], 1, 8, 4, 2, -1);
    EXPECT_EQ((std::vector<std::uint8_t>{4, 3, 2, 1, 0, 8, 7, 6, 5, 0}),
              std::vector<std::uint8_t>(&mirrored[0][0], &mirrored[0][0] + 10));

    std::uint8_t keyed[4] = {9, 9, 9, 9};
    KernelPlaneCopyKeyed(keyed, &src[0][0], 0, 0, 4, 1, 1, 0xFFFFFF03);
    EXPECT_EQ((std::vector<std::uint8_t>{1, 2, 9, 4}), std::vector<std::uint8_t>(keyed, keyed + 4));
}

TEST(PlaneKernels, StretchedMembersWalkLikeTheImageKernels) {
    auto copy = [](std::uint8_t, std::uint8_t s) { return s; };
    auto keyed = [](std::uint8_t d, std::uint8_t s) {
        return s == static_cast<std::uint8_t>(kKey) ? d : s;
    };
    const PlaneCase cases[] = {
        {"KernelPlaneStretch", Form::Stretched, KT_STRETCH(KernelPlaneStretch), copy},
        {"KernelPlaneStretchKeyed", Form::Stretched, KT_STRETCH(KernelPlaneStretchKeyed, kKey),
         keyed},
        {"KernelPlaneStretchMirrored", Form::StretchedMirrored,
         KT_STRETCH(KernelPlaneStretchMirrored), copy},
        {"KernelPlaneStretchMirroredKeyed", Form::StretchedMirrored,
         KT_STRETCH(KernelPlaneStretchMirroredKeyed, kKey), keyed},
    };
    for (const PlaneCase& c : cases) CheckKernelCase(c);
}

TEST(PlaneKernels, BilinearInterpolatesTheFourNeighbours) {
    Plane<std::uint8_t> src(9, 9, 0);
    FillCorners(src);
    // Three quarters of a pixel per step across, five eighths down, starting a quarter in.
    BilinearStep step = {0x40000000u, 0x20000000u, 0xC0000000ull, 0xA0000000ull};
    Plane<std::uint8_t> dst(8, 8);
    FillRandom(dst);
    Plane<std::uint8_t> expected = dst;
    for (std::int32_t y = 0; y < 8; ++y) {
        const double sy = 0.125 + y * 0.625;
        const std::int32_t row = static_cast<std::int32_t>(sy);
        const std::int32_t fy = static_cast<std::int32_t>((sy - row) * 256);
        for (std::int32_t x = 0; x < 8; ++x) {
            const double sx = 0.25 + x * 0.75;
            const std::int32_t col = static_cast<std::int32_t>(sx);
            const std::int32_t fx = static_cast<std::int32_t>((sx - col) * 256);
            auto lerp = [](double a, double b, std::int32_t f) {
                return a + std::floor((b - a) * f / 256.0);
            };
            const double top = lerp(src.At(col, row), src.At(col + 1, row), fx);
            const double bottom = lerp(src.At(col, row + 1), src.At(col + 1, row + 1), fx);
            expected.At(x, y) = static_cast<std::uint8_t>(lerp(top, bottom, fy));
        }
    }
    KernelPlaneBilinear(dst.Row(0), src.Row(0), dst.Skip(), src.Pitch(), 8, 8, step);
    EXPECT_EQ(expected.pixels, dst.pixels);
}

TEST(PlaneKernels, BlurUsesOnlyOldValues) {
    Plane<std::uint8_t> plane(6, 5, 2);
    FillCorners(plane);
    const Plane<std::uint8_t> old = plane;
    auto at = [&](std::int32_t x, std::int32_t y) { return static_cast<int>(old.At(x, y)); };
    Plane<std::uint8_t> expected = plane;
    for (std::int32_t y = 0; y < 5; ++y) {
        for (std::int32_t x = 0; x < 6; ++x) {
            const bool edgeRow = y == 0 || y == 4;
            const bool edgeColumn = x == 0 || x == 5;
            const int vertical = y == 0 ? at(x, 1) : y == 4 ? at(x, 3) : 0;
            const int inner = x == 0 ? at(1, y) : x == 5 ? at(4, y) : 0;
            int v;
            if (edgeRow && edgeColumn) {
                v = (vertical + 2 * at(x, y) + inner) >> 2;
            } else if (edgeRow) {
                v = (at(x, y) + vertical + at(x - 1, y) + at(x + 1, y)) >> 2;
            } else if (edgeColumn) {
                v = (at(x, y) + at(x, y - 1) + at(x, y + 1) + inner) >> 2;
            } else {
                v = (at(x, y - 1) + at(x, y + 1) + 2 * (at(x - 1, y) + at(x, y) + at(x + 1, y))) >>
                    3;
            }
            expected.At(x, y) = static_cast<std::uint8_t>(v);
        }
    }
    EXPECT_EQ(0, KernelPlaneBlur3x3(plane.Row(0), plane.Pitch(), 6, 5));
    EXPECT_EQ(expected.pixels, plane.pixels);

    Plane<std::uint8_t> narrow(3, 6);
    FillRandom(narrow);
    const Plane<std::uint8_t> before = narrow;
    EXPECT_EQ(1, KernelPlaneBlur3x3(narrow.Row(0), narrow.Pitch(), 3, 6));
    EXPECT_EQ(before.pixels, narrow.pixels);
}

TEST(PlaneKernels, MosaicCellsByAlignment) {
    struct Row {
        const char* what;
        std::int32_t width, height, cell, alignment;
        std::vector<std::int32_t> columnStarts, rowStarts;
    };
    const std::vector<Row> rows = {
        {"centred, 20 wide, cell 8", 20, 9, 8, 0, {0, 6, 14}, {0, 8}},
        {"right-aligned", 20, 9, 8, 2, {0, 4, 12}, {0, 8}},
        {"top-left, 10 x 10, cell 4", 10, 10, 4, 1, {0, 4, 8}, {0, 4, 8}},
        {"bottom", 10, 10, 4, 3, {0, 4, 8}, {0, 2, 6}},
        {"bottom-right", 10, 10, 4, 4, {0, 2, 6}, {0, 2, 6}},
        {"centred on an area no wider than a cell", 5, 5, 8, 7, {0}, {0}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Plane<std::uint8_t> plane(r.width, r.height);
        for (std::int32_t y = 0; y < r.height; ++y) {
            for (std::int32_t x = 0; x < r.width; ++x)
                plane.At(x, y) = static_cast<std::uint8_t>(x + 20 * y);
        }
        KernelPlaneMosaic(plane.Row(0), plane.Pitch(), r.width, r.height, r.cell, r.alignment);
        auto start = [](const std::vector<std::int32_t>& starts, std::int32_t v) {
            std::int32_t s = 0;
            for (std::int32_t t : starts) {
                if (t <= v) s = t;
            }
            return s;
        };
        for (std::int32_t y = 0; y < r.height; ++y) {
            for (std::int32_t x = 0; x < r.width; ++x) {
                const std::int32_t cx = start(r.columnStarts, x), cy = start(r.rowStarts, y);
                ASSERT_EQ(static_cast<std::uint8_t>(cx + 20 * cy), plane.At(x, y)) << x << "," << y;
            }
        }
    }

    Plane<std::uint8_t> tiny(2, 9);
    FillRandom(tiny);
    const Plane<std::uint8_t> before = tiny;
    KernelPlaneMosaic(tiny.Row(0), tiny.Pitch(), 2, 9, 2, 1);
    EXPECT_EQ(before.pixels, tiny.pixels);
}

TEST(PlaneKernels, ReduceSumsFourByFourBlocks) {
    Plane<std::uint8_t> plane(8, 4, 0);
    for (std::int32_t y = 0; y < 4; ++y) {
        for (std::int32_t x = 0; x < 4; ++x) plane.At(x, y) = 15;  // a full block
        for (std::int32_t x = 4; x < 8; ++x) plane.At(x, y) = 0;
    }
    plane.At(5, 1) = 8;  // v = 8: 8 | 1
    ReducePlane4x4(plane.Row(0), plane.Pitch(), 2, 1);
    EXPECT_EQ(246, plane.At(0, 0));
    EXPECT_EQ(9, plane.At(1, 0));
}

TEST(PlaneKernels, AlphaPlaneIntoSurfaceFormats) {
    const std::uint8_t plane[2] = {0x80, 0x7F};
    struct Row {
        std::uint32_t format;
        std::vector<std::uint8_t> before, after;
    };
    const Row rows[] = {
        {64, {0x34, 0x12, 0xFF, 0xFF}, {0x34, 0x92, 0xFF, 0x7F}},
        {128, {0x34, 0x12, 0xFF, 0xFF}, {0x34, 0x82, 0xFF, 0x7F}},
        {256, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 0x80, 5, 6, 7, 0x7F}},
        {32, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const Row& r : rows) {
        std::vector<std::uint8_t> surface = r.before;
        WriteAlphaPlane(r.format, surface.data(), 0, 0, 2, 1, 8, plane, 0, 0, 2);
        EXPECT_EQ(r.after, surface) << "format " << r.format;
    }
}

}  // namespace
