// The settings sheet under Wine, driven on the test's thread: captions and the pages' texts
// from the resources, OK writing the block, Cancel restoring the movie volume, restore-defaults
// on its own page only, the page shown last, and key and button capture with scripted devices.
#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <memory>
#include <vector>

#include <commctrl.h>
#include <prsht.h>

#include "game/app/settings_records.h"
#include "game/dialogs/settings_applies.h"
#include "game/dialogs/settings_sheet.h"
#include "tests/support/dialog_driver.h"

namespace O = SettingsOffsets;
using testsupport::CurrentPage;
using testsupport::DialogDriver;
using testsupport::ItemText;

namespace {

// Codes handed out one per poll, then nothing.
class ScriptedDevice : public SettingsPageDevice {
public:
    explicit ScriptedDevice(std::deque<std::int32_t>* codes) : m_codes(codes) {}
    std::int32_t PollFirstPressed() override {
        if (m_codes->empty()) return -1;
        const std::int32_t code = m_codes->front();
        m_codes->pop_front();
        return code;
    }

private:
    std::deque<std::int32_t>* m_codes;
};

struct SheetFixture {
    DialogHost host;
    AppCfgBlock block;
    SettingsSheetContext context;
    std::deque<std::int32_t> keys;
    std::deque<std::int32_t> buttons;
    bool withJoystick = true;
    bool deleteDown = false;
    std::vector<std::int32_t> movieVolumes;
    int keyboardApplies = 0;
    int padApplies = 0;
    std::vector<int> enlargedMethods;
    std::vector<bool> topmost;

    SheetFixture() {
        host.title = "空羽";
        context.host = &host;
        context.block = block.bytes;
        context.makeKeyboard = [this] { return std::unique_ptr<SettingsPageDevice>(new ScriptedDevice(&keys)); };
        context.makeJoystick = [this] {
            return withJoystick ? std::unique_ptr<SettingsPageDevice>(new ScriptedDevice(&buttons)) : nullptr;
        };
        context.deleteDown = [this] { return deleteDown; };
        context.applyKeyboardBindings = [this] { ++keyboardApplies; };
        context.applyPadAndMouseBindings = [this] { ++padApplies; };
        context.setMovieVolume = [this](std::int32_t volume) { movieVolumes.push_back(volume); };
        context.monitors = {"Monitor A", "Monitor B"};
        context.applyEnlargedDrawing = [this](std::uint8_t method, const std::uint8_t*) {
            enlargedMethods.push_back(method);
        };
        context.setFullScreenTopmost = [this](bool on) { topmost.push_back(on); };
    }

    // Runs the sheet with one step (given the sheet window) and returns PropertySheet's result.
    INT_PTR Run(std::function<void(HWND sheet)> step) {
        DialogDriver driver;
        driver.Then([&](HWND sheet) {
            step(sheet);
            return true;
        });
        const INT_PTR result = RunSettingsSheet(context, nullptr);
        EXPECT_EQ(0, driver.ForcedClosed());
        return result;
    }
};

int PageIndex(HWND sheet) {
    return static_cast<int>(SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(CurrentPage(sheet)), 0));
}

void Tick(HWND page) { SendMessageA(page, WM_TIMER, 1, 0); }

TEST(SettingsSheet, CaptionButtonsAndPageTexts) {
    SheetFixture f;
    f.block.bytes[O::kLastPage] = 1;
    std::string caption, restore, tab, joystickText, wheelChoice;
    LONG exStyle = 0;
    int start = -1;
    f.Run([&](HWND sheet) {
        caption = testsupport::WindowText(sheet);
        restore = ItemText(sheet, kSheetRestoreDefaults);
        exStyle = GetWindowLongA(sheet, GWL_EXSTYLE);
        start = PageIndex(sheet);
        HWND page = CurrentPage(sheet);
        joystickText = ItemText(page, kPageCheck1068);
        wheelChoice = testsupport::ComboItem(page, kPageCombo1074, 6);
        testsupport::CloseDialog(sheet);
    });
    EXPECT_EQ("入力・その他設定", caption);
    EXPECT_EQ("デフォルト設定に戻す", restore);
    EXPECT_EQ(0, exStyle & WS_EX_CONTEXTHELP);
    EXPECT_EQ(1, start) << "opens on the page shown last";
    EXPECT_EQ("ジョイスティックを使用する", joystickText);
    EXPECT_EQ("ロード", wheelChoice);
    EXPECT_FALSE(f.context.applied);
}

