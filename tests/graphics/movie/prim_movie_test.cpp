// The primitive movie over the stand-in DS_PRIM.DLL, drawing onto Wine's DirectDraw surfaces
// (read back pixel by pixel): open codes, the blits at natural and display size, the source
// offset, the bounds, a busy display, the ends, and the frame surfaces pinned in the device's
// lists while the movie holds them.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "graphics/device/screen_device.h"
#include "graphics/movie/prim_movie.h"
#include "graphics/surfaces/direct_draw_image.h"
#include "graphics/surfaces/frame_surfaces.h"
#include "tests/graphics/movie/movie_test_fixture.h"
#include "tests/support/table_slots.h"

namespace {

using testsupport::MovieStandIn;
using testsupport::TmovMovie;

// A back surface whose blits report the display still busy unless the caller waits.
class BusyTarget {
    void* const* m_table;

public:
    BusyTarget() {
        static void* table[40] = {};
        table[1] = reinterpret_cast<void*>(&AddRef);
        table[2] = reinterpret_cast<void*>(&Release);
        table[5] = reinterpret_cast<void*>(&Blt);
        table[7] = reinterpret_cast<void*>(&BltFast);
        m_table = table;
    }
    IDirectDrawSurface7* Interface() { return reinterpret_cast<IDirectDrawSurface7*>(this); }
    std::vector<DWORD> bltFlags;
    std::vector<DWORD> bltFastFlags;

private:
    static ULONG __stdcall AddRef(BusyTarget*) { return 1; }
    static ULONG __stdcall Release(BusyTarget*) { return 1; }
    static HRESULT __stdcall Blt(BusyTarget* self, RECT*, IDirectDrawSurface7*, RECT*, DWORD flags, DDBLTFX*) {
        self->bltFlags.push_back(flags);
        return flags & DDBLT_WAIT ? DD_OK : DDERR_WASSTILLDRAWING;
    }
    static HRESULT __stdcall BltFast(BusyTarget* self, DWORD, DWORD, IDirectDrawSurface7*, RECT*, DWORD flags) {
        self->bltFastFlags.push_back(flags);
        return flags & DDBLTFAST_WAIT ? DD_OK : DDERR_WASSTILLDRAWING;
    }
};

std::uint32_t WordOf(VideoFrameSurface* frame) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(static_cast<Surface*>(frame)));
}

class PrimMovieTest : public movietest::MovieTestBase {
protected:
    void SetUp() override {
        MovieTestBase::SetUp();
        m_device = std::make_unique<ScreenDevice>();
        ASSERT_EQ(0, m_device->CreateDirectDraw(false, false, nullptr, nullptr, 0, false, 0, 0, false, true, false));
        ASSERT_EQ(0, m_device->SetWindowedMode(false));
        m_device->m_displayDepth = 32;
        CurrentDirectDrawDevice = m_device.get();
        m_target = std::make_unique<DirectDrawImage>(m_device.get());
        ASSERT_EQ(0, m_target->Create(48, 32, true, false, nullptr));
        Clear();
    }
    void TearDown() override {
        ScreenObjectAllocationGate = nullptr;
        m_target.reset();
        m_device.reset();
        CurrentDirectDrawDevice = nullptr;
        MovieTestBase::TearDown();
    }

    void Clear() { ASSERT_EQ(0, m_target->FillColour(0, 0, 0)); }
    std::int32_t Draw(PrimMovie& movie) { return movie.Draw(m_target->GetSurface(), &m_area, nullptr); }

    std::unique_ptr<PrimMovie> OpenMovie(const TmovMovie& movie, std::int32_t x = 2, std::int32_t y = 3) {
        WriteMovie("m.mpg", movie);
        auto prim = std::make_unique<PrimMovie>();
        EXPECT_EQ(0, prim->Open(m_device.get(), "m.mpg", x, y, nullptr));
        return prim;
    }

