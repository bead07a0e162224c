#include "graphics/surfaces/dib_surface_conversion.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/dib_writer.h"

using testsupport::Dib;
using testsupport::DibLayout;

namespace {

using Converter = std::int32_t (*)(std::uint8_t*, const RECT&, std::int32_t, const BITMAPINFO*,
                                   const std::uint8_t*, std::int32_t, POINT);

struct Destination {
    const char* name;
    Converter convert;
    int bytes;
};

const Destination kDestinations[] = {
    {"5-5-5", ConvertDibTo555, 2},     {"5-6-5", ConvertDibTo565, 2},
    {"24-bit", ConvertDibTo24, 3},     {"ARGB 1-5-5-5", ConvertDibTo1555, 2},
    {"ARGB 4-4-4-4", ConvertDibTo4444, 2},
};

constexpr std::uint8_t kCanary = 0xA5;
constexpr int kColumns = 10, kRows = 5, kPadding = 2;

// Converts into a 10 x 5 destination (rows 2 bytes longer than their pixels) at (1, 2) and
// answers every pixel there, canaries included: 0xA5A5 or 0xA5A5A5 where nothing was written.
std::vector<std::uint32_t> ConvertInto(const Destination& d, const Dib& dib, POINT from,
                                       std::int32_t width, std::int32_t height,
                                       std::int32_t* result) {
    const std::int32_t pitch = kColumns * d.bytes + kPadding;
    std::vector<std::uint8_t> memory(static_cast<size_t>(pitch) * kRows, kCanary);
    const RECT rect = {1, 2, 1 + width, 2 + height};
    *result = d.convert(memory.data(), rect, pitch, dib.Info(), dib.Bits(), dib.Pitch(), from);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            const std::uint8_t* p = memory.data() + y * pitch + x * d.bytes;
            std::uint32_t v = 0;
            for (int i = 0; i < d.bytes; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
            pixels.push_back(v);
        }
    }
    for (int y = 0; y < kRows; ++y)
        for (int i = kColumns * d.bytes; i < pitch; ++i)
            EXPECT_EQ(kCanary, memory[y * pitch + i]) << "row padding of row " << y;
    return pixels;
}

std::vector<std::uint32_t> Greys(std::uint32_t count) {
    std::vector<std::uint32_t> table;
    for (std::uint32_t i = 0; i < count; ++i) table.push_back(i * 0x00111111u);
    return table;
}

struct ConversionCase {
    const char* name;
    DibLayout layout;
    POINT from;
    std::int32_t width, height;
    // Written over biClrUsed after the DIB is built; -1 keeps the table's length.
    std::int64_t clrUsed;
    // Expected, row by row, per destination in kDestinations' order (24-bit as 0xRRGGBB).
    std::vector<std::uint32_t> expected[5];
};

