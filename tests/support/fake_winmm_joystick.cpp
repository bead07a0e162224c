#include "tests/support/fake_winmm_joystick.h"

#include <algorithm>
#include <cstring>

namespace testsupport {

namespace {

FakeWinmm g_winmm;

FakeWinmmDevice* Device(UINT_PTR id) {
    return id < UINT_PTR(FakeWinmm::kDevices) ? &g_winmm.devices[id] : nullptr;
}

UINT WINAPI FakeGetNumDevs() { return g_winmm.deviceCount; }

MMRESULT WINAPI FakeGetDevCaps(UINT_PTR id, LPJOYCAPSA caps, UINT size) {
    ++g_winmm.capsReads;
    FakeWinmmDevice* device = Device(id);
    if (!device || !device->capsOk) return JOYERR_UNPLUGGED;
    if (size != sizeof(JOYCAPSA)) return MMSYSERR_INVALPARAM;
    std::memset(caps, 0, sizeof(JOYCAPSA));
    caps->wXmin = device->xMin;
    caps->wXmax = device->xMax;
    caps->wYmin = device->yMin;
    caps->wYmax = device->yMax;
    caps->wNumButtons = device->buttons;
    caps->wNumAxes = device->axes;
    std::memcpy(caps->szPname, device->name.data(),
                std::min(device->name.size(), sizeof(caps->szPname)));
    return JOYERR_NOERROR;
}

MMRESULT WINAPI FakeGetPos(UINT id, LPJOYINFO info) {
    ++g_winmm.positionReads;
    FakeWinmmDevice* device = Device(id);
    if (!device || !device->capsOk || !device->positionOk) return JOYERR_UNPLUGGED;
    info->wXpos = device->x;
    info->wYpos = device->y;
    info->wZpos = 0;
    // joyGetPos reports the first four buttons only.
    info->wButtons = device->buttonMask & 0xF;
    return JOYERR_NOERROR;
}

MMRESULT WINAPI FakeGetPosEx(UINT id, LPJOYINFOEX info) {
    ++g_winmm.positionExReads;
    g_winmm.lastExSize = info->dwSize;
    g_winmm.lastExFlags = info->dwFlags;
    FakeWinmmDevice* device = Device(id);
    if (!device || !device->capsOk || !device->positionOk) return JOYERR_UNPLUGGED;
    if (info->dwSize != sizeof(JOYINFOEX)) return MMSYSERR_INVALPARAM;
    info->dwXpos = device->x;
    info->dwYpos = device->y;
    info->dwButtons = device->buttonMask;
    return JOYERR_NOERROR;
}

const WinmmJoystickApi kFakeApi = {&FakeGetNumDevs, &FakeGetDevCaps, &FakeGetPos, &FakeGetPosEx};

}  // namespace

FakeWinmm& TheFakeWinmm() { return g_winmm; }

const WinmmJoystickApi& FakeWinmmApi() { return kFakeApi; }

}  // namespace testsupport
