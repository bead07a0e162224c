// The progress that the zoom, rotation and blur layer effects share: t ms into a duration, the
// fraction t / duration eased by the exponent (EaseFraction), taken as a time t' again and
// brought back to a fraction as (t' mod duration) / duration. An eased fraction that reaches
// 1.0 before the end (a steep slow-end exponent rounds to it) stays 1.0: the remainder would
// make it 0 and jump the view back to its start for a frame.
#pragma once

#include <cmath>
#include <cstdint>

#include "effects/motion/easing.h"

inline double LayerProgress(std::uint32_t t, std::uint32_t duration, double exponent) {
    const double d = static_cast<double>(duration);
    const double eased = EaseFraction(static_cast<double>(t) / d, exponent) * d;
    return eased < d ? std::fmod(eased, d) / d : 1.0;
}

// start + f (end - start), truncated and held to the int32 range.
inline std::int32_t LayerBetween(std::int64_t start, std::int64_t end, double f) {
    const double v = static_cast<double>(start) +
                     f * (static_cast<double>(end) - static_cast<double>(start));
    if (!(v > -2147483648.0)) return INT32_MIN;
    if (v >= 2147483647.0) return INT32_MAX;
    return static_cast<std::int32_t>(v);
}
