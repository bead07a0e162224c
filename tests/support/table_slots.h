// Reaching an object's table of operations by slot number and its fields by offset, the way
// code built by another compiler does, for the tests of the layouts that cross module
// boundaries.
#pragma once

#include <cstdint>
#include <cstring>

#include "framework/interfaces/cross_module.h"

namespace testsupport {

// Slot `index` of the table whose pointer is the first word of `object`.
inline void* Slot(void* object, int index) { return (*static_cast<void***>(object))[index]; }

template <class Signature>
Signature SlotAs(void* object, int index) {
    return reinterpret_cast<Signature>(Slot(object, index));
}

// Calls slot `index` as a member operation that takes `args` and returns Result.
template <typename Result, typename... Args>
Result CallSlot(void* object, int index, Args... args) {
    return SlotAs<Result(XM_METHOD*)(void*, Args...)>(object, index)(object, args...);
}

// The 32-bit field at byte `offset` of `object`.
inline std::uint32_t FieldAt(const void* object, int offset) {
    std::uint32_t word;
    std::memcpy(&word, static_cast<const char*>(object) + offset, sizeof(word));
    return word;
}

}  // namespace testsupport
