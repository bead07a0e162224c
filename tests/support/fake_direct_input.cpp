#include "tests/support/fake_direct_input.h"

#include <algorithm>
#include <cstring>

namespace testsupport {

FakeDirectInputDevice::FakeDirectInputDevice() = default;

void FakeDirectInputDevice::SetJoystick(LONG x, LONG y, std::vector<int> pressedButtons) {
    DIJOYSTATE joystick = {};
    joystick.lX = x;
    joystick.lY = y;
    for (int button : pressedButtons) joystick.rgbButtons[button] = 0x80;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&joystick);
    state.assign(bytes, bytes + sizeof(joystick));
}

void FakeDirectInputDevice::SetKeys(std::vector<std::uint8_t> downCodes) {
    state.assign(256, 0);
    for (std::uint8_t code : downCodes) state[code] = 0x80;
}

void FakeDirectInputDevice::SetMouse(LONG wheel, std::vector<int> pressedButtons) {
    DIMOUSESTATE mouse = {};
    mouse.lZ = wheel;
    for (int button : pressedButtons) mouse.rgbButtons[button] = 0x80;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&mouse);
    state.assign(bytes, bytes + sizeof(mouse));
}

HRESULT FakeDirectInputDevice::QueryInterface(REFIID riid, void** object) {
    if (FAILED(queryInterfaceResult)) {
        *object = nullptr;
        return queryInterfaceResult;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirectInputDeviceA) ||
        IsEqualIID(riid, IID_IDirectInputDevice2A)) {
        *object = static_cast<IDirectInputDevice2A*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG FakeDirectInputDevice::AddRef() { return static_cast<ULONG>(++references); }

ULONG FakeDirectInputDevice::Release() { return static_cast<ULONG>(--references); }

HRESULT FakeDirectInputDevice::GetCapabilities(LPDIDEVCAPS caps) {
    if (FAILED(capabilitiesResult)) return capabilitiesResult;
    if (caps->dwSize != sizeof(DIDEVCAPS)) return DIERR_INVALIDPARAM;
    caps->dwButtons = buttons;
    caps->dwAxes = axes;
    return DI_OK;
}

HRESULT FakeDirectInputDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA, LPVOID, DWORD) {
    return E_NOTIMPL;
}

HRESULT FakeDirectInputDevice::GetProperty(REFGUID property, LPDIPROPHEADER header) {
    if (&property != &DIPROP_RANGE || header->dwHow != DIPH_BYOFFSET ||
        header->dwSize != sizeof(DIPROPRANGE)) {
        return DIERR_UNSUPPORTED;
    }
    auto* range = reinterpret_cast<DIPROPRANGE*>(header);
    if (header->dwObj == DIJOFS_X) {
        if (FAILED(rangeXResult)) return rangeXResult;
        range->lMin = xMin;
        range->lMax = xMax;
        return DI_OK;
    }
    if (header->dwObj == DIJOFS_Y) {
        if (FAILED(rangeYResult)) return rangeYResult;
        range->lMin = yMin;
        range->lMax = yMax;
        return DI_OK;
    }
    return DIERR_OBJECTNOTFOUND;
}

HRESULT FakeDirectInputDevice::SetProperty(REFGUID property, LPCDIPROPHEADER header) {
    if (FAILED(setPropertyResult)) return setPropertyResult;
    if (&property == &DIPROP_AXISMODE && header->dwHow == DIPH_DEVICE &&
        header->dwSize == sizeof(DIPROPDWORD)) {
        axisMode = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        return DI_OK;
    }
    return DIERR_UNSUPPORTED;
}

HRESULT FakeDirectInputDevice::Acquire() {
    ++acquires;
    return DI_OK;
}

HRESULT FakeDirectInputDevice::Unacquire() {
    ++unacquires;
    return DI_OK;
}

HRESULT FakeDirectInputDevice::GetDeviceState(DWORD size, LPVOID data) {
    ++stateReads;
    lastStateSize = size;
    if (FAILED(stateResult)) return stateResult;
    std::memset(data, 0, size);
    std::memcpy(data, state.data(), std::min<std::size_t>(size, state.size()));
    return DI_OK;
}

HRESULT FakeDirectInputDevice::GetDeviceData(DWORD, LPDIDEVICEOBJECTDATA, LPDWORD, DWORD) {
    return E_NOTIMPL;
}

HRESULT FakeDirectInputDevice::SetDataFormat(LPCDIDATAFORMAT format) {
    if (FAILED(setDataFormatResult)) return setDataFormatResult;
    dataFormat = format;
    return DI_OK;
}

HRESULT FakeDirectInputDevice::SetEventNotification(HANDLE) { return E_NOTIMPL; }

