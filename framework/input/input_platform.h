// InputPlatform: the key-state and cursor calls of the Windows API that the input devices make.
// The program uses the system's; tests hand in one that answers from a table and counts calls,
// so no test depends on the real keyboard or moves the real pointer.
#pragma once

#include <windows.h>

class InputPlatform {
public:
    virtual ~InputPlatform() = default;

    virtual SHORT GetAsyncKeyState(int virtualKey) = 0;
    virtual SHORT GetKeyState(int virtualKey) = 0;
    // Returns the new display counter.
    virtual int ShowCursor(BOOL show) = 0;
    virtual BOOL GetCursorPos(POINT* point) = 0;
    virtual BOOL SetCursorPos(int x, int y) = 0;
    virtual HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) = 0;
};

InputPlatform& SystemInputPlatform();
