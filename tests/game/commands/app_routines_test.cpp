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

namespace {

class FakeGlide : public CursorGlidePort {
public:
    bool GlideSettingOn() override { return settingOn; }
    POINT CursorGamePoint() override { return cursor; }
    SIZE GameSize() override { return SIZE{640, 480}; }
    std::int32_t StartGlide(std::int32_t x, std::int32_t y, std::uint32_t duration, std::uint8_t mode,
                            ScheduledTask** started) override {
        starts.push_back({x, y, static_cast<std::int32_t>(duration), mode});
        *started = startResult == 0 ? task : nullptr;
        return startResult;
    }

    bool settingOn = true;
    POINT cursor{10, 10};
    std::int32_t startResult = 0;
    ScheduledTask* task = reinterpret_cast<ScheduledTask*>(0x5000);
    std::vector<std::vector<std::int32_t>> starts;
};

TEST(StartCursorGlide, CornerSettingAndStartResults) {
    struct Case {
        const char* name;
        bool force, settingOn;
        POINT cursor;
        std::int32_t startResult;
        std::int32_t result;
        bool started;
        std::uint32_t outWord;
    };
    const Case cases[] = {
        {"started: the task in the out word", false, true, {10, 10}, 0, 0, true, 0x5000},
        // As the routine has always done: a pointer resting in the corner is left alone.
        {"pointer at the corner", false, true, {639, 479}, 0, 0, false, 0xAAAA},
        {"corner with force", true, true, {639, 479}, 0, 0, true, 0x5000},
        {"one off the corner", false, true, {639, 478}, 0, 0, true, 0x5000},
        {"setting off", true, false, {10, 10}, 0, 0, false, 0xAAAA},
        {"refused", false, true, {10, 10}, 2, 2, true, 0},
        {"inactive window", false, true, {10, 10}, -1, -1, true, 0},
        {"no scheduler", false, true, {10, 10}, 1, 1, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeGlide glide;
        glide.settingOn = c.settingOn;
        glide.cursor = c.cursor;
        glide.startResult = c.startResult;
        ServicesScope scope(nullptr, nullptr, nullptr, nullptr);
        Services().glide = &glide;
        std::uint32_t out = 0xAAAA;
        EXPECT_EQ(c.result, StartCursorGlide(30, 40, 500, c.force, 2, WordOf(&out)));
        EXPECT_EQ(c.outWord, out);
        ASSERT_EQ(c.started ? 1u : 0u, glide.starts.size());
        if (c.started) {
            EXPECT_EQ((std::vector<std::int32_t>{30, 40, 500, 2}), glide.starts[0]);
        }
    }
    // No out word wanted.
    FakeGlide glide;
    ServicesScope scope(nullptr, nullptr, nullptr, nullptr);
    Services().glide = &glide;
    EXPECT_EQ(0, StartCursorGlide(1, 2, 3, false, 0, 0));
}

}  // namespace
