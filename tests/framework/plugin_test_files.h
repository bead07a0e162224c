// Where the tests find the plug-in DLLs built beside them, and how they see whether one is
// loaded.
#pragma once

#include <windows.h>

#include <string>

#include "framework/files/path_utilities.h"

namespace plugintest {

// The folder of the running test program, with a trailing backslash.
inline std::string BinaryFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    CutToParentDir(path);
    return path;
}

inline std::string BinaryFile(const char* name) { return BinaryFolder() + name; }

// Copies the built plug-in `name` to `target` (replacing a file there); false when that fails.
inline bool CopyPlugin(const char* name, const std::string& target) {
    return CopyFileA(BinaryFile(name).c_str(), target.c_str(), FALSE) != FALSE;
}

inline bool IsModuleLoaded(const char* fileName) { return GetModuleHandleA(fileName) != nullptr; }

// Calls the test plug-ins' own TestLiveObjects export; -1 when the DLL is not loaded.
inline int LiveObjectsIn(const char* fileName) {
    HMODULE module = GetModuleHandleA(fileName);
    if (!module) return -1;
    auto live = reinterpret_cast<int (*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "TestLiveObjects")));
    return live ? live() : -1;
}

}  // namespace plugintest
