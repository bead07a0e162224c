// The start-up's transition table: the eight transitions, then the six screen filters; and the
// script engine handing the filters that draw random numbers its generator.
#include "game/app/builtin_effects.h"

#include <gtest/gtest.h>

#include <string>

#include "effects/objects/subtractive_random.h"
#include "effects/transitions/screen_filters.h"
#include "framework/plugins/effect_registry.h"
#include "framework/plugins/transition_registry.h"
#include "game/script/script_engine.h"

namespace {

TEST(BuiltinEffects, TheScreenFiltersFollowTheEightTransitions) {
    TransitionRegistry transitions;
    EffectRegistry effects;
    RegisterBuiltinEffects(transitions, effects);
    const char* names[] = {"cross", "rule",     "scroll",    "wave",   "mosaic",
                           "rotaxis", "trans",  "tone",      "quake",  "zoomflip",
                           "rotcenter", "addsub", "hblur",   "ripple"};
    const std::uint8_t kinds[] = {0, 0, 0, 0, 1, 1, 1, 2, 2, 1, 1, 0, 1, 0};
    ASSERT_EQ(transitions.Entries().size(), 14u);
    for (std::size_t i = 0; i < 14; ++i) {
        EXPECT_EQ(std::string(transitions.Entries()[i].name), names[i]);
        EXPECT_EQ(transitions.Entries()[i].category, kinds[i]) << names[i];
    }
}

TEST(BuiltinEffects, TheScriptEngineHandsQuakeAndZoomflipItsGenerator) {
    SetQuakeTransRandom(nullptr);
    SetZoomFlipTransRandom(nullptr);
    {
        ScriptEngine engine;
        EXPECT_EQ(QuakeTransRandom(), &ScriptRandom());
        EXPECT_EQ(ZoomFlipTransRandom(), &ScriptRandom());
    }
    SetQuakeTransRandom(nullptr);
    SetZoomFlipTransRandom(nullptr);
}

}  // namespace
