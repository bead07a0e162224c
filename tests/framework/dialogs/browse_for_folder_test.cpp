#include "framework/dialogs/browse_for_folder.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "framework/dialogs/common_dialog_platform.h"
#include "tests/framework/vfs_test_fixture.h"

namespace {

struct BrowseSeen {
    int calls = 0;
    UINT flags = 0;
    std::string title;
    bool hasCallback = false;
    std::string selected = "<none>";  // what the callback asked the browser to select
};
BrowseSeen g_seen;
LPITEMIDLIST g_answer = nullptr;

LRESULT CALLBACK BrowserWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == BFFM_SETSELECTIONA && wParam == TRUE) {
        g_seen.selected = reinterpret_cast<const char*>(lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Stands for the browser: lets the wrapper's callback select the start folder in a window of
// its own, then answers g_answer.
LPITEMIDLIST WINAPI FakeBrowse(LPBROWSEINFOA info) {
    ++g_seen.calls;
    g_seen.flags = info->ulFlags;
    g_seen.title = info->lpszTitle ? info->lpszTitle : "";
    g_seen.hasCallback = info->lpfn != nullptr;
    if (info->lpfn) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = BrowserWindow;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "FakeFolderBrowser";
        RegisterClassA(&windowClass);
        HWND window = CreateWindowA("FakeFolderBrowser", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, nullptr);
        info->lpfn(window, BFFM_INITIALIZED, 0, info->lParam);
        DestroyWindow(window);
    }
    return g_answer;
}

class BrowseForFolderTest : public VfsTestBase {
protected:
    void SetUp() override {
        VfsTestBase::SetUp();
        CommonDialogPlatform fake = DefaultCommonDialogPlatform();
        fake.browseForFolder = FakeBrowse;
        SetCommonDialogPlatform(fake);
        g_seen = BrowseSeen();
        g_answer = nullptr;
    }
    void TearDown() override {
        SetCommonDialogPlatform(DefaultCommonDialogPlatform());
        VfsTestBase::TearDown();
    }
};

TEST_F(BrowseForFolderTest, TheStartFolderIsSelectedInTheBrowsersForm) {
    const struct {
        const char* start;
        std::string selected;
    } cases[] = {
        {"C:", "C:\\"},
        {"C:\\", "C:\\"},
        {"C:\\games\\", "C:\\games"},
        {"C:\\games", "C:\\games"},
        {"saves\\", Game("saves")},
        // ソ is 0x83 0x5C: its second byte is no separator and stays.
        {"C:\\\x83\x5C", "C:\\\x83\x5C"},
        {"C:\\\x83\x5C\\", "C:\\\x83\x5C"},
        {nullptr, "<none>"},
    };
    for (const auto& c : cases) {
        g_seen = BrowseSeen();
        char path[MAX_PATH] = "left over";
        EXPECT_FALSE(BrowseForFolder(nullptr, "フォルダ", c.start, path)) << (c.start ? c.start : "null");
        EXPECT_EQ(c.selected, g_seen.selected) << (c.start ? c.start : "null");
        EXPECT_EQ(c.start != nullptr, g_seen.hasCallback);
        EXPECT_STREQ("", path) << "cancelled";
        EXPECT_EQ(static_cast<UINT>(BIF_RETURNONLYFSDIRS), g_seen.flags);
        EXPECT_EQ("フォルダ", g_seen.title);
    }
    char path[MAX_PATH] = "";
    EXPECT_FALSE(BrowseForFolder(nullptr, "", std::string(300, 'd').c_str(), path));
    EXPECT_FALSE(g_seen.hasCallback) << "a start folder that does not resolve is left out";
}

TEST_F(BrowseForFolderTest, TheChosenFolderComesBackAsAPath) {
    const std::string chosen = m_folder.File("chosen");
    ASSERT_TRUE(CreateDirectoryA(chosen.c_str(), nullptr));
    // The wrapper frees the item list with the shell's allocator, as it would the browser's.
    g_answer = ILCreateFromPathA(chosen.c_str());
    ASSERT_NE(nullptr, g_answer);
    char path[MAX_PATH] = "";
    EXPECT_TRUE(BrowseForFolder(nullptr, "", "C:\\", path));
    EXPECT_EQ(chosen, path);
}

}  // namespace
