#include "game/services/mt19937.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <vector>

namespace {

// The 1998 seeding as its authors describe it, written apart from the program's: the linear
// generator's values x(0) = seed, x(k + 1) = 69069 x(k) + 1 (mod 2^32) in 64-bit arithmetic;
// word i takes its high half from x(2i) and its low half from the high half of x(2i + 1).
std::vector<std::uint32_t> SeededState1998(std::uint32_t seed) {
    std::vector<std::uint64_t> x(2 * 624);
    x[0] = seed;
    for (std::size_t k = 1; k < x.size(); ++k) {
        x[k] = (x[k - 1] * 69069u + 1u) % (std::uint64_t{1} << 32);
    }
    std::vector<std::uint32_t> words(624);
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<std::uint32_t>((x[2 * i] / 65536) * 65536 + x[2 * i + 1] / 65536);
    }
    return words;
}

// The standard library's MT19937 put into that state by stream extraction (the 624 words, then
// the position 624: the next draw twists first), so that the library checks the program's
// generation and tempering.
std::mt19937 StandardGeneratorIn1998State(std::uint32_t seed) {
    std::stringstream text;
    for (std::uint32_t word : SeededState1998(seed)) text << word << ' ';
    text << 624;
    std::mt19937 generator;
    text >> generator;
    EXPECT_FALSE(text.fail());
    return generator;
}

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
