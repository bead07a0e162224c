#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "framework/files/file_stream.h"
#include "framework/interfaces/deleting_destructor.h"
#include "tests/framework/sound/sound_test_fixture.h"
#include "tools/content/qpk_writer.h"

namespace {

using testsupport::TsndSound;

int OpenCallsIn(const char* fileName) {
    HMODULE module = GetModuleHandleA(fileName);
    if (!module) return -1;
    auto calls = reinterpret_cast<int (*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "TestOpenCalls")));
    return calls ? calls() : -1;
}

// A built-in decode object that refuses everything and remembers what it was given; or throws.
class ProbeDecodeObject final : public WithDeletingDestructor<ProbeDecodeObject, SoundDecodeObject> {
public:
    explicit ProbeDecodeObject(bool throws = false) : m_throws(throws) {}
    SoundDecoder* XM_METHOD Open(FileStreamBase* stream, std::int32_t* outCode) override {
        ++calls;
        sawLoadedStream = stream && stream->Data() != nullptr;
        sawStreamAt = stream ? stream->Tell() : -2;
        if (m_throws) throw std::runtime_error("decoder failure");
        if (outCode) *outCode = 1;
        return nullptr;
    }
    int calls = 0;
    bool sawLoadedStream = false;
    std::int32_t sawStreamAt = -2;

private:
    bool m_throws;
};

class SoundDecoderHostTest : public SoundTestBase {};

TEST_F(SoundDecoderHostTest, LoadPluginReportsEachFailureAndKeepsNothingLoaded) {
    const struct {
        const char* what;
        std::string path;
        std::int32_t code;
        const char* module;
    } cases[] = {
        {"a path too long to resolve", std::string(300, 'x') + ".SLL", 1, nullptr},
        {"a DLL that is not there", plugintest::BinaryFile("missing.SLL"), 2, nullptr},
        {"lacking SllAssistFunc2", plugintest::BinaryFile("test_sound_no_assist2.SLL"), 3,
         "test_sound_no_assist2.SLL"},
        {"a null decode object", plugintest::BinaryFile("test_sound_null_object.SLL"), 4,
         "test_sound_null_object.SLL"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.code, m_host.LoadPlugin(c.path.c_str()));
        if (c.module) {
            EXPECT_FALSE(plugintest::IsModuleLoaded(c.module));
        }
    }
    EXPECT_TRUE(m_host.Records().empty());
}

TEST_F(SoundDecoderHostTest, PluginWithoutConfigDialogLoadsAndKeepsItsExports) {
    ASSERT_EQ(0, m_host.LoadPlugin(plugintest::BinaryFile("test_sound_no_config.SLL").c_str()));
    ASSERT_EQ(0, m_host.LoadPlugin(plugintest::BinaryFile("test_sound_second.SLL").c_str()));
    ASSERT_EQ(2u, m_host.Records().size());
    const SllDecoderRecord& record = m_host.Records()[0];
    EXPECT_EQ(100, record.type);
    EXPECT_STREQ("TSND test format", record.typeString);
    EXPECT_EQ(nullptr, record.configDlg);
    EXPECT_NE(nullptr, m_host.Records()[1].configDlg);
    const std::int32_t words[] = {5, 0};
    ASSERT_NE(nullptr, m_host.FindAssistFunc2(101));
    EXPECT_EQ(106, m_host.FindAssistFunc2(101)(words));
    EXPECT_EQ(nullptr, m_host.FindAssistFunc2(7));
    EXPECT_EQ(record.decodeObject, m_host.FindByType(100));

    m_host.UnloadByType(100);
    EXPECT_FALSE(plugintest::IsModuleLoaded("test_sound_no_config.SLL"));
    EXPECT_TRUE(plugintest::IsModuleLoaded("test_sound_second.SLL"));
    m_host.UnloadAll();
    EXPECT_FALSE(plugintest::IsModuleLoaded("test_sound_second.SLL"));
}

