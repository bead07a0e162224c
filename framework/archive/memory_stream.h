// A byte stream over a GlobalAlloc block, for files that were loaded whole.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/archive_interfaces.h"
#include "framework/interfaces/deleting_destructor.h"

class MemoryStream final : public WithDeletingDestructor<MemoryStream, ByteStream> {
public:
    MemoryStream() = default;
    ~MemoryStream();
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    // Takes a GlobalAlloc block of `size` bytes over: 0, or 10 when a block is already held.
    std::int32_t Attach(void* block, std::uint32_t size);

    std::uint32_t XM_METHOD Size() override { return m_size; }
    std::uint32_t XM_METHOD Tell() override;
    bool XM_METHOD IsEof() override { return Tell() == m_size; }
    std::int32_t XM_METHOD SeekSet(std::uint32_t position) override;
    std::int32_t XM_METHOD SeekCur(std::int32_t distance) override;
    std::int32_t XM_METHOD SeekEnd(std::uint32_t distanceBeforeEnd) override;
    std::uint32_t XM_METHOD Read(void* destination, std::uint32_t count) override;
    // Returns the block; with `release` set the stream forgets it (and reads nothing more).
    void* XM_METHOD Detach(std::uint8_t release) override;

private:
    std::uint8_t* m_block = nullptr;
    std::uint8_t* m_cursor = nullptr;
    std::uint32_t m_size = 0;
};
