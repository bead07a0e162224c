#include "framework/plugins/effect_registry.h"

#include <cstdarg>
#include <new>

#include "framework/plugins/plugin_folder_scan.h"

namespace {

// Operations in an effect object's table.
constexpr std::uint32_t kEffectSlots = 20;

}  // namespace

EffectRegistry::~EffectRegistry() { UnloadAll(); }

void EffectRegistry::UnloadByType(std::uint8_t category) {
    RemoveEntriesOfCategory(m_entries, m_modules, category, [](const EffectEntry&) {});
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
    return AddPluginModuleEntries(
        module, exports, m_entries, m_modules,
        [&](std::uint8_t category, const char* name, std::int32_t index) {
            return EffectEntry{category, name, create, assist, assist2, module, index};
        });
}

std::int32_t EffectRegistry::ScanFolder(const char* folder) {
    return ScanPluginFolder(folder, "*.DCP", [this](const char* path) { return LoadPlugin(path); });
}

const EffectEntry* EffectRegistry::Find(const char* name) const {
    return FindNamedEntry(m_entries, name);
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
    return TrackPluginObject(entry->create(entry->createArgument), module, kEffectSlots);
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
