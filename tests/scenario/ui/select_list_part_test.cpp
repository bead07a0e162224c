// Select lists on the UI bench: the image's size from rows and pitch, the scroll range, rows
// kept in view by the keys, marks toggled by clicks and Space, selection and its notice, the
// drawn background, selection, cursor frame and mark cells, faces-only lists, the pitch check,
// page keys that stay in range, groups, a dropped font and the panel's creation.
#include "scenario/ui/select_list_part.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/sprites/sprite_list.h"
#include "graphics/text/antialias_font.h"
#include "scenario/ui/ui_panel.h"
#include "tests/support/ui_bench.h"

namespace {

const char kGothic[] = "ＭＳ ゴシック";
const char kMincho[] = "ＭＳ 明朝";
constexpr std::uint32_t kBack = 0xC0C0DCC0;
constexpr std::uint32_t kFrame = 0xFFFF9CBF;
constexpr std::uint32_t kSelect = 0xC00B2BD7;
// The mark cells: flag clear, clear under the cursor, set, set under the cursor.
constexpr std::uint32_t kCells[4] = {0x200000, 0x400000, 0x600000, 0x800000};

class SelectListTest : public testsupport::UiBench {
protected:
    void SetUp() override {
        UiBench::SetUp();
        ASSERT_EQ(0, font.SetFont(16, false, 0, kGothic));
        // A vertical thumb strip: 4 faces of 8 x 20 side by side.
        testsupport::DibLayout thumb;
        thumb.bitCount = 24;
        thumb.width = 32;
        thumb.rows.assign(20, std::vector<std::uint32_t>(32, 0x5060A0));
        WriteBmp("thumb.bmp", thumb);
        // Four mark cells of 12 x 12.
        testsupport::DibLayout marks;
        marks.bitCount = 24;
        marks.width = 48;
        for (std::int32_t y = 0; y < 12; ++y) {
            std::vector<std::uint32_t> row;
            for (std::int32_t x = 0; x < 48; ++x) row.push_back(kCells[x / 12]);
            marks.rows.push_back(row);
        }
        WriteBmp("marks.bmp", marks);
    }

    // At (100, 100): five rows of a 16-pixel font with spacing 3 (92 high), 200 wide plus a
    // 12-pixel mark column, the scroll bar right of it.
    void MakeList(SelectListPart& list, const char* markFile = "marks.bmp", std::int32_t rows = 10) {
        ASSERT_EQ(0, list.Setup(&List(), 0, &font, -5, 200, 100, 100, "thumb.bmp", 0, 0, 92, 320, 100, 0, markFile, 3,
                                0));
        for (std::int32_t n = 0; n < rows; ++n) {
            const std::string text = "Row " + std::to_string(n);
            ASSERT_EQ(0, list.AddItem(text.c_str(), nullptr, false));
        }
        list.UpdateScrollRange();
    }
    // A key pressed for one turn with the pointer at (x, y).
    std::int32_t KeyTurn(WPARAM key, std::int32_t x = kWidth - 1, std::int32_t y = kHeight - 1) {
        app.Input().OnKeyDown(key, 0);
        app.Input().OnKeyUp(key, 0);
        return Turn(x, y, {}, m_now += 10);
    }
    // Moves onto (x, y) (entering focuses the list and ends the hover; the second move hovers).
    void PointAt(std::int32_t x, std::int32_t y) {
        Turn(x - 1, y, {}, m_now += 10);
        Turn(x, y, {}, m_now += 10);
    }
    std::int32_t Click(std::int32_t x, std::int32_t y) { return Turn(x, y, {"click"}, m_now += 10); }
    // Pixels of the list's image that are not the background in rows top..bottom.
    static std::int32_t Drawn(SelectListPart& list, std::int32_t top, std::int32_t bottom) {
        std::int32_t count = 0;
        Image& image = list.PartImage();
        for (std::int32_t y = top; y < bottom; ++y) {
            for (std::int32_t x = 0; x < image.Width(); ++x) count += image.GetPixel(x, y) != kBack ? 1 : 0;
        }
        return count;
    }
    SpriteList& List() { return canvas.Sprites(); }