    // The frame number over the rectangle when it shows one whole frame placed at (x, y) with
    // the source starting at (sx, sy), else -1.
    int FrameAt(const RECT& area, std::int32_t x, std::int32_t y, std::int32_t sx = 0, std::int32_t sy = 0) {
        int frame = -1;
        for (LONG py = area.top; py < area.bottom; ++py)
            for (LONG px = area.left; px < area.right; ++px) {
                const std::uint32_t value = static_cast<std::uint32_t>(m_target->GetPixel(px, py)) & 0xFFFFFF;
                if (frame == -1) frame = static_cast<int>(value >> 16);
                if (value != (tmov::Pixel(frame, px - x + sx, py - y + sy) & 0xFFFFFF)) return -1;
            }
        return frame;
    }
    bool Untouched(const RECT& area) {
        for (LONG py = area.top; py < area.bottom; ++py)
            for (LONG px = area.left; px < area.right; ++px)
                if ((m_target->GetPixel(px, py) & 0xFFFFFF) != 0) return false;
        return true;
    }

    std::unique_ptr<ScreenDevice> m_device;
    std::unique_ptr<DirectDrawImage> m_target;
    RECT m_area = {0, 0, 48, 32};
};

TEST_F(PrimMovieTest, OpenCodes) {
    PrimMovie movie;
    EXPECT_EQ(kMovieNoDll, movie.Open(m_device.get(), "m.mpg", 0, 0, nullptr));
    PublishPrimDll();
    WriteMovie("m.mpg", TmovMovie());
    WriteMovie("refused.mpg", TmovMovie{16, 8, 4, 40, 0, 9});
    MountMovies({"x.foo"}, TmovMovie());
    EXPECT_EQ(kMovieMissingArgument, movie.Open(nullptr, "m.mpg", 0, 0, nullptr));
    EXPECT_EQ(kMovieMissingArgument, movie.Open(m_device.get(), nullptr, 0, 0, nullptr));
    EXPECT_EQ(kMovieUnknownKind, movie.Open(m_device.get(), "x.foo", 0, 0, nullptr));
    EXPECT_EQ(kMovieNotFound, movie.Open(m_device.get(), "missing.mpg", 0, 0, nullptr));
    static int creations;
    creations = 0;
    ScreenObjectAllocationGate = [] { return ++creations != 2; };
    EXPECT_EQ(kMovieNoFrameSurfaces, movie.Open(m_device.get(), "m.mpg", 0, 0, nullptr));
    ScreenObjectAllocationGate = nullptr;
    EXPECT_EQ(kMovieRefused, movie.Open(m_device.get(), "refused.mpg", 0, 0, nullptr));
    g_movieOpenStepProbe = [] { throw 1; };
    EXPECT_EQ(kMovieFailed, movie.Open(m_device.get(), "m.mpg", 0, 0, nullptr));
    g_movieOpenStepProbe = nullptr;
    // Every failure left the movie reset, with no frame surface in the device's lists.
    EXPECT_EQ(0, m_device->SurfaceCount());
    EXPECT_FALSE(movie.IsOpen());
    EXPECT_EQ(0, MovieStandIn("DS_PRIM.DLL").LiveMovies());
    ASSERT_EQ(kMovieOpened, movie.Open(m_device.get(), "m.mpg", 5, 6, nullptr));
    EXPECT_EQ(2, m_device->SurfaceCount());
    EXPECT_EQ(16, movie.SourceRect().right);
    EXPECT_EQ(8, movie.SourceRect().bottom);
    EXPECT_EQ(5, movie.GetX());
    EXPECT_EQ(6, movie.GetY());
}

TEST_F(PrimMovieTest, BltFastAtTheNaturalSizeShowsEachFrame) {
    PublishPrimDll();
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    const MovieStandIn dll("DS_PRIM.DLL");
    ASSERT_EQ(0, Draw(*movie));
    EXPECT_EQ(0, FrameAt(RECT{2, 3, 18, 11}, 2, 3));
    EXPECT_TRUE(Untouched(RECT{18, 0, 48, 32}));
    movie->Play();
    for (int frame = 1; frame < 4; ++frame) {
        dll.StepFrames(1);
        ASSERT_EQ(0, Draw(*movie));
        EXPECT_EQ(frame, FrameAt(RECT{2, 3, 18, 11}, 2, 3));
    }
    // Cut by the area on the left.
    Clear();
    movie->SetPosition(-4, 0);
    ASSERT_EQ(0, Draw(*movie));
    EXPECT_EQ(3, FrameAt(RECT{0, 0, 12, 8}, -4, 0));
}

