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

bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    // The bytes go to a temporary file beside the target, which then replaces the target in one
    // step: a failed or interrupted write leaves the old file whole.
    char target[MAX_PATH + 1];
    if (MakeFullPath(target, path.c_str(), nullptr) == 0) {
        return false;
    }
    const std::string temporary = std::string(target) + ".new";
    {
        FileStream file;
        if (file.Create(temporary.c_str(), true) != 0) {
            return false;
        }
        const std::uint32_t size = static_cast<std::uint32_t>(bytes.size());
        if (size != 0 && file.Write(bytes.data(), size) != size) {
            file.Close();
            DeleteFileA(temporary.c_str());
            return false;
        }
    }
    if (!MoveFileExA(temporary.c_str(), target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
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
