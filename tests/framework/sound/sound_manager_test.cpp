#include <gtest/gtest.h>

#include <string>

#include "framework/sound/audio_fade_tasks.h"
#include "tests/framework/sound/sound_manager_fixture.h"

namespace {

TEST_F(SoundManagerTest, MusicVolumeIsTrackTimesUserTimesMaster) {
    ASSERT_EQ(0, M().PlayBgm("track.tsn", nullptr, true));
    M().SetMasterVolume(128, false);
    M().SetBgmVolume(50, 256, true);
    EXPECT_EQ(64, M().CurrentPlayer().buffer.GetVolume());
}

TEST_F(SoundManagerTest, GroupFourWeightAppliesOnlyToGroupByteFour) {
    ASSERT_EQ(0, M().SetChannelCount(2));
    ASSERT_EQ(0, M().SetChannelGroup(0, 4));
    ASSERT_EQ(0, M().SetChannelGroup(1, 5));
    ASSERT_EQ(0, M().LoadChannel(0, "voice.tsn", 0, false));
    ASSERT_EQ(0, M().LoadChannel(1, "voice.tsn", 0, false));
    M().SetGroup4Volume(128);
    EXPECT_EQ(128, Channel(0).staticBuffer.GetVolume());
    EXPECT_EQ(256, Channel(1).staticBuffer.GetVolume());
    EXPECT_EQ(2, M().SetChannelGroup(0, 8));
    EXPECT_EQ(1, M().SetChannelGroup(2, 1));
}

TEST_F(SoundManagerTest, SwitchingGroupOffAndOnRestartsLoopsAndStopsOneShots) {
    ASSERT_EQ(0, M().SetChannelCount(3));
    for (int i = 0; i < 3; ++i) ASSERT_EQ(0, M().LoadChannel(i, "voice.tsn", 0, i == 2));
    ASSERT_EQ(0, M().PlayChannel(0, true));
    ASSERT_EQ(0, M().PlayChannel(1, false));
    ASSERT_EQ(0, M().PlayChannel(2, false));
    Fake(Channel(0).staticBuffer)->Advance(1000);

    M().SetGroupEnable(false, 1, true, false);
    EXPECT_FALSE(M().IsChannelPlaying(0));
    EXPECT_EQ(kChannelPlayingLooped, Channel(0).state);
    EXPECT_TRUE(M().IsChannelPlaying(1));  // kept: keep playing was asked for

    M().SetGroupEnable(true, 1, false, false);
    EXPECT_TRUE(M().IsChannelPlaying(0));
    EXPECT_EQ(0u, Fake(Channel(0).staticBuffer)->PlayCursor());

    M().SetMasterEnable(false, false);
    EXPECT_FALSE(M().IsChannelPlaying(0));
    EXPECT_FALSE(M().IsChannelPlaying(1));
    EXPECT_EQ(kChannelStopped, Channel(1).state);
    EXPECT_EQ(kChannelStopped, Channel(2).state);
    EXPECT_EQ(kChannelPlayingLooped, Channel(0).state);
    M().SetMasterEnable(true, false);
    EXPECT_TRUE(M().IsChannelPlaying(0));
    EXPECT_FALSE(M().IsChannelPlaying(1));
}

TEST_F(SoundManagerTest, PlayBgmAnswersForSameNamesAndSwitchedOffMusic) {
    ASSERT_EQ(0, M().PlayBgm("loop.tsn", "intro.tsn", true));
    const int plays = Fake(M().CurrentPlayer().buffer)->Plays();
    EXPECT_EQ(-1, M().PlayBgm("LOOP.TSN", "Intro.tsn", true));
    EXPECT_EQ(-1, M().PlayBgm("loop.tsn", nullptr, true));
    EXPECT_EQ(plays, Fake(M().CurrentPlayer().buffer)->Plays());

    M().StopBgm();
    EXPECT_FALSE(M().IsBgmPlaying());
    M().SetBgmEnable(false, false);
    EXPECT_EQ(-2, M().PlayBgm("track.tsn", nullptr, true));
    EXPECT_FALSE(M().IsBgmPlaying());
    EXPECT_EQ(0, M().SetBgmEnable(true, false));
    EXPECT_TRUE(M().IsBgmPlaying());
    EXPECT_EQ("track.tsn", M().CurrentPlayer().track);

    EXPECT_EQ(1, M().PlayBgm(nullptr, nullptr, true));
    EXPECT_EQ(1, M().PlayBgm(std::string(255, 'a').c_str(), nullptr, true));
    EXPECT_EQ(2, M().PlayBgm("missing.tsn", nullptr, true));
    EXPECT_FALSE(M().CurrentPlayer().HasTrack());
}

TEST_F(SoundManagerTest, PausedMusicIsNotReopenedAndResumesWhereItStopped) {
    ASSERT_EQ(0, M().PlayBgm("track.tsn", nullptr, true));
    BgmPlayer& player = M().CurrentPlayer();
    Fake(player.buffer)->Advance(8820);
    ASSERT_EQ(0, M().PauseBgm());
    const DWORD cursor = Fake(player.buffer)->PlayCursor();
    IDirectSoundBuffer* ring = player.buffer.GetBuffer();
    EXPECT_EQ(0, M().SetBgmEnable(true, true));
    EXPECT_EQ(ring, player.buffer.GetBuffer());
    EXPECT_FALSE(M().IsBgmPlaying());
    ASSERT_EQ(0, M().ResumeBgm());
    EXPECT_TRUE(M().IsBgmPlaying());
    EXPECT_EQ(cursor, Fake(player.buffer)->PlayCursor());
    EXPECT_EQ(0, player.pauseCount);
}

TEST_F(SoundManagerTest, ChannelGroupThreeOnlyLoopsAndMutedPlayKeepsItsState) {
    ASSERT_EQ(0, M().SetChannelCount(1));
    ASSERT_EQ(0, M().SetChannelGroup(0, 3));
    ASSERT_EQ(0, M().LoadChannel(0, "effect.tsn", 0, false));
    EXPECT_EQ(-1, M().PlayChannel(0, false));
    EXPECT_FALSE(M().IsChannelPlaying(0));
    EXPECT_EQ(kChannelPlayingOnce, Channel(0).state);
    EXPECT_EQ(0, M().PlayChannel(0, true));
    EXPECT_TRUE(M().IsChannelPlaying(0));
    EXPECT_EQ(1, M().PlayChannel(1, true));
    EXPECT_EQ(2, M().LoadChannel(0, "missing.tsn", 0, false));
    EXPECT_EQ(2, M().LoadChannel(0, std::string(255, 'b').c_str(), 0, true));
    EXPECT_EQ(1, M().LoadChannel(0, nullptr, 0, true));
    EXPECT_EQ(nullptr, Channel(0).active);
}

TEST_F(SoundManagerTest, ChannelCountKeepsRecordsAndCancelsRemovedFades) {
    ASSERT_EQ(0, M().SetChannelCount(3));
    ASSERT_EQ(0, M().SetChannelPan(0, -300));
    ASSERT_EQ(0, M().LoadChannel(2, "voice.tsn", 0, false));
    ASSERT_EQ(0, M().PlayChannel(2, true));
    ChannelFadeOutTask* fade = new ChannelFadeOutTask(1000);
    ASSERT_EQ(0, fade->Start(&m_scheduler, &M(), 2));
    RunAt(0);
    RunAt(500);
    EXPECT_EQ(50, Channel(2).volume);

    EXPECT_EQ(1, M().SetChannelCount(0));
    EXPECT_EQ(3, M().ChannelCount());
    testsupport::FakeSoundBuffer* removedFake = Fake(Channel(2).staticBuffer);
    EXPECT_EQ(0, M().SetChannelCount(2));
    // The fade ended as a cancel ends it: the sound stopped.
    EXPECT_FALSE(removedFake->IsPlaying());
    EXPECT_EQ(nullptr, m_scheduler.FindByKind(kChannelFadeKind));
    EXPECT_EQ(-300, Channel(0).pan);
    RunAt(600);
    EXPECT_EQ(0, m_scheduler.TaskCount());
    EXPECT_EQ(0, M().SetChannelCount(4));
    EXPECT_EQ(100, Channel(3).volume);
    EXPECT_EQ(1, Channel(3).group);
}

TEST_F(SoundManagerTest, MasterVolumeDuringDuckingKeepsTheUsersMusicLevel) {
    ASSERT_EQ(0, M().SetChannelCount(1));
    ASSERT_EQ(0, M().PlayBgm("track.tsn", nullptr, true));
    ASSERT_EQ(0, M().LoadChannel(0, "voice.tsn", 0, false));
    ASSERT_EQ(0, M().PlayChannel(0, false));
    ASSERT_NE(nullptr, M().StartBgmDuck(&m_scheduler, 0, 0.5f));
    RunAt(0);
    RunAt(500);
    ASSERT_EQ(128, M().BgmUserVolume());

    M().SetMasterVolume(128, false);
    EXPECT_EQ(256, M().BgmUserVolume());
    EXPECT_EQ(128, M().CurrentPlayer().buffer.GetVolume());
    EXPECT_EQ(nullptr, m_scheduler.FindByKind(kBgmDuckKind));
    RunAt(5000);
    EXPECT_EQ(256, M().BgmUserVolume());
}

TEST_F(SoundManagerTest, DestroyingAPlayingManagerEndsItsFades) {
    ASSERT_EQ(0, M().SetChannelCount(2));
    ASSERT_EQ(0, M().LoadChannel(0, "voice.tsn", 0, true));
    ASSERT_EQ(0, M().PlayChannel(0, true));
    ASSERT_EQ(0, M().PlayBgm("loop.tsn", "intro.tsn", true));
    ChannelFadeInTask* fade = new ChannelFadeInTask(1000);
    ASSERT_EQ(0, fade->Start(&m_scheduler, &M(), nullptr, 0, true, true));
    m_manager.reset();
    RunAt(100);
    EXPECT_EQ(0, m_scheduler.TaskCount());
}

}  // namespace
