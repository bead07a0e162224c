// Fake DirectInput COM objects that answer from canned values: an IDirectInputA that hands out
// the devices a test registered by GUID and enumerates the joysticks it was given, and an
// IDirectInputDevice2A with canned capabilities, axis ranges, name and state, failing any step
// on demand. Tests own the objects (reference counts are kept for checking, never used to
// delete).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "framework/input/direct_input.h"

namespace testsupport {

class FakeDirectInputDevice : public IDirectInputDevice2A {
public:
    FakeDirectInputDevice();
    virtual ~FakeDirectInputDevice() = default;

    // Canned answers.
    DWORD buttons = 0;
    DWORD axes = 0;
    LONG xMin = 0, xMax = 65535, yMin = 0, yMax = 65535;
    std::string productName;
    // What GetDeviceState copies (as much as the caller asks for; the rest reads as zero).
    std::vector<std::uint8_t> state;

    // Failures on demand (S_OK = succeed).
    HRESULT queryInterfaceResult = S_OK;
    HRESULT setDataFormatResult = DI_OK;
    HRESULT setCooperativeLevelResult = DI_OK;
    HRESULT setPropertyResult = DI_OK;
    HRESULT capabilitiesResult = DI_OK;
    HRESULT rangeXResult = DI_OK;
    HRESULT rangeYResult = DI_OK;
    HRESULT deviceInfoResult = DI_OK;
    HRESULT stateResult = DI_OK;

    // What the device was told.
    const DIDATAFORMAT* dataFormat = nullptr;
    HWND cooperativeWindow = nullptr;
    DWORD cooperativeFlags = 0;
    DWORD axisMode = 0xFFFFFFFF;
    DWORD lastStateSize = 0;
    int acquires = 0;
    int unacquires = 0;
    int polls = 0;
    int stateReads = 0;
    LONG references = 1;

    // Joystick state helpers (state becomes a DIJOYSTATE).
    void SetJoystick(LONG x, LONG y, std::vector<int> pressedButtons = {});
    // Keyboard state helpers (state becomes 256 key bytes).
    void SetKeys(std::vector<std::uint8_t> downCodes);
    // Mouse state helpers (state becomes a DIMOUSESTATE).
    void SetMouse(LONG wheel, std::vector<int> pressedButtons = {});

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetCapabilities(LPDIDEVCAPS caps) override;
    HRESULT STDMETHODCALLTYPE EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA, LPVOID, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetProperty(REFGUID property, LPDIPROPHEADER header) override;
    HRESULT STDMETHODCALLTYPE SetProperty(REFGUID property, LPCDIPROPHEADER header) override;
    HRESULT STDMETHODCALLTYPE Acquire() override;
    HRESULT STDMETHODCALLTYPE Unacquire() override;
    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) override;
    HRESULT STDMETHODCALLTYPE GetDeviceData(DWORD, LPDIDEVICEOBJECTDATA, LPDWORD, DWORD) override;
    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override;
    HRESULT STDMETHODCALLTYPE SetEventNotification(HANDLE) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetDeviceInfo(LPDIDEVICEINSTANCEA info) override;
    HRESULT STDMETHODCALLTYPE RunControlPanel(HWND, DWORD) override;
    HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD, REFGUID) override;
    HRESULT STDMETHODCALLTYPE CreateEffect(REFGUID, LPCDIEFFECT, LPDIRECTINPUTEFFECT*,
                                           LPUNKNOWN) override;
    HRESULT STDMETHODCALLTYPE EnumEffects(LPDIENUMEFFECTSCALLBACKA, LPVOID, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetEffectInfo(LPDIEFFECTINFOA, REFGUID) override;
    HRESULT STDMETHODCALLTYPE GetForceFeedbackState(LPDWORD) override;
    HRESULT STDMETHODCALLTYPE SendForceFeedbackCommand(DWORD) override;
    HRESULT STDMETHODCALLTYPE EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK,
                                                       LPVOID, DWORD) override;
    HRESULT STDMETHODCALLTYPE Escape(LPDIEFFESCAPE) override;
    HRESULT STDMETHODCALLTYPE Poll() override;
    HRESULT STDMETHODCALLTYPE SendDeviceData(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) override;
};

class FakeDirectInput : public IDirectInputA {
public:
    // CreateDevice(guid) hands out `device` (null: CreateDevice fails).
    void AddDevice(const GUID& guid, FakeDirectInputDevice* device);
    // An attached joystick: enumerated in the order added, made by CreateDevice of its GUID.
    // Returns the GUID it was given.
    GUID AddJoystick(FakeDirectInputDevice* device);

    int enumerations = 0;
    LONG references = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICEA* device,
                                           LPUNKNOWN outer) override;
    HRESULT STDMETHODCALLTYPE EnumDevices(DWORD type, LPDIENUMDEVICESCALLBACKA callback,
                                          LPVOID context, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE GetDeviceStatus(REFGUID) override;
    HRESULT STDMETHODCALLTYPE RunControlPanel(HWND, DWORD) override;
    HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD) override;

private:
    std::vector<std::pair<GUID, FakeDirectInputDevice*>> m_devices;
    std::vector<GUID> m_joysticks;
};

}  // namespace testsupport
