// FileStream: the program's file object. It reads a file through the VirtualFileSystem, loaded
// whole into memory (LoadFile, LoadFromMount) or as a stream (OpenStream), and writes plain
// files through a Win32 handle (Create, OpenReadWrite). MakeTempCopy turns any readable file,
// an archive entry included, into a plain temporary "ZLF" copy that outside code can open by
// path; Close deletes it. Every open or load first closes what the object held; a failed one
// leaves it closed with an empty name. An object is used by one thread at a time.
// Its table is FileStreamBase, which sound decoders in other modules call: a FileStream handed
// over to one is released with ReleaseObject, so it must then have been made with new.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/archive_interfaces.h"
#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/file_stream_interface.h"
#include "framework/files/path_utilities.h"

class FileStream final : public WithDeletingDestructor<FileStream, FileStreamBase> {
public:
    FileStream() = default;
    ~FileStream();
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    // The memory image of a loaded file (still the stream's), else null.
    void* XM_METHOD Data() override;
    // The resolved path of the open file; empty when closed.
    const char* XM_METHOD FileName() override { return m_name; }
    std::uint32_t XM_METHOD Size() override { return m_size; }
    // Both close the file (and delete a temporary copy).
    void XM_METHOD Release() override;
    void XM_METHOD Close() override;
    // 0, or the VirtualFileSystem code; 1 without a file system; 8 out of memory.
    std::int32_t XM_METHOD LoadFile(const char* name) override;
    std::int32_t XM_METHOD LoadFromMount(std::int32_t tag, std::int32_t index,
                                         const char* name) override;
    // Streams a plain file or a stored archive entry (a compressed entry gives 3).
    std::int32_t XM_METHOD OpenStream(const char* name) override;
    // -1 when nothing is open.
    std::int32_t XM_METHOD Tell() override;
    bool XM_METHOD IsEof() override;
    // With a stream, as the stream's seeks (SeekEnd: distance before the end). With a handle,
    // SetFilePointer from the start, the current position or the end with the distance as it
    // is: 0, 6 when it fails; 3 when nothing is open.
    std::int32_t XM_METHOD SeekSet(std::int32_t distance) override;
    std::int32_t XM_METHOD SeekCur(std::int32_t distance) override;
    std::int32_t XM_METHOD SeekEnd(std::int32_t distance) override;
    std::uint32_t XM_METHOD Read(void* destination, std::uint32_t count) override;
    // Hands the loaded memory block (GlobalAlloc) to the caller, or null.
    void* XM_METHOD Detach() override;
    // Loaded files only. With a destination: copies the next line (up to CR LF or the end of
    // the data, a final 0x1A dropped) when it fits in size - 1 characters, moves past it and
    // returns the bytes passed over; 0 when it does not fit (nothing moves) or at the end.
    // Without one: the buffer size the next line needs (0 at the end); nothing moves.
    std::uint32_t XM_METHOD ReadLine(char* destination, std::uint32_t size) override;
    // Plain paths only: 0, 3 cannot create or open, 5 bad name, 10 size unreadable.
    std::int32_t XM_METHOD Create(const char* name, bool replace) override;
    std::int32_t XM_METHOD OpenReadWrite(const char* name) override;
    // Bytes written; 0 without a handle or source.
    std::uint32_t XM_METHOD Write(const void* source, std::uint32_t count) override;
    // Writes the whole formatted text (no length limit); bytes written.
    std::uint32_t XM_CDECL Printf(const char* format, ...) override;
    // 0, or the load code; 10 no temporary name; 3 the copy cannot be made.
    std::int32_t XM_METHOD MakeTempCopy(const char* name) override;

private:
    // Ends a load that gave `code`: on failure closes and passes the code on; else a memory
    // stream over the loaded block, or 8 when it cannot be made (the block is freed).
    std::int32_t FinishLoad(std::int32_t code, void* block, std::uint32_t size);
    // Resolves the name and opens a handle for `access`: 0, 5 bad name, 3 cannot open.
    std::int32_t OpenHandle(const char* name, DWORD access, DWORD disposition);

    char m_name[kPathCapacity] = "";
    std::uint32_t m_size = 0;
    ByteStream* m_stream = nullptr;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    bool m_deleteOnClose = false;
};
