#include "framework/files/file_handle_io.h"

bool FileSize32(HANDLE file, std::uint32_t* outSize) {
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    *outSize = high ? 0xFFFFFFFFu : low;
    return true;
}

bool MoveFilePointer(HANDLE file, std::int64_t distance, DWORD method) {
    LONG high = static_cast<LONG>(distance >> 32);
    const DWORD moved = SetFilePointer(file, static_cast<LONG>(distance), &high, method);
    // INVALID_SET_FILE_POINTER is also the low word of a valid position.
    return moved != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
}

bool ReadExactly(HANDLE file, void* destination, std::uint32_t count) {
    DWORD read = 0;
    return ReadFile(file, destination, count, &read, nullptr) && read == count;
}
