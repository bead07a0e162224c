// File access of the script machine: game files (modules and init files) and the files it keeps
// in the save folder, with the LZSS-packed blocks those files share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a whole file through the virtual file system (a plain file, or an entry of a mounted
// archive); false when it cannot be read.
bool ReadWholeFile(const std::string& name, std::vector<std::uint8_t>& bytes);
// Creates or replaces a plain file with `bytes` through a temporary file beside it, so that the
// old file stays whole unless the new one was written whole; false when it cannot be written.
bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
// True when the file starts with the four bytes of `magic`.
bool HasMagic(const std::vector<std::uint8_t>& file, const char* magic);

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
