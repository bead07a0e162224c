#include "framework/sound/wave_export.h"

#include <cstring>
#include <memory>
#include <new>

#include "framework/files/file_stream.h"
#include "framework/sound/sound_decoder_host.h"

namespace {

constexpr std::uint32_t kPieceBytes = 32768;
constexpr std::uint32_t kFormatChunkBytes = 18;
// The RIFF size counts everything after its own field but the data: "WAVE", the format chunk and
// the data chunk's header.
constexpr std::uint32_t kRiffOverhead = 4 + 8 + kFormatChunkBytes + 8;

class WriteFailed {};

void Put(FileStreamBase& out, const void* bytes, std::uint32_t count) {
    if (out.Write(bytes, count) != count) throw WriteFailed();
}

void PutWord(FileStreamBase& out, std::uint32_t value) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value),
                                   static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16),
                                   static_cast<std::uint8_t>(value >> 24)};
    Put(out, bytes, 4);
}

void PutHalf(FileStreamBase& out, std::uint16_t value) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value),
                                   static_cast<std::uint8_t>(value >> 8)};
    Put(out, bytes, 2);
}

void PutWordAt(FileStreamBase& out, std::int32_t position, std::uint32_t value) {
    if (position < 0 || out.SeekSet(position) != 0) throw WriteFailed();
    PutWord(out, value);
}

}  // namespace

std::int32_t WriteSoundAsWave(SoundDecoder& decoder, FileStreamBase& out) {
    try {
        const WAVEFORMATEX* format = decoder.Format();
        if (!format) return kWaveExportFailed;
        std::uint32_t remaining = decoder.DataSize() + format->nAvgBytesPerSec;
        Put(out, "RIFF", 4);
        const std::int32_t riffSizeAt = out.Tell();
        PutWord(out, kRiffOverhead);
        Put(out, "WAVEfmt ", 8);
        PutWord(out, kFormatChunkBytes);
        PutHalf(out, format->wFormatTag);
        PutHalf(out, format->nChannels);
        PutWord(out, format->nSamplesPerSec);
        PutWord(out, format->nAvgBytesPerSec);
        PutHalf(out, format->nBlockAlign);
        PutHalf(out, format->wBitsPerSample);
        // Plain PCM carries no extra format bytes, whatever the decoder's record says.
        PutHalf(out, 0);
        Put(out, "data", 4);
        const std::int32_t dataSizeAt = out.Tell();
        PutWord(out, remaining);

        std::unique_ptr<std::uint8_t[]> piece(new (std::nothrow) std::uint8_t[kPieceBytes]);
        if (!piece) return kWaveExportOutOfMemory;
        std::uint32_t total = 0;
        while (remaining > 0) {
            const std::uint32_t read = decoder.Read(piece.get(), kPieceBytes);
            if (read == 0 || read > kPieceBytes) break;
            const std::uint32_t take = read < remaining ? read : remaining;
            Put(out, piece.get(), take);
            total += take;
            remaining -= take;
        }
        PutWordAt(out, riffSizeAt, kRiffOverhead + total);
        PutWordAt(out, dataSizeAt, total);
        return kWaveExportOk;
    } catch (const WriteFailed&) {
        return kWaveExportFailed;
    } catch (...) {
        return kWaveExportFailed;
    }
}

std::int32_t ExportSoundAsWave(const char* source, const char* destination,
                               SoundDecoderHost* host) {
    if (!host) host = g_soundDecoderHost;
    if (!source || !destination || !host) return kWaveExportBadArgument;
    SoundDecoderPtr decoder(host->OpenDecoder(source, nullptr, true, nullptr));
    if (!decoder) return kWaveExportNoDecoder;
    FileStream out;
    if (out.Create(destination, true) != 0) return kWaveExportCannotCreate;
    const std::int32_t code = WriteSoundAsWave(*decoder, out);
    if (code != kWaveExportOk) {
        // A file that lacks part of the sound must not pass for a whole one.
        char written[kPathCapacity];
        std::strcpy(written, out.FileName());
        out.Close();
        DeleteFileA(written);
    }
    return code;
}
