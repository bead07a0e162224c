#include "framework/plugins/plugin_folder_scan.h"

#include <windows.h>

#include <cstring>

#include "framework/files/path_utilities.h"

std::int32_t ScanPluginFolder(const char* folder, const char* pattern,
                              const std::function<std::int32_t(const char* path)>& load) {
    char path[kPathCapacity];
    if (MakeFullPath(path, folder, nullptr) == 0) return -1;
    if (!EndsWithSeparator(path) && !AppendToPath(path, "\\")) return -1;
    const std::size_t folderLength = std::strlen(path);
    if (!AppendToPath(path, pattern)) return -1;

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    std::int32_t failures = 0;
    do {
        path[folderLength] = '\0';
        if (!AppendToPath(path, found.cFileName) || load(path) != 0) ++failures;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return failures;
}
