#include "configtool/settings/special_folders.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

bool ShellSpecialFolders::GetSpecialFolderPath(char* buffer, std::int32_t csidl) {
    char path[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return false;
    std::memcpy(buffer, path, std::strlen(path) + 1);
    return true;
}
