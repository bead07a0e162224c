// Where the seeks of the host's byte streams land: a stream of `size` bytes clamps every seek to
// 0..size, so a seek never fails for being out of range.
#pragma once

#include <cstdint>

namespace StreamSeek {

inline std::uint32_t FromStart(std::uint32_t position, std::uint32_t size) {
    return position < size ? position : size;
}

inline std::uint32_t FromCurrent(std::uint32_t current, std::int32_t distance, std::uint32_t size) {
    std::int64_t target = static_cast<std::int64_t>(current) + distance;
    if (target < 0) target = 0;
    if (target > size) target = size;
    return static_cast<std::uint32_t>(target);
}

inline std::uint32_t FromEnd(std::uint32_t distanceBeforeEnd, std::uint32_t size) {
    return distanceBeforeEnd > size ? 0 : size - distanceBeforeEnd;
}

}  // namespace StreamSeek
