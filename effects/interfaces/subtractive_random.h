// SubtractiveRandom: the subtractive random generator (modulus 1 000 000 000) that the script
// commands, screen effects, transitions and the layer animation tasks draw from. A plain value
// class, used inside the program only: its owner seeds it (Seed also restarts the index at 55,
// so the first Next refills the table) and draws from it on one thread.
#pragma once

#include <cstdint>

class SubtractiveRandom {
public:
    static constexpr std::uint32_t kModulus = 1000000000u;
    static constexpr std::uint16_t kTableSize = 55;

    // Seeds the table from s (reduced modulo the modulus, so every word stays below it).
    void Seed(std::uint32_t s);
    // The next value in 0..999 999 999.
    std::uint32_t Next();
    // One subtractive round over the whole table.
    void Refill();

    std::uint32_t Seed() const { return m_seed; }
    std::uint16_t Index() const { return m_index; }
    // Table word i, counted from 1 as the algorithm numbers them.
    std::uint32_t Word(std::uint16_t i) const { return m_table[i - 1]; }

private:
    std::uint32_t& At(std::uint16_t i) { return m_table[i - 1]; }

    std::uint16_t m_index = kTableSize;
    std::uint32_t m_seed = 0;
    std::uint32_t m_table[kTableSize] = {};
};
