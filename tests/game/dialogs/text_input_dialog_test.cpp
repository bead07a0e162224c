// The text-input dialog: the answer's check and cut, the four placements, and a run driven on
// the test's thread.
#include <gtest/gtest.h>

#include "game/dialogs/text_input_dialog.h"
#include "tests/support/dialog_driver.h"

using testsupport::DialogDriver;

namespace {

// "あ" and "い" in Shift-JIS.
const std::string kA = "\x82\xA0";
const std::string kI = "\x82\xA2";

TEST(TextInputFilter, CheckAndCut) {
    const struct {
        const char* name;
        std::string input;
        bool doubleByteOnly;
        std::uint8_t maxLength;
        std::string result;
    } rows[] = {
        {"kept as typed", "hello", false, 0, "hello"},
        {"empty allowed", "", false, 0, ""},
        {"cut to three letters", "hello", false, 3, "hel"},
        {"limit above the length", "hello", false, 9, "hello"},
        {"limit equal to the length", "hello", false, 5, "hello"},
        {"double-byte text", kA + kI, true, 0, kA + kI},
        {"a letter after a double-byte character", kA + "x", true, 0, ""},
        {"a letter first", "x" + kA, true, 0, ""},
        {"a lone last lead byte", kA + "\x82", true, 0, ""},
        {"a half-width katakana", kA + "\xB1", true, 0, ""},
        {"cut between characters", kA + kI, false, 2, kA},
        {"cut inside a character leaves it out", "x" + kA + kI, false, 2, "x"},
        {"cut inside the first character", kA, false, 1, ""},
        {"double-byte and cut inside a character", kA + kI, true, 3, kA},
        {"mixed text cut after a letter", "ab" + kA, false, 3, "ab"},
        {"a lone lead byte counts as one byte", "ab\x82", false, 0, "ab\x82"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.result, FilterTextInput(row.input, row.doubleByteOnly, row.maxLength));
    }
}

TEST(TextInputPlacement, FourPlacements) {
    const SIZE window = {200, 80};
    const RECT parent = {100, 50, 700, 550};
    const POINT client = {108, 80};
    const SIZE fullScreen = {1024, 740};
    const struct {
        const char* name;
        std::int32_t x, y, width;
        bool hasParent;
        POINT position;
        LONG cx;
        bool topmost;
    } rows[] = {
        {"centred on the parent", -1, -1, 0, true, {300, 260}, 200, false},
        {"one coordinate missing: centred", 30, -1, 0, true, {300, 260}, 200, false},
        {"centred on the screen", -1, -1, 0, false, {412, 330}, 200, true},
        {"at the parent's client point", 30, 40, 0, true, {138, 120}, 200, false},
        {"at a screen point", 30, 40, 0, false, {30, 40}, 200, true},
        {"wider, centred on the parent", -1, -1, 300, true, {250, 260}, 300, false},
        {"origin counts as given", 0, 0, 0, false, {0, 0}, 200, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TextInputRequest request;
        request.x = row.x;
        request.y = row.y;
        request.width = row.width;
        const TextInputPlacement place = PlaceTextInput(request, window, row.hasParent, parent, client, fullScreen);
        EXPECT_EQ(row.position.x, place.position.x);
        EXPECT_EQ(row.position.y, place.position.y);
        EXPECT_EQ(row.cx, place.size.cx);
        EXPECT_EQ(80, place.size.cy) << "the height is kept";
        EXPECT_EQ(row.topmost, place.topmost);
    }
}

TEST(TextInputRequests, SetupKeepsNullTexts) {
    TextInputRequest request;
    EXPECT_EQ(-1, request.x);
    EXPECT_EQ(-1, request.y);
    request.Setup("題", "問い", 1, 8, 1, 320, 5, 6);
    request.Setup(nullptr, nullptr, 0, 4, 0, 0, -1, -1);
    EXPECT_EQ("題", request.title);
    EXPECT_EQ("問い", request.prompt);
    EXPECT_EQ(4, request.maxLength);
    EXPECT_EQ(0, request.doubleByteOnly);
    request.Setup("", "", 0, 0, 0, 0, -1, -1);
    EXPECT_EQ("", request.title);
    EXPECT_EQ("", request.prompt);
}

TEST(TextInputDialogs, ShowsTheRequestAndKeepsTheCheckedAnswer) {
    DialogHost host;
    host.title = "空羽テスト";
    TextInputRequest request;
    request.Setup("名前の入力", "名前を入れてください", 0, 3, 0, 0, -1, -1);
    std::string prompt, initial, caption;
    bool openAfterEsc = false;
    int tick = 0;
    DialogDriver driver;
    driver.Then([&](HWND dialog) {
        if (tick++ == 0) {
            caption = testsupport::WindowText(dialog);
            prompt = testsupport::ItemText(dialog, kTextInputPrompt);
            initial = testsupport::ItemText(dialog, kTextInputField);
            // No cancel: Esc and the close box leave it open, to be seen on the next tick.
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            SendMessageA(dialog, WM_CLOSE, 0, 0);
            return false;
        }
        openAfterEsc = true;
        testsupport::SetItemText(dialog, kTextInputField, "hello");
        testsupport::Click(dialog, IDOK);
        return true;
    });
    EXPECT_TRUE(RunTextInputDialog(host, nullptr, request, "初期値"));
    EXPECT_EQ("名前の入力", caption);
    EXPECT_EQ("名前を入れてください", prompt);
    EXPECT_EQ("初期値", initial);
    EXPECT_TRUE(openAfterEsc);
    EXPECT_EQ("hel", request.result);
    EXPECT_EQ(0, driver.ForcedClosed());
}

TEST(TextInputDialogs, TemplateTextsAndWidth) {
    DialogHost host;
    TextInputRequest request;
    request.Setup("", "", 1, 0, 0, 320, 20, 30);
    std::string caption;
    RECT window = {}, field = {}, button = {};
    bool topmost = false;
    DialogDriver driver;
    driver.Then([&](HWND dialog) {
        caption = testsupport::WindowText(dialog);
        GetWindowRect(dialog, &window);
        GetWindowRect(GetDlgItem(dialog, kTextInputField), &field);
        GetWindowRect(GetDlgItem(dialog, IDOK), &button);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&button), 2);
        topmost = (GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        testsupport::SetItemText(dialog, kTextInputField, (kA + "x").c_str());
        testsupport::Click(dialog, IDOK);
        return true;
    });
    request.result = "old";
    EXPECT_TRUE(RunTextInputDialog(host, nullptr, request, nullptr));
    EXPECT_EQ("データ入力", caption) << "an empty title keeps the template's";
    EXPECT_EQ(20, window.left);
    EXPECT_EQ(30, window.top);
    EXPECT_EQ(320, window.right - window.left);
    EXPECT_EQ(304, field.right - field.left);
    EXPECT_EQ((320 - (button.right - button.left)) / 2, button.left);
    EXPECT_TRUE(topmost) << "no parent";
    EXPECT_EQ("", request.result) << "double-byte only";
}

}  // namespace
