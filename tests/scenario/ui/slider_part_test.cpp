// Sliders on the UI bench: the value and thumb mapping, layouts that cannot scroll, the drawn
// slider's pixels and arrow triangles, image strips with caps and colour keys, the arrows' and
// the track's auto-repeat on the fake clock, click modes, dragging, the wheel and the keys, and
// joining and leaving a group with the arrows.
#include "scenario/ui/slider_part.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "graphics/sprites/sprite_list.h"
#include "scenario/ui/slider_arrow_button.h"
#include "scenario/ui/ui_panel.h"
#include "tests/support/ui_bench.h"
#include "tests/support/ui_test_group.h"

namespace {

constexpr std::uint32_t kFace = 0xd4d0c8;
constexpr std::uint32_t kTrack = 0xe2dfda;
constexpr std::uint32_t kLight = 0xF0EFEC;
constexpr std::uint32_t kDark = 0x6A6864;
constexpr std::uint32_t kDarkest = 0x353432;
constexpr std::uint32_t kHoverWash = 0x400080ff;
constexpr std::uint32_t kPressedWash = 0x4000ff80;

// A wash over a pixel: each channel (wash x opacity + pixel x (255 - opacity)) >> 8.
std::uint32_t Washed(std::uint32_t pixel, std::uint32_t wash) {
    const std::uint32_t op = wash >> 24;
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t s = (wash >> shift) & 0xFF;
        const std::uint32_t d = (pixel >> shift) & 0xFF;
        out |= ((s * op + d * (255 - op)) >> 8) << shift;
    }
    return out;
}

// Pixel (a, b) of one face of the drawn thumb strip, a along the bar (0-3), b across it
// (0..breadth-1), as a horizontal face 4 wide: the raised bevel (top and left light, bottom and
// right darkest, inner bottom and right dark) around a face-coloured interior.
std::uint32_t ThumbStripPixel(std::int32_t face, std::int32_t a, std::int32_t b, std::int32_t breadth) {
    const std::int32_t W = 4;
    const std::int32_t H = breadth;
    if (a == W - 2 && b >= 1 && b <= H - 3) return kDark;
    if (b == H - 2 && a >= 1 && a <= W - 2) return kDark;
    if (a == W - 1 && b <= H - 2) return kDarkest;
    if (b == H - 1) return kDarkest;
    if (a == 0 && b >= 1) return kLight;
    if (b == 0) return kLight;
    if (face == 1) return Washed(kFace, kHoverWash);
    if (face == 2) return Washed(kFace, kPressedWash);
    return kFace;
}

// The strip pixel a tiled thumb of length n shows at a: the start cap (pixel 0), the 1-pixel
// middle repeated, the end cap (pixels 2 and 3).
std::int32_t TiledSource(std::int32_t a, std::int32_t n) {
    if (a == 0) return 0;
    if (a >= n - 2) return 2 + (a - (n - 2));
    return 1;
}

class RecordingListener : public SliderListener {
public:
    void ValueChanged(UiPart*, std::int32_t value) override { values.push_back(value); }
    void StepPastEnd(UiPart*) override { ++pastEnd; }

    std::vector<std::int32_t> values;
    std::int32_t pastEnd = 0;
};

class SliderTest : public testsupport::UiBench {
protected:
    // A drawn slider at (100, 100), breadth 16: arrows 16 x 16, a track 200 long after a 232
    // layout.
    void MakeDrawn(SliderPart& slider, bool vertical = false, std::uint32_t arrowColour = 0) {
        ASSERT_EQ(0, slider.Create(&List(), 0, 100, 100, vertical, 16, kFace, kTrack, kHoverWash, kPressedWash,
                                   arrowColour, 0));
    }
    // Range 100, page 20 over a 200-pixel track.
    void MakeStandard(SliderPart& slider) {
        MakeDrawn(slider);
        ASSERT_EQ(0, slider.Setup(232, 100, 20, 0, 0, 0));
        slider.SetListener(&listener);
    }
    // A horizontal strip of `faces` faces stacked downwards, each `length` x `breadth`, colour
    // at (a, b) from `colour`.
    template <class Colour>
    void WriteStrip(const std::string& name, std::int32_t length, std::int32_t breadth, std::int32_t faces,
                    Colour colour) {
        testsupport::DibLayout layout;
        layout.bitCount = 24;
        layout.width = length;
        for (std::int32_t y = 0; y < breadth * faces; ++y) {
            std::vector<std::uint32_t> row;
            for (std::int32_t x = 0; x < length; ++x) row.push_back(colour(x, y));
            layout.rows.push_back(row);
        }
        WriteBmp(name, layout);
    }
    // A key pressed for one turn.
    std::int32_t KeyTurn(WPARAM key, std::uint32_t now = 0) {
        app.Input().OnKeyDown(key, 0);
        app.Input().OnKeyUp(key, 0);
        return Turn(kWidth - 1, kHeight - 1, {}, now);
    }
    SpriteList& List() { return canvas.Sprites(); }

    RecordingListener listener;
};

// --- Value model ---

TEST_F(SliderTest, RangePageAndTrackGiveThumbAndRanges) {
    SliderPart slider;
    MakeStandard(slider);
    EXPECT_EQ(40, slider.ThumbLength());
    EXPECT_EQ(160, slider.MaxThumbPos());
    EXPECT_EQ(80, slider.MaxValue());
    EXPECT_EQ(200, slider.GetWidth());
    EXPECT_EQ(16, slider.GetHeight());
    EXPECT_EQ(0, slider.SetValue(40));
    EXPECT_EQ(80, slider.ThumbPos());
    EXPECT_EQ(100 + 16 + 80, slider.ThumbSprite().X());
    EXPECT_EQ(100, slider.ThumbSprite().Y());
    EXPECT_EQ((std::vector<std::int32_t>{40}), listener.values);
}

