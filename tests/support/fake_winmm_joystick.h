// A stand-in for winmm's joystick functions: a table of devices whose capabilities and
// positions the test sets, reached through the function table that WinmmJoystick takes.
// There is one set of devices per process (the table holds plain functions); Reset() before
// use.
#pragma once

#include <string>

#include "framework/input/winmm_joystick.h"

namespace testsupport {

struct FakeWinmmDevice {
    bool capsOk = false;
    bool positionOk = true;
    UINT buttons = 4;
    UINT axes = 2;
    UINT xMin = 0, xMax = 65535, yMin = 0, yMax = 65535;
    std::string name;
    DWORD x = 32767, y = 32767;
    DWORD buttonMask = 0;
};

struct FakeWinmm {
    static constexpr int kDevices = 16;

    UINT deviceCount = 0;
    FakeWinmmDevice devices[kDevices];
    int capsReads = 0;
    int positionReads = 0;
    int positionExReads = 0;
    DWORD lastExSize = 0;
    DWORD lastExFlags = 0;

    // Every device absent and every count zero.
    void Reset() { *this = FakeWinmm(); }
};

// The process's fake devices.
FakeWinmm& TheFakeWinmm();
// The function table over them.
const WinmmJoystickApi& FakeWinmmApi();

}  // namespace testsupport
