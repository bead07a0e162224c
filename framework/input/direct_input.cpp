#include "framework/input/direct_input.h"

std::int32_t ConfigureDirectInputDevice(IDirectInputDeviceA* device, const DIDATAFORMAT* format,
                                        HWND window) {
    if (FAILED(device->SetDataFormat(format))) return 3;
    if (FAILED(device->SetCooperativeLevel(window, kDirectInputCooperation))) return 4;
    return 0;
}

std::int32_t OpenDirectInputDevice(IDirectInputA* input, REFGUID guid, const DIDATAFORMAT* format,
                                   HWND window, IDirectInputDeviceA** device) {
    *device = nullptr;
    IDirectInputDeviceA* made = nullptr;
    if (FAILED(input->CreateDevice(guid, &made, nullptr)) || !made) return 2;
    const std::int32_t code = ConfigureDirectInputDevice(made, format, window);
    if (code != 0) {
        made->Release();
        return code;
    }
    *device = made;
    return 0;
}

HRESULT ReadDirectInputState(IDirectInputDeviceA* device, DWORD size, void* state) {
    const HRESULT result = device->GetDeviceState(size, state);
    if (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED) device->Acquire();
    return result;
}
