// The window movie over the stand-in DS_MOVIE.DLL in a real top-level window: open codes, the
// commands and what they show, the events, and the DirectDraw objects handed to the DLL on a
// screen device that holds the display exclusively (fake DirectDraw objects).
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "framework/movie/movie_dll.h"
#include "framework/movie/movie_open.h"
#include "framework/movie/window_movie.h"
#include "tests/framework/plugin_test_files.h"
#include "tests/framework/vfs_test_fixture.h"
#include "tests/support/fake_screen_device.h"
#include "tests/support/movie_stand_ins.h"
#include "tests/support/tmov_writer.h"

namespace {

using testsupport::MovieStandIn;
using testsupport::TmovMovie;

// An IDirectDraw7 whose CreateSurface records what it was asked and hands out one surface
// that counts its releases (or fails).
class FakeDirectDraw {
    void* const* m_table;

public:
    FakeDirectDraw() {
        static void* table[30] = {};
        table[1] = reinterpret_cast<void*>(&AddRef);
        table[2] = reinterpret_cast<void*>(&ReleaseThis);
        table[6] = reinterpret_cast<void*>(&CreateSurface);
        m_table = table;
        static void* surfaceTable[50] = {};
        surfaceTable[1] = reinterpret_cast<void*>(&SurfaceAddRef);
        surfaceTable[2] = reinterpret_cast<void*>(&SurfaceRelease);
        m_surface.table = surfaceTable;
        m_surface.owner = this;
    }
    IDirectDraw7* Interface() { return reinterpret_cast<IDirectDraw7*>(this); }
    IDirectDrawSurface7* Surface() { return reinterpret_cast<IDirectDrawSurface7*>(&m_surface); }

    bool fail = false;
    int creates = 0;
    int surfaceReleases = 0;
    DDSURFACEDESC2 asked = {};

private:
    struct FakeSurface {
        void* const* table;
        FakeDirectDraw* owner;
    } m_surface;

    static ULONG __stdcall AddRef(FakeDirectDraw*) { return 1; }
    static ULONG __stdcall ReleaseThis(FakeDirectDraw*) { return 1; }
    static HRESULT __stdcall CreateSurface(FakeDirectDraw* self, DDSURFACEDESC2* desc, IDirectDrawSurface7** out,
                                           IUnknown*) {
        ++self->creates;
        self->asked = *desc;
        if (self->fail) return DDERR_GENERIC;
        *out = self->Surface();
        return DD_OK;
    }
    static ULONG __stdcall SurfaceAddRef(FakeSurface*) { return 1; }
    static ULONG __stdcall SurfaceRelease(FakeSurface* self) {
        ++self->owner->surfaceReleases;
        return 0;
    }
};

// The fake screen device with the window movie's DirectDraw view.
class ExclusiveScreen : public testsupport::FakeScreenDevice {
public:
    const GUID* DisplayDeviceId() override { return id; }
    IDirectDraw7* DirectDrawObject() override { return directDraw; }
    IDirectDrawSurface7* PrimarySurfaceObject() override { return primary; }
    const GUID* PrimaryDisplayId() override { return &primaryId; }

