// VirtualFileSystem: the one place where file names become data.
//
// A name resolves against the base directory (MakeFullPath); a plain file wins, then (relative
// names only) the search folders in order, then the mounted archives: first under the
// base-resolved path, then under each search folder. Mounted archives form groups of records
// whose prefixes share their first character; a lookup searches only the first group that
// shares the path's first character, in order, so an archive mounted in front overrides and
// one mounted at the end fills gaps. Archive formats are built-in decoders or *.ADL plug-ins.
//
// Streams that an ADL plug-in's archive hands out keep the plug-in loaded until they are
// destroyed, so unloading a format never leaves a caller with a stream into a freed DLL.
//
// Threads: the preload thread and the game thread load through one instance at once. An
// internal lock guards the lists and every call into a mounted archive (archives of plug-ins
// need not be safe for concurrent use); plain files are opened and read outside it. Strings
// returned by GetSearchDir and GetMountPrefix stay valid until the list changes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/interfaces/adl_plugin.h"
#include "framework/runtime/recursive_lock.h"

struct ArchiveFormatRecord {
    std::int32_t type;
    const char* typeString;
    std::vector<std::string> extensions;  // upper-case, without dots
    ArchiveDecoder* decoder;  // owned
    HMODULE library;          // null for a built-in format
    AdlAssistFunc assist;
    AdlAssistFunc2 assist2;
    AdlConfigDlgFunc configDlg;
};

struct MountRecord {
    Archive* archive;        // one holder
    std::string prefix;      // lower-case absolute folder ending in '\'
    std::int32_t tag;
    std::int32_t marker;     // 0 alone or middle, > 0 group head (shared length), -1 group end
    HMODULE library;         // the library of the format that opened the archive, or null
};

class VirtualFileSystem {
public:
    VirtualFileSystem() = default;
    virtual ~VirtualFileSystem();
    VirtualFileSystem(const VirtualFileSystem&) = delete;
    VirtualFileSystem& operator=(const VirtualFileSystem&) = delete;

    // A new stream owned by the caller, or null with an EAdlErrorCode in *outCode. A compressed
    // archive entry opens (as a MemoryStream of the whole entry) only with allowExtraction.
    virtual ByteStream* OpenFile(const char* name, char* outPath, std::int32_t* outCode,
                                 bool allowExtraction);
    // Reads a file whole through the allocator: 0, 3 not found, 5 bad name, 7 read failed,
    // 8 no memory, 10 size unreadable, 14 other; the archive's code for a failed extraction.
    // An empty plain file loads as nothing (0, the allocator is not called).
    virtual std::int32_t LoadFile(const char* name, ArchiveAllocator allocator,
                                  ArchiveReleaser release, void* argument, char* outPath);
    virtual std::int32_t SearchDirCount();
    virtual void ClearSearchDirs();
    // 0; 1 bad path; 2 out of memory.
    virtual std::int32_t AddSearchDir(const char* folder, bool atEnd);
    // 0; -1 not found; 1 bad path. Without a folder, the index (negative: the last) is removed.
    virtual std::int32_t RemoveSearchDir(const char* folder, std::int32_t index);
    virtual const char* GetSearchDir(std::int32_t index);
    // Plain files only: 0; 1 bad path; 2 absolute name missing; 3 not found.
    virtual std::int32_t FindFile(char* outPath, const char* name, WIN32_FIND_DATAA* outData);
    // Plain files only: 0; 1 bad path or absolute name missing; 2 not found.
    virtual std::int32_t OpenRawHandle(HANDLE* outHandle, const char* name, bool shareRead,
                                       char* outPath);
    virtual std::int32_t MountCount();
    virtual void RemoveAllMounts();
    // 0; 1 no format accepts it; 3 cannot open; 5 not found as a plain file; 8 no memory;
    // 14 other; or the code of the format's decoder.
    virtual std::int32_t MountArchive(const char* name, std::int32_t tag, bool ownFolder,
                                      bool atEnd, Archive** outArchive);
    // By prefix folder when given; else tag -2 removes the index (negative: the last), any
    // other tag the first mount with it.
    virtual void RemoveMount(const char* prefix, std::int32_t tag, std::int32_t index);
    // By tag, or with tag -1 by index (negative: the last).
    virtual const char* GetMountPrefix(std::int32_t tag, std::int32_t index);
    virtual std::int32_t ExtractFromMount(std::int32_t tag, std::int32_t index, const char* name,
                                          ArchiveAllocator allocator, ArchiveReleaser release,
                                          void* argument, char* outFullName);
    virtual Archive* GetMountArchive(std::int32_t tag, std::int32_t index);
    // 0 plain file, -1 inside a mounted archive, 1 bad path, 2 missing.
    virtual std::int32_t LocateFile(char* outPath, const char* name, WIN32_FIND_DATAA* outData);
    // Removes the formats of the type (and first the mounts whose archives they opened).
    virtual void UnloadAdlByType(std::int32_t type);
    virtual void UnloadAllAdl();
    // 0; 1 null decoder; 2 failure. The decoder is owned from now on (also on failure).
    virtual std::int32_t RegisterBuiltinDecoder(ArchiveDecoder* decoder, const char* extensions,
                                                const char* typeString, std::int32_t type,
                                                AdlAssistFunc assist, AdlAssistFunc2 assist2,
                                                AdlConfigDlgFunc configDlg);
    // 0; 1 bad path; 2 LoadLibraryA failed; 3 missing export; 4 null decode object; 5 other.
    virtual std::int32_t LoadAdlPlugin(const char* path);
    // Loads every *.ADL of the folder: the number that failed, or -1 for a bad folder.
    virtual std::int32_t ScanAdlFolder(const char* folder);
    virtual ArchiveDecoder* FindDecoderByExtension(const char* path);

    AdlAssistFunc2 FindAdlAssistFunc2(std::int32_t type);

    std::vector<ArchiveFormatRecord> Formats();
    std::vector<std::int32_t> MountMarkers();

private:
    // The mount-list walks; all run under m_lock.
    template <class Visit>
    bool VisitCandidates(const char* lowerPath, Visit visit);
    ByteStream* OpenInMounts(const char* lowerPath, bool allowExtraction);
    std::int32_t ExtractFromMounts(const char* lowerPath, ArchiveAllocator allocator,
                                   ArchiveReleaser release, void* argument);
    bool ExistsInMounts(const char* lowerPath);
    void InsertMount(MountRecord record, bool atEnd);
    void UnlinkMountMarkers(std::size_t index);
    void RemoveMountAt(std::size_t index);
    MountRecord* FindMount(std::int32_t tag, std::int32_t index);
    ArchiveDecoder* FindDecoderLocked(const char* path, HMODULE* outLibrary);
    void UnloadFormatsWhere(bool all, std::int32_t type);
    std::vector<std::string> SearchDirsSnapshot();

    RecursiveLock m_lock;
    std::vector<std::string> m_searchDirs;
    std::vector<ArchiveFormatRecord> m_formats;
    std::vector<MountRecord> m_mounts;
};

// The program's one file system (null until the application makes it).
extern VirtualFileSystem* g_virtualFileSystem;
