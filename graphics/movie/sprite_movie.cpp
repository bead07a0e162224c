#include "graphics/movie/sprite_movie.h"

#include <algorithm>

#include "framework/files/virtual_file_system.h"
#include "framework/movie/movie_dll.h"
#include "framework/movie/movie_open.h"
#include "graphics/compose/blit_clip.h"
#include "graphics/compose/pixel_op_library_loader.h"
#include "graphics/image/image.h"

SpriteMovie::SpriteMovie() { SpriteMovie::Reset(); }

SpriteMovie::~SpriteMovie() {
    // The control object goes first: its threads write into the buffers.
    m_control.Release();
}

void SpriteMovie::Reset() {
    m_control.Release();
    m_alpha = 255;
    m_blendMode = 0;
    m_videoWidth = 0;
    m_videoHeight = 0;
    m_source = RECT{0, 0, 0, 0};
    m_displaySize = SIZE{0, 0};
    UpdateBounds();
}

std::int32_t SpriteMovie::Open(const char* name, std::int32_t x, std::int32_t y, VirtualFileSystem* fileSystem) {
    MoviePlugins& plugins = PublishedMoviePlugins();
    MovieDll* dll = plugins.sprite;
    if (!dll) return kMovieNoDll;
    VirtualFileSystem* files = fileSystem ? fileSystem : plugins.fileSystem;
    if (!name || !files || !CurrentPixelOpLibrary()) return kMovieMissingArgument;
    MovieSource source;
    const std::int32_t located = LocateMovie(*files, name, &source);
    if (located != 0) return located;
    std::int32_t code = kMovieRefused;
    MovieControl* control = nullptr;
    try {
        Reset();
        if (g_movieOpenStepProbe) g_movieOpenStepProbe();
        MovieGetSpriteCtrlFunc factory = dll->SpriteFactory();
        if (dll->Module() && factory &&
            factory(&control, &m_views[0], &m_views[1], this, source.stream, source.kind, source.PathOrNull(), 0, 0,
                    1) == 0 &&
            control)
            code = kMovieOpened;
    } catch (...) {
        code = kMovieFailed;
    }
    if (code != kMovieOpened) {
        ReleaseMovieSource(source);
        Reset();
        return code;
    }
    m_control.Adopt(control, *dll);
    m_videoWidth = control->Width();
    m_videoHeight = control->Height();
    // A DLL that reports more than its buffers hold shows what they hold.
    m_source = RECT{0, 0, std::max(0, m_videoWidth), std::max(0, m_videoHeight)};
    for (MemoryPixelSurface& buffer : m_buffers) {
        ScopedLock hold(buffer.FrameLock());
        m_source.right = std::min<LONG>(m_source.right, buffer.Bits() ? buffer.Width() : 0);
        m_source.bottom = std::min<LONG>(m_source.bottom, buffer.Bits() ? buffer.Height() : 0);
    }
    m_x = x;
    m_y = y;
    m_blendMode = 0;
    UpdateBounds();
    return kMovieOpened;
}

bool SpriteMovie::IsDirty() const { return m_dirty != 0 || m_unlocks != m_unlocksSeen; }

void SpriteMovie::SetDirty(std::uint8_t dirty) {
    // The canvas clears the mark as it collects the movie's area: frames unlocked before then
    // are in the area it is about to paint.
    if (dirty == 0) m_unlocksSeen = m_unlocks;
    Drawable::SetDirty(dirty);
}

std::int32_t SpriteMovie::SetBlendMode(std::uint8_t mode) { return StoreBlendMode(mode, 31); }

SIZE SpriteMovie::Displayed() const {
    if (!Stretched()) return SIZE{m_source.right - m_source.left, m_source.bottom - m_source.top};
    return m_displaySize;
}

void SpriteMovie::UpdateBounds() {
    const SIZE shown = Displayed();
    m_bounds = RECT{m_x, m_y, SaturatingAdd(m_x, shown.cx), SaturatingAdd(m_y, shown.cy)};
    SetDirty(1);
}

bool SpriteMovie::SetSize(std::int32_t width, std::int32_t height) {
    if (!IsOpen()) return false;
    SIZE wanted = {0, 0};
    if (width != 0 || height != 0) {
        wanted.cx = width > 0 ? width : m_source.right - m_source.left;
        wanted.cy = height > 0 ? height : m_source.bottom - m_source.top;
    }
    if (wanted.cx == m_displaySize.cx && wanted.cy == m_displaySize.cy) return false;
    m_displaySize = wanted;
    UpdateBounds();
    return true;
}

bool SpriteMovie::InvalidateArea(const RECT& rect) {
    if (!List()) return false;
    const SIZE shown = Displayed();
    RECT part;
    if (!IntersectRects(&part, rect, RECT{0, 0, shown.cx, shown.cy})) return false;
    InvalidateOnCanvas(part, m_bounds.left, m_bounds.top);
    return true;
}

bool SpriteMovie::HitTest(std::int32_t x, std::int32_t y, bool) {
    return IsOpen() && x >= m_bounds.left && y >= m_bounds.top && x < m_bounds.right && y < m_bounds.bottom;
}

bool SpriteMovie::Overlaps(Drawable* other) { return IsOpen() && Drawable::Overlaps(other); }

std::int32_t SpriteMovie::DrawFrame(Image* target, const RECT& area) {
    MemoryPixelSurface& frame = m_buffers[m_control.Control()->CurrentBuffer() & 1];
    ScopedLock hold(frame.FrameLock());
    if (Stretched()) {
        RECT source = m_source;
        return target->StretchBlendRect(&frame, 0, 0, 255, 0, &m_displaySize, m_bounds.left, m_bounds.top,
                                        &source);
    }
    // The library would cut the rectangle it is given in place and clips to the bitmaps' sizes
    // only: it gets a copy, cut here to area and the target's clip rectangle, the source alike.
    RECT drawn;
    if (!IntersectRects(&drawn, m_bounds, area) || !target->ClipToClipRect(&drawn)) return 0;
    RECT source = m_source;
    source.left = SaturatingAdd(source.left, drawn.left - m_bounds.left);
    source.top = SaturatingAdd(source.top, drawn.top - m_bounds.top);
    source.right = SaturatingAdd(source.right, drawn.right - m_bounds.right);
    source.bottom = SaturatingAdd(source.bottom, drawn.bottom - m_bounds.bottom);
    if (source.left >= source.right || source.top >= source.bottom) return 0;
    return target->BlendRect(&frame, m_blendMode, m_alpha, 0, drawn.left, drawn.top, &source);
}

std::int32_t SpriteMovie::Render(Image* target, RECT* outRect) {
    if (!IsVisible() || m_alpha == 0) return 0;
    if (!target || !IsOpen()) return 1;
    if (DrawFrame(target, *target->ClipRectPtr()) != 0) return 3;
    ReportDrawn(target, outRect);
    return 0;
}

void SpriteMovie::RenderClipped(Image* target, const RECT& clip) {
    if (!target || !IsOpen()) return;
    if (Stretched()) {
        RECT shown = m_bounds;
        RECT inside;
        if (!target->ClipToClipRect(&shown) || !IntersectRects(&inside, shown, clip)) return;
        if (!EqualRect(&inside, &shown)) {
            // Drawn whole later; a stretched part would not match its neighbours.
            SetDirty(1);
            return;
        }
        DrawFrame(target, clip);
    } else {
        RECT drawn;
        if (!IntersectRects(&drawn, m_bounds, clip)) return;
        DrawFrame(target, clip);
    }
    m_control.HandleEnd();
}
