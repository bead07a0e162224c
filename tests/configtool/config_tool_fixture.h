// The fixture of the configuration tool's application and dialog tests: a game folder and a tool
// folder of their own, fake special folders and display devices, a recorder in place of the
// message box, and helpers that drive the real dialog with messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "configtool/app/config_message.h"
#include "configtool/app/config_tool_app.h"
#include "configtool/dialogs/config_tree.h"
#include "configtool/resources/tunewell_resources.h"
#include "framework/files/path_utilities.h"
#include "tests/support/config_description_writer.h"
#include "tools/content/settings_file_writer.h"
#include "tests/support/win_test_env.h"

namespace configtest {

struct ShownMessage {
    std::string text;
    std::int32_t type;
    HWND owner;
    std::string caption;
};

std::vector<ShownMessage>& ShownMessages();

class FakeFolders final : public SpecialFolderProvider {
public:
    std::map<std::int32_t, std::string> folders;
    bool GetSpecialFolderPath(char* buffer, std::int32_t csidl) override;
};

class FakeDisplayDevices final : public DisplayDeviceProvider {
public:
    std::vector<DisplayAdapterRecord> adapters;
    DisplayDeviceChoice choice = {};
    bool hasChoice = false;
    int enumerations = 0;

    std::int32_t EnumerateDisplayDevices(bool, bool) override;
    const std::vector<DisplayAdapterRecord>& Adapters() const override { return m_listed; }
    bool ChooseDisplayDevice(DisplayDeviceChoice& out, bool) override;
    void FreeDisplayDeviceList() override { m_listed.clear(); }

private:
    std::vector<DisplayAdapterRecord> m_listed;
};

GUID MakeId(std::uint8_t seed);

class ConfigToolTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the application on the folders and runs its start-up with the command line.
    std::int32_t Start(const std::string& commandLine);
    std::int32_t StartPlayer() { return Start("/P" + game.Path()); }

    // A player game in save-folder mode 1: description, application files and USER.CFG.
    void WriteGame(const std::vector<testsupport::DescriptionGroup>& groups,
                   const testsupport::UserCfgBlocks& userCfg = testsupport::PatternedUserCfg());
    void WriteAppFiles(std::uint8_t saveFolderMode, const std::string& title = "Sample");

    HWND Dialog() { return app->MainDialog().Window(); }
    HWND Control(int id) { return GetDlgItem(Dialog(), id); }
    bool Visible(int id) { return (GetWindowLongA(Control(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    bool Enabled(int id) { return IsWindowEnabled(Control(id)) != 0; }
    std::string Text(int id);
    HTREEITEM TreeItem(std::size_t itemIndex) { return app->ItemTreeItem(itemIndex); }
    std::string Label(std::size_t itemIndex) { return ConfigTree::Text(app->Tree(), TreeItem(itemIndex)); }
    ConfigItem& Item(std::size_t index) { return *app->Items().at(index); }
    void Select(HTREEITEM item) { TreeView_SelectItem(app->Tree(), item); }
    void Command(int id, int code);
    void Press(int id) { Command(id, BN_CLICKED); }
    void Notify(int id, UINT code);
    // Picks a choice in the drop-down list as a user does.
    void PickChoice(int index);

    testsupport::TempFolder game;
    testsupport::TempFolder tool;
    FakeFolders folders;
    FakeDisplayDevices devices;
    std::unique_ptr<ConfigToolApp> app;

private:
    std::string m_savedBase;
    ConfigMessagePresenter m_savedPresenter = nullptr;
};

}  // namespace configtest
