// BitArray: a fixed number of bits kept in bytes; bit i is bit (i mod 8), counted from the least
// significant, of byte i / 8. The script machine saves the bytes as they are, so that layout is
// part of its files.
#pragma once

#include <cstdint>

class BitArray {
public:
    BitArray() = default;
    virtual ~BitArray();
    BitArray(const BitArray&) = delete;
    BitArray& operator=(const BitArray&) = delete;

    // 0; 1 for n = 0; 2 out of memory (the array is then empty). The new bits are clear.
    std::int32_t Create(std::uint32_t n);
    void Free();
    // Copies raw bytes to the start: 0; 1 without bytes or source, or when length exceeds them.
    std::int32_t LoadBytes(const void* source, std::uint32_t length);
    // 0; 1 no bytes; 2 i out of range.
    std::int32_t Set(std::uint32_t i, bool value);
    bool Test(std::uint32_t i) const;
    // Counts every bit of every byte, the spare high bits of the last byte included.
    std::uint32_t CountSet() const;
    bool AllSet() const;

    std::uint32_t BitCount() const { return m_bitCount; }
    std::uint32_t ByteCount() const { return m_byteCount; }
    const std::uint8_t* Bytes() const { return m_bytes; }

private:
    std::uint32_t m_bitCount = 0;
    std::uint32_t m_byteCount = 0;
    std::uint8_t* m_bytes = nullptr;
};
