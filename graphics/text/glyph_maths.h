// The bitmap steps between GDI's answer and a finished coverage glyph: bold widening, block
// reduction of magnified bitmaps, level scaling, and the hard and soft outlines. Each step
// replaces the glyph's bits (and box) in place; false means no memory, the glyph unchanged.
#pragma once

#include <cstdint>

#include "graphics/text/glyph.h"

// The octagonal distance of an outline offset; offsets with OutlineDistance <= a form the disc
// of radius a.
std::int32_t OutlineDistance(std::int32_t dx, std::int32_t dy);
// 65536 / (sum of (a - D + 1) over the disc); 65536 for a <= 0.
std::int32_t OutlineNormaliser(std::int32_t a);
// The soft outline's per-offset weight (s * (a - D + 1) * N) >> 8, held to 32767 so that the
// MMX form's signed 16-bit multiply sees the same value as the plain one.
std::int32_t SoftOutlineWeight(std::int32_t strength, std::int32_t a, std::int32_t distance,
                               std::int32_t normaliser);

// 1-bit rows (most significant bit first) widened by n pixels to the right; x moves left by
// n / 2 so the stroke stays centred.
bool WidenMono(Glyph& glyph, std::int32_t n);
// The same on coverage bytes.
bool WidenGrey(Glyph& glyph, std::int32_t n);
// A 1-bit glyph drawn at block times the size becomes counts of set bits per block (0..16 or
// 0..64); incomplete blocks are dropped, a glyph under one block becomes empty.
bool ReduceBlocks(Glyph& glyph, std::int32_t block);
// 1-bit rows to bytes 0 / 255.
bool ExpandMono(Glyph& glyph);
// Grey values to coverage: level 1 min(255, 16v), level 2 min(255, 4v).
void ScaleLevels(std::uint8_t* bits, std::int32_t pitch, std::int32_t width, std::int32_t height,
                 std::int32_t level);
void ScaleLevelsPlain(std::uint8_t* bits, std::int32_t pitch, std::int32_t width,
                      std::int32_t height, std::int32_t level);
void ScaleLevelsMmx(std::uint8_t* bits, std::int32_t pitch, std::int32_t width,
                    std::int32_t height, std::int32_t level);

// Level-0 outline: every nonzero pixel stamps the disc of radius a with 255.
bool HardOutline(Glyph& glyph, std::int32_t a);
// Levels 1 and 2: every pixel adds its value times the offset's weight over the disc.
bool SoftOutline(Glyph& glyph, std::int32_t strength, std::int32_t width, std::int32_t normaliser);

// One source row accumulated into an output row: out[c] = min(255, out[c] + ((src[c] * w) >> 16))
// for c < count, w <= 32767.
void AccumulateRowPlain(std::uint8_t* out, const std::uint8_t* src, std::int32_t count,
                        std::int32_t weight);
void AccumulateRowMmx(std::uint8_t* out, const std::uint8_t* src, std::int32_t count,
                      std::int32_t weight);
