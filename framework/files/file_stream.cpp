#include "framework/files/file_stream.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "framework/files/global_alloc_block.h"
#include "framework/archive/memory_stream.h"
#include "framework/files/virtual_file_system.h"

FileStream::~FileStream() { Close(); }

void* XM_METHOD FileStream::Data() { return m_stream ? m_stream->Detach(0) : nullptr; }

void XM_METHOD FileStream::Release() { Close(); }

void XM_METHOD FileStream::Close() {
    ReleaseObject(m_stream);
    m_stream = nullptr;
    if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    if (m_deleteOnClose) DeleteFileA(m_name);
    m_deleteOnClose = false;
    m_name[0] = '\0';
    m_size = 0;
}

std::int32_t FileStream::FinishLoad(std::int32_t code, void* block, std::uint32_t size) {
    if (code != kAdlOk) {
        Close();
        return code;
    }
    MemoryStream* stream = new (std::nothrow) MemoryStream;
    if (!stream) {
        if (block) GlobalFree(block);
        Close();
        return kAdlOutOfMemory;
    }
    // An empty file has no block: the stream then reads nothing.
    if (block) stream->Attach(block, size);
    m_stream = stream;
    m_size = size;
    return kAdlOk;
}

std::int32_t XM_METHOD FileStream::LoadFile(const char* name) {
    Close();
    if (!g_virtualFileSystem) return 1;
    GlobalBlock pair;
    const std::int32_t code =
        g_virtualFileSystem->LoadFile(name, GlobalAllocBlock, GlobalFreeBlock, &pair, m_name);
    return FinishLoad(code, pair.block, pair.size);
}

std::int32_t XM_METHOD FileStream::LoadFromMount(std::int32_t tag, std::int32_t index,
                                              const char* name) {
    Close();
    if (!g_virtualFileSystem) return 1;
    GlobalBlock pair;
    const std::int32_t code = g_virtualFileSystem->ExtractFromMount(
        tag, index, name, GlobalAllocBlock, GlobalFreeBlock, &pair, m_name);
    return FinishLoad(code, pair.block, pair.size);
}

std::int32_t XM_METHOD FileStream::OpenStream(const char* name) {
    Close();
    if (!g_virtualFileSystem) return 1;
    std::int32_t code = kAdlNotFound;
    m_stream = g_virtualFileSystem->OpenFile(name, m_name, &code, false);
    if (!m_stream) {
        Close();
        return code;
    }
    m_size = m_stream->Size();
    return kAdlOk;
}

std::int32_t XM_METHOD FileStream::Tell() {
    if (m_stream) return static_cast<std::int32_t>(m_stream->Tell());
    if (m_handle != INVALID_HANDLE_VALUE) {
        return static_cast<std::int32_t>(SetFilePointer(m_handle, 0, nullptr, FILE_CURRENT));
    }
    return -1;
}

bool XM_METHOD FileStream::IsEof() {
    if (m_stream) return m_stream->IsEof();
    if (m_handle != INVALID_HANDLE_VALUE) {
        return SetFilePointer(m_handle, 0, nullptr, FILE_CURRENT) == m_size;
    }
    return true;
}

namespace {

std::int32_t SeekHandle(HANDLE handle, std::int32_t distance, DWORD method) {
    if (handle == INVALID_HANDLE_VALUE) return 3;
    return SetFilePointer(handle, distance, nullptr, method) == INVALID_SET_FILE_POINTER ? 6 : 0;
}

}  // namespace

std::int32_t XM_METHOD FileStream::SeekSet(std::int32_t distance) {
    if (m_stream) return m_stream->SeekSet(static_cast<std::uint32_t>(distance));
    return SeekHandle(m_handle, distance, FILE_BEGIN);
}

std::int32_t XM_METHOD FileStream::SeekCur(std::int32_t distance) {
    if (m_stream) return m_stream->SeekCur(distance);
    return SeekHandle(m_handle, distance, FILE_CURRENT);
}

std::int32_t XM_METHOD FileStream::SeekEnd(std::int32_t distance) {
    if (m_stream) return m_stream->SeekEnd(static_cast<std::uint32_t>(distance));
    return SeekHandle(m_handle, distance, FILE_END);
}

std::uint32_t XM_METHOD FileStream::Read(void* destination, std::uint32_t count) {
    if (m_stream) return m_stream->Read(destination, count);
    DWORD read = 0;
    if (m_handle == INVALID_HANDLE_VALUE || !destination ||
        !ReadFile(m_handle, destination, count, &read, nullptr)) {
        return 0;
    }
    return read;
}

