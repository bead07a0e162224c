// Parts change the hover, the focus and the membership from inside the group's calls (a text
// box asks for the focus in HitTest, a select list focuses itself on enter, slider arrows disable
// themselves, a radio member ends the hover from OnPointer) and may even be deleted there. The
// group must read its state again after each call and touch no freed node: freed nodes and
// deleted parts are poisoned, so a stale use crashes the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "scenario/ui/ui_part_group.h"
#include "tests/scenario/ui/ui_scene.h"

using testsupport::Journal;
using testsupport::TestPart;
using testsupport::UiScene;

namespace {

// What is left must be consistent: hover and focus on live members, members pointing at the
// group, no deleted part anywhere.
void ExpectConsistent(UiScene& scene) {
    const std::vector<UiPart*> members = scene.group.Members();
    const auto isMember = [&](const UiPart* part) {
        return std::find(members.begin(), members.end(), part) != members.end();
    };
    for (UiPart* part : members) {
        EXPECT_EQ(&scene.group, part->Group());
        EXPECT_EQ(scene.deleted.end(), std::find(scene.deleted.begin(), scene.deleted.end(), part));
    }
    if (UiPart* hovered = scene.group.HoveredPart()) {
        EXPECT_TRUE(isMember(hovered));
    }
    if (UiPart* focused = scene.group.FocusedPart()) {
        EXPECT_TRUE(isMember(focused));
    }
}

struct Action {
    const char* name;
    std::function<void(UiScene&)> run;
};

const std::vector<Action>& Actions() {
    static const std::vector<Action> actions = {
        {"remove itself", [](UiScene& s) { s.group.RemovePart(s.Part("a")); }},
        {"delete itself", [](UiScene& s) { s.Delete("a"); }},
        {"hide itself", [](UiScene& s) { s.Part("a")->SetVisible(false); }},
        {"disable itself", [](UiScene& s) { s.Part("a")->SetEnabled(false); }},
        {"focus itself", [](UiScene& s) { s.group.FocusPart(s.Part("a")); }},
        {"focus another", [](UiScene& s) { s.group.FocusPart(s.Part("b")); }},
        {"clear the focus", [](UiScene& s) { s.group.FocusPart(nullptr); }},
        {"end the hover", [](UiScene& s) { s.group.EndHover(); }},
        {"remove another", [](UiScene& s) { s.group.RemovePart(s.Part("b")); }},
        {"delete another", [](UiScene& s) { s.Delete("b"); }},
        {"push the group", [](UiScene& s) { s.group.PushState(); }},
        {"pop the group", [](UiScene& s) { s.group.PopState(); }},
        {"clear the group", [](UiScene& s) { s.group.Clear(); }},
        {"reset the group", [](UiScene& s) { s.group.Reset(); }},
        {"focus the next part", [](UiScene& s) { s.group.FocusNext(); }},
    };
    return actions;
}

const char* const kCallbacks[] = {"hittest", "enter", "move", "pointer", "leave",
                                  "focus", "blur", "keys", "text"};

// Drives every callback of part a at least once: focus and blur, hover, moves, a click, keys,
// text, Tab, leaving and removal.
void Drive(UiScene& scene) {
    {
        std::uint32_t now = 1000;
        const auto turn = [&](std::int32_t x, std::int32_t y, std::vector<std::string> keys) {
            scene.group.Turn(x, y, keys, now += 100);
            ExpectConsistent(scene);
        };
        if (TestPart* a = scene.Part("a")) scene.group.FocusPart(a);
        ExpectConsistent(scene);
        turn(20, 20, {});
        turn(25, 20, {"click"});
        turn(25, 20, {"enter"});
        scene.group.captureText = true;
        turn(25, 20, {});
        scene.group.captureText = false;
        turn(160, 20, {"tab"});
        turn(20, 20, {"shift", "tab"});
        turn(20, 20, {"down"});
        turn(500, 400, {});
        turn(20, 20, {});
        if (TestPart* c = scene.Part("c")) scene.group.FocusPart(c);
        ExpectConsistent(scene);
        if (TestPart* a = scene.Part("a")) scene.group.RemovePart(a);
        ExpectConsistent(scene);
    }
}

TEST(UiPartGroupCallbacks, APartMayActFromAnyCallback) {
    for (const char* callback : kCallbacks) {
        for (const Action& action : Actions()) {
            SCOPED_TRACE(std::string("from ") + callback + ": " + action.name);
            UiScene scene;
            scene.Add("saved", 300, 300);
            ASSERT_EQ(0, scene.group.PushState());
            TestPart& a = scene.Add("a", 10, 10);
            a.consumesClick = true;
            a.consumesEnter = true;
            a.SetTooltip("tip");
            scene.Add("b", 150, 10);
            scene.Add("c", 10, 100);
            a.SetNeighbours(nullptr, nullptr, nullptr, scene.Part("c"));
            scene.group.SetTooltipTiming(true, 0, 0);
            a.On(callback, [&scene, &action] { action.run(scene); });
            Drive(scene);
        }
    }
}

// The four cases named above, with what each must leave behind.
TEST(UiPartGroupCallbacks, ATextBoxTakingTheFocusInHitTest) {
    UiScene scene;
    TestPart& box = scene.Add("a", 10, 10);
    scene.Add("b", 150, 10);
    scene.group.FocusPart(scene.Part("b"));
    scene.Take();
    box.On("hittest", [&] { scene.group.FocusPart(&box); });
    EXPECT_EQ(0, scene.group.Turn(20, 20, {}, 1000));
    EXPECT_EQ(Journal({"b.blur a", "a.focus b fwd", "a.enter", "a.move 10,10", "a.pointer 10,10"}), scene.Take());
    EXPECT_EQ("a", scene.Focused());
    EXPECT_EQ("a", scene.Hovered());
}

TEST(UiPartGroupCallbacks, ASelectListFocusingItselfOnEnter) {
    UiScene scene;
    TestPart& list = scene.Add("a", 10, 10);
    list.On("enter", [&] { scene.group.FocusPart(&list); });
    // Focusing ends the hover the enter began; the pointer step ends with it.
    EXPECT_EQ(0, scene.group.Turn(20, 20, {}, 1000));
    EXPECT_EQ(Journal({"a.enter", "a.leave", "a.focus null fwd"}), scene.Take());
    EXPECT_EQ("a", scene.Focused());
    EXPECT_EQ("null", scene.Hovered());
}

TEST(UiPartGroupCallbacks, AnArrowDisablingItselfOnAClick) {
    UiScene scene;
    TestPart& arrow = scene.Add("a", 10, 10);
    arrow.consumesClick = true;
    scene.group.FocusPart(&arrow);
    scene.group.Turn(20, 20, {}, 1000);
    scene.Take();
    arrow.On("pointer", [&] { arrow.SetEnabled(false); });
    EXPECT_EQ(1, scene.group.Turn(20, 20, {"click"}, 1100));
    EXPECT_EQ(Journal({"a.pointer 10,10", "a.leave", "a.blur null"}), scene.Take());
    EXPECT_EQ("null", scene.Focused());
    EXPECT_EQ("null", scene.Hovered());
}

TEST(UiPartGroupCallbacks, ARadioMemberEndingTheHoverFromOnPointer) {
    UiScene scene;
    TestPart& radio = scene.Add("a", 10, 10);
    radio.SetTooltip("tip");
    scene.group.SetTooltipTiming(true, 0, 0);
    radio.On("pointer", [&] { scene.group.EndHover(); }, -1);
    EXPECT_EQ(0, scene.group.Turn(20, 20, {}, 1000));
    EXPECT_EQ(Journal({"a.enter", "a.move 10,10", "a.pointer 10,10", "a.leave"}), scene.Take());
    // Still over it, but nothing is hovered until the pointer moves.
    EXPECT_EQ(0, scene.group.Turn(20, 20, {}, 2000));
    EXPECT_EQ(Journal{}, scene.Take());
    EXPECT_EQ(0, scene.group.Turn(21, 20, {}, 2100));
    EXPECT_EQ(Journal({"a.enter", "a.move 11,10", "a.pointer 11,10", "a.leave"}), scene.Take());
}

TEST(UiPartGroupCallbacks, APartDeletingItselfOnLeaveWhileAnotherIsEntered) {
    UiScene scene;
    TestPart& a = scene.Add("a", 10, 10);
    scene.Add("b", 150, 10);
    scene.group.Turn(20, 20, {}, 1000);
    scene.Take();
    a.On("leave", [&] { scene.Delete("a"); });
    EXPECT_EQ(0, scene.group.Turn(160, 20, {}, 1100));
    EXPECT_EQ(Journal({"a.leave", "a.deleted", "b.enter", "b.move 10,10", "b.pointer 10,10"}), scene.Take());
    EXPECT_EQ(std::vector<std::string>({"b"}), scene.Members());
    EXPECT_EQ("b", scene.Hovered());
}

}  // namespace