TEST(SettingsSheet, OkWritesTheBlock) {
    SheetFixture f;
    f.block.bytes[O::kLastPage] = 3;
    f.block.bytes[O::kResolutionThroughDirectDraw] = 1;
    f.block.bytes[O::kEnlargedMethod] = 1;
    std::string monitor;
    f.Run([&](HWND sheet) {
        HWND window = CurrentPage(sheet);
        monitor = testsupport::ComboItem(window, kPageCombo1074, 2);
        testsupport::SetChecked(window, kPageChangeResolution + 2, true);
        testsupport::SelectCombo(window, kPageCombo1075, 2);
        testsupport::SelectCombo(window, kPageCombo1074, 1);
        testsupport::SelectSheetPage(sheet, 2);
        HWND other = CurrentPage(sheet);
        testsupport::SetItemText(other, 1055, "1234");
        testsupport::PressSheetButton(sheet, PSBTN_OK);
    });
    EXPECT_EQ("Monitor B", monitor);
    EXPECT_EQ(2, f.block.bytes[O::kResolutionThroughDirectDraw]) << "check + 1";
    EXPECT_EQ(3, f.block.bytes[O::kEnlargedMethod]) << "selection + 1";
    EXPECT_EQ(1, f.block.bytes[O::kMonitor]);
    EXPECT_EQ(1230, ReadInt32(f.block.bytes, O::kHintDelay)) << "multiples of 10 only";
    EXPECT_EQ(2, f.block.bytes[O::kLastPage]);
    EXPECT_TRUE(f.context.applied);
    EXPECT_TRUE(f.context.hintsChanged);
    EXPECT_EQ((std::vector<int>{3}), f.enlargedMethods);
    EXPECT_EQ((std::vector<bool>{true}), f.topmost);
    EXPECT_EQ(0, f.keyboardApplies) << "the keyboard page was never made";
}

TEST(SettingsSheet, DelayFieldClamps) {
    SheetFixture f;
    f.block.bytes[O::kLastPage] = 2;
    f.Run([&](HWND sheet) {
        testsupport::SetItemText(CurrentPage(sheet), 1055, "3005");
        testsupport::PressSheetButton(sheet, PSBTN_OK);
    });
    EXPECT_EQ(3000, ReadInt32(f.block.bytes, O::kHintDelay));
}

