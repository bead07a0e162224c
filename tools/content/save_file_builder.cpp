#include "tools/content/save_file_builder.h"

#include <cstdlib>
#include <cstring>

#include "framework/archive/lzss_codec.h"
#include "tools/content/byte_words.h"

namespace testsupport {

std::vector<std::uint8_t> SaveSnapshot::Bytes() const {
    std::vector<std::uint8_t> out(1, selector);
    for (const Variable& variable : variables) {
        out.push_back(variable.kind);
        out.insert(out.end(), variable.bytes.begin(), variable.bytes.end());
    }
    out.push_back(static_cast<std::uint8_t>(historyByte >= 0 ? historyByte : (withHistory ? 1 : 0)));
    if (withHistory) {
        out.insert(out.end(), history.begin(), history.end());
        AppendWord(out, static_cast<std::uint32_t>(choice.size()));
        out.insert(out.end(), choice.begin(), choice.end());
    }
    out.insert(out.end(), tgsState.begin(), tgsState.end());
    return out;
}

std::vector<std::uint8_t> SaveFileContent::Bytes() const {
    std::vector<std::uint8_t> out(magic.begin(), magic.end());
    out.resize(4, 0);
    AppendWord(out, headerWord);
    std::vector<std::uint8_t> pixels = thumbnail;
    pixels.resize(SaveLayout::kThumbnailBytes, 0);
    out.insert(out.end(), pixels.begin(), pixels.end());
    std::vector<std::uint8_t> field(44, 0);
    std::memcpy(field.data(), title.data(), title.size() < 44 ? title.size() : 44);
    out.insert(out.end(), field.begin(), field.end());
    field.assign(144, 0);
    std::memcpy(field.data(), comment.data(), comment.size() < 144 ? comment.size() : 144);
    out.insert(out.end(), field.begin(), field.end());
    out.push_back(flag);
    std::vector<std::uint8_t> stored = snapshot;
    std::uint32_t unpacked = 0;
    if (pack && !snapshot.empty()) {
        LzssCodec codec;
        std::uint8_t* packed = nullptr;
        std::uint32_t packedSize = 0;
        if (codec.Encode(snapshot.data(), &packed, static_cast<std::uint32_t>(snapshot.size()), &packedSize, true) ==
            LzssCodec::kDone) {
            stored.assign(packed, packed + packedSize);
            unpacked = static_cast<std::uint32_t>(snapshot.size());
            std::free(packed);
        }
    }
    std::uint8_t sum = 0;
    for (std::uint8_t byte : stored) {
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    AppendWord(out, static_cast<std::uint32_t>(storedLengthField >= 0 ? storedLengthField : stored.size()));
    AppendWord(out, static_cast<std::uint32_t>(unpackedLengthField >= 0 ? unpackedLengthField : unpacked));
    out.push_back(static_cast<std::uint8_t>(checksumField >= 0 ? checksumField : sum));
    out.insert(out.end(), stored.begin(), stored.end());
    return out;
}

void RepairSaveLengths(std::vector<std::uint8_t>& file) {
    if (file.size() < SaveLayout::kData) {
        return;
    }
    const std::uint32_t stored = static_cast<std::uint32_t>(file.size() - SaveLayout::kData);
    std::uint8_t sum = 0;
    for (std::size_t i = SaveLayout::kData; i < file.size(); ++i) {
        sum = static_cast<std::uint8_t>(sum + file[i]);
    }
    PutWord(file, SaveLayout::kStoredLength, stored);
    file[SaveLayout::kChecksum] = sum;
}

}  // namespace testsupport
