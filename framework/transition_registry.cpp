#include "framework/transition_registry.h"

#include <cstdarg>
#include <cstring>
#include <new>

#include "framework/plugin_folder_scan.h"
#include "framework/plugin_object_tracker.h"

namespace {

// Operations in a transition callback's table.
constexpr std::uint32_t kTransCallbackSlots = 10;

}  // namespace

TransitionRegistry::~TransitionRegistry() { UnloadAll(); }

void TransitionRegistry::UnloadByType(std::uint8_t category) {
    auto kept = m_entries.begin();
    for (const TransitionEntry& entry : m_entries) {
        if (entry.category != category) {
            *kept++ = entry;
            continue;
        }
        if (entry.module) RemovePluginModuleEntry(m_modules, entry.module);
        if (entry.exit) entry.exit();
    }
    m_entries.erase(kept, m_entries.end());
}

void TransitionRegistry::UnloadAll() {
    for (const TransitionEntry& entry : m_entries) {
        if (entry.exit) entry.exit();
    }
    m_entries.clear();
    FreePluginModules(m_modules);
}

std::int32_t TransitionRegistry::RegisterBuiltin(TransCreateFunc create, const char* name,
                                                 std::uint8_t category,
                                                 std::int32_t createArgument, TransEntryHook init,
                                                 TransEntryHook exit) {
    if (!create || !name) return 1;
    try {
        m_entries.push_back(
            TransitionEntry{category, 0, name, create, nullptr, createArgument, init, exit});
    } catch (const std::bad_alloc&) {
        if (exit) exit();
        return 2;
    }
    return 0;
}

std::int32_t TransitionRegistry::LoadPlugin(const char* path) {
    HMODULE module = nullptr;
    PluginObjectExports exports;
    const std::int32_t loaded = LoadPluginObjectModule(path, &module, &exports);
    if (loaded != 0) return loaded;
    const auto create = reinterpret_cast<TransCreateFunc>(exports.getObject);
    // The DLL's entries are collected apart and appended together, so a DLL that fails
    // part-way leaves no entry pointing into it.
    try {
        const std::int32_t count = exports.getObjectNum();
        std::vector<TransitionEntry> added;
        for (std::int32_t i = 0; i < count; ++i) {
            const std::uint8_t category = exports.getObjectType(i);
            const char* name = exports.getObjectName(i);
            if (!name) throw 4;
            added.push_back(TransitionEntry{category, 0, name, create, module, i, nullptr, nullptr});
        }
        m_modules.reserve(m_modules.size() + 1);
        m_entries.reserve(m_entries.size() + added.size());
        m_entries.insert(m_entries.end(), added.begin(), added.end());
        const std::int32_t entries = static_cast<std::int32_t>(added.size());
        m_modules.push_back(PluginModule{module, entries - 1});
    } catch (...) {
        FreeLibrary(module);
        return 4;
    }
    return 0;
}

std::int32_t TransitionRegistry::ScanFolder(const char* folder) {
    return ScanPluginFolder(folder, "*.TCP", [this](const char* path) { return LoadPlugin(path); });
}

TransitionEntry* TransitionRegistry::Find(const char* name) {
    if (!name) return nullptr;
    for (TransitionEntry& entry : m_entries) {
        if (std::strcmp(entry.name, name) == 0) return &entry;
    }
    return nullptr;
}

TransCreateFunc TransitionRegistry::FindByName(const char* name, std::int32_t* outArgument) {
    TransitionEntry* entry = Find(name);
    if (!entry) return nullptr;
    if (entry->init && !entry->initialised) entry->init();
    entry->initialised = 1;
    if (outArgument) *outArgument = entry->createArgument;
    return entry->create;
}

TransCallback* TransitionRegistry::CreateByName(const char* name) {
    std::int32_t argument = 0;
    const TransCreateFunc create = FindByName(name, &argument);
    if (!create) return nullptr;
    const HMODULE module = Find(name)->module;
    TransCallback* callback = create(argument);
    if (callback && module && !PluginObjectTracker::Track(callback, module, kTransCallbackSlots)) {
        // Untracked, it could outlive its DLL.
        callback->DeletingDestructor(xm::kDeleteMemory);
        return nullptr;
    }
    return callback;
}

TransCallback* TransitionRegistry::CreateByNameAndSetup(ScreenBuffer* target, const char* name,
                                                        ...) {
    va_list arguments;
    va_start(arguments, name);
    TransCallback* callback =
        CreateByNameAndSetupV(target, name, reinterpret_cast<const std::int32_t*>(arguments));
    va_end(arguments);
    return callback;
}

TransCallback* TransitionRegistry::CreateByNameAndSetupV(ScreenBuffer* target, const char* name,
                                                         const std::int32_t* params) {
    TransCallback* callback = CreateByName(name);
    if (callback && callback->Setup(target, params) != 0) {
        ReleaseObject(callback);
        return nullptr;
    }
    return callback;
}
