#include "framework/files/virtual_file_system.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "framework/files/global_alloc_block.h"
#include "framework/archive/handle_stream.h"
#include "framework/archive/memory_stream.h"
#include "framework/files/path_utilities.h"
#include "framework/plugins/plugin_folder_scan.h"
#include "framework/plugins/plugin_module.h"
#include "framework/plugins/plugin_object_tracker.h"

VirtualFileSystem* g_virtualFileSystem = nullptr;

namespace {

// Operations in a byte stream's table.
constexpr std::uint32_t kByteStreamSlots = 9;

void CopyOut(char* out, const char* path) {
    if (!out) return;
    const std::size_t length = std::strlen(path);
    if (length >= kPathCapacity) {
        out[0] = '\0';
        return;
    }
    std::memcpy(out, path, length + 1);
}

HANDLE OpenForReading(const char* path, DWORD share) {
    return CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// A stream over the plain file at `path`, or null when it does not open.
ByteStream* OpenPlainStream(const char* path) {
    HANDLE file = OpenForReading(path, FILE_SHARE_READ);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    HandleStream* stream = new (std::nothrow) HandleStream;
    if (!stream) {
        CloseHandle(file);
        throw kAdlOutOfMemory;
    }
    // A size that cannot be read does not stop the open.
    stream->Attach(file);
    return stream;
}

// Reads the plain file at `path` whole through the allocator; kAdlNotFound when it does not
// open.
std::int32_t LoadPlainFile(const char* path, ArchiveAllocator allocator, ArchiveReleaser release,
                           void* argument) {
    HANDLE file = OpenForReading(path, FILE_SHARE_READ);
    if (file == INVALID_HANDLE_VALUE) return kAdlNotFound;
    std::int32_t code = kAdlOk;
    const DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE) {
        code = kAdlSizeUnavailable;
    } else if (size > 0) {
        void* destination = allocator(size, argument, nullptr);
        DWORD read = 0;
        if (!destination) {
            code = kAdlOutOfMemory;
        } else if (!ReadFile(file, destination, size, &read, nullptr) || read != size) {
            release(argument);
            code = kAdlReadFailed;
        }
    }
    CloseHandle(file);
    return code;
}

// Number of leading bytes that two prefixes share.
std::int32_t SharedLength(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    return static_cast<std::int32_t>(i);
}

// The folder form of a path: resolved, ending in '\', lower-cased; false when it does not
// resolve or fit.
bool NormaliseFolder(const char* folder, std::string* out) {
    char full[kPathCapacity];
    if (MakeFullPath(full, folder, nullptr) == 0) return false;
    if (!EndsWithSeparator(full) && !AppendToPath(full, "\\")) return false;
    *out = LowerCopy(full);
    return true;
}

// Offers `attempt` the name in each of the search folders, until it takes one (returns true):
// whether one was taken. A folder that the name does not resolve in is passed over.
template <class Attempt>
bool TryInFolders(const char* name, const std::vector<std::string>& folders, Attempt attempt) {
    char path[kPathCapacity];
    for (const std::string& folder : folders) {
        if (MakeFullPath(path, name, folder.c_str()) != 0 && attempt(path)) return true;
    }
    return false;
}

// The file layer's code for the exception being handled.
std::int32_t CurrentExceptionCode() {
    try {
        throw;
    } catch (EAdlErrorCode thrown) {
        return thrown;
    } catch (const std::bad_alloc&) {
        return kAdlOutOfMemory;
    } catch (...) {
        return kAdlException;
    }
}

}  // namespace

VirtualFileSystem::~VirtualFileSystem() {
    ClearSearchDirs();
    RemoveAllMounts();
    UnloadAllAdl();
}

std::vector<std::string> VirtualFileSystem::SearchDirsSnapshot() {
    ScopedLock guard(m_lock);
    return m_searchDirs;
}

