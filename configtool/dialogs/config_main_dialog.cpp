#include "configtool/dialogs/config_main_dialog.h"

#include <cstdio>

#include "configtool/app/config_tool_app.h"
#include "configtool/dialogs/config_tree.h"
#include "configtool/resources/tunewell_resources.h"
#include "configtool/settings/config_messages.h"

namespace {

constexpr POINT kDefaultPosition = {50, 52};

bool IsChoiceEditor(std::int32_t type) { return type >= 0 && IsChoiceType(static_cast<std::uint8_t>(type)); }
bool IsNumberEditor(std::int32_t type) { return type == 1 || type == 2; }

void Show(HWND control, bool on) { ShowWindow(control, on ? SW_SHOW : SW_HIDE); }

RECT ClientRectOf(HWND control, HWND dialog) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

POINT ChooseStartPosition(const STARTUPINFOA& startup, const RECT& workArea, SIZE window) {
    if (!(startup.dwFlags & STARTF_USEPOSITION)) return kDefaultPosition;
    const long x = static_cast<long>(startup.dwX);
    const long y = static_cast<long>(startup.dwY);
    const long workWidth = workArea.right - workArea.left;
    const long workHeight = workArea.bottom - workArea.top;
    if (x > 0 && y > 0 && x <= workWidth - window.cx && y <= workHeight - window.cy) return POINT{x, y};
    return kDefaultPosition;
}

void ConfigMainDialog::OnConfigDialogInit(HWND window) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    SendMessageA(window, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconA(instance, MAKEINTRESOURCEA(IDI_TUNEWELL))));

    RECT workArea = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    RECT windowRect;
    GetWindowRect(window, &windowRect);
    const POINT at = ChooseStartPosition(
        startup, workArea, SIZE{windowRect.right - windowRect.left, windowRect.bottom - windowRect.top});
    SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    for (int id = IDC_NUMBER_EDIT; id <= IDC_DIGIT_UNIT; ++id) Show(GetDlgItem(window, id), false);
    HWND tree = GetDlgItem(window, IDC_ITEM_TREE);
    if (m_app.DeveloperMode()) {
        TreeView_SetBkColor(tree, kConfigTreeBackground);
        SetWindowLongA(tree, GWL_STYLE, GetWindowLongA(tree, GWL_STYLE) | TVS_CHECKBOXES);
    }
    CaptureLayout();

    m_app.LoadConfigDescription();
    if (m_app.DeveloperMode()) {
        m_app.LoadDeveloperOverrides();
    } else if (m_app.LoadUserCfg() != 0) {
        m_app.ClearConfigItems();
    }
    SetConfigDialogTitle(window);
    EnableWindow(GetDlgItem(window, IDC_CHOICE_COMBO), FALSE);
    EnableWindow(GetDlgItem(window, IDC_RESET_ITEM), FALSE);
    EnableWindow(GetDlgItem(window, IDC_DESCRIPTION), FALSE);
}

void ConfigMainDialog::CaptureLayout() {
    HWND window = Window();
    RECT client;
    GetClientRect(window, &client);
    const int w0 = client.right;
    const int h0 = client.bottom;
    for (int id = IDC_CHOICE_COMBO; id <= IDC_CANCEL; ++id) {
        const RECT rect = ClientRectOf(GetDlgItem(window, id), window);
        ControlPlace& place = m_places[id - IDC_CHOICE_COMBO];
        if (id <= IDC_DESCRIPTION) {
            place = {w0 - rect.left, rect.top};
        } else if (id == IDC_SEPARATOR || id == IDC_RESET_ALL) {
            place = {rect.left, h0 - rect.top};
        } else {
            place = {w0 - rect.left, h0 - rect.top};
        }
        if (id == IDC_DESCRIPTION) {
            m_descriptionWidth = rect.right - rect.left;
            m_descriptionHeightMargin = h0 - (rect.bottom - rect.top);
        }
        if (id == IDC_SEPARATOR) m_separatorWidthMargin = w0 - (rect.right - rect.left);
    }
    const RECT tree = ClientRectOf(GetDlgItem(window, IDC_ITEM_TREE), window);
    m_treeMargin = {w0 - (tree.right - tree.left), h0 - (tree.bottom - tree.top)};
    RECT windowRect;
    GetWindowRect(window, &windowRect);
    m_initialWindow = {windowRect.right - windowRect.left, windowRect.bottom - windowRect.top};
}

