#include <gtest/gtest.h>

#include <limits>

#include "framework/sound/audio_fade_tasks.h"
#include "tests/framework/sound/sound_manager_fixture.h"

namespace {

using testsupport::FakeSoundBuffer;

class AudioFadeTest : public SoundManagerTest {
protected:
    // Music playing and a one-shot voice in channel 0.
    void PlayMusicAndVoice() {
        ASSERT_EQ(0, M().SetChannelCount(2));
        ASSERT_EQ(0, M().PlayBgm("track.tsn", nullptr, true));
        ASSERT_EQ(0, M().LoadChannel(0, "voice.tsn", 0, false));
        ASSERT_EQ(0, M().PlayChannel(0, false));
    }
};

TEST_F(AudioFadeTest, MusicVolumeFadeIsLinearAndEndsExactly) {
    ASSERT_EQ(0, M().PlayBgm("track.tsn", nullptr, true));
    BgmVolumeFadeTask* fade = new BgmVolumeFadeTask(40, 600);
    ASSERT_EQ(0, fade->Start(&m_scheduler, &M(), &M().CurrentPlayer()));
    EXPECT_EQ(kBgmVolumeFade, M().BgmFadeState());
    RunAt(0);
    EXPECT_EQ(100, M().CurrentPlayer().trackVolume);
    RunAt(300);
    EXPECT_EQ(70, M().CurrentPlayer().trackVolume);
    RunAt(599);
    EXPECT_EQ(41, M().CurrentPlayer().trackVolume);
    RunAt(600);
    EXPECT_EQ(40, M().CurrentPlayer().trackVolume);
    EXPECT_EQ(kBgmNoFade, M().BgmFadeState());
    EXPECT_EQ(0, m_scheduler.TaskCount());
}

TEST_F(AudioFadeTest, MusicFadeOutStopsAndKeepsTheVolumeForTheNextTrack) {
    ASSERT_EQ(0, M().PlayBgm("track.tsn", nullptr, true));
    M().SetBgmVolume(80, -1, true);
    BgmFadeOutTask* fade = new BgmFadeOutTask(400);
    ASSERT_EQ(0, fade->Start(&m_scheduler, &M(), &M().CurrentPlayer()));
    RunAt(0);
    RunAt(100);
    EXPECT_EQ(60, M().CurrentPlayer().trackVolume);
    RunAt(400);
    EXPECT_FALSE(M().IsBgmPlaying());
    EXPECT_FALSE(M().CurrentPlayer().HasTrack());
    EXPECT_EQ(80, M().CurrentPlayer().trackVolume);

    BgmFadeOutTask* again = new BgmFadeOutTask(400);
    EXPECT_EQ(-1, again->Start(&m_scheduler, &M(), &M().CurrentPlayer()));
    again->DeletingDestructor(xm::kDeleteMemory);
}

TEST_F(AudioFadeTest, MusicFadeInStartsSilentAndRisesToTheTrackVolume) {
    M().SetBgmVolume(60, -1, true);
    BgmFadeInTask* fade = new BgmFadeInTask(300);
    ASSERT_EQ(0, fade->Start(&m_scheduler, &M(), &M().CurrentPlayer(), "track.tsn", nullptr, true));
    EXPECT_TRUE(M().IsBgmPlaying());
    EXPECT_EQ(0, M().CurrentPlayer().trackVolume);
    EXPECT_EQ(0, M().CurrentPlayer().buffer.GetVolume());
    RunAt(0);
    RunAt(150);
    EXPECT_EQ(30, M().CurrentPlayer().trackVolume);
    RunAt(300);
    EXPECT_EQ(60, M().CurrentPlayer().trackVolume);

    BgmFadeInTask* same = new BgmFadeInTask(300);
    EXPECT_EQ(-1, same->Start(&m_scheduler, &M(), &M().CurrentPlayer(), "track.tsn", nullptr, true));
    same->DeletingDestructor(xm::kDeleteMemory);
    EXPECT_EQ(60, M().CurrentPlayer().trackVolume);
}

TEST_F(AudioFadeTest, TrackChangeCrossFadesToTheOtherPlayer) {
    ASSERT_EQ(0, M().PlayBgm("track.tsn", nullptr, true));
    M().SetBgmVolume(80, -1, true);
    BgmPlayer& old = M().CurrentPlayer();
    BgmChangeTask* change = new BgmChangeTask(1000, 1000);
    ASSERT_EQ(0, change->Start(&m_scheduler, &M(), "other.tsn", nullptr, true, 50));
    EXPECT_EQ(kBgmChanging, M().BgmFadeState());
    RunAt(0);
    BgmPlayer& fresh = M().OtherPlayer();
    EXPECT_TRUE(fresh.buffer.IsPlaying());
    RunAt(500);
    EXPECT_EQ(40, old.trackVolume);
    EXPECT_EQ(25, fresh.trackVolume);
    EXPECT_TRUE(old.buffer.IsPlaying());
    RunAt(1000);
    EXPECT_EQ(&fresh, &M().CurrentPlayer());
    EXPECT_EQ(50, fresh.trackVolume);
    EXPECT_EQ("other.tsn", fresh.track);
    EXPECT_TRUE(fresh.buffer.IsPlaying());
    EXPECT_FALSE(old.buffer.IsPlaying());
    EXPECT_EQ(80, old.trackVolume);
    EXPECT_EQ(kBgmNoFade, M().BgmFadeState());
    EXPECT_EQ(0, m_scheduler.TaskCount());
}

TEST_F(AudioFadeTest, AnOverlapShorterThanTheFadeStartsTheNewTrackLateAndReleasesTheOldInside) {
    ASSERT_EQ(0, M().PlayBgm("track.tsn", nullptr, true));
    M().SetBgmVolume(80, -1, true);
    BgmPlayer& old = M().CurrentPlayer();
    BgmPlayer& fresh = M().OtherPlayer();
    // The new track starts after 600 ms and rises until 1600 ms; the old one falls until 1000.
    BgmChangeTask* change = new BgmChangeTask(1000, 400);
    ASSERT_EQ(0, change->Start(&m_scheduler, &M(), "other.tsn", nullptr, true, 50));
    RunAt(0);
    RunAt(300);
    EXPECT_EQ(56, old.trackVolume);
    EXPECT_FALSE(fresh.buffer.IsPlaying());
    RunAt(600);
    EXPECT_TRUE(fresh.buffer.IsPlaying());
    EXPECT_EQ(0, fresh.trackVolume);
    EXPECT_EQ(32, old.trackVolume);
    RunAt(800);
    EXPECT_EQ(10, fresh.trackVolume);
    EXPECT_EQ(16, old.trackVolume);
    RunAt(1000);
    // The old track is released from inside the change, which runs on.
    EXPECT_FALSE(old.buffer.IsPlaying());
    EXPECT_FALSE(old.HasTrack());
    EXPECT_EQ(80, old.trackVolume);
    EXPECT_EQ(20, fresh.trackVolume);
    EXPECT_EQ(&old, &M().CurrentPlayer());
    EXPECT_EQ(kBgmChanging, M().BgmFadeState());
    EXPECT_EQ(1, m_scheduler.TaskCount());
    RunAt(1300);
    EXPECT_EQ(35, fresh.trackVolume);
    EXPECT_TRUE(fresh.buffer.IsPlaying());
    RunAt(1600);
    EXPECT_EQ(&fresh, &M().CurrentPlayer());
    EXPECT_EQ(50, fresh.trackVolume);
    EXPECT_TRUE(fresh.buffer.IsPlaying());
    EXPECT_EQ(kBgmNoFade, M().BgmFadeState());
    EXPECT_EQ(0, m_scheduler.TaskCount());
}

TEST_F(AudioFadeTest, AnOldTrackEndingBeforeTheDelayStartsTheNewOneAtOnce) {
    ASSERT_EQ(0, M().PlayBgm("track.tsn", nullptr, false));
    BgmPlayer& old = M().CurrentPlayer();
    BgmPlayer& fresh = M().OtherPlayer();
    BgmChangeTask* change = new BgmChangeTask(1000, 400);
    ASSERT_EQ(0, change->Start(&m_scheduler, &M(), "other.tsn", nullptr, true, 50));
    RunAt(0);
    EndSound(old.buffer);
    RunAt(100);
    EXPECT_EQ(&fresh, &M().CurrentPlayer());
    EXPECT_TRUE(fresh.buffer.IsPlaying());
    EXPECT_EQ(50, fresh.trackVolume);
    EXPECT_EQ(0, m_scheduler.TaskCount());
}

TEST_F(AudioFadeTest, AChangeCancelledBeforeItsDelayNeverStartsTheNewTrack) {
    enum Canceller { kByKind, kByStopBgm, kByFadeOut, kByAnotherChange, kByTheManagerGoing };
    const struct {
        const char* what;
        Canceller how;
    } cases[] = {
        {"cancelled by kind", kByKind},
        {"StopBgm", kByStopBgm},
        {"a fade-out", kByFadeOut},
        {"another change", kByAnotherChange},
        {"the manager going", kByTheManagerGoing},
    };
    std::uint32_t at = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_manager.reset(new SoundManager);
        M().SetFadeScheduler(&m_scheduler);
        ASSERT_EQ(0, M().PlayBgm("track.tsn", nullptr, true));
        M().SetBgmVolume(80, -1, true);
        BgmPlayer& old = M().CurrentPlayer();
        BgmPlayer& fresh = M().OtherPlayer();
        BgmChangeTask* change = new BgmChangeTask(1000, 400);
        ASSERT_EQ(0, change->Start(&m_scheduler, &M(), "other.tsn", nullptr, true, 50));
        FakeSoundBuffer* freshRing = Fake(fresh.buffer);
        ASSERT_NE(nullptr, freshRing);
        RunAt(at);
        RunAt(at + 300);
        switch (c.how) {
        case kByKind:
            m_scheduler.CancelKind(kBgmChangeKind);
            // Prepared as the current track, silent, at its volume; the old one is back at its.
            EXPECT_EQ(&fresh, &M().CurrentPlayer());
            EXPECT_EQ("other.tsn", fresh.track);
            EXPECT_EQ(50, fresh.trackVolume);
            EXPECT_EQ(80, old.trackVolume);
            EXPECT_FALSE(M().IsBgmPlaying());
            break;
        case kByStopBgm:
            M().StopBgm();
            EXPECT_FALSE(M().IsBgmPlaying());
            break;
        case kByFadeOut: {
            BgmFadeOutTask* fadeOut = new BgmFadeOutTask(400);
            EXPECT_EQ(-1, fadeOut->Start(&m_scheduler, &M(), &M().CurrentPlayer()));
            fadeOut->DeletingDestructor(xm::kDeleteMemory);
            EXPECT_FALSE(M().IsBgmPlaying());
            break;
        }
        case kByAnotherChange: {
            BgmChangeTask* next = new BgmChangeTask(1000, 400);
            ASSERT_EQ(0, next->Start(&m_scheduler, &M(), "loop.tsn", nullptr, true, 70));
            // Nothing plays to fade: the third track starts at its first step.
            RunAt(at + 400);
            EXPECT_EQ("loop.tsn", M().CurrentPlayer().track);
            EXPECT_TRUE(M().CurrentPlayer().buffer.IsPlaying());
            EXPECT_EQ(70, M().CurrentPlayer().trackVolume);
            EXPECT_FALSE(fresh.buffer.IsPlaying());
            break;
        }
        case kByTheManagerGoing:
            m_manager.reset();
            break;
        }
        // The next pass removes the ended tasks; nothing starts the new track there either.
        RunAt(at + 500);
        EXPECT_EQ(0, freshRing->Plays());
        EXPECT_EQ(0, m_scheduler.TaskCount());
        if (m_manager) {
            EXPECT_EQ(kBgmNoFade, M().BgmFadeState());
        }
        at += 10000;
    }
}

