// The few Win32 file-handle steps that the streams and archives over plain files share, with
// the 32-bit view of sizes that ByteStream and the archive records have.
#pragma once

#include <windows.h>

#include <cstdint>

// The size of an open file as a 32-bit stream sees it: a file of 4 GB and more reads as its
// first 4 GB - 1 bytes. False when the size cannot be read.
bool FileSize32(HANDLE file, std::uint32_t* outSize);

// Moves the file pointer by `distance` from FILE_BEGIN, FILE_CURRENT or FILE_END: false when
// that fails.
bool MoveFilePointer(HANDLE file, std::int64_t distance, DWORD method);

// Reads `count` bytes: false when the read fails or delivers fewer.
bool ReadExactly(HANDLE file, void* destination, std::uint32_t count);
