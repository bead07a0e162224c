// Text boxes on the UI bench, typed into through the window's messages: capacity and whole
// characters, Backspace over runs of lead-range bytes, one-byte refusal, line feeds in blocks,
// Return, single-line scrolling, caret placement and blinking on the fake clock, focus by hover
// and by click, the IME and the composition through the IMM seam, the drawn pixels, and the
// caret task that the scheduler owns.
#include "scenario/ui/text_box_part.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "framework/interfaces/task_scheduling.h"
#include "graphics/sprites/sprite_list.h"
#include "scenario/ui/ime_mode_indicator.h"
#include "tests/graphics/poisoning_delete.h"
#include "tests/scenario/text/box_font.h"
#include "tests/support/ui_bench.h"

namespace {

// Shift-JIS: あ, い, う.
const char kA[] = "\x82\xA0";
const char kI[] = "\x82\xA2";
const char kU[] = "\x82\xA4";

struct BoxShape {
    std::int32_t lines = 0;  // 0: one line
    std::int32_t length = 100;
    std::int32_t margin = 0;
    std::int32_t spacing = 0;
    bool bordered = false;
};

class TextBoxTest : public testsupport::UiBench {
protected:
    // A box of the 16-pixel box font (one-byte characters 8 wide) in the group.
    std::unique_ptr<TextBoxPart> MakeBox(std::int32_t x, std::int32_t y, const BoxShape& shape = {},
                                         texttest::BoxFont* boxFont = nullptr, bool withIme = false) {
        auto box = std::make_unique<TextBoxPart>();
        texttest::BoxFont* const f = boxFont ? boxFont : &font;
        const std::int32_t code =
            shape.lines == 0
                ? box->Create(&canvas.Sprites(), 10, &scheduler, withIme ? &app.Ime() : nullptr, f, shape.length,
                              CallerText(), x, y, shape.margin, shape.bordered, 0)
                : box->CreateMultiLine(&canvas.Sprites(), 10, &scheduler, withIme ? &app.Ime() : nullptr, f,
                                       shape.lines, shape.length, CallerText(), x, y, shape.margin, shape.spacing,
                                       shape.bordered, 0);
        EXPECT_EQ(0, code);
        EXPECT_EQ(0, group.InsertPart(box.get(), -1));
        return box;
    }
    // One turn with the pointer out of the way.
    void Idle() { Turn(kWidth - 1, kHeight - 1); }
    void Type(const std::string& text) {
        TypeText(text);
        Idle();
    }
    void Key(WPARAM key) {
        TypeKey(key);
        Idle();
    }
    void Focus(TextBoxPart& box) {
        ASSERT_EQ(0, group.FocusPart(&box));
        Idle();
    }

