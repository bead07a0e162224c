#include "effects/transitions/ripple_rows.h"

#include <algorithm>

#include "framework/system/cpu_info.h"

namespace {

const RippleRowForm* g_rows = &kRippleRowsPlain;

// Two bytes at a time in the halves of a word: each weighted sum stays below 65536, so the
// halves never carry into each other.
inline std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::int32_t ratio) {
    const std::uint32_t wa = static_cast<std::uint32_t>(256 - ratio);
    const std::uint32_t wb = static_cast<std::uint32_t>(ratio);
    const std::uint32_t even = ((a & 0xFF00FFu) * wa + (b & 0xFF00FFu) * wb) >> 8 & 0xFF00FFu;
    const std::uint32_t odd = ((a >> 8 & 0xFF00FFu) * wa + (b >> 8 & 0xFF00FFu) * wb) & 0xFF00FF00u;
    return even | odd;
}

inline std::uint32_t At(const std::uint8_t* picture, std::int32_t pitch, std::int32_t x,
                        std::int32_t y) {
    return reinterpret_cast<const std::uint32_t*>(picture + y * pitch)[x];
}

template <bool kRight, bool kAbove>
void FastRow(const RippleRun& r) {
    for (std::int32_t i = 0; i < r.count; ++i) {
        const std::int16_t e = r.displacement[r.polar[kRight ? i : -i]];
        const std::int32_t dx = static_cast<std::int8_t>(e >> 8), dy = static_cast<std::int8_t>(e);
        const std::int32_t sx = kRight ? r.x + i - dx : r.x + i + dx;
        const std::int32_t sy = kAbove ? r.y + dy : r.y - dy;
        r.dst[i] = Mix(At(r.from, r.pitch, sx, sy), At(r.to, r.pitch, sx, sy), r.ratio);
    }
}

// Mirrored once (-k to k, size + k to size - k - 1), then clamped: an offset larger than the
// picture would still lie outside after one mirror.
inline std::int32_t Inside(std::int32_t v, std::int32_t size) {
    if (v < 0) v = -v;
    if (v >= size) v = 2 * size - v - 1;
    return std::clamp(v, 0, size - 1);
}

template <bool kRight, bool kAbove>
void ClampedRow(const RippleRun& r) {
    for (std::int32_t i = 0; i < r.count; ++i) {
        const std::int16_t e = r.displacement[r.polar[kRight ? i : -i]];
        const std::int32_t dx = static_cast<std::int8_t>(e >> 8), dy = static_cast<std::int8_t>(e);
        const std::int32_t sx = Inside(kRight ? r.x + i - dx : r.x + i + dx, r.width);
        const std::int32_t sy = Inside(kAbove ? r.y + dy : r.y - dy, r.height);
        r.dst[i] = Mix(At(r.from, r.pitch, sx, sy), At(r.to, r.pitch, sx, sy), r.ratio);
    }
}

}  // namespace

const RippleRowForm kRippleRowsPlain = {{FastRow<true, true>, FastRow<false, true>},
                                        {FastRow<true, false>, FastRow<false, false>}};

void RippleRowClamped(const RippleRun& run, bool right, bool above) {
    if (right)
        above ? ClampedRow<true, true>(run) : ClampedRow<true, false>(run);
    else
        above ? ClampedRow<false, true>(run) : ClampedRow<false, false>(run);
}

const RippleRowForm& CurrentRippleRows() { return *g_rows; }

bool SelectRippleBlendVariant() {
    g_rows = &kRippleRowsPlain;
    if (!g_cpuInfo.mmx) return false;
    if (g_cpuInfo.mmxExt || g_cpuInfo.amdMmxExt) {
        g_rows = &kRippleRowsExtended;
        return true;
    }
    g_rows = &kRippleRowsMmx;
    return false;
}
