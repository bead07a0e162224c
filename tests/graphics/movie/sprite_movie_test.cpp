// The sprite movie over the stand-in DS_SPRITE.DLL, drawn by the real qmxgl.dll onto software
// images: the open codes, the frames each draw shows, the display sizes, the clipped draws, the
// ends of the movie and the module reference a movie keeps.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <memory>
#include <set>

#include "graphics/image/image.h"
#include "graphics/movie/sprite_movie.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite_list.h"
#include "tests/graphics/movie/movie_test_fixture.h"
#include "tests/support/table_slots.h"

namespace {

using testsupport::MovieStandIn;
using testsupport::TmovMovie;

class SpriteMovieTest : public movietest::MovieTestBase {
protected:
    void SetUp() override {
        MovieTestBase::SetUp();
        ASSERT_TRUE(m_target.Create(48, 32, 32, 0) == 0);
        Clear();
    }

    void Clear() { m_target.FillValue(0, nullptr); }

    // Opens "m.mpg" (a plain file of the movie) at (x, y) through the published DLL.
    std::unique_ptr<SpriteMovie> OpenMovie(const TmovMovie& movie, std::int32_t x = 2, std::int32_t y = 3) {
        WriteMovie("m.mpg", movie);
        auto sprite = std::make_unique<SpriteMovie>();
        EXPECT_EQ(0, sprite->Open("m.mpg", x, y, nullptr));
        return sprite;
    }

    // The frame number shown over the rectangle, -1 when the pixels there are not one whole
    // frame at the natural size placed at (x, y) with the source starting at (sx, sy).
    int FrameAt(const RECT& area, std::int32_t x, std::int32_t y, std::int32_t sx = 0, std::int32_t sy = 0) {
        int frame = -1;
        for (LONG py = area.top; py < area.bottom; ++py)
            for (LONG px = area.left; px < area.right; ++px) {
                const std::uint32_t value = m_target.GetPixel(px, py) & 0xFFFFFF;
                const int n = static_cast<int>(value >> 16);
                if (frame == -1) frame = n;
                if ((value & 0xFFFFFF) != (tmov::Pixel(frame, px - x + sx, py - y + sy) & 0xFFFFFF)) return -1;
            }
        return frame;
    }
    bool Untouched(const RECT& area) {
        for (LONG py = area.top; py < area.bottom; ++py)
            for (LONG px = area.left; px < area.right; ++px)
                if ((m_target.GetPixel(px, py) & 0xFFFFFF) != 0) return false;
        return true;
    }

