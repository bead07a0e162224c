// Where tests let image encoders write: a GllWriter that appends every block it is given to
// the std::vector<std::uint8_t> passed as its argument.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/interfaces/cross_module.h"

namespace testsupport {

inline std::uint32_t XM_CDECL AppendToBytes(const void* bytes, std::uint32_t count,
                                            void* argument) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(argument);
    out->insert(out->end(), static_cast<const std::uint8_t*>(bytes),
                static_cast<const std::uint8_t*>(bytes) + count);
    return count;
}

}  // namespace testsupport
