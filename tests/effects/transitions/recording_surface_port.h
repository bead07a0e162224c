// A TransitionSurfacePort that records the blits the routines ask for, and pictures that call
// themselves DirectDraw images, for the drawing-mode-2 tests.
#pragma once

#include <vector>

#include "effects/transitions/transition_surface_port.h"
#include "graphics/image/pixel_buffer.h"

namespace transtest {

template <SurfaceKind kKind>
class KindPicture : public WithDeletingDestructor<KindPicture<kKind>, PixelBuffer> {
public:
    SurfaceKind XM_METHOD Kind() override { return kKind; }
};
using DirectDrawPicture = KindPicture<kSurfaceDirectDrawImage>;
using TextBitmapPicture = KindPicture<kSurfaceTextBitmapImage>;

struct PortBlit {
    bool stretched;
    IDirectDrawSurface7* target;
    IDirectDrawSurface7* source;
    SIZE size;
    std::int32_t x, y;
    RECT rect;
    RECT clip;
    std::int32_t key;
};

class RecordingSurfacePort : public TransitionSurfacePort {
public:
    RecordingSurfacePort() { SetTransitionSurfacePort(this); }
    ~RecordingSurfacePort() override { SetTransitionSurfacePort(nullptr); }

    IDirectDrawSurface7* TargetSurface(Surface* destination, ScreenDevice* device,
                                       RECT* clip) override {
        lookups.push_back({destination, device});
        *clip = device ? deviceRect : destinationClip;
        return target;
    }
    IDirectDrawSurface7* SourceSurface(Surface*) override { return source; }
    std::int32_t BltFastClipped(IDirectDrawSurface7* t, IDirectDrawSurface7* s, std::int32_t x,
                                std::int32_t y, const RECT* rect, const RECT* clip,
                                std::int32_t key) override {
        blits.push_back({false, t, s, SIZE{0, 0}, x, y, *rect, *clip, key});
        return result;
    }
    std::int32_t BltClipped(IDirectDrawSurface7* t, IDirectDrawSurface7* s, const SIZE* size,
                            std::int32_t x, std::int32_t y, const RECT* rect, const RECT* clip,
                            std::int32_t key) override {
        blits.push_back({true, t, s, *size, x, y, *rect, *clip, key});
        return result;
    }

    struct Lookup {
        Surface* destination;
        ScreenDevice* device;
    };
    IDirectDrawSurface7* target = reinterpret_cast<IDirectDrawSurface7*>(0x1000);
    IDirectDrawSurface7* source = reinterpret_cast<IDirectDrawSurface7*>(0x2000);
    RECT deviceRect = {0, 0, 40, 30};
    RECT destinationClip = {0, 0, 20, 10};
    std::int32_t result = 0;
    std::vector<Lookup> lookups;
    std::vector<PortBlit> blits;
};

}  // namespace transtest
