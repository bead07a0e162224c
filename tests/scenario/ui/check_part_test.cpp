// Check boxes and radio groups on the UI bench: the face table, creation and its refusals, the
// radio group by pointer and keys, selection by script, removal, disabling, commit, and a
// leader's placement carrying its followers.
#include "scenario/ui/check_part.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/data/qgm_image_set.h"
#include "graphics/sprites/sprite_list.h"
#include "scenario/ui/text_button.h"
#include "scenario/ui/ui_panel.h"
#include "tests/support/qgm_writer.h"
#include "tests/support/ui_bench.h"

namespace {

class CheckPartTest : public testsupport::UiBench {
protected:
    // A strip of `faces` faces of 10 x 6 in colours 0x100000 x (i + 1) + 0x40, a 24-bit BMP.
    void WriteStrip(const std::string& name, std::int32_t faces) {
        testsupport::DibLayout layout;
        layout.bitCount = 24;
        layout.width = faces * 10;
        for (std::int32_t y = 0; y < 6; ++y) {
            std::vector<std::uint32_t> row;
            for (std::int32_t x = 0; x < faces * 10; ++x) row.push_back(FaceColour(x / 10));
            layout.rows.push_back(row);
        }
        layout.rows[0][0] = 0xFF00FF;
        WriteBmp(name, layout);
    }
    static std::uint32_t FaceColour(std::int32_t face) {
        return 0x100000u * static_cast<std::uint32_t>(face + 1) + 0x40;
    }
    static std::int32_t ShownFace(CheckPart& part) { return part.PartSprite().SourceRect().left / part.GetWidth(); }
    SpriteList& List() { return canvas.Sprites(); }

    // A radio group of kind 3 (three faces) at x = 100, 130, 160, y = 100, in the group.
    void MakeRadioGroup(std::uint8_t kind = 3) {
        WriteStrip("radio.bmp", CheckPartBase::FaceCount(kind, true));
        for (int i = 0; i < 3; ++i) {
            members[i] = std::make_unique<CheckPart>();
            ASSERT_EQ(0, members[i]->CreateFromFile(&List(), 5, CallerWord::Program(&outputs[i]), "radio.bmp", kind,
                                                    true, i == 0 ? nullptr : members[0].get(), 100 + 30 * i, 100, 0,
                                                    255, -1, -1, 0));
            ASSERT_EQ(0, group.InsertPart(members[i].get(), -1));
        }
    }
    std::vector<std::int32_t> Outputs() const { return {outputs[0], outputs[1], outputs[2]}; }
    std::vector<std::int32_t> States() const {
        return {members[0]->State(), members[1]->State(), members[2]->State()};
    }
    void Click(std::int32_t x, std::int32_t y) {
        Turn(x, y);
        Turn(x, y, {"press"});
        Turn(x, y, {"release"});
    }

