#include "game/script/script_files.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include <windows.h>

#include "framework/files/file_stream.h"
#include "framework/files/path_utilities.h"
#include "framework/archive/lzss_codec.h"

bool ReadWholeFile(const std::string& name, std::vector<std::uint8_t>& bytes) {
    FileStream file;
    if (file.LoadFile(name.c_str()) != 0) {
        return false;
    }
    const std::uint8_t* data = static_cast<const std::uint8_t*>(file.Data());
    bytes.assign(data, data + (data ? file.Size() : 0));
    return true;
}

bool ReadPlainFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const DWORD size = GetFileSize(file, nullptr);
    DWORD read = 0;
    bool ok = size != INVALID_FILE_SIZE;
    if (ok) {
        bytes.resize(size);
        ok = size == 0 || (ReadFile(file, bytes.data(), size, &read, nullptr) && read == size);
    }
    CloseHandle(file);
    return ok;
}

namespace {

WholeFileSteps g_win32Steps;
WholeFileSteps* g_steps = &g_win32Steps;

// Bytes handed to WriteFile at a time, so that huge writes never meet a platform limit.
constexpr std::uint32_t kWriteChunk = 1u << 20;

}  // namespace

void* WholeFileSteps::Create(const char* path) {
    return CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WholeFileSteps::Write(void* file, const std::uint8_t* bytes, std::uint32_t size) {
    while (size != 0) {
        const DWORD chunk = size < kWriteChunk ? size : kWriteChunk;
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written != chunk) {
            return false;
        }
        bytes += chunk;
        size -= chunk;
    }
    return true;
}

bool WholeFileSteps::Flush(void* file) { return FlushFileBuffers(file) != 0; }

void WholeFileSteps::Close(void* file) { CloseHandle(file); }

bool WholeFileSteps::Replace(const char* temporary, const char* target) {
    return MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void SetWholeFileSteps(WholeFileSteps* steps) { g_steps = steps ? steps : &g_win32Steps; }

bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    char target[MAX_PATH + 1];
    if (MakeFullPath(target, path.c_str(), nullptr) == 0) {
        return false;
    }
    // The temporary file lies in the target's folder, so that the replace is a rename within one
    // volume. GetTempFileNameA makes a unique "~wrXXXX.tmp": a name no reader or "*.SAV" listing
    // looks for.
    std::string folder(target);
    const std::size_t slash = folder.find_last_of("\\/");
    folder.resize(slash == std::string::npos ? 0 : slash + 1);
    char temporary[MAX_PATH + 1];
    if (GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "~wr", 0, temporary) == 0) {
        return false;
    }
    void* const file = g_steps->Create(temporary);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileA(temporary);
        return false;
    }
    const bool written = g_steps->Write(file, bytes.data(), static_cast<std::uint32_t>(bytes.size())) &&
                         g_steps->Flush(file);
    g_steps->Close(file);
    if (!written || !g_steps->Replace(temporary, target)) {
        DeleteFileA(temporary);
        return false;
    }
    return true;
}

bool HasMagic(const std::vector<std::uint8_t>& file, const char* magic) {
    return file.size() >= 4 && std::memcmp(file.data(), magic, 4) == 0;
}

bool PackBlock(const std::vector<std::uint8_t>& block, PackedBlock& packed) {
    std::unique_ptr<LzssCodec> codec(new (std::nothrow) LzssCodec);
    if (!codec) {
        return false;
    }
    std::uint8_t* compressed = nullptr;
    std::uint32_t compressedSize = 0;
    if (!block.empty() &&
        codec->Encode(block.data(), &compressed, static_cast<std::uint32_t>(block.size()), &compressedSize, true) ==
            LzssCodec::kDone) {
        packed.stored.assign(compressed, compressed + compressedSize);
        packed.unpackedLength = static_cast<std::uint32_t>(block.size());
        std::free(compressed);
        return true;
    }
    packed.stored = block;
    packed.unpackedLength = 0;
    return true;
}

bool UnpackBlock(const std::uint8_t* stored, std::uint32_t storedLength, std::uint32_t unpackedLength,
                 std::vector<std::uint8_t>& block) {
    if (unpackedLength == 0) {
        block.assign(stored, stored + storedLength);
        return true;
    }
    // A flag byte and eight two-byte references give at most 8 * 18 bytes: a length beyond nine
    // times the packed bytes cannot be true, and is refused before it is allocated.
    if (unpackedLength / 9 > storedLength) {
        return false;
    }
    std::unique_ptr<LzssCodec> codec(new (std::nothrow) LzssCodec);
    if (!codec) {
        return false;
    }
    std::uint8_t* output = nullptr;
    if (codec->Decode(stored, storedLength, &output, unpackedLength, true) != LzssCodec::kDone) {
        return false;
    }
    block.assign(output, output + unpackedLength);
    std::free(output);
    return true;
}
