// Invert and mosaic on surface memory of every format, and the clipped blits between Wine's
// DirectDraw surfaces.
#include "graphics/surfaces/surface_effects.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/compose/pixel_format.h"
#include "graphics/image/kernel_form.h"
#include "tests/graphics/surfaces/direct_draw_image_fixture.h"

namespace {

using namespace ddimage;

// Surface memory of width x height pixels of bytes each, rows 4 bytes longer than their pixels,
// every pixel a different value (its index times a large odd number, low bytes first).
class Memory {
public:
    Memory(int width, int height, int bytes)
        : width(width), height(height), bytes(bytes), pitch(width * bytes + 4),
          data(static_cast<size_t>(pitch) * height) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) Set(x, y, (y * width + x + 1) * 0x9E3779B1u);
        for (int y = 0; y < height; ++y)
            for (int i = width * bytes; i < pitch; ++i) data[y * pitch + i] = 0xEE;
    }
    std::uint32_t At(int x, int y) const {
        std::uint32_t v = 0;
        std::memcpy(&v, &data[y * pitch + x * bytes], bytes);
        return v;
    }
    void Set(int x, int y, std::uint32_t v) { std::memcpy(&data[y * pitch + x * bytes], &v, bytes); }
    std::uint8_t* Bits() { return data.data(); }

    int width, height, bytes, pitch;
    std::vector<std::uint8_t> data;
};

struct Format {
    std::int32_t code;
    int bytes;
};
const Format kFormats[] = {{kPixelFormatRgb555, 2},  {kPixelFormatRgb565, 2},
                           {kPixelFormatRgb24, 3},   {kPixelFormatXrgb32, 4},
                           {kPixelFormatArgb1555, 2}, {kPixelFormatArgb4444, 2},
                           {kPixelFormatArgb32, 4}};

TEST(InvertSurfaceMemory, FlipsTheModesBitsInTheRectangleOnly) {
    struct Case {
        std::int32_t code;
        int bytes;
        std::uint8_t mode;
        std::int32_t result;
        std::uint32_t inverted;  // of the pixel 0x12345678 cut to its bytes
    };
    const Case cases[] = {
        {kPixelFormatRgb555, 2, 0, 0, 0x2987},        {kPixelFormatRgb555, 2, 1, 1, 0},
        {kPixelFormatRgb555, 2, 2, 1, 0},             {kPixelFormatRgb565, 2, 0, 0, 0xA987},
        {kPixelFormatRgb565, 2, 1, 1, 0},             {kPixelFormatRgb565, 2, 2, 1, 0},
        {kPixelFormatRgb24, 3, 0, 0, 0xCBA987},       {kPixelFormatRgb24, 3, 1, 0, 0xCBA987},
        {kPixelFormatRgb24, 3, 2, 1, 0},              {kPixelFormatXrgb32, 4, 0, 0, 0x12CBA987},
        {kPixelFormatXrgb32, 4, 1, 0, 0xEDCBA987},    {kPixelFormatXrgb32, 4, 2, 1, 0},
        {kPixelFormatArgb32, 4, 0, 0, 0x12CBA987},    {kPixelFormatArgb32, 4, 1, 0, 0xEDCBA987},
        {kPixelFormatArgb32, 4, 2, 0, 0xED345678},    {kPixelFormatArgb1555, 2, 0, 0, 0x2987},
        {kPixelFormatArgb1555, 2, 1, 0, 0xA987},      {kPixelFormatArgb1555, 2, 2, 0, 0xD678},
        {kPixelFormatArgb4444, 2, 0, 0, 0x5987},      {kPixelFormatArgb4444, 2, 1, 0, 0xA987},
        {kPixelFormatArgb4444, 2, 2, 0, 0xA678},      {kPixelFormatPalette8, 1, 0, 2, 0},
        {kPixelFormatOther, 4, 0, 2, 0},
    };
    for (KernelForm form : {KernelForm::Plain, KernelForm::Mmx}) {
        ForceKernelForm(form);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "code " << c.code << " mode " << int(c.mode)
                                            << (form == KernelForm::Mmx ? " MMX" : " plain"));
            Memory memory(6, 4, c.bytes);
            const std::uint32_t cut = c.bytes == 4 ? 0xFFFFFFFFu : (1u << (8 * c.bytes)) - 1;
            memory.Set(2, 1, 0x12345678 & cut);
            const Memory before = memory;
            const RECT rect = {1, 1, 4, 3};
            ASSERT_EQ(c.result, InvertSurfaceMemory(c.mode, c.code, memory.Bits(), memory.pitch, &rect, nullptr));
            if (c.result != 0) {
                EXPECT_EQ(before.data, memory.data);
                continue;
            }
            EXPECT_EQ(c.inverted, memory.At(2, 1));
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 6; ++x) {
                    const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
                    EXPECT_EQ(inside, memory.At(x, y) != before.At(x, y)) << x << "," << y;
                }
            ASSERT_EQ(0, InvertSurfaceMemory(c.mode, c.code, memory.Bits(), memory.pitch, &rect, nullptr));
            EXPECT_EQ(before.data, memory.data) << "inverting twice restores every byte";
        }
    }
    ForceKernelForm(KernelForm::Detected);
}

