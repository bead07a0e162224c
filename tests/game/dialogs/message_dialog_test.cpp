// The game's message dialogs, driven on the test's thread: answers and the "do not show again"
// flag of the four kinds, captions and texts from the program's resources, and the fit to the
// text with injected measurements.
#include <gtest/gtest.h>

#include "game/dialogs/message_dialog.h"
#include "tests/support/dialog_driver.h"

using testsupport::Click;
using testsupport::DialogDriver;

namespace {

RECT ClientRectOf(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

struct Layout {
    RECT text, button1, button2, check, frame, window;
};

Layout Measure(HWND dialog) {
    Layout l = {};
    l.text = ClientRectOf(dialog, kMessageText);
    l.button1 = ClientRectOf(dialog, IDOK);
    l.button2 = ClientRectOf(dialog, IDCANCEL);
    l.check = ClientRectOf(dialog, kMessageCheck);
    l.frame = ClientRectOf(dialog, kMessageFrame);
    GetWindowRect(dialog, &l.window);
    return l;
}

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

DialogHost TestHost() {
    DialogHost host;
    host.title = "空羽テスト";
    return host;
}

enum Action { kPressOk, kPressNo, kCloseBox };

const struct AnswerCase {
    const char* name;
    std::uint8_t kind;
    bool tick;
    Action action;
    std::int32_t answer;
    // 7: left as it was.
    std::uint8_t flag;
} kAnswers[] = {
    {"OK", 0, false, kPressOk, 0, 7},
    {"OK closed", 0, false, kCloseBox, 0, 7},
    {"OK with box ticked", 1, true, kPressOk, 0, 1},
    {"OK with box clear", 1, false, kPressOk, 0, 0},
    {"OK with box closed ticked", 1, true, kCloseBox, 0, 1},
    {"yes", 2, false, kPressOk, 1, 7},
    {"no", 2, false, kPressNo, 0, 7},
    {"question closed", 2, false, kCloseBox, 0, 7},
    {"yes with box ticked", 3, true, kPressOk, 1, 1},
    {"yes with box clear", 3, false, kPressOk, 1, 0},
    {"no with box ticked", 3, true, kPressNo, 0, 0},
    {"question closed ticked", 3, true, kCloseBox, 0, 0},
};

TEST(MessageDialogs, AnswersAndDoNotShowAgain) {
    const DialogHost host = TestHost();
    for (const AnswerCase& row : kAnswers) {
        SCOPED_TRACE(row.name);
        std::uint8_t flag = 7;
        DialogDriver driver;
        driver.Then([&](HWND dialog) {
            if (row.tick) {
                CheckDlgButton(dialog, kMessageCheck, BST_CHECKED);
                Click(dialog, kMessageCheck);
            }
            switch (row.action) {
            case kPressOk: Click(dialog, IDOK); break;
            case kPressNo: Click(dialog, IDCANCEL); break;
            case kCloseBox: SendMessageA(dialog, WM_CLOSE, 0, 0); break;
            }
            return true;
        });
        EXPECT_EQ(row.answer, RunMessageDialog(host, nullptr, row.kind, "本文", nullptr, &flag, false));
        EXPECT_EQ(row.flag, flag);
        EXPECT_EQ(1, driver.Opened());
        EXPECT_EQ(0, driver.ForcedClosed());
    }
}

TEST(MessageDialogs, EscDoesNotCloseAnOkDialog) {
    const DialogHost host = TestHost();
    DialogDriver driver;
    bool stillOpen = false;
    int tick = 0;
    driver.Then([&](HWND dialog) {
        // Esc now; on the next tick the dialog is still there.
        if (tick++ == 0) {
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return false;
        }
        stillOpen = true;
        Click(dialog, IDOK);
        return true;
    });
    EXPECT_EQ(0, RunMessageDialog(host, nullptr, 0, "本文", nullptr, nullptr, false));
    EXPECT_TRUE(stillOpen);
}

TEST(MessageDialogs, TextsCaptionsAndButtonsFromTheResources) {
    const DialogHost host = TestHost();
    DialogDriver driver;
    std::string check, yes, no, text;
    driver.ThenClose([&](HWND dialog) {
        check = testsupport::ItemText(dialog, kMessageCheck);
        yes = testsupport::ItemText(dialog, IDOK);
        no = testsupport::ItemText(dialog, IDCANCEL);
        text = testsupport::ItemText(dialog, kMessageText);
    });
    driver.ThenClose();
    RunMessageDialog(host, nullptr, 3, "続けますか？", nullptr, nullptr, false);
    RunMessageDialog(host, nullptr, 0, "本文", "独自の題", nullptr, false);
    EXPECT_EQ("今後、このメッセージを表示しない", check);
    EXPECT_EQ("はい", yes);
    EXPECT_EQ("いいえ", no);
    EXPECT_EQ("続けますか？", text);
    ASSERT_EQ(2, driver.Opened());
    EXPECT_EQ("空羽テスト", driver.Captions()[0]) << "no caption: the application title";
    EXPECT_EQ("独自の題", driver.Captions()[1]);
}

TEST(MessageDialogs, RefusedWithoutText) {
    const DialogHost host = TestHost();
    DialogDriver driver;
    EXPECT_EQ(-1, RunMessageDialog(host, nullptr, 2, nullptr, nullptr, nullptr, false));
    EXPECT_EQ(-1, RunMessageDialog(host, nullptr, 4, "本文", nullptr, nullptr, false));
    EXPECT_EQ(0, driver.Opened());
}

TEST(MessageFit, Plans) {
    const RECT text = {10, 20, 110, 40};  // 100 x 20
    const struct {
        const char* name;
        TextExtent extent;
        RECT placed;
        std::int32_t dx, dy;
    } rows[] = {
        {"one narrow line moves down by half its height", {1, 60, 14}, {10, 27, 110, 40}, 0, 0},
        {"one wide line widens and moves down", {1, 130, 14}, {10, 27, 140, 40}, 30, 0},
        {"two lines stay in place", {2, 90, 28}, {10, 20, 110, 40}, 0, 0},
        {"three lines grow downwards", {3, 90, 42}, {10, 20, 110, 62}, 0, 22},
        {"three wide lines grow both ways", {3, 150, 42}, {10, 20, 160, 62}, 50, 22},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const MessageFit fit = PlanMessageFit(text, row.extent);
        EXPECT_EQ(row.placed.left, fit.text.left);
        EXPECT_EQ(row.placed.top, fit.text.top);
        EXPECT_EQ(row.placed.right, fit.text.right);
        EXPECT_EQ(row.placed.bottom, fit.text.bottom);
        EXPECT_EQ(row.dx, fit.dx);
        EXPECT_EQ(row.dy, fit.dy);
    }
}

// The fitted dialog against the same dialog unfitted, with the text measured as injected.
TEST(MessageFit, OpenDialogFollowsItsText) {
    DialogHost host = TestHost();
    Layout plain = {};
    {
        DialogDriver driver;
        driver.ThenClose([&](HWND dialog) { plain = Measure(dialog); });
        RunMessageDialog(host, nullptr, 3, "本文", nullptr, nullptr, false);
    }
    const LONG w = Width(plain.text);
    const LONG h = Height(plain.text);
    const struct {
        const char* name;
        TextExtent extent;
        LONG dx, dy, down;
    } rows[] = {
        {"one line", {1, w / 2, 14}, 0, 0, 7},
        {"a wide line", {1, w + 40, 14}, 40, 0, 7},
        {"three lines", {3, w - 10, h + 24}, 0, 24, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        host.measure = [&](HWND, const char*, TextExtent& extent) {
            extent = row.extent;
            return true;
        };
        Layout fitted = {};
        DialogDriver driver;
        driver.ThenClose([&](HWND dialog) { fitted = Measure(dialog); });
        RunMessageDialog(host, nullptr, 3, "本文", nullptr, nullptr, true);
        EXPECT_EQ(plain.text.top + row.down, fitted.text.top);
        EXPECT_EQ(w + row.dx, Width(fitted.text));
        EXPECT_EQ(plain.text.bottom + row.dy, fitted.text.bottom);
        for (auto pair : {std::make_pair(plain.button1, fitted.button1), std::make_pair(plain.button2, fitted.button2),
                          std::make_pair(plain.check, fitted.check)}) {
            EXPECT_EQ(pair.first.left + row.dx / 2, pair.second.left);
            EXPECT_EQ(pair.first.top + row.dy, pair.second.top);
        }
        EXPECT_EQ(Width(plain.frame) + row.dx, Width(fitted.frame));
        EXPECT_EQ(Height(plain.frame) + row.dy, Height(fitted.frame));
        EXPECT_EQ(Width(plain.window) + row.dx, Width(fitted.window));
        EXPECT_EQ(Height(plain.window) + row.dy, Height(fitted.window));
    }
}

TEST(MessageFit, NoFontLeavesTheDialog) {
    DialogHost host = TestHost();
    Layout plain = {}, fitted = {};
    {
        DialogDriver driver;
        driver.ThenClose([&](HWND dialog) { plain = Measure(dialog); });
        RunMessageDialog(host, nullptr, 0, "本文", nullptr, nullptr, false);
    }
    host.measure = [](HWND, const char*, TextExtent&) { return false; };
    DialogDriver driver;
    driver.ThenClose([&](HWND dialog) { fitted = Measure(dialog); });
    RunMessageDialog(host, nullptr, 0, "本文", nullptr, nullptr, true);
    EXPECT_EQ(plain.text.top, fitted.text.top);
    EXPECT_EQ(Height(plain.text), Height(fitted.text));
    EXPECT_EQ(Width(plain.window), Width(fitted.window));
}

// The real measurement: a three-line text has three lines and a height of about three one-line
// heights (whatever font the machine substitutes).
TEST(MessageFit, GdiMeasurementCountsLines) {
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    TextExtent one, three;
    ASSERT_TRUE(MeasureMessageText(window, "あいう", one));
    ASSERT_TRUE(MeasureMessageText(window, "あ\nい\nう", three));
    DestroyWindow(window);
    EXPECT_EQ(1, one.lines);
    EXPECT_EQ(3, three.lines);
    EXPECT_GT(one.width, 0);
    EXPECT_EQ(3 * one.height, three.height);
}

}  // namespace
