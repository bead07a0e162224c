#include "framework/files/global_alloc_block.h"

#include <windows.h>

void* XM_CDECL GlobalAllocBlock(std::uint32_t size, void* argument, void* block) {
    if (size == 0 || !argument) return nullptr;
    void* destination = block ? block : GlobalAlloc(GMEM_FIXED, size);
    if (!destination) return nullptr;
    GlobalBlock* record = static_cast<GlobalBlock*>(argument);
    record->block = destination;
    record->size = size;
    return destination;
}

void XM_CDECL GlobalFreeBlock(void* argument) {
    GlobalBlock* record = static_cast<GlobalBlock*>(argument);
    if (!record) return;
    if (record->block) GlobalFree(record->block);
    record->block = nullptr;
    record->size = 0;
}
