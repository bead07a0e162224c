#include "graphics/device/direct3d_device.h"

#include "graphics/compose/pixel_format.h"
#include "graphics/interfaces/texture.h"

Direct3DDevice* CurrentDirect3DDevice = nullptr;

namespace {

struct StateTarget {
    bool stage;  // a stage-0 texture-stage state rather than a render state
    DWORD type;
    std::uint32_t unset;
};

// In the order of Direct3DDevice::CachedState.
const StateTarget kStates[] = {
    {false, D3DRENDERSTATE_CULLMODE, 255},       {false, D3DRENDERSTATE_SHADEMODE, 255},
    {false, D3DRENDERSTATE_COLORKEYENABLE, 255}, {false, D3DRENDERSTATE_ALPHABLENDENABLE, 255},
    {false, D3DRENDERSTATE_SRCBLEND, 255},       {false, D3DRENDERSTATE_DESTBLEND, 255},
    {false, D3DRENDERSTATE_ALPHATESTENABLE, 255}, {false, D3DRENDERSTATE_TEXTUREFACTOR, 0xFFFFFFFF},
    {true, D3DTSS_COLOROP, 255},                 {true, D3DTSS_COLORARG1, 255},
    {true, D3DTSS_COLORARG2, 255},               {true, D3DTSS_ALPHAOP, 255},
    {true, D3DTSS_ALPHAARG1, 255},               {true, D3DTSS_ALPHAARG2, 255},
    {false, D3DRENDERSTATE_ALPHAREF, 0},         {false, D3DRENDERSTATE_ALPHAFUNC, 255},
};

HRESULT WINAPI KeepTextureFormat(DDPIXELFORMAT* format, void* context) {
    auto* device = static_cast<Direct3DDevice*>(context);
    const std::int32_t code = ClassifyPixelFormat(nullptr, nullptr, format);
    if (code < 4) return D3DENUMRET_OK;
    int index = 0;
    while ((4 << index) < code) ++index;
    if (index < 7 && !device->m_textureFormats[index]) {
        device->m_textureFormats[index] = new DDPIXELFORMAT(*format);
        device->m_textureFormatMask |= static_cast<std::uint32_t>(code);
    }
    return D3DENUMRET_OK;
}

HRESULT WINAPI KeepZFormat(DDPIXELFORMAT* format, void* context) {
    static_cast<std::vector<DDPIXELFORMAT>*>(context)->push_back(*format);
    return D3DENUMRET_OK;
}

}  // namespace

const DDPIXELFORMAT* PickZBufferFormat(const std::vector<DDPIXELFORMAT>& formats, std::uint8_t depth) {
    for (std::uint8_t wanted : {depth, static_cast<std::uint8_t>(depth == 32 ? 24 : 0)}) {
        if (!wanted) break;
        for (const DDPIXELFORMAT& format : formats) {
            if ((format.dwFlags & DDPF_ZBUFFER) && format.dwZBufferBitDepth == wanted) return &format;
        }
    }
    return nullptr;
}

Direct3DDevice::Direct3DDevice() {
    for (int i = 0; i < kCachedStateCount; ++i) m_cache[i] = kStates[i].unset;
}

Direct3DDevice::~Direct3DDevice() { ReleaseDevice(); }

std::int32_t Direct3DDevice::SetCached(CachedState state, std::uint32_t value) {
    if (!m_device) return 1;
    const StateTarget& target = kStates[state];
    const bool differs = state == kTextureFactor ? m_cache[state] != value
                                                 : static_cast<std::uint8_t>(m_cache[state]) !=
                                                       static_cast<std::uint8_t>(value);
    if (!differs) return 0;
    const HRESULT sent =
        target.stage ? m_device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(target.type), value)
                     : m_device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(target.type), value);
    if (FAILED(sent)) return 2;
    m_cache[state] = value;
    return 0;
}

std::int32_t Direct3DDevice::SetCullMode(std::uint8_t v) { return SetCached(kCullMode, v); }
std::int32_t Direct3DDevice::SetShadeMode(std::uint8_t v) { return SetCached(kShadeMode, v); }
std::int32_t Direct3DDevice::SetColorKeyEnable(std::uint8_t v) { return SetCached(kColorKeyEnable, v); }
std::int32_t Direct3DDevice::SetAlphaBlendEnable(std::uint8_t v) { return SetCached(kAlphaBlendEnable, v); }
std::int32_t Direct3DDevice::SetSrcBlend(std::uint8_t v) { return SetCached(kSrcBlend, v); }
std::int32_t Direct3DDevice::SetDestBlend(std::uint8_t v) { return SetCached(kDestBlend, v); }
std::int32_t Direct3DDevice::SetAlphaTestEnable(std::uint8_t v) { return SetCached(kAlphaTestEnable, v); }
std::int32_t Direct3DDevice::SetTextureFactor(std::uint32_t v) { return SetCached(kTextureFactor, v); }
std::int32_t Direct3DDevice::SetColorOp(std::uint8_t v) { return SetCached(kColorOp, v); }
std::int32_t Direct3DDevice::SetColorArg1(std::uint8_t v) { return SetCached(kColorArg1, v); }
std::int32_t Direct3DDevice::SetColorArg2(std::uint8_t v) { return SetCached(kColorArg2, v); }
std::int32_t Direct3DDevice::SetAlphaOp(std::uint8_t v) { return SetCached(kAlphaOp, v); }
std::int32_t Direct3DDevice::SetAlphaArg1(std::uint8_t v) { return SetCached(kAlphaArg1, v); }
std::int32_t Direct3DDevice::SetAlphaArg2(std::uint8_t v) { return SetCached(kAlphaArg2, v); }
std::int32_t Direct3DDevice::SetAlphaRef(std::uint8_t v) { return SetCached(kAlphaRef, v); }
std::int32_t Direct3DDevice::SetAlphaFunc(std::uint8_t v) { return SetCached(kAlphaFunc, v); }

