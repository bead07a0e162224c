// The transition routines' random sources: TransitionRandom, a generator of their own apart from
// the script machine's, seeded from the clock when first used, and TransitionRandomTable, 256
// fixed bytes (the low bytes of the first 256 draws after Seed(0)) built on first use and freed
// at exit. Building the table restarts TransitionRandom from the clock. Both belong to the
// thread that draws transitions and take no lock.
#pragma once

#include <cstdint>

#include "effects/objects/subtractive_random.h"

class Clock;

// Where the seeds come from; null: the system clock.
void SetTransitionRandomClock(Clock* clock);

SubtractiveRandom& TransitionRandom();

// Builds the table when it does not exist yet; false without memory for it.
bool EnsureTransitionRandomTable();
// The 256 bytes, or null until built.
const std::uint8_t* TransitionRandomTable();
// Frees the table; the next EnsureTransitionRandomTable builds it again.
void ReleaseTransitionRandomTable();
