#include "framework/dialogs/browse_for_folder.h"

#include <cstring>

#include "framework/dialogs/common_dialog_platform.h"
#include "framework/files/path_utilities.h"

namespace {

int CALLBACK SelectStartFolder(HWND window, UINT message, LPARAM, LPARAM folder) {
    if (message == BFFM_INITIALIZED) SendMessageA(window, BFFM_SETSELECTIONA, TRUE, folder);
    return 0;
}

// The browser selects folders without a trailing separator, and drives with one ("C:\").
bool StartFolderForm(const char* folder, char* out) {
    if (!folder || MakeFullPath(out, folder, nullptr) == 0) return false;
    const std::size_t length = std::strlen(out);
    if (length > 3 && EndsWithSeparator(out)) out[length - 1] = '\0';
    else if (length < 3 && !AppendToPath(out, "\\")) return false;
    return true;
}

}  // namespace

bool BrowseForFolder(HWND owner, const char* title, const char* startFolder, char* outPath) {
    if (!outPath) return false;
    outPath[0] = '\0';
    char start[kPathCapacity];
    char displayName[MAX_PATH] = "";
    BROWSEINFOA info;
    std::memset(&info, 0, sizeof info);
    info.hwndOwner = owner;
    info.pszDisplayName = displayName;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    if (StartFolderForm(startFolder, start)) {
        info.lpfn = SelectStartFolder;
        info.lParam = reinterpret_cast<LPARAM>(start);
    }
    LPITEMIDLIST chosen = CurrentCommonDialogPlatform().browseForFolder(&info);
    if (!chosen) return false;
    const bool found = SHGetPathFromIDListA(chosen, outPath) != FALSE;
    CoTaskMemFree(chosen);
    if (!found) outPath[0] = '\0';
    return found;
}