TEST(InvertSurfaceMemory, WorksOnTheClipsIntersectionAndHandsItBack) {
    Memory memory(8, 4, 4);
    const Memory before = memory;
    const RECT rect = {1, 0, 6, 4};
    RECT clip = {3, 1, 20, 3};
    ASSERT_EQ(0, InvertSurfaceMemory(kInvertColour, kPixelFormatXrgb32, memory.Bits(), memory.pitch, &rect, &clip));
    EXPECT_EQ(3, clip.left);
    EXPECT_EQ(1, clip.top);
    EXPECT_EQ(6, clip.right);
    EXPECT_EQ(3, clip.bottom);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 3 && x < 6 && y >= 1 && y < 3;
            EXPECT_EQ(inside ? before.At(x, y) ^ 0x00FFFFFF : before.At(x, y), memory.At(x, y)) << x << "," << y;
        }

    RECT disjoint = {10, 0, 12, 4};
    EXPECT_EQ(-1, InvertSurfaceMemory(kInvertColour, kPixelFormatXrgb32, memory.Bits(), memory.pitch, &rect, &disjoint));
    EXPECT_EQ(-1, MosaicSurfaceMemory(kPixelFormatXrgb32, memory.Bits(), memory.pitch, &rect, &disjoint, 4, 0));
    EXPECT_EQ(1, InvertSurfaceMemory(kInvertColour, kPixelFormatXrgb32, nullptr, memory.pitch, &rect, nullptr));
    EXPECT_EQ(1, InvertSurfaceMemory(kInvertColour, kPixelFormatXrgb32, memory.Bits(), memory.pitch, nullptr, nullptr));
    EXPECT_EQ(1, MosaicSurfaceMemory(kPixelFormatXrgb32, nullptr, memory.pitch, &rect, nullptr, 4, 0));
    EXPECT_EQ(2, MosaicSurfaceMemory(kPixelFormatPalette8, memory.Bits(), memory.pitch, &rect, nullptr, 4, 0));
}

// The widths of the columns (or heights of the bands) of cells a mosaic leaves, read from the
// pixels: a new cell starts where a pixel differs from its left (upper) neighbour.
std::vector<int> Runs(const Memory& m, const RECT& area, bool columns) {
    std::vector<int> runs;
    const int from = columns ? area.left : area.top;
    const int to = columns ? area.right : area.bottom;
    int start = from;
    for (int i = from + 1; i <= to; ++i) {
        const bool differs = i == to || (columns ? m.At(i, area.top) != m.At(i - 1, area.top)
                                                 : m.At(area.left, i) != m.At(area.left, i - 1));
        if (differs) {
            runs.push_back(i - start);
            start = i;
        }
    }
    return runs;
}

