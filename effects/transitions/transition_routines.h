// The table of the 87 transition routines and its driver. A routine draws a source onto a
// destination at (x, y) in a state between nothing of it (progress <= 0) and all of it
// (progress >= 256), in one of three drawing modes: 0 copies onto an Image, 1 alpha-blends onto
// an Image, 2 blits onto a DirectDraw surface (through TransitionSurfacePort). Callers animate
// by calling the same routine every frame over a destination they have prepared.
//
// Built so far: the wipes and shapes (0, 1, 11-19, 21, 22, 27-44, 83-86), the dissolves and
// moving cells (4-10, 20, 45-67), the staggered strips and edge-smear wipes (71 to 82). Every
// other entry keeps its number and answers kRoutineNotBuilt without drawing.
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