std::int32_t Direct3DDevice::SetTexture(Texture* texture) {
    if (!m_device) return 1;
    IDirectDrawSurface7* surface = nullptr;
    if (texture) {
        surface = texture->GetSurface();
        if (!surface) return 1;
    }
    return BindSurface(surface);
}

std::int32_t Direct3DDevice::BindSurface(IDirectDrawSurface7* surface) {
    if (m_cachedTexture) {
        if (m_cachedTexture == surface) return 0;
        m_device->SetTexture(0, nullptr);
        m_cachedTexture->Release();
        m_cachedTexture = nullptr;
    }
    if (!surface) return 0;
    if (FAILED(m_device->SetTexture(0, surface))) return 2;
    surface->AddRef();
    m_cachedTexture = surface;
    return 0;
}

std::int32_t Direct3DDevice::ReapplyStates() {
    std::int32_t result = 0;
    for (int i = 0; i < kCachedStateCount; ++i) {
        const std::uint32_t old = m_cache[i];
        if (old == kStates[i].unset) continue;
        m_cache[i] = kStates[i].unset;
        // A refused state stays unset, so that the next call sends it.
        const std::int32_t sent = SetCached(static_cast<CachedState>(i), old);
        if (sent) result = sent;
    }
    // The remembered surface is still bound unless the device was made anew, which forgets it.
    if (m_cachedTexture && m_device) {
        const std::int32_t bound = BindSurface(m_cachedTexture);
        if (bound) return bound;
    }
    return result;
}

void Direct3DDevice::FreeTextureFormats() {
    for (DDPIXELFORMAT*& format : m_textureFormats) {
        delete format;
        format = nullptr;
    }
    m_textureFormatMask = 0;
}

void Direct3DDevice::ReleaseDevice() {
    if (m_cachedTexture) {
        if (m_device) m_device->SetTexture(0, nullptr);
        m_cachedTexture->Release();
        m_cachedTexture = nullptr;
    }
    if (m_zBuffer) m_zBuffer->Release();
    m_zBuffer = nullptr;
    if (m_device) m_device->Release();
    m_device = nullptr;
    if (m_direct3D) m_direct3D->Release();
    m_direct3D = nullptr;
    FreeTextureFormats();
}

std::int32_t Direct3DDevice::ReadDeviceCaps() {
    D3DDEVICEDESC7 caps = {};
    if (FAILED(m_device->GetCaps(&caps))) return 4;
    m_canDrawTLVertex = (caps.dwDevCaps & D3DDEVCAPS_DRAWPRIMTLVERTEX) ? 1 : 0;
    m_alphaGouraud = (caps.dpcTriCaps.dwShadeCaps & D3DPSHADECAPS_ALPHAGOURAUDBLEND) ? 1 : 0;
    const DWORD compare = caps.dpcTriCaps.dwAlphaCmpCaps;
    m_alphaCompare = compare && compare != D3DPCMPCAPS_NEVER && compare != D3DPCMPCAPS_ALWAYS ? 1 : 0;
    m_zBufferlessHsr = (caps.dpcTriCaps.dwRasterCaps & D3DPRASTERCAPS_ZBUFFERLESSHSR) ? 1 : 0;
    m_maxTextureBlendStages = static_cast<std::uint16_t>(caps.wMaxTextureBlendStages);
    m_textureCaps = caps.dpcTriCaps.dwTextureCaps;
    m_textureOpCaps = caps.dwTextureOpCaps;
    m_srcBlendCaps = caps.dpcTriCaps.dwSrcBlendCaps;
    m_destBlendCaps = caps.dpcTriCaps.dwDestBlendCaps;
    m_minTextureWidth = caps.dwMinTextureWidth;
    m_minTextureHeight = caps.dwMinTextureHeight;
    m_maxTextureWidth = caps.dwMaxTextureWidth;
    m_maxTextureHeight = caps.dwMaxTextureHeight;
    FreeTextureFormats();
    m_device->EnumTextureFormats(KeepTextureFormat, this);
    return 0;
}