TEST_F(SoundDecoderHostTest, ScanFolderCountsTheFilesThatFail) {
    testsupport::TempFolder folder;
    EXPECT_EQ(0, m_host.ScanFolder(folder.Path().c_str()));
    ASSERT_TRUE(plugintest::CopyPlugin("test_sound.SLL", folder.File("a.SLL")));
    ASSERT_TRUE(plugintest::CopyPlugin("test_sound_no_assist2.SLL", folder.File("b.SLL")));
    ASSERT_TRUE(testsupport::WriteFile(folder.File("c.SLL"), std::string("not a DLL")));
    EXPECT_EQ(2, m_host.ScanFolder(folder.Path().c_str()));
    EXPECT_EQ(1u, m_host.Records().size());
    EXPECT_EQ(-1, m_host.ScanFolder(std::string(300, 'y').c_str()));
    m_host.UnloadAll();
}

TEST_F(SoundDecoderHostTest, FindByExtensionComparesUpperCaseAndBoundsTheExtension) {
    LoadTsndPlugin();
    SoundDecodeObject* tsnd = m_host.Records()[0].decodeObject;
    // The longest extension that fits the 256 bytes it is compared in; a longer one that starts
    // with it matches nothing, where a cut copy would match.
    const std::string longest(255, 'L');
    const std::string list = longest + std::string(2, '\0');
    ProbeDecodeObject* probe = new ProbeDecodeObject;
    ASSERT_EQ(0, m_host.RegisterBuiltin(probe, list.c_str(), "probe", 9, nullptr, nullptr, nullptr));
    const struct {
        std::string name;
        SoundDecodeObject* found;
    } cases[] = {
        {"voice.tsn", tsnd},
        {"VOICE.TsN", tsnd},
        {"se\\a.b.tsn", tsnd},
        {"noextension", nullptr},
        {"music.ogg", nullptr},
        {"dir.tsn\\file", nullptr},
        {"a." + longest, probe},
        {"a." + std::string(255, 'l'), probe},
        {"a." + longest + "L", nullptr},
        {"a." + longest + "X", nullptr},
        {"a." + longest + std::string(2, 'L'), nullptr},
        {"a." + std::string(255, 'T'), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 40));
        EXPECT_EQ(c.found, m_host.FindByExtension(c.name.c_str()));
    }
}

TEST_F(SoundDecoderHostTest, OpensThroughTheExtensionsDecoderFirstThenEveryOtherOnce) {
    ProbeDecodeObject* first = new ProbeDecodeObject;
    ASSERT_EQ(0, m_host.RegisterBuiltin(first, "XYZ\0", "probe", 9, nullptr, nullptr, nullptr));
    ASSERT_EQ(0, m_host.LoadPlugin(plugintest::BinaryFile("test_sound_refuse.SLL").c_str()));
    LoadTsndPlugin();
    const int refusedBefore = OpenCallsIn("test_sound_refuse.SLL");
    const int tsndBefore = OpenCallsIn("test_sound.SLL");
    WriteTsnd("a.tsn", TsndSound{});

    std::int32_t code = -1;
    SoundDecoderPtr decoder(m_host.OpenDecoder("a.tsn", nullptr, true, &code));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(0, code);
    // The refusing plug-in lists the extension first; the probe, first registered, comes next.
    EXPECT_EQ(refusedBefore + 1, OpenCallsIn("test_sound_refuse.SLL"));
    EXPECT_EQ(1, first->calls);
    EXPECT_EQ(tsndBefore + 1, OpenCallsIn("test_sound.SLL"));
    EXPECT_EQ(0, first->sawStreamAt);
    EXPECT_EQ(TsndSound{}.DataSize(), decoder->DataSize());
}

TEST_F(SoundDecoderHostTest, TwoDecodersOfOneExtensionAreAskedInRegistrationOrder) {
    ASSERT_EQ(0, m_host.LoadPlugin(plugintest::BinaryFile("test_sound_second.SLL").c_str()));
    LoadTsndPlugin();
    const int secondBefore = OpenCallsIn("test_sound_second.SLL");
    const int tsndBefore = OpenCallsIn("test_sound.SLL");
    WriteTsnd("a.tsn", TsndSound{});
    SoundDecoderPtr decoder(m_host.OpenDecoder("a.tsn", nullptr, true, nullptr));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(secondBefore + 1, OpenCallsIn("test_sound_second.SLL"));
    EXPECT_EQ(tsndBefore, OpenCallsIn("test_sound.SLL"));
}