TEST_F(SliderTest, SetValueSetThumbPosAndStepByCodes) {
    SliderPart slider;
    MakeStandard(slider);
    const struct {
        const char* name;
        char op;  // 'v' SetValue, 't' SetThumbPos, '+' / '-' StepBy
        std::int32_t argument;
        std::int32_t code;
        std::int32_t value;
        std::int32_t thumbPos;
        bool told;
    } steps[] = {
        {"value 40", 'v', 40, 0, 40, 80, true},
        {"the same value", 'v', 40, -1, 40, 80, false},
        {"past the end: clamped", 'v', 500, 0, 80, 160, true},
        {"thumb below 0: clamped", 't', -5, 0, 0, 0, true},
        {"thumb 1: the value stays 0", 't', 1, 0, 0, 1, false},
        {"thumb 81", 't', 81, 0, 40, 81, true},
        {"the same thumb", 't', 81, -1, 40, 81, false},
        {"step forward", '+', 0, 0, 41, 82, true},
        {"step back", '-', 0, 0, 40, 80, true},
    };
    for (const auto& s : steps) {
        listener.values.clear();
        std::int32_t code = 0;
        if (s.op == 'v') code = slider.SetValue(s.argument);
        if (s.op == 't') code = slider.SetThumbPos(s.argument);
        if (s.op == '+' || s.op == '-') code = slider.StepBy(s.op == '+');
        EXPECT_EQ(s.code, code) << s.name;
        EXPECT_EQ(s.value, slider.Value()) << s.name;
        EXPECT_EQ(s.thumbPos, slider.ThumbPos()) << s.name;
        EXPECT_EQ(s.told ? std::vector<std::int32_t>{s.value} : std::vector<std::int32_t>{}, listener.values)
            << s.name;
    }
    // Past the end: the listener hears of it and the value stays.
    slider.SetValue(80);
    listener.values.clear();
    EXPECT_EQ(0, slider.StepBy(true));
    EXPECT_EQ(80, slider.Value());
    EXPECT_EQ(1, listener.pastEnd);
    EXPECT_TRUE(listener.values.empty());
    slider.SetValue(0);
    EXPECT_EQ(0, slider.StepBy(false));
    EXPECT_EQ(0, slider.Value());
}

TEST_F(SliderTest, ArrowsAreDisabledAtEitherEnd) {
    SliderPart slider;
    MakeStandard(slider);
    const struct {
        std::int32_t value;
        bool dec;
        bool inc;
    } cases[] = {{0, false, true}, {40, true, true}, {80, true, false}, {79, true, true}};
    for (const auto& c : cases) {
        slider.SetValue(c.value);
        EXPECT_EQ(c.dec, slider.DecArrow()->IsEnabled()) << c.value;
        EXPECT_EQ(c.inc, slider.IncArrow()->IsEnabled()) << c.value;
    }
    // Disabled and enabled again at the start: the decrement arrow stays disabled.
    slider.SetValue(0);
    EXPECT_TRUE(slider.SetEnabled(false));
    EXPECT_FALSE(slider.IncArrow()->IsEnabled());
    EXPECT_EQ(SliderPartBase::kDisabled, slider.State());
    EXPECT_TRUE(slider.SetEnabled(true));
    EXPECT_FALSE(slider.DecArrow()->IsEnabled());
    EXPECT_TRUE(slider.IncArrow()->IsEnabled());
    EXPECT_EQ(SliderPartBase::kNormal, slider.State());
}

// Whenever the layout leaves no value range or no thumb travel the slider cannot scroll: the
// thumb hides, the slider and its arrows are disabled, and the mapping is never divided by 0.
TEST_F(SliderTest, LayoutsWithoutRangeOrTravelAreNotScrollable) {
    // A 40-pixel thumb strip without caps on a track of 40: no travel.
    WriteStrip("long.bmp", 40, 8, 3, [](std::int32_t, std::int32_t) { return 0x808080u; });
    const struct {
        const char* name;
        bool image;
        std::int32_t length;
        std::int32_t range;
        std::int32_t page;
        std::int32_t code;
    } cases[] = {
        {"page equal to the range", false, 232, 100, 100, -1},
        {"page above the range", false, 232, 100, 150, -1},
        {"negative range and page", false, 232, -100, -20, -1},
        {"a thumb as long as the track", true, 40, 100, 20, -1},
        {"range 0", false, 232, 0, 20, 1},
        {"a track shorter than the arrows", false, 20, 100, 20, 3},
    };
    for (const auto& c : cases) {
        SliderPart slider;
        if (c.image) {
            ASSERT_EQ(0, slider.CreateFromImages(&List(), 0, 10, 10, 0, 0, "long.bmp", 0, 0, nullptr, 0, 0, nullptr,
                                                 nullptr, false, false, 0, 255, -1, -1, 0))
                << c.name;
        } else {
            MakeDrawn(slider);
        }
        slider.SetListener(&listener);
        listener.pastEnd = 0;
        EXPECT_EQ(c.code, slider.Setup(c.length, c.range, c.page, 10, 0, 0)) << c.name;
        if (c.code != -1) continue;
        EXPECT_EQ(-1, slider.Value()) << c.name;
        EXPECT_EQ(-1, slider.ThumbPos()) << c.name;
        EXPECT_FALSE(slider.ThumbSprite().IsVisible()) << c.name;
        EXPECT_FALSE(slider.IsEnabled()) << c.name;
        EXPECT_EQ(SliderPartBase::kDisabled, slider.State()) << c.name;
        if (slider.DecArrow()) {
            EXPECT_FALSE(slider.DecArrow()->IsEnabled()) << c.name;
            EXPECT_FALSE(slider.IncArrow()->IsEnabled()) << c.name;
        }
        EXPECT_EQ(1, slider.SetValue(5)) << c.name;
        EXPECT_EQ(1, slider.SetThumbPos(5)) << c.name;
        EXPECT_EQ(-1, slider.StepBy(true)) << c.name;
        EXPECT_EQ(1, listener.pastEnd) << c.name;
    }
}

// 2^30 units: the products of the mapping would overflow 32 bits.
TEST_F(SliderTest, LargeRangesMapIn64Bits) {
    SliderPart slider;
    MakeDrawn(slider);
    ASSERT_EQ(0, slider.Setup(232, 1 << 30, 1 << 29, 0, 0, 0));
    EXPECT_EQ(100, slider.ThumbLength());
    EXPECT_EQ(100, slider.MaxThumbPos());
    EXPECT_EQ(1 << 29, slider.MaxValue());
    EXPECT_EQ(0, slider.SetValue((1 << 29) - 1));
    EXPECT_EQ(99, slider.ThumbPos());
    EXPECT_EQ(0, slider.SetThumbPos(50));
    EXPECT_EQ(1 << 28, slider.Value());
}

