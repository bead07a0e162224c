// The tests' own model of the copy blits, one destination pixel at a time, and the
// coordinate-coded pictures they draw from and into.
//
// Model: destination pixel x + i of a walk of w pixels over source pixels [lo, hi) reads the
// source at offset i * (srcW / w) + max(0, floor((i * (srcW mod w) - 1) / w)) from lo (from
// hi - 1 leftwards when reversed). The pixel-operation library walks in 16.16 fixed point
// instead: offset (i * step) >> 16 with step = srcW * 65536 / w. A pixel is drawn when it lies
// in the destination's clip rectangle and its source pixel in the source's.
//
// Coded pictures: every source pixel inside the clip rectangle holds its own coordinates, every
// pixel outside it a poison value, so a stray read shows as poison and a misplaced one as the
// wrong coordinates.
#pragma once

#include <windows.h>

#include <cstdint>

#include "graphics/image/image.h"

namespace blitref {

constexpr std::uint32_t kPoison = 0xDEADBEEFu;
constexpr std::uint8_t kPoisonIndex = 255;

enum class Walk { Model, Library };

// One axis: the source coordinate shown at destination coordinate p, or false.
inline bool AxisSource(std::int64_t pos, std::int64_t w, std::int64_t lo, std::int64_t hi,
                       bool reversed, Walk walk, std::int64_t p, std::int64_t* s) {
    const std::int64_t srcW = hi - lo;
    if (w <= 0 || srcW <= 0) return false;
    const std::int64_t i = p - pos;
    if (i < 0 || i >= w) return false;
    std::int64_t offset;
    if (walk == Walk::Library) {
        const std::int64_t step = srcW * 65536 / w;
        offset = (i * step) >> 16;
    } else {
        const std::int64_t t = i * (srcW % w) - 1;
        offset = i * (srcW / w) + (t > 0 ? t / w : 0);
    }
    *s = reversed ? hi - 1 - offset : lo + offset;
    return true;
}

struct Call {
    std::int64_t x, y;
    RECT src;        // the source rectangle as the blit resolves it
    std::int64_t w, h;  // the destination size (the source's for unstretched blits)
    bool mirror, flip;
    Walk walk;
};

inline bool Inside(const RECT& r, std::int64_t x, std::int64_t y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Whether destination pixel (px, py) is drawn, and from which source pixel.
inline bool SourceOf(const Call& c, const RECT& destClip, const RECT* srcClip, std::int32_t px,
                     std::int32_t py, std::int64_t* sx, std::int64_t* sy) {
    if (!Inside(destClip, px, py)) return false;
    if (!AxisSource(c.x, c.w, c.src.left, c.src.right, c.mirror, c.walk, px, sx)) return false;
    if (!AxisSource(c.y, c.h, c.src.top, c.src.bottom, c.flip, c.walk, py, sy)) return false;
    return !srcClip || Inside(*srcClip, *sx, *sy);
}

// Coded pixel values.
inline std::uint32_t Code32(std::int32_t x, std::int32_t y) {
    return 0x80000000u | (static_cast<std::uint32_t>(y) << 12) | static_cast<std::uint32_t>(x);
}
inline std::uint32_t Background32(std::int32_t x, std::int32_t y) {
    return 0x11000000u | (static_cast<std::uint32_t>(y) << 12) | static_cast<std::uint32_t>(x);
}
// 8-bit sources index a palette whose entries are unique and carry alpha in their fourth byte.
inline std::uint8_t Index8(std::int32_t x, std::int32_t y, std::int32_t width) {
    return static_cast<std::uint8_t>((y * width + x) % 250);
}
inline std::uint32_t PaletteEntry(std::uint32_t i) {
    return i == kPoisonIndex ? kPoison : 0x40000000u | (i << 16) | ((255 - i) << 8) | (i ^ 0x5A);
}
constexpr std::uint8_t kBackground8 = 252;

// A source of the depth whose clip rectangle holds coded pixels and whose border is poison.
void MakeCodedSource(Image& image, std::int32_t width, std::int32_t height, std::uint8_t depth,
                     const RECT& clip, bool dibSection = false);
// A destination holding the background values, with a dirty region, unmodified.
void MakeBackground(Image& image, std::int32_t width, std::int32_t height, std::uint8_t depth,
                    bool dibSection = false);
void FillBackground(Image& image);

// What the source pixel becomes in a destination of the depth.
std::uint32_t Converted(const Image& source, std::int64_t sx, std::int64_t sy,
                        std::uint8_t destDepth);

}  // namespace blitref
