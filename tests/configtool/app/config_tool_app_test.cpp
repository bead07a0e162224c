#include <shlobj.h>

#include "configtool/settings/config_messages.h"
#include "framework/files/virtual_file_system.h"
#include "tests/configtool/config_tool_fixture.h"
#include "tools/content/qpk_writer.h"

namespace {

using namespace configtest;
using testsupport::DescriptionGroup;
using testsupport::MakeDescriptionItem;

std::vector<DescriptionGroup> OneChoice(const std::string& name = "VSync") {
    return {DescriptionGroup{"表示", {MakeDescriptionItem(0, 4, 1, 1, name, {"自動", "オフ", "オン"}, 1)}}};
}

using ConfigToolStartTest = ConfigToolTest;

TEST_F(ConfigToolStartTest, PlayerSwitchNamesTheGameFolder) {
    WriteGame(OneChoice());
    ASSERT_EQ(0, StartPlayer());
    EXPECT_FALSE(app->DeveloperMode());
    EXPECT_EQ(game.Path(), GetBaseDirectory());
    ASSERT_EQ(1u, app->Items().size());
    EXPECT_TRUE(ShownMessages().empty());
    EXPECT_TRUE(IsWindowVisible(Dialog()));
    char caption[256];
    GetWindowTextA(Dialog(), caption, sizeof caption);
    EXPECT_STREQ("環境設定 [ Sample Version 1.02b ]", caption);
}

TEST_F(ConfigToolStartTest, CommandLinesChooseTheModeAndBaseFolder) {
    struct Case {
        const char* what;
        std::string line;
        bool developer;
        bool baseIsGame;
    } cases[] = {
        {"/C", "/C" + game.Path(), true, true},
        {"/P", "/P" + game.Path(), false, true},
        {"lower-case c", "/c" + game.Path(), false, false},
        {"lower-case p", "/p" + game.Path(), false, false},
        {"empty", "", false, false},
    };
    for (const Case& c : cases) {
        ShownMessages().clear();
        const std::string before = GetBaseDirectory();
        Start(c.line);
        EXPECT_EQ(c.developer, app->DeveloperMode()) << c.what;
        EXPECT_EQ(c.baseIsGame ? game.Path() : before, GetBaseDirectory()) << c.what;
        app.reset();
        SetBaseDirectory(before.c_str());
    }
}

TEST_F(ConfigToolStartTest, ASecondInstanceEndsAtOnceWithoutAMessage) {
    HANDLE other = CreateMutexA(nullptr, TRUE, ConfigToolApp::kMutexName);
    ASSERT_NE(nullptr, other);
    WriteGame(OneChoice());
    EXPECT_EQ(1, StartPlayer());
    EXPECT_EQ(nullptr, Dialog());
    EXPECT_TRUE(ShownMessages().empty());
    ReleaseMutex(other);
    CloseHandle(other);
}

TEST_F(ConfigToolStartTest, TheInstanceMutexIsHeldUntilTheExitStep) {
    WriteGame(OneChoice());
    ASSERT_EQ(0, StartPlayer());
    HANDLE probe = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, ConfigToolApp::kMutexName);
    EXPECT_NE(nullptr, probe);
    if (probe) CloseHandle(probe);
    app->ReleaseInstanceMutex();
    probe = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, ConfigToolApp::kMutexName);
    EXPECT_EQ(nullptr, probe);
    if (probe) CloseHandle(probe);
}

TEST_F(ConfigToolStartTest, LoadFailuresExplainThemselves) {
    struct Case {
        const char* what;
        bool appSys;
        bool userCfg;
        std::uint8_t mode;
        std::string text;
        std::int32_t type;
    } cases[] = {
        {"USER.CFG missing", true, false, 1, ConfigMessages::kDescriptionLoadFailed, 4},
        {"save folder missing", true, true, 0,
         "環境設定情報ファイルをロード出来ません。\n「Sample」を\n一度でも実行してからでないと、環境設定は行えません。", 1},
        {"QL_APP.SYS missing", false, true, 0, ConfigMessages::kDescriptionLoadFailed, 4},
    };
    for (const Case& c : cases) {
        testsupport::TempFolder folder;
        ShownMessages().clear();
        ASSERT_TRUE(testsupport::WriteFile(folder.File("SCRIPT/CONFIG.DAT"),
                                           testsupport::BuildConfigDescription(OneChoice())));
        std::vector<std::uint8_t> sys = testsupport::DefaultAppSysRecord();
        sys[21] = c.mode;
        if (c.appSys) testsupport::WriteFile(folder.File("SCRIPT/QL_APP.SYS"), testsupport::BuildAppSysFile(sys));
        testsupport::WriteFile(folder.File("SCRIPT/QL_APP.INF"), testsupport::BuildAppInfFile(1, 0, 0, {"Sample"}));
        if (c.userCfg)
            testsupport::WriteFile(folder.File("USER.CFG"),
                                   testsupport::BuildUserCfgFile(testsupport::PatternedUserCfg()));
        folders.folders[CSIDL_PERSONAL] = folder.File("no such documents");
        const std::string before = GetBaseDirectory();
        EXPECT_EQ(3, Start("/P" + folder.Path())) << c.what;
        ASSERT_EQ(1u, ShownMessages().size()) << c.what;
        EXPECT_EQ(c.text, ShownMessages()[0].text) << c.what;
        EXPECT_EQ(c.type, ShownMessages()[0].type) << c.what;
        EXPECT_EQ(GetDesktopWindow(), ShownMessages()[0].owner) << c.what;
        EXPECT_EQ("環境設定", ShownMessages()[0].caption) << c.what;
        EXPECT_TRUE(app->Items().empty()) << c.what;
        app.reset();
        SetBaseDirectory(before.c_str());
    }
}