// --- Drawn slider ---

TEST_F(SliderTest, TheDrawnThumbIsItsStripTiledToLength) {
    SliderPart slider;
    MakeStandard(slider);
    Image* source = slider.ThumbSource();
    ASSERT_NE(nullptr, source);
    ASSERT_EQ(4, source->Width());
    ASSERT_EQ(48, source->Height()) << "three faces stacked across a horizontal bar";
    Image* thumb = slider.ThumbImage();
    ASSERT_NE(nullptr, thumb);
    ASSERT_EQ(40, thumb->Width());
    ASSERT_EQ(48, thumb->Height());
    std::int32_t wrong = 0;
    for (std::int32_t face = 0; face < 3; ++face) {
        for (std::int32_t b = 0; b < 16; ++b) {
            for (std::int32_t a = 0; a < 4; ++a) {
                const std::uint32_t expected = ThumbStripPixel(face, a, b, 16);
                if ((source->GetPixel(a, face * 16 + b) & 0xFFFFFF) != expected && ++wrong <= 5) {
                    ADD_FAILURE() << "strip face " << face << " at " << a << "," << b;
                }
            }
            for (std::int32_t a = 0; a < 40; ++a) {
                const std::uint32_t expected = ThumbStripPixel(face, TiledSource(a, 40), b, 16);
                if ((thumb->GetPixel(a, face * 16 + b) & 0xFFFFFF) != expected && ++wrong <= 5) {
                    ADD_FAILURE() << "thumb face " << face << " at " << a << "," << b;
                }
            }
        }
    }
    EXPECT_EQ(0, wrong);
    // The track: the 1-pixel strip of the track colour, 200 long.
    Image* track = slider.TrackImage();
    ASSERT_NE(nullptr, track);
    EXPECT_EQ(200, track->Width());
    EXPECT_EQ(16, track->Height());
    EXPECT_EQ(kTrack, track->GetPixel(0, 0) & 0xFFFFFF);
    EXPECT_EQ(kTrack, track->GetPixel(199, 15) & 0xFFFFFF);
    // On the canvas: the thumb over the track, the arrows at both ends.
    Redraw();
    EXPECT_EQ(kLight, Pixel(116, 100));
    EXPECT_EQ(kFace, Pixel(130, 105));
    EXPECT_EQ(kDarkest, Pixel(155, 105));
    EXPECT_EQ(kTrack, Pixel(156, 105));
    EXPECT_EQ(kTrack, Pixel(315, 105));
    EXPECT_EQ(kLight, Pixel(316, 100)) << "the increment arrow";
    EXPECT_EQ(kBackground, Pixel(332, 105));
}

TEST_F(SliderTest, EachStateShowsItsThumbFace) {
    SliderPart slider;
    MakeStandard(slider);
    const struct {
        std::uint8_t state;
        std::uint32_t interior;
    } cases[] = {{0, kFace}, {1, Washed(kFace, kHoverWash)}, {2, Washed(kFace, kPressedWash)}, {3, kFace}};
    for (const auto& c : cases) {
        slider.SetPartState(SliderPartBase::kTrack, c.state);
        Redraw();
        EXPECT_EQ(c.interior, Pixel(130, 105)) << int(c.state);
    }
    EXPECT_EQ(0, slider.SetPartState(SliderPartBase::kDecArrow, 1));
    EXPECT_EQ(TextButtonPartBase::kHover, slider.DecArrow()->State());
}

// The triangle rule, by hand for square and long faces; what would fall outside is cut.
TEST(SliderArrowTriangle, MatchesTheRuleForEachDirectionAndSize) {
    testsupport::PixelConfigScope pixels(testsupport::PixelConfig::LibraryPortable);
    ASSERT_TRUE(pixels.Ready());
    const struct {
        std::int32_t w;
        std::int32_t h;
        std::uint8_t direction;
        std::vector<std::string> rows;
    } cases[] = {
        {16, 16, SliderArrowButton::kUp,
         {"................", "................", "................", "................", "................",
          ".......#........", "......###.......", ".....#####......", "....#######.....", "...#########....",
          "..###########...", "................", "................", "................", "................",
          "................"}},
        {16, 16, SliderArrowButton::kDown,
         {"................", "................", "................", "................", "................",
          "..###########...", "...#########....", "....#######.....", ".....#####......", "......###.......",
          ".......#........", "................", "................", "................", "................",
          "................"}},
        {16, 16, SliderArrowButton::kLeft,
         {"................", "................", "..........#.....", ".........##.....", "........###.....",
          ".......####.....", "......#####.....", ".....######.....", "......#####.....", ".......####.....",
          "........###.....", ".........##.....", "..........#.....", "................", "................",
          "................"}},
        {16, 16, SliderArrowButton::kRight,
         {"................", "................", ".....#..........", ".....##.........", ".....###........",
          ".....####.......", ".....#####......", ".....######.....", ".....#####......", ".....####.......",
          ".....###........", ".....##.........", ".....#..........", "................", "................",
          "................"}},
        {15, 15, SliderArrowButton::kUp,
         {"...............", "...............", "...............", "...............", "...............",
          ".......#.......", "......###......", ".....#####.....", "....#######....", "...#########...",
          "...............", "...............", "...............", "...............", "..............."}},
        {15, 15, SliderArrowButton::kRight,
         {"...............", "...............", "...............", ".....#.........", ".....##........",
          ".....###.......", ".....####......", ".....#####.....", ".....####......", ".....###.......",
          ".....##........", ".....#.........", "...............", "...............", "..............."}},
        {16, 9, SliderArrowButton::kUp,
         {"................", "................", "................", ".......#........", "......###.......",
          ".....#####......", "................", "................", "................"}},
        {16, 9, SliderArrowButton::kLeft,
         {".........##.....", "........###.....", ".......####.....", "......#####.....", ".....######.....",
          "......#####.....", ".......####.....", "........###.....", ".........##....."}},
        {9, 16, SliderArrowButton::kDown,
         {".........", ".........", ".........", ".........", ".........", "#########", "#########",
          ".#######.", "..#####..", "...###...", "....#....", ".........", ".........", ".........",
          ".........", "........."}},
        {9, 16, SliderArrowButton::kRight,
         {".........", ".........", ".........", ".........", ".........", "...#.....", "...##....",
          "...###...", "...##....", "...#.....", ".........", ".........", ".........", ".........",
          ".........", "........."}},
    };
    for (const auto& c : cases) {
        // The face rectangle at (2, 3) inside a frame that must stay untouched.
        Image image;
        ASSERT_EQ(0, image.Create(c.w + 4, c.h + 6, 32, 0));
        image.FillValue(0x111111, nullptr);
        const RECT face = {2, 3, 2 + c.w, 3 + c.h};
        SliderArrowButton::DrawTriangle(&image, face, c.direction, 0xABCDEF, 0, 0);
        std::vector<std::string> got;
        bool outside = false;
        for (std::int32_t y = 0; y < c.h + 6; ++y) {
            std::string row;
            for (std::int32_t x = 0; x < c.w + 4; ++x) {
                const bool set = (image.GetPixel(x, y) & 0xFFFFFF) == 0xABCDEF;
                const bool inFace = x >= 2 && x < 2 + c.w && y >= 3 && y < 3 + c.h;
                if (inFace) row += set ? '#' : '.';
                if (!inFace && set) outside = true;
            }
            if (!row.empty()) got.push_back(row);
        }
        EXPECT_EQ(c.rows, got) << c.w << "x" << c.h << " direction " << int(c.direction);
        EXPECT_FALSE(outside) << c.w << "x" << c.h << " direction " << int(c.direction);
    }
}

