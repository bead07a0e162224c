// BilinearStep: how the bilinear kernels walk their source in 32.32 fixed point.
#pragma once

#include <cstdint>

struct BilinearStep {
    std::uint32_t fracX;  // fraction of each row's first column (top 8 bits are the weight)
    std::uint32_t fracY;  // running fraction of the row position
    std::uint64_t stepX;  // source columns per destination column: high word whole, low fraction
    std::uint64_t stepY;  // source rows per destination row
};
