#include "effects/objects/bg_layer_screens.h"

#include "graphics/surfaces/direct_draw_screen.h"
#include "graphics/surfaces/gdi_screen.h"
#include "graphics/surfaces/texture_screen.h"

ScreenBuffer* ScreenToScreenBuffer(Surface* screen) {
    if (!screen) return nullptr;
    switch (screen->Kind()) {
    case kSurfaceDirectDrawScreen: return static_cast<DirectDrawScreen*>(screen);
    case kSurfaceTextureScreen: return static_cast<TextureScreen*>(screen);
    case kSurfaceGdiScreen: return static_cast<GdiScreen*>(screen);
    case kSurfaceMemoryScreen: return static_cast<MemoryScreen*>(screen);
    default: return nullptr;
    }
}

Surface* ScreenBufferToScreen(ScreenBuffer* buffer) {
    if (!buffer) return nullptr;
    switch (buffer->Kind()) {
    case kSurfaceDirectDrawScreen: return static_cast<DirectDrawScreen*>(buffer);
    case kSurfaceTextureScreen: return static_cast<TextureScreen*>(buffer);
    case kSurfaceGdiScreen: return static_cast<GdiScreen*>(buffer);
    case kSurfaceMemoryScreen: return static_cast<MemoryScreen*>(buffer);
    default: return nullptr;
    }
}
