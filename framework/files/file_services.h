// Small services on plain files for script commands and the start-up: existence, size and
// time stamps, conditional copies, starting programs and the file explorer, finding the CD-ROM
// drive that holds a file, special folders.
//
// Names resolve against the base directory (MakeFullPath); the functions that find files
// through the program's file system (g_virtualFileSystem) also try its search folders. None of
// them looks into mounted archives.
#pragma once

#include <windows.h>

#include <cstdint>

// 0 and the root ("D:\") of the first CD-ROM drive that holds `relativePath` (of the first
// CD-ROM drive when it is null); 1 when no CD-ROM drive was examined; 2 when none holds it.
// `outRoot` (4 characters or more) may be null.
std::int32_t FindCdromWithFile(const char* relativePath, char* outRoot);

// True when the file system finds the file (base directory, then search folders).
bool FileExists(const char* name);

// The size (low 32 bits) of the file the file system finds; -1 when it is missing or there is
// no file system.
std::int32_t GetPlainFileSize(const char* name);

// The last-write time in local time; every out may be null. 0, the code of
// VirtualFileSystem::FindFile, or 3 without a file system.
std::int32_t GetFileTimeParts(const char* name, std::int32_t* year, std::int32_t* month,
                              std::int32_t* day, std::int32_t* hour, std::int32_t* minute,
                              std::int32_t* second, std::int32_t* dayOfWeek);

// Compares last-write times, read from the named files, or else the times given: 1 when the
// first is strictly newer, 0 when not; -1 when the first name does not resolve or its file is
// missing (or neither name nor time is given); 1 when the second is missing.
std::int32_t IsFileNewer(const char* firstName, const char* secondName, const FILETIME* firstTime,
                         const FILETIME* secondTime);

// Copies `source` over `target` (a read-only target too). Mode 1 always copies; mode 2 only
// when the target is missing (else 2); any other mode when the target is missing or the source
// is newer (else 1). 0 copied; -1 the copy failed; 2 a name does not resolve. The copy goes to a
// temporary file beside the target that then replaces it in one step, so a failed copy leaves
// the old target whole (files in the save folder are copied this way).
std::int32_t CopyFileIfNewer(const char* target, const char* source, std::int32_t mode);

// Starts a program. Wait mode 1 waits until it ends, 2 until it waits for input, any other
// returns at once; `x` and `y` go into its start-up information. 0, or 1 when it cannot start.
std::int32_t RunProgram(const char* commandLine, std::int32_t waitMode, std::int32_t x, std::int32_t y);

// Opens the folder in the file explorer: 0; 1 the folder does not resolve (or is too long);
// 2 the explorer cannot start.
std::int32_t OpenFolderInExplorer(const char* folder);

// The path of a special folder (a CSIDL value), created when missing; `outPath` holds
// MAX_PATH characters. False when the shell has no such folder.
bool GetSpecialFolderPath(char* outPath, std::int32_t csidl);

// The platform calls behind the services, which tests replace (the test machine has no CD-ROM
// drive, and must not start the explorer).
struct FileServicePlatform {
    decltype(&CreateProcessA) createProcess;
    decltype(&GetLogicalDrives) getLogicalDrives;
    decltype(&GetDriveTypeA) getDriveType;
    decltype(&GetFileAttributesA) getFileAttributes;
};
FileServicePlatform DefaultFileServicePlatform();
// Installs `platform`; returns the one in use before.
FileServicePlatform SetFileServicePlatform(const FileServicePlatform& platform);
