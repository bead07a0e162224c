// The two surfaces that movie frames are written into by the movie playback while the drawing
// side reads them: each carries its own frameLock, which the playback holds while it writes a
// frame and while the frame is drawn.
//
// MemoryPixelSurface: plain memory of 8, 16 or 32 bits a pixel (24 is held but has no key or
// pixel reading), top row first, rows rounded up to four bytes. A sprite movie holds two as its
// frame buffers.
//
// VideoFrameSurface: an off-screen DirectDraw surface in system memory in the display's format.
// It is locked once when made and its memory address is kept: system memory does not move while
// the surface lives, so the playback writes frames there without locking it again.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/runtime/recursive_lock.h"
#include "graphics/image/clipped_surface.h"
#include "graphics/surfaces/device_surface.h"

class DirectDrawDevice;

class MemoryPixelSurface : public WithDeletingDestructor<MemoryPixelSurface, ClippedSurface> {
public:
    MemoryPixelSurface() = default;
    ~MemoryPixelSurface();
    MemoryPixelSurface(const MemoryPixelSurface&) = delete;
    MemoryPixelSurface& operator=(const MemoryPixelSurface&) = delete;

    SurfaceKind XM_METHOD Kind() override { return kSurfaceMemoryPixel; }
    std::uint8_t* XM_METHOD Bits() override { return m_pixels; }
    std::uint8_t* XM_METHOD Row(std::int32_t y) override;
    // 8 bits: red is the palette index; 16: RGB 5-6-5; 32: 0x00RRGGBB. 0 when a key was set; at
    // another depth the key stays and the answer is 1 when there is none, else 0.
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t r, std::int32_t g, std::int32_t b) override;
    // The pixel's value becomes the key: 0, or 1 when it cannot be read (the key is then -1).
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t x, std::int32_t y) override;
    std::int32_t XM_METHOD ClearColourKey() override {
        m_colourKey = -1;
        return 0;
    }
    // Plain memory is never lost.
    std::int32_t XM_METHOD Restore(bool) override { return 0; }
    // 0; 1 no storage, or a size not positive; 2 no memory. A size that fits the block keeps the
    // block and its bytes; a larger one makes a new block (the contents are lost).
    virtual std::int32_t XM_METHOD Resize(std::int32_t width, std::int32_t height);

    // 0; 1 a size not positive or fewer than 8 bits a pixel; 2 no memory (also for a size whose
    // bytes do not fit the address space).
    std::int32_t Create(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel);
    // The pixel's value; -1 outside, without storage, or at a depth other than 8, 16 or 32.
    std::int32_t GetPixel(std::int32_t x, std::int32_t y);

    std::int32_t BitsPerPixel() const { return m_bitsPerPixel; }
    std::int32_t AllocatedSize() const { return m_allocatedSize; }
    RecursiveLock& FrameLock() { return m_frameLock; }

private:
    void FreeBlock();

    std::uint8_t* m_pixels = nullptr;
    std::uint8_t m_bitsPerPixel = 0;
    std::int32_t m_allocatedSize = 0;
    RecursiveLock m_frameLock;
};

class VideoFrameSurface : public WithDeletingDestructor<VideoFrameSurface, DeviceSurface> {
public:
    // A device given becomes CurrentDirectDrawDevice first; the surface is made with the
    // current device.
    explicit VideoFrameSurface(DirectDrawDevice* device = nullptr);
    ~VideoFrameSurface();
    VideoFrameSurface(const VideoFrameSurface&) = delete;
    VideoFrameSurface& operator=(const VideoFrameSurface&) = delete;

    SurfaceKind XM_METHOD Kind() override { return kSurfaceVideoFrame; }
    // Frames carry no key.
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t, std::int32_t, std::int32_t) override { return 0; }
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t, std::int32_t) override { return 0; }
    std::int32_t XM_METHOD ColourKey() override { return -1; }
    std::int32_t XM_METHOD ClearColourKey() override { return 0; }
    // Makes the surface again at its size under frameLock (only when it reports itself lost,
    // if asked): 0, or 1 it cannot be made. The frame's pixels are lost.
    std::int32_t XM_METHOD Restore(bool onlyIfLost) override;
    IDirectDrawSurface7* XM_METHOD GetSurface() override { return m_surface; }

    // 0; 1 no device, or a size below 1; 2 the device has no DirectDraw object; 3 CreateSurface
    // failed; 4 the new surface cannot be locked. On a 24-bit display an odd width gets one more
    // column, which Width does not count. The new surface is black.
    std::int32_t Create(std::int32_t width, std::int32_t height);

    // The surface memory as locked at creation, rows Pitch bytes apart; null without a surface.
    std::uint8_t* Memory() const { return m_memory; }
    std::int32_t FormatCode() const { return m_formatCode; }
    RecursiveLock& FrameLock() { return m_frameLock; }

private:
    void ReleaseSurface();

    DirectDrawDevice* m_device;
    IDirectDrawSurface7* m_surface = nullptr;
    std::uint8_t* m_memory = nullptr;
    std::int32_t m_formatCode = 0;
    RecursiveLock m_frameLock;
};
