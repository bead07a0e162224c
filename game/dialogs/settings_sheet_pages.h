// The settings sheet's page procedures and the helpers they share (settings_sheet.cpp,
// settings_input_pages.cpp, settings_other_pages.cpp).
#pragma once

#include <windows.h>

#include "game/dialogs/settings_sheet.h"

namespace settingspages {

INT_PTR CALLBACK KeyboardPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MousePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OtherPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WindowPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The first page to start subclasses the sheet, adds the restore-defaults button and centres it.
void PrepareSheet(SettingsSheetContext& context, HWND page);
// The sheet's context from WM_INITDIALOG's PROPSHEETPAGE.
SettingsSheetContext* ContextOf(LPARAM initParam);
bool Checked(HWND page, int id);
void Check(HWND page, int id, bool on);
void Enable(HWND page, int id, bool on);
// Whether `window` is one of the 14 action fields (and which).
bool IsPageField(HWND page, HWND window, int* index);
// Moves the focus to the control after `from` in tab order.
void FocusNext(HWND page, HWND from);

// Answers a page notification.
inline INT_PTR NotifyResult(HWND page, LONG_PTR result) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 16;

}  // namespace settingspages
