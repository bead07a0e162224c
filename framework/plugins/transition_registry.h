// TransitionRegistry: the named screen transitions and filters, built in or offered by *.TCP
// plug-ins, created by name.
//
// Entries keep their order of registration and the first entry of a name wins. Names are not
// copied: a built-in passes static text, a plug-in entry points into its DLL, which stays loaded
// while it has entries. Objects made by a plug-in keep its DLL loaded until they are destroyed,
// whoever destroys them and whenever (see PluginObjectTracker). A built-in entry's init function
// runs at its first lookup, its exit function when it is removed. The registry takes no lock:
// registration happens during set-up, lookups come from the thread that runs the scripts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/interfaces/transition_plugin.h"
#include "framework/plugins/plugin_module.h"

struct TransitionEntry {
    std::uint8_t category;
    std::uint8_t initialised;
    const char* name;
    TransCreateFunc create;
    HMODULE module;  // null for a built-in
    std::int32_t createArgument;
    TransEntryHook init;
    TransEntryHook exit;
};

class TransitionRegistry {
public:
    TransitionRegistry() = default;
    virtual ~TransitionRegistry();
    TransitionRegistry(const TransitionRegistry&) = delete;
    TransitionRegistry& operator=(const TransitionRegistry&) = delete;

    // Removes every entry of the category (running exit functions); a DLL goes when its last
    // entry goes.
    virtual void UnloadByType(std::uint8_t category);
    virtual void UnloadAll();
    // 0 added; 1 create function or name missing; 2 out of memory (the exit function has run).
    virtual std::int32_t RegisterBuiltin(TransCreateFunc create, const char* name,
                                         std::uint8_t category, std::int32_t createArgument,
                                         TransEntryHook init, TransEntryHook exit);
    // 0 loaded; 1 the path does not resolve; 2 LoadLibraryA failed; 3 a required export is
    // missing; 4 any other failure. A failed load leaves the registry as it was.
    virtual std::int32_t LoadPlugin(const char* path);
    // Loads every *.TCP of the folder: the number that failed, or -1 for a bad folder.
    virtual std::int32_t ScanFolder(const char* folder);
    // The create function of the first entry of that name (compared exactly), its create
    // argument in *outArgument; null when none. Runs the entry's init function the first time.
    // Objects should be made through the Create forms, which keep a plug-in loaded while its
    // objects live.
    virtual TransCreateFunc FindByName(const char* name, std::int32_t* outArgument);
    // Creates, then Setup(target, address of the words after the name); a callback that refuses
    // them is released and null returned.
    virtual TransCallback* CreateByNameAndSetup(ScreenBuffer* target, const char* name, ...);
    virtual TransCallback* CreateByName(const char* name);
    virtual TransCallback* CreateByNameAndSetupV(ScreenBuffer* target, const char* name,
                                                 const std::int32_t* params);

    const std::vector<TransitionEntry>& Entries() const { return m_entries; }
    const std::vector<PluginModule>& Modules() const { return m_modules; }

private:
    // The first entry of that name, its init function run at its first lookup; null when none.
    TransitionEntry* FindInitialised(const char* name);

    std::vector<TransitionEntry> m_entries;
    std::vector<PluginModule> m_modules;
};
