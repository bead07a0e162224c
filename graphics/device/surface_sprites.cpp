#include "graphics/device/surface_sprites.h"

#include "graphics/compose/blit_clip.h"
#include "graphics/device/blit_retry.h"
#include "graphics/device/transition_effect_port.h"
#include "graphics/image/direct_draw_backed.h"
#include "graphics/interfaces/surface.h"
#include "graphics/surfaces/direct_draw_image.h"
#include "graphics/surfaces/direct_draw_screen.h"

TransitionEffectFunction RunTransitionEffectPort = nullptr;

std::int32_t RunTransitionEffectThroughPort(std::int32_t index, Surface* destination, Surface* source,
                                            std::int32_t progress, std::int32_t x, std::int32_t y,
                                            std::int32_t mode, ScreenDevice* device) {
    if (!RunTransitionEffectPort) return 1;
    return RunTransitionEffectPort(index, destination, source, progress, x, y, mode, device);
}

IDirectDrawSurface7* DirectDrawSurfaceOf(Surface* surface) {
    if (!surface) return nullptr;
    switch (surface->Kind()) {
        case kSurfaceDirectDrawImage:
        case kSurfaceTextBitmapImage:
        case kSurfaceTextureImage:
        case kSurfaceTextureText:
        case kSurfaceVideoFrame:
        case kSurfaceDirectDrawScreen:
        case kSurfaceTextureScreen:
            return static_cast<DirectDrawBacked*>(surface)->GetSurface();
        default:
            return nullptr;
    }
}

namespace {

std::int32_t RectWidth(const RECT& r) { return r.right - r.left; }
std::int32_t RectHeight(const RECT& r) { return r.bottom - r.top; }

}  // namespace

// ---------------------------------------------------------------- BlitDrawable

void BlitDrawable::SetPosition(std::int32_t x, std::int32_t y) {
    m_x = x;
    m_y = y;
}

void BlitDrawable::SetSize(std::int32_t width, std::int32_t height) {
    m_width = width;
    m_height = height;
}

void BlitDrawable::SetSizeAndPosition(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) {
    SetSize(width, height);
    SetPosition(x, y);
}

void BlitDrawable::MoveBy(std::int32_t dx, std::int32_t dy) {
    m_x += dx;
    m_y += dy;
}

bool BlitDrawable::Overlaps(DeviceDrawable* other) {
    RECT mine;
    RECT theirs;
    if (!other || !GetBounds(&mine) || !other->GetBounds(&theirs)) return false;
    return mine.left < theirs.right && theirs.left < mine.right && mine.top < theirs.bottom &&
           theirs.top < mine.bottom;
}

bool BlitDrawable::BoundsOf(Surface* picture, RECT* out) const {
    if (!DirectDrawSurfaceOf(picture)) return false;
    const std::int32_t w = m_width ? m_width : RectWidth(m_sourceRect);
    const std::int32_t h = m_height ? m_height : RectHeight(m_sourceRect);
    *out = RECT{m_x, m_y, m_x + w, m_y + h};
    return true;
}

bool BlitDrawable::HitTestOn(Surface* picture, std::int32_t px, std::int32_t py, bool opaqueOnly) {
    RECT bounds;
    if (!BoundsOf(picture, &bounds)) return false;
    if (px < bounds.left || px >= bounds.right || py < bounds.top || py >= bounds.bottom) return false;
    if (!opaqueOnly || picture->Kind() != kSurfaceDirectDrawImage) return true;
    auto* image = static_cast<DirectDrawImage*>(picture);
    const std::int32_t key = image->ColourKey();
    if (key == -1) return true;
    std::int32_t lx = px - bounds.left;
    std::int32_t ly = py - bounds.top;
    if (m_width) lx = static_cast<std::int32_t>(static_cast<double>(RectWidth(m_sourceRect)) / m_width * lx);
    if (m_height) ly = static_cast<std::int32_t>(static_cast<double>(RectHeight(m_sourceRect)) / m_height * ly);
    // The pixel Draw shows there: the source rectangle's origin counts as well as the offset.
    const std::int32_t pixel =
        image->GetPixel(m_sourceRect.left + m_sourceOffset.x + lx, m_sourceRect.top + m_sourceOffset.y + ly);
    return pixel != key;
}

