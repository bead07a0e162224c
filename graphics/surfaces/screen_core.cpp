#include "graphics/surfaces/screen_core.h"

#include <new>
#include <utility>

#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite_list.h"

EffectHook g_effectBeginHook = nullptr;
EffectHook g_effectEndHook = nullptr;

namespace {

void CallHook(EffectHook hook) {
    if (hook) hook();
}

ScreenCore* AsCore(ScreenBuffer* screen) { return dynamic_cast<ScreenCore*>(screen); }

}  // namespace

ScreenCore::ScreenCore(std::uint8_t imageFlags, bool dibScreen)
    : m_imageFlags(imageFlags), m_dibScreen(dibScreen) {}

ScreenCore::~ScreenCore() { Release(); }

void ScreenCore::Release() {
    if (m_transition) EndTransition(false);
    m_canvas.reset();
    m_overlay.reset();
    m_transitionImage.reset();
    m_alternate = nullptr;
    m_useCanvas = false;
    m_image.Free();
}

std::int32_t ScreenCore::Create(std::int32_t width, std::int32_t height, std::int32_t depth,
                                std::int32_t canvasMode) {
    Release();
    if (depth != 8 && depth != 32) return 1;
    if (m_image.Create(width, height, static_cast<std::uint8_t>(depth), m_imageFlags) != 0)
        return 1;
    if (canvasMode != 0) {
        m_canvas.reset(new (std::nothrow) Canvas());
        if (!m_canvas) {
            Release();
            return 2;
        }
        if (m_canvas->SetTarget(&m_image, true) != 0) {
            Release();
            return 3;
        }
        if (canvasMode == 2) {
            m_overlay.reset(new (std::nothrow) SpriteList());
            if (!m_overlay) {
                Release();
                return 2;
            }
            m_canvas->AttachOverlay(m_overlay.get());
        }
        m_useCanvas = true;
        if (m_dibScreen) m_image.SetRecordingDirty(false);
    }
    if (!m_image.FillRect(0, 0, 0, nullptr)) {
        Release();
        return 4;
    }
    return 0;
}

std::int32_t ScreenCore::RecreateAtDepth(std::int32_t depth) {
    if (!m_image.Bits()) return 1;
    // A running transition draws through the transition image dropped below: it ends first.
    if (m_transition) EndTransition(m_swapAtEnd);
    const std::int32_t width = m_image.Width();
    const std::int32_t height = m_image.Height();
    if ((depth != 8 && depth != 32) ||
        m_image.Create(width, height, static_cast<std::uint8_t>(depth), m_imageFlags) != 0) {
        Release();
        return 2;
    }
    // The transition image must keep the back buffer's depth.
    m_transitionImage.reset();
    if (m_canvas) {
        m_canvas->SetTarget(&m_image, true);
        if (m_dibScreen) m_image.SetRecordingDirty(!m_useCanvas);
    }
    return 0;
}

bool ScreenCore::SetUseCanvas(bool flag) {
    const bool old = m_useCanvas;
    m_useCanvas = flag;
    if (m_dibScreen) m_image.SetRecordingDirty(!flag);
    return old;
}

void ScreenCore::Invalidate(const RECT* rect) {
    if (m_useCanvas && m_canvas) {
        m_canvas->InvalidateRect(rect);
        return;
    }
    if (!m_dibScreen) return;
    const RECT whole = {0, 0, m_image.Width(), m_image.Height()};
    if (DirtyRegion* region = m_image.GetDirtyRegion()) region->Add(rect ? *rect : whole);
    m_image.SetModified(true);
}

void ScreenCore::SetCanvasNoBackground(bool flag) {
    if (m_canvas) m_canvas->SetNoBackground(flag);
}

void ScreenCore::SetCanvasSpritesHidden(bool hideOwn, bool hideOverlay) {
    if (!m_canvas) return;
    m_canvas->SetHideSprites(hideOwn);
    m_canvas->SetHideOverlay(hideOverlay);
}

void ScreenCore::SwapCanvases(ScreenBuffer* other) {
    ScreenCore* core = AsCore(other);
    if (!m_canvas || !core || core == this || !core->m_canvas) return;
    // The overlay lists stay with their screens: each canvas takes the other's list.
    SpriteList* mine = m_canvas->Overlay();
    SpriteList* theirs = core->m_canvas->Overlay();
    m_canvas->AttachOverlay(nullptr);
    core->m_canvas->AttachOverlay(nullptr);
    core->m_canvas->AttachOverlay(mine);
    m_canvas->AttachOverlay(theirs);
    std::swap(m_canvas, core->m_canvas);
    m_canvas->SetTarget(&m_image, true);
    core->m_canvas->SetTarget(&core->m_image, true);
}

void ScreenCore::ExchangeBackgrounds(ScreenBuffer* other) {
    if (!m_canvas || !other || !other->GetCanvas()) return;
    m_canvas->SwapBackground(other->GetCanvas(), true);
}

HDC ScreenCore::PresentSourceDC() {
    if (m_transition && m_transitionImage) return m_transitionImage->MemoryDc();
    return m_image.MemoryDc();
}

std::int32_t ScreenCore::SetAlternate(ScreenBuffer* screen) {
    if (!screen) {
        // A running transition reads the alternate on every frame.
        if (m_transition) return 1;
        m_alternate = nullptr;
        return 0;
    }
    Image* other = screen->GetImage();
    if (!other || other->Width() != m_image.Width() || other->Height() != m_image.Height() ||
        other->Depth() != m_image.Depth())
        return 1;
    m_alternate = screen;
    return 0;
}