ByteStream* VirtualFileSystem::OpenFile(const char* name, char* outPath, std::int32_t* outCode,
                                        bool allowExtraction) {
    std::int32_t code = kAdlOk;
    ByteStream* stream = nullptr;
    try {
        char full[kPathCapacity];
        const std::int32_t resolved = MakeFullPath(full, name, nullptr);
        if (resolved == 0) throw kAdlBadArgument;
        const std::vector<std::string> folders =
            resolved == 2 ? SearchDirsSnapshot() : std::vector<std::string>();
        auto take = [&](const char* path, ByteStream* opened) {
            stream = opened;
            if (stream) CopyOut(outPath, path);
            return stream != nullptr;
        };
        auto plain = [&](const char* path) { return take(path, OpenPlainStream(path)); };
        if (!plain(full) && !TryInFolders(name, folders, plain)) {
            ScopedLock guard(m_lock);
            auto mounted = [&](const char* path) {
                return take(path, OpenInMounts(LowerCopy(path).c_str(), allowExtraction));
            };
            if (!mounted(full) && !TryInFolders(name, folders, mounted)) throw kAdlNotFound;
        }
    } catch (...) {
        code = CurrentExceptionCode();
    }
    if (code != kAdlOk) {
        ReleaseObject(stream);
        stream = nullptr;
    }
    if (outCode) *outCode = code;
    return stream;
}

std::int32_t VirtualFileSystem::LoadFile(const char* name, ArchiveAllocator allocator,
                                         ArchiveReleaser release, void* argument, char* outPath) {
    if (!allocator || !release) return kAdlBadArgument;
    try {
        char full[kPathCapacity];
        const std::int32_t resolved = MakeFullPath(full, name, nullptr);
        if (resolved == 0) return kAdlBadArgument;
        const std::vector<std::string> folders =
            resolved == 2 ? SearchDirsSnapshot() : std::vector<std::string>();
        std::int32_t code = kAdlNotFound;
        // The first candidate that is there decides, whether it loads or fails.
        auto take = [&](const char* path, std::int32_t result) {
            code = result;
            if (code == kAdlOk) CopyOut(outPath, path);
            return code != kAdlNotFound;
        };
        auto plain = [&](const char* path) {
            return take(path, LoadPlainFile(path, allocator, release, argument));
        };
        if (plain(full) || TryInFolders(name, folders, plain)) return code;
        ScopedLock guard(m_lock);
        auto mounted = [&](const char* path) {
            return take(path, ExtractFromMounts(LowerCopy(path).c_str(), allocator, release, argument));
        };
        if (!mounted(full)) TryInFolders(name, folders, mounted);
        return code;
    } catch (...) {
        return CurrentExceptionCode();
    }
}

template <class Visit>
bool VirtualFileSystem::VisitCandidates(const char* lowerPath, Visit visit) {
    const std::size_t count = m_mounts.size();
    std::size_t first = 0;
    while (first < count && m_mounts[first].prefix[0] != lowerPath[0]) ++first;
    if (first == count) return false;
    // Only the group of the first record that shares the path's first character is searched.
    std::size_t last = first;
    if (m_mounts[first].marker > 0) {
        while (last + 1 < count && m_mounts[last].marker != -1) ++last;
    }
    for (std::size_t i = first; i <= last; ++i) {
        const MountRecord& record = m_mounts[i];
        if (std::strncmp(record.prefix.c_str(), lowerPath, record.prefix.size()) != 0) continue;
        if (visit(record, lowerPath + record.prefix.size())) return true;
    }
    return false;
}

ByteStream* VirtualFileSystem::OpenInMounts(const char* lowerPath, bool allowExtraction) {
    ByteStream* result = nullptr;
    VisitCandidates(lowerPath, [&](const MountRecord& record, const char* entry) {
        std::int32_t code = kAdlNotFound;
        result = record.archive->OpenStreamByName(entry, &code);
        if (result) {
            // A plug-in's stream belongs to the caller and may outlive the plug-in's format.
            if (record.library &&
                !PluginObjectTracker::Track(result, record.library, kByteStreamSlots)) {
                ReleaseObject(result);
                result = nullptr;
                throw kAdlOutOfMemory;
            }
            return true;
        }
        if (code != kAdlEntryCompressed || !allowExtraction) return false;
        GlobalBlock pair;
        if (record.archive->ExtractByName(entry, GlobalAllocBlock, &pair, nullptr, nullptr) !=
                kAdlOk ||
            !pair.block) {
            GlobalFreeBlock(&pair);
            return false;
        }
        MemoryStream* memory = new (std::nothrow) MemoryStream;
        if (!memory) {
            GlobalFreeBlock(&pair);
            throw kAdlOutOfMemory;
        }
        memory->Attach(pair.block, pair.size);
        result = memory;
        return true;
    });
    return result;
}

