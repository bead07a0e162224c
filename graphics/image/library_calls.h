// How the image operations call the bound pixel-operation library: the operation of a word
// while a library is bound, and the rectangle a call reports as drawn. The library writes
// LastUpdatedRect only when it draws, so the rectangle is emptied before each call: otherwise a
// call that drew nothing would hand on the rectangle of an earlier call, maybe into another
// image.
#pragma once

#include <windows.h>

#include "graphics/compose/pixel_op_library_loader.h"

// The operation of `word`, or null while no library is bound.
template <class Op>
Op BoundLibraryOp(int word) {
    if (!CurrentPixelOpLibrary()) return nullptr;
    return reinterpret_cast<Op>(g_pixelOpTable.Word(word));
}

inline void ResetLastUpdated() {
    if (g_pixelOpTable.lastUpdatedRect) *g_pixelOpTable.lastUpdatedRect = LastUpdatedRect{0, 0, 0, 0};
}

// What the last call drew; false when it drew nothing.
inline bool LastUpdated(RECT* out) {
    const LastUpdatedRect* r = g_pixelOpTable.lastUpdatedRect;
    if (!r || r->right <= r->left || r->bottom <= r->top) return false;
    *out = RECT{r->left, r->top, r->right, r->bottom};
    return true;
}
