// The one call by which the transition sprite reaches the transition routines, which live in a
// subsystem above the graphics core: the program sets RunTransitionEffectPort at start-up to the
// routines' RunTransitionEffect. While it is null every transition step fails with 1.
//
// Arguments as RunTransitionEffect takes them: routine index, destination (null: the display of
// device), source picture, progress, two routine words (or a position), mode, device. Answers 0,
// -1 for an index outside 0..86, or the routine's failure code.
#pragma once

#include <cstdint>

class ScreenDevice;
class Surface;

using TransitionEffectFunction = std::int32_t (*)(std::int32_t index, Surface* destination, Surface* source,
                                                  std::int32_t progress, std::int32_t x, std::int32_t y,
                                                  std::int32_t mode, ScreenDevice* device);

extern TransitionEffectFunction RunTransitionEffectPort;

std::int32_t RunTransitionEffectThroughPort(std::int32_t index, Surface* destination, Surface* source,
                                            std::int32_t progress, std::int32_t x, std::int32_t y,
                                            std::int32_t mode, ScreenDevice* device);
