#include "game/commands/script_formatter.h"

#include <windows.h>

#include <cstring>

#include "framework/files/shift_jis.h"
#include "game/commands/script_string_writer.h"
#include "game/script/script_address.h"
#include "game/script/script_memory.h"

namespace {

struct Conversion {
    bool left = false;
    bool alternate = false;
    bool zero = false;
    std::size_t width = 0;
    bool hasPrecision = false;
    std::size_t precision = 0;
    char size = 0;  // 0, 'h' or 'l'
    char type = 0;
};

// Appends without passing the limit; false once the limit is reached.
class Output {
public:
    Output(std::string& out, std::size_t limit) : m_out(out), m_limit(limit) {}
    void Append(const char* text, std::size_t length) {
        const std::size_t room = m_limit - m_out.size();
        m_out.append(text, length < room ? length : room);
    }
    void Repeat(char c, std::size_t count) {
        const std::size_t room = m_limit - m_out.size();
        m_out.append(count < room ? count : room, c);
    }
    // Nothing more is appended; the rest of the format is still checked.
    void Close() { m_limit = m_out.size(); }

private:
    std::string& m_out;
    std::size_t m_limit;
};

// Reads a decimal count, saturating instead of overflowing.
std::size_t Count(const char*& at) {
    std::size_t value = 0;
    while (*at >= '0' && *at <= '9') {
        const std::size_t digit = static_cast<std::size_t>(*at++ - '0');
        value = value > (SIZE_MAX - digit) / 10 ? SIZE_MAX : value * 10 + digit;
    }
    return value;
}

void Pad(Output& output, const Conversion& conversion, const std::string& body) {
    const std::size_t fill = conversion.width > body.size() ? conversion.width - body.size() : 0;
    if (!conversion.left) output.Repeat(' ', fill);
    output.Append(body.data(), body.size());
    if (conversion.left) output.Repeat(' ', fill);
}

void Number(Output& output, const Conversion& conversion, std::uint32_t word) {
    bool negative = false;
    std::uint32_t magnitude = word;
    if (conversion.size == 'h') magnitude &= 0xFFFF;
    if (conversion.type == 'd' || conversion.type == 'i') {
        const std::int32_t value = conversion.size == 'h' ? static_cast<std::int16_t>(magnitude)
                                                          : static_cast<std::int32_t>(magnitude);
        negative = value < 0;
        magnitude = negative ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    }
    const bool hex = conversion.type == 'x' || conversion.type == 'X';
    const char* digitsOf = conversion.type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    const std::uint32_t base = hex ? 16 : 10;
    std::string digits;
    do {
        digits.insert(digits.begin(), digitsOf[magnitude % base]);
        magnitude /= base;
    } while (magnitude != 0);
    std::string prefix = negative ? "-" : "";
    if (hex && conversion.alternate) prefix += conversion.type == 'X' ? "0X" : "0x";
    // Precision and zero padding both fill with leading zeros; the field never exceeds what the
    // output can take, so huge counts stop at the limit.
    std::size_t zeros = 0;
    if (conversion.hasPrecision && conversion.precision > digits.size()) zeros = conversion.precision - digits.size();
    if (conversion.zero && !conversion.left && conversion.width > prefix.size() + digits.size() + zeros) {
        zeros = conversion.width - prefix.size() - digits.size();
    }
    const std::size_t length = prefix.size() + zeros + digits.size();
    const std::size_t fill = conversion.width > length ? conversion.width - length : 0;
    if (!conversion.left) output.Repeat(' ', fill);
    output.Append(prefix.data(), prefix.size());
    output.Repeat('0', zeros);
    output.Append(digits.data(), digits.size());
    if (conversion.left) output.Repeat(' ', fill);
}

bool WideToText(const wchar_t* wide, std::size_t length, std::string& text) {
    text.clear();
    if (length == 0) return true;
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    text.resize(static_cast<std::size_t>(size));
    return WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), &text[0], size, nullptr, nullptr) == size;
}

// The string a s/S conversion prints; false for a word that is no readable text.
bool StringArgument(const Conversion& conversion, std::uint32_t word, std::string& text) {
    const bool wide = conversion.size == 'l' || (conversion.size == 0 && conversion.type == 'S');
    if (word == 0) {
        text = "(null)";
        return true;
    }
    std::size_t length = 0;
    if (!wide) {
        if (!script_memory::TextLength(word, &length)) return false;
        text.assign(PointerAt<const char>(word), length);
        return true;
    }
    if (!script_memory::WideTextLength(word, &length)) return false;
    return WideToText(PointerAt<const wchar_t>(word), length, text);
}

// The character a c/C conversion prints; empty for the character 0.
bool CharacterArgument(const Conversion& conversion, std::uint32_t word, std::string& text) {
    const bool wide = conversion.size == 'l' || (conversion.size == 0 && conversion.type == 'C');
    if (!wide) {
        text.assign(1, static_cast<char>(word & 0xFF));
        if (text[0] == '\0') text.clear();
        return true;
    }
    const wchar_t c = static_cast<wchar_t>(word & 0xFFFF);
    if (c == 0) {
        text.clear();
        return true;
    }
    return WideToText(&c, 1, text);
}

}  // namespace

bool FormatScriptText(const char* format, const std::uint32_t* words, std::size_t wordCount, std::size_t limit,
                      std::string& out) {
    out.clear();
    Output output(out, limit);
    std::size_t next = 0;
    const char* at = format;
    while (*at != '\0') {
        if (*at != '%') {
            // A double-byte character is copied whole, so that its trail byte is never read as '%'.
            const std::size_t width = IsShiftJisLeadByte(static_cast<unsigned char>(*at)) && at[1] != '\0' ? 2 : 1;
            output.Append(at, width);
            at += width;
            continue;
        }
        ++at;
        if (*at == '%') {
            output.Append("%", 1);
            ++at;
            continue;
        }
        Conversion conversion;
        for (;; ++at) {
            if (*at == '-') conversion.left = true;
            else if (*at == '#') conversion.alternate = true;
            else if (*at == '0') conversion.zero = true;
            else break;
        }
        conversion.width = Count(at);
        if (*at == '.') {
            ++at;
            conversion.hasPrecision = true;
            conversion.precision = Count(at);
        }
        if (*at == 'h' || *at == 'l') conversion.size = *at++;
        conversion.type = *at;
        if (std::strchr("cCdiuxXsS", conversion.type) == nullptr || conversion.type == '\0') {
            out.clear();
            return false;
        }
        ++at;
        if (next >= wordCount) {
            out.clear();
            return false;
        }
        const std::uint32_t word = words[next++];
        std::string text;
        switch (conversion.type) {
        case 'c':
        case 'C':
            if (!CharacterArgument(conversion, word, text)) {
                out.clear();
                return false;
            }
            if (text.empty()) {
                output.Close();
                break;
            }
            Pad(output, conversion, text);
            break;
        case 's':
        case 'S':
            if (!StringArgument(conversion, word, text)) {
                out.clear();
                return false;
            }
            if (conversion.hasPrecision) {
                text.resize(WholeCharacterPrefix(text.data(), text.size(), conversion.precision));
            }
            Pad(output, conversion, text);
            break;
        default:
            Number(output, conversion, word);
            break;
        }
    }
    return true;
}
