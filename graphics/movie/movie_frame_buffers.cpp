#include "graphics/movie/movie_frame_buffers.h"

#include "graphics/compose/pixel_format.h"
#include "graphics/surfaces/frame_surfaces.h"

std::int32_t SpriteFrameBuffer::Resize(std::int32_t width, std::int32_t height) {
    ScopedLock hold(m_surface.FrameLock());
    if (m_surface.Bits() && m_surface.Width() == width && m_surface.Height() == height) return 0;
    return m_surface.Create(width, height, 32);
}

std::int32_t SpriteFrameBuffer::Lock(MovieFrameLock* out) {
    if (!out) return 1;
    m_surface.FrameLock().Enter();
    if (!m_surface.Bits()) {
        m_surface.FrameLock().Leave();
        return 1;
    }
    *out = MovieFrameLock{m_surface.Bits(), m_surface.Pitch(), m_surface.Width(), m_surface.Height(),
                          kPixelFormatArgb32};
    return 0;
}

void SpriteFrameBuffer::Unlock() {
    InterlockedIncrement(&m_unlocks);
    m_surface.FrameLock().Leave();
}

std::int32_t VideoFrameBuffer::Resize(std::int32_t width, std::int32_t height) {
    ScopedLock hold(m_surface->FrameLock());
    return m_surface->Create(width, height);
}

std::int32_t VideoFrameBuffer::Lock(MovieFrameLock* out) {
    if (!out) return 1;
    m_surface->FrameLock().Enter();
    if (!m_surface->Memory()) {
        m_surface->FrameLock().Leave();
        return 1;
    }
    *out = MovieFrameLock{m_surface->Memory(), m_surface->Pitch(), m_surface->Width(), m_surface->Height(),
                          m_surface->FormatCode()};
    return 0;
}

void VideoFrameBuffer::Unlock() { m_surface->FrameLock().Leave(); }
