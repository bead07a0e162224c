// What the sprite and primitive movie tests share: a game folder with a published file system,
// the real qmxgl.dll on its portable kernels, the stand-in movie DLLs loaded through the real
// holders and published, and writers of "TMOV" movies as plain files and archive entries.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/movie/movie_dll.h"
#include "framework/movie/movie_open.h"
#include "graphics/compose/math_tables.h"
#include "tests/framework/plugin_test_files.h"
#include "tests/framework/vfs_test_fixture.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/movie_stand_ins.h"
#include "tests/support/tmov_writer.h"

namespace movietest {

class MovieTestBase : public VfsTestBase {
protected:
    void SetUp() override {
        g_mathTables = &m_tables;
        m_pixels = std::make_unique<testsupport::PixelConfigScope>(testsupport::PixelConfig::LibraryPortable);
        ASSERT_TRUE(m_pixels->Ready()) << "qmxgl.dll did not load";
        VfsTestBase::SetUp();
        PublishedMoviePlugins() = MoviePlugins();
        PublishedMoviePlugins().fileSystem = &m_vfs;
    }
    void TearDown() override {
        PublishedMoviePlugins() = MoviePlugins();
        g_movieOpenStepProbe = nullptr;
        VfsTestBase::TearDown();
        m_pixels.reset();
        g_mathTables = nullptr;
    }

    // Loads the sprite or primitive DLL into the fixture's holder and publishes it.
    void PublishSpriteDll() {
        ASSERT_TRUE(m_dll.LoadSpriteCtrlDll(plugintest::BinaryFile("DS_SPRITE.DLL").c_str()));
        PublishedMoviePlugins().sprite = &m_dll;
        testsupport::MovieStandIn("DS_SPRITE.DLL").ClearLog();
    }
    void PublishPrimDll() {
        ASSERT_TRUE(m_dll.LoadPrimCtrlDll(plugintest::BinaryFile("DS_PRIM.DLL").c_str()));
        PublishedMoviePlugins().prim = &m_dll;
        testsupport::MovieStandIn("DS_PRIM.DLL").ClearLog();
    }

    // Writes a movie as a plain file of the game folder.
    void WriteMovie(const std::string& name, const testsupport::TmovMovie& movie) {
        ASSERT_TRUE(testsupport::WriteFile(Game(name), testsupport::MakeTmov(movie)));
    }
    // Writes and mounts DATA.QPK with the movie under each name (compressed when asked).
    void MountMovies(const std::vector<std::string>& names, const testsupport::TmovMovie& movie,
                     bool compress = false) {
        testsupport::QpkWriter archive;
        for (const std::string& name : names)
            archive.Add(name, testsupport::MakeTmov(movie), testsupport::QpkEntryOptions{compress});
        ASSERT_TRUE(archive.Write(Game("DATA.QPK")));
        ASSERT_EQ(0, m_vfs.MountArchive("DATA.QPK", 0, false, true, nullptr));
    }

    MathTables m_tables;
    std::unique_ptr<testsupport::PixelConfigScope> m_pixels;
    MovieDll m_dll;
};

}  // namespace movietest
