// Smoke tests on Wine's real DirectSound (over the ALSA null output that the test set-up
// configures), with a hidden window: Ogg Vorbis and TSND sounds load, play and stop in both
// buffer kinds, and the sound manager plays music with an intro, ducks it under a voice and
// cross-fades to another track. Fades step on a hand-moved clock; the sound plays in real time,
// so nothing here waits for it.
// These tests are left out under the i386 emulation (tests/emulation_excluded_tests.txt), where
// the Wine process dies inside the DirectSound set-up.
#include <gtest/gtest.h>

#include <string>

#include "framework/sound/audio_fade_tasks.h"
#include "framework/sound/sound_device.h"
#include "framework/sound/sound_manager.h"
#include "framework/sound/static_sound_buffer.h"
#include "framework/sound/streaming_sound_buffer.h"
#include "tests/framework/sound/sound_test_fixture.h"
#include "tests/support/fake_clock.h"

namespace {

class DirectSoundSmokeTest : public SoundTestBase {
protected:
    void SetUp() override {
        KeepComForTheRun();
        SoundTestBase::SetUp();
        LoadTsndPlugin();
        RegisterOgg();
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

TEST_F(DirectSoundSmokeTest, StaticBufferPlaysOggAndTsndFiles) {
    testsupport::TsndSound voice;
    voice.tag = 3;
    const struct {
        std::string name;
        std::uint32_t bytes;
    } cases[] = {
        {Sample("mono22050.ogg"), 44100},
        {Sample("stereo44100.ogg"), 176400},
        {WriteTsnd("voice.tsn", voice), voice.DataSize()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SoundBuffer* buffer = nullptr;
        ASSERT_EQ(0, m_device.CreateBufferFromFile(&buffer, c.name.c_str(), 0));
        EXPECT_EQ(c.bytes, buffer->Length());
        EXPECT_EQ(1000u, buffer->LengthMs());
        ASSERT_EQ(0, buffer->Play());
        EXPECT_TRUE(buffer->GetPlayState(nullptr, nullptr));
        EXPECT_EQ(0, buffer->StopAndRewind());
        EXPECT_FALSE(buffer->GetPlayState(nullptr, nullptr));
        EXPECT_EQ(0, m_device.DestroyBuffer(buffer));
    }
}

TEST_F(DirectSoundSmokeTest, StreamingBufferPlaysAnIntroAndItsLoop) {
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

TEST_F(DirectSoundSmokeTest, MusicWithAnIntroDucksUnderAVoiceAndCrossFades) {
    testsupport::TsndSound intro;
    intro.frames = 11025;
    testsupport::TsndSound loop;
    loop.tag = 2;
    loop.frames = 22050;
    // Longer than the test runs anywhere: the test ends it.
    testsupport::TsndSound voice;
    voice.tag = 4;
    voice.frames = 22050 * 20;
    WriteTsnd("intro.tsn", intro);
    WriteTsnd("loop.tsn", loop);
    WriteTsnd("voice.tsn", voice);

    testsupport::FakeClock clock(50000);
    TaskScheduler scheduler(clock);
    auto runAt = [&](std::uint32_t ms) {
        clock.SetMs(50000 + ms);
        scheduler.RunDue(50000 + ms);
    };
    SoundManager manager;
    manager.SetFadeScheduler(&scheduler);
    ASSERT_EQ(0, manager.SetChannelCount(1));
    ASSERT_EQ(0, manager.PlayBgm("loop.tsn", "intro.tsn", true));
    BgmPlayer& first = manager.CurrentPlayer();
    EXPECT_EQ("intro.tsn", first.intro);
    EXPECT_TRUE(manager.IsBgmPlaying());
    EXPECT_TRUE(first.buffer.IsRefillThreadRunning());

    ASSERT_EQ(0, manager.LoadChannel(0, "voice.tsn", 0, false));
    ASSERT_EQ(0, manager.PlayChannel(0, false));
    ASSERT_TRUE(manager.IsChannelPlaying(0));
    ASSERT_NE(nullptr, manager.StartBgmDuck(&scheduler, 0, 0.5f));
    runAt(0);
    runAt(250);
    EXPECT_EQ(192, manager.BgmUserVolume());
    runAt(500);
    EXPECT_EQ(128, manager.BgmUserVolume());
    EXPECT_EQ(128, first.buffer.GetVolume());
    EXPECT_EQ(0, manager.StopChannel(0));
    // Generous steps past the wait and the rise.
    for (std::uint32_t ms = 600; ms <= 4000; ms += 200) runAt(ms);
    EXPECT_EQ(256, manager.BgmUserVolume());
    EXPECT_EQ(0, scheduler.TaskCount());

    BgmChangeTask* change = new BgmChangeTask(1000, 1000);
    ASSERT_EQ(0, change->Start(&scheduler, &manager, Sample("stereo44100.ogg").c_str(), nullptr,
                               true, 60));
    runAt(5000);
    BgmPlayer& second = manager.OtherPlayer();
    EXPECT_TRUE(second.buffer.IsPlaying());
    runAt(5500);
    EXPECT_EQ(50, first.trackVolume);
    EXPECT_EQ(30, second.trackVolume);
    EXPECT_TRUE(first.buffer.IsPlaying());
    runAt(6000);
    EXPECT_EQ(&second, &manager.CurrentPlayer());
    EXPECT_EQ(60, second.trackVolume);
    EXPECT_TRUE(second.buffer.IsPlaying());
    EXPECT_FALSE(first.buffer.IsPlaying());
    EXPECT_FALSE(first.buffer.IsRefillThreadRunning());
    EXPECT_EQ(0, scheduler.TaskCount());
    manager.StopBgm();
    EXPECT_FALSE(manager.IsBgmPlaying());
}

}  // namespace