TEST(MosaicSurfaceMemory, AnchorsLayTheGridAndEveryCellTakesItsTopLeftPixel) {
    struct Case {
        std::uint8_t anchor;
        std::vector<int> columns, rows;  // of a 20 x 13 area, cells of 8
    };
    const Case cases[] = {
        {kMosaicCentred, {6, 8, 6}, {2, 8, 3}},    {kMosaicTopLeft, {8, 8, 4}, {8, 5}},
        {kMosaicTopRight, {4, 8, 8}, {8, 5}},      {kMosaicBottomLeft, {8, 8, 4}, {5, 8}},
        {kMosaicBottomRight, {4, 8, 8}, {5, 8}},   {9, {6, 8, 6}, {2, 8, 3}},
    };
    for (const Format& format : kFormats) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "code " << format.code << " anchor " << int(c.anchor));
            Memory memory(24, 16, format.bytes);
            const Memory before = memory;
            const RECT rect = {3, 2, 23, 15};
            ASSERT_EQ(0, MosaicSurfaceMemory(format.code, memory.Bits(), memory.pitch, &rect, nullptr, 8, c.anchor));
            EXPECT_EQ(c.columns, Runs(memory, rect, true));
            EXPECT_EQ(c.rows, Runs(memory, rect, false));
            // Each pixel is the original pixel at its cell's left column and band's top row.
            std::vector<int> cellLeft, bandTop;
            for (int i = 0, at = rect.left; i < static_cast<int>(c.columns.size()); at += c.columns[i++])
                for (int k = 0; k < c.columns[i]; ++k) cellLeft.push_back(at);
            for (int i = 0, at = rect.top; i < static_cast<int>(c.rows.size()); at += c.rows[i++])
                for (int k = 0; k < c.rows[i]; ++k) bandTop.push_back(at);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 24; ++x) {
                    const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
                    const std::uint32_t want = inside ? before.At(cellLeft[x - rect.left], bandTop[y - rect.top])
                                                      : before.At(x, y);
                    ASSERT_EQ(want, memory.At(x, y)) << x << "," << y;
                }
            for (int y = 0; y < 16; ++y)
                for (int i = 24 * format.bytes; i < memory.pitch; ++i) ASSERT_EQ(0xEE, memory.data[y * memory.pitch + i]);
        }
    }
}

TEST(MosaicSurfaceMemory, CellsOfOnePixelAndThinAreasChangeNothing) {
    struct Case {
        const char* name;
        RECT rect;
        std::int32_t cell;
    };
    const Case cases[] = {
        {"cell 1", {0, 0, 10, 10}, 1},
        {"cell 0", {0, 0, 10, 10}, 0},
        {"2 rows high", {0, 3, 10, 5}, 4},
        {"2 columns wide", {4, 0, 6, 10}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Memory memory(10, 10, 4);
        const Memory before = memory;
        EXPECT_EQ(0, MosaicSurfaceMemory(kPixelFormatXrgb32, memory.Bits(), memory.pitch, &c.rect, nullptr, c.cell, 0));
        EXPECT_EQ(before.data, memory.data);
    }
    // The clip given receives the intersection.
    Memory memory(10, 10, 4);
    const RECT rect = {0, 0, 10, 10};
    RECT clip = {2, -5, 7, 4};
    EXPECT_EQ(0, MosaicSurfaceMemory(kPixelFormatXrgb32, memory.Bits(), memory.pitch, &rect, &clip, 2, 1));
    EXPECT_EQ(2, clip.left);
    EXPECT_EQ(0, clip.top);
    EXPECT_EQ(7, clip.right);
    EXPECT_EQ(4, clip.bottom);
    EXPECT_EQ(memory.At(2, 0), memory.At(3, 1));
    EXPECT_NE(memory.At(1, 0), memory.At(2, 0));
    EXPECT_EQ(memory.At(6, 0), memory.At(6, 1));
    EXPECT_NE(memory.At(6, 3), memory.At(6, 4));
}

// Clipped blits between Wine's surfaces (32-bit display).
using ClippedBltOnWine = DirectDrawImageFixture;

std::uint32_t Colour(int x, int y) { return 0x00100000u * (y + 1) + 0x00000100u * (x + 1) + 0x07; }

void Paint(DirectDrawImage& image, std::uint32_t (*colour)(int, int)) {
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) PokePixel(image.GetSurface(), x, y, colour(x, y));
}

