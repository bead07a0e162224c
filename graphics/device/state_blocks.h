// Device drawables that draw nothing: placed in the drawing list at a priority, they set
// Direct3D states through the device's cache for the drawables after them. A value of 255
// (0xFFFFFFFF for the texture factor) leaves its state as it is.
#pragma once

#include <cstdint>

#include "graphics/device/device_drawable.h"

// The placement and test operations of a drawable that shows nothing.
class StateBlockDrawable : public DeviceDrawable {
public:
    std::int32_t GetX() const override { return 0; }
    std::int32_t GetY() const override { return 0; }
    void SetPosition(std::int32_t, std::int32_t) override {}
    void SetSize(std::int32_t, std::int32_t) override {}
    void SetSizeAndPosition(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
    void MoveBy(std::int32_t, std::int32_t) override {}
    bool HitTest(std::int32_t, std::int32_t, bool) override { return false; }
    bool Overlaps(DeviceDrawable*) override { return false; }
    bool GetBounds(RECT*) override { return false; }
    std::int32_t RestoreContent() override { return 0; }
};

class RenderStateBlock final : public StateBlockDrawable {
public:
    DeviceDrawableKind Kind() const override { return kDrawableRenderStateBlock; }
    // 0; 1 without a device. The setters' results are not looked at.
    std::int32_t Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device) override;

    // CULLMODE, SHADEMODE, COLORKEYENABLE, ALPHABLENDENABLE, SRCBLEND, DESTBLEND,
    // ALPHATESTENABLE, ALPHAREF, ALPHAFUNC.
    std::uint8_t m_values[9] = {255, 255, 255, 255, 255, 255, 255, 255, 255};
};

class TextureStageBlock final : public StateBlockDrawable {
public:
    DeviceDrawableKind Kind() const override { return kDrawableTextureStageBlock; }
    std::int32_t Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device) override;

    // ALPHABLENDENABLE, SRCBLEND, DESTBLEND, then stage 0 COLOROP, COLORARG1, COLORARG2,
    // ALPHAOP, ALPHAARG1, ALPHAARG2.
    std::uint8_t m_values[9] = {255, 255, 255, 255, 255, 255, 255, 255, 255};
    std::uint32_t m_textureFactor = 0xFFFFFFFF;
};
