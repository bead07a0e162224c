// Writes a whole file so that a crash or a full disk never loses the old one: the bytes go to a
// temporary file beside it, which then replaces the old file in one step.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// False when the file could not be written; the old file is then untouched and no temporary
// file is left behind.
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);

// True when a file or folder of that path exists.
bool PathExists(const std::string& path);