std::int32_t VirtualFileSystem::ExtractFromMounts(const char* lowerPath, ArchiveAllocator allocator,
                                                  ArchiveReleaser release, void* argument) {
    // A candidate that holds the entry but fails to extract it says more than "not found".
    std::int32_t failure = kAdlNotFound;
    const bool found = VisitCandidates(lowerPath, [&](const MountRecord& record, const char* entry) {
        const std::int32_t code =
            record.archive->ExtractByName(entry, allocator, argument, nullptr, nullptr);
        if (code == kAdlOk) return true;
        release(argument);
        if (failure == kAdlNotFound) failure = code;
        return false;
    });
    return found ? kAdlOk : failure;
}

bool VirtualFileSystem::ExistsInMounts(const char* lowerPath) {
    return VisitCandidates(lowerPath, [](const MountRecord& record, const char* entry) {
        return record.archive->Contains(entry);
    });
}

std::int32_t VirtualFileSystem::SearchDirCount() {
    ScopedLock guard(m_lock);
    return static_cast<std::int32_t>(m_searchDirs.size());
}

void VirtualFileSystem::ClearSearchDirs() {
    ScopedLock guard(m_lock);
    m_searchDirs.clear();
}

std::int32_t VirtualFileSystem::AddSearchDir(const char* folder, bool atEnd) {
    std::string normal;
    try {
        if (!NormaliseFolder(folder, &normal)) return 1;
        ScopedLock guard(m_lock);
        m_searchDirs.insert(atEnd ? m_searchDirs.end() : m_searchDirs.begin(), normal);
    } catch (const std::bad_alloc&) {
        return 2;
    }
    return 0;
}

std::int32_t VirtualFileSystem::RemoveSearchDir(const char* folder, std::int32_t index) {
    ScopedLock guard(m_lock);
    if (folder) {
        std::string normal;
        try {
            if (!NormaliseFolder(folder, &normal)) return 1;
        } catch (const std::bad_alloc&) {
            return 1;
        }
        for (auto it = m_searchDirs.begin(); it != m_searchDirs.end(); ++it) {
            if (*it == normal) {
                m_searchDirs.erase(it);
                return 0;
            }
        }
        return -1;
    }
    const std::int32_t count = static_cast<std::int32_t>(m_searchDirs.size());
    if (index < 0) index = count - 1;
    if (index < 0 || index >= count) return -1;
    m_searchDirs.erase(m_searchDirs.begin() + index);
    return 0;
}

const char* VirtualFileSystem::GetSearchDir(std::int32_t index) {
    ScopedLock guard(m_lock);
    const std::int32_t count = static_cast<std::int32_t>(m_searchDirs.size());
    if (index < 0) index = count - 1;
    if (index < 0 || index >= count) return nullptr;
    return m_searchDirs[index].c_str();
}

std::int32_t VirtualFileSystem::FindFile(char* outPath, const char* name,
                                         WIN32_FIND_DATAA* outData) {
    char full[kPathCapacity];
    const std::int32_t resolved = MakeFullPath(full, name, nullptr);
    if (resolved == 0) return 1;
    auto found = [&](const char* path) {
        WIN32_FIND_DATAA data;
        HANDLE search = FindFirstFileA(path, &data);
        if (search == INVALID_HANDLE_VALUE) return false;
        FindClose(search);
        if (outData) *outData = data;
        CopyOut(outPath, path);
        return true;
    };
    if (found(full)) return 0;
    if (resolved == 1) return 2;
    return TryInFolders(name, SearchDirsSnapshot(), found) ? 0 : 3;
}

std::int32_t VirtualFileSystem::OpenRawHandle(HANDLE* outHandle, const char* name, bool shareRead,
                                              char* outPath) {
    if (!outHandle) return 1;
    *outHandle = INVALID_HANDLE_VALUE;
    char full[kPathCapacity];
    const std::int32_t resolved = MakeFullPath(full, name, nullptr);
    if (resolved == 0) return 1;
    const DWORD share = shareRead ? FILE_SHARE_READ : 0;
    auto open = [&](const char* path) {
        *outHandle = OpenForReading(path, share);
        if (*outHandle == INVALID_HANDLE_VALUE) return false;
        CopyOut(outPath, path);
        return true;
    };
    if (open(full)) return 0;
    if (resolved == 1) return 1;
    return TryInFolders(name, SearchDirsSnapshot(), open) ? 0 : 2;
}

std::int32_t VirtualFileSystem::MountCount() {
    ScopedLock guard(m_lock);
    return static_cast<std::int32_t>(m_mounts.size());
}