Image* ScreenCore::UsableBackground(Canvas* canvas) {
    if (!canvas) return nullptr;
    Surface* background = nullptr;
    canvas->GetBackground(&background, nullptr, nullptr, nullptr, nullptr, nullptr);
    Image* image = dynamic_cast<Image*>(background);
    if (!image || !image->Bits() || image->Depth() != m_image.Depth() ||
        image->Width() < m_image.Width() || image->Height() < m_image.Height())
        return nullptr;
    return image;
}

std::int32_t ScreenCore::BeginTransition(TransCallback* transition, TransitionMode mode,
                                         bool swapAtEnd, bool notifyHooks) {
    if (!m_canvas) return 1;
    if (m_transition) EndTransition(m_swapAtEnd);
    if (!transition) return 0;
    if (!m_alternate) return 2;
    const bool twoPictures = transition->Kind() <= 1;
    if (mode != kTransitionPictures) {
        Canvas* otherCanvas = m_alternate->GetCanvas();
        if (twoPictures && !otherCanvas) return 3;
        if (mode == kTransitionBackgrounds) {
            if (!UsableBackground(m_canvas.get())) return 4;
            if (twoPictures && !UsableBackground(otherCanvas)) return 4;
        }
        if (mode == kTransitionScenes && m_overlay && m_overlay->HasDrawables())
            m_canvas->InvalidateRect(nullptr);
    }
    if (!m_transitionImage) {
        std::unique_ptr<Image> image(new (std::nothrow) Image());
        if (!image || image->Create(m_image.Width(), m_image.Height(), m_image.Depth(),
                                    kImageDibSection) != 0)
            return 3;
        m_transitionImage = std::move(image);
    }
    if (notifyHooks) CallHook(g_effectBeginHook);
    m_mode = mode;
    m_swapAtEnd = swapAtEnd;
    m_notifyHooks = notifyHooks;
    m_transition = transition;
    return 0;
}

void ScreenCore::EndTransition(bool swap) {
    if (!m_transition) return;
    TransCallback* ending = m_transition;
    const bool twoPictures = ending->Kind() <= 1;
    m_transition = nullptr;
    ReleaseObject(ending);
    if (m_notifyHooks) CallHook(g_effectEndHook);
    if (swap && m_alternate) {
        if (m_mode == kTransitionScenes) SwapCanvases(m_alternate);
        if (m_mode == kTransitionBackgrounds) ExchangeBackgrounds(m_alternate);
    }
    if (m_mode == kTransitionPictures) return;
    // The scenes' frames redrew the alternate's canvas without its overlay and used up its
    // changes: it is drawn whole at its next present.
    if (m_mode == kTransitionScenes && twoPictures && m_alternate)
        if (Canvas* other = m_alternate->GetCanvas()) other->InvalidateRect(nullptr);
    if (m_canvas) {
        m_canvas->InvalidateRect(nullptr);
        if (m_useCanvas) return;
    }
    const RECT whole = {0, 0, m_image.Width(), m_image.Height()};
    if (DirtyRegion* region = m_image.GetDirtyRegion()) region->Add(whole);
    m_image.SetModified(true);
}

namespace {

// Redraws a canvas with its overlay list left out.
void RedrawWithoutOverlay(Canvas* canvas) {
    SpriteList* overlay = canvas->Overlay();
    canvas->AttachOverlay(nullptr);
    canvas->Redraw(nullptr, nullptr, 0, 0);
    canvas->AttachOverlay(overlay);
}

}  // namespace

void ScreenCore::TransitionSources(Image** first, Image** second) {
    const bool twoPictures = m_transition->Kind() <= 1;
    *first = &m_image;
    *second = nullptr;
    Canvas* otherCanvas = m_alternate ? m_alternate->GetCanvas() : nullptr;
    switch (m_mode) {
    case kTransitionPictures:
        if (twoPictures && m_alternate) *second = m_alternate->GetImage();
        break;
    case kTransitionScenes:
        if (m_useCanvas && m_canvas) {
            if (twoPictures && otherCanvas) RedrawWithoutOverlay(otherCanvas);
            RedrawWithoutOverlay(m_canvas.get());
        }
        if (twoPictures && otherCanvas) *second = otherCanvas->Target();
        break;
    case kTransitionBackgrounds:
        *first = UsableBackground(m_canvas.get());
        if (twoPictures) *second = UsableBackground(otherCanvas);
        break;
    }
}

void ScreenCore::DrawTransitionSprites(const RECT& clip) {
    if (!m_useCanvas || !m_canvas) return;
    m_canvas->DrawOnTop(m_transitionImage.get(), clip, m_mode == kTransitionBackgrounds);
}

std::int32_t ScreenCore::BackBufferColour(std::int32_t x, std::int32_t y) {
    if (!m_image.Bits() || static_cast<std::uint32_t>(x) >= static_cast<std::uint32_t>(m_image.Width()) ||
        static_cast<std::uint32_t>(y) >= static_cast<std::uint32_t>(m_image.Height()))
        return -1;
    const std::uint32_t pixel = m_image.GetPixel(x, y);
    if (m_image.Depth() == 8) {
        const std::uint32_t* palette = m_image.Palette();
        return static_cast<std::int32_t>(
            (palette ? palette[pixel & 0xFF] : (pixel & 0xFF) * 0x010101u) & 0x00FFFFFFu);
    }
    return static_cast<std::int32_t>(pixel & 0x00FFFFFFu);
}
