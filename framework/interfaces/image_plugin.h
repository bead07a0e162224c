// The image-loader family: ImageLoadObject, the callbacks it is handed, and the exports of
// *.GLL image plug-ins.
//
// An ImageLoadObject may live in a plug-in DLL built by another compiler, so its layout is part
// of the contract: the table of operations below in this order (slot 0 the deleting destructor
// with its flags word, every operation __thiscall), then a 32-bit holder count (the number of
// holders beyond the first, the HolderCount base at offset 4), then the loader's own state.
// Ownership: the host holds one reference on each loader it registers and releases it with
// ReleaseObject (a nonzero count is lowered, else the object is deleted through slot 0) before
// it frees the plug-in's library. Every block that crosses the boundary (the info and bits
// blocks of a decode, the extra data) is a GlobalAlloc(GMEM_FIXED) block, freed with GlobalFree
// by whoever holds it last. A loader is used by one thread at a time.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/cross_module.h"
#include "framework/interfaces/holder_count.h"

// Results of image loaders and of the host's decoding operations.
enum EGllErrorCode : std::int32_t {
    kGllCancelled = -1,          // the progress callback asked to stop
    kGllNotOffered = -2,         // the loader does not offer this operation
    kGllOk = 0,
    kGllNotThisFormat = 1,
    kGllUnsupportedVariant = 2,
    kGllBadData = 3,             // broken data, a missing data pointer, an unsupported depth
    kGllMissingArgument = 4,
    kGllOutOfMemory = 6,
    kGllConversionFailed = 9,
};

// The largest picture buffer a loader or the host makes: larger sizes would overflow the 32-bit
// sizes of the blocks and of the allocators' arithmetic.
constexpr std::uint64_t kGllMaxImageBytes = 0x7FFFFFFF;

// Destination of a decode: returns the top row of a top-down pixel buffer of `height` rows,
// stores the row stride in bytes in *outStride and, when `outPalette` is given (8-bit
// palettised output), the address of a 256-entry table of 32-bit entries that the decoder then
// fills. Null when it cannot allocate.
typedef void* (XM_CDECL* GllAllocator)(std::int32_t width, std::int32_t height,
                                        std::int32_t bitsPerPixel, std::int32_t hasAlpha,
                                        std::int32_t* outStride, std::uint32_t** outPalette,
                                        void* argument);
// Undoes what the allocator made for `argument` after a failed decode.
typedef void (XM_CDECL* GllRelease)(void* argument);
// Progress of a decode or an encode; nonzero asks to stop.
typedef std::int32_t (XM_CDECL* GllProgress)(std::int32_t done, std::int32_t total,
                                             void* argument);
// Appends `count` bytes to the output of an encode; returns the number written.
typedef std::uint32_t (XM_CDECL* GllWriter)(const void* bytes, std::uint32_t count,
                                            void* argument);

