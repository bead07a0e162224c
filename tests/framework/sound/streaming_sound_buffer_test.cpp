#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "framework/sound/streaming_sound_buffer.h"
#include "tests/framework/sound/fake_sound_fixture.h"
#include "tests/support/fake_clock.h"

namespace {

using testsupport::FakeSoundBuffer;
using testsupport::TsndSound;

// Only a guard against a hang: a step returns as soon as the refill thread has answered, which
// takes long on a loaded machine under an emulator.
constexpr DWORD kWaitMs = 30000;

std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The first `count` bytes of `head` followed by `loop` repeated.
std::vector<std::uint8_t> HeadThenRepeat(const std::vector<std::uint8_t>& head,
                                         const std::vector<std::uint8_t>& loop, std::size_t count) {
    std::vector<std::uint8_t> all(head.begin(), head.begin() + std::min(count, head.size()));
    while (all.size() < count) {
        const std::size_t take = std::min(count - all.size(), loop.size());
        all.insert(all.end(), loop.begin(), loop.begin() + take);
    }
    return all;
}

class StreamingSoundBufferTest : public FakeSoundTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        FakeSoundTest::SetUp();
        StreamingSoundBuffer::SetUseNotifications(GetParam());
        m_intro.tag = 1;
        m_intro.frames = 33075;  // 1.5 s
        m_loop.tag = 2;
        m_loop.frames = 55125;   // 2.5 s
        WriteTsnd("intro.tsn", m_intro);
        WriteTsnd("loop.tsn", m_loop);
    }
    void TearDown() override {
        // The decoders live in the plug-in, which goes with the host.
        m_buffer.Release();
        FakeSoundTest::TearDown();
    }

    // Opens the buffer and finds its ring among the fake's buffers.
    FakeSoundBuffer* Open(const char* first, const char* second) {
        EXPECT_EQ(0, m_buffer.Open(first, second));
        FakeSoundBuffer* ring = m_fake.LastBuffer();
        EXPECT_EQ(m_buffer.GetBuffer(), static_cast<IDirectSoundBuffer*>(ring));
        return ring;
    }

    // Plays `bytes` of the ring, wakes the refill thread and waits (bounded) until it has
    // answered with an Unlock or stopped the buffer; false when it did not.
    bool Step(FakeSoundBuffer* ring, std::uint32_t bytes) {
        const std::uint32_t unlocks = ring->Unlocks();
        ring->Advance(bytes);
        SetEvent(m_buffer.Event());
        return ring->WaitForUnlocksOrStop(unlocks + 1, kWaitMs);
    }

    // Steps until the refill thread stops the buffer itself (a step may find it stopping, so
    // the count is not exact); false when it still plays after `most` steps.
    bool StepUntilStopped(FakeSoundBuffer* ring, std::uint32_t bytes, int most) {
        for (int i = 0; i < most && ring->IsPlaying(); ++i) {
            if (!Step(ring, bytes)) return false;
        }
        return ring->WaitForStop(kWaitMs);
    }

    TsndSound m_intro;
    TsndSound m_loop;
    StreamingSoundBuffer m_buffer;
};

TEST_P(StreamingSoundBufferTest, OpensARingOfFourSecondsWithItsNotifications) {
    FakeSoundBuffer* ring = Open("intro.tsn", "loop.tsn");
    EXPECT_EQ(176400u, ring->Size());
    EXPECT_EQ(GetParam(), m_buffer.NotifyActive());
    EXPECT_EQ(GetParam(), (ring->Flags() & DSBCAPS_CTRLPOSITIONNOTIFY) != 0);
    const std::vector<DSBPOSITIONNOTIFY> positions = ring->NotifyPositions();
    if (GetParam()) {
        ASSERT_EQ(5u, positions.size());
        const DWORD offsets[] = {44100, 88200, 132300, 176399, static_cast<DWORD>(DSBPN_OFFSETSTOP)};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(offsets[i], positions[i].dwOffset);
            EXPECT_EQ(m_buffer.Event(), positions[i].hEventNotify);
        }
    } else {
        EXPECT_TRUE(positions.empty());
    }
    EXPECT_EQ(m_intro.DataSize() + m_loop.DataSize(), m_buffer.Length());
    EXPECT_EQ(4000u, m_buffer.LengthMs());
    EXPECT_TRUE(m_buffer.IsStreaming());
}

