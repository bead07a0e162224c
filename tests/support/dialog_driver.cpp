#include "tests/support/dialog_driver.h"

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>

namespace testsupport {

DialogDriver* DialogDriver::s_current = nullptr;

namespace {

bool IsTopLevelDialog(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    if (std::string(name) != "#32770") return false;
    return (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) == 0;
}

bool IsSheet(HWND window) { return SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0) != 0; }

}  // namespace

DialogDriver::DialogDriver(std::uint32_t limitMs) : m_limit(limitMs) {
    s_current = this;
    m_hook = SetWindowsHookExA(WH_CBT, HookProc, nullptr, GetCurrentThreadId());
    m_timer = SetTimer(nullptr, 0, 10, Tick);
}

DialogDriver::~DialogDriver() {
    if (m_timer != 0) KillTimer(nullptr, m_timer);
    if (m_hook != nullptr) UnhookWindowsHookEx(m_hook);
    s_current = nullptr;
}

DialogDriver& DialogDriver::Then(Step step) {
    m_steps.push_back(std::move(step));
    return *this;
}

DialogDriver& DialogDriver::ThenClose(std::function<void(HWND)> look) {
    return Then([look](HWND dialog) {
        if (look) look(dialog);
        CloseDialog(dialog);
        return true;
    });
}

LRESULT CALLBACK DialogDriver::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    DialogDriver* self = s_current;
    if (self != nullptr && code == HCBT_CREATEWND) {
        HWND window = reinterpret_cast<HWND>(wParam);
        const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
        if ((create->lpcs->style & WS_CHILD) == 0) self->m_open.push_back({window, GetTickCount(), false, false});
    }
    return CallNextHookEx(self != nullptr ? self->m_hook : nullptr, code, wParam, lParam);
}

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (s_current != nullptr) s_current->Serve();
}

void DialogDriver::ForceClose(HWND window) {
    ++m_forced;
    CloseDialog(window);
}

void CloseDialog(HWND window) {
    if (IsSheet(window)) PressSheetButton(window, PSBTN_CANCEL);
    else EndDialog(window, -2);
}

void DialogDriver::Serve() {
    // A step may run a nested dialog (whose own loop ticks too): serve that one only by the
    // outer call's return.
    if (m_serving) return;
    m_serving = true;
    m_open.erase(std::remove_if(m_open.begin(), m_open.end(), [](const Open& o) { return !IsWindow(o.window); }),
                 m_open.end());
    // The newest dialog is the one in front; the older ones wait under it.
    for (auto it = m_open.rbegin(); it != m_open.rend(); ++it) {
        Open& open = *it;
        if (!IsTopLevelDialog(open.window)) continue;
        if (!open.captured) {
            open.captured = true;
            open.since = GetTickCount();
            m_captions.push_back(WindowText(open.window));
            if (m_steps.empty()) open.stepDone = true;
        }
        HWND window = open.window;
        if (!open.stepDone) {
            Step step = m_steps.front();
            if (step(window)) {
                m_steps.pop_front();
                // Re-found: the step may have let other windows come and go.
                for (Open& o : m_open)
                    if (o.window == window) {
                        o.stepDone = true;
                        o.since = GetTickCount();
                    }
            }
        }
        bool stillOpen = false;
        bool done = false;
        std::uint32_t since = 0;
        for (Open& o : m_open)
            if (o.window == window) {
                stillOpen = IsWindow(window) != 0;
                done = o.stepDone;
                since = o.since;
            }
        // A finished step's dialog ends through its own loop; one still open after the limit
        // (the step's or the close's) is ended here.
        if (stillOpen && GetTickCount() - since > m_limit) {
            if (!done && !m_steps.empty()) m_steps.pop_front();
            for (Open& o : m_open)
                if (o.window == window) o.window = nullptr;
            ForceClose(window);
        }
        break;
    }
    m_serving = false;
}

std::string WindowText(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

void SetItemText(HWND dialog, int id, const char* text) { SetDlgItemTextA(dialog, id, text); }

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetChecked(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool IsItemEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

void SelectCombo(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int ComboSelection(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

std::string ComboItem(HWND dialog, int id, int index) {
    char text[256] = {};
    const LRESULT length = SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0 || length >= static_cast<LRESULT>(sizeof(text))) return std::string();
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

HWND CurrentPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

void PressSheetButton(HWND sheet, int button) { SendMessageA(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0); }

void SelectSheetPage(HWND sheet, int index) { SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0); }

}  // namespace testsupport