    std::int32_t outputs[3] = {-5, -5, -5};
    std::unique_ptr<CheckPart> members[3];
};

TEST_F(CheckPartTest, EachKindAndStateShowsItsFace) {
    const struct {
        std::uint8_t kind;
        bool disabledFaces;
        std::int32_t faces;
        std::int32_t shown[8];  // by state 0-7
    } cases[] = {
        {0, false, 6, {0, 1, 2, 3, 4, 5, 0, 3}}, {0, true, 8, {0, 1, 2, 3, 4, 5, 6, 7}},
        {1, false, 4, {0, 1, 1, 2, 3, 3, 0, 2}}, {1, true, 6, {0, 1, 1, 2, 3, 3, 4, 5}},
        {2, false, 4, {0, 1, 2, 3, 3, 3, 0, 3}}, {2, true, 6, {0, 1, 2, 3, 3, 3, 4, 5}},
        {3, false, 3, {0, 1, 1, 2, 2, 2, 0, 2}}, {3, true, 5, {0, 1, 1, 2, 2, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << int(c.kind) << (c.disabledFaces ? " with" : " without"));
        EXPECT_EQ(c.faces, CheckPartBase::FaceCount(c.kind, c.disabledFaces));
        const std::string name = "strip" + std::to_string(c.faces) + ".bmp";
        WriteStrip(name, c.faces);
        CheckPart part;
        ASSERT_EQ(0, part.CreateFromFile(&List(), 0, CallerWord(), name.c_str(), c.kind, c.disabledFaces, nullptr,
                                         300, 300, 0, 255, -1, -1, 0));
        EXPECT_EQ(10, part.GetWidth());
        for (std::uint8_t state : {0, 1, 2, 3, 4, 5, 6, 7, 0}) {
            part.SetState(state);
            EXPECT_EQ(c.shown[state], ShownFace(part)) << "state " << int(state);
            Redraw();
            EXPECT_EQ(FaceColour(c.shown[state]), Pixel(305, 303)) << "state " << int(state);
        }
    }
}

TEST_F(CheckPartTest, CreationRefusesWhatTheTableDoesNotHold) {
    WriteStrip("five.bmp", 5);
    testsupport::DibLayout narrow;
    narrow.bitCount = 24;
    narrow.width = 2;
    narrow.rows = {{0x123456, 0x123456}};
    WriteBmp("narrow.bmp", narrow);
    CheckPart box;
    ASSERT_EQ(0, box.CreateFromFile(&List(), 0, CallerWord(), "five.bmp", 1, false, nullptr, 0, 0, 0, 255, -1, -1, 0));
    CheckPart leader;
    ASSERT_EQ(0, leader.CreateFromFile(&List(), 0, CallerWord(), "five.bmp", 3, false, nullptr, 0, 20, 0, 255, -1, -1,
                                       0));
    CheckPart follower;
    ASSERT_EQ(0, follower.CreateFromFile(&List(), 0, CallerWord(), "five.bmp", 3, false, &leader, 0, 40, 0, 255, -1,
                                         -1, 0));
    const std::int32_t listed = List().Count();
    const struct {
        const char* name;
        const char* file;
        std::uint8_t kind;
        CheckPart* leader;
        std::int32_t result;
    } cases[] = {
        {"kind 4", "five.bmp", 4, nullptr, 1},
        {"a check box as leader", "five.bmp", 2, &box, 1},
        {"a follower as leader", "five.bmp", 2, &follower, 1},
        {"no file", nullptr, 0, nullptr, 1},
        {"a missing file", "absent.bmp", 0, nullptr, 2},
        {"fewer pixels than faces", "narrow.bmp", 3, nullptr, 2},
    };
    for (const auto& c : cases) {
        std::int32_t output = -7;
        CheckPart part;
        EXPECT_EQ(c.result, part.CreateFromFile(&List(), 0, CallerWord::Program(&output), c.file, c.kind, false,
                                                c.leader, 0, 60, 0, 255, -1, -1, 0))
            << c.name;
        EXPECT_EQ(-7, output) << c.name;
        EXPECT_EQ(listed, List().Count()) << c.name;
    }
    EXPECT_EQ(1, box.FollowerCount() + leader.FollowerCount()) << "the refused parts joined nothing";
    Image strip;
    ASSERT_EQ(0, strip.Create(30, 6, 32, 0));
    CheckPart fromImage;
    EXPECT_EQ(1, fromImage.CreateFromImage(&List(), 0, CallerWord(), &strip, 7, false, nullptr, 0, 0, 0, 255, 0));
    EXPECT_EQ(1, fromImage.CreateFromImage(&List(), 0, CallerWord(), &strip, 3, false, &box, 0, 0, 0, 255, 0));
    ASSERT_EQ(0, fromImage.CreateFromImage(&List(), 0, CallerWord(), &strip, 3, false, &leader, 0, 0, 0, 255, 0));
    EXPECT_EQ(2, leader.FollowerCount());
}

TEST_F(CheckPartTest, AKeyPixelOutsideTheStripGivesNoKey) {
    WriteStrip("keyed.bmp", 4);
    const struct {
        const char* name;
        std::int32_t keyX;
        std::int32_t keyY;
        std::int32_t key;
    } cases[] = {
        {"the pixel (0, 0)", 0, 0, 0xFF00FF},
        {"below the strip", 0, 6, -1},
        {"right of the strip", 40, 0, -1},
        {"left of the strip", -1, 0, -1},
    };
    for (const auto& c : cases) {
        CheckPart part;
        ASSERT_EQ(0, part.CreateFromFile(&List(), 0, CallerWord(), "keyed.bmp", 1, false, nullptr, 0, 0, 0, 255, c.keyX,
                                         c.keyY, 0))
            << c.name;
        const std::int32_t key = part.FaceImage()->ColourKey();
        EXPECT_EQ(c.key, key == -1 ? -1 : key & 0xFFFFFF) << c.name;
        EXPECT_EQ(c.key == -1, part.RectHit()) << c.name;
    }
}

TEST_F(CheckPartTest, ClickingAFollowerSelectsItAndItIsNeverHoveredOrFocused) {
    MakeRadioGroup();
    EXPECT_EQ((std::vector<std::int32_t>{1, 0, 0}), Outputs());
    EXPECT_EQ((std::vector<std::int32_t>{3, 0, 0}), States());
    Click(165, 103);
    EXPECT_EQ(2, members[0]->Selected());
    EXPECT_EQ((std::vector<std::int32_t>{0, 0, 1}), Outputs());
    EXPECT_EQ((std::vector<std::int32_t>{0, 0, 3}), States());
    EXPECT_EQ(nullptr, group.HoveredPart()) << "the click ended the hover";
    Turn(166, 103);
    EXPECT_EQ(nullptr, group.HoveredPart()) << "the selected member is never hit";
    EXPECT_EQ(3, members[2]->State());
    // The focus skips the selected member both ways.
    ASSERT_EQ(0, group.FocusPart(members[1].get()));
    EXPECT_EQ(0, group.FocusNext());
    EXPECT_EQ(members[0].get(), group.FocusedPart());
    ASSERT_EQ(0, group.FocusPart(members[0].get()));
    EXPECT_EQ(0, group.FocusPrevious());
    EXPECT_EQ(members[1].get(), group.FocusedPart());
    // The leader can be clicked again.
    Click(105, 103);
    EXPECT_EQ((std::vector<std::int32_t>{1, 0, 0}), Outputs());
}

TEST_F(CheckPartTest, SelectionByScriptStaysInsideTheGroup) {
    MakeRadioGroup();
    ASSERT_EQ(0, members[0]->SelectIndex(2));
    EXPECT_EQ((std::vector<std::int32_t>{0, 0, 3}), States());
    // Unchecking the selected last follower wraps to the leader.
    EXPECT_TRUE(members[2]->SetChecked(false));
    EXPECT_EQ(0, members[0]->Selected());
    EXPECT_EQ((std::vector<std::int32_t>{3, 0, 0}), States());
    EXPECT_FALSE(members[0]->SetChecked(true)) << "already checked";
    EXPECT_TRUE(members[1]->SetChecked(true));
    EXPECT_EQ(1, members[0]->Selected());
    for (std::int32_t index : {3, -1, 1000}) {
        EXPECT_EQ(2, members[1]->SelectIndex(index)) << index;
        EXPECT_EQ(1, members[0]->Selected()) << index;
        EXPECT_EQ((std::vector<std::int32_t>{0, 3, 0}), States()) << index;
    }
    EXPECT_EQ(0, members[2]->SelectIndex(1)) << "already selected";
}

TEST_F(CheckPartTest, RemovingAFollowerKeepsTheSelectionOnItsMember) {
    const struct {
        const char* name;
        std::int32_t selected;
        int removed;
        std::int32_t selectedAfter;
        std::uint8_t leaderState;
    } cases[] = {
        {"before the selection", 2, 1, 1, 0},
        {"the selection", 2, 2, 0, 3},
        {"after the selection", 1, 2, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MakeRadioGroup();
        ASSERT_EQ(0, members[0]->SelectIndex(c.selected));
        CheckPart* const kept = static_cast<CheckPart*>(members[0]->Follower(c.selected - 1));
        members[c.removed].reset();
        EXPECT_EQ(c.selectedAfter, members[0]->Selected());
        EXPECT_EQ(c.leaderState, members[0]->State());
        if (c.selectedAfter != 0) {
            EXPECT_EQ(kept, members[0]->Follower(c.selectedAfter - 1));
        }
        EXPECT_EQ(1, members[0]->FollowerCount());
        for (auto& member : members) member.reset();
    }
}

TEST_F(CheckPartTest, ADeletedLeaderLeavesItsFollowersAsPlainParts) {
    MakeRadioGroup();
    members[0].reset();
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(nullptr, members[i]->Leader());
        EXPECT_TRUE(members[i]->SetChecked(true));
        EXPECT_EQ(3, members[i]->State());
        EXPECT_EQ(1, outputs[i]);
    }
    EXPECT_EQ(1, members[1]->SelectIndex(0)) << "neither leader nor follower";
}

TEST_F(CheckPartTest, DisablingAndCommittingActOnTheWholeGroup) {
    MakeRadioGroup();
    ASSERT_EQ(0, members[0]->SelectIndex(1));
    EXPECT_TRUE(members[0]->SetEnabled(false));
    EXPECT_EQ((std::vector<std::int32_t>{6, 7, 6}), States());
    EXPECT_EQ((std::vector<std::int32_t>{2, 2, 2}), Outputs());
    EXPECT_TRUE(members[0]->SetEnabled(true));
    EXPECT_EQ((std::vector<std::int32_t>{0, 3, 0}), States());

    Turn(105, 103);
    ASSERT_EQ(members[0].get(), group.HoveredPart());
    EXPECT_EQ(0, members[2]->Commit());
    EXPECT_EQ((std::vector<std::int32_t>{1, 1, 1}), Outputs());
    EXPECT_EQ(nullptr, group.HoveredPart());
    for (auto& member : members) {
        EXPECT_TRUE(member->Locked());
        EXPECT_FALSE(member->IsEnabled());
        EXPECT_FALSE(member->SetEnabled(true));
    }
    Turn(106, 103);
    EXPECT_EQ(nullptr, group.HoveredPart());
    EXPECT_EQ((std::vector<std::int32_t>{0, 3, 0}), States()) << "faces unchanged";
}

TEST_F(CheckPartTest, ALeadersPlacementCarriesItsFollowers) {
    MakeRadioGroup();
    ASSERT_EQ(0, members[0]->SetPosition(110, 90));
    EXPECT_EQ(140, members[1]->GetX());
    EXPECT_EQ(90, members[2]->GetY());
    members[0]->SetAlpha(77);
    EXPECT_EQ(77, members[2]->GetAlpha());
    members[0]->SetVisible(false);
    EXPECT_FALSE(members[1]->IsVisible());
    ASSERT_EQ(0, members[0]->SetPriority(9, 0, true));
    EXPECT_EQ(9u, List().Find(&members[2]->PartSprite())->priority);
    // A follower's own move carries nobody.
    ASSERT_EQ(0, members[1]->SetPosition(0, 0));
    EXPECT_EQ(110, members[0]->GetX());
}

TEST_F(CheckPartTest, ReturnTogglesKindsWithoutPressedFacesAtOnceAndTheOthersAfter100Ms) {
    WriteStrip("eight.bmp", 8);
    const struct {
        std::uint8_t kind;
        bool atOnce;
    } cases[] = {{0, false}, {1, true}, {2, false}, {3, true}};
    std::uint32_t now = 10000;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << int(c.kind));
        std::int32_t output = -1;
        CheckPart part;
        // A radio member joins a leader, so that it starts unchecked.
        CheckPart leader;
        ASSERT_EQ(0, leader.CreateFromFile(&List(), 0, CallerWord(), "eight.bmp", 3, false, nullptr, 600, 10, 0, 255,
                                           -1, -1, 0));
        ASSERT_EQ(0, part.CreateFromFile(&List(), 0, CallerWord::Program(&output), "eight.bmp", c.kind, false,
                                         c.kind >= 2 ? &leader : nullptr, 400, 300, 0, 255, -1, -1, 0));
        ASSERT_EQ(0, group.InsertPart(&part, -1));
        ASSERT_EQ(0, group.FocusPart(&part));
        EXPECT_EQ(1, part.State());
        EXPECT_EQ(2, Turn(kWidth - 1, kHeight - 1, {"enter"}, now));
        if (c.atOnce) {
            EXPECT_TRUE(part.IsChecked());
        } else {
            EXPECT_EQ(2, part.State());
            Turn(kWidth - 1, kHeight - 1, {}, now + 100);
            EXPECT_FALSE(part.IsChecked()) << "not before 100 ms";
            Turn(kWidth - 1, kHeight - 1, {}, now + 101);
            EXPECT_TRUE(part.IsChecked());
        }
        EXPECT_EQ(1, output);
        group.Clear();
        now += 1000;
    }
}

