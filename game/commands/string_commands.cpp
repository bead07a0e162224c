#include "game/commands/string_commands.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/files/path_utilities.h"
#include "framework/files/shift_jis.h"
#include "game/commands/app_routines.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/script_formatter.h"
#include "game/commands/script_string_writer.h"
#include "game/script/script_address.h"
#include "game/script/script_fault.h"
#include "game/script/script_memory.h"

namespace {

using command_args::Int;
using command_args::Result;

// Thrown by a body for a bad word where the command has no null result: the guard turns it into
// the script fault.
struct BadWord {};

std::string TextOrFault(std::uint32_t address) {
    std::string text;
    if (!ReadScriptText(address, &text)) throw BadWord{};
    return text;
}

void WriteOrFault(std::uint32_t destination, const std::string& text, std::size_t sizeLimit = SIZE_MAX) {
    if (WriteScriptString(destination, text, sizeLimit) < 0) throw BadWord{};
}

std::uint32_t CopyString(std::uint32_t* a) {
    if (script_memory::WritableRoom(a[0]) == 0) throw BadWord{};
    WriteOrFault(a[0], TextOrFault(a[1]));
    return a[0];
}

// The text at base + offset; the sum wraps as the machine's addresses do.
std::string TextAtOffset(std::uint32_t base, std::uint32_t offset) { return TextOrFault(base + offset); }

std::uint32_t CopySubstring(std::uint32_t* a) {
    if (script_memory::WritableRoom(a[0]) == 0) throw BadWord{};
    const std::int32_t count = Int(a[3]);
    if (count <= 0) {
        WriteOrFault(a[0], std::string());
        return 0;
    }
    std::string text = TextAtOffset(a[2], a[1]);
    if (text.size() > static_cast<std::uint32_t>(count)) text.resize(static_cast<std::uint32_t>(count));
    WriteOrFault(a[0], text);
    return 0;
}

std::uint32_t CopyUntilDelimiter(std::uint32_t* a) {
    if (script_memory::WritableRoom(a[0]) == 0) throw BadWord{};
    std::string text = TextAtOffset(a[2], a[1]);
    const std::size_t delimiter = text.find(static_cast<char>(command_args::Byte(a[3])));
    if (delimiter != std::string::npos) text.resize(delimiter);
    WriteOrFault(a[0], text);
    return 0;
}

std::uint32_t AppendString(std::uint32_t* a) {
    const std::string head = TextOrFault(a[0]);
    if (!script_memory::IsWritable(a[0], head.size() + 1)) throw BadWord{};
    WriteOrFault(a[0] + static_cast<std::uint32_t>(head.size()), TextOrFault(a[1]));
    return a[0];
}

std::uint32_t StringLength(std::uint32_t* a) {
    std::size_t length = 0;
    return script_memory::TextLength(a[0], &length) ? static_cast<std::uint32_t>(length) : 0;
}

std::uint32_t CompareStrings(std::uint32_t* a) {
    return Result(lstrcmpA(TextOrFault(a[0]).c_str(), TextOrFault(a[1]).c_str()));
}

std::uint32_t CompareStringsNoCase(std::uint32_t* a) {
    return Result(lstrcmpiA(TextOrFault(a[0]).c_str(), TextOrFault(a[1]).c_str()));
}

std::uint32_t MatchPrefix(std::uint32_t* a) {
    const std::int32_t count = Int(a[4]);
    if (count <= 0) return Result(count);
    const std::string second = TextAtOffset(a[1], a[3]);
    const std::string first = TextAtOffset(a[2], a[0]);
    std::int32_t equal = 0;
    // Past either text's end the pair holds its terminator, which stops the walk.
    while (equal < count && static_cast<std::size_t>(equal) < first.size() &&
           static_cast<std::size_t>(equal) < second.size() && first[equal] == second[equal]) {
        ++equal;
    }
    return Result(count - equal);
}

// Argument words the formatter may take: those after the format that lie in the block's memory.
constexpr std::size_t kMostFormatWords = 4096;

std::uint32_t FormatString(std::uint32_t* a) {
    const std::size_t room = script_memory::WritableRoom(a[0]);
    if (room == 0) throw BadWord{};
    std::string format;
    std::string text;
    const std::uint32_t* words = a + 2;
    const std::size_t wordCount = script_memory::ArgumentWords(a, 2, kMostFormatWords);
    if (!ReadScriptText(a[1], &format) || !FormatScriptText(format.c_str(), words, wordCount, room - 1, text)) {
        WriteOrFault(a[0], std::string());
        return Result(-1);
    }
    WriteOrFault(a[0], text);
    return 0;
}

std::uint32_t ParseInteger(std::uint32_t* a) {
    std::string text;
    return ReadScriptText(a[0], &text) ? Result(std::atoi(text.c_str())) : 0;
}

std::uint32_t ParseFloat(std::uint32_t* a) {
    std::string text;
    const float value = ReadScriptText(a[0], &text) ? static_cast<float>(std::atof(text.c_str())) : 0.0f;
    std::uint32_t word;
    std::memcpy(&word, &value, sizeof(word));
    return word;
}

// In place over a text in writable script memory; nothing for a null or bad word.
template <char From, char To>
std::uint32_t ChangeCase(std::uint32_t* a) {
    std::size_t length = 0;
    if (!script_memory::TextLength(a[0], &length) || !script_memory::IsWritable(a[0], length)) return 0;
    char* text = PointerAt<char>(a[0]);
    for (std::size_t i = 0; i < length; ++i) {
        if (IsShiftJisLeadByte(static_cast<unsigned char>(text[i]))) {
            ++i;
        } else if (text[i] >= From && text[i] <= From + 25) {
            text[i] = static_cast<char>(text[i] - From + To);
        }
    }
    return 0;
}

std::uint32_t CopyToClipboard(std::uint32_t* a) {
    std::size_t length = 0;
    const bool readable = a[1] == 0 ? script_memory::TextLength(a[0], &length)
                                    : script_memory::IsReadable(a[0], a[1]);
    if (!readable) return 1;
    return Result(CopyTextToClipboard(PointerAt<const char>(a[0]), a[1]));
}

std::uint32_t SetBase(std::uint32_t* a) {
    SetBaseDirectory(TextOrFault(a[0]).c_str());
    return 0;
}

std::uint32_t GetBase(std::uint32_t*) { return AddressOf(GetBaseDirectory()); }

// The guard of this family: a bad word without a null result is the script fault, so is any
// other escaping exception (a text too large for memory).
template <std::uint32_t (*Body)(std::uint32_t*)>
std::uint32_t XM_CDECL Guarded(std::uint32_t* arguments) {
    return GuardedCommand<Body, kFailWithScriptFault>(arguments);
}

}  // namespace

