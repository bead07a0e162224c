// The transitions that hand the whole source to an image operation: crossfade (53), mosaics
// (68, 69) and invert (70).
//
// In mode 2 the mosaic and invert work on the target surface's memory. The surface is locked
// waiting for the blit of the whole source just issued (without the wait the lock fails while
// that blit is pending and no mosaic shows), the memory is walked in the locked surface's own
// pixel format (the source's format may differ: a 32-bit source on a 16-bit target would
// otherwise overrun its rows), and the clip is kept inside the locked surface.
#include <algorithm>

#include "effects/transitions/routine_skeleton.h"
#include "effects/transitions/transition_routines.h"
#include "graphics/compose/pixel_format.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/surface.h"
#include "graphics/surfaces/surface_effects.h"

namespace {

enum class Filter { kMosaic, kInvert };

// Locks the mode-2 target and runs the filter over rect: 3 lock failed, 4 unlock failed,
// otherwise the kernel's result.
std::int32_t FilterTargetMemory(RoutineCanvas& canvas, Filter filter, const RECT& rect,
                                std::int32_t cellSize, std::uint8_t alignment) {
    IDirectDrawSurface7* target = canvas.TargetSurface();
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    if (FAILED(target->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return 3;
    const std::int32_t code = ClassifyPixelFormat(nullptr, nullptr, &desc.ddpfPixelFormat);
    RECT clip = canvas.TargetClip();
    clip.left = std::max<LONG>(clip.left, 0);
    clip.top = std::max<LONG>(clip.top, 0);
    clip.right = std::min<LONG>(clip.right, static_cast<LONG>(desc.dwWidth));
    clip.bottom = std::min<LONG>(clip.bottom, static_cast<LONG>(desc.dwHeight));
    auto* bits = static_cast<std::uint8_t*>(desc.lpSurface);
    std::int32_t result;
    if (clip.left >= clip.right || clip.top >= clip.bottom) {
        result = -1;  // nothing of the target is open to drawing
    } else if (filter == Filter::kMosaic) {
        result = MosaicSurfaceMemory(code, bits, desc.lPitch, &rect, &clip, cellSize, alignment);
    } else {
        result = InvertSurfaceMemory(kInvertColour, code, bits, desc.lPitch, &rect, &clip);
    }
    if (FAILED(target->Unlock(nullptr))) return 4;
    return result;
}

std::int32_t RunFilter(Surface* destination, Surface* source, std::int32_t progress,
                       std::int32_t x, std::int32_t y, std::int32_t mode, ScreenDevice* device,
                       Filter filter, std::uint8_t alignment) {
    RoutineCanvas canvas;
    std::int32_t result;
    if (!canvas.Begin(destination, source, progress, x, y, mode, device, &result)) return result;
    const std::int32_t w = canvas.SourceWidth(), h = canvas.SourceHeight();
    canvas.Piece(RECT{0, 0, w, h}, x, y);
    const RECT drawn = {x, y, x + w, y + h};
    const std::int32_t cellSize = ((255 - progress) >> 2) + 1;
    if (canvas.Mode() == kDrawDirectDraw) {
        return FilterTargetMemory(canvas, filter, drawn, cellSize, alignment);
    }
    Image* image = canvas.TargetImage();
    if (filter == Filter::kMosaic) {
        return image->Mosaic(static_cast<std::uint32_t>(cellSize), alignment, &drawn);
    }
    return image->Invert(0, &drawn);
}

}  // namespace

std::int32_t CrossfadeRoutine(Surface* destination, Surface* source, std::int32_t progress,
                              std::int32_t x, std::int32_t y, std::int32_t mode,
                              ScreenDevice* device) {
    RoutineCanvas canvas;
    std::int32_t result;
    if (!canvas.Begin(destination, source, progress, x, y, mode, device, &result)) return result;
    Image* image = canvas.TargetImage();
    switch (canvas.Mode()) {
        case kDrawCopy: {
            const auto d = static_cast<std::uint32_t>(256 - progress);
            const auto s = static_cast<std::uint32_t>(progress - 1);
            return image->BlendChannelWeights(source, d | d << 8 | d << 16, s | s << 8 | s << 16,
                                              x, y, nullptr);
        }
        case kDrawAlphaBlend:
            return image->BlendTable(0, source, static_cast<std::uint8_t>(progress - 1), x, y,
                                     nullptr);
        default:
            return -1;
    }
}

std::int32_t MosaicRoutine(Surface* destination, Surface* source, std::int32_t progress,
                           std::int32_t x, std::int32_t y, std::int32_t mode,
                           ScreenDevice* device, std::uint8_t alignment) {
    return RunFilter(destination, source, progress, x, y, mode, device, Filter::kMosaic,
                     alignment);
}

std::int32_t InvertRoutine(Surface* destination, Surface* source, std::int32_t progress,
                           std::int32_t x, std::int32_t y, std::int32_t mode,
                           ScreenDevice* device) {
    return RunFilter(destination, source, progress, x, y, mode, device, Filter::kInvert, 0);
}
