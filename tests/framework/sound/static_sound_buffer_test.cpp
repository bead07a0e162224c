#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/sound/static_sound_buffer.h"
#include "tests/framework/sound/fake_sound_fixture.h"
#include "tests/support/fake_clock.h"

namespace {

using testsupport::FakeSoundBuffer;
using testsupport::TsndSound;

class StaticSoundBufferTest : public FakeSoundTest {
protected:
    void SetUp() override {
        FakeSoundTest::SetUp();
        m_sound.tag = 5;
        WriteTsnd("a.tsn", m_sound);
    }

    TsndSound m_sound;
    StaticSoundBuffer m_buffer;
};

TEST_F(StaticSoundBufferTest, LoadDecodesTheWholeFileIntoOneBuffer) {
    ASSERT_EQ(0, m_buffer.Load("a.tsn", 0));
    FakeSoundBuffer* fake = m_fake.LastBuffer();
    EXPECT_EQ(testsupport::TsndPcm(m_sound), fake->Memory());
    EXPECT_EQ(static_cast<DWORD>(DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME),
              fake->Flags());
    EXPECT_EQ(44100u, m_buffer.Length());
    EXPECT_EQ(1000u, m_buffer.LengthMs());
    EXPECT_FALSE(m_buffer.IsStreaming());
    std::int32_t channels = 0, rate = 0, bits = 0;
    EXPECT_EQ(0, m_buffer.GetFormat(&channels, &rate, &bits));
    EXPECT_EQ(1, channels);
    EXPECT_EQ(22050, rate);
    EXPECT_EQ(16, bits);
}

TEST_F(StaticSoundBufferTest, OggFilesLoadAsTheirDecoderReadsThem) {
    RegisterOgg();
    const struct {
        const char* sample;
        DWORD channels;
        DWORD rate;
    } cases[] = {{"mono22050.ogg", 1, 22050}, {"stereo44100.ogg", 2, 44100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sample);
        const std::vector<std::uint8_t> decoded = DecodeAll(Sample(c.sample));
        ASSERT_FALSE(decoded.empty());
        ASSERT_EQ(0, m_buffer.Load(Sample(c.sample).c_str(), 0));
        FakeSoundBuffer* fake = m_fake.LastBuffer();
        EXPECT_EQ(c.channels, fake->Format().nChannels);
        EXPECT_EQ(c.rate, fake->Format().nSamplesPerSec);
        EXPECT_EQ(decoded.size(), m_buffer.Length());
        EXPECT_EQ(decoded, fake->Memory());
    }
}

TEST_F(StaticSoundBufferTest, TheSameFileInTheSameModeIsKeptAnotherModeReloads) {
    ASSERT_EQ(0, m_buffer.Load("a.tsn", 0));
    const std::size_t made = m_fake.Buffers().size();
    EXPECT_EQ(0, m_buffer.Load("a.tsn", 0));
    EXPECT_EQ(made, m_fake.Buffers().size());
    EXPECT_EQ(0, m_buffer.LevelWidth());
    EXPECT_EQ(0, m_buffer.Load("a.tsn", StaticSoundBuffer::kLevelCopy));
    EXPECT_EQ(made + 1, m_fake.Buffers().size());
    EXPECT_EQ(2, m_buffer.LevelWidth());
    EXPECT_EQ(static_cast<std::int16_t>(tsnd::Sample16(5, 100)), m_buffer.GetSampleAt(200));
}

TEST_F(StaticSoundBufferTest, EnvelopeLevelsAreBlockMeans) {
    ASSERT_EQ(0, m_buffer.Load("a.tsn", StaticSoundBuffer::kLevelEnvelope));
    // Block means of |sample| over whole blocks of 32 samples, and their peak.
    std::vector<std::uint32_t> means;
    for (std::uint32_t block = 0; block < m_sound.frames / 32; ++block) {
        std::uint32_t sum = 0;
        for (std::uint32_t i = 0; i < 32; ++i) {
            sum += std::abs(static_cast<std::int16_t>(tsnd::Sample16(5, block * 32 + i)));
        }
        means.push_back(sum / 32);
    }
    const std::uint32_t peak = *std::max_element(means.begin(), means.end()) / 4;
    EXPECT_EQ(peak, m_buffer.LevelPeak());
    for (std::uint32_t block : {0u, 3u, 100u, 400u, 688u}) {
        SCOPED_TRACE(block);
        const std::uint32_t offset = block * 64 + 10;
        EXPECT_EQ(std::min<std::uint32_t>(means[block] / 128, 255), m_buffer.GetLevelAt(offset, 0));
        EXPECT_EQ(std::min<std::uint32_t>(16 * means[block] / peak, 15), m_buffer.GetLevelAt(offset, 16));
    }
    EXPECT_EQ(0u, m_buffer.GetLevelAt(44100, 0));
    // The sound in the buffer stays as decoded.
    EXPECT_EQ(testsupport::TsndPcm(m_sound), m_fake.LastBuffer()->Memory());
}

TEST_F(StaticSoundBufferTest, LoadFailuresLeaveTheBufferReleased) {
    ASSERT_TRUE(testsupport::WriteFile(Game("junk.tsn"), std::string("junk")));
    EXPECT_EQ(2, m_buffer.Load("missing.tsn", 0));
    EXPECT_EQ(2, m_buffer.Load("junk.tsn", 0));
    m_fake.failCreates = 2;
    EXPECT_EQ(3, m_buffer.Load("a.tsn", 0));
    EXPECT_EQ(nullptr, m_buffer.GetBuffer());
    EXPECT_EQ(1, m_buffer.Play());
    EXPECT_EQ(1, m_buffer.Load(nullptr, 0));
    m_fake.volumeControlOnly = true;
    EXPECT_EQ(-1, m_buffer.Load("a.tsn", 0));
    EXPECT_EQ(static_cast<DWORD>(DSBCAPS_CTRLVOLUME), m_fake.LastBuffer()->Flags());
    EXPECT_EQ(2, m_buffer.SetPan(100));
}

TEST_F(StaticSoundBufferTest, VolumeIsStoredOnItsScaleAndSetInHundredthsOfADecibel) {
    EXPECT_EQ(-1, m_buffer.SetVolume(128));
    EXPECT_EQ(128, m_buffer.GetVolume());
    ASSERT_EQ(0, m_buffer.Load("a.tsn", 0));
    EXPECT_EQ(-602, m_fake.LastBuffer()->Volume());
    const struct {
        std::int32_t volume;
        std::int32_t stored;
        LONG hundredths;
    } cases[] = {{300, 256, 0}, {256, 256, 0}, {128, 128, -602}, {64, 64, -1204},
                 {1, 1, -4816}, {0, 0, -10000}, {-5, 0, -10000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.volume);
        EXPECT_EQ(0, m_buffer.SetVolume(c.volume));
        EXPECT_EQ(c.stored, m_buffer.GetVolume());
        EXPECT_EQ(c.hundredths, m_fake.LastBuffer()->Volume());
    }
    EXPECT_EQ(0, m_buffer.AdjustVolumePanFrequency(20, 20000, -1000000));
    std::int32_t volume = 0, pan = 0, frequency = 0;
    EXPECT_EQ(0, m_buffer.GetVolumePanFrequency(&volume, &pan, &frequency));
    EXPECT_EQ(20, volume);
    EXPECT_EQ(10000, pan);
    EXPECT_EQ(100, frequency);
    EXPECT_EQ(0, m_buffer.AdjustVolumePanFrequency(0, -30000, 1000000));
    EXPECT_EQ(0, m_buffer.GetVolumePanFrequency(nullptr, &pan, &frequency));
    EXPECT_EQ(-10000, pan);
    EXPECT_EQ(100000, frequency);
}

TEST_F(StaticSoundBufferTest, PausesCountAndResumeInTheModeTheBufferHad) {
    ASSERT_EQ(0, m_buffer.Load("a.tsn", 0));
    FakeSoundBuffer* fake = m_fake.LastBuffer();
    EXPECT_EQ(2, m_buffer.Pause());
    EXPECT_EQ(2, m_buffer.Resume());
    ASSERT_EQ(0, m_buffer.PlayLoop());
    EXPECT_TRUE(fake->IsLooping());
    EXPECT_EQ(0, m_buffer.Pause());
    EXPECT_EQ(0, m_buffer.Pause());
    EXPECT_FALSE(fake->IsPlaying());
    EXPECT_EQ(0, m_buffer.Resume());
    EXPECT_FALSE(fake->IsPlaying());
    EXPECT_EQ(0, m_buffer.Resume());
    EXPECT_TRUE(fake->IsPlaying());
    EXPECT_TRUE(fake->IsLooping());
    EXPECT_EQ(0, m_buffer.StopAndRewind());
    EXPECT_EQ(2, m_buffer.Pause());
}

TEST_F(StaticSoundBufferTest, PositionsWithinTheSoundAndRefusesBeyondIt) {
    ASSERT_EQ(0, m_buffer.Load("a.tsn", 0));
    FakeSoundBuffer* fake = m_fake.LastBuffer();
    EXPECT_EQ(3, m_buffer.SetPositionMs(1000));
    EXPECT_EQ(3, m_buffer.SetPositionMs(5000));
    EXPECT_EQ(0, m_buffer.SetPositionMs(500));
    ASSERT_EQ(0, m_buffer.Play());
    // The preset position is kept by the next play.
    EXPECT_EQ(22050u, fake->PlayCursor());
    EXPECT_EQ(500, m_buffer.PositionMs());
    ASSERT_EQ(0, m_buffer.Play());
    EXPECT_EQ(0u, fake->PlayCursor());
    fake->Advance(44100);
    EXPECT_FALSE(fake->IsPlaying());
    EXPECT_EQ(testsupport::TsndPcm(m_sound), fake->Played());
}

TEST_F(StaticSoundBufferTest, ALostBufferIsDecodedAgainFromItsFile) {
    ASSERT_EQ(0, m_buffer.Load("a.tsn", StaticSoundBuffer::kLevelCopy));
    const std::size_t made = m_fake.Buffers().size();
    m_fake.LastBuffer()->LoseOnPlay(1);
    EXPECT_EQ(0, m_buffer.Play());
    ASSERT_EQ(made + 1, m_fake.Buffers().size());
    EXPECT_TRUE(m_fake.LastBuffer()->IsPlaying());
    EXPECT_EQ(testsupport::TsndPcm(m_sound), m_fake.LastBuffer()->Memory());
    EXPECT_EQ(0, m_buffer.LevelWidth());
}

class StaticFadeTest : public StaticSoundBufferTest {
protected:
    testsupport::FakeClock m_clock{1000};
    TaskScheduler m_scheduler{m_clock};
};

TEST_F(StaticFadeTest, FadeStepsAreOnePerVolumeUnitButNoFasterThan20Ms) {
    ASSERT_EQ(0, m_buffer.Load("a.tsn", 0));
    const struct {
        std::uint32_t duration;
        std::uint32_t period;
    } cases[] = {{1000, 20}, {10000, 39}, {0, 20}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.duration);
        ASSERT_EQ(0, m_buffer.FadeIn(&m_scheduler, c.duration, false));
        ASSERT_NE(nullptr, m_scheduler.FindByKind(0));
        EXPECT_EQ(c.period, m_scheduler.FindByKind(0)->Period());
        m_buffer.StopAndRewind();
        EXPECT_EQ(nullptr, m_scheduler.FindByKind(0));
    }
}

