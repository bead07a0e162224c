// The script's printf: our own formatter over the argument words a command was given, so that
// a format can neither take more words than there are nor write past the room it is given.
//
// The conversions are the documented wvsprintfA set: %[-][#][0][width][.precision][h|l]type
// with type c C d i u x X s S, and %%.
//   - '-' left-aligns in the width; '0' pads numbers with zeros after the sign (ignored with
//     '-'); '#' puts 0x / 0X before every x / X value (0 included, as documented).
//   - Precision: for numbers the least count of digits, for strings the most bytes taken,
//     never splitting a double-byte character.
//   - h takes a number's low 16 bits (sign-extended for d and i), l changes nothing; on c and s
//     h means a byte character or string, l a 16-bit one. Without one, c and s are byte and
//     C and S 16-bit (converted to the program's code page).
//   - A null string word prints "(null)"; a character word 0 ends the text there.
// Anything else is refused: %f, %n, %p, '*', I64, an unknown type, a lone '%' at the end, a
// conversion needing a word past the block, a string word that is no readable text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Formats into out, which ends up at most `limit` bytes (the text stops there, possibly in the
// middle of a character; callers cut with WholeCharacterPrefix). False when refused.
bool FormatScriptText(const char* format, const std::uint32_t* words, std::size_t wordCount, std::size_t limit,
                      std::string& out);