TEST(SettingsSheet, CancelRestoresTheMovieVolume) {
    SheetFixture f;
    f.block.bytes[O::kLastPage] = 2;
    WriteInt32(f.block.bytes, O::kMovieVolume, 200);
    f.Run([&](HWND sheet) {
        testsupport::SetItemText(CurrentPage(sheet), 1054, "100");
        testsupport::SetItemText(CurrentPage(sheet), 1054, "999");
        testsupport::PressSheetButton(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ((std::vector<std::int32_t>{100, 256, 200}), f.movieVolumes) << "tried at once, clamped, put back";
    EXPECT_EQ(200, ReadInt32(f.block.bytes, O::kMovieVolume));
    EXPECT_FALSE(f.context.applied);
}

TEST(SettingsSheet, RestoreDefaultsTouchesOnlyItsPage) {
    SheetFixture f;
    f.block.bytes[O::kLastPage] = 0;
    f.block.bytes[O::kKeys] = 16;
    f.block.bytes[O::kFastForwardKey] = 0;
    std::string before, after, modifier;
    int mouseChoice = -1;
    f.Run([&](HWND sheet) {
        HWND keyboard = CurrentPage(sheet);
        before = ItemText(keyboard, kPageFirstField);
        testsupport::SelectSheetPage(sheet, 1);
        testsupport::SelectCombo(CurrentPage(sheet), kPageCombo1074, 5);
        testsupport::SelectSheetPage(sheet, 0);
        testsupport::Click(sheet, kSheetRestoreDefaults);
        after = ItemText(keyboard, kPageFirstField);
        modifier = ItemText(keyboard, kPageModifierLabel);
        testsupport::SelectSheetPage(sheet, 1);
        mouseChoice = testsupport::ComboSelection(CurrentPage(sheet), kPageCombo1074);
        testsupport::PressSheetButton(sheet, PSBTN_OK);
    });
    EXPECT_EQ("Q", before);
    EXPECT_EQ("Z", after);
    EXPECT_EQ("Shift", modifier) << "Ctrl fast-forwards by default";
    EXPECT_EQ(5, mouseChoice) << "the mouse page keeps its change";
    EXPECT_EQ(44, f.block.bytes[O::kKeys]);
    EXPECT_EQ(1, f.block.bytes[O::kFastForwardKey]);
    EXPECT_EQ(5, f.block.bytes[O::kRightButton]);
    EXPECT_EQ(1, f.keyboardApplies);
    EXPECT_EQ(1, f.padApplies);
}

TEST(SettingsSheet, ReopensOnThePageShownLast) {
    SheetFixture f;
    f.block.bytes[O::kLastPage] = 0;
    f.Run([&](HWND sheet) {
        testsupport::SelectSheetPage(sheet, 3);
        testsupport::PressSheetButton(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(3, f.block.bytes[O::kLastPage]);
    int start = -1;
    f.Run([&](HWND sheet) {
        start = PageIndex(sheet);
        testsupport::PressSheetButton(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(3, start);
}

TEST(SettingsSheet, KeyboardPageCapturesKeys) {
    SheetFixture f;
    f.block.bytes[O::kLastPage] = 0;
    struct Seen {
        std::string field0, field1;
        bool focusMoved;
    };
    std::vector<Seen> seen;
    f.Run([&](HWND sheet) {
        HWND page = CurrentPage(sheet);
        HWND field0 = GetDlgItem(page, kPageFirstField);
        // Q; X (held by the next field); X again (the field's own); Delete; Ctrl (no name).
        for (std::int32_t code : {16, 45, 45, 211, 29}) {
            SetFocus(field0);
            f.keys.push_back(code);
            Tick(page);
            seen.push_back({ItemText(page, kPageFirstField), ItemText(page, kPageFirstField + 1), GetFocus() != field0});
        }
        // Focus elsewhere: a key does nothing.
        SetFocus(GetDlgItem(page, kPageCheck1068));
        f.keys.push_back(17);
        Tick(page);
        testsupport::PressSheetButton(sheet, PSBTN_OK);
    });
    ASSERT_EQ(5u, seen.size());
    EXPECT_EQ("Q", seen[0].field0);
    EXPECT_TRUE(seen[0].focusMoved);
    EXPECT_EQ("X", seen[1].field0);
    EXPECT_EQ("", seen[1].field1) << "taken from the other field";
    EXPECT_EQ("X", seen[2].field0);
    EXPECT_FALSE(seen[2].focusMoved) << "the same key is ignored";
    EXPECT_EQ("Delete", seen[3].field0) << "Delete is a key on the keyboard page";
    EXPECT_EQ("Delete", seen[4].field0);
    EXPECT_FALSE(seen[4].focusMoved);
    EXPECT_EQ(211, f.block.bytes[O::kKeys]);
    EXPECT_EQ(0, f.block.bytes[O::kKeys + 1]);
    EXPECT_EQ(30, f.block.bytes[O::kKeys + 2]) << "untouched";
    EXPECT_EQ(1, f.keyboardApplies);
}

TEST(SettingsSheet, MousePageCapturesButtonsAndDeleteEmpties) {
    SheetFixture f;
    f.block.bytes[O::kLastPage] = 1;
    f.block.bytes[O::kUseJoystick] = 1;
    f.block.bytes[O::kJoystickCodes + 1] = 6;
    std::vector<std::string> field0, field1;
    f.Run([&](HWND sheet) {
        HWND page = CurrentPage(sheet);
        HWND first = GetDlgItem(page, kPageFirstField);
        field1.push_back(ItemText(page, kPageFirstField + 1));
        for (std::int32_t code : {2, 6, 7}) {
            SetFocus(first);
            f.buttons.push_back(code);
            Tick(page);
            field0.push_back(ItemText(page, kPageFirstField));
            field1.push_back(ItemText(page, kPageFirstField + 1));
        }
        SetFocus(first);
        f.deleteDown = true;
        Tick(page);
        field0.push_back(ItemText(page, kPageFirstField));
        testsupport::PressSheetButton(sheet, PSBTN_OK);
    });
    EXPECT_EQ((std::vector<std::string>{"", "ボタン3", "ボタン4", ""}), field0) << "2 ignored, 6, 7, Delete";
    EXPECT_EQ((std::vector<std::string>{"ボタン3", "ボタン3", "", ""}), field1) << "6 moved away";
    EXPECT_EQ(0, f.block.bytes[O::kJoystickCodes]);
    EXPECT_EQ(0, f.block.bytes[O::kJoystickCodes + 1]);
    EXPECT_EQ(1, f.padApplies);
}

TEST(SettingsSheet, MousePageWithoutJoystick) {
    SheetFixture f;
    f.withJoystick = false;
    f.block.bytes[O::kLastPage] = 1;
    f.block.bytes[O::kJoystickCodes] = 9;
    bool checkEnabled = true, fieldEnabled = true;
    f.Run([&](HWND sheet) {
        HWND page = CurrentPage(sheet);
        checkEnabled = testsupport::IsItemEnabled(page, kPageCheck1068);
        fieldEnabled = testsupport::IsItemEnabled(page, kPageFirstField);
        testsupport::PressSheetButton(sheet, PSBTN_OK);
    });
    EXPECT_FALSE(checkEnabled);
    EXPECT_FALSE(fieldEnabled);
    EXPECT_EQ(9, f.block.bytes[O::kJoystickCodes]) << "codes are kept without a device";
}

TEST(SettingsSheet, WindowPageDefaultsFollowTheWindowsVersion) {
    for (bool major6 : {false, true}) {
        SCOPED_TRACE(major6);
        SheetFixture f;
        f.context.windowsMajor6 = major6;
        f.block.bytes[O::kLastPage] = 3;
        f.Run([&](HWND sheet) {
            testsupport::Click(sheet, kSheetRestoreDefaults);
            testsupport::PressSheetButton(sheet, PSBTN_OK);
        });
        EXPECT_EQ(major6 ? 1 : 2, f.block.bytes[O::kResolutionThroughDirectDraw]);
        EXPECT_EQ(major6 ? 1 : 2, f.block.bytes[O::kEnlargedMethod]);
        EXPECT_EQ(1, f.block.bytes[O::kTopmost]);
        EXPECT_EQ(0, f.block.bytes[O::kChangeResolution]);
    }
}

TEST(SettingsSheet, OtherPageWithoutDirectShow) {
    SheetFixture f;
    f.context.directShowPlugins = false;
    f.block.bytes[O::kLastPage] = 2;
    f.block.bytes[O::kPlayMovies] = 1;
    bool movies = true, volume = true, shown = false;
    f.Run([&](HWND sheet) {
        HWND page = CurrentPage(sheet);
        movies = testsupport::IsItemEnabled(page, kPagePlayMovies);
        volume = testsupport::IsItemEnabled(page, kPageTrackVolume);
        shown = testsupport::IsChecked(page, kPagePlayMovies);
        testsupport::PressSheetButton(sheet, PSBTN_CANCEL);
    });
    EXPECT_FALSE(movies);
    EXPECT_FALSE(volume);
    EXPECT_TRUE(shown);
}

TEST(SettingsKeyNames, Table) {
    const struct {
        std::int32_t code;
        const char* name;
    } rows[] = {
        {0, ""},    {1, "Esc"},   {11, "0"},         {12, "-"},         {13, ""},         {14, "BackSpace"},
        {15, ""},   {16, "Q"},    {25, "P"},         {26, "["},         {27, "]"},        {28, ""},
        {30, "A"},  {38, "L"},    {39, ";"},         {40, ":"},         {41, "]"},        {42, ""},
        {43, "\\"}, {44, "Z"},    {53, "/"},         {54, ""},          {55, "ﾃﾝｷｰ[*]"},  {56, ""},
        {57, "Space"}, {58, ""},  {63, ""},          {64, "F6"},        {68, "F10"},      {69, ""},
        {71, "ﾃﾝｷｰ[7]"}, {74, "ﾃﾝｷｰ[-]"}, {78, "ﾃﾝｷｰ[+]"}, {83, "ﾃﾝｷｰ[.]"}, {84, ""}, {87, "F11"},
        {88, "F12"}, {89, ""},    {156, ""},         {181, "ﾃﾝｷｰ[/]"},  {199, "Home"},    {200, ""},
        {201, "PageUp"}, {207, "End"}, {208, ""},    {209, "PageDown"}, {210, "Insert"},  {211, "Delete"},
        {212, ""},  {-1, ""},
    };
    for (const auto& row : rows) EXPECT_STREQ(row.name, KeyName(row.code)) << row.code;
    int named = 0;
    for (int code = 0; code < 212; ++code) named += KeyName(code)[0] != '\0' ? 1 : 0;
    EXPECT_EQ(77, named);
}

}  // namespace
