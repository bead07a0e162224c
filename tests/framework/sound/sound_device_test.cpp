#include <gtest/gtest.h>

#include <algorithm>

#include "framework/sound/output_devices.h"
#include "framework/sound/static_sound_buffer.h"
#include "tests/framework/sound/fake_sound_fixture.h"

namespace {

using testsupport::FakeDirectSound;
using testsupport::FakeSoundBuffer;
using testsupport::TsndSound;

class SoundDeviceTest : public FakeSoundTest {};

TEST_F(SoundDeviceTest, CreateReportsEachFailureAndHoldsNothingAfterIt) {
    const struct {
        const char* what;
        void (*arrange)(FakeDirectSound&);
        std::int32_t code;
    } cases[] = {
        {"Initialize refused", [](FakeDirectSound& f) { f.failInitialize = true; },
         kSoundDeviceInitializeFailed},
        {"no cooperative level", [](FakeDirectSound& f) { f.refusePriority = f.refuseNormal = true; },
         kSoundDeviceNoCooperativeLevel},
        {"no silent buffer", [](FakeDirectSound& f) { f.failCreates = 1; }, kSoundDeviceNoSilentBuffer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeDirectSound fake;
        fake.Install();
        c.arrange(fake);
        SoundDevice device;
        EXPECT_EQ(c.code, device.Create(nullptr, false, false, nullptr));
        EXPECT_EQ(nullptr, device.DirectSound());
        EXPECT_EQ(nullptr, device.SilentBuffer());
        EXPECT_EQ(1, fake.References());
    }
    SetDirectSoundFactory([](IDirectSound** out) -> HRESULT {
        *out = nullptr;
        return E_FAIL;
    });
    SoundDevice device;
    EXPECT_EQ(kSoundDeviceCreateFailed, device.Create(nullptr, false, false, nullptr));
}

TEST_F(SoundDeviceTest, FallsBackToTheNormalLevelAndMakesAShortSilentBuffer) {
    FakeDirectSound fake;
    fake.Install();
    fake.refusePriority = true;
    SoundDevice device;
    ASSERT_EQ(0, device.Create(nullptr, true, true, nullptr));
    EXPECT_EQ(static_cast<DWORD>(DSSCL_NORMAL), device.CooperativeLevel());
    FakeSoundBuffer* silent = fake.Buffers().at(0);
    EXPECT_EQ(800u, silent->Size());
    EXPECT_EQ(static_cast<DWORD>(DSBCAPS_GLOBALFOCUS | DSBCAPS_LOCSOFTWARE), silent->Flags());
    EXPECT_EQ(8000u, silent->Format().nSamplesPerSec);
    EXPECT_EQ(8, silent->Format().wBitsPerSample);
    const std::vector<std::uint8_t> memory = silent->Memory();
    EXPECT_TRUE(std::all_of(memory.begin(), memory.end(), [](std::uint8_t b) { return b == 0x80; }));

    // Under the normal level there is no primary buffer to set.
    EXPECT_EQ(-1, device.SetPrimaryFormat(nullptr, true, true, nullptr, 2, 44, 16));
    EXPECT_EQ(nullptr, device.PrimaryBuffer());
}

TEST_F(SoundDeviceTest, PrimaryFormatTakesRateCodesOrRates) {
    const struct {
        std::int32_t code;
        DWORD rate;
    } cases[] = {{8, 8000}, {11, 11025}, {22, 22050}, {44, 44100}, {32000, 32000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        ASSERT_EQ(0, m_device.SetPrimaryFormat(nullptr, false, false, nullptr, 2, c.code, 16));
        EXPECT_NE(nullptr, m_device.PrimaryBuffer());
        EXPECT_EQ(c.rate, m_fake.primaryFormat.nSamplesPerSec);
        EXPECT_EQ(2, m_fake.primaryFormat.nChannels);
        EXPECT_EQ(4, m_fake.primaryFormat.nBlockAlign);
        EXPECT_EQ(c.rate * 4, m_fake.primaryFormat.nAvgBytesPerSec);
        EXPECT_EQ(0, m_fake.primaryFormat.cbSize);
    }
    m_fake.failSetFormat = true;
    EXPECT_EQ(-2, m_device.SetPrimaryFormat(nullptr, false, false, nullptr, 1, 22, 8));
}

TEST_F(SoundDeviceTest, PlaySilenceOnlyForABufferThatPlays) {
    StaticSoundBuffer buffer;
    WriteTsnd("a.tsn", TsndSound{});
    ASSERT_EQ(0, buffer.Load("a.tsn", 0));
    FakeSoundBuffer* silent = m_fake.Buffers().at(0);
    EXPECT_EQ(1, m_device.PlaySilence(nullptr));
    EXPECT_EQ(0, m_device.PlaySilence(buffer.GetBuffer()));
    EXPECT_EQ(0, silent->Plays());
    ASSERT_EQ(0, buffer.Play());
    EXPECT_EQ(0, buffer.StopAndRewind());
    EXPECT_EQ(1, silent->Plays());
    EXPECT_FALSE(silent->IsLooping());
}

TEST_F(SoundDeviceTest, KeepsOnlyTheBuffersThatLoadedAndDestroysOnlyItsOwn) {
    WriteTsnd("a.tsn", TsndSound{});
    SoundBuffer* buffer = reinterpret_cast<SoundBuffer*>(1);
    EXPECT_EQ(2, m_device.CreateBufferFromFile(&buffer, "missing.tsn", 0));
    EXPECT_EQ(nullptr, buffer);
    EXPECT_EQ(2, m_device.CreateStreamingBuffer(&buffer, "missing.tsn", nullptr));
    EXPECT_TRUE(m_device.Buffers().empty());

    ASSERT_EQ(0, m_device.CreateBufferFromFile(&buffer, "a.tsn", 0));
    SoundBuffer* copy = nullptr;
    ASSERT_EQ(0, m_device.CreateBufferFromMemory(&copy, static_cast<StaticSoundBuffer*>(buffer)));
    EXPECT_EQ(m_fake.LastBuffer()->Memory(), testsupport::TsndPcm(TsndSound{}));
    SoundBuffer* stream = nullptr;
    ASSERT_EQ(0, m_device.CreateStreamingBuffer(&stream, "a.tsn", "a.tsn"));
    EXPECT_EQ((std::vector<SoundBuffer*>{buffer, copy, stream}), m_device.Buffers());

    StaticSoundBuffer foreign;
    EXPECT_EQ(1, m_device.DestroyBuffer(nullptr));
    EXPECT_EQ(2, m_device.DestroyBuffer(&foreign));
    EXPECT_EQ(0, m_device.DestroyBuffer(copy));
    EXPECT_EQ(2u, m_device.Buffers().size());
    m_device.DestroyAllBuffers();
    EXPECT_TRUE(m_device.Buffers().empty());
}

TEST(OutputDevices, ListsWhatDirectSoundEnumerates) {
    const std::int32_t result = EnumerateOutputDevices();
    ASSERT_TRUE(result == 0 || result == -1) << result;
    EXPECT_EQ(result == 0, OutputDevices() != nullptr);
    for (const OutputDevice* device = OutputDevices(); device; device = device->next) {
        EXPECT_TRUE(device->guidPointer == nullptr || device->guidPointer == &device->guid);
        ASSERT_NE(nullptr, device->description);
        ASSERT_NE(nullptr, device->module);
    }
    FreeOutputDevices();
    EXPECT_EQ(nullptr, OutputDevices());
}

}  // namespace
