// Laying a colour over a pixel that has alpha of its own, through the blend tables: the
// colour's share comes from sourceWeight[destination alpha][level] and the new alpha from
// screen[destination alpha][level]. Shared by the plain kernels that draw onto alpha.
#pragma once

#include <cstdint>

#include "graphics/compose/blend_tables.h"
#include "graphics/image/kernel_walk.h"
#include "graphics/image/pixel_math.h"

namespace over_math {

inline std::uint32_t Over(std::uint32_t d, std::uint32_t colour, std::uint8_t level) {
    const std::uint32_t da = d >> 24;
    const std::uint32_t share = g_blendTables.sourceWeight[da][level];
    const std::uint32_t blended = pixel_math::BlendColour(d, colour, kernel_walk::Weight(share));
    return (blended & 0x00FFFFFF) | static_cast<std::uint32_t>(g_blendTables.screen[da][level])
                                        << 24;
}

}  // namespace over_math
