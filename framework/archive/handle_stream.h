// A byte stream over a Win32 file handle, for plain files read without loading them whole.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/archive_interfaces.h"
#include "framework/interfaces/deleting_destructor.h"

class HandleStream final : public WithDeletingDestructor<HandleStream, ByteStream> {
public:
    HandleStream() = default;
    ~HandleStream();
    HandleStream(const HandleStream&) = delete;
    HandleStream& operator=(const HandleStream&) = delete;

    // Takes `file` over: 0, or 10 when a handle is already held (the new one is not taken) or
    // when the file's size cannot be read (the handle is kept and closed with the stream).
    std::int32_t Attach(HANDLE file);

    std::uint32_t XM_METHOD Size() override { return m_size; }
    std::uint32_t XM_METHOD Tell() override { return m_position; }
    bool XM_METHOD IsEof() override { return m_position == m_size; }
    std::int32_t XM_METHOD SeekSet(std::uint32_t position) override;
    std::int32_t XM_METHOD SeekCur(std::int32_t distance) override;
    std::int32_t XM_METHOD SeekEnd(std::uint32_t distanceBeforeEnd) override;
    std::uint32_t XM_METHOD Read(void* destination, std::uint32_t count) override;

private:
    HANDLE m_file = INVALID_HANDLE_VALUE;
    std::uint32_t m_size = 0;
    std::uint32_t m_position = 0;
};