// Drawn arrows: the triangle in the arrow colour on the interior (13 x 13 for breadth 16); the
// disabled face grey over a white copy one pixel down and right.
TEST_F(SliderTest, DrawnArrowsCarryTheirTriangle) {
    SliderPart slider;
    MakeDrawn(slider, false, 0x00102030);
    ASSERT_EQ(0, slider.Setup(232, 100, 20, 40, 0, 0));
    Redraw();
    // The left arrow's 13 x 13 interior at (101, 101): column i at x = 4 + i, rows 6 - i..6 + i.
    EXPECT_EQ(0x102030u, Pixel(101 + 4, 101 + 6));
    EXPECT_EQ(kFace, Pixel(101 + 4, 101 + 5));
    EXPECT_EQ(0x102030u, Pixel(101 + 8, 101 + 2));
    EXPECT_EQ(0x102030u, Pixel(101 + 8, 101 + 10));
    EXPECT_EQ(kFace, Pixel(101 + 9, 101 + 6));
    // The right arrow at (316, 100): column i at x = 4 + 4 - i.
    EXPECT_EQ(0x102030u, Pixel(317 + 8, 101 + 6));
    EXPECT_EQ(0x102030u, Pixel(317 + 4, 101 + 2));
    // The disabled face of the strip (face 3, from x = 48): the tip of the left arrow in grey,
    // white one pixel down and right of the grey where no grey covers it.
    Image* strip = slider.DecArrow()->FaceImage();
    ASSERT_NE(nullptr, strip);
    EXPECT_EQ(0x808080u, strip->GetPixel(48 + 1 + 4, 1 + 6) & 0xFFFFFF);
    EXPECT_EQ(0x808080u, strip->GetPixel(48 + 1 + 8, 1 + 10) & 0xFFFFFF);
    EXPECT_EQ(0xFFFFFFu, strip->GetPixel(48 + 1 + 9, 1 + 3) & 0xFFFFFF) << "the white copy's last column";
    EXPECT_EQ(0xFFFFFFu, strip->GetPixel(48 + 1 + 9, 1 + 11) & 0xFFFFFF) << "the white copy's last column";
    EXPECT_EQ(kFace, strip->GetPixel(48 + 1 + 9, 1 + 2) & 0xFFFFFF);
    EXPECT_EQ(kFace, strip->GetPixel(48 + 1 + 3, 1 + 6) & 0xFFFFFF);
    // Disabled on the canvas at value 0.
    slider.SetValue(0);
    Redraw();
    EXPECT_EQ(0x808080u, Pixel(101 + 4, 101 + 6));
}

TEST_F(SliderTest, AVerticalSliderLaysOutDownwards) {
    SliderPart slider;
    MakeDrawn(slider, true);
    ASSERT_EQ(0, slider.Setup(232, 100, 20, 40, 0, 0));
    EXPECT_EQ(16, slider.GetWidth());
    EXPECT_EQ(200, slider.GetHeight());
    EXPECT_EQ(100, slider.ThumbSprite().X());
    EXPECT_EQ(100 + 16 + 80, slider.ThumbSprite().Y());
    EXPECT_EQ(SliderArrowButton::kUp, slider.DecArrow()->ArrowDirection());
    EXPECT_EQ(SliderArrowButton::kDown, slider.IncArrow()->ArrowDirection());
    EXPECT_EQ(316, slider.IncArrow()->GetY());
    Image* thumb = slider.ThumbImage();
    ASSERT_NE(nullptr, thumb);
    EXPECT_EQ(48, thumb->Width()) << "faces side by side";
    EXPECT_EQ(40, thumb->Height());
    EXPECT_EQ(kLight, thumb->GetPixel(5, 0) & 0xFFFFFF);
    EXPECT_EQ(kFace, thumb->GetPixel(5, 20) & 0xFFFFFF);
    EXPECT_EQ(kDark, thumb->GetPixel(5, 38) & 0xFFFFFF);
    EXPECT_EQ(kDarkest, thumb->GetPixel(5, 39) & 0xFFFFFF);
}

// --- Image sliders ---

