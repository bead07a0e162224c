// In-text items: their rectangles and map, highlight, flags and sounds through the group,
// activation, keyboard selection, the focus chain of windows without items, and frame drags.
#include <string>
#include <vector>

#include "game/interfaces/script_memory.h"
#include "graphics/sprites/fill_rect_sprite.h"
#include "tests/scenario/text/text_window_fixture.h"

namespace texttest {
namespace {

struct Flags {
    std::int32_t chosen = 0;
    std::int32_t on = -1;
    std::int32_t off = -1;
};

TextWindowItemSetup ItemSetup(Flags* flags, const char* text = nullptr, const char* name = nullptr,
                        std::int32_t value = 0) {
    TextWindowItemSetup setup;
    setup.text = text;
    setup.name = name;
    setup.value = value;
    setup.tooltip = "tip";
    setup.highlightColour = 0x80FF0000u;
    if (flags != nullptr) {
        setup.chosenFlag = CallerWord::Program(&flags->chosen);
        setup.hoverOnFlag = CallerWord::Program(&flags->on);
        setup.hoverOffFlag = CallerWord::Program(&flags->off);
    }
    return setup;
}

class TextWindowItemTest : public TextWindowTest {
protected:
    void SetUp() override {
        TextWindowTest::SetUp();
        window.EnableItems(true, false);
    }
    // An item around text, put at the pen.
    void Item(const char* text, Flags* flags = nullptr) {
        ASSERT_EQ(0, window.AddItem(ItemSetup(flags, text, "name", 7)));
        EXPECT_EQ(0, Put(text));
        window.CloseItem();
    }
    std::vector<TextWindowItemArea> Areas(std::int32_t index) {
        const TextWindowItem* item = window.Item(index);
        return item ? std::vector<TextWindowItemArea>(item->areas.begin(), item->areas.end())
                    : std::vector<TextWindowItemArea>();
    }
    static std::string Text(const TextWindowItemArea& a) {
        return std::to_string(a.x) + "," + std::to_string(a.y) + " " + std::to_string(a.width) +
               "x" + std::to_string(a.height);
    }
};

TEST_F(TextWindowItemTest, RectanglesInBothDirections) {
    MakeWindow(200, 200);
    Put("あ");
    Item("いう");
    // From the pen minus the spacing before, to the pen plus the spacing after; a line pitch high.
    ASSERT_EQ(Areas(0).size(), 1u);
    EXPECT_EQ(Text(Areas(0)[0]), "22,6 36x20");
    // An item across a break gets one rectangle per line.
    window.Home(true);
    Put("あああああああああ");
    Item("いいい");
    ASSERT_EQ(Areas(0).size(), 2u);
    EXPECT_EQ(Text(Areas(0)[0]), "150,6 20x20");
    EXPECT_EQ(Text(Areas(0)[1]), "6,26 36x20");
    // An item with nothing drawn: width 0.
    ASSERT_EQ(0, window.AddItem(ItemSetup(nullptr)));
    window.BeginItemArea();
    window.CloseItem();
    EXPECT_EQ(Text(Areas(1)[0]), "38,26 0x20");
    // Vertical: a column pitch wide, from the column's left minus the spacing.
    ASSERT_EQ(0, window.SetVertical(true, true));
    Item("いう");
    EXPECT_EQ(Text(Areas(0)[0]), std::to_string(193 - 2 - 1 - 16) + ",6 20x36");
    ASSERT_EQ(0, window.AddItem(ItemSetup(nullptr)));
    window.BeginItemArea();
    window.CloseItem();
    EXPECT_EQ(Text(Areas(1)[0]), std::to_string(193 - 2 - 1 - 16) + ",38 20x0");
}

TEST_F(TextWindowItemTest, ItalicTextWidensTheRectangle) {
    AntialiasFont italic;
    ASSERT_EQ(0, italic.SetFont(16, false, 1, kGothic));
    window.centreDoubleByte = 1;
    ASSERT_EQ(0, window.Create(&list, 10, 200, 100, 0, 0, &italic, nullptr, 0));
    Item("い");
    EXPECT_EQ(Text(Areas(0)[0]), "6,6 24x20");  // 16 + 2 before + 16 / 4 + 2 after
}

TEST_F(TextWindowItemTest, TheMapHoldsItemNumbersPlusOne) {
    MakeWindow(200, 100);
    Item("あ");
    Item("い");
    const Image* map = window.ItemMap();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->GetPixel(6, 6), 1u);
    EXPECT_EQ(map->GetPixel(21, 25), 1u);
    EXPECT_EQ(map->GetPixel(24, 10), 2u) << "the second item paints over the first's spacing";
    EXPECT_EQ(map->GetPixel(5, 6), 0u);
    EXPECT_EQ(map->GetPixel(10, 26), 0u);
    // Hover is suppressed until the pointer moves more than 3 pixels from where it was.
    ASSERT_EQ(0, group.InsertPart(&window, -1));
    group.pointerX = 10;
    group.pointerY = 10;
    ASSERT_EQ(0, window.AddItem(ItemSetup(nullptr)));
    window.CloseItem();
    EXPECT_EQ(window.ItemAtPoint(10, 10), -1);
    EXPECT_FALSE(window.HitTest(13, 13));
    EXPECT_EQ(window.ItemAtPoint(10, 10), -1);
    EXPECT_TRUE(window.HitTest(14, 10));
    EXPECT_EQ(window.ItemAtPoint(10, 10), 0);
    EXPECT_EQ(group.cursorKind, 1);
    // Points outside the window name no item.
    for (const POINT p : {POINT{-1, 10}, POINT{10, -1}, POINT{200, 10}, POINT{10, 100},
                          POINT{100000, 100000}}) {
        EXPECT_EQ(window.ItemAtPoint(p.x, p.y), -1);
    }
}

TEST_F(TextWindowItemTest, AddingRefusedWhileOpenDisabledOrFull) {
    MakeWindow(200, 100);
    ASSERT_EQ(0, window.AddItem(ItemSetup(nullptr)));
    EXPECT_EQ(1, window.AddItem(ItemSetup(nullptr))) << "an item is open";
    EXPECT_EQ(window.ItemCount(), 1);
    window.CloseItem();
    for (int i = 1; i < 255; ++i) {
        ASSERT_EQ(0, window.AddItem(ItemSetup(nullptr))) << i;
        window.CloseItem();
    }
    // The map keeps item + 1 in a byte: a 256th item would read as none or as an earlier one.
    EXPECT_EQ(1, window.AddItem(ItemSetup(nullptr)));
    EXPECT_EQ(window.ItemCount(), 255);
    TextWindowPart plain;
    EXPECT_EQ(1, plain.AddItem(ItemSetup(nullptr))) << "items not enabled";
}

TEST_F(TextWindowItemTest, TheLastItemOfAFullWindowIsFoundInTheMap) {
    MakeWindow(200, 100);
    for (int i = 0; i < 254; ++i) {
        ASSERT_EQ(0, window.AddItem(ItemSetup(nullptr)));
        window.CloseItem();
    }
    Item("あ");
    EXPECT_TRUE(window.HitTest(10, 10));
    EXPECT_EQ(window.ItemAtPoint(10, 10), 254);
}

TEST_F(TextWindowItemTest, HoverHighlightActivationAndLock) {
    MakeWindow(200, 100);
    window.SetId(40);
    Flags first;
    Flags second;
    Put("あ");
    Item("いう", &first);
    Item("え", &second);
    ASSERT_EQ(0, group.InsertPart(&window, -1));
    // Turn by turn: outside the items, over the first (a 4-pixel move from the close), over
    // the second, a press.
    group.pointerX = 100;
    group.pointerY = 60;
    EXPECT_EQ(group.ProcessPointer(1), 0);
    EXPECT_EQ(group.HoveredPart(), nullptr);
    group.pointerX = 30;
    group.pointerY = 10;
    EXPECT_EQ(group.ProcessPointer(2), 0);
    EXPECT_EQ(group.HoveredPart(), &window);
    EXPECT_EQ(window.HoveredItem(), 0);
    EXPECT_EQ(first.on, 1);
    EXPECT_EQ(first.off, 0);
    EXPECT_STREQ(window.GetTooltip(), "tip");
    ASSERT_EQ(window.ShownHighlights(), 1);
    FillRectSprite* const highlight = window.Highlights()[0];
    EXPECT_TRUE(highlight->IsVisible());
    EXPECT_EQ(highlight->X(), 22);
    EXPECT_EQ(highlight->Y(), 6);
    EXPECT_EQ(highlight->Width(), 36);
    EXPECT_EQ(highlight->Height(), 20);
    EXPECT_EQ(highlight->List(), &list);
    group.pointerX = 62;
    EXPECT_EQ(group.ProcessPointer(3), 0);
    EXPECT_EQ(window.HoveredItem(), 1);
    EXPECT_EQ(first.on, 0);
    EXPECT_EQ(first.off, 1);
    EXPECT_EQ(second.on, 1);
    EXPECT_EQ(highlight->X(), 54);
    Turn(0, true);
    EXPECT_EQ(group.ProcessPointer(4), 1);
    EXPECT_EQ(group.result, 41);
    EXPECT_EQ(second.chosen, 1);
    EXPECT_EQ(first.chosen, 0);
    EXPECT_TRUE(window.Locked());
    const std::vector<std::string> expected = {"sound -3", "sound -2", "sound -3", "sound -4",
                                               "action え name 7"};
    EXPECT_EQ(group.log, expected);
    // Locked: moving over the first item changes nothing.
    group.log.clear();
    group.pointerX = 30;
    group.ProcessPointer(5);
    EXPECT_EQ(second.on, 1);
    EXPECT_EQ(first.on, 0);
    EXPECT_TRUE(group.log.empty());
    // Moving the window moves the highlight along.
    ASSERT_EQ(0, window.SetPosition(5, 7));
    EXPECT_EQ(highlight->X(), 59);
    EXPECT_EQ(highlight->Y(), 13);
    // Activation of no item reports the window's id alone.
    EXPECT_FALSE(window.ActivateItem(-1));
    EXPECT_EQ(group.result, 40);
    EXPECT_FALSE(window.ActivateItem(9));
}

TEST_F(TextWindowItemTest, ItemSoundsByNameAndNumber) {
    MakeWindow(200, 100);
    TextWindowItemSetup setup = ItemSetup(nullptr, "a");
    setup.hoverSoundName = "HOVER";
    setup.leaveSound = 12;
    setup.activateSound = 3;
    ASSERT_EQ(0, group.InsertPart(&window, -1));
    ASSERT_EQ(0, window.AddItem(setup));
    Put("あ");
    window.CloseItem();
    window.HighlightItem(0);
    window.UnhighlightItem(0);
    window.ActivateItem(0);
    const std::vector<std::string> expected = {"sound HOVER", "sound 12", "sound 3",
                                               "action a - 0"};
    EXPECT_EQ(group.log, expected);
}

// Script memory of 16 bytes at address 0x1000, writable while registered.
class ScriptBuffer : public ScriptMemory {
public:
    void* WritableBytes(std::uint32_t address, std::uint32_t size) override {
        if (!registered || address < 0x1000 || size > 16 || address - 0x1000 > 16 - size) {
            return nullptr;
        }
        return bytes + (address - 0x1000);
    }
    bool registered = true;
    std::uint8_t bytes[16] = {};
};

TEST_F(TextWindowItemTest, ScriptFlagsAreWrittenOnlyWhileTheirMemoryLives) {
    MakeWindow(200, 100);
    ScriptBuffer memory;
    TextWindowItemSetup setup;
    setup.hoverOnFlag = CallerWord::Script(&memory, 0x1000);
    setup.hoverOffFlag = CallerWord::Script(&memory, 0x1004);
    setup.chosenFlag = CallerWord::Script(&memory, 0x100E);  // runs past the buffer's end
    ASSERT_EQ(0, window.AddItem(setup));
    Put("あ");
    window.CloseItem();
    EXPECT_TRUE(window.HighlightItem(0));
    EXPECT_EQ(memory.bytes[0], 1);
    EXPECT_EQ(memory.bytes[4], 0);
    EXPECT_TRUE(window.ActivateItem(0));
    EXPECT_EQ(memory.bytes[14], 0) << "an address past the script's memory is skipped";
    memory.registered = false;
    window.SetLocked(false);
    window.UnhighlightItem(0);
    EXPECT_EQ(memory.bytes[0], 1) << "freed script memory is not written";
}

TEST_F(TextWindowItemTest, KeysSelectWithWrapAndDecide) {
    MakeWindow(200, 100);
    window.SetId(10);
    Item("あ");
    Item("い");
    Item("う");
    ASSERT_EQ(0, group.InsertPart(&window, -1));
    ASSERT_EQ(0, group.FocusPart(&window));
    EXPECT_EQ(window.HoveredItem(), 0);
    const struct {
        int key;
        std::int32_t hovered;
    } steps[] = {{VK_DOWN, 1}, {VK_RIGHT, 2}, {VK_DOWN, 0}, {VK_UP, 2}, {VK_LEFT, 1}};
    for (const auto& s : steps) {
        Turn(s.key, false);
        EXPECT_EQ(group.ProcessPointer(10), 2);
        EXPECT_EQ(window.HoveredItem(), s.hovered) << s.key;
    }
    Turn(VK_RETURN, false);
    EXPECT_EQ(group.ProcessPointer(11), 2);
    EXPECT_EQ(group.result, 11);
    // In pointer mode a selection moves the cursor to the item's middle.
    group.pointerMode = 1;
    window.SetLocked(false);
    group.log.clear();
    EXPECT_TRUE(window.SelectItem(2));
    EXPECT_EQ(group.log, std::vector<std::string>{"cursor 48,16"});
}

TEST_F(TextWindowItemTest, HidingDropsFocusAndHoverAndTakesALockedHighlightAlong) {
    MakeWindow(200, 100);
    Item("あ");
    ASSERT_EQ(0, group.InsertPart(&window, -1));
    group.pointerX = 12;
    group.pointerY = 12;
    group.ProcessPointer(1);
    ASSERT_EQ(group.HoveredPart(), &window);
    ASSERT_EQ(0, group.FocusPart(&window));
    ASSERT_TRUE(window.ActivateItem(0));
    ASSERT_EQ(window.ShownHighlights(), 1);
    window.SetVisible(false);
    EXPECT_EQ(group.FocusedPart(), nullptr);
    EXPECT_EQ(group.HoveredPart(), nullptr);
    EXPECT_FALSE(window.IsVisible());
    EXPECT_FALSE(window.Highlights()[0]->IsVisible()) << "locked: the highlight follows";
    window.SetVisible(true);
    EXPECT_TRUE(window.Highlights()[0]->IsVisible());
}

TEST_F(TextWindowItemTest, PastTheLastItemTheFocusGoesToTheNextPart) {
    MakeWindow(200, 100);
    Item("あ");
    TextWindowPart other;
    other.EnableItems(true, false);
    other.centreDoubleByte = 1;
    ASSERT_EQ(0, other.Create(&list, 10, 200, 100, 0, 120, &font, nullptr, 0));
    ASSERT_EQ(0, other.AddItem(ItemSetup(nullptr)));
    const char* text = "い";
    other.PutChar(&text);
    other.CloseItem();
    ASSERT_EQ(0, group.InsertPart(&window, -1));
    ASSERT_EQ(0, group.InsertPart(&other, -1));
    ASSERT_EQ(0, group.FocusPart(&window));
    Turn(VK_DOWN, false);
    EXPECT_EQ(group.ProcessPointer(1), 2);
    EXPECT_EQ(group.FocusedPart(), &other);
    EXPECT_EQ(other.HoveredItem(), 0);
    EXPECT_EQ(window.HoveredItem(), -1);
}

TEST_F(TextWindowItemTest, WindowsWithoutItemsHandTheFocusOnOnce) {
    MakeWindow(200, 100);
    TextWindowPart other;
    ASSERT_EQ(0, other.Create(&list, 10, 200, 100, 0, 120, &font, nullptr, 0));
    ASSERT_EQ(0, group.InsertPart(&window, -1));
    ASSERT_EQ(0, group.InsertPart(&other, -1));
    // Each passes the focus on; once both were offered it, the focus goes.
    EXPECT_EQ(0, group.FocusPart(&window));
    EXPECT_EQ(group.FocusedPart(), nullptr);
    platform.Press(VK_SHIFT);
    for (bool shift : {false, true}) {
        if (!shift) platform.Release(VK_SHIFT);
        Turn(VK_TAB, false);
        group.ProcessPointer(2);
        EXPECT_EQ(group.FocusedPart(), nullptr) << shift;
    }
}

TEST_F(TextWindowItemTest, FrameDragOnOpaqueMarginPixels) {
    Image decoration;
    ASSERT_EQ(0, decoration.Create(100, 60, 32, 0));
    decoration.FillValue(0xFF102030u, nullptr);
    RECT faint{0, 0, 4, 60};
    decoration.FillValue(0x40102030u, &faint);
    ASSERT_EQ(0, window.SetSkinImagesFrom(&decoration, nullptr, nullptr, false));
    window.dragAlphaThreshold = 128;
    window.centreDoubleByte = 1;
    ASSERT_EQ(0, window.Create(&list, 10, 0, 0, 20, 30, &font, nullptr, 0));
    EXPECT_EQ(window.GetWidth(), 100);
    EXPECT_TRUE(window.HitTestFrame(5, 2));
    EXPECT_FALSE(window.HitTestFrame(2, 2)) << "alpha below the threshold";
    EXPECT_FALSE(window.HitTestFrame(50, 30)) << "inside the text area";
    EXPECT_FALSE(window.HitTestFrame(100, 2)) << "outside the window";
    EXPECT_FALSE(window.HitTestFrame(-1, 2));
    ASSERT_EQ(0, group.InsertPart(&window, -1));
    group.pointerX = 26;
    group.pointerY = 33;
    EXPECT_EQ(group.ProcessPointer(1), 0);
    EXPECT_EQ(group.HoveredPart(), &window);
    EXPECT_EQ(group.cursorKind, 3);
    manager.OnLeftButtonDown();
    manager.Poll();
    group.ProcessPointer(2);
    EXPECT_TRUE(window.Dragging());
    group.pointerX = 46;
    group.pointerY = 53;
    manager.Poll();
    group.ProcessPointer(3);
    EXPECT_EQ(window.GetX(), 40);
    EXPECT_EQ(window.GetY(), 50);
    manager.OnLeftButtonUp();
    manager.Poll();
    group.pointerX = 80;
    group.ProcessPointer(4);
    EXPECT_FALSE(window.Dragging());
    EXPECT_EQ(window.GetX(), 40);
}

}  // namespace
}  // namespace texttest
