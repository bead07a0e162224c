// ExportSoundAsWave: decodes any sound file that a decoder accepts and writes it as a RIFF/WAVE
// file: a 46-byte header (an 18-byte format chunk) followed by the PCM data.
#pragma once

#include <cstdint>

#include "framework/interfaces/sound_plugin.h"

class SoundDecoderHost;

// Results of the export.
enum : std::int32_t {
    kWaveExportOk = 0,
    kWaveExportBadArgument = 1,  // no source, no destination, or no decoder host
    kWaveExportNoDecoder = 2,
    kWaveExportCannotCreate = 3,
    kWaveExportOutOfMemory = 4,
    kWaveExportFailed = 6,       // a write or seek failed, or anything else went wrong
};

// `host` null means the program's g_soundDecoderHost. The destination is replaced; a
// destination that could not be written completely is removed again.
std::int32_t ExportSoundAsWave(const char* source, const char* destination,
                               SoundDecoderHost* host);

// Writes the decoder's sound as WAVE data to a stream opened for writing: 0, 4 or 6.
std::int32_t WriteSoundAsWave(SoundDecoder& decoder, FileStreamBase& out);