std::string ConfigMainDialog::Caption() const {
    std::string caption = ConfigMessages::kCaption;
    if (m_app.DeveloperMode()) return caption;
    SettingsRecords& records = m_app.Records();
    char text[400];
    std::snprintf(text, sizeof text, " [ %s Version %d.%02d", records.Title().c_str(), records.appInfHeader[0],
                  records.appInfHeader[1]);
    caption += text;
    if (records.appInfHeader[2] != 0) {
        std::snprintf(text, sizeof text, "%x", records.appInfHeader[2]);
        caption += text;
    }
    return caption + " ]";
}

void ConfigMainDialog::SetConfigDialogTitle(HWND window) { SetWindowTextA(window, Caption().c_str()); }

void ConfigMainDialog::ShowItemEditor(std::int32_t type, ConfigItem* item) {
    const std::int32_t shown = m_app.m_shownEditorType;
    HWND combo = Control(IDC_CHOICE_COMBO);
    bool fillOnly = type == shown;
    if (!fillOnly) {
        // Leave the editor on show.
        if (shown == -1) {
            EnableWindow(combo, TRUE);
            EnableWindow(Control(IDC_RESET_ITEM), TRUE);
            EnableWindow(Control(IDC_DESCRIPTION), TRUE);
            if (!IsChoiceEditor(type)) Show(combo, false);
        } else if (IsChoiceEditor(shown)) {
            SendMessageA(combo, CB_RESETCONTENT, 0, 0);
            if (IsChoiceEditor(type)) {
                fillOnly = true;
            } else if (type != -1) {
                Show(combo, false);
            }
        } else if (IsNumberEditor(shown)) {
            if (IsNumberEditor(type)) {
                fillOnly = true;
            } else {
                Show(Control(IDC_NUMBER_EDIT), false);
                Show(Control(IDC_NUMBER_UNIT), false);
            }
        } else if (shown == ConfigText) {
            Show(Control(IDC_TEXT_EDIT), false);
        } else if (shown == ConfigDigit) {
            Show(Control(IDC_DIGIT_EDIT), false);
            Show(Control(IDC_DIGIT_SPIN), false);
            Show(Control(IDC_DIGIT_UNIT), false);
        }
    }
    if (!fillOnly) {
        // Enter the new one.
        if (type == -1) {
            if (!IsChoiceEditor(shown)) Show(combo, true);
            EnableWindow(combo, FALSE);
            EnableWindow(Control(IDC_RESET_ITEM), FALSE);
            EnableWindow(Control(IDC_DESCRIPTION), FALSE);
        } else if (IsChoiceEditor(type)) {
            if (shown != -1) Show(combo, true);
        } else if (IsNumberEditor(type)) {
            Show(Control(IDC_NUMBER_EDIT), true);
            Show(Control(IDC_NUMBER_UNIT), true);
        } else if (type == ConfigText) {
            Show(Control(IDC_TEXT_EDIT), true);
        } else if (type == ConfigDigit) {
            Show(Control(IDC_DIGIT_EDIT), true);
            Show(Control(IDC_DIGIT_SPIN), true);
            Show(Control(IDC_DIGIT_UNIT), true);
        }
    }
    // The type on show changes before the fill, whose edits notify as they are filled.
    m_app.m_shownEditorType = type;
    if (item) {
        if (IsChoiceEditor(type)) {
            SendMessageA(combo, CB_RESETCONTENT, 0, 0);
            for (const std::string& choice : item->choices)
                SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.c_str()));
        }
        if (type == ConfigText) {
            // Strings of the application description hold fewer characters than the others.
            const WPARAM limit = item->record == kAppInfRecord ? SettingsFiles::kAppInfStringMaxLength
                                                               : kConfigTextMaxLength;
            SendMessageA(Control(IDC_TEXT_EDIT), EM_LIMITTEXT, limit, 0);
        }
        ShowItemValue(item);
    }
    SetWindowTextA(Control(IDC_DESCRIPTION), item && item->hasDescription ? item->description.c_str() : "");
}

