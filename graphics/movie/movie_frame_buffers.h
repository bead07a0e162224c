// The frame-buffer views a movie lends its DLL (MovieFrameBuffer): one over a MemoryPixelSurface
// of the sprite movie, one over a VideoFrameSurface of the primitive movie. Each takes its
// surface's frame lock from Lock to Unlock and around Resize, and counts the frames unlocked,
// which tells the sprite movie that a new frame is waiting.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/movie_plugin.h"

class MemoryPixelSurface;
class VideoFrameSurface;

class SpriteFrameBuffer final : public WithDeletingDestructor<SpriteFrameBuffer, MovieFrameBuffer> {
public:
    SpriteFrameBuffer(MemoryPixelSurface& surface, volatile LONG& unlocks)
        : m_surface(surface), m_unlocks(unlocks) {}

    // Makes the surface anew at 32 bits a pixel.
    std::int32_t XM_METHOD Resize(std::int32_t width, std::int32_t height) override;
    // Format code 256.
    std::int32_t XM_METHOD Lock(MovieFrameLock* out) override;
    void XM_METHOD Unlock() override;

private:
    MemoryPixelSurface& m_surface;
    volatile LONG& m_unlocks;
};

class VideoFrameBuffer final : public WithDeletingDestructor<VideoFrameBuffer, MovieFrameBuffer> {
public:
    VideoFrameBuffer() = default;
    void Bind(VideoFrameSurface* surface) { m_surface = surface; }

    // Makes the DirectDraw surface anew at that size.
    std::int32_t XM_METHOD Resize(std::int32_t width, std::int32_t height) override;
    // The display's format code; the memory as the surface holds it now.
    std::int32_t XM_METHOD Lock(MovieFrameLock* out) override;
    void XM_METHOD Unlock() override;

private:
    VideoFrameSurface* m_surface = nullptr;
};
