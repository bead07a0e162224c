#include "game/dialogs/dialog_host.h"

void DialogHost::Center(HWND dialog) const {
    if (center) {
        center(dialog);
        return;
    }
    RECT area = {};
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner == nullptr || !GetWindowRect(owner, &area)) SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT rect = {};
    GetWindowRect(dialog, &rect);
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
