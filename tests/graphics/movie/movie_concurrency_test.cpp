// Movies whose DLL thread writes timed frames (1 ms apart) while the test's thread draws them
// thousands of times: every draw shows one whole frame and the numbers never go back; frame
// surfaces survive the device's mass release; a playing movie deleted while freed memory is
// poisoned leaves no DLL thread. They run a second thread and so are left out under emulation.
#include <gtest/gtest.h>

#include <memory>

#include "graphics/device/screen_device.h"
#include "graphics/image/image.h"
#include "graphics/movie/prim_movie.h"
#include "graphics/movie/sprite_movie.h"
#include "graphics/surfaces/direct_draw_image.h"
#include "tests/graphics/movie/movie_test_fixture.h"
#include "tests/graphics/poisoning_delete.h"

namespace {

using testsupport::MovieStandIn;
using testsupport::TmovMovie;

const TmovMovie kTimed = {16, 8, 250, 1, tmov::kTimed, 0};

// The frame shown over the 16 x 8 rectangle at (x, y), or -1 when it is not one whole frame.
template <class ReadPixel>
int WholeFrame(ReadPixel read, std::int32_t x, std::int32_t y) {
    const int frame = static_cast<int>((read(x, y) >> 16) & 0xFF);
    for (std::int32_t py = 0; py < 8; ++py)
        for (std::int32_t px = 0; px < 16; ++px)
            if ((read(x + px, y + py) & 0xFFFFFF) != (tmov::Pixel(frame, px, py) & 0xFFFFFF)) return -1;
    return frame;
}

class MovieConcurrency : public movietest::MovieTestBase {};

TEST_F(MovieConcurrency, SpriteFramesArriveWholeWhileTheGameThreadDraws) {
    PublishSpriteDll();
    WriteMovie("t.mpg", kTimed);
    Image target;
    ASSERT_EQ(0, target.Create(32, 16, 32, 0));
    SpriteMovie movie;
    ASSERT_EQ(0, movie.Open("t.mpg", 4, 4, nullptr));
    ASSERT_EQ(0, movie.Play());
    int last = 0;
    for (int draw = 0; draw < 3000 && last < 249; ++draw) {
        ASSERT_EQ(0, movie.Render(&target, nullptr));
        const int frame = WholeFrame([&](int x, int y) { return target.GetPixel(x, y); }, 4, 4);
        ASSERT_NE(-1, frame) << "draw " << draw;
        ASSERT_GE(frame, last) << "draw " << draw;
        last = frame;
    }
    EXPECT_GT(last, 0);
}

TEST_F(MovieConcurrency, PrimFramesArriveWholeAndOutliveTheMassRelease) {
    PublishPrimDll();
    WriteMovie("t.mpg", kTimed);
    auto device = std::make_unique<ScreenDevice>();
    ASSERT_EQ(0, device->CreateDirectDraw(false, false, nullptr, nullptr, 0, false, 0, 0, false, true, false));
    ASSERT_EQ(0, device->SetWindowedMode(false));
    device->m_displayDepth = 32;
    CurrentDirectDrawDevice = device.get();
    {
        DirectDrawImage target(device.get());
        ASSERT_EQ(0, target.Create(32, 16, true, false, nullptr));
        PrimMovie movie;
        ASSERT_EQ(0, movie.Open(device.get(), "t.mpg", 4, 4, nullptr));
        ASSERT_EQ(0, movie.Play());
        const RECT area = {0, 0, 32, 16};
        int last = 0;
        for (int draw = 0; draw < 2000 && last < 249; ++draw) {
            if (draw == 100) device->DestroyAllObjects();
            ASSERT_EQ(0, movie.Draw(target.GetSurface(), &area, nullptr));
            const int frame = WholeFrame([&](int x, int y) { return static_cast<std::uint32_t>(target.GetPixel(x, y)); }, 4, 4);
            ASSERT_NE(-1, frame) << "draw " << draw;
            ASSERT_GE(frame, last) << "draw " << draw;
            last = frame;
        }
        EXPECT_GT(last, 0);
    }
    device.reset();
    CurrentDirectDrawDevice = nullptr;
}

TEST_F(MovieConcurrency, APlayingMovieDeletedLeavesNoThread) {
    PublishSpriteDll();
    WriteMovie("t.mpg", kTimed);
    const MovieStandIn dll("DS_SPRITE.DLL");
    {
        testsupport::PoisonFreedMemory poison;
        auto movie = std::make_unique<SpriteMovie>();
        ASSERT_EQ(0, movie->Open("t.mpg", 0, 0, nullptr));
        ASSERT_EQ(0, movie->Play());
        EXPECT_EQ(1, dll.LiveThreads());
        // Until the DLL's thread has written a frame.
        movie->SetDirty(0);
        for (int i = 0; i < 1000000 && !movie->IsDirty(); ++i) SwitchToThread();
        EXPECT_TRUE(movie->IsDirty());
        movie.reset();
        EXPECT_EQ(0, dll.LiveThreads());
        EXPECT_EQ(0, dll.LiveMovies());
    }
}

}  // namespace
