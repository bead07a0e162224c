#include "tests/support/file_tree_writer.h"

#include "tools/content/content_files.h"

namespace testsupport {

std::vector<std::uint8_t> SeededBytes(std::uint32_t seed, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (std::uint8_t& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 23);
    }
    return bytes;
}

SYSTEMTIME UtcTime(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    return time;
}

namespace {

bool IsFolder(const std::string& path) { return !path.empty() && path.back() == '\\'; }

// The item's path without a folder's trailing '\'.
std::string PathOf(const std::string& root, const TreeItem& item) {
    std::string path = root + item.path;
    if (IsFolder(item.path)) path.pop_back();
    return path;
}

bool SetLastWrite(const std::string& path, const SYSTEMTIME& utc, bool folder) {
    FILETIME time;
    if (!SystemTimeToFileTime(&utc, &time)) return false;
    HANDLE handle = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, folder ? FILE_FLAG_BACKUP_SEMANTICS : 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const BOOL set = SetFileTime(handle, nullptr, nullptr, &time);
    CloseHandle(handle);
    return set != FALSE;
}

}  // namespace

bool WriteTree(const std::string& root, const std::vector<TreeItem>& items) {
    for (const TreeItem& item : items) {
        const std::string path = PathOf(root, item);
        if (IsFolder(item.path)) {
            if (!CreateDirectoryA(path.c_str(), nullptr)) return false;
        } else if (!WriteFile(path, SeededBytes(item.seed, item.size))) {
            return false;
        }
    }
    // Deepest first, so that no later step touches a folder whose time is set.
    for (auto item = items.rbegin(); item != items.rend(); ++item) {
        if (!SetLastWrite(PathOf(root, *item), item->lastWrite, IsFolder(item->path))) return false;
    }
    for (const TreeItem& item : items) {
        if (item.attributes == 0) continue;
        const std::string path = PathOf(root, item);
        const DWORD present = GetFileAttributesA(path.c_str());
        if (present == INVALID_FILE_ATTRIBUTES) return false;
        const DWORD settable =
            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
        if (!SetFileAttributesA(path.c_str(), (present & settable) | item.attributes)) return false;
    }
    return true;
}

}  // namespace testsupport
