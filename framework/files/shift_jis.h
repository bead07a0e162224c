// The one Shift-JIS rule that text and path code share: a lead byte starts a two-byte
// character, and the byte after it is never read as a character of its own.
#pragma once

// True for the first byte of a two-byte Shift-JIS character.
inline bool IsShiftJisLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
