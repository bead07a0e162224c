#include "framework/display/display_device_list.h"

#include <cstring>

namespace {

std::vector<DisplayAdapterRecord> g_adapters;

constexpr std::uintptr_t kEmulationOnly = 1;
constexpr std::uintptr_t kWithModes = 2;

HRESULT WINAPI KeepMode(DDSURFACEDESC2* desc, void* context) {
    const DWORD wanted = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    if ((desc->dwFlags & wanted) && (desc->ddpfPixelFormat.dwFlags & DDPF_RGB)) {
        static_cast<DisplayAdapterRecord*>(context)->modes.push_back(
            {desc->dwWidth, desc->dwHeight, desc->ddpfPixelFormat.dwRGBBitCount, desc->dwRefreshRate});
    }
    return DDENUMRET_OK;
}

HRESULT WINAPI KeepDevice(char*, char* name, D3DDEVICEDESC7* desc, void* context) {
    DisplayDeviceRecord device = {};
    device.id = desc->deviceGUID;
    device.name = name ? name : "";
    device.renderBitDepths = desc->dwDeviceRenderBitDepth;
    device.hardware = (desc->dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) != 0;
    device.description = *desc;
    static_cast<DisplayAdapterRecord*>(context)->devices.push_back(device);
    return D3DENUMRET_OK;
}

BOOL WINAPI KeepDriver(GUID* guid, char* description, char* name, void* context, HMONITOR monitor) {
    const auto flags = reinterpret_cast<std::uintptr_t>(context);
    IDirectDraw7* directDraw = nullptr;
    if (FAILED(CoCreateInstance(CLSID_DirectDraw, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectDraw7,
                                reinterpret_cast<void**>(&directDraw))))
        return TRUE;
    GUID* open = (flags & kEmulationOnly) ? reinterpret_cast<GUID*>(DDCREATE_EMULATIONONLY) : guid;
    IDirect3D7* direct3D = nullptr;
    if (FAILED(directDraw->Initialize(open)) ||
        FAILED(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)))) {
        directDraw->Release();
        return TRUE;
    }
    g_adapters.emplace_back();
    DisplayAdapterRecord& adapter = g_adapters.back();
    adapter.id = guid ? *guid : GUID{};
    adapter.description = description ? description : "";
    adapter.driverName = name ? name : "";
    adapter.monitor = monitor;
    adapter.hardwareCaps.dwSize = sizeof(DDCAPS);
    adapter.emulationCaps.dwSize = sizeof(DDCAPS);
    directDraw->GetCaps(&adapter.hardwareCaps, &adapter.emulationCaps);
    adapter.flag = !guid && (adapter.hardwareCaps.dwCaps2 & DDCAPS2_CANRENDERWINDOWED) ? 1 : 0;
    if (flags & kWithModes) directDraw->EnumDisplayModes(DDEDM_REFRESHRATES, nullptr, &adapter, KeepMode);
    direct3D->EnumDevices(KeepDevice, &adapter);
    direct3D->Release();
    directDraw->Release();
    return TRUE;
}

struct Candidate {
    const DisplayAdapterRecord* adapter = nullptr;
    const DisplayDeviceRecord* device = nullptr;
};

}  // namespace

const GUID* DisplayAdapterRecord::GuidOrNull() const {
    static const GUID kZero = {};
    return std::memcmp(&id, &kZero, sizeof(GUID)) == 0 ? nullptr : &id;
}

const std::vector<DisplayAdapterRecord>& DisplayDeviceList() { return g_adapters; }

std::int32_t EnumerateDisplayDevices(bool emulationOnly, bool withModes) {
    FreeDisplayDeviceList();
    HMODULE ddraw = LoadLibraryA("ddraw.dll");
    if (!ddraw) return 1;
    if (!GetProcAddress(ddraw, "DirectDrawCreateEx")) {
        FreeLibrary(ddraw);
        return 2;
    }
    auto enumerate = reinterpret_cast<HRESULT(WINAPI*)(LPDDENUMCALLBACKEXA, void*, DWORD)>(
        reinterpret_cast<void*>(GetProcAddress(ddraw, "DirectDrawEnumerateExA")));
    if (!enumerate) {
        FreeLibrary(ddraw);
        return 3;
    }
    const std::uintptr_t flags = (emulationOnly ? kEmulationOnly : 0) | (withModes ? kWithModes : 0);
    enumerate(KeepDriver, reinterpret_cast<void*>(flags),
              DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES);
    FreeLibrary(ddraw);
    return g_adapters.empty() ? -1 : 0;
}

bool ChooseDisplayDevice(const std::vector<DisplayAdapterRecord>& adapters, bool considerSecondaryDrivers,
                         DisplayDeviceChoice& out) {
    if (adapters.empty()) return false;
    Candidate tnl, hal, software, reference;
    std::uint8_t halOnDefault = 1;
    if (considerSecondaryDrivers) {
        for (const DisplayAdapterRecord& adapter : adapters) {
            if (adapter.flag) continue;
            for (const DisplayDeviceRecord& device : adapter.devices) {
                if (!device.hardware) continue;
                hal = {&adapter, &device};
                halOnDefault = 0;
            }
        }
    }
    for (const DisplayAdapterRecord& adapter : adapters) {
        if (!adapter.flag) continue;
        for (const DisplayDeviceRecord& device : adapter.devices) {
            if (device.hardware && IsEqualGUID(device.id, IID_IDirect3DTnLHalDevice)) {
                tnl = {&adapter, &device};
            } else if (device.hardware) {
                hal = {&adapter, &device};
                halOnDefault = 1;
            } else if (IsEqualGUID(device.id, IID_IDirect3DRefDevice)) {
                reference = {&adapter, &device};
            } else {
                software = {&adapter, &device};
            }
        }
    }
    out.flag = 1;
    out.deviceClass = 0;
    Candidate chosen = reference;
    if (tnl.device) {
        chosen = tnl;
        out.deviceClass = 2;
    } else if (hal.device) {
        chosen = hal;
        out.deviceClass = 1;
        out.flag = halOnDefault;
    } else if (software.device) {
        chosen = software;
    }
    if (!chosen.device) return false;
    out.adapter = chosen.adapter->id;
    out.device = chosen.device->id;
    out.renderBitDepths = chosen.device->renderBitDepths;
    return true;
}

bool ChooseDisplayDevice(DisplayDeviceChoice& out, bool considerSecondaryDrivers) {
    return ChooseDisplayDevice(g_adapters, considerSecondaryDrivers, out);
}

void FreeDisplayDeviceList() { g_adapters.clear(); }
