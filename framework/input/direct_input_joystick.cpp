#include "framework/input/direct_input_joystick.h"

#include "framework/input/joystick_slot_table.h"

namespace {

BOOL CALLBACK EnumJoystickCallback(LPCDIDEVICEINSTANCEA device, LPVOID) {
    JoystickSlotTable& table = JoystickSlots();
    if (table.slotCount >= JoystickSlotTable::kSlots) return DIENUM_STOP;
    JoystickSlot& slot = table.slots[table.slotCount++];
    slot.instance = device->guidInstance;
    slot.present = true;
    return table.slotCount < JoystickSlotTable::kSlots ? DIENUM_CONTINUE : DIENUM_STOP;
}

bool ReadAxisRange(IDirectInputDevice2A* device, DWORD axis, LONG* min, LONG* max) {
    DIPROPRANGE range = {};
    range.diph.dwSize = sizeof(range);
    range.diph.dwHeaderSize = sizeof(range.diph);
    range.diph.dwObj = axis;
    range.diph.dwHow = DIPH_BYOFFSET;
    if (FAILED(device->GetProperty(DIPROP_RANGE, &range.diph))) return false;
    *min = range.lMin;
    *max = range.lMax;
    return true;
}

}  // namespace

DirectInputJoystick::DirectInputJoystick() : m_device(nullptr) {}

DirectInputJoystick::~DirectInputJoystick() { Release(); }

void DirectInputJoystick::Acquire() {
    if (m_device) m_device->Acquire();
}

void DirectInputJoystick::Unacquire() {
    if (m_device) m_device->Unacquire();
    ClearState();
}

std::int32_t DirectInputJoystick::Poll() {
    if (!m_device) return 1;
    m_device->Poll();
    if (SUCCEEDED(ReadDirectInputState(m_device, sizeof(DIJOYSTATE), &WritingHalf()))) {
        Flip();
        return 0;
    }
    ClearState();
    return 2;
}

std::int32_t DirectInputJoystick::Open(IDirectInputA* input, HWND window, std::int32_t id,
                                       bool rescan) {
    if (!input || id > 15) return 1;
    Release();
    JoystickSlotTable& table = JoystickSlots();
    if (table.slotCount == 0 || rescan) {
        // The enumeration numbers the controllers afresh; slots in use stay marked.
        table.slotCount = 0;
        for (JoystickSlot& slot : table.slots) slot.present = false;
        input->EnumDevices(DIDEVTYPE_JOYSTICK, &EnumJoystickCallback, nullptr,
                           DIEDFL_ATTACHEDONLY);
    }
    std::int32_t slot = -1;
    if (id < 0) {
        for (std::int32_t i = 0; i < JoystickSlotTable::kSlots; ++i) {
            if (table.slots[i].present && !table.slots[i].inUse) {
                slot = i;
                break;
            }
        }
    } else if (table.slots[id].present && !table.slots[id].inUse) {
        slot = id;
    }
    if (slot < 0) return 2;
    const std::int32_t code = OpenSlot(input, window, slot);
    if (code != 0) ReleaseInterface(m_device);
    return code;
}

std::int32_t DirectInputJoystick::OpenSlot(IDirectInputA* input, HWND window, std::int32_t slot) {
    JoystickSlotTable& table = JoystickSlots();
    IDirectInputDeviceA* first = nullptr;
    if (FAILED(input->CreateDevice(table.slots[slot].instance, &first, nullptr)) || !first) {
        return 3;
    }
    void* second = nullptr;
    const HRESULT query = first->QueryInterface(IID_IDirectInputDevice2A, &second);
    first->Release();
    if (FAILED(query) || !second) return 3;
    m_device = static_cast<IDirectInputDevice2A*>(second);
    if (ConfigureDirectInputDevice(m_device, &c_dfDIJoystick, window) != 0) return 4;

    DIDEVCAPS caps = {};
    caps.dwSize = sizeof(caps);
    if (FAILED(m_device->GetCapabilities(&caps))) return 5;
    LONG xMin, xMax, yMin, yMax;
    if (!ReadAxisRange(m_device, DIJOFS_X, &xMin, &xMax) ||
        !ReadAxisRange(m_device, DIJOFS_Y, &yMin, &yMax)) {
        return 5;
    }
    SetButtonCount(static_cast<std::int32_t>(caps.dwButtons));
    m_axisCount = static_cast<std::uint16_t>(caps.dwAxes);
    SetThresholds(xMin, xMax, yMin, yMax);

    m_device->Acquire();
    table.slots[slot].inUse = true;
    m_slot = slot;
    ClearState();

    DIDEVICEINSTANCEA info = {};
    info.dwSize = sizeof(info);
    const bool named = SUCCEEDED(m_device->GetDeviceInfo(&info));
    info.tszProductName[sizeof(info.tszProductName) - 1] = '\0';
    SetName(named ? info.tszProductName : nullptr);
    return 0;
}

void DirectInputJoystick::Release() {
    ReleaseInterface(m_device);
    if (m_slot >= 0) JoystickSlots().slots[m_slot].inUse = false;
    ResetClosed();
}
