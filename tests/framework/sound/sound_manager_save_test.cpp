#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/util/byte_cursor.h"
#include "tests/framework/sound/sound_manager_fixture.h"
#include "tests/support/tsnd_writer.h"

namespace {

class SoundManagerSaveTest : public SoundManagerTest {
protected:
    // Saves through a cursor over exactly SaveSize bytes, which must all be written.
    std::vector<std::uint8_t> SaveAll() {
        std::vector<std::uint8_t> bytes(M().SaveSize());
        ByteCursor cursor(bytes.data(), bytes.size());
        EXPECT_EQ(0, M().Save(&cursor));
        EXPECT_EQ(0u, cursor.Remaining());
        return bytes;
    }
    std::int32_t LoadAll(const std::vector<std::uint8_t>& bytes) {
        const std::uint8_t* data = bytes.data();
        ByteCursor cursor(data, bytes.size());
        const std::int32_t result = M().Load(&cursor);
        if (result == 0) {
            EXPECT_EQ(0u, cursor.Remaining());
        }
        return result;
    }

    // Channels 0-5: a static and a streaming sound in each group, looped or stopped, with pans.
    void FillChannels() {
        ASSERT_EQ(0, M().SetChannelCount(7));
        const std::uint8_t groups[] = {1, 1, 2, 2, 4, 4};
        for (int i = 0; i < 6; ++i) {
            ASSERT_EQ(0, M().SetChannelGroup(i, groups[i]));
            ASSERT_EQ(0, M().SetChannelPan(i, 100 * i - 250));
            ASSERT_EQ(0, M().LoadChannel(i, i % 2 ? "effect.tsn" : "voice.tsn",
                                         i % 2 ? 0 : StaticSoundBuffer::kLevelCopy, i % 2 == 1));
            if (i != 2 && i != 5) {
                ASSERT_EQ(0, M().PlayChannel(i, true));
            }
        }
    }
};

TEST_F(SoundManagerSaveTest, FourteenCharacterNamesWithoutChannelsMakeFortyFiveBytes) {
    WriteTsnd("intro_song.tsn", m_intro);
    WriteTsnd("loops_song.tsn", m_loop);
    ASSERT_EQ(0, M().PlayBgm("loops_song.tsn", "intro_song.tsn", true));
    M().SetBgmPan(-120);
    EXPECT_EQ(45u, M().SaveSize());
    const std::vector<std::uint8_t> bytes = SaveAll();
    ASSERT_EQ(45u, bytes.size());
    EXPECT_EQ(15, bytes[4]);  // strlen + 1
    EXPECT_EQ(0, std::memcmp(&bytes[5], "loops_song.tsn", 15));

    M().StopBgm();
    ASSERT_EQ(0, LoadAll(bytes));
    BgmPlayer& player = M().CurrentPlayer();
    ASSERT_TRUE(player.buffer.IsPlaying());
    EXPECT_EQ(-120, M().BgmPan());
    // The ring starts with the intro and goes on with the repeated part.
    testsupport::FakeSoundBuffer* ring = Fake(player.buffer);
    ring->Advance(ring->Size());
    const std::vector<std::uint8_t> played = ring->Played();
    const std::vector<std::uint8_t> intro = testsupport::TsndPcm(m_intro);
    const std::vector<std::uint8_t> loop = testsupport::TsndPcm(m_loop);
    ASSERT_GE(played.size(), intro.size() + loop.size());
    EXPECT_TRUE(std::equal(intro.begin(), intro.end(), played.begin()));
    EXPECT_TRUE(std::equal(loop.begin(), loop.end(), played.begin() + intro.size()));
}

TEST_F(SoundManagerSaveTest, RoundTripOfChannelsInEveryGroup) {
    ASSERT_EQ(0, M().PlayBgm("track.tsn", nullptr, false));
    M().SetBgmVolume(70, -1, true);
    FillChannels();
    const std::vector<std::uint8_t> saved = SaveAll();

    // Another state entirely, then the saved one back.
    M().StopBgm();
    ASSERT_EQ(0, M().SetChannelCount(2));
    ASSERT_EQ(0, M().SetChannelGroup(0, 2));
    ASSERT_EQ(0, M().LoadChannel(0, "effect.tsn", 0, true));
    ASSERT_EQ(0, M().PlayChannel(0, true));
    ASSERT_EQ(0, LoadAll(saved));

    EXPECT_EQ("track.tsn", M().CurrentPlayer().track);
    EXPECT_EQ(70, M().CurrentPlayer().trackVolume);
    EXPECT_FALSE(M().CurrentPlayer().loop);
    EXPECT_TRUE(M().CurrentPlayer().buffer.IsPlaying());
    ASSERT_EQ(7, M().ChannelCount());
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        SoundChannel& channel = Channel(i);
        EXPECT_EQ(i % 2 ? "effect.tsn" : "voice.tsn", channel.name);
        EXPECT_EQ(i % 2 ? static_cast<SoundBuffer*>(&channel.streaming) : &channel.staticBuffer,
                  channel.active);
        EXPECT_EQ(100 * i - 250, channel.pan);
        const bool looped = i != 2 && i != 5;
        EXPECT_EQ(looped, M().IsChannelPlaying(i));
        EXPECT_EQ(looped ? kChannelPlayingLooped : kChannelStopped, channel.state);
    }
    EXPECT_EQ(nullptr, Channel(6).active);
    EXPECT_EQ(saved, SaveAll());
}

