// Lists on the UI bench by pointer and keys: activation values and words, locking, hover
// after new rows, keys over disabled rows, the pressed cell after Return, dragging by the
// frame, what a list does when its font, sprite list or image objects go, and the panel's
// creation of lists.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/util/bit_array.h"
#include "scenario/ui/hit_rect_part.h"
#include "scenario/ui/ui_panel.h"
#include "tests/scenario/ui/list_part_fixture.h"

namespace listtest {
namespace {

// Three rows 80 x 20 at x 100, centred on 300 with spacing 4: rows at 266, 290 and 314.
constexpr std::int32_t kRowY[3] = {266, 290, 314};
constexpr std::int32_t kRowX = 120;

class ListInputTest : public ListPartTest {
protected:
    void MakeThree(bool secondDisabled = false) {
        Make(100, 300, 80, 20, 4);
        ASSERT_EQ(0, Add("A"));
        ASSERT_EQ(0, Add("B", secondDisabled));
        ASSERT_EQ(0, Add("C"));
    }
    // Hover, press and release the first button over a row.
    void Click(std::int32_t row) {
        Turn(kRowX, kRowY[row] + 10);
        Turn(kRowX, kRowY[row] + 10, {"press"});
        Turn(kRowX, kRowY[row] + 10, {"release"});
    }
};

TEST_F(ListInputTest, ActivationRecordsTheValueOrTheIndex) {
    const struct {
        const char* name;
        std::int32_t row;
        std::int32_t value;
        std::int32_t bit;
        std::int32_t word;
    } cases[] = {
        {"value 7 with base 100", 0, 7, 107, 7},
        {"value -1 at index 2", 2, -1, 102, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BitArray flags;
        ASSERT_EQ(0, flags.Create(200));
        std::int32_t flagWord = -5;
        std::int32_t activated[3] = {0, 0, 0};
        Make(100, 300, 80, 20, 4);
        list.SetFlagTarget(&flags, 100, CallerWord::Program(&flagWord));
        list.SetId(40);
        for (std::int32_t row = 0; row < 3; ++row) {
            ASSERT_EQ(0, list.AddItem("x", nullptr, false, row == c.row ? c.value : 50 + row, nullptr, 0, nullptr,
                                      CallerWord::Program(&activated[row]), CallerWord(), CallerWord()));
        }
        Join();
        group.SetResultWord(-1);
        Click(c.row);
        EXPECT_TRUE(flags.Test(static_cast<std::uint32_t>(c.bit)));
        EXPECT_EQ(1u, flags.CountSet());
        EXPECT_EQ(c.word, flagWord);
        EXPECT_EQ(40 + c.row, group.ResultWord()) << "the id plus the row";
        EXPECT_EQ(1, activated[c.row]);
        EXPECT_EQ(0, activated[(c.row + 1) % 3]);
        EXPECT_TRUE(list.Locked());
        group.Clear();
        list.SetFlagTarget(nullptr, 0, CallerWord());
    }
}

TEST_F(ListInputTest, ACopiedFlagTargetRecordsIntoTheOtherListsArrayAndWord) {
    BitArray flags;
    ASSERT_EQ(0, flags.Create(16));
    std::int32_t flagWord = -1;
    ListPart first;
    first.SetFlagTarget(&flags, 4, CallerWord::Program(&flagWord));
    first.SetMarkRead(false);
    EXPECT_EQ(1, list.CopyFlagTarget(nullptr));
    ASSERT_EQ(0, list.CopyFlagTarget(&first));
    EXPECT_EQ(&flags, list.FlagArray());
    EXPECT_EQ(4, list.FlagBase());
    EXPECT_FALSE(list.MarkRead());
    MakeThree();
    Join();
    Click(1);
    EXPECT_TRUE(flags.Test(5));
    EXPECT_EQ(1, flagWord);
    // A flag array that goes is forgotten.
    list.DropReferencesTo(&flags);
    EXPECT_EQ(nullptr, list.FlagArray());
}

TEST_F(ListInputTest, VisibilityAlphaAndPriorityReachHeaderRowsAndFooter) {
    Make(100, 300, 80, 20, 4);
    EXPECT_FALSE(list.IsVisible()) << "no rows";
    EXPECT_EQ(0, list.GetAlpha());
    ASSERT_EQ(0, list.SetPlainFaces(80, 20, 4, 6));
    ASSERT_EQ(0, Add("A"));
    ASSERT_EQ(0, Add("B"));
    const std::vector<Sprite*> sprites = {list.RowSprite(-1), list.RowSprite(0), list.RowSprite(1), list.RowSprite(2)};
    Join();
    ASSERT_EQ(0, group.FocusPart(&list));
    list.SetAlpha(90);
    ASSERT_EQ(0, list.SetPriority(30, 0, true));
    list.SetVisible(false);
    EXPECT_EQ(nullptr, group.FocusedPart()) << "hiding takes the focus away";
    EXPECT_FALSE(list.IsVisible());
    EXPECT_EQ(90, list.GetAlpha());
    EXPECT_EQ(30, list.GetPriority());
    for (Sprite* sprite : sprites) {
        ASSERT_NE(nullptr, sprite);
        EXPECT_FALSE(sprite->IsVisible());
        EXPECT_EQ(90, sprite->Alpha());
        EXPECT_EQ(30u, canvas.Sprites().Find(sprite)->priority);
    }
    list.SetVisible(true);
    EXPECT_TRUE(list.IsVisible());
    // Clearing hides header and footer until rows come again.
    list.ClearItems();
    EXPECT_FALSE(sprites[0]->IsVisible());
    EXPECT_FALSE(sprites[3]->IsVisible());
    ASSERT_EQ(0, Add("C"));
    EXPECT_TRUE(sprites[0]->IsVisible());
    EXPECT_TRUE(sprites[3]->IsVisible());
}

TEST_F(ListInputTest, RowWordsAndSoundsFollowTheHover) {
    EnableSound();
    std::int32_t entered[3] = {-1, -1, -1};
    std::int32_t left[3] = {-1, -1, -1};
    Make(100, 300, 80, 20, 4);
    for (std::int32_t row = 0; row < 3; ++row) {
        ASSERT_EQ(0, list.AddItem("x", nullptr, false, -1, nullptr, 0, nullptr, CallerWord(),
                                  CallerWord::Program(&entered[row]), CallerWord::Program(&left[row])));
    }
    Join();
    TakePlaying();
    Turn(kRowX, kRowY[0] + 10);
    EXPECT_EQ(0, list.HoverRow());
    EXPECT_EQ(1, ShownCell(0));
    EXPECT_EQ(1, entered[0]);
    EXPECT_EQ(0, left[0]);
    EXPECT_EQ(std::vector<std::int32_t>{6}, TakePlaying()) << "the enter sound";
    EXPECT_EQ(1, group.GetCursorKind());
    Turn(kRowX, kRowY[1] + 10);
    EXPECT_EQ(0, ShownCell(0));
    EXPECT_EQ(1, ShownCell(1));
    EXPECT_EQ(0, entered[0]);
    EXPECT_EQ(1, left[0]);
    EXPECT_EQ(1, entered[1]);
    EXPECT_EQ((std::vector<std::int32_t>{6, 7}), TakePlaying());
    // Away and back: the row is entered again.
    Turn(1000, 500);
    EXPECT_EQ(0, ShownCell(1));
    EXPECT_EQ(1, left[1]);
    Turn(kRowX, kRowY[1] + 10);
    EXPECT_EQ(1, ShownCell(1));
    EXPECT_EQ(1, entered[1]);
    EXPECT_EQ((std::vector<std::int32_t>{6, 7}), TakePlaying());
    Turn(kRowX, kRowY[1] + 10, {"click"});
    EXPECT_TRUE(TakePlaying().empty()) << "pressed";
    Turn(kRowX, kRowY[1] + 10);
    EXPECT_EQ(std::vector<std::int32_t>{5}, TakePlaying()) << "released: the activate sound";
    Turn(1000, 500);
    EXPECT_EQ(0, group.GetCursorKind());
    EXPECT_EQ(-1, group.ResultWord()) << "no id, no report";
}

TEST_F(ListInputTest, TheTooltipIsTheHoveredRowsOwn) {
    Make(100, 300, 80, 20, 4);
    ASSERT_EQ(0, list.AddItem("A", "tip A", false, -1, nullptr, 0, nullptr, CallerWord(), CallerWord(), CallerWord()));
    ASSERT_EQ(0, list.AddItem("B", "", false, -1, nullptr, 0, nullptr, CallerWord(), CallerWord(), CallerWord()));
    Join();
    Turn(kRowX, list.RowSprite(0)->Y() + 10);
    EXPECT_STREQ("tip A", list.GetTooltip());
    Turn(kRowX, list.RowSprite(1)->Y() + 10);
    EXPECT_EQ(nullptr, list.GetTooltip()) << "an empty tooltip is none";
    Turn(kRowX, list.RowSprite(0)->Y() + 10);
    list.ClearItems();
    EXPECT_EQ(nullptr, list.GetTooltip());
    EXPECT_EQ(nullptr, group.HoveredPart());
}

TEST_F(ListInputTest, AnActivatedListIgnoresPointerAndKeysUntilRowsAreAdded) {
    MakeThree();
    Join();
    Click(0);
    ASSERT_TRUE(list.Locked());
    Turn(kRowX, kRowY[2] + 10);
    EXPECT_EQ(0, list.HoverRow()) << "the taken row stays as it was";
    Turn(kRowX, kRowY[2] + 10, {"click"});
    Turn(kRowX, kRowY[2] + 10, {"down"});
    EXPECT_EQ(0, list.HoverRow());
    EXPECT_EQ(0, ShownCell(2));
    ASSERT_EQ(0, Add("D"));
    EXPECT_FALSE(list.Locked());
    Turn(kRowX, list.RowSprite(2)->Y() + 10);
    EXPECT_EQ(2, list.HoverRow());
}

TEST_F(ListInputTest, NewRowsHoverOnlyAfterThePointerMovesMoreThanThreePixels) {
    Make(100, 300, 80, 20, 4);
    Join();
    const std::int32_t y = kRowY[1] + 10;
    Turn(kRowX, y);
    ASSERT_EQ(0, Add("A"));
    ASSERT_EQ(0, Add("B"));
    ASSERT_EQ(0, Add("C"));
    const struct {
        std::int32_t dx, dy;
        std::int32_t hovered;
    } moves[] = {{1, 0, -1}, {3, 0, -1}, {-3, 3, -1}, {3, -3, -1}, {0, 4, 1}};
    for (const auto& m : moves) {
        SCOPED_TRACE(std::to_string(m.dx) + "," + std::to_string(m.dy));
        Turn(kRowX + m.dx, y + m.dy);
        EXPECT_EQ(m.hovered, list.HoverRow());
    }
    // A row still hovered when rows are added takes no press before the pointer moves.
    ASSERT_EQ(0, Add("D"));
    Turn(kRowX, y + 4, {"click"});
    Turn(kRowX, y + 4);
    EXPECT_FALSE(list.Locked());
    EXPECT_EQ(1, list.HoverRow());
}

TEST_F(ListInputTest, KeysSkipDisabledRowsAndWrapWhenNobodyElseTakesTheFocus) {
    MakeThree(true);
    Join();
    ASSERT_EQ(0, group.FocusPart(&list));
    EXPECT_EQ(0, list.HoverRow());
    Turn(1000, 500, {"down"});
    EXPECT_EQ(2, list.HoverRow()) << "row 1 is disabled";
    EXPECT_EQ(1, ShownCell(2));
    EXPECT_EQ(0, ShownCell(0));
    Turn(1000, 500, {"down"});
    EXPECT_EQ(0, list.HoverRow()) << "round to the top";
    Turn(1000, 500, {"up"});
    EXPECT_EQ(2, list.HoverRow()) << "round to the bottom";
    Turn(1000, 500, {"up"});
    EXPECT_EQ(0, list.HoverRow());
    // A disabled row never hovers under the pointer either.
    Turn(kRowX, kRowY[1] + 10);
    EXPECT_EQ(0, ShownCell(1));
    EXPECT_NE(1, list.HoverRow());
}

TEST_F(ListInputTest, AListOfDisabledRowsPassesTheFocusOn) {
    Make(100, 300, 80, 20, 4);
    ASSERT_EQ(0, Add("A", true));
    ASSERT_EQ(0, Add("B", true));
    Join();
    ASSERT_EQ(0, group.FocusPart(&list));
    EXPECT_EQ(nullptr, group.FocusedPart()) << "alone: the focus goes";
    HitRectPart other;
    ASSERT_EQ(0, other.Create(0, 0, 10, 10, -1, -1, true, true, 0));
    ASSERT_EQ(0, group.InsertPart(&other, -1));
    ASSERT_EQ(0, group.FocusPart(&list));
    EXPECT_EQ(&other, group.FocusedPart());
    EXPECT_EQ(-1, list.HoverRow());
    group.RemovePart(&other);
}

TEST_F(ListInputTest, ReturnShowsThePressedCellForOneHundredMilliseconds) {
    WriteBmp("face3.bmp", Strip(3, 80, 20));
    Make(100, 300, 80, 20, 4);
    ASSERT_EQ(0, list.SetFacesFromFiles(3, true, false, "face3.bmp", nullptr, nullptr, nullptr, nullptr, nullptr,
                                        nullptr, nullptr, nullptr));
    ASSERT_EQ(0, Add("A"));
    ASSERT_EQ(0, Add("B"));
    list.SetId(0);
    Join();
    ASSERT_EQ(0, group.FocusPart(&list));
    group.SetResultWord(-1);
    Turn(1000, 500, {"enter"}, 5000);
    EXPECT_EQ(2, ShownCell(0)) << "pressed";
    EXPECT_EQ(5100u, list.KeyReleaseTime());
    Turn(1000, 500, {}, 5100);
    EXPECT_EQ(-1, group.ResultWord()) << "not yet";
    Turn(1000, 500, {}, 5101);
    EXPECT_EQ(0, group.ResultWord());
    EXPECT_EQ(1, ShownCell(0));
    EXPECT_TRUE(list.Locked());

    // Without a pressed cell Return activates at once.
    list.ReleaseFaces();
    ASSERT_EQ(0, Add("C"));
    ASSERT_EQ(0, group.FocusPart(&list));
    Turn(1000, 500, {"down"}, 6000);
    ASSERT_EQ(1, list.HoverRow());
    group.SetResultWord(-1);
    Turn(1000, 500, {"enter"}, 6001);
    EXPECT_EQ(1, group.ResultWord());
}

TEST_F(ListInputTest, TheFrameDragsTheListAtAPixelOfTheDragAlpha) {
    // A face 80 x 20 whose left margin is a handle (alpha 0xC0) in columns 0-3 and too faint
    // (0x40) in columns 4-7.
    Image face;
    Fill(face, 80, 20, 32, 0xFF203040);
    face.FillValueXywh(0, 0, 4, 20, 0xC0203040);
    face.FillValueXywh(4, 0, 4, 20, 0x40203040);
    Make(100, 300, 80, 20, 4);
    ASSERT_EQ(0, list.SetFacesFromImages(1, false, false, &face, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr));
    ASSERT_EQ(0, Add("A"));
    ASSERT_EQ(0, Add("B"));
    list.SetDragAlpha(0x80);
    Join();
    const std::int32_t top = list.GetY();
    // Too faint: no handle, and outside the text area no row either.
    Turn(105, top + 10);
    Turn(105, top + 10, {"press"});
    EXPECT_FALSE(list.Dragging());
    Turn(105, top + 10, {"release"});
    // A handle: the cursor says so, a press starts the drag and the list follows the pointer.
    Turn(102, top + 10);
    EXPECT_EQ(3, group.GetCursorKind());
    Turn(102, top + 10, {"press"});
    EXPECT_TRUE(list.Dragging());
    Turn(152, top + 40);
    EXPECT_EQ(150, list.GetX());
    EXPECT_EQ(top + 30, list.GetY());
    EXPECT_EQ(top + 30, list.RowSprite(0)->Y());
    EXPECT_EQ(150, list.RowSprite(1)->X());
    Turn(152, top + 40, {"release"});
    Turn(170, top + 60);
    EXPECT_FALSE(list.Dragging());
    EXPECT_EQ(150, list.GetX()) << "released: the list stays";
    // Without a drag alpha the frame is no handle.
    list.SetDragAlpha(0);
    Turn(152, top + 40);
    EXPECT_NE(3, group.GetCursorKind());
}

TEST_F(ListInputTest, APressedOffsetMovesARowWithoutAPressedCell) {
    MakeThree();
    list.SetPressedOffset(2, 3);
    Join();
    Turn(kRowX, kRowY[1] + 10);
    Turn(kRowX, kRowY[1] + 10, {"press"});
    EXPECT_EQ(102, list.RowSprite(1)->X());
    EXPECT_EQ(kRowY[1] + 3, list.RowSprite(1)->Y());
    EXPECT_EQ(1, ShownCell(1)) << "the hover cell";
    Turn(kRowX, kRowY[1] + 10, {"release"});
    EXPECT_EQ(100, list.RowSprite(1)->X());
    EXPECT_EQ(kRowY[1], list.RowSprite(1)->Y());
}

TEST_F(ListInputTest, TheRowPointerPositionSitsRightOfATranslucentRow) {
    MakeThree();
    list.SetMargins(8, 2, 10, 2);
    std::int32_t x = 0;
    std::int32_t y = 0;
    EXPECT_FALSE(list.GetRowPointerPosition(3, &x, &y));
    ASSERT_TRUE(list.GetRowPointerPosition(1, &x, &y));
    EXPECT_EQ(100 + 80 - 10 + 2 + 1, x);
    EXPECT_EQ(kRowY[1] + 10, y);
    ASSERT_EQ(0, list.SetStyle(0, 0, 0));
    ASSERT_TRUE(list.GetRowPointerPosition(1, &x, &y));
    EXPECT_EQ(100 + 8 - 8, x) << "no face: left of the text";
}

TEST_F(ListInputTest, ADroppedFontLeavesRowsWithoutText) {
    MakeThree();
    const std::uint8_t colour[3] = {font.colour[0], font.colour[1], font.colour[2]};
    EXPECT_EQ(0, std::memcmp(colour, "\xFF\xFF\xFF", 3)) << "the font's own colours are back";
    list.DropReferencesTo(&font);
    EXPECT_EQ(1, Add("D"));
    EXPECT_EQ(3, list.RowCount());
    // Restyling draws the rows again, without text.
    ASSERT_EQ(0, list.SetStyle(1, 0x102030, 255));
    std::int32_t drawn = 0;
    for (std::int32_t y = 0; y < 20; ++y)
        for (std::int32_t x = 0; x < 80; ++x) drawn += list.RowImage(0)->GetPixel(x, y) != 0xFF102030u;
    EXPECT_EQ(0, drawn);
}

TEST_F(ListInputTest, ADroppedSpriteListTakesTheSpritesOut) {
    MakeThree();
    ASSERT_EQ(0, list.SetPlainFaces(80, 20, 5, 5));
    ASSERT_EQ(0, Add("D"));
    EXPECT_EQ(6, canvas.Sprites().Count());
    list.DropReferencesTo(&canvas.Sprites());
    EXPECT_EQ(0, canvas.Sprites().Count());
    EXPECT_EQ(1, Add("E"));
    EXPECT_EQ(1, list.SetPriority(3, 0, true));
    list.SetSpriteList(&canvas.Sprites());
    EXPECT_EQ(6, canvas.Sprites().Count());
}

TEST_F(ListInputTest, ADroppedImageObjectIsNeverReadAgain) {
    auto* mask = new Image;
    Fill(*mask, 80, 20, 8, 200);
    Make(100, 300, 80, 20, 4);
    ASSERT_EQ(0, list.SetStyle(1, 0x112233, 255));
    ASSERT_EQ(0, list.SetFacesFromImages(1, false, false, nullptr, mask, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr));
    ASSERT_EQ(0, Add("A"));
    list.DropReferencesTo(mask);
    delete mask;  // poisoned
    EXPECT_EQ(0xC8112233u, list.RowFace()->GetPixel(0, 0));
    ASSERT_EQ(0, list.SetStyle(1, 0x445566, 128));
    EXPECT_EQ(0xC8112233u, list.RowFace()->GetPixel(0, 0)) << "the face stays as it was made";
    EXPECT_EQ(0xC8112233u, list.RowImage(0)->GetPixel(0, 0));
}

TEST_F(ListInputTest, ThePanelMakesListsAndTheirRowsAreFoundByTheScriptsWord) {
    UiPanel panel;
    panel.BindCanvas(&canvas);
    panel.SetTag(3);
    UiPart* out = reinterpret_cast<UiPart*>(0x1234);
    EXPECT_EQ(1, panel.NewListPart(&out, 100, 300, 80, 20, 4, nullptr, 10));
    EXPECT_EQ(nullptr, out);
    EXPECT_TRUE(panel.Parts().empty());
    ASSERT_EQ(0, panel.NewListPart(&out, 100, 300, 80, 20, 4, &font, 10));
    ASSERT_NE(nullptr, out);
    EXPECT_EQ(3, out->GetTag());
    auto* const made = static_cast<ListPart*>(out);
    ASSERT_EQ(0, made->SetPlainFaces(80, 20, 4, 6));
    ASSERT_EQ(0, made->AddItem("A", nullptr, false, -1, nullptr, 0, nullptr, CallerWord(), CallerWord(), CallerWord()));
    ASSERT_EQ(0, made->AddItem("B", nullptr, false, -1, nullptr, 0, nullptr, CallerWord(), CallerWord(), CallerWord()));
    EXPECT_EQ(4, canvas.Sprites().Count());
    UiPartContent* const content = panel.FindPart(HandleTable<UiPartContent>::WordOf(out));
    ASSERT_NE(nullptr, content);
    EXPECT_EQ(kUiList, content->TypeCode());
    EXPECT_EQ(made->RowSprite(1), content->RowObject(1));
    EXPECT_EQ(made->RowSprite(-1), content->RowObject(-1));
    EXPECT_EQ(made->RowSprite(2), content->RowObject(-2));
    EXPECT_NE(nullptr, content->RowObject(-2));
    EXPECT_STREQ("B", content->RowText(1));
    EXPECT_EQ(nullptr, content->RowText(2));
    content->SetInputLock(true);
    EXPECT_TRUE(made->Locked());
    EXPECT_EQ(0, panel.RemovePart(out));
    EXPECT_EQ(0, canvas.Sprites().Count());
}

}  // namespace
}  // namespace listtest
