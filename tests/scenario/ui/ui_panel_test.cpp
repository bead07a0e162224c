#include "scenario/ui/ui_panel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "scenario/text/text_window_part.h"
#include "scenario/ui/frame_button_part.h"
#include "scenario/ui/hit_map_part.h"
#include "scenario/ui/hit_rect_part.h"
#include "scenario/ui/text_button.h"
#include "tests/scenario/ui/ui_panel_fixture.h"

using paneltest::UiPanelTest;

namespace {

void* NoMemory(std::size_t) { return nullptr; }

// A part the panel did not make.
class LoosePart : public HitMapPart {};

}  // namespace

TEST_F(UiPanelTest, AFailedCreationKeepsNothingAndAnswersThePartsCode) {
    Image empty;
    auto* const sentinel = reinterpret_cast<UiPart*>(0x1234);
    const struct {
        const char* what;
        std::function<std::int32_t(UiPart**)> create;
        std::int32_t code;
    } cases[] = {
        {"drawn button 7 wide without a font",
         [&](UiPart** out) { return panel.NewTextButton(out, 0, 0, 7, 12, false, nullptr, nullptr, 0); }, 1},
        {"drawn button 7 high without a font",
         [&](UiPart** out) { return panel.NewTextButton(out, 0, 0, 20, 7, false, nullptr, nullptr, 0); }, 1},
        {"picture button without a name",
         [&](UiPart** out) { return panel.NewImageButton(out, 0, 0, nullptr, false, false, 0, 255, -1, -1, 0); }, 1},
        {"picture button without its picture",
         [&](UiPart** out) { return panel.NewImageButton(out, 0, 0, "none.bmp", false, false, 0, 255, -1, -1, 0); }, 2},
        {"image-object button without an image",
         [&](UiPart** out) { return panel.NewImageObjectButton(out, 0, 0, nullptr, false, false, 0, 255, 0); }, 1},
        {"image-object button on an empty image",
         [&](UiPart** out) { return panel.NewImageObjectButton(out, 0, 0, &empty, false, false, 0, 255, 0); }, 1},
        {"frame button of height 0",
         [&](UiPart** out) { return panel.NewFrameButtonPart(out, 0, 0, 10, 0, 0, 0, 0, 0); }, 1},
        {"hit rectangle of width 0",
         [&](UiPart** out) { return panel.NewHitRectPart(out, 0, 0, 0, 10, -1, -1, true, true); }, 1},
        {"hit map without regions", [&](UiPart** out) { return panel.NewHitMapPart(out, "map.bmp", 0, 0, 0, true); }, 1},
        {"hit map without its picture", [&](UiPart** out) { return panel.NewHitMapPart(out, "none.bmp", 4, 0, 0, true); }, 2},
        {"text window without a font",
         [&](UiPart** out) { return panel.NewTextWindowPart(out, 0, 0, 32, 16, nullptr, nullptr, nullptr, nullptr, nullptr, 0); }, 1},
        {"text window of width 0",
         [&](UiPart** out) { return panel.NewTextWindowPart(out, 0, 0, 0, 16, &font, nullptr, nullptr, nullptr, nullptr, 0); }, 1},
        {"text window whose skin is missing",
         [&](UiPart** out) { return panel.NewTextWindowPart(out, 0, 0, 32, 16, &font, nullptr, "none.bmp", nullptr, nullptr, 0); }, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        UiPart* out = sentinel;
        EXPECT_EQ(c.code, c.create(&out));
        EXPECT_EQ(nullptr, out);
        EXPECT_TRUE(panel.Parts().empty());
        EXPECT_EQ(0, canvas.Sprites().Count());
    }
}

TEST_F(UiPanelTest, NoMemoryForAPartAnswersMinusTwo) {
    panel.SetPartAllocator(NoMemory);
    UiPart* out = nullptr;
    EXPECT_EQ(-2, panel.NewHitMapPart(&out, "map.bmp", 4, 0, 0, true));
    EXPECT_EQ(-2, panel.NewTextButton(&out, 0, 0, 20, 12, false, nullptr, nullptr, 0));
    EXPECT_EQ(-2, panel.NewImageButton(&out, 0, 0, "map.bmp", false, false, 0, 255, -1, -1, 0));
    EXPECT_EQ(-2, panel.NewImageObjectButton(&out, 0, 0, &target, false, false, 0, 255, 0));
    EXPECT_EQ(-2, panel.NewFrameButtonPart(&out, 0, 0, 10, 10, 0, 0, 0, 0));
    EXPECT_EQ(-2, panel.NewHitRectPart(&out, 0, 0, 10, 10, -1, -1, true, true));
    EXPECT_EQ(-2, panel.NewTextWindowPart(&out, 0, 0, 32, 16, &font, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(nullptr, out);
    EXPECT_TRUE(panel.Parts().empty());
}

TEST_F(UiPanelTest, NewPartsTakeTheTagAndTheChosenList) {
    panel.SetTag(5);
    UiPart* const window = TextWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(5, window->GetTag());
    EXPECT_NE(nullptr, canvas.Sprites().Find(&static_cast<TextWindowPart*>(window)->WindowSprite()));

    EXPECT_FALSE(panel.SetUseSecondList(true));
    UiPart* const second = TextWindow();
    ASSERT_NE(nullptr, second);
    EXPECT_NE(nullptr, overlay.Find(&static_cast<TextWindowPart*>(second)->WindowSprite()));
    EXPECT_TRUE(panel.SetUseSecondList(false));

    panel.SetTag(6);
    UiPart* const map = HitMap();
    ASSERT_NE(nullptr, map);
    EXPECT_EQ(6, map->GetTag());
    EXPECT_EQ((std::vector<UiPart*>{window, second, map}), panel.Parts());

    // Without a canvas nothing that needs a sprite list can be made; a hit map needs none.
    panel.BindCanvas(nullptr);
    EXPECT_EQ(nullptr, panel.PartSpriteList());
    EXPECT_EQ(nullptr, TextWindow());
    EXPECT_NE(nullptr, HitMap());
}

TEST_F(UiPanelTest, RemovePartCodes) {
    UiPart* const map = HitMap();
    ASSERT_NE(nullptr, map);
    ASSERT_EQ(0, scene.group.InsertPart(map, -1));
    LoosePart loose;
    EXPECT_EQ(1, panel.RemovePart(nullptr));
    EXPECT_EQ(2, panel.RemovePart(&loose));
    EXPECT_EQ(0, panel.RemovePart(map));
    EXPECT_TRUE(panel.Parts().empty());
    EXPECT_TRUE(scene.group.Members().empty()) << "the part left its group";
    EXPECT_EQ(2, panel.RemovePart(map)) << "twice";
}

TEST_F(UiPanelTest, RemovePartsOfKindByTagAnswersThePartsLeft) {
    for (bool invert : {false, true}) {
        SCOPED_TRACE(invert);
        std::vector<UiPart*> tagged;
        std::vector<UiPart*> others;
        for (std::int32_t tag : {5, 0, 5, 7}) {
            panel.SetTag(tag);
            UiPart* const part = HitMap();
            ASSERT_NE(nullptr, part);
            (tag == 5 ? tagged : others).push_back(part);
        }
        EXPECT_EQ(2, panel.RemovePartsOfKind(5, invert));
        EXPECT_EQ(invert ? tagged : others, panel.Parts());
        panel.DeleteParts();
        EXPECT_EQ(0, panel.RemovePartsOfKind(5, invert));
    }
}

TEST_F(UiPanelTest, DeletedPartsLeaveTheirNeighboursAndGroup) {
    auto* const a = static_cast<HitMapPart*>(HitMap());
    auto* const b = static_cast<HitMapPart*>(HitMap());
    ASSERT_TRUE(a && b);
    a->SetNeighbours(b, b, b, b);
    ASSERT_EQ(0, scene.group.InsertPart(a, -1));
    ASSERT_EQ(0, scene.group.InsertPart(b, -1));
    ASSERT_EQ(0, panel.RemovePart(b));
    for (std::int32_t direction = 0; direction < 4; ++direction) EXPECT_EQ(nullptr, a->Neighbour(direction));
    EXPECT_EQ((std::vector<UiPart*>{a}), scene.group.Members());
    panel.DeleteParts();
    EXPECT_TRUE(panel.Parts().empty());
    EXPECT_TRUE(scene.group.Members().empty());
}

// The command base finds a part by its word only while the part lives.
TEST_F(UiPanelTest, WordsOfDeletedPartsFindNothingOnEveryDeletePath) {
    const struct {
        const char* path;
        std::function<void(UiPanel&, std::vector<UiPart*>&)> remove;
        std::vector<bool> survives;  // of the parts tagged 1, 2, 1, 2
    } paths[] = {
        {"one part", [](UiPanel& p, std::vector<UiPart*>& parts) { p.RemovePart(parts[1]); }, {true, false, true, true}},
        {"by tag", [](UiPanel& p, std::vector<UiPart*>&) { p.RemovePartsOfKind(1, false); }, {false, true, false, true}},
        {"by other tag", [](UiPanel& p, std::vector<UiPart*>&) { p.RemovePartsOfKind(1, true); }, {true, false, true, false}},
        {"all", [](UiPanel& p, std::vector<UiPart*>&) { p.DeleteParts(); }, {false, false, false, false}},
    };
    for (const auto& path : paths) {
        SCOPED_TRACE(path.path);
        std::vector<UiPart*> parts;
        for (std::int32_t tag : {1, 2, 1, 2}) {
            panel.SetTag(tag);
            parts.push_back(HitMap());
            ASSERT_NE(nullptr, parts.back());
        }
        std::vector<std::uint32_t> words;
        for (UiPart* part : parts) words.push_back(Word(part));
        path.remove(panel, parts);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            EXPECT_EQ(path.survives[i] ? parts[i] : nullptr, panel.FindUiPart(words[i])) << i;
            UiPartContent* const content = panel.FindPart(words[i]);
            EXPECT_EQ(path.survives[i], content != nullptr) << i;
            if (content) {
                EXPECT_EQ(kUiHitMap, content->TypeCode());
            }
        }
        panel.DeleteParts();
    }

}

TEST_F(UiPanelTest, ThePanelsDestructorDeletesItsParts) {
    {
        UiPanel own;
        UiPart* part = nullptr;
        ASSERT_EQ(0, own.NewHitMapPart(&part, "map.bmp", 4, 0, 0, true));
        ASSERT_EQ(0, scene.group.InsertPart(part, -1));
    }
    EXPECT_TRUE(scene.group.Members().empty());
}

TEST_F(UiPanelTest, ZeroForgedAndOtherFamiliesWordsFindNothing) {
    UiPart* const map = HitMap();
    ASSERT_NE(nullptr, map);
    for (std::uint32_t word : {0u, Word(map) + 4, Word(map) - 4, Word(&canvas), Word(&font), 0xFFFFFFFFu}) {
        SCOPED_TRACE(word);
        EXPECT_EQ(nullptr, panel.FindUiPart(word));
        EXPECT_EQ(nullptr, panel.FindPart(word));
    }
    EXPECT_EQ(map, panel.FindUiPart(Word(map)));
}

TEST_F(UiPanelTest, TheHitMapsContentViewSelectsLocksAndReportsTheRegion) {
    auto* const map = static_cast<HitMapPart*>(HitMap());
    ASSERT_NE(nullptr, map);
    ASSERT_EQ(0, map->SetRegionEnabled(2, true));
    ASSERT_EQ(0, scene.group.InsertPart(map, -1));
    UiPartContent* const content = panel.FindPart(Word(map));
    ASSERT_NE(nullptr, content);
    content->Select(2);
    EXPECT_EQ(2, content->ValueWord());
    content->SetInputLock(true);
    EXPECT_TRUE(map->Locked());
}

TEST_F(UiPanelTest, DrawnButtonsTakeTheDefaultAndTheSetColours) {
    UiPart* out = nullptr;
    ASSERT_EQ(0, panel.NewTextButton(&out, 0, 0, 20, 12, true, nullptr, nullptr, 0));
    auto* const first = static_cast<TextButton*>(out);
    EXPECT_EQ(0xd4d0c8u, first->FaceColour());
    EXPECT_EQ(0x400080ffu, first->HighlightColour());
    panel.SetButtonColours(0x80102030, 0x40ff0000);
    ASSERT_EQ(0, panel.NewTextButton(&out, 0, 0, 20, 12, true, nullptr, nullptr, 0));
    auto* const second = static_cast<TextButton*>(out);
    EXPECT_EQ(0x80102030u, second->FaceColour());
    EXPECT_EQ(0x40ff0000u, second->HighlightColour());
    EXPECT_EQ(0xd4d0c8u, first->FaceColour()) << "parts made earlier keep theirs";
    EXPECT_EQ(128, second->ButtonSprite().Alpha()) << "face alpha 0x80";
}

TEST_F(UiPanelTest, EveryTypeIsPlacedWithTheTagAndFoundByItsWord) {
    panel.SetTag(4);
    UiPart* parts[6] = {};
    ASSERT_EQ(0, panel.NewTextButton(&parts[0], 0, 0, 20, 12, false, nullptr, nullptr, 0));
    ASSERT_EQ(0, panel.NewImageObjectButton(&parts[1], 0, 0, &target, false, false, 0, 255, 0));
    ASSERT_EQ(0, panel.NewFrameButtonPart(&parts[2], 0, 0, 10, 10, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0));
    ASSERT_EQ(0, panel.NewHitRectPart(&parts[3], 0, 0, 10, 10, -1, -1, true, true));
    ASSERT_EQ(0, panel.NewHitMapPart(&parts[4], "map.bmp", 4, 0, 0, true));
    parts[5] = TextWindow();
    const std::int32_t types[] = {kUiTextButton, kUiTextButton, kUiFrameButton, kUiHitRect, kUiHitMap, kUiTextWindow};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(nullptr, parts[i]);
        EXPECT_EQ(4, parts[i]->GetTag());
        UiPartContent* const content = panel.FindPart(Word(parts[i]));
        ASSERT_NE(nullptr, content);
        EXPECT_EQ(types[i], content->TypeCode());
        // Parts with a sprite show it in the canvas's list.
        Drawable* const sprite = content->PartSprite();
        EXPECT_EQ(i < 3 || i == 5, sprite != nullptr);
        if (sprite) {
            EXPECT_NE(nullptr, canvas.Sprites().Find(sprite));
        }
    }
    EXPECT_EQ(0, panel.RemovePartsOfKind(4, false));
    EXPECT_EQ(0, canvas.Sprites().Count());
}