class ImageLoadObject : public HolderCount {
public:
    // Slot 0.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    // True when the data looks like this loader's format; `name` may be null.
    virtual bool XM_METHOD IsSupported(const void* data, std::uint32_t size, const char* name) = 0;
    // Decodes into the allocator's buffer: 32-bit 0xAARRGGBB pixels, or 8-bit pixels (palette
    // indices, or grey for pictures without a palette) when `want8Bit` is set.
    virtual std::int32_t XM_METHOD DecodeWithCallbacks(const void* data, std::uint32_t size,
                                                       GllAllocator allocator, void* argument,
                                                       std::uint8_t want8Bit,
                                                       GllProgress progress,
                                                       void* progressArgument) = 0;
    // Decodes into two GlobalAlloc blocks: a BITMAPINFOHEADER with its colour table, and the
    // bottom-up bits. With both outs null the blocks stay with the loader until its next decode.
    virtual std::int32_t XM_METHOD DecodeToBuffers(const void* data, std::uint32_t size,
                                                   HGLOBAL* outInfo, HGLOBAL* outBits,
                                                   GllProgress progress,
                                                   void* progressArgument) = 0;
    // Writes a picture through `write`; the meaning of `mode` is the format's own.
    virtual std::int32_t XM_METHOD Encode(std::int32_t mode, const void* pixels,
                                          std::int32_t width, std::int32_t height,
                                          std::int32_t bitDepth, std::int32_t sourceStride,
                                          GllWriter write, void* writeArgument,
                                          const std::uint32_t* palette, GllProgress progress,
                                          void* progressArgument) = 0;
    virtual void XM_METHOD FreeBuffers() {
        if (m_info) GlobalFree(m_info);
        if (m_bits) GlobalFree(m_bits);
        m_info = nullptr;
        m_bits = nullptr;
    }
    virtual void XM_METHOD SetOrigin(std::int32_t x, std::int32_t y) {
        m_originX = x;
        m_originY = y;
    }
    virtual std::int32_t XM_METHOD OriginX() { return m_originX; }
    virtual std::int32_t XM_METHOD OriginY() { return m_originY; }
    virtual std::int32_t XM_METHOD Spare1() { return kGllNotOffered; }
    virtual std::int32_t XM_METHOD Spare2() { return kGllNotOffered; }
    // The extra data of the last decode (a GlobalAlloc block) or null; with `release` set the
    // caller owns it from now on.
    virtual void* XM_METHOD TakeExtraData(std::uint8_t release) {
        void* data = m_extraData;
        if (release) {
            m_extraData = nullptr;
            m_extraSize = 0;
        }
        return data;
    }
    virtual std::uint32_t XM_METHOD ExtraDataSize() { return m_extraSize; }
    virtual bool XM_METHOD CanEncode() { return false; }
    virtual std::int32_t XM_METHOD Spare3() { return kGllNotOffered; }
    virtual std::int32_t XM_METHOD Spare4() { return kGllNotOffered; }

    // The size of the last decode's two blocks together, and its bits' row stride.
    std::uint32_t TotalSize() const { return m_totalSize; }
    std::int32_t Stride() const { return m_stride; }

protected:
    ImageLoadObject() = default;
    ~ImageLoadObject() = default;

    // Ends a DecodeToBuffers: after success both blocks go to the caller when it asked for
    // them (else they stay with the loader until its next decode); after a failure they are
    // freed.
    void SettleBuffers(std::int32_t code, HGLOBAL* outInfo, HGLOBAL* outBits) {
        if (code != kGllOk) {
            FreeBuffers();
        } else if (outInfo) {
            *outInfo = m_info;
            *outBits = m_bits;
            m_info = nullptr;
            m_bits = nullptr;
        }
    }

    // Frees the extra data of the last decode.
    void FreeExtraData() {
        if (m_extraData) GlobalFree(m_extraData);
        m_extraData = nullptr;
        m_extraSize = 0;
    }

    HGLOBAL m_info = nullptr;
    HGLOBAL m_bits = nullptr;
    std::uint32_t m_totalSize = 0;
    std::int32_t m_stride = 0;
    std::int32_t m_originX = 0;
    std::int32_t m_originY = 0;
    void* m_extraData = nullptr;
    std::uint32_t m_extraSize = 0;
};

// Releases one holder of a loader (null is allowed).
inline void ReleaseObject(ImageLoadObject* loader) { ReleaseHeld(loader); }

// Exports of a *.GLL plug-in. Required ones, looked up in this order:
typedef std::int32_t (XM_CDECL* GetGllTypeFunc)();
typedef const char* (XM_CDECL* GetGllTypeStringFunc)();
// Upper-case extensions without dots, each NUL-terminated, the list ended by an empty string.
typedef const char* (XM_CDECL* GetGllSupportExtFunc)();
// Format-wide option functions that the host only keeps; what they take is the plug-in's own.
typedef std::int32_t (XM_CDECL* GllAssistFuncPtr)(std::int32_t option, ...);
typedef std::int32_t (XM_CDECL* GllAssistFunc2Ptr)(const void* record);
// Returns the plug-in's loader, on which the host then holds one reference.
typedef ImageLoadObject* (XM_CDECL* GetGllLoadObjectFunc)();
// Optional: the loader's configuration dialog.
typedef std::int32_t (XM_CDECL* GllConfigDlgFunc)(HWND parent, std::int32_t function);
