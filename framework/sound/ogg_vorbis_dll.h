// The binding of kqvorbis.dll, the Ogg Vorbis decoder DLL: OggVorbisDll is the built-in decode
// object that start-up registers as "Ogg Vorbis format" (type 2, extension "OGG"), and
// OggVorbisStream the decoder it makes for each opened file, 16-bit signed little-endian PCM.
//
// Each binding keeps the entry points of the DLL it loaded, and its streams call through them;
// a binding must outlive its streams (the host deletes decode objects only once the decoders
// they made are gone).
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/kq_vorbis.h"
#include "framework/interfaces/sound_plugin.h"

// The exports the binding needs, all required.
struct KqVorbisEntryPoints {
    KqQuerySizeofFunc querySizeof;
    KqOvClearFunc clear;
    KqOvOpenCallbacksFunc openCallbacks;
    KqOvSeekableFunc seekable;
    KqOvPcmTotalFunc pcmTotal;
    KqOvTimeTotalFunc timeTotal;
    KqOvRawSeekFunc rawSeek;
    KqOvTimeSeekFunc timeSeek;
    KqOvRawTellFunc rawTell;
    KqOvPcmTellFunc pcmTell;
    KqOvTimeTellFunc timeTell;
    KqOvInfoFunc info;
    KqOvReadFunc read;
    KqSetCpuTypeFunc setCpuType;
    KqDetectCpuFunc detectCpu;
};

class OggVorbisDll final : public WithDeletingDestructor<OggVorbisDll, SoundDecodeObject> {
public:
    static constexpr std::int32_t kType = 2;
    static const char kExtensions[];
    static const char kTypeString[];
    static const char kLibraryName[];

    // Loads the DLL (resolved against the base directory) and binds it; a missing DLL, a missing
    // export or a decoder state above the program's capacity leaves the binding without one.
    explicit OggVorbisDll(const char* path);
    ~OggVorbisDll();
    OggVorbisDll(const OggVorbisDll&) = delete;
    OggVorbisDll& operator=(const OggVorbisDll&) = delete;

    bool IsLoaded() const { return m_module != nullptr; }

    // A new OggVorbisStream, or null with a code: -2 no DLL, 1 not Ogg Vorbis or unreadable,
    // 2 not seekable, 5 no stream, 8 out of memory, 12 other. A refused stream is back at 0.
    SoundDecoder* XM_METHOD Open(FileStreamBase* stream, std::int32_t* outCode) override;

private:
    HMODULE m_module = nullptr;
    KqVorbisEntryPoints m_entry{};
};