    Image m_target;
};

TEST_F(SpriteMovieTest, OpenCodes) {
    SpriteMovie sprite;
    EXPECT_EQ(kMovieNoDll, sprite.Open("m.mpg", 0, 0, nullptr));
    PublishSpriteDll();
    WriteMovie("m.mpg", TmovMovie());
    WriteMovie("refused.mpg", TmovMovie{16, 8, 4, 40, 0, 5});
    MountMovies({"x.foo"}, TmovMovie());
    EXPECT_EQ(kMovieMissingArgument, sprite.Open(nullptr, 0, 0, nullptr));
    EXPECT_EQ(kMovieUnknownKind, sprite.Open("x.foo", 0, 0, nullptr));
    EXPECT_EQ(kMovieNotFound, sprite.Open("missing.mpg", 0, 0, nullptr));
    EXPECT_EQ(kMovieRefused, sprite.Open("refused.mpg", 0, 0, nullptr));
    g_movieOpenStepProbe = [] { throw 1; };
    EXPECT_EQ(kMovieFailed, sprite.Open("m.mpg", 0, 0, nullptr));
    g_movieOpenStepProbe = nullptr;
    EXPECT_FALSE(sprite.IsOpen());
    EXPECT_EQ(0, MovieStandIn("DS_SPRITE.DLL").LiveMovies());
    PublishedMoviePlugins().fileSystem = nullptr;
    EXPECT_EQ(kMovieMissingArgument, sprite.Open("m.mpg", 0, 0, nullptr));
    EXPECT_EQ(kMovieOpened, sprite.Open("m.mpg", 0, 0, &m_vfs));
    m_pixels.reset();
    EXPECT_EQ(kMovieMissingArgument, sprite.Open("m.mpg", 0, 0, &m_vfs));
}

TEST_F(SpriteMovieTest, PlainFilesGoByPathArchivedOnesAsStreamsOfTheirKind) {
    PublishSpriteDll();
    const MovieStandIn dll("DS_SPRITE.DLL");
    WriteMovie("x.mpg", TmovMovie());
    WriteMovie("x.foo", TmovMovie());
    MountMovies({"a.avi", "w.wmv"}, TmovMovie());
    SpriteMovie sprite;
    for (const char* name : {"x.mpg", "x.foo"}) {
        sprite.Reset();
        dll.ClearLog();
        ASSERT_EQ(0, sprite.Open(name, 0, 0, nullptr));
        EXPECT_EQ("GetDShowGdiSpriteCtrl(stream=0,kind=0,path=" + Game(name) + ",0,0,1)\n", dll.Log());
    }
    dll.ClearLog();
    ASSERT_EQ(0, sprite.Open("a.avi", 0, 0, nullptr));
    // The second open released the first control object once.
    EXPECT_EQ("Release\nGetDShowGdiSpriteCtrl(stream=1,kind=3,path=(null),0,0,1)\n", dll.Log());
    EXPECT_EQ(1, dll.LiveStreams());
    ASSERT_EQ(0, sprite.Open("w.wmv", 0, 0, nullptr));
    EXPECT_EQ(1, dll.LiveMovies());
    sprite.Reset();
    EXPECT_EQ(0, dll.LiveStreams());
    EXPECT_EQ(0, dll.LiveMovies());
}

TEST_F(SpriteMovieTest, ACompressedEntryStillPlays) {
    PublishSpriteDll();
    MountMovies({"c.mpg"}, TmovMovie(), true);
    SpriteMovie sprite;
    ASSERT_EQ(0, sprite.Open("c.mpg", 2, 3, nullptr));
    ASSERT_EQ(0, sprite.Render(&m_target, nullptr));
    EXPECT_EQ(0, FrameAt(RECT{2, 3, 18, 11}, 2, 3));
}

TEST_F(SpriteMovieTest, VolumeAndUnopenedOperations) {
    SpriteMovie sprite;
    std::int64_t position = 7;
    EXPECT_EQ(-1, sprite.Play());
    EXPECT_EQ(-1, sprite.Stop());
    EXPECT_EQ(-1, sprite.SetVolume(100));
    EXPECT_EQ(0, sprite.GetPosition(&position));
    EXPECT_EQ(0, position);
    EXPECT_EQ(0, sprite.GetDuration(&position));
    PublishSpriteDll();
    auto movie = OpenMovie(TmovMovie());
    const MovieStandIn dll("DS_SPRITE.DLL");
    const struct {
        std::int32_t volume, stored, sent;
    } kCases[] = {{-5, 0, -10000}, {0, 0, -10000}, {1, 1, -5029}, {128, 128, -636}, {256, 256, 0}, {300, 256, 0}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.volume);
        dll.ClearLog();
        EXPECT_EQ(0, movie->SetVolume(c.volume));
        EXPECT_EQ(c.stored, movie->Volume());
        EXPECT_EQ("SetVolume(" + std::to_string(c.sent) + ")\n", dll.Log());
    }
    EXPECT_EQ(0, movie->GetDuration(&position));
    EXPECT_EQ(4 * 40 * 10000, position);
}

TEST_F(SpriteMovieTest, EachDrawShowsOneWholeFrame) {
    PublishSpriteDll();
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    const MovieStandIn dll("DS_SPRITE.DLL");
    const RECT shown = {2, 3, 18, 11};
    RECT out;
    ASSERT_EQ(0, movie->Render(&m_target, &out));
    EXPECT_TRUE(EqualRect(&shown, &out));
    EXPECT_EQ(0, FrameAt(shown, 2, 3));
    EXPECT_TRUE(Untouched(RECT{18, 0, 48, 32}));
    ASSERT_EQ(0, movie->Play());
    for (int frame = 1; frame < 4; ++frame) {
        dll.StepFrames(1);
        ASSERT_EQ(0, movie->Render(&m_target, nullptr));
        EXPECT_EQ(frame, FrameAt(shown, 2, 3));
    }
    // Off the target: nothing drawn, the out rectangle's left is -1.
    movie->SetPosition(100, 100);
    EXPECT_EQ(0, movie->Render(&m_target, &out));
    EXPECT_EQ(-1, out.left);
}