std::int32_t BlitDrawable::BlitPicture(Surface* picture, IDirectDrawSurface7* target, const RECT* area) {
    IDirectDrawSurface7* from = DirectDrawSurfaceOf(picture);
    RECT src = m_sourceRect;
    if (m_sourceOffset.x != 0 || m_sourceOffset.y != 0) {
        OffsetRect(&src, m_sourceOffset.x, m_sourceOffset.y);
        if (!picture->ClipToClipRect(&src)) return 0;
    }
    const bool keyed = picture->ColourKey() != -1;
    RECT dest;
    if (m_width == 0 && m_height == 0) {
        if (ClipBlitRects(m_x, m_y, &src, &dest, area, nullptr) != 0) return 0;
        const HRESULT result =
            BltFastRetrying(target, static_cast<DWORD>(dest.left), static_cast<DWORD>(dest.top), from, &src,
                            keyed ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY);
        return FAILED(result) ? 3 : 0;
    }
    const SIZE size = {m_width ? m_width : RectWidth(src), m_height ? m_height : RectHeight(src)};
    if (ClipBlitRects(m_x, m_y, &src, &dest, area, &size) != 0) return 0;
    const HRESULT result = BltRetrying(target, &dest, from, &src, keyed ? DDBLT_KEYSRC : 0);
    return FAILED(result) ? 2 : 0;
}

bool BlitDrawable::StoreSourceRect(Surface* picture, std::int32_t offsetX, std::int32_t offsetY,
                                   const RECT* rect) {
    if (!DirectDrawSurfaceOf(picture)) return false;
    if (rect) {
        RECT clipped = *rect;
        picture->ClipToClipRect(&clipped);
        m_sourceRect = clipped;
    }
    m_sourceOffset = POINT{offsetX, offsetY};
    return true;
}

void BlitDrawable::ClearPlacement() {
    m_sourceRect = RECT{0, 0, 0, 0};
    m_sourceOffset = POINT{0, 0};
    m_x = m_y = m_width = m_height = 0;
}

// ---------------------------------------------------------------- SurfaceSprite

bool SurfaceSprite::Accepts(Surface* image) const { return DirectDrawSurfaceOf(image) != nullptr; }

bool SurfaceSpriteEx::Accepts(Surface* image) const {
    return image && image->Kind() == kSurfaceDirectDrawScreen && DirectDrawSurfaceOf(image) != nullptr;
}

void SurfaceSprite::Clear() {
    m_image = nullptr;
    ClearPlacement();
}

std::int32_t SurfaceSprite::SetUp(Surface* image, const RECT* sourceRect, std::int32_t x, std::int32_t y) {
    if (!Accepts(image)) return 1;
    Clear();
    m_image = image;
    if (sourceRect) {
        RECT clipped = *sourceRect;
        image->ClipToClipRect(&clipped);
        m_sourceRect = clipped;
    } else {
        image->GetRect(&m_sourceRect);
    }
    m_x = x;
    m_y = y;
    return 0;
}

std::int32_t SurfaceSprite::SetImage(Surface* image) {
    if (!Accepts(image)) return 1;
    m_image = image;
    return 0;
}

bool SurfaceSprite::HitTest(std::int32_t x, std::int32_t y, bool opaqueOnly) {
    return HitTestOn(m_image, x, y, opaqueOnly);
}

std::int32_t SurfaceSprite::Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice*) {
    if (!IsEnabled()) return 0;
    if (!target || !area || !DirectDrawSurfaceOf(m_image)) return 1;
    return BlitPicture(m_image, target, area);
}

bool SurfaceSprite::ForgetSurface(const Surface* surface, const Texture*) {
    if (!surface || m_image != surface) return false;
    Clear();
    SetEnabled(false);
    return true;
}

std::int32_t SurfaceSpriteEx::Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice*) {
    if (!IsEnabled()) return 0;
    if (!target || !area || !DirectDrawSurfaceOf(m_image)) return 1;
    static_cast<DirectDrawScreen*>(m_image)->UpdateSurface(true);
    return BlitPicture(m_image, target, area);
}

// ---------------------------------------------------------------- TransitionSprite

void TransitionSprite::Clear() {
    m_source = nullptr;
    m_target = nullptr;
    m_routine = 0;
    m_progress = 0;
    m_param1 = 0;
    m_param2 = 0;
    ClearPlacement();
}

