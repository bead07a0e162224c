// A logging IDirect3DDevice7 for the state cache, the drawing list and the state blocks: every
// render state, texture-stage state, texture bind and scene bracket is recorded in order; caps
// and texture formats are injected, and chosen calls can be refused. Only the slots that the
// device layer uses are filled. Also a reference-counted stand-in for texture surfaces.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <cstdint>
#include <vector>

namespace testsupport {

struct DeviceCall {
    enum What { kRenderState, kStageState, kTexture, kBeginScene, kEndScene } what;
    DWORD type;   // state type; the stage for textures
    DWORD value;  // state value; the surface address for textures
    bool operator==(const DeviceCall& o) const { return what == o.what && type == o.type && value == o.value; }
};

inline DeviceCall Render(DWORD type, DWORD value) { return {DeviceCall::kRenderState, type, value}; }
inline DeviceCall Stage(DWORD type, DWORD value) { return {DeviceCall::kStageState, type, value}; }

// A COM object that only counts its references (slots 0 to 2 of IDirectDrawSurface7).
class CountedSurface {
    void* const* m_table;

public:
    CountedSurface() {
        static void* table[3] = {reinterpret_cast<void*>(&QueryInterface), reinterpret_cast<void*>(&AddRef),
                                 reinterpret_cast<void*>(&Release)};
        m_table = table;
    }
    IDirectDrawSurface7* Interface() { return reinterpret_cast<IDirectDrawSurface7*>(this); }
    long references = 1;

private:
    static HRESULT __stdcall QueryInterface(CountedSurface*, REFIID, void**) { return E_NOINTERFACE; }
    static ULONG __stdcall AddRef(CountedSurface* self) { return ++self->references; }
    static ULONG __stdcall Release(CountedSurface* self) { return --self->references; }
};

class LoggingDirect3DDevice {
    void* const* m_table;

public:
    LoggingDirect3DDevice() {
        static void* table[38] = {};
        table[0] = reinterpret_cast<void*>(&QueryInterface);
        table[1] = reinterpret_cast<void*>(&AddRef);
        table[2] = reinterpret_cast<void*>(&Release);
        table[3] = reinterpret_cast<void*>(&GetCaps);
        table[4] = reinterpret_cast<void*>(&EnumTextureFormats);
        table[5] = reinterpret_cast<void*>(&BeginScene);
        table[6] = reinterpret_cast<void*>(&EndScene);
        table[13] = reinterpret_cast<void*>(&SetViewport);
        table[20] = reinterpret_cast<void*>(&SetRenderState);
        table[25] = reinterpret_cast<void*>(&DrawPrimitive);
        table[35] = reinterpret_cast<void*>(&SetTexture);
        table[37] = reinterpret_cast<void*>(&SetTextureStageState);
        m_table = table;
    }
    IDirect3DDevice7* Interface() { return reinterpret_cast<IDirect3DDevice7*>(this); }

