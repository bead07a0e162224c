#include "configtool/settings/save_folder.h"

#include <windows.h>
#include <shlobj.h>

#include "framework/files/path_utilities.h"

using namespace SettingsFiles;

namespace {

std::string SpecialFolder(SpecialFolderProvider& folders, std::int32_t csidl) {
    char buffer[MAX_PATH] = "";
    if (!folders.GetSpecialFolderPath(buffer, csidl)) return std::string();
    return buffer;
}

}  // namespace

UserCfgLocation LocateUserCfg(const SettingsRecords& records, bool developerMode, SpecialFolderProvider& folders) {
    UserCfgLocation location;
    location.userCfgPath = kUserCfgName;
    if (developerMode) return location;
    std::uint8_t mode = records.SaveFolderMode();
    // As in the game program, the switch moves only the saves beside the program into the
    // documents folder; the player's own folder of mode 2 keeps USER.CFG in application data.
    if (records.appSys[AppSys::kSaveFolderSwitch] != 0 && mode == kSaveBesideProgram) mode = kSaveInDocuments;
    std::string special;
    switch (mode) {
        case kSaveInDocuments: special = SpecialFolder(folders, CSIDL_PERSONAL); break;
        case kSaveInChosenFolder:
        case kSaveInAppData: special = SpecialFolder(folders, CSIDL_APPDATA); break;
        case kSaveInCommonAppData:
            special = SpecialFolder(folders, CSIDL_COMMON_APPDATA);
            if (special.empty()) special = SpecialFolder(folders, CSIDL_APPDATA);
            break;
        default: return location;
    }
    if (special.empty()) {
        location.resolved = false;
        return location;
    }
    const std::string& ownName = records.appInfStrings[AppInf::kSaveFolderName];
    const std::string name = !ownName.empty() ? ownName : records.Title() + kSaveDataSuffix;
    location.saveFolder = special;
    if (!EndsWithSeparator(location.saveFolder.c_str())) location.saveFolder += '\\';
    location.saveFolder += name;
    location.userCfgPath = location.saveFolder + "\\" + kUserCfgName;
    return location;
}
