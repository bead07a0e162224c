// A game folder with a file system (VfsTestBase) and a sound-decoder host published as the
// program's, with the TSND test plug-in loaded; helpers that write TSND sounds into the folder
// and find the Ogg Vorbis samples made at build time, and the registration of kqvorbis.dll.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/runtime/com_init.h"
#include "framework/sound/ogg_vorbis_dll.h"
#include "framework/sound/sound_decoder_host.h"
#include "tests/framework/plugin_test_files.h"
#include "tests/framework/vfs_test_fixture.h"
#include "tests/support/tsnd_writer.h"

class SoundTestBase : public VfsTestBase {
protected:
    void SetUp() override {
        VfsTestBase::SetUp();
        g_soundDecoderHost = &m_host;
    }
    void TearDown() override {
        g_soundDecoderHost = nullptr;
        m_host.UnloadAll();
        VfsTestBase::TearDown();
    }

    // Sound devices enter COM on their thread; entering it once for the whole run keeps every
    // device after the first from setting up and tearing down the apartment again.
    static void KeepComForTheRun() {
        static const bool entered = ComInitForThread() == 0;
        (void)entered;
    }

    void LoadTsndPlugin() {
        ASSERT_EQ(0, m_host.LoadPlugin(plugintest::BinaryFile("test_sound.SLL").c_str()));
    }

    // Registers our kqvorbis.dll as the built-in Ogg Vorbis decoder, as start-up does.
    void RegisterOgg() {
        ASSERT_EQ(0, m_host.RegisterBuiltin(new OggVorbisDll(KqVorbisPath().c_str()),
                                            OggVorbisDll::kExtensions, OggVorbisDll::kTypeString,
                                            OggVorbisDll::kType, nullptr, nullptr, nullptr));
    }

    // Every byte that the registered decoders make of `name`, read through the host.
    std::vector<std::uint8_t> DecodeAll(const std::string& name) {
        std::int32_t code = -1;
        SoundDecoderPtr decoder(m_host.OpenDecoder(name.c_str(), nullptr, true, &code));
        EXPECT_TRUE(decoder) << name << " code " << code;
        return decoder ? ReadAll(*decoder) : std::vector<std::uint8_t>();
    }

    // Writes the sound into the game folder as `name`; returns the name.
    std::string WriteTsnd(const std::string& name, const testsupport::TsndSound& sound) {
        EXPECT_TRUE(testsupport::WriteFile(Game(name), testsupport::MakeTsnd(sound)));
        return name;
    }

    // kqvorbis.dll beside the test program (the base directory is the game folder).
    static std::string KqVorbisPath() { return plugintest::BinaryFile("kqvorbis.dll"); }

    // A sample made by sox and oggenc at build time.
    static std::string Sample(const char* name) {
        return plugintest::BinaryFolder() + "sound_samples\\" + name;
    }

    // Every byte the decoder gives, read in pieces of `piece` bytes.
    static std::vector<std::uint8_t> ReadAll(SoundDecoder& decoder, std::uint32_t piece = 32768) {
        std::vector<std::uint8_t> all;
        std::vector<std::uint8_t> buffer(piece);
        for (;;) {
            const std::uint32_t got = decoder.Read(buffer.data(), piece);
            if (got == 0 || got > piece) break;
            all.insert(all.end(), buffer.begin(), buffer.begin() + got);
        }
        return all;
    }

    SoundDecoderHost m_host;
};
