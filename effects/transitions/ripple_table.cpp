#include "effects/transitions/ripple_table.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSlots = 4;

RippleAllocateFunc g_allocate = nullptr;
RippleFreeFunc g_free = nullptr;
RippleTable* g_cache[kSlots] = {};

void* Allocate(std::size_t bytes) { return g_allocate ? g_allocate(bytes) : std::malloc(bytes); }
void Free(void* block) {
    if (!block) return;
    if (g_free)
        g_free(block);
    else
        std::free(block);
}

// To the nearest integer, halves away from zero.
std::int32_t Nearest(double v) { return static_cast<std::int32_t>(std::round(v)); }

}  // namespace

void SetRippleAllocation(RippleAllocateFunc allocate, RippleFreeFunc free) {
    g_allocate = allocate;
    g_free = free;
}

void RippleProfile(std::int32_t rings, std::int32_t* profile) {
    for (std::int32_t k = 0; k < rings; ++k) {
        const double theta = -2 * kPi * k / rings;
        double v = (std::sin(theta) + 0.2 * std::sin(2 * theta - 2)) * 0.8403361344537815;
        v = std::min(v * v, 1.0);
        profile[k] = Nearest(v * 2048);
    }
}

void RippleDirections(std::int32_t* cx, std::int32_t* sy) {
    for (std::int32_t a = 0; a < 32; ++a) {
        const double phi = kPi / 2 - (a + 0.5) * kPi / 64;
        cx[a] = Nearest(std::cos(phi) * 2048);
        sy[a] = Nearest(std::sin(phi) * 2048);
    }
}

RippleTable* RippleTable::Build(std::int32_t width, std::int32_t height, std::int32_t centreX,
                                std::int32_t centreY, std::int32_t rings, float scale,
                                std::int32_t waveHeight) {
    void* place = Allocate(sizeof(RippleTable));
    if (!place) return nullptr;
    RippleTable* t = new (place) RippleTable;
    t->width = width;
    t->height = height;
    t->centreX = centreX;
    t->centreY = centreY;
    t->rings = rings;
    t->scale = scale;
    t->waveHeight = waveHeight;
    // The larger side. Compared with the half size in integers, an odd size with the centre
    // in the middle (15 wide, centre 7) would take the left side's 7 columns and leave the
    // right side's eighth outside the array.
    t->quadWidth = std::max(centreX, width - centreX);
    t->quadHeight = std::max(centreY, height - centreY);
    const std::size_t levels = static_cast<std::size_t>(4 * waveHeight);
    t->m_polar = static_cast<std::int16_t*>(Allocate(
        static_cast<std::size_t>(t->quadWidth) * t->quadHeight * sizeof(std::int16_t)));
    t->m_displacement = static_cast<std::int16_t*>(
        Allocate(levels * 2 * rings * 32 * sizeof(std::int16_t)));
    if (!t->m_polar || !t->m_displacement) {
        t->Release();
        return nullptr;
    }
    const std::int32_t ringMask = rings - 1;
    for (std::int32_t i = 0; i < t->quadHeight; ++i) {
        const double e = (i + 0.5) * static_cast<double>(scale);
        std::int16_t* row = t->m_polar + static_cast<std::size_t>(i) * t->quadWidth;
        for (std::int32_t j = 0; j < t->quadWidth; ++j) {
            const double x = j + 0.5;
            // The scale is limited, so the distance is far inside 32 bits.
            const std::int32_t ring = static_cast<std::int32_t>(std::sqrt(x * x + e * e)) & ringMask;
            const std::int32_t direction =
                std::min(static_cast<std::int32_t>(std::atan(x / e) * 64 / kPi), 31);
            row[j] = static_cast<std::int16_t>(ring * 32 + direction);
        }
    }
    std::int32_t profile[128], cx[32], sy[32];
    RippleProfile(rings, profile);
    RippleDirections(cx, sy);
    for (std::size_t s = 0; s < levels; ++s) {
        const std::int32_t amp = static_cast<std::int32_t>(s) * 256;
        for (std::int32_t k = 0; k < rings; ++k) {
            const std::int32_t a = profile[k] * amp >> 10;
            std::int16_t* first = t->m_displacement + (s * 2 * rings + k) * 32;
            std::int16_t* second = first + static_cast<std::size_t>(rings) * 32;
            for (std::int32_t d = 0; d < 32; ++d) {
                const std::int8_t dx = static_cast<std::int8_t>(cx[d] * a >> 22);
                const std::int8_t dy = static_cast<std::int8_t>(sy[d] * a >> 22);
                first[d] = second[d] = static_cast<std::int16_t>((dx << 8) + dy);
            }
        }
    }
    return t;
}

void RippleTable::Release() {
    if (--m_references > 0) return;
    Free(m_polar);
    Free(m_displacement);
    this->~RippleTable();
    Free(this);
}

RippleTable* AcquireRippleTable(std::int32_t width, std::int32_t height, std::int32_t centreX,
                                std::int32_t centreY, std::int32_t rings, float scale,
                                std::int32_t waveHeight) {
    for (int i = 0; i < kSlots; ++i) {
        RippleTable* t = g_cache[i];
        if (!t || !t->HasKey(width, height, centreX, centreY, rings, scale, waveHeight)) continue;
        for (int k = i; k > 0; --k) g_cache[k] = g_cache[k - 1];
        g_cache[0] = t;
        t->AddRef();
        return t;
    }
    // Built before anything leaves the cache: a failed build changes nothing.
    RippleTable* made = RippleTable::Build(width, height, centreX, centreY, rings, scale, waveHeight);
    if (!made) return nullptr;
    if (g_cache[kSlots - 1]) g_cache[kSlots - 1]->Release();
    for (int k = kSlots - 1; k > 0; --k) g_cache[k] = g_cache[k - 1];
    g_cache[0] = made;
    made->AddRef();
    return made;
}

void XM_CDECL RippleReleaseTables() {
    for (RippleTable*& t : g_cache) {
        if (t) t->Release();
        t = nullptr;
    }
}

RippleTable* RippleCacheSlot(int slot) {
    return slot >= 0 && slot < kSlots ? g_cache[slot] : nullptr;
}
