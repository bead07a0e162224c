#include "framework/archive/qpk_entry_stream.h"

#include <utility>

#include "framework/files/file_handle_io.h"
#include "framework/archive/qpk_scrambler.h"
#include "framework/archive/stream_seek.h"

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
    return MoveFilePointer(m_file, static_cast<std::int64_t>(target), FILE_BEGIN) ? 0 : 1;
}

std::int32_t XM_METHOD QpkEntryStream::SeekSet(std::uint32_t position) {
    return MoveTo(StreamSeek::FromStart(position, m_size));
}

std::int32_t XM_METHOD QpkEntryStream::SeekCur(std::int32_t distance) {
    return MoveTo(StreamSeek::FromCurrent(m_position, distance, m_size));
}

std::int32_t XM_METHOD QpkEntryStream::SeekEnd(std::uint32_t distanceBeforeEnd) {
    return MoveTo(StreamSeek::FromEnd(distanceBeforeEnd, m_size));
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
