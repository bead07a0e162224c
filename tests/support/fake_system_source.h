// A machine of any Windows version for SystemInfo and the system report, and drives and
// processes of any kind for the report's last sections.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/system/drive_source.h"
#include "framework/system/system_source.h"

namespace testsupport {

class FakeSystemSource : public SystemSource {
public:
    // Windows XP Professional SP2 (5.1.2600), DirectX 4.09.00.0904, two processors, 512 MB,
    // 1024 x 768 at 32 bits and 60 Hz, "日本語", program "C:\GAME\SORAHANE.EXE".
    FakeSystemSource();

    // Sets the version record: platform, major, minor, build, service pack text, suite mask,
    // product type and service pack numbers.
    void SetVersion(DWORD platform, DWORD major, DWORD minor, DWORD build, const char* servicePack,
                    WORD suite = 0, BYTE productType = VER_NT_WORKSTATION, WORD spMajor = 0, WORD spMinor = 0);
    // The registry value as raw bytes, copied without adding a terminator; the rest of the
    // caller's buffer is filled with digits.
    void SetDirectXBytes(const std::string& bytes) { directX = bytes; hasDirectX = true; }

    OSVERSIONINFOEXA version = {};
    bool versionFails = false;
    // GetProductInfo: missing, or answering `productType`.
    bool hasProductInfo = false;
    DWORD productType = 0;
    bool hasDirectX = true;
    std::string directX = "4.09.00.0904";
    DWORD processors = 2;
    MEMORYSTATUS memory = {};
    bool hasLanguage = true;
    std::string language = "日本語";
    SIZE screen = {1024, 768};
    int bitsPerPixel = 32;
    int refresh = 60;
    std::string programPath = "C:\\GAME\\SORAHANE.EXE";
    // GetModuleFileNameA as on older Windows: a cut name carries no terminator.
    bool unterminatedWhenCut = true;

    bool GetVersion(OSVERSIONINFOEXA& info) override;
    bool GetProductInfo(DWORD major, DWORD minor, DWORD spMajor, DWORD spMinor, DWORD& type) override;
    bool ReadDirectXVersion(char* buffer, DWORD& size) override;
    DWORD ProcessorCount() override { return processors; }
    MEMORYSTATUS MemoryStatus() override { return memory; }
    bool LanguageName(std::string& name) override;
    SIZE ScreenSize() override { return screen; }
    int ScreenCaps(int index) override;
    DWORD ModuleFileName(char* buffer, DWORD size) override;
};

struct FakeDrive {
    std::string root;
    UINT type;
    std::uint64_t availableBytes = 0;
    std::uint64_t totalBytes = 0;
};

class FakeDriveSource : public DriveSource {
public:
    std::vector<FakeDrive> drives;
    std::string windowsFolder = "C:\\WINDOWS";
    bool hasFreeSpaceEx = true;
    bool freeSpaceExFails = false;
    // Which call answered last: 'x' GetDiskFreeSpaceExA, 'o' GetDiskFreeSpaceA.
    char lastCall = 0;

    std::vector<std::string> LogicalDrives() override;
    UINT DriveType(const char* root) override;
    std::string WindowsFolder() override { return windowsFolder; }
    bool HasDiskFreeSpaceEx() override { return hasFreeSpaceEx; }
    bool DiskFreeSpaceEx(const char* root, std::uint64_t& available, std::uint64_t& total) override;
    // Answers in 4096-byte clusters of 512-byte sectors (sizes rounded down to whole clusters).
    bool DiskFreeSpace(const char* root, DWORD& sectorsPerCluster, DWORD& bytesPerSector,
                       DWORD& freeClusters, DWORD& totalClusters) override;

private:
    const FakeDrive* Find(const char* root) const;
};

class FakeProcessSource : public ProcessSource {
public:
    struct Process {
        DWORD id;
        std::string exeName;
        // Empty: the module snapshot of this process fails.
        std::string modulePath;
    };
    std::vector<Process> processes;
    bool snapshotFails = false;

    bool Processes(std::vector<ProcessEntry>& out) override;
    bool FirstModulePath(DWORD processId, std::string& path) override;
};

}  // namespace testsupport