HRESULT FakeDirectInputDevice::SetCooperativeLevel(HWND window, DWORD flags) {
    if (FAILED(setCooperativeLevelResult)) return setCooperativeLevelResult;
    cooperativeWindow = window;
    cooperativeFlags = flags;
    return DI_OK;
}

HRESULT FakeDirectInputDevice::GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD) {
    return E_NOTIMPL;
}

HRESULT FakeDirectInputDevice::GetDeviceInfo(LPDIDEVICEINSTANCEA info) {
    if (FAILED(deviceInfoResult)) return deviceInfoResult;
    if (info->dwSize != sizeof(DIDEVICEINSTANCEA)) return DIERR_INVALIDPARAM;
    std::memset(info->tszProductName, 0, sizeof(info->tszProductName));
    std::memcpy(info->tszProductName, productName.data(),
                std::min(productName.size(), sizeof(info->tszProductName)));
    return DI_OK;
}

HRESULT FakeDirectInputDevice::RunControlPanel(HWND, DWORD) { return E_NOTIMPL; }

HRESULT FakeDirectInputDevice::Initialize(HINSTANCE, DWORD, REFGUID) { return DI_OK; }

HRESULT FakeDirectInputDevice::CreateEffect(REFGUID, LPCDIEFFECT, LPDIRECTINPUTEFFECT*,
                                            LPUNKNOWN) {
    return E_NOTIMPL;
}

HRESULT FakeDirectInputDevice::EnumEffects(LPDIENUMEFFECTSCALLBACKA, LPVOID, DWORD) {
    return E_NOTIMPL;
}

HRESULT FakeDirectInputDevice::GetEffectInfo(LPDIEFFECTINFOA, REFGUID) { return E_NOTIMPL; }

HRESULT FakeDirectInputDevice::GetForceFeedbackState(LPDWORD) { return E_NOTIMPL; }

HRESULT FakeDirectInputDevice::SendForceFeedbackCommand(DWORD) { return E_NOTIMPL; }

HRESULT FakeDirectInputDevice::EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK,
                                                        LPVOID, DWORD) {
    return E_NOTIMPL;
}

HRESULT FakeDirectInputDevice::Escape(LPDIEFFESCAPE) { return E_NOTIMPL; }

HRESULT FakeDirectInputDevice::Poll() {
    ++polls;
    return DI_OK;
}

HRESULT FakeDirectInputDevice::SendDeviceData(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) {
    return E_NOTIMPL;
}

void FakeDirectInput::AddDevice(const GUID& guid, FakeDirectInputDevice* device) {
    m_devices.emplace_back(guid, device);
}

GUID FakeDirectInput::AddJoystick(FakeDirectInputDevice* device) {
    GUID guid = {0x5e1ec700u + static_cast<unsigned long>(m_joysticks.size()), 0x1234, 0x5678,
                 {1, 2, 3, 4, 5, 6, 7, 8}};
    m_joysticks.push_back(guid);
    AddDevice(guid, device);
    return guid;
}

HRESULT FakeDirectInput::QueryInterface(REFIID riid, void** object) {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirectInputA)) {
        *object = static_cast<IDirectInputA*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG FakeDirectInput::AddRef() { return static_cast<ULONG>(++references); }

ULONG FakeDirectInput::Release() { return static_cast<ULONG>(--references); }

HRESULT FakeDirectInput::CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICEA* device, LPUNKNOWN) {
    *device = nullptr;
    for (auto& entry : m_devices) {
        if (!IsEqualGUID(entry.first, guid)) continue;
        if (!entry.second) return DIERR_DEVICENOTREG;
        entry.second->AddRef();
        *device = entry.second;
        return DI_OK;
    }
    return DIERR_DEVICENOTREG;
}

HRESULT FakeDirectInput::EnumDevices(DWORD type, LPDIENUMDEVICESCALLBACKA callback,
                                     LPVOID context, DWORD) {
    ++enumerations;
    if (type != DIDEVTYPE_JOYSTICK) return DI_OK;
    for (const GUID& guid : m_joysticks) {
        DIDEVICEINSTANCEA instance = {};
        instance.dwSize = sizeof(instance);
        instance.guidInstance = guid;
        instance.dwDevType = DIDEVTYPE_JOYSTICK;
        if (callback(&instance, context) == DIENUM_STOP) break;
    }
    return DI_OK;
}

HRESULT FakeDirectInput::GetDeviceStatus(REFGUID) { return DI_OK; }

HRESULT FakeDirectInput::RunControlPanel(HWND, DWORD) { return E_NOTIMPL; }

HRESULT FakeDirectInput::Initialize(HINSTANCE, DWORD) { return DI_OK; }

}  // namespace testsupport
