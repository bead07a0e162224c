// SoundDecoderHost: turns a sound file into a stream of PCM samples through an ordered list of
// decoders, the built-in Ogg Vorbis decoder and *.SLL plug-ins. A file goes first to the decoder
// that lists its extension, then to every other one in registration order; the first that
// accepts the data hands back the SoundDecoder, which the caller owns.
//
// The host takes no lock: records are added and removed on the thread that runs start-up and
// the scripts, OpenDecoder runs on its caller's thread. The program has one host, published as
// g_soundDecoderHost.
//
// Unloading takes a record out of the list at once (no new opens or assist lookups), but its
// decode object and library stay until the last decoder it made is deleted: a streaming
// buffer's refill thread may be reading one. Each decoder handed out holds its record's source
// for that.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/interfaces/sound_plugin.h"

// A decode object with the library it came from (null for a built-in): both go when the last
// record or decoder holding them goes.
struct SllDecoderSource {
    SllDecoderSource() = default;
    ~SllDecoderSource();
    SllDecoderSource(const SllDecoderSource&) = delete;
    SllDecoderSource& operator=(const SllDecoderSource&) = delete;

    SoundDecodeObject* decodeObject = nullptr;
    HMODULE module = nullptr;
};

struct SllDecoderRecord {
    std::int32_t type;
    const char* typeString;               // not copied: the DLL's or the built-in's own text
    std::vector<std::string> extensions;  // upper-case, without dots
    SoundDecodeObject* decodeObject;      // owned
    HMODULE module;                       // null for a built-in decoder
    SllAssistFuncPtr assist;
    SllAssistFunc2Ptr assist2;
    SllConfigDlgFunc configDlg;           // kept, never called
    std::shared_ptr<SllDecoderSource> source;  // owns decodeObject and module
};

class SoundDecoderHost {
public:
    SoundDecoderHost() = default;
    virtual ~SoundDecoderHost();
    SoundDecoderHost(const SoundDecoderHost&) = delete;
    SoundDecoderHost& operator=(const SoundDecoderHost&) = delete;

    // Removes every record of the type (or every record): the decode object is deleted before
    // its library is freed, once no decoder it made is left.
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
    // The record with its source; false, the decode object and library still the caller's, when
    // there is no memory for it.
    bool AddRecord(SllDecoderRecord record);

    std::vector<SllDecoderRecord> m_records;
    bool m_wholeFile = false;
};

// The program's one sound-decoder host (null until the application makes it).
extern SoundDecoderHost* g_soundDecoderHost;
