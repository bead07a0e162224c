#include "graphics/surfaces/direct_draw_screen.h"

#include "graphics/compose/pixel_format.h"
#include "graphics/device/direct_draw_device.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite_list.h"

std::uint8_t DibBackBufferSwitch = 1;

namespace {

std::uint8_t BackBufferFlags() {
    return DibBackBufferSwitch ? kImageDibSection | kImageDirtyRegion : kImageDirtyRegion;
}

}  // namespace

DirectDrawScreen::DirectDrawScreen()
    : WithDeletingDestructor(kImageDibSection | kImageDirtyRegion, true) {}

DirectDrawScreen::~DirectDrawScreen() { ReleaseSurface(); }

void DirectDrawScreen::ReleaseSurface() {
    if (m_surface) m_surface->Release();
    m_surface = nullptr;
    m_formatCode = 0;
    m_colourKey = -1;
    m_keyRgb = -1;
}

void DirectDrawScreen::ReleaseAll() {
    Release();
    ReleaseSurface();
}

std::int32_t DirectDrawScreen::CreateSurface(std::int32_t width, std::int32_t height) {
    ReleaseSurface();
    DirectDrawDevice* device = CurrentDirectDrawDevice;
    IDirectDraw7* directDraw = device ? device->DirectDraw() : nullptr;
    if (!directDraw || width <= 0 || height <= 0) return 2;
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    IDirectDrawSurface7* surface = nullptr;
    if (FAILED(directDraw->CreateSurface(&desc, &surface, nullptr)) || !surface) return 2;
    m_surface = surface;
    m_formatCode = ClassifyPixelFormat(m_surface, nullptr, nullptr);
    if (m_formatCode == kPixelFormatArgb1555) m_formatCode = kPixelFormatRgb555;
    if (m_formatCode == kPixelFormatArgb32) m_formatCode = kPixelFormatXrgb32;
    return 0;
}

std::int32_t DirectDrawScreen::Create(std::int32_t width, std::int32_t height,
                                      std::int32_t depth, std::int32_t canvasMode) {
    ReleaseAll();
    if (!CurrentDirectDrawDevice) return 1;
    if (CreateSurface(width, height) != 0) return 2;
    SetImageFlags(BackBufferFlags());
    const std::int32_t made = ScreenCore::Create(width, height, depth, canvasMode);
    if (made != 0) {
        ReleaseAll();
        return made == 1 ? 3 : made == 2 ? 4 : made == 3 ? 5 : 6;
    }
    if (FillSurfaceRect(m_surface, nullptr, 0, 0, 0, nullptr, 0) != 0) {
        ReleaseAll();
        return 6;
    }
    return 0;
}

std::int32_t DirectDrawScreen::UpdateSurface(bool dirtyOnly) {
    if (!m_surface) return 1;
    return UpdateDeviceSurface(m_surface, m_formatCode, dirtyOnly);
}

std::int32_t DirectDrawScreen::SetColourKeyRgb(std::int32_t r, std::int32_t g, std::int32_t b) {
    if (!m_surface) return 1;
    m_colourKey = -1;
    m_keyRgb = -1;
    PixelFormatInfo info;
    if (ClassifyPixelFormat(m_surface, &info, nullptr) == 0) return 2;
    const std::int32_t key = PackColourKey(info, r, g, b);
    DDCOLORKEY colourKey = {static_cast<DWORD>(key), static_cast<DWORD>(key)};
    if (FAILED(m_surface->SetColorKey(DDCKEY_SRCBLT, &colourKey))) return 3;
    m_colourKey = key;
    m_keyRgb = ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
    return 0;
}

std::int32_t DirectDrawScreen::SetColourKeyFromPixel(std::int32_t x, std::int32_t y) {
    if (!m_surface) return 1;
    const std::int32_t colour = BackBufferColour(x, y);
    if (colour == -1) return 1;
    return SetColourKeyRgb((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}

std::int32_t DirectDrawScreen::ClearColourKey() {
    if (m_colourKey == -1) return 0;
    if (!m_surface) return 1;
    if (FAILED(m_surface->SetColorKey(DDCKEY_SRCBLT, nullptr))) return 2;
    m_colourKey = -1;
    m_keyRgb = -1;
    return 0;
}

std::int32_t DirectDrawScreen::Restore(bool onlyIfLost) {
    if (!m_surface) return 0;
    if (onlyIfLost && m_surface->IsLost() == DD_OK) return 0;
    const std::int32_t keyRgb = m_keyRgb;
    if (CreateSurface(m_image.Width(), m_image.Height()) != 0) return 1;
    if (UpdateSurface(false) != 0) return 2;
    if (keyRgb != -1 &&
        SetColourKeyRgb((keyRgb >> 16) & 0xFF, (keyRgb >> 8) & 0xFF, keyRgb & 0xFF) != 0)
        return 3;
    return 0;
}

std::int32_t DirectDrawScreen::ChangeDepth(std::int32_t depth) {
    if (!m_surface) return 1;
    SetImageFlags(BackBufferFlags());
    if (RecreateAtDepth(depth) != 0) {
        ReleaseAll();
        return 2;
    }
    return 0;
}
