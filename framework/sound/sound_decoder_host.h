// SoundDecoderHost: turns a sound file into a stream of PCM samples through an ordered list of
// decoders, the built-in Ogg Vorbis decoder and *.SLL plug-ins. A file goes first to the decoder
// that lists its extension, then to every other one in registration order; the first that
// accepts the data hands back the SoundDecoder, which the caller owns.
//
// The host takes no lock: records are added and removed on the thread that runs start-up and
// the scripts, OpenDecoder runs on its caller's thread. The program has one host, published as
// g_soundDecoderHost. Every decoder handed out must be gone before the record that made it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/interfaces/sound_plugin.h"

struct SllDecoderRecord {
    std::int32_t type;
    const char* typeString;               // not copied: the DLL's or the built-in's own text
    std::vector<std::string> extensions;  // upper-case, without dots
    SoundDecodeObject* decodeObject;      // owned
    HMODULE module;                       // null for a built-in decoder
    SllAssistFuncPtr assist;
    SllAssistFunc2Ptr assist2;
    SllConfigDlgFunc configDlg;           // kept, never called
};

class SoundDecoderHost {
public:
    SoundDecoderHost() = default;
    virtual ~SoundDecoderHost();
    SoundDecoderHost(const SoundDecoderHost&) = delete;
    SoundDecoderHost& operator=(const SoundDecoderHost&) = delete;

    // Removes every record of the type (or every record): the decode object is deleted before
    // its library is freed.
    virtual void UnloadByType(std::int32_t type);
    virtual void UnloadAll();
    // Appends a built-in decoder, which the host owns from now on (also when this fails):
    // 0; 1 null decode object; 2 out of memory.
    virtual std::int32_t RegisterBuiltin(SoundDecodeObject* decodeObject, const char* extensions,
                                         const char* typeString, std::int32_t type,
                                         SllAssistFuncPtr assist, SllAssistFunc2Ptr assist2,
                                         SllConfigDlgFunc configDlg);
    // 0; 1 the path does not resolve; 2 LoadLibraryA failed; 3 a required export is missing;
    // 4 GetSllDecodeObject gave null; 5 other failure. A failure leaves nothing loaded.
    virtual std::int32_t LoadPlugin(const char* path);
    // Loads every *.SLL of the folder: the number that failed, or -1 for a bad folder.
    virtual std::int32_t ScanFolder(const char* folder);
    // The decode object of the first record that lists the name's extension (any letter case).
    virtual SoundDecodeObject* FindByExtension(const char* fileName);
    virtual SoundDecodeObject* FindByType(std::int32_t type);
    // A new decoder, or null with an ESllErrorCode in *outCode. Without a stream the file is
    // opened here: streamed when `streaming` is set and the whole-file flag clear, else loaded
    // whole (an archive entry that cannot be streamed, a compressed one, is loaded whole too).
    // A stream given by the caller stays the caller's when nothing accepts it.
    virtual SoundDecoder* OpenDecoder(const char* fileName, FileStreamBase* stream,
                                      bool streaming, std::int32_t* outCode);

    // The second assist function of the first record of the type, or null.
    SllAssistFunc2Ptr FindAssistFunc2(std::int32_t type);
    // When set, every file is read whole before decoding, even when streaming is asked for.
    void SetWholeFile(bool wholeFile) { m_wholeFile = wholeFile; }
    bool WholeFile() const { return m_wholeFile; }
    const std::vector<SllDecoderRecord>& Records() const { return m_records; }

private:
    void RemoveWhere(bool all, std::int32_t type);
    // Asks the decode objects in turn; throws for a decode object that threw.
    SoundDecoder* Search(const char* fileName, FileStreamBase* stream);

    std::vector<SllDecoderRecord> m_records;
    bool m_wholeFile = false;
};

// The program's one sound-decoder host (null until the application makes it).
extern SoundDecoderHost* g_soundDecoderHost;
