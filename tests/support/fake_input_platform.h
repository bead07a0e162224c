// An InputPlatform for tests: keys are down or toggled as the test says, the display counter of
// ShowCursor is a number the test sets, cursors are made-up handles, and every cursor call is
// counted. Nothing touches the real keyboard or pointer.
#pragma once

#include <array>

#include "framework/input/input_platform.h"

namespace testsupport {

class FakeInputPlatform : public InputPlatform {
public:
    FakeInputPlatform() { down.fill(false); toggled.fill(false); }

    void Press(int virtualKey) { down[virtualKey & 0xFF] = true; }
    void Release(int virtualKey) { down[virtualKey & 0xFF] = false; }
    void ReleaseAll() { down.fill(false); }

    SHORT GetAsyncKeyState(int virtualKey) override {
        ++asyncKeyReads;
        return down[virtualKey & 0xFF] ? static_cast<SHORT>(0x8000) : 0;
    }
    SHORT GetKeyState(int virtualKey) override {
        const bool held = down[virtualKey & 0xFF];
        return static_cast<SHORT>((held ? 0x8000 : 0) | (toggled[virtualKey & 0xFF] ? 1 : 0));
    }
    int ShowCursor(BOOL show) override {
        ++showCursorCalls;
        displayCounter += show ? 1 : -1;
        return displayCounter;
    }
    BOOL GetCursorPos(POINT* point) override {
        ++getCursorPosCalls;
        *point = cursor;
        return TRUE;
    }
    BOOL SetCursorPos(int x, int y) override {
        ++setCursorPosCalls;
        cursor = {x, y};
        return TRUE;
    }

    // Standard cursors (no instance) are handles made of their ids; a resource cursor exists
    // only for the instance and id in `resourceCursor`.
    HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) override {
        const auto id = reinterpret_cast<ULONG_PTR>(name);
        if (!instance) return reinterpret_cast<HCURSOR>(0x10000 + id);
        if (instance == resourceInstance && id == resourceId) return reinterpret_cast<HCURSOR>(0x20000 + id);
        return nullptr;
    }

    std::array<bool, 256> down;
    std::array<bool, 256> toggled;
    int displayCounter = 0;
    int showCursorCalls = 0;
    int asyncKeyReads = 0;
    POINT cursor = {10, 20};
    int getCursorPosCalls = 0;
    int setCursorPosCalls = 0;
    HINSTANCE resourceInstance = nullptr;
    ULONG_PTR resourceId = 0;
};

}  // namespace testsupport
