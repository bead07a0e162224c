#include "framework/util/bit_array.h"

#include <cstring>
#include <new>

BitArray::~BitArray() { Free(); }

std::int32_t BitArray::Create(std::uint32_t n) {
    Free();
    if (n == 0) return 1;
    // n / 8 rounded up without the overflow of (n + 7) / 8 near 2^32.
    const std::uint32_t bytes = n / 8 + (n % 8 != 0 ? 1 : 0);
    std::uint8_t* block = new (std::nothrow) std::uint8_t[bytes];
    if (!block) return 2;
    std::memset(block, 0, bytes);
    m_bytes = block;
    m_bitCount = n;
    m_byteCount = bytes;
    return 0;
}

void BitArray::Free() {
    delete[] m_bytes;
    m_bytes = nullptr;
    m_bitCount = 0;
    m_byteCount = 0;
}

std::int32_t BitArray::LoadBytes(const void* source, std::uint32_t length) {
    if (!m_bytes || !source || length > m_byteCount) return 1;
    std::memcpy(m_bytes, source, length);
    return 0;
}

std::int32_t BitArray::Set(std::uint32_t i, bool value) {
    if (!m_bytes) return 1;
    if (i >= m_bitCount) return 2;
    const std::uint8_t mask = static_cast<std::uint8_t>(1u << (i % 8));
    if (value) m_bytes[i / 8] |= mask;
    else m_bytes[i / 8] &= static_cast<std::uint8_t>(~mask);
    return 0;
}

bool BitArray::Test(std::uint32_t i) const {
    if (!m_bytes || i >= m_bitCount) return false;
    return (m_bytes[i / 8] >> (i % 8)) & 1;
}

std::uint32_t BitArray::CountSet() const {
    std::uint32_t count = 0;
    for (std::uint32_t k = 0; k < m_byteCount; ++k) {
        for (std::uint8_t b = m_bytes[k]; b != 0; b &= static_cast<std::uint8_t>(b - 1)) ++count;
    }
    return count;
}

bool BitArray::AllSet() const {
    if (!m_bytes) return false;
    for (std::uint32_t i = 0; i < m_bitCount; ++i) {
        if (!Test(i)) return false;
    }
    return true;
}
