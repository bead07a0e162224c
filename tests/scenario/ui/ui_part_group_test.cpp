#include "scenario/ui/ui_part_group.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/scenario/ui/ui_scene.h"

using testsupport::Journal;
using testsupport::TestPart;
using testsupport::UiScene;

namespace {

struct TurnCase {
    const char* what;
    std::int32_t x;
    std::int32_t y;
    std::vector<std::string> keys;
    std::int32_t result;
    Journal calls;
};

void RunTurns(UiScene& scene, const std::vector<TurnCase>& turns, std::uint32_t start = 1000) {
    std::uint32_t now = start;
    for (const TurnCase& turn : turns) {
        SCOPED_TRACE(turn.what);
        EXPECT_EQ(turn.result, scene.group.Turn(turn.x, turn.y, turn.keys, now += 10));
        EXPECT_EQ(turn.result, scene.group.LastResult());
        EXPECT_EQ(turn.calls, scene.Take());
    }
}

// --- ProcessPointer ---

TEST(UiPartGroupPointer, HoverFollowsThePointerOverEnabledVisibleParts) {
    UiScene scene;
    // On top of c (inserted earlier), but never hovered.
    scene.Add("dis", 10, 100).SetEnabled(false);
    scene.Add("inv", 10, 100).SetVisible(false);
    scene.Add("a", 10, 10);
    scene.Add("b", 60, 10);
    scene.Add("c", 10, 100).consumesClick = true;
    RunTurns(scene, {
        {"entering a", 20, 20, {}, 0, {"a.enter", "a.move 10,10", "a.pointer 10,10"}},
        {"the overlap keeps the part inserted first", 70, 20, {}, 0, {"a.move 60,10", "a.pointer 60,10"}},
        {"b alone", 150, 20, {}, 0, {"a.leave", "b.enter", "b.move 90,10", "b.pointer 90,10"}},
        {"a still pointer is no move", 150, 20, {}, 0, {"b.pointer 90,10"}},
        {"disabled and invisible parts on top are passed over", 20, 110, {}, 0,
         {"b.leave", "c.enter", "c.move 10,10", "c.pointer 10,10"}},
        {"a click the part consumes", 20, 110, {"click"}, 1, {"c.pointer 10,10"}},
        {"a click it does not see again", 20, 110, {}, 0, {"c.pointer 10,10"}},
        {"off every part", 500, 400, {}, 0, {"c.leave"}},
        {"nothing under the pointer", 500, 400, {"click"}, 0, {}},
    });
}

TEST(UiPartGroupPointer, TheFocusedPartHearsTheLeaveWhenAnotherPartIsEntered) {
    UiScene scene;
    scene.Add("a", 10, 10);
    scene.Add("b", 150, 10);
    ASSERT_EQ(0, scene.group.FocusPart(scene.Part("a")));
    EXPECT_EQ(Journal({"a.focus null fwd"}), scene.Take());
    RunTurns(scene, {
        {"entering b", 160, 20, {}, 0, {"a.leave", "b.enter", "b.move 10,10", "b.pointer 10,10"}},
        {"entering the focused part", 20, 20, {}, 0, {"b.leave", "a.enter", "a.move 10,10", "a.pointer 10,10"}},
        // It was the hovered part as well: one leave, not two.
        {"leaving the focused part", 500, 400, {}, 0, {"a.leave"}},
        {"entering b again", 160, 20, {}, 0, {"a.leave", "b.enter", "b.move 10,10", "b.pointer 10,10"}},
    });
}

TEST(UiPartGroupPointer, CaptureKeepsTheHover) {
    UiScene scene;
    scene.Add("a", 10, 10);
    scene.Add("b", 150, 10);
    RunTurns(scene, {{"entering a", 20, 20, {}, 0, {"a.enter", "a.move 10,10", "a.pointer 10,10"}}});
    scene.group.SetPointerCaptured(true);
    RunTurns(scene, {
        {"dragged over b", 160, 20, {}, 0, {"a.move 150,10", "a.pointer 150,10"}},
        {"dragged off every part", 500, 400, {}, 0, {"a.move 490,390", "a.pointer 490,390"}},
    });
    scene.group.SetPointerCaptured(false);
    RunTurns(scene, {{"released over b", 161, 20, {}, 0, {"a.leave", "b.enter", "b.move 11,10", "b.pointer 11,10"}}});
}

TEST(UiPartGroupPointer, ResultsOfATurn) {
    UiScene scene;
    TestPart& a = scene.Add("a", 10, 10);
    scene.Add("b", 150, 10);
    a.consumesEnter = true;
    scene.group.FocusPart(&a);
    scene.Take();
    RunTurns(scene, {
        {"nothing happened", 500, 400, {}, 0, {}},
        {"the focused part took the Enter action", 500, 400, {"enter"}, 2, {"a.keys enter"}},
        {"Tab moved the focus", 500, 400, {"tab"}, 4, {"a.blur b", "b.focus a fwd"}},
        {"Shift+Tab moved it back", 500, 400, {"shift", "tab"}, 4, {"b.blur a", "a.focus b back"}},
        {"Escape is no navigation", 500, 400, {"escape"}, 0, {}},
    });
    scene.group.captureText = true;
    RunTurns(scene, {{"captured text went to the focused part", 500, 400, {"enter"}, 3, {"a.text abc"}}});
    scene.group.captureText = false;

    scene.group.updateParts = false;
    RunTurns(scene, {{"the derived group refused the turn", 20, 20, {"tab"}, -1, {}}});
    scene.group.updateParts = true;

    scene.group.SetPointerEnabled(false);
    EXPECT_EQ(Journal({"a.blur null"}), scene.Take());
    EXPECT_EQ("null", scene.Focused());
    RunTurns(scene, {{"pointer processing off", 20, 20, {"tab"}, -1, {}}});
    scene.group.SetPointerEnabled(true);
    RunTurns(scene, {{"on again", 20, 20, {}, 0, {"a.enter", "a.move 10,10", "a.pointer 10,10"}}});
}

// --- Tooltips ---

struct TooltipTurn {
    std::int32_t x;
    std::uint32_t now;
    std::vector<std::string> keys;
    Journal shown;
};

void RunTooltipTurns(UiScene& scene, const std::vector<TooltipTurn>& turns) {
    for (const TooltipTurn& turn : turns) {
        SCOPED_TRACE("at " + std::to_string(turn.now) + " ms, x " + std::to_string(turn.x));
        scene.group.Turn(turn.x, 20, turn.keys, turn.now);
        EXPECT_EQ(turn.shown, scene.TakeGroup());
    }
}

class UiPartGroupTooltip : public ::testing::Test {
protected:
    UiPartGroupTooltip() {
        TestPart& tipped = scene.Add("t", 10, 10);
        tipped.SetTooltip("tip");
        tipped.consumesClick = true;
        scene.Add("u", 150, 10);
    }
    UiScene scene;
};

TEST_F(UiPartGroupTooltip, ShownAfterTheDelayFromTheEnterAndKept) {
    scene.group.SetTooltipTiming(true, 500, 0);
    RunTooltipTurns(scene, {
        {20, 1000, {}, {}},
        {20, 1499, {}, {}},
        {20, 1500, {}, {"group.tooltip tip 20,20"}},
        {20, 9000, {}, {}},
        {160, 9100, {}, {"group.hide"}},
    });
}

TEST_F(UiPartGroupTooltip, AMoveStartsTheDelayAgain) {
    scene.group.SetTooltipTiming(true, 500, 0);
    RunTooltipTurns(scene, {
        {20, 1000, {}, {}},
        {25, 1300, {}, {}},
        {25, 1799, {}, {}},
        {25, 1800, {}, {"group.tooltip tip 25,20"}},
    });
}

TEST_F(UiPartGroupTooltip, AClickHidesItUntilThePointerLeaves) {
    scene.group.SetTooltipTiming(true, 500, 0);
    RunTooltipTurns(scene, {
        {20, 1000, {}, {}},
        {20, 1500, {}, {"group.tooltip tip 20,20"}},
        {20, 1600, {"click"}, {"group.hide"}},
        {20, 5000, {}, {}},
        {21, 5100, {}, {}},
        {21, 9000, {}, {}},
        {160, 9100, {}, {}},
        {20, 9200, {}, {}},
        {20, 9700, {}, {"group.tooltip tip 20,20"}},
    });
}

TEST_F(UiPartGroupTooltip, ADurationClosesItAfterDelayPlusDuration) {
    scene.group.SetTooltipTiming(true, 500, 300);
    RunTooltipTurns(scene, {
        {20, 1000, {}, {}},
        {20, 1500, {}, {"group.tooltip tip 20,20"}},
        {20, 1800, {}, {}},
        {20, 1801, {}, {"group.hide"}},
        {20, 5000, {}, {}},
    });
}

TEST_F(UiPartGroupTooltip, NoneWhileDisabledOrWithoutText) {
    RunTooltipTurns(scene, {{20, 1000, {}, {}}, {20, 9000, {}, {}}});
    scene.group.SetTooltipTiming(true, 500, 0);
    scene.Part("t")->SetTooltip("");
    EXPECT_EQ(nullptr, scene.Part("t")->GetTooltip());
    RunTooltipTurns(scene, {{160, 10000, {}, {}}, {20, 10010, {}, {}}, {20, 20000, {}, {}}});
}

TEST_F(UiPartGroupTooltip, ReplacingTheTextOfTheHoveredPartHidesTheShownOne) {
    scene.group.SetTooltipTiming(true, 500, 0);
    RunTooltipTurns(scene, {{20, 1000, {}, {}}, {20, 1500, {}, {"group.tooltip tip 20,20"}}});
    scene.Part("t")->SetTooltip("other");
    EXPECT_EQ(Journal({"group.hide"}), scene.TakeGroup());
    EXPECT_STREQ("other", scene.Part("t")->GetTooltip());
    // Timing stopped with the close; it starts again on the next part entered.
    RunTooltipTurns(scene, {{20, 5000, {}, {}}, {160, 5100, {}, {}}, {20, 5200, {}, {}},
                            {20, 5700, {}, {"group.tooltip other 20,20"}}});
    scene.group.SetTooltipTiming(false, 500, 0);
    EXPECT_EQ(Journal({"group.hide"}), scene.TakeGroup());
}

// --- Focus ---

TEST(UiPartGroupFocus, FocusPartCodes) {
    UiScene scene;
    TestPart& outside = scene.Add("outside", 0, 0, 10, 10, false);
    EXPECT_EQ(1, scene.group.FocusPart(&outside));
    EXPECT_EQ(1, scene.group.FocusPart(nullptr));
    TestPart& a = scene.Add("a", 10, 10);
    scene.Add("dis", 10, 60).SetEnabled(false);
    scene.Add("inv", 10, 110).SetVisible(false);
    EXPECT_EQ(2, scene.group.FocusPart(&outside));
    EXPECT_EQ(3, scene.group.FocusPart(scene.Part("dis")));
    EXPECT_EQ(3, scene.group.FocusPart(scene.Part("inv")));
    EXPECT_EQ(Journal{}, scene.Take());
    EXPECT_EQ(0, scene.group.FocusPart(&a));
    EXPECT_TRUE(scene.group.IsFocused(&a));
    EXPECT_FALSE(scene.group.IsFocused(nullptr));
    // Focusing the focused part again tells nobody.
    EXPECT_EQ(0, scene.group.FocusPart(&a));
    EXPECT_EQ(Journal({"a.focus null fwd"}), scene.Take());
    EXPECT_EQ(0, scene.group.FocusPart(nullptr));
    EXPECT_EQ(Journal({"a.blur null"}), scene.Take());
    EXPECT_EQ("null", scene.Focused());
}

TEST(UiPartGroupFocus, NextAndPreviousWrapOverQualifyingParts) {
    UiScene scene;
    scene.Add("a", 10, 10);
    scene.Add("b", 10, 60).SetEnabled(false);
    scene.Add("c", 10, 110);
    scene.Add("d", 10, 160).SetVisible(false);
    struct Step {
        bool next;
        std::int32_t result;
        const char* focused;
    } steps[] = {
        {true, 0, "a"}, {true, 0, "c"}, {true, 0, "a"}, {false, 0, "c"}, {false, 0, "a"}, {false, 0, "c"},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(step.result, step.next ? scene.group.FocusNext() : scene.group.FocusPrevious());
        EXPECT_EQ(step.focused, scene.Focused());
    }
    scene.group.FocusPart(nullptr);
    scene.Take();
    EXPECT_EQ(0, scene.group.FocusPrevious());
    EXPECT_EQ(Journal({"c.focus null back"}), scene.Take());
}

TEST(UiPartGroupFocus, NextAndPreviousWhenNothingElseQualifies) {
    UiScene empty;
    EXPECT_EQ(1, empty.group.FocusNext());
    EXPECT_EQ(1, empty.group.FocusPrevious());

    UiScene scene;
    scene.Add("a", 10, 10).SetEnabled(false);
    scene.Add("b", 10, 60).SetVisible(false);
    EXPECT_EQ(2, scene.group.FocusNext());
    EXPECT_EQ(2, scene.group.FocusPrevious());
    scene.Part("a")->SetEnabled(true);
    ASSERT_EQ(0, scene.group.FocusNext());
    scene.Take();
    EXPECT_EQ(-1, scene.group.FocusNext());
    EXPECT_EQ(-1, scene.group.FocusPrevious());
    EXPECT_EQ("a", scene.Focused());
    EXPECT_EQ(Journal{}, scene.Take());
    // By keys the part alone is offered the focus again, with itself as the previous part.
    RunTurns(scene, {
        {"Tab", 500, 400, {"tab"}, 4, {"a.focus a fwd"}},
        {"Shift+Tab", 500, 400, {"shift", "tab"}, 4, {"a.focus a back"}},
        {"down", 500, 400, {"down"}, 4, {"a.focus a fwd"}},
        {"up", 500, 400, {"up"}, 4, {"a.focus a back"}},
    });
}

TEST(UiPartGroupFocus, NeighboursByDirectionActions) {
    UiScene scene;
    TestPart& a = scene.Add("a", 10, 10);
    scene.Add("b", 10, 60);
    TestPart& c = scene.Add("c", 10, 110);
    TestPart& outside = scene.Add("x", 300, 10, 10, 10, false);
    a.SetNeighbours(nullptr, &c, nullptr, &outside);
    const auto refocus = [&] {
        scene.group.FocusPart(&a);
        scene.Take();
    };
    refocus();
    // The neighbour outside the group cannot take the focus: down falls through to "next".
    RunTurns(scene, {{"down to a part outside", 500, 400, {"down"}, 4, {"a.blur b", "b.focus a fwd"}}});
    refocus();
    RunTurns(scene, {{"right to c", 500, 400, {"right"}, 4, {"a.blur c", "c.focus a fwd"}}});
    refocus();
    RunTurns(scene, {{"left without a neighbour is previous", 500, 400, {"left"}, 4, {"a.blur c", "c.focus a back"}}});
    refocus();
    c.SetEnabled(false);
    RunTurns(scene, {{"right to a disabled neighbour is next", 500, 400, {"right"}, 4, {"a.blur b", "b.focus a fwd"}}});
}

TEST(UiPartGroupFocus, DisablingTheFocusedHoveredPartClearsBoth) {
    UiScene scene;
    TestPart& a = scene.Add("a", 10, 10);
    // Focusing ends the hover: the focus comes first.
    scene.group.FocusPart(&a);
    scene.group.Turn(20, 20, {}, 1000);
    scene.Take();
    ASSERT_EQ("a", scene.Hovered());
    EXPECT_TRUE(a.SetEnabled(false));
    EXPECT_EQ("null", scene.Focused());
    EXPECT_EQ("null", scene.Hovered());
    EXPECT_EQ(Journal({"a.leave", "a.blur null"}), scene.Take());
    EXPECT_FALSE(a.SetEnabled(false));
    EXPECT_FALSE(a.IsEnabled());
    EXPECT_EQ(Journal{}, scene.Take());
    EXPECT_TRUE(a.SetEnabled(true));
    EXPECT_EQ(Journal{}, scene.Take());
}

TEST(UiPartGroupFocus, HidingTheHoveredPartEndsTheHoverOnly) {
    UiScene scene;
    TestPart& a = scene.Add("a", 10, 10);
    scene.Add("b", 150, 10);
    scene.group.FocusPart(scene.Part("b"));
    scene.group.Turn(20, 20, {}, 1000);
    scene.Take();
    a.SetVisible(false);
    EXPECT_EQ("null", scene.Hovered());
    EXPECT_EQ("b", scene.Focused());
    EXPECT_EQ(Journal({"a.leave"}), scene.Take());
}

// A part that cannot hold the focus hands it on from OnFocus. Two of them used to hand it back
// and forth without end; each is offered it once per chain, and the last one clears it.
TEST(UiPartGroupFocus, PartsThatCannotTakeTheFocusEndTheChain) {
    UiScene scene;
    scene.Add("a", 10, 10).passesFocus = true;
    scene.Add("b", 10, 60).passesFocus = true;
    RunTurns(scene, {
        {"Tab", 500, 400, {"tab"}, 4, {"a.focus null fwd", "a.blur b", "b.focus a fwd", "b.blur null"}},
        {"Tab again", 500, 400, {"tab"}, 4, {"a.focus null fwd", "a.blur b", "b.focus a fwd", "b.blur null"}},
        {"Shift+Tab", 500, 400, {"shift", "tab"}, 4,
         {"b.focus null back", "b.blur a", "a.focus b back", "a.blur null"}},
    });
    EXPECT_EQ("null", scene.Focused());
    // A part that takes it ends the chain.
    scene.Add("c", 10, 110);
    RunTurns(scene, {{"Tab with c", 500, 400, {"tab"}, 4,
                      {"a.focus null fwd", "a.blur b", "b.focus a fwd", "b.blur c", "c.focus b fwd"}}});
    EXPECT_EQ("c", scene.Focused());
    // With c gone, the part alone offered the focus again passes it to b and b clears it.
    scene.Delete("c");
    scene.group.FocusPart(nullptr);
    scene.Take();
    EXPECT_EQ(0, scene.group.FocusPart(scene.Part("a")));
    EXPECT_EQ(Journal({"a.focus null fwd", "a.blur b", "b.focus a fwd", "b.blur null"}), scene.Take());
    EXPECT_EQ("null", scene.Focused());
}

// --- Membership ---

TEST(UiPartGroupMembers, InsertPartPlacesAndRefuses) {
    UiScene scene;
    TestPart& a = scene.Add("a", 0, 0, 10, 10, false);
    struct Case {
        const char* name;
        std::int32_t index;
        std::vector<std::string> members;
    } cases[] = {
        {"a", 5, {"a"}},
        {"b", -1, {"a", "b"}},
        {"c", 0, {"c", "a", "b"}},
        {"d", 1, {"c", "d", "a", "b"}},
        {"e", 4, {"c", "d", "a", "b", "e"}},
        {"f", 99, {"c", "d", "a", "b", "e", "f"}},
        {"g", -7, {"c", "d", "a", "b", "e", "f", "g"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestPart& part = c.name == std::string("a") ? a : scene.Add(c.name, 0, 0, 10, 10, false);
        EXPECT_EQ(0, scene.group.InsertPart(&part, c.index));
        EXPECT_EQ(&scene.group, part.Group());
        EXPECT_EQ(c.members, scene.Members());
    }
    EXPECT_EQ(1, scene.group.InsertPart(nullptr, 0));
    EXPECT_EQ(2, scene.group.InsertPart(&a, 0));
    UiScene other;
    EXPECT_EQ(2, other.group.InsertPart(&a, 0));
    TestPart& h = scene.Add("h", 0, 0, 10, 10, false);
    scene.group.failNodes = true;
    EXPECT_EQ(3, scene.group.InsertPart(&h, 0));
    EXPECT_EQ(nullptr, h.Group());
    EXPECT_EQ(7u, scene.Members().size());
}

TEST(UiPartGroupMembers, InsertionChangesNeitherFocusNorHover) {
    UiScene scene;
    scene.Add("a", 10, 10);
    scene.group.FocusPart(scene.Part("a"));
    scene.group.Turn(20, 20, {}, 1000);
    scene.Take();
    scene.Add("b", 10, 10, 100, 40, false);
    EXPECT_EQ(0, scene.group.InsertPart(scene.Part("b"), 0));
    EXPECT_EQ("a", scene.Hovered());
    EXPECT_EQ("a", scene.Focused());
    EXPECT_EQ(Journal{}, scene.Take());
}

TEST(UiPartGroupMembers, PushAndPopSaveWholeMemberLists) {
    UiScene scene;
    EXPECT_EQ(1, scene.group.PushState());
    EXPECT_EQ(0, scene.group.SavedStateCount());
    EXPECT_EQ(1, scene.group.PopState());
    scene.Add("a", 10, 10);
    scene.Add("b", 150, 10);
    scene.group.FocusPart(scene.Part("b"));
    scene.group.Turn(20, 20, {}, 1000);
    scene.Take();
    EXPECT_EQ(0, scene.group.PushState());
    EXPECT_EQ(Journal({"a.leave", "b.blur null"}), scene.Take());
    EXPECT_EQ(std::vector<std::string>{}, scene.Members());
    EXPECT_EQ(1, scene.group.SavedStateCount());
    // Members in name: they cannot join another group meanwhile.
    EXPECT_EQ(&scene.group, scene.Part("a")->Group());
    scene.Add("m", 10, 10);
    scene.group.FocusPart(scene.Part("m"));
    scene.group.Turn(21, 20, {}, 1010);
    scene.Take();
    EXPECT_EQ(0, scene.group.PopState());
    EXPECT_EQ(Journal({"m.leave", "m.blur null"}), scene.Take());
    EXPECT_EQ(nullptr, scene.Part("m")->Group());
    EXPECT_EQ(std::vector<std::string>({"a", "b"}), scene.Members());
    EXPECT_EQ("null", scene.Focused());
    EXPECT_EQ("null", scene.Hovered());
    EXPECT_EQ(0, scene.group.SavedStateCount());
    EXPECT_EQ(1, scene.group.PopState());
}

TEST(UiPartGroupMembers, APartRemovedOrDeletedWhilePushedStaysGone) {
    UiScene scene;
    scene.Add("a", 10, 10);
    scene.Add("b", 10, 60);
    scene.Add("c", 10, 110);
    ASSERT_EQ(0, scene.group.PushState());
    scene.Add("d", 10, 10);
    ASSERT_EQ(0, scene.group.PushState());
    scene.group.RemovePart(scene.Part("a"));
    EXPECT_EQ(nullptr, scene.Part("a")->Group());
    scene.Delete("c");
    scene.Delete("d");
    scene.Take();
    EXPECT_EQ(0, scene.group.PopState());
    EXPECT_EQ(std::vector<std::string>{}, scene.Members());
    EXPECT_EQ(0, scene.group.PopState());
    EXPECT_EQ(std::vector<std::string>({"b"}), scene.Members());
    // Removing a part found nowhere leaves it alone.
    scene.group.RemovePart(scene.Part("a"));
    EXPECT_EQ(0, scene.group.InsertPart(scene.Part("a"), -1));
}

TEST(UiPartGroupMembers, ADeletedFocusedHoveredPartHearsItsOwnBlurAndLeave) {
    UiScene scene;
    scene.Add("a", 10, 10).SetTooltip("tip");
    scene.Add("b", 150, 10);
    scene.group.SetTooltipTiming(true, 0, 0);
    scene.group.FocusPart(scene.Part("a"));
    scene.group.Turn(20, 20, {}, 1000);
    scene.group.Turn(20, 20, {}, 1000);
    ASSERT_TRUE(scene.group.TooltipShown());
    scene.Take();
    scene.Delete("a");
    EXPECT_EQ(Journal({"a.leave", "group.hide", "a.blur a", "a.deleted"}), scene.Take());
    EXPECT_EQ(std::vector<std::string>({"b"}), scene.Members());
    EXPECT_EQ("null", scene.Focused());
    EXPECT_EQ("null", scene.Hovered());
}

TEST(UiPartGroupMembers, ClearAndRemoveTellTheFocusedAndHoveredParts) {
    UiScene scene;
    scene.Add("a", 10, 10);
    scene.Add("b", 150, 10);
    scene.group.FocusPart(scene.Part("b"));
    scene.group.Turn(20, 20, {}, 1000);
    scene.Take();
    scene.group.RemovePart(scene.Part("b"));
    EXPECT_EQ(Journal({"b.blur b"}), scene.Take());
    EXPECT_EQ(nullptr, scene.Part("b")->Group());
    scene.group.Clear();
    EXPECT_EQ(Journal({"a.leave"}), scene.Take());
    EXPECT_EQ(nullptr, scene.Part("a")->Group());
    EXPECT_EQ(std::vector<std::string>{}, scene.Members());
    // The last position was forgotten: the same point counts as a move.
    scene.group.InsertPart(scene.Part("a"), -1);
    scene.group.Turn(20, 20, {}, 1010);
    EXPECT_EQ(Journal({"a.enter", "a.move 10,10", "a.pointer 10,10"}), scene.Take());
}

TEST(UiPartGroupMembers, AGroupGoneReleasesTheMembersOfEverySavedList) {
    Journal journal;
    TestPart saved(journal, "saved", 10, 10, 100, 40);
    TestPart current(journal, "current", 10, 10, 100, 40);
    {
        testsupport::UiTestGroup group(journal);
        group.InsertPart(&saved, -1);
        ASSERT_EQ(0, group.PushState());
        group.InsertPart(&current, -1);
        group.FocusPart(&current);
        journal.clear();
    }
    EXPECT_EQ(Journal({"current.blur null"}), journal);
    EXPECT_EQ(nullptr, saved.Group());
    EXPECT_EQ(nullptr, current.Group());
}

TEST(UiPartGroupMembers, ParkCursorGoesPastTheScreen) {
    UiScene scene;
    scene.group.ParkCursor();
    EXPECT_EQ(Journal({"group.setcursor 641,480"}), scene.Take());
}

}  // namespace
