// AppPlatform: the Win32 calls of the application that touch the whole desktop (message boxes,
// system parameters, the execution state, the cursor, the tick count). Tests replace them so
// that no test shows a real box or changes the machine's settings.
#pragma once

#include <windows.h>

class AppPlatform {
public:
    virtual ~AppPlatform() = default;
    // Every box of the application goes through here.
    virtual int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
    virtual BOOL SystemParameters(UINT action, UINT parameter, void* value, UINT winIni);
    virtual EXECUTION_STATE SetExecutionState(EXECUTION_STATE state);
    virtual BOOL GetCursor(POINT& point);
    virtual BOOL SetCursor(int x, int y);
    virtual DWORD TickCount();
};

AppPlatform& SystemAppPlatform();
