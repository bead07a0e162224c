#include "framework/archive/handle_stream.h"

#include "framework/files/file_handle_io.h"
#include "framework/archive/stream_seek.h"

HandleStream::~HandleStream() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
}

std::int32_t HandleStream::Attach(HANDLE file) {
    if (m_file != INVALID_HANDLE_VALUE) return 10;
    m_file = file;
    m_position = 0;
    if (!FileSize32(file, &m_size)) {
        m_size = 0;
        return 10;
    }
    return 0;
}

std::int32_t XM_METHOD HandleStream::SeekSet(std::uint32_t position) {
    if (m_file == INVALID_HANDLE_VALUE) return 2;
    m_position = StreamSeek::FromStart(position, m_size);
    return MoveFilePointer(m_file, m_position, FILE_BEGIN) ? 0 : 1;
}

std::int32_t XM_METHOD HandleStream::SeekCur(std::int32_t distance) {
    if (m_file == INVALID_HANDLE_VALUE) return 2;
    const std::uint32_t target = StreamSeek::FromCurrent(m_position, distance, m_size);
    const std::int64_t applied = static_cast<std::int64_t>(target) - m_position;
    m_position = target;
    return MoveFilePointer(m_file, applied, FILE_CURRENT) ? 0 : 1;
}

std::int32_t XM_METHOD HandleStream::SeekEnd(std::uint32_t distanceBeforeEnd) {
    if (m_file == INVALID_HANDLE_VALUE) return 2;
    return SeekSet(StreamSeek::FromEnd(distanceBeforeEnd, m_size));
}

std::uint32_t XM_METHOD HandleStream::Read(void* destination, std::uint32_t count) {
    if (m_file == INVALID_HANDLE_VALUE || !destination) return 0;
    DWORD read = 0;
    if (!ReadFile(m_file, destination, count, &read, nullptr)) return 0;
    m_position += read;
    return read;
}
