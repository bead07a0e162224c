#include "graphics/movie/prim_movie.h"

#include "framework/files/virtual_file_system.h"
#include "framework/movie/movie_dll.h"
#include "framework/movie/movie_open.h"
#include "graphics/compose/blit_clip.h"
#include "graphics/device/blit_retry.h"
#include "graphics/device/screen_device.h"
#include "graphics/sprites/drawable.h"
#include "graphics/surfaces/frame_surfaces.h"

namespace {

std::uint32_t WordOf(VideoFrameSurface* frame) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(static_cast<Surface*>(frame)));
}

}  // namespace

PrimMovie::~PrimMovie() { Reset(); }

void PrimMovie::ReleaseFrames() {
    for (int i = 0; i < 2; ++i) {
        m_views[i].Bind(nullptr);
        if (!m_frames[i]) continue;
        Surface* surface = m_frames[i];
        m_frames[i] = nullptr;
        if (m_device) {
            m_device->Unpin(WordOf(static_cast<VideoFrameSurface*>(surface)));
            m_device->ReleaseImageRef(&surface);
        }
    }
}

void PrimMovie::Reset() {
    // The DLL's threads write into the frames until Release returns.
    m_control.Release();
    ReleaseFrames();
    if (m_device) m_device->RemoveDeletionListener(this);
    m_device = nullptr;
    m_videoWidth = 0;
    m_videoHeight = 0;
    m_source = RECT{0, 0, 0, 0};
    m_sourceOffset = POINT{0, 0};
    m_x = 0;
    m_y = 0;
    m_width = 0;
    m_height = 0;
}

std::int32_t PrimMovie::Open(ScreenDevice* device, const char* name, std::int32_t x, std::int32_t y,
                             VirtualFileSystem* fileSystem) {
    MoviePlugins& plugins = PublishedMoviePlugins();
    MovieDll* dll = plugins.prim;
    if (!dll) return kMovieNoDll;
    VirtualFileSystem* files = fileSystem ? fileSystem : plugins.fileSystem;
    if (!name || !files || !device) return kMovieMissingArgument;
    MovieSource source;
    const std::int32_t located = LocateMovie(*files, name, &source);
    if (located != 0) return located;
    std::int32_t code = kMovieRefused;
    MovieControl* control = nullptr;
    try {
        Reset();
        m_device = device;
        device->AddDeletionListener(this);
        for (int i = 0; i < 2 && code != kMovieNoFrameSurfaces; ++i) {
            if (device->CreateVideoFrameSurface(&m_frames[i]) != 0 || !m_frames[i]) {
                m_frames[i] = nullptr;
                code = kMovieNoFrameSurfaces;
                break;
            }
            device->Pin(WordOf(m_frames[i]));
            m_views[i].Bind(m_frames[i]);
        }
        if (g_movieOpenStepProbe) g_movieOpenStepProbe();
        MovieGetPrimCtrlFunc factory = dll->PrimFactory();
        if (code != kMovieNoFrameSurfaces && dll->Module() && factory &&
            factory(&control, &m_views[0], &m_views[1], source.stream, source.kind, source.PathOrNull(), 0, 0, 1) ==
                0 &&
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
    m_frames[0]->GetClipRect(&m_source);
    m_x = x;
    m_y = y;
    return kMovieOpened;
}

void PrimMovie::SetPosition(std::int32_t x, std::int32_t y) {
    m_x = x;
    m_y = y;
}

void PrimMovie::SetSize(std::int32_t width, std::int32_t height) {
    m_width = width;
    m_height = height;
}

void PrimMovie::SetSizeAndPosition(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) {
    SetSize(width, height);
    SetPosition(x, y);
}

void PrimMovie::MoveBy(std::int32_t dx, std::int32_t dy) {
    m_x = SaturatingAdd(m_x, dx);
    m_y = SaturatingAdd(m_y, dy);
}

bool PrimMovie::GetBounds(RECT* out) {
    if (!IsOpen() || !out) return false;
    const std::int32_t w = m_width ? m_width : m_source.right - m_source.left;
    const std::int32_t h = m_height ? m_height : m_source.bottom - m_source.top;
    *out = RECT{m_x, m_y, SaturatingAdd(m_x, w), SaturatingAdd(m_y, h)};
    return true;
}

bool PrimMovie::HitTest(std::int32_t x, std::int32_t y, bool) {
    RECT bounds;
    return GetBounds(&bounds) && x >= bounds.left && y >= bounds.top && x < bounds.right && y < bounds.bottom;
}

bool PrimMovie::Overlaps(DeviceDrawable* other) {
    RECT mine;
    RECT theirs;
    if (!other || !GetBounds(&mine) || !other->GetBounds(&theirs)) return false;
    return mine.left < theirs.right && theirs.left < mine.right && mine.top < theirs.bottom && theirs.top < mine.bottom;
}

std::int32_t PrimMovie::Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice*) {
    if (!IsEnabled()) return 0;
    if (!target || !area || !IsOpen() || !m_frames[0] || !m_frames[1]) return 1;
    RECT src = m_source;
    bool something = true;
    if (m_sourceOffset.x != 0 || m_sourceOffset.y != 0) {
        OffsetRect(&src, m_sourceOffset.x, m_sourceOffset.y);
        something = m_frames[0]->ClipToClipRect(&src);
    }
    if (something) {
        VideoFrameSurface* frame = m_frames[m_control.Control()->CurrentBuffer() & 1];
        ScopedLock hold(frame->FrameLock());
        IDirectDrawSurface7* from = frame->GetSurface();
        RECT dest;
        if (from && m_width == 0 && m_height == 0) {
            if (ClipBlitRects(m_x, m_y, &src, &dest, area, nullptr) == 0 &&
                FAILED(BltFastRetrying(target, static_cast<DWORD>(dest.left), static_cast<DWORD>(dest.top), from, &src,
                                       DDBLTFAST_NOCOLORKEY)))
                return 3;
        } else if (from) {
            const SIZE size = {m_width ? m_width : src.right - src.left, m_height ? m_height : src.bottom - src.top};
            if (ClipBlitRects(m_x, m_y, &src, &dest, area, &size) == 0 &&
                FAILED(BltRetrying(target, &dest, from, &src, 0)))
                return 2;
        }
    }
    m_control.HandleEnd();
    return 0;
}

bool PrimMovie::ForgetSurface(const Surface* surface, const Texture*) {
    if (!surface || (surface != m_frames[0] && surface != m_frames[1])) return false;
    // The device deletes a frame the DLL writes: the control object stops first, and the other
    // frame is left to the device's list, unpinned.
    m_control.Release();
    for (int i = 0; i < 2; ++i) {
        if (m_frames[i] && m_frames[i] != surface && m_device) m_device->Unpin(WordOf(m_frames[i]));
        m_frames[i] = nullptr;
        m_views[i].Bind(nullptr);
    }
    if (m_device) m_device->RemoveDeletionListener(this);
    m_device = nullptr;
    SetEnabled(false);
    return true;
}

void PrimMovie::OnObjectDeleting(ListedObjectFamily family, const void* object, const void*) {
    if (family == ListedObjectFamily::kSurface) ForgetSurface(static_cast<const Surface*>(object), nullptr);
}
