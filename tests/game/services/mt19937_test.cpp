#include "game/services/mt19937.h"

#include <gtest/gtest.h>

#include "tests/support/random_models.h"

#include <cstdint>
#include <random>
#include <sstream>
#include <vector>

namespace {

using testsupport::StandardGeneratorIn1998State;

TEST(Mt19937, DrawsWhatTheStandardGeneratorDrawsFromThe1998SeedingsState) {
    // Past three twists of the state.
    const std::uint32_t seeds[] = {0, 1, 4357, 19650218, 0x80000000u, 0xFFFFFFFFu};
    for (std::uint32_t seed : seeds) {
        SCOPED_TRACE(seed);
        Mt19937 generator;
        generator.Seed(seed);
        std::mt19937 reference = StandardGeneratorIn1998State(seed);
        for (int draw = 0; draw < 3 * 624 + 5; ++draw) {
            ASSERT_EQ(reference(), generator.Next()) << "draw " << draw;
        }
    }
}

TEST(Mt19937, TheSeedingIsNotTheLaterStandardOne) {
    Mt19937 generator;
    generator.Seed(5489);
    std::mt19937 standard(5489);
    EXPECT_NE(standard(), generator.Next());
}

TEST(Mt19937, AGeneratorNeverSeededDrawsAsOneSeededWith4357) {
    Mt19937 unseeded;
    std::mt19937 reference = StandardGeneratorIn1998State(4357);
    for (int draw = 0; draw < 700; ++draw) {
        ASSERT_EQ(reference(), unseeded.Next()) << "draw " << draw;
    }
}

TEST(Mt19937, SeedingAgainStartsTheSequenceOver) {
    Mt19937 generator;
    generator.Seed(77);
    std::vector<std::uint32_t> first;
    for (int draw = 0; draw < 700; ++draw) first.push_back(generator.Next());
    generator.Seed(77);
    for (int draw = 0; draw < 700; ++draw) {
        ASSERT_EQ(first[draw], generator.Next()) << "draw " << draw;
    }
}

}  // namespace
