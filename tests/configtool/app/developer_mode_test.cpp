#include "configtool/settings/config_messages.h"
#include "framework/util/little_endian.h"
#include "tests/configtool/config_tool_fixture.h"
#include "tools/content/byte_words.h"

namespace {

using namespace configtest;
using testsupport::DescriptionGroup;
using testsupport::DescriptionItem;
using testsupport::MakeDescriptionItem;

// One item of every type, in mixed developer states:
// 0 choice (1), 1 number (0), 2 number2 (2), 3 text (1), 4 digit (0), 5 adapter (1), 6 device (0),
// 7 screen mode (1).
std::vector<DescriptionGroup> FullDescription() {
    auto item = [](std::uint8_t type, std::uint8_t record, std::uint32_t offset, std::uint8_t width,
                   const char* name, std::uint8_t state, std::vector<std::string> choices, std::int32_t value) {
        DescriptionItem made = MakeDescriptionItem(type, record, offset, width, name, std::move(choices), value);
        made.treeState = state;
        return made;
    };
    DescriptionItem choice = item(0, 2, 0, 1, "スレッド", 1, {"しない", "する", "自動"}, 0);
    choice.description = "ゲームを別スレッドで動かします。";
    return {
        DescriptionGroup{"システム", {choice, item(1, 4, 11, 2, "キャッシュ", 0, {"個"}, 512),
                                     item(2, 0, 0, 2, "画面幅", 2, {"ドット"}, 640)}},
        DescriptionGroup{"情報", {item(3, 1, 3, 0, "タイトル", 1, {"Sample"}, 0),
                                 item(4, 4, 3, 1, "方式", 0, {"番"}, 0)}},
        DescriptionGroup{"デバイス", {item(5, 2, 27, 1, "アダプタ", 1, {}, 0), item(6, 2, 47, 1, "デバイス", 0, {}, 0),
                                     item(7, 3, 0, 1, "画面", 1, {"16", "24", "32", "窓"}, 3)}},
    };
}

struct Snapshot {
    std::uint8_t state;
    std::int32_t value;
    std::string text;
    bool operator==(const Snapshot& other) const {
        return state == other.state && value == other.value && text == other.text;
    }
};

class DeveloperModeTest : public ConfigToolTest {
protected:
    void WriteFullDescription(const std::vector<DescriptionGroup>& groups = FullDescription()) {
        ASSERT_TRUE(testsupport::WriteFile(tool.File("環境設定.inf"), testsupport::BuildConfigDescription(groups, "CCI0")));
    }
    std::int32_t StartDeveloper() { return Start("/C" + game.Path()); }
    std::vector<Snapshot> Snapshots() {
        std::vector<Snapshot> all;
        for (const auto& item : app->Items()) all.push_back({item->treeState, item->value, item->text});
        return all;
    }
};

TEST_F(DeveloperModeTest, TheTreeShowsCheckBoxesAndDeviceItemsByName) {
    WriteFullDescription();
    ASSERT_EQ(0, StartDeveloper());
    EXPECT_TRUE(GetWindowLongA(app->Tree(), GWL_STYLE) & TVS_CHECKBOXES);
    EXPECT_EQ(0x780000u, static_cast<COLORREF>(TreeView_GetBkColor(app->Tree())));
    char caption[64];
    GetWindowTextA(Dialog(), caption, sizeof caption);
    EXPECT_STREQ("環境設定", caption);
    EXPECT_EQ("アダプタ : ", Label(5));
    EXPECT_EQ((std::vector<std::string>{""}), Item(5).choices);
    EXPECT_EQ(2, ConfigTree::StateImage(app->Tree(), TreeItem(0)));
    EXPECT_EQ(1, ConfigTree::StateImage(app->Tree(), TreeItem(1)));
    // Painting hides the check boxes of groups and fixed items.
    RedrawWindow(app->Tree(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    EXPECT_EQ(ConfigTree::kNoCheckBox, ConfigTree::StateImage(app->Tree(), app->GroupTreeItem(0)));
    EXPECT_EQ(ConfigTree::kNoCheckBox, ConfigTree::StateImage(app->Tree(), TreeItem(2)));
    EXPECT_EQ(kFixedHidden, Item(2).treeState);
}

TEST_F(DeveloperModeTest, SaveWritesFiveFilesThatRestoreEveryStateValueAndText) {
    WriteFullDescription();
    ASSERT_EQ(0, StartDeveloper());
    Select(TreeItem(0));
    PickChoice(2);
    Select(TreeItem(1));
    SetWindowTextA(Control(IDC_NUMBER_EDIT), "777");
    Select(TreeItem(2));
    SetWindowTextA(Control(IDC_NUMBER_EDIT), "800");
    Select(TreeItem(3));
    SetWindowTextA(Control(IDC_TEXT_EDIT), "Tunewell Test");
    Item(4).value = 6;
    Select(TreeItem(7));
    PickChoice(3);
    // The author marks the number for players and takes the choice away from them.
    ConfigTree::SetStateImage(app->Tree(), TreeItem(1), 2);
    ConfigTree::SetStateImage(app->Tree(), TreeItem(0), 1);
    Press(IDC_SAVE);
    EXPECT_TRUE(ShownMessages().empty());
    EXPECT_FALSE(IsWindow(Dialog()));
    const std::vector<Snapshot> saved = Snapshots();
    EXPECT_EQ(0, saved[0].state);
    EXPECT_EQ(1, saved[1].state);

    for (const char* name : {"Tunewell.inf", "SCRIPT/CONFIG.DAT", "SCRIPT/QL_APP.SYS", "SCRIPT/QL_APP.INF", "USER.CFG"})
        EXPECT_TRUE(testsupport::FileExists(game.File(name))) << name;
    const std::vector<std::uint8_t> sys = testsupport::ReadFile(game.File("SCRIPT/QL_APP.SYS"));
    ASSERT_EQ(25u, sys.size());
    EXPECT_EQ(800 & 0xFF, sys[2]);
    EXPECT_EQ(800 >> 8, sys[3]);
    const std::vector<std::uint8_t> inf = testsupport::ReadFile(game.File("SCRIPT/QL_APP.INF"));
    ASSERT_GE(inf.size(), 4u + 14);
    EXPECT_EQ(14, inf[3]);
    EXPECT_EQ("Tunewell Test", std::string(reinterpret_cast<const char*>(&inf[4])));
    const std::vector<std::uint8_t> userCfg = testsupport::ReadFile(game.File("USER.CFG"));
    ASSERT_EQ(2u + 72 + 2 + 14 + 2 + 17 + 2, userCfg.size());
    EXPECT_EQ(2, userCfg[2]);              // the choice
    EXPECT_EQ(2, userCfg[2 + 72 + 2]);     // screen mode 3: a window
    EXPECT_EQ(3, userCfg[2 + 72 + 2 + 1]);
    EXPECT_EQ(777 & 0xFF, userCfg[2 + 72 + 2 + 14 + 2 + 11]);
    EXPECT_EQ(6, userCfg[2 + 72 + 2 + 14 + 2 + 3]);
    const std::vector<std::uint8_t> description = testsupport::ReadFile(game.File("SCRIPT/CONFIG.DAT"));
    EXPECT_EQ(0, std::memcmp(description.data(), "CCI2", 4));
    EXPECT_EQ(3u, testsupport::WordAt(description, 4));

    app.reset();
    ASSERT_EQ(0, StartDeveloper());
    EXPECT_TRUE(ShownMessages().empty());
    const std::vector<Snapshot> loaded = Snapshots();
    ASSERT_EQ(saved.size(), loaded.size());
    for (std::size_t i = 0; i < saved.size(); ++i) EXPECT_TRUE(saved[i] == loaded[i]) << "item " << i;
    EXPECT_EQ("キャッシュ : 777 個", Label(1));
    EXPECT_EQ(1, ConfigTree::StateImage(app->Tree(), TreeItem(0)));
}

TEST_F(DeveloperModeTest, PlayersGetOnlyTheMarkedItems) {
    WriteFullDescription();
    ASSERT_EQ(0, StartDeveloper());
    Press(IDC_SAVE);
    app.reset();
    ASSERT_EQ(0, StartPlayer());
    // Four items are shown to players; without display devices the adapter leaves the tree.
    EXPECT_EQ(4u, app->Items().size());
    EXPECT_EQ(nullptr, TreeItem(2));
    EXPECT_EQ("タイトル : Sample", Label(1));
}

TEST_F(DeveloperModeTest, OverridesStayAppliedWhenThePlayerDescriptionIsMissing) {
    WriteFullDescription();
    testsupport::OverrideRecord cache;
    cache.record = 4;
    cache.offset = 11;
    cache.width = 2;
    cache.type = 1;
    cache.value = 64;
    ASSERT_TRUE(testsupport::WriteFile(game.File("Tunewell.inf"), testsupport::BuildConfigOverrides({cache})));
    ASSERT_EQ(0, StartDeveloper());
    EXPECT_EQ(64, Item(1).value);
    EXPECT_EQ("キャッシュ : 64 個", Label(1));
    ASSERT_EQ(1u, ShownMessages().size());
    EXPECT_EQ(ConfigMessages::kDefaultsLoadFailed, ShownMessages()[0].text);
}

TEST_F(DeveloperModeTest, OverridesOfUnknownItemsAreReported) {
    WriteFullDescription();
    testsupport::OverrideRecord first;
    first.record = 2;
    first.type = 0;
    first.value = 1;
    testsupport::OverrideRecord unknown;
    unknown.record = 2;
    unknown.offset = 60;
    ASSERT_TRUE(testsupport::WriteFile(game.File("Tunewell.inf"), testsupport::BuildConfigOverrides({first, unknown})));
    ASSERT_EQ(0, StartDeveloper());
    EXPECT_EQ(1, Item(0).value);
    ASSERT_EQ(1u, ShownMessages().size());
    EXPECT_EQ(ConfigMessages::kUnknownOverrideItem, ShownMessages()[0].text);
}

TEST_F(DeveloperModeTest, WronglyTaggedOrCutOverrideFilesAreRefused) {
    WriteFullDescription();
    ASSERT_EQ(0, StartDeveloper());
    testsupport::OverrideRecord thread;
    thread.record = 2;
    thread.type = 0;
    thread.value = 2;
    std::vector<std::uint8_t> cut = testsupport::BuildConfigOverrides({thread, thread});
    cut.resize(cut.size() - 3);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        std::int32_t result;
        const char* message;  // null: none
    } cases[] = {
        {"tagged as a description", testsupport::BuildConfigOverrides({thread}, "CCI2"), 3, nullptr},
        {"cut inside its second record", cut, 4, ConfigMessages::kBadFile},
        {"cut inside its count", {'C', 'C', 'I', '1', 1, 0}, 4, ConfigMessages::kBadFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShownMessages().clear();
        ASSERT_TRUE(testsupport::WriteFile(game.File("Tunewell.inf"), c.file));
        EXPECT_EQ(c.result, app->LoadDeveloperOverrides());
        if (c.message == nullptr) {
            EXPECT_TRUE(ShownMessages().empty());
            EXPECT_EQ(0, Item(0).value);
        } else {
            ASSERT_EQ(1u, ShownMessages().size());
            EXPECT_EQ(c.message, ShownMessages()[0].text);
        }
    }
}

TEST_F(DeveloperModeTest, NoMarkedItemGivesAnEmptyPlayerDescription) {
    std::vector<DescriptionGroup> groups = FullDescription();
    for (auto& group : groups)
        for (auto& item : group.items) item.treeState = 2;
    WriteFullDescription(groups);
    ASSERT_EQ(0, StartDeveloper());
    Press(IDC_SAVE);
    const std::vector<std::uint8_t> description = testsupport::ReadFile(game.File("SCRIPT/CONFIG.DAT"));
    ASSERT_EQ(8u, description.size());
    EXPECT_EQ(0u, testsupport::WordAt(description, 4));
    const std::vector<std::uint8_t> overrides = testsupport::ReadFile(game.File("Tunewell.inf"));
    EXPECT_EQ(8u, testsupport::WordAt(overrides, 4));
}

TEST_F(DeveloperModeTest, AnUnwritableFileKeepsTheDialogOpen) {
    WriteFullDescription();
    ASSERT_EQ(0, StartDeveloper());
    // A folder in the way of Tunewell.inf.
    ASSERT_TRUE(CreateDirectoryA(game.File("Tunewell.inf").c_str(), nullptr));
    Press(IDC_SAVE);
    EXPECT_TRUE(IsWindow(Dialog()));
    ASSERT_EQ(1u, ShownMessages().size());
    EXPECT_EQ(ConfigMessages::kCannotOpenForWriting, ShownMessages()[0].text);
    EXPECT_EQ(2, app->SaveConfigDescription());
}

}  // namespace
