// The ripple filter's row routines. A run is a stretch of one row on one side of the centre:
// pixel i of it lies at picture column x + i (right of the centre) and takes polar entry
// polar[i] (right) or polar[-i] (left, where the quadrant's columns run the other way). Its
// displacement (dx, dy) moves the sample towards the centre: column x + i - dx on the right,
// x + i + dx on the left; row y + dy above the centre, y - dy below it. The output mixes the
// from and to pixels at that position per byte as from + floor((to - from) x ratio / 256).
//
// The fast routines read without a test (the caller keeps the run inside the margin that
// exceeds every offset); they come in plain, MMX and extended-MMX forms with the same pixels
// (the mix's products never leave 16 bits, so the SIMD lanes hold them exactly).
// The clamping routine mirrors a position outside the picture back inside, then clamps it, so
// any offset on any picture size reads inside.
#pragma once

#include <cstdint>

struct RippleRun {
    std::uint32_t* dst;
    const std::uint8_t* from;  // pixel (0, 0) of each picture
    const std::uint8_t* to;
    std::int32_t pitch;  // of both pictures
    const std::int16_t* polar;
    const std::int16_t* displacement;
    std::int32_t x, y;  // picture position of the run's first pixel
    std::int32_t count;
    std::int32_t ratio;  // 0..255
    std::int32_t width, height;  // the picture's size, for the clamping form
};

typedef void (*RippleRowFunc)(const RippleRun& run);

// The fast pairs: [0] right of the centre, [1] left; rows above (y + dy) and below (y - dy).
struct RippleRowForm {
    RippleRowFunc above[2];
    RippleRowFunc below[2];
};

extern const RippleRowForm kRippleRowsPlain;
extern const RippleRowForm kRippleRowsMmx;
extern const RippleRowForm kRippleRowsExtended;

// The clamping routine of a side (right or left) and half (above or below).
void RippleRowClamped(const RippleRun& run, bool right, bool above);

// The selected fast pair (plain until SelectRippleBlendVariant chose another).
const RippleRowForm& CurrentRippleRows();
// Chooses the form by the processor record: without MMX the plain pair, with extended MMX (SSE
// or AMD's extensions) the extended pair, else the MMX pair. True when the extended pair was
// chosen.
bool SelectRippleBlendVariant();
