// The MMX form of over_math::Over, for the MMX translation units only.
#pragma once

#include <mmintrin.h>

#include <cstdint>

#include "graphics/compose/blend_tables.h"
#include "graphics/image/mmx_helpers.h"

namespace over_math {

inline std::uint32_t OverMmx(std::uint32_t d, std::uint32_t colour, std::uint8_t level) {
    const std::uint32_t da = d >> 24;
    const std::uint32_t share = g_blendTables.sourceWeight[da][level];
    const std::uint32_t blended = mmx::Pack(
        mmx::Lerp(mmx::Unpack(d), mmx::Unpack(colour), mmx::ColourWeight(kernel_walk::Weight(share))));
    return (blended & 0x00FFFFFF) | static_cast<std::uint32_t>(g_blendTables.screen[da][level])
                                        << 24;
}

}  // namespace over_math
