// The movie DLL holders on the stand-in DLLs and their variants, the media kinds of archived
// movies, the release of a stream the factory did not take, and the slot layout of the two
// control objects as code built by another compiler reaches them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/interfaces/movie_plugin.h"
#include "framework/movie/movie_dll.h"
#include "framework/movie/movie_open.h"
#include "tests/framework/plugin_test_files.h"
#include "tests/framework/vfs_test_fixture.h"
#include "tests/support/table_slots.h"
#include "tests/support/tmov_writer.h"

using testsupport::CallSlot;

namespace {

TEST(MovieDllTest, LoadsOnlyWithBothExportsAndTheRightVersion) {
    const struct {
        const char* name;
        std::string path;
        bool (MovieDll::*load)(const char*);
        bool loaded;
    } kCases[] = {
        {"DS_SPRITE", plugintest::BinaryFile("DS_SPRITE.DLL"), &MovieDll::LoadSpriteCtrlDll, true},
        {"DS_PRIM", plugintest::BinaryFile("DS_PRIM.DLL"), &MovieDll::LoadPrimCtrlDll, true},
        {"DS_MOVIE", plugintest::BinaryFile("DS_MOVIE.DLL"), &MovieDll::LoadMovieObjectDll, true},
        {"missing", plugintest::BinaryFile("movie_variants\\none\\DS_PRIM.DLL"), &MovieDll::LoadPrimCtrlDll, false},
        {"DS_PRIM of version 0x10000", plugintest::BinaryFile("movie_variants\\prim_old_version\\DS_PRIM.DLL"),
         &MovieDll::LoadPrimCtrlDll, false},
        {"DS_SPRITE without its factory", plugintest::BinaryFile("movie_variants\\sprite_no_factory\\DS_SPRITE.DLL"),
         &MovieDll::LoadSpriteCtrlDll, false},
        {"DS_MOVIE without GetDllVersion", plugintest::BinaryFile("movie_variants\\movie_no_version\\DS_MOVIE.DLL"),
         &MovieDll::LoadMovieObjectDll, false},
        {"DS_SPRITE asked for the primitive factory", plugintest::BinaryFile("DS_SPRITE.DLL"),
         &MovieDll::LoadPrimCtrlDll, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        MovieDll dll;
        EXPECT_EQ(c.loaded, (dll.*c.load)(c.path.c_str()));
        EXPECT_EQ(c.loaded, dll.Module() != nullptr);
        EXPECT_EQ(c.loaded, dll.GetDllVersion() != nullptr);
    }
    for (const char* name : {"DS_SPRITE.DLL", "DS_PRIM.DLL", "DS_MOVIE.DLL"})
        EXPECT_FALSE(plugintest::IsModuleLoaded(name)) << name;
}

TEST(MovieDllTest, AModuleReferenceOutlivesTheHolder) {
    auto dll = std::make_unique<MovieDll>();
    ASSERT_TRUE(dll->LoadPrimCtrlDll(plugintest::BinaryFile("DS_PRIM.DLL").c_str()));
    HMODULE reference = dll->AddModuleReference();
    ASSERT_EQ(dll->Module(), reference);
    dll.reset();
    EXPECT_TRUE(plugintest::IsModuleLoaded("DS_PRIM.DLL"));
    FreeLibrary(reference);
    EXPECT_FALSE(plugintest::IsModuleLoaded("DS_PRIM.DLL"));
    EXPECT_EQ(nullptr, MovieDll().AddModuleReference());
}

TEST(MediaKindTest, ByExtensionWithoutRegardToCase) {
    const struct {
        const char* name;
        std::int32_t kind;
    } kCases[] = {
        {"a.mpg", 0},     {"a.MPEG", 0},   {"a.mpv", 1},       {"a.dat", 2},     {"a.AVI", 3},
        {"a.mov", 4},     {"a.mp4", 4},    {"a.wmv", 6},       {"a.asf", 6},     {"a.Wma", 6},
        {"a.foo", -1},    {"a", -1},       {"d.mpg\\x", -1},   {"a.mpg.", -1},   {"\x95\x5C.mpg", 0},
        {"dir.x\\\x95\x5C", -1},           {nullptr, -1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name ? c.name : "(null)");
        EXPECT_EQ(c.kind, MediaKindForName(c.name));
    }
    EXPECT_EQ(-1, MediaKindForName(std::string(400, 'a').append(".mpg").c_str()));
}

// A stream that counts its deletions.
class CountedStream final : public ByteStream {
public:
    explicit CountedStream(int& deletions) : m_deletions(deletions) {}
    void* XM_METHOD DeletingDestructor(std::uint32_t flags) override {
        ++m_deletions;
        if (flags & xm::kDeleteMemory) delete this;
        return this;
    }
    std::uint32_t XM_METHOD Size() override { return 0; }
    std::uint32_t XM_METHOD Tell() override { return 0; }
    bool XM_METHOD IsEof() override { return true; }
    std::int32_t XM_METHOD SeekSet(std::uint32_t) override { return 0; }
    std::int32_t XM_METHOD SeekCur(std::int32_t) override { return 0; }
    std::int32_t XM_METHOD SeekEnd(std::uint32_t) override { return 0; }
    std::uint32_t XM_METHOD Read(void*, std::uint32_t) override { return 0; }

private:
    int& m_deletions;
};

TEST(MovieSourceTest, AStreamNotTakenIsReleasedOnce) {
    int deletions = 0;
    auto* stream = new CountedStream(deletions);
    stream->AddHolder();
    MovieSource source;
    source.stream = stream;
    ReleaseMovieSource(source);
    EXPECT_EQ(0, deletions);
    EXPECT_EQ(0, stream->ExtraHolders());
    EXPECT_EQ(nullptr, source.stream);
    ReleaseMovieSource(source);
    EXPECT_EQ(0, deletions);
    source.stream = stream;
    ReleaseMovieSource(source);
    EXPECT_EQ(1, deletions);
}

class MovieLocateTest : public VfsTestBase {};

TEST_F(MovieLocateTest, PlainFilesByPathArchivedOnesAsStreams) {
    ASSERT_TRUE(testsupport::WriteFile(Game("plain.foo"), testsupport::MakeTmov({})));
    testsupport::QpkWriter archive;
    archive.Add("in.avi", testsupport::MakeTmov({}));
    archive.Add("in.foo", testsupport::MakeTmov({}));
    archive.Add("packed.wmv", std::string(200, 'a'), testsupport::QpkEntryOptions{true});
    ASSERT_TRUE(archive.Write(Game("DATA.QPK")));
    ASSERT_EQ(0, m_vfs.MountArchive("DATA.QPK", 0, false, true, nullptr));
    MovieSource source;
    ASSERT_EQ(0, LocateMovie(m_vfs, "plain.foo", &source));
    EXPECT_EQ(nullptr, source.stream);
    EXPECT_EQ(0, source.kind);
    EXPECT_EQ(Game("plain.foo"), source.PathOrNull());
    ASSERT_EQ(0, LocateMovie(m_vfs, "in.avi", &source));
    ASSERT_NE(nullptr, source.stream);
    EXPECT_EQ(3, source.kind);
    EXPECT_EQ(nullptr, source.PathOrNull());
    ReleaseMovieSource(source);
    ASSERT_EQ(0, LocateMovie(m_vfs, "packed.wmv", &source));
    ASSERT_NE(nullptr, source.stream);
    EXPECT_EQ(200u, source.stream->Size());
    ReleaseMovieSource(source);
    EXPECT_EQ(kMovieUnknownKind, LocateMovie(m_vfs, "in.foo", &source));
    EXPECT_EQ(nullptr, source.stream);
    EXPECT_EQ(kMovieNotFound, LocateMovie(m_vfs, "none.mpg", &source));
    EXPECT_EQ(kMovieNotFound, LocateMovie(m_vfs, std::string(400, 'a').c_str(), &source));
}

// Frame buffers over plain memory, as a host might lend them.
class MemoryFrameBuffer final : public MovieFrameBuffer {
public:
    void* XM_METHOD DeletingDestructor(std::uint32_t) override { return this; }
    std::int32_t XM_METHOD Resize(std::int32_t width, std::int32_t height) override {
        m_width = width;
        m_height = height;
        m_pixels.assign(static_cast<std::size_t>(width) * height, 0);
        return 0;
    }
    std::int32_t XM_METHOD Lock(MovieFrameLock* out) override {
        *out = MovieFrameLock{reinterpret_cast<std::uint8_t*>(m_pixels.data()), m_width * 4, m_width, m_height, 256};
        return 0;
    }
    void XM_METHOD Unlock() override {}
    std::uint32_t At(int x, int y) const { return m_pixels[static_cast<std::size_t>(y) * m_width + x]; }

private:
    std::vector<std::uint32_t> m_pixels;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
};

// MovieControl and MovieObject positions.
enum {
    kRelease = 1, kPlay = 3, kStop = 6, kGetPosition = 7, kSetPosition = 8, kGetDuration = 9, kGetState = 10,
    kSetVolume = 11, kWidth = 14, kHeight = 15, kCurrentBuffer = 17, kHasEnded = 18,
};
enum {
    kObjSetVideoRect = 5, kObjRun = 7, kObjGetState = 14, kObjGetEvent = 15, kObjIsWindowless = 22,
    kObjPaintsThroughDc = 23, kObjWidth = 24, kObjHeight = 25,
};

class MovieSlotLayout : public VfsTestBase {};

TEST_F(MovieSlotLayout, ControlObjectsAnswerThroughTheirSlots) {
    ASSERT_TRUE(testsupport::WriteFile(Game("m.mpg"), testsupport::MakeTmov({16, 8, 3, 40, 0, 0})));
    MovieDll dll;
    ASSERT_TRUE(dll.LoadSpriteCtrlDll(plugintest::BinaryFile("DS_SPRITE.DLL").c_str()));
    MemoryFrameBuffer buffers[2];
    MovieControl* control = nullptr;
    const std::string path = Game("m.mpg");
    ASSERT_EQ(0, dll.SpriteFactory()(&control, &buffers[0], &buffers[1], nullptr, nullptr, 0, path.c_str(), 0, 0, 1));
    void* object = control;
    EXPECT_EQ(16, CallSlot<std::int32_t>(object, kWidth));
    EXPECT_EQ(8, CallSlot<std::int32_t>(object, kHeight));
    EXPECT_EQ(0, CallSlot<std::uint8_t>(object, kCurrentBuffer));
    EXPECT_EQ(tmov::Pixel(0, 5, 6), buffers[0].At(5, 6));
    EXPECT_EQ(0, CallSlot<std::int32_t>(object, kPlay));
    std::int32_t state = 3;
    EXPECT_EQ(0, (CallSlot<std::int32_t, std::int32_t*>(object, kGetState, &state)));
    EXPECT_EQ(1, state);
    std::int64_t duration = 0;
    EXPECT_EQ(0, (CallSlot<std::int32_t, std::int64_t*>(object, kGetDuration, &duration)));
    EXPECT_EQ(3 * 40 * 10000, duration);
    auto step = reinterpret_cast<void (*)(std::int32_t)>(
        reinterpret_cast<void (*)()>(GetProcAddress(dll.Module(), "StandInStepFrames")));
    step(1);
    EXPECT_EQ(1, CallSlot<std::uint8_t>(object, kCurrentBuffer));
    EXPECT_EQ(tmov::Pixel(1, 15, 7), buffers[1].At(15, 7));
    std::int64_t position = 0;
    EXPECT_EQ(0, (CallSlot<std::int32_t, std::int64_t*>(object, kGetPosition, &position)));
    EXPECT_EQ(40 * 10000, position);
    step(1);
    EXPECT_NE(0, CallSlot<std::int32_t>(object, kHasEnded));
    EXPECT_EQ(0, (CallSlot<std::int32_t, std::int64_t>(object, kSetPosition, 0)));
    EXPECT_EQ(0, CallSlot<std::int32_t>(object, kHasEnded));
    EXPECT_EQ(0, (CallSlot<std::int32_t, std::int32_t>(object, kSetVolume, -636)));
    EXPECT_EQ(0, CallSlot<std::int32_t>(object, kStop));
    CallSlot<void>(object, kRelease);

    MovieDll window;
    ASSERT_TRUE(window.LoadMovieObjectDll(plugintest::BinaryFile("DS_MOVIE.DLL").c_str()));
    ASSERT_TRUE(testsupport::WriteFile(Game("w.mpg"),
                                       testsupport::MakeTmov({20, 10, 3, 40, tmov::kWindowless | tmov::kPaintsThroughDc, 0})));
    MovieObject* movie = nullptr;
    const std::string windowPath = Game("w.mpg");
    ASSERT_EQ(0, window.ObjectFactory()(&movie, nullptr, nullptr, 0, windowPath.c_str(), nullptr, nullptr, 1));
    object = movie;
    EXPECT_EQ(20, CallSlot<std::int32_t>(object, kObjWidth));
    EXPECT_EQ(10, CallSlot<std::int32_t>(object, kObjHeight));
    EXPECT_EQ(1, CallSlot<std::int32_t>(object, kObjIsWindowless));
    EXPECT_EQ(1, CallSlot<std::int32_t>(object, kObjPaintsThroughDc));
    const RECT rect = {0, 0, 20, 10};
    EXPECT_EQ(0, (CallSlot<std::int32_t, const RECT*>(object, kObjSetVideoRect, &rect)));
    EXPECT_EQ(0, CallSlot<std::int32_t>(object, kObjRun));
    EXPECT_EQ(0, (CallSlot<std::int32_t, std::int32_t*>(object, kObjGetState, &state)));
    EXPECT_EQ(1, state);
    auto stepWindow = reinterpret_cast<void (*)(std::int32_t)>(
        reinterpret_cast<void (*)()>(GetProcAddress(window.Module(), "StandInStepFrames")));
    stepWindow(2);
    std::int32_t code = 0, first = 0, second = 0;
    std::uint8_t taken = 0;
    EXPECT_EQ(0, (CallSlot<std::int32_t, std::int32_t*, std::int32_t*, std::int32_t*, std::uint8_t*>(
                     object, kObjGetEvent, &code, &first, &second, &taken)));
    EXPECT_EQ(1, taken);
    EXPECT_EQ(kMovieEventComplete, code);
    CallSlot<void>(object, kRelease);
}

}  // namespace
