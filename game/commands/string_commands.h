// String commands (opcodes 59-72, 94, 95): copying, comparing, formatting and converting the
// script's Shift-JIS byte strings, the clipboard and the base directory.
//
// Every pointer word goes through script memory: a destination lies in a writable region, a
// text ends inside its region (or, for a string the program handed out, on committed readable
// pages), and results go through the bounded string writer, cut at the destination's room. A
// bad word gets the result the command gives for a null pointer; where it has none, the script
// fault.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

std::uint32_t XM_CDECL CmdCopyString(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCopySubstring(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCopyUntilDelimiter(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAppendString(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStringLength(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCompareStrings(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCompareStringsNoCase(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMatchPrefix(std::uint32_t* arguments);
// The script's printf over the words after the format (see script_formatter.h): 0, or -1 with
// an empty destination when the format is refused.
std::uint32_t XM_CDECL CmdFormatString(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdParseInteger(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdParseFloat(std::uint32_t* arguments);
// Case changes touch only the single-byte letters a-z / A-Z: the trail byte of a double-byte
// character stays as it is.
std::uint32_t XM_CDECL CmdUpperCase(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLowerCase(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCopyToClipboard(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetBaseDirectory(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetBaseDirectory(std::uint32_t* arguments);
