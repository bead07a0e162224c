#include "game/script/script_engine.h"
#include "effects/objects/subtractive_random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// The generator written straight from its description, in signed 64-bit arithmetic over a
// table numbered 1..55, for a seed already in 0..999 999 999.
class ModelGenerator {
public:
    explicit ModelGenerator(std::int64_t seed) {
        t[55] = seed;
        std::int64_t j = seed;
        std::int64_t k = 1;
        for (int i = 1; i <= 54; ++i) {
            const int p = (21 * i) % 55;
            t[p] = k;
            k = j - k;
            if (k < 0) {
                k += kM;
            }
            j = t[p];
        }
        for (int round = 0; round < 3; ++round) {
            Refill();
        }
        index = 55;
    }
    std::int64_t Next() {
        if (++index > 55) {
            Refill();
            index = 1;
        }
        return t[index];
    }

private:
    static constexpr std::int64_t kM = 1000000000;
    void Refill() {
        for (int i = 1; i <= 24; ++i) {
            t[i] -= t[i + 31];
            if (t[i] < 0) {
                t[i] += kM;
            }
        }
        for (int i = 25; i <= 55; ++i) {
            t[i] -= t[i - 24];
            if (t[i] < 0) {
                t[i] += kM;
            }
        }
    }
    std::int64_t t[56] = {};
    int index = 0;
};

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
