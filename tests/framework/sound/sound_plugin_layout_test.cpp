// Sound decoders may come from *.SLL plug-ins built by another compiler, which reach the decode
// object, the decoder and the file stream they are handed by slot number and the holder count by
// offset. These tests use the three objects only that way: the program's FileStream, the TSND
// plug-in's decoder (another module) and the built-in Ogg Vorbis decode object.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/files/file_stream.h"
#include "framework/interfaces/sound_plugin.h"
#include "tests/framework/sound/sound_test_fixture.h"
#include "tests/support/table_slots.h"

using testsupport::CallSlot;
using testsupport::FieldAt;
using testsupport::SlotAs;

namespace {

class SoundPluginLayout : public SoundTestBase {};

// FileStreamBase slots.
enum {
    kData = 1, kFileName = 2, kSize = 3, kRelease = 4, kClose = 5, kLoadFile = 6,
    kLoadFromMount = 7, kOpenStream = 8, kTell = 9, kIsEof = 10, kSeekSet = 11, kSeekCur = 12,
    kSeekEnd = 13, kRead = 14, kDetach = 15, kReadLine = 16, kCreate = 17, kOpenReadWrite = 18,
    kWrite = 19, kPrintf = 20, kMakeTempCopy = 21,
};

TEST_F(SoundPluginLayout, FileStreamOperationsAnswerThroughTheirSlots) {
    FileStreamBase* stream = new FileStream;
    void* object = stream;
    const std::string path = Game("slots.txt");
    EXPECT_EQ(0, (CallSlot<std::int32_t, const char*, bool>(object, kCreate, path.c_str(), true)));
    EXPECT_EQ(3u, (CallSlot<std::uint32_t, const void*, std::uint32_t>(object, kWrite, "abc", 3u)));
    // Variadic, so cdecl with the object as the first stack argument.
    auto printf = SlotAs<std::uint32_t(XM_CDECL*)(void*, const char*, ...)>(object, kPrintf);
    EXPECT_EQ(9u, printf(object, "%d|%s|%c\r\n", 42, "xy", 'z'));
    EXPECT_EQ(12, CallSlot<std::int32_t>(object, kTell));
    CallSlot<void>(object, kClose);
    EXPECT_STREQ("", CallSlot<const char*>(object, kFileName));
    const std::vector<std::uint8_t> written = testsupport::ReadFile(path);
    EXPECT_EQ("abc42|xy|z\r\n", std::string(written.begin(), written.end()));

    ASSERT_EQ(0, (CallSlot<std::int32_t, const char*>(object, kLoadFile, "slots.txt")));
    EXPECT_EQ(12u, CallSlot<std::uint32_t>(object, kSize));
    EXPECT_EQ(0, std::memcmp(CallSlot<void*>(object, kData), "abc42", 5));
    EXPECT_EQ(0, (CallSlot<std::int32_t, std::int32_t>(object, kSeekSet, 3)));
    char two[2] = {};
    EXPECT_EQ(2u, (CallSlot<std::uint32_t, void*, std::uint32_t>(object, kRead, two, 2u)));
    EXPECT_EQ(0, std::memcmp(two, "42", 2));
    EXPECT_EQ(0, (CallSlot<std::int32_t, std::int32_t>(object, kSeekCur, 1)));
    char line[16] = {};
    EXPECT_EQ(6u, (CallSlot<std::uint32_t, char*, std::uint32_t>(object, kReadLine, line, 16u)));
    EXPECT_STREQ("xy|z", line);
    EXPECT_TRUE(CallSlot<bool>(object, kIsEof));
    EXPECT_EQ(0, (CallSlot<std::int32_t, std::int32_t>(object, kSeekEnd, 2)));
    EXPECT_EQ(10, CallSlot<std::int32_t>(object, kTell));
    EXPECT_FALSE(CallSlot<bool>(object, kIsEof));
    void* block = CallSlot<void*>(object, kDetach);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0, std::memcmp(block, "abc42", 5));
    GlobalFree(block);
    EXPECT_EQ(nullptr, CallSlot<void*>(object, kData));

    EXPECT_EQ(0, (CallSlot<std::int32_t, const char*>(object, kOpenReadWrite, path.c_str())));
    EXPECT_EQ(12u, CallSlot<std::uint32_t>(object, kSize));
    CallSlot<void>(object, kRelease);
    EXPECT_EQ(-1, CallSlot<std::int32_t>(object, kTell));
    EXPECT_EQ(0, (CallSlot<std::int32_t, const char*>(object, kOpenStream, "slots.txt")));
    EXPECT_EQ(12u, CallSlot<std::uint32_t>(object, kSize));
    // Nothing is mounted under tag 99: refused, and the stream is left closed.
    EXPECT_NE(0, (CallSlot<std::int32_t, std::int32_t, std::int32_t, const char*>(
                     object, kLoadFromMount, 99, 0, "slots.txt")));
    EXPECT_EQ(0u, CallSlot<std::uint32_t>(object, kSize));

