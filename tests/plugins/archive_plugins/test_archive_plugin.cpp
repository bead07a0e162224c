// An ADL plug-in for the trivial "TADL" archive format (see tests/support/test_archive_writer.h),
// built as a third party would build one. Its archives read entries through the one file handle
// they keep, so two extractions at once would mix their file positions: TestOverlaps (not part
// of the plug-in interface) counts calls that found another one still running.
// Variants: TEST_PLUGIN_WITHOUT_ASSIST2 lacks AdlAssistFunc2; TEST_PLUGIN_NULL_DECODER returns
// no decode object.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/interfaces/adl_plugin.h"
#include "framework/interfaces/deleting_destructor.h"

#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

namespace {

volatile LONG g_running = 0;
volatile LONG g_overlaps = 0;
volatile LONG g_liveArchives = 0;

// Entry times (time_t, UTC): 1980-01-01 00:00:00, 2001-09-09 01:46:41 (odd seconds), 1970-01-02
// (before the DOS epoch) and one before 1970 (no local time).
const std::int32_t kEntryTimes[4] = {315532800, 1000000001, 86400, -86400};

// Marks a call that moves the archive's file position.
class RunningCall {
public:
    RunningCall() {
        if (InterlockedIncrement(&g_running) > 1) InterlockedIncrement(&g_overlaps);
    }
    ~RunningCall() { InterlockedDecrement(&g_running); }
};

class EntryStream final : public WithDeletingDestructor<EntryStream, ByteStream> {
public:
    explicit EntryStream(std::string data) : m_data(std::move(data)) {}

    std::uint32_t XM_METHOD Size() override { return static_cast<std::uint32_t>(m_data.size()); }
    std::uint32_t XM_METHOD Tell() override { return m_position; }
    bool XM_METHOD IsEof() override { return m_position == m_data.size(); }
    std::int32_t XM_METHOD SeekSet(std::uint32_t position) override {
        m_position = position < Size() ? position : Size();
        return 0;
    }
    std::int32_t XM_METHOD SeekCur(std::int32_t distance) override {
        const std::int64_t target = static_cast<std::int64_t>(m_position) + distance;
        m_position = target < 0 ? 0 : target > Size() ? Size() : static_cast<std::uint32_t>(target);
        return 0;
    }
    std::int32_t XM_METHOD SeekEnd(std::uint32_t distance) override {
        m_position = distance > Size() ? 0 : Size() - distance;
        return 0;
    }
    std::uint32_t XM_METHOD Read(void* destination, std::uint32_t count) override {
        const std::uint32_t left = Size() - m_position;
        if (count > left) count = left;
        std::memcpy(destination, m_data.data() + m_position, count);
        m_position += count;
        return count;
    }

private:
    std::string m_data;
    std::uint32_t m_position = 0;
};

struct Entry {
    std::string name;
    bool packed;
    std::uint32_t size;
    std::uint32_t offset;
};

bool ReadExact(HANDLE file, void* destination, DWORD count) {
    DWORD read = 0;
    return ReadFile(file, destination, count, &read, nullptr) && read == count;
}

class TestArchive final : public WithDeletingDestructor<TestArchive, Archive> {
public:
    explicit TestArchive(HANDLE file) : m_file(file) { InterlockedIncrement(&g_liveArchives); }
    ~TestArchive() {
        if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
        InterlockedDecrement(&g_liveArchives);
    }

    // A handle given by the caller stays with the caller when the open fails.
    void Disown() { m_file = INVALID_HANDLE_VALUE; }

    bool ReadIndex() {
        char magic[4];
        std::uint32_t count = 0;
        if (!ReadExact(m_file, magic, 4) || std::memcmp(magic, "TADL", 4) != 0) return false;
        if (!ReadExact(m_file, &count, 4)) return false;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint8_t length = 0;
            Entry entry;
            std::uint8_t packed = 0;
            if (!ReadExact(m_file, &length, 1)) return false;
            entry.name.resize(length);
            if (length && !ReadExact(m_file, &entry.name[0], length)) return false;
            if (!ReadExact(m_file, &packed, 1) || !ReadExact(m_file, &entry.size, 4) ||
                !ReadExact(m_file, &entry.offset, 4)) {
                return false;
            }
            entry.packed = packed != 0;
            m_entries.push_back(entry);
        }
        return true;
    }

