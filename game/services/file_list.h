// FileList: the scripts' folder listing. Each entry names a file or folder relative to the listed
// folder (folders end with '\'), with its last-write time in local time, its size and its
// attribute flags.
//
// Order: a scan lists the sub-folders first, each followed at once by what the scan of it finds,
// then the files; within one folder, entries come in the order the file system gives them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct FileListEntry {
    // Flags.
    enum : std::uint8_t { kReadOnly = 1, kHidden = 2, kSystem = 4, kArchive = 8, kFolder = 16 };

    std::string name;
    std::uint16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    // 0 Sunday .. 6 Saturday.
    std::uint8_t weekday = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    // The low 32 bits of the size; 0 for folders.
    std::uint32_t size = 0;
    std::uint8_t flags = 0;
};

class FileList {
public:
    // Folder modes of List.
    enum : std::uint8_t { kFilesOnly = 0, kFoldersAndFiles = 1, kFoldersOnly = 2 };

    FileList() = default;
    virtual ~FileList() = default;
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;

    // Replaces the entries with a listing of `folder` (resolved against the base directory;
    // null: the base directory) and, with recurse, of every folder below it. Files match
    // `pattern` (null: "*.*"); folders are always all looked at. foldersMode 0 lists files,
    // 1 folders and files, 2 folders only. Returns the entry count; 0 when the folder cannot
    // be resolved. A folder whose search path would not fit in a path is not looked into.
    std::uint32_t List(const char* folder, const char* pattern, std::uint8_t foldersMode, bool recurse);
    // Null when i is not below the count.
    const FileListEntry* Entry(std::uint32_t i) const;
    const char* EntryName(std::uint32_t i) const;
    std::uint32_t Count() const { return static_cast<std::uint32_t>(m_entries.size()); }
    void Clear();

private:
    void Scan(const std::string& base, const std::string& sub, const char* pattern, std::uint8_t foldersMode,
              bool recurse);
    void Add(const std::string& name, const WIN32_FIND_DATAA& found, bool folder);

    std::vector<FileListEntry> m_entries;
};
