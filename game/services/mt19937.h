// Mt19937: the Mersenne Twister random generator that scripts draw from, in its 1998 form. The
// seeding is that form's own (the 69069 linear generator fills the state), not the later
// standard's, so a seed gives the numbers that games written against the 1998 generator expect.
// Generation and tempering are the standard MT19937 ones.
#pragma once

#include <cstdint>

class Mt19937 {
public:
    static constexpr std::uint32_t kStateSize = 624;
    // The seed a generator that was never seeded takes at its first draw.
    static constexpr std::uint32_t kDefaultSeed = 4357;

    void Seed(std::uint32_t s);
    std::uint32_t Next();

private:
    // Makes the next 624 words of state.
    void Twist();

    std::uint32_t m_state[kStateSize] = {};
    // kStateSize + 1: never seeded.
    std::uint32_t m_index = kStateSize + 1;
};