std::int32_t Direct3DDevice::AdoptDevice(IDirect3DDevice7* device) {
    ReleaseDevice();
    device->AddRef();
    m_device = device;
    const std::int32_t read = ReadDeviceCaps();
    if (read) ReleaseDevice();
    return read;
}

std::int32_t Direct3DDevice::CreateDevice(IDirectDrawSurface7* target, const RECT* viewport, bool fullSetup) {
    if (!m_directDraw || !target) return 1;
    ReleaseDevice();
    if (FAILED(m_directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&m_direct3D)))) {
        m_direct3D = nullptr;
        return 2;
    }
    // Wine refuses a null device GUID: without a choice, go straight to choosing one.
    HRESULT made = m_deviceGuidPtr ? m_direct3D->CreateDevice(m_deviceGuid, target, &m_device) : E_FAIL;
    if (FAILED(made)) {
        m_device = nullptr;
        const bool listed = !DisplayDeviceList().empty();
        if (!listed) EnumerateDrivers(false, false);
        DisplayDeviceChoice choice = {};
        const GUID driver = m_driverGuidPtr ? m_driverGuid : GUID{};
        if (ChooseDisplayDevice(choice, false) && IsEqualGUID(choice.adapter, driver)) {
            m_deviceGuid = choice.device;
            m_deviceGuidPtr = &m_deviceGuid;
            m_deviceRenderDepths = choice.renderBitDepths;
            m_deviceKind = static_cast<std::uint8_t>(choice.deviceClass);
            made = m_direct3D->CreateDevice(m_deviceGuid, target, &m_device);
        }
        if (!listed) FreeDriverList();
        if (FAILED(made)) {
            m_device = nullptr;
            ReleaseDevice();
            return 3;
        }
    }
    if (ReadDeviceCaps()) {
        ReleaseDevice();
        return 4;
    }
    m_device->SetTextureStageState(0, D3DTSS_ADDRESS, D3DTADDRESS_CLAMP);
    m_device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    m_device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    if (fullSetup && viewport) {
        D3DVIEWPORT7 port = {static_cast<DWORD>(viewport->left), static_cast<DWORD>(viewport->top),
                             static_cast<DWORD>(viewport->right), static_cast<DWORD>(viewport->bottom), 0.0f, 1.0f};
        if (FAILED(m_device->SetViewport(&port))) {
            ReleaseDevice();
            return 5;
        }
    }
    std::int32_t result = 0;
    if (fullSetup && CreateZBuffer(target, 0)) result = -1;
    m_device->SetRenderState(D3DRENDERSTATE_ANTIALIAS, D3DANTIALIAS_NONE);
    return result;
}

std::int32_t Direct3DDevice::CreateZBuffer(IDirectDrawSurface7* target, std::uint8_t depth) {
    if (m_zBufferlessHsr) return 0;
    if (!m_direct3D || !target) return 1;
    if (m_zBuffer) {
        target->DeleteAttachedSurface(0, m_zBuffer);
        m_zBuffer->Release();
        m_zBuffer = nullptr;
    }
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    if (FAILED(target->GetSurfaceDesc(&desc))) return 1;
    if (!depth) depth = static_cast<std::uint8_t>(desc.ddpfPixelFormat.dwRGBBitCount);
    std::vector<DDPIXELFORMAT> formats;
    m_direct3D->EnumZBufferFormats(m_deviceGuid, KeepZFormat, &formats);
    const DDPIXELFORMAT* format = PickZBufferFormat(formats, depth);
    if (!format) return 2;
    DDSURFACEDESC2 z = {};
    z.dwSize = sizeof(z);
    z.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    z.dwWidth = desc.dwWidth;
    z.dwHeight = desc.dwHeight;
    z.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | (m_deviceKind == 0 ? DDSCAPS_SYSTEMMEMORY : 0);
    z.ddpfPixelFormat = *format;
    const std::uint8_t made = static_cast<std::uint8_t>(format->dwZBufferBitDepth);
    IUnknown* owner = nullptr;
    if (FAILED(target->GetDDInterface(reinterpret_cast<void**>(&owner))) || !owner) return 3;
    IDirectDraw7* directDraw = nullptr;
    const HRESULT queried =
        owner->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void**>(&directDraw));
    owner->Release();
    if (FAILED(queried)) return 3;
    const HRESULT created = directDraw->CreateSurface(&z, &m_zBuffer, nullptr);
    directDraw->Release();
    if (FAILED(created)) {
        m_zBuffer = nullptr;
        return 4;
    }
    if (FAILED(target->AddAttachedSurface(m_zBuffer))) {
        m_zBuffer->Release();
        m_zBuffer = nullptr;
        return 5;
    }
    m_zDepth = made;
    return 0;
}

const DDPIXELFORMAT* Direct3DDevice::TextureFormatFor(std::int32_t code) const {
    if (code < 4 || code > 256) return nullptr;
    int bit = 31;
    while (!(code & (1 << bit))) --bit;
    return m_textureFormats[bit - 2];
}
