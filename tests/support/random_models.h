// Models of the two random generators the scripts draw from, written apart from the program's
// own from the generators' descriptions, for the generators' and the commands' tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <vector>

namespace testsupport {

// The generator written straight from its description, in signed 64-bit arithmetic over a
// table numbered 1..55, for a seed already in 0..999 999 999.
class SubtractiveModel {
public:
    explicit SubtractiveModel(std::int64_t seed) {
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

// The 1998 seeding as its authors describe it, written apart from the program's: the linear
// generator's values x(0) = seed, x(k + 1) = 69069 x(k) + 1 (mod 2^32) in 64-bit arithmetic;
// word i takes its high half from x(2i) and its low half from the high half of x(2i + 1).
inline std::vector<std::uint32_t> SeededState1998(std::uint32_t seed) {
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
inline std::mt19937 StandardGeneratorIn1998State(std::uint32_t seed) {
    std::stringstream text;
    for (std::uint32_t word : SeededState1998(seed)) text << word << ' ';
    text << 624;
    std::mt19937 generator;
    text >> generator;
    EXPECT_FALSE(text.fail());
    return generator;
}

}  // namespace testsupport
