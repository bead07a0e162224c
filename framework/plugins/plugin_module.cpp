#include "framework/plugins/plugin_module.h"

#include "framework/files/path_utilities.h"

std::vector<std::string> ReadExtensionList(const char* list) {
    std::vector<std::string> out;
    if (!list) return out;
    constexpr std::size_t kMaxEntries = 256;
    // Names up to 255 characters: the longest extension the hosts compare (they take a file's
    // extension into 256 bytes), so no name that could match is cut off.
    constexpr std::size_t kMaxLength = 256;
    while (*list && out.size() < kMaxEntries) {
        const std::size_t length = strnlen(list, kMaxLength);
        if (length == kMaxLength) break;
        out.emplace_back(list, length);
        list += length + 1;
    }
    return out;
}

std::int32_t LoadPluginLibrary(const char* path, HMODULE* outModule) {
    char full[kPathCapacity];
    if (MakeFullPath(full, path, nullptr) == 0) return 1;
    *outModule = LoadLibraryA(full);
    return *outModule ? 0 : 2;
}

std::int32_t LoadPluginObjectModule(const char* path, HMODULE* outModule,
                                    PluginObjectExports* outExports) {
    HMODULE module = nullptr;
    const std::int32_t loaded = LoadPluginLibrary(path, &module);
    if (loaded != 0) return loaded;
    PluginObjectExports exports;
    // Looked up in this order; the first one missing is the failure.
    exports.getObjectNum = GetExportAs<PluginGetObjectNumFunc>(module, "GetObjectNum");
    exports.getObject = reinterpret_cast<void*>(GetProcAddress(module, "GetObject"));
    exports.getObjectName = GetExportAs<PluginGetObjectNameFunc>(module, "GetObjectName");
    exports.getObjectType = GetExportAs<PluginGetObjectTypeFunc>(module, "GetObjectType");
    if (!exports.getObjectNum || !exports.getObject || !exports.getObjectName ||
        !exports.getObjectType) {
        FreeLibrary(module);
        return 3;
    }
    *outModule = module;
    *outExports = exports;
    return 0;
}

void RemovePluginModuleEntry(std::vector<PluginModule>& modules, HMODULE module) {
    for (auto it = modules.begin(); it != modules.end(); ++it) {
        if (it->module != module) continue;
        if (it->extraCount != 0) {
            --it->extraCount;
        } else {
            FreeLibrary(it->module);
            modules.erase(it);
        }
        return;
    }
}

void FreePluginModules(std::vector<PluginModule>& modules) {
    for (const PluginModule& record : modules) FreeLibrary(record.module);
    modules.clear();
}