void VirtualFileSystem::RemoveAllMounts() {
    ScopedLock guard(m_lock);
    for (MountRecord& record : m_mounts) ReleaseObject(record.archive);
    m_mounts.clear();
}

std::int32_t VirtualFileSystem::MountArchive(const char* name, std::int32_t tag, bool ownFolder,
                                             bool atEnd, Archive** outArchive) {
    char path[kPathCapacity];
    if (FindFile(path, name, nullptr) != 0) return kAdlBadArgument;
    HANDLE file = OpenForReading(path, FILE_SHARE_READ);
    if (file == INVALID_HANDLE_VALUE) return kAdlNotFound;

    ScopedLock guard(m_lock);
    Archive* archive = nullptr;
    try {
        // Every decoder reads from the start, and one that reports nothing has failed.
        std::int32_t code = kAdlBadFormat;
        HMODULE library = nullptr;
        auto tryOpen = [&](ArchiveDecoder* decoder) {
            code = kAdlBadFormat;
            SetFilePointer(file, 0, nullptr, FILE_BEGIN);
            archive = decoder->Open(path, file, &code);
            if (!archive && code == kAdlOk) code = kAdlBadFormat;
            return archive != nullptr;
        };
        if (ArchiveDecoder* decoder = FindDecoderLocked(path, &library)) {
            tryOpen(decoder);
        } else {
            for (const ArchiveFormatRecord& format : m_formats) {
                if (tryOpen(format.decoder)) {
                    library = format.library;
                    break;
                }
            }
            if (!archive) code = kAdlBadFormat;
        }
        if (!archive) {
            CloseHandle(file);
            return code;
        }
        // The archive owns the handle from here on.
        char prefix[kPathCapacity];
        std::memcpy(prefix, path, std::strlen(path) + 1);
        if (ownFolder) {
            StripExtension(prefix, nullptr);
            if (!AppendToPath(prefix, "\\")) throw kAdlBadArgument;
        } else {
            SplitFileName(prefix, nullptr);
        }
        InsertMount(MountRecord{archive, LowerCopy(prefix), tag, 0, library}, atEnd);
    } catch (...) {
        // Until an archive exists, the handle is still ours to close.
        if (archive) ReleaseObject(archive);
        else CloseHandle(file);
        return CurrentExceptionCode();
    }
    if (outArchive) *outArchive = archive;
    return kAdlOk;
}

void VirtualFileSystem::InsertMount(MountRecord record, bool atEnd) {
    // Reserved first, so that no marker changes when the insertion cannot be made.
    m_mounts.reserve(m_mounts.size() + 1);
    const std::size_t count = m_mounts.size();
    for (std::size_t i = 0; i < count; ++i) {
        MountRecord& found = m_mounts[i];
        std::int32_t shared = SharedLength(record.prefix, found.prefix);
        if (shared == 0) {
            // Pass the whole group.
            if (found.marker > 0) {
                while (i + 1 < count && m_mounts[i].marker != -1) ++i;
            }
            continue;
        }
        if (found.marker == 0) {
            if (atEnd) {
                found.marker = shared;
                record.marker = -1;
                m_mounts.insert(m_mounts.begin() + i + 1, record);
            } else {
                found.marker = -1;
                record.marker = shared;
                m_mounts.insert(m_mounts.begin() + i, record);
            }
            return;
        }
        if (found.marker < shared) shared = found.marker;
        if (atEnd) {
            found.marker = shared;
            std::size_t last = i;
            while (last + 1 < count && m_mounts[last].marker != -1) ++last;
            m_mounts[last].marker = 0;
            record.marker = -1;
            m_mounts.insert(m_mounts.begin() + last + 1, record);
        } else {
            found.marker = 0;
            record.marker = shared;
            m_mounts.insert(m_mounts.begin() + i, record);
        }
        return;
    }
    record.marker = 0;
    m_mounts.insert(atEnd ? m_mounts.end() : m_mounts.begin(), record);
}

void VirtualFileSystem::UnlinkMountMarkers(std::size_t index) {
    const std::int32_t marker = m_mounts[index].marker;
    if (marker > 0 && index + 1 < m_mounts.size()) {
        MountRecord& next = m_mounts[index + 1];
        next.marker = next.marker == -1 ? 0 : marker;
    } else if (marker == -1 && index > 0) {
        MountRecord& previous = m_mounts[index - 1];
        previous.marker = previous.marker > 0 ? 0 : -1;
    }
}

