// The game's built-in screen transitions and layer effects, registered by the start-up: the
// eight transitions of effects/transitions/ and the six screen filters after them, then one table of effect names, categories and
// functions. The create function of an effect not built yet answers null (the registry then
// reports no object), and its list-taking assist functions do nothing and answer 0. An effect with assist entries is
// registered with a small adapter, which hands the address of its own argument list to the
// effect's list-taking assist function, and with that function as its second assist function.
#pragma once

#include <cstdint>

#include "framework/interfaces/effect_plugin.h"
#include "framework/interfaces/transition_plugin.h"

class TransitionRegistry;
class EffectRegistry;

// An effect's list-taking assist function: the arguments as the adapter received them.
typedef std::int32_t(XM_CDECL* EffectListAssistFunc)(const std::int32_t* arguments);

struct BuiltinEffect {
    const char* name;
    std::uint8_t category;
    EffectCreateFunc create;
    // Null for an effect without assist entries.
    EffectAssistFunc adapter;
    EffectListAssistFunc listAssist;
};

constexpr int kBuiltinEffectCount = 10;
extern const BuiltinEffect kBuiltinEffects[kBuiltinEffectCount];

// Registers the eight built-in transitions and the six screen filters (effects/transitions/),
// then the effect table in its order. A refused entry is skipped.
void RegisterBuiltinEffects(TransitionRegistry& transitions, EffectRegistry& effects);
