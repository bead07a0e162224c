#include "game/dialogs/message_dialog.h"

#include <cstring>

namespace {

struct MessageState {
    const DialogHost* host;
    std::uint8_t kind;
    const char* text;
    const char* caption;
    std::uint8_t* flag;
    bool fit;
};

bool HasCheck(std::uint8_t kind) { return kind == 1 || kind == 3; }
bool IsQuestion(std::uint8_t kind) { return kind >= 2; }

RECT ItemRect(HWND dialog, int id) {
    RECT rect = {};
    HWND item = GetDlgItem(dialog, id);
    GetWindowRect(item, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void MoveItem(HWND dialog, int id, LONG dx, LONG dy) {
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) return;
    const RECT rect = ItemRect(dialog, id);
    SetWindowPos(item, nullptr, rect.left + dx, rect.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void GrowWindow(HWND window, LONG dx, LONG dy) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left + dx, rect.bottom - rect.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void End(HWND dialog, const MessageState& state, INT_PTR answer) {
    // "Do not show again" counts only with "はい".
    if (state.kind == 3 && answer == 0 && state.flag != nullptr) *state.flag = 0;
    EndDialog(dialog, answer);
}

INT_PTR CALLBACK MessageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<MessageState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<MessageState*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SetWindowTextA(dialog, state->host->CaptionOr(state->caption));
        if (state->fit) FitMessageDialog(*state->host, dialog, state->text, IsQuestion(state->kind), HasCheck(state->kind));
        SetDlgItemTextA(dialog, kMessageText, state->text);
        state->host->Center(dialog);
        if (state->host->placeCursor) {
            RECT button = {};
            GetWindowRect(GetDlgItem(dialog, IDOK), &button);
            SetCursorPos(button.left + (IsQuestion(state->kind) ? 60 : 56), button.top + 8);
        }
        if (HasCheck(state->kind) && state->flag != nullptr) *state->flag = 0;
        return TRUE;
    }
    case WM_COMMAND:
        if (state == nullptr) return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: End(dialog, *state, 1); return TRUE;
        case IDCANCEL:
            // Button 2 of the questions ("いいえ"); Esc of the OK dialogs does nothing.
            if (IsQuestion(state->kind)) End(dialog, *state, 0);
            return TRUE;
        case kMessageCheck:
            if (HasCheck(state->kind) && state->flag != nullptr)
                *state->flag = IsDlgButtonChecked(dialog, kMessageCheck) == BST_CHECKED ? 1 : 0;
            return TRUE;
        default: return FALSE;
        }
    case WM_CLOSE:
        if (state != nullptr) End(dialog, *state, 0);
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

std::int32_t RunMessageDialog(const DialogHost& host, HWND owner, std::uint8_t kind, const char* text,
                              const char* caption, std::uint8_t* flag, bool fit) {
    if (text == nullptr || kind > 3) return -1;
    MessageState state = {&host, kind, text, caption, flag, fit};
    const INT_PTR answer = DialogBoxParamA(host.Instance(), MAKEINTRESOURCEA(kDlgMessageOk + kind), owner,
                                           MessageProc, reinterpret_cast<LPARAM>(&state));
    if (answer == -1) return -1;
    return IsQuestion(kind) && answer == 1 ? 1 : 0;
}

MessageFit PlanMessageFit(const RECT& text, const TextExtent& extent) {
    LONG width = text.right - text.left;
    LONG height = text.bottom - text.top;
    MessageFit fit;
    if (extent.width > width) {
        fit.dx = extent.width - width;
        width = extent.width;
    }
    if (extent.lines >= 3) {
        fit.dy = extent.height - height;
        height = extent.height;
    }
    const LONG down = extent.lines <= 1 ? extent.height / 2 : 0;
    fit.text = {text.left, text.top + down, text.left + width, text.top + down + height - down};
    return fit;
}

void FitMessageDialog(const DialogHost& host, HWND dialog, const char* text, bool hasSecondButton, bool hasCheckBox) {
    if (text == nullptr) return;
    TextExtent extent;
    const bool measured = host.measure ? host.measure(dialog, text, extent) : MeasureMessageText(dialog, text, extent);
    if (!measured) return;
    const MessageFit fit = PlanMessageFit(ItemRect(dialog, kMessageText), extent);
    SetWindowPos(GetDlgItem(dialog, kMessageText), nullptr, fit.text.left, fit.text.top, fit.text.right - fit.text.left,
                 fit.text.bottom - fit.text.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (fit.dx == 0 && fit.dy == 0) return;
    MoveItem(dialog, IDOK, fit.dx / 2, fit.dy);
    if (hasSecondButton) MoveItem(dialog, IDCANCEL, fit.dx / 2, fit.dy);
    if (hasCheckBox) MoveItem(dialog, kMessageCheck, fit.dx / 2, fit.dy);
    GrowWindow(GetDlgItem(dialog, kMessageFrame), fit.dx, fit.dy);
    GrowWindow(dialog, fit.dx, fit.dy);
}

bool MeasureMessageText(HWND dialog, const char* text, TextExtent& extent) {
    HDC dc = GetDC(dialog);
    if (dc == nullptr) return false;
    HFONT font = CreateFontA(-MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, "ＭＳ Ｐゴシック");
    if (font == nullptr) {
        ReleaseDC(dialog, dc);
        return false;
    }
    HGDIOBJ old = SelectObject(dc, font);
    RECT rect = {0, 0, 0, 0};
    DrawTextA(dc, text, -1, &rect, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(dialog, dc);
    std::int32_t lines = 1;
    for (const char* p = text; *p != '\0'; ++p)
        if (*p == '\n') ++lines;
    extent.lines = *text == '\0' ? 0 : lines;
    extent.width = rect.right - rect.left;
    extent.height = rect.bottom - rect.top;
    return true;
}