void ConfigMainDialog::ShowItemValue(ConfigItem* item) {
    if (!item) return;
    switch (item->type) {
        case ConfigNumber:
        case ConfigNumber2: {
            char number[16];
            std::snprintf(number, sizeof number, "%d", static_cast<int>(item->value));
            SetWindowTextA(Control(IDC_NUMBER_EDIT), number);
            SetWindowTextA(Control(IDC_NUMBER_UNIT), item->choices.empty() ? "" : item->choices[0].c_str());
            break;
        }
        case ConfigText:
            SetWindowTextA(Control(IDC_TEXT_EDIT), item->text.c_str());
            break;
        case ConfigDigit: {
            const char digit[2] = {static_cast<char>('0' + static_cast<std::uint8_t>(item->value)), 0};
            SetWindowTextA(Control(IDC_DIGIT_EDIT), digit);
            break;
        }
        case ConfigChoice:
        case ConfigAdapter:
        case ConfigDevice:
        case ConfigScreenMode:
            SendMessageA(Control(IDC_CHOICE_COMBO), CB_SETCURSEL, static_cast<WPARAM>(item->value), 0);
            break;
        default:
            break;
    }
}

std::int32_t ConfigMainDialog::OnConfigDialogMessage(MessageRecord& record) {
    switch (record.message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 1;
        case WM_CLOSE:
            DestroyWindow(Window());
            return 1;
        case WM_SIZE:
            ResizeControls(LOWORD(record.lParam), HIWORD(record.lParam));
            return 1;
        case WM_SIZING:
            LimitSizing(record.wParam, reinterpret_cast<RECT*>(record.lParam));
            return 1;
        default:
            return 0;
    }
}

void ConfigMainDialog::ResizeControls(int width, int height) {
    if (m_initialWindow.cx == 0) return;  // WM_SIZE before the layout was captured
    const UINT move = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    const UINT resize = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(Control(IDC_ITEM_TREE), nullptr, 0, 0, width - m_treeMargin.cx, height - m_treeMargin.cy, resize);
    for (int id = IDC_CHOICE_COMBO; id <= IDC_DESCRIPTION_HEADING; ++id) {
        const ControlPlace& place = m_places[id - IDC_CHOICE_COMBO];
        SetWindowPos(Control(id), nullptr, width - place.x, place.y, 0, 0, move);
    }
    const ControlPlace& description = m_places[IDC_DESCRIPTION - IDC_CHOICE_COMBO];
    SetWindowPos(Control(IDC_DESCRIPTION), nullptr, width - description.x, description.y, m_descriptionWidth,
                 height - m_descriptionHeightMargin, SWP_NOZORDER | SWP_NOACTIVATE);
    const ControlPlace& separator = m_places[IDC_SEPARATOR - IDC_CHOICE_COMBO];
    SetWindowPos(Control(IDC_SEPARATOR), nullptr, separator.x, height - separator.y,
                 width - m_separatorWidthMargin, 2, SWP_NOZORDER | SWP_NOACTIVATE);
    const ControlPlace& resetAll = m_places[IDC_RESET_ALL - IDC_CHOICE_COMBO];
    SetWindowPos(Control(IDC_RESET_ALL), nullptr, resetAll.x, height - resetAll.y, 0, 0, move);
    for (int id : {IDC_SAVE, IDC_CANCEL}) {
        const ControlPlace& place = m_places[id - IDC_CHOICE_COMBO];
        SetWindowPos(Control(id), nullptr, width - place.x, height - place.y, 0, 0, move);
        InvalidateRect(Control(id), nullptr, TRUE);
    }
}

void ConfigMainDialog::LimitSizing(WPARAM edge, RECT* rect) const {
    if (!rect) return;
    const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
    const bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
    const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
    const bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
    if (rect->right - rect->left < m_initialWindow.cx) {
        if (left) rect->left = rect->right - m_initialWindow.cx;
        if (right) rect->right = rect->left + m_initialWindow.cx;
    }
    if (rect->bottom - rect->top < m_initialWindow.cy) {
        if (top) rect->top = rect->bottom - m_initialWindow.cy;
        if (bottom) rect->bottom = rect->top + m_initialWindow.cy;
    }
}
