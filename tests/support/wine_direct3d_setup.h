// Set-up of Wine's DirectDraw and Direct3D for the whole test program, before any test runs: a test
// program that makes DirectDraw or Direct3D objects defines one WineDirect3DSetup at namespace
// scope.
//
// Wine draws Direct3D on a command-stream thread of its own unless told otherwise; the tests keep
// to one thread, and the setting is read when Wine's Direct3D is loaded. Under the i386
// emulation, Wine's Direct3D loads the host's OpenGL library when the first DirectDraw object is
// made, and that load fails inside a process that has already grown (the program dies in the
// loader); so one DirectDraw object is made at start-up and kept, and the libraries stay loaded.
#pragma once

#include <windows.h>
#include <ddraw.h>

namespace testsupport {

struct WineDirect3DSetup {
    WineDirect3DSetup() {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Direct3D", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr) == ERROR_SUCCESS) {
            const DWORD off = 0;
            RegSetValueExA(key, "csmt", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof(off));
            RegCloseKey(key);
        }
        HMODULE ddraw = LoadLibraryA("ddraw.dll");
        if (!ddraw) return;
        typedef HRESULT(WINAPI * CreateEx)(GUID*, void**, REFIID, IUnknown*);
        auto create = reinterpret_cast<CreateEx>(reinterpret_cast<void*>(GetProcAddress(ddraw, "DirectDrawCreateEx")));
        if (create) create(nullptr, reinterpret_cast<void**>(&m_kept), IID_IDirectDraw7, nullptr);
    }
    // Kept until the process ends.
    IDirectDraw7* m_kept = nullptr;
};

}  // namespace testsupport
