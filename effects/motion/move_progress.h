// How far a motion effect's move has got: elapsed of duration ms, eased by the power rule
// (exponent as EaseFraction takes it) or by the cosine rule, which rises smoothly from 0 to 1
// along the program's float cosine table (the C library's cosine while no table is published).
// A duration below 2 is done at once.
#pragma once

#include <cmath>
#include <cstdint>

#include "effects/motion/easing.h"
#include "graphics/compose/math_tables.h"

inline double MoveProgress(bool powerEasing, double exponent, std::uint32_t elapsed,
                           std::uint32_t duration) {
    if (duration < 2) return 1.0;
    if (powerEasing) return EaseFraction(static_cast<double>(elapsed) / duration, exponent);
    const std::int64_t part = std::int64_t{elapsed} * 256 / duration;
    const double* cosine = g_mathTables ? g_mathTables->CosFloat() : nullptr;
    const std::int64_t index = (-part - 256) & 511;
    return cosine ? (1.0 + cosine[index]) / 2.0
                  : (1.0 - std::cos(3.14159265358979323846 * static_cast<double>(part) / 256.0)) / 2.0;
}