    std::uint32_t XM_METHOD EntryCount() override {
        return static_cast<std::uint32_t>(m_entries.size());
    }
    ArchiveEntryTableItem* XM_METHOD EntryTable() override { return nullptr; }
    bool XM_METHOD Contains(const char* name) override { return Find(name) != nullptr; }
    ArchiveEntryInfo* XM_METHOD FindEntry(const char*) override { return nullptr; }
    // Entry i carries time kEntryTimes[i % 4], kind 3 and its packed flag as its entry flags.
    ArchiveEntryInfo* XM_METHOD EntryInfo(std::int32_t index, const char** outName) override {
        if (index < 0 || index >= static_cast<std::int32_t>(m_entries.size())) return nullptr;
        const Entry& entry = m_entries[index];
        m_info = ArchiveEntryInfo{};
        m_info.index = index;
        m_info.storedSize = entry.size;
        m_info.unpackedSize = entry.size;
        m_info.timeStamp = kEntryTimes[index % 4];
        m_info.kind = 3;
        m_info.entryFlags = entry.packed ? 1 : 0;
        if (outName) *outName = entry.name.c_str();
        return &m_info;
    }
    // The extra operation: the sum of the first word and twice the second, or 5 without words.
    std::int32_t XM_METHOD FormatExtra(const std::uint32_t* arguments) override {
        if (!arguments) return kAdlBadArgument;
        return static_cast<std::int32_t>(arguments[0] + 2 * arguments[1]);
    }
    std::int32_t XM_METHOD ExtractByName(const char* name, ArchiveAllocator allocator,
                                         void* argument, ArchiveProgress, void*) override {
        const Entry* entry = Find(name);
        return entry ? Extract(*entry, allocator, argument) : kAdlNotFound;
    }
    std::int32_t XM_METHOD ExtractByIndex(std::int32_t index, ArchiveAllocator allocator,
                                          void* argument, ArchiveProgress, void*) override {
        if (index < 0 || index >= static_cast<std::int32_t>(m_entries.size())) return kAdlNotFound;
        return Extract(m_entries[index], allocator, argument);
    }
    std::int32_t XM_METHOD ExtractToFileByName(const char*, const char*, ArchiveProgress,
                                               void*) override {
        return kAdlNotSupported;
    }
    std::int32_t XM_METHOD ExtractToFileByIndex(std::int32_t, const char*, ArchiveProgress,
                                                void*) override {
        return kAdlNotSupported;
    }
    ByteStream* XM_METHOD OpenStreamByName(const char* name, std::int32_t* outCode) override {
        const Entry* entry = Find(name);
        if (!entry || entry->packed) {
            *outCode = entry ? kAdlEntryCompressed : kAdlNotFound;
            return nullptr;
        }
        std::string data(entry->size, '\0');
        if (!ReadAt(*entry, data.empty() ? nullptr : &data[0])) {
            *outCode = kAdlReadFailed;
            return nullptr;
        }
        *outCode = kAdlOk;
        return new EntryStream(data);
    }
    ByteStream* XM_METHOD OpenStreamByIndex(std::int32_t, std::int32_t* outCode) override {
        *outCode = kAdlNotSupported;
        return nullptr;
    }

private:
    const Entry* Find(const char* name) const {
        for (const Entry& entry : m_entries) {
            if (lstrcmpiA(entry.name.c_str(), name) == 0) return &entry;
        }
        return nullptr;
    }

    // Seeks and reads through the shared handle, giving other threads a chance in between.
    bool ReadAt(const Entry& entry, void* destination) {
        RunningCall running;
        if (SetFilePointer(m_file, entry.offset, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
            return false;
        }
        Sleep(1);
        return entry.size == 0 || ReadExact(m_file, destination, entry.size);
    }

    std::int32_t Extract(const Entry& entry, ArchiveAllocator allocator, void* argument) {
        if (!allocator) return kAdlBadArgument;
        if (entry.size == 0) return kAdlEmptyEntry;
        std::uint8_t* destination = static_cast<std::uint8_t*>(allocator(entry.size, argument, nullptr));
        if (!destination) return kAdlOutOfMemory;
        if (!ReadAt(entry, destination)) return kAdlReadFailed;
        if (entry.packed) {
            for (std::uint32_t k = 0; k < entry.size; ++k) destination[k] ^= 0x5A;
        }
        return kAdlOk;
    }

    HANDLE m_file;
    std::vector<Entry> m_entries;
    ArchiveEntryInfo m_info{};
};

class TestDecoder final : public WithDeletingDestructor<TestDecoder, ArchiveDecoder> {
public:
    Archive* XM_METHOD Open(const char* path, HANDLE handle, std::int32_t* outCode) override {
        const bool ownHandle = handle == INVALID_HANDLE_VALUE;
        if (ownHandle) {
            handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle == INVALID_HANDLE_VALUE) {
                *outCode = kAdlNotFound;
                return nullptr;
            }
        }
        TestArchive* archive = new TestArchive(handle);
        if (!archive->ReadIndex()) {
            if (!ownHandle) archive->Disown();
            archive->DeletingDestructor(xm::kDeleteMemory);
            *outCode = kAdlBadFormat;
            return nullptr;
        }
        *outCode = kAdlOk;
        return archive;
    }
    std::int32_t XM_METHOD Assist(ArchiveOptionRecord) override { return 0; }
};

}  // namespace

PLUGIN_EXPORT std::int32_t XM_CDECL GetAdlType() { return 77; }
PLUGIN_EXPORT const char* XM_CDECL GetAdlTypeString() { return "Test archive"; }
PLUGIN_EXPORT const char* XM_CDECL GetAdlSupportExt() { return "TAD\0ARC\0"; }
// AdlAssistFunc and AdlAssistFunc2 are in test_archive_assist.cpp.
PLUGIN_EXPORT ArchiveDecoder* XM_CDECL GetAdlDecodeObject() {
#ifdef TEST_PLUGIN_NULL_DECODER
    return nullptr;
#else
    return new TestDecoder;
#endif
}

PLUGIN_EXPORT std::int32_t XM_CDECL TestOverlaps() { return g_overlaps; }
PLUGIN_EXPORT std::int32_t XM_CDECL TestLiveObjects() { return g_liveArchives; }