TEST_F(CheckPartTest, ThePanelTakesOnlyItsOwnRadioLeaders) {
    UiPanel panel;
    panel.BindCanvas(&canvas);
    WriteStrip("four.bmp", 4);
    UiPart* button = nullptr;
    ASSERT_EQ(0, panel.NewTextButton(&button, 0, 0, 20, 12, false, nullptr, nullptr, 0));
    UiPart* leader = nullptr;
    ASSERT_EQ(0, panel.NewCheckPart(&leader, 0, 20, "four.bmp", 2, false, nullptr, 0, 255, -1, -1, 0));
    CheckPart stranger;
    ASSERT_EQ(0, stranger.CreateFromFile(&List(), 0, CallerWord(), "four.bmp", 2, false, nullptr, 0, 40, 0, 255, -1, -1,
                                         0));
    UiPart* part = reinterpret_cast<UiPart*>(1);
    EXPECT_EQ(1, panel.NewCheckPart(&part, 0, 60, "four.bmp", 2, false, button, 0, 255, -1, -1, 0));
    EXPECT_EQ(nullptr, part);
    EXPECT_EQ(1, panel.NewCheckPart(&part, 0, 60, "four.bmp", 2, false, &stranger, 0, 255, -1, -1, 0));
    EXPECT_EQ(1, panel.NewCheckPart(&part, 0, 60, "four.bmp", 9, false, nullptr, 0, 255, -1, -1, 0));
    EXPECT_EQ(2u, panel.Parts().size());
    ASSERT_EQ(0, panel.NewCheckPart(&part, 0, 60, "four.bmp", 2, false, leader, 0, 255, -1, -1, 0));
    EXPECT_EQ(leader, static_cast<CheckPart*>(part)->Leader());
    // The script's value query and check command.
    UiPartContent* const content = panel.FindPart(HandleTable<UiPartContent>::WordOf(part));
    ASSERT_NE(nullptr, content);
    EXPECT_EQ(0, content->CheckState());
    EXPECT_EQ(1, content->SetCheckState(true));
    EXPECT_EQ(1, content->CheckState());
    EXPECT_EQ(0, static_cast<CheckPart*>(leader)->State());
    EXPECT_EQ(&static_cast<CheckPart*>(part)->PartSprite(), content->PartSprite());
    // Deleting the leader first leaves the follower plain.
    EXPECT_EQ(0, panel.RemovePart(leader));
    EXPECT_EQ(nullptr, static_cast<CheckPart*>(part)->Leader());
    panel.DeleteParts();
}

