// The sound-decoder family: SoundDecodeObject (one per decoder, the built-in Ogg Vorbis decoder
// or a *.SLL plug-in), SoundDecoder (one per opened sound) and the exports of *.SLL plug-ins.
//
// Both objects may live in a plug-in DLL built by another compiler, so their layout is part of
// the contract: the tables below in this order, slot 0 the deleting destructor (flags word,
// bit 0 frees the memory), every operation __thiscall, none overloaded. A SoundDecoder carries a
// 32-bit holder count right after its table pointer (HolderCount).
// Ownership:
//  - the host owns each decode object and deletes it through slot 0 before it frees the
//    plug-in's library;
//  - SoundDecodeObject::Open is handed a FileStreamBase. When it accepts the data, the new
//    decoder takes the stream over and releases it (ReleaseObject) when it is destroyed; when it
//    refuses, the stream stays the caller's, open and back at its start;
//  - whoever asked for a decoder owns it and deletes it through slot 0, before the decode object
//    that made it goes.
// Exceptions never cross the boundary: an object reports failures through its results.
// A decoder is used by one thread at a time (a streaming sound buffer reads it on its refill
// thread); a decode object's Open may be called from any thread that plays sound.
#pragma once

#include <windows.h>
#include <mmreg.h>

#include <cstdint>
#include <memory>

#include "framework/interfaces/cross_module.h"
#include "framework/interfaces/file_stream_interface.h"
#include "framework/interfaces/holder_count.h"

// Results of SoundDecoderHost::OpenDecoder.
enum ESllErrorCode : std::int32_t {
    kSllOk = 0,
    kSllNoDecoder = 1,      // no decoder accepted the file
    kSllCannotOpen = 3,     // the file does not open
    kSllNoStream = 5,       // no stream was given to a decode object
    kSllOutOfMemory = 8,
    kSllFailed = 12,        // any other failure
};

// Results of SoundDecoder::Seek.
enum : std::int32_t { kSoundSeekDone = 0, kSoundSeekPastEnd = 5, kSoundSeekFailed = 6 };

class SoundDecoder : public HolderCount {
public:
    // Slot 0: ends decoding and releases the stream.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    // Length of the sound in milliseconds.
    virtual std::uint32_t XM_METHOD Length() = 0;
    // Total size of the decoded PCM data in bytes (frames x block alignment).
    virtual std::uint32_t XM_METHOD DataSize() = 0;
    // kSoundSeekDone (the end flag is cleared), kSoundSeekPastEnd at or beyond the length,
    // kSoundSeekFailed.
    virtual std::int32_t XM_METHOD Seek(std::uint32_t milliseconds) = 0;
    // Current position in milliseconds.
    virtual std::int64_t XM_METHOD Tell() = 0;
    // Nonzero once decoding has reached the end of the data.
    virtual std::uint8_t XM_METHOD IsAtEnd() = 0;
    // Bytes written to `buffer`, at most `count`; 0 at the end.
    virtual std::uint32_t XM_METHOD Read(void* buffer, std::uint32_t count) = 0;
    // The PCM format; it lives as long as the decoder.
    virtual const WAVEFORMATEX* XM_METHOD Format() = 0;

protected:
    SoundDecoder() = default;
    ~SoundDecoder() = default;
};

class SoundDecodeObject {
public:
    // Slot 0.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    // A new decoder for the stream's data, or null when the data is refused. `outCode`, when
    // given, receives the decode object's own code (0 on success).
    virtual SoundDecoder* XM_METHOD Open(FileStreamBase* stream, std::int32_t* outCode) = 0;
    // Two operations that the host never calls; what they do is a plug-in's own.
    virtual std::int32_t XM_METHOD ReservedSlot2() { return -2; }
    virtual std::int32_t XM_METHOD ReservedSlot3(std::int32_t value) { return -2; }

protected:
    SoundDecodeObject() = default;
    ~SoundDecodeObject() = default;
};

// Deletes a decoder through slot 0 (null is allowed).
struct SoundDecoderDeleter {
    void operator()(SoundDecoder* decoder) const {
        if (decoder) decoder->DeletingDestructor(xm::kDeleteMemory);
    }
};
using SoundDecoderPtr = std::unique_ptr<SoundDecoder, SoundDecoderDeleter>;

// Exports of a *.SLL plug-in, each called without arguments. Required ones, looked up in this
// order:
typedef std::int32_t (XM_CDECL* GetSllTypeFunc)();
typedef const char* (XM_CDECL* GetSllTypeStringFunc)();
// Upper-case extensions without dots, each NUL-terminated, the list ended by an empty string.
typedef const char* (XM_CDECL* GetSllSupportExtFunc)();
// Decoder-wide option functions: the host keeps them; script commands call the second with a
// pointer to their remaining argument words.
typedef std::int32_t (XM_CDECL* SllAssistFuncPtr)(std::int32_t option, ...);
typedef std::int32_t (XM_CDECL* SllAssistFunc2Ptr)(const void* argumentWords);
// The plug-in's decode object, which the host then owns; null fails the load.
typedef SoundDecodeObject* (XM_CDECL* GetSllDecodeObjectFunc)();
// Optional: the decoder's configuration dialog, kept but never called by the host.
typedef std::int32_t (XM_CDECL* SllConfigDlgFunc)(HWND parent, std::int32_t function);