TEST_F(StaticFadeTest, FadeInRisesToTheVolumeAndFadeOutPausesAndKeepsIt) {
    ASSERT_EQ(0, m_buffer.Load("a.tsn", 0));
    FakeSoundBuffer* fake = m_fake.LastBuffer();
    ASSERT_EQ(0, m_buffer.FadeIn(&m_scheduler, 1000, true));
    EXPECT_EQ(-10000, fake->Volume());
    EXPECT_TRUE(fake->IsLooping());
    EXPECT_EQ(2, m_buffer.FadeIn(&m_scheduler, 1000, true));
    m_scheduler.RunDue(0);
    m_clock.AdvanceMs(500);
    m_scheduler.RunDue(0);
    EXPECT_EQ(128, m_buffer.GetVolume());
    EXPECT_EQ(-602, fake->Volume());
    m_clock.AdvanceMs(500);
    m_scheduler.RunDue(0);
    EXPECT_EQ(256, m_buffer.GetVolume());
    EXPECT_EQ(kFadeNone, m_buffer.FadeState());
    EXPECT_EQ(0, m_scheduler.TaskCount());

    ASSERT_EQ(0, m_buffer.FadeOut(&m_scheduler, 400));
    EXPECT_EQ(3, m_buffer.FadeOut(&m_scheduler, 400));
    m_scheduler.RunDue(0);
    m_clock.AdvanceMs(100);
    m_scheduler.RunDue(0);
    EXPECT_EQ(192, m_buffer.GetVolume());
    m_clock.AdvanceMs(300);
    m_scheduler.RunDue(0);
    EXPECT_FALSE(fake->IsPlaying());
    EXPECT_EQ(1, m_buffer.PauseCount());
    EXPECT_EQ(256, m_buffer.GetVolume());
    EXPECT_EQ(kFadeNone, m_buffer.FadeState());
    EXPECT_EQ(0, m_buffer.Resume());
    EXPECT_TRUE(fake->IsPlaying());
}

