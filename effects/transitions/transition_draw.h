// What the built-in transitions' drawings share: the area of a TransitionBlit in each picture,
// and the bound pixel-operation library.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/transition_plugin.h"
#include "graphics/image/image.h"
#include "graphics/image/library_calls.h"

// The area in the target, from and to pictures.
inline RECT TargetArea(const TransitionBlit& b) {
    return RECT{b.targetX, b.targetY, b.targetX + b.width, b.targetY + b.height};
}
inline RECT FromArea(const TransitionBlit& b) {
    return RECT{b.fromX, b.fromY, b.fromX + b.width, b.fromY + b.height};
}
inline RECT ToArea(const TransitionBlit& b) {
    return RECT{b.toX, b.toY, b.toX + b.width, b.toY + b.height};
}

inline bool PixelLibraryLoaded() { return CurrentPixelOpLibrary() != nullptr; }

// A real-valued parameter word: the address of a decimal text (leading blanks skipped), or
// null for `absent`; a text without a number gives 0.
double ReadParameterReal(std::int32_t word, double absent);
