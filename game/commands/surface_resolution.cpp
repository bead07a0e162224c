#include "game/commands/surface_resolution.h"

#include "game/commands/command_services.h"
#include "graphics/interfaces/graphics_object_lookup.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/interfaces/surface.h"

namespace {

bool IsScreenKind(SurfaceKind kind) {
    return kind >= kSurfaceDirectDrawScreen && kind <= kSurfaceMemoryScreen;
}

// The live surface a word names and its kind; null when there is none.
Surface* FindSurface(std::uint32_t word, SurfaceKind* kind) {
    GraphicsObjectLookup* const lookup = Services().graphics;
    if (!lookup) return nullptr;
    Surface* const surface = lookup->FindSurface(word);
    if (surface) *kind = surface->Kind();
    return surface;
}

}  // namespace

Image* ImageOfSurface(std::uint32_t surface) {
    SurfaceKind kind{};
    if (!FindSurface(surface, &kind)) return nullptr;
    if (kind == kSurfacePixelBuffer) return Services().graphics->FindImage(surface);
    if (!IsScreenKind(kind)) return nullptr;
    ScreenBuffer* const buffer = Services().graphics->FindScreenBuffer(surface);
    return buffer ? buffer->GetImage() : nullptr;
}

ScreenBuffer* BackBufferOfScreen(std::uint32_t surface) {
    SurfaceKind kind{};
    if (!FindSurface(surface, &kind) || !IsScreenKind(kind)) return nullptr;
    return Services().graphics->FindScreenBuffer(surface);
}

Canvas* CanvasOfScreen(std::uint32_t surface) {
    ScreenBuffer* const buffer = BackBufferOfScreen(surface);
    return buffer ? buffer->GetCanvas() : nullptr;
}

ScreenBuffer* CanvasAndBackBufferOfScreen(std::uint32_t surface, Canvas** canvasOut) {
    ScreenBuffer* const buffer = BackBufferOfScreen(surface);
    if (buffer && canvasOut) *canvasOut = buffer->GetCanvas();
    return buffer;
}
