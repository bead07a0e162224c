#include "game/services/mt19937.h"

namespace {

constexpr std::uint32_t kShift = 397;
constexpr std::uint32_t kMatrix = 0x9908B0DFu;
constexpr std::uint32_t kUpperBit = 0x80000000u;
constexpr std::uint32_t kLowerBits = 0x7FFFFFFFu;

std::uint32_t Mix(std::uint32_t upper, std::uint32_t lower, std::uint32_t far) {
    const std::uint32_t y = (upper & kUpperBit) | (lower & kLowerBits);
    return far ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
}

}  // namespace

void Mt19937::Seed(std::uint32_t s) {
    for (std::uint32_t i = 0; i < kStateSize; ++i) {
        m_state[i] = s & 0xFFFF0000u;
        s = 69069u * s + 1u;
        m_state[i] |= s >> 16;
        s = 69069u * s + 1u;
    }
    m_index = kStateSize;
}

void Mt19937::Twist() {
    std::uint32_t k = 0;
    for (; k < kStateSize - kShift; ++k) {
        m_state[k] = Mix(m_state[k], m_state[k + 1], m_state[k + kShift]);
    }
    for (; k < kStateSize - 1; ++k) {
        m_state[k] = Mix(m_state[k], m_state[k + 1], m_state[k + kShift - kStateSize]);
    }
    m_state[kStateSize - 1] = Mix(m_state[kStateSize - 1], m_state[0], m_state[kShift - 1]);
    m_index = 0;
}

std::uint32_t Mt19937::Next() {
    if (m_index > kStateSize) Seed(kDefaultSeed);
    if (m_index == kStateSize) Twist();
    std::uint32_t y = m_state[m_index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}
