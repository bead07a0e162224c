// The game's start-up over its settings files: the save-folder modes, the first run, the
// player's folder choice, damaged files, and the settings written at the end.
#include <gtest/gtest.h>
#include <windows.h>

#include <sddl.h>

#include "game/app/settings_records.h"
#include "tests/game/app/game_app_fixture.h"

namespace gameapptest {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(GameStartup, SaveFolderModes) {
    const struct {
        const char* name;
        std::uint8_t mode;
        std::uint8_t switchByte;
        bool commonAppData;
        const char* saveFolder;  // relative to the test folder
        const char* userCfg;     // relative to the test folder; empty: never written
    } cases[] = {
        {"mode 0: documents", 0, 0, true, "docs\\%X\\", "docs\\%X\\USER.CFG"},
        {"mode 1: beside the program", 1, 0, true, "game\\SAVEDATA\\", "game\\USER.CFG"},
        {"mode 1 with byte 22: as mode 0", 1, 1, true, "docs\\%X\\", "docs\\%X\\USER.CFG"},
        {"mode 2: the chosen folder", 2, 0, true, "chosen\\", "appdata\\%X\\USER.CFG"},
        {"mode 3: application data", 3, 0, true, "appdata\\%X\\", "appdata\\%X\\USER.CFG"},
        {"mode 4: common application data", 4, 0, true, "common\\%X\\", "common\\%X\\USER.CFG"},
        {"mode 4 without it: application data", 4, 0, false, "appdata\\%X\\", "appdata\\%X\\USER.CFG"},
        {"mode 5: the base folder", 5, 0, true, "game\\", ""},
        {"mode 6: read as 5", 6, 0, true, "game\\", ""},
    };
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        GameFolder game("ModeGame" + std::to_string(serial++));
        game.appSys[21] = row.mode;
        game.appSys[20] = row.switchByte;
        game.commonAppData = row.commonAppData;
        game.user.folder = game.folder.File("chosen");
        CreateDirectoryA(game.folder.File("chosen").c_str(), nullptr);
        for (const char* special : {"docs", "appdata", "common"}) CreateDirectoryA(game.folder.File(special).c_str(), nullptr);
        game.WriteFiles();
        GameApp app(game);
        ASSERT_EQ(0, app.app->Startup());
        auto expand = [&](std::string path) {
            const std::size_t x = path.find("%X");
            if (x != std::string::npos) path.replace(x, 2, game.title + " SaveData");
            return path;
        };
        EXPECT_EQ(game.folder.File(expand(row.saveFolder)), app.app->SaveFolder());
        EXPECT_EQ(*row.userCfg ? game.folder.File(expand(row.userCfg)) : std::string(), app.app->UserCfgPath());
        EXPECT_EQ('\\', std::string(app.app->SaveFolder()).back());
        EXPECT_TRUE(app.Boxes().empty()) << app.Boxes().front().text;
    }
}

