#include "configtool/app/atomic_file.h"

#include <windows.h>

#include <cstring>

#include "framework/files/path_utilities.h"

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    char folder[kPathCapacity];
    if (path.size() >= kPathCapacity) return false;
    std::memcpy(folder, path.c_str(), path.size() + 1);
    if (CutToParentDir(folder) != 0) return false;
    char temporary[MAX_PATH];
    if (GetTempFileNameA(folder, "TWL", 0, temporary) == 0) return false;
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileA(temporary);
        return false;
    }
    DWORD written = 0;
    bool ok = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                                written == bytes.size());
    ok = FlushFileBuffers(file) && ok;
    ok = CloseHandle(file) && ok;
    if (ok) ok = MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) DeleteFileA(temporary);
    return ok;
}

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