TEST_F(SliderTest, ImageStripsTileByTheirCapsAndTakeTheKeyPixelInside) {
    // A 6-pixel thumb strip, 3 faces of 5: start cap red (2), middle green (2), end cap blue (2).
    WriteStrip("thumb.bmp", 6, 5, 3, [](std::int32_t x, std::int32_t) {
        return x < 2 ? 0xFF0000u : x < 4 ? 0x00FF00u : 0x0000FFu;
    });
    SliderPart slider;
    ASSERT_EQ(0, slider.CreateFromImages(&List(), 0, 10, 20, 3, 0, "thumb.bmp", 2, 2, nullptr, 0, 0, nullptr, nullptr,
                                         false, false, 0, 255, 0, 0, 0));
    EXPECT_EQ(3, slider.ThumbStart());
    EXPECT_EQ(3, slider.TrackX());
    ASSERT_EQ(0, slider.Setup(103, 10, 1, 0, 0, 5));
    // h = 103 - 3 = 100; l = max(100 x 1 / 10, 5 + 4) = 10.
    Image* thumb = slider.ThumbImage();
    ASSERT_NE(nullptr, thumb);
    ASSERT_EQ(10, slider.ThumbLength());
    const std::uint32_t expected[10] = {0xFF0000, 0xFF0000, 0x00FF00, 0x00FF00, 0x00FF00,
                                        0x00FF00, 0x00FF00, 0x00FF00, 0x0000FF, 0x0000FF};
    for (std::int32_t x = 0; x < 10; ++x) EXPECT_EQ(expected[x], thumb->GetPixel(x, 7) & 0xFFFFFF) << x;
    EXPECT_EQ(0xFF0000, thumb->ColourKey() & 0xFFFFFF) << "the key pixel's colour, kept by the tiling";

    const struct {
        const char* name;
        std::int32_t keyX;
        std::int32_t keyY;
        std::int32_t key;
    } keys[] = {
        {"the pixel (5, 0)", 5, 0, 0x0000FF},
        {"a key value", 0x00FF00, -1, 0x00FF00},
        {"none", -1, -1, -1},
        {"a key pixel right of the strip", 6, 0, -1},
        {"a key pixel below the strip", 0, 15, -1},
    };
    for (const auto& k : keys) {
        SliderPart keyed;
        ASSERT_EQ(0, keyed.CreateFromImages(&List(), 0, 10, 20, 0, 0, "thumb.bmp", 0, 0, nullptr, 0, 0, nullptr,
                                            nullptr, false, false, 0, 255, k.keyX, k.keyY, 0))
            << k.name;
        const std::int32_t key = keyed.ThumbImage()->ColourKey();
        EXPECT_EQ(k.key, key == -1 ? -1 : key & 0xFFFFFF) << k.name;
    }
}

TEST_F(SliderTest, ImageCreationCodes) {
    WriteStrip("thumb.bmp", 6, 5, 3, [](std::int32_t, std::int32_t) { return 0x404040u; });
    WriteStrip("arrow.bmp", 40, 10, 1, [](std::int32_t, std::int32_t) { return 0x404040u; });
    const struct {
        const char* name;
        bool list;
        const char* thumb;
        const char* track;
        const char* dec;
        const char* inc;
        std::int32_t code;
    } cases[] = {
        {"no list", false, "thumb.bmp", nullptr, nullptr, nullptr, 1},
        {"no thumb file", true, nullptr, nullptr, nullptr, nullptr, 1},
        {"a missing thumb", true, "absent.bmp", nullptr, nullptr, nullptr, 2},
        {"a missing track", true, "thumb.bmp", "absent.bmp", nullptr, nullptr, 3},
        {"a missing decrement arrow", true, "thumb.bmp", nullptr, "absent.bmp", "arrow.bmp", 4},
        {"a missing increment arrow", true, "thumb.bmp", nullptr, "arrow.bmp", "absent.bmp", 5},
        {"all there", true, "thumb.bmp", "thumb.bmp", "arrow.bmp", "arrow.bmp", 0},
    };
    for (const auto& c : cases) {
        SliderPart slider;
        EXPECT_EQ(c.code, slider.CreateFromImages(c.list ? &List() : nullptr, 0, 0, 0, 0, 0, c.thumb, 0, 0, c.track,
                                                  0, 0, c.dec, c.inc, false, false, 0, 255, -1, -1, 0))
            << c.name;
        if (c.code != 0) {
            EXPECT_EQ(nullptr, slider.DecArrow()) << c.name;
            EXPECT_EQ(nullptr, slider.IncArrow()) << c.name;
        }
    }
    // Arrows of 10 x 10 (a strip of normal, hover, pressed and disabled faces) set the track
    // after the decrement arrow.
    SliderPart slider;
    ASSERT_EQ(0, slider.CreateFromImages(&List(), 0, 50, 60, 2, 0, "thumb.bmp", 0, 0, nullptr, 0, 0, "arrow.bmp",
                                         "arrow.bmp", true, false, 0, 255, -1, -1, 0));
    EXPECT_EQ(10, slider.DecArrow()->GetWidth());
    EXPECT_EQ(12, slider.TrackX());
    EXPECT_EQ(2, slider.ThumbStart());
    EXPECT_EQ(1, SliderPart().Create(&List(), 0, 0, 0, false, 7, kFace, kTrack, 0, 0, 0, 0)) << "breadth 7";
}

// --- Pointer and keys ---

class SliderInputTest : public SliderTest {
protected:
    void SetUp() override {
        SliderTest::SetUp();
        MakeStandard(slider);
        slider.SetId(12);
        ASSERT_EQ(0, slider.JoinGroup(&group, -1));
        Turn(kWidth - 1, kHeight - 1, {}, 1000);
    }

    SliderPart slider;
};

TEST_F(SliderInputTest, HoldingAnArrowStepsAtOnceAt500MsThenEvery100Ms) {
    slider.SetValue(40);
    listener.values.clear();
    Turn(320, 105, {}, 2000);
    const struct {
        std::uint32_t now;
        const char* input;
        std::int32_t value;
    } turns[] = {
        {2010, "press", 41}, {2509, "", 41}, {2510, "", 42}, {2609, "", 42},
        {2610, "", 43},      {2710, "", 44}, {2720, "release", 44}, {3300, "", 44},
    };
    for (const auto& t : turns) {
        std::vector<std::string> keys;
        if (t.input[0] != '\0') keys.push_back(t.input);
        Turn(320, 105, keys, t.now);
        EXPECT_EQ(t.value, slider.Value()) << t.now;
    }
    EXPECT_EQ((std::vector<std::int32_t>{41, 42, 43, 44}), listener.values);
}

