// EffectRegistry: the named effects, built in or offered by *.DCP plug-ins, created by name.
//
// Entries keep their order of registration and the first entry of a name wins. Names are not
// copied: a built-in passes static text, a plug-in entry points into its DLL, which stays loaded
// while it has entries. Objects made by a plug-in keep its DLL loaded until they are destroyed,
// whoever destroys them and whenever (see PluginObjectTracker). The registry takes no lock:
// registration happens during set-up, lookups come from the thread that runs the scripts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/interfaces/effect_plugin.h"
#include "framework/plugins/plugin_module.h"

struct EffectEntry {
    std::uint8_t category;
    const char* name;
    EffectCreateFunc create;
    EffectAssistFunc assist;
    EffectAssistFunc assist2;
    HMODULE module;  // null for a built-in
    std::int32_t createArgument;
};

class EffectRegistry {
public:
    EffectRegistry() = default;
    virtual ~EffectRegistry();
    EffectRegistry(const EffectRegistry&) = delete;
    EffectRegistry& operator=(const EffectRegistry&) = delete;

    // Removes every entry of the category; a DLL goes when its last entry goes.
    virtual void UnloadByType(std::uint8_t category);
    virtual void UnloadAll();
    // 0 added; 1 create function or name missing; 2 out of memory. Nothing is added on failure.
    virtual std::int32_t RegisterBuiltin(EffectCreateFunc create, const char* name,
                                         std::uint8_t category, EffectAssistFunc assist,
                                         EffectAssistFunc assist2, std::int32_t createArgument);
    // 0 loaded; 1 the path does not resolve; 2 LoadLibraryA failed; 3 a required export is
    // missing; 4 any other failure. A failed load leaves the registry as it was.
    virtual std::int32_t LoadPlugin(const char* path);
    // Loads every *.DCP of the folder: the number that failed, or -1 for a bad folder.
    virtual std::int32_t ScanFolder(const char* folder);
    // The create function of the first entry of that name (compared exactly), its create
    // argument in *outArgument; null when none. Objects should be made through the Create
    // forms, which keep a plug-in loaded while its objects live.
    virtual EffectCreateFunc FindByName(const char* name, std::int32_t* outArgument);
    // Creates, then hands the object the address of the arguments after the name (Prepare);
    // an object that refuses them is released and null returned.
    virtual EffectObject* CreateByNameAndSetup(const char* name, ...);
    virtual EffectObject* CreateByName(const char* name);
    virtual EffectObject* CreateByNameAndSetupV(const char* name, const void* arguments);

    EffectAssistFunc FindAssistFunc(const char* name) const;
    EffectAssistFunc FindAssistFunc2(const char* name) const;

    const std::vector<EffectEntry>& Entries() const { return m_entries; }
    const std::vector<PluginModule>& Modules() const { return m_modules; }

private:
    const EffectEntry* Find(const char* name) const;

    std::vector<EffectEntry> m_entries;
    std::vector<PluginModule> m_modules;
};
