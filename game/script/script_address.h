// Script addresses: scripts, variable tables and command arguments refer to the program's memory
// by 32-bit address words, which is what pointers are in this 32-bit program.
#pragma once

#include <cstdint>

inline std::uint32_t AddressOf(const void* pointer) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

// The memory at a script address, as a T.
template <class T>
T* PointerAt(std::uint32_t address) {
    return reinterpret_cast<T*>(static_cast<std::uintptr_t>(address));
}
