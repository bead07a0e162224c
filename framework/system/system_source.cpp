#include "framework/system/system_source.h"

#include <vector>

namespace {

class RealSystem : public SystemSource {
public:
    bool GetVersion(OSVERSIONINFOEXA& info) override {
        info = {};
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
        if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return true;
        info = {};
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        return GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)) != FALSE;
    }
    bool GetProductInfo(DWORD major, DWORD minor, DWORD spMajor, DWORD spMinor, DWORD& type) override {
        using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
        auto function = reinterpret_cast<GetProductInfoFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetProductInfo")));
        return function != nullptr && function(major, minor, spMajor, spMinor, &type);
    }
    bool ReadDirectXVersion(char* buffer, DWORD& size) override {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\DirectX", 0, KEY_READ, &key) != ERROR_SUCCESS) {
            size = 0;
            return false;
        }
        DWORD type = 0;
        LONG status = RegQueryValueExA(key, "Version", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS) size = 0;
        return status == ERROR_SUCCESS;
    }
    DWORD ProcessorCount() override {
        SYSTEM_INFO info = {};
        GetSystemInfo(&info);
        return info.dwNumberOfProcessors;
    }
    MEMORYSTATUS MemoryStatus() override {
        MEMORYSTATUS status = {};
        status.dwLength = sizeof(status);
        GlobalMemoryStatus(&status);
        return status;
    }
    bool LanguageName(std::string& name) override {
        int length = GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SLANGUAGE, nullptr, 0);
        if (length <= 0) return false;
        std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
        if (GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SLANGUAGE, text.data(), length) <= 0) return false;
        name = text.data();
        return true;
    }
    SIZE ScreenSize() override { return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }
    int ScreenCaps(int index) override {
        HDC dc = GetDC(nullptr);
        int value = ::GetDeviceCaps(dc, index);
        ReleaseDC(nullptr, dc);
        return value;
    }
    DWORD ModuleFileName(char* buffer, DWORD size) override { return GetModuleFileNameA(nullptr, buffer, size); }
};

}  // namespace

SystemSource& RealSystemSource() {
    static RealSystem system;
    return system;
}

std::string ReadProgramPath(SystemSource& source) {
    // The longest path the system knows; a name that fills the buffer may have been cut, so
    // the buffer grows until it holds the whole name with room to spare.
    constexpr DWORD kLongestPath = 32768;
    std::vector<char> buffer(MAX_PATH + 1);
    while (true) {
        const DWORD room = static_cast<DWORD>(buffer.size()) - 1;
        DWORD length = source.ModuleFileName(buffer.data(), room);
        if (length > room) length = room;
        if (length < room || buffer.size() > kLongestPath) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}