TEST_F(AudioFadeTest, TrackChangeWithMusicOffOnlyPreparesTheNewTrack) {
    ASSERT_EQ(0, M().PlayBgm("track.tsn", nullptr, true));
    M().SetBgmEnable(false, false);
    BgmPlayer& old = M().CurrentPlayer();
    BgmChangeTask* change = new BgmChangeTask(1000, 1000);
    ASSERT_EQ(-2, change->Start(&m_scheduler, &M(), "other.tsn", nullptr, true, 70));
    change->DeletingDestructor(xm::kDeleteMemory);
    EXPECT_NE(&old, &M().CurrentPlayer());
    EXPECT_EQ("other.tsn", M().CurrentPlayer().track);
    EXPECT_EQ(70, M().CurrentPlayer().trackVolume);
    EXPECT_EQ(0, m_scheduler.TaskCount());
    M().SetBgmEnable(true, false);
    EXPECT_TRUE(M().CurrentPlayer().buffer.IsPlaying());

    BgmChangeTask* tooLong = new BgmChangeTask(10, 10);
    EXPECT_EQ(2, tooLong->Start(&m_scheduler, &M(), std::string(255, 'c').c_str(), nullptr, true, 70));
    tooLong->DeletingDestructor(xm::kDeleteMemory);
}

