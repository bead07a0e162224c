#include "game/script/script_engine.h"
#include "effects/objects/subtractive_random.h"

#include <gtest/gtest.h>

#include "tests/support/random_models.h"

#include <cstdint>
#include <vector>

namespace {

using ModelGenerator = testsupport::SubtractiveModel;

TEST(SubtractiveRandom, MatchesTheModelWithTheSeedReducedToItsRange) {
    const std::uint32_t seeds[] = {0, 1, 123456789, 999999999, 1000000000, 1000000001, 0xFFFFFFFFu};
    for (std::uint32_t seed : seeds) {
        SCOPED_TRACE(seed);
        SubtractiveRandom generator;
        generator.Seed(seed);
        EXPECT_EQ(seed % 1000000000u, generator.Seed());
        EXPECT_EQ(55, generator.Index());
        ModelGenerator model(seed % 1000000000u);
        // Past several refills of the table.
        for (int draw = 0; draw < 400; ++draw) {
            const std::uint32_t value = generator.Next();
            ASSERT_EQ(model.Next(), static_cast<std::int64_t>(value)) << "draw " << draw;
            ASSERT_LT(value, 1000000000u);
        }
    }
}

TEST(SubtractiveRandom, TheEngineSeedsTheSharedGenerator) {
    ScriptRandom().Seed(5);
    ScriptRandom().Next();
    ScriptEngine engine;
    EXPECT_EQ(55, ScriptRandom().Index());
    for (std::uint16_t i = 1; i <= 55; ++i) {
        EXPECT_LT(ScriptRandom().Word(i), 1000000000u);
    }
}

}  // namespace