    // The holder count lies right after the table pointer; slot 0 is the deleting destructor,
    // which closes the stream and so removes its temporary copy.
    ASSERT_EQ(0, (CallSlot<std::int32_t, const char*>(object, kMakeTempCopy, "slots.txt")));
    const std::string copy = CallSlot<const char*>(object, kFileName);
    EXPECT_NE(path, copy);
    EXPECT_TRUE(testsupport::FileExists(copy));
    stream->AddHolder();
    stream->AddHolder();
    EXPECT_EQ(2u, FieldAt(object, 4));
    ReleaseObject(stream);
    ReleaseObject(stream);
    EXPECT_EQ(0u, FieldAt(object, 4));
    EXPECT_TRUE(testsupport::FileExists(copy));
    CallSlot<void*, std::uint32_t>(object, 0, xm::kDeleteMemory);
    EXPECT_FALSE(testsupport::FileExists(copy));
}

TEST_F(SoundPluginLayout, APluginDecoderAnswersThroughItsSlotsAndReleasesItsStreamInSlotZero) {
    LoadTsndPlugin();
    testsupport::TsndSound sound;
    sound.tag = 8;
    WriteTsnd("a.tsn", sound);
    FileStream* stream = new FileStream;
    ASSERT_EQ(0, stream->LoadFile("a.tsn"));
    // The test holds the stream too, to see the decoder let go of it.
    stream->AddHolder();
    void* decodeObject = m_host.Records()[0].decodeObject;
    std::int32_t code = -1;
    void* decoder = CallSlot<SoundDecoder*, FileStreamBase*, std::int32_t*>(
        decodeObject, 1, static_cast<FileStreamBase*>(stream), &code);
    ASSERT_NE(nullptr, decoder);
    EXPECT_EQ(0, code);

    EXPECT_EQ(1000u, CallSlot<std::uint32_t>(decoder, 1));   // Length
    EXPECT_EQ(44100u, CallSlot<std::uint32_t>(decoder, 2));  // DataSize
    EXPECT_EQ(kSoundSeekDone, (CallSlot<std::int32_t, std::uint32_t>(decoder, 3, 500u)));
    EXPECT_EQ(500, CallSlot<std::int64_t>(decoder, 4));      // Tell, in EDX:EAX
    EXPECT_EQ(0, CallSlot<std::uint8_t>(decoder, 5));        // IsAtEnd
    std::vector<std::uint8_t> rest(30000);
    ASSERT_EQ(22050u,
              (CallSlot<std::uint32_t, void*, std::uint32_t>(decoder, 6, rest.data(), 30000u)));
    rest.resize(22050);
    EXPECT_EQ(testsupport::TsndPcm(sound, 22050), rest);
    EXPECT_NE(0, CallSlot<std::uint8_t>(decoder, 5));
    const WAVEFORMATEX* format = CallSlot<const WAVEFORMATEX*>(decoder, 7);
    ASSERT_NE(nullptr, format);
    EXPECT_EQ(1, format->nChannels);
    EXPECT_EQ(22050u, format->nSamplesPerSec);

    auto* counted = static_cast<SoundDecoder*>(decoder);
    counted->AddHolder();
    EXPECT_EQ(1u, FieldAt(decoder, 4));
    ReleaseHeld(counted);
    EXPECT_EQ(0u, FieldAt(decoder, 4));
    EXPECT_EQ(1u, FieldAt(stream, 4));
    CallSlot<void*, std::uint32_t>(decoder, 0, xm::kDeleteMemory);
    EXPECT_EQ(0u, FieldAt(stream, 4));
    ReleaseObject(stream);
}

TEST_F(SoundPluginLayout, TheOggDecodeObjectOpensInSlotOneKeepsTwoReservedAndGoesInSlotZero) {
    ASSERT_FALSE(plugintest::IsModuleLoaded("kqvorbis.dll"));
    void* object = static_cast<SoundDecodeObject*>(new OggVorbisDll(KqVorbisPath().c_str()));
    ASSERT_TRUE(plugintest::IsModuleLoaded("kqvorbis.dll"));
    FileStream* stream = new FileStream;
    ASSERT_EQ(0, stream->LoadFile(Sample("mono22050.ogg").c_str()));
    std::int32_t code = -1;
    void* decoder = CallSlot<SoundDecoder*, FileStreamBase*, std::int32_t*>(
        object, 1, static_cast<FileStreamBase*>(stream), &code);
    ASSERT_NE(nullptr, decoder);
    EXPECT_EQ(0, code);
    EXPECT_EQ(1000u, CallSlot<std::uint32_t>(decoder, 1));
    EXPECT_EQ(44100u, CallSlot<std::uint32_t>(decoder, 2));
    CallSlot<void*, std::uint32_t>(decoder, 0, xm::kDeleteMemory);
    EXPECT_EQ(-2, CallSlot<std::int32_t>(object, 2));
    EXPECT_EQ(-2, (CallSlot<std::int32_t, std::int32_t>(object, 3, 7)));
    CallSlot<void*, std::uint32_t>(object, 0, xm::kDeleteMemory);
    EXPECT_FALSE(plugintest::IsModuleLoaded("kqvorbis.dll"));
}

}  // namespace
