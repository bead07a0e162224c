// Exports of *.ADL archive plug-ins. A plug-in offers one archive format: its ArchiveDecoder
// (and the Archive and ByteStream objects that the decoder makes, see archive_interfaces.h)
// lives in the plug-in. The host deletes the decoder once, before it frees the library; the
// strings and the extension list that the plug-in returns stay valid while it is loaded.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/archive_interfaces.h"

// Required exports, looked up in this order.
typedef std::int32_t (XM_CDECL* GetAdlTypeFunc)();
typedef const char* (XM_CDECL* GetAdlTypeStringFunc)();
// Upper-case extensions without dots, each NUL-terminated, the list ended by an empty string.
typedef const char* (XM_CDECL* GetAdlSupportExtFunc)();
// (AdlAssistFunc and AdlAssistFunc2 come next, then:)
typedef ArchiveDecoder* (XM_CDECL* GetAdlDecodeObjectFunc)();
// Optional: the format's configuration dialog.
typedef std::int32_t (XM_CDECL* AdlConfigDlgFunc)(HWND parent, std::int32_t function);
