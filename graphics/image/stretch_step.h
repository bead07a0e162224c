// StretchStep: how a stretched kernel walks its source, filled by the stretched blit clipping.
#pragma once

#include <cstdint>

struct StretchStep {
    std::int32_t xErr;   // starting column error of every destination row (negative)
    std::int32_t xRem;   // source width modulo destination width
    std::int32_t xDen;   // destination width (unclipped)
    std::int32_t xStep;  // whole source pixels per destination pixel
    std::int32_t yErr;   // starting row error (negative); carried from row to row
    std::int32_t yRem;   // source height modulo destination height
    std::int32_t yDen;   // destination height (unclipped)
    std::int32_t yStep;  // whole source rows per destination row
};