TEST_F(ClippedBltOnWine, BltFastDrawsTheVisiblePartWithAndWithoutTheKey) {
    DirectDrawImage source, destination;
    ASSERT_EQ(0, source.Create(16, 4, false, false, nullptr));
    ASSERT_EQ(0, destination.Create(16, 8, false, false, nullptr));
    Paint(source, Colour);
    ASSERT_TRUE(PokePixel(source.GetSurface(), 12, 2, 0x00FF00FF));
    ASSERT_EQ(0, source.SetColourKeyRgb(0xFF, 0x00, 0xFF));
    const RECT whole = {0, 0, 16, 4};
    const RECT clip = {0, 0, 16, 8};
    for (std::int32_t key : {-1, 0}) {
        SCOPED_TRACE(key == -1 ? "unkeyed" : "keyed");
        ASSERT_EQ(0, destination.FillColour(0, 0, 0));
        ASSERT_EQ(0, BltFastClipped(destination.GetSurface(), source.GetSurface(), -10, 1, &whole, &clip, key));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) {
                std::uint32_t want = 0;
                if (x < 6 && y >= 1 && y < 5) want = Colour(x + 10, y - 1);
                if (x == 2 && y == 3) want = key == -1 ? 0x00FF00FF : 0;
                EXPECT_EQ(want, static_cast<std::uint32_t>(destination.GetPixel(x, y))) << x << "," << y;
            }
    }
    const RECT outside = {20, 0, 30, 8};
    EXPECT_EQ(0, BltFastClipped(destination.GetSurface(), source.GetSurface(), 0, 0, &whole, &outside, -1));
    EXPECT_EQ(1, BltFastClipped(nullptr, source.GetSurface(), 0, 0, &whole, &clip, -1));
    EXPECT_EQ(1, BltFastClipped(destination.GetSurface(), source.GetSurface(), 0, 0, &whole, nullptr, -1));
}

// Colours a step of 0x40 red a row and 0x30 green a column apart.
std::uint32_t Spread(int x, int y) {
    return static_cast<std::uint32_t>(0x40 * (y + 1)) << 16 | static_cast<std::uint32_t>(0x30 * (x + 1)) << 8 | 0x07;
}

// Pixels that come in pairs of columns and rows, so that a halving stretch has one answer.
std::uint32_t Pairs(int x, int y) { return Colour(x / 2, y / 2); }

TEST_F(ClippedBltOnWine, BltStretchesAndTrimsTheSourceInProportion) {
    DirectDrawImage small, large, destination;
    ASSERT_EQ(0, small.Create(4, 2, false, false, nullptr));
    ASSERT_EQ(0, large.Create(8, 4, false, false, nullptr));
    ASSERT_EQ(0, destination.Create(16, 8, false, false, nullptr));
    Paint(large, Pairs);
    const RECT clip = {0, 0, 16, 8};

    // Twice the size, two drawn columns cut on the left: one source column goes. Wine's
    // DirectDraw filters a stretch linearly, so each drawn pixel lies within a quarter step of
    // the source pixel it stands for (a source trimmed out of proportion is a step or more off).
    ASSERT_EQ(0, destination.FillColour(0, 0, 0));
    Paint(small, Spread);
    const RECT smallRect = {0, 0, 4, 2};
    const SIZE twice = {8, 4};
    ASSERT_EQ(0, BltClipped(destination.GetSurface(), small.GetSurface(), &twice, -2, 0, &smallRect, &clip, -1));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::uint32_t got = static_cast<std::uint32_t>(destination.GetPixel(x, y));
            if (x >= 6 || y >= 4) {
                EXPECT_EQ(0u, got) << x << "," << y;
                continue;
            }
            const std::uint32_t want = Spread(x / 2 + 1, y / 2);
            EXPECT_NEAR(int(want >> 16), int(got >> 16), 0x11) << "red at " << x << "," << y;
            EXPECT_NEAR(int((want >> 8) & 0xFF), int((got >> 8) & 0xFF), 0x0D) << "green at " << x << "," << y;
            EXPECT_EQ(0x07u, got & 0xFF);
        }

    // Half the size, one drawn column cut: two source columns go.
    ASSERT_EQ(0, destination.FillColour(0, 0, 0));
    const RECT largeRect = {0, 0, 8, 4};
    const SIZE half = {4, 2};
    ASSERT_EQ(0, BltClipped(destination.GetSurface(), large.GetSurface(), &half, -1, 0, &largeRect, &clip, -1));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::uint32_t want = x < 3 && y < 2 ? Colour(x + 1, y) : 0;
            EXPECT_EQ(want, static_cast<std::uint32_t>(destination.GetPixel(x, y))) << x << "," << y;
        }
    EXPECT_EQ(1, BltClipped(destination.GetSurface(), nullptr, &half, 0, 0, &largeRect, &clip, -1));
}

}  // namespace
