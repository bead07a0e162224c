#include "graphics/device/state_blocks.h"

#include "graphics/device/direct3d_device.h"

namespace {

using CachedSetter = std::int32_t (Direct3DDevice::*)(std::uint8_t);

void SendSetValues(Direct3DDevice* device, const std::uint8_t (&values)[9], const CachedSetter (&setters)[9]) {
    for (int i = 0; i < 9; ++i) {
        if (values[i] != 255) (device->*setters[i])(values[i]);
    }
}

}  // namespace

std::int32_t RenderStateBlock::Draw(IDirectDrawSurface7*, const RECT*, Direct3DDevice* device) {
    if (!IsEnabled()) return 0;
    if (!device) return 1;
    static const CachedSetter kSetters[9] = {
        &Direct3DDevice::SetCullMode,      &Direct3DDevice::SetShadeMode,       &Direct3DDevice::SetColorKeyEnable,
        &Direct3DDevice::SetAlphaBlendEnable, &Direct3DDevice::SetSrcBlend,     &Direct3DDevice::SetDestBlend,
        &Direct3DDevice::SetAlphaTestEnable, &Direct3DDevice::SetAlphaRef,     &Direct3DDevice::SetAlphaFunc};
    SendSetValues(device, m_values, kSetters);
    return 0;
}

std::int32_t TextureStageBlock::Draw(IDirectDrawSurface7*, const RECT*, Direct3DDevice* device) {
    if (!IsEnabled()) return 0;
    if (!device) return 1;
    static const CachedSetter kSetters[9] = {
        &Direct3DDevice::SetAlphaBlendEnable, &Direct3DDevice::SetSrcBlend,  &Direct3DDevice::SetDestBlend,
        &Direct3DDevice::SetColorOp,          &Direct3DDevice::SetColorArg1, &Direct3DDevice::SetColorArg2,
        &Direct3DDevice::SetAlphaOp,          &Direct3DDevice::SetAlphaArg1, &Direct3DDevice::SetAlphaArg2};
    SendSetValues(device, m_values, kSetters);
    if (m_textureFactor != 0xFFFFFFFF) device->SetTextureFactor(m_textureFactor);
    return 0;
}
