// Where the player's USER.CFG lies, by the application description's save-folder mode, as the
// game program decides it.
#pragma once

#include <string>

#include "configtool/settings/settings_records.h"
#include "configtool/settings/special_folders.h"

struct UserCfgLocation {
    // The save folder that must exist before USER.CFG is read there; empty when USER.CFG is
    // taken from the base folder.
    std::string saveFolder;
    // Absolute, or "USER.CFG" relative to the base folder.
    std::string userCfgPath;
    // False when the special folder the mode needs is unavailable.
    bool resolved = true;
};

// Player mode's rule; in developer mode USER.CFG is always "USER.CFG" in the base folder.
UserCfgLocation LocateUserCfg(const SettingsRecords& records, bool developerMode, SpecialFolderProvider& folders);
