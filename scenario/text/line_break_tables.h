// The line-break rules of Japanese text (kinsoku): which characters may not start a line and
// which may not end one. Each class has a one-byte table (code page 932 single bytes, half-width
// katakana among them) and a two-byte table of lead-trail pairs ending at a zero lead byte.
#pragma once

#include <cstdint>

extern const char kNoLineStartClosingOneByte[];
extern const char kNoLineStartClosingTwoByte[];
extern const char kNoLineStartSmallOneByte[];
extern const char kNoLineStartSmallTwoByte[];
extern const char kNoLineEndOpeningOneByte[];
extern const char kNoLineEndOpeningTwoByte[];

// Whether the byte c is in a one-byte table; 0 is in none.
bool InOneByteTable(const char* table, std::uint8_t c);
// Whether the pair (lead in the low byte, trail in the next) is in a two-byte table; 0 is in none.
bool InTwoByteTable(const char* table, std::uint16_t pair);