    const GUID* id = nullptr;
    IDirectDraw7* directDraw = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    GUID primaryId = {0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
};

std::string Pointer(const void* p) {
    char text[32];
    std::snprintf(text, sizeof(text), "%p", p);
    return text;
}

class WindowMovieTest : public VfsTestBase {
protected:
    void SetUp() override {
        VfsTestBase::SetUp();
        testsupport::RegisterTestWindowClass("WindowMovieOwner");
        m_owner = CreateWindowExA(0, "WindowMovieOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 150,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, m_owner);
        PublishedMoviePlugins() = MoviePlugins();
        PublishedMoviePlugins().fileSystem = &m_vfs;
    }
    void TearDown() override {
        PublishedMoviePlugins() = MoviePlugins();
        g_movieOpenStepProbe = nullptr;
        DestroyWindow(m_owner);
        testsupport::DrainMessageQueue();
        VfsTestBase::TearDown();
    }

    void PublishDll() {
        ASSERT_TRUE(m_dll.LoadMovieObjectDll(plugintest::BinaryFile("DS_MOVIE.DLL").c_str()));
        PublishedMoviePlugins().window = &m_dll;
        MovieStandIn("DS_MOVIE.DLL").ClearLog();
    }
    std::unique_ptr<WindowMovie> OpenMovie(const TmovMovie& movie, ScreenPort* screen = nullptr) {
        EXPECT_TRUE(testsupport::WriteFile(Game("m.mpg"), testsupport::MakeTmov(movie)));
        auto window = std::make_unique<WindowMovie>();
        EXPECT_EQ(0, window->Open(m_owner, "m.mpg", nullptr, screen));
        return window;
    }
    // The 0x9006 messages waiting for the owner, taken from the queue.
    int TakeEventMessages() {
        int count = 0;
        MSG message;
        while (PeekMessageA(&message, m_owner, kMovieEventMessage, kMovieEventMessage, PM_REMOVE)) ++count;
        return count;
    }

    HWND m_owner = nullptr;
    MovieDll m_dll;
};

TEST_F(WindowMovieTest, OpenCodes) {
    WindowMovie movie;
    EXPECT_EQ(kMovieNoDll, movie.Open(m_owner, "m.mpg", nullptr, nullptr));
    PublishDll();
    ASSERT_TRUE(testsupport::WriteFile(Game("m.mpg"), testsupport::MakeTmov({})));
    ASSERT_TRUE(testsupport::WriteFile(Game("refused.mpg"), testsupport::MakeTmov({16, 8, 4, 40, 0, 1})));
    testsupport::QpkWriter archive;
    archive.Add("x.foo", testsupport::MakeTmov({}));
    archive.Add("x.mov", testsupport::MakeTmov({}));
    ASSERT_TRUE(archive.Write(Game("DATA.QPK")));
    ASSERT_EQ(0, m_vfs.MountArchive("DATA.QPK", 0, false, true, nullptr));
    EXPECT_EQ(kMovieMissingArgument, movie.Open(nullptr, "m.mpg", nullptr, nullptr));
    EXPECT_EQ(kMovieMissingArgument, movie.Open(m_owner, nullptr, nullptr, nullptr));
    EXPECT_EQ(kMovieUnknownKind, movie.Open(m_owner, "x.foo", nullptr, nullptr));
    EXPECT_EQ(kMovieNotFound, movie.Open(m_owner, "none.mpg", nullptr, nullptr));
    EXPECT_EQ(kMovieRefused, movie.Open(m_owner, "refused.mpg", nullptr, nullptr));
    g_movieOpenStepProbe = [] { throw 1; };
    EXPECT_EQ(kMovieFailed, movie.Open(m_owner, "m.mpg", nullptr, nullptr));
    g_movieOpenStepProbe = nullptr;
    const MovieStandIn dll("DS_MOVIE.DLL");
    EXPECT_EQ(0, dll.LiveMovies());
    EXPECT_EQ(0, dll.LiveStreams());
    dll.ClearLog();
    ASSERT_EQ(kMovieOpened, movie.Open(m_owner, "x.mov", nullptr, nullptr));
    EXPECT_EQ(1, dll.LiveStreams());
    EXPECT_EQ(
        "GetMovieObject(stream=1,kind=4,path=(null),dd=" + Pointer(nullptr) + ",primary=" + Pointer(nullptr) +
            ",flag=1)\nSetOwner\nSetNotifyWindow\nSetVideoRect(0,0,16,8)\n",
        dll.Log());
    EXPECT_FALSE(movie.IsWindowless());
    dll.ClearLog();
    ASSERT_EQ(kMovieOpened, movie.Open(m_owner, "m.mpg", nullptr, nullptr));
    EXPECT_EQ(1, dll.Count("Release"));
    EXPECT_EQ(0, dll.LiveStreams());
    EXPECT_EQ(1, dll.LiveMovies());
}

TEST_F(WindowMovieTest, UnopenedOperationsAndVolume) {
    WindowMovie movie;
    std::int64_t position = 5;
    EXPECT_EQ(-1, movie.Play());
    EXPECT_EQ(-1, movie.Stop());
    EXPECT_EQ(-1, movie.Resume());
    EXPECT_EQ(-1, movie.SetRect(RECT{0, 0, 4, 4}));
    EXPECT_EQ(-1, movie.InvokeControl18());
    EXPECT_EQ(0, movie.GetPosition(&position));
    EXPECT_EQ(0, position);
    EXPECT_EQ(256, movie.Volume());
    movie.ProcessEvents();
    PublishDll();
    auto open = OpenMovie(TmovMovie());
    const MovieStandIn dll("DS_MOVIE.DLL");
    dll.ClearLog();
    EXPECT_EQ(0, open->SetVolume(128));
    EXPECT_EQ(0, open->SetVolume(-3));
    EXPECT_EQ(0, open->InvokeControl18());
    EXPECT_EQ(0, open->SetControlInt19(7));
    EXPECT_EQ("SetVolume(-636)\nSetVolume(-10000)\nControl18\nControl19(7)\n", dll.Log());
    EXPECT_EQ(0, open->Volume());
}

TEST_F(WindowMovieTest, PlayThroughTheOwnersDeviceContext) {
    PublishDll();
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, tmov::kPaintsThroughDc | tmov::kWindowless, 0});
    EXPECT_TRUE(movie->IsWindowless());
    ASSERT_EQ(0, movie->SetRect(RECT{10, 20, 26, 28}));
    EXPECT_EQ(0, movie->Play());
    EXPECT_EQ(1, MovieStandIn("DS_MOVIE.DLL").Count("Repaint"));
    HDC dc = GetDC(m_owner);
    for (const POINT p : {POINT{10, 20}, POINT{25, 27}, POINT{17, 23}}) {
        const COLORREF colour = GetPixel(dc, p.x, p.y);
        EXPECT_EQ(tmov::Pixel(0, p.x - 10, p.y - 20) & 0xFFFFFF,
                  static_cast<std::uint32_t>(GetRValue(colour)) << 16 | GetGValue(colour) << 8 | GetBValue(colour))
            << p.x << "," << p.y;
    }
    ReleaseDC(m_owner, dc);
}

TEST_F(WindowMovieTest, PlayInvalidatesTheTopChild) {
    PublishDll();
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    HWND child = GetTopWindow(m_owner);
    ASSERT_NE(nullptr, child);
    ValidateRect(child, nullptr);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(child, &update, FALSE));
    EXPECT_EQ(0, movie->Play());
    EXPECT_TRUE(GetUpdateRect(child, &update, FALSE));
    EXPECT_EQ(0, MovieStandIn("DS_MOVIE.DLL").Count("Repaint"));
    EXPECT_TRUE(IsWindowVisible(child));
}

