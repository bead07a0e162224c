#include "configtool/app/config_message.h"

#include "configtool/app/config_tool_app.h"
#include "configtool/settings/config_messages.h"

namespace {

void ShowMessageBox(const char* text, std::int32_t type, HWND owner, const char* caption) {
    MessageBoxA(owner, text, caption, ConfigMessageStyle(type, owner));
}

ConfigMessagePresenter g_presenter = ShowMessageBox;

}  // namespace

UINT ConfigMessageStyle(std::int32_t type, HWND owner) {
    UINT style = MB_OK;
    switch (type) {
        case 1: style |= MB_ICONEXCLAMATION; break;
        case 2: style |= MB_ICONINFORMATION; break;
        case 3: style |= MB_ICONQUESTION; break;
        case 4: style |= MB_ICONSTOP; break;
        default: break;
    }
    if (owner && owner == GetDesktopWindow()) style |= MB_SETFOREGROUND | MB_SYSTEMMODAL;
    return style;
}

ConfigMessagePresenter SetConfigMessagePresenter(ConfigMessagePresenter presenter) {
    ConfigMessagePresenter previous = g_presenter;
    g_presenter = presenter ? presenter : ShowMessageBox;
    return previous;
}

void ShowConfigMessage(const char* text, std::int32_t type, HWND owner, const char* caption) {
    if (!owner && g_configToolApp) owner = g_configToolApp->MainDialog().Window();
    g_presenter(text, type, owner, caption ? caption : ConfigMessages::kCaption);
}
