// Independent generators of the tables that floating-point steps define. Their unit is built
// with SSE maths, where every double operation is an IEEE double operation, so they do not
// share the library's x87 precision handling.
#pragma once

#include <cstdint>
#include <vector>

namespace pixelopstest {

// 65,536 entries each, [row * 256 + column].
std::vector<std::uint8_t> ReferenceWeightTable();
std::vector<std::uint8_t> ReferenceSoftLightTable();
// One channel of the gamma table for (gamma, floor, ceiling).
std::vector<std::uint8_t> ReferenceGammaChannel(float gamma, int floor, int ceiling);

}  // namespace pixelopstest
