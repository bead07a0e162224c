// File access of the script machine: game files (modules and init files) and the files it keeps
// in the save folder, with the LZSS-packed blocks those files share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a whole file through the virtual file system (a plain file, or an entry of a mounted
// archive); false when it cannot be read.
bool ReadWholeFile(const std::string& name, std::vector<std::uint8_t>& bytes);
// Reads a whole plain file (never an archive entry); false when it cannot be read.
bool ReadPlainFile(const std::string& path, std::vector<std::uint8_t>& bytes);
// Creates or replaces a plain file with `bytes` by atomic replace: the bytes go to a temporary
// file of this program's own in the target's folder, are flushed to the disk, and the temporary
// file then takes the target's place in one step. Any failure deletes the temporary file and
// leaves the target as it was; false when the file cannot be written. Every file the program
// writes into the save folder goes through here.
bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The platform steps of WriteWholeFile. Tests put steps in place that fail at a chosen point;
// the program uses the Win32 ones.
class WholeFileSteps {
public:
    virtual ~WholeFileSteps() = default;
    // Creates (truncating) the temporary file; INVALID_HANDLE_VALUE when it cannot.
    virtual void* Create(const char* path);
    // Writes all `size` bytes; false when not all of them were written.
    virtual bool Write(void* file, const std::uint8_t* bytes, std::uint32_t size);
    virtual bool Flush(void* file);
    virtual void Close(void* file);
    // Puts `temporary` in the place of `target`, replacing it.
    virtual bool Replace(const char* temporary, const char* target);
};
// null puts the Win32 steps back.
void SetWholeFileSteps(WholeFileSteps* steps);
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
