#include "framework/archive/memory_stream.h"

#include <cstring>

#include "framework/archive/stream_seek.h"

MemoryStream::~MemoryStream() {
    if (m_block) GlobalFree(m_block);
}

std::int32_t MemoryStream::Attach(void* block, std::uint32_t size) {
    if (m_block) return 10;
    m_block = static_cast<std::uint8_t*>(block);
    m_cursor = m_block;
    m_size = size;
    return 0;
}

std::uint32_t XM_METHOD MemoryStream::Tell() {
    return static_cast<std::uint32_t>(m_cursor - m_block);
}

std::int32_t XM_METHOD MemoryStream::SeekSet(std::uint32_t position) {
    if (!m_block) return 1;
    m_cursor = m_block + StreamSeek::FromStart(position, m_size);
    return 0;
}

std::int32_t XM_METHOD MemoryStream::SeekCur(std::int32_t distance) {
    if (!m_block) return 1;
    m_cursor = m_block + StreamSeek::FromCurrent(Tell(), distance, m_size);
    return 0;
}

std::int32_t XM_METHOD MemoryStream::SeekEnd(std::uint32_t distanceBeforeEnd) {
    if (!m_block) return 1;
    m_cursor = m_block + StreamSeek::FromEnd(distanceBeforeEnd, m_size);
    return 0;
}

std::uint32_t XM_METHOD MemoryStream::Read(void* destination, std::uint32_t count) {
    if (!m_block || !destination) return 0;
    std::uint32_t left = m_size - Tell();
    if (count > left) count = left;
    // The C runtime's memcpy is slow for the small reads that parsers make: copy those here.
    if (count > 64) {
        std::memcpy(destination, m_cursor, count);
    } else {
        std::uint8_t* out = static_cast<std::uint8_t*>(destination);
        for (std::uint32_t i = 0; i < count; ++i) out[i] = m_cursor[i];
    }
    m_cursor += count;
    return count;
}

void* XM_METHOD MemoryStream::Detach(std::uint8_t release) {
    void* block = m_block;
    if (release) {
        m_block = nullptr;
        m_cursor = nullptr;
    }
    return block;
}
