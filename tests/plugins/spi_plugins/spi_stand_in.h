// What both stand-in SPI plug-ins do alike: answer GetPluginInfo texts and return their
// results in LocalAlloc blocks, moveable unless built with SPI_FIXED_BLOCKS.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace spistandin {

#ifdef SPI_FIXED_BLOCKS
constexpr UINT kBlockKind = LMEM_FIXED;
#else
constexpr UINT kBlockKind = LMEM_MOVEABLE;
#endif

// Copies `text` into the caller's buffer as far as it fits with its NUL.
inline std::int32_t CopyInfo(const char* text, char* buffer, std::int32_t length) {
    const std::int32_t size = static_cast<std::int32_t>(std::strlen(text));
    if (!buffer || length <= 0) return 0;
    const std::int32_t copied = size < length ? size : length - 1;
    std::memcpy(buffer, text, copied);
    buffer[copied] = '\0';
    return copied;
}

// A block of `size` bytes holding `bytes` (zeros when null), or null.
inline HLOCAL MakeBlock(const void* bytes, std::size_t size) {
    HLOCAL block = LocalAlloc(kBlockKind | LMEM_ZEROINIT, size);
    if (!block) return nullptr;
    void* address = LocalLock(block);
    if (bytes) std::memcpy(address, bytes, size);
    LocalUnlock(block);
    return block;
}

}  // namespace spistandin