TEST_P(StreamingSoundBufferTest, IntroThenTheSecondFileOnceThenStopAndRewind) {
    FakeSoundBuffer* ring = Open("intro.tsn", "loop.tsn");
    ASSERT_EQ(0, m_buffer.Play());
    ASSERT_TRUE(StepUntilStopped(ring, 22050, 12));
    const std::vector<std::uint8_t> played = ring->Played();
    const std::vector<std::uint8_t> expected =
        Concat({testsupport::TsndPcm(m_intro), testsupport::TsndPcm(m_loop)});
    ASSERT_GE(played.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), played.begin()));
    EXPECT_TRUE(std::all_of(played.begin() + expected.size(), played.end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(0, m_buffer.PositionMs());

    // Rewound: it plays from the start again.
    ASSERT_EQ(0, m_buffer.Play());
    ASSERT_TRUE(Step(ring, 22050));
    const std::vector<std::uint8_t> again = ring->Played();
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 22050, again.end() - 22050));
    EXPECT_EQ(0, m_buffer.StopAndRewind());
    EXPECT_FALSE(m_buffer.IsRefillThreadRunning());
}

TEST_P(StreamingSoundBufferTest, LoopingRepeatsTheSecondFileOverManyRingTurnsWithoutAGap) {
    FakeSoundBuffer* ring = Open("intro.tsn", "loop.tsn");
    ring->SetWriteLead(882);
    ASSERT_EQ(0, m_buffer.PlayLoop());
    for (int i = 0; i < 48; ++i) ASSERT_TRUE(Step(ring, 22050)) << i;
    EXPECT_TRUE(ring->IsPlaying());
    const std::vector<std::uint8_t> played = ring->Played();
    ASSERT_EQ(48u * 22050, played.size());
    EXPECT_EQ(HeadThenRepeat(testsupport::TsndPcm(m_intro), testsupport::TsndPcm(m_loop),
                             played.size()),
              played);
    // 24 s played: 1.5 s of intro, then the 2.5 s part nine times: back at its start.
    EXPECT_EQ(1500, m_buffer.PositionMs());
    EXPECT_EQ(0, m_buffer.StopAndRewind());
}

TEST_P(StreamingSoundBufferTest, ASingleFileLoopsWithoutAGapAndStopsAtItsEndOtherwise) {
    FakeSoundBuffer* ring = Open("loop.tsn", nullptr);
    ASSERT_EQ(0, m_buffer.PlayLoop());
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(Step(ring, 22050)) << i;
    const std::vector<std::uint8_t> pcm = testsupport::TsndPcm(m_loop);
    EXPECT_EQ(HeadThenRepeat(pcm, pcm, 20 * 22050), ring->Played());

    ASSERT_EQ(0, m_buffer.Play());
    const std::size_t before = ring->Played().size();
    ASSERT_TRUE(StepUntilStopped(ring, 22050, 8));
    const std::vector<std::uint8_t> played = ring->Played();
    ASSERT_LE(before + pcm.size(), played.size());
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), played.begin() + before));
    // What plays after the sound, until the thread stops the ring, is silence.
    EXPECT_TRUE(std::all_of(played.begin() + before + pcm.size(), played.end(),
                            [](std::uint8_t b) { return b == 0; }));
}