TEST_F(CheckPartTest, AnImageSetMakesRadioGroupsOfRunsOfOneKind) {
    UiPanel panel;
    panel.BindCanvas(&canvas);
    // Mode 7: radio members without pressed faces (three faces); mode 5: check boxes (four).
    const std::uint8_t modes[] = {7, 7, 7, 5, 7, 7};
    testsupport::QgmFile file;
    for (int i = 0; i < 6; ++i) {
        WriteStrip("set_" + std::to_string(i) + ".bmp", modes[i] == 5 ? 4 : 3);
        testsupport::QgmPartEntry entry;
        entry.name = "_" + std::to_string(i) + ".bmp";
        entry.kind = modes[i];
        entry.x = static_cast<std::int16_t>(20 * i);
        entry.b5 = 255;
        file.Part(entry);
    }
    ASSERT_TRUE(testsupport::WriteFile(Game("set.qgm"), file.Bytes()));
    QgmPartGroup set;
    ASSERT_EQ(0, set.Load(&panel.QgmServices(), &group, "set.qgm", 1, false, false, nullptr));
    const std::vector<UiPart*> parts = panel.Parts();
    ASSERT_EQ(6u, parts.size());
    auto* const first = static_cast<CheckPart*>(parts[0]);
    auto* const second = static_cast<CheckPart*>(parts[4]);
    EXPECT_EQ(2, first->FollowerCount());
    EXPECT_EQ(first, static_cast<CheckPart*>(parts[2])->Leader());
    EXPECT_EQ(1, static_cast<CheckPart*>(parts[3])->Kind());
    EXPECT_FALSE(static_cast<CheckPart*>(parts[3])->IsLeader());
    EXPECT_EQ(1, second->FollowerCount()) << "a new run starts a new group";
    EXPECT_TRUE(first->IsChecked());
    EXPECT_TRUE(second->IsChecked());
    group.Clear();
    panel.DeleteParts();
}

}  // namespace
