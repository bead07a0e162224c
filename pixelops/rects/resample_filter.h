// The filtered resampling of StretchBlendRect: separable tent and quadratic B-spline filters
// that replace the destination pixels.
#pragma once

#include <cstdint>

#include "graphics/interfaces/surface.h"

namespace pixelops {

typedef float (*ResampleFilter)(float x);

float TentFilter(float x);              // radius 1
float QuadraticBSplineFilter(float x);  // radius 1.5
// Truncates, then steps one away from zero when the dropped part is at least one half.
std::int32_t RoundHalfAway(float x);

struct FilterTap {
    std::int32_t index;  // from the source rectangle's edge
    float weight;
};

// The taps of destination position `position` at scale `scale` (destination over source size)
// over a source line of `length` pixels; at most `capacity` are written. Returns their count.
std::int32_t BuildFilterWeights(FilterTap* taps, std::int32_t capacity, std::int32_t position,
                                float scale, float radius, ResampleFilter filter,
                                std::int32_t length);
// Room BuildFilterWeights needs at that scale and radius.
std::int32_t FilterTapCapacity(float scale, float radius);

// Both rectangles non-empty and inside their bitmaps. 0, or -1 when memory runs out (the
// destination may then be partly written).
std::int32_t ResampleWithFilter(Surface* dest, const RECT& destRect, Surface* src,
                                const RECT& srcRect, ResampleFilter filter, float radius);
// Filter 1 tent, 2 quadratic B-spline; any other number -1.
std::int32_t SelectResampleFilter(Surface* dest, const RECT& destRect, Surface* src,
                                  const RECT& srcRect, int filter);

}  // namespace pixelops
