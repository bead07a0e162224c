#include <cstdlib>

#include "configtool/settings/config_messages.h"
#include "framework/util/little_endian.h"
#include "tests/configtool/config_tool_fixture.h"

namespace {

using namespace configtest;
using testsupport::DescriptionGroup;
using testsupport::DescriptionItem;
using testsupport::MakeDescriptionItem;

// Items: 0 choice, 1 number with unit, 2 number without unit, 3 text, 4 digit, 5 screen mode.
std::vector<DescriptionGroup> SampleGame() {
    DescriptionItem choice = MakeDescriptionItem(0, 2, 16, 1, "入力方法", {"DirectInput", "API", "メッセージ"}, 2);
    choice.description = "入力の読み方を選びます。";
    DescriptionItem number = MakeDescriptionItem(1, 4, 11, 2, "キャッシュ", {"個"}, 512);
    DescriptionItem number2 = MakeDescriptionItem(2, 4, 10, 1, "画像キャッシュ", {}, 0);
    DescriptionItem text = MakeDescriptionItem(3, 5, 0, 0, "保存先", {"既定の場所"});
    DescriptionItem digit = MakeDescriptionItem(4, 4, 3, 1, "VSync方式", {""}, 0);
    DescriptionItem screen = MakeDescriptionItem(7, 3, 0, 1, "画面", {"16bit", "24bit", "32bit", "ウィンドウ"}, 3);
    return {DescriptionGroup{"表示", {choice, number, number2}}, DescriptionGroup{"その他", {text, digit, screen}}};
}

testsupport::UserCfgBlocks AgreeingUserCfg() {
    testsupport::UserCfgBlocks content = testsupport::PatternedUserCfg();
    content.blocks[0][16] = 1;
    content.blocks[1][0] = 1;
    content.blocks[1][1] = 24;
    content.blocks[2][3] = 4;
    content.folder = "C:\\セーブ";
    return content;
}

class ConfigDialogTest : public ConfigToolTest {
protected:
    void StartSample() {
        WriteGame(SampleGame(), AgreeingUserCfg());
        ASSERT_EQ(0, StartPlayer());
    }
    HTREEITEM Group(std::size_t index) { return app->GroupTreeItem(index); }
    std::vector<std::uint8_t> UserCfgOnDisk() { return testsupport::ReadFile(game.File("USER.CFG")); }
};

struct EditorState {
    const char* what;
    bool combo, comboEnabled, number, text, digit, resetEnabled, descriptionEnabled;
};

TEST_F(ConfigDialogTest, TheEditorFollowsTheSelection) {
    ASSERT_NO_FATAL_FAILURE(StartSample());
    struct Step {
        HTREEITEM target;
        EditorState state;
    } steps[] = {
        {Group(0), {"group", true, false, false, false, false, false, false}},
        {TreeItem(0), {"choice", true, true, false, false, false, true, true}},
        {TreeItem(1), {"number", false, false, true, false, false, true, true}},
        {TreeItem(2), {"second number", false, false, true, false, false, true, true}},
        {TreeItem(3), {"text", false, false, false, true, false, true, true}},
        {TreeItem(4), {"digit", false, false, false, false, true, true, true}},
        {Group(1), {"group again", true, false, false, false, false, false, false}},
    };
    for (const Step& step : steps) {
        Select(step.target);
        const EditorState& s = step.state;
        EXPECT_EQ(s.combo, Visible(IDC_CHOICE_COMBO)) << s.what;
        if (s.combo) {
            EXPECT_EQ(s.comboEnabled, Enabled(IDC_CHOICE_COMBO)) << s.what;
        }
        EXPECT_EQ(s.number, Visible(IDC_NUMBER_EDIT)) << s.what;
        EXPECT_EQ(s.number, Visible(IDC_NUMBER_UNIT)) << s.what;
        EXPECT_EQ(s.text, Visible(IDC_TEXT_EDIT)) << s.what;
        EXPECT_EQ(s.digit, Visible(IDC_DIGIT_EDIT)) << s.what;
        EXPECT_EQ(s.digit, Visible(IDC_DIGIT_SPIN)) << s.what;
        EXPECT_EQ(s.digit, Visible(IDC_DIGIT_UNIT)) << s.what;
        EXPECT_TRUE(Visible(IDC_RESET_ITEM)) << s.what;
        EXPECT_EQ(s.resetEnabled, Enabled(IDC_RESET_ITEM)) << s.what;
        EXPECT_EQ(s.descriptionEnabled, Enabled(IDC_DESCRIPTION)) << s.what;
    }
    // The group left the combo box empty and the description cleared.
    EXPECT_EQ(0, SendMessageA(Control(IDC_CHOICE_COMBO), CB_GETCOUNT, 0, 0));
    EXPECT_EQ("", Text(IDC_DESCRIPTION));
}

TEST_F(ConfigDialogTest, EditorsShowTheSelectedValue) {
    ASSERT_NO_FATAL_FAILURE(StartSample());
    Select(TreeItem(0));
    EXPECT_EQ(3, SendMessageA(Control(IDC_CHOICE_COMBO), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(1, SendMessageA(Control(IDC_CHOICE_COMBO), CB_GETCURSEL, 0, 0));
    EXPECT_EQ("入力の読み方を選びます。", Text(IDC_DESCRIPTION));
    Select(TreeItem(1));
    EXPECT_EQ(std::to_string(Item(1).value), Text(IDC_NUMBER_EDIT));
    EXPECT_EQ("個", Text(IDC_NUMBER_UNIT));
    Select(TreeItem(2));
    EXPECT_EQ("", Text(IDC_NUMBER_UNIT));
    Select(TreeItem(3));
    EXPECT_EQ("C:\\セーブ", Text(IDC_TEXT_EDIT));
    Select(TreeItem(4));
    EXPECT_EQ("4", Text(IDC_DIGIT_EDIT));
    EXPECT_EQ("", Text(IDC_DESCRIPTION));
}

TEST_F(ConfigDialogTest, ChoicesChangeByListDoubleClickAndMenu) {
    ASSERT_NO_FATAL_FAILURE(StartSample());
    Select(TreeItem(0));
    PickChoice(2);
    EXPECT_EQ(2, Item(0).value);
    EXPECT_EQ("入力方法 : メッセージ", Label(0));
    // A double click on the last choice wraps to the first.
    Notify(IDC_ITEM_TREE, NM_DBLCLK);
    EXPECT_EQ(0, Item(0).value);
    EXPECT_EQ("入力方法 : DirectInput", Label(0));
    EXPECT_EQ(0, SendMessageA(Control(IDC_CHOICE_COMBO), CB_GETCURSEL, 0, 0));
}

// The right click finds the item under the cursor and offers its choices.
POINT g_cursor;
std::int32_t g_pick;
std::vector<std::string> g_offered;
POINT FakeCursor() { return g_cursor; }
std::int32_t FakeMenu(HWND, const std::vector<std::string>& choices, POINT) {
    g_offered = choices;
    return g_pick;
}

TEST_F(ConfigDialogTest, RightClickOffersTheChoicesOfTheItemUnderTheCursor) {
    ASSERT_NO_FATAL_FAILURE(StartSample());
    ChoiceMenuFunc savedMenu = SetChoiceMenuFunc(FakeMenu);
    CursorPositionFunc savedCursor = SetCursorPositionFunc(FakeCursor);
    auto pointAt = [&](HTREEITEM item) {
        RECT rect;
        TreeView_GetItemRect(app->Tree(), item, &rect, TRUE);
        POINT at = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(app->Tree(), &at);
        return at;
    };
    Select(Group(0));
    g_cursor = pointAt(TreeItem(5));
    g_pick = 3;
    Notify(IDC_ITEM_TREE, NM_RCLICK);
    EXPECT_EQ(TreeItem(5), TreeView_GetSelection(app->Tree()));
    EXPECT_EQ(4u, g_offered.size());
    EXPECT_EQ(2, Item(5).value);
    EXPECT_EQ("画面 : 32bit", Label(5));

    // A number item, or nothing picked, changes nothing; the item is still selected.
    g_offered.clear();
    g_cursor = pointAt(TreeItem(1));
    const std::int32_t number = Item(1).value;
    Notify(IDC_ITEM_TREE, NM_RCLICK);
    EXPECT_EQ(TreeItem(1), TreeView_GetSelection(app->Tree()));
    EXPECT_TRUE(g_offered.empty());
    EXPECT_EQ(number, Item(1).value);
    g_cursor = pointAt(TreeItem(5));
    g_pick = 0;
    Notify(IDC_ITEM_TREE, NM_RCLICK);
    EXPECT_EQ(2, Item(5).value);

    // Empty space below the items selects nothing.
    RECT client;
    GetClientRect(app->Tree(), &client);
    g_cursor = {client.right / 2, client.bottom - 2};
    ClientToScreen(app->Tree(), &g_cursor);
    Notify(IDC_ITEM_TREE, NM_RCLICK);
    EXPECT_EQ(TreeItem(5), TreeView_GetSelection(app->Tree()));
    SetChoiceMenuFunc(savedMenu);
    SetCursorPositionFunc(savedCursor);
}

TEST_F(ConfigDialogTest, NumbersAndTextsFollowTheirEdits) {
    ASSERT_NO_FATAL_FAILURE(StartSample());
    Select(TreeItem(1));
    SetWindowTextA(Control(IDC_NUMBER_EDIT), "1024");
    EXPECT_EQ(1024, Item(1).value);
    EXPECT_EQ("キャッシュ : 1024 個", Label(1));
    Select(TreeItem(2));
    EXPECT_EQ("画像キャッシュ : " + std::to_string(Item(2).value) + " ", Label(2));
    Select(TreeItem(3));
    SetWindowTextA(Control(IDC_TEXT_EDIT), "D:\\別");
    EXPECT_EQ("D:\\別", Item(3).text);
    EXPECT_EQ("保存先 : D:\\別", Label(3));
}

TEST_F(ConfigDialogTest, ALongTextSurvivesItsSelection) {
    ASSERT_NO_FATAL_FAILURE(StartSample());
    const std::string longText(kConfigTextMaxLength, 'L');
    Item(3).text = longText;
    Select(TreeItem(3));
    EXPECT_EQ(longText, Item(3).text);
    EXPECT_EQ(longText, Text(IDC_TEXT_EDIT));
    EXPECT_EQ(kConfigTextMaxLength, static_cast<std::uint32_t>(SendMessageA(Control(IDC_TEXT_EDIT), EM_GETLIMITTEXT, 0, 0)));
}

TEST_F(ConfigDialogTest, ApplicationStringsTakeAtMost254Characters) {
    DescriptionItem product = MakeDescriptionItem(3, 1, 4, 0, "製品名", {""});
    DescriptionItem folder = MakeDescriptionItem(3, 5, 0, 0, "保存先", {""});
    WriteGame({DescriptionGroup{"文字列", {product, folder}}}, AgreeingUserCfg());
    ASSERT_EQ(0, StartPlayer());
    Select(TreeItem(1));
    EXPECT_EQ(kConfigTextMaxLength, static_cast<std::uint32_t>(SendMessageA(Control(IDC_TEXT_EDIT), EM_GETLIMITTEXT, 0, 0)));
    const std::string full(SettingsFiles::kAppInfStringMaxLength, 'P');
    Item(0).text = full;
    Select(TreeItem(0));
    EXPECT_EQ(SettingsFiles::kAppInfStringMaxLength,
              static_cast<std::uint32_t>(SendMessageA(Control(IDC_TEXT_EDIT), EM_GETLIMITTEXT, 0, 0)));
    // A typed character past the limit is refused by the edit and never reaches the item.
    SendMessageA(Control(IDC_TEXT_EDIT), EM_SETSEL, full.size(), full.size());
    SendMessageA(Control(IDC_TEXT_EDIT), WM_CHAR, 'x', 0);
    EXPECT_EQ(full, Text(IDC_TEXT_EDIT));
    EXPECT_EQ(full, Item(0).text);
    // The other strings keep their own limit.
    Select(TreeItem(1));
    EXPECT_EQ(kConfigTextMaxLength, static_cast<std::uint32_t>(SendMessageA(Control(IDC_TEXT_EDIT), EM_GETLIMITTEXT, 0, 0)));
}

TEST_F(ConfigDialogTest, TheDigitEditTakesAnyNumberWhenItLosesTheFocus) {
    ASSERT_NO_FATAL_FAILURE(StartSample());
    Select(TreeItem(4));
    SetFocus(Control(IDC_DIGIT_EDIT));
    SetWindowTextA(Control(IDC_DIGIT_EDIT), "42");
    EXPECT_EQ(4, Item(4).value);
    SetFocus(app->Tree());
    EXPECT_EQ(42, Item(4).value);
    EXPECT_EQ("VSync方式 : 42 ", Label(4));
    EXPECT_EQ("42", Text(IDC_DIGIT_EDIT));
}

TEST_F(ConfigDialogTest, TheUpDownStepsTheDigitWithinZeroToNine) {
    struct Case {
        std::int32_t value, delta, digit;
    } cases[] = {{4, -1, 5}, {9, -1, 9}, {0, 1, 0}, {5, 1, 4}, {42, -1, 9}, {42, 1, 8}, {-3, 1, 0}, {-3, -1, 1},
                 {300, -1, 9}};
    for (const Case& c : cases)
        EXPECT_EQ(c.digit, ConfigMainDialog::StepDigit(c.value, c.delta)) << c.value << " " << c.delta;

    ASSERT_NO_FATAL_FAILURE(StartSample());
    Select(TreeItem(4));
    SetFocus(Control(IDC_DIGIT_EDIT));
    SetWindowTextA(Control(IDC_DIGIT_EDIT), "12");
    NMUPDOWN change = {};
    change.hdr = {Control(IDC_DIGIT_SPIN), IDC_DIGIT_SPIN, UDN_DELTAPOS};
    change.iDelta = 1;
    SendMessageA(Dialog(), WM_NOTIFY, IDC_DIGIT_SPIN, reinterpret_cast<LPARAM>(&change));
    // The typed 12 is taken first, clamped to 9 and stepped down.
    EXPECT_EQ(8, Item(4).value);
    EXPECT_EQ("8", Text(IDC_DIGIT_EDIT));
    EXPECT_EQ("VSync方式 : 8 ", Label(4));
}

TEST_F(ConfigDialogTest, ResetsRestoreDefaults) {
    ASSERT_NO_FATAL_FAILURE(StartSample());
    Select(TreeItem(1));
    Press(IDC_RESET_ITEM);
    EXPECT_EQ(512, Item(1).value);
    EXPECT_EQ("512", Text(IDC_NUMBER_EDIT));
    Item(0).value = 0;
    Item(3).text = "x";
    Press(IDC_RESET_ALL);
    EXPECT_EQ(2, Item(0).value);
    EXPECT_EQ("入力方法 : メッセージ", Label(0));
    EXPECT_EQ("既定の場所", Item(3).text);
    EXPECT_EQ(3, Item(5).value);
}

TEST_F(ConfigDialogTest, CaptionNamesTheGameAndItsVersion) {
    struct Case {
        std::uint8_t major, minor, letter;
        const char* caption;
    } cases[] = {{1, 2, 11, "環境設定 [ Sample Version 1.02b ]"},
                 {3, 0, 0, "環境設定 [ Sample Version 3.00 ]"},
                 {2, 15, 1, "環境設定 [ Sample Version 2.151 ]"}};
    for (const Case& c : cases) {
        WriteGame(SampleGame());
        ASSERT_TRUE(testsupport::WriteFile(game.File("SCRIPT/QL_APP.INF"),
                                           testsupport::BuildAppInfFile(c.major, c.minor, c.letter, {"Sample"})));
        ASSERT_EQ(0, StartPlayer());
        char caption[256];
        GetWindowTextA(Dialog(), caption, sizeof caption);
        EXPECT_STREQ(c.caption, caption);
        app.reset();
    }
}

TEST_F(ConfigDialogTest, SavingWithoutEditsKeepsUserCfgButTheDeviceSelection) {
    ASSERT_NO_FATAL_FAILURE(StartSample());
    const std::vector<std::uint8_t> before = UserCfgOnDisk();
    Press(IDC_SAVE);
    EXPECT_FALSE(IsWindow(Dialog()));
    EXPECT_TRUE(ShownMessages().empty());
    std::vector<std::uint8_t> expected = before;
    for (std::uint32_t at : {SettingsFiles::DeviceSelection::kAdapterSet, SettingsFiles::DeviceSelection::kDeviceSet})
        for (int i = 0; i < 4; ++i) expected[2 + at + i] = 0;
    EXPECT_EQ(expected, UserCfgOnDisk());
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(ConfigDialogTest, SavedChoicesLandInUserCfg) {
    ASSERT_NO_FATAL_FAILURE(StartSample());
    Select(TreeItem(5));
    PickChoice(3);
    Select(TreeItem(0));
    PickChoice(0);
    Press(IDC_SAVE);
    const std::vector<std::uint8_t> saved = UserCfgOnDisk();
    EXPECT_EQ(0, saved[2 + 16]);
    EXPECT_EQ(2, saved[2 + 72 + 2 + 0]);
    EXPECT_EQ(3, saved[2 + 72 + 2 + 1]);
}

TEST_F(ConfigDialogTest, AnItemOutsideItsRecordIsRefusedOnSave) {
    std::vector<DescriptionGroup> groups = SampleGame();
    groups[0].items.push_back(MakeDescriptionItem(1, 3, 13, 2, "はみ出し", {}));
    WriteGame(groups, AgreeingUserCfg());
    ASSERT_EQ(0, StartPlayer());
    // The new item is the first group's fourth.
    EXPECT_EQ(0, Item(3).value);
    const std::vector<std::uint8_t> before = UserCfgOnDisk();
    Press(IDC_SAVE);
    EXPECT_TRUE(IsWindow(Dialog()));
    ASSERT_EQ(1u, ShownMessages().size());
    EXPECT_EQ(ConfigMessages::kBadIndex, ShownMessages()[0].text);
    EXPECT_EQ(1, ShownMessages()[0].type);
    EXPECT_EQ(Dialog(), ShownMessages()[0].owner);
    EXPECT_EQ(before, UserCfgOnDisk());
}

TEST_F(ConfigDialogTest, CancelWritesNothing) {
    ASSERT_NO_FATAL_FAILURE(StartSample());
    Select(TreeItem(0));
    PickChoice(0);
    const std::vector<std::uint8_t> before = UserCfgOnDisk();
    Press(IDC_CANCEL);
    EXPECT_FALSE(IsWindow(Dialog()));
    EXPECT_EQ(before, UserCfgOnDisk());
}

TEST_F(ConfigDialogTest, TheWindowGrowsButNeverShrinksBelowItsFirstSize) {
    ASSERT_NO_FATAL_FAILURE(StartSample());
    RECT first;
    GetWindowRect(Dialog(), &first);
    const int width = first.right - first.left;
    const int height = first.bottom - first.top;
    RECT small = {first.left, first.top, first.left + width - 100, first.top + height - 50};
    SendMessageA(Dialog(), WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&small));
    EXPECT_EQ(width, small.right - small.left);
    EXPECT_EQ(height, small.bottom - small.top);
    RECT left = {first.left + 100, first.top, first.right, first.bottom};
    SendMessageA(Dialog(), WM_SIZING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&left));
    EXPECT_EQ(first.left, left.left);

    RECT treeBefore, saveBefore, descriptionBefore;
    GetWindowRect(app->Tree(), &treeBefore);
    GetWindowRect(Control(IDC_SAVE), &saveBefore);
    GetWindowRect(Control(IDC_DESCRIPTION), &descriptionBefore);
    SetWindowPos(Dialog(), nullptr, 0, 0, width + 120, height + 80, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT tree, save, description;
    GetWindowRect(app->Tree(), &tree);
    GetWindowRect(Control(IDC_SAVE), &save);
    GetWindowRect(Control(IDC_DESCRIPTION), &description);
    EXPECT_EQ(treeBefore.right - treeBefore.left + 120, tree.right - tree.left);
    EXPECT_EQ(treeBefore.bottom - treeBefore.top + 80, tree.bottom - tree.top);
    EXPECT_EQ(saveBefore.left + 120, save.left);
    EXPECT_EQ(saveBefore.top + 80, save.top);
    EXPECT_EQ(descriptionBefore.right - descriptionBefore.left, description.right - description.left);
    EXPECT_EQ(descriptionBefore.bottom - descriptionBefore.top + 80, description.bottom - description.top);
}

TEST(ConfigStartPositionTest, TheStartUpPositionIsUsedOnlyWhenTheWindowFits) {
    const RECT workArea = {0, 0, 1024, 740};
    const SIZE window = {500, 400};
    struct Case {
        DWORD flags;
        DWORD x, y;
        LONG wantX, wantY;
    } cases[] = {
        {STARTF_USEPOSITION, 100, 200, 100, 200},
        {STARTF_USEPOSITION, 524, 340, 524, 340},
        {STARTF_USEPOSITION, 525, 340, 50, 52},
        {STARTF_USEPOSITION, 100, 341, 50, 52},
        {STARTF_USEPOSITION, 0, 200, 50, 52},
        {0, 100, 200, 50, 52},
    };
    for (const Case& c : cases) {
        STARTUPINFOA startup = {};
        startup.dwFlags = c.flags;
        startup.dwX = c.x;
        startup.dwY = c.y;
        const POINT at = ChooseStartPosition(startup, workArea, window);
        EXPECT_EQ(c.wantX, at.x) << c.x << "," << c.y;
        EXPECT_EQ(c.wantY, at.y) << c.x << "," << c.y;
    }
}

}  // namespace