void* XM_METHOD FileStream::Detach() {
    if (!m_stream) return nullptr;
    void* block = m_stream->Detach(1);
    ReleaseObject(m_stream);
    m_stream = nullptr;
    return block;
}

std::uint32_t XM_METHOD FileStream::ReadLine(char* destination, std::uint32_t size) {
    const char* data = static_cast<const char*>(Data());
    if (!data) return 0;
    const std::uint32_t start = m_stream->Tell();
    const std::uint32_t end = m_stream->Size();
    if (start >= end) return 0;
    std::uint32_t i = start;
    auto atLineEnd = [&](std::uint32_t k) {
        return k >= end || (data[k] == '\r' && k + 1 < end && data[k + 1] == '\n');
    };
    if (!destination) {
        while (!atLineEnd(i)) ++i;
        const std::uint32_t length = i - start;
        const bool endsInEof = length > 0 && data[i - 1] == '\x1A';
        return length + 1 - (endsInEof ? 1 : 0);
    }
    if (size == 0) return 0;
    std::uint32_t copied = 0;
    while (!atLineEnd(i)) {
        if (copied == size - 1) return 0;
        destination[copied++] = data[i++];
    }
    if (copied > 0 && destination[copied - 1] == '\x1A') --copied;
    destination[copied] = '\0';
    const std::uint32_t passed = i - start + (i < end ? 2 : 0);
    m_stream->SeekSet(start + passed);
    return passed;
}

std::int32_t FileStream::OpenHandle(const char* name, DWORD access, DWORD disposition) {
    Close();
    if (MakeFullPath(m_name, name, nullptr) == 0) {
        m_name[0] = '\0';
        return kAdlBadArgument;
    }
    m_handle = CreateFileA(m_name, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) {
        m_name[0] = '\0';
        return kAdlNotFound;
    }
    return kAdlOk;
}

std::int32_t XM_METHOD FileStream::Create(const char* name, bool replace) {
    return OpenHandle(name, GENERIC_WRITE, replace ? CREATE_ALWAYS : CREATE_NEW);
}

std::int32_t XM_METHOD FileStream::OpenReadWrite(const char* name) {
    const std::int32_t opened = OpenHandle(name, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    if (opened != kAdlOk) return opened;
    const DWORD size = GetFileSize(m_handle, nullptr);
    if (size == INVALID_FILE_SIZE) {
        Close();
        return kAdlSizeUnavailable;
    }
    m_size = size;
    return kAdlOk;
}

std::uint32_t XM_METHOD FileStream::Write(const void* source, std::uint32_t count) {
    DWORD written = 0;
    if (m_handle == INVALID_HANDLE_VALUE || !source ||
        !WriteFile(m_handle, source, count, &written, nullptr)) {
        return 0;
    }
    return written;
}

std::uint32_t XM_CDECL FileStream::Printf(const char* format, ...) {
    if (m_handle == INVALID_HANDLE_VALUE || !format) return 0;
    va_list arguments;
    va_start(arguments, format);
    va_list measure;
    va_copy(measure, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::uint32_t written = 0;
    if (length > 0) {
        try {
            std::vector<char> text(static_cast<std::size_t>(length) + 1);
            std::vsnprintf(text.data(), text.size(), format, arguments);
            written = Write(text.data(), static_cast<std::uint32_t>(length));
        } catch (const std::bad_alloc&) {
            written = 0;
        }
    }
    va_end(arguments);
    return written;
}

std::int32_t XM_METHOD FileStream::MakeTempCopy(const char* name) {
    const std::int32_t loaded = LoadFile(name);
    if (loaded != kAdlOk) return loaded;
    char folder[kPathCapacity];
    char temporary[kPathCapacity];
    const DWORD folderLength = GetTempPathA(kPathCapacity, folder);
    if (folderLength == 0 || folderLength >= kPathCapacity ||
        GetTempFileNameA(folder, "ZLF", 0, temporary) == 0) {
        Close();
        return kAdlSizeUnavailable;
    }
    const std::uint32_t size = m_size;
    const void* data = Data();
    std::int32_t code = kAdlOk;
    {
        FileStream copy;
        if (copy.Create(temporary, true) != kAdlOk) {
            code = kAdlNotFound;
        } else if (size > 0 && copy.Write(data, size) != size) {
            // A short copy is no copy.
            code = kAdlNotFound;
        }
    }
    Close();
    if (code != kAdlOk) {
        DeleteFileA(temporary);
        return code;
    }
    std::memcpy(m_name, temporary, std::strlen(temporary) + 1);
    m_size = size;
    m_deleteOnClose = true;
    return kAdlOk;
}
