#include "framework/sound/ogg_vorbis_stream.h"

#include <cstring>
#include <limits>

#include "framework/sound/ogg_vorbis_dll.h"

OggVorbisStream::OggVorbisStream(const KqVorbisEntryPoints& entry) : m_entry(entry) {}

OggVorbisStream::~OggVorbisStream() {
    // Clearing closes the stream through the close callback; one never handed over goes here.
    m_entry.clear(State());
    ReleaseObject(m_stream);
}

std::int32_t OggVorbisStream::Open(FileStreamBase* stream) {
    const ov_callbacks callbacks = {ReadCallback, SeekCallback, CloseCallback, TellCallback};
    m_stream = stream;
    if (m_entry.openCallbacks(this, State(), nullptr, 0, callbacks) != 0) {
        m_stream = nullptr;
        return 1;
    }
    // Forgotten first, so that the close callback leaves the caller's stream alone.
    auto refuse = [this](std::int32_t code) {
        m_stream = nullptr;
        m_entry.clear(State());
        std::memset(m_state, 0, sizeof m_state);
        return code;
    };
    if (m_entry.seekable(State()) == 0) return refuse(2);
    const vorbis_info* info = m_entry.info(State(), -1);
    // A format without channels or rate would give zero-sized blocks and divide by zero later.
    if (!info || info->channels <= 0 || info->channels > 255 || info->rate <= 0) return refuse(1);
    m_format.wFormatTag = WAVE_FORMAT_PCM;
    m_format.nChannels = static_cast<WORD>(info->channels);
    m_format.nSamplesPerSec = static_cast<DWORD>(info->rate);
    m_format.nBlockAlign = static_cast<WORD>(info->channels * 2);
    m_format.nAvgBytesPerSec = m_format.nBlockAlign * m_format.nSamplesPerSec;
    m_format.wBitsPerSample = 16;
    // Plain PCM has no extra format bytes.
    m_format.cbSize = 0;
    const double seconds = m_entry.timeTotal(State(), -1);
    m_length = seconds > 0 ? static_cast<std::uint32_t>(seconds * 1000) : 0;
    const ogg_int64_t samples = m_entry.pcmTotal(State(), -1);
    m_samples = samples > 0 ? static_cast<std::uint32_t>(samples) : 0;
    m_dataSize = m_samples * m_format.nBlockAlign;
    m_dataStart = static_cast<std::uint32_t>(m_entry.rawTell(State()));
    return 0;
}

std::int32_t XM_METHOD OggVorbisStream::Seek(std::uint32_t milliseconds) {
    if (milliseconds >= m_length) return kSoundSeekPastEnd;
    if (milliseconds == 0) {
        m_entry.rawSeek(State(), m_dataStart);
    } else if (m_entry.timeSeek(State(), milliseconds * 0.001) != 0) {
        return kSoundSeekFailed;
    }
    m_atEnd = 0;
    return kSoundSeekDone;
}

std::int64_t XM_METHOD OggVorbisStream::Tell() {
    return static_cast<std::int64_t>(m_entry.timeTell(State()) * 1000);
}

std::uint32_t XM_METHOD OggVorbisStream::Read(void* buffer, std::uint32_t count) {
    if (m_atEnd || !buffer || count == 0) return 0;
    char* out = static_cast<char*>(buffer);
    std::uint32_t delivered = 0;
    int section = -1;
    while (delivered < count) {
        const std::uint32_t left = count - delivered;
        const int piece = left > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(left);
        const long got = m_entry.read(State(), out + delivered, piece, 0, 2, 1, &section);
        if (got == 0) {
            m_atEnd = 1;
            break;
        }
        // A hole or a bad link ends this read; the end flag stays clear.
        if (got < 0 || static_cast<std::uint32_t>(got) > left) break;
        delivered += static_cast<std::uint32_t>(got);
    }
    return delivered;
}

size_t KQ_CDECL OggVorbisStream::ReadCallback(void* destination, size_t size, size_t count,
                                              void* source) {
    auto* self = static_cast<OggVorbisStream*>(source);
    if (!self || !self->m_stream || size == 0) return 0;
    const size_t most = std::numeric_limits<std::uint32_t>::max() / size;
    const size_t items = count < most ? count : most;
    const std::uint32_t read =
        self->m_stream->Read(destination, static_cast<std::uint32_t>(items * size));
    return read / size;
}

int KQ_CDECL OggVorbisStream::SeekCallback(void* source, ogg_int64_t offset, int whence) {
    auto* self = static_cast<OggVorbisStream*>(source);
    if (!self || !self->m_stream) return -1;
    const std::int32_t distance = static_cast<std::int32_t>(offset);
    switch (whence) {
        case 0:
            self->m_stream->SeekSet(distance);
            return 0;
        case 1:
            self->m_stream->SeekCur(distance);
            return 0;
        case 2:
            self->m_stream->SeekSet(static_cast<std::int32_t>(self->m_stream->Size()) + distance);
            return 0;
        default:
            return -1;
    }
}

int KQ_CDECL OggVorbisStream::CloseCallback(void* source) {
    auto* self = static_cast<OggVorbisStream*>(source);
    if (!self || !self->m_stream) return -1;
    ReleaseObject(self->m_stream);
    self->m_stream = nullptr;
    return 0;
}

long KQ_CDECL OggVorbisStream::TellCallback(void* source) {
    auto* self = static_cast<OggVorbisStream*>(source);
    if (!self || !self->m_stream) return -1;
    return self->m_stream->Tell();
}
