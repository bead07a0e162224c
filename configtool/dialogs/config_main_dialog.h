// ConfigMainDialog: the tool's one window, built from dialog template 101. The tree on the left
// shows the groups and items with their values; on the right the editor that fits the selected
// item, its reset button and its description; along the bottom reset-all, Save and Cancel.
//
// Values change in the items at once; the files change only on Save. Save (when it succeeds) and
// Cancel destroy the dialog, whose WM_DESTROY ends the message loop.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "configtool/app/modeless_dialog.h"

class ConfigToolApp;
struct ConfigItem;

// The tree's background in developer mode (dark blue).
constexpr COLORREF kConfigTreeBackground = 0x780000;

// Where the dialog opens: the start-up position when the process was given one (positive in x
// and y) and the window fits the work area there, else (50, 52).
POINT ChooseStartPosition(const STARTUPINFOA& startup, const RECT& workArea, SIZE window);

// The pop-up menu of an item's choices at a screen point: the command id picked (choice index
// + 1), or 0 for none. Replaceable, so that tests pick without a real menu.
using ChoiceMenuFunc = std::int32_t (*)(HWND owner, const std::vector<std::string>& choices, POINT at);
ChoiceMenuFunc SetChoiceMenuFunc(ChoiceMenuFunc menu);
// The cursor position in screen coordinates for the tree's right click; replaceable as well.
using CursorPositionFunc = POINT (*)();
CursorPositionFunc SetCursorPositionFunc(CursorPositionFunc cursor);

class ConfigMainDialog final : public ModelessDialog {
public:
    explicit ConfigMainDialog(ConfigToolApp& app) : m_app(app) {}

    void OnInitDialog(HWND window) override { OnConfigDialogInit(window); }
    std::int32_t OnMessage(MessageRecord& record) override { return OnConfigDialogMessage(record); }

    void OnConfigDialogInit(HWND window);
    std::int32_t OnConfigDialogMessage(MessageRecord& record);
    std::int32_t OnConfigDialogCommand(MessageRecord& record);
    std::int32_t OnConfigTreeNotify(MessageRecord& record);
    void SetConfigDialogTitle(HWND window);
    // Type -1 with no item shows the empty state.
    void ShowItemEditor(std::int32_t type, ConfigItem* item);
    void ShowItemValue(ConfigItem* item);

    // The digit an up-down step leads to. A typed number outside 0-9 is first clamped into it,
    // then the up arrow (a negative delta) raises and the down arrow lowers it, within 0-9.
    static std::int32_t StepDigit(std::int32_t value, std::int32_t delta);
    // The caption for the records (player mode) or none (developer mode).
    std::string Caption() const;

private:
    struct ControlPlace {
        int x;  // left, or distance from the right edge to the left side
        int y;  // top, or distance from the bottom edge to the top
    };

    HWND Control(int id) const { return GetDlgItem(Window(), id); }
    ConfigItem* SelectedItem(std::size_t* index);
    void AfterChoiceStep(ConfigItem& item, std::size_t index);
    void CaptureLayout();
    void ResizeControls(int width, int height);
    void LimitSizing(WPARAM edge, RECT* rect) const;
    std::int32_t OnCustomDraw(NMTVCUSTOMDRAW* draw);
    void OnChoiceClick(bool rightClick);
    std::int32_t OnDigitDelta(const NMUPDOWN* change);
    void ResetAll();

    ConfigToolApp& m_app;
    ControlPlace m_places[1016 - 1002 + 1] = {};
    SIZE m_treeMargin = {};
    SIZE m_initialWindow = {};
    int m_descriptionWidth = 0;
    int m_descriptionHeightMargin = 0;
    int m_separatorWidthMargin = 0;
};