TEST(GameStartup, FirstRunCopiesUserCfgWithNormalAttributes) {
    GameFolder game("FirstRunCopy");
    game.appSys[21] = 3;
    game.user.blocks[2][9] = 77;
    game.WriteFiles();
    SetFileAttributesA((game.Game() + "USER.CFG").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryA(game.folder.File("appdata").c_str(), nullptr);
    GameApp app(game);
    ASSERT_EQ(0, app.app->Startup());
    const std::string copy = game.folder.File("appdata\\FirstRunCopy SaveData\\USER.CFG");
    EXPECT_EQ(testsupport::ReadFile(game.Game() + "USER.CFG"), testsupport::ReadFile(copy));
    // The source is read-only; the copy is not, so that the game can write it back.
    EXPECT_EQ(0u, GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(77, app.app->UserCfg().block3[9]);
    SetFileAttributesA((game.Game() + "USER.CFG").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(GameStartup, FirstRunIntoAnExistingFolderAsksAndNoEndsTheStart) {
    GameFolder game("FirstRunNo");
    game.appSys[21] = 0;
    game.WriteFiles();
    CreateDirectoryA(game.folder.File("docs").c_str(), nullptr);
    CreateDirectoryA(game.folder.File("docs\\FirstRunNo SaveData").c_str(), nullptr);
    GameApp app(game);
    app.Answers() = {IDNO};
    EXPECT_EQ(3, app.app->Startup());
    ASSERT_EQ(2u, app.Boxes().size());
    EXPECT_NE(std::string::npos, app.Boxes()[0].text.find("のセーブデータを作成します"));
    EXPECT_NE(std::string::npos, app.Boxes()[1].text.find("を移動させるか名前を変更して"));
    EXPECT_FALSE(testsupport::FileExists(game.folder.File("docs\\FirstRunNo SaveData\\USER.CFG")));
}

TEST(GameStartup, ChosenFolderAnswers) {
    const struct {
        const char* name;
        bool namedFolder;  // USER.CFG names a folder that does not exist
        std::vector<int> answers;
        std::string browserAnswer;  // "%T" = the test folder
        std::int32_t result;
        std::size_t browsed;
    } cases[] = {
        {"no folder, empty answer", false, {}, "", 4, 1},
        {"missing folder, no", true, {IDNO}, "", 4, 0},
        {"missing folder, yes, empty answer", true, {IDYES}, "", 4, 1},
        {"an answer too long for a path", false, {}, "%T" + std::string(300, 'x'), 4, 1},
        {"a new folder", false, {}, "%T", 0, 1},
    };
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        GameFolder game("Chooser" + std::to_string(serial++));
        game.appSys[21] = 2;
        if (row.namedFolder) game.user.folder = game.folder.File("gone");
        game.WriteFiles();
        for (const char* special : {"docs", "appdata"}) CreateDirectoryA(game.folder.File(special).c_str(), nullptr);
        GameApp app(game);
        app.Answers() = row.answers;
        app.browserAnswer = row.browserAnswer;
        if (app.browserAnswer.compare(0, 2, "%T") == 0) app.browserAnswer.replace(0, 2, game.folder.Path());
        EXPECT_EQ(row.result, app.app->Startup());
        EXPECT_EQ(row.browsed, app.browserCaptions.size());
        if (row.result != 0) {
            ASSERT_FALSE(app.Boxes().empty());
            EXPECT_EQ("セーブデータ作成フォルダがないため、起動できません。", app.Boxes().back().text);
            continue;
        }
        const std::string chosen = game.folder.Path() + game.title + " SaveData";
        EXPECT_EQ(chosen + "\\", app.app->SaveFolder());
        // The choice is written at once, so that USER.CFG records it.
        UserCfgRecords written;
        ASSERT_EQ(kSettingsRead,
                  ReadUserCfgFile(testsupport::ReadFile(game.folder.File("appdata\\" + game.title + " SaveData\\USER.CFG")), written));
        EXPECT_EQ(chosen, written.folder);
        EXPECT_TRUE(testsupport::FileExists(chosen + "\\APP_CFG.DAT"));
    }
}

TEST(GameStartup, DamagedFilesEndTheStartWithTheirMessages) {
    const struct {
        const char* name;
        const char* file;
        Bytes bytes;
        std::int32_t result;
        const char* message;
    } cases[] = {
        {"QL_APP.SYS missing", "SCRIPT\\QL_APP.SYS", {}, 1, "アプリケーション設定ファイルの読み込みに失敗"},
        {"QL_APP.SYS cut in its record", "SCRIPT\\QL_APP.SYS", {23, 0, 1, 2}, 1, "アプリケーション設定ファイルの読み込みに失敗"},
        {"QL_APP.INF cut in a text", "SCRIPT\\QL_APP.INF", {1, 0, 0, 9, 'A'}, 2, "アプリケーション情報ファイルの読み込みに失敗"},
        {"USER.CFG with a block past its end", "USER.CFG", {72, 0, 1, 2, 3}, 3, "環境設定ファイルの読み込みに失敗"},
    };
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        GameFolder game("Damaged" + std::to_string(serial++));
        game.WriteFiles();
        if (row.bytes.empty()) DeleteFileA((game.Game() + row.file).c_str());
        else testsupport::WriteFile(game.Game() + row.file, row.bytes);
        GameApp app(game);
        EXPECT_EQ(row.result, app.app->Startup());
        ASSERT_EQ(1u, app.Boxes().size());
        EXPECT_EQ(row.message, app.Boxes()[0].text);
    }
}

TEST(GameStartup, DamagedAppCfgCountsAsMissing) {
    GameFolder game("DamagedAppCfg");
    game.WriteFiles();
    Bytes block = testsupport::DefaultAppCfgBlock();
    block[82] = 0;
    Bytes file = testsupport::BuildAppCfgFile(block, 500);
    testsupport::WriteFile(game.Game() + "SAVEDATA\\APP_CFG.DAT", file);
    GameApp app(game);
    ASSERT_EQ(0, app.app->Startup());
    EXPECT_EQ(1, app.app->AppCfg().bytes[82]);
    EXPECT_TRUE(app.Boxes().empty());
}

TEST(GameSettings, SaveSettingsWritesWhatTheRunEndedWith) {
    GameFolder game("SaveSettings");
    game.user.blocks[1][2] = 10;  // window position 10, ...
    game.WriteFiles();
    GameApp app(game);
    ASSERT_EQ(0, app.app->Startup());
    Application& a = *app.app;
    a.UserCfg().block3[SettingsFiles::Block3::kAllowForcedVSync] = 1;
    a.Settings().block1[kDisplayCanvas] = 0;
    EXPECT_EQ(1, a.ForceVSyncBegin());
    EXPECT_EQ(2, a.UserCfg().block3[1]);
    a.Settings().windowX = 40;
    a.Settings().windowY = 50;
    a.AppCfg().bytes[SettingsFiles::AppCfg::kRememberPosition] = 0;

    const std::string userCfg = game.Game() + "USER.CFG";
    const Bytes before = testsupport::ReadFile(userCfg);
    a.SaveSettings(1);
    EXPECT_EQ(before, testsupport::ReadFile(userCfg)) << "nothing after a failed start";

    a.SaveSettings(0);
    UserCfgRecords written;
    ASSERT_EQ(kSettingsRead, ReadUserCfgFile(testsupport::ReadFile(userCfg), written));
    EXPECT_EQ(1, written.block3[1]) << "the forced VSync is not stored";
    EXPECT_EQ(-1, written.WindowX());
    EXPECT_EQ(-1, written.WindowY());
    EXPECT_EQ(200u, testsupport::ReadFile(game.Game() + "SAVEDATA\\APP_CFG.DAT").size());
    EXPECT_FALSE(testsupport::FileExists(userCfg + ".new"));

    a.AppCfg().bytes[SettingsFiles::AppCfg::kRememberPosition] = 1;
    a.SaveSettings(0);
    ASSERT_EQ(kSettingsRead, ReadUserCfgFile(testsupport::ReadFile(userCfg), written));
    EXPECT_EQ(40, written.WindowX());
    EXPECT_EQ(50, written.WindowY());
}

TEST(GameSettings, ModeFiveNeverWrites) {
    GameFolder game("ModeFiveWrites");
    game.appSys[21] = 5;
    game.WriteFiles();
    GameApp app(game);
    ASSERT_EQ(0, app.app->Startup());
    DeleteFileA((game.Game() + "USER.CFG").c_str());
    app.app->SaveSettings(0);
    EXPECT_FALSE(testsupport::FileExists(game.Game() + "USER.CFG"));
    EXPECT_FALSE(testsupport::FileExists(game.Game() + "APP_CFG.DAT"));
}

const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

TEST(GameSettings, InstallValuesComeFromTheMachineKey) {
    GameFolder game("InstallValues");
    game.WriteFiles();
    testsupport::WriteFile(game.Game() + "SET_UP.IFG", testsupport::BuildSetUpFile("SorahaneTestInstall", 0));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\SorahaneTestInstall", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const BYTE info[2] = {9, 4};
    RegSetValueExA(key, "OrvInstallInfo", 0, REG_BINARY, info, sizeof(info));
    // 512 bytes without a NUL: the path ends inside its buffer.
    const std::string path(512, 'p');
    RegSetValueExA(key, "OrvInstallSrcPath", 0, REG_BINARY, reinterpret_cast<const BYTE*>(path.data()), 512);
    RegCloseKey(key);
    GameApp app(game);
    ASSERT_EQ(0, app.app->Startup());
    EXPECT_EQ(4, app.app->InstallInfo());
    EXPECT_EQ(path, app.app->InstallSourcePath());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\SorahaneTestInstall");
}

// The current user's SID as text, found here on its own.
std::string CurrentUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return std::string();
    std::uint8_t buffer[256] = {};
    DWORD size = sizeof(buffer);
    char* text = nullptr;
    std::string sid;
    if (GetTokenInformation(token, TokenUser, buffer, size, &size) &&
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
        sid = text;
        LocalFree(text);
    }
    CloseHandle(token);
    return sid;
}

// Writes the two install values under `root`\`prefix`...\Uninstall\`name`.
void WriteInstallKey(HKEY root, const std::string& prefix, const std::string& name, BYTE info,
                     const std::string& path) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, (prefix + kUninstallKey + name).c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const BYTE value[2] = {9, info};
    RegSetValueExA(key, "OrvInstallInfo", 0, REG_BINARY, value, sizeof(value));
    RegSetValueExA(key, "OrvInstallSrcPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>(path.size() + 1));
    RegCloseKey(key);
}

TEST(GameSettings, InstallValuesFollowTheScope) {
    const std::string sid = CurrentUserSid();
    ASSERT_FALSE(sid.empty());
    const std::string user = sid + "\\";
    const struct {
        const char* name;
        std::uint8_t scope;
        bool ntFamily;
        bool userKey;  // the installer also wrote the user's key
        std::uint8_t info;
        const char* path;
    } cases[] = {
        {"machine scope", 0, true, true, 4, "C:\\MACHINE"},
        {"user scope: the user's key", 1, true, true, 7, "D:\\USER"},
        {"user scope, no user's key: nothing, the machine's key is not asked", 1, true, false, 0, ""},
        {"user scope outside the NT family: the machine's key", 1, false, true, 4, "C:\\MACHINE"},
    };
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const std::string name = "SorahaneScope" + std::to_string(serial);
        GameFolder game("InstallScope" + std::to_string(serial++));
        game.WriteFiles();
        testsupport::WriteFile(game.Game() + "SET_UP.IFG", testsupport::BuildSetUpFile(name, row.scope));
        WriteInstallKey(HKEY_LOCAL_MACHINE, "", name, 4, "C:\\MACHINE");
        if (row.userKey) WriteInstallKey(HKEY_USERS, user, name, 7, "D:\\USER");
        GameApp app(game);
        if (!row.ntFamily) {
            app.parts.system.SetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, " A");
            app.Remake();
        }
        EXPECT_EQ(0, app.app->Startup());
        EXPECT_EQ(row.info, app.app->InstallInfo());
        EXPECT_EQ(row.path, app.app->InstallSourcePath());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kUninstallKey + name).c_str());
        RegDeleteKeyA(HKEY_USERS, (user + kUninstallKey + name).c_str());
    }
}

}  // namespace
}  // namespace gameapptest