TEST_F(SliderInputTest, HoldingTheTrackPagesUntilTheThumbReachesThePointer) {
    // The thumb spans 116..155; the pointer at 300 lies past it.
    Turn(300, 105, {}, 2000);
    EXPECT_EQ(SliderPartBase::kHover, slider.State());
    const struct {
        std::uint32_t now;
        const char* input;
        std::int32_t thumbPos;
        std::uint8_t state;
    } turns[] = {
        {2010, "press", 40, 2}, {2509, "", 40, 2}, {2510, "", 80, 2},
        {2610, "", 120, 2},     {2710, "", 160, 1}, {2810, "", 160, 1},
    };
    for (const auto& t : turns) {
        std::vector<std::string> keys;
        if (t.input[0] != '\0') keys.push_back(t.input);
        Turn(300, 105, keys, t.now);
        EXPECT_EQ(t.thumbPos, slider.ThumbPos()) << t.now;
        EXPECT_EQ(t.state, slider.State()) << t.now;
    }
    Turn(300, 105, {"release"}, 2900);
    EXPECT_EQ(160, slider.ThumbPos());
}

TEST_F(SliderInputTest, ClickModes) {
    const struct {
        const char* name;
        std::uint8_t mode;
        std::int32_t x;
        std::int32_t thumbPos;
        std::uint8_t state;
        bool captured;
    } cases[] = {
        {"mode 0 on the track pages", 0, 250, 120, 2, false},
        {"mode 0 on the thumb drags", 0, 200, 80, 2, true},
        {"mode 1 centres the thumb", 1, 250, 250 - 116 - 20, 1, false},
        {"mode 1 on the thumb drags", 1, 205, 205 - 116 - 20, 2, true},
        {"mode 2 centres and drags", 2, 250, 250 - 116 - 20, 2, true},
    };
    std::uint32_t now = 5000;
    for (const auto& c : cases) {
        slider.SetClickMode(c.mode);
        slider.SetValue(40);
        Turn(c.x, 108, {}, now += 10);
        Turn(c.x, 108, {"press"}, now += 10);
        EXPECT_EQ(c.thumbPos, slider.ThumbPos()) << c.name;
        EXPECT_EQ(c.state, slider.State()) << c.name;
        EXPECT_EQ(c.captured, group.PointerCaptured()) << c.name;
        Turn(c.x, 108, {"release"}, now += 10);
        EXPECT_FALSE(group.PointerCaptured()) << c.name;
        Turn(kWidth - 1, kHeight - 1, {}, now += 10);
    }
}

TEST_F(SliderInputTest, ADragIsClampedAtBothEndsAndKeepsTheCapture) {
    slider.SetValue(40);
    listener.values.clear();
    Turn(200, 108, {}, 2000);
    Turn(200, 108, {"press"}, 2010);
    ASSERT_TRUE(group.PointerCaptured());
    Turn(220, 300, {}, 2020);
    EXPECT_EQ(100, slider.ThumbPos()) << "only the movement along the bar counts";
    EXPECT_EQ(&slider, group.HoveredPart()) << "captured, far off the slider";
    Turn(900, 300, {}, 2030);
    EXPECT_EQ(160, slider.ThumbPos());
    Turn(0, 108, {}, 2040);
    EXPECT_EQ(0, slider.ThumbPos());
    Turn(0, 108, {}, 2050);
    Turn(20, 108, {}, 2060);
    EXPECT_EQ(20, slider.ThumbPos()) << "the anchor follows a clamped drag";
    EXPECT_EQ((std::vector<std::int32_t>{50, 80, 0, 10}), listener.values);
    Turn(20, 108, {"release"}, 2070);
    EXPECT_FALSE(group.PointerCaptured());
    EXPECT_EQ(SliderPartBase::kNormal, slider.State());
}