TEST_F(SoundDecoderHostTest, FailuresReportTheirCodes) {
    ProbeDecodeObject* probe = new ProbeDecodeObject;
    ASSERT_EQ(0, m_host.RegisterBuiltin(probe, "TSN\0", "probe", 9, nullptr, nullptr, nullptr));
    WriteTsnd("a.tsn", TsndSound{});
    std::int32_t code = -1;
    EXPECT_EQ(nullptr, m_host.OpenDecoder("missing.tsn", nullptr, true, &code));
    EXPECT_EQ(kSllCannotOpen, code);
    EXPECT_EQ(0, probe->calls);
    EXPECT_EQ(nullptr, m_host.OpenDecoder("a.tsn", nullptr, true, &code));
    EXPECT_EQ(kSllNoDecoder, code);
    EXPECT_EQ(1, probe->calls);

    // A built-in decode object that throws ends the search; the exception stays in the host.
    ASSERT_EQ(0, m_host.RegisterBuiltin(new ProbeDecodeObject(true), "TSN\0", "thrower", 10,
                                        nullptr, nullptr, nullptr));
    EXPECT_EQ(nullptr, m_host.OpenDecoder("a.tsn", nullptr, true, &code));
    EXPECT_EQ(kSllFailed, code);

    EXPECT_EQ(1, m_host.RegisterBuiltin(nullptr, "TSN\0", "none", 11, nullptr, nullptr, nullptr));
}

TEST_F(SoundDecoderHostTest, WholeFileFlagLoadsEvenWhenStreamingIsAsked) {
    ProbeDecodeObject* probe = new ProbeDecodeObject;
    ASSERT_EQ(0, m_host.RegisterBuiltin(probe, "TSN\0", "probe", 9, nullptr, nullptr, nullptr));
    WriteTsnd("a.tsn", TsndSound{});
    m_host.OpenDecoder("a.tsn", nullptr, true, nullptr);
    EXPECT_FALSE(probe->sawLoadedStream);
    m_host.OpenDecoder("a.tsn", nullptr, false, nullptr);
    EXPECT_TRUE(probe->sawLoadedStream);
    m_host.SetWholeFile(true);
    m_host.OpenDecoder("a.tsn", nullptr, true, nullptr);
    EXPECT_TRUE(probe->sawLoadedStream);
}

TEST_F(SoundDecoderHostTest, ArchiveEntriesStreamWhenStoredAndLoadWholeWhenCompressed) {
    ProbeDecodeObject* probe = new ProbeDecodeObject;
    ASSERT_EQ(0, m_host.RegisterBuiltin(probe, "TSN\0", "probe", 9, nullptr, nullptr, nullptr));
    LoadTsndPlugin();
    TsndSound stored;
    stored.tag = 3;
    TsndSound packed;
    packed.tag = 4;
    // 8-bit samples repeat every 256 bytes, so the entry is stored as LZSS data.
    packed.bits = 8;
    packed.frames = 4000;
    testsupport::QpkWriter writer;
    writer.Add("voice\\stored.tsn", testsupport::MakeTsnd(stored));
    writer.Add("voice\\packed.tsn", testsupport::MakeTsnd(packed), testsupport::QpkEntryOptions{true});
    writer.Write(Game("SCRIPT.QPK"));
    ASSERT_EQ(0, m_vfs.MountArchive("SCRIPT.QPK", 0, false, true, nullptr));

    SoundDecoderPtr streamed(m_host.OpenDecoder("voice\\stored.tsn", nullptr, true, nullptr));
    ASSERT_TRUE(streamed);
    EXPECT_FALSE(probe->sawLoadedStream);
    EXPECT_EQ(testsupport::TsndPcm(stored), ReadAll(*streamed));

    SoundDecoderPtr loaded(m_host.OpenDecoder("voice\\packed.tsn", nullptr, true, nullptr));
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(probe->sawLoadedStream);
    EXPECT_EQ(testsupport::TsndPcm(packed), ReadAll(*loaded));

    std::int32_t code = -1;
    EXPECT_EQ(nullptr, m_host.OpenDecoder("voice\\absent.tsn", nullptr, true, &code));
    EXPECT_EQ(kSllCannotOpen, code);
}

