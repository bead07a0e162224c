// The lip-sync task over a static sound buffer on the in-memory DirectSound, its play cursor
// moved by the test: the cell follows the voice's level, the end state follows its end, and a
// voice that is not playing is refused.
#include "scenario/animation/lip_sync_task.h"

#include <gtest/gtest.h>

#include <set>

#include "framework/sound/static_sound_buffer.h"
#include "tests/framework/sound/fake_sound_fixture.h"
#include "tests/scenario/animation/strip_fixture.h"

namespace {

class LipSyncTest : public FakeSoundTest {
protected:
    void SetUp() override {
        FakeSoundTest::SetUp();
        m_strip.SetUp();
        testsupport::TsndSound sound;
        sound.tag = 0;  // samples rising from 0: levels over the whole range early on
        WriteTsnd("voice.tsn", sound);
        ASSERT_EQ(0, m_voice.Load("voice.tsn", StaticSoundBuffer::kLevelEnvelope));
    }

    // The strip fixture's target and cells, used without its own test body.
    class Strip : public animtest::StripTest {
    public:
        void TestBody() override {}
        using animtest::StripTest::SetUp;
        using animtest::StripTest::MakeCells;
        using animtest::StripTest::Shown;
        using animtest::StripTest::BackgroundShown;
        using animtest::StripTest::m_clock;
        using animtest::StripTest::m_scheduler;
        using animtest::StripTest::m_cells;
    };

    Strip m_strip;
    StaticSoundBuffer m_voice;
};

TEST_F(LipSyncTest, TheCellFollowsTheLevelAndTheEndStateTheEnd) {
    m_strip.MakeCells(4, 50, 0, 0, 0);
    ASSERT_EQ(0, m_voice.Play());
    auto* task = new LipSyncTask;
    ASSERT_EQ(0, task->Start(&m_strip.m_scheduler, &m_strip.m_cells, &m_voice));
    testsupport::FakeSoundBuffer* fake = m_fake.LastBuffer();
    std::set<std::int32_t> shown;
    for (DWORD position = 0; position < 12000; position += 302) {
        SCOPED_TRACE(position);
        fake->MoveCursor(position);
        m_strip.m_scheduler.RunDue(m_strip.m_clock.Milliseconds());
        const std::int32_t expected = static_cast<std::int32_t>(m_voice.GetLevelAt(position, 4));
        EXPECT_EQ(expected, m_strip.Shown());
        shown.insert(expected);
        m_strip.m_clock.AdvanceMs(50);
    }
    EXPECT_GE(shown.size(), 3u) << "the voice's levels reach several cells";
    EXPECT_EQ(0, m_voice.StopAndRewind());
    m_strip.m_scheduler.RunDue(m_strip.m_clock.Milliseconds());
    EXPECT_EQ(0, m_strip.m_scheduler.TaskCount());
    EXPECT_EQ(0, m_strip.Shown()) << "end mode 0 draws the first cell";
}

TEST_F(LipSyncTest, StartRefusals) {
    m_strip.MakeCells(4, 50, 0, 2, 0);
    StaticSoundBuffer empty;
    LipSyncTask task;
    EXPECT_EQ(1, task.Start(nullptr, &m_strip.m_cells, &m_voice));
    EXPECT_EQ(1, task.Start(&m_strip.m_scheduler, nullptr, &m_voice));
    EXPECT_EQ(1, task.Start(&m_strip.m_scheduler, &m_strip.m_cells, nullptr));
    EXPECT_EQ(1, task.Start(&m_strip.m_scheduler, &m_strip.m_cells, &empty));
    EXPECT_EQ(2, task.Start(&m_strip.m_scheduler, &m_strip.m_cells, &m_voice))
        << "a voice that has stopped";
    EXPECT_EQ(0, m_strip.m_scheduler.TaskCount());
    EXPECT_TRUE(m_strip.BackgroundShown());
}

}  // namespace
