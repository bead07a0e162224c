#include "framework/files/file_services.h"

#include <shlobj.h>

#include <cstring>
#include <vector>

#include "framework/files/path_utilities.h"
#include "framework/files/virtual_file_system.h"

namespace {

FileServicePlatform g_platform = DefaultFileServicePlatform();

constexpr std::int32_t kNoFileSystem = 3;

bool FindWithFileSystem(const char* name, WIN32_FIND_DATAA* outData, std::int32_t* outCode) {
    if (!g_virtualFileSystem) {
        *outCode = kNoFileSystem;
        return false;
    }
    *outCode = g_virtualFileSystem->FindFile(nullptr, name, outData);
    return *outCode == 0;
}

// The last-write time of the plain file `name` resolves to; false when it does not resolve or
// the file is missing.
bool ReadWriteTime(const char* name, FILETIME* out) {
    char path[kPathCapacity];
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (MakeFullPath(path, name, nullptr) == 0 ||
        !GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        return false;
    }
    *out = data.ftLastWriteTime;
    return true;
}

std::uint64_t Ticks(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void SetOut(std::int32_t* out, std::int32_t value) {
    if (out) *out = value;
}

}  // namespace

FileServicePlatform DefaultFileServicePlatform() {
    return FileServicePlatform{CreateProcessA, GetLogicalDrives, GetDriveTypeA, GetFileAttributesA};
}

FileServicePlatform SetFileServicePlatform(const FileServicePlatform& platform) {
    const FileServicePlatform previous = g_platform;
    g_platform = platform;
    return previous;
}

std::int32_t FindCdromWithFile(const char* relativePath, char* outRoot) {
    if (relativePath) {
        while (IsPathSeparator(*relativePath)) ++relativePath;
    }
    const DWORD drives = g_platform.getLogicalDrives();
    bool examined = false;
    for (int letter = 0; letter < 26; ++letter) {
        if (!(drives & (1u << letter))) continue;
        const char root[4] = {static_cast<char>('A' + letter), ':', '\\', '\0'};
        if (g_platform.getDriveType(root) != DRIVE_CDROM) continue;
        examined = true;
        if (relativePath) {
            char path[kPathCapacity];
            std::memcpy(path, root, sizeof root);
            // A path too long to join cannot be on the disc.
            if (!AppendToPath(path, relativePath) ||
                g_platform.getFileAttributes(path) == INVALID_FILE_ATTRIBUTES) {
                continue;
            }
        }
        if (outRoot) std::memcpy(outRoot, root, sizeof root);
        return 0;
    }
    return examined ? 2 : 1;
}

bool FileExists(const char* name) {
    std::int32_t code;
    return FindWithFileSystem(name, nullptr, &code);
}

std::int32_t GetPlainFileSize(const char* name) {
    WIN32_FIND_DATAA data;
    std::int32_t code;
    if (!FindWithFileSystem(name, &data, &code)) return -1;
    return static_cast<std::int32_t>(data.nFileSizeLow);
}

std::int32_t GetFileTimeParts(const char* name, std::int32_t* year, std::int32_t* month,
                              std::int32_t* day, std::int32_t* hour, std::int32_t* minute,
                              std::int32_t* second, std::int32_t* dayOfWeek) {
    WIN32_FIND_DATAA data;
    std::int32_t code;
    if (!FindWithFileSystem(name, &data, &code)) return code;
    FILETIME local;
    SYSTEMTIME parts;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
        !FileTimeToSystemTime(&local, &parts)) {
        return kNoFileSystem;
    }
    SetOut(year, parts.wYear);
    SetOut(month, parts.wMonth);
    SetOut(day, parts.wDay);
    SetOut(hour, parts.wHour);
    SetOut(minute, parts.wMinute);
    SetOut(second, parts.wSecond);
    SetOut(dayOfWeek, parts.wDayOfWeek);
    return 0;
}