TEST_F(AudioFadeTest, DuckingLowersHoldsWaitsAndRises) {
    PlayMusicAndVoice();
    ASSERT_NE(nullptr, M().StartBgmDuck(&m_scheduler, 0, 0.5f));
    RunAt(0);
    RunAt(250);
    EXPECT_EQ(192, M().BgmUserVolume());
    RunAt(500);
    EXPECT_EQ(128, M().BgmUserVolume());
    RunAt(3000);
    EXPECT_EQ(128, M().BgmUserVolume());
    EndSound(Channel(0).staticBuffer);
    RunAt(3100);
    RunAt(4100);
    EXPECT_EQ(128, M().BgmUserVolume());
    RunAt(4101);
    RunAt(4601);
    EXPECT_EQ(192, M().BgmUserVolume());
    RunAt(5101);
    EXPECT_EQ(256, M().BgmUserVolume());
    EXPECT_EQ(0, m_scheduler.TaskCount());
}

TEST_F(AudioFadeTest, SecondVoiceWhileDownContinuesWithoutRising) {
    PlayMusicAndVoice();
    ASSERT_EQ(0, M().LoadChannel(1, "voice.tsn", 0, false));
    ASSERT_NE(nullptr, M().StartBgmDuck(&m_scheduler, 0, 0.5f));
    RunAt(0);
    RunAt(500);
    EndSound(Channel(0).staticBuffer);
    RunAt(600);
    ASSERT_EQ(0, M().PlayChannel(1, false));
    BgmDuckTask* second = M().StartBgmDuck(&m_scheduler, 1, 0.5f);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(BgmDuckTask::kHolding, second->Phase());
    EXPECT_EQ(256, second->RestoreLevel());
    EXPECT_EQ(128, M().BgmUserVolume());
    for (std::uint32_t t = 700; t <= 3000; t += 100) {
        RunAt(t);
        ASSERT_EQ(128, M().BgmUserVolume()) << t;
    }
    EXPECT_EQ(1, m_scheduler.TaskCount());
}

