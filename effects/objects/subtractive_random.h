// SubtractiveRandom: the subtractive random generator (modulus 1 000 000 000) that the script
// commands, screen effects and transitions draw from. One shared instance belongs to the script
// machine; effects that need their own keep further instances.
#pragma once

#include "effects/interfaces/subtractive_random.h"

// The application's shared generator: the script machine seeds it when a script engine is
// created, and the screen effects are handed its address when they are registered.
SubtractiveRandom& ScriptRandom();
