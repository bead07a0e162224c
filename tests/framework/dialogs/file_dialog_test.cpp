#include "framework/dialogs/file_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/dialogs/common_dialog_platform.h"
#include "tests/framework/vfs_test_fixture.h"

namespace {

// What the fake dialog was handed, copied while it was valid.
struct Seen {
    int calls = 0;
    OPENFILENAMEA dialog = {};
    std::string filter;  // up to and with its closing double NUL
    std::string initialFolder;
    std::string file;
    std::string fileTitle;
    DWORD filterIndexIn = 0;
};
Seen g_seen;
BOOL g_answer = TRUE;
DWORD g_chosenIndex = 0;

BOOL WINAPI FakeDialog(LPOPENFILENAMEA dialog) {
    ++g_seen.calls;
    g_seen.dialog = *dialog;
    g_seen.filter.clear();
    if (dialog->lpstrFilter) {
        const char* p = dialog->lpstrFilter;
        for (std::size_t i = 0; i < 1024; ++i) {
            g_seen.filter += p[i];
            if (i > 0 && p[i] == '\0' && p[i - 1] == '\0') break;
        }
    }
    g_seen.initialFolder = dialog->lpstrInitialDir ? dialog->lpstrInitialDir : "<none>";
    g_seen.file = dialog->lpstrFile;
    g_seen.fileTitle = dialog->lpstrFileTitle;
    g_seen.filterIndexIn = dialog->nFilterIndex;
    dialog->nFilterIndex = g_chosenIndex;
    return g_answer;
}

class FileDialogTest : public VfsTestBase {
protected:
    void SetUp() override {
        VfsTestBase::SetUp();
        CommonDialogPlatform fake = DefaultCommonDialogPlatform();
        fake.getOpenFileName = FakeDialog;
        fake.getSaveFileName = FakeDialog;
        SetCommonDialogPlatform(fake);
        g_seen = Seen();
        g_answer = TRUE;
        g_chosenIndex = 0;
        std::strcpy(m_file, "proposed.sav");
        std::strcpy(m_fileTitle, "left over");
    }
    void TearDown() override {
        SetCommonDialogPlatform(DefaultCommonDialogPlatform());
        VfsTestBase::TearDown();
    }

