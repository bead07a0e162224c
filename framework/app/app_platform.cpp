#include "framework/app/app_platform.h"

int AppPlatform::MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    return MessageBoxA(owner, text, caption, type);
}

BOOL AppPlatform::SystemParameters(UINT action, UINT parameter, void* value, UINT winIni) {
    return SystemParametersInfoA(action, parameter, value, winIni);
}

EXECUTION_STATE AppPlatform::SetExecutionState(EXECUTION_STATE state) {
    return SetThreadExecutionState(state);
}

BOOL AppPlatform::GetCursor(POINT& point) { return GetCursorPos(&point); }

BOOL AppPlatform::SetCursor(int x, int y) { return SetCursorPos(x, y); }

DWORD AppPlatform::TickCount() { return GetTickCount(); }

AppPlatform& SystemAppPlatform() {
    static AppPlatform platform;
    return platform;
}
