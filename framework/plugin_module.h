// The record that the effect and transition registries keep per loaded DCP or TCP DLL, and
// what they share in loading one.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/interfaces/effect_plugin.h"

// One loaded plug-in DLL; `extraCount` is its number of entries minus one.
struct PluginModule {
    HMODULE module;
    std::int32_t extraCount;
};

// The four required exports of a DCP or TCP plug-in.
struct PluginObjectExports {
    PluginGetObjectNumFunc getObjectNum;
    void* getObject;
    PluginGetObjectNameFunc getObjectName;
    PluginGetObjectTypeFunc getObjectType;
};

// An export of `module` as a function pointer of type F, or null.
template <class F>
F GetExportAs(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Resolves `path` and loads the DLL: 0 with the module and its exports; 1 the path does not
// resolve; 2 LoadLibraryA failed; 3 a required export is missing (the DLL is freed again).
std::int32_t LoadPluginObjectModule(const char* path, HMODULE* outModule,
                                    PluginObjectExports* outExports);

// One entry of `module` is going: lowers the record's count, or frees the DLL and drops the
// record when it was the last entry.
void RemovePluginModuleEntry(std::vector<PluginModule>& modules, HMODULE module);

// Frees every DLL in load order and empties the list.
void FreePluginModules(std::vector<PluginModule>& modules);
