// The ripple filter's shared tables. A RippleTable holds, for one picture size, centre, ring
// count, vertical scale and largest wave height, the polar array (each pixel of the largest
// quadrant around the centre: its distance ring x 32 + its direction 0..31) and the
// displacement array (for every wave level, ring and direction the pixel offset to sample,
// horizontal in the high byte and vertical in the low byte; the rings stored twice over, so a
// row read starting at any ring never wraps).
//
// Building a table is costly, so the tables live in a cache of four, most recently used first,
// shared by every ripple of the process. Tables are counted: the cache holds one reference,
// each ripple using one another, and the last release frees the table. Only the frame thread
// touches them; nothing takes a lock.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/interfaces/cross_module.h"

class RippleTable {
public:
    // The key.
    std::int32_t width, height, centreX, centreY, rings;
    float scale;
    std::int32_t waveHeight;
    // Quadrant size: the largest of the four parts into which the centre divides the picture.
    std::int32_t quadWidth, quadHeight;

    // A new table with one reference, or null when memory runs out (nothing stays allocated).
    static RippleTable* Build(std::int32_t width, std::int32_t height, std::int32_t centreX,
                              std::int32_t centreY, std::int32_t rings, float scale,
                              std::int32_t waveHeight);

    void AddRef() { ++m_references; }
    // Frees the table when its last reference goes.
    void Release();
    std::int32_t References() const { return m_references; }

    bool HasKey(std::int32_t w, std::int32_t h, std::int32_t cx, std::int32_t cy,
                std::int32_t n, float s, std::int32_t m) const {
        return width == w && height == h && centreX == cx && centreY == cy && rings == n &&
               scale == s && waveHeight == m;
    }
    // quadHeight rows of quadWidth entries.
    const std::int16_t* Polar() const { return m_polar; }
    const std::int16_t* PolarRow(std::int32_t qy) const { return m_polar + qy * quadWidth; }
    // Level 0..4M-1, ring 0..2N-1: the 32 directions of that ring, and the rings after it.
    const std::int16_t* Displacement(std::int32_t level, std::int32_t ring) const {
        return m_displacement + (static_cast<std::size_t>(level) * 2 * rings + ring) * 32;
    }

private:
    RippleTable() = default;
    ~RippleTable() = default;

    std::int32_t m_references = 1;
    std::int16_t* m_polar = nullptr;
    std::int16_t* m_displacement = nullptr;
};

// The wave profile (0..2048) of each of the n rings and the direction vectors (x 2048) of the
// 32 directions, as the tables use them.
void RippleProfile(std::int32_t rings, std::int32_t* profile);
void RippleDirections(std::int32_t* cx, std::int32_t* sy);

// Where the tables' memory comes from (null: the C heap); tests count and fail allocations.
typedef void* (*RippleAllocateFunc)(std::size_t bytes);
typedef void (*RippleFreeFunc)(void* block);
void SetRippleAllocation(RippleAllocateFunc allocate, RippleFreeFunc free);

// The table of that key with a reference for the caller: a cached one (moved to the front), or
// a new one put in front, the least recently used table leaving the cache (it lives on while a
// ripple holds it). Null when the new table cannot be built; the cache is then unchanged.
RippleTable* AcquireRippleTable(std::int32_t width, std::int32_t height, std::int32_t centreX,
                                std::int32_t centreY, std::int32_t rings, float scale,
                                std::int32_t waveHeight);
// Empties the cache, releasing its references (the registry's exit function for "ripple").
void XM_CDECL RippleReleaseTables();
// The cached table of slot 0..3 (0 the most recently used), or null.
RippleTable* RippleCacheSlot(int slot);
