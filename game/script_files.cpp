#include "game/script_files.h"

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <new>

#include "framework/lzss_codec.h"

bool ReadGameFile(const char* name, std::vector<std::uint8_t>& bytes) {
    return ReadPlainFile(name, bytes);
}

bool ReadPlainFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const DWORD size = GetFileSize(file, nullptr);
    bool ok = size != INVALID_FILE_SIZE;
    if (ok) {
        bytes.resize(size);
        DWORD read = 0;
        ok = size == 0 || (ReadFile(file, bytes.data(), size, &read, nullptr) && read == size);
    }
    CloseHandle(file);
    return ok;
}

bool WritePlainFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                                      written == bytes.size());
    CloseHandle(file);
    return ok;
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
