#include "framework/images/dib_conversion.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/dib_writer.h"

using testsupport::Dib;
using testsupport::DibLayout;

namespace {

struct DibCase {
    const char* name;
    DibLayout layout;
    POINT from;  // source point
    std::int32_t width, height;
    std::vector<std::uint32_t> argb;  // expected, row by row
    std::vector<std::uint32_t> rgb;
    std::vector<std::uint8_t> index;
};

const std::uint32_t kSentinel = 0xA5A5A5A5;

// Converts into a 10 x 5 destination at (1, 2) and checks the rectangle and everything around.
template <class D, class F>
void CheckTarget(const DibCase& c, const std::vector<D>& expected, F convert) {
    const std::int32_t stride = 10;
    std::vector<D> dst(stride * 5, static_cast<D>(kSentinel));
    const Dib dib(c.layout);
    const RECT rect = {1, 2, 1 + c.width, 2 + c.height};
    ASSERT_EQ(1, convert(dst.data(), rect, stride * static_cast<std::int32_t>(sizeof(D)),
                         dib.Info(), dib.Bits(), dib.Pitch(), c.from));
    for (std::int32_t y = 0; y < 5; ++y) {
        for (std::int32_t x = 0; x < stride; ++x) {
            const bool inside = x >= 1 && x < 1 + c.width && y >= 2 && y < 2 + c.height;
            const D want =
                inside ? expected[(y - 2) * c.width + (x - 1)] : static_cast<D>(kSentinel);
            EXPECT_EQ(want, dst[y * stride + x]) << "at " << x << "," << y;
        }
    }
}

TEST(DibConversion, EveryDepthIntoEveryTarget) {
    std::vector<std::uint32_t> palette16;
    for (std::uint32_t i = 0; i < 16; ++i) palette16.push_back(i << 24 | i * 0x00111111);
    std::vector<std::uint32_t> grey10;
    for (std::uint32_t i = 0; i < 10; ++i) grey10.push_back(i * 0x00010101);
    const DibCase cases[] = {
        {"1-bit from x = 3, across the byte boundary",
         {1, 10, {{0, 0, 0, 1, 0, 1, 1, 0, 0, 1}}, {0x11223344, 0x00AABBCC}},
         {3, 0},
         7,
         1,
         {0xFFAABBCC, 0xFF223344, 0xFFAABBCC, 0xFFAABBCC, 0xFF223344, 0xFF223344, 0xFFAABBCC},
         {0x00AABBCC, 0x11223344, 0x00AABBCC, 0x00AABBCC, 0x11223344, 0x11223344, 0x00AABBCC},
         {1, 0, 1, 1, 0, 0, 1}},
        {"1-bit rectangle ending inside the first byte",
         {1, 8, {{1, 0, 1, 0, 1, 0, 1, 0}}, {0x00000000, 0x00FFFFFF}},
         {2, 0},
         2,
         1,
         {0xFFFFFFFF, 0xFF000000},
         {0x00FFFFFF, 0x00000000},
         {1, 0}},
        {"4-bit from an odd x starts with the low nibble",
         {4, 3, {{1, 2, 3}, {4, 5, 15}}, palette16},
         {1, 0},
         2,
         2,
         {0xFF222222, 0xFF333333, 0xFF555555, 0xFFFFFFFF},
         {0x02222222, 0x03333333, 0x05555555, 0x0FFFFFFF},
         {2, 3, 5, 15}},
        {"8-bit with a 3-colour table: other indexes read zeros",
         {8, 3, {{0, 1, 2}, {200, 2, 1}}, {0x00FF0000, 0x0000FF00, 0x000000FF}},
         {0, 0},
         3,
         2,
         {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF000000, 0xFF0000FF, 0xFF00FF00},
         {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00000000, 0x000000FF, 0x0000FF00},
         {0, 1, 2, 200, 2, 1}},
        {"16-bit is 5-5-5, grey from v >> 7",
         {16, 2, {{0x7FFF, 0x8443}}, {}},
         {0, 0},
         2,
         1,
         {0xFFF8F8F8, 0xFF081018},
         {0x00F8F8F8, 0x00081018},
         {250, 91}},
        {"24-bit",
         {24, 2, {{0x102030, 0xFFFFFF}, {0x000000, 0x80FF00}}, {}},
         {0, 0},
         2,
         2,
         {0xFF102030, 0xFFFFFFFF, 0xFF000000, 0xFF80FF00},
         {0x00102030, 0x00FFFFFF, 0x00000000, 0x0080FF00},
         {29, 255, 0, 187}},
        {"24-bit top-down gives the same picture",
         {24, 2, {{0x102030, 0xFFFFFF}, {0x000000, 0x80FF00}}, {}, BI_RGB, true},
         {0, 0},
         2,
         2,
         {0xFF102030, 0xFFFFFFFF, 0xFF000000, 0xFF80FF00},
         {0x00102030, 0x00FFFFFF, 0x00000000, 0x0080FF00},
         {29, 255, 0, 187}},
        {"32-bit keeps its fourth byte only as ARGB",
         {32, 2, {{0x80102030, 0xFFFFFFFF}}, {}},
         {0, 0},
         2,
         1,
         {0x80102030, 0xFFFFFFFF},
         {0x00102030, 0x00FFFFFF},
         {29, 255}},
        {"a rectangle from the lower right of a bottom-up picture",
         {8, 3, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, grey10},
         {1, 1},
         2,
         2,
         {0xFF050505, 0xFF060606, 0xFF080808, 0xFF090909},
         {0x00050505, 0x00060606, 0x00080808, 0x00090909},
         {5, 6, 8, 9}},
    };
    for (const DibCase& c : cases) {
        SCOPED_TRACE(c.name);
        CheckTarget(c, c.argb, ConvertDibToArgb);
        CheckTarget(c, c.rgb, ConvertDibTo32);
        CheckTarget(c, c.index, ConvertDibTo8);
    }
}

TEST(DibConversion, RefusedSourcesLeaveTheDestinationUntouched) {
    struct Refusal {
        const char* name;
        DibLayout layout;
        POINT from;
        std::int32_t width, height;
    };
    const Refusal refusals[] = {
        {"run-length 8-bit", {8, 2, {{1, 2}}, {0, 0}, BI_RLE8}, {0, 0}, 2, 1},
        {"run-length 4-bit", {4, 2, {{1, 2}}, {0, 0}, BI_RLE4}, {0, 0}, 2, 1},
        {"JPEG inside a 24-bit header", {24, 2, {{1, 2}}, {}, BI_JPEG}, {0, 0}, 2, 1},
        {"2 bits per pixel", {2, 2, {{1, 2}}, {}}, {0, 0}, 2, 1},
        {"rows below the picture", {8, 2, {{1, 2}, {3, 4}}, {0, 0}}, {0, 1}, 2, 2},
        {"columns right of the picture", {8, 2, {{1, 2}}, {0, 0}}, {1, 0}, 2, 1},
        {"a negative source point", {8, 2, {{1, 2}}, {0, 0}}, {0, -1}, 2, 1},
        {"top-down rows below the picture", {24, 1, {{1}}, {}, BI_RGB, true}, {0, 0}, 1, 2},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        const Dib dib(r.layout);
        const RECT rect = {0, 0, r.width, r.height};
        std::vector<std::uint32_t> wide(8, kSentinel);
        std::vector<std::uint8_t> narrow(8, 0xA5);
        EXPECT_EQ(0, ConvertDibToArgb(wide.data(), rect, 16, dib.Info(), dib.Bits(), dib.Pitch(),
                                      r.from));
        EXPECT_EQ(
            0, ConvertDibTo32(wide.data(), rect, 16, dib.Info(), dib.Bits(), dib.Pitch(), r.from));
        EXPECT_EQ(
            0, ConvertDibTo8(narrow.data(), rect, 4, dib.Info(), dib.Bits(), dib.Pitch(), r.from));
        EXPECT_EQ(std::vector<std::uint32_t>(8, kSentinel), wide);
        EXPECT_EQ(std::vector<std::uint8_t>(8, 0xA5), narrow);
    }
}

}  // namespace