void VirtualFileSystem::RemoveMountAt(std::size_t index) {
    UnlinkMountMarkers(index);
    ReleaseObject(m_mounts[index].archive);
    m_mounts.erase(m_mounts.begin() + index);
}

void VirtualFileSystem::RemoveMount(const char* prefix, std::int32_t tag, std::int32_t index) {
    ScopedLock guard(m_lock);
    if (prefix) {
        std::string normal;
        try {
            if (!NormaliseFolder(prefix, &normal)) return;
        } catch (const std::bad_alloc&) {
            return;
        }
        for (std::size_t i = m_mounts.size(); i-- > 0;) {
            if (m_mounts[i].prefix == normal) RemoveMountAt(i);
        }
        return;
    }
    if (tag == -2) {
        const std::int32_t count = static_cast<std::int32_t>(m_mounts.size());
        if (index < 0) index = count - 1;
        if (index >= 0 && index < count) RemoveMountAt(static_cast<std::size_t>(index));
        return;
    }
    for (std::size_t i = 0; i < m_mounts.size(); ++i) {
        if (m_mounts[i].tag == tag) {
            RemoveMountAt(i);
            return;
        }
    }
}

MountRecord* VirtualFileSystem::FindMount(std::int32_t tag, std::int32_t index) {
    if (tag == -1) {
        const std::int32_t count = static_cast<std::int32_t>(m_mounts.size());
        if (index < 0) index = count - 1;
        return index >= 0 && index < count ? &m_mounts[index] : nullptr;
    }
    for (MountRecord& record : m_mounts) {
        if (record.tag == tag) return &record;
    }
    return nullptr;
}

const char* VirtualFileSystem::GetMountPrefix(std::int32_t tag, std::int32_t index) {
    ScopedLock guard(m_lock);
    const MountRecord* record = FindMount(tag, index);
    return record ? record->prefix.c_str() : nullptr;
}

Archive* VirtualFileSystem::GetMountArchive(std::int32_t tag, std::int32_t index) {
    ScopedLock guard(m_lock);
    const MountRecord* record = FindMount(tag, index);
    return record ? record->archive : nullptr;
}

std::int32_t VirtualFileSystem::ExtractFromMount(std::int32_t tag, std::int32_t index,
                                                 const char* name, ArchiveAllocator allocator,
                                                 ArchiveReleaser release, void* argument,
                                                 char* outFullName) {
    if (!allocator || !release) return kAdlBadArgument;
    ScopedLock guard(m_lock);
    MountRecord* record = nullptr;
    for (MountRecord& candidate : m_mounts) {
        if (candidate.tag == tag) {
            record = &candidate;
            break;
        }
    }
    if (!record || !record->archive || (index == -1 && !name)) return kAdlNotFound;
    std::int32_t code;
    try {
        code = index == -1
                   ? record->archive->ExtractByName(name, allocator, argument, nullptr, nullptr)
                   : record->archive->ExtractByIndex(index, allocator, argument, nullptr, nullptr);
    } catch (...) {
        code = kAdlException;
    }
    if (code != kAdlOk) {
        release(argument);
        return code;
    }
    if (outFullName) {
        char entryName[32];
        if (!name) {
            std::snprintf(entryName, sizeof entryName, "%06d.DAT", static_cast<int>(index));
            name = entryName;
        }
        CopyOut(outFullName, record->prefix.c_str());
        if (outFullName[0] == '\0' || !AppendToPath(outFullName, name)) outFullName[0] = '\0';
    }
    return kAdlOk;
}

std::int32_t VirtualFileSystem::LocateFile(char* outPath, const char* name,
                                           WIN32_FIND_DATAA* outData) {
    char full[kPathCapacity];
    const std::int32_t resolved = MakeFullPath(full, name, nullptr);
    if (resolved == 0) return 1;
    if (FindFile(outPath, name, outData) == 0) return 0;
    const std::vector<std::string> folders =
        resolved == 2 ? SearchDirsSnapshot() : std::vector<std::string>();
    try {
        ScopedLock guard(m_lock);
        auto mounted = [&](const char* path) {
            if (!ExistsInMounts(LowerCopy(path).c_str())) return false;
            CopyOut(outPath, path);
            return true;
        };
        if (mounted(full) || TryInFolders(name, folders, mounted)) return -1;
    } catch (...) {
        return 2;
    }
    return 2;
}

