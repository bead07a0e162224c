#include "tests/support/fake_system_source.h"

#include <algorithm>
#include <cstring>

namespace testsupport {

FakeSystemSource::FakeSystemSource() {
    SetVersion(VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 2");
    memory.dwLength = sizeof(memory);
    memory.dwTotalPhys = 512u << 20;
    memory.dwAvailPhys = 300u << 20;
    memory.dwTotalPageFile = 1024u << 20;
    memory.dwAvailPageFile = 700u << 20;
}

void FakeSystemSource::SetVersion(DWORD platform, DWORD major, DWORD minor, DWORD build,
                                  const char* servicePack, WORD suite, BYTE product, WORD spMajor,
                                  WORD spMinor) {
    version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    version.dwPlatformId = platform;
    version.dwMajorVersion = major;
    version.dwMinorVersion = minor;
    version.dwBuildNumber = build;
    std::strncpy(version.szCSDVersion, servicePack, sizeof(version.szCSDVersion) - 1);
    version.wSuiteMask = suite;
    version.wProductType = product;
    version.wServicePackMajor = spMajor;
    version.wServicePackMinor = spMinor;
}

bool FakeSystemSource::GetVersion(OSVERSIONINFOEXA& info) {
    if (versionFails) return false;
    info = version;
    return true;
}

bool FakeSystemSource::GetProductInfo(DWORD, DWORD, DWORD, DWORD, DWORD& type) {
    if (!hasProductInfo) return false;
    type = productType;
    return true;
}

bool FakeSystemSource::ReadDirectXVersion(char* buffer, DWORD& size) {
    if (!hasDirectX) return false;
    // Digits behind the value stand for whatever the caller's buffer held before.
    std::memset(buffer, '7', size);
    size = static_cast<DWORD>(std::min<size_t>(size, directX.size()));
    std::memcpy(buffer, directX.data(), size);
    return true;
}

bool FakeSystemSource::LanguageName(std::string& name) {
    if (hasLanguage) name = language;
    return hasLanguage;
}

int FakeSystemSource::ScreenCaps(int index) {
    if (index == BITSPIXEL) return bitsPerPixel;
    if (index == VREFRESH) return refresh;
    return 0;
}

DWORD FakeSystemSource::ModuleFileName(char* buffer, DWORD size) {
    if (size == 0) return 0;
    if (programPath.size() < size) {
        std::memcpy(buffer, programPath.c_str(), programPath.size() + 1);
        return static_cast<DWORD>(programPath.size());
    }
    std::memcpy(buffer, programPath.data(), size);
    if (!unterminatedWhenCut) buffer[size - 1] = '\0';
    return size;
}

const FakeDrive* FakeDriveSource::Find(const char* root) const {
    for (const FakeDrive& drive : drives) {
        if (drive.root == root) return &drive;
    }
    return nullptr;
}

std::vector<std::string> FakeDriveSource::LogicalDrives() {
    std::vector<std::string> roots;
    for (const FakeDrive& drive : drives) roots.push_back(drive.root);
    return roots;
}

UINT FakeDriveSource::DriveType(const char* root) {
    const FakeDrive* drive = Find(root);
    return drive != nullptr ? drive->type : DRIVE_NO_ROOT_DIR;
}

bool FakeDriveSource::DiskFreeSpaceEx(const char* root, std::uint64_t& available, std::uint64_t& total) {
    const FakeDrive* drive = Find(root);
    if (drive == nullptr || freeSpaceExFails) return false;
    lastCall = 'x';
    available = drive->availableBytes;
    total = drive->totalBytes;
    return true;
}

bool FakeDriveSource::DiskFreeSpace(const char* root, DWORD& sectorsPerCluster, DWORD& bytesPerSector,
                                    DWORD& freeClusters, DWORD& totalClusters) {
    const FakeDrive* drive = Find(root);
    if (drive == nullptr) return false;
    lastCall = 'o';
    sectorsPerCluster = 8;
    bytesPerSector = 512;
    freeClusters = static_cast<DWORD>(drive->availableBytes / 4096);
    totalClusters = static_cast<DWORD>(drive->totalBytes / 4096);
    return true;
}

bool FakeProcessSource::Processes(std::vector<ProcessEntry>& out) {
    if (snapshotFails) return false;
    for (const Process& process : processes) out.push_back(ProcessEntry{process.id, process.exeName});
    return true;
}

bool FakeProcessSource::FirstModulePath(DWORD processId, std::string& path) {
    for (const Process& process : processes) {
        if (process.id == processId && !process.modulePath.empty()) {
            path = process.modulePath;
            return true;
        }
    }
    return false;
}

}  // namespace testsupport