TEST_F(WindowMovieTest, ResumeStopAndSetRect) {
    PublishDll();
    auto movie = OpenMovie(TmovMovie{16, 8, 4, 40, 0, 0});
    const MovieStandIn dll("DS_MOVIE.DLL");
    movie->Play();
    dll.ClearLog();
    EXPECT_EQ(1, movie->Resume()) << "not paused";
    EXPECT_EQ("Resume\n", dll.Log());
    movie->Pause();
    dll.ClearLog();
    EXPECT_EQ(0, movie->Resume());
    EXPECT_EQ("Resume\nShow(1)\n", dll.Log());
    dll.ClearLog();
    EXPECT_EQ(0, movie->Stop());
    EXPECT_EQ("Show(0)\nStop\n", dll.Log());
    EXPECT_NE(0, movie->SetRect(RECT{5, 5, 5, 9}));
    EXPECT_EQ(16, movie->VideoRect().right);
    EXPECT_EQ(0, movie->SetRect(RECT{1, 2, 3, 4}));
    EXPECT_EQ(3, movie->VideoRect().right);
}

TEST_F(WindowMovieTest, Events) {
    PublishDll();
    const MovieStandIn dll("DS_MOVIE.DLL");
    const struct {
        const char* name;
        std::uint32_t flags;
        bool loop;
        bool running;
        std::vector<std::int32_t> events;  // empty: play to the end
        std::string calls;
    } kCases[] = {
        {"end with loop rewinds and runs", 0, true, true, {}, "GetState\nSetPosition(0)\nRun\n"},
        {"end with loop, rewind refused: stop, run", tmov::kRewindFails, true, true, {},
         "GetState\nSetPosition(0)\nStop\nRun\n"},
        {"end with loop, rewind and stop refused", tmov::kRewindFails | tmov::kStopFails, true, true, {},
         "GetState\nSetPosition(0)\nStop\n"},
        {"end without loop stops", 0, false, true, {}, "GetState\nStop\n"},
        {"end when not running", 0, true, false, {1}, "GetState\n"},
        {"stop request", 0, false, true, {2}, "Stop\n"},
        {"other codes ignored", 0, true, true, {7}, ""},
        {"three in one call", 0, false, true, {7, 2, 2}, "Stop\nStop\n"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto movie = OpenMovie(TmovMovie{16, 8, 3, 40, c.flags, 0});
        movie->SetLoop(c.loop);
        if (c.running) movie->Play();
        TakeEventMessages();
        if (c.events.empty()) {
            dll.StepFrames(2);
        } else {
            for (std::int32_t code : c.events) dll.QueueEvent(code);
        }
        EXPECT_EQ(c.events.empty() ? 1 : static_cast<int>(c.events.size()), TakeEventMessages());
        dll.ClearLog();
        movie->ProcessEvents();
        EXPECT_EQ(c.calls, dll.Log());
        dll.ClearLog();
        movie->ProcessEvents();
        EXPECT_EQ("", dll.Log()) << "all drained";
    }
}

TEST_F(WindowMovieTest, DirectDrawObjectsOnTheExclusivePrimaryDisplay) {
    PublishDll();
    const MovieStandIn dll("DS_MOVIE.DLL");
    ASSERT_EQ(1, g_movieObjectOption) << "1 until start-up sets it";
    FakeDirectDraw directDraw;
    ExclusiveScreen screen;
    screen.directDraw = directDraw.Interface();
    IDirectDrawSurface7* devicePrimary = reinterpret_cast<IDirectDrawSurface7*>(&screen);
    static const GUID kZero = {};
    static const GUID kOther = {0x9999, 1, 2, {0}};
    const std::string passed = "dd=" + Pointer(directDraw.Interface()) + ",primary=" + Pointer(devicePrimary) + ",flag=1";
    const std::string none = "dd=" + Pointer(nullptr) + ",primary=" + Pointer(nullptr) + ",flag=1";
    const struct {
        const char* name;
        bool exclusive;
        const GUID* id;
        std::string expected;
    } kCases[] = {
        {"identifier null", true, nullptr, passed},
        {"identifier all zero", true, &kZero, passed},
        {"identifier of the primary", true, &screen.primaryId, passed},
        {"another display", true, &kOther, none},
        {"normal level", false, nullptr, none},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        screen.exclusive = c.exclusive;
        screen.id = c.id;
        screen.primary = devicePrimary;
        dll.ClearLog();
        auto movie = OpenMovie(TmovMovie(), &screen);
        EXPECT_NE(std::string::npos, dll.Log().find(c.expected)) << dll.Log();
    }
    EXPECT_EQ(0, directDraw.creates);

    // Without a primary the movie makes one, owns it and lets it go on reset.
    screen.exclusive = true;
    screen.id = nullptr;
    screen.primary = nullptr;
    dll.ClearLog();
    auto movie = OpenMovie(TmovMovie(), &screen);
    EXPECT_EQ(1, directDraw.creates);
    EXPECT_EQ(124u, directDraw.asked.dwSize);
    EXPECT_EQ(static_cast<DWORD>(DDSD_CAPS), directDraw.asked.dwFlags);
    EXPECT_EQ(static_cast<DWORD>(DDSCAPS_PRIMARYSURFACE), directDraw.asked.ddsCaps.dwCaps);
    EXPECT_NE(std::string::npos,
              dll.Log().find("dd=" + Pointer(directDraw.Interface()) + ",primary=" + Pointer(directDraw.Surface())))
        << dll.Log();
    EXPECT_EQ(directDraw.Surface(), movie->OwnPrimary());
    movie->Reset();
    EXPECT_EQ(1, directDraw.surfaceReleases);

    // When it cannot be made: no objects and the flag 0.
    directDraw.fail = true;
    dll.ClearLog();
    movie = OpenMovie(TmovMovie(), &screen);
    EXPECT_NE(std::string::npos, dll.Log().find("dd=" + Pointer(nullptr) + ",primary=" + Pointer(nullptr) + ",flag=0"))
        << dll.Log();
    EXPECT_EQ(nullptr, movie->OwnPrimary());
}

TEST_F(WindowMovieTest, AMovieKeepsItsDllLoadedAfterTheHolderGoes) {
    auto holder = std::make_unique<MovieDll>();
    ASSERT_TRUE(holder->LoadMovieObjectDll(plugintest::BinaryFile("DS_MOVIE.DLL").c_str()));
    PublishedMoviePlugins().window = holder.get();
    auto movie = OpenMovie(TmovMovie());
    holder.reset();
    PublishedMoviePlugins().window = nullptr;
    ASSERT_TRUE(plugintest::IsModuleLoaded("DS_MOVIE.DLL"));
    EXPECT_EQ(0, movie->Play());
    MovieStandIn("DS_MOVIE.DLL").StepFrames(1);
    movie.reset();
    EXPECT_FALSE(plugintest::IsModuleLoaded("DS_MOVIE.DLL"));
}

}  // namespace
