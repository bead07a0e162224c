#include "game/commands/app_routines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/command_doubles.h"

namespace {

using namespace testsupport;

TEST(PostMenuCommand, RequestsBecomeMessagesWhileTheirEntryIsEnabled) {
    struct Case {
        std::uint32_t request;
        UINT message;
        WPARAM command;
        int gate;  // 0 none, 1 the menu entry, 2 mode changes
    };
    const Case cases[] = {
        {0, WM_COMMAND, 40005, 1}, {1, WM_COMMAND, 40007, 1}, {2, WM_COMMAND, 40008, 1},
        {6, WM_COMMAND, 40002, 1}, {3, WM_CLOSE, 0, 0},       {4, WM_COMMAND, 40001, 2},
        {5, WM_COMMAND, 40004, 0},
    };
    for (const Case& c : cases) {
        for (bool enabled : {false, true}) {
            for (bool sendNow : {false, true}) {
                SCOPED_TRACE(testing::Message() << "request " << c.request << " enabled " << enabled
                                                << " sendNow " << sendNow);
                RecordingAppWindow window;
                if (enabled) {
                    for (std::uint32_t id : {40001u, 40002u, 40004u, 40005u, 40007u, 40008u}) {
                        window.enabled.push_back(id);
                    }
                    window.modeChangeAllowed = true;
                }
                ServicesScope scope(nullptr, nullptr, nullptr, &window);
                const bool goes = c.gate == 0 || enabled;
                EXPECT_EQ(goes ? 1 : 0, PostMenuCommand(c.request, sendNow, 0));
                ASSERT_EQ(goes ? 1u : 0u, window.messages.size());
                if (goes) {
                    EXPECT_EQ(sendNow, window.messages[0].sent);
                    EXPECT_EQ(c.message, window.messages[0].message);
                    EXPECT_EQ(c.command, window.messages[0].wParam);
                }
            }
        }
    }
}

// The dialog message takes a request record: a bare dialog id must never reach it.
TEST(PostMenuCommand, TheDialogRequestAndUnknownRequestsAreRefused) {
    RecordingAppWindow window;
    window.enabled = {40001, 40002, 40004, 40005, 40007, 40008};
    window.modeChangeAllowed = true;
    ServicesScope scope(nullptr, nullptr, nullptr, &window);
    for (std::uint32_t dialogId : {0u, 105u, 0x12345678u}) {
        for (bool sendNow : {false, true}) {
            EXPECT_EQ(0, PostMenuCommand(7, sendNow, dialogId));
        }
    }
    EXPECT_EQ(0, PostMenuCommand(8, true, 0));
    EXPECT_EQ(0, PostMenuCommand(0xFFFFFFFFu, false, 0));
    EXPECT_TRUE(window.messages.empty());
}

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "<not opened>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

TEST(CopyTextToClipboard, TextReadsBackTerminated) {
    ServicesScope scope(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(0, CopyTextToClipboard("whole text", 0));
    EXPECT_EQ("whole text", ClipboardText());
    // A count that is not a multiple of 4 and stops short of the terminator.
    const char longer[] = "abcdefgXYZ";
    EXPECT_EQ(0, CopyTextToClipboard(longer, 7));
    EXPECT_EQ("abcdefg", ClipboardText());
    EXPECT_EQ(1, CopyTextToClipboard(nullptr, 3));
}

TEST(SetPendingLoadFile, StoresACopyAndNullClears) {
    char path[] = "save\\x.dat";
    SetPendingLoadFile(path);
    std::strcpy(path, "changed");
    EXPECT_EQ("save\\x.dat", PendingLoadFile());
    SetPendingLoadFile(nullptr);
    EXPECT_EQ("", PendingLoadFile());
}

}  // namespace
