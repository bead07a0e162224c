// The archive family: byte streams, archive formats, open archives and their entry records.
//
// These objects cross module boundaries: *.ADL plug-ins implement ArchiveDecoder, Archive and
// ByteStream in their own DLLs, and the host hands its own streams and archives to code that
// may have been built by another compiler. The layout is therefore part of the contract:
//  - every object starts with its table of operations in the order declared here, slot 0
//    being the deleting destructor (flags word, bit 0 frees the memory), every operation
//    __thiscall, no virtual function overloaded;
//  - Archive and ByteStream carry a 32-bit holder count right after the table: the number of
//    holders beyond the first (0 = one holder). A holder releases the object by lowering a
//    nonzero count, else by calling the deleting destructor with kDeleteMemory
//    (ReleaseObject below). The objects never change their count themselves.
//  - ArchiveDecoder objects have no count: the host that registered a format deletes its
//    decoder once, before it frees the library that made it.
// Streams returned by an archive belong to the caller and may outlive the archive.
// Every call may come from any thread; an object serialises what it must itself.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/cross_module.h"
#include "framework/interfaces/holder_count.h"

// Result codes of archive formats, archives and the file layer over them.
enum EAdlErrorCode : std::int32_t {
    kAdlEntryCompressed = -3,   // the entry has no stream; extract it instead
    kAdlNotSupported = -2,
    kAdlOk = 0,
    kAdlBadFormat = 1,          // not an archive of this format, or a broken one
    kAdlEmptyEntry = 2,         // the entry's stored size is 0
    kAdlNotFound = 3,           // cannot open the file, or no such name or index
    kAdlBadArgument = 5,        // no path, no allocator, unknown option
    kAdlSeekFailed = 6,
    kAdlReadFailed = 7,         // the read failed or delivered fewer bytes than the data claims
    kAdlOutOfMemory = 8,
    kAdlSizeUnavailable = 10,
    kAdlBadEntryData = 12,      // the entry's stored data does not decode to its size
    kAdlException = 14,
};

// Destination allocator of an extraction: returns a block of `size` bytes or null. `block` is a
// block that the archive already holds and asks the allocator to adopt, or null for a new one.
typedef void* (XM_CDECL* ArchiveAllocator)(std::uint32_t size, void* argument, void* block);
// Frees what an ArchiveAllocator made for `argument`.
typedef void (XM_CDECL* ArchiveReleaser)(void* argument);
// Progress of an extraction: (0, 1, argument) before the entry is read, (1, 1, argument) after.
typedef void (XM_CDECL* ArchiveProgress)(std::int32_t done, std::int32_t total, void* argument);

// The option record of an archive format's assist operations: an option number and its values.
struct ArchiveOptionRecord {
    std::int32_t option;
    std::uint32_t values[2];
};

// Format-wide option functions that a plug-in exports and the host keeps.
typedef std::int32_t (XM_CDECL* AdlAssistFunc)(std::int32_t option, ...);
// Takes a pointer to the option record (the option word, then its values).
typedef std::int32_t (XM_CDECL* AdlAssistFunc2)(const void* record);

// Information on one archive entry, filled by the archive that owns it.
struct ArchiveEntryInfo {
    std::int32_t index;
    std::uint32_t storedSize;
    std::uint32_t unpackedSize;
    std::int32_t timeStamp;         // time_t; 0 when the format keeps no time
    std::uint32_t crc;              // 0 when the format keeps none
    std::uint32_t fileOffset;       // in bytes
    std::uint32_t reserved;
    std::uint8_t kind;
    std::uint8_t entryFlags;
    std::uint16_t hasUnpackedSize;  // the format recorded an unpacked size of its own
    std::uint32_t holders;
};
static_assert(sizeof(ArchiveEntryInfo) == 36, "ArchiveEntryInfo layout is shared with plug-ins");

// One row of an archive's entry table, by entry index.
struct ArchiveEntryTableItem {
    const char* name;
    ArchiveEntryInfo* info;
};

