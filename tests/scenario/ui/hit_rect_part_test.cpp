#include "scenario/ui/hit_rect_part.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/scenario/ui/ui_scene.h"

using testsupport::Journal;
using testsupport::UiScene;

namespace {

struct HitRectScene {
    // A rectangle at (100, 100), 40 x 20, id 3, in the group.
    explicit HitRectScene(bool pointerActive = true, bool activatable = true) {
        EXPECT_EQ(0, rect.Create(100, 100, 40, 20, -1, -1, pointerActive, activatable, 0));
        rect.SetId(3);
        EXPECT_EQ(0, scene.group.InsertPart(&rect, -1));
    }
    ~HitRectScene() { scene.group.Clear(); }
    Journal Turn(std::int32_t x, std::int32_t y, const std::vector<std::string>& keys = {}) {
        scene.group.Turn(x, y, keys, now += 10);
        return scene.TakeGroup();
    }

    UiScene scene;
    HitRectPart rect;
    std::uint32_t now = 1000;
};

TEST(HitRectPart, CreateCodesAndTheDefaultFocusPoint) {
    const struct {
        const char* what;
        std::int32_t width, height, focusX, focusY;
        std::int32_t code, expectX, expectY;
    } cases[] = {
        {"no width", 0, 10, 1, 1, 1, 0, 0},
        {"negative height", 10, -1, 1, 1, 1, 0, 0},
        {"given point", 10, 10, 4, 5, 0, 4, 5},
        {"negative x: the centre", 11, 7, -1, 5, 0, 15, 13},
        {"negative y: the centre", 11, 7, 4, -3, 0, 15, 13},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HitRectPart rect;
        EXPECT_EQ(c.code, rect.Create(10, 10, c.width, c.height, c.focusX, c.focusY, true, true, 9));
        EXPECT_EQ(c.expectX, rect.FocusX());
        EXPECT_EQ(c.expectY, rect.FocusY());
        EXPECT_EQ(c.code == 0 ? 9 : 0, rect.GetTag());
    }
}

TEST(HitRectPart, HoverSoundsWordsAndActivationOnPress) {
    HitRectScene s;
    std::int32_t hover = -1, leave = -1, activated = 0;
    ButtonActionSetup setup;
    setup.text1 = "label";
    setup.value = 5;
    setup.hoverFlag = CallerWord::Program(&hover);
    setup.leaveFlag = CallerWord::Program(&leave);
    setup.activatedFlag = CallerWord::Program(&activated);
    ASSERT_TRUE(s.rect.SetAction(setup));
    EXPECT_EQ((Journal{"group.sound - -3"}), s.Turn(110, 105));
    EXPECT_EQ(1, hover);
    EXPECT_EQ(0, leave);
    EXPECT_EQ((Journal{}), s.Turn(139, 119)) << "moving inside: no second enter";
    EXPECT_EQ((Journal{"group.activated 3", "group.sound - -4", "group.action - label 5"}),
              s.Turn(139, 119, {"click"}))
        << "fires on the press";
    EXPECT_EQ(1, activated);
    EXPECT_EQ((Journal{"group.sound - -2"}), s.Turn(140, 119)) << "the right edge is outside";
    EXPECT_EQ(0, hover);
    EXPECT_EQ(1, leave);
}

TEST(HitRectPart, NotActivatableShowsTheHoverButNeverNotifies) {
    HitRectScene s(true, false);
    EXPECT_EQ((Journal{"group.sound - -3"}), s.Turn(110, 105));
    EXPECT_EQ((Journal{}), s.Turn(110, 105, {"click"}));
    EXPECT_EQ((Journal{}), s.Turn(110, 105, {"enter"}));
    EXPECT_FALSE(s.rect.Fire());
}

TEST(HitRectPart, WithoutPointerTheKeysStillFocusAndFireIt) {
    HitRectScene s(false, true);
    EXPECT_EQ((Journal{}), s.Turn(110, 105));
    EXPECT_EQ("null", s.scene.Hovered());
    EXPECT_EQ((Journal{"group.sound - -3"}), s.Turn(0, 0, {"tab"}));
    EXPECT_TRUE(s.rect.Hovered());
    EXPECT_EQ((Journal{"group.activated 3", "group.sound - -4"}), s.Turn(0, 0, {"enter"}));
}

TEST(HitRectPart, FocusPointerModes) {
    for (std::int32_t mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        HitRectScene s;
        s.scene.group.focusPointerMode = mode;
        ASSERT_EQ(0, s.scene.group.FocusPart(&s.rect));
        const Journal expected[] = {
            {"group.sound - -3"},
            {"group.setcursor 120,110"},
            {"group.sound - -3", "group.setcursor 641,480"},
        };
        EXPECT_EQ(expected[mode], s.scene.TakeGroup());
        EXPECT_EQ(mode != 1, s.rect.Hovered());
        // The blur ends the hover without a sound.
        ASSERT_EQ(0, s.scene.group.FocusPart(nullptr));
        EXPECT_EQ((Journal{}), s.scene.TakeGroup());
        EXPECT_FALSE(s.rect.Hovered());
    }
}

}  // namespace
