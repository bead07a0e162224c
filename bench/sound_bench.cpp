// Times sound decoding and one refill of a streaming buffer's ring. Decoding: 30 seconds of
// stereo 44100 Hz sound read in 32 KB pieces, as times real time, for the Ogg Vorbis sample
// (through the binding and kqvorbis.dll) and, as the reference, the same length of TSND
// (raw PCM through the SLL test plug-in). Refill: one half-second refill into the in-memory
// DirectSound ring, in microseconds and as a share of the half second it refills, for both.
// Each figure is the best of several runs.
//
//   wine build/bin/sound_bench.exe [runs]
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "framework/files/path_utilities.h"
#include "framework/files/virtual_file_system.h"
#include "framework/sound/ogg_vorbis_dll.h"
#include "framework/sound/sound_decoder_host.h"
#include "framework/sound/sound_device.h"
#include "framework/sound/streaming_sound_buffer.h"
#include "tests/support/fake_direct_sound.h"
#include "tests/support/tsnd_writer.h"

namespace {

constexpr std::uint32_t kPiece = 32768;
constexpr double kSeconds = 30.0;

// Decodes the whole file once; false when it does not open.
bool DecodeAll(const std::string& path, std::vector<std::uint8_t>& piece) {
    SoundDecoderPtr decoder(g_soundDecoderHost->OpenDecoder(path.c_str(), nullptr, true, nullptr));
    if (!decoder) return false;
    while (decoder->Read(piece.data(), kPiece) != 0) {
    }
    return true;
}

// Best time of one half-second refill of a 4-second ring from the file, cycling through it.
double BestRefill(int runs, const std::string& path) {
    StreamingSoundBuffer buffer;
    if (buffer.Open(path.c_str(), nullptr) > 0) return -1;
    SoundDecoderPtr decoder(g_soundDecoderHost->OpenDecoder(path.c_str(), nullptr, true, nullptr));
    auto* ring = static_cast<testsupport::FakeSoundBuffer*>(buffer.GetBuffer());
    const std::uint32_t half = buffer.BytesPerSecond() / 2;
    DWORD cursor = 0;
    return bench::Best(runs, [&] {
        cursor = (cursor + half) % buffer.RingSize();
        ring->MoveCursor(cursor);
        if (buffer.Refill(decoder.get(), 0) == StreamingSoundBuffer::kRefillEnded) decoder->Seek(0);
    });
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 5;
    SetBaseDirectoryFromModule(nullptr);
    const std::string folder = GetBaseDirectory();
    VirtualFileSystem files;
    g_virtualFileSystem = &files;
    SoundDecoderHost host;
    g_soundDecoderHost = &host;
    host.RegisterBuiltin(new OggVorbisDll(OggVorbisDll::kLibraryName), OggVorbisDll::kExtensions,
                         OggVorbisDll::kTypeString, OggVorbisDll::kType, nullptr, nullptr, nullptr);
    if (host.LoadPlugin((folder + "test_sound.SLL").c_str()) != 0) {
        std::printf("test_sound.SLL does not load\n");
        return 1;
    }
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string tsnd = std::string(temp) + "sound_bench.tsn";
    testsupport::TsndSound sound;
    sound.channels = 2;
    sound.rate = 44100;
    sound.frames = static_cast<std::uint32_t>(44100 * kSeconds);
    const std::vector<std::uint8_t> bytes = testsupport::MakeTsnd(sound);
    HANDLE file = CreateFileA(tsnd.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    const std::string ogg = folder + "sound_samples\\long30.ogg";

    std::vector<std::uint8_t> piece(kPiece);
    std::printf("30 s of stereo 44100 Hz sound, %u-byte reads, best of %d runs\n", kPiece, runs);
    for (const std::string& path : {tsnd, ogg}) {
        if (!DecodeAll(path, piece)) {
            std::printf("%s does not decode\n", path.c_str());
            return 1;
        }
    }
    const double tsndTime = bench::Best(runs, [&] { DecodeAll(tsnd, piece); });
    const double oggTime = bench::Best(runs, [&] { DecodeAll(ogg, piece); });
    std::printf("%-28s %10.1f x real time\n", "decode TSND (reference)", kSeconds / tsndTime);
    std::printf("%-28s %10.1f x real time (%.4f x TSND)\n", "decode Ogg Vorbis", kSeconds / oggTime,
                tsndTime / oggTime);

    testsupport::FakeDirectSound fake;
    fake.Install();
    SoundDevice device;
    if (device.Create(nullptr, false, false, nullptr) != 0) return 1;
    g_currentSoundDevice = &device;
    const double tsndRefill = BestRefill(runs * 4, tsnd);
    const double oggRefill = BestRefill(runs * 4, ogg);
    std::printf("%-28s %10.1f us (%.3f%% of 0.5 s)\n", "half-second refill, TSND", tsndRefill * 1e6,
                tsndRefill / 0.5 * 100);
    std::printf("%-28s %10.1f us (%.3f%% of 0.5 s, %.1f x TSND)\n", "half-second refill, Ogg",
                oggRefill * 1e6, oggRefill / 0.5 * 100, oggRefill / tsndRefill);
    device.Release();
    g_currentSoundDevice = nullptr;
    testsupport::FakeDirectSound::Uninstall();
    host.UnloadAll();
    DeleteFileA(tsnd.c_str());
    return 0;
}
