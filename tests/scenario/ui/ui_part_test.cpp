#include "scenario/ui/ui_part.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/scenario/ui/ui_scene.h"

using testsupport::Journal;
using testsupport::TestPart;
using testsupport::UiScene;

namespace {

TEST(UiPartBase, StartsEnabledWithoutTooltipGroupNeighboursOrId) {
    Journal journal;
    TestPart part(journal, "p", 0, 0, 10, 10);
    EXPECT_TRUE(part.IsEnabled());
    EXPECT_EQ(nullptr, part.GetTooltip());
    EXPECT_EQ(nullptr, part.Group());
    for (std::int32_t direction = -1; direction <= 4; ++direction) EXPECT_EQ(nullptr, part.Neighbour(direction));
    EXPECT_EQ(-1, part.GetId());
    EXPECT_EQ(0, part.GetTag());
    EXPECT_EQ(0, part.Update(1234));
    part.SetId(7);
    EXPECT_EQ(7, part.GetId());
    part.SetPriority(3, 42, true);
    EXPECT_EQ(42, part.GetTag());
}

TEST(UiPartBase, SetEnabledReportsAChangeOnly) {
    Journal journal;
    TestPart part(journal, "p", 0, 0, 10, 10);
    EXPECT_FALSE(part.SetEnabled(true));
    EXPECT_TRUE(part.SetEnabled(false));
    EXPECT_FALSE(part.IsEnabled());
    EXPECT_FALSE(part.SetEnabled(false));
    EXPECT_TRUE(part.SetEnabled(true));
    EXPECT_TRUE(part.IsEnabled());
}

TEST(UiPartBase, TheTooltipIsACopyAndEmptyTextLeavesNone) {
    Journal journal;
    TestPart part(journal, "p", 0, 0, 10, 10);
    char text[] = "first";
    part.SetTooltip(text);
    std::strcpy(text, "xxxxx");
    EXPECT_STREQ("first", part.GetTooltip());
    part.SetTooltip("");
    EXPECT_EQ(nullptr, part.GetTooltip());
    part.SetTooltip("second");
    part.SetTooltip(nullptr);
    EXPECT_EQ(nullptr, part.GetTooltip());
}

TEST(UiPartBase, NeighboursAreStoredByDirectionAndDroppedWithTheirPart) {
    Journal journal;
    TestPart part(journal, "p", 0, 0, 10, 10);
    TestPart left(journal, "l", 0, 0, 10, 10);
    TestPart right(journal, "r", 0, 0, 10, 10);
    TestPart up(journal, "u", 0, 0, 10, 10);
    part.SetNeighbours(&left, &right, &up, &left);
    EXPECT_EQ(&up, part.Neighbour(UiPart::kUp));
    EXPECT_EQ(&left, part.Neighbour(UiPart::kDown));
    EXPECT_EQ(&left, part.Neighbour(UiPart::kLeft));
    EXPECT_EQ(&right, part.Neighbour(UiPart::kRight));
    part.DropReferencesTo(&left);
    EXPECT_EQ(&up, part.Neighbour(UiPart::kUp));
    EXPECT_EQ(nullptr, part.Neighbour(UiPart::kDown));
    EXPECT_EQ(nullptr, part.Neighbour(UiPart::kLeft));
    EXPECT_EQ(&right, part.Neighbour(UiPart::kRight));
}

// A type that adds nothing to its destruction still leaves its group, through the base.
class PlainPart : public UiPart {
public:
    std::int32_t TypeCode() override { return kUiImagePart; }
    std::int32_t GetX() override { return 0; }
    std::int32_t GetY() override { return 0; }
    std::int32_t GetWidth() override { return 10; }
    std::int32_t GetHeight() override { return 10; }
    std::int32_t SetPosition(std::int32_t, std::int32_t) override { return 0; }
    void SetVisible(bool) override {}
    bool IsVisible() override { return true; }
    std::int32_t SetPriority(std::int32_t, std::int32_t, bool) override { return 1; }
    std::int32_t GetPriority() override { return 0; }
    void SetAlpha(std::uint8_t) override {}
    std::uint8_t GetAlpha() override { return 255; }
    bool HitTest(std::int32_t x, std::int32_t y) override { return x < 10 && y < 10; }
};

TEST(UiPartBase, TheBaseDestructorLeavesTheGroupOfAFocusedHoveredPart) {
    UiScene scene;
    scene.Add("a", 50, 50);
    auto plain = std::make_unique<PlainPart>();
    plain->SetTooltip("tip");
    ASSERT_EQ(0, scene.group.InsertPart(plain.get(), 0));
    scene.group.SetTooltipTiming(true, 0, 0);
    scene.group.FocusPart(plain.get());
    scene.group.Turn(5, 5, {}, 1000);
    scene.group.Turn(5, 5, {}, 1000);
    ASSERT_TRUE(scene.group.TooltipShown());
    scene.Take();
    plain.reset();
    EXPECT_EQ(Journal({"group.hide"}), scene.Take());
    EXPECT_EQ(std::vector<std::string>({"a"}), scene.Members());
    EXPECT_EQ(nullptr, scene.group.FocusedPart());
    EXPECT_EQ(nullptr, scene.group.HoveredPart());
}

}  // namespace