TEST_F(SliderInputTest, TheWheelSteps) {
    slider.SetValue(40);
    Turn(250, 108, {}, 2000);
    app.Input().OnMouseWheel(MAKEWPARAM(0, WHEEL_DELTA));
    Turn(250, 108, {}, 2010);
    EXPECT_EQ(39, slider.Value()) << "rolled up: backwards";
    app.Input().OnMouseWheel(MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
    Turn(250, 108, {}, 2020);
    EXPECT_EQ(40, slider.Value());
}

TEST_F(SliderInputTest, KeysStepPageAndJump) {
    ASSERT_EQ(0, actions->AddBinding(18, 0, 201));
    ASSERT_EQ(0, actions->AddBinding(19, 0, 209));
    slider.SetPageActions(18, 19);
    slider.SetValue(40);
    ASSERT_EQ(0, group.FocusPart(&slider));
    EXPECT_EQ(SliderPartBase::kHover, slider.State());
    const struct {
        WPARAM key;
        std::int32_t thumbPos;
    } keys[] = {{VK_RIGHT, 82}, {VK_LEFT, 80}, {VK_LEFT, 78}, {VK_NEXT, 118}, {VK_PRIOR, 78},
                {VK_END, 160},  {VK_HOME, 0},  {VK_UP, 0}};
    std::uint32_t now = 3000;
    for (const auto& k : keys) {
        const std::int32_t result = KeyTurn(k.key, now += 10);
        EXPECT_EQ(k.thumbPos, slider.ThumbPos()) << k.key;
        EXPECT_EQ(k.key == VK_UP ? 4 : 2, result) << k.key;
    }
}

TEST_F(SliderInputTest, StepRuleOfArrowsWheelAndKeys) {
    const struct {
        std::int32_t step;
        std::int32_t value;
        std::int32_t thumbPos;
    } cases[] = {{5, 45, 90}, {-10, 45, 90}, {0, 41, 82}};
    ASSERT_EQ(0, group.FocusPart(&slider));
    std::uint32_t now = 3000;
    for (const auto& c : cases) {
        slider.SetStep(c.step);
        slider.SetValue(40);
        KeyTurn(VK_RIGHT, now += 10);
        EXPECT_EQ(c.value, slider.Value()) << c.step;
        EXPECT_EQ(c.thumbPos, slider.ThumbPos()) << c.step;
    }
}

TEST_F(SliderInputTest, ValueChangesAreActivationsForTheGamesGroup) {
    slider.SetListener(group.PartOwner());
    group.SetResultWord(-1);
    slider.SetValue(40);
    EXPECT_EQ(12, group.ResultWord());
    group.SetResultWord(-1);
    slider.SetValue(40);
    EXPECT_EQ(-1, group.ResultWord()) << "no change, no activation";
}

// The track's sounds: the group's defaults, or the slider's own numbers (a name means number 0).
TEST_F(SliderInputTest, TheTrackPlaysEnterPressAndLeaveSounds) {
    EnableSound();
    Turn(250, 108, {}, 2000);
    EXPECT_EQ((std::vector<std::int32_t>{6}), TakePlaying()) << "enter";
    Turn(250, 108, {"press"}, 2010);
    EXPECT_EQ((std::vector<std::int32_t>{5}), TakePlaying()) << "press";
    Turn(250, 108, {"release"}, 2020);
    Turn(kWidth - 1, kHeight - 1, {}, 2030);
    EXPECT_EQ((std::vector<std::int32_t>{7}), TakePlaying()) << "leave";
    slider.SetSounds(nullptr, nullptr, nullptr, 7, 5, 6);
    Turn(250, 108, {}, 2040);
    EXPECT_EQ((std::vector<std::int32_t>{5}), TakePlaying()) << "its own enter sound";
}

// A slider deleted while it drags gives the pointer back and leaves the group with its arrows.
TEST_F(SliderTest, DeletingADraggingSliderReleasesTheCapture) {
    auto* slider = new SliderPart;
    MakeStandard(*slider);
    ASSERT_EQ(0, slider->JoinGroup(&group, -1));
    Turn(130, 108, {}, 2000);
    Turn(130, 108, {"press"}, 2010);
    ASSERT_TRUE(group.PointerCaptured());
    delete slider;
    EXPECT_FALSE(group.PointerCaptured());
    EXPECT_TRUE(group.Members().empty());
    EXPECT_EQ(nullptr, group.HoveredPart());
    EXPECT_EQ(0, Turn(300, 300, {"release"}, 2020));
}

TEST_F(SliderTest, VisibilityCarriesTheArrowsAndTheTrack) {
    SliderPart slider;
    MakeStandard(slider);
    slider.SetVisible(false);
    EXPECT_FALSE(slider.IsVisible());
    EXPECT_FALSE(slider.DecArrow()->IsVisible());
    EXPECT_FALSE(slider.TrackSprite().IsVisible());
    EXPECT_FALSE(slider.ThumbSprite().IsVisible());
    Redraw();
    EXPECT_EQ(kBackground, Pixel(130, 105));
    slider.SetVisible(true);
    EXPECT_TRUE(slider.ThumbSprite().IsVisible());
    EXPECT_TRUE(slider.IncArrow()->IsVisible());
    // Not scrollable: the thumb stays hidden when the slider is shown.
    ASSERT_EQ(-1, slider.Setup(232, 10, 20, 0, 0, 0));
    slider.SetVisible(false);
    slider.SetVisible(true);
    EXPECT_FALSE(slider.ThumbSprite().IsVisible());
    EXPECT_TRUE(slider.TrackSprite().IsVisible());
}

// Focus by keys: pointer mode 1 moves the pointer to the track's centre and nothing else; the
// other modes show the hover with the enter sound, mode 2 parks the pointer; a blur is silent.
TEST(SliderFocus, FocusPointerModes) {
    testsupport::PixelConfigScope pixels(testsupport::PixelConfig::LibraryPortable);
    ASSERT_TRUE(pixels.Ready());
    const struct {
        std::int32_t mode;
        std::uint8_t state;
        std::vector<std::string> journal;
    } cases[] = {
        {0, SliderPartBase::kHover, {"group.sound - -3"}},
        {1, SliderPartBase::kNormal, {"group.setcursor 216,108"}},
        {2, SliderPartBase::kHover, {"group.sound - -3", "group.setcursor 641,480"}},
    };
    for (const auto& c : cases) {
        testsupport::Journal journal;
        testsupport::UiTestGroup group(journal);
        SpriteList list;
        SliderPart slider;
        ASSERT_EQ(0, slider.Create(&list, 0, 100, 100, false, 16, kFace, kTrack, kHoverWash, kPressedWash, 0, 0));
        ASSERT_EQ(0, slider.Setup(232, 100, 20, 40, 0, 0));
        ASSERT_EQ(0, slider.JoinGroup(&group, -1));
        group.focusPointerMode = c.mode;
        ASSERT_EQ(0, group.FocusPart(&slider));
        EXPECT_EQ(c.state, slider.State()) << c.mode;
        EXPECT_EQ(c.journal, journal) << c.mode;
        journal.clear();
        group.FocusPart(nullptr);
        EXPECT_EQ(SliderPartBase::kNormal, slider.State()) << c.mode;
        EXPECT_TRUE(journal.empty()) << c.mode;
        slider.LeaveGroup();
    }
}

// --- Groups ---

TEST_F(SliderTest, JoinAndLeaveTakeTheArrowsAlong) {
    SliderPart slider;
    MakeStandard(slider);
    TextButton other;
    ASSERT_EQ(0, other.Create(&List(), 0, nullptr, nullptr, 0, 300, 20, 12, false, 0));
    ASSERT_EQ(0, group.InsertPart(&other, -1));
    EXPECT_EQ(1, slider.JoinGroup(nullptr, 0));
    ASSERT_EQ(0, slider.JoinGroup(&group, 0));
    EXPECT_EQ((std::vector<UiPart*>{slider.DecArrow(), &slider, slider.IncArrow(), &other}), group.Members());
    EXPECT_EQ(-1, slider.JoinGroup(&group, -1));
    EXPECT_TRUE(slider.LeaveGroup());
    EXPECT_EQ((std::vector<UiPart*>{&other}), group.Members());
    EXPECT_FALSE(slider.LeaveGroup());
    ASSERT_EQ(0, slider.JoinGroup(&group, -1));
    EXPECT_EQ((std::vector<UiPart*>{&other, slider.DecArrow(), &slider, slider.IncArrow()}), group.Members());
    group.RemovePart(&other);
}

// The group's Clear and PopState take the slider out without telling it: joining again works.
TEST_F(SliderTest, AClearedOrPoppedSliderJoinsAgain) {
    SliderPart slider;
    MakeStandard(slider);
    ASSERT_EQ(0, slider.JoinGroup(&group, -1));
    group.Clear();
    EXPECT_EQ(0, slider.JoinGroup(&group, -1));
    EXPECT_EQ(3u, group.Members().size());
    ASSERT_EQ(0, group.PushState());
    ASSERT_EQ(0, group.PopState());
    EXPECT_EQ(-1, slider.JoinGroup(&group, -1)) << "a member again after the pop";
    ASSERT_EQ(0, group.PushState());
    TextButton modal;
    ASSERT_EQ(0, modal.Create(&List(), 0, nullptr, nullptr, 0, 300, 20, 12, false, 0));
    ASSERT_EQ(0, group.InsertPart(&modal, -1));
    group.Clear();
    EXPECT_EQ(-1, slider.JoinGroup(&group, -1)) << "pushed: a member in name";
    EXPECT_TRUE(slider.LeaveGroup());
    EXPECT_EQ(0, slider.JoinGroup(&group, -1));
}

// --- The panel ---

TEST_F(SliderTest, ThePanelEntersTheArrowsWithTheSliderAndCopiesItsSettings) {
    UiPanel panel;
    panel.BindCanvas(&canvas);
    panel.SetSliderPageActions(18, 19);
    panel.SetSliderSettings(2, -3);
    UiPart* part = nullptr;
    EXPECT_EQ(1, panel.NewSliderPart(&part, 10, 10, false, 7, kFace, kTrack, kHoverWash, kPressedWash, 0, 0));
    EXPECT_EQ(nullptr, part);
    EXPECT_TRUE(panel.Parts().empty());
    ASSERT_EQ(0, panel.NewSliderPart(&part, 10, 10, false, 16, kFace, kTrack, kHoverWash, kPressedWash, 0, 0));
    auto* slider = static_cast<SliderPart*>(part);
    EXPECT_EQ(kUiSlider, part->TypeCode());
    EXPECT_EQ(18, slider->PageUpAction());
    EXPECT_EQ(19, slider->PageDownAction());
    EXPECT_EQ(2, slider->ClickMode());
    EXPECT_EQ(-3, slider->Step());
    const std::uint32_t decWord = HandleTable<UiPartContent>::WordOf(slider->DecArrow());
    const std::uint32_t incWord = HandleTable<UiPartContent>::WordOf(slider->IncArrow());
    EXPECT_EQ(slider->DecArrow(), panel.FindUiPart(decWord));
    EXPECT_EQ(slider->IncArrow(), panel.FindUiPart(incWord));
    EXPECT_EQ(kUiTextButton, panel.FindPart(decWord)->TypeCode());
    EXPECT_EQ(1u, panel.Parts().size()) << "the arrows belong to the slider";
    // The content view sets and reads the value.
    ASSERT_EQ(0, slider->Setup(232, 100, 20, 0, 0, 0));
    UiPartContent* content = panel.FindPart(HandleTable<UiPartContent>::WordOf(part));
    ASSERT_NE(nullptr, content);
    content->SetSliderValue(30);
    EXPECT_EQ(30, content->ValueWord());
    content->SetTypeFlag(false);
    EXPECT_FALSE(slider->RectTrackHit());
    // A neighbour that names an arrow forgets it with the slider.
    TextButton* other = nullptr;
    UiPart* button = nullptr;
    ASSERT_EQ(0, panel.NewTextButton(&button, 0, 300, 20, 12, false, nullptr, nullptr, 0));
    other = static_cast<TextButton*>(button);
    other->SetNeighbours(slider->DecArrow(), nullptr, nullptr, nullptr);
    ASSERT_EQ(0, panel.RemovePart(part));
    EXPECT_EQ(nullptr, panel.FindUiPart(decWord));
    EXPECT_EQ(nullptr, panel.FindUiPart(incWord));
    EXPECT_EQ(nullptr, other->Neighbour(UiPart::kLeft));

    ASSERT_EQ(0, panel.NewSliderPart(&part, 10, 10, true, 16, kFace, kTrack, kHoverWash, kPressedWash, 0, 0));
    slider = static_cast<SliderPart*>(part);
    const std::uint32_t word = HandleTable<UiPartContent>::WordOf(slider->DecArrow());
    panel.DeleteParts();
    EXPECT_EQ(nullptr, panel.FindUiPart(word));
}

TEST_F(SliderTest, ADroppedSpriteListTakesTheSpritesOut) {
    SliderPart slider;
    MakeStandard(slider);
    ASSERT_EQ(&List(), slider.ThumbSprite().List());
    ASSERT_EQ(&List(), slider.TrackSprite().List());
    slider.DropReferencesTo(&List());
    EXPECT_EQ(nullptr, slider.ThumbSprite().List());
    EXPECT_EQ(nullptr, slider.TrackSprite().List());
    EXPECT_EQ(nullptr, slider.DecArrow()->ButtonSprite().List());
    EXPECT_EQ(1, slider.SetPriority(0, 0, true));
    SpriteList other;
    ASSERT_EQ(0, slider.MoveToSpriteList(&other));
    EXPECT_EQ(&other, slider.ThumbSprite().List());
    EXPECT_EQ(&other, slider.IncArrow()->ButtonSprite().List());
    // The track lies below the thumb.
    std::vector<Drawable*> order;
    other.WalkFromHead([&order](SpriteListNode& node) { order.push_back(node.drawable); });
    const auto thumbAt = std::find(order.begin(), order.end(), &slider.ThumbSprite());
    const auto trackAt = std::find(order.begin(), order.end(), &slider.TrackSprite());
    EXPECT_LT(thumbAt, trackAt) << "drawn from the tail: the thumb on top";
    slider.Release();
}

}  // namespace
