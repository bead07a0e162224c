// The game's built-in screen transitions and layer effects: one table of names, categories and
// functions that the start-up registers with the transition and effect registries. The effects
// themselves are not built yet: every create function answers null (the registry then reports
// no object) and the list-taking assist functions do nothing. An effect with assist entries is
// registered with a small adapter, which hands the address of its own argument list to the
// effect's list-taking assist function, and with that function as its second assist function.
#pragma once

#include <cstdint>

#include "framework/interfaces/effect_plugin.h"
#include "framework/interfaces/transition_plugin.h"

class TransitionRegistry;
class EffectRegistry;

// An effect's list-taking assist function: the arguments as the adapter received them.
typedef void (XM_CDECL* EffectListAssistFunc)(const std::int32_t* arguments);

struct BuiltinTransition {
    const char* name;
    std::uint8_t category;
    TransCreateFunc create;
};

struct BuiltinEffect {
    const char* name;
    std::uint8_t category;
    EffectCreateFunc create;
    // Null for an effect without assist entries.
    EffectAssistFunc adapter;
    EffectListAssistFunc listAssist;
};

constexpr int kBuiltinTransitionCount = 8;
constexpr int kBuiltinEffectCount = 10;
extern const BuiltinTransition kBuiltinTransitions[kBuiltinTransitionCount];
extern const BuiltinEffect kBuiltinEffects[kBuiltinEffectCount];

// Registers the table in its order, transitions first. A refused entry is skipped.
void RegisterBuiltinEffects(TransitionRegistry& transitions, EffectRegistry& effects);