TEST_F(PrimMovieTest, BltAtADisplaySizeCoversItsRectangle) {
    PublishPrimDll();
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    movie->Play();
    MovieStandIn("DS_PRIM.DLL").StepFrames(1);
    movie->SetSize(32, 16);
    ASSERT_EQ(0, Draw(*movie));
    // Wine blends when it stretches, so only the frame's own channel is the same everywhere.
    for (LONG y = 3; y < 19; ++y)
        for (LONG x = 2; x < 34; ++x) ASSERT_EQ(1u, (m_target->GetPixel(x, y) >> 16) & 0xFF) << x << "," << y;
    EXPECT_TRUE(Untouched(RECT{34, 0, 48, 32}));
    EXPECT_TRUE(Untouched(RECT{0, 19, 48, 32}));
}

TEST_F(PrimMovieTest, TheSourceOffsetIsClippedToTheFrame) {
    PublishPrimDll();
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    movie->SetSourceOffset(4, 2);
    ASSERT_EQ(0, Draw(*movie));
    EXPECT_EQ(0, FrameAt(RECT{2, 3, 14, 9}, 2, 3, 4, 2));
    EXPECT_TRUE(Untouched(RECT{14, 0, 48, 32}));
    EXPECT_TRUE(Untouched(RECT{0, 9, 48, 32}));
}

TEST_F(PrimMovieTest, Bounds) {
    PublishPrimDll();
    PrimMovie closed;
    RECT bounds;
    EXPECT_FALSE(closed.GetBounds(&bounds));
    EXPECT_FALSE(closed.HitTest(0, 0, false));
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    const struct {
        SIZE size;
        POINT at;
        RECT bounds;
    } kCases[] = {
        {{0, 0}, {2, 3}, {2, 3, 18, 11}},
        {{0, 5}, {2, 3}, {2, 3, 18, 8}},
        {{32, 0}, {2, 3}, {2, 3, 34, 11}},
        {{7, 9}, {-5, -6}, {-5, -6, 2, 3}},
        {{0, 0}, {INT_MAX - 4, INT_MIN}, {INT_MAX - 4, INT_MIN, INT_MAX, INT_MIN + 8}},
    };
    for (const auto& c : kCases) {
        movie->SetSizeAndPosition(c.size.cx, c.size.cy, c.at.x, c.at.y);
        ASSERT_TRUE(movie->GetBounds(&bounds));
        EXPECT_TRUE(EqualRect(&c.bounds, &bounds)) << bounds.left << "," << bounds.top << "," << bounds.right << ","
                                                   << bounds.bottom;
    }
    movie->MoveBy(100, -100);
    EXPECT_EQ(INT_MAX, movie->GetX());
    EXPECT_EQ(INT_MIN, movie->GetY());
    movie->SetSizeAndPosition(0, 0, 2, 3);
    EXPECT_TRUE(movie->HitTest(17, 10, false));
    EXPECT_FALSE(movie->HitTest(18, 10, false));
    EXPECT_FALSE(movie->Overlaps(&closed));
    EXPECT_EQ(kDrawablePrimMovie, movie->Kind());
    EXPECT_EQ(0, movie->RestoreContent());
}

TEST_F(PrimMovieTest, ABusyDisplayIsWaitedForOnce) {
    PublishPrimDll();
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    BusyTarget busy;
    EXPECT_EQ(0, movie->Draw(busy.Interface(), &m_area, nullptr));
    EXPECT_EQ((std::vector<DWORD>{DDBLTFAST_NOCOLORKEY, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT}), busy.bltFastFlags);
    movie->SetSize(32, 16);
    EXPECT_EQ(0, movie->Draw(busy.Interface(), &m_area, nullptr));
    EXPECT_EQ((std::vector<DWORD>{0, DDBLT_WAIT}), busy.bltFlags);
}

