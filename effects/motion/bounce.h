// The hop that the motion effects add to a move: amplitude f and phase h of one axis at the
// eased time t in [0, 1]. With h = 0 the offset rises to f at the middle and comes back at the
// end; a phase starts the hop part-way. A negative amplitude hops the other way by the same rule,
// so that it starts and ends on the key like a positive one.
#pragma once

#include <cstdint>

inline std::int64_t MotionBounceOffset(std::int64_t f, std::int64_t h, double t) {
    if (f < 0) return -MotionBounceOffset(-f, -h, t);
    const auto s = static_cast<std::int64_t>(2.0 * static_cast<double>(f) * t);
    if (h == 0) return s <= f ? s : 2 * f - s;
    if (s <= -2 * h) return s <= -h ? -s : s + 2 * h;
    const std::int64_t shifted = s + 2 * h;
    return shifted <= h + f ? shifted : 2 * (h + f) - shifted;
}
