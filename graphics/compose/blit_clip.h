// The clipping steps that the blits share.
#pragma once

#include <windows.h>

#include <cstdint>

// Clips a blit of *source drawn at (x, y), stretched to *size when size is given, against clip:
// every side of the destination that leaves clip is cut (from the source in proportion when
// stretched) and takes clip's edge. *source is adjusted in place and *dest receives the
// destination. 0 something is left; -1 nothing is left (or a zero size); 1 clip is null.
std::int32_t ClipBlitRects(std::int32_t x, std::int32_t y, RECT* source, RECT* dest,
                           const RECT* clip, const SIZE* size);

// A side worked out in 64 bits, brought back into a RECT's range: beyond it, it stops at the
// nearest end, so that what lay far outside still lies outside.
LONG NarrowToLong(std::int64_t v);

// Intersects *rect with *clip in place; false when clip is null or nothing is left (rect may
// then be partly changed).
bool ClipRectTo(RECT* rect, const RECT* clip);
