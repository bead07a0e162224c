// The main dialog's commands and the notifications of its tree and up-down control.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "configtool/app/config_tool_app.h"
#include "configtool/dialogs/config_main_dialog.h"
#include "configtool/dialogs/config_tree.h"
#include "configtool/resources/tunewell_resources.h"

namespace {

constexpr COLORREF kGroupText = 0xFFFF00;
constexpr COLORREF kStateText[3] = {0x00FF00, 0x00FFFF, 0xFF00FF};

std::int32_t TrackChoiceMenu(HWND owner, const std::vector<std::string>& choices, POINT at) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return 0;
    for (std::size_t i = 0; i < choices.size(); ++i)
        AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(i + 1), choices[i].c_str());
    const std::int32_t picked = static_cast<std::int32_t>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, owner, nullptr));
    DestroyMenu(menu);
    return picked;
}

POINT SystemCursorPosition() {
    POINT at = {};
    GetCursorPos(&at);
    return at;
}

ChoiceMenuFunc g_choiceMenu = TrackChoiceMenu;
CursorPositionFunc g_cursorPosition = SystemCursorPosition;

std::string WindowText(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    const int copied = GetWindowTextA(control, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

void SetResult(HWND dialog, LRESULT result) { SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result); }

}  // namespace

ChoiceMenuFunc SetChoiceMenuFunc(ChoiceMenuFunc menu) {
    ChoiceMenuFunc previous = g_choiceMenu;
    g_choiceMenu = menu ? menu : TrackChoiceMenu;
    return previous;
}

CursorPositionFunc SetCursorPositionFunc(CursorPositionFunc cursor) {
    CursorPositionFunc previous = g_cursorPosition;
    g_cursorPosition = cursor ? cursor : SystemCursorPosition;
    return previous;
}

std::int32_t ConfigMainDialog::StepDigit(std::int32_t value, std::int32_t delta) {
    std::int32_t digit = std::min(std::max(value, 0), 9);
    if (delta < 0) digit = std::min(digit + 1, 9);
    if (delta > 0) digit = std::max(digit - 1, 0);
    return digit;
}

ConfigItem* ConfigMainDialog::SelectedItem(std::size_t* index) {
    return m_app.ItemOf(TreeView_GetSelection(m_app.Tree()), index);
}

void ConfigMainDialog::AfterChoiceStep(ConfigItem& item, std::size_t index) {
    m_app.RelabelItem(index);
    ShowItemValue(&item);
    if (item.type == ConfigAdapter) m_app.RefreshDeviceChoices(item, item.value);
}

std::int32_t ConfigMainDialog::OnConfigDialogCommand(MessageRecord& record) {
    const int id = LOWORD(record.wParam);
    const int code = HIWORD(record.wParam);
    std::size_t index = 0;
    switch (id) {
        case IDC_CHOICE_COMBO: {
            if (code != CBN_SELENDOK) return 0;
            ConfigItem* item = SelectedItem(&index);
            const std::int32_t sel =
                static_cast<std::int32_t>(SendMessageA(Control(IDC_CHOICE_COMBO), CB_GETCURSEL, 0, 0));
            if (!item || sel == item->value) return 1;
            item->value = sel;
            if (item->type == ConfigAdapter) m_app.RefreshDeviceChoices(*item, sel);
            m_app.RelabelItem(index);
            return 1;
        }
        case IDC_NUMBER_EDIT: {
            if (code != EN_CHANGE) return 0;
            ConfigItem* item = SelectedItem(&index);
            if (!item) return 1;
            const std::int32_t number = std::atoi(WindowText(Control(IDC_NUMBER_EDIT)).c_str());
            if (number != item->value) {
                item->value = number;
                m_app.RelabelItem(index);
            }
            return 1;
        }
        case IDC_TEXT_EDIT: {
            if (code != EN_CHANGE) return 0;
            ConfigItem* item = SelectedItem(&index);
            if (!item || item->type != ConfigText) return 1;
            // The edit is limited to what the item holds, so the whole text is taken.
            item->text = CutOnWholeCharacter(WindowText(Control(IDC_TEXT_EDIT)), kConfigTextMaxLength);
            m_app.RelabelItem(index);
            return 1;
        }
        case IDC_DIGIT_EDIT: {
            if (code == EN_SETFOCUS) {
                m_app.m_digitFocusItem = TreeView_GetSelection(m_app.Tree());
                return 1;
            }
            if (code != EN_KILLFOCUS) return 0;
            HTREEITEM focused = m_app.m_digitFocusItem;
            ConfigItem* item = m_app.ItemOf(focused, &index);
            if (!item) return 1;
            item->value = std::atoi(WindowText(Control(IDC_DIGIT_EDIT)).c_str());
            m_app.RelabelItem(index);
            if (focused == TreeView_GetSelection(m_app.Tree())) {
                char number[16];
                std::snprintf(number, sizeof number, "%d", static_cast<int>(item->value));
                SetWindowTextA(Control(IDC_DIGIT_EDIT), number);
            }
            return 1;
        }
        case IDC_RESET_ITEM: {
            ConfigItem* item = SelectedItem(&index);
            if (!item || !ResetItemToDefault(*item)) return 1;
            AfterChoiceStep(*item, index);
            return 1;
        }
        case IDC_RESET_ALL:
            ResetAll();
            return 1;
        case IDC_SAVE:
            if (m_app.SaveSettings() == 0) DestroyWindow(Window());
            return 1;
        case IDC_CANCEL:
            DestroyWindow(Window());
            return 1;
        default:
            return 0;
    }
}

