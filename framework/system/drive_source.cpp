#include "framework/system/drive_source.h"

#include <tlhelp32.h>

#include <cstring>

namespace {

class RealDrives : public DriveSource {
public:
    std::vector<std::string> LogicalDrives() override {
        char buffer[512] = {};
        DWORD length = GetLogicalDriveStringsA(511, buffer);
        std::vector<std::string> roots;
        if (length == 0 || length > 511) return roots;
        for (const char* root = buffer; *root != '\0' && root < buffer + length; root += strlen(root) + 1) {
            roots.emplace_back(root);
        }
        return roots;
    }
    UINT DriveType(const char* root) override { return GetDriveTypeA(root); }
    std::string WindowsFolder() override {
        char buffer[MAX_PATH + 1] = {};
        UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
        return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
    }
    bool HasDiskFreeSpaceEx() override { return FreeSpaceEx() != nullptr; }
    bool DiskFreeSpaceEx(const char* root, std::uint64_t& available, std::uint64_t& total) override {
        auto function = FreeSpaceEx();
        ULARGE_INTEGER availableBytes, totalBytes, freeBytes;
        if (function == nullptr || !function(root, &availableBytes, &totalBytes, &freeBytes)) return false;
        available = availableBytes.QuadPart;
        total = totalBytes.QuadPart;
        return true;
    }
    bool DiskFreeSpace(const char* root, DWORD& sectorsPerCluster, DWORD& bytesPerSector,
                       DWORD& freeClusters, DWORD& totalClusters) override {
        return GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters) != FALSE;
    }

private:
    using FreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    // Looked up by name: the first Windows 95 has no such call.
    static FreeSpaceExFn FreeSpaceEx() {
        return reinterpret_cast<FreeSpaceExFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA")));
    }
};

class RealProcesses : public ProcessSource {
public:
    bool Processes(std::vector<ProcessEntry>& out) override {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return false;
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
            out.push_back(ProcessEntry{entry.th32ProcessID, std::string(entry.szExeFile, strnlen(entry.szExeFile, MAX_PATH))});
        }
        CloseHandle(snapshot);
        return true;
    }
    bool FirstModulePath(DWORD processId, std::string& path) override {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
        if (snapshot == INVALID_HANDLE_VALUE) return false;
        MODULEENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        bool found = Module32First(snapshot, &entry) != FALSE;
        if (found) path.assign(entry.szExePath, strnlen(entry.szExePath, MAX_PATH));
        CloseHandle(snapshot);
        return found;
    }
};

}  // namespace

DriveSource& RealDriveSource() {
    static RealDrives drives;
    return drives;
}

ProcessSource& RealProcessSource() {
    static RealProcesses processes;
    return processes;
}
