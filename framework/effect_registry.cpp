#include "framework/effect_registry.h"

#include <cstdarg>
#include <cstring>
#include <new>

#include "framework/plugin_folder_scan.h"
#include "framework/plugin_object_tracker.h"

namespace {

// Operations in an effect object's table.
constexpr std::uint32_t kEffectSlots = 20;

}  // namespace

EffectRegistry::~EffectRegistry() { UnloadAll(); }

void EffectRegistry::UnloadByType(std::uint8_t category) {
    auto kept = m_entries.begin();
    for (const EffectEntry& entry : m_entries) {
        if (entry.category != category) {
            *kept++ = entry;
        } else if (entry.module) {
            RemovePluginModuleEntry(m_modules, entry.module);
        }
    }
    m_entries.erase(kept, m_entries.end());
}

void EffectRegistry::UnloadAll() {
    m_entries.clear();
    FreePluginModules(m_modules);
}

std::int32_t EffectRegistry::RegisterBuiltin(EffectCreateFunc create, const char* name,
                                             std::uint8_t category, EffectAssistFunc assist,
                                             EffectAssistFunc assist2,
                                             std::int32_t createArgument) {
    if (!create || !name) return 1;
    try {
        m_entries.push_back(EffectEntry{category, name, create, assist, assist2, nullptr,
                                        createArgument});
    } catch (const std::bad_alloc&) {
        return 2;
    }
    return 0;
}

std::int32_t EffectRegistry::LoadPlugin(const char* path) {
    HMODULE module = nullptr;
    PluginObjectExports exports;
    const std::int32_t loaded = LoadPluginObjectModule(path, &module, &exports);
    if (loaded != 0) return loaded;
    const auto assist = GetExportAs<EffectAssistFunc>(module, "CallbackAssistFunc");
    const auto assist2 = GetExportAs<EffectAssistFunc>(module, "CallbackAssistFunc2");
    const auto create = reinterpret_cast<EffectCreateFunc>(exports.getObject);
    // The DLL's entries are collected apart and appended together, so a DLL that fails
    // part-way leaves no entry pointing into it.
    try {
        const std::int32_t count = exports.getObjectNum();
        std::vector<EffectEntry> added;
        for (std::int32_t i = 0; i < count; ++i) {
            const std::uint8_t category = exports.getObjectType(i);
            const char* name = exports.getObjectName(i);
            if (!name) throw 4;
            added.push_back(EffectEntry{category, name, create, assist, assist2, module, i});
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

std::int32_t EffectRegistry::ScanFolder(const char* folder) {
    return ScanPluginFolder(folder, "*.DCP", [this](const char* path) { return LoadPlugin(path); });
}

const EffectEntry* EffectRegistry::Find(const char* name) const {
    if (!name) return nullptr;
    for (const EffectEntry& entry : m_entries) {
        if (std::strcmp(entry.name, name) == 0) return &entry;
    }
    return nullptr;
}

EffectCreateFunc EffectRegistry::FindByName(const char* name, std::int32_t* outArgument) {
    const EffectEntry* entry = Find(name);
    if (!entry) return nullptr;
    if (outArgument) *outArgument = entry->createArgument;
    return entry->create;
}

EffectObject* EffectRegistry::CreateByName(const char* name) {
    const EffectEntry* entry = Find(name);
    if (!entry) return nullptr;
    const HMODULE module = entry->module;
    EffectObject* object = entry->create(entry->createArgument);
    if (object && module && !PluginObjectTracker::Track(object, module, kEffectSlots)) {
        // Untracked, it could outlive its DLL.
        object->DeletingDestructor(xm::kDeleteMemory);
        return nullptr;
    }
    return object;
}

EffectObject* EffectRegistry::CreateByNameAndSetup(const char* name, ...) {
    va_list arguments;
    va_start(arguments, name);
    EffectObject* object = CreateByNameAndSetupV(name, arguments);
    va_end(arguments);
    return object;
}

EffectObject* EffectRegistry::CreateByNameAndSetupV(const char* name, const void* arguments) {
    EffectObject* object = CreateByName(name);
    if (object && object->Prepare(arguments) != 0) {
        ReleaseObject(object);
        return nullptr;
    }
    return object;
}

EffectAssistFunc EffectRegistry::FindAssistFunc(const char* name) const {
    const EffectEntry* entry = Find(name);
    return entry ? entry->assist : nullptr;
}

EffectAssistFunc EffectRegistry::FindAssistFunc2(const char* name) const {
    const EffectEntry* entry = Find(name);
    return entry ? entry->assist2 : nullptr;
}