TEST_F(SpriteMovieTest, DisplaySizes) {
    PublishSpriteDll();
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    EXPECT_TRUE(movie->SetSize(0, 5));
    EXPECT_EQ(16, movie->DisplaySize().cx);
    EXPECT_EQ(5, movie->DisplaySize().cy);
    EXPECT_FALSE(movie->SetSize(0, 5));
    EXPECT_TRUE(movie->SetSize(0, 0));
    RECT bounds;
    movie->GetBounds(&bounds);
    EXPECT_EQ(18, bounds.right);
    EXPECT_EQ(11, bounds.bottom);

    // Twice the size: every pixel of the bounds shows frame 0, columns walking the source.
    ASSERT_TRUE(movie->SetSize(32, 16));
    ASSERT_EQ(0, movie->Render(&m_target, nullptr));
    std::set<std::uint32_t> columns;
    for (LONG y = 3; y < 19; ++y)
        for (LONG x = 2; x < 34; ++x) {
            const std::uint32_t value = m_target.GetPixel(x, y) & 0xFFFFFF;
            ASSERT_EQ(0u, value >> 16) << x << "," << y;
            if (y == 3) columns.insert((value >> 8) & 0xFF);
        }
    EXPECT_EQ(16u, columns.size());
    EXPECT_TRUE(Untouched(RECT{34, 0, 48, 32}));
}

TEST_F(SpriteMovieTest, RenderClippedCases) {
    PublishSpriteDll();
    const struct {
        const char* name;
        bool stretched;
        RECT clip;
        RECT drawn;  // empty: nothing drawn
        bool dirty;
    } kCases[] = {
        {"inside", false, {0, 0, 48, 32}, {2, 3, 18, 11}, false},
        {"partial natural, source moved alike", false, {6, 5, 12, 9}, {6, 5, 12, 9}, false},
        {"partial stretched marks dirty only", true, {6, 5, 12, 9}, {0, 0, 0, 0}, true},
        {"stretched inside", true, {0, 0, 48, 32}, {2, 3, 34, 19}, false},
        {"disjoint", false, {30, 20, 40, 30}, {0, 0, 0, 0}, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Clear();
        auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
        if (c.stretched) movie->SetSize(32, 16);
        movie->SetDirty(0);
        movie->RenderClipped(&m_target, c.clip);
        EXPECT_EQ(c.dirty, movie->IsDirty());
        if (IsRectEmpty(&c.drawn)) {
            EXPECT_TRUE(Untouched(RECT{0, 0, 48, 32}));
            continue;
        }
        if (!c.stretched) EXPECT_EQ(0, FrameAt(c.drawn, 2, 3));
        RECT outside = {c.drawn.right, 0, 48, 32};
        EXPECT_TRUE(Untouched(outside));
    }
}

TEST_F(SpriteMovieTest, ADrawPartlyOffTheTargetLeavesTheFrameWhole) {
    PublishSpriteDll();
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0}, -10, 0);
    ASSERT_EQ(0, movie->Render(&m_target, nullptr));
    EXPECT_EQ(0, FrameAt(RECT{0, 0, 6, 8}, -10, 0));
    movie->SetPosition(0, 0);
    Clear();
    ASSERT_EQ(0, movie->Render(&m_target, nullptr));
    EXPECT_EQ(0, FrameAt(RECT{0, 0, 16, 8}, 0, 0));
    Clear();
    movie->SetPosition(-10, 0);
    movie->RenderClipped(&m_target, RECT{-20, -20, 48, 32});
    movie->SetPosition(0, 0);
    Clear();
    movie->RenderClipped(&m_target, RECT{0, 0, 48, 32});
    EXPECT_EQ(0, FrameAt(RECT{0, 0, 16, 8}, 0, 0));
    EXPECT_EQ(16, movie->Width());
}