std::uint32_t XM_CDECL CmdCopyString(std::uint32_t* a) { return Guarded<CopyString>(a); }
std::uint32_t XM_CDECL CmdCopySubstring(std::uint32_t* a) { return Guarded<CopySubstring>(a); }
std::uint32_t XM_CDECL CmdCopyUntilDelimiter(std::uint32_t* a) { return Guarded<CopyUntilDelimiter>(a); }
std::uint32_t XM_CDECL CmdAppendString(std::uint32_t* a) { return Guarded<AppendString>(a); }
std::uint32_t XM_CDECL CmdStringLength(std::uint32_t* a) { return Guarded<StringLength>(a); }
std::uint32_t XM_CDECL CmdCompareStrings(std::uint32_t* a) { return Guarded<CompareStrings>(a); }
std::uint32_t XM_CDECL CmdCompareStringsNoCase(std::uint32_t* a) { return Guarded<CompareStringsNoCase>(a); }
std::uint32_t XM_CDECL CmdMatchPrefix(std::uint32_t* a) { return Guarded<MatchPrefix>(a); }
std::uint32_t XM_CDECL CmdFormatString(std::uint32_t* a) { return Guarded<FormatString>(a); }
std::uint32_t XM_CDECL CmdParseInteger(std::uint32_t* a) { return GuardedCommand<ParseInteger, 0>(a); }
std::uint32_t XM_CDECL CmdParseFloat(std::uint32_t* a) { return GuardedCommand<ParseFloat, 0>(a); }
std::uint32_t XM_CDECL CmdUpperCase(std::uint32_t* a) { return GuardedCommand<ChangeCase<'a', 'A'>, 0>(a); }
std::uint32_t XM_CDECL CmdLowerCase(std::uint32_t* a) { return GuardedCommand<ChangeCase<'A', 'a'>, 0>(a); }
std::uint32_t XM_CDECL CmdCopyToClipboard(std::uint32_t* a) { return GuardedCommand<CopyToClipboard, 2>(a); }
std::uint32_t XM_CDECL CmdSetBaseDirectory(std::uint32_t* a) { return Guarded<SetBase>(a); }
std::uint32_t XM_CDECL CmdGetBaseDirectory(std::uint32_t* a) { return Guarded<GetBase>(a); }