TEST_F(StaticFadeTest, ZeroMillisecondFadesCompleteAtTheirFirstStep) {
    ASSERT_EQ(0, m_buffer.Load("a.tsn", 0));
    FakeSoundBuffer* fake = m_fake.LastBuffer();
    ASSERT_EQ(0, m_buffer.FadeIn(&m_scheduler, 0, false));
    m_scheduler.RunDue(0);
    EXPECT_EQ(kFadeNone, m_buffer.FadeState());
    EXPECT_EQ(0, fake->Volume());
    EXPECT_TRUE(fake->IsPlaying());
    EXPECT_EQ(0, m_scheduler.TaskCount());

    ASSERT_EQ(0, m_buffer.FadeOut(&m_scheduler, 0));
    m_scheduler.RunDue(0);
    EXPECT_EQ(kFadeNone, m_buffer.FadeState());
    EXPECT_FALSE(fake->IsPlaying());
    EXPECT_EQ(256, m_buffer.GetVolume());
    EXPECT_EQ(0, m_scheduler.TaskCount());
}

TEST_F(StaticFadeTest, SilentBuffersFadeWithoutATask) {
    ASSERT_EQ(0, m_buffer.Load("a.tsn", 0));
    m_buffer.SetVolume(0);
    EXPECT_EQ(-1, m_buffer.FadeIn(&m_scheduler, 1000, false));
    EXPECT_TRUE(m_fake.LastBuffer()->IsPlaying());
    EXPECT_EQ(-1, m_buffer.FadeOut(&m_scheduler, 1000));
    EXPECT_EQ(1, m_buffer.PauseCount());
    EXPECT_EQ(0, m_scheduler.TaskCount());
    EXPECT_EQ(1, m_buffer.FadeIn(nullptr, 1000, false));
}

}  // namespace
