#include "effects/transitions/transition_routines.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/image/image.h"
#include "tests/effects/transitions/recording_surface_port.h"
#include "tests/support/coded_picture.h"

namespace {

using testsupport::CodedPicture;
using testsupport::PixelAt;
using transtest::DirectDrawPicture;
using transtest::RecordingSurfacePort;
using transtest::TextBitmapPicture;

constexpr std::uint8_t kTargetTop = 0x55;

std::vector<std::uint32_t> Pixels(Image& image) {
    std::vector<std::uint32_t> out;
    for (std::int32_t y = 0; y < image.Height(); ++y)
        for (std::int32_t x = 0; x < image.Width(); ++x) out.push_back(PixelAt(image, x, y));
    return out;
}

// Which source pixel a destination pixel shows after a routine: (-1, -1) for none.
using Model = std::function<POINT(std::int32_t x, std::int32_t y)>;

// The picture a routine should leave: model pixels from the source (mode 1 over an opaque source
// leaves the colour with alpha 0), the rest the destination as it was.
std::vector<std::uint32_t> Expected(Image& dst, Image& src, std::int32_t mode, const Model& model) {
    std::vector<std::uint32_t> out;
    for (std::int32_t y = 0; y < dst.Height(); ++y)
        for (std::int32_t x = 0; x < dst.Width(); ++x) {
            const POINT p = model(x, y);
            if (p.x < 0) {
                out.push_back(PixelAt(dst, x, y));
            } else {
                const std::uint32_t s = PixelAt(src, p.x, p.y);
                out.push_back(mode == 1 ? s & 0x00FFFFFFu : s);
            }
        }
    return out;
}

TEST(RunTransitionEffect, IndicesOutsideTheTableAnswerMinusOneWithoutDrawing) {
    Image dst, src;
    ASSERT_TRUE(CodedPicture(dst, 16, 8, kTargetTop));
    ASSERT_TRUE(CodedPicture(src, 13, 7, 0xFF));
    const std::vector<std::uint32_t> before = Pixels(dst);
    EXPECT_EQ(RunTransitionEffect(87, &dst, &src, 256, 0, 0, 0, nullptr), -1);
    EXPECT_EQ(RunTransitionEffect(-1, &dst, &src, 256, 0, 0, 0, nullptr), -1);
    EXPECT_EQ(Pixels(dst), before);
    // The last entry runs.
    EXPECT_EQ(RunTransitionEffect(86, &dst, &src, 256, 0, 0, 0, nullptr), 0);
    EXPECT_NE(Pixels(dst), before);
}

TEST(RunTransitionEffect, PairingsThatCannotBeDrawnAnswerOne) {
    RecordingSurfacePort port;
    Image image, other;
    ASSERT_TRUE(CodedPicture(image, 16, 8, kTargetTop));
    ASSERT_TRUE(CodedPicture(other, 13, 7, 0xFF));
    DirectDrawPicture direct;
    ASSERT_EQ(direct.Create(16, 8, 32, false), 0);
    ScreenDevice* device = reinterpret_cast<ScreenDevice*>(0x3000);
    const std::vector<std::uint32_t> before = Pixels(image);
    struct Case {
        const char* name;
        Surface* destination;
        Surface* source;
        std::int32_t mode;
        ScreenDevice* device;
    } cases[] = {
        {"no destination", nullptr, &other, 0, nullptr},
        {"no source", &image, nullptr, 0, nullptr},
        {"DirectDraw destination, Image source", &direct, &other, 0, nullptr},
        {"Image destination, DirectDraw source", &image, &direct, 0, nullptr},
        {"device with an Image source", nullptr, &other, 0, device},
        {"device without a source", &image, nullptr, 2, device},
        {"two Images in mode 2", &image, &other, 2, nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunTransitionEffect(71, c.destination, c.source, 256, 0, 0, c.mode, c.device), 1)
            << c.name;
    EXPECT_EQ(Pixels(image), before);
    EXPECT_TRUE(port.blits.empty());
}

TEST(RunTransitionEffect, ADirectDrawDestinationOrADeviceDrawsThroughDirectDrawWhateverTheMode) {
    RecordingSurfacePort port;
    DirectDrawPicture direct;
    TextBitmapPicture text;
    ASSERT_EQ(direct.Create(16, 8, 32, false), 0);
    ASSERT_EQ(text.Create(13, 7, 32, false), 0);
    ASSERT_EQ(text.SetColourKeyRgb(1, 2, 3), 0);
    ScreenDevice* device = reinterpret_cast<ScreenDevice*>(0x3000);

    ASSERT_EQ(RunTransitionEffect(71, &direct, &text, 256, 3, 4, 0, nullptr), 0);
    ASSERT_EQ(port.blits.size(), 1u);
    EXPECT_EQ(port.lookups[0].destination, &direct);
    EXPECT_EQ(port.lookups[0].device, nullptr);
    EXPECT_FALSE(port.blits[0].stretched);
    EXPECT_EQ(port.blits[0].x, 3);
    EXPECT_EQ(port.blits[0].y, 4);
    EXPECT_EQ(port.blits[0].rect.right, 13);  // the source's clip rectangle
    EXPECT_EQ(port.blits[0].rect.bottom, 7);
    EXPECT_EQ(port.blits[0].clip.right, port.destinationClip.right);
    EXPECT_EQ(port.blits[0].key, text.ColourKey());

    // With a device the destination is not even looked at.
    ASSERT_EQ(RunTransitionEffect(71, nullptr, &text, 256, 0, 0, 1, device), 0);
    ASSERT_EQ(port.blits.size(), 2u);
    EXPECT_EQ(port.lookups[1].device, device);
    EXPECT_EQ(port.blits[1].clip.right, port.deviceRect.right);

    // The whole-source draw answers the blit's result.
    port.result = 2;
    EXPECT_EQ(RunTransitionEffect(80, &direct, &text, 300, 0, 0, 0, nullptr), 2);
}

TEST(RunTransitionEffect, WithoutADirectDrawPortMode2FindsNoTargetAndAnswersOne) {
    DirectDrawPicture direct;
    TextBitmapPicture text;
    ASSERT_EQ(direct.Create(16, 8, 32, false), 0);
    ASSERT_EQ(text.Create(13, 7, 32, false), 0);
    EXPECT_EQ(RunTransitionEffect(75, &direct, &text, 128, 0, 0, 2, nullptr), 1);
}

TEST(RunTransitionEffect, ProgressAtOrBelowZeroDrawsNothingAndAtOrAbove256IsAPlainBlit) {
    struct Case {
        const char* name;
        std::int32_t progress;
        std::int32_t mode;
    } cases[] = {{"0", 0, 0}, {"negative", -5, 1}, {"256 copy", 256, 0},
                 {"1000 copy", 1000, 0}, {"256 blend", 256, 1}, {"300 blend", 300, 1}};
    for (const Case& c : cases) {
        for (std::int32_t routine : {71, 76, 79, 82}) {
            Image dst, reference, src;
            ASSERT_TRUE(CodedPicture(dst, 16, 8, kTargetTop));
            ASSERT_TRUE(CodedPicture(reference, 16, 8, kTargetTop));
            // Half the source is transparent, so a blend by alpha shows.
            ASSERT_TRUE(CodedPicture(src, 13, 7, 0xFF));
            for (std::int32_t y = 0; y < 7; y += 2)
                for (std::int32_t x = 0; x < 13; ++x)
                    src.SetPixel(x, y, PixelAt(src, x, y) & 0x00FFFFFFu);
            EXPECT_EQ(RunTransitionEffect(routine, &dst, &src, c.progress, 2, -1, c.mode, nullptr),
                      0)
                << c.name;
            if (c.progress >= 256) {
                if (c.mode == 0)
                    reference.Blit(&src, 2, -1, nullptr, false);
                else
                    reference.AlphaBlend(&src, 2, -1, nullptr, false);
            }
            EXPECT_EQ(Pixels(dst), Pixels(reference)) << c.name << " routine " << routine;
        }
    }
}

// Strips: a source line (column or row, counted from the leading edge) is shown once
// line % s < k - line / s, with n = (extent + s + 1) / s strips and k = (n + s) p / 256 steps.
bool StripShows(std::int32_t line, std::int32_t extent, std::int32_t s, std::int32_t p) {
    const std::int32_t n = (extent + s + 1) / s;
    const std::int32_t k = (n + s) * p / 256;
    return line % s < k - line / s;
}

struct StripRoutine {
    std::int32_t index;
    bool columns;
    bool fromLeading;
    std::int32_t size;
};

const StripRoutine kStrips[] = {
    {71, true, true, 16},  {72, true, false, 16}, {73, true, true, 8},  {74, true, false, 8},
    {75, false, true, 16}, {76, false, false, 16}, {77, false, true, 8}, {78, false, false, 8},
};

Model StripModel(const StripRoutine& r, std::int32_t w, std::int32_t h, std::int32_t x0,
                 std::int32_t y0, std::int32_t p) {
    return [=](std::int32_t x, std::int32_t y) -> POINT {
        const std::int32_t sx = x - x0, sy = y - y0;
        if (sx < 0 || sy < 0 || sx >= w || sy >= h) return POINT{-1, -1};
        const std::int32_t extent = r.columns ? w : h;
        const std::int32_t at = r.columns ? sx : sy;
        const std::int32_t line = r.fromLeading ? at : extent - 1 - at;
        return StripShows(line, extent, r.size, p) ? POINT{sx, sy} : POINT{-1, -1};
    };
}

TEST(StripRoutines, StaggeredStripsMatchTheModelInBothImageModes) {
    for (const StripRoutine& r : kStrips)
        for (std::int32_t mode : {0, 1})
            for (std::int32_t p : {1, 40, 128, 200, 255}) {
                Image dst, src;
                ASSERT_TRUE(CodedPicture(dst, 41, 25, kTargetTop));
                ASSERT_TRUE(CodedPicture(src, 37, 21, 0xFF));
                const std::vector<std::uint32_t> expected =
                    Expected(dst, src, mode, StripModel(r, 37, 21, 2, 3, p));
                ASSERT_EQ(RunTransitionEffect(r.index, &dst, &src, p, 2, 3, mode, nullptr), 0);
                EXPECT_EQ(Pixels(dst), expected)
                    << "routine " << r.index << " mode " << mode << " progress " << p;
            }
}

TEST(StripRoutines, SixteenWideStripsOnWideSourcesDrawTheLastStripsBeyondTheEdgeOrCut) {
    // W = 640: n = 41, k = 57 x 255 / 256 = 56, so all 41 strips draw, the last beyond the
    // picture; W = 630 cuts the last one at column 630.
    for (std::int32_t w : {640, 630})
        for (const StripRoutine& r : {kStrips[0], kStrips[1]}) {
            Image dst, src;
            ASSERT_TRUE(CodedPicture(dst, w, 2, kTargetTop));
            ASSERT_TRUE(CodedPicture(src, w, 2, 0xFF));
            const std::vector<std::uint32_t> expected =
                Expected(dst, src, 0, StripModel(r, w, 2, 0, 0, 255));
            ASSERT_EQ(RunTransitionEffect(r.index, &dst, &src, 255, 0, 0, 0, nullptr), 0);
            EXPECT_EQ(Pixels(dst), expected) << "W " << w << " routine " << r.index;
        }
}

// Smears: the revealed part shows its own source pixels; from the trailing edge of the reveal to
// the far edge of the destination every line shows the next line to be revealed.
Model SmearModel(std::int32_t index, std::int32_t w, std::int32_t h, std::int32_t x0,
                 std::int32_t y0, std::int32_t p) {
    return [=](std::int32_t x, std::int32_t y) -> POINT {
        const bool columns = index == 79 || index == 80;
        const std::int32_t along = columns ? x - x0 : y - y0;   // position in the source
        const std::int32_t across = columns ? y - y0 : x - x0;  // must lie inside the source
        const std::int32_t extent = columns ? w : h;
        const std::int32_t crossExtent = columns ? h : w;
        if (across < 0 || across >= crossExtent) return POINT{-1, -1};
        const std::int32_t r = p * extent >> 8;
        std::int32_t line = -1;
        if (index == 79 || index == 81) {  // from the right or the bottom
            if (along >= extent - r && along < extent) line = along;
            else if (along < extent - r) line = extent - r - 1;
        } else {
            if (along >= 0 && along < r) line = along;
            else if (along >= r) line = r;
        }
        if (line < 0) return POINT{-1, -1};
        return columns ? POINT{line, across} : POINT{across, line};
    };
}

TEST(StripRoutines, EdgeSmearWipesMatchTheModelInBothImageModes) {
    for (std::int32_t index : {79, 80, 81, 82})
        for (std::int32_t mode : {0, 1})
            for (std::int32_t p : {1, 30, 128, 255}) {
                Image dst, src;
                ASSERT_TRUE(CodedPicture(dst, 30, 22, kTargetTop));
                ASSERT_TRUE(CodedPicture(src, 13, 7, 0xFF));
                const std::vector<std::uint32_t> expected =
                    Expected(dst, src, mode, SmearModel(index, 13, 7, 6, 5, p));
                ASSERT_EQ(RunTransitionEffect(index, &dst, &src, p, 6, 5, mode, nullptr), 0);
                EXPECT_EQ(Pixels(dst), expected)
                    << "routine " << index << " mode " << mode << " progress " << p;
            }
}

TEST(StripRoutines, ASmearWithNoRoomLeftDrawsNothingRatherThanMirrored) {
    RecordingSurfacePort port;
    DirectDrawPicture direct;
    TextBitmapPicture text;
    ASSERT_EQ(direct.Create(20, 10, 32, false), 0);
    ASSERT_EQ(text.Create(13, 7, 32, false), 0);
    // From the right at x = -20: the smear would be x + W - r = -7 - r wide.
    ASSERT_EQ(RunTransitionEffect(79, &direct, &text, 100, -20, 0, 2, nullptr), 0);
    // From the left beyond the destination's right edge: 20 - (25 + r) wide.
    ASSERT_EQ(RunTransitionEffect(80, &direct, &text, 100, 25, 0, 2, nullptr), 0);
    // From the top below the destination's bottom.
    ASSERT_EQ(RunTransitionEffect(82, &direct, &text, 100, 0, 12, 2, nullptr), 0);
    for (const transtest::PortBlit& blit : port.blits) EXPECT_FALSE(blit.stretched);
    EXPECT_EQ(port.blits.size(), 3u);  // the revealed parts only
}

TEST(StripRoutines, SmearsInMode2StretchToTheDeviceRectangle) {
    RecordingSurfacePort port;
    TextBitmapPicture text;
    ASSERT_EQ(text.Create(13, 7, 32, false), 0);
    ScreenDevice* device = reinterpret_cast<ScreenDevice*>(0x3000);
    ASSERT_EQ(RunTransitionEffect(80, nullptr, &text, 128, 4, 2, 0, device), 0);
    ASSERT_EQ(port.blits.size(), 2u);
    const std::int32_t r = 128 * 13 >> 8;
    EXPECT_TRUE(port.blits[1].stretched);
    EXPECT_EQ(port.blits[1].rect.left, r);
    EXPECT_EQ(port.blits[1].rect.right, r + 1);
    EXPECT_EQ(port.blits[1].x, 4 + r);
    EXPECT_EQ(port.blits[1].size.cx, port.deviceRect.right - (4 + r));
    EXPECT_EQ(port.blits[1].size.cy, 7);
}

}  // namespace
