#include "framework/plugins/spi_plugin_loader.h"

#include <windows.h>

#include <new>

#include "framework/files/shift_jis.h"
#include "framework/files/virtual_file_system.h"
#include "framework/images/image_loader_host.h"
#include "framework/interfaces/spi_plugin.h"
#include "framework/plugins/plugin_folder_scan.h"
#include "framework/plugins/plugin_module.h"
#include "framework/plugins/spi_archive_plugin.h"
#include "framework/plugins/spi_image_decoder.h"
#include "framework/plugins/spi_support.h"

namespace {

// Makes the adapter of kind `Adapter`, binds it to its host and returns SpiLoadPlugin's code.
// A host that refuses the adapter has deleted it already.
template <class Adapter, class Host>
std::int32_t BindAdapter(Host* host, HMODULE module, const std::string& extensions,
                         const std::string& description, std::int32_t refused) {
    Adapter* adapter = new (std::nothrow) Adapter(extensions);
    if (!adapter) return 4;
    const std::int32_t bound = adapter->Bind(host, module, description.c_str());
    if (bound == 0) return 0;
    if (bound != refused) adapter->DeletingDestructor(xm::kDeleteMemory);
    return 5;
}

std::int32_t LoadWithModule(HMODULE module, bool archiveAllowed, bool imageAllowed) {
    const auto getPluginInfo = GetExportAs<SpiGetPluginInfoFunc>(module, "GetPluginInfo");
    if (!getPluginInfo) return 3;
    const std::string version = SpiPluginInfo(getPluginInfo, kSpiInfoApiVersion);
    const bool image = version == kSpiImageApi;
    if (!image && version != kSpiArchiveApi) return 4;
    if (image ? !imageAllowed : !archiveAllowed) return -1;
    std::string extensions;
    std::string description;
    try {
        extensions = SpiFilterToExtensions(SpiPluginInfo(getPluginInfo, kSpiInfoFirstFilter));
        description = SpiPluginInfo(getPluginInfo, kSpiInfoFirstDescription);
    } catch (const std::bad_alloc&) {
        return 4;
    }
    if (image) {
        return BindAdapter<SpiImageDecoder>(g_imageLoaderHost, module, extensions, description, 8);
    }
    return BindAdapter<SpiArchivePlugin>(g_virtualFileSystem, module, extensions, description, 10);
}

}  // namespace

std::string SpiFilterToExtensions(const std::string& filter) {
    std::string list;
    for (std::size_t i = 0; i < filter.size(); ++i) {
        const char c = filter[i];
        if (IsShiftJisLeadByte(static_cast<unsigned char>(c)) && i + 1 < filter.size()) {
            list += c;
            list += filter[++i];
        } else if (c == '*' || c == '.') {
            continue;
        } else if (c == ';') {
            list += '\0';
        } else {
            list += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
    }
    list += '\0';
    list += '\0';
    return list;
}

std::int32_t SpiLoadPlugin(const char* path, std::uint8_t archiveAllowed, std::uint8_t imageAllowed) {
    HMODULE module = nullptr;
    const std::int32_t loaded = LoadPluginLibrary(path, &module);
    if (loaded != 0) return loaded;
    std::int32_t code;
    try {
        code = LoadWithModule(module, archiveAllowed != 0, imageAllowed != 0);
    } catch (...) {
        code = 6;
    }
    // Once bound, the adapter owns the library; until then it is still ours.
    if (code != 0) FreeLibrary(module);
    return code;
}

std::int32_t SpiScanFolder(const char* folder, std::uint8_t archiveAllowed, std::uint8_t imageAllowed) {
    return ScanPluginFolder(folder, "*.SPI", [&](const char* path) {
        return SpiLoadPlugin(path, archiveAllowed, imageAllowed);
    });
}
