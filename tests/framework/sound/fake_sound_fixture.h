// SoundTestBase with the in-memory DirectSound installed and a SoundDevice made over it,
// published as the current sound device.
#pragma once

#include <gtest/gtest.h>

#include "framework/sound/sound_device.h"
#include "framework/sound/streaming_sound_buffer.h"
#include "tests/framework/sound/sound_test_fixture.h"
#include "tests/support/fake_direct_sound.h"

class FakeSoundTest : public SoundTestBase {
protected:
    void SetUp() override {
        KeepComForTheRun();
        SoundTestBase::SetUp();
        LoadTsndPlugin();
        m_fake.Install();
        ASSERT_EQ(0, m_device.Create(nullptr, false, false, nullptr));
        g_currentSoundDevice = &m_device;
    }
    void TearDown() override {
        StreamingSoundBuffer::SetUseNotifications(false);
        m_device.DestroyAllBuffers();
        m_device.ReleasePrimary();
        m_device.Release();
        g_currentSoundDevice = nullptr;
        testsupport::FakeDirectSound::Uninstall();
        SoundTestBase::TearDown();
    }

    testsupport::FakeDirectSound m_fake;
    SoundDevice m_device;
};
