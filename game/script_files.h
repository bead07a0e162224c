// File access of the script machine: game files (modules and init files) and the files it keeps
// in the save folder, with the LZSS-packed blocks those files share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a whole game file; false when it cannot be read.
bool ReadGameFile(const char* name, std::vector<std::uint8_t>& bytes);
// Reads or replaces a whole plain file.
bool ReadPlainFile(const std::string& path, std::vector<std::uint8_t>& bytes);
bool WritePlainFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// A block as the variable files store it: LZSS-packed, or as it is when packing does not pay
// (then the unpacked length is 0).
struct PackedBlock {
    std::vector<std::uint8_t> stored;
    std::uint32_t unpackedLength = 0;
};

// False only without memory.
bool PackBlock(const std::vector<std::uint8_t>& block, PackedBlock& packed);
// False when the packed data is damaged or memory runs out.
bool UnpackBlock(const std::uint8_t* stored, std::uint32_t storedLength, std::uint32_t unpackedLength,
                 std::vector<std::uint8_t>& block);
