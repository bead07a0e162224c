#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/framework/plugin_test_files.h"
#include "tests/support/test_archive_writer.h"
#include "tests/framework/vfs_test_fixture.h"

namespace {

const char kPlugin[] = "test_archive.ADL";

int CallPluginCounter(const char* module, const char* name) {
    HMODULE handle = GetModuleHandleA(module);
    auto counter = handle ? reinterpret_cast<int (*)()>(reinterpret_cast<void (*)()>(
                                GetProcAddress(handle, name)))
                          : nullptr;
    return counter ? counter() : -1;
}

class AdlHostTest : public VfsTestBase {
protected:
    void TearDown() override {
        VfsTestBase::TearDown();
        EXPECT_FALSE(plugintest::IsModuleLoaded(kPlugin));
    }

    bool WriteArchive(const std::string& path, const std::vector<testsupport::TestArchiveEntry>& entries) {
        return testsupport::WriteFile(path, testsupport::BuildTestArchive(entries));
    }
};

TEST_F(AdlHostTest, ScanLoadsTheGoodPluginsAndCountsTheOthers) {
    testsupport::TempFolder plugins;
    for (const char* name : {"test_archive.ADL", "test_archive_no_assist2.ADL"}) {
        ASSERT_TRUE(plugintest::CopyPlugin(name, plugins.File(name)));
    }
    ASSERT_TRUE(plugintest::CopyPlugin(kPlugin, plugins.File("second.ADL")));
    EXPECT_EQ(1, m_vfs.ScanAdlFolder(plugins.Path().c_str()));
    const std::vector<ArchiveFormatRecord> formats = m_vfs.Formats();
    ASSERT_EQ(3u, formats.size());  // QPK, then the two good plug-ins
    EXPECT_EQ(77, formats[1].type);
    EXPECT_STREQ("Test archive", formats[1].typeString);
    EXPECT_NE(nullptr, formats[1].library);
    EXPECT_EQ(nullptr, formats[1].configDlg);
    AdlAssistFunc2 assist2 = m_vfs.FindAdlAssistFunc2(77);
    ASSERT_NE(nullptr, assist2);
    EXPECT_EQ(42, assist2(nullptr));
    EXPECT_EQ(nullptr, m_vfs.FindAdlAssistFunc2(78));
    m_vfs.UnloadAdlByType(77);
    ASSERT_EQ(1u, m_vfs.Formats().size());
    EXPECT_FALSE(plugintest::IsModuleLoaded("second.ADL"));
    EXPECT_EQ(-1, m_vfs.ScanAdlFolder(std::string(300, 'p').c_str()));
}

struct PluginFailure {
    const char* name;
    std::string path;
    std::int32_t code;
};

TEST_F(AdlHostTest, LoadFailuresLeaveNoFormat) {
    const PluginFailure failures[] = {
        {"path too long", std::string(300, 'a') + ".ADL", 1},
        {"no such file", plugintest::BinaryFile("missing.ADL"), 2},
        {"AdlAssistFunc2 missing", plugintest::BinaryFile("test_archive_no_assist2.ADL"), 3},
        {"null decode object", plugintest::BinaryFile("test_archive_null_decoder.ADL"), 4},
    };
    for (const PluginFailure& failure : failures) {
        SCOPED_TRACE(failure.name);
        EXPECT_EQ(failure.code, m_vfs.LoadAdlPlugin(failure.path.c_str()));
        EXPECT_EQ(1u, m_vfs.Formats().size());
    }
    EXPECT_FALSE(plugintest::IsModuleLoaded("test_archive_no_assist2.ADL"));
    EXPECT_FALSE(plugintest::IsModuleLoaded("test_archive_null_decoder.ADL"));
}

TEST_F(AdlHostTest, PluginArchivesMountByExtensionOrByTryingEveryFormat) {
    ASSERT_EQ(0, m_vfs.LoadAdlPlugin(plugintest::BinaryFile(kPlugin).c_str()));
    ASSERT_TRUE(WriteArchive(Game("MAIN.TAD"), {{"script\\main.txt", "main script"},
                                                 {"packed.txt", "packed text", true}}));
    // No extension the formats know: QPK reads the header first and refuses, and the plug-in
    // must still see the archive from its start.
    ASSERT_TRUE(WriteArchive(Game("EXTRA.DAT"), {{"extra.txt", "extra text"}}));
    ASSERT_EQ(0, m_vfs.MountArchive("main.tad", 1, false, true, nullptr));
    ASSERT_EQ(0, m_vfs.MountArchive("EXTRA.DAT", 2, false, true, nullptr));

    EXPECT_EQ("main script", Stream("SCRIPT/MAIN.TXT"));
    EXPECT_EQ("<code 3>", Stream("packed.txt", false));
    EXPECT_EQ("packed text", Stream("packed.txt", true));
    EXPECT_EQ("packed text", Load("packed.txt"));
    EXPECT_EQ("extra text", Load("extra.txt"));
    EXPECT_EQ(2, CallPluginCounter(kPlugin, "TestLiveObjects"));

    // Unloading the format takes its archives out first.
    m_vfs.UnloadAdlByType(77);
    EXPECT_EQ(0, m_vfs.MountCount());
    EXPECT_EQ("<code 3>", Load("extra.txt"));
}

TEST_F(AdlHostTest, StreamsOfAPluginArchiveOutliveItsFormat) {
    ASSERT_EQ(0, m_vfs.LoadAdlPlugin(plugintest::BinaryFile(kPlugin).c_str()));
    ASSERT_TRUE(WriteArchive(Game("MAIN.TAD"), {{"voice.ogg", "voice data"}}));
    ASSERT_EQ(0, m_vfs.MountArchive("MAIN.TAD", 1, false, true, nullptr));
    std::int32_t code = -1;
    ByteStream* stream = m_vfs.OpenFile("voice.ogg", nullptr, &code, false);
    ASSERT_NE(nullptr, stream);

    m_vfs.UnloadAllAdl();
    EXPECT_EQ(0, m_vfs.MountCount());
    ASSERT_TRUE(plugintest::IsModuleLoaded(kPlugin));
    char text[16] = "";
    EXPECT_EQ(10u, stream->Read(text, sizeof text));
    EXPECT_EQ("voice data", std::string(text, 10));
    ReleaseObject(stream);
    EXPECT_FALSE(plugintest::IsModuleLoaded(kPlugin));
}

// The preload thread and the game thread load at once while scripts mount and unmount: the
// plug-in's archives read through one shared file handle and are not safe for that themselves.
TEST_F(AdlHostTest, TwoThreadsLoadWhileAThirdMountsAndUnmounts) {
    ASSERT_EQ(0, m_vfs.LoadAdlPlugin(plugintest::BinaryFile(kPlugin).c_str()));
    std::vector<testsupport::TestArchiveEntry> entries;
    for (int i = 0; i < 8; ++i) {
        entries.push_back({"f" + std::to_string(i), std::string(200 + i, static_cast<char>('a' + i)),
                           i % 2 == 1});
    }
    ASSERT_TRUE(WriteArchive(Game("DATA.TAD"), entries));
    ASSERT_TRUE(WriteArchive(Game("sub\\OTHER.TAD"), {{"o", "other"}}));
    ASSERT_EQ(0, m_vfs.MountArchive("DATA.TAD", 1, false, true, nullptr));

    std::atomic<int> wrong{0};
    std::atomic<bool> stop{false};
    auto loader = [&](int first) {
        for (int round = 0; round < 20; ++round) {
            for (int k = 0; k < 8; ++k) {
                const testsupport::TestArchiveEntry& entry = entries[(first + k) % 8];
                const std::string loaded = (k % 2 == 0) ? Load(entry.name.c_str())
                                                        : Stream(entry.name.c_str(), true);
                if (loaded != entry.content) ++wrong;
            }
        }
    };
    std::thread mounter([&] {
        while (!stop) {
            if (m_vfs.MountArchive("sub\\OTHER.TAD", 9, false, false, nullptr) != 0) ++wrong;
            if (Load("sub\\o") != "other") ++wrong;
            m_vfs.RemoveMount(nullptr, 9, 0);
        }
    });
    std::thread first(loader, 0);
    std::thread second(loader, 3);
    first.join();
    second.join();
    stop = true;
    mounter.join();
    EXPECT_EQ(0, wrong.load());
    EXPECT_EQ(0, CallPluginCounter(kPlugin, "TestOverlaps"));
    EXPECT_EQ(1, m_vfs.MountCount());
}

}  // namespace
