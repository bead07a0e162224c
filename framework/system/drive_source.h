// DriveSource and ProcessSource: the drives and the running processes that the system report
// and the start-up log list, behind small interfaces so that their texts can be checked on
// faked machines.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class DriveSource {
public:
    virtual ~DriveSource() = default;

    // The roots of GetLogicalDriveStringsA ("C:\" ...), read into a 511-character buffer.
    virtual std::vector<std::string> LogicalDrives() = 0;
    virtual UINT DriveType(const char* root) = 0;
    // GetWindowsDirectoryA; empty when it fails.
    virtual std::string WindowsFolder() = 0;
    // False when kernel32 has no GetDiskFreeSpaceExA.
    virtual bool HasDiskFreeSpaceEx() = 0;
    virtual bool DiskFreeSpaceEx(const char* root, std::uint64_t& available, std::uint64_t& total) = 0;
    virtual bool DiskFreeSpace(const char* root, DWORD& sectorsPerCluster, DWORD& bytesPerSector,
                               DWORD& freeClusters, DWORD& totalClusters) = 0;
};

struct ProcessEntry {
    DWORD id;
    std::string exeName;
};

class ProcessSource {
public:
    virtual ~ProcessSource() = default;

    // A process snapshot (CreateToolhelp32Snapshot); false when none can be taken.
    virtual bool Processes(std::vector<ProcessEntry>& out) = 0;
    // The full path of the process's first module from a module snapshot; false when it
    // cannot be taken.
    virtual bool FirstModulePath(DWORD processId, std::string& path) = 0;
};

DriveSource& RealDriveSource();
ProcessSource& RealProcessSource();