TEST_F(SpriteMovieTest, GeometryAndBlendMode) {
    PublishSpriteDll();
    SpriteMovie closed;
    EXPECT_FALSE(closed.HitTest(0, 0, false));
    EXPECT_FALSE(closed.SetSize(5, 5));
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    EXPECT_EQ(2, movie->Kind());
    EXPECT_TRUE(movie->HitTest(2, 3, false));
    EXPECT_TRUE(movie->HitTest(17, 10, false));
    EXPECT_FALSE(movie->HitTest(18, 10, false));
    EXPECT_FALSE(movie->Overlaps(&closed));
    SpriteMovie other;
    PublishedMoviePlugins().fileSystem = &m_vfs;
    ASSERT_EQ(0, other.Open("m.mpg", 18, 3, nullptr));
    EXPECT_FALSE(movie->Overlaps(&other));
    other.MoveBy(-1, 0);
    EXPECT_TRUE(movie->Overlaps(&other));
    EXPECT_FALSE(closed.Overlaps(movie.get()));
    EXPECT_EQ(1, movie->SetBlendMode(32));
    EXPECT_EQ(0, movie->BlendMode());
    EXPECT_EQ(0, movie->SetBlendMode(5));
    EXPECT_EQ(5, movie->BlendMode());
    // Sums saturate.
    movie->SetPosition(INT_MAX - 5, INT_MIN);
    RECT bounds;
    movie->GetBounds(&bounds);
    EXPECT_EQ(INT_MAX, bounds.right);
    movie->MoveBy(100, -100);
    EXPECT_EQ(INT_MAX, movie->X());
    EXPECT_EQ(INT_MIN, movie->Y());
}

TEST_F(SpriteMovieTest, AVideoLargerThanItsBuffersShowsWhatTheyHold) {
    PublishSpriteDll();
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, tmov::kReportsLarger, 0});
    EXPECT_EQ(32, movie->VideoSize().cx);
    EXPECT_EQ(16, movie->Width());
    EXPECT_EQ(8, movie->Height());
    ASSERT_EQ(0, movie->Render(&m_target, nullptr));
    EXPECT_EQ(0, FrameAt(RECT{2, 3, 18, 11}, 2, 3));
    movie->SetSize(32, 16);
    EXPECT_EQ(0, movie->Render(&m_target, nullptr));
}

TEST_F(SpriteMovieTest, EndsPlayAgainOnceWithLoopElseStopOnce) {
    PublishSpriteDll();
    const MovieStandIn dll("DS_SPRITE.DLL");
    for (bool loop : {true, false}) {
        SCOPED_TRACE(loop);
        auto movie = OpenMovie(TmovMovie{16, 8, 3, 40, 0, 0});
        movie->SetLoop(loop);
        movie->Play();
        dll.StepFrames(2);
        dll.ClearLog();
        for (int i = 0; i < 3; ++i) movie->RenderClipped(&m_target, RECT{0, 0, 48, 32});
        EXPECT_EQ(loop ? 1 : 0, dll.Count("Play"));
        EXPECT_EQ(loop ? 0 : 1, dll.Count("Stop"));
        if (!loop) continue;
        // The next end is handled again.
        dll.StepFrames(3);
        for (int i = 0; i < 3; ++i) movie->RenderClipped(&m_target, RECT{0, 0, 48, 32});
        EXPECT_EQ(2, dll.Count("Play"));
    }
}

TEST_F(SpriteMovieTest, NewFramesMakeItDirtyAPausedMovieStaysClean) {
    PublishSpriteDll();
    const MovieStandIn dll("DS_SPRITE.DLL");
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    movie->Play();
    movie->SetDirty(0);
    EXPECT_FALSE(movie->IsDirty());
    dll.StepFrames(1);
    EXPECT_TRUE(movie->IsDirty());
    movie->SetDirty(0);
    movie->Pause();
    dll.StepFrames(1);
    EXPECT_FALSE(movie->IsDirty());
}

TEST_F(SpriteMovieTest, AMovieKeepsItsDllLoadedAfterTheHolderGoes) {
    auto holder = std::make_unique<MovieDll>();
    ASSERT_TRUE(holder->LoadSpriteCtrlDll(plugintest::BinaryFile("DS_SPRITE.DLL").c_str()));
    PublishedMoviePlugins().sprite = holder.get();
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    ASSERT_TRUE(movie->IsOpen());
    holder.reset();
    PublishedMoviePlugins().sprite = nullptr;
    const MovieStandIn dll("DS_SPRITE.DLL");
    ASSERT_TRUE(dll.Loaded());
    movie->Play();
    dll.StepFrames(1);
    ASSERT_EQ(0, movie->Render(&m_target, nullptr));
    EXPECT_EQ(1, FrameAt(RECT{2, 3, 18, 11}, 2, 3));
    movie.reset();
    EXPECT_FALSE(plugintest::IsModuleLoaded("DS_SPRITE.DLL"));
}