    // The calls of kinds that the cache sends, in order.
    std::vector<DeviceCall> calls;
    D3DDEVICEDESC7 caps = {};
    std::vector<DDPIXELFORMAT> textureFormats;
    bool refuseStates = false;
    bool refuseBeginScene = false;
    bool refuseCaps = false;
    bool refuseViewport = false;
    bool refuseDraw = false;
    long references = 1;
    // Each DrawPrimitive with a copy of its vertex bytes (stride from the format: 28 or 20).
    struct Draw {
        D3DPRIMITIVETYPE type;
        DWORD format;
        DWORD count;
        DWORD flags;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Draw> draws;

private:
    static HRESULT __stdcall QueryInterface(LoggingDirect3DDevice*, REFIID, void**) { return E_NOINTERFACE; }
    static ULONG __stdcall AddRef(LoggingDirect3DDevice* self) { return ++self->references; }
    static ULONG __stdcall Release(LoggingDirect3DDevice* self) { return --self->references; }
    static HRESULT __stdcall GetCaps(LoggingDirect3DDevice* self, D3DDEVICEDESC7* desc) {
        if (self->refuseCaps) return DDERR_GENERIC;
        *desc = self->caps;
        return D3D_OK;
    }
    static HRESULT __stdcall EnumTextureFormats(LoggingDirect3DDevice* self, LPD3DENUMPIXELFORMATSCALLBACK callback,
                                                void* context) {
        for (DDPIXELFORMAT format : self->textureFormats) {
            if (callback(&format, context) != D3DENUMRET_OK) break;
        }
        return D3D_OK;
    }
    static HRESULT __stdcall SetViewport(LoggingDirect3DDevice* self, D3DVIEWPORT7*) {
        return self->refuseViewport ? DDERR_INVALIDPARAMS : D3D_OK;
    }
    static HRESULT __stdcall BeginScene(LoggingDirect3DDevice* self) {
        self->calls.push_back({DeviceCall::kBeginScene, 0, 0});
        return self->refuseBeginScene ? D3DERR_SCENE_IN_SCENE : D3D_OK;
    }
    static HRESULT __stdcall EndScene(LoggingDirect3DDevice* self) {
        self->calls.push_back({DeviceCall::kEndScene, 0, 0});
        return D3D_OK;
    }
    static HRESULT __stdcall SetRenderState(LoggingDirect3DDevice* self, D3DRENDERSTATETYPE type, DWORD value) {
        if (self->refuseStates) return DDERR_INVALIDPARAMS;
        self->calls.push_back(Render(type, value));
        return D3D_OK;
    }
    static HRESULT __stdcall SetTextureStageState(LoggingDirect3DDevice* self, DWORD stage,
                                                  D3DTEXTURESTAGESTATETYPE type, DWORD value) {
        if (self->refuseStates) return DDERR_INVALIDPARAMS;
        if (stage == 0) self->calls.push_back(Stage(type, value));
        return D3D_OK;
    }
    static HRESULT __stdcall DrawPrimitive(LoggingDirect3DDevice* self, D3DPRIMITIVETYPE type, DWORD format,
                                           void* vertices, DWORD count, DWORD flags) {
        const DWORD stride = (format & D3DFVF_TEX1) ? 28 : 20;
        const auto* bytes = static_cast<const std::uint8_t*>(vertices);
        self->draws.push_back({type, format, count, flags, std::vector<std::uint8_t>(bytes, bytes + stride * count)});
        return self->refuseDraw ? DDERR_INVALIDPARAMS : D3D_OK;
    }
    static HRESULT __stdcall SetTexture(LoggingDirect3DDevice* self, DWORD stage, IDirectDrawSurface7* surface) {
        self->calls.push_back({DeviceCall::kTexture, stage, static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(surface))});
        return D3D_OK;
    }
};

// The DirectDraw side around a logging device: an IDirectDraw7 whose QueryInterface gives an
// IDirect3D7 (or is refused) that makes the logging device and offers chosen z-buffer formats,
// and a target surface that describes itself. Only the slots the device layer reaches are filled.
class LoggingDirect3D {
    void* const* m_table;

public:
    explicit LoggingDirect3D(LoggingDirect3DDevice* device) : m_device(device) {
        static void* table[8] = {};
        table[1] = reinterpret_cast<void*>(&AddRef);
        table[2] = reinterpret_cast<void*>(&Release);
        table[4] = reinterpret_cast<void*>(&CreateDevice);
        table[6] = reinterpret_cast<void*>(&EnumZBufferFormats);
        m_table = table;
    }
    std::vector<DDPIXELFORMAT> zFormats;
    bool refuseDevice = false;

private:
    static ULONG __stdcall AddRef(LoggingDirect3D*) { return 2; }
    static ULONG __stdcall Release(LoggingDirect3D*) { return 1; }
    static HRESULT __stdcall CreateDevice(LoggingDirect3D* self, REFCLSID, IDirectDrawSurface7*, IDirect3DDevice7** out) {
        if (self->refuseDevice) return DDERR_INVALIDCAPS;
        ++self->m_device->references;
        *out = self->m_device->Interface();
        return D3D_OK;
    }
    static HRESULT __stdcall EnumZBufferFormats(LoggingDirect3D* self, REFCLSID, LPD3DENUMPIXELFORMATSCALLBACK callback,
                                                void* context) {
        for (DDPIXELFORMAT format : self->zFormats) callback(&format, context);
        return D3D_OK;
    }
    LoggingDirect3DDevice* m_device;
};

class DirectDrawAroundDevice {
    void* const* m_table;

public:
    explicit DirectDrawAroundDevice(LoggingDirect3D* direct3D) : m_direct3D(direct3D) {
        static void* table[21] = {};
        table[0] = reinterpret_cast<void*>(&QueryInterface);
        table[1] = reinterpret_cast<void*>(&AddRef);
        table[2] = reinterpret_cast<void*>(&Release);
        table[11] = reinterpret_cast<void*>(&GetCaps);
        table[20] = reinterpret_cast<void*>(&SetCooperativeLevel);
        m_table = table;
    }
    IDirectDraw7* Interface() { return reinterpret_cast<IDirectDraw7*>(this); }
    bool refuseDirect3D = false;

private:
    static HRESULT __stdcall QueryInterface(DirectDrawAroundDevice* self, REFIID, void** out) {
        if (self->refuseDirect3D) return E_NOINTERFACE;
        *out = self->m_direct3D;
        return S_OK;
    }
    static ULONG __stdcall AddRef(DirectDrawAroundDevice*) { return 2; }
    static ULONG __stdcall Release(DirectDrawAroundDevice*) { return 1; }
    static HRESULT __stdcall GetCaps(DirectDrawAroundDevice*, DDCAPS*, DDCAPS*) { return DDERR_GENERIC; }
    static HRESULT __stdcall SetCooperativeLevel(DirectDrawAroundDevice*, HWND, DWORD) { return DD_OK; }
    LoggingDirect3D* m_direct3D;
};

// A render target that only describes itself (32-bit xRGB of the given size).
class DescribedTarget {
    void* const* m_table;

public:
    DescribedTarget(DWORD width, DWORD height) : m_width(width), m_height(height) {
        static void* table[23] = {};
        table[22] = reinterpret_cast<void*>(&GetSurfaceDesc);
        m_table = table;
    }
    IDirectDrawSurface7* Interface() { return reinterpret_cast<IDirectDrawSurface7*>(this); }

private:
    static HRESULT __stdcall GetSurfaceDesc(DescribedTarget* self, DDSURFACEDESC2* desc) {
        desc->dwWidth = self->m_width;
        desc->dwHeight = self->m_height;
        desc->ddpfPixelFormat.dwRGBBitCount = 32;
        return DD_OK;
    }
    DWORD m_width;
    DWORD m_height;
};

}  // namespace testsupport
