// BlendTables: the program-wide lookup tables of the graphics core's own pixel kernels. A
// product divided by 255, a saturation, the share of a source colour laid over a destination
// alpha and the alpha of one alpha over another are each one byte load. The tables lie one after
// another in this order, so a kernel can reach them all from one base.
//
// InitBlendTables fills them once during start-up, before any kernel runs; afterwards they are
// only read, from any thread.
#pragma once

#include <cstdint>

struct BlendTables {
    // Entry 0: (0, 0, 0, 0); entry k: (k + 1, k + 1, k + 1, 0): blue, green and red lanes scaled
    // by alpha k as (c * weight) >> 8, the alpha lane left alone.
    std::uint16_t alphaWeights[256][4];
    // [destination alpha][source alpha]: the share, 0..255, of the source colour.
    std::uint8_t sourceWeight[256][256];
    // [i][j]: 255 - (255 - i)(255 - j) / 255, rounded down.
    std::uint8_t screen[256][256];
    // Read at v + kClampOffset: v limited to 0..255, for v from -768 to 1023.
    std::uint8_t clamp[1792];
    // [i][j]: i * j / 255 rounded to nearest.
    std::uint8_t multiply[256][256];
};

constexpr int kClampOffset = 768;

extern BlendTables g_blendTables;

void InitBlendTables();
