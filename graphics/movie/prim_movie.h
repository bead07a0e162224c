// PrimMovie: a movie played by DS_PRIM.DLL and drawn as a device drawable (kind 3) straight onto
// the display surface. The DLL's control object writes frames into two video-frame surfaces of
// the screen device from its own threads; a draw blits the newest one under its frame lock.
//
// The two surfaces sit in the screen device's surface list, pinned while the movie holds them,
// so that no release by owner or DestroyAllObjects frees them under the writing DLL; the movie
// unpins and releases them when it is reset. Should the device delete them all the same (its
// own end), the movie stops its control object first and forgets them.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

#include "framework/movie/movie_control_holder.h"
#include "graphics/device/device_drawable.h"
#include "graphics/device/object_deletion_listener.h"
#include "graphics/movie/movie_frame_buffers.h"

class ScreenDevice;
class VideoFrameSurface;
class VirtualFileSystem;

class PrimMovie : public DeviceDrawable, private ObjectDeletionListener {
public:
    PrimMovie() = default;
    ~PrimMovie() override;

    // 0 or a MovieOpenCode. fileSystem null: the one published for movies.
    std::int32_t Open(ScreenDevice* device, const char* name, std::int32_t x, std::int32_t y,
                      VirtualFileSystem* fileSystem);
    // Releases the control object, then the frame surfaces; the movie is then as new.
    void Reset();

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
    const RECT& SourceRect() const { return m_source; }
    // Moves the part of the frame shown (clipped to the frame).
    void SetSourceOffset(std::int32_t x, std::int32_t y) { m_sourceOffset = POINT{x, y}; }
    VideoFrameSurface* FrameSurface(int index) const { return m_frames[index & 1]; }

    DeviceDrawableKind Kind() const override { return kDrawablePrimMovie; }
    std::int32_t GetX() const override { return m_x; }
    std::int32_t GetY() const override { return m_y; }
    void SetPosition(std::int32_t x, std::int32_t y) override;
    // The display size; a side of 0 takes the source's.
    void SetSize(std::int32_t width, std::int32_t height) override;
    void SetSizeAndPosition(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) override;
    void MoveBy(std::int32_t dx, std::int32_t dy) override;
    bool HitTest(std::int32_t x, std::int32_t y, bool opaqueOnly) override;
    bool Overlaps(DeviceDrawable* other) override;
    // False without a control object.
    bool GetBounds(RECT* out) override;
    // 0 drawn (or nothing to draw); 1 no target, area or control object; 2 Blt failed; 3 BltFast
    // failed.
    std::int32_t Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device) override;
    std::int32_t RestoreContent() override { return 0; }
    bool ForgetSurface(const Surface* surface, const Texture* texture) override;

private:
    void OnObjectDeleting(ListedObjectFamily family, const void* object, const void* otherFace) override;
    void ReleaseFrames();

    ScreenDevice* m_device = nullptr;
    VideoFrameSurface* m_frames[2] = {nullptr, nullptr};
    VideoFrameBuffer m_views[2];
    MovieControlHolder m_control;
    std::int32_t m_videoWidth = 0;
    std::int32_t m_videoHeight = 0;
    RECT m_source = {0, 0, 0, 0};
    POINT m_sourceOffset = {0, 0};
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
};
