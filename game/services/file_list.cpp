#include "game/services/file_list.h"

#include <cstring>
#include <utility>

#include "framework/files/path_utilities.h"

namespace {

std::uint8_t Flags(DWORD attributes, bool folder) {
    std::uint8_t flags = folder ? FileListEntry::kFolder : 0;
    if (attributes & FILE_ATTRIBUTE_ARCHIVE) flags |= FileListEntry::kArchive;
    if (attributes & FILE_ATTRIBUTE_SYSTEM) flags |= FileListEntry::kSystem;
    if (attributes & FILE_ATTRIBUTE_HIDDEN) flags |= FileListEntry::kHidden;
    if (attributes & FILE_ATTRIBUTE_READONLY) flags |= FileListEntry::kReadOnly;
    return flags;
}

bool IsDotEntry(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Every entry FindFirstFileA and FindNextFileA give for `search`, to visit(found); nothing when
// the search path does not fit in a path.
template <typename Visit>
void ForEachFound(const std::string& search, Visit visit) {
    if (search.size() >= kPathCapacity) return;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(search.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        visit(found);
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

}  // namespace

std::uint32_t FileList::List(const char* folder, const char* pattern, std::uint8_t foldersMode, bool recurse) {
    Clear();
    char full[kPathCapacity];
    if (!MakeFullPath(full, folder ? folder : GetBaseDirectory(), nullptr)) return 0;
    std::string base = full;
    if (!EndsWithSeparator(full)) base += '\\';
    Scan(base, std::string(), pattern ? pattern : "*.*", foldersMode, recurse);
    return Count();
}

void FileList::Scan(const std::string& base, const std::string& sub, const char* pattern,
                    std::uint8_t foldersMode, bool recurse) {
    if (foldersMode != kFilesOnly || recurse) {
        ForEachFound(base + sub + "*.*", [&](const WIN32_FIND_DATAA& found) {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotEntry(found.cFileName)) return;
            const std::string name = sub + found.cFileName + '\\';
            if (foldersMode != kFilesOnly) Add(name, found, true);
            if (recurse) Scan(base, name, pattern, foldersMode, recurse);
        });
        if (foldersMode == kFoldersOnly) return;
    }
    ForEachFound(base + sub + pattern, [&](const WIN32_FIND_DATAA& found) {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
        Add(sub + found.cFileName, found, false);
    });
}

void FileList::Add(const std::string& name, const WIN32_FIND_DATAA& found, bool folder) {
    FileListEntry entry;
    entry.name = name;
    FILETIME local;
    SYSTEMTIME time;
    if (FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) && FileTimeToSystemTime(&local, &time)) {
        entry.year = time.wYear;
        entry.month = static_cast<std::uint8_t>(time.wMonth);
        entry.day = static_cast<std::uint8_t>(time.wDay);
        entry.weekday = static_cast<std::uint8_t>(time.wDayOfWeek);
        entry.hour = static_cast<std::uint8_t>(time.wHour);
        entry.minute = static_cast<std::uint8_t>(time.wMinute);
        entry.second = static_cast<std::uint8_t>(time.wSecond);
    }
    entry.size = folder ? 0 : found.nFileSizeLow;
    entry.flags = Flags(found.dwFileAttributes, folder);
    m_entries.push_back(std::move(entry));
}

const FileListEntry* FileList::Entry(std::uint32_t i) const {
    return i < m_entries.size() ? &m_entries[i] : nullptr;
}

const char* FileList::EntryName(std::uint32_t i) const {
    return i < m_entries.size() ? m_entries[i].name.c_str() : nullptr;
}

void FileList::Clear() {
    std::vector<FileListEntry>().swap(m_entries);
}