std::int32_t TransitionSprite::SetUp(Surface* source, Surface* target, std::int32_t routine, std::int32_t x,
                                     std::int32_t y, std::int32_t progress, std::int32_t param1,
                                     std::int32_t param2) {
    if (!DirectDrawSurfaceOf(target)) {
        Clear();
        return 1;
    }
    Clear();
    if (routine < 0 || routine >= kRoutineCount) return kBadRoutine;
    m_target = target;
    m_routine = routine;
    m_x = x;
    m_y = y;
    m_progress = progress;
    if (!source) return 0;
    if (!DirectDrawSurfaceOf(source)) {
        Clear();
        return 2;
    }
    m_sourceRect = RECT{0, 0, source->Width(), source->Height()};
    m_param1 = param1;
    m_param2 = param2;
    m_source = source;
    if (SetProgress(progress) != 0) {
        Clear();
        return 3;
    }
    return 0;
}

std::int32_t TransitionSprite::SetProgress(std::int32_t progress) {
    if (!m_target) return 1;
    if (m_source) {
        if (m_source->Kind() == kSurfaceDirectDrawImage) {
            auto* work = static_cast<DirectDrawImage*>(m_source);
            const std::int32_t fill = work->FillColourValue();
            if (fill != -1) work->FillColour((fill >> 16) & 0xFF, (fill >> 8) & 0xFF, fill & 0xFF);
        }
        const std::int32_t result = RunTransitionEffectThroughPort(m_routine, m_source, m_target, progress, m_param1,
                                                                   m_param2, 0, nullptr);
        if (result == -1) return kBadRoutine;
        if (result != 0) return result + 1;
    }
    m_progress = progress;
    return 0;
}

std::int32_t TransitionSprite::SetSource(Surface* source) {
    if (!m_target) return 1;
    if (source && !DirectDrawSurfaceOf(source)) return 1;
    m_source = source;
    if (source) m_sourceRect = RECT{0, 0, source->Width(), source->Height()};
    return 0;
}

bool TransitionSprite::SetRoutine(std::uint32_t routine) {
    if (routine >= static_cast<std::uint32_t>(kRoutineCount)) return false;
    m_routine = static_cast<std::int32_t>(routine);
    return true;
}

void TransitionSprite::SetParams(std::int32_t param1, std::int32_t param2) {
    m_param1 = param1;
    m_param2 = param2;
}

void TransitionSprite::AddParams(std::int32_t delta1, std::int32_t delta2) {
    m_param1 = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_param1) + static_cast<std::uint32_t>(delta1));
    m_param2 = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_param2) + static_cast<std::uint32_t>(delta2));
}

std::int32_t TransitionSprite::SetTarget(Surface* target) {
    if (!m_target || !DirectDrawSurfaceOf(target)) return 1;
    m_target = target;
    return 0;
}

bool TransitionSprite::GetBounds(RECT* out) {
    if (!DirectDrawSurfaceOf(m_target)) return false;
    if (m_source) return BoundsOf(m_source, out);
    *out = RECT{m_x, m_y, m_x + m_target->Width(), m_y + m_target->Height()};
    return true;
}

bool TransitionSprite::HitTest(std::int32_t x, std::int32_t y, bool opaqueOnly) {
    if (m_source) return HitTestOn(m_source, x, y, opaqueOnly);
    RECT bounds;
    if (!GetBounds(&bounds)) return false;
    return x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom;
}

std::int32_t TransitionSprite::Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice*) {
    if (!IsEnabled()) return 0;
    if (!target || !area || !DirectDrawSurfaceOf(m_target)) return 1;
    if (!m_source) {
        const std::int32_t result =
            RunTransitionEffectThroughPort(m_routine, nullptr, m_target, m_progress, m_x, m_y, 0, m_device);
        if (result == -1) return kBadRoutine;
        return result != 0 ? result + 1 : 0;
    }
    if (!DirectDrawSurfaceOf(m_source)) return 2;
    return BlitPicture(m_source, target, area);
}

std::int32_t TransitionSprite::RestoreContent() {
    if (!DirectDrawSurfaceOf(m_source)) return 0;
    return SetProgress(m_progress) != 0 ? 1 : 0;
}

bool TransitionSprite::ForgetSurface(const Surface* surface, const Texture*) {
    if (!surface || (m_source != surface && m_target != surface)) return false;
    Clear();
    SetEnabled(false);
    return true;
}
