// The IME mode indicator on the UI bench, with the IME's modes through the IMM seam: the label
// table, the labels as the same font draws them, redrawing on a colour change, right alignment,
// showing with a text box's focus, and the panel's one indicator shared by its text boxes.
#include "scenario/ui/ime_mode_indicator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "framework/interfaces/task_scheduling.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/text/antialias_font.h"
#include "scenario/ui/text_box_part.h"
#include "scenario/ui/ui_panel.h"
#include "tests/scenario/text/box_font.h"
#include "tests/support/ui_bench.h"

namespace {

const char kGothic[] = "ＭＳ ゴシック";

class ImeIndicatorTest : public testsupport::UiBench {
protected:
    // The IME's state as the IMM seam reports it.
    void SetIme(bool open, DWORD conversion, DWORD sentence) {
        if (open != (m_sources.imm.GetOpenStatus(nullptr) != FALSE)) m_sources.imm.openCalls.push_back(open);
        m_sources.imm.conversionMode = conversion;
        m_sources.imm.sentenceMode = sentence;
    }

    texttest::BoxFont font{16};
};

TEST_F(ImeIndicatorTest, TheLabelsFollowTheModes) {
    const struct {
        const char* name;
        bool open;
        std::uint32_t conversion;
        std::uint32_t sentence;
        const char* labels;
    } cases[] = {
        {"closed", false, 0x19, 0x8, "英数"},
        {"no conversion", true, 0x109, 0x8, "英数"},
        {"full-width hiragana, phrase prediction", true, 0x9, 0x8, "全ひ連"},
        {"Roman input first", true, 0x19, 0x8, "Ｒ全ひ連"},
        {"half-width alphanumeric", true, 0x0, 0x0, "半英"},
        {"katakana before native", true, 0xB, 0x1, "全カ複"},
        {"single conversion", true, 0x1, 0x2, "半ひ単"},
        {"automatic", true, 0x1, 0x4, "半ひ自"},
        {"prediction before plural clauses", true, 0x1, 0x9, "半ひ連"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::string(c.labels), ImeModeIndicatorBase::Labels(c.open, c.conversion, c.sentence)) << c.name;
    }
}

TEST_F(ImeIndicatorTest, TheLabelsAreWhatTheSameFontDraws) {
    AntialiasFont face;
    ASSERT_EQ(0, face.SetFont(16, false, 0, kGothic));
    SetIme(false, 0, 0);
    ImeModeIndicator indicator;
    ASSERT_EQ(0, indicator.Create(&canvas.Sprites(), &app.Ime(), &face, 40, 40, false, 0));
    const std::int32_t e = face.outlineWidth;
    Image& drawn = indicator.IndicatorImage();
    ASSERT_EQ(4 * 16 + 10 * e, drawn.Width());
    ASSERT_EQ(2 * e + 16, drawn.Height());
    EXPECT_EQ(255, face.colour[0]) << "the font's own colours come back";
    EXPECT_EQ(0, face.effect);

    const struct {
        bool open;
        DWORD conversion;
        DWORD sentence;
        const char* labels;
    } cases[] = {
        {false, 0, 0, "英数"},
        {true, 0x9, 0x8, "全ひ連"},
        {true, 0x19, 0x8, "Ｒ全ひ連"},
        {true, 0x0, 0x0, "半英"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.labels);
        SetIme(c.open, c.conversion, c.sentence);
        indicator.Update();
        // The same font, in the indicator's colours and effect, draws the expected labels.
        Image expected;
        ASSERT_EQ(0, expected.Create(drawn.Width(), drawn.Height(), 32, 0));
        expected.FillValue(0, nullptr);
        face.effect = 2;
        face.effectOffsetX = 2;
        face.effectOffsetY = 2;
        std::int32_t pen[2] = {0, 0};
        face.DrawText(&expected, e, e, c.labels, nullptr, pen);
        face.effect = 0;
        face.effectOffsetX = 0;
        face.effectOffsetY = 0;
        std::int32_t differing = 0;
        std::int32_t inked = 0;
        for (std::int32_t y = 0; y < drawn.Height(); ++y) {
            for (std::int32_t x = 0; x < drawn.Width(); ++x) {
                differing += drawn.GetPixel(x, y) != expected.GetPixel(x, y);
                inked += expected.GetPixel(x, y) != 0;
            }
        }
        EXPECT_EQ(0, differing);
        EXPECT_LT(50, inked) << "the font drew the labels";
        EXPECT_EQ(std::min(drawn.Width(), e + pen[0]), indicator.IndicatorSprite().Width());
    }
}

TEST_F(ImeIndicatorTest, AColourChangeRedrawsAtTheNextUpdate) {
    SetIme(false, 0, 0);
    ImeModeIndicator indicator;
    ASSERT_EQ(0, indicator.Create(&canvas.Sprites(), &app.Ime(), &font, 40, 40, false, 0));
    Image& image = indicator.IndicatorImage();
    EXPECT_EQ(0xFFFFFFFFu, image.GetPixel(4, 4)) << "white by default";
    EXPECT_EQ(0, indicator.SetColours(0xFF0000, -1));
    EXPECT_EQ(0xFFFFFFFFu, image.GetPixel(4, 4)) << "not before the update";
    indicator.Update();
    EXPECT_EQ(0xFFFF0000u, image.GetPixel(4, 4));
    EXPECT_EQ(0xFF0000u, indicator.TextColour());
    EXPECT_EQ(0u, indicator.EffectColour()) << "-1 kept it";
    // The same state and no request: nothing is drawn.
    image.FillValue(0, nullptr);
    indicator.Update();
    EXPECT_EQ(0u, image.GetPixel(4, 4));
    SetIme(true, 0x9, 0x8);
    indicator.Update();
    EXPECT_EQ(0xFFFF0000u, image.GetPixel(4, 4));
}

TEST_F(ImeIndicatorTest, RightAlignedTheRowGrowsToTheLeft) {
    SetIme(false, 0, 0);
    ImeModeIndicator indicator;
    ASSERT_EQ(0, indicator.Create(&canvas.Sprites(), &app.Ime(), &font, 500, 30, true, 0));
    EXPECT_FALSE(indicator.IsVisible()) << "hidden until a box shows it";
    EXPECT_EQ(500 - 32, indicator.GetX());
    SetIme(true, 0x19, 0x8);
    indicator.Update();
    EXPECT_EQ(500 - 64, indicator.GetX());
    EXPECT_EQ(64, indicator.IndicatorSprite().Width());
    ASSERT_EQ(0, indicator.SetPosition(600, 50));
    EXPECT_EQ(600 - 64, indicator.GetX());
    EXPECT_EQ(50, indicator.GetY());
    indicator.SetRightAligned(false);
    indicator.Update();
    ASSERT_EQ(0, indicator.SetPosition(600, 50));
    EXPECT_EQ(600, indicator.GetX());
    ImeModeIndicator refused;
    EXPECT_EQ(1, refused.Create(nullptr, &app.Ime(), &font, 0, 0, true, 0));
    EXPECT_EQ(1, refused.Create(&canvas.Sprites(), nullptr, &font, 0, 0, true, 0));
    EXPECT_EQ(1, refused.Create(&canvas.Sprites(), &app.Ime(), nullptr, 0, 0, true, 0));
}

TEST_F(ImeIndicatorTest, AFocusedBoxShowsItAndBlurHidesIt) {
    ImeModeIndicator indicator;
    ASSERT_EQ(0, indicator.Create(&canvas.Sprites(), &app.Ime(), &font, 500, 30, true, 0));
    TextBoxPart box;
    ASSERT_EQ(0, box.Create(&canvas.Sprites(), 0, nullptr, &app.Ime(), &font, 100, CallerText(), 10, 10, 0, false, 0));
    box.SetImeIndicator(&indicator);
    ASSERT_EQ(0, group.InsertPart(&box, -1));
    ASSERT_EQ(0, group.FocusPart(&box));
    EXPECT_TRUE(indicator.IsVisible());
    // Every turn refreshes it.
    SetIme(true, 0x9, 0x8);
    Turn(kWidth - 1, kHeight - 1);
    EXPECT_EQ(500 - 48, indicator.GetX());
    ASSERT_EQ(0, group.FocusPart(nullptr));
    EXPECT_FALSE(indicator.IsVisible());
    group.Clear();
}

class PanelImeIndicatorTest : public ImeIndicatorTest {
protected:
    void SetUp() override {
        ImeIndicatorTest::SetUp();
        panel.BindCanvas(&canvas);
        panel.SetTextInput(&app.Ime());
        panel.SetTaskScheduler(&scheduler);
    }
    void TearDown() override {
        panel.DeleteParts();
        panel.DropImeIndicator();
        ImeIndicatorTest::TearDown();
    }
    TextBoxPart* NewBox(std::int32_t y) {
        UiPart* part = nullptr;
        EXPECT_EQ(0, panel.NewTextBoxPart(&part, 10, y, &font, 100, 0, false, 0));
        return static_cast<TextBoxPart*>(part);
    }

