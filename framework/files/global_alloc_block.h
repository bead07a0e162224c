// The file layer's own allocator pair for archive extraction and whole-file loading: the data
// lands in a GlobalAlloc block, recorded with its size in a GlobalBlock that the caller owns.
#pragma once

#include <cstdint>

#include "framework/interfaces/archive_interfaces.h"

struct GlobalBlock {
    void* block = nullptr;
    std::uint32_t size = 0;
};

// ArchiveAllocator over a GlobalBlock (`argument`): null for size 0; otherwise adopts `block`
// when one is given, else takes a new GlobalAlloc(GMEM_FIXED) block; records block and size.
void* XM_CDECL GlobalAllocBlock(std::uint32_t size, void* argument, void* block);
// ArchiveReleaser over a GlobalBlock: frees the block with GlobalFree and clears the record.
void XM_CDECL GlobalFreeBlock(void* argument);
