// The middle layer of the screen device: the IDirect3DDevice7 on the back surface, its
// capabilities and texture formats, and the cache through which render states, stage-0 states
// and the stage-0 texture are sent only when they change.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <cstdint>
#include <vector>

#include "graphics/device/direct_draw_device.h"

class Texture;

class Direct3DDevice : public DirectDrawDevice {
public:
    Direct3DDevice();
    ~Direct3DDevice() override;

    // 0 ok; -1 ok but the z-buffer failed; 1 no DirectDraw object or no target; 2 no IDirect3D7;
    // 3 making the device failed; 4 GetCaps failed; 5 SetViewport failed.
    std::int32_t CreateDevice(IDirectDrawSurface7* target, const RECT* viewport, bool fullSetup);
    void ReleaseDevice();
    // 0 made or not needed; 1 no IDirect3D7 or target; 2 no z format of that depth; 3 no
    // DirectDraw interface; 4 CreateSurface failed; 5 AddAttachedSurface failed.
    std::int32_t CreateZBuffer(IDirectDrawSurface7* target, std::uint8_t depth);
    const DDPIXELFORMAT* TextureFormatFor(std::int32_t code) const;
    std::int32_t ReapplyStates();

    // Each: 0 sent or unchanged; 1 no device; 2 the device refused (the cache keeps its value).
    std::int32_t SetCullMode(std::uint8_t value);
    std::int32_t SetShadeMode(std::uint8_t value);
    std::int32_t SetColorKeyEnable(std::uint8_t value);
    std::int32_t SetAlphaBlendEnable(std::uint8_t value);
    std::int32_t SetSrcBlend(std::uint8_t value);
    std::int32_t SetDestBlend(std::uint8_t value);
    std::int32_t SetAlphaTestEnable(std::uint8_t value);
    std::int32_t SetTextureFactor(std::uint32_t value);
    std::int32_t SetColorOp(std::uint8_t value);
    std::int32_t SetColorArg1(std::uint8_t value);
    std::int32_t SetColorArg2(std::uint8_t value);
    std::int32_t SetAlphaOp(std::uint8_t value);
    std::int32_t SetAlphaArg1(std::uint8_t value);
    std::int32_t SetAlphaArg2(std::uint8_t value);
    std::int32_t SetAlphaRef(std::uint8_t value);
    std::int32_t SetAlphaFunc(std::uint8_t value);
    // 0; 1 no device, or a texture without a surface; 2 refused. Null unbinds stage 0.
    std::int32_t SetTexture(Texture* texture);

    // Hands the layer a device made elsewhere (adds a reference) and reads its capabilities and
    // texture formats as CreateDevice does: the logging devices of the tests.
    std::int32_t AdoptDevice(IDirect3DDevice7* device);

    IDirect3DDevice7* Device() const { return m_device; }

    IDirect3D7* m_direct3D = nullptr;
    IDirect3DDevice7* m_device = nullptr;
    IDirectDrawSurface7* m_zBuffer = nullptr;
    DDPIXELFORMAT* m_textureFormats[7] = {};
    std::uint8_t m_canDrawTLVertex = 0;
    std::uint8_t m_alphaGouraud = 0;
    std::uint8_t m_alphaCompare = 0;
    std::uint8_t m_zBufferlessHsr = 0;
    std::uint16_t m_maxTextureBlendStages = 0;
    std::uint32_t m_textureCaps = 0;
    std::uint32_t m_textureOpCaps = 0;
    std::uint32_t m_srcBlendCaps = 0;
    std::uint32_t m_destBlendCaps = 0;
    std::uint32_t m_minTextureWidth = 0;
    std::uint32_t m_minTextureHeight = 0;
    std::uint32_t m_maxTextureWidth = 0;
    std::uint32_t m_maxTextureHeight = 0;
    std::uint32_t m_textureFormatMask = 0;
    std::uint8_t m_zDepth = 0;

private:
    // The cached states in the order ReapplyStates sends them again.
    enum CachedState {
        kCullMode,
        kShadeMode,
        kColorKeyEnable,
        kAlphaBlendEnable,
        kSrcBlend,
        kDestBlend,
        kAlphaTestEnable,
        kTextureFactor,
        kColorOp,
        kColorArg1,
        kColorArg2,
        kAlphaOp,
        kAlphaArg1,
        kAlphaArg2,
        kAlphaRef,
        kAlphaFunc,
        kCachedStateCount
    };
    std::int32_t SetCached(CachedState state, std::uint32_t value);
    std::int32_t BindSurface(IDirectDrawSurface7* surface);
    std::int32_t ReadDeviceCaps();
    void FreeTextureFormats();

    std::uint32_t m_cache[kCachedStateCount];
    // The surface bound to stage 0, held by a reference of its own: the texture object that
    // gave it may be deleted while it stays bound, so the cache never calls through it.
    IDirectDrawSurface7* m_cachedTexture = nullptr;
};

// The device with which textures are created; the screen device sets it.
extern Direct3DDevice* CurrentDirect3DDevice;

// The first DDPF_ZBUFFER format of depth bits among formats, for 32 bits falling back to 24;
// null when there is none.
const DDPIXELFORMAT* PickZBufferFormat(const std::vector<DDPIXELFORMAT>& formats, std::uint8_t depth);