TEST_P(StreamingSoundBufferTest, AStereoOggLoopsOverSeveralRingTurnsAsItsDecoderReadsIt) {
    RegisterOgg();
    const std::string music = Sample("stereo44100.ogg");
    const std::vector<std::uint8_t> pcm = DecodeAll(music);
    ASSERT_EQ(176400u, pcm.size());
    FakeSoundBuffer* ring = Open(music.c_str(), nullptr);
    ASSERT_EQ(705600u, ring->Size());
    ring->SetWriteLead(7056);
    ASSERT_EQ(0, m_buffer.PlayLoop());
    // Fourteen seconds of a one-second sound: three and a half turns of the ring.
    for (int i = 0; i < 28; ++i) ASSERT_TRUE(Step(ring, 88200)) << i;
    EXPECT_TRUE(ring->IsPlaying());
    const std::vector<std::uint8_t> played = ring->Played();
    ASSERT_EQ(28u * 88200, played.size());
    const std::vector<std::uint8_t> expected = HeadThenRepeat(pcm, pcm, played.size());
    const auto differ = std::mismatch(expected.begin(), expected.end(), played.begin());
    EXPECT_TRUE(differ.first == expected.end())
        << "first lost or doubled byte at " << (differ.first - expected.begin());
    EXPECT_EQ(0, m_buffer.StopAndRewind());
}

TEST_P(StreamingSoundBufferTest, SetPositionMsReachesIntoBothFiles) {
    FakeSoundBuffer* ring = Open("intro.tsn", "loop.tsn");
    ASSERT_EQ(0, m_buffer.PlayLoop());
    ASSERT_TRUE(Step(ring, 22050));
    const struct {
        std::uint32_t ms;
        const TsndSound* sound;
        std::uint32_t offset;
    } cases[] = {{1000, &m_intro, 44100}, {2000, &m_loop, 22050}, {1500, &m_loop, 0},
                 {3900, &m_loop, 105840}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        ASSERT_EQ(0, m_buffer.SetPositionMs(c.ms));
        EXPECT_EQ(static_cast<std::int32_t>(c.ms), m_buffer.PositionMs());
        const std::size_t before = ring->Played().size();
        ASSERT_TRUE(Step(ring, 22050));
        ASSERT_TRUE(Step(ring, 22050));
        const std::vector<std::uint8_t> played = ring->Played();
        EXPECT_EQ(HeadThenRepeat(testsupport::TsndPcm(*c.sound, c.offset),
                                 testsupport::TsndPcm(m_loop), 44100),
                  std::vector<std::uint8_t>(played.begin() + before, played.end()));
    }
    EXPECT_EQ(3, m_buffer.SetPositionMs(4000));
}

TEST_P(StreamingSoundBufferTest, ALostRingIsRestoredOnceAndPlaysOn) {
    FakeSoundBuffer* ring = Open("loop.tsn", nullptr);
    ASSERT_EQ(0, m_buffer.PlayLoop());
    ASSERT_TRUE(Step(ring, 22050));
    ring->LoseOnLock(1);
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(Step(ring, 22050)) << i;
    EXPECT_EQ(1, ring->Restores());
    EXPECT_TRUE(ring->IsPlaying());
    const std::vector<std::uint8_t> pcm = testsupport::TsndPcm(m_loop);
    EXPECT_EQ(HeadThenRepeat(pcm, pcm, 7 * 22050), ring->Played());
}

TEST_P(StreamingSoundBufferTest, RestartingRightAfterTheThreadStoppedTheBufferNeverHangs) {
    TsndSound shortSound;
    shortSound.frames = 4410;
    shortSound.tag = 9;
    WriteTsnd("short.tsn", shortSound);
    FakeSoundBuffer* ring = Open("short.tsn", nullptr);
    const std::vector<std::uint8_t> pcm = testsupport::TsndPcm(shortSound);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(0, m_buffer.Play());
        const std::size_t before = ring->Played().size();
        ASSERT_TRUE(StepUntilStopped(ring, 22050, 3));
        const std::vector<std::uint8_t> played = ring->Played();
        ASSERT_LE(before + pcm.size(), played.size());
        ASSERT_TRUE(std::equal(pcm.begin(), pcm.end(), played.begin() + before));
    }
}