    texttest::BoxFont font{16};
    TaskScheduler scheduler{m_sources.clock};
};

TEST_F(TextBoxTest, CreationRefusesSizesThatCannotHoldALine) {
    texttest::BoxFont noSize{0};
    const struct {
        const char* name;
        bool font;
        bool sizeless;
        std::int32_t lines;
        std::int32_t length;
        std::int32_t margin;
        std::int32_t result;
    } cases[] = {
        {"no font", false, false, 0, 100, 0, 1},
        {"length 0", true, false, 0, 0, 0, 1},
        {"font size 0", true, true, 0, 100, 0, 1},
        {"font size 0 in a block", true, true, 3, 100, 0, 1},
        {"a block of one line", true, false, 1, 100, 0, 1},
        {"fewer than two columns", true, false, 3, 20, 2, 1},
        {"a negative margin", true, false, 0, 100, -1, 1},
        {"lines past 32 bits", true, false, 1 << 30, 100, 0, 1},
        {"a capacity past 32 bits", true, false, 100, 1 << 30, 0, 1},
        {"two columns", true, false, 2, 22, 2, 0},
    };
    for (const auto& c : cases) {
        TextBoxPart box;
        Font* const f = !c.font ? nullptr : (c.sizeless ? static_cast<Font*>(&noSize) : &font);
        const std::int32_t code =
            c.lines == 0 ? box.Create(&canvas.Sprites(), 0, &scheduler, nullptr, f, c.length, CallerText(), 0, 0,
                                      c.margin, true, 0)
                         : box.CreateMultiLine(&canvas.Sprites(), 0, &scheduler, nullptr, f, c.lines, c.length,
                                               CallerText(), 0, 0, c.margin, 0, true, 0);
        EXPECT_EQ(c.result, code) << c.name;
        EXPECT_EQ(c.result == 0 ? 2 : 0, canvas.Sprites().Count()) << c.name;
        EXPECT_EQ(c.result == 0, scheduler.TaskCount() == 1) << c.name;
    }
    // Three lines of (100 - 2 x 3) / 16 x 2 = 10 columns hold (10 + 1) x 3 bytes.
    TextBoxPart block;
    ASSERT_EQ(0, block.CreateMultiLine(&canvas.Sprites(), 0, nullptr, nullptr, &font, 3, 100, CallerText(), 0, 0, 2,
                                       4, true, 0));
    EXPECT_EQ(10, block.Columns());
    EXPECT_EQ(33, block.Capacity());
    EXPECT_EQ(100, block.GetWidth());
    EXPECT_EQ(16 + 6 + 2 * 20, block.GetHeight());
    EXPECT_EQ(1, block.SetCapacity(5)) << "the buffer exists";
    TextBoxPart unmade;
    EXPECT_EQ(1, unmade.SetCapacity(-1));
    EXPECT_EQ(255, unmade.Capacity());
    EXPECT_EQ(0, unmade.SetCapacity(0));
    EXPECT_EQ(1, unmade.SetText("a")) << "before creation";
}

TEST_F(TextBoxTest, AFullBoxNeverTakesHalfAPair) {
    auto box = std::make_unique<TextBoxPart>();
    ASSERT_EQ(0, box->SetCapacity(5));
    ASSERT_EQ(0, box->Create(&canvas.Sprites(), 0, &scheduler, nullptr, &font, 200, CallerText(), 10, 10, 0, false, 0));
    ASSERT_EQ(0, group.InsertPart(box.get(), -1));
    Focus(*box);
    Type(std::string("abcd") + kA);
    EXPECT_STREQ("abcd", box->Text());
    Type(std::string("e") + kA + "f");
    EXPECT_STREQ("abcde", box->Text());
    // A text set by script is cut at a whole character too.
    ASSERT_EQ(0, box->SetText((std::string("ab") + kA + kI).c_str()));
    EXPECT_EQ(std::string("ab") + kA, box->Text());
    EXPECT_EQ(0, box->Caret());
}

TEST_F(TextBoxTest, TheOutputIsReadWholeAndWrittenOnCommit) {
    // The caller's text is longer than the box holds: cut before the pair that would split.
    char output[16] = "ab\x82\xA0" "cd";
    TextBoxPart box;
    ASSERT_EQ(0, box.SetCapacity(3));
    ASSERT_EQ(0, box.Create(&canvas.Sprites(), 0, nullptr, nullptr, &font, 100, CallerText::Program(output), 0, 0, 0,
                            false, 0));
    EXPECT_STREQ("ab", box.Text());
    ASSERT_EQ(0, box.SetText("xyz"));
    ASSERT_EQ(0, group.InsertPart(&box, -1));
    ASSERT_EQ(0, group.FocusPart(&box));
    EXPECT_EQ(0, box.Commit());
    EXPECT_STREQ("xyz", output);
    EXPECT_TRUE(box.Locked());
    EXPECT_EQ(nullptr, group.FocusedPart()) << "locking clears the focus";
    TextBoxPart noOutput;
    ASSERT_EQ(0, noOutput.Create(&canvas.Sprites(), 0, nullptr, nullptr, &font, 100, CallerText(), 0, 0, 0, false, 0));
    EXPECT_EQ(1, noOutput.Commit());
    group.Clear();
}

TEST_F(TextBoxTest, BackspaceRemovesTheWholeCharacterBeforeTheCaret) {
    auto box = MakeBox(10, 10, BoxShape{0, 300});
    Focus(*box);
    const struct {
        const char* name;
        std::string text;
        std::string left;
    } cases[] = {
        {"a pair after an odd run of lead-range bytes", "\x81\x81\x82\xA0", "\x81\x81"},
        {"one byte after an even run", "\x82\x9F" "A", "\x82\x9F"},
        {"a pair after a one-byte character", std::string("A") + kA, "A"},
        {"the only one-byte character", "A", ""},
        {"a pair alone", kA, ""},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(0, box->SetText(c.text.c_str()));
        Key(VK_END);
        ASSERT_EQ(static_cast<std::int32_t>(c.text.size()), box->Caret()) << c.name;
        Type("\b");
        EXPECT_EQ(c.left, box->Text()) << c.name;
        EXPECT_EQ(static_cast<std::int32_t>(c.left.size()), box->Caret()) << c.name;
    }
    // Delete takes the character at the caret.
    ASSERT_EQ(0, box->SetText((std::string(kA) + "b").c_str()));
    Key(VK_DELETE);
    EXPECT_STREQ("b", box->Text());
}

TEST_F(TextBoxTest, AWideOnlyBoxRefusesOneByteCharacters) {
    auto box = MakeBox(10, 10, BoxShape{0, 300});
    box->SetWideOnly(true);
    Focus(*box);
    Type(std::string("a") + kA + "b1" + kI);
    EXPECT_EQ(std::string(kA) + kI, box->Text());
}

TEST_F(TextBoxTest, ABlockTakesLineFeedsWhileItHasAFreeLine) {
    auto box = MakeBox(10, 10, BoxShape{3, 100, 2, 4, true});
    Focus(*box);
    Type("a\nb\nc\nd");
    EXPECT_STREQ("a\nb\ncd", box->Text());
    EXPECT_EQ(3, box->UsedLines());
    // A one-line box takes none.
    auto line = MakeBox(10, 100);
    Focus(*line);
    Type("x\ny");
    EXPECT_STREQ("xy", line->Text());
    // Typing past the last line: what the layout cuts goes, and the caret stays in the text.
    Focus(*box);
    Key(VK_END);
    Type(std::string(20, 'q'));
    EXPECT_EQ("a\nb\ncd" + std::string(8, 'q'), box->Text());
    EXPECT_EQ(14, box->Caret());
    EXPECT_EQ(2, box->CaretLine());
    Type("\bx");
    EXPECT_EQ("a\nb\ncd" + std::string(7, 'q') + "x", box->Text());
    // Text past the last line is cut when laid out: three lines of ten columns.
    ASSERT_EQ(0, box->SetText(std::string(33, 'z').c_str()));
    EXPECT_EQ(std::string(30, 'z'), box->Text());
}

TEST_F(TextBoxTest, ReturnMovesTheFocusOnOrClearsIt) {
    auto first = MakeBox(10, 10);
    auto second = MakeBox(10, 100);
    Focus(*first);
    Type("a\rb");
    EXPECT_STREQ("a", first->Text()) << "the rest of the text is dropped";
    EXPECT_EQ(second.get(), group.FocusedPart());
    group.RemovePart(first.get());
    Type("\r");
    EXPECT_EQ(nullptr, group.FocusedPart());
}

TEST_F(TextBoxTest, ALongLineScrollsToTheCaret) {
    // 20 one-byte characters (160 pixels) in a 100-pixel line.
    auto box = MakeBox(100, 50);
    Focus(*box);
    ASSERT_EQ(0, box->SetText("abcdefghijklmnopqrst"));
    const auto scrolled = [&] { return std::vector<std::int32_t>{box->Caret(), box->CaretColumn()}; };
    Key(VK_END);
    EXPECT_EQ((std::vector<std::int32_t>{20, 8}), scrolled()) << "End shows the tail";
    EXPECT_EQ(100 + 160 - 64, box->CaretSprite().X()) << "with the caret last";
    Key(VK_HOME);
    EXPECT_EQ((std::vector<std::int32_t>{0, 0}), scrolled());
    Key(VK_END);
    for (int i = 0; i < 13; ++i) Key(VK_LEFT);
    EXPECT_EQ((std::vector<std::int32_t>{7, 5}), scrolled()) << "moving: steps of 3";
    Key(VK_END);
    for (int i = 0; i < 12; ++i) Key(VK_LEFT);
    ASSERT_EQ((std::vector<std::int32_t>{8, 8}), scrolled());
    Type("\b");
    EXPECT_EQ((std::vector<std::int32_t>{7, 3}), scrolled()) << "Backspace: steps of 5";
    Key(VK_END);
    EXPECT_EQ((std::vector<std::int32_t>{19, 7}), scrolled());
    Type("x");
    EXPECT_EQ((std::vector<std::int32_t>{20, 8}), scrolled()) << "typing: steps of 1";
    // The first shown character is drawn at the text's start.
    Redraw();
    EXPECT_EQ(0u, Pixel(100, 55)) << "the box font's black cell";
}

TEST_F(TextBoxTest, TheCaretSitsAfterTheTextInBothDirections) {
    texttest::BoxFont vertical{16};
    vertical.SetEscapement(2700);
    const struct {
        const char* name;
        bool vertical;
        BoxShape shape;
        std::string text;
        POINT caret;
        SIZE size;
    } cases[] = {
        {"one line across", false, {0, 100, 2, 0, true}, std::string("ab") + kA, {200 + 3 + 32, 100 + 3}, {2, 16}},
        {"one line down", true, {0, 100, 2, 0, true}, std::string("ab") + kA, {200 + 3, 100 + 3 + 32}, {16, 2}},
        {"a block across", false, {3, 100, 2, 4, true}, std::string("abc\nd") + kA, {200 + 3 + 24, 100 + 3 + 20},
         {2, 16}},
        {"a block down", true, {3, 100, 2, 4, true}, std::string("abc\nd") + kA, {200 + 3 + 20, 100 + 3 + 24},
         {16, 2}},
    };
    for (const auto& c : cases) {
        auto box = MakeBox(200, 100, c.shape, c.vertical ? &vertical : &font);
        EXPECT_EQ(c.vertical, box->VerticalWriting()) << c.name;
        Focus(*box);
        ASSERT_EQ(0, box->SetText(c.text.c_str()));
        Key(VK_END);
        EXPECT_EQ(c.caret.x, box->CaretSprite().X()) << c.name;
        EXPECT_EQ(c.caret.y, box->CaretSprite().Y()) << c.name;
        EXPECT_EQ(c.size.cx, box->CaretSprite().Width()) << c.name;
        EXPECT_EQ(c.size.cy, box->CaretSprite().Height()) << c.name;
        EXPECT_TRUE(box->CaretSprite().IsVisible()) << c.name;
        group.Clear();
    }
}

TEST_F(TextBoxTest, TheCaretBlinksEvery500MsOnlyWhileFocused) {
    auto box = MakeBox(10, 10);
    const auto visibleAt = [&](std::uint32_t now) {
        clock().SetMs(now);
        scheduler.RunDue(now);
        return box->CaretSprite().IsVisible();
    };
    clock().SetMs(2000);
    Focus(*box);
    EXPECT_TRUE(box->CaretSprite().IsVisible());
    EXPECT_TRUE(visibleAt(2499));
    EXPECT_FALSE(visibleAt(2500));
    EXPECT_TRUE(visibleAt(3000));
    EXPECT_FALSE(visibleAt(3500));
    ASSERT_EQ(0, group.FocusPart(nullptr));
    EXPECT_FALSE(box->CaretSprite().IsVisible());
    EXPECT_FALSE(visibleAt(4000));
    EXPECT_FALSE(visibleAt(4500));
}

TEST_F(TextBoxTest, ThePointerFocusesWithTheTextCursorAndAClickPlacesTheCaret) {
    texttest::BoxFont vertical{16};
    vertical.SetEscapement(2700);
    auto downwards = MakeBox(600, 100, BoxShape{}, &vertical);
    auto box = MakeBox(200, 100);
    ASSERT_EQ(0, box->SetText("abcd"));
    Turn(205, 105);
    EXPECT_EQ(box.get(), group.FocusedPart());
    EXPECT_EQ(4, group.GetCursorKind());
    EXPECT_TRUE(box->CaretSprite().IsVisible());
    // A character counts once the pointer is past its middle.
    const struct {
        std::int32_t x;
        std::int32_t caret;
    } clicks[] = {{203, 0}, {204, 1}, {211, 1}, {212, 2}, {290, 4}};
    for (const auto& c : clicks) {
        Turn(c.x, 105, {"press"});
        Turn(c.x, 105, {"release"});
        EXPECT_EQ(c.caret, box->Caret()) << c.x;
    }
    Idle();
    Turn(605, 105);
    EXPECT_EQ(downwards.get(), group.FocusedPart());
    EXPECT_EQ(5, group.GetCursorKind());
    Idle();
    EXPECT_EQ(0, group.GetCursorKind()) << "the pointer left";
}

TEST_F(TextBoxTest, FocusOpensTheImeWhenAskedAndBlurClosesIt) {
    const struct {
        const char* name;
        bool imeOnFocus;
        bool wideOnly;
        std::vector<BOOL> calls;
    } cases[] = {
        {"neither", false, false, {}},
        {"IME on focus", true, false, {TRUE, FALSE}},
        {"wide only", false, true, {TRUE, FALSE}},
    };
    for (const auto& c : cases) {
        auto box = MakeBox(10, 10, BoxShape{}, nullptr, true);
        box->SetImeOnFocus(c.imeOnFocus);
        box->SetWideOnly(c.wideOnly);
        m_sources.imm.openCalls.clear();
        Focus(*box);
        ASSERT_EQ(0, group.FocusPart(nullptr));
        EXPECT_EQ(c.calls, m_sources.imm.openCalls) << c.name;
        group.Clear();
    }
}

TEST_F(TextBoxTest, TheCompositionShowsAtTheCaretWithItsRangeReversed) {
    testsupport::BenchImm& imm = m_sources.imm;
    const std::string composition = std::string(kA) + kI + kU;
    const struct {
        const char* name;
        LONG cursor;
        LONG clauseEnd;
        LONG delta;
        bool highlighted[3];
    } cases[] = {
        {"the character at the cursor", 2, -1, 0, {false, true, false}},
        {"the first clause while converting", 0, 4, 0, {true, true, false}},
        {"else the first character", 0, 4, 4, {true, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto box = MakeBox(200, 100, BoxShape{0, 200, 2, 0, true}, nullptr, true);
        Focus(*box);
        ASSERT_EQ(0, box->SetText("ab"));
        Key(VK_END);
        imm.composition = composition;
        imm.cursorPos = c.cursor;
        imm.firstClauseEnd = c.clauseEnd;
        imm.deltaStart = c.delta;
        Idle();
        Image& image = box->CompositionImage();
        for (int k = 0; k < 3; ++k) {
            // Blue characters on white; the range white on blue (the box font fills its cells).
            const std::uint32_t expected = c.highlighted[k] ? 0xFFFFFFFFu : 0xFF0000FFu;
            EXPECT_EQ(expected, image.GetPixel(16 * k + 8, 8)) << "character " << k;
        }
        EXPECT_TRUE(box->CompositionSprite().IsVisible());
        EXPECT_EQ(200 + 3 + 16 + 2, box->CompositionSprite().X()) << "after the caret";
        EXPECT_EQ(103, box->CompositionSprite().Y());
        EXPECT_EQ(48, box->CompositionSprite().Width());
        EXPECT_EQ(box->CompositionSprite().X(), app.Ime().X());
        // Unchanged: only moved with the caret.
        Key(VK_HOME);
        Idle();
        EXPECT_EQ(200 + 3 + 2, box->CompositionSprite().X());
        EXPECT_TRUE(box->CompositionSprite().IsVisible());
        imm.composition.clear();
        Idle();
        EXPECT_FALSE(box->CompositionSprite().IsVisible()) << "empty: hidden";
        group.Clear();
    }
}

TEST_F(TextBoxTest, TheBackgroundFrameAndCaretAreExactPixels) {
    auto box = MakeBox(300, 200, BoxShape{0, 60, 2, 0, true});
    Focus(*box);
    ASSERT_EQ(0, box->SetText("abcdefghij"));
    Image& image = box->TextImage();
    ASSERT_EQ(60, image.Width());
    ASSERT_EQ(22, image.Height());
    const struct {
        const char* name;
        std::int32_t x;
        std::int32_t y;
        std::uint32_t pixel;
    } pixels[] = {
        {"top edge", 30, 0, 0x80000000},       {"left edge", 0, 10, 0x80000000},
        {"top left", 0, 0, 0x80000000},        {"bottom edge", 30, 21, 0x80ffffff},
        {"right edge", 59, 10, 0x80ffffff},    {"top right", 59, 0, 0x80ffffff},
        {"inside the frame", 1, 1, 0xc0c0dcc0}, {"the margin", 2, 10, 0xc0c0dcc0},
        {"a character", 4, 10, 0xFF000000},    {"past the visible end", 57, 10, 0xc0c0dcc0},
        {"the far margin", 58, 10, 0xc0c0dcc0},
    };
    for (const auto& p : pixels) EXPECT_EQ(p.pixel, image.GetPixel(p.x, p.y)) << p.name;
    Key(VK_HOME);
    Redraw();
    EXPECT_EQ(0u, Pixel(303, 210)) << "the caret, in the text colour";
    EXPECT_EQ(303, box->CaretSprite().X());
}

TEST_F(TextBoxTest, DeletingAFocusedHoveredBoxPutsEverythingBack) {
    ImeModeIndicator indicator;
    ASSERT_EQ(0, indicator.Create(&canvas.Sprites(), &app.Ime(), &font, 500, 10, true, 0));
    auto box = MakeBox(200, 100, BoxShape{}, nullptr, true);
    box->SetImeIndicator(&indicator);
    box->SetImeOnFocus(true);
    Turn(205, 105);
    ASSERT_EQ(box.get(), group.FocusedPart());
    ASSERT_EQ(box.get(), group.HoveredPart());
    EXPECT_TRUE(indicator.IsVisible());
    cursorMessages.clear();
    TypeText("a");
    Turn(205, 105);
    ASSERT_TRUE(box->CursorHidden());
    ASSERT_EQ(std::vector<WPARAM>{0}, cursorMessages);
    {
        testsupport::PoisonFreedMemory poison;
        box.reset();
        EXPECT_EQ((std::vector<WPARAM>{0, 1}), cursorMessages) << "the cursor shows again";
        EXPECT_FALSE(indicator.IsVisible());
        EXPECT_EQ(FALSE, m_sources.imm.openCalls.back()) << "the IME closed";
        clock().AdvanceMs(5000);
        scheduler.RunDue(0);
        EXPECT_EQ(0, scheduler.TaskCount()) << "the caret task went";
        scheduler.RunDue(0);
    }
}

TEST_F(TextBoxTest, ABoxWhoseCaretTaskWentStopsBlinking) {
    const struct {
        const char* name;
        void (*cancel)(TaskScheduler&);
    } cases[] = {
        {"a script's cancel-all", [](TaskScheduler& s) { s.Clear(); }},
        {"every task of its kind", [](TaskScheduler& s) { s.CancelKind(0); }},
    };
    for (const auto& c : cases) {
        testsupport::PoisonFreedMemory poison;
        auto box = MakeBox(200, 100);
        Focus(*box);
        c.cancel(scheduler);
        EXPECT_EQ(nullptr, box->CaretTask()) << c.name;
        scheduler.RunDue(0);
        Type("a");
        EXPECT_STREQ("a", box->Text()) << c.name;
        EXPECT_TRUE(box->CaretSprite().IsVisible()) << c.name;
        ASSERT_EQ(0, group.FocusPart(nullptr));
        Focus(*box);
        clock().AdvanceMs(600);
        scheduler.RunDue(0);
        EXPECT_TRUE(box->CaretSprite().IsVisible()) << c.name << ": no longer blinking";
        box.reset();
        scheduler.RunDue(0);
        EXPECT_EQ(0, scheduler.TaskCount()) << c.name;
    }
    // The scheduler going first leaves the box without a task.
    auto box = std::make_unique<TextBoxPart>();
    {
        TaskScheduler shortLived(m_sources.clock);
        ASSERT_EQ(0, box->Create(&canvas.Sprites(), 0, &shortLived, nullptr, &font, 100, CallerText(), 0, 0, 0, false,
                                 0));
        ASSERT_NE(nullptr, box->CaretTask());
    }
    EXPECT_EQ(nullptr, box->CaretTask());
    box.reset();
}

// Whether pos is where a character starts (or the end), stepping from the start.
bool OnABoundary(const char* text, std::int32_t pos) {
    std::int32_t at = 0;
    while (at < pos && text[at] != 0) at = NextCharacter(text, at);
    return at == pos;
}

TEST_F(TextBoxTest, RandomTypingKeepsTheTextWholeAndTheCaretInside) {
    // Lead-range bytes, trail bytes, one-byte characters, controls and the editing keys.
    const std::uint8_t bytes[] = {0x81, 0x82, 0x9F, 0xE0, 0xFC, 0x40, 0xA0, 'a', 'z', '\n', '\b', '\t', 0x1B, 0xA1};
    const std::uint8_t keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_DELETE};
    texttest::BoxFont vertical{16};
    vertical.SetEscapement(2700);
    const struct {
        const char* name;
        std::int32_t lines;
        std::int32_t capacity;
        texttest::BoxFont* font;
    } boxes[] = {
        {"one line", 0, 9, &font},
        {"one line, downwards", 0, 12, &vertical},
        {"three lines", 3, 0, &font},
        {"three lines, downwards", 3, 0, &vertical},
    };
    std::mt19937 random(20261211);
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.name);
        TextBoxPart box;
        ASSERT_EQ(0, box.SetCapacity(b.capacity));
        const std::int32_t made =
            b.lines == 0 ? box.Create(&canvas.Sprites(), 0, nullptr, nullptr, b.font, 60, CallerText(), 0, 0, 1, true, 0)
                         : box.CreateMultiLine(&canvas.Sprites(), 0, nullptr, nullptr, b.font, b.lines, 60, CallerText(),
                                               0, 0, 1, 2, true, 0);
        ASSERT_EQ(0, made);
        for (int step = 0; step < 1500; ++step) {
            if (random() % 4 == 0) {
                box.OnKeyCode(keys[random() % sizeof keys]);
            } else {
                char typed[4];
                const std::int32_t n = 1 + static_cast<std::int32_t>(random() % 4);
                for (std::int32_t i = 0; i < n; ++i) typed[i] = static_cast<char>(bytes[random() % sizeof bytes]);
                box.OnText(typed, n);
            }
            const char* const text = box.Text();
            const std::int32_t length = box.Length();
            ASSERT_LE(length, box.Capacity()) << "step " << step;
            ASSERT_TRUE(OnABoundary(text, length)) << "step " << step << ": no half pair at the end";
            ASSERT_LE(box.Caret(), length) << "step " << step;
            ASSERT_TRUE(OnABoundary(text, box.Caret())) << "step " << step;
            if (b.lines > 0) {
                ASSERT_LE(box.UsedLines(), b.lines) << "step " << step;
                ASSERT_LT(box.CaretLine(), b.lines) << "step " << step;
            } else {
                ASSERT_TRUE(OnABoundary(text, box.CaretColumn())) << "step " << step;
            }
        }
    }
}

}  // namespace