    AntialiasFont font;
    std::uint32_t m_now = 2000;
};

TEST_F(SelectListTest, RowsAndPitchSizeTheImageAndTheScrollRange) {
    SelectListPart list;
    MakeList(list);
    EXPECT_EQ(19, list.Pitch());
    EXPECT_EQ(12, list.MarkWidth());
    EXPECT_EQ(92, list.GetHeight());
    EXPECT_EQ(212, list.GetWidth());
    EXPECT_EQ(kUiSelectList, list.TypeCode());
    // Range 10 x 19 - 3 = 187 over a page of 92.
    EXPECT_EQ(187 - 92, list.ScrollBar().MaxValue());
    EXPECT_EQ(19, list.ScrollBar().Step());
    EXPECT_EQ(0, list.ScrollOffset());
    // Without rows enough to scroll the bar cannot scroll and the offset is 0.
    SelectListPart shortList;
    MakeList(shortList, "marks.bmp", 3);
    EXPECT_EQ(-1, shortList.ScrollBar().Value());
    EXPECT_EQ(0, shortList.ScrollOffset());
}

// The pitch divides the pointer's row and the page step.
TEST_F(SelectListTest, SetupRefusesAPitchBelowOneAndOtherBadArguments) {
    const struct {
        const char* name;
        bool list;
        bool font;
        std::int32_t width;
        const char* thumb;
        std::int32_t sliderLength;
        const char* marks;
        std::int32_t spacing;
        std::int32_t code;
    } cases[] = {
        {"pitch 0", true, true, 200, "thumb.bmp", 92, nullptr, -16, 1},
        {"pitch -1", true, true, 200, "thumb.bmp", 92, nullptr, -17, 1},
        {"pitch 1", true, true, 200, "thumb.bmp", 92, nullptr, -15, 0},
        {"no list", false, true, 200, "thumb.bmp", 92, nullptr, 3, 1},
        {"no font", true, false, 200, "thumb.bmp", 92, nullptr, 3, 1},
        {"width 0", true, true, 0, "thumb.bmp", 92, nullptr, 3, 1},
        {"no thumb", true, true, 200, nullptr, 92, nullptr, 3, 1},
        {"a slider shorter than its caps + 1", true, true, 200, "thumb.bmp", 4, nullptr, 3, 1},
        {"a missing mark strip", true, true, 200, "thumb.bmp", 92, "absent.bmp", 3, 2},
    };
    for (const auto& c : cases) {
        SelectListPart list;
        EXPECT_EQ(c.code, list.Setup(c.list ? &List() : nullptr, 0, c.font ? &font : nullptr, -5, c.width, 0, 0,
                                     c.thumb, 2, 2, c.sliderLength, 0, 0, 0, c.marks, c.spacing, 0))
            << c.name;
        EXPECT_EQ(c.code == 0, list.PartSprite().List() == &List()) << c.name;
    }
}

TEST_F(SelectListTest, KeysKeepTheCursorRowWhollyInView) {
    SelectListPart list;
    MakeList(list);
    ASSERT_EQ(0, list.JoinGroup(&group, -1));
    ASSERT_EQ(0, group.FocusPart(&list));
    const struct {
        WPARAM key;
        std::int32_t times;
        std::int32_t cursor;
        std::int32_t scroll;
    } steps[] = {
        {VK_DOWN, 5, 4, 0}, {VK_DOWN, 1, 5, 19}, {VK_DOWN, 4, 9, 95}, {VK_DOWN, 1, 9, 95},
        {VK_UP, 4, 5, 95},  {VK_UP, 1, 4, 76},   {VK_UP, 9, 0, 0},
    };
    for (const auto& s : steps) {
        for (std::int32_t i = 0; i < s.times; ++i) EXPECT_EQ(2, KeyTurn(s.key));
        EXPECT_EQ(s.cursor, list.Cursor()) << s.key << " to " << s.cursor;
        EXPECT_EQ(s.scroll, list.ScrollOffset()) << s.key << " to " << s.cursor;
    }
    // Home and End move the cursor and the bar to either end.
    KeyTurn(VK_END);
    EXPECT_EQ(9, list.Cursor());
    EXPECT_EQ(95, list.ScrollOffset());
    KeyTurn(VK_HOME);
    EXPECT_EQ(0, list.Cursor());
    EXPECT_EQ(0, list.ScrollOffset());
}

// Page keys on a cursor standing on a mark move the number as it is; the cursor and the scroll
// position stay in their ranges.
TEST_F(SelectListTest, PageKeysStayInRange) {
    ASSERT_EQ(0, actions->AddBinding(18, 0, 201));
    ASSERT_EQ(0, actions->AddBinding(19, 0, 209));
    SelectListPart list;
    MakeList(list);
    list.SetPageActions(18, 19);
    ASSERT_EQ(0, list.JoinGroup(&group, -1));
    PointAt(105, 125);
    ASSERT_EQ(11, list.Cursor()) << "the mark of row 1";
    // A page is (92 - 3) / 19 = 4 rows.
    KeyTurn(VK_PRIOR, 105, 125);
    EXPECT_EQ(7, list.Cursor());
    EXPECT_EQ(7 * 19 + 16 - 92, list.ScrollOffset());
    KeyTurn(VK_PRIOR, 105, 125);
    KeyTurn(VK_PRIOR, 105, 125);
    EXPECT_EQ(0, list.Cursor());
    EXPECT_EQ(0, list.ScrollOffset());
    PointAt(105, 125);
    ASSERT_EQ(11, list.Cursor());
    KeyTurn(VK_NEXT, 105, 125);
    EXPECT_EQ(9, list.Cursor()) << "at most the last row";
    EXPECT_EQ(95, list.ScrollOffset());
    KeyTurn(VK_NEXT, 105, 125);
    EXPECT_EQ(9, list.Cursor());
    EXPECT_EQ(95, list.ScrollOffset());
}

TEST_F(SelectListTest, ClicksToggleMarksAndSelectRowsOnce) {
    SelectListPart list;
    MakeList(list);
    list.SetId(7);
    ASSERT_EQ(0, list.JoinGroup(&group, -1));
    // Row 1 spans y 119..134; its mark x 100..111.
    PointAt(105, 125);
    EXPECT_EQ(11, list.Cursor());
    EXPECT_EQ(1, Click(105, 125));
    EXPECT_EQ(0, list.GetItemFlag(1));
    EXPECT_EQ(1, list.GetItemFlag(0));
    EXPECT_EQ(-1, list.Selected()) << "a mark keeps the selection";
    EXPECT_EQ(7, group.ResultWord());
    // The text of row 2.
    group.SetResultWord(-1);
    PointAt(150, 145);
    EXPECT_EQ(2, list.Cursor());
    Click(150, 145);
    EXPECT_EQ(2, list.Selected());
    EXPECT_EQ(7, group.ResultWord());
    group.SetResultWord(-1);
    Click(150, 145);
    EXPECT_EQ(2, list.Selected());
    EXPECT_EQ(-1, group.ResultWord()) << "the selected row again: no notice";
    // Space toggles the cursor row's flag.
    EXPECT_EQ(1, list.GetItemFlag(2));
    KeyTurn(VK_SPACE, 150, 145);
    EXPECT_EQ(0, list.GetItemFlag(2));
    EXPECT_EQ(2, list.Selected());
}

TEST_F(SelectListTest, SpaceDoesNothingWithoutMarks) {
    SelectListPart list;
    MakeList(list, nullptr);
    EXPECT_EQ(0, list.MarkWidth());
    ASSERT_EQ(0, list.JoinGroup(&group, -1));
    ASSERT_EQ(0, group.FocusPart(&list));
    KeyTurn(VK_DOWN);
    KeyTurn(VK_SPACE);
    EXPECT_EQ(0, list.GetItemFlag(0));
    EXPECT_EQ(1, list.SetItemFlag(0, 1, true));
    EXPECT_EQ(-1, list.Selected());
}

TEST_F(SelectListTest, BackgroundSelectionFrameAndMarksAsExactPixels) {
    SelectListPart list;
    MakeList(list);
    EXPECT_EQ(0, list.SetItemFlag(1, 0, false));
    EXPECT_EQ(2, list.SetItemFlag(10, 1, false));
    ASSERT_EQ(0, list.Select(2));
    ASSERT_EQ(0, list.JoinGroup(&group, -1));
    PointAt(150, 163);  // row 3
    ASSERT_EQ(3, list.Cursor());
    Image& image = list.PartImage();
    // Background between rows and right of the text.
    EXPECT_EQ(kBack, image.GetPixel(150, 17));
    EXPECT_EQ(kBack, image.GetPixel(211, 5));
    // Row 2 (y 38..53) filled right of the marks.
    EXPECT_EQ(kSelect, image.GetPixel(12, 38));
    EXPECT_EQ(kSelect, image.GetPixel(211, 53));
    EXPECT_EQ(kBack, image.GetPixel(211, 54));
    // The frame of row 3 (y 57..72).
    EXPECT_EQ(kFrame, image.GetPixel(12, 57));
    EXPECT_EQ(kFrame, image.GetPixel(211, 57));
    EXPECT_EQ(kFrame, image.GetPixel(12, 72));
    EXPECT_EQ(kFrame, image.GetPixel(211, 72));
    EXPECT_EQ(kFrame, image.GetPixel(211, 65));
    EXPECT_EQ(kBack, image.GetPixel(210, 65));
    // Mark cells, 2 pixels below each row's top: set (row 0), clear (row 1).
    EXPECT_EQ(kCells[2], image.GetPixel(5, 2) & 0xFFFFFF);
    EXPECT_EQ(kCells[2], image.GetPixel(11, 13) & 0xFFFFFF);
    EXPECT_EQ(kBack, image.GetPixel(5, 14));
    EXPECT_EQ(kCells[0], image.GetPixel(5, 19 + 2) & 0xFFFFFF);
    // The pointer on row 4's mark: the set cell under the cursor.
    PointAt(105, 100 + 4 * 19 + 5);
    ASSERT_EQ(14, list.Cursor());
    EXPECT_EQ(kCells[3], image.GetPixel(5, 4 * 19 + 2) & 0xFFFFFF);
    EXPECT_EQ(kBack, image.GetPixel(12, 57)) << "no frame on row 3 any more";
}

TEST_F(SelectListTest, ARowAddedWithoutUpdateShowsAfterUpdateScrollRange) {
    SelectListPart list;
    MakeList(list, "marks.bmp", 0);
    ASSERT_EQ(0, list.AddItem("Hidden", nullptr, false));
    EXPECT_EQ(0, Drawn(list, 0, 16));
    list.UpdateScrollRange();
    EXPECT_GT(Drawn(list, 0, 16), 0);
    EXPECT_EQ(0, list.AddItem("Shown", nullptr, true));
    EXPECT_GT(Drawn(list, 19, 35), 0);
}

// Each row of a faces-only list is its face's name drawn in that face, as the same font draws it.
TEST_F(SelectListTest, AFacesOnlyListDrawsEachRowInItsFace) {
    SelectListPart list;
    ASSERT_EQ(0, list.Setup(&List(), 0, &font, -5, 200, 100, 100, "thumb.bmp", 0, 0, 92, 320, 100, 0, nullptr, 3, 0));
    ASSERT_EQ(0, list.AddItem(nullptr, kMincho, false));
    ASSERT_EQ(0, list.AddItem(nullptr, kGothic, true));
    EXPECT_EQ(2, list.RowCount());
    Image expected;
    ASSERT_EQ(0, expected.Create(200, 92, 32, 0));
    expected.FillValue(kBack, nullptr);
    AntialiasFont same;
    ASSERT_EQ(0, same.SetFont(16, false, 0, kGothic));
    const char* const faces[2] = {kMincho, kGothic};
    for (std::int32_t n = 0; n < 2; ++n) {
        same.SetFace(faces[n]);
        expected.DrawTextAntialias(2, n * 19, faces[n], &same);
    }
    std::int32_t differ = 0;
    for (std::int32_t y = 0; y < 92; ++y) {
        for (std::int32_t x = 0; x < 200; ++x) differ += list.PartImage().GetPixel(x, y) != expected.GetPixel(x, y);
    }
    EXPECT_EQ(0, differ);
    EXPECT_GT(Drawn(list, 0, 16), 0);
}

TEST_F(SelectListTest, JoiningTwiceAnswersMinusOneAndLeavingTakesTheBar) {
    SelectListPart list;
    MakeList(list);
    EXPECT_EQ(1, list.JoinGroup(nullptr, 0));
    ASSERT_EQ(0, list.JoinGroup(&group, -1));
    EXPECT_EQ((std::vector<UiPart*>{&list, &list.ScrollBar()}), group.Members());
    EXPECT_EQ(-1, list.JoinGroup(&group, -1));
    EXPECT_TRUE(list.LeaveGroup());
    EXPECT_TRUE(group.Members().empty());
    EXPECT_FALSE(list.LeaveGroup());
    group.Clear();
    ASSERT_EQ(0, list.JoinGroup(&group, 0));
    EXPECT_EQ((std::vector<UiPart*>{&list, &list.ScrollBar()}), group.Members());
}

TEST_F(SelectListTest, TheWheelScrollsByTheRowPitch) {
    SelectListPart list;
    MakeList(list);
    ASSERT_EQ(0, list.JoinGroup(&group, -1));
    PointAt(150, 125);
    app.Input().OnMouseWheel(MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
    Turn(150, 125, {}, m_now += 10);
    EXPECT_EQ(19, list.ScrollOffset());
    app.Input().OnMouseWheel(MAKEWPARAM(0, WHEEL_DELTA));
    Turn(150, 125, {}, m_now += 10);
    EXPECT_EQ(0, list.ScrollOffset());
}

TEST_F(SelectListTest, ADroppedFontTakesNoRowsAndDrawsNothing) {
    SelectListPart list;
    MakeList(list, "marks.bmp", 2);
    list.DropReferencesTo(&font);
    EXPECT_EQ(nullptr, list.RowFont());
    EXPECT_EQ(1, list.AddItem("more", nullptr, true));
    EXPECT_EQ(1, list.Select(0));
    EXPECT_EQ(2, list.RowCount());
    list.Redraw();
    list.DropReferencesTo(&List());
    EXPECT_EQ(nullptr, list.PartSprite().List());
    EXPECT_EQ(nullptr, list.ScrollBar().ThumbSprite().List());
}

TEST_F(SelectListTest, ThePanelMakesSelectListsWithItsSettings) {
    UiPanel panel;
    panel.BindCanvas(&canvas);
    panel.SetSelectListColours(0x11223344, 0x55667788, 0x99AABBCC, 0);
    panel.SetSliderPageActions(18, 19);
    panel.SetSliderSettings(1, 0);
    UiPart* part = nullptr;
    EXPECT_EQ(1, panel.NewSelectListPart(&part, &font, -5, 200, 100, 100, "thumb.bmp", 0, 0, 92, 320, 100, 0, nullptr,
                                         -16, 0));
    EXPECT_EQ(nullptr, part);
    EXPECT_TRUE(panel.Parts().empty());
    ASSERT_EQ(0, panel.NewSelectListPart(&part, &font, -5, 200, 100, 100, "thumb.bmp", 0, 0, 92, 320, 100, 0,
                                         "marks.bmp", 3, 0));
    auto* list = static_cast<SelectListPart*>(part);
    EXPECT_EQ(0x11223344u, list->PartImage().GetPixel(50, 50));
    EXPECT_EQ(1, list->ScrollBar().ClickMode());
    EXPECT_EQ(19, list->ScrollBar().Step()) << "no step set: the row pitch";
    ASSERT_EQ(0, list->AddItem("a", nullptr, false));
    ASSERT_EQ(0, list->AddItem("b", nullptr, true));
    EXPECT_EQ(0, list->GetItemFlag(0)) << "the panel's new-row flag";
    UiPartContent* content = panel.FindPart(HandleTable<UiPartContent>::WordOf(part));
    ASSERT_NE(nullptr, content);
    content->Select(1);
    EXPECT_EQ(1, content->ValueWord());
    EXPECT_EQ(&list->PartSprite(), content->PartSprite());
    content->Select(5);
    EXPECT_EQ(-1, content->ValueWord()) << "past the rows: none";
}

}  // namespace
