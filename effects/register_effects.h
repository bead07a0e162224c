// Registration of the named effects that the script machine's initialisation adds to the
// effect registry, in their fixed order, each with its category byte and no assist functions.
// The screen effects draw from the generator set with SetEffectRandom (effect_base.h); the
// staff roll reaches music through the player set with SetStaffRollMusic (staff_roll_effect.h).
#pragma once

#include <cstdint>

class EffectRegistry;

// 0, or the registry's code for the first entry it refused (the entries before it stay).
std::int32_t RegisterNamedEffects(EffectRegistry& registry);
