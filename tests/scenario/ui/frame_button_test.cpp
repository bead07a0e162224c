// Frame buttons on the UI bench: colours by state, creation, sizes, disabling, Return, and a
// dropped sprite list.
#include "scenario/ui/frame_button_part.h"

#include <gtest/gtest.h>

#include "graphics/sprites/sprite_list.h"
#include "tests/support/ui_bench.h"

namespace {

constexpr std::uint32_t kKeep = 0xFFFFFFFFu;

class FrameButtonTest : public testsupport::UiBench {
protected:
    // The rectangle's colour and alpha as one 0xAARRGGBB word.
    std::uint32_t Shown() {
        return (static_cast<std::uint32_t>(frame.Rectangle().Alpha()) << 24) | frame.Rectangle().Colour();
    }

    FrameButtonPart frame;
};

TEST_F(FrameButtonTest, CreationChecksItsArguments) {
    const struct {
        const char* name;
        bool list;
        std::int32_t width;
        std::int32_t height;
        std::int32_t result;
    } cases[] = {
        {"no list", false, 10, 10, 1}, {"width 0", true, 0, 10, 1}, {"negative height", true, 10, -1, 1},
        {"1 x 1", true, 1, 1, 0},
    };
    for (const auto& c : cases) {
        FrameButtonPart part;
        EXPECT_EQ(c.result, part.Create(c.list ? &canvas.Sprites() : nullptr, 0, 5, 5, c.width, c.height, kKeep,
                                        kKeep, kKeep, 0))
            << c.name;
        EXPECT_EQ(c.result == 0, part.Rectangle().List() != nullptr) << c.name;
    }
}

TEST_F(FrameButtonTest, DefaultColoursShowByStateOnTheCanvas) {
    ASSERT_EQ(0, frame.Create(&canvas.Sprites(), 0, 100, 100, 40, 20, kKeep, kKeep, kKeep, 0));
    ASSERT_EQ(0, group.InsertPart(&frame, -1));
    Turn(500, 500);
    EXPECT_EQ(0u, Shown()) << "fully transparent";
    EXPECT_EQ(kBackground, Pixel(110, 110));
    Turn(110, 110);
    EXPECT_EQ(0x400080ffu, Shown());
    EXPECT_NE(kBackground, Pixel(110, 110));
    Turn(110, 110, {"press"});
    EXPECT_EQ(0x40ff8000u, Shown());
    Turn(110, 110, {"release"});
    EXPECT_EQ(0x400080ffu, Shown());

    // Given colours stay for a later creation that keeps them.
    ASSERT_EQ(0, frame.Create(&canvas.Sprites(), 0, 100, 100, 40, 20, 0x80102030u, 0x11223344u, kKeep, 0));
    ASSERT_EQ(0, frame.Create(&canvas.Sprites(), 0, 100, 100, 40, 20, kKeep, kKeep, 0x55667788u, 0));
    EXPECT_EQ(0x80102030u, frame.StateColour(0));
    EXPECT_EQ(0x11223344u, frame.StateColour(1));
    EXPECT_EQ(0x55667788u, frame.StateColour(2));
    EXPECT_EQ(1, canvas.Sprites().Count());
}

TEST_F(FrameButtonTest, DisablingAHoveredButtonShowsTheNormalColourAndEndsTheHover) {
    ASSERT_EQ(0, frame.Create(&canvas.Sprites(), 0, 100, 100, 40, 20, 0x20000000u, kKeep, kKeep, 0));
    ASSERT_EQ(0, group.InsertPart(&frame, -1));
    Turn(110, 110);
    ASSERT_EQ(&frame, group.HoveredPart());
    EXPECT_TRUE(frame.SetEnabled(false));
    EXPECT_EQ(0x20000000u, Shown());
    EXPECT_EQ(nullptr, group.HoveredPart());
    Turn(111, 111);
    EXPECT_EQ(0x20000000u, Shown());
    EXPECT_TRUE(frame.SetEnabled(true));
    EXPECT_EQ(0, frame.State());
}

TEST_F(FrameButtonTest, SetSizeKeepsWhatIsNotPositive) {
    EXPECT_EQ(1, frame.SetSize(10, 10)) << "before creation";
    ASSERT_EQ(0, frame.Create(&canvas.Sprites(), 0, 100, 100, 40, 20, kKeep, kKeep, kKeep, 0));
    ASSERT_EQ(0, frame.SetSize(0, 30));
    EXPECT_EQ(40, frame.GetWidth());
    EXPECT_EQ(30, frame.GetHeight());
    ASSERT_EQ(0, frame.SetSize(50, -2));
    EXPECT_EQ(50, frame.GetWidth());
    EXPECT_EQ(30, frame.GetHeight());
    EXPECT_EQ(50, frame.Rectangle().Width());
    EXPECT_EQ(30, frame.Rectangle().Height());
    EXPECT_TRUE(frame.HitTest(149, 129));
    EXPECT_FALSE(frame.HitTest(150, 129));
    EXPECT_FALSE(frame.HitTest(99, 110));
}

TEST_F(FrameButtonTest, ReturnShowsThePressedColourFor100Ms) {
    ASSERT_EQ(0, frame.Create(&canvas.Sprites(), 0, 100, 100, 40, 20, kKeep, kKeep, kKeep, 0));
    frame.SetId(4);
    ASSERT_EQ(0, group.InsertPart(&frame, -1));
    ASSERT_EQ(0, group.FocusPart(&frame));
    EXPECT_EQ(0x400080ffu, Shown());
    EXPECT_EQ(2, Turn(kWidth - 1, kHeight - 1, {"enter"}, 8000));
    EXPECT_EQ(0x40ff8000u, Shown());
    Turn(kWidth - 1, kHeight - 1, {}, 8100);
    EXPECT_EQ(0x40ff8000u, Shown());
    EXPECT_EQ(-1, group.ResultWord());
    Turn(kWidth - 1, kHeight - 1, {}, 8101);
    EXPECT_EQ(0x400080ffu, Shown());
    EXPECT_EQ(4, group.ResultWord());
}

TEST_F(FrameButtonTest, ADroppedListTakesTheRectangleOutUntilItMoves) {
    SpriteList own;
    ASSERT_EQ(0, frame.Create(&own, 6, 100, 100, 40, 20, kKeep, kKeep, kKeep, 2));
    ASSERT_EQ(0, group.InsertPart(&frame, -1));
    frame.DropReferencesTo(&own);
    EXPECT_EQ(nullptr, frame.Rectangle().List());
    EXPECT_EQ(1, frame.SetPriority(1, 2, true));
    Turn(110, 110);
    Turn(110, 110, {"click"});
    ASSERT_EQ(0, frame.MoveToSpriteList(&canvas.Sprites()));
    EXPECT_EQ(6u, canvas.Sprites().Find(&frame.Rectangle())->priority);
    EXPECT_EQ(2u, canvas.Sprites().Find(&frame.Rectangle())->tag);
}

}  // namespace