TEST(DibSurfaceConversion, EverySourceDepthIntoEverySixteenAndTwentyFourBitFormat) {
    std::vector<std::uint32_t> table256(256, 0);
    table256[200] = 0x00FF8040;
    const ConversionCase cases[] = {
        {"1-bit from column 3 takes the low five bits of the first byte first",
         {1, 10, {{0, 0, 0, 1, 0, 1, 1, 0, 0, 1}}, {0x00FFFFFF, 0x80102030}},
         {3, 0}, 7, 1, -1,
         {{0x0886, 0x7FFF, 0x0886, 0x0886, 0x7FFF, 0x7FFF, 0x0886},
          {0x1106, 0xFFFF, 0x1106, 0x1106, 0xFFFF, 0xFFFF, 0x1106},
          {0x102030, 0xFFFFFF, 0x102030, 0x102030, 0xFFFFFF, 0xFFFFFF, 0x102030},
          {0x8886, 0xFFFF, 0x8886, 0x8886, 0xFFFF, 0xFFFF, 0x8886},
          {0xF123, 0xFFFF, 0xF123, 0xF123, 0xFFFF, 0xFFFF, 0xF123}}},
        {"4-bit from an odd column starts with the low nibble",
         {4, 3, {{1, 2, 3}, {4, 5, 15}}, Greys(16)},
         {1, 0}, 2, 2, -1,
         {{0x1084, 0x18C6, 0x294A, 0x7FFF},
          {0x2104, 0x3186, 0x52AA, 0xFFFF},
          {0x222222, 0x333333, 0x555555, 0xFFFFFF},
          {0x9084, 0x98C6, 0xA94A, 0xFFFF},
          {0xF222, 0xF333, 0xF555, 0xFFFF}}},
        {"8-bit with biClrUsed 16: an index past the table writes 0",
         {8, 3, {{0, 1, 200}}, Greys(16)},
         {0, 0}, 3, 1, -1,
         {{0, 0x0842, 0}, {0, 0x1082, 0}, {0, 0x111111, 0}, {0x8000, 0x8842, 0}, {0xF000, 0xF111, 0}}},
        {"8-bit with biClrUsed 0 reads 256 entries",
         {8, 2, {{200, 0}}, table256},
         {0, 0}, 2, 1, 0,
         {{0x7E08, 0}, {0xFC08, 0}, {0xFF8040, 0}, {0xFE08, 0x8000}, {0xFF84, 0xF000}}},
        {"biClrUsed 1000 on 1 bit reads two entries",
         {1, 2, {{0, 1}}, {0x00FFFFFF, 0}},
         {0, 0}, 2, 1, 1000,
         {{0x7FFF, 0}, {0xFFFF, 0}, {0xFFFFFF, 0}, {0xFFFF, 0x8000}, {0xFFFF, 0xF000}}},
        {"16-bit is 5-5-5 and opaque in the alpha formats",
         {16, 3, {{0x7FFF, 0x8443, 0x0000}}, {}},
         {0, 0}, 3, 1, -1,
         {{0x7FFF, 0x8443, 0}, {0xFFDF, 0x0883, 0}, {0xF8F8F8, 0x081018, 0},
          {0xFFFF, 0x8443, 0x8000}, {0xFFFF, 0xF011, 0xF000}}},
        {"16-bit rectangle from the lower right of a bottom-up picture",
         {16, 3, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {}},
         {1, 1}, 2, 2, -1,
         {{5, 6, 8, 9}, {5, 6, 8, 9}, {0x28, 0x30, 0x40, 0x48},
          {0x8005, 0x8006, 0x8008, 0x8009}, {0xF002, 0xF003, 0xF004, 0xF004}}},
        {"24-bit",
         {24, 2, {{0xFF8040, 0x102030}}, {}},
         {0, 0}, 2, 1, -1,
         {{0x7E08, 0x0886}, {0xFC08, 0x1106}, {0xFF8040, 0x102030}, {0xFE08, 0x8886},
          {0xFF84, 0xF123}}},
        {"24-bit top-down",
         {24, 1, {{0xFF8040}, {0x102030}}, {}, BI_RGB, true},
         {0, 0}, 1, 2, -1,
         {{0x7E08, 0x0886}, {0xFC08, 0x1106}, {0xFF8040, 0x102030}, {0xFE08, 0x8886},
          {0xFF84, 0xF123}}},
        {"32-bit: alpha 0x80 sets the 1-5-5-5 bit, 0x7F clears it",
         {32, 3, {{0x80FF8040, 0x7FFF8040, 0x00102030}}, {}},
         {0, 0}, 3, 1, -1,
         {{0x7E08, 0x7E08, 0x0886}, {0xFC08, 0xFC08, 0x1106}, {0xFF8040, 0xFF8040, 0x102030},
          {0xFE08, 0x7E08, 0x0886}, {0x8F84, 0x7F84, 0x0123}}},
    };
    for (const ConversionCase& c : cases) {
        SCOPED_TRACE(c.name);
        Dib dib(c.layout);
        if (c.clrUsed >= 0) dib.MutableInfo()->bmiHeader.biClrUsed = static_cast<DWORD>(c.clrUsed);
        for (int d = 0; d < 5; ++d) {
            const Destination& dest = kDestinations[d];
            SCOPED_TRACE(dest.name);
            std::int32_t result = 0;
            const std::vector<std::uint32_t> pixels = ConvertInto(dest, dib, c.from, c.width, c.height, &result);
            ASSERT_EQ(1, result);
            const std::uint32_t canary = dest.bytes == 2 ? 0xA5A5 : 0xA5A5A5;
            for (int y = 0; y < kRows; ++y) {
                for (int x = 0; x < kColumns; ++x) {
                    const bool inside = x >= 1 && x < 1 + c.width && y >= 2 && y < 2 + c.height;
                    const std::uint32_t want = inside ? c.expected[d][(y - 2) * c.width + (x - 1)] : canary;
                    EXPECT_EQ(want, pixels[y * kColumns + x]) << "at " << x << "," << y;
                }
            }
        }
    }
}

TEST(DibSurfaceConversion, RefusedSourcesWriteNothing) {
    struct Refusal {
        const char* name;
        DibLayout layout;
        POINT from;
        std::int32_t width, height;
    };
    const Refusal refusals[] = {
        {"run-length 4-bit", {4, 2, {{1, 2}}, Greys(16), BI_RLE4}, {0, 0}, 2, 1},
        {"run-length 8-bit", {8, 2, {{1, 2}}, Greys(16), BI_RLE8}, {0, 0}, 2, 1},
        {"2 bits per pixel", {2, 2, {{1, 2}}, Greys(4)}, {0, 0}, 2, 1},
        {"one column past the right edge", {24, 3, {{1, 2, 3}}, {}}, {1, 0}, 3, 1},
        {"one row past the bottom of a bottom-up picture", {24, 1, {{1}, {2}}, {}}, {0, 1}, 1, 2},
        {"one row past the bottom of a top-down picture", {24, 1, {{1}, {2}}, {}, BI_RGB, true}, {0, 1}, 1, 2},
        {"a negative source point", {16, 2, {{1, 2}}, {}}, {-1, 0}, 1, 1},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        const Dib dib(r.layout);
        for (const Destination& dest : kDestinations) {
            SCOPED_TRACE(dest.name);
            std::int32_t result = 1;
            const std::vector<std::uint32_t> pixels = ConvertInto(dest, dib, r.from, r.width, r.height, &result);
            EXPECT_EQ(0, result);
            const std::uint32_t canary = dest.bytes == 2 ? 0xA5A5 : 0xA5A5A5;
            EXPECT_EQ(std::vector<std::uint32_t>(pixels.size(), canary), pixels);
        }
    }
}

}  // namespace
