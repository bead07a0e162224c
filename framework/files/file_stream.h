// FileStream: the program's file object. It reads a file through the VirtualFileSystem, loaded
// whole into memory (LoadFile, LoadFromMount) or as a stream (OpenStream), and writes plain
// files through a Win32 handle (Create, OpenReadWrite). MakeTempCopy turns any readable file,
// an archive entry included, into a plain temporary "ZLF" copy that outside code can open by
// path; Close deletes it. Every open or load first closes what the object held; a failed one
// leaves it closed with an empty name. An object is used by one thread at a time.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/archive_interfaces.h"
#include "framework/files/path_utilities.h"

// The operations of a file object, in their table order.
class FileStreamBase {
public:
    virtual ~FileStreamBase() = default;
    virtual void* Data() = 0;
    virtual const char* FileName() = 0;
    virtual std::uint32_t Size() = 0;
    virtual void Release() = 0;
    virtual void Close() = 0;
    virtual std::int32_t LoadFile(const char* name) = 0;
    virtual std::int32_t LoadFromMount(std::int32_t tag, std::int32_t index, const char* name) = 0;
    virtual std::int32_t OpenStream(const char* name) = 0;
    virtual std::int32_t Tell() = 0;
    virtual bool IsEof() = 0;
    virtual std::int32_t SeekSet(std::int32_t distance) = 0;
    virtual std::int32_t SeekCur(std::int32_t distance) = 0;
    virtual std::int32_t SeekEnd(std::int32_t distance) = 0;
    virtual std::uint32_t Read(void* destination, std::uint32_t count) = 0;
    virtual void* Detach() = 0;
    virtual std::uint32_t ReadLine(char* destination, std::uint32_t size) = 0;
    virtual std::int32_t Create(const char* name, bool replace) = 0;
    virtual std::int32_t OpenReadWrite(const char* name) = 0;
    virtual std::uint32_t Write(const void* source, std::uint32_t count) = 0;
    virtual std::uint32_t Printf(const char* format, ...) = 0;
    virtual std::int32_t MakeTempCopy(const char* name) = 0;
};

class FileStream : public FileStreamBase {
public:
    FileStream() = default;
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    // The memory image of a loaded file (still the stream's), else null.
    void* Data() override;
    // The resolved path of the open file; empty when closed.
    const char* FileName() override { return m_name; }
    std::uint32_t Size() override { return m_size; }
    // Both close the file (and delete a temporary copy).
    void Release() override;
    void Close() override;
    // 0, or the VirtualFileSystem code; 1 without a file system; 8 out of memory.
    std::int32_t LoadFile(const char* name) override;
    std::int32_t LoadFromMount(std::int32_t tag, std::int32_t index, const char* name) override;
    // Streams a plain file or a stored archive entry (a compressed entry gives 3).
    std::int32_t OpenStream(const char* name) override;
    // -1 when nothing is open.
    std::int32_t Tell() override;
    bool IsEof() override;
    // With a stream, as the stream's seeks (SeekEnd: distance before the end). With a handle,
    // SetFilePointer from the start, the current position or the end with the distance as it
    // is: 0, 6 when it fails; 3 when nothing is open.
    std::int32_t SeekSet(std::int32_t distance) override;
    std::int32_t SeekCur(std::int32_t distance) override;
    std::int32_t SeekEnd(std::int32_t distance) override;
    std::uint32_t Read(void* destination, std::uint32_t count) override;
    // Hands the loaded memory block (GlobalAlloc) to the caller, or null.
    void* Detach() override;
    // Loaded files only. With a destination: copies the next line (up to CR LF or the end of
    // the data, a final 0x1A dropped) when it fits in size - 1 characters, moves past it and
    // returns the bytes passed over; 0 when it does not fit (nothing moves) or at the end.
    // Without one: the buffer size the next line needs (0 at the end); nothing moves.
    std::uint32_t ReadLine(char* destination, std::uint32_t size) override;
    // Plain paths only: 0, 3 cannot create or open, 5 bad name, 10 size unreadable.
    std::int32_t Create(const char* name, bool replace) override;
    std::int32_t OpenReadWrite(const char* name) override;
    // Bytes written; 0 without a handle or source.
    std::uint32_t Write(const void* source, std::uint32_t count) override;
    // Writes the whole formatted text (no length limit); bytes written.
    std::uint32_t Printf(const char* format, ...) override;
    // 0, or the load code; 10 no temporary name; 3 the copy cannot be made.
    std::int32_t MakeTempCopy(const char* name) override;

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
