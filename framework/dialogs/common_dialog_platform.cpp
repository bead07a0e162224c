#include "framework/dialogs/common_dialog_platform.h"

namespace {

CommonDialogPlatform g_platform = DefaultCommonDialogPlatform();

}  // namespace

CommonDialogPlatform DefaultCommonDialogPlatform() {
    return CommonDialogPlatform{GetOpenFileNameA, GetSaveFileNameA, SHBrowseForFolderA};
}

CommonDialogPlatform SetCommonDialogPlatform(const CommonDialogPlatform& platform) {
    const CommonDialogPlatform previous = g_platform;
    g_platform = platform;
    return previous;
}

const CommonDialogPlatform& CurrentCommonDialogPlatform() { return g_platform; }
