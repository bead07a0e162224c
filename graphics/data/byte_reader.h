// Bounded little-endian reading over a loaded animation file: every read and seek checks the
// bytes left, so a count or offset from the file can never carry a read past its end.
#pragma once

#include <cstdint>
#include <cstring>

#include "framework/files/file_stream.h"

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::uint32_t size) : m_data(data), m_size(size) {}

    std::uint32_t Left() const { return m_size - m_position; }
    std::uint32_t Position() const { return m_position; }
    // False, moving nothing, past the end.
    bool SeekSet(std::uint32_t position) {
        if (position > m_size) return false;
        m_position = position;
        return true;
    }
    bool Skip(std::uint32_t count) {
        if (count > Left()) return false;
        m_position += count;
        return true;
    }
    // False, reading nothing, when fewer than count bytes are left.
    bool Read(void* out, std::uint32_t count) {
        if (count > Left()) return false;
        if (count) std::memcpy(out, m_data + m_position, count);
        m_position += count;
        return true;
    }
    template <class T>
    bool ReadValue(T* out) {
        return Read(out, sizeof(T));
    }
    // The next count bytes in place, or null when fewer are left.
    const std::uint8_t* Take(std::uint32_t count) {
        if (count > Left()) return nullptr;
        const std::uint8_t* at = m_data + m_position;
        m_position += count;
        return at;
    }
    // True when count records of recordSize bytes each fit in what is left (count may come
    // straight from the file: negative never fits).
    bool Holds(std::int32_t count, std::uint32_t recordSize) const {
        return count >= 0 && static_cast<std::uint32_t>(count) <= Left() / recordSize;
    }

private:
    const std::uint8_t* m_data;
    std::uint32_t m_size;
    std::uint32_t m_position = 0;
};

// Loads path whole through the file system and hands its bytes to parse(data, size); 1 when the
// file cannot be loaded, else parse's result.
template <class Parse>
std::int32_t ParseWholeFile(const char* path, Parse parse) {
    if (!path) return 1;
    FileStream stream;
    if (stream.LoadFile(path) != 0) return 1;
    return parse(static_cast<const std::uint8_t*>(stream.Data()), stream.Size());
}
