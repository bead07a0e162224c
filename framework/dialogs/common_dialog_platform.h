// The common-dialog calls behind FileDialog and BrowseForFolder, which tests replace to see
// what the wrappers pass without showing a dialog.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

struct CommonDialogPlatform {
    decltype(&GetOpenFileNameA) getOpenFileName;
    decltype(&GetSaveFileNameA) getSaveFileName;
    decltype(&SHBrowseForFolderA) browseForFolder;
};

CommonDialogPlatform DefaultCommonDialogPlatform();
// Installs `platform`; returns the one in use before.
CommonDialogPlatform SetCommonDialogPlatform(const CommonDialogPlatform& platform);
// The calls in use.
const CommonDialogPlatform& CurrentCommonDialogPlatform();
