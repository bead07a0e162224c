// The keyboard page and the mouse and joystick page of the settings sheet.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstring>

#include "game/dialogs/settings_applies.h"
#include "game/dialogs/settings_sheet_pages.h"

namespace O = SettingsOffsets;

namespace settingspages {

namespace {

// The default keys of actions 4..17.
constexpr std::uint8_t kDefaultKeys[kPageActionCount] = {44, 45, 30, 65, 66, 67, 68, 57, 50, 46, 210, 31, 14, 20};
const char* const kMouseChoices[7] = {"割り当て無し", "システムメニュー", "ウィンドウを消去", "オートプレイ",
                                      "次の選択肢までスキップ", "セーブ", "ロード"};

struct InputPage {
    SettingsSheetContext* context = nullptr;
    std::uint8_t codes[kPageActionCount] = {};
    std::unique_ptr<SettingsPageDevice> device;
    bool deleteWasDown = false;
};

InputPage* PageOf(HWND page) { return reinterpret_cast<InputPage*>(GetWindowLongPtrA(page, DWLP_USER)); }

InputPage* Attach(HWND page, LPARAM lParam) {
    auto* state = new InputPage;
    state->context = ContextOf(lParam);
    SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    return state;
}

void Detach(HWND page) {
    KillTimer(page, kPollTimer);
    delete PageOf(page);
    SetWindowLongPtrA(page, DWLP_USER, 0);
}

void StartTimer(HWND page, const InputPage& state) {
    if (state.device) SetTimer(page, kPollTimer, kPollMs, nullptr);
}

// Takes `code` into the focused field `index`, out of any other field that held it.
void Assign(HWND page, InputPage& state, int index, std::uint8_t code, const char* text, HWND focus) {
    for (int i = 0; i < kPageActionCount; ++i) {
        if (i == index || state.codes[i] != code) continue;
        state.codes[i] = 0;
        SetDlgItemTextA(page, kPageFirstField + i, "");
    }
    state.codes[index] = code;
    SetDlgItemTextA(page, kPageFirstField + index, text);
    FocusNext(page, focus);
}

INT_PTR FieldColour(HWND page, WPARAM wParam, LPARAM lParam, bool windowLook) {
    if (!windowLook || !IsPageField(page, reinterpret_cast<HWND>(lParam), nullptr)) return FALSE;
    SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
}

// Keyboard page.

void ShowModifier(HWND page, bool shiftFastForwards) {
    // The quick-save modifier is the key that does not fast-forward.
    SetDlgItemTextA(page, kPageModifierLabel, shiftFastForwards ? "Ctrl" : "Shift");
}

void ShowKeys(HWND page, const InputPage& state) {
    for (int i = 0; i < kPageActionCount; ++i) SetDlgItemTextA(page, kPageFirstField + i, KeyName(state.codes[i]));
}

void InitKeyboard(HWND page, InputPage& state) {
    SettingsSheetContext& context = *state.context;
    PrepareSheet(context, page);
    const std::uint8_t* block = context.block;
    std::memcpy(state.codes, block + O::kKeys, kPageActionCount);
    ShowKeys(page, state);
    const bool shift = block[O::kFastForwardKey] == 0;
    CheckRadioButton(page, kPageRadioFirst, kPageRadioSecond, shift ? kPageRadioFirst : kPageRadioSecond);
    Check(page, kPageCheck1068, block[O::kKeepUnreadSlow] != 0);
    ShowModifier(page, shift);
    if (context.makeKeyboard) state.device = context.makeKeyboard();
    StartTimer(page, state);
}

void PollKeyboard(HWND page, InputPage& state) {
    if (!state.device) return;
    const std::int32_t code = state.device->PollFirstPressed();
    HWND focus = GetFocus();
    int index = 0;
    if (!IsPageField(page, focus, &index)) return;
    if (code < 1 || code > 211 || code == state.codes[index] || KeyName(code)[0] == '\0') return;
    Assign(page, state, index, static_cast<std::uint8_t>(code), KeyName(code), focus);
}

void ApplyKeyboard(HWND page, InputPage& state) {
    SettingsSheetContext& context = *state.context;
    std::uint8_t* block = context.block;
    if (state.device) std::memcpy(block + O::kKeys, state.codes, kPageActionCount);
    block[O::kFastForwardKey] = Checked(page, kPageRadioSecond) ? 1 : 0;
    block[O::kKeepUnreadSlow] = Checked(page, kPageCheck1068) ? 1 : 0;
    if (context.applyKeyboardBindings) context.applyKeyboardBindings();
    context.applied = true;
}

void RestoreKeyboard(HWND page, InputPage& state) {
    std::memcpy(state.codes, kDefaultKeys, kPageActionCount);
    ShowKeys(page, state);
    CheckRadioButton(page, kPageRadioFirst, kPageRadioSecond, kPageRadioSecond);
    Check(page, kPageCheck1068, false);
    ShowModifier(page, false);
}

// Mouse and joystick page.

void ShowButtons(HWND page, const InputPage& state) {
    for (int i = 0; i < kPageActionCount; ++i) {
        char text[32] = "";
        if (state.codes[i] >= 4) std::snprintf(text, sizeof(text), "ボタン%d", state.codes[i] - 3);
        SetDlgItemTextA(page, kPageFirstField + i, text);
    }
}

void EnableFields(HWND page, bool on) {
    for (int i = 0; i < kPageActionCount; ++i) Enable(page, kPageFirstField + i, on);
}

void InitMouse(HWND page, InputPage& state) {
    SettingsSheetContext& context = *state.context;
    PrepareSheet(context, page);
    const std::uint8_t* block = context.block;
    if (context.makeJoystick) state.device = context.makeJoystick();
    for (int combo : {kPageCombo1074, kPageCombo1075})
        for (const char* choice : kMouseChoices) SendDlgItemMessageA(page, combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    std::memcpy(state.codes, block + O::kJoystickCodes, kPageActionCount);
    ShowButtons(page, state);
    if (state.device) {
        Check(page, kPageCheck1068, block[O::kUseJoystick] != 0);
        EnableFields(page, block[O::kUseJoystick] != 0);
    } else {
        Enable(page, kPageCheck1068, false);
        EnableFields(page, false);
    }
    SendDlgItemMessageA(page, kPageCombo1074, CB_SETCURSEL, block[O::kRightButton], 0);
    SendDlgItemMessageA(page, kPageCombo1075, CB_SETCURSEL, block[O::kWheelButton], 0);
    Check(page, kPageCheck1069, block[O::kRightClickEndsAuto] != 0);
    CheckRadioButton(page, kPageRadioFirst, kPageRadioSecond,
                     block[O::kWheelUpRewinds] != 0 ? kPageRadioSecond : kPageRadioFirst);
    Check(page, kPageCheck1070, block[O::kWheelDownNextPage] != 0);
    state.deleteWasDown = context.deleteDown && context.deleteDown();
    StartTimer(page, state);
}

void PollMouse(HWND page, InputPage& state) {
    if (!state.device) return;
    const std::int32_t code = state.device->PollFirstPressed();
    const bool deleteDown = state.context->deleteDown && state.context->deleteDown();
    const bool deletePressed = deleteDown && !state.deleteWasDown;
    state.deleteWasDown = deleteDown;
    HWND focus = GetFocus();
    int index = 0;
    if (!IsPageField(page, focus, &index)) return;
    if (deletePressed) {
        state.codes[index] = 0;
        SetDlgItemTextA(page, kPageFirstField + index, "");
        FocusNext(page, focus);
        return;
    }
    if (code < 4 || code > 255) return;
    char text[32];
    std::snprintf(text, sizeof(text), "ボタン%d", code - 3);
    Assign(page, state, index, static_cast<std::uint8_t>(code), text, focus);
}

std::uint8_t Selection(HWND page, int id) {
    const LRESULT selection = SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0);
    return selection < 0 ? 0 : static_cast<std::uint8_t>(selection);
}

void ApplyMouse(HWND page, InputPage& state) {
    SettingsSheetContext& context = *state.context;
    std::uint8_t* block = context.block;
    block[O::kUseJoystick] = Checked(page, kPageCheck1068) ? 1 : 0;
    if (state.device) std::memcpy(block + O::kJoystickCodes, state.codes, kPageActionCount);
    block[O::kRightButton] = Selection(page, kPageCombo1074);
    block[O::kWheelButton] = Selection(page, kPageCombo1075);
    block[O::kRightClickEndsAuto] = Checked(page, kPageCheck1069) ? 1 : 0;
    block[O::kWheelUpRewinds] = Checked(page, kPageRadioSecond) ? 1 : 0;
    block[O::kWheelDownNextPage] = Checked(page, kPageCheck1070) ? 1 : 0;
    if (context.applyPadAndMouseBindings) context.applyPadAndMouseBindings();
    context.applied = true;
}

void RestoreMouse(HWND page, InputPage& state) {
    std::memset(state.codes, 0, sizeof(state.codes));
    if (state.device) {
        Check(page, kPageCheck1068, false);
        EnableFields(page, false);
    }
    ShowButtons(page, state);
    SendDlgItemMessageA(page, kPageCombo1074, CB_SETCURSEL, 1, 0);
    SendDlgItemMessageA(page, kPageCombo1075, CB_SETCURSEL, 0, 0);
    Check(page, kPageCheck1069, false);
    CheckRadioButton(page, kPageRadioFirst, kPageRadioSecond, kPageRadioFirst);
    Check(page, kPageCheck1070, true);
}

}  // namespace

INT_PTR CALLBACK KeyboardPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    InputPage* state = PageOf(page);
    switch (message) {
    case WM_INITDIALOG:
        state = Attach(page, lParam);
        if (state->context != nullptr) InitKeyboard(page, *state);
        return TRUE;
    case WM_DESTROY: Detach(page); return FALSE;
    default: break;
    }
    if (state == nullptr || state->context == nullptr) return FALSE;
    switch (message) {
    case WM_TIMER:
        PollKeyboard(page, *state);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == kPageRadioFirst || LOWORD(wParam) == kPageRadioSecond) {
            CheckRadioButton(page, kPageRadioFirst, kPageRadioSecond, LOWORD(wParam));
            ShowModifier(page, LOWORD(wParam) == kPageRadioFirst);
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORSTATIC: return FieldColour(page, wParam, lParam, true);
    case kMsgSettingsPageRestoreDefaults: RestoreKeyboard(page, *state); return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            StartTimer(page, *state);
            state->context->block[O::kLastPage] = 0;
            return NotifyResult(page, 0);
        case PSN_KILLACTIVE: KillTimer(page, kPollTimer); return NotifyResult(page, FALSE);
        case PSN_APPLY: ApplyKeyboard(page, *state); return NotifyResult(page, PSNRET_NOERROR);
        default: return FALSE;
        }
    default: return FALSE;
    }
}

