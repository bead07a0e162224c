#include "scenario/tgs/tgs_module.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "framework/archive/lzss_codec.h"
#include "framework/util/byte_cursor.h"

namespace {

bool ReadName(ByteCursor& cursor, std::string& name) {
    std::uint8_t length = 0;
    if (!cursor.ReadU8(length) || length == 0 || cursor.Remaining() < length) return false;
    const char* text = reinterpret_cast<const char*>(cursor.Position());
    if (text[length - 1] != '\0') return false;
    name.assign(text, std::strlen(text));
    return cursor.Skip(length);
}

bool ReadFlagArray(ByteCursor& cursor, std::uint32_t& bits, std::vector<std::uint8_t>& bytes) {
    std::uint32_t count = 0;
    if (!cursor.ReadU32(bits) || !cursor.ReadU32(count)) return false;
    if (count != bits / 8 + (bits % 8 != 0 ? 1u : 0u) || count > cursor.Remaining()) return false;
    bytes.assign(cursor.Position(), cursor.Position() + count);
    return cursor.Skip(count);
}

}  // namespace

bool ParseTob(const std::uint8_t* data, std::uint32_t size, TgsModule& module) {
    ByteCursor cursor(data, size);
    std::uint32_t labelLength = 0;
    std::uint32_t labelCount = 0;
    if (!cursor.Skip(4) || !cursor.ReadU32(labelLength) || !cursor.ReadU32(labelCount)) return false;
    if (labelLength < 8 || labelLength > size - 4) return false;
    const std::uint64_t lineAt = 4 + static_cast<std::uint64_t>(labelLength);
    if (lineAt + 8 > size) return false;
    ByteCursor lineCursor(data + lineAt, size - static_cast<std::uint32_t>(lineAt));
    std::uint32_t lineLength = 0;
    std::uint32_t lineCount = 0;
    lineCursor.ReadU32(lineLength);
    lineCursor.ReadU32(lineCount);
    if (lineLength < 8 || lineAt + lineLength >= size) return false;
    if ((lineLength - 8) / 4 < lineCount) return false;
    const std::uint32_t textOffset = static_cast<std::uint32_t>(lineAt + lineLength);
    const std::uint32_t textSize = size - textOffset;
    if (textSize == 0 || data[size - 1] != 0) return false;

    ByteCursor labels(data + 12, labelLength - 8);
    std::vector<std::pair<std::string, std::uint32_t>> labelList;
    for (std::uint32_t i = 0; i < labelCount; ++i) {
        std::string name;
        std::uint32_t offset = 0;
        if (!ReadName(labels, name) || !labels.ReadU32(offset) || offset >= textSize) return false;
        labelList.emplace_back(name, offset);
    }
    std::vector<std::uint32_t> lines;
    for (std::uint32_t i = 0; i < lineCount; ++i) {
        std::uint32_t offset = 0;
        if (!lineCursor.ReadU32(offset) || offset >= textSize) return false;
        lines.push_back(offset);
    }
    module.labels.swap(labelList);
    module.lines.swap(lines);
    module.textOffset = textOffset;
    module.textSize = textSize;
    return true;
}

bool ParseTgsInit(const std::uint8_t* data, std::uint32_t size, std::vector<TgsInitRecord>& records) {
    ByteCursor cursor(data, size);
    std::uint32_t count = 0;
    if (!cursor.ReadU32(count)) return false;
    // Each record takes at least 11 bytes (a one-byte name).
    if (count > cursor.Remaining() / 11) return false;
    std::vector<TgsInitRecord> read;
    for (std::uint32_t i = 0; i < count; ++i) {
        TgsInitRecord record;
        if (!ReadName(cursor, record.name) || !cursor.ReadU32(record.readFlags) ||
            !cursor.ReadU32(record.choiceFlags)) {
            return false;
        }
        if (record.readFlags > kTgsMaxFlagCount || record.choiceFlags > kTgsMaxFlagCount) return false;
        read.push_back(record);
    }
    records.swap(read);
    return true;
}

int ParseTextLog(const std::uint8_t* data, std::uint32_t size, std::vector<TgsTextLogRecord>& records) {
    ByteCursor cursor(data, size);
    std::uint8_t magic[4];
    std::uint32_t stored = 0;
    std::uint32_t unpacked = 0;
    std::uint32_t count = 0;
    if (!cursor.ReadBytes(magic, 4) || std::memcmp(magic, "TSLG", 4) != 0) return 2;
    if (!cursor.ReadU32(stored) || !cursor.ReadU32(unpacked) || !cursor.ReadU32(count)) return 2;
    if (stored > cursor.Remaining() || unpacked > kTgsMaxTextLogSize) return 2;
    std::vector<std::uint8_t> block;
    if (unpacked == 0) {
        block.assign(cursor.Position(), cursor.Position() + stored);
    } else {
        std::unique_ptr<LzssCodec> codec(new LzssCodec);
        block.resize(unpacked);
        std::uint8_t* out = block.data();
        if (codec->Decode(cursor.Position(), stored, &out, unpacked, false) != LzssCodec::kDone) return 2;
    }
    ByteCursor records_(block.data(), block.size());
    // Each record takes at least 18 bytes.
    if (count > block.size() / 18 + 1) return 2;
    std::vector<TgsTextLogRecord> read;
    for (std::uint32_t i = 0; i < count; ++i) {
        TgsTextLogRecord record;
        if (!ReadName(records_, record.name) || !ReadFlagArray(records_, record.readBits, record.readBytes) ||
            !ReadFlagArray(records_, record.choiceBits, record.choiceBytes)) {
            return 2;
        }
        read.push_back(std::move(record));
    }
    records.swap(read);
    return 0;
}

std::string UpperCaseSjis(const std::string& text) {
    std::string out = text;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::uint8_t byte = static_cast<std::uint8_t>(out[i]);
        if (IsSjisLead(byte) && i + 1 < out.size()) {
            ++i;
        } else if (byte >= 'a' && byte <= 'z') {
            out[i] = static_cast<char>(byte - 'a' + 'A');
        }
    }
    return out;
}

bool EqualNoCaseSjis(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::uint8_t x = static_cast<std::uint8_t>(a[i]);
        const std::uint8_t y = static_cast<std::uint8_t>(b[i]);
        if (IsSjisLead(x) && i + 1 < a.size()) {
            if (x != y || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        const std::uint8_t ux = (x >= 'a' && x <= 'z') ? static_cast<std::uint8_t>(x - 32) : x;
        const std::uint8_t uy = (y >= 'a' && y <= 'z') ? static_cast<std::uint8_t>(y - 32) : y;
        if (ux != uy) return false;
    }
    return true;
}
