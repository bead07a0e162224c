#include "framework/archive/qpk_archive.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "framework/archive/archive_name_lookup.h"
#include "framework/files/file_handle_io.h"
#include "framework/util/little_endian.h"
#include "framework/archive/lzss_codec.h"
#include "framework/files/path_utilities.h"
#include "framework/archive/qpk_entry_stream.h"
#include "framework/archive/qpk_scrambler.h"

namespace {

[[noreturn]] void Fail(EAdlErrorCode code) { throw code; }

}  // namespace

QpkArchive::QpkArchive(HANDLE file, const char* path, std::uint8_t flags, std::uint32_t entryKey,
                       std::unique_ptr<std::uint8_t[]> index, std::uint32_t indexLength, bool loadNames)
    : m_file(file),
      m_path(path),
      m_blockLayout(flags & kQpkBlockLayout),
      m_named(flags & kQpkNamed),
      m_headScrambled(flags & kQpkHeadScrambled),
      m_secondSize(flags & kQpkSecondSize),
      m_entryKey(entryKey),
      m_index(std::move(index)),
      m_indexLength(indexLength) {
    if (!FileSize32(file, &m_fileSize)) Fail(kAdlSizeUnavailable);
    ParseIndex(loadNames);
}

QpkArchive::~QpkArchive() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
}

QpkArchive::IndexRecord QpkArchive::RecordOf(std::uint32_t index) const {
    const std::uint8_t* record = m_records + static_cast<std::size_t>(index) * m_recordSize;
    IndexRecord fields;
    fields.flags = record[0];
    fields.offset = LittleEndian::Load32(record + 1);
    if (m_blockLayout) fields.offset *= kQpkBlockSize;
    fields.storedSize = LittleEndian::Load32(record + 5);
    fields.unpackedSize = m_secondSize ? LittleEndian::Load32(record + 9) : 0;
    return fields;
}

void QpkArchive::ParseIndex(bool loadNames) {
    const std::uint8_t* index = m_index.get();
    const std::uint64_t length = m_indexLength;
    if (length < 5) Fail(kAdlBadFormat);
    m_entryCount = LittleEndian::Load32(index);
    m_prefixLength = index[4];
    std::uint64_t pos = 5;
    if (pos + m_prefixLength > length) Fail(kAdlBadFormat);
    m_prefix = index + pos;
    pos += m_prefixLength;
    if (m_named) {
        if (pos + 5 > length) Fail(kAdlBadFormat);
        m_wideLinks = index[pos] != 0;
        m_trieLength = LittleEndian::Load32(index + pos + 1);
        pos += 5;
        if (m_trieLength > length - pos) Fail(kAdlBadFormat);
        m_trie = index + pos;
        pos += m_trieLength;
    }
    m_recordSize = m_secondSize ? 13 : 9;
    if (static_cast<std::uint64_t>(m_entryCount) * m_recordSize > length - pos) Fail(kAdlBadFormat);
    m_records = index + pos;
    if (loadNames) m_names.assign(m_entryCount, std::string());
    // Every name must lead to an entry: the trie is walked once whether or not names are kept.
    if (m_named && m_trieLength > 0) CollectNames(loadNames);
    if (!loadNames) return;
    if (!m_named) {
        char name[16];
        for (std::uint32_t i = 0; i < m_entryCount; ++i) {
            std::snprintf(name, sizeof name, "%06u.DAT", i);
            m_names[i] = name;
        }
    }
    m_infos.resize(m_entryCount);
    m_table.resize(m_entryCount);
    for (std::uint32_t i = 0; i < m_entryCount; ++i) {
        const IndexRecord record = RecordOf(i);
        ArchiveEntryInfo& info = m_infos[i];
        info.index = static_cast<std::int32_t>(i);
        info.storedSize = record.storedSize;
        info.hasUnpackedSize = record.unpackedSize != 0;
        info.unpackedSize = record.unpackedSize ? record.unpackedSize : record.storedSize;
        info.timeStamp = 0;
        info.crc = 0;
        info.fileOffset = record.offset > 0xFFFFFFFFu ? 0xFFFFFFFFu
                                                      : static_cast<std::uint32_t>(record.offset);
        info.reserved = 0;
        info.kind = 8;
        info.entryFlags = record.flags;
        info.holders = 0;
        m_table[i].name = m_names[i].c_str();
        m_table[i].info = &info;
    }
}

