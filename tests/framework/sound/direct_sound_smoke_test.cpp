// One smoke test per buffer kind on Wine's real DirectSound (over the ALSA null output that the
// test set-up configures), with a hidden window: Ogg Vorbis and TSND sounds load, play and stop.
// Disabled for now: on the build machine, whose Wine runs under qemu-i386 emulation, the process
// dies inside the DirectSound set-up of the first one; run them with
// --gtest_also_run_disabled_tests where Wine runs natively.
#include <gtest/gtest.h>

#include "framework/sound/ogg_vorbis_dll.h"
#include "framework/sound/sound_device.h"
#include "framework/sound/static_sound_buffer.h"
#include "framework/sound/streaming_sound_buffer.h"
#include "tests/framework/sound/sound_test_fixture.h"

namespace {

class DirectSoundSmokeTest : public SoundTestBase {
protected:
    void SetUp() override {
        KeepComForTheRun();
        SoundTestBase::SetUp();
        LoadTsndPlugin();
        ASSERT_EQ(0, m_host.RegisterBuiltin(new OggVorbisDll(KqVorbisPath().c_str()),
                                            OggVorbisDll::kExtensions, OggVorbisDll::kTypeString,
                                            OggVorbisDll::kType, nullptr, nullptr, nullptr));
        ASSERT_EQ(0, m_device.Create(m_window.Handle(), false, false, nullptr));
        g_currentSoundDevice = &m_device;
    }
    void TearDown() override {
        m_device.DestroyAllBuffers();
        m_device.Release();
        g_currentSoundDevice = nullptr;
        SoundTestBase::TearDown();
    }

    testsupport::MessageWindow m_window;
    SoundDevice m_device;
};

TEST_F(DirectSoundSmokeTest, DISABLED_StaticBufferPlaysAnOggFile) {
    SoundBuffer* buffer = nullptr;
    ASSERT_EQ(0, m_device.CreateBufferFromFile(&buffer, Sample("mono22050.ogg").c_str(), 0));
    EXPECT_EQ(44100u, buffer->Length());
    EXPECT_EQ(1000u, buffer->LengthMs());
    ASSERT_EQ(0, buffer->Play());
    EXPECT_TRUE(buffer->GetPlayState(nullptr, nullptr));
    EXPECT_EQ(0, buffer->StopAndRewind());
    EXPECT_FALSE(buffer->GetPlayState(nullptr, nullptr));
}

TEST_F(DirectSoundSmokeTest, DISABLED_StreamingBufferPlaysAnIntroAndItsLoop) {
    testsupport::TsndSound intro;
    intro.frames = 2205;
    testsupport::TsndSound loop;
    loop.tag = 2;
    loop.frames = 4410;
    WriteTsnd("intro.tsn", intro);
    WriteTsnd("loop.tsn", loop);
    SoundBuffer* buffer = nullptr;
    ASSERT_EQ(0, m_device.CreateStreamingBuffer(&buffer, "intro.tsn", "loop.tsn"));
    ASSERT_EQ(0, buffer->PlayLoop());
    EXPECT_TRUE(buffer->GetPlayState(nullptr, nullptr));
    EXPECT_TRUE(static_cast<StreamingSoundBuffer*>(buffer)->IsRefillThreadRunning());
    EXPECT_EQ(0, buffer->StopAndRewind());
    EXPECT_FALSE(static_cast<StreamingSoundBuffer*>(buffer)->IsRefillThreadRunning());

    SoundBuffer* music = nullptr;
    ASSERT_EQ(0, m_device.CreateStreamingBuffer(&music, Sample("stereo44100.ogg").c_str(), nullptr));
    ASSERT_EQ(0, music->Play());
    EXPECT_TRUE(music->GetPlayState(nullptr, nullptr));
    EXPECT_EQ(0, music->StopAndRewind());
}

}  // namespace