void ConfigMainDialog::ResetAll() {
    for (std::size_t g = 0; g < m_app.Groups().size(); ++g) {
        for (std::size_t index : m_app.Groups()[g].items) {
            if (!m_app.ItemTreeItem(index)) continue;
            if (ResetItemToDefault(*m_app.Items()[index])) m_app.RelabelItem(index);
        }
    }
    ShowItemValue(SelectedItem(nullptr));
}

std::int32_t ConfigMainDialog::OnConfigTreeNotify(MessageRecord& record) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(record.lParam);
    if (!header) return 0;
    if (header->idFrom == IDC_DIGIT_SPIN && header->code == UDN_DELTAPOS)
        return OnDigitDelta(reinterpret_cast<const NMUPDOWN*>(header));
    if (header->idFrom != IDC_ITEM_TREE) return 0;
    switch (header->code) {
        case TVN_SELCHANGEDA:
        case TVN_SELCHANGEDW: {
            const NMTREEVIEWA* change = reinterpret_cast<const NMTREEVIEWA*>(header);
            ConfigItem* item = m_app.ItemOf(change->itemNew.hItem);
            if (item) {
                ShowItemEditor(item->type, item);
            } else {
                ShowItemEditor(-1, nullptr);
            }
            return 1;
        }
        case NM_RCLICK: {
            HWND tree = m_app.Tree();
            TVHITTESTINFO hit = {};
            hit.pt = g_cursorPosition();
            ScreenToClient(tree, &hit.pt);
            HTREEITEM target = TreeView_HitTest(tree, &hit);
            if (!target || !(hit.flags & TVHT_ONITEM)) return 1;
            TreeView_SelectItem(tree, target);
            OnChoiceClick(true);
            return 1;
        }
        case NM_DBLCLK:
            OnChoiceClick(false);
            return 1;
        case NM_CUSTOMDRAW:
            if (!m_app.DeveloperMode()) return 0;
            return OnCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(record.lParam));
        default:
            return 0;
    }
}

void ConfigMainDialog::OnChoiceClick(bool rightClick) {
    std::size_t index = 0;
    ConfigItem* item = SelectedItem(&index);
    if (!item || !IsChoiceType(item->type) || item->ChoiceCount() < 2) return;
    if (rightClick) {
        const std::int32_t picked = g_choiceMenu(Window(), item->choices, g_cursorPosition());
        if (picked < 1 || picked > item->ChoiceCount() || picked - 1 == item->value) return;
        item->value = picked - 1;
    } else {
        item->value = item->value + 1 >= item->ChoiceCount() || item->value < 0 ? 0 : item->value + 1;
    }
    AfterChoiceStep(*item, index);
}

std::int32_t ConfigMainDialog::OnDigitDelta(const NMUPDOWN* change) {
    std::size_t index = 0;
    ConfigItem* item = SelectedItem(&index);
    if (!item) return 1;
    // A number typed into the edit is taken first, as when the edit loses the focus.
    if (GetFocus() == Control(IDC_DIGIT_EDIT)) SetFocus(Control(IDC_DIGIT_SPIN));
    const std::int32_t digit = StepDigit(item->value, change->iDelta);
    const char text[2] = {static_cast<char>('0' + digit), 0};
    SetWindowTextA(Control(IDC_DIGIT_EDIT), text);
    item->value = digit;
    m_app.RelabelItem(index);
    return 1;
}

std::int32_t ConfigMainDialog::OnCustomDraw(NMTVCUSTOMDRAW* draw) {
    HWND tree = m_app.Tree();
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        SetResult(Window(), CDRF_NOTIFYITEMDRAW);
        return 1;
    }
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return 0;
    HTREEITEM treeItem = reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec);
    COLORREF text;
    ConfigItem* item = m_app.ItemOf(treeItem);
    if (!item) {
        if (ConfigTree::StateImage(tree, treeItem) != ConfigTree::kNoCheckBox)
            ConfigTree::SetStateImage(tree, treeItem, ConfigTree::kNoCheckBox);
        text = kGroupText;
    } else {
        if (item->treeState != kFixedHidden) {
            const int image = ConfigTree::StateImage(tree, treeItem);
            if (image == 1 || image == 2) item->treeState = static_cast<std::uint8_t>(image - 1);
        } else if (ConfigTree::StateImage(tree, treeItem) != ConfigTree::kNoCheckBox) {
            ConfigTree::SetStateImage(tree, treeItem, ConfigTree::kNoCheckBox);
        }
        text = kStateText[std::min<std::uint8_t>(item->treeState, 2)];
    }
    COLORREF background = kConfigTreeBackground;
    if (draw->nmcd.uItemState & CDIS_SELECTED) std::swap(text, background);
    draw->clrText = text;
    draw->clrTextBk = background;
    SetResult(Window(), CDRF_DODEFAULT);
    return 1;
}