TEST_F(SoundDecoderHostTest, ACallersStreamIsHeldByTheDecoderAndNeverDeletedOnFailure) {
    LoadTsndPlugin();
    WriteTsnd("a.tsn", TsndSound{});
    ASSERT_TRUE(testsupport::WriteFile(Game("junk.tsn"), std::string("junk data")));
    FileStream* stream = new FileStream;
    ASSERT_EQ(0, stream->LoadFile("junk.tsn"));
    std::int32_t code = -1;
    EXPECT_EQ(nullptr, m_host.OpenDecoder(nullptr, stream, true, &code));
    EXPECT_EQ(kSllNoDecoder, code);
    EXPECT_EQ(0, stream->Tell());

    ASSERT_EQ(0, stream->OpenStream("a.tsn"));
    stream->AddHolder();
    SoundDecoder* decoder = m_host.OpenDecoder(nullptr, stream, true, &code);
    ASSERT_NE(nullptr, decoder);
    decoder->DeletingDestructor(xm::kDeleteMemory);
    EXPECT_EQ(0, stream->ExtraHolders());
    EXPECT_EQ(TsndSound{}.DataSize() + tsnd::kHeaderSize, stream->Size());
    ReleaseObject(stream);
}

TEST_F(SoundDecoderHostTest, DamagedTsndFilesAreRefusedOrDecodeConsistently) {
    LoadTsndPlugin();
    TsndSound sound;
    sound.frames = 300;
    const std::vector<std::uint8_t> good = testsupport::MakeTsnd(sound);
    std::uint32_t seed = 1234567;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> damaged = good;
        const int flips = 1 + next() % 4;
        for (int i = 0; i < flips; ++i) damaged[next() % 24] ^= static_cast<std::uint8_t>(1 + next() % 255);
        if (round % 5 == 0) damaged.resize(next() % damaged.size());
        ASSERT_TRUE(testsupport::WriteFile(Game("d.tsn"), damaged));
        SoundDecoderPtr decoder(m_host.OpenDecoder("d.tsn", nullptr, true, nullptr));
        if (!decoder) continue;
        const std::vector<std::uint8_t> pcm = ReadAll(*decoder, 1000);
        EXPECT_EQ(decoder->DataSize(), pcm.size()) << "round " << round;
        EXPECT_EQ(0u, pcm.size() % decoder->Format()->nBlockAlign);
    }
}

// Unloading takes the records out at once, but a decoder still in use keeps reading: its decode
// object and library go with the last decoder (a streaming buffer's refill may be mid-read).
TEST_F(SoundDecoderHostTest, UnloadedDecodersReadOnUntilTheyAreDeleted) {
    LoadTsndPlugin();
    RegisterOgg();
    TsndSound sound;
    sound.frames = 4000;
    WriteTsnd("a.tsn", sound);
    const std::vector<std::uint8_t> whole = testsupport::TsndPcm(sound);
    SoundDecoderPtr tsnd(m_host.OpenDecoder("a.tsn", nullptr, true, nullptr));
    SoundDecoderPtr ogg(m_host.OpenDecoder(Sample("mono22050.ogg").c_str(), nullptr, true, nullptr));
    ASSERT_TRUE(tsnd);
    ASSERT_TRUE(ogg);
    std::vector<std::uint8_t> read(1000);
    ASSERT_EQ(1000u, tsnd->Read(read.data(), 1000));
    std::vector<std::uint8_t> oggFirst(1000);
    ASSERT_EQ(1000u, ogg->Read(oggFirst.data(), 1000));

    m_host.UnloadByType(100);
    m_host.UnloadByType(OggVorbisDll::kType);
    EXPECT_TRUE(m_host.Records().empty());
    EXPECT_EQ(nullptr, m_host.FindAssistFunc2(100));
    EXPECT_EQ(nullptr, m_host.OpenDecoder("a.tsn", nullptr, true, nullptr));
    EXPECT_TRUE(plugintest::IsModuleLoaded("test_sound.SLL"));
    EXPECT_TRUE(plugintest::IsModuleLoaded("kqvorbis.dll"));

    // No gap: the rest follows on.
    std::vector<std::uint8_t> rest = ReadAll(*tsnd);
    read.insert(read.end(), rest.begin(), rest.end());
    EXPECT_EQ(whole, read);
    std::vector<std::uint8_t> oggRest = ReadAll(*ogg);
    oggFirst.insert(oggFirst.end(), oggRest.begin(), oggRest.end());
    RegisterOgg();
    EXPECT_EQ(DecodeAll(Sample("mono22050.ogg")), oggFirst);
    m_host.UnloadAll();

    tsnd.reset();
    EXPECT_FALSE(plugintest::IsModuleLoaded("test_sound.SLL"));
    ogg.reset();
}

}  // namespace
