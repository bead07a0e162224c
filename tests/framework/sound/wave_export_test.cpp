#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "framework/files/file_stream.h"
#include "framework/interfaces/deleting_destructor.h"
#include "framework/sound/ogg_vorbis_dll.h"
#include "framework/sound/wave_export.h"
#include "tests/framework/sound/sound_test_fixture.h"

namespace {

using testsupport::TsndSound;

std::uint32_t WordAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t HalfAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// A file stream whose writes stop after `room` bytes, as on a full disk.
class FullDiskStream final : public WithDeletingDestructor<FullDiskStream, FileStreamBase> {
public:
    explicit FullDiskStream(std::uint32_t room) : m_room(room) {}
    void* XM_METHOD Data() override { return nullptr; }
    const char* XM_METHOD FileName() override { return ""; }
    std::uint32_t XM_METHOD Size() override { return m_position; }
    void XM_METHOD Release() override {}
    void XM_METHOD Close() override {}
    std::int32_t XM_METHOD LoadFile(const char*) override { return 3; }
    std::int32_t XM_METHOD LoadFromMount(std::int32_t, std::int32_t, const char*) override { return 3; }
    std::int32_t XM_METHOD OpenStream(const char*) override { return 3; }
    std::int32_t XM_METHOD Tell() override { return static_cast<std::int32_t>(m_position); }
    bool XM_METHOD IsEof() override { return false; }
    std::int32_t XM_METHOD SeekSet(std::int32_t distance) override {
        m_position = static_cast<std::uint32_t>(distance);
        return 0;
    }
    std::int32_t XM_METHOD SeekCur(std::int32_t) override { return 6; }
    std::int32_t XM_METHOD SeekEnd(std::int32_t) override { return 6; }
    std::uint32_t XM_METHOD Read(void*, std::uint32_t) override { return 0; }
    void* XM_METHOD Detach() override { return nullptr; }
    std::uint32_t XM_METHOD ReadLine(char*, std::uint32_t) override { return 0; }
    std::int32_t XM_METHOD Create(const char*, bool) override { return 3; }
    std::int32_t XM_METHOD OpenReadWrite(const char*) override { return 3; }
    std::uint32_t XM_METHOD Write(const void*, std::uint32_t count) override {
        const std::uint32_t room = m_position < m_room ? m_room - m_position : 0;
        const std::uint32_t written = count < room ? count : room;
        m_position += written;
        return written;
    }
    std::uint32_t XM_CDECL Printf(const char*, ...) override { return 0; }
    std::int32_t XM_METHOD MakeTempCopy(const char*) override { return 3; }

private:
    std::uint32_t m_room;
    std::uint32_t m_position = 0;
};

// A decoder that gives one piece of a second of sound and runs out of memory on the next read,
// and the built-in decode object that makes it for any data.
class FailingDecoder final : public WithDeletingDestructor<FailingDecoder, SoundDecoder> {
public:
    explicit FailingDecoder(FileStreamBase* stream) : m_stream(stream) {
        m_format.wFormatTag = WAVE_FORMAT_PCM;
        m_format.nChannels = 1;
        m_format.nSamplesPerSec = 22050;
        m_format.nAvgBytesPerSec = 44100;
        m_format.nBlockAlign = 2;
        m_format.wBitsPerSample = 16;
    }
    ~FailingDecoder() { ReleaseObject(m_stream); }
    std::uint32_t XM_METHOD Length() override { return 1000; }
    std::uint32_t XM_METHOD DataSize() override { return 44100; }
    std::int32_t XM_METHOD Seek(std::uint32_t) override { return kSoundSeekFailed; }
    std::int64_t XM_METHOD Tell() override { return 0; }
    std::uint8_t XM_METHOD IsAtEnd() override { return 0; }
    std::uint32_t XM_METHOD Read(void* buffer, std::uint32_t count) override {
        if (m_reads++ > 0) throw std::bad_alloc();
        std::memset(buffer, 0x11, count);
        return count;
    }
    const WAVEFORMATEX* XM_METHOD Format() override { return &m_format; }

private:
    FileStreamBase* m_stream;
    WAVEFORMATEX m_format = {};
    int m_reads = 0;
};

class FailingDecodeObject final
    : public WithDeletingDestructor<FailingDecodeObject, SoundDecodeObject> {
public:
    SoundDecoder* XM_METHOD Open(FileStreamBase* stream, std::int32_t* outCode) override {
        if (outCode) *outCode = 0;
        return new FailingDecoder(stream);
    }
};

class WaveExportTest : public SoundTestBase {
protected:
    void SetUp() override {
        SoundTestBase::SetUp();
        LoadTsndPlugin();
    }
};

TEST_F(WaveExportTest, OneSecondOfMonoTsndIsA44146ByteFile) {
    TsndSound sound;
    WriteTsnd("one.tsn", sound);
    ASSERT_EQ(kWaveExportOk, ExportSoundAsWave("one.tsn", Game("one.wav").c_str(), nullptr));
    const std::vector<std::uint8_t> wave = testsupport::ReadFile(Game("one.wav"));
    ASSERT_EQ(44146u, wave.size());
    EXPECT_EQ(0, std::memcmp(wave.data(), "RIFF", 4));
    EXPECT_EQ(44138u, WordAt(wave, 4));
    EXPECT_EQ(0, std::memcmp(wave.data() + 8, "WAVEfmt ", 8));
    EXPECT_EQ(18u, WordAt(wave, 16));
    EXPECT_EQ(WAVE_FORMAT_PCM, HalfAt(wave, 20));
    EXPECT_EQ(1, HalfAt(wave, 22));
    EXPECT_EQ(22050u, WordAt(wave, 24));
    EXPECT_EQ(44100u, WordAt(wave, 28));
    EXPECT_EQ(2, HalfAt(wave, 32));
    EXPECT_EQ(16, HalfAt(wave, 34));
    EXPECT_EQ(0, HalfAt(wave, 36));
    EXPECT_EQ(0, std::memcmp(wave.data() + 38, "data", 4));
    EXPECT_EQ(44100u, WordAt(wave, 42));
    EXPECT_EQ(testsupport::TsndPcm(sound), std::vector<std::uint8_t>(wave.begin() + 46, wave.end()));
}

TEST_F(WaveExportTest, FailuresReportTheirCodes) {
    WriteTsnd("one.tsn", TsndSound{});
    ASSERT_TRUE(testsupport::WriteFile(Game("junk.tsn"), std::string("junk")));
    const struct {
        const char* what;
        const char* source;
        std::string destination;
        bool host;
        std::int32_t code;
    } cases[] = {
        {"no source", nullptr, Game("x.wav"), true, kWaveExportBadArgument},
        {"no destination", "one.tsn", "", true, kWaveExportBadArgument},
        {"no host", "one.tsn", Game("x.wav"), false, kWaveExportBadArgument},
        {"no decoder", "junk.tsn", Game("x.wav"), true, kWaveExportNoDecoder},
        {"missing source", "none.tsn", Game("x.wav"), true, kWaveExportNoDecoder},
        {"no such folder", "one.tsn", Game("absent\\x.wav"), true, kWaveExportCannotCreate},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.host) g_soundDecoderHost = nullptr;
        EXPECT_EQ(c.code, ExportSoundAsWave(c.source, c.destination.empty() ? nullptr : c.destination.c_str(),
                                            nullptr));
        g_soundDecoderHost = &m_host;
    }
    EXPECT_FALSE(testsupport::FileExists(Game("x.wav")));
}

