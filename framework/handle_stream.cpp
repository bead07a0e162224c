#include "framework/handle_stream.h"

HandleStream::~HandleStream() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
}

std::int32_t HandleStream::Attach(HANDLE file) {
    if (m_file != INVALID_HANDLE_VALUE) return 10;
    m_file = file;
    m_position = 0;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        m_size = 0;
        return 10;
    }
    // Files of 4 GB and more are beyond a 32-bit stream: it sees their first 4 GB - 1 bytes.
    m_size = high ? 0xFFFFFFFFu : low;
    return 0;
}

std::int32_t XM_METHOD HandleStream::SeekSet(std::uint32_t position) {
    if (m_file == INVALID_HANDLE_VALUE) return 2;
    if (position > m_size) position = m_size;
    m_position = position;
    LONG high = 0;
    DWORD result = SetFilePointer(m_file, static_cast<LONG>(position), &high, FILE_BEGIN);
    return result == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR ? 1 : 0;
}

std::int32_t XM_METHOD HandleStream::SeekCur(std::int32_t distance) {
    if (m_file == INVALID_HANDLE_VALUE) return 2;
    std::int64_t target = static_cast<std::int64_t>(m_position) + distance;
    if (target < 0) target = 0;
    if (target > m_size) target = m_size;
    std::int64_t applied = target - m_position;
    m_position = static_cast<std::uint32_t>(target);
    LONG high = static_cast<LONG>(applied >> 32);
    DWORD result = SetFilePointer(m_file, static_cast<LONG>(applied), &high, FILE_CURRENT);
    return result == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR ? 1 : 0;
}

std::int32_t XM_METHOD HandleStream::SeekEnd(std::uint32_t distanceBeforeEnd) {
    if (m_file == INVALID_HANDLE_VALUE) return 2;
    return SeekSet(distanceBeforeEnd > m_size ? 0 : m_size - distanceBeforeEnd);
}

std::uint32_t XM_METHOD HandleStream::Read(void* destination, std::uint32_t count) {
    if (m_file == INVALID_HANDLE_VALUE || !destination) return 0;
    DWORD read = 0;
    if (!ReadFile(m_file, destination, count, &read, nullptr)) return 0;
    m_position += read;
    return read;
}
