// ScreenBuffer: what every screen shares, a back-buffer image, an optional canvas with an
// optional overlay list, and the machinery of screen transitions.
//
// Transition plug-ins are handed their target as a ScreenBuffer and call Depth and GetImage on
// it from another module, so this table is part of the contract: slot 0 the deleting destructor
// (flags word, bit 0 frees the memory), then the operations below in this order, every one
// __thiscall, none overloaded. A screen holds this base after its Surface base.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/cross_module.h"
#include "graphics/interfaces/surface.h"

class Image;
class Canvas;
class SpriteList;
class TransCallback;

// Which pictures a transition blends.
enum TransitionMode : std::uint8_t {
    kTransitionPictures = 0,     // the two back buffers as they are
    kTransitionScenes = 1,       // both canvases redrawn without overlays, this overlay on top
    kTransitionBackgrounds = 2,  // the two canvas backgrounds, all of this screen's sprites on top
};

class ScreenBuffer {
public:
    // Slot 0.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    virtual SurfaceKind XM_METHOD Kind() = 0;
    virtual Image* XM_METHOD GetImage() = 0;
    virtual Canvas* XM_METHOD GetCanvas() = 0;
    virtual SpriteList* XM_METHOD GetOverlayList() = 0;
    virtual ScreenBuffer* XM_METHOD GetAlternate() = 0;
    virtual Image* XM_METHOD GetTransitionImage() = 0;
    virtual std::int32_t XM_METHOD Depth() = 0;
    virtual bool XM_METHOD UsesCanvas() = 0;
    virtual bool XM_METHOD SwapsAtEnd() = 0;
    // Returns the old flag.
    virtual bool XM_METHOD SetUseCanvas(bool flag) = 0;
    // null: the whole picture.
    virtual void XM_METHOD Invalidate(const RECT* rect) = 0;
    virtual void XM_METHOD SetCanvasNoBackground(bool flag) = 0;
    virtual void XM_METHOD SetCanvasSpritesHidden(bool hideOwn, bool hideOverlay) = 0;
    // 0; 1 not created; 2 the new back buffer cannot be made (the screen is then released).
    virtual std::int32_t XM_METHOD ChangeDepth(std::int32_t depth) = 0;
    virtual void XM_METHOD SwapCanvases(ScreenBuffer* other) = 0;
    virtual void XM_METHOD ExchangeBackgrounds(ScreenBuffer* other) = 0;
    virtual void XM_METHOD ReleaseTransitionImage() = 0;
    virtual HDC XM_METHOD PresentSourceDC() = 0;
    virtual bool XM_METHOD InTransition() = 0;
    virtual TransCallback* XM_METHOD GetTransition() = 0;
    // 0 stored (null too); 1 another size or depth, or null while a transition runs.
    virtual std::int32_t XM_METHOD SetAlternate(ScreenBuffer* screen) = 0;
    // 0 started (or, for a null transition, nothing runs); 1 no canvas; 2 no alternate; 3 a
    // needed canvas or the transition image is missing; 4 a background to hand over is missing
    // or is not an image of the screen's depth and at least its size; -1 not supported.
    virtual std::int32_t XM_METHOD BeginTransition(TransCallback* transition, TransitionMode mode,
                                                   bool swapAtEnd, bool notifyHooks) = 0;
    virtual void XM_METHOD EndTransition(bool swap) = 0;

protected:
    ScreenBuffer() = default;
    ~ScreenBuffer() = default;
};
static_assert(sizeof(ScreenBuffer) == 4, "only the table pointer: the layout is shared");

// Deletes a screen through slot 0 (null is allowed).
inline void ScreenBufferDelete(ScreenBuffer* screen) {
    if (screen) screen->DeletingDestructor(xm::kDeleteMemory);
}