TEST_F(WaveExportTest, AWriteThatFailsIsReportedNotPassedForSuccess) {
    WriteTsnd("one.tsn", TsndSound{});
    for (std::uint32_t room : {0u, 20u, 46u, 40000u, 44145u}) {
        SCOPED_TRACE(room);
        SoundDecoderPtr decoder(m_host.OpenDecoder("one.tsn", nullptr, true, nullptr));
        ASSERT_TRUE(decoder);
        FullDiskStream out(room);
        EXPECT_EQ(kWaveExportFailed, WriteSoundAsWave(*decoder, out));
    }
    SoundDecoderPtr decoder(m_host.OpenDecoder("one.tsn", nullptr, true, nullptr));
    FullDiskStream roomy(44146);
    EXPECT_EQ(kWaveExportOk, WriteSoundAsWave(*decoder, roomy));
}

TEST_F(WaveExportTest, AnExportThatFailsPartWayLeavesNoDestination) {
    ASSERT_EQ(0, m_host.RegisterBuiltin(new FailingDecodeObject, "BAD\0", "failing", 9, nullptr,
                                        nullptr, nullptr));
    ASSERT_TRUE(testsupport::WriteFile(Game("part.bad"), std::string("any data")));
    // An older export in its place goes too: what is left must never pass for the sound.
    ASSERT_TRUE(testsupport::WriteFile(Game("part.wav"), std::string("an older export")));
    EXPECT_EQ(kWaveExportFailed, ExportSoundAsWave("part.bad", Game("part.wav").c_str(), nullptr));
    EXPECT_FALSE(testsupport::FileExists(Game("part.wav")));
    // The same export with room and a whole sound stays.
    WriteTsnd("whole.tsn", TsndSound{});
    EXPECT_EQ(kWaveExportOk, ExportSoundAsWave("whole.tsn", Game("part.wav").c_str(), nullptr));
    EXPECT_EQ(44146u, testsupport::ReadFile(Game("part.wav")).size());
}

// Writes the WAV files that sox reads back (check_wave_readback.sh): into the folder
// SORAHANE_WAVE_EXPORT names, else a temporary one, where their sizes are checked.
class WaveExportReadback : public WaveExportTest {};

TEST_F(WaveExportReadback, ExportForSox) {
    ASSERT_EQ(0, m_host.RegisterBuiltin(new OggVorbisDll(KqVorbisPath().c_str()),
                                        OggVorbisDll::kExtensions, OggVorbisDll::kTypeString, 2,
                                        nullptr, nullptr, nullptr));
    testsupport::TempFolder temp;
    const char* exportFolder = std::getenv("SORAHANE_WAVE_EXPORT");
    const std::string folder = exportFolder ? std::string(exportFolder) + "\\" : temp.Path();
    TsndSound stereo;
    stereo.channels = 2;
    stereo.rate = 44100;
    stereo.frames = 11025;
    stereo.tag = 7;
    WriteTsnd("mono.tsn", TsndSound{});
    WriteTsnd("stereo.tsn", stereo);
    const struct {
        std::string source;
        const char* target;
        std::uint32_t size;
    } exports[] = {
        {"mono.tsn", "tsnd_mono.wav", 46 + 44100},
        {"stereo.tsn", "tsnd_stereo.wav", 46 + 44100},
        {Sample("mono22050.ogg"), "ogg_mono.wav", 46 + 44100},
        {Sample("stereo44100.ogg"), "ogg_stereo.wav", 46 + 176400},
    };
    for (const auto& e : exports) {
        SCOPED_TRACE(e.target);
        const std::string target = folder + e.target;
        EXPECT_EQ(kWaveExportOk, ExportSoundAsWave(e.source.c_str(), target.c_str(), nullptr));
        EXPECT_EQ(e.size, testsupport::ReadFile(target).size());
    }
}

}  // namespace
