#include "graphics/compose/blend_tables.h"

BlendTables g_blendTables;

// Integer arithmetic throughout: the same bytes on every processor and with every rounding
// mode of the floating-point unit.
void InitBlendTables() {
    BlendTables& t = g_blendTables;
    for (std::uint32_t k = 0; k < 256; ++k) {
        const std::uint16_t weight = static_cast<std::uint16_t>(k == 0 ? 0 : k + 1);
        t.alphaWeights[k][0] = weight;
        t.alphaWeights[k][1] = weight;
        t.alphaWeights[k][2] = weight;
        t.alphaWeights[k][3] = 0;
    }
    for (std::uint32_t s = 0; s < 256; ++s) t.sourceWeight[0][s] = 255;
    for (std::uint32_t d = 1; d < 256; ++d) {
        for (std::uint32_t s = 0; s < 256; ++s) {
            const std::uint32_t share = 65025 * s / (255 * s + d * (255 - s));
            t.sourceWeight[d][s] = static_cast<std::uint8_t>(share > 255 ? 255 : share);
        }
    }
    for (std::uint32_t i = 0; i < 256; ++i) {
        for (std::uint32_t j = 0; j < 256; ++j) {
            t.screen[i][j] = static_cast<std::uint8_t>(255 - (255 - i) * (255 - j) / 255);
            t.multiply[i][j] = static_cast<std::uint8_t>((i * j + 127) / 255);
        }
    }
    for (int v = -kClampOffset; v < 1792 - kClampOffset; ++v) {
        t.clamp[v + kClampOffset] = static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}
