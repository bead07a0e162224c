#include "game/commands/script_string_writer.h"

#include <cstring>

#include "framework/files/shift_jis.h"
#include "game/script/script_address.h"
#include "game/script/script_memory.h"

std::size_t WholeCharacterPrefix(const char* text, std::size_t length, std::size_t limit) {
    const std::size_t end = length < limit ? length : limit;
    std::size_t at = 0;
    while (at < end) {
        const std::size_t width = IsShiftJisLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
        if (at + width > end) break;
        at += width;
    }
    return at;
}

std::int32_t WriteScriptString(std::uint32_t destination, const char* text, std::size_t length,
                               std::size_t sizeLimit) {
    std::size_t room = script_memory::WritableRoom(destination);
    if (sizeLimit < room) room = sizeLimit;
    if (room == 0) return -1;
    const std::size_t kept = WholeCharacterPrefix(text, length, room - 1);
    char* out = PointerAt<char>(destination);
    std::memmove(out, text, kept);
    out[kept] = '\0';
    return static_cast<std::int32_t>(kept);
}

bool ReadScriptText(std::uint32_t address, std::string* text) {
    std::size_t length = 0;
    if (!script_memory::TextLength(address, &length)) return false;
    text->assign(PointerAt<const char>(address), length);
    return true;
}
