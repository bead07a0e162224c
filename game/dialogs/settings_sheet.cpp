#include "game/dialogs/settings_sheet.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "game/dialogs/settings_applies.h"
#include "game/dialogs/settings_sheet_pages.h"

namespace O = SettingsOffsets;

namespace {

constexpr char kSheetCaption[] = "入力・その他設定";
constexpr char kRestoreDefaults[] = "デフォルト設定に戻す";
constexpr char kOldProcProp[] = "SorahaneSheetProc";

// The sheet that runs now (one at a time, on the window thread).
SettingsSheetContext* s_running = nullptr;

LRESULT CALLBACK SettingsSheetWindowProc(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(sheet, kOldProcProp));
    if (message == WM_COMMAND && LOWORD(wParam) == kSheetRestoreDefaults) {
        HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        if (page != nullptr) SendMessageA(page, kMsgSettingsPageRestoreDefaults, 0, 0);
        return 0;
    }
    if (message == WM_NCDESTROY && old != nullptr) {
        SetWindowLongPtrA(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
        RemovePropA(sheet, kOldProcProp);
    }
    return old != nullptr ? CallWindowProcA(old, sheet, message, wParam, lParam)
                          : DefWindowProcA(sheet, message, wParam, lParam);
}

int CALLBACK SettingsSheetCallback(HWND sheet, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED) {
        SetWindowLongA(sheet, GWL_EXSTYLE, GetWindowLongA(sheet, GWL_EXSTYLE) & ~WS_EX_CONTEXTHELP);
        if (s_running != nullptr) s_running->sheet = sheet;
    }
    return 0;
}

}  // namespace

namespace settingspages {

void PrepareSheet(SettingsSheetContext& context, HWND page) {
    if (context.prepared) return;
    context.prepared = true;
    HWND sheet = GetParent(page);
    if (sheet == nullptr) return;
    SetPropA(sheet, kOldProcProp,
             reinterpret_cast<HANDLE>(
                 SetWindowLongPtrA(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SettingsSheetWindowProc))));
    RECT ok = {};
    GetWindowRect(GetDlgItem(sheet, IDOK), &ok);
    MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&ok), 2);
    HWND button = CreateWindowExA(0, "BUTTON", kRestoreDefaults, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 6,
                                  ok.top, 120, ok.bottom - ok.top, sheet,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSheetRestoreDefaults)),
                                  context.host->Instance(), nullptr);
    if (button != nullptr) SendMessageA(button, WM_SETFONT, SendMessageA(sheet, WM_GETFONT, 0, 0), FALSE);
    context.host->Center(sheet);
    if (context.host->placeCursor) {
        RECT rect = {};
        GetWindowRect(sheet, &rect);
        SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    }
}

SettingsSheetContext* ContextOf(LPARAM initParam) {
    const auto* page = reinterpret_cast<const PROPSHEETPAGEA*>(initParam);
    return page != nullptr ? reinterpret_cast<SettingsSheetContext*>(page->lParam) : nullptr;
}

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

void Check(HWND page, int id, bool on) { CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED); }

void Enable(HWND page, int id, bool on) { EnableWindow(GetDlgItem(page, id), on ? TRUE : FALSE); }

bool IsPageField(HWND page, HWND window, int* index) {
    for (int i = 0; i < kPageActionCount; ++i)
        if (window != nullptr && GetDlgItem(page, kPageFirstField + i) == window) {
            if (index != nullptr) *index = i;
            return true;
        }
    return false;
}

void FocusNext(HWND page, HWND from) {
    HWND next = GetNextDlgTabItem(page, from, FALSE);
    if (next != nullptr) SetFocus(next);
}

}  // namespace settingspages

const char* KeyName(std::int32_t code) {
    static const char* const kNames[212] = {
        "", "Esc", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "", "BackSpace", "",
        "Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "[", "]", "", "", "A", "S",
        "D", "F", "G", "H", "J", "K", "L", ";", ":", "]", "", "\\", "Z", "X", "C", "V",
        "B", "N", "M", ",", ".", "/", "", "ﾃﾝｷｰ[*]", "", "Space", "", "", "", "", "", "",
        "F6", "F7", "F8", "F9", "F10", "", "", "ﾃﾝｷｰ[7]", "ﾃﾝｷｰ[8]", "ﾃﾝｷｰ[9]", "ﾃﾝｷｰ[-]", "ﾃﾝｷｰ[4]", "ﾃﾝｷｰ[5]", "ﾃﾝｷｰ[6]", "ﾃﾝｷｰ[+]", "ﾃﾝｷｰ[1]",
        "ﾃﾝｷｰ[2]", "ﾃﾝｷｰ[3]", "ﾃﾝｷｰ[0]", "ﾃﾝｷｰ[.]", "", "", "", "F11", "F12", "", "", "", "", "", "", "",
        "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
        "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
        "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
        "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
        "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
        "", "", "", "", "", "ﾃﾝｷｰ[/]", "", "", "", "", "", "", "", "", "", "",
        "", "", "", "", "", "", "", "Home", "", "PageUp", "", "", "", "", "", "End",
        "", "PageDown", "Insert", "Delete",
    };
    return code >= 0 && code < 212 ? kNames[code] : "";
}

INT_PTR RunSettingsSheet(SettingsSheetContext& context, HWND owner) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    context.prepared = false;
    context.applied = false;
    context.hintsChanged = false;
    context.sheet = nullptr;
    static const struct {
        int templateId;
        DLGPROC procedure;
    } kPages[4] = {
        {kDlgPageKeyboard, &settingspages::KeyboardPageProc},
        {kDlgPageMouse, &settingspages::MousePageProc},
        {kDlgPageOther, &settingspages::OtherPageProc},
        {kDlgPageWindow, &settingspages::WindowPageProc},
    };
    PROPSHEETPAGEA pages[4] = {};
    for (int i = 0; i < 4; ++i) {
        pages[i].dwSize = sizeof(PROPSHEETPAGEA);
        pages[i].dwFlags = 0;
        pages[i].hInstance = context.host->Instance();
        pages[i].pszTemplate = MAKEINTRESOURCEA(kPages[i].templateId);
        pages[i].pfnDlgProc = kPages[i].procedure;
        pages[i].lParam = reinterpret_cast<LPARAM>(&context);
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_NOAPPLYNOW;
    header.hwndParent = owner;
    header.hInstance = context.host->Instance();
    header.pszCaption = kSheetCaption;
    header.nPages = 4;
    header.nStartPage = std::min<UINT>(context.block[O::kLastPage], 3);
    header.ppsp = pages;
    header.pfnCallback = &SettingsSheetCallback;
    SettingsSheetContext* outer = s_running;
    s_running = &context;
    const INT_PTR result = PropertySheetA(&header);
    s_running = outer;
    context.sheet = nullptr;
    return result;
}
