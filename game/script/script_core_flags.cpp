// ScriptCore: the read and choice flags of the modules and the variable-group file that keeps
// them between runs.
#include "framework/util/little_endian.h"
#include "game/script/script_core.h"
#include "game/script/script_files.h"

namespace {

void AppendArray(std::vector<std::uint8_t>& out, const BitArray& bits) {
    LittleEndian::Append32(out, bits.BitCount());
    LittleEndian::Append32(out, bits.ByteCount());
    if (bits.Bytes()) {
        out.insert(out.end(), bits.Bytes(), bits.Bytes() + bits.ByteCount());
    }
}

// One flag array as the file stores it; the bytes stay in the file's block.
struct StoredArray {
    std::uint32_t bitCount;
    std::uint32_t byteCount;
    const std::uint8_t* bytes;
};

bool ReadArray(const std::uint8_t*& in, const std::uint8_t* end, StoredArray& array) {
    if (!LittleEndian::Read32(in, end, array.bitCount) || !LittleEndian::Read32(in, end, array.byteCount)) {
        return false;
    }
    // The byte length must be the one the bit count needs, and lie within the block.
    const std::uint32_t needed = array.bitCount / 8 + (array.bitCount % 8 != 0 ? 1 : 0);
    if (array.byteCount != needed || static_cast<std::uint32_t>(end - in) < array.byteCount) {
        return false;
    }
    array.bytes = in;
    in += array.byteCount;
    return true;
}

void LoadArray(BitArray& bits, const StoredArray& stored) {
    if (bits.BitCount() == stored.bitCount && stored.byteCount != 0) {
        bits.LoadBytes(stored.bytes, stored.byteCount);
    }
}

}  // namespace

ModuleFlagRecord* ScriptCore::FlagRecordFor(bool global) {
    if (m_flagRecordCount == 0) {
        return nullptr;
    }
    if (global) {
        return &m_flagRecords[m_flagRecordCount - 1];
    }
    if (m_currentFlagRecord < 0 || static_cast<std::size_t>(m_currentFlagRecord) >= m_flagRecordCount) {
        return nullptr;
    }
    return &m_flagRecords[m_currentFlagRecord];
}

bool ScriptCore::TestReadFlag(std::uint32_t n, bool global) {
    const ModuleFlagRecord* record = FlagRecordFor(global);
    return record && record->readFlags.Test(n);
}

void ScriptCore::SetReadFlag(std::uint32_t n, bool global) {
    if (ModuleFlagRecord* record = FlagRecordFor(global)) {
        record->readFlags.Set(n, true);
    }
}

bool ScriptCore::TestChoiceFlag(std::uint32_t n, bool global) {
    const ModuleFlagRecord* record = FlagRecordFor(global);
    return record && record->choiceFlags.Test(n);
}

void ScriptCore::SetChoiceFlag(std::uint32_t n, bool global) {
    if (ModuleFlagRecord* record = FlagRecordFor(global)) {
        record->choiceFlags.Set(n, true);
    }
}

int ScriptCore::WriteVariableGroups(const char* name) {
    const std::string fileName = name ? name : m_variableGroupFileName;
    if (fileName.empty()) {
        return 1;
    }
    if (m_flagRecordCount == 0) {
        return 2;
    }
    std::vector<std::uint8_t> block;
    for (std::size_t i = 0; i < m_flagRecordCount; ++i) {
        const ModuleFlagRecord& record = m_flagRecords[i];
        block.push_back(static_cast<std::uint8_t>(record.name.size() + 1));
        block.insert(block.end(), record.name.begin(), record.name.end());
        block.push_back(0);
        AppendArray(block, record.readFlags);
        AppendArray(block, record.choiceFlags);
    }
    PackedBlock packed;
    if (!PackBlock(block, packed)) {
        return 3;
    }
    std::vector<std::uint8_t> file = {'T', 'L', 'O', 'G'};
    LittleEndian::Append32(file, static_cast<std::uint32_t>(packed.stored.size()));
    LittleEndian::Append32(file, packed.unpackedLength);
    LittleEndian::Append32(file, static_cast<std::uint32_t>(m_flagRecordCount));
    file.insert(file.end(), packed.stored.begin(), packed.stored.end());
    return WriteWholeFile(m_saveFolder + fileName, file) ? 0 : 1;
}

int ScriptCore::ReadVariableGroups(const char* name) {
    if (m_flagRecordCount == 0) {
        return 0;
    }
    const std::string fileName = name ? name : m_variableGroupFileName;
    std::vector<std::uint8_t> file;
    if (fileName.empty() || !ReadWholeFile(m_saveFolder + fileName, file)) {
        return 1;
    }
    const std::uint8_t* in = file.data();
    const std::uint8_t* const fileEnd = file.data() + file.size();
    std::uint32_t storedLength = 0;
    std::uint32_t unpackedLength = 0;
    std::uint32_t recordCount = 0;
    if (!HasMagic(file, "TLOG")) {
        return 2;
    }
    in += 4;
    if (!LittleEndian::Read32(in, fileEnd, storedLength) || !LittleEndian::Read32(in, fileEnd, unpackedLength) ||
        !LittleEndian::Read32(in, fileEnd, recordCount) || static_cast<std::uint32_t>(fileEnd - in) < storedLength) {
        return 2;
    }
    std::vector<std::uint8_t> block;
    if (!UnpackBlock(in, storedLength, unpackedLength, block)) {
        return 2;
    }
    // Every record is checked against the block before any flag changes.
    struct StoredRecord {
        const char* name;
        StoredArray read;
        StoredArray choice;
    };
    std::vector<StoredRecord> stored;
    const std::uint8_t* cursor = block.data();
    const std::uint8_t* const end = block.data() + block.size();
    for (std::uint32_t i = 0; i < recordCount; ++i) {
        if (cursor == end) {
            return 2;
        }
        const std::uint8_t nameLength = *cursor++;
        if (nameLength == 0 || end - cursor < nameLength || cursor[nameLength - 1] != 0) {
            return 2;
        }
        StoredRecord record{reinterpret_cast<const char*>(cursor), {}, {}};
        cursor += nameLength;
        if (!ReadArray(cursor, end, record.read) || !ReadArray(cursor, end, record.choice)) {
            return 2;
        }
        stored.push_back(record);
    }
    if (cursor != end) {
        return 2;
    }
    std::vector<bool> matched(m_flagRecordCount, false);
    for (const StoredRecord& record : stored) {
        for (std::size_t i = 0; i < m_flagRecordCount; ++i) {
            if (!matched[i] && m_flagRecords[i].name == record.name) {
                LoadArray(m_flagRecords[i].readFlags, record.read);
                LoadArray(m_flagRecords[i].choiceFlags, record.choice);
                matched[i] = true;
                break;
            }
        }
    }
    return 0;
}
