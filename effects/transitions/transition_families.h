// The routine families of the transition table beyond the strips: wipes and shapes (0, 1, 11-19,
// 21, 22, 27-44, 83-86) and dissolves and moving cells (4-10, 20, 45-67). Each lookup answers the
// routine of a table index in its family, or null for an index of another family.
#pragma once

#include <windows.h>

#include <cmath>
#include <cstdint>

#include "effects/transitions/routine_skeleton.h"
#include "effects/transitions/transition_routines.h"

TransitionRoutineFunc WipeRoutine(std::int32_t index);      // 0, 1, 16-19, 21, 22, 35-44, 85, 86
TransitionRoutineFunc ShapeRoutine(std::int32_t index);     // 11-15, 27-34, 83, 84
TransitionRoutineFunc DissolveRoutine(std::int32_t index);  // 4-10, 20, 45-52
TransitionRoutineFunc CellRoutine(std::int32_t index);      // 54-67

namespace transition_pieces {

// Draws the source rectangle at (dx, dy) unless it is empty or lies wholly outside the source;
// what lies partly outside is the primitive's to clip.
inline void Draw(RoutineCanvas& canvas, const RECT& rect, std::int32_t dx, std::int32_t dy) {
    if (rect.left >= rect.right || rect.top >= rect.bottom) return;
    if (rect.right <= 0 || rect.bottom <= 0 || rect.left >= canvas.SourceWidth() ||
        rect.top >= canvas.SourceHeight())
        return;
    canvas.Piece(rect, dx, dy);
}

// A truncated square root of a non-negative value (0 for a negative one).
inline std::int32_t Root(std::int64_t value) {
    if (value <= 0) return 0;
    std::int64_t r = static_cast<std::int64_t>(std::sqrt(static_cast<double>(value)));
    while (r * r > value) --r;
    while ((r + 1) * (r + 1) <= value) ++r;
    return static_cast<std::int32_t>(r);
}

}  // namespace transition_pieces
