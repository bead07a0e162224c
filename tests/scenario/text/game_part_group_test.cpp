// The game's part group on the UI bench: sounds, cursor kinds, pointer, result word, typed text,
// the IME, per-frame updates and the tooltip box.
#include "scenario/text/game_part_group.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/sprites/sprite_list.h"
#include "graphics/text/antialias_font.h"
#include "tests/support/ui_bench.h"
#include "tests/support/ui_test_group.h"

namespace {

using testsupport::Journal;
using testsupport::TestPart;

const char kGothic[] = "ＭＳ ゴシック";

// A test part that also records key codes and its per-frame updates.
class TypingPart : public TestPart {
public:
    using TestPart::TestPart;
    bool OnKeyCode(std::uint8_t code) override {
        keys.push_back(code);
        return true;
    }
    bool OnText(const char* text, std::int32_t length) override {
        texts.emplace_back(text, length);
        return true;
    }
    std::int32_t Update(std::uint32_t now) override {
        updates.push_back(now);
        if (onUpdate) onUpdate();
        return 0;
    }
    std::vector<std::uint8_t> keys;
    std::vector<std::string> texts;
    std::vector<std::uint32_t> updates;
    std::function<void()> onUpdate;
};

class GamePartGroupTest : public testsupport::UiBench {
protected:
    Journal journal;
};

TEST_F(GamePartGroupTest, PlaySoundPlaysChannelsAndDefaultsAndRefusesOtherNegativeNumbers) {
    EXPECT_EQ(-2, group.PlaySound(nullptr, 5, 0, 0)) << "no sound manager";
    EnableSound();
    const struct {
        const char* name;
        std::int32_t number;
        std::int32_t result;
        std::vector<std::int32_t> playing;
    } cases[] = {
        {"a channel", 7, 0, {7}},
        {"the default activate sound", -4, 0, {5}},
        {"the default enter sound", -3, 0, {6}},
        {"the default leave sound", -2, 0, {7}},
        {"-1 names no default", -1, -2, {}},
        {"-5 lies before the defaults", -5, -2, {}},
        {"a far negative word", INT32_MIN, -2, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, group.PlaySound("ignored", c.number, 0, 0)) << c.name;
        EXPECT_EQ(c.playing, TakePlaying()) << c.name;
    }
    group.SetDefaultSounds(5, -1, 7);
    EXPECT_EQ(-2, group.PlaySound(nullptr, -3, 0, 0)) << "a default of -1";
    EXPECT_TRUE(TakePlaying().empty());
}

TEST_F(GamePartGroupTest, CursorKindsLoadTheirCursorsAndTooltipOffsets) {
    const HINSTANCE program = GetModuleHandleA(nullptr);
    const struct {
        std::int32_t kind;
        HINSTANCE instance;
        LPCSTR cursor;
        std::int32_t offset;
    } cases[] = {
        {1, program, MAKEINTRESOURCEA(120), 24}, {0, nullptr, IDC_ARROW, 20},
        {3, nullptr, IDC_SIZEALL, 22},           {2, nullptr, IDC_ARROW, 20},
        {4, nullptr, IDC_IBEAM, 9},              {5, program, MAKEINTRESOURCEA(121), 4},
        {6, nullptr, IDC_SIZENS, 22},
    };
    MouseDevice* const mouse = app.Input().Mouse();
    for (const auto& c : cases) {
        const HCURSOR expected = LoadCursorA(c.instance, c.cursor);
        ASSERT_NE(nullptr, expected) << c.kind;
        EXPECT_TRUE(group.SetCursorKind(c.kind)) << c.kind;
        EXPECT_EQ(expected, mouse->CursorHandle()) << c.kind;
        EXPECT_EQ(c.kind, group.GetCursorKind());
        EXPECT_EQ(c.offset, group.TooltipOffsetY()) << c.kind;
    }
    // The same kind again does nothing; kinds outside 0-6 change nothing.
    const HCURSOR shown = mouse->CursorHandle();
    const int moves = m_sources.input.setCursorPosCalls;
    for (std::int32_t kind : {6, 7, -1, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(kind == 6, group.SetCursorKind(kind)) << kind;
        EXPECT_EQ(shown, mouse->CursorHandle()) << kind;
        EXPECT_EQ(6, group.GetCursorKind()) << kind;
        EXPECT_EQ(22, group.TooltipOffsetY()) << kind;
    }
    EXPECT_EQ(moves, m_sources.input.setCursorPosCalls) << "no cursor was loaded";
}

TEST_F(GamePartGroupTest, KindZeroAtStartIsTakenWithoutLoadingACursor) {
    EXPECT_TRUE(group.SetCursorKind(0));
    EXPECT_EQ(nullptr, app.Input().Mouse()->CursorHandle());
}

TEST_F(GamePartGroupTest, PointerParkingVisibilityAndImeGoThroughTheApplication) {
    EXPECT_EQ(2, group.GetFocusPointerMode());
    EXPECT_EQ(kWidth, group.ScreenWidth());
    EXPECT_EQ(kHeight, group.ScreenHeight());
    group.ParkCursor();
    std::int32_t x = 0;
    std::int32_t y = 0;
    group.GetCursorPos(&x, &y);
    EXPECT_EQ(kWidth - 1, x);
    EXPECT_EQ(kHeight - 1, y);
    EXPECT_EQ(1u, m_sources.platform.moves.size()) << "through the application's cursor seam";
    group.SetCursorPos(40, 50);
    group.GetCursorPos(&x, &y);
    EXPECT_EQ(40, x);
    EXPECT_EQ(50, y);

    group.SetCursorVisible(false);
    group.SetCursorVisible(true);
    EXPECT_EQ((std::vector<WPARAM>{0, 1}), cursorMessages);

    group.SetImeOpen(true);
    group.SetImeOpen(false);
    EXPECT_EQ((std::vector<BOOL>{TRUE, FALSE}), m_sources.imm.openCalls);
}

TEST_F(GamePartGroupTest, ActivationLeavesTheResultWordAndResetClearsIt) {
    EXPECT_EQ(-1, group.ResultWord());
    group.NotifyActivated(12);
    EXPECT_EQ(12, group.ResultWord());
    group.Reset();
    EXPECT_EQ(-1, group.ResultWord());
    TypingPart slider(journal, "slider", 0, 0, 10, 10);
    slider.SetId(33);
    group.PartOwner()->ValueChanged(&slider, 4);
    EXPECT_EQ(33, group.ResultWord()) << "a slider's change is an activation of its id";
}

TEST_F(GamePartGroupTest, TypedKeysComeBeforeTextAndReachOnlyTheFocusedPart) {
    TypingPart a(journal, "a", 0, 0, 50, 50);
    TypingPart b(journal, "b", 100, 0, 50, 50);
    ASSERT_EQ(0, group.InsertPart(&a, -1));
    ASSERT_EQ(0, group.InsertPart(&b, -1));
    ASSERT_EQ(0, group.FocusPart(&a));
    TypeText("x\x82\xa0");
    TypeKey(VK_F2);
    EXPECT_EQ(3, Turn(500, 500));
    EXPECT_EQ((std::vector<std::uint8_t>{VK_F2}), a.keys);
    EXPECT_TRUE(a.texts.empty());
    EXPECT_EQ(3, Turn(500, 500));
    EXPECT_EQ((std::vector<std::string>{"x\x82\xa0"}), a.texts) << "the pair as one text";
    EXPECT_EQ(0, Turn(500, 500));
    EXPECT_TRUE(b.keys.empty());
    EXPECT_TRUE(b.texts.empty());

    // Typed while nothing has the focus: dropped, never handed to a part focused later.
    group.FocusPart(nullptr);
    TypeText("y");
    EXPECT_EQ(0, Turn(500, 500));
    ASSERT_EQ(0, group.FocusPart(&b));
    EXPECT_EQ(0, Turn(500, 500));
    EXPECT_TRUE(b.texts.empty());
}

TEST_F(GamePartGroupTest, AShiftJisPairWaitsForItsSecondByte) {
    TypingPart a(journal, "a", 0, 0, 50, 50);
    ASSERT_EQ(0, group.InsertPart(&a, -1));
    ASSERT_EQ(0, group.FocusPart(&a));
    TypeText("\x82");
    EXPECT_EQ(0, Turn(500, 500));
    EXPECT_TRUE(a.texts.empty());
    TypeText("\xa0");
    EXPECT_EQ(3, Turn(500, 500));
    EXPECT_EQ((std::vector<std::string>{"\x82\xa0"}), a.texts);
}

TEST_F(GamePartGroupTest, UpdatePartsReachesOnlyEnabledVisibleMembers) {
    TypingPart shown(journal, "shown", 0, 0, 10, 10);
    TypingPart hidden(journal, "hidden", 0, 20, 10, 10);
    TypingPart disabled(journal, "disabled", 0, 40, 10, 10);
    TypingPart outside(journal, "outside", 0, 60, 10, 10);
    for (TypingPart* part : {&shown, &hidden, &disabled}) ASSERT_EQ(0, group.InsertPart(part, -1));
    hidden.SetVisible(false);
    disabled.SetEnabled(false);
    Turn(500, 500, {}, 7000);
    EXPECT_EQ((std::vector<std::uint32_t>{7000}), shown.updates);
    EXPECT_TRUE(hidden.updates.empty());
    EXPECT_TRUE(disabled.updates.empty());
    EXPECT_TRUE(outside.updates.empty());
}

TEST_F(GamePartGroupTest, UpdatePartsSkipsAMemberAnEarlierUpdateDeleted) {
    TypingPart first(journal, "first", 0, 0, 10, 10);
    auto* second = new TypingPart(journal, "second", 0, 20, 10, 10);
    TypingPart third(journal, "third", 0, 40, 10, 10);
    for (TypingPart* part : {&first, second, &third}) ASSERT_EQ(0, group.InsertPart(part, -1));
    // Deleted parts are poisoned: an update of the second after its deletion would show.
    first.onUpdate = [&] {
        delete second;
        second = nullptr;
    };
    Turn(1, 1, {}, 3000);
    EXPECT_EQ(nullptr, second);
    EXPECT_EQ((std::vector<std::uint32_t>{3000}), third.updates);
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ("second.deleted", journal.front());
}

// --- Tooltip ---

class TooltipTest : public GamePartGroupTest {
protected:
    void SetUp() override {
        GamePartGroupTest::SetUp();
        ASSERT_EQ(0, font.SetFont(16, false, 0, kGothic));
        group.SetTooltipFont(&font);
        std::int32_t size[2] = {0, 0};
        font.TextExtent("Tip", size, nullptr, nullptr, true, nullptr);
        font.GetRotatedTextBounds(&textBounds, 0, 0, size[0], size[1]);
    }
    std::int32_t TextWidth() const { return textBounds.right - textBounds.left; }
    std::int32_t TextHeight() const { return textBounds.bottom - textBounds.top; }

    AntialiasFont font;
    RECT textBounds = {0, 0, 0, 0};
};

// The box as laid out: a bordered body, the two shadow strips to the right and below, and the
// two 4 x 4 corners they leave clear.
std::uint32_t ExpectedTooltipPixel(std::int32_t x, std::int32_t y, std::int32_t W, std::int32_t H) {
    const bool inBox = x < W - 4 && y < H - 4;
    if (inBox) {
        const bool border = y == 0 || y == H - 5 || x == 0 || x == W - 5;
        return border ? 0xFF445F97u : 0xD0FFFFE1u;
    }
    if ((x >= W - 4 && y < 4) || (x < 4 && y >= H - 4)) return 0;
    return 0x80000000u;
}

TEST_F(TooltipTest, TheBoxMatchesItsLayoutOutsideTheText) {
    group.DrawTooltip("Tip", 100, 100);
    Image& image = group.TooltipImage();
    const std::int32_t W = TextWidth() + 10;
    const std::int32_t H = TextHeight() + 10;
    ASSERT_EQ(W, image.Width());
    ASSERT_EQ(H, image.Height());
    std::int32_t wrong = 0;
    for (std::int32_t y = 0; y < H; ++y) {
        for (std::int32_t x = 0; x < W; ++x) {
            const bool inText = x >= 3 && x < 3 + TextWidth() && y >= 3 && y < 3 + TextHeight();
            if (inText) continue;
            if (image.GetPixel(x, y) != ExpectedTooltipPixel(x, y, W, H)) {
                if (++wrong < 5) ADD_FAILURE() << "pixel " << x << "," << y << " " << std::hex << image.GetPixel(x, y);
            }
        }
    }
    EXPECT_EQ(0, wrong);
    Sprite& sprite = group.TooltipSprite();
    EXPECT_EQ(&canvas.Sprites(), sprite.List());
    const SpriteListNode* node = canvas.Sprites().Find(&sprite);
    ASSERT_NE(nullptr, node);
    EXPECT_EQ(0u, node->priority);
    EXPECT_EQ(255u, node->tag);
    EXPECT_EQ(2, sprite.BlendMode());
    EXPECT_TRUE(sprite.IsVisible());
    // On the target: the border shows opaque, the shadow darkens the background.
    Redraw();
    const std::int32_t left = sprite.X();
    const std::int32_t top = sprite.Y();
    // The library's alpha blend leaves an opaque pixel within one step of its colour.
    EXPECT_TRUE(testsupport::Near(0x445F97u, Pixel(left, top), 1)) << std::hex << Pixel(left, top);
    EXPECT_NE(kBackground, Pixel(left + W - 2, top + H - 2));
    EXPECT_EQ(kBackground, Pixel(left + W - 2, top + 1)) << "the clear corner";
}

TEST_F(TooltipTest, PlacementFollowsTheKindAndStaysOnTheScreen) {
    ASSERT_TRUE(group.SetCursorKind(1));
    group.DrawTooltip("Tip", 100, 100);
    EXPECT_EQ(100, group.TooltipSprite().X());
    EXPECT_EQ(124, group.TooltipSprite().Y());
    const std::int32_t W = group.TooltipImage().Width();
    const std::int32_t H = group.TooltipImage().Height();
    group.DrawTooltip("Tip", 1020, 570);
    EXPECT_EQ(kWidth - W, group.TooltipSprite().X()) << "left of the right edge";
    EXPECT_EQ(570 - H, group.TooltipSprite().Y()) << "above the pointer";
}

TEST_F(TooltipTest, TheShownTooltipFollowsThePointerAndMovesWithTheCanvas) {
    TypingPart part(journal, "part", 100, 100, 200, 100);
    part.SetTooltip("Tip");
    ASSERT_EQ(0, group.InsertPart(&part, -1));
    group.SetTooltipTiming(true, 500, 0);
    Turn(150, 150, {}, 10000);
    Turn(150, 150, {}, 10600);
    ASSERT_TRUE(group.TooltipShown());
    EXPECT_EQ(150, group.TooltipSprite().X());
    EXPECT_EQ(150 + 22, group.TooltipSprite().Y());
    Turn(160, 170, {}, 10700);
    EXPECT_EQ(160, group.TooltipSprite().X());
    EXPECT_EQ(170 + 22, group.TooltipSprite().Y());

    Image otherTarget;
    ASSERT_EQ(0, otherTarget.Create(kWidth, kHeight, 32, 0));
    Canvas other;
    ASSERT_EQ(0, other.SetTarget(&otherTarget, false));
    group.BindCanvas(&other);
    EXPECT_EQ(nullptr, group.TooltipSprite().List()) << "out of the old canvas";
    group.DrawTooltip("Tip", 10, 10);
    EXPECT_EQ(&other.Sprites(), group.TooltipSprite().List());
    group.BindCanvas(&canvas);
}

TEST_F(TooltipTest, WithoutFontOrCanvasNothingIsDrawnAndDyingObjectsAreForgotten) {
    group.DropReferencesTo(&font);
    EXPECT_EQ(nullptr, group.TooltipFont());
    group.DrawTooltip("Tip", 10, 10);
    EXPECT_EQ(nullptr, group.TooltipSprite().List());
    group.SetTooltipFont(&font);
    group.DrawTooltip("Tip", 10, 10);
    ASSERT_EQ(&canvas.Sprites(), group.TooltipSprite().List());
    group.DropReferencesTo(&target);
    EXPECT_EQ(nullptr, group.Display()) << "the canvas's target dies: the canvas goes";
    EXPECT_EQ(nullptr, group.TooltipSprite().List());
    group.DrawTooltip("Tip", 10, 10);
    EXPECT_EQ(nullptr, group.TooltipSprite().List());
    group.BindCanvas(&canvas);
    group.DropReferencesTo(&canvas);
    EXPECT_EQ(nullptr, group.Display());
}

}  // namespace
