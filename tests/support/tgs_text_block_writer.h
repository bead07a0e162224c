// Writes scenario text as the TGS frame's text output holds it: Shift-JIS characters and in-text
// command blocks (0x00 '[', the length counted from the length field to the block's end, the
// operation number, the argument count, then per argument a type byte and a 32-bit value, or for
// string types (bit value 2) a 32-bit byte count and the bytes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>


namespace testsupport {

struct TgsTextArgument {
    std::uint8_t type = 1;
    std::uint32_t value = 0;
    std::string bytes;  // string types: the text with its closing zero
};

class TgsTextWriter {
public:
    // Shift-JIS text (the program's string literals are Shift-JIS already).
    TgsTextWriter& Text(const std::string& sjis) {
        m_bytes.insert(m_bytes.end(), sjis.begin(), sjis.end());
        return *this;
    }
    TgsTextWriter& Raw(const std::vector<std::uint8_t>& bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // A command block; lengthField >= 0 replaces the length written (damaged blocks).
    TgsTextWriter& Command(std::uint32_t op, const std::vector<TgsTextArgument>& arguments = {},
                           std::int64_t lengthField = -1) {
        std::vector<std::uint8_t> block = {0x00, '[', 0, 0, 0, 0};
        Word(block, op);
        Word(block, static_cast<std::uint32_t>(arguments.size()));
        for (const TgsTextArgument& a : arguments) {
            block.push_back(a.type);
            if ((a.type & 2) != 0) {
                Word(block, static_cast<std::uint32_t>(a.bytes.size()));
                block.insert(block.end(), a.bytes.begin(), a.bytes.end());
            } else {
                Word(block, a.value);
            }
        }
        const std::uint32_t length = lengthField >= 0 ? static_cast<std::uint32_t>(lengthField)
                                                      : static_cast<std::uint32_t>(block.size() - 2);
        for (int i = 0; i < 4; ++i) block[2 + i] = static_cast<std::uint8_t>(length >> (8 * i));
        m_bytes.insert(m_bytes.end(), block.begin(), block.end());
        return *this;
    }
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    const char* Data() const { return reinterpret_cast<const char*>(m_bytes.data()); }
    std::int32_t Size() const { return static_cast<std::int32_t>(m_bytes.size()); }
    // The bytes with two closing zeros, as a window's copy of its message holds them.
    std::vector<char> Closed() const {
        std::vector<char> out(m_bytes.begin(), m_bytes.end());
        out.push_back(0);
        out.push_back(0);
        return out;
    }

private:
    static void Word(std::vector<std::uint8_t>& out, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    std::vector<std::uint8_t> m_bytes;
};

}  // namespace testsupport
