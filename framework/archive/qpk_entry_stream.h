// A byte stream over one uncompressed entry of a QPK archive.
//
// The stream keeps the entry's head in memory (the common prefix and, in archives with
// scrambled heads, the descrambled first bytes after it) and reads the rest from the archive
// file through a handle of its own, so it never touches the archive's file pointer and may
// outlive the archive.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/interfaces/archive_interfaces.h"
#include "framework/interfaces/deleting_destructor.h"

class QpkEntryStream final : public WithDeletingDestructor<QpkEntryStream, ByteStream> {
public:
    // `file` is a handle of the stream's own on the archive; `dataOffset` the file offset of the
    // first entry byte after the head; `size` the entry's size; `head` its first `headLength`
    // bytes; `scrambled` the entry's flags (nonzero: bytes read from the file are descrambled).
    QpkEntryStream(HANDLE file, std::uint32_t dataOffset, std::uint32_t size,
                   std::unique_ptr<std::uint8_t[]> head, std::uint16_t headLength, std::uint8_t scrambled);
    ~QpkEntryStream();
    QpkEntryStream(const QpkEntryStream&) = delete;
    QpkEntryStream& operator=(const QpkEntryStream&) = delete;

    std::uint32_t XM_METHOD Size() override { return m_size; }
    std::uint32_t XM_METHOD Tell() override { return m_position; }
    bool XM_METHOD IsEof() override { return m_position == m_size; }
    std::int32_t XM_METHOD SeekSet(std::uint32_t position) override;
    std::int32_t XM_METHOD SeekCur(std::int32_t distance) override;
    std::int32_t XM_METHOD SeekEnd(std::uint32_t distanceBeforeEnd) override;
    std::uint32_t XM_METHOD Read(void* destination, std::uint32_t count) override;

private:
    // Records the position and moves the file to the matching byte: 0, or 1 when that fails.
    std::int32_t MoveTo(std::uint32_t position);

    HANDLE m_file;
    std::uint32_t m_position = 0;
    std::uint32_t m_dataOffset;
    std::uint32_t m_size;
    std::unique_ptr<std::uint8_t[]> m_head;
    std::uint16_t m_headLength;
    std::uint8_t m_scrambled;
};
