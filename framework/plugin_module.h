// The record that the effect and transition registries keep per loaded DCP or TCP DLL, and
// what the two share: loading a DLL and adding its entries, tracking the objects it makes,
// finding entries by name and removing them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/interfaces/cross_module.h"
#include "framework/interfaces/effect_plugin.h"
#include "framework/plugin_object_tracker.h"

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

// Adds the entries of a DLL that LoadPluginObjectModule loaded, one per object it offers, made
// by `makeEntry(category, name, index)`. Returns 0; or 4, having freed the DLL, when it offers a
// nameless object, throws or memory runs out. The entries are collected apart and appended
// together with the DLL's record, so a DLL that fails part-way leaves no entry pointing into it.
template <class Entry, class MakeEntry>
std::int32_t AddPluginModuleEntries(HMODULE module, const PluginObjectExports& exports,
                                    std::vector<Entry>& entries,
                                    std::vector<PluginModule>& modules, MakeEntry makeEntry) {
    try {
        const std::int32_t count = exports.getObjectNum();
        std::vector<Entry> added;
        for (std::int32_t i = 0; i < count; ++i) {
            const std::uint8_t category = exports.getObjectType(i);
            const char* name = exports.getObjectName(i);
            if (!name) throw 4;
            added.push_back(makeEntry(category, name, i));
        }
        modules.reserve(modules.size() + 1);
        entries.reserve(entries.size() + added.size());
        entries.insert(entries.end(), added.begin(), added.end());
        const std::int32_t entryCount = static_cast<std::int32_t>(added.size());
        modules.push_back(PluginModule{module, entryCount - 1});
    } catch (...) {
        FreeLibrary(module);
        return 4;
    }
    return 0;
}

// A new object of `slotCount` operations made by `module`, tracked so that it keeps the DLL
// loaded (see PluginObjectTracker); a built-in's (no module) is returned as it is. An object that
// cannot be tracked is destroyed and null returned: untracked, it could outlive its DLL.
template <class Object>
Object* TrackPluginObject(Object* object, HMODULE module, std::uint32_t slotCount) {
    if (object && module && !PluginObjectTracker::Track(object, module, slotCount)) {
        object->DeletingDestructor(xm::kDeleteMemory);
        return nullptr;
    }
    return object;
}

// The first entry of a registry's list with that name (compared exactly), or null.
template <class Entries>
auto FindNamedEntry(Entries& entries, const char* name) -> decltype(entries.data()) {
    if (!name) return nullptr;
    for (auto& entry : entries) {
        if (std::strcmp(entry.name, name) == 0) return &entry;
    }
    return nullptr;
}

// Removes the entries of a category from a registry's list, keeping the order of the rest;
// each removed entry lowers its DLL's record (see RemovePluginModuleEntry) and is then handed
// to `removed`.
template <class Entry, class Removed>
void RemoveEntriesOfCategory(std::vector<Entry>& entries, std::vector<PluginModule>& modules,
                             std::uint8_t category, Removed removed) {
    auto kept = entries.begin();
    for (const Entry& entry : entries) {
        if (entry.category != category) {
            *kept++ = entry;
            continue;
        }
        if (entry.module) RemovePluginModuleEntry(modules, entry.module);
        removed(entry);
    }
    entries.erase(kept, entries.end());
}