// A read-only stream of bytes: a plain file, an archive entry or a memory block.
class ByteStream : public HolderCount {
public:
    // Slot 0.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    virtual std::uint32_t XM_METHOD Size() = 0;
    virtual std::uint32_t XM_METHOD Tell() = 0;
    virtual bool XM_METHOD IsEof() = 0;
    // Seeks clamp the position to 0..Size() and return 0 when done.
    virtual std::int32_t XM_METHOD SeekSet(std::uint32_t position) = 0;
    virtual std::int32_t XM_METHOD SeekCur(std::int32_t distance) = 0;
    virtual std::int32_t XM_METHOD SeekEnd(std::uint32_t distanceBeforeEnd) = 0;
    // Returns the number of bytes read; the position advances by it.
    virtual std::uint32_t XM_METHOD Read(void* destination, std::uint32_t count) = 0;
    // The stream's memory block, or null; with `release` set the caller takes the block over.
    virtual void* XM_METHOD Detach(std::uint8_t release) { return nullptr; }

protected:
    ByteStream() = default;
    ~ByteStream() = default;
};

class Archive : public HolderCount {
public:
    // Slot 0.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    virtual std::uint32_t XM_METHOD EntryCount() = 0;
    // One row per entry index, or null when the archive keeps no table.
    virtual ArchiveEntryTableItem* XM_METHOD EntryTable() = 0;
    virtual bool XM_METHOD Contains(const char* name) = 0;
    virtual ArchiveEntryInfo* XM_METHOD FindEntry(const char* name) = 0;
    virtual ArchiveEntryInfo* XM_METHOD EntryInfo(std::int32_t index, const char** outName) = 0;
    // Extraction returns an EAdlErrorCode; the destination comes from the allocator.
    virtual std::int32_t XM_METHOD ExtractByName(const char* name, ArchiveAllocator allocator,
                                                 void* allocatorArgument, ArchiveProgress progress,
                                                 void* progressArgument) = 0;
    virtual std::int32_t XM_METHOD ExtractByIndex(std::int32_t index, ArchiveAllocator allocator,
                                                  void* allocatorArgument, ArchiveProgress progress,
                                                  void* progressArgument) = 0;
    virtual std::int32_t XM_METHOD ExtractToFileByName(const char* name, const char* targetPath,
                                                       ArchiveProgress progress,
                                                       void* progressArgument) = 0;
    virtual std::int32_t XM_METHOD ExtractToFileByIndex(std::int32_t index, const char* targetPath,
                                                        ArchiveProgress progress,
                                                        void* progressArgument) = 0;
    // A new stream owned by the caller, or null with the reason in *outCode.
    virtual ByteStream* XM_METHOD OpenStreamByName(const char* name, std::int32_t* outCode) = 0;
    virtual ByteStream* XM_METHOD OpenStreamByIndex(std::int32_t index, std::int32_t* outCode) = 0;
    virtual std::int32_t XM_METHOD Reserved1() { return kAdlNotSupported; }
    // The format's own extra operation, reached by scripts: `arguments` points to the words a
    // script passed (as many as the format defines). Formats without one answer -2.
    virtual std::int32_t XM_METHOD FormatExtra(const std::uint32_t* arguments) { return kAdlNotSupported; }

protected:
    Archive() = default;
    ~Archive() = default;
};

static_assert(sizeof(ByteStream) == 8 && sizeof(Archive) == 8,
              "a table pointer and the holder count: the layout is shared with plug-ins");

// An archive format: opens archives of its kind.
class ArchiveDecoder {
public:
    // Slot 0.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    // Opens the archive at `path`, reading through `handle` when it is not INVALID_HANDLE_VALUE
    // (the archive then owns the handle). Returns null with the reason in *outCode.
    virtual Archive* XM_METHOD Open(const char* path, HANDLE handle, std::int32_t* outCode) = 0;
    virtual std::int32_t XM_METHOD Assist(ArchiveOptionRecord option) = 0;
    virtual std::int32_t XM_METHOD Reserved() { return kAdlNotSupported; }

protected:
    ArchiveDecoder() = default;
    ~ArchiveDecoder() = default;
};

// Releases one holder of a stream or an archive (null is allowed).
inline void ReleaseObject(ByteStream* stream) { ReleaseHeld(stream); }
inline void ReleaseObject(Archive* archive) { ReleaseHeld(archive); }
// Deletes a format's decoder object (null is allowed).
inline void DeleteDecoder(ArchiveDecoder* decoder) {
    if (decoder) decoder->DeletingDestructor(xm::kDeleteMemory);
}
