// The byte syntax of the text fonts draw: Shift-JIS pairs, "\n" line breaks, "@@" for "@",
// and "@" followed by up to kPictureDigits decimal digits for an inline picture. The one
// parser serves measuring, drawing and counting in every font and in the message windows.
#pragma once

#include <cstdint>

// Digits an "@" escape takes; a further digit is text again.
constexpr int kPictureDigits = 7;

enum class TextTokenKind : std::uint8_t { End, Character, LineBreak, Picture };

struct TextToken {
    TextTokenKind kind;
    std::uint32_t code;  // a byte, (lead << 8) | trail, or the picture number
};

inline bool IsShiftJisLead(std::uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Reads one token at *cursor and moves past it. A lead byte right before the terminator ends
// the text (the terminator is never taken as a trail byte). pictures = false reads "@" as an
// ordinary character (the GDI font has no escapes).
TextToken NextTextToken(const char** cursor, bool pictures = true);

// Characters of a text: pairs, "@@", an escape with its digits and every other byte (line
// breaks included) one each; 0 for null.
std::int32_t CountTextChars(const char* text);