std::int32_t IsFileNewer(const char* firstName, const char* secondName, const FILETIME* firstTime,
                         const FILETIME* secondTime) {
    FILETIME first;
    if (firstName) {
        if (!ReadWriteTime(firstName, &first)) return -1;
    } else if (firstTime) {
        first = *firstTime;
    } else {
        return -1;
    }
    FILETIME second;
    if (secondName) {
        if (!ReadWriteTime(secondName, &second)) return 1;
    } else if (secondTime) {
        second = *secondTime;
    } else {
        return 1;
    }
    return Ticks(first) > Ticks(second) ? 1 : 0;
}

namespace {

// Copies source to a temporary file in the target's folder, which then takes the target's place
// in one step: a copy that fails half-way (a full disk, a source that cannot be read) leaves the
// old target as it was. A read-only target is replaced too.
bool CopyBesideAndReplace(const char* sourcePath, const char* targetPath, bool targetExists) {
    char folder[kPathCapacity];
    std::strcpy(folder, targetPath);
    if (CutToParentDir(folder) != 0) return false;
    char temporary[kPathCapacity];
    if (GetTempFileNameA(folder, "qcp", 0, temporary) == 0) return false;
    if (!CopyFileA(sourcePath, temporary, FALSE)) {
        DeleteFileA(temporary);
        return false;
    }
    const DWORD oldAttributes = targetExists ? GetFileAttributesA(targetPath) : INVALID_FILE_ATTRIBUTES;
    if (oldAttributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(targetPath, FILE_ATTRIBUTE_NORMAL);
    if (!MoveFileExA(temporary, targetPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        if (oldAttributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(targetPath, oldAttributes);
        DeleteFileA(temporary);
        return false;
    }
    return true;
}

}  // namespace

std::int32_t CopyFileIfNewer(const char* target, const char* source, std::int32_t mode) {
    char targetPath[kPathCapacity];
    char sourcePath[kPathCapacity];
    if (MakeFullPath(targetPath, target, nullptr) == 0 ||
        MakeFullPath(sourcePath, source, nullptr) == 0) {
        return 2;
    }
    WIN32_FILE_ATTRIBUTE_DATA existing;
    const bool targetExists =
        GetFileAttributesExA(targetPath, GetFileExInfoStandard, &existing) != FALSE;
    if (targetExists) {
        if (mode == 2) return 2;
        if (mode != 1 &&
            IsFileNewer(sourcePath, nullptr, nullptr, &existing.ftLastWriteTime) != 1) {
            return 1;
        }
    }
    return CopyBesideAndReplace(sourcePath, targetPath, targetExists) ? 0 : -1;
}

std::int32_t RunProgram(const char* commandLine, std::int32_t waitMode, std::int32_t x, std::int32_t y) {
    if (!commandLine) return 1;
    // CreateProcessA may write into the command line.
    std::vector<char> line(commandLine, commandLine + std::strlen(commandLine) + 1);
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwX = static_cast<DWORD>(x);
    startup.dwY = static_cast<DWORD>(y);
    PROCESS_INFORMATION process = {};
    if (!g_platform.createProcess(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  &startup, &process)) {
        return 1;
    }
    if (waitMode == 1) WaitForSingleObject(process.hProcess, INFINITE);
    else if (waitMode == 2) WaitForInputIdle(process.hProcess, INFINITE);
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    return 0;
}

std::int32_t OpenFolderInExplorer(const char* folder) {
    char path[kPathCapacity];
    if (MakeFullPath(path, folder, nullptr) == 0) return 1;
    char line[kPathCapacity] = "explorer ";
    if (!AppendToPath(line, path)) return 1;
    return RunProgram(line, 0, 0, 0) == 0 ? 0 : 2;
}

bool GetSpecialFolderPath(char* outPath, std::int32_t csidl) {
    if (!outPath) return false;
    outPath[0] = '\0';
    return SHGetSpecialFolderPathA(nullptr, outPath, csidl, TRUE) != FALSE;
}