INT_PTR CALLBACK MousePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    InputPage* state = PageOf(page);
    switch (message) {
    case WM_INITDIALOG:
        state = Attach(page, lParam);
        if (state->context != nullptr) InitMouse(page, *state);
        return TRUE;
    case WM_DESTROY: Detach(page); return FALSE;
    default: break;
    }
    if (state == nullptr || state->context == nullptr) return FALSE;
    switch (message) {
    case WM_TIMER:
        PollMouse(page, *state);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kPageCheck1068: EnableFields(page, Checked(page, kPageCheck1068)); return TRUE;
        case kPageRadioFirst:
        case kPageRadioSecond: CheckRadioButton(page, kPageRadioFirst, kPageRadioSecond, LOWORD(wParam)); return TRUE;
        default: return FALSE;
        }
    case WM_CTLCOLORSTATIC:
        return FieldColour(page, wParam, lParam, state->device != nullptr && Checked(page, kPageCheck1068));
    case kMsgSettingsPageRestoreDefaults: RestoreMouse(page, *state); return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            StartTimer(page, *state);
            state->context->block[O::kLastPage] = 1;
            return NotifyResult(page, 0);
        case PSN_KILLACTIVE: KillTimer(page, kPollTimer); return NotifyResult(page, FALSE);
        case PSN_APPLY: ApplyMouse(page, *state); return NotifyResult(page, PSNRET_NOERROR);
        default: return FALSE;
        }
    default: return FALSE;
    }
}

}  // namespace settingspages