TEST_F(AudioFadeTest, DuckLevelsAndRefusals) {
    PlayMusicAndVoice();
    EXPECT_EQ(nullptr, M().StartBgmDuck(&m_scheduler, 0, 1.0f));
    EXPECT_EQ(nullptr, M().StartBgmDuck(&m_scheduler, 0, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(nullptr, M().StartBgmDuck(&m_scheduler, 1, 0.5f));  // the voice does not play
    ASSERT_NE(nullptr, M().StartBgmDuck(&m_scheduler, 0, -1.0f));
    RunAt(0);
    RunAt(500);
    EXPECT_EQ(128, M().BgmUserVolume());
    // Music that stops ends the duck with the level back.
    M().StopBgm();
    RunAt(600);
    EXPECT_EQ(256, M().BgmUserVolume());
    EXPECT_EQ(0, m_scheduler.TaskCount());
    EXPECT_EQ(nullptr, M().StartBgmDuck(&m_scheduler, 0, 0.5f));  // no music
}

TEST_F(AudioFadeTest, TakeOverBelowTheNewLevelRisesToItOverTheRamp) {
    PlayMusicAndVoice();
    ASSERT_EQ(0, M().LoadChannel(1, "voice.tsn", 0, false));
    ASSERT_EQ(0, M().PlayChannel(1, false));
    ASSERT_NE(nullptr, M().StartBgmDuck(&m_scheduler, 0, 0.25f));
    RunAt(0);
    RunAt(400);
    ASSERT_EQ(103, M().BgmUserVolume());  // 256 - 192 x 400 / 500
    ASSERT_NE(nullptr, M().StartBgmDuck(&m_scheduler, 1, 0.75f));
    RunAt(410);
    RunAt(660);
    EXPECT_EQ(147, M().BgmUserVolume());  // 103 + 89 x 250 / 500
    RunAt(910);
    EXPECT_EQ(192, M().BgmUserVolume());
}

TEST_F(AudioFadeTest, ChannelFadeInOnAMutedChannelRegistersNothing) {
    ASSERT_EQ(0, M().SetChannelCount(1));
    M().SetGroupEnable(false, 1, false, false);
    ChannelFadeInTask* fade = new ChannelFadeInTask(500);
    EXPECT_EQ(-1, fade->Start(&m_scheduler, &M(), "voice.tsn", 0, false, false));
    fade->DeletingDestructor(xm::kDeleteMemory);
    EXPECT_EQ(0, m_scheduler.TaskCount());
    EXPECT_EQ(100, Channel(0).volume);
    EXPECT_EQ(kChannelNoFade, Channel(0).fadeState);
}

TEST_F(AudioFadeTest, ChannelFadesStepAndFadeOutRestoresTheVolume) {
    ASSERT_EQ(0, M().SetChannelCount(1));
    ChannelFadeInTask* in = new ChannelFadeInTask(400);
    ASSERT_EQ(0, in->Start(&m_scheduler, &M(), "voice.tsn", 0, true, true));
    EXPECT_EQ(kChannelFadingIn, M().GetChannelTag(0));
    RunAt(0);
    RunAt(100);
    EXPECT_EQ(25, Channel(0).volume);
    RunAt(400);
    EXPECT_EQ(100, Channel(0).volume);
    EXPECT_EQ(kChannelNoFade, M().GetChannelTag(0));

    ChannelVolumeFadeTask* down = new ChannelVolumeFadeTask(20, 800);
    ASSERT_EQ(0, down->Start(&m_scheduler, &M(), 0));
    RunAt(1000);
    RunAt(1400);
    EXPECT_EQ(60, Channel(0).volume);
    RunAt(1800);
    EXPECT_EQ(20, Channel(0).volume);

    ChannelFadeOutTask* out = new ChannelFadeOutTask(200);
    ASSERT_EQ(0, out->Start(&m_scheduler, &M(), 0));
    RunAt(2000);
    RunAt(2100);
    EXPECT_EQ(10, Channel(0).volume);
    RunAt(2200);
    EXPECT_FALSE(M().IsChannelPlaying(0));
    EXPECT_EQ(20, Channel(0).volume);
    EXPECT_EQ(kChannelStopped, Channel(0).state);
    EXPECT_EQ(0, m_scheduler.TaskCount());
}

TEST_F(AudioFadeTest, EveryCancelOfAChannelFadeFinishesItOnce) {
    struct Case {
        const char* what;
        void (*cancel)(SoundManager&, TaskScheduler&);
        // A new fade goes on moving the volume itself.
        bool replaced;
    };
    const Case cases[] = {
        {"stop", [](SoundManager& m, TaskScheduler&) { m.StopChannel(0); }, false},
        {"play", [](SoundManager& m, TaskScheduler&) { m.PlayChannel(0, true); }, false},
        {"unload", [](SoundManager& m, TaskScheduler&) { m.UnloadChannel(0); }, false},
        {"new fade",
         [](SoundManager& m, TaskScheduler& s) {
             ChannelVolumeFadeTask* other = new ChannelVolumeFadeTask(100, 10000);
             ASSERT_EQ(0, other->Start(&s, &m, 0));
         },
         true},
        {"cancel kind", [](SoundManager&, TaskScheduler& s) { s.CancelKind(kChannelFadeKind); }, false},
    };
    std::uint32_t base = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        base += 10000;
        ASSERT_EQ(0, M().SetChannelCount(1));
        ASSERT_EQ(0, M().LoadChannel(0, "effect.tsn", 0, false));
        ASSERT_EQ(0, M().PlayChannel(0, true));
        ChannelVolumeFadeTask* fade = new ChannelVolumeFadeTask(0, 1000);
        ASSERT_EQ(0, fade->Start(&m_scheduler, &M(), 0));
        RunAt(base);
        RunAt(base + 500);
        ASSERT_EQ(50, Channel(0).volume);
        c.cancel(M(), m_scheduler);
        EXPECT_EQ(0, Channel(0).volume);  // the finish reached the target
        if (!c.replaced) {
            // Ran once: a later change is not overwritten by a second finish.
            M().SetChannelVolume(0, 77, -1);
            RunAt(base + 600);
            EXPECT_EQ(77, Channel(0).volume);
        }
        m_scheduler.CancelKind(kChannelFadeKind);
        RunAt(base + 700);
        EXPECT_EQ(0, m_scheduler.TaskCount());
        M().UnloadChannel(0);
        M().SetChannelVolume(0, 100, -1);
    }
}

}  // namespace
