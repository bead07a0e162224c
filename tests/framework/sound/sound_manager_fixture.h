// A sound manager over the in-memory DirectSound, its fade scheduler on a hand-moved clock, and
// TSND sounds in the game folder: "track.tsn", "intro.tsn", "loop.tsn", "other.tsn" for music,
// "voice.tsn" and "effect.tsn" (16-bit) and "voice8.tsn" (8-bit) for channels.
#pragma once

#include <gtest/gtest.h>

#include "framework/sound/sound_manager.h"
#include "tests/framework/sound/fake_sound_fixture.h"
#include "tests/support/fake_clock.h"

class SoundManagerTest : public FakeSoundTest {
protected:
    void SetUp() override {
        FakeSoundTest::SetUp();
        testsupport::TsndSound music;
        music.frames = 44100;  // 2 s
        m_intro.tag = 1;
        m_intro.frames = 33075;  // 1.5 s
        m_loop.tag = 2;
        m_loop.frames = 22050;
        WriteTsnd("track.tsn", music);
        music.tag = 3;
        WriteTsnd("other.tsn", music);
        WriteTsnd("intro.tsn", m_intro);
        WriteTsnd("loop.tsn", m_loop);
        testsupport::TsndSound voice;
        voice.tag = 4;
        voice.frames = 11025;
        WriteTsnd("voice.tsn", voice);
        voice.tag = 5;
        WriteTsnd("effect.tsn", voice);
        voice.bits = 8;
        voice.tag = 6;
        WriteTsnd("voice8.tsn", voice);
        m_manager.reset(new SoundManager);
        m_manager->SetFadeScheduler(&m_scheduler);
    }
    void TearDown() override {
        // The decoders live in the plug-in, which goes with the host.
        m_manager.reset();
        FakeSoundTest::TearDown();
    }

    // Moves the clock to `ms` after the start and runs the scheduler once.
    void RunAt(std::uint32_t ms) {
        m_clock.SetMs(kStart + ms);
        m_scheduler.RunDue(kStart + ms);
    }

    static testsupport::FakeSoundBuffer* Fake(SoundBuffer& buffer) {
        return static_cast<testsupport::FakeSoundBuffer*>(buffer.GetBuffer());
    }
    // Ends the sound as DirectSound does when a one-shot sound is over.
    static void EndSound(SoundBuffer& buffer) { Fake(buffer)->Stop(); }

    SoundManager& M() { return *m_manager; }
    SoundChannel& Channel(int index) { return *M().GetChannel(index); }

    static constexpr std::uint32_t kStart = 10000;
    testsupport::FakeClock m_clock{kStart};
    TaskScheduler m_scheduler{m_clock};
    std::unique_ptr<SoundManager> m_manager;
    testsupport::TsndSound m_intro;
    testsupport::TsndSound m_loop;
};
