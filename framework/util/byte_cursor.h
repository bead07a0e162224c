// ByteCursor: a position inside a block of memory that knows where the block ends. Savers write
// through it and loaders read through it; every call checks the end first, so a short or damaged
// block fails cleanly instead of running past its memory. Integers are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class ByteCursor {
public:
    // A cursor that reads and writes `size` bytes from `data` on.
    ByteCursor(void* data, std::size_t size)
        : m_position(static_cast<std::uint8_t*>(data)), m_end(m_position + size), m_writable(true) {}
    // A cursor that only reads: its writes fail.
    ByteCursor(const void* data, std::size_t size)
        : m_position(static_cast<std::uint8_t*>(const_cast<void*>(data))),
          m_end(m_position + size),
          m_writable(false) {}

    std::size_t Remaining() const { return static_cast<std::size_t>(m_end - m_position); }
    const std::uint8_t* Position() const { return m_position; }

    // Each read or write moves the cursor only when the whole value fits before the end.
    bool Skip(std::size_t bytes) {
        if (bytes > Remaining()) return false;
        m_position += bytes;
        return true;
    }
    bool ReadBytes(void* out, std::size_t bytes) {
        if (bytes > Remaining()) return false;
        std::memcpy(out, m_position, bytes);
        m_position += bytes;
        return true;
    }
    bool ReadU8(std::uint8_t& value) { return ReadBytes(&value, 1); }
    bool ReadU32(std::uint32_t& value) {
        std::uint8_t bytes[4];
        if (!ReadBytes(bytes, 4)) return false;
        value = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
                (static_cast<std::uint32_t>(bytes[2]) << 16) |
                (static_cast<std::uint32_t>(bytes[3]) << 24);
        return true;
    }
    bool ReadI32(std::int32_t& value) {
        std::uint32_t raw;
        if (!ReadU32(raw)) return false;
        value = static_cast<std::int32_t>(raw);
        return true;
    }

    bool WriteBytes(const void* data, std::size_t bytes) {
        if (!m_writable || bytes > Remaining()) return false;
        if (bytes) std::memcpy(m_position, data, bytes);
        m_position += bytes;
        return true;
    }
    bool WriteU8(std::uint8_t value) { return WriteBytes(&value, 1); }
    bool WriteU32(std::uint32_t value) {
        const std::uint8_t bytes[4] = {
            static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
        return WriteBytes(bytes, 4);
    }
    bool WriteI32(std::int32_t value) { return WriteU32(static_cast<std::uint32_t>(value)); }

private:
    std::uint8_t* m_position;
    std::uint8_t* m_end;
    bool m_writable;
};
