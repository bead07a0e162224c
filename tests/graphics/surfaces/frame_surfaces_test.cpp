// The movie frame surfaces: plain-memory frames (sizes, resizing in place, keys, sizes too large
// for the address space) and DirectDraw frame surfaces on Wine (the widened 24-bit row, the
// remembered memory written frame after frame, Restore under the frame lock).
#include "graphics/surfaces/frame_surfaces.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "graphics/compose/pixel_format.h"
#include "tests/graphics/surfaces/direct_draw_image_fixture.h"

namespace {

using namespace ddimage;

TEST(MemoryPixelSurface, RowsAreRoundedToFourBytesAndTheBlockHoldsThemAll) {
    struct Case {
        std::int32_t bits, pitch, block;
    };
    const Case cases[] = {{8, 4, 8}, {16, 8, 16}, {24, 12, 24}, {32, 12, 24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        MemoryPixelSurface surface;
        ASSERT_EQ(0, surface.Create(3, 2, c.bits));
        EXPECT_EQ(c.pitch, surface.Pitch());
        EXPECT_EQ(c.block, surface.AllocatedSize());
        EXPECT_EQ(3, surface.Width());
        EXPECT_EQ(2, surface.Height());
        RECT clip;
        surface.GetClipRect(&clip);
        EXPECT_EQ(3, clip.right);
        EXPECT_EQ(2, clip.bottom);
        EXPECT_EQ(surface.Bits() + c.pitch, surface.Row(1));
        EXPECT_EQ(nullptr, surface.Row(2));
        EXPECT_EQ(nullptr, surface.Row(-1));
        EXPECT_EQ(kSurfaceMemoryPixel, surface.Kind());
    }
    MemoryPixelSurface surface;
    EXPECT_EQ(1, surface.Create(0, 2, 32));
    EXPECT_EQ(1, surface.Create(2, -1, 32));
    EXPECT_EQ(1, surface.Create(2, 2, 4));
    EXPECT_EQ(nullptr, surface.Bits());
    EXPECT_EQ(nullptr, surface.Row(0));
}

TEST(MemoryPixelSurface, ResizeKeepsTheBlockWhenTheSizeFitsAndMakesANewOneWhenNot) {
    MemoryPixelSurface surface;
    EXPECT_EQ(1, surface.Resize(4, 4)) << "without storage";
    ASSERT_EQ(0, surface.Create(8, 4, 32));
    std::uint8_t* block = surface.Bits();
    for (int i = 0; i < 8 * 4 * 4; ++i) block[i] = static_cast<std::uint8_t>(i * 7);

    ASSERT_EQ(0, surface.Resize(3, 5));
    EXPECT_EQ(block, surface.Bits());
    EXPECT_EQ(128, surface.AllocatedSize());
    EXPECT_EQ(12, surface.Pitch());
    EXPECT_EQ(5, surface.Height());
    RECT clip;
    surface.GetClipRect(&clip);
    EXPECT_EQ(3, clip.right);
    EXPECT_EQ(5, clip.bottom);
    for (int i = 0; i < 8 * 4 * 4; ++i) ASSERT_EQ(static_cast<std::uint8_t>(i * 7), block[i]);
    EXPECT_EQ(1, surface.Resize(0, 5));

    ASSERT_EQ(0, surface.Resize(9, 4));
    EXPECT_EQ(144, surface.AllocatedSize());
    EXPECT_EQ(36, surface.Pitch());
    EXPECT_NE(nullptr, surface.Bits());
}

// pitch x height in 32 bits wraps to 0 for 65536 x 65536 x 32: the old Create made a tiny block,
// a Resize to that size passed its fits test, and the frame writer ran past the block.
TEST(MemoryPixelSurface, SizesBeyondTheAddressSpaceAreRefused) {
    MemoryPixelSurface surface;
    EXPECT_EQ(2, surface.Create(65536, 65536, 32));
    EXPECT_EQ(nullptr, surface.Bits());
    EXPECT_EQ(0, surface.AllocatedSize());
    ASSERT_EQ(0, surface.Create(16, 16, 32));
    EXPECT_EQ(2, surface.Resize(65536, 65536));
    EXPECT_EQ(nullptr, surface.Bits());
    EXPECT_EQ(0, surface.Width());
    ASSERT_EQ(0, surface.Create(16, 16, 32));
    EXPECT_EQ(2, surface.Resize(0x7FFFFFFF, 1));
}

TEST(MemoryPixelSurface, KeysPackPerDepthAndComeFromPixels) {
    struct Case {
        std::int32_t bits;
        std::int32_t result, key;  // of SetColourKeyRgb(255, 255, 255) on a surface without a key
    };
    const Case cases[] = {{8, 0, 0xFF}, {16, 0, 0xFFFF}, {24, 1, -1}, {32, 0, 0xFFFFFF}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        MemoryPixelSurface surface;
        ASSERT_EQ(0, surface.Create(4, 2, c.bits));
        EXPECT_EQ(c.result, surface.SetColourKeyRgb(255, 255, 255));
        EXPECT_EQ(c.key, surface.ColourKey());
        EXPECT_EQ(0, surface.ClearColourKey());
        EXPECT_EQ(-1, surface.ColourKey());
    }
    MemoryPixelSurface surface;
    ASSERT_EQ(0, surface.Create(4, 2, 16));
    EXPECT_EQ(0, surface.SetColourKeyRgb(0xFF, 0x80, 0x08));
    EXPECT_EQ(0xFC01, surface.ColourKey());
    reinterpret_cast<std::uint16_t*>(surface.Row(1))[3] = 0x1234;
    EXPECT_EQ(0, surface.SetColourKeyFromPixel(3, 1));
    EXPECT_EQ(0x1234, surface.ColourKey());
    EXPECT_EQ(1, surface.SetColourKeyFromPixel(4, 1));
    EXPECT_EQ(-1, surface.ColourKey());
    EXPECT_EQ(0x1234, surface.GetPixel(3, 1));
    EXPECT_EQ(-1, surface.GetPixel(0, 2));
}

using VideoFrameSurfaceOnWine = DirectDrawImageFixture;

TEST_F(VideoFrameSurfaceOnWine, AnOddWidthOnATwentyFourBitDisplayGetsOneMoreColumn) {
    ShimmedDisplay display(m_device.DirectDraw(), Rgb24(), 24);
    VideoFrameSurface frame;
    ASSERT_EQ(0, frame.Create(321, 4));
    EXPECT_EQ(322u, display.shim.lastCreate.dwWidth);
    EXPECT_EQ(static_cast<DWORD>(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY), display.shim.lastCreate.ddsCaps.dwCaps);
    EXPECT_EQ(321, frame.Width());
    EXPECT_EQ(4, frame.Height());
    EXPECT_EQ(kPixelFormatRgb24, frame.FormatCode());
    EXPECT_GE(frame.Pitch(), 322 * 3);
    ASSERT_NE(nullptr, frame.Memory());
    EXPECT_EQ(nullptr, frame.Bits());
    EXPECT_EQ(nullptr, frame.Row(0));
    EXPECT_EQ(-1, frame.ColourKey());
    EXPECT_EQ(0, frame.SetColourKeyRgb(1, 2, 3));
    EXPECT_EQ(-1, frame.ColourKey());
    // Made black.
    DDSURFACEDESC2 locked = {};
    locked.dwSize = sizeof(locked);
    ASSERT_EQ(DD_OK, frame.GetSurface()->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr));
    const auto* row = static_cast<const std::uint8_t*>(locked.lpSurface) + 3 * locked.lPitch;
    EXPECT_EQ(0, row[0] | row[320 * 3] | row[320 * 3 + 2]);
    frame.GetSurface()->Unlock(nullptr);

    // The device is the one current when the frame surface was made.
    ShimmedDisplay sixteen(m_device.DirectDraw(), Rgb565(), 16);
    VideoFrameSurface other;
    ASSERT_EQ(0, other.Create(321, 4));
    EXPECT_EQ(321u, sixteen.shim.lastCreate.dwWidth);
    EXPECT_EQ(kPixelFormatRgb565, other.FormatCode());
}

TEST_F(VideoFrameSurfaceOnWine, CreateAnswersItsCodes) {
    {
        CurrentDirectDrawDevice = nullptr;
        VideoFrameSurface frame;
        EXPECT_EQ(1, frame.Create(4, 4));
        CurrentDirectDrawDevice = &m_device;
    }
    VideoFrameSurface frame(&m_device);
    EXPECT_EQ(1, frame.Create(0, 4));
    EXPECT_EQ(1, frame.Create(4, 0));
    {
        ShimmedDisplay display(m_device.DirectDraw(), Xrgb32(), 32);
        VideoFrameSurface shimmed;
        display.shim.failing = testsupport::DisplayShim::Call::kCreateSurface;
        EXPECT_EQ(3, shimmed.Create(4, 4));
        display.shim.failing = testsupport::DisplayShim::Call::kNone;
        // A surface that cannot be locked is released.
        testsupport::FakeDdSurface fake(4, 4, Xrgb32());
        fake.failLock = true;
        display.shim.makeSurface = [&fake](DDSURFACEDESC2*, IDirectDrawSurface7** out) -> HRESULT {
            fake.references = 1;
            *out = fake.Interface();
            return DD_OK;
        };
        EXPECT_EQ(4, shimmed.Create(4, 4));
        EXPECT_EQ(0, fake.references);
        EXPECT_EQ(nullptr, shimmed.GetSurface());
        EXPECT_EQ(nullptr, shimmed.Memory());
    }
    DirectDrawDevice empty;
    VideoFrameSurface without(&empty);
    EXPECT_EQ(2, without.Create(4, 4));
}

// The playback writes every frame through the address remembered at creation, without a lock:
// each frame must reach what a blit of the surface reads.
TEST_F(VideoFrameSurfaceOnWine, FramesWrittenThroughTheRememberedMemoryAreWhatABlitShows) {
    VideoFrameSurface frame;
    ASSERT_EQ(0, frame.Create(6, 3));
    ASSERT_EQ(kPixelFormatXrgb32, frame.FormatCode());
    DirectDrawImage shown;
    ASSERT_EQ(0, shown.Create(6, 3, false, false, nullptr));
    for (std::uint32_t base : {0x00102030u, 0x00A0B0C0u}) {
        SCOPED_TRACE(base);
        {
            ScopedLock hold(frame.FrameLock());
            for (int y = 0; y < 3; ++y) {
                auto* row = reinterpret_cast<std::uint32_t*>(frame.Memory() + y * frame.Pitch());
                for (int x = 0; x < 6; ++x) row[x] = base + static_cast<std::uint32_t>(x * 0x10 + y);
            }
        }
        RECT whole = {0, 0, 6, 3};
        ASSERT_EQ(DD_OK, shown.GetSurface()->Blt(&whole, frame.GetSurface(), &whole, DDBLT_WAIT, nullptr));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(base + static_cast<std::uint32_t>(x * 0x10 + y), static_cast<std::uint32_t>(shown.GetPixel(x, y)))
                    << x << "," << y;
    }
}

TEST_F(VideoFrameSurfaceOnWine, RestoreMakesANewBlackSurfaceOnlyWhenAsked) {
    VideoFrameSurface frame;
    EXPECT_EQ(0, frame.Restore(false)) << "nothing to restore";
    ASSERT_EQ(0, frame.Create(5, 2));
    IDirectDrawSurface7* first = frame.GetSurface();
    first->AddRef();
    EXPECT_EQ(0, frame.Restore(true));
    EXPECT_EQ(first, frame.GetSurface()) << "not lost: untouched";
    EXPECT_EQ(0, frame.Restore(false));
    EXPECT_NE(nullptr, frame.GetSurface());
    EXPECT_EQ(5, frame.Width());
    first->Release();
}

// A second thread stands in for the movie playback writing a frame: Restore must wait until the
// writer leaves the frame lock.
TEST_F(VideoFrameSurfaceOnWine, RestoreWaitsForTheFrameWriter) {
    VideoFrameSurface frame;
    ASSERT_EQ(0, frame.Create(5, 2));
    std::atomic<bool> held{false}, restoring{false}, written{false};
    std::thread writer([&] {
        ScopedLock hold(frame.FrameLock());
        held = true;
        while (!restoring) std::this_thread::yield();
        for (int i = 0; i < 200; ++i) std::this_thread::yield();
        written = true;
    });
    while (!held) std::this_thread::yield();
    restoring = true;
    EXPECT_EQ(0, frame.Restore(false));
    EXPECT_TRUE(written.load()) << "Restore ran while the frame was being written";
    writer.join();
}

}  // namespace
