// The script engine hands the screen filters that draw random numbers its generator.
#include <gtest/gtest.h>

#include "effects/objects/subtractive_random.h"
#include "effects/transitions/screen_filters.h"
#include "game/script/script_engine.h"

namespace {

TEST(ScriptEngineFilters, TheEngineHandsQuakeAndZoomflipItsGenerator) {
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
