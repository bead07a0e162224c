// SystemSource: the Win32 calls that describe the machine for SystemInfo and the system report,
// behind one small interface so that any Windows version and any odd registry text can be
// faked.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class SystemSource {
public:
    virtual ~SystemSource() = default;

    // GetVersionExA with the extended record, else with the plain one (then the fields after
    // szCSDVersion stay 0). False when both fail.
    virtual bool GetVersion(OSVERSIONINFOEXA& info) = 0;
    // kernel32's GetProductInfo; false when it is missing or fails.
    virtual bool GetProductInfo(DWORD major, DWORD minor, DWORD spMajor, DWORD spMinor, DWORD& type) = 0;
    // RegQueryValueExA of HKEY_LOCAL_MACHINE "SOFTWARE\Microsoft\DirectX" "Version" into
    // `buffer` of `size` bytes; `size` becomes the bytes written, which need not end with a
    // terminator. False when the key or the value is missing.
    virtual bool ReadDirectXVersion(char* buffer, DWORD& size) = 0;
    // GetSystemInfo's processor count.
    virtual DWORD ProcessorCount() = 0;
    virtual MEMORYSTATUS MemoryStatus() = 0;
    // GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SLANGUAGE); false when it fails.
    virtual bool LanguageName(std::string& name) = 0;
    // SM_CXSCREEN, SM_CYSCREEN.
    virtual SIZE ScreenSize() = 0;
    // GetDeviceCaps of the screen's DC.
    virtual int ScreenCaps(int index) = 0;
    // GetModuleFileNameA(null) with its own contract: the characters copied, and a name that
    // does not fit is cut and, on older systems, left without terminator.
    virtual DWORD ModuleFileName(char* buffer, DWORD size) = 0;
};

// The running system.
SystemSource& RealSystemSource();

// The program's full path, whatever its length, always whole.
std::string ReadProgramPath(SystemSource& source);
