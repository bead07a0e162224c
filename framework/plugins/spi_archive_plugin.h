// SpiArchivePlugin: an SPI archive plug-in ("00AM") as an archive format of the file system,
// registered under type 3. The adapter owns the plug-in's library once it is registered and
// frees it when the file system deletes it; each archive it opens keeps a reference of its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/interfaces/adl_plugin.h"
#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/spi_plugin.h"

class VirtualFileSystem;

// The file system's format type of SPI archive plug-ins.
constexpr std::int32_t kSpiArchiveType = 3;

// Option 0 {0, value}: archives opened from now on build their entry table when value is
// nonzero. 0, or 5 for any other option or no record.
std::int32_t XM_CDECL SpiSetOption(const void* record);
// The same as a first assist function: (option, value).
std::int32_t XM_CDECL SpiAssistFunc(std::int32_t option, ...);

class SpiArchivePlugin final : public WithDeletingDestructor<SpiArchivePlugin, ArchiveDecoder> {
public:
    // `extensions`: the extension list (upper-case names, each NUL-ended, then an empty one).
    explicit SpiArchivePlugin(std::string extensions);
    ~SpiArchivePlugin();

    // Looks up the plug-in's exports and registers with the file system: 0; 5 no file system;
    // -2 GetArchiveInfo or GetFile missing; 8 out of memory; 10 refused by the file system,
    // which has then deleted this adapter. The adapter owns `module` only after success.
    std::int32_t Bind(VirtualFileSystem* fileSystem, HMODULE module, const char* description);

    // Opens through the plug-in's entry list; the out code is written on every path (0, 1 no
    // list, 2 an empty list, 8, 10 a name listed twice, 14).
    Archive* XM_METHOD Open(const char* path, HANDLE handle, std::int32_t* outCode) override;
    std::int32_t XM_METHOD Assist(ArchiveOptionRecord option) override;

private:
    Archive* OpenList(const char* path, std::int32_t* outCode);

    HMODULE m_module = nullptr;
    std::string m_description;
    std::string m_extensions;
    SpiGetArchiveInfoFunc m_getArchiveInfo = nullptr;
    SpiGetFileFunc m_getFile = nullptr;
    SpiConfigurationDlgFunc m_configurationDlg = nullptr;
    AdlConfigDlgFunc m_configEntry = nullptr;
};
