#include "framework/input/winmm_joystick.h"

#include "framework/input/joystick_slot_table.h"

namespace {

const WinmmJoystickApi kSystemApi = {&joyGetNumDevs, &joyGetDevCapsA, &joyGetPos, &joyGetPosEx};

// More buttons than joyGetPos reports need joyGetPosEx.
constexpr std::int32_t kPlainReadButtons = 4;

}  // namespace

const WinmmJoystickApi& SystemWinmmJoystickApi() { return kSystemApi; }

WinmmJoystick::WinmmJoystick(const WinmmJoystickApi& api)
    : m_api(api), m_opened(false), m_scanned(false), m_exclusive(false) {}

WinmmJoystick::~WinmmJoystick() { Release(); }

bool WinmmJoystick::ReadCaps(std::int32_t id, JOYCAPSA* caps) const {
    return m_api.getDevCaps(static_cast<UINT_PTR>(id), caps, sizeof(JOYCAPSA)) == JOYERR_NOERROR;
}

std::int32_t WinmmJoystick::ChooseSlot(bool exclusive, JOYCAPSA* caps) const {
    const JoystickSlotTable& table = JoystickSlots();
    for (std::int32_t id = 0; id < table.slotCount; ++id) {
        const JoystickSlot& slot = table.slots[id];
        if (exclusive && slot.inUse) continue;
        if (m_scanned) {
            if (slot.present) return id;
        } else if (ReadCaps(id, caps)) {
            return id;
        }
    }
    return -1;
}

std::int32_t WinmmJoystick::Open(std::int32_t id, bool rescan, bool exclusive) {
    Release();
    JoystickSlotTable& table = JoystickSlots();
    if (table.slotCount == 0) {
        const UINT devices = m_api.getNumDevs();
        table.slotCount = static_cast<std::int32_t>(
            devices < UINT(JoystickSlotTable::kSlots) ? devices : JoystickSlotTable::kSlots);
    }
    if (rescan) {
        m_scanned = true;
        JOYCAPSA caps;
        for (std::int32_t slot = 0; slot < table.slotCount; ++slot) {
            table.slots[slot].present = ReadCaps(slot, &caps);
        }
    }
    if (exclusive && id >= table.slotCount) return 1;

    JOYCAPSA caps = {};
    if (id >= 0) {
        if (exclusive && table.slots[id].inUse) return 2;
        if (!ReadCaps(id, &caps)) return 3;
    } else {
        id = ChooseSlot(exclusive, &caps);
        if (id < 0) return 2;
        if (m_scanned && !ReadCaps(id, &caps)) return 3;
    }
    JOYINFO position;
    if (m_api.getPos(static_cast<UINT>(id), &position) != JOYERR_NOERROR) return 4;

    m_opened = true;
    SetThresholds(caps.wXmin, caps.wXmax, caps.wYmin, caps.wYmax);
    m_slot = id;
    SetButtonCount(static_cast<std::int32_t>(caps.wNumButtons));
    m_axisCount = static_cast<std::uint16_t>(caps.wNumAxes);
    if (exclusive) table.slots[id].inUse = true;
    m_exclusive = exclusive;
    // Until the first poll the stick rests at the new thresholds, as a DirectInput one does: a
    // zeroed state would read as up and left, and hide the first real press of either.
    ClearState();
    caps.szPname[sizeof(caps.szPname) - 1] = '\0';
    SetName(caps.szPname);
    return 0;
}

void WinmmJoystick::Release() {
    if (m_opened && m_exclusive && m_slot >= 0 && m_slot < JoystickSlotTable::kSlots) {
        JoystickSlots().slots[m_slot].inUse = false;
    }
    m_opened = false;
    m_exclusive = false;
    ResetClosed();
}

void WinmmJoystick::Unacquire() {
    if (m_opened) ClearState();
}

std::int32_t WinmmJoystick::Poll() {
    if (!m_opened) return 1;
    DWORD x = 0, y = 0, buttons = 0;
    bool read;
    if (m_reportedButtons > kPlainReadButtons) {
        JOYINFOEX info = {};
        info.dwSize = sizeof(info);
        info.dwFlags = JOY_RETURNALL;
        read = m_api.getPosEx(static_cast<UINT>(m_slot), &info) == JOYERR_NOERROR;
        x = info.dwXpos;
        y = info.dwYpos;
        buttons = info.dwButtons;
    } else {
        JOYINFO info = {};
        read = m_api.getPos(static_cast<UINT>(m_slot), &info) == JOYERR_NOERROR;
        x = info.wXpos;
        y = info.wYpos;
        buttons = info.wButtons;
    }
    if (!read) {
        ClearState();
        return 2;
    }
    DIJOYSTATE& half = WritingHalf();
    half.lX = static_cast<LONG>(x & 0xFFFF);
    half.lY = static_cast<LONG>(y & 0xFFFF);
    buttons &= 0xFFFF;
    for (std::int32_t i = 0; i < m_usableButtons; ++i) {
        half.rgbButtons[i] = static_cast<BYTE>(((buttons >> i) & 1) << 7);
    }
    Flip();
    return 0;
}
