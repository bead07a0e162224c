#include "effects/objects/subtractive_random.h"

namespace {

// a - b modulo the modulus, for a and b below it.
std::uint32_t SubtractModulo(std::uint32_t a, std::uint32_t b) {
    return a >= b ? a - b : a + SubtractiveRandom::kModulus - b;
}

}  // namespace

void SubtractiveRandom::Seed(std::uint32_t s) {
    s %= kModulus;
    m_seed = s;
    At(kTableSize) = s;
    std::uint32_t j = s;
    std::uint32_t k = 1;
    for (std::uint16_t i = 1; i < kTableSize; ++i) {
        const std::uint16_t p = static_cast<std::uint16_t>((21 * i) % kTableSize);
        // p runs over 1..54 once each; p = 0 never comes up for i below 55.
        At(p) = k;
        k = SubtractModulo(j, k);
        j = At(p);
    }
    for (int round = 0; round < 3; ++round) {
        Refill();
    }
    m_index = kTableSize;
}

void SubtractiveRandom::Refill() {
    for (std::uint16_t i = 1; i <= 24; ++i) {
        At(i) = SubtractModulo(At(i), At(i + 31));
    }
    for (std::uint16_t i = 25; i <= kTableSize; ++i) {
        At(i) = SubtractModulo(At(i), At(i - 24));
    }
}

std::uint32_t SubtractiveRandom::Next() {
    if (++m_index > kTableSize) {
        Refill();
        m_index = 1;
    }
    return At(m_index);
}

SubtractiveRandom& ScriptRandom() {
    static SubtractiveRandom generator;
    return generator;
}