void QpkArchive::CollectNames(bool keepNames) {
    const std::uint64_t recordSize = m_wideLinks ? 5 : 3;
    // In a sound trie every record is reached once; more visits than the trie can hold records
    // mean that links share nodes, which could make the walk explode.
    std::uint64_t visitsLeft = m_trieLength / recordSize;
    struct Frame {
        std::uint64_t node;
        std::size_t depth;  // length of the name that leads to the node
        char byte;          // the name's last byte
    };
    std::vector<Frame> pending = {{0, 0, 0}};
    std::string name;
    while (!pending.empty()) {
        Frame frame = pending.back();
        pending.pop_back();
        name.resize(frame.depth);
        if (frame.depth > 0) name[frame.depth - 1] = frame.byte;
        if (frame.node >= m_trieLength) Fail(kAdlBadFormat);
        const std::uint64_t records = frame.node + 1;
        const std::uint64_t count = m_trie[frame.node];
        if (records + count * recordSize > m_trieLength || count > visitsLeft) Fail(kAdlBadFormat);
        visitsLeft -= count;
        // Pushed in reverse, so that the walk meets the children in trie order.
        for (std::uint64_t j = count; j-- > 0;) {
            const std::uint8_t* record = m_trie + records + j * recordSize;
            std::uint32_t link = ArchiveTrieLink(record + 1, m_wideLinks);
            if (record[0] == 0) {
                if (link >= m_entryCount) Fail(kAdlBadFormat);
                if (keepNames) m_names[link] = name;
                continue;
            }
            std::uint64_t child = records + (j + 1) * recordSize + link;
            if (child >= m_trieLength) Fail(kAdlBadFormat);
            pending.push_back({child, frame.depth + 1, static_cast<char>(record[0])});
        }
    }
}

std::int32_t QpkArchive::LookupName(const char* name) const {
    if (!m_named || !name) return -1;
    const std::string lower = LowerCopy(name);
    std::int32_t index = ArchiveNameLookup(m_trie, m_trieLength, m_wideLinks, lower.c_str(), 0);
    return index >= 0 && static_cast<std::uint32_t>(index) < m_entryCount ? index : -1;
}

std::int32_t QpkArchive::SeekEntry(std::int32_t index, EntryLocation* location) const {
    if (index < 0 || static_cast<std::uint32_t>(index) >= m_entryCount) return kAdlNotFound;
    const IndexRecord record = RecordOf(static_cast<std::uint32_t>(index));
    location->flags = record.flags;
    location->storedSize = record.storedSize;
    location->unpackedSize = record.unpackedSize ? record.unpackedSize : record.storedSize;
    // An entry without stored bytes is reported as such before its sizes are weighed.
    if (location->storedSize == 0) return kAdlEmptyEntry;
    // The prefix counts in the unpacked size: a smaller size has no room for the entry's bytes.
    if (location->unpackedSize < m_prefixLength) return kAdlBadEntryData;
    // What the entry keeps in the file: the LZSS data, or the bytes after the prefix.
    std::uint64_t inFile = location->storedSize != location->unpackedSize
                               ? location->storedSize
                               : location->unpackedSize - m_prefixLength;
    if (record.offset + inFile > m_fileSize) return kAdlReadFailed;
    location->offset = static_cast<std::uint32_t>(record.offset);
    return kAdlOk;
}

std::int32_t QpkArchive::ReadAt(std::uint32_t offset, std::uint8_t* destination, std::uint32_t count) {
    ScopedLock guard(m_fileLock);
    if (!MoveFilePointer(m_file, offset, FILE_BEGIN)) return kAdlSeekFailed;
    return ReadExactly(m_file, destination, count) ? kAdlOk : kAdlReadFailed;
}

void QpkArchive::Descramble(std::uint8_t flags, std::uint8_t* bytes, std::uint32_t count,
                            std::uint32_t head) const {
    if (flags && count) QpkScrambler::DescrambleBytes(bytes, count);
    if (m_headScrambled && head > 3) {
        std::uint32_t words = head / 4;
        QpkScrambler::ScrambleHead(bytes, words < QpkScrambler::kHeadWords ? words : QpkScrambler::kHeadWords,
                                   m_entryKey);
    }
}

std::int32_t QpkArchive::Extract(std::int32_t index, ArchiveAllocator allocator, void* allocatorArgument,
                                 ArchiveProgress progress, void* progressArgument) {
    if (!allocator) return kAdlBadArgument;
    EntryLocation entry;
    std::int32_t code = SeekEntry(index, &entry);
    if (code != kAdlOk) return code;
    const std::uint32_t body = entry.unpackedSize - m_prefixLength;
    const bool compressed = entry.storedSize != entry.unpackedSize;
    if (compressed && body == 0) return kAdlBadEntryData;
    std::uint8_t* destination = static_cast<std::uint8_t*>(allocator(entry.unpackedSize, allocatorArgument, nullptr));
    if (!destination) return kAdlOutOfMemory;
    if (progress) progress(0, 1, progressArgument);
    if (compressed) {
        std::unique_ptr<std::uint8_t[]> packed(new (std::nothrow) std::uint8_t[entry.storedSize]);
        if (!packed) return kAdlOutOfMemory;
        code = ReadAt(entry.offset, packed.get(), entry.storedSize);
        if (code != kAdlOk) return code;
        LzssCodec codec;
        std::uint8_t* out = destination + m_prefixLength;
        if (codec.Decode(packed.get(), entry.storedSize, &out, body, false) != LzssCodec::kDone)
            return kAdlBadEntryData;
    } else if (body != 0) {
        code = ReadAt(entry.offset, destination + m_prefixLength, body);
        if (code != kAdlOk) return code;
    }
    Descramble(entry.flags, destination + m_prefixLength, body, body);
    for (std::uint32_t i = 0; i < m_prefixLength; ++i) destination[i] = m_prefix[i];
    if (progress) progress(1, 1, progressArgument);
    return kAdlOk;
}

