// SpriteMovie: a movie played by DS_SPRITE.DLL and composited as a drawable of the display
// canvas (kind 2). The DLL's control object writes frames into the movie's two frame buffers
// from its own threads; a draw takes the newest under its frame lock and blends it with the
// pixel-operation library, at its natural size or stretched to the display size.
//
// The movie counts as dirty when its own state changed or a frame was unlocked since the canvas
// last collected it, so a playing movie is repainted every new frame and a paused one never.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/movie/movie_control_holder.h"
#include "graphics/movie/movie_frame_buffers.h"
#include "graphics/sprites/drawable.h"
#include "graphics/surfaces/frame_surfaces.h"

class VirtualFileSystem;

class SpriteMovie : public Drawable {
public:
    SpriteMovie();
    ~SpriteMovie() override;

    // 0 or a MovieOpenCode. fileSystem null: the one published for movies.
    std::int32_t Open(const char* name, std::int32_t x, std::int32_t y, VirtualFileSystem* fileSystem);

    std::int32_t Play() { return m_control.Play(); }
    std::int32_t Pause() { return m_control.Pause(); }
    std::int32_t Resume() { return m_control.Resume(); }
    std::int32_t Stop() { return m_control.Stop(); }
    std::int32_t GetPosition(std::int64_t* position) { return m_control.GetPosition(position); }
    std::int32_t SetMoviePosition(std::int64_t position) { return m_control.SetPosition(position); }
    std::int32_t GetDuration(std::int64_t* duration) { return m_control.GetDuration(duration); }
    std::int32_t GetState(std::int32_t* state) { return m_control.GetState(state); }
    std::int32_t SetVolume(std::int32_t volume) { return m_control.SetVolume(volume); }
    std::int32_t SetRate(double rate) { return m_control.SetRate(rate); }
    std::int32_t SetFixedParam(double value) { return m_control.SetFixedParam(value); }
    std::int32_t Volume() const { return m_control.Volume(); }
    void SetLoop(bool loop) { m_control.loop = loop ? 1 : 0; }
    bool IsOpen() const { return m_control.Control() != nullptr; }
    SIZE VideoSize() const { return SIZE{m_videoWidth, m_videoHeight}; }
    SIZE DisplaySize() const { return m_displaySize; }
    const RECT& SourceRect() const { return m_source; }

    // The Drawable operations.
    bool IsDirty() const override;
    void SetDirty(std::uint8_t dirty) override;
    std::int32_t Width() const override { return m_source.right - m_source.left; }
    std::int32_t Height() const override { return m_source.bottom - m_source.top; }
    std::int32_t Kind() const override { return 2; }
    // 32 and above: 1.
    std::int32_t SetBlendMode(std::uint8_t mode) override;
    // The display size: false without a control object or when unchanged; (0, 0) the natural
    // size; else a side of 0 or less takes the video's.
    bool SetSize(std::int32_t width, std::int32_t height) override;
    // rect in movie coordinates, cut to the displayed size.
    bool InvalidateArea(const RECT& rect) override;
    bool HitTest(std::int32_t x, std::int32_t y, bool opaqueOnly) override;
    bool Overlaps(Drawable* other) override;
    std::int32_t Render(Image* target, RECT* outRect) override;
    void RenderClipped(Image* target, const RECT& clip) override;
    // Releases the control object; the movie is then as new.
    void Reset() override;

protected:
    void UpdateBounds() override;
    bool ShowsSomething() const override { return IsOpen(); }

private:
    SIZE Displayed() const;
    bool Stretched() const { return m_displaySize.cx != 0 || m_displaySize.cy != 0; }
    // Draws the newest frame: its natural-size part inside area, or stretched whole. 0 or the
    // library's failure.
    std::int32_t DrawFrame(Image* target, const RECT& area);

    MemoryPixelSurface m_buffers[2];
    volatile LONG m_unlocks = 0;
    LONG m_unlocksSeen = 0;
    SpriteFrameBuffer m_views[2] = {{m_buffers[0], m_unlocks}, {m_buffers[1], m_unlocks}};
    MovieControlHolder m_control;
    std::int32_t m_videoWidth = 0;
    std::int32_t m_videoHeight = 0;
    RECT m_source = {0, 0, 0, 0};
    SIZE m_displaySize = {0, 0};
};
