#include "framework/plugins/transition_registry.h"

#include <cstdarg>
#include <new>

#include "framework/plugins/plugin_folder_scan.h"

namespace {

// Operations in a transition callback's table.
constexpr std::uint32_t kTransCallbackSlots = 10;

}  // namespace

TransitionRegistry::~TransitionRegistry() { UnloadAll(); }

void TransitionRegistry::UnloadByType(std::uint8_t category) {
    RemoveEntriesOfCategory(m_entries, m_modules, category, [](const TransitionEntry& entry) {
        if (entry.exit) entry.exit();
    });
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
    return AddPluginModuleEntries(
        module, exports, m_entries, m_modules,
        [&](std::uint8_t category, const char* name, std::int32_t index) {
            return TransitionEntry{category, 0, name, create, module, index, nullptr, nullptr};
        });
}

std::int32_t TransitionRegistry::ScanFolder(const char* folder) {
    return ScanPluginFolder(folder, "*.TCP", [this](const char* path) { return LoadPlugin(path); });
}

TransitionEntry* TransitionRegistry::FindInitialised(const char* name) {
    TransitionEntry* entry = FindNamedEntry(m_entries, name);
    if (entry && !entry->initialised) {
        if (entry->init) entry->init();
        entry->initialised = 1;
    }
    return entry;
}

TransCreateFunc TransitionRegistry::FindByName(const char* name, std::int32_t* outArgument) {
    const TransitionEntry* entry = FindInitialised(name);
    if (!entry) return nullptr;
    if (outArgument) *outArgument = entry->createArgument;
    return entry->create;
}

TransCallback* TransitionRegistry::CreateByName(const char* name) {
    const TransitionEntry* entry = FindInitialised(name);
    if (!entry) return nullptr;
    const HMODULE module = entry->module;
    return TrackPluginObject(entry->create(entry->createArgument), module, kTransCallbackSlots);
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