ByteStream* QpkArchive::OpenEntryStream(std::int32_t index, std::int32_t* outCode) {
    std::int32_t ignored;
    if (!outCode) outCode = &ignored;
    EntryLocation entry;
    std::int32_t code = SeekEntry(index, &entry);
    // An entry without stored bytes has no stream either; it is left to extraction to report.
    if (code == kAdlEmptyEntry || (code == kAdlOk && entry.storedSize != entry.unpackedSize))
        code = kAdlEntryCompressed;
    if (code != kAdlOk) {
        *outCode = code;
        return nullptr;
    }
    HANDLE file = CreateFileA(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *outCode = kAdlNotFound;
        return nullptr;
    }
    std::uint32_t headLength = m_prefixLength;
    if (m_headScrambled) {
        std::uint32_t scrambledEnd = m_prefixLength + QpkScrambler::kHeadWords * 4;
        headLength = entry.unpackedSize < scrambledEnd ? entry.unpackedSize : scrambledEnd;
    }
    const std::uint32_t headBody = headLength - m_prefixLength;
    std::unique_ptr<std::uint8_t[]> head;
    if (headLength > 0) {
        head.reset(new (std::nothrow) std::uint8_t[headLength]);
        if (!head) code = kAdlOutOfMemory;
    }
    if (code == kAdlOk && headLength > 0) {
        for (std::uint32_t i = 0; i < m_prefixLength; ++i) head[i] = m_prefix[i];
        if (headBody > 0) code = ReadAt(entry.offset, head.get() + m_prefixLength, headBody);
        if (code == kAdlOk) Descramble(entry.flags, head.get() + m_prefixLength, headBody, headBody);
    }
    QpkEntryStream* stream = nullptr;
    if (code == kAdlOk) {
        stream = new (std::nothrow) QpkEntryStream(file, entry.offset + headBody, entry.unpackedSize,
                                                   std::move(head), static_cast<std::uint16_t>(headLength),
                                                   entry.flags);
        if (!stream) code = kAdlOutOfMemory;
    }
    if (code == kAdlOk && stream->SeekSet(0) != 0) code = kAdlSeekFailed;
    if (code != kAdlOk) {
        if (stream)
            ReleaseObject(stream);
        else
            CloseHandle(file);
        *outCode = code;
        return nullptr;
    }
    *outCode = kAdlOk;
    return stream;
}

ArchiveEntryTableItem* XM_METHOD QpkArchive::EntryTable() {
    return m_table.empty() ? nullptr : m_table.data();
}

bool XM_METHOD QpkArchive::Contains(const char* name) { return LookupName(name) >= 0; }

ArchiveEntryInfo* XM_METHOD QpkArchive::FindEntry(const char* name) {
    std::int32_t index = LookupName(name);
    return index >= 0 && !m_infos.empty() ? &m_infos[index] : nullptr;
}

ArchiveEntryInfo* XM_METHOD QpkArchive::EntryInfo(std::int32_t index, const char** outName) {
    if (m_infos.empty() || index < 0 || static_cast<std::uint32_t>(index) >= m_entryCount) return nullptr;
    if (outName) *outName = m_table[index].name;
    return &m_infos[index];
}

std::int32_t XM_METHOD QpkArchive::ExtractByName(const char* name, ArchiveAllocator allocator,
                                                 void* allocatorArgument, ArchiveProgress progress,
                                                 void* progressArgument) {
    if (!allocator) return kAdlBadArgument;
    std::int32_t index = LookupName(name);
    if (index < 0) return kAdlNotFound;
    return Extract(index, allocator, allocatorArgument, progress, progressArgument);
}

std::int32_t XM_METHOD QpkArchive::ExtractByIndex(std::int32_t index, ArchiveAllocator allocator,
                                                  void* allocatorArgument, ArchiveProgress progress,
                                                  void* progressArgument) {
    return Extract(index, allocator, allocatorArgument, progress, progressArgument);
}

std::int32_t XM_METHOD QpkArchive::ExtractToFileByName(const char*, const char*, ArchiveProgress, void*) {
    return kAdlNotSupported;
}

std::int32_t XM_METHOD QpkArchive::ExtractToFileByIndex(std::int32_t, const char*, ArchiveProgress, void*) {
    return kAdlNotSupported;
}

ByteStream* XM_METHOD QpkArchive::OpenStreamByName(const char* name, std::int32_t* outCode) {
    std::int32_t index = LookupName(name);
    if (index < 0) {
        if (outCode) *outCode = kAdlNotFound;
        return nullptr;
    }
    return OpenEntryStream(index, outCode);
}

ByteStream* XM_METHOD QpkArchive::OpenStreamByIndex(std::int32_t index, std::int32_t* outCode) {
    return OpenEntryStream(index, outCode);
}
