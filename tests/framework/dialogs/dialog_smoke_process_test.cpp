// The real open, save and folder dialogs open and are cancelled from a CBT hook as soon as
// they are activated.
#include <windows.h>
#include <commdlg.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "framework/dialogs/browse_for_folder.h"
#include "framework/dialogs/file_dialog.h"
#include "tests/framework/dialogs/dialog_test_support.h"

namespace {

TEST(FileDialogSmoke, TheRealOpenAndSaveDialogsOpenAndCancel) {
    for (bool save : {false, true}) {
        dialogtest::CancelOnActivate cancel;
        ASSERT_TRUE(cancel.Installed());
        const int activations = dialogtest::CancelOnActivate::Activations();
        char file[FileDialog::kFileCapacity] = "";
        char fileTitle[FileDialog::kFileTitleCapacity] = "";
        FileDialog dialog;
        bool chosen;
        {
            dialogtest::DialogWatchdog watchdog;
            chosen = save ? dialog.ShowSave(nullptr, "Save test", file, fileTitle, "C:\\", "All\t*.*\t\t", "txt")
                          : dialog.ShowOpen(nullptr, "Open test", file, fileTitle, "C:\\", "All\t*.*\t\t", true);
            EXPECT_FALSE(watchdog.Fired()) << "the dialog had to be closed by the watchdog";
        }
        EXPECT_FALSE(chosen) << (save ? "save" : "open");
        EXPECT_LT(activations, dialogtest::CancelOnActivate::Activations()) << "the dialog was shown";
        EXPECT_EQ(0u, CommDlgExtendedError());
    }
}

TEST(BrowseForFolderSmoke, TheRealBrowserOpensAndCancels) {
    CoInitialize(nullptr);
    {
        dialogtest::CancelOnActivate cancel;
        ASSERT_TRUE(cancel.Installed());
        const int activations = dialogtest::CancelOnActivate::Activations();
        char path[MAX_PATH] = "left over";
        bool chosen;
        {
            dialogtest::DialogWatchdog watchdog;
            chosen = BrowseForFolder(nullptr, "Browse test", "C:\\windows\\", path);
            EXPECT_FALSE(watchdog.Fired()) << "the browser had to be closed by the watchdog";
        }
        EXPECT_FALSE(chosen);
        EXPECT_STREQ("", path);
        EXPECT_LT(activations, dialogtest::CancelOnActivate::Activations()) << "the browser was shown";
    }
    CoUninitialize();
}

}  // namespace
