#include "graphics/surfaces/texture_screen.h"

#include "graphics/compose/pixel_format.h"
#include "graphics/device/direct3d_device.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/surfaces/direct_draw_screen.h"

TextureScreen::TextureScreen(Direct3DDevice* device)
    : ScreenSurface(kImageDibSection | kImageDirtyRegion, true) {
    if (device) CurrentDirect3DDevice = device;
}

TextureScreen::~TextureScreen() { ReleaseAll(); }

void* TextureScreen::DeletingDestructor(std::uint32_t flags) {
    this->~TextureScreen();
    if (flags & xm::kDeleteMemory) ::operator delete(this);
    return this;
}

void TextureScreen::ReleaseAll() {
    Release();
    Free();
}

std::int32_t TextureScreen::CreateTexture(std::int32_t formatCode, std::int32_t width,
                                          std::int32_t height, bool systemMemory) {
    Free();
    Direct3DDevice* device = CurrentDirect3DDevice;
    if (!device) return 1;
    const DDPIXELFORMAT* format = device->TextureFormatFor(formatCode);
    if (!format) return 2;
    const TextureSize size = TextureSizeFor(width, height, *device);
    if (size.tooLarge) return 3;
    return DirectDrawImage::Create(size.width, size.height, systemMemory, true, format) == 0 ? 0 : 4;
}

std::int32_t TextureScreen::Create(std::int32_t formatCode, std::int32_t width,
                                   std::int32_t height, std::int32_t depth,
                                   std::int32_t canvasMode, bool systemMemory) {
    ReleaseAll();
    if (!CurrentDirect3DDevice) return 1;
    if (CreateTexture(formatCode, width, height, systemMemory) != 0) {
        ReleaseAll();
        return 2;
    }
    const bool dib = DibBackBufferSwitch && formatCode <= kPixelFormatXrgb32;
    SetImageFlags(dib ? kImageDibSection | kImageDirtyRegion : kImageDirtyRegion);
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

std::int32_t TextureScreen::UpdateSurface(bool dirtyOnly) {
    if (!m_surface) return 1;
    return UpdateDeviceSurface(m_surface, m_formatCode, dirtyOnly);
}

std::int32_t TextureScreen::SetColourKeyFromPixel(std::int32_t x, std::int32_t y) {
    if (!m_surface) return 1;
    const std::int32_t colour = BackBufferColour(x, y);
    if (colour == -1) return 1;
    return DirectDrawImage::SetColourKeyRgb((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}

std::int32_t TextureScreen::Restore(bool onlyIfLost) {
    if (!m_surface) return 0;
    if (onlyIfLost && m_surface->IsLost() == DD_OK) return 0;
    const std::int32_t colourKey = m_colourKey;
    const std::int32_t keyPixelX = m_keyPixelX;
    const std::int32_t keyPixelY = m_keyPixelY;
    const bool systemMemory = m_systemMemory != 0;
    if (CreateTexture(m_formatCode, m_width, m_height, systemMemory) != 0) return 1;
    if (UpdateSurface(false) != 0) return 2;
    if (colourKey != -1) {
        if (SetColourKeyRgb((colourKey >> 16) & 0xFF, (colourKey >> 8) & 0xFF, colourKey & 0xFF) != 0)
            return 3;
    } else if (keyPixelX >= 0) {
        if (SetColourKeyFromPixel(keyPixelX, keyPixelY) != 0) return 4;
    }
    return 0;
}

std::int32_t TextureScreen::ChangeDepth(std::int32_t depth) {
    if (!m_surface) return 1;
    const bool dib = DibBackBufferSwitch && m_formatCode <= kPixelFormatXrgb32;
    SetImageFlags(dib ? kImageDibSection | kImageDirtyRegion : kImageDirtyRegion);
    if (RecreateAtDepth(depth) != 0) {
        ReleaseAll();
        return 2;
    }
    return 0;
}
