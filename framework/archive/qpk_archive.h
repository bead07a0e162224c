// One open QPK archive: the descrambled index with its name trie and entry records, and the
// archive file, kept open for extraction.
//
// Layout of the file: "QPK1", the scrambled index descriptor (archive flags in bits 24-31, a
// length n in bits 0-23), the scrambled index, then the entry data. The index holds the entry
// count N, the common prefix (length P, then P bytes that every entry begins with and that are
// stored only here), with the name flag the link width, the trie length T and the trie, and
// then one record per entry: entry flags (byte), offset, stored size S and, with the second-size
// flag, the unpacked size U (0: equal to S). An entry whose S differs from U is LZSS data that
// decodes to its U - P bytes after the prefix.
//
// Every length in an archive is treated as hostile: the index is checked against its own
// length when the archive opens, and every entry against the file size before it is read.
// Extraction and stream opening may run on several threads at once: the archive's file pointer
// is only moved under the archive's lock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/interfaces/archive_interfaces.h"
#include "framework/interfaces/deleting_destructor.h"
#include "framework/runtime/recursive_lock.h"

// The flags of the index descriptor.
enum QpkArchiveFlag : std::uint8_t {
    kQpkBlockLayout = 1,    // index of n * 2048 - 8 bytes, entry offsets in 2048-byte blocks
    kQpkNamed = 2,          // the index carries a name trie
    kQpkHeadScrambled = 4,  // the head of every entry is scrambled with the entry key
    kQpkSecondSize = 8,     // entry records carry the unpacked size
};

constexpr std::uint32_t kQpkBlockSize = 2048;

class QpkArchive final : public WithDeletingDestructor<QpkArchive, Archive> {
public:
    // Takes over `file` and the descrambled `index` of `indexLength` bytes; throws an
    // EAdlErrorCode when the index does not hold together.
    QpkArchive(HANDLE file, const char* path, std::uint8_t flags, std::uint32_t entryKey,
               std::unique_ptr<std::uint8_t[]> index, std::uint32_t indexLength, bool loadNames);
    ~QpkArchive();
    QpkArchive(const QpkArchive&) = delete;
    QpkArchive& operator=(const QpkArchive&) = delete;

    std::uint32_t XM_METHOD EntryCount() override { return m_entryCount; }
    ArchiveEntryTableItem* XM_METHOD EntryTable() override;
    bool XM_METHOD Contains(const char* name) override;
    ArchiveEntryInfo* XM_METHOD FindEntry(const char* name) override;
    ArchiveEntryInfo* XM_METHOD EntryInfo(std::int32_t index, const char** outName) override;
    std::int32_t XM_METHOD ExtractByName(const char* name, ArchiveAllocator allocator,
                                         void* allocatorArgument, ArchiveProgress progress,
                                         void* progressArgument) override;
    std::int32_t XM_METHOD ExtractByIndex(std::int32_t index, ArchiveAllocator allocator,
                                          void* allocatorArgument, ArchiveProgress progress,
                                          void* progressArgument) override;
    std::int32_t XM_METHOD ExtractToFileByName(const char* name, const char* targetPath,
                                               ArchiveProgress progress, void* progressArgument) override;
    std::int32_t XM_METHOD ExtractToFileByIndex(std::int32_t index, const char* targetPath,
                                                ArchiveProgress progress, void* progressArgument) override;
    ByteStream* XM_METHOD OpenStreamByName(const char* name, std::int32_t* outCode) override;
    ByteStream* XM_METHOD OpenStreamByIndex(std::int32_t index, std::int32_t* outCode) override;

private:
    struct EntryLocation {
        std::uint8_t flags;
        std::uint32_t offset;  // in bytes
        std::uint32_t storedSize;
        std::uint32_t unpackedSize;
    };

    // The fields of an index record; `unpackedSize` is 0 when the record holds none.
    struct IndexRecord {
        std::uint8_t flags;
        std::uint64_t offset;  // in bytes, also in archives that count blocks
        std::uint32_t storedSize;
        std::uint32_t unpackedSize;
    };

    IndexRecord RecordOf(std::uint32_t index) const;
    void ParseIndex(bool loadNames);
    // Walks the whole trie, checking every node, link and entry index; with `keepNames` the
    // names are stored by entry index.
    void CollectNames(bool keepNames);
    // The entry index for a name (looked up lower-cased), or -1.
    std::int32_t LookupName(const char* name) const;
    // The entry's location, checked against the file: 0, 2 no stored bytes, 3 no such entry,
    // 7 the file ends before the entry's stored bytes, 12 the sizes do not fit together.
    std::int32_t SeekEntry(std::int32_t index, EntryLocation* location) const;
    // Reads `count` bytes at `offset` of the archive file: 0, 6 or 7.
    std::int32_t ReadAt(std::uint32_t offset, std::uint8_t* destination, std::uint32_t count);
    // Undoes the entry scrambling of the `count` bytes after the prefix, of which `head` bytes
    // belong to the head.
    void Descramble(std::uint8_t flags, std::uint8_t* bytes, std::uint32_t count, std::uint32_t head) const;
    std::int32_t Extract(std::int32_t index, ArchiveAllocator allocator, void* allocatorArgument,
                         ArchiveProgress progress, void* progressArgument);
    ByteStream* OpenEntryStream(std::int32_t index, std::int32_t* outCode);

    HANDLE m_file;
    std::uint32_t m_fileSize = 0;
    RecursiveLock m_fileLock;
    std::string m_path;
    bool m_blockLayout;
    bool m_named;
    bool m_headScrambled;
    bool m_secondSize;
    std::uint32_t m_entryKey;
    std::unique_ptr<std::uint8_t[]> m_index;
    std::uint32_t m_indexLength;
    std::uint32_t m_entryCount = 0;
    std::uint8_t m_prefixLength = 0;
    const std::uint8_t* m_prefix = nullptr;
    bool m_wideLinks = false;
    const std::uint8_t* m_trie = nullptr;
    std::uint32_t m_trieLength = 0;
    const std::uint8_t* m_records = nullptr;
    std::uint32_t m_recordSize = 9;
    // Only with the load-names option: one name and one record per entry index.
    std::vector<std::string> m_names;
    std::vector<ArchiveEntryInfo> m_infos;
    std::vector<ArchiveEntryTableItem> m_table;
};
