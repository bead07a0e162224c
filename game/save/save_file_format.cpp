#include "game/save/save_file_format.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "framework/util/little_endian.h"
#include "game/script/script_files.h"

namespace L = SaveFileLayout;

bool IsSaveTextLeadByte(std::uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

namespace {

// Bytes of the character at `text`: 1, 2, or 0 for a lead byte whose second byte is missing.
std::size_t CharacterBytes(const char* text) {
    if (!IsSaveTextLeadByte(static_cast<std::uint8_t>(text[0]))) {
        return 1;
    }
    return text[1] != 0 ? 2 : 0;
}

}  // namespace

std::string CutSaveTitle(const char* title) {
    std::string out;
    for (const char* c = title ? title : ""; *c != 0;) {
        const std::size_t bytes = CharacterBytes(c);
        if (bytes == 0 || out.size() + bytes > L::kTitleLimit) {
            break;
        }
        out.append(c, bytes);
        c += bytes;
    }
    return out;
}

std::string CutSaveComment(const char* text) {
    std::string out;
    std::int32_t budget = L::kCommentBudget;
    for (const char* c = text ? text : ""; *c != 0;) {
        const std::size_t bytes = CharacterBytes(c);
        if (bytes == 0 || budget - static_cast<std::int32_t>(bytes) <= 0) {
            break;
        }
        budget -= static_cast<std::int32_t>(bytes);
        out.append(c, bytes);
        c += bytes;
    }
    return out;
}

std::string WrapSaveComment(const char* comment) {
    std::vector<std::string> lines(1);
    for (const char* c = comment ? comment : ""; *c != 0;) {
        if (*c == '\r' && c[1] == '\n') {
            ++c;
        }
        if (*c == '\n' || *c == '\r') {
            ++c;
            if (lines.size() == L::kWrapLines) {
                break;
            }
            lines.emplace_back();
            continue;
        }
        const std::size_t bytes = CharacterBytes(c);
        if (bytes == 0) {
            break;
        }
        if (lines.back().size() + bytes > L::kWrapLineBytes) {
            if (lines.size() == L::kWrapLines) {
                break;
            }
            lines.emplace_back();
        }
        lines.back().append(c, bytes);
        c += bytes;
    }
    std::string out = lines[0];
    for (std::size_t i = 1; i < lines.size(); ++i) {
        out += '\n';
        out += lines[i];
    }
    return out;
}

bool BuildSaveFileBytes(const SaveThumbnailPixels& thumbnail, const std::string& title, const std::string& comment,
                        const std::vector<std::uint8_t>& snapshot, std::vector<std::uint8_t>& file) {
    try {
        PackedBlock packed;
        if (!PackBlock(snapshot, packed)) {
            return false;
        }
        file.assign(L::kDataAt, 0);
        std::memcpy(file.data(), L::kMagic, 4);
        std::uint8_t* pixel = file.data() + L::kThumbnailAt;
        for (std::uint32_t i = 0; i < L::kThumbnailSize / 3; ++i, pixel += 3) {
            const std::uint32_t value = i < thumbnail.size() ? thumbnail[i] : 0;
            pixel[0] = static_cast<std::uint8_t>(value);
            pixel[1] = static_cast<std::uint8_t>(value >> 8);
            pixel[2] = static_cast<std::uint8_t>(value >> 16);
        }
        std::memcpy(file.data() + L::kTitleAt, title.data(), std::min<std::size_t>(title.size(), L::kTitleSize - 1));
        std::memcpy(file.data() + L::kCommentAt, comment.data(),
                    std::min<std::size_t>(comment.size(), L::kCommentSize - 1));
        LittleEndian::Store32(file.data() + L::kStoredLengthAt, static_cast<std::uint32_t>(packed.stored.size()));
        LittleEndian::Store32(file.data() + L::kStoredLengthAt + 4, packed.unpackedLength);
        std::uint8_t sum = 0;
        for (std::uint8_t byte : packed.stored) {
            sum = static_cast<std::uint8_t>(sum + byte);
        }
        file[L::kStoredLengthAt + 8] = sum;
        file.insert(file.end(), packed.stored.begin(), packed.stored.end());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

int UnpackSaveSnapshot(const std::uint8_t* file, std::size_t size, std::uint32_t offset,
                       std::vector<std::uint8_t>& snapshot) {
    std::size_t fields = offset;
    if (offset == 0) {
        if (size < 8 || std::memcmp(file, L::kMagic, 4) != 0) {
            return kSaveDamaged;
        }
        if (LittleEndian::Load32(file + L::kHeaderWordAt) != 0) {
            return kSaveBadHeaderWord;
        }
        fields = L::kStoredLengthAt;
    }
    if (fields > size || size - fields < L::kLengthFieldsSize) {
        return kSaveDamaged;
    }
    const std::uint32_t storedLength = LittleEndian::Load32(file + fields);
    const std::uint32_t unpackedLength = LittleEndian::Load32(file + fields + 4);
    const std::uint8_t checksum = file[fields + 8];
    const std::uint8_t* const stored = file + fields + L::kLengthFieldsSize;
    if (storedLength > size - fields - L::kLengthFieldsSize) {
        return kSaveDamaged;
    }
    std::uint8_t sum = 0;
    for (std::uint32_t i = 0; i < storedLength; ++i) {
        sum = static_cast<std::uint8_t>(sum + stored[i]);
    }
    if (sum != checksum) {
        return kSaveDamaged;
    }
    try {
        if (!UnpackBlock(stored, storedLength, unpackedLength, snapshot)) {
            return kSaveDamaged;
        }
    } catch (const std::bad_alloc&) {
        return kSaveNoMemory;
    }
    return kSaveRead;
}
