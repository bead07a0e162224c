// The one way a command hands a string result to a script: into a destination the script names,
// bounded by the room its writable region leaves and by any size the script gives, cut at a
// whole Shift-JIS character, always terminated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The length of the longest start of text[0..length) that is at most `limit` bytes and ends
// at a whole character (a lead byte never stays without its trail byte).
std::size_t WholeCharacterPrefix(const char* text, std::size_t length, std::size_t limit);

// Writes text[0..length) (no terminator needed) to `destination`, at most sizeLimit bytes with
// the terminator (SIZE_MAX: no size given). Returns the text bytes written, or -1 with nothing
// written when the destination is no writable script memory or the room is 0. Source and
// destination may overlap.
std::int32_t WriteScriptString(std::uint32_t destination, const char* text, std::size_t length,
                               std::size_t sizeLimit = SIZE_MAX);
inline std::int32_t WriteScriptString(std::uint32_t destination, const std::string& text,
                                      std::size_t sizeLimit = SIZE_MAX) {
    return WriteScriptString(destination, text.data(), text.size(), sizeLimit);
}

// The text at a script address, read by the script memory's text rule (inside its region, or
// over committed readable pages); false for a bad word.
bool ReadScriptText(std::uint32_t address, std::string* text);
