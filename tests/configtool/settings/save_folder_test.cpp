#include "configtool/settings/save_folder.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include "tests/configtool/config_tool_fixture.h"

namespace {

using configtest::FakeFolders;

TEST(SaveFolderTest, ModesFollowTheGamesRules) {
    struct Case {
        const char* what;
        std::uint8_t mode;
        std::uint8_t switchByte;
        bool ownName;
        bool commonFolder;
        const char* saveFolder;
        const char* userCfg;
    } cases[] = {
        {"mode 0", 0, 0, false, true, "C:\\Docs\\Game SaveData", "C:\\Docs\\Game SaveData\\USER.CFG"},
        {"mode 0, own name", 0, 0, true, true, "C:\\Docs\\Own", "C:\\Docs\\Own\\USER.CFG"},
        {"mode 1", 1, 0, false, true, "", "USER.CFG"},
        {"mode 1 with the switch", 1, 1, false, true, "C:\\Docs\\Game SaveData", "C:\\Docs\\Game SaveData\\USER.CFG"},
        {"mode 2", 2, 0, false, true, "C:\\App\\Game SaveData", "C:\\App\\Game SaveData\\USER.CFG"},
        {"mode 2 with the switch", 2, 1, false, true, "C:\\App\\Game SaveData", "C:\\App\\Game SaveData\\USER.CFG"},
        {"mode 3", 3, 0, true, true, "C:\\App\\Own", "C:\\App\\Own\\USER.CFG"},
        {"mode 4", 4, 0, false, true, "C:\\All\\Game SaveData", "C:\\All\\Game SaveData\\USER.CFG"},
        {"mode 4, empty common folder", 4, 0, false, false, "C:\\App\\Game SaveData",
         "C:\\App\\Game SaveData\\USER.CFG"},
        {"mode 5", 5, 1, false, true, "", "USER.CFG"},
        {"mode 9", 9, 0, false, true, "", "USER.CFG"},
    };
    for (const Case& c : cases) {
        FakeFolders folders;
        folders.folders[CSIDL_PERSONAL] = "C:\\Docs";
        folders.folders[CSIDL_APPDATA] = "C:\\App\\";
        folders.folders[CSIDL_COMMON_APPDATA] = c.commonFolder ? "C:\\All" : "";
        SettingsRecords records;
        records.appSys[SettingsFiles::AppSys::kSaveFolderMode] = c.mode;
        records.appSys[SettingsFiles::AppSys::kSaveFolderSwitch] = c.switchByte;
        records.appInfStrings[0] = "Game";
        if (c.ownName) records.appInfStrings[4] = "Own";
        const UserCfgLocation location = LocateUserCfg(records, false, folders);
        EXPECT_TRUE(location.resolved) << c.what;
        EXPECT_EQ(c.saveFolder, location.saveFolder) << c.what;
        EXPECT_EQ(c.userCfg, location.userCfgPath) << c.what;
        EXPECT_EQ("USER.CFG", LocateUserCfg(records, true, folders).userCfgPath) << c.what;
    }
}

TEST(SaveFolderTest, AMissingSpecialFolderLeavesThePathUnresolved) {
    FakeFolders folders;
    SettingsRecords records;
    records.appSys[SettingsFiles::AppSys::kSaveFolderMode] = 0;
    EXPECT_FALSE(LocateUserCfg(records, false, folders).resolved);
    records.appSys[SettingsFiles::AppSys::kSaveFolderMode] = 1;
    EXPECT_TRUE(LocateUserCfg(records, false, folders).resolved);
}

}  // namespace
