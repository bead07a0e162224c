// Drives the modal dialogs and property sheets that open on the test's own thread, so that no
// test ever waits on a modal box: a thread hook notes each top-level dialog window as it is
// made, and a thread timer (served by whatever modal loop runs) hands the newest one to the
// next step of the script. Steps start as soon as the dialog's loop runs, before the dialog has
// shown itself (showing a window costs seconds under the emulation). A dialog still open once its step is done, or once the safety limit
// has passed, is closed by the driver (and counted as closed by force).
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

class DialogDriver {
public:
    // Called on every tick with the dialog (or the sheet) until it answers true: the step has
    // ended its dialog (a click on a closing button, CloseDialog). A dialog still open after the
    // limit is ended by the driver.
    using Step = std::function<bool(HWND dialog)>;

    // `limitMs`: how long one dialog may stay open before the driver ends it.
    explicit DialogDriver(std::uint32_t limitMs = 30000);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // Appends a step for the next dialog that opens.
    DialogDriver& Then(Step step);
    // A step that only reads the dialog and then closes it (CloseDialog).
    DialogDriver& ThenClose(std::function<void(HWND dialog)> look = nullptr);

    // Dialogs that opened, and the window texts they had when their step first ran.
    int Opened() const { return static_cast<int>(m_captions.size()); }
    const std::vector<std::string>& Captions() const { return m_captions; }
    // Dialogs the driver had to end itself (their step never finished, or none was left).
    int ForcedClosed() const { return m_forced; }
    int StepsLeft() const { return static_cast<int>(m_steps.size()); }

private:
    struct Open {
        HWND window;
        std::uint32_t since;
        bool stepDone;
        bool captured;
    };
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void Serve();
    void ForceClose(HWND window);

    static DialogDriver* s_current;
    HHOOK m_hook = nullptr;
    UINT_PTR m_timer = 0;
    std::uint32_t m_limit;
    std::deque<Step> m_steps;
    std::vector<Open> m_open;
    std::vector<std::string> m_captions;
    int m_forced = 0;
    bool m_serving = false;
};

// Ends a dialog as its Cancel would (a sheet's Cancel button, EndDialog with -2 otherwise).
void CloseDialog(HWND window);

// Control helpers for the steps.
std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const char* text);
bool IsChecked(HWND dialog, int id);
// Sets a check box or radio button and tells the dialog, as a click would.
void SetChecked(HWND dialog, int id, bool on);
// A button click as the dialog receives it (WM_COMMAND BN_CLICKED from the control).
void Click(HWND dialog, int id);
bool IsItemEnabled(HWND dialog, int id);
// Selects an item of a drop-down list and tells the dialog (CBN_SELCHANGE).
void SelectCombo(HWND dialog, int id, int index);
int ComboSelection(HWND dialog, int id);
// The i-th string of a combo box.
std::string ComboItem(HWND dialog, int id, int index);
// Property sheets: the current page, a page notification as the sheet sends it, a button.
HWND CurrentPage(HWND sheet);
void PressSheetButton(HWND sheet, int button);
void SelectSheetPage(HWND sheet, int index);

}  // namespace testsupport
