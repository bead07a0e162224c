// FileStreamBase: the table of the program's file object (FileStream), which crosses module
// boundaries: sound decoders in *.SLL plug-ins take over the stream they are given, read and seek
// it through this table and release it when they are destroyed.
//
// Layout, part of the contract: the table below in this order, slot 0 the deleting destructor
// (flags word, bit 0 frees the memory), every operation __thiscall except Printf, which is
// variadic and therefore __cdecl with the object as its first stack argument; then, right after
// the table pointer, the 32-bit count of holders beyond the first (HolderCount). A holder lets go
// with ReleaseObject: a nonzero count is lowered, else the object is deleted through slot 0.
// A stream is used by one thread at a time.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"
#include "framework/interfaces/holder_count.h"

class FileStreamBase : public HolderCount {
public:
    // Slot 0.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    virtual void* XM_METHOD Data() = 0;
    virtual const char* XM_METHOD FileName() = 0;
    virtual std::uint32_t XM_METHOD Size() = 0;
    virtual void XM_METHOD Release() = 0;
    virtual void XM_METHOD Close() = 0;
    virtual std::int32_t XM_METHOD LoadFile(const char* name) = 0;
    virtual std::int32_t XM_METHOD LoadFromMount(std::int32_t tag, std::int32_t index,
                                                 const char* name) = 0;
    virtual std::int32_t XM_METHOD OpenStream(const char* name) = 0;
    virtual std::int32_t XM_METHOD Tell() = 0;
    virtual bool XM_METHOD IsEof() = 0;
    virtual std::int32_t XM_METHOD SeekSet(std::int32_t distance) = 0;
    virtual std::int32_t XM_METHOD SeekCur(std::int32_t distance) = 0;
    virtual std::int32_t XM_METHOD SeekEnd(std::int32_t distance) = 0;
    virtual std::uint32_t XM_METHOD Read(void* destination, std::uint32_t count) = 0;
    virtual void* XM_METHOD Detach() = 0;
    virtual std::uint32_t XM_METHOD ReadLine(char* destination, std::uint32_t size) = 0;
    virtual std::int32_t XM_METHOD Create(const char* name, bool replace) = 0;
    virtual std::int32_t XM_METHOD OpenReadWrite(const char* name) = 0;
    virtual std::uint32_t XM_METHOD Write(const void* source, std::uint32_t count) = 0;
    virtual std::uint32_t XM_CDECL Printf(const char* format, ...) = 0;
    virtual std::int32_t XM_METHOD MakeTempCopy(const char* name) = 0;

protected:
    FileStreamBase() = default;
    ~FileStreamBase() = default;
};

// Releases one holder of a stream (null is allowed).
inline void ReleaseObject(FileStreamBase* stream) { ReleaseHeld(stream); }
