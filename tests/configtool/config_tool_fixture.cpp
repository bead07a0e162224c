#include "tests/configtool/config_tool_fixture.h"

namespace configtest {

namespace {

void RecordMessage(const char* text, std::int32_t type, HWND owner, const char* caption) {
    ShownMessages().push_back(ShownMessage{text, type, owner, caption});
}

}  // namespace

std::vector<ShownMessage>& ShownMessages() {
    static std::vector<ShownMessage> messages;
    return messages;
}

bool FakeFolders::GetSpecialFolderPath(char* buffer, std::int32_t csidl) {
    auto found = folders.find(csidl);
    if (found == folders.end()) return false;
    std::memcpy(buffer, found->second.c_str(), found->second.size() + 1);
    return true;
}

std::int32_t FakeDisplayDevices::EnumerateDisplayDevices(bool, bool) {
    ++enumerations;
    m_listed = adapters;
    return m_listed.empty() ? -1 : 0;
}

bool FakeDisplayDevices::ChooseDisplayDevice(DisplayDeviceChoice& out, bool) {
    if (!hasChoice || m_listed.empty()) return false;
    out = choice;
    return true;
}

GUID MakeId(std::uint8_t seed) {
    GUID id;
    std::memset(&id, seed, sizeof id);
    return id;
}

void ConfigToolTest::SetUp() {
    InitCommonControls();
    m_savedBase = GetBaseDirectory();
    ShownMessages().clear();
    m_savedPresenter = SetConfigMessagePresenter(RecordMessage);
}

void ConfigToolTest::TearDown() {
    app.reset();
    SetConfigMessagePresenter(m_savedPresenter);
    SetBaseDirectory(m_savedBase.c_str());
    testsupport::DrainMessageQueue();
}

std::int32_t ConfigToolTest::Start(const std::string& commandLine) {
    ConfigToolEnvironment environment;
    environment.toolFolder = tool.Path();
    environment.specialFolders = &folders;
    environment.displayDevices = &devices;
    app = std::make_unique<ConfigToolApp>(environment);
    app->SetStartArguments(GetModuleHandleA(nullptr), commandLine.c_str(), SW_SHOWNOACTIVATE);
    return app->StartConfigTool();
}

void ConfigToolTest::WriteAppFiles(std::uint8_t saveFolderMode, const std::string& title) {
    std::vector<std::uint8_t> sys = testsupport::DefaultAppSysRecord();
    sys[21] = saveFolderMode;
    ASSERT_TRUE(testsupport::WriteFile(game.File("SCRIPT/QL_APP.SYS"), testsupport::BuildAppSysFile(sys)));
    ASSERT_TRUE(testsupport::WriteFile(game.File("SCRIPT/QL_APP.INF"),
                                       testsupport::BuildAppInfFile(1, 2, 11, {title})));
}

void ConfigToolTest::WriteGame(const std::vector<testsupport::DescriptionGroup>& groups,
                               const testsupport::UserCfgBlocks& userCfg) {
    ASSERT_TRUE(testsupport::WriteFile(game.File("SCRIPT/CONFIG.DAT"), testsupport::BuildConfigDescription(groups)));
    WriteAppFiles(1);
    ASSERT_TRUE(testsupport::WriteFile(game.File("USER.CFG"), testsupport::BuildUserCfgFile(userCfg)));
}

std::string ConfigToolTest::Text(int id) {
    char buffer[1024] = "";
    GetWindowTextA(Control(id), buffer, sizeof buffer);
    return buffer;
}

void ConfigToolTest::Command(int id, int code) {
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Control(id)));
}

void ConfigToolTest::Notify(int id, UINT code) {
    NMHDR header = {Control(id), static_cast<UINT_PTR>(id), code};
    SendMessageA(Dialog(), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&header));
}

void ConfigToolTest::PickChoice(int index) {
    SendMessageA(Control(IDC_CHOICE_COMBO), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Command(IDC_CHOICE_COMBO, CBN_SELENDOK);
}

}  // namespace configtest
