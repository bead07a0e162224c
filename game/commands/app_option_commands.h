// Application option, settings and voice-entry commands (opcodes 4, 5, 7-11): the options the
// application keeps in its USER.CFG blocks and menu features, its strings, the APP_CFG.DAT
// settings block by (group, item), and the voice table's entries.
//
// Without an application (or, for 10 and 11, a script engine) the commands answer as for a
// missing field: 0, or -1 where the command has that result.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/interfaces/cross_module.h"

// The game's fixed identifier string (7, which 0).
extern const char kGameIdentifier[];

// Where option 6 also goes: the process-wide glyph-cache capacity that new anti-aliased fonts
// take. Empty: nowhere yet.
std::function<void(std::uint32_t capacity)>& GlyphCacheDefaultSink();

std::uint32_t XM_CDECL CmdSetAppOption(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetAppOption(std::uint32_t* arguments);
// which 0-3 (3: no string): with size 0 the length + 1 (0 for no string); otherwise the string
// through the bounded writer, cut to size - 1 and to the buffer's room, and 0. A buffer that is
// no writable script memory is the script fault; another which -1.
std::uint32_t XM_CDECL CmdGetAppString(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSettingValue(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSettingValue(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetVoiceEntryValue(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetVoiceEntryValue(std::uint32_t* arguments);

// The APP_CFG.DAT field of (group, item): its offset in the block and its kind.
enum SettingFieldKind : std::uint8_t { kSettingNone = 0, kSettingByte, kSettingInt32, kSettingFace };
struct SettingField {
    std::uint8_t offset;
    SettingFieldKind kind;
};
SettingField SettingFieldOf(std::uint32_t group, std::uint32_t item);