TEST_F(SpriteMovieTest, MutatedMoviesOpenOrAreRefused) {
    PublishSpriteDll();
    const std::vector<std::uint8_t> good = testsupport::MakeTmov(TmovMovie{16, 8, 4, 40, 0, 0});
    std::mt19937 random(4611);
    SpriteMovie movie;
    for (int round = 0; round < 60; ++round) {
        std::vector<std::uint8_t> bytes = good;
        const int changes = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < changes; ++i) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        if (random() % 4 == 0) bytes.resize(random() % bytes.size());
        SCOPED_TRACE(round);
        ASSERT_TRUE(testsupport::WriteFile(Game("mutated.mpg"), bytes));
        const std::int32_t code = movie.Open("mutated.mpg", 0, 0, nullptr);
        ASSERT_TRUE(code == kMovieOpened || code == kMovieRefused) << code;
        if (code != kMovieOpened) {
            EXPECT_FALSE(movie.IsOpen());
            continue;
        }
        EXPECT_LE(movie.Width(), static_cast<std::int32_t>(tmov::kLargestSide));
        EXPECT_EQ(0, movie.Render(&m_target, nullptr));
    }
}

// The host's frame-buffer views as the DLL reaches them: Resize, Lock and Unlock by slot.
TEST_F(SpriteMovieTest, FrameBufferViewsAnswerThroughTheirSlots) {
    MemoryPixelSurface surface;
    volatile LONG unlocks = 0;
    SpriteFrameBuffer view(surface, unlocks);
    void* object = static_cast<MovieFrameBuffer*>(&view);
    MovieFrameLock lock = {};
    EXPECT_NE(0, (testsupport::CallSlot<std::int32_t, MovieFrameLock*>(object, 2, &lock))) << "no memory yet";
    ASSERT_EQ(0, (testsupport::CallSlot<std::int32_t, std::int32_t, std::int32_t>(object, 1, 5, 3)));
    ASSERT_EQ(0, (testsupport::CallSlot<std::int32_t, MovieFrameLock*>(object, 2, &lock)));
    EXPECT_TRUE(surface.FrameLock().IsOwnedByCaller());
    EXPECT_EQ(surface.Bits(), lock.bits);
    EXPECT_EQ(5, lock.width);
    EXPECT_EQ(3, lock.height);
    EXPECT_EQ(20, lock.pitch);
    EXPECT_EQ(256, lock.formatCode);
    testsupport::CallSlot<void>(object, 3);
    EXPECT_FALSE(surface.FrameLock().IsOwnedByCaller());
    EXPECT_EQ(1, unlocks);
}

// On a canvas: a playing movie is repainted when a frame arrived and never otherwise.
TEST_F(SpriteMovieTest, TheCanvasRepaintsOnlyWhenAFrameArrived) {
    PublishSpriteDll();
    const MovieStandIn dll("DS_SPRITE.DLL");
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    Canvas canvas;
    ASSERT_EQ(0, canvas.SetTarget(&m_target, false));
    canvas.SetBackgroundColour(0, false);
    ASSERT_EQ(0, canvas.Sprites().Add(movie.get(), 0, 0));
    ASSERT_EQ(0, canvas.Redraw(nullptr, nullptr, 0, 0));
    EXPECT_EQ(0, FrameAt(RECT{2, 3, 18, 11}, 2, 3));
    EXPECT_EQ(-1, canvas.Redraw(nullptr, nullptr, 0, 0)) << "no new frame";
    movie->Play();
    dll.StepFrames(1);
    DirtyRegion repainted;
    ASSERT_EQ(0, canvas.Redraw(&repainted, nullptr, 0, 0));
    EXPECT_EQ(1, FrameAt(RECT{2, 3, 18, 11}, 2, 3));
    ASSERT_GE(repainted.Count(), 1);
    const RectNode* node = repainted.Head();
    for (int i = 0; i < repainted.Count(); ++i, node = node->next)
        EXPECT_EQ((std::vector<std::int32_t>{2, 3, 18, 11}),
                  (std::vector<std::int32_t>{node->left, node->top, node->right, node->bottom}));
    movie->Pause();
    dll.StepFrames(1);
    EXPECT_EQ(-1, canvas.Redraw(nullptr, nullptr, 0, 0)) << "paused";
    canvas.Sprites().Clear();
}

}  // namespace
