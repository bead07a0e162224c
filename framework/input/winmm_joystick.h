// WinmmJoystick: a game controller through the multimedia joystick functions, used when the
// program runs without DirectInput and by the settings pages to test buttons. It reads at most
// 16 buttons (the functions report no more).
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "framework/input/joystick_device.h"

// The winmm joystick functions the joystick calls; tests hand in their own.
struct WinmmJoystickApi {
    UINT(WINAPI* getNumDevs)();
    MMRESULT(WINAPI* getDevCaps)(UINT_PTR id, LPJOYCAPSA caps, UINT size);
    MMRESULT(WINAPI* getPos)(UINT id, LPJOYINFO info);
    MMRESULT(WINAPI* getPosEx)(UINT id, LPJOYINFOEX info);
};

const WinmmJoystickApi& SystemWinmmJoystickApi();

class WinmmJoystick : public JoystickDevice {
public:
    explicit WinmmJoystick(const WinmmJoystickApi& api = SystemWinmmJoystickApi());
    ~WinmmJoystick() override;

    void Unacquire() override;
    std::int32_t Poll() override;

    // id: a device id, or -1 for the first usable one. rescan marks which slots answer with
    // capabilities; exclusive takes the slot for this joystick alone. 0, or 1 id not below the
    // slot count (exclusive only), 2 no free slot or the slot is in use, 3 joyGetDevCapsA
    // failed, 4 joyGetPos failed. Releases what it had before.
    std::int32_t Open(std::int32_t id, bool rescan, bool exclusive);
    // Frees the slot when it was opened exclusively.
    void Release();

    bool IsOpen() const { return m_opened; }

private:
    bool ReadCaps(std::int32_t id, JOYCAPSA* caps) const;
    // The slot that an open of id -1 takes, or -1.
    std::int32_t ChooseSlot(bool exclusive, JOYCAPSA* caps) const;

    const WinmmJoystickApi& m_api;
    bool m_opened;
    bool m_scanned;
    bool m_exclusive;
};