void VirtualFileSystem::UnloadFormatsWhere(bool all, std::int32_t type) {
    ScopedLock guard(m_lock);
    for (std::size_t i = 0; i < m_formats.size();) {
        const ArchiveFormatRecord format = m_formats[i];
        if (!all && format.type != type) {
            ++i;
            continue;
        }
        // Archives that the library made go before the library does.
        if (format.library) {
            for (std::size_t k = m_mounts.size(); k-- > 0;) {
                if (m_mounts[k].library == format.library) RemoveMountAt(k);
            }
        }
        m_formats.erase(m_formats.begin() + i);
        DeleteDecoder(format.decoder);
        if (format.library) FreeLibrary(format.library);
    }
}

void VirtualFileSystem::UnloadAdlByType(std::int32_t type) { UnloadFormatsWhere(false, type); }

void VirtualFileSystem::UnloadAllAdl() { UnloadFormatsWhere(true, 0); }

std::int32_t VirtualFileSystem::RegisterBuiltinDecoder(ArchiveDecoder* decoder,
                                                       const char* extensions,
                                                       const char* typeString, std::int32_t type,
                                                       AdlAssistFunc assist,
                                                       AdlAssistFunc2 assist2,
                                                       AdlConfigDlgFunc configDlg) {
    if (!decoder) return 1;
    try {
        ScopedLock guard(m_lock);
        m_formats.push_back(ArchiveFormatRecord{type, typeString, ReadExtensionList(extensions), decoder, nullptr,
                                                assist, assist2, configDlg});
    } catch (...) {
        DeleteDecoder(decoder);
        return 2;
    }
    return 0;
}

std::int32_t VirtualFileSystem::LoadAdlPlugin(const char* path) {
    static const FormatPluginNames kNames = {"GetAdlType", "GetAdlTypeString", "GetAdlSupportExt",
                                             "AdlAssistFunc", "AdlAssistFunc2",
                                             "GetAdlDecodeObject", "AdlConfigDlg"};
    return LoadFormatPlugin<ArchiveDecoder>(
        path, kNames,
        [this](const FormatPluginEntry<ArchiveDecoder>& entry) {
            ScopedLock guard(m_lock);
            m_formats.push_back(ArchiveFormatRecord{
                entry.type, entry.typeString, entry.extensions, entry.object, entry.library,
                ExportAs<AdlAssistFunc>(entry.assist), ExportAs<AdlAssistFunc2>(entry.assist2),
                ExportAs<AdlConfigDlgFunc>(entry.configDlg)});
        },
        [](ArchiveDecoder* decoder) { DeleteDecoder(decoder); });
}

std::int32_t VirtualFileSystem::ScanAdlFolder(const char* folder) {
    return ScanPluginFolder(folder, "*.ADL", [this](const char* path) { return LoadAdlPlugin(path); });
}

ArchiveDecoder* VirtualFileSystem::FindDecoderLocked(const char* path, HMODULE* outLibrary) {
    char extension[kPathCapacity];
    GetExtensionPart(path, extension);
    if (extension[0] == '\0') return nullptr;
    CharUpperA(extension);
    for (const ArchiveFormatRecord& format : m_formats) {
        for (const std::string& item : format.extensions) {
            if (item == extension) {
                if (outLibrary) *outLibrary = format.library;
                return format.decoder;
            }
        }
    }
    return nullptr;
}

ArchiveDecoder* VirtualFileSystem::FindDecoderByExtension(const char* path) {
    if (!path) return nullptr;
    ScopedLock guard(m_lock);
    return FindDecoderLocked(path, nullptr);
}

AdlAssistFunc2 VirtualFileSystem::FindAdlAssistFunc2(std::int32_t type) {
    ScopedLock guard(m_lock);
    for (const ArchiveFormatRecord& format : m_formats) {
        if (format.type == type) return format.assist2;
    }
    return nullptr;
}

std::vector<ArchiveFormatRecord> VirtualFileSystem::Formats() {
    ScopedLock guard(m_lock);
    return m_formats;
}

std::vector<std::int32_t> VirtualFileSystem::MountMarkers() {
    ScopedLock guard(m_lock);
    std::vector<std::int32_t> markers;
    for (const MountRecord& record : m_mounts) markers.push_back(record.marker);
    return markers;
}