TEST_F(PrimMovieTest, EndsPlayAgainOnceWithLoopElseStopOnce) {
    PublishPrimDll();
    const MovieStandIn dll("DS_PRIM.DLL");
    for (bool loop : {true, false}) {
        SCOPED_TRACE(loop);
        auto movie = OpenMovie(TmovMovie{16, 8, 3, 40, 0, 0});
        movie->SetLoop(loop);
        movie->Play();
        dll.StepFrames(2);
        dll.ClearLog();
        // Drawn outside the area as well: the end is handled all the same.
        movie->SetPosition(100, 100);
        for (int i = 0; i < 3; ++i) ASSERT_EQ(0, Draw(*movie));
        EXPECT_EQ(loop ? 1 : 0, dll.Count("Play"));
        EXPECT_EQ(loop ? 0 : 1, dll.Count("Stop"));
    }
}

TEST_F(PrimMovieTest, FrameSurfacesArePinnedWhileHeld) {
    PublishPrimDll();
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    VideoFrameSurface* frames[2] = {movie->FrameSurface(0), movie->FrameSurface(1)};
    for (VideoFrameSurface* frame : frames) EXPECT_TRUE(m_device->IsPinned(WordOf(frame)));
    Surface* asSurface = frames[0];
    EXPECT_EQ(3, m_device->ReleaseImageRef(&asSurface));
    m_device->ReleaseDrawablesByOwner(0, 1);
    m_device->DestroyAllObjects();
    EXPECT_EQ(2, m_device->SurfaceCount());
    movie->Play();
    MovieStandIn("DS_PRIM.DLL").StepFrames(1);
    ASSERT_EQ(0, Draw(*movie));
    EXPECT_EQ(1, FrameAt(RECT{2, 3, 18, 11}, 2, 3));
    movie->Reset();
    EXPECT_EQ(0, m_device->SurfaceCount());
}

TEST_F(PrimMovieTest, TheDeviceGoingFirstStopsTheMovie) {
    PublishPrimDll();
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    movie->Play();
    m_target.reset();
    m_device.reset();
    EXPECT_EQ(0, MovieStandIn("DS_PRIM.DLL").LiveMovies());
    EXPECT_FALSE(movie->IsEnabled());
    EXPECT_EQ(0, movie->Draw(nullptr, &m_area, nullptr));
    movie.reset();
}

// The views of video-frame surfaces as the DLL reaches them: each Lock reads the memory anew,
// since a restored surface moves.
TEST_F(PrimMovieTest, FrameBufferViewsFollowARestoredSurface) {
    VideoFrameSurface surface(m_device.get());
    VideoFrameBuffer view;
    view.Bind(&surface);
    void* object = static_cast<MovieFrameBuffer*>(&view);
    MovieFrameLock lock = {};
    EXPECT_NE(0, (testsupport::CallSlot<std::int32_t, MovieFrameLock*>(object, 2, &lock))) << "not made yet";
    ASSERT_EQ(0, (testsupport::CallSlot<std::int32_t, std::int32_t, std::int32_t>(object, 1, 6, 4)));
    ASSERT_EQ(0, (testsupport::CallSlot<std::int32_t, MovieFrameLock*>(object, 2, &lock)));
    EXPECT_TRUE(surface.FrameLock().IsOwnedByCaller());
    EXPECT_EQ(surface.Memory(), lock.bits);
    EXPECT_EQ(6, lock.width);
    EXPECT_EQ(32, lock.formatCode);
    testsupport::CallSlot<void>(object, 3);
    EXPECT_FALSE(surface.FrameLock().IsOwnedByCaller());
    // Another surface made in between makes it likely that the restored one lies elsewhere.
    VideoFrameSurface other(m_device.get());
    ASSERT_EQ(0, other.Create(6, 4));
    ASSERT_EQ(0, surface.Restore(false));
    ASSERT_EQ(0, (testsupport::CallSlot<std::int32_t, MovieFrameLock*>(object, 2, &lock)));
    EXPECT_EQ(surface.Memory(), lock.bits);
    testsupport::CallSlot<void>(object, 3);
}

}  // namespace