TEST_F(ConfigToolStartTest, DeveloperModeWithoutTheFullDescriptionFails) {
    EXPECT_EQ(3, Start("/C" + game.Path()));
    ASSERT_EQ(1u, ShownMessages().size());
    EXPECT_EQ(ConfigMessages::kDescriptionLoadFailed, ShownMessages()[0].text);
    EXPECT_EQ(4, ShownMessages()[0].type);
}

TEST_F(ConfigToolStartTest, ABrokenDescriptionIsExplainedTwice) {
    std::vector<std::uint8_t> description = testsupport::BuildConfigDescription(OneChoice());
    description.resize(description.size() - 3);
    WriteGame(OneChoice());
    ASSERT_TRUE(testsupport::WriteFile(game.File("SCRIPT/CONFIG.DAT"), description));
    EXPECT_EQ(3, StartPlayer());
    ASSERT_EQ(2u, ShownMessages().size());
    EXPECT_EQ(ConfigMessages::kBadFile, ShownMessages()[0].text);
    EXPECT_EQ(1, ShownMessages()[0].type);
    EXPECT_EQ(Dialog(), ShownMessages()[0].owner);
    EXPECT_EQ(0, TreeView_GetCount(app->Tree()));
}

TEST_F(ConfigToolStartTest, EmptyGroupsShowAloneAndNoGroupsEndTheStart) {
    WriteGame({DescriptionGroup{"空", {}}, OneChoice()[0]});
    ASSERT_EQ(0, StartPlayer());
    HWND tree = app->Tree();
    HTREEITEM empty = TreeView_GetRoot(tree);
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ("空", ConfigTree::Text(tree, empty));
    EXPECT_EQ(nullptr, TreeView_GetChild(tree, empty));
    EXPECT_EQ(3, TreeView_GetCount(tree));
    app.reset();

    ShownMessages().clear();
    WriteGame({});
    EXPECT_EQ(3, StartPlayer());
    EXPECT_TRUE(app->Items().empty());
    ASSERT_EQ(1u, ShownMessages().size());
    EXPECT_EQ(ConfigMessages::kDescriptionLoadFailed, ShownMessages()[0].text);
}

// Patches mount as the game mounts them: the newest patch first, SCRIPT.QPK last.
TEST_F(ConfigToolStartTest, ArchivesAreSearchedInTheGamesOrder) {
    auto description = [](const std::string& name) {
        std::vector<std::uint8_t> bytes = testsupport::BuildConfigDescription(OneChoice(name));
        return bytes;
    };
    auto appInf = [](const std::string& title) { return testsupport::BuildAppInfFile(1, 0, 0, {title}); };
    testsupport::QpkWriter script;
    script.Add("config.dat", description("古い項目"));
    script.Add("ql_app.inf", appInf("Old"));
    script.Add("ql_app.sys", testsupport::BuildAppSysFile(testsupport::DefaultAppSysRecord()));
    ASSERT_TRUE(script.Write(game.File("SCRIPT.QPK")));
    testsupport::QpkWriter patch;
    patch.Add("script\\config.dat", description("新しい項目"));
    patch.Add("script\\ql_app.inf", appInf("Middle"));
    testsupport::QpkWriter patch2;
    patch2.Add("script\\ql_app.inf", appInf("Newest"));
    ASSERT_TRUE(patch2.Write(game.File("PATCH2.QPK")));
    ASSERT_TRUE(testsupport::WriteFile(game.File("USER.CFG"),
                                       testsupport::BuildUserCfgFile(testsupport::PatternedUserCfg())));

    // Without PATCH.QPK, PATCH2.QPK is not mounted either.
    ASSERT_EQ(0, StartPlayer());
    EXPECT_EQ("古い項目", Item(0).name);
    EXPECT_EQ("Old", app->Records().Title());
    EXPECT_EQ(1, app->FileSystem().MountCount());
    app.reset();

    ASSERT_TRUE(patch.Write(game.File("PATCH.QPK")));
    ASSERT_EQ(0, StartPlayer());
    EXPECT_EQ(3, app->FileSystem().MountCount());
    EXPECT_EQ("新しい項目", Item(0).name);
    EXPECT_EQ("Newest", app->Records().Title());
}

}  // namespace
