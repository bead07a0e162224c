#include "framework/qpk_entry_stream.h"

#include <utility>

#include "framework/qpk_scrambler.h"

QpkEntryStream::QpkEntryStream(HANDLE file, std::uint32_t dataOffset, std::uint32_t size,
                               std::unique_ptr<std::uint8_t[]> head, std::uint16_t headLength,
                               std::uint8_t scrambled)
    : m_file(file),
      m_dataOffset(dataOffset),
      m_size(size),
      m_head(std::move(head)),
      m_headLength(headLength),
      m_scrambled(scrambled) {}

QpkEntryStream::~QpkEntryStream() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
}

std::int32_t QpkEntryStream::MoveTo(std::uint32_t position) {
    m_position = position;
    std::uint64_t target = m_dataOffset;
    if (position > m_headLength) target += position - m_headLength;
    LONG high = static_cast<LONG>(target >> 32);
    DWORD result = SetFilePointer(m_file, static_cast<LONG>(target), &high, FILE_BEGIN);
    return result == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR ? 1 : 0;
}

std::int32_t XM_METHOD QpkEntryStream::SeekSet(std::uint32_t position) {
    return MoveTo(position < m_size ? position : m_size);
}

std::int32_t XM_METHOD QpkEntryStream::SeekCur(std::int32_t distance) {
    std::int64_t target = static_cast<std::int64_t>(m_position) + distance;
    if (target < 0) target = 0;
    if (target > m_size) target = m_size;
    return MoveTo(static_cast<std::uint32_t>(target));
}

std::int32_t XM_METHOD QpkEntryStream::SeekEnd(std::uint32_t distanceBeforeEnd) {
    return MoveTo(distanceBeforeEnd > m_size ? 0 : m_size - distanceBeforeEnd);
}

std::uint32_t XM_METHOD QpkEntryStream::Read(void* destination, std::uint32_t count) {
    if (!destination || m_position >= m_size) return 0;
    if (count > m_size - m_position) count = m_size - m_position;
    std::uint8_t* out = static_cast<std::uint8_t*>(destination);
    std::uint32_t delivered = 0;
    while (delivered < count && m_position < m_headLength) {
        out[delivered++] = m_head[m_position++];
    }
    if (delivered < count) {
        DWORD read = 0;
        if (ReadFile(m_file, out + delivered, count - delivered, &read, nullptr) && read > 0) {
            if (m_scrambled) QpkScrambler::DescrambleBytes(out + delivered, read);
            delivered += read;
            m_position += read;
        }
    }
    return delivered;
}
