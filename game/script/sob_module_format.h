// Readers of the compiled script files: module bodies (after "SOB0" or "SOB2"), the variable
// module "SOB1" and SOB_INIT.DAT. They work on bytes in memory and check every length, count and
// offset against the data, so a damaged file is refused before anything is built from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/script/variable_table.h"

// The fixup lists of a module body, in file order.
enum SobFixupList : int {
    kFixupVariable = 0,  // value: variable entry number
    kFixupCommand,       // value: opcode
    kFixupSymbol,        // value: named-symbol number
    kFixupLibrary,       // value: byte offset in the function library's image
    kFixupInternal,      // value: byte offset in the module's own image
    kFixupListCount
};

struct SobFixup {
    std::uint32_t at;  // byte offset in the image of the word to overwrite; at + 4 <= image size
    std::uint32_t value;
};

struct SobModuleBody {
    std::vector<SobFixup> fixups[kFixupListCount];
    std::uint32_t terminator = 0;
    std::uint32_t instructionSize = 0;
    const std::uint8_t* image = nullptr;  // inside the parsed bytes
    std::uint32_t imageSize = 0;
};

// False when the body is cut short, a count or size exceeds what follows, the instruction size
// exceeds the image, or a fixup's word lies outside the image. The terminator is returned, not
// judged: linking refuses a non-zero one.
bool ParseSobModuleBody(const std::uint8_t* bytes, std::size_t length, SobModuleBody& body);

struct SobUserVarContents {
    const std::uint8_t* area = nullptr;  // inside the parsed bytes
    std::uint32_t areaSize = 0;
    std::vector<VariableDefinition> definitions;
    std::vector<AreaRelocation> relocations;
};

// Results of ParseSobUserVar, numbered as the init-file load reports them.
enum SobUserVarResult : int {
    kUserVarOk = 0,
    kUserVarBadMagic = 3,
    kUserVarBadTerminator = 4,
    kUserVarDamaged = 8,  // cut short, an unknown kind, or a variable or relocation outside the area
};

int ParseSobUserVar(const std::uint8_t* bytes, std::size_t length, SobUserVarContents& contents);

struct SobInitRecord {
    std::string name;
    std::uint16_t readFlagCount;
    std::uint16_t choiceFlagCount;
};

// False when the file is cut short or a name does not end with its zero.
bool ParseSobInit(const std::uint8_t* bytes, std::size_t length, std::vector<SobInitRecord>& records);
