// Glyph: one rendered character (or inline picture) as an 8-bit coverage map, 0 = no ink,
// 255 = full ink, placed relative to the pen (the top-left of the character cell).
//
// A glyph has one owner plus extraRefs more; ReleaseGlyph drops one and frees the glyph with
// the last. Drawing code that holds a glyph across a call that may evict cache entries takes a
// reference first, so an eviction cannot free bits still being drawn.
#pragma once

#include <cstdint>

struct Glyph {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t advanceX = 0;
    std::int32_t advanceY = 0;
    std::int32_t pitch = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint8_t* bits = nullptr;  // new[]; null for an empty glyph
    std::int32_t extraRefs = 0;
};

void ReleaseGlyph(Glyph* glyph);
inline void AddGlyphRef(Glyph* glyph) { ++glyph->extraRefs; }

// Called with a glyph just before its bits are freed; tests overwrite the bits here to catch
// drawing from freed glyphs. Null in the program.
extern void (*g_glyphFreeHook)(Glyph* glyph);
