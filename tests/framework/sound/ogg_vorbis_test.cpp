#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <float.h>
#include <memory>
#include <vector>

#include "framework/files/file_stream.h"
#include "framework/sound/ogg_vorbis_dll.h"
#include "tests/framework/sound/sound_test_fixture.h"

namespace {

// Sign changes of one channel of interleaved 16-bit PCM.
int ZeroCrossings(const std::vector<std::uint8_t>& pcm, int channels, int channel) {
    int crossings = 0;
    bool wasNegative = false;
    const std::size_t frames = pcm.size() / 2 / channels;
    for (std::size_t i = 0; i < frames; ++i) {
        std::int16_t sample;
        std::memcpy(&sample, &pcm[(i * channels + channel) * 2], 2);
        const bool negative = sample < 0;
        if (i > 0 && negative != wasNegative) ++crossings;
        wasNegative = negative;
    }
    return crossings;
}

class OggVorbisTest : public SoundTestBase {
protected:
    // A FileStream (made with new, as decoders take them over) loaded with a sample.
    static FileStream* Open(const char* sample) {
        FileStream* stream = new FileStream;
        EXPECT_EQ(0, stream->LoadFile(Sample(sample).c_str()));
        return stream;
    }

    OggVorbisDll m_dll{KqVorbisPath().c_str()};
};

TEST_F(OggVorbisTest, BindsOnlyAWholeDllWithAStateThatFits) {
    EXPECT_TRUE(m_dll.IsLoaded());
    const struct {
        const char* name;
        bool loaded;
    } cases[] = {
        {"kqvorbis_unseekable.dll", true},
        {"kqvorbis_size961.dll", false},
        {"kqvorbis_no_read.dll", false},
        {"kqvorbis_absent.dll", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OggVorbisDll dll(plugintest::BinaryFile(c.name).c_str());
        EXPECT_EQ(c.loaded, dll.IsLoaded());
        if (c.loaded) continue;
        EXPECT_FALSE(plugintest::IsModuleLoaded(c.name));
        std::int32_t code = 0;
        FileStream* stream = Open("mono22050.ogg");
        EXPECT_EQ(nullptr, dll.Open(stream, &code));
        EXPECT_EQ(-2, code);
        ReleaseObject(stream);
    }
}

TEST_F(OggVorbisTest, MonoFileHasItsFormatLengthAndPitch) {
    std::int32_t code = -1;
    ASSERT_TRUE(m_dll.IsLoaded());
    SoundDecoderPtr decoder(m_dll.Open(Open("mono22050.ogg"), &code));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(0, code);
    const WAVEFORMATEX& format = *decoder->Format();
    EXPECT_EQ(WAVE_FORMAT_PCM, format.wFormatTag);
    EXPECT_EQ(1, format.nChannels);
    EXPECT_EQ(22050u, format.nSamplesPerSec);
    EXPECT_EQ(44100u, format.nAvgBytesPerSec);
    EXPECT_EQ(2, format.nBlockAlign);
    EXPECT_EQ(16, format.wBitsPerSample);
    EXPECT_EQ(0, format.cbSize);
    EXPECT_EQ(1000u, decoder->Length());
    const std::vector<std::uint8_t> pcm = ReadAll(*decoder);
    EXPECT_EQ(decoder->DataSize(), pcm.size());
    EXPECT_EQ(44100u, pcm.size());
    EXPECT_NEAR(880, ZeroCrossings(pcm, 1, 0), 880 * 0.02);
}

TEST_F(OggVorbisTest, StereoChannelsKeepTheirOrderAndPitch) {
    SoundDecoderPtr decoder(m_dll.Open(Open("stereo44100.ogg"), nullptr));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(2, decoder->Format()->nChannels);
    EXPECT_EQ(176400u, decoder->Format()->nAvgBytesPerSec);
    const std::vector<std::uint8_t> pcm = ReadAll(*decoder, 4096);
    ASSERT_EQ(decoder->DataSize(), pcm.size());
    EXPECT_EQ(44100u * 4, pcm.size());
    EXPECT_NEAR(880, ZeroCrossings(pcm, 2, 0), 880 * 0.02);
    EXPECT_NEAR(2000, ZeroCrossings(pcm, 2, 1), 2000 * 0.02);
}

TEST_F(OggVorbisTest, TheSamplesDoNotDependOnTheCallersFloatingPointPrecision) {
    // A refill thread decodes at the precision its thread started with, the main thread at its
    // own: the same file must give the same samples on both.
    const unsigned int saved = _controlfp(0, 0);
    std::vector<std::vector<std::uint8_t>> outputs;
    for (unsigned int precision : {_PC_64, _PC_53, _PC_24}) {
        _controlfp(precision, _MCW_PC);
        SoundDecoderPtr decoder(m_dll.Open(Open("stereo44100.ogg"), nullptr));
        outputs.push_back(decoder ? ReadAll(*decoder, 5000) : std::vector<std::uint8_t>());
        EXPECT_EQ(precision, _controlfp(0, 0) & _MCW_PC);
    }
    _controlfp(saved, _MCW_PC);
    ASSERT_EQ(176400u, outputs[0].size());
    EXPECT_TRUE(outputs[0] == outputs[1]);
    EXPECT_TRUE(outputs[0] == outputs[2]);
}

TEST_F(OggVorbisTest, TheEndIsShortThenEmptyUntilASeek) {
    SoundDecoderPtr decoder(m_dll.Open(Open("mono22050.ogg"), nullptr));
    ASSERT_TRUE(decoder);
    const std::uint32_t size = decoder->DataSize();
    std::vector<std::uint8_t> first(size + 1000);
    EXPECT_EQ(size, decoder->Read(first.data(), size + 1000));
    EXPECT_NE(0, decoder->IsAtEnd());
    EXPECT_EQ(0u, decoder->Read(first.data(), 100));

    const struct {
        std::uint32_t ms;
        std::int32_t result;
        std::uint32_t remaining;  // bytes left after the seek, when it succeeds
    } cases[] = {
        {1000, kSoundSeekPastEnd, 0},
        {5000, kSoundSeekPastEnd, 0},
        {500, kSoundSeekDone, 22050},
        {0, kSoundSeekDone, 44100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        EXPECT_EQ(c.result, decoder->Seek(c.ms));
        if (c.result != kSoundSeekDone) continue;
        EXPECT_EQ(0, decoder->IsAtEnd());
        EXPECT_EQ(c.ms, static_cast<std::uint32_t>(decoder->Tell()));
        const std::vector<std::uint8_t> rest = ReadAll(*decoder, 3000);
        EXPECT_EQ(c.remaining, rest.size());
        EXPECT_TRUE(std::equal(rest.begin(), rest.end(), first.begin() + (size - rest.size())));
    }
}

TEST_F(OggVorbisTest, UnseekableStreamsAreRefusedAtTheirStartForTheNextDecoder) {
    auto* unseekable = new OggVorbisDll(plugintest::BinaryFile("kqvorbis_unseekable.dll").c_str());
    FileStream* stream = Open("mono22050.ogg");
    std::int32_t code = -1;
    EXPECT_EQ(nullptr, unseekable->Open(stream, &code));
    EXPECT_EQ(2, code);
    EXPECT_EQ(0, stream->Tell());
    ReleaseObject(stream);

    ASSERT_EQ(0, m_host.RegisterBuiltin(unseekable, OggVorbisDll::kExtensions,
                                        OggVorbisDll::kTypeString, 2, nullptr, nullptr, nullptr));
    ASSERT_EQ(0, m_host.RegisterBuiltin(new OggVorbisDll(KqVorbisPath().c_str()), "OGX\0",
                                        OggVorbisDll::kTypeString, 2, nullptr, nullptr, nullptr));
    SoundDecoderPtr decoder(m_host.OpenDecoder(Sample("mono22050.ogg").c_str(), nullptr, true, &code));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(44100u, ReadAll(*decoder).size());
}

TEST_F(OggVorbisTest, OtherDataIsRefusedWithTheStreamBackAtItsStart) {
    WriteTsnd("a.tsn", testsupport::TsndSound{});
    FileStream* stream = new FileStream;
    ASSERT_EQ(0, stream->OpenStream("a.tsn"));
    std::int32_t code = -1;
    EXPECT_EQ(nullptr, m_dll.Open(stream, &code));
    EXPECT_EQ(1, code);
    EXPECT_EQ(0, stream->Tell());
    EXPECT_EQ(nullptr, m_dll.Open(nullptr, &code));
    EXPECT_EQ(kSllNoStream, code);
    ReleaseObject(stream);
}

TEST_F(OggVorbisTest, StreamedArchiveReadsMatchTheLoadedFile) {
    SoundDecoderPtr loaded(m_dll.Open(Open("stereo44100.ogg"), nullptr));
    FileStream* streamed = new FileStream;
    ASSERT_EQ(0, streamed->OpenStream(Sample("stereo44100.ogg").c_str()));
    SoundDecoderPtr decoder(m_dll.Open(streamed, nullptr));
    ASSERT_TRUE(loaded);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(ReadAll(*loaded), ReadAll(*decoder, 777 * 4));
}

TEST_F(OggVorbisTest, DamagedFilesAreRefusedOrDecodeConsistently) {
    const std::vector<std::uint8_t> good = testsupport::ReadFile(Sample("mono22050.ogg"));
    ASSERT_FALSE(good.empty());
    std::uint32_t seed = 20240611;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 60; ++round) {
        std::vector<std::uint8_t> damaged = good;
        const int flips = 1 + next() % 8;
        for (int i = 0; i < flips; ++i) {
            damaged[next() % damaged.size()] ^= static_cast<std::uint8_t>(1 + next() % 255);
        }
        if (round % 4 == 0) damaged.resize(next() % damaged.size());
        ASSERT_TRUE(testsupport::WriteFile(Game("d.ogg"), damaged));
        FileStream* stream = new FileStream;
        ASSERT_EQ(0, stream->LoadFile("d.ogg"));
        std::int32_t code = -1;
        SoundDecoderPtr decoder(m_dll.Open(stream, &code));
        if (!decoder) {
            EXPECT_NE(0, code);
            EXPECT_EQ(0, stream->Tell());
            ReleaseObject(stream);
            continue;
        }
        const std::vector<std::uint8_t> pcm = ReadAll(*decoder, 5000);
        EXPECT_LE(pcm.size(), decoder->DataSize()) << "round " << round;
        EXPECT_EQ(0u, pcm.size() % decoder->Format()->nBlockAlign);
    }
}

}  // namespace