TEST_F(SoundManagerSaveTest, StaticRecordsKeepTheNameTheyWereLoadedWith) {
    ASSERT_EQ(0, M().SetChannelCount(1));
    ASSERT_EQ(0, M().LoadChannel(0, "voice.tsn", 0, false));
    const std::vector<std::uint8_t> bytes = SaveAll();
    // pan, no names, volume, loop, count: then kind 2 and "voice.tsn".
    ASSERT_EQ(15u + 11u + 12u, bytes.size());
    EXPECT_EQ(2, bytes[15]);
    EXPECT_EQ(10, bytes[16]);
    EXPECT_EQ(0, std::memcmp(&bytes[17], "voice.tsn", 10));
}

TEST_F(SoundManagerSaveTest, LevelDataModeSurvivesTheRoundTrip) {
    ASSERT_EQ(0, M().SetChannelCount(2));
    ASSERT_EQ(0, M().LoadChannel(0, "voice.tsn", StaticSoundBuffer::kLevelCopy, false));
    ASSERT_EQ(0, M().LoadChannel(1, "voice8.tsn", StaticSoundBuffer::kLevelEnvelope, false));
    struct Reading {
        std::int32_t sample;
        std::uint32_t level;
        std::uint32_t scaled;
        bool operator==(const Reading& other) const {
            return sample == other.sample && level == other.level && scaled == other.scaled;
        }
    };
    auto read = [&](int channel, std::uint32_t offset) {
        StaticSoundBuffer& buffer = Channel(channel).staticBuffer;
        return Reading{buffer.GetSampleAt(offset), buffer.GetLevelAt(offset, 0),
                       buffer.GetLevelAt(offset, 16)};
    };
    const std::uint32_t offsets[] = {0, 200, 4000, 11000};
    std::vector<Reading> before;
    for (int channel = 0; channel < 2; ++channel) {
        for (std::uint32_t offset : offsets) before.push_back(read(channel, offset));
    }
    const std::vector<std::uint8_t> bytes = SaveAll();
    M().UnloadChannel(0);
    M().UnloadChannel(1);
    ASSERT_EQ(0, LoadAll(bytes));
    std::size_t k = 0;
    for (int channel = 0; channel < 2; ++channel) {
        for (std::uint32_t offset : offsets) {
            SCOPED_TRACE(offset);
            EXPECT_TRUE(before[k++] == read(channel, offset));
        }
    }
    EXPECT_EQ(StaticSoundBuffer::kLevelCopy, Channel(0).levelMode);
    EXPECT_EQ(StaticSoundBuffer::kLevelEnvelope, Channel(1).levelMode);
}

TEST_F(SoundManagerSaveTest, DamagedRecordsAreRefusedAndChangeNothing) {
    ASSERT_EQ(0, M().PlayBgm("loop.tsn", "intro.tsn", true));
    FillChannels();
    const std::vector<std::uint8_t> good = SaveAll();
    // Offsets: pan 0, track length 4, "loop.tsn" 5..13, intro length 14, "intro.tsn" 15..24,
    // volume 25, loop 29, count 30, first channel 34 (kind), 35 (name length).
    struct Case {
        const char* what;
        std::size_t offset;
        std::vector<std::uint8_t> bytes;
    };
    const Case corrupted[] = {
        {"track length past the end", 4, {0xFF}},
        {"track name without its NUL", 4, {4}},
        {"intro length past the end", 14, {0xFE}},
        {"channel count past the end", 30, {0xFF, 0xFF, 0xFF, 0x7F}},
        {"one channel too many", 30, {8, 0, 0, 0}},
        {"unknown channel kind", 34, {3}},
        {"channel name length past the end", 35, {0xFF}},
        {"channel name length of one", 35, {1}},
    };
    std::vector<std::vector<std::uint8_t>> damaged;
    std::vector<std::string> names;
    for (const Case& c : corrupted) {
        std::vector<std::uint8_t> bytes = good;
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + c.offset);
        damaged.push_back(bytes);
        names.push_back(c.what);
    }
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        damaged.emplace_back(good.begin(), good.begin() + cut);
        names.push_back("cut at " + std::to_string(cut));
    }

    // The state the refused loads must leave alone.
    M().StopBgm();
    ASSERT_EQ(0, M().PlayBgm("track.tsn", nullptr, true));
    ASSERT_EQ(0, M().SetChannelCount(1));
    ASSERT_EQ(0, M().LoadChannel(0, "effect.tsn", 0, false));
    ASSERT_EQ(0, M().PlayChannel(0, true));
    IDirectSoundBuffer* musicRing = M().CurrentPlayer().buffer.GetBuffer();
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const std::uint8_t* data = damaged[i].data();
        ByteCursor cursor(data, damaged[i].size());
        EXPECT_EQ(SoundManager::kDamagedRecord, M().Load(&cursor));
        EXPECT_EQ(damaged[i].size(), cursor.Remaining());
        EXPECT_EQ("track.tsn", M().CurrentPlayer().track);
        EXPECT_EQ(musicRing, M().CurrentPlayer().buffer.GetBuffer());
        EXPECT_TRUE(M().IsBgmPlaying());
        ASSERT_EQ(1, M().ChannelCount());
        EXPECT_EQ("effect.tsn", Channel(0).name);
        EXPECT_TRUE(M().IsChannelPlaying(0));
    }
    EXPECT_EQ(SoundManager::kNoCursor, M().Load(nullptr));
    // The undamaged record still loads.
    ASSERT_EQ(0, LoadAll(good));
    EXPECT_EQ(7, M().ChannelCount());
}

}  // namespace