    char m_file[FileDialog::kFileCapacity];
    char m_fileTitle[FileDialog::kFileTitleCapacity];
};

TEST_F(FileDialogTest, OpenPassesTheDialogItsFieldsAndFilterPairs) {
    FileDialog dialog;
    HWND owner = reinterpret_cast<HWND>(0x1234);
    EXPECT_TRUE(dialog.ShowOpen(owner, "開く", m_file, m_fileTitle, "saves", "画像\t*.bmp;*.elg\tAll\t*.*\t\t", true));
    ASSERT_EQ(1, g_seen.calls);
    const OPENFILENAMEA& seen = g_seen.dialog;
    EXPECT_EQ(76u, seen.lStructSize);
    EXPECT_EQ(owner, seen.hwndOwner);
    EXPECT_EQ(m_file, seen.lpstrFile);
    EXPECT_EQ(260u, seen.nMaxFile);
    EXPECT_EQ(m_fileTitle, seen.lpstrFileTitle);
    EXPECT_EQ(256u, seen.nMaxFileTitle);
    EXPECT_EQ(static_cast<DWORD>(OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT), seen.Flags);
    EXPECT_STREQ("開く", seen.lpstrTitle);
    EXPECT_EQ(nullptr, seen.lpstrDefExt);
    EXPECT_EQ(std::string("画像\0*.bmp;*.elg\0All\0*.*\0\0", 4 + 1 + 11 + 4 + 4 + 2), g_seen.filter);
    EXPECT_EQ(Game("saves"), g_seen.initialFolder);
    EXPECT_EQ("", g_seen.file) << "the clear flag empties the file name";
    EXPECT_EQ("", g_seen.fileTitle);

    g_answer = FALSE;
    std::strcpy(m_file, "proposed.sav");
    EXPECT_FALSE(dialog.ShowOpen(owner, "開く", m_file, m_fileTitle, nullptr, nullptr, false));
    EXPECT_EQ("proposed.sav", g_seen.file) << "without the flag the name is proposed";
    EXPECT_EQ("<none>", g_seen.initialFolder);
    EXPECT_EQ("", g_seen.filter);
}

TEST_F(FileDialogTest, SaveAddsTheDefaultExtensionAndKeepsTheProposedName) {
    FileDialog dialog;
    EXPECT_TRUE(dialog.ShowSave(nullptr, "保存", m_file, m_fileTitle, "C:\\", "Save\t*.sav", "sav"));
    EXPECT_STREQ("sav", g_seen.dialog.lpstrDefExt);
    EXPECT_EQ("proposed.sav", g_seen.file);
    EXPECT_EQ("", g_seen.fileTitle);
    EXPECT_EQ("C:\\", g_seen.initialFolder);
    EXPECT_EQ(static_cast<DWORD>(OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT), g_seen.dialog.Flags);
    EXPECT_EQ(std::string("Save\0*.sav\0\0", 12), g_seen.filter) << "closing tabs left out";
}

TEST_F(FileDialogTest, TheCallersFilterIsNeverWrittenTo) {
    FileDialog dialog;
    // A literal lies in read-only memory: converting it in place would fault.
    static const char kConstantFilter[] = "Text\t*.txt\t\t";
    EXPECT_TRUE(dialog.ShowOpen(nullptr, nullptr, m_file, m_fileTitle, nullptr, kConstantFilter, false));
    EXPECT_EQ(std::string("Text\0*.txt\0\0", 12), g_seen.filter);
    char buffer[] = "Data\t*.dat";
    EXPECT_TRUE(dialog.ShowOpen(nullptr, nullptr, m_file, m_fileTitle, nullptr, buffer, false));
    EXPECT_STREQ("Data\t*.dat", buffer);
    EXPECT_EQ(std::string("Data\0*.dat\0\0", 12), g_seen.filter);
}

TEST_F(FileDialogTest, AnInitialFolderThatDoesNotResolveIsLeftOut) {
    FileDialog dialog;
    dialog.ShowOpen(nullptr, nullptr, m_file, m_fileTitle, std::string(300, 'f').c_str(), nullptr, false);
    EXPECT_EQ("<none>", g_seen.initialFolder);
}

TEST_F(FileDialogTest, TheFilterIndexIsWhatTheLastDialogLeft) {
    FileDialog dialog;
    EXPECT_EQ(0, dialog.GetFilterIndex());
    g_chosenIndex = 2;
    dialog.ShowOpen(nullptr, nullptr, m_file, m_fileTitle, nullptr, "A\t*.a\tB\t*.b", false);
    EXPECT_EQ(2, dialog.GetFilterIndex());
    g_chosenIndex = 1;
    dialog.ShowSave(nullptr, nullptr, m_file, m_fileTitle, nullptr, "A\t*.a\tB\t*.b", nullptr);
    EXPECT_EQ(2u, g_seen.filterIndexIn) << "the next dialog starts at the last choice";
    EXPECT_EQ(1, dialog.GetFilterIndex());
}

TEST(FileDialogFilter, TabsBecomeNulsWithTwoAtTheEnd) {
    const struct {
        const char* filter;
        std::string dialogForm;
    } cases[] = {
        {"A\t*.a\t\t", std::string("A\0*.a\0\0", 7)},
        {"A\t*.a\t", std::string("A\0*.a\0\0", 7)},
        {"A\t*.a", std::string("A\0*.a\0\0", 7)},
        {"", std::string("\0\0", 2)},
        // ソ ends in 0x5C and 表 in 0x5C too: the pairs are copied whole.
        {"\x83\x5C\x95\x5C\t*.x", std::string("\x83\x5C\x95\x5C\0*.x\0\0", 10)},
    };
    for (const auto& c : cases) {
        const std::vector<char> converted = ConvertDialogFilter(c.filter);
        EXPECT_EQ(c.dialogForm, std::string(converted.begin(), converted.end())) << c.filter;
    }
}

}  // namespace
