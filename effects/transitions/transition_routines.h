// The table of the 87 transition routines and its driver. A routine draws a source onto a
// destination at (x, y) in a state between nothing of it (progress <= 0) and all of it
// (progress >= 256), in one of three drawing modes: 0 copies onto an Image, 1 alpha-blends onto
// an Image, 2 blits onto a DirectDraw surface (through TransitionSurfacePort). Callers animate
// by calling the same routine every frame over a destination they have prepared.
//
// Every entry draws: wipes and shapes, dissolves and moving cells, waves, crossfade, mosaics,
// invert, staggered strips and edge-smear wipes (transition_families.h lists the files).
#pragma once

#include <windows.h>

#include <cstdint>

class Surface;
class ScreenDevice;

enum TransitionDrawMode : std::int32_t {
    kDrawCopy = 0,
    kDrawAlphaBlend = 1,
    kDrawDirectDraw = 2,
};

constexpr std::int32_t kTransitionRoutineCount = 87;
// What an entry that is not built yet answers.
constexpr std::int32_t kRoutineNotBuilt = -2;

typedef std::int32_t (*TransitionRoutineFunc)(Surface* destination, Surface* source,
                                              std::int32_t progress, std::int32_t x,
                                              std::int32_t y, std::int32_t mode,
                                              ScreenDevice* device);

// 1 when the pictures cannot be used together (and for two Images in mode 2, which would have
// a routine take an Image for a DirectDraw surface), -1 for an index outside 0..86, otherwise
// the routine's result. With a device, or with a DirectDraw destination, mode 2 is used
// whatever was asked.
std::int32_t RunTransitionEffect(std::int32_t index, Surface* destination, Surface* source,
                                 std::int32_t progress, std::int32_t x, std::int32_t y,
                                 std::int32_t mode, ScreenDevice* device);

TransitionRoutineFunc TransitionRoutineAt(std::int32_t index);

// The strip routines; results as a routine's.
std::int32_t StaggeredColumnStrips(Surface* destination, Surface* source, std::int32_t progress,
                                   std::int32_t x, std::int32_t y, bool fromLeft,
                                   std::int32_t mode, std::int32_t stripWidth,
                                   ScreenDevice* device);
std::int32_t StaggeredRowStrips(Surface* destination, Surface* source, std::int32_t progress,
                                std::int32_t x, std::int32_t y, bool fromTop, std::int32_t mode,
                                std::int32_t stripHeight, ScreenDevice* device);
std::int32_t EdgeSmearWipeColumns(Surface* destination, Surface* source, std::int32_t progress,
                                  std::int32_t x, std::int32_t y, bool fromRight,
                                  std::int32_t mode, ScreenDevice* device);
std::int32_t EdgeSmearWipeRows(Surface* destination, Surface* source, std::int32_t progress,
                               std::int32_t x, std::int32_t y, bool fromBottom,
                               std::int32_t mode, ScreenDevice* device);

// The waves (transition_waves.cpp): sine stretch of rows (2) or columns (3); row waves of
// period 512 (23, 24) or 64 (25, 26), the second of each with the opposite sign. 1 without
// MathTables.
std::int32_t SineStretchRoutine(Surface* destination, Surface* source, std::int32_t progress,
                                std::int32_t x, std::int32_t y, std::int32_t mode,
                                ScreenDevice* device, bool columns);
std::int32_t RowWaveRoutine(Surface* destination, Surface* source, std::int32_t progress,
                            std::int32_t x, std::int32_t y, std::int32_t mode,
                            ScreenDevice* device, bool shortPeriod, bool opposite);
// The filters (transition_filters.cpp). Crossfade (53): modes 0 and 1 blend the whole source
// at a weight growing with the progress; other modes answer -1 below 256. Mosaic (68, 69 with
// alignment 0, 1) and invert (70): the whole source drawn, then turned into cells of
// ((255 - p) >> 2) + 1 pixels or colour-inverted; in mode 2, 3 when the target cannot be
// locked and 4 when it cannot be unlocked.
std::int32_t CrossfadeRoutine(Surface* destination, Surface* source, std::int32_t progress,
                              std::int32_t x, std::int32_t y, std::int32_t mode,
                              ScreenDevice* device);
std::int32_t MosaicRoutine(Surface* destination, Surface* source, std::int32_t progress,
                           std::int32_t x, std::int32_t y, std::int32_t mode,
                           ScreenDevice* device, std::uint8_t alignment);
std::int32_t InvertRoutine(Surface* destination, Surface* source, std::int32_t progress,
                           std::int32_t x, std::int32_t y, std::int32_t mode,
                           ScreenDevice* device);
