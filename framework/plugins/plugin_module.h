// What the plug-in hosts share. The effect and transition registries (DCP and TCP DLLs): the
// record they keep per DLL, loading a DLL and adding its entries, tracking the objects it
// makes, finding entries by name and removing them. The archive and image hosts (ADL and GLL
// DLLs): loading a format plug-in, whose exports differ only in their names.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/interfaces/cross_module.h"
#include "framework/interfaces/effect_plugin.h"
#include "framework/plugins/plugin_object_tracker.h"

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

// An export as a function pointer of type F, or null.
template <class F>
F ExportAs(FARPROC address) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(address));
}
template <class F>
F GetExportAs(HMODULE module, const char* name) {
    return ExportAs<F>(GetProcAddress(module, name));
}

// Resolves `path` and loads the DLL: 0; 1 the path does not resolve; 2 LoadLibraryA failed.
std::int32_t LoadPluginLibrary(const char* path, HMODULE* outModule);

// An extension list: NUL-terminated names ended by an empty one. A list from a plug-in is read
// with a bound, so that a missing terminator cannot run on.
std::vector<std::string> ReadExtensionList(const char* list);

// The export names of a family of format plug-ins. Each offers its type, its type string, its
// extension list, two assist functions and its format object, and may offer a configuration
// dialog.
struct FormatPluginNames {
    const char* type;
    const char* typeString;
    const char* supportExt;
    const char* assist;
    const char* assist2;
    const char* object;
    const char* configDlg;  // optional
};

// What a format plug-in gave, for the host's record. The type string lies in the DLL.
template <class Object>
struct FormatPluginEntry {
    std::int32_t type;
    const char* typeString;
    std::vector<std::string> extensions;
    Object* object;
    HMODULE library;
    FARPROC assist;
    FARPROC assist2;
    FARPROC configDlg;  // null when the plug-in has none
};

// Loads a format plug-in: resolves the path, loads the DLL, looks up the exports in the order
// of `names`, calls the type, type-string, extension-list and object exports in that order and
// hands the entry to `append`. 0; 1 the path does not resolve; 2 LoadLibraryA failed; 3 a
// required export is missing; 4 the object export gave null; 5 the plug-in or `append` threw.
// After a failure nothing stays loaded: the object, if any, went to `release`, then the DLL
// was freed.
template <class Object, class Append, class Release>
std::int32_t LoadFormatPlugin(const char* path, const FormatPluginNames& names, Append append,
                              Release release) {
    HMODULE module = nullptr;
    const std::int32_t loaded = LoadPluginLibrary(path, &module);
    if (loaded != 0) return loaded;
    const FARPROC getType = GetProcAddress(module, names.type);
    const FARPROC getTypeString = GetProcAddress(module, names.typeString);
    const FARPROC getSupportExt = GetProcAddress(module, names.supportExt);
    const FARPROC assist = GetProcAddress(module, names.assist);
    const FARPROC assist2 = GetProcAddress(module, names.assist2);
    const FARPROC getObject = GetProcAddress(module, names.object);
    const FARPROC configDlg = GetProcAddress(module, names.configDlg);
    if (!getType || !getTypeString || !getSupportExt || !assist || !assist2 || !getObject) {
        FreeLibrary(module);
        return 3;
    }
    Object* object = nullptr;
    std::int32_t code = 0;
    try {
        FormatPluginEntry<Object> entry{};
        entry.type = ExportAs<std::int32_t(XM_CDECL*)()>(getType)();
        entry.typeString = ExportAs<const char*(XM_CDECL*)()>(getTypeString)();
        entry.extensions = ReadExtensionList(ExportAs<const char*(XM_CDECL*)()>(getSupportExt)());
        object = ExportAs<Object*(XM_CDECL*)()>(getObject)();
        if (!object) {
            code = 4;
        } else {
            entry.object = object;
            entry.library = module;
            entry.assist = assist;
            entry.assist2 = assist2;
            entry.configDlg = configDlg;
            append(entry);
        }
    } catch (...) {
        code = 5;
    }
    if (code != 0) {
        if (object) release(object);
        FreeLibrary(module);
    }
    return code;
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