    texttest::BoxFont other{20};
    TaskScheduler scheduler{m_sources.clock};
    UiPanel panel;
};

TEST_F(PanelImeIndicatorTest, TheSameFontMovesItAndAnotherReplacesIt) {
    TextBoxPart* const before = NewBox(10);
    ASSERT_EQ(0, panel.SetImeIndicator(&font, 500, 30));
    ImeModeIndicator* const first = panel.ImeIndicator();
    ASSERT_NE(nullptr, first);
    EXPECT_TRUE(first->RightAligned());
    TextBoxPart* const after = NewBox(50);
    EXPECT_EQ(first, before->Indicator());
    EXPECT_EQ(first, after->Indicator());

    ASSERT_EQ(0, panel.SetImeIndicator(&font, 600, 40));
    EXPECT_EQ(first, panel.ImeIndicator()) << "the same object, moved";
    EXPECT_EQ(40, first->GetY());

    ASSERT_EQ(0, panel.SetImeIndicator(&other, 600, 40));
    ASSERT_NE(nullptr, panel.ImeIndicator());
    EXPECT_EQ(&other, panel.ImeIndicator()->IndicatorFont());
    EXPECT_EQ(panel.ImeIndicator(), before->Indicator());
    EXPECT_EQ(panel.ImeIndicator(), after->Indicator());

    panel.DropImeIndicator();
    EXPECT_EQ(nullptr, panel.ImeIndicator());
    EXPECT_EQ(nullptr, before->Indicator());
    EXPECT_EQ(nullptr, after->Indicator());
}

TEST_F(PanelImeIndicatorTest, AFailedReplacementLeavesTheBoxesWithoutAnIndicator) {
    TextBoxPart* const box = NewBox(10);
    ASSERT_EQ(0, panel.SetImeIndicator(&font, 500, 30));
    ASSERT_EQ(panel.ImeIndicator(), box->Indicator());
    // The second indicator cannot be made: the panel has no input context any more.
    panel.SetTextInput(nullptr);
    EXPECT_EQ(1, panel.SetImeIndicator(&other, 500, 30));
    EXPECT_EQ(nullptr, panel.ImeIndicator());
    EXPECT_EQ(nullptr, box->Indicator());
    // Focus and blur reach no indicator.
    ASSERT_EQ(0, group.InsertPart(box, -1));
    ASSERT_EQ(0, group.FocusPart(box));
    ASSERT_EQ(0, group.FocusPart(nullptr));
    group.Clear();
    panel.SetTextInput(&app.Ime());
    UiPanel unbound;
    EXPECT_EQ(1, unbound.SetImeIndicator(&font, 0, 0));
}

TEST_F(PanelImeIndicatorTest, ADyingFontTakesItsIndicatorAndLeavesBoxesWithoutText) {
    TextBoxPart* const box = NewBox(10);
    ASSERT_EQ(0, panel.SetImeIndicator(&other, 500, 30));
    panel.OnObjectDeleting(ListedObjectFamily::kFont, &other, nullptr);
    EXPECT_EQ(nullptr, panel.ImeIndicator());
    EXPECT_EQ(nullptr, box->Indicator());
    EXPECT_EQ(&font, box->BoxFont());
    panel.OnObjectDeleting(ListedObjectFamily::kFont, &font, nullptr);
    EXPECT_EQ(nullptr, box->BoxFont());
    ASSERT_EQ(0, group.InsertPart(box, -1));
    ASSERT_EQ(0, group.FocusPart(box));
    TypeText("abc");
    Turn(kWidth - 1, kHeight - 1);
    EXPECT_STREQ("", box->Text()) << "typing is ignored";
    EXPECT_EQ(0xc0c0dcc0u, box->TextImage().GetPixel(5, 5)) << "the background is still drawn";
    group.Clear();
}

TEST_F(PanelImeIndicatorTest, TextBoxesTakeThePanelsSettings) {
    panel.SetTextBoxStyle(7, 0xFF102030, 0x405060);
    panel.SetCompositionStyle(4, 0x00FF00, -1);
    panel.SetTextBoxImeFlag(true);
    TextBoxPart* const box = NewBox(10);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(7, box->Capacity());
    EXPECT_EQ(0xFF102030u, box->TextImage().GetPixel(5, 5));
    EXPECT_EQ(4 * 16, box->CompositionImage().Width());
    EXPECT_NE(nullptr, box->CaretTask());
    UiPart* part = nullptr;
    ASSERT_EQ(0, panel.NewTextBoxPartEx(&part, 10, 100, &font, 3, 100, 2, 4, true, 0));
    EXPECT_EQ(33, static_cast<TextBoxPart*>(part)->Capacity()) << "a block's own capacity";
    EXPECT_EQ(1, panel.NewTextBoxPartEx(&part, 10, 100, &font, 1, 100, 2, 4, true, 0));
    EXPECT_EQ(nullptr, part);
    // The script's content operations.
    UiPartContent* const content = panel.FindPart(HandleTable<UiPartContent>::WordOf(box));
    ASSERT_NE(nullptr, content);
    content->SetText("abcdefghij");
    EXPECT_STREQ("abcdefg", content->TextBuffer());
    EXPECT_EQ(&box->TextSprite(), content->PartSprite());
    content->SetInputLock(true);
    EXPECT_TRUE(box->Locked());
    // The IME flag: focus opens the IME.
    content->SetInputLock(false);
    m_sources.imm.openCalls.clear();
    ASSERT_EQ(0, group.InsertPart(box, -1));
    ASSERT_EQ(0, group.FocusPart(box));
    EXPECT_EQ(std::vector<BOOL>{TRUE}, m_sources.imm.openCalls);
    group.Clear();
}

}  // namespace
