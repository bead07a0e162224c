// OggVorbisStream: one Ogg Vorbis file decoded through kqvorbis.dll (see OggVorbisDll). It owns
// its FileStream from a successful open on; the DLL reads it through the four callbacks and
// closes it when the decoder state is cleared.
#pragma once

#include <windows.h>
#include <mmreg.h>

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/kq_vorbis.h"
#include "framework/interfaces/sound_plugin.h"

struct KqVorbisEntryPoints;

class OggVorbisStream final : public WithDeletingDestructor<OggVorbisStream, SoundDecoder> {
public:
    explicit OggVorbisStream(const KqVorbisEntryPoints& entry);
    ~OggVorbisStream();
    OggVorbisStream(const OggVorbisStream&) = delete;
    OggVorbisStream& operator=(const OggVorbisStream&) = delete;

    // 0 opened (the stream is now this object's); 1 not Ogg Vorbis or unreadable; 2 not
    // seekable. On failure the stream is left alone.
    std::int32_t Open(FileStreamBase* stream);

    std::uint32_t XM_METHOD Length() override { return m_length; }
    std::uint32_t XM_METHOD DataSize() override { return m_dataSize; }
    std::int32_t XM_METHOD Seek(std::uint32_t milliseconds) override;
    std::int64_t XM_METHOD Tell() override;
    std::uint8_t XM_METHOD IsAtEnd() override { return m_atEnd; }
    std::uint32_t XM_METHOD Read(void* buffer, std::uint32_t count) override;
    const WAVEFORMATEX* XM_METHOD Format() override { return &m_format; }

    // The callbacks handed to the DLL; the source is the OggVorbisStream.
    static size_t KQ_CDECL ReadCallback(void* destination, size_t size, size_t count,
                                        void* source);
    static int KQ_CDECL SeekCallback(void* source, ogg_int64_t offset, int whence);
    static int KQ_CDECL CloseCallback(void* source);
    static long KQ_CDECL TellCallback(void* source);

private:
    OggVorbis_File* State() { return reinterpret_cast<OggVorbis_File*>(m_state); }

    FileStreamBase* m_stream = nullptr;
    const KqVorbisEntryPoints& m_entry;
    alignas(8) unsigned char m_state[KQ_OGG_VORBIS_FILE_CAPACITY] = {};
    WAVEFORMATEX m_format = {};
    std::uint32_t m_length = 0;
    std::uint32_t m_dataSize = 0;
    std::uint32_t m_samples = 0;
    std::uint8_t m_atEnd = 0;
    std::uint32_t m_dataStart = 0;
};