TEST_P(StreamingSoundBufferTest, PausedRingsStayPutAndResumeWhereTheyWere) {
    FakeSoundBuffer* ring = Open("loop.tsn", nullptr);
    EXPECT_EQ(3, m_buffer.Pause());
    ASSERT_EQ(0, m_buffer.PlayLoop());
    ASSERT_TRUE(Step(ring, 22050));
    EXPECT_EQ(0, m_buffer.Pause());
    EXPECT_EQ(0, m_buffer.Pause());
    EXPECT_FALSE(ring->IsPlaying());
    EXPECT_EQ(0, m_buffer.Resume());
    EXPECT_FALSE(ring->IsPlaying());
    EXPECT_EQ(0, m_buffer.Resume());
    EXPECT_TRUE(ring->IsPlaying());
    EXPECT_EQ(2, m_buffer.Resume());
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(Step(ring, 22050)) << i;
    const std::vector<std::uint8_t> pcm = testsupport::TsndPcm(m_loop);
    EXPECT_EQ(HeadThenRepeat(pcm, pcm, 4 * 22050), ring->Played());
}

TEST_P(StreamingSoundBufferTest, AStreamThatEndsDuringAFadeLeavesTheTaskToItsScheduler) {
    testsupport::FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    FakeSoundBuffer* ring = Open("intro.tsn", nullptr);
    ASSERT_EQ(0, m_buffer.Play());
    ASSERT_EQ(0, m_buffer.FadeOut(&scheduler, 60000));
    scheduler.RunDue(0);
    clock.AdvanceMs(30000);
    scheduler.RunDue(0);
    EXPECT_EQ(128, m_buffer.GetVolume());
    ASSERT_TRUE(StepUntilStopped(ring, 22050, 10));
    // The refill thread stopped the buffer without reaching for the scheduler.
    EXPECT_EQ(1, scheduler.TaskCount());
    EXPECT_EQ(kFadingOut, m_buffer.FadeState());
    clock.AdvanceMs(1000);
    scheduler.RunDue(0);
    EXPECT_EQ(0, scheduler.TaskCount());
    EXPECT_EQ(kFadeNone, m_buffer.FadeState());
    EXPECT_EQ(256, m_buffer.GetVolume());
    EXPECT_EQ(0, ring->Volume());
}

TEST_P(StreamingSoundBufferTest, SlowFormatsOf500BytesASecondStreamWithoutAGap) {
    TsndSound slow;
    slow.bits = 8;
    slow.rate = 500;
    slow.frames = 1700;
    slow.tag = 6;
    WriteTsnd("slow.tsn", slow);
    FakeSoundBuffer* ring = Open("slow.tsn", nullptr);
    EXPECT_EQ(2000u, ring->Size());
    ASSERT_EQ(0, m_buffer.PlayLoop());
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(Step(ring, 250)) << i;
    const std::vector<std::uint8_t> pcm = testsupport::TsndPcm(slow);
    EXPECT_EQ(HeadThenRepeat(pcm, pcm, 30 * 250), ring->Played());
}

TEST_P(StreamingSoundBufferTest, OpenReportsEachFailure) {
    TsndSound other;
    other.rate = 44100;
    WriteTsnd("other.tsn", other);
    const struct {
        const char* first;
        const char* second;
        std::int32_t code;
    } cases[] = {
        {nullptr, nullptr, 1},
        {"missing.tsn", nullptr, 2},
        {"intro.tsn", "missing.tsn", 3},
        {"intro.tsn", "other.tsn", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(c.code, m_buffer.Open(c.first, c.second));
        EXPECT_EQ(nullptr, m_buffer.GetBuffer());
        EXPECT_EQ(1, m_buffer.Play());
    }
    m_fake.failCreates = 2;
    EXPECT_EQ(5, m_buffer.Open("intro.tsn", nullptr));
    m_fake.volumeControlOnly = true;
    m_fake.noNotifyInterface = true;
    EXPECT_EQ(GetParam() ? -3 : -1, m_buffer.Open("intro.tsn", nullptr));
    m_fake.volumeControlOnly = false;
    m_fake.noNotifyInterface = false;
    m_fake.refuseNotifications = true;
    EXPECT_EQ(GetParam() ? -4 : 0, m_buffer.Open("intro.tsn", nullptr));
    EXPECT_FALSE(m_buffer.NotifyActive());
    EXPECT_NE(nullptr, m_buffer.GetBuffer());
}

INSTANTIATE_TEST_SUITE_P(Notifications, StreamingSoundBufferTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Notified") : std::string("Waiting");
                         });

}  // namespace
