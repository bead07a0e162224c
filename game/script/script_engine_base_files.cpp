// ScriptEngineBase: the persistent variable file and the script-named variable files.
#include <cstring>

#include "framework/util/little_endian.h"
#include "game/script/script_address.h"
#include "game/script/script_engine_base.h"
#include "game/script/script_files.h"

namespace {

// Serialisation selector of the persistent file: the class-2 variables.
constexpr std::uint8_t kPersistentSelector = 1;
// Bytes of one voice in the persistent file: volume word, enabled byte, marker byte.
constexpr std::uint32_t kStoredVoiceSize = 6;

// The header of a variable file, its fields pointing into the file.
struct VariableFileHeader {
    std::uint32_t storedLength;
    std::uint32_t unpackedLength;
    std::uint32_t numberSize;
    const std::uint8_t* number;
    std::uint32_t textSize;
    const std::uint8_t* text;
    std::uint8_t selector;
    std::uint8_t checksum;
    const std::uint8_t* stored;
};

bool ParseVariableFile(const std::vector<std::uint8_t>& file, VariableFileHeader& header) {
    const std::uint8_t* in = file.data();
    const std::uint8_t* const end = file.data() + file.size();
    if (!LittleEndian::Read32(in, end, header.storedLength) || !LittleEndian::Read32(in, end, header.unpackedLength) ||
        !LittleEndian::Read32(in, end, header.numberSize) || static_cast<std::uint32_t>(end - in) < header.numberSize) {
        return false;
    }
    header.number = in;
    in += header.numberSize;
    if (!LittleEndian::Read32(in, end, header.textSize) || static_cast<std::uint32_t>(end - in) < header.textSize) {
        return false;
    }
    header.text = in;
    in += header.textSize;
    if (end - in < 2) {
        return false;
    }
    header.selector = in[0];
    header.checksum = in[1];
    in += 2;
    if (static_cast<std::uint32_t>(end - in) < header.storedLength) {
        return false;
    }
    header.stored = in;
    return true;
}

std::uint8_t Checksum(const std::uint8_t* bytes, std::size_t length) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < length; ++i) {
        sum = static_cast<std::uint8_t>(sum + bytes[i]);
    }
    return sum;
}

}  // namespace

ScriptEngineBase::~ScriptEngineBase() {
    if (!m_persistentFileName.empty()) {
        WritePersistentFile(nullptr);
    }
}

int ScriptEngineBase::WritePersistentFile(const char* name) {
    const std::string fileName = name ? name : m_persistentFileName;
    if (fileName.empty()) {
        return 1;
    }
    std::vector<std::uint8_t> block;
    LittleEndian::Append32(block, static_cast<std::uint32_t>(m_voices.voices.size()));
    for (const VoiceEntry& voice : m_voices.voices) {
        LittleEndian::Append32(block, static_cast<std::uint32_t>(voice.volume));
        block.push_back(voice.enabled);
        block.push_back(voice.marker);
    }
    block.push_back(kPersistentSelector);
    AppendSelectedVariables(kPersistentSelector, false, block);
    PackedBlock packed;
    if (!PackBlock(block, packed)) {
        return 2;
    }
    std::vector<std::uint8_t> file;
    LittleEndian::Append32(file, static_cast<std::uint32_t>(packed.stored.size()));
    LittleEndian::Append32(file, packed.unpackedLength);
    file.insert(file.end(), packed.stored.begin(), packed.stored.end());
    return WriteWholeFile(SaveFolder() + fileName, file) ? 0 : 3;
}

int ScriptEngineBase::ReadPersistentFile(const char* name) {
    const std::string fileName = name ? name : m_persistentFileName;
    std::vector<std::uint8_t> file;
    if (fileName.empty() || !ReadWholeFile(SaveFolder() + fileName, file)) {
        return 1;
    }
    const std::uint8_t* in = file.data();
    const std::uint8_t* const fileEnd = file.data() + file.size();
    std::uint32_t storedLength = 0;
    std::uint32_t unpackedLength = 0;
    std::vector<std::uint8_t> block;
    if (!LittleEndian::Read32(in, fileEnd, storedLength) || !LittleEndian::Read32(in, fileEnd, unpackedLength) ||
        static_cast<std::uint32_t>(fileEnd - in) < storedLength || !UnpackBlock(in, storedLength, unpackedLength, block)) {
        return 2;
    }
    const std::uint8_t* cursor = block.data();
    const std::uint8_t* const end = block.data() + block.size();
    std::uint32_t voiceCount = 0;
    if (!LittleEndian::Read32(cursor, end, voiceCount) || static_cast<std::uint32_t>(end - cursor) / kStoredVoiceSize < voiceCount) {
        return 2;
    }
    const std::uint8_t* const storedVoices = cursor;
    cursor += voiceCount * kStoredVoiceSize;
    if (DeserializeVariables(&cursor, end) != 0) {
        return 2;
    }
    // Voices of a table of another size are skipped.
    if (voiceCount == m_voices.voices.size()) {
        for (VoiceEntry& voice : m_voices.voices) {
            const std::uint8_t* stored = storedVoices + (&voice - m_voices.voices.data()) * kStoredVoiceSize;
            voice.volume = static_cast<std::int32_t>(LittleEndian::Load32(stored));
            voice.enabled = stored[4];
            voice.marker = stored[5];
        }
    }
    return 0;
}

int ScriptEngineBase::LoadVoiceTable(const char* path) {
    m_voices.Clear();
    std::vector<std::uint8_t> file;
    if (!path || !ReadWholeFile(path, file)) {
        return kVoiceTableMissing;
    }
    return ParseVoiceTable(file.data(), file.size(), m_voices);
}

int ScriptEngineBase::WritePersistentData() {
    bool written = false;
    if (!m_persistentFileName.empty()) {
        const int result = WritePersistentFile(nullptr);
        if (result != 0) {
            return result;
        }
        written = true;
    }
    if (!VariableGroupFileName().empty()) {
        return WriteVariableGroups(nullptr);
    }
    return written ? 0 : 2;
}

int ScriptEngineBase::FindVariableSizes(std::uint32_t numberVariable, std::uint32_t textVariable,
                                        std::uint32_t& numberSize, std::uint32_t& textSize) {
    numberSize = 0;
    textSize = 0;
    if (numberVariable == 0 && textVariable == 0) {
        return -1;
    }
    const std::vector<VariableEntry>& entries = LiveVariables().Entries();
    if (numberVariable != 0) {
        const std::int32_t index = FindVariableIndex(numberVariable);
        if (index < 0) {
            return 3;
        }
        if (entries[index].kind != kVariableInArea) {
            return 1;
        }
        numberSize = entries[index].size;
    }
    if (textVariable != 0) {
        const std::int32_t index = FindVariableIndex(textVariable);
        if (index < 0) {
            return 3;
        }
        if (entries[index].kind != kVariableTextPointer) {
            return 2;
        }
        const char* text = reinterpret_cast<const char*>(LiveVariables().Data(index));
        const std::uint32_t size = entries[index].size;
        // A text that fills its buffer without a zero is stored as the whole buffer.
        textSize = text ? static_cast<std::uint32_t>(strnlen(text, size)) : 0;
        textSize = textSize < size ? textSize + 1 : size;
    }
    return 0;
}

int ScriptEngineBase::WriteVariableFile(const char* name, std::uint8_t selector, std::uint32_t numberVariable,
                                        std::uint32_t textVariable, bool fromAutoSave) {
    if (!name) {
        return 1;
    }
    std::uint32_t numberSize = 0;
    std::uint32_t textSize = 0;
    const int sizes = FindVariableSizes(numberVariable, textVariable, numberSize, textSize);
    if (sizes > 0) {
        return 4;
    }
    // A size of 1 is the selector byte alone: no variable is selected.
    if (SerializedVariablesSize(selector, fromAutoSave) <= 1) {
        return 2;
    }
    std::vector<std::uint8_t> block;
    AppendSelectedVariables(selector, fromAutoSave, block);
    PackedBlock packed;
    if (!PackBlock(block, packed)) {
        return 3;
    }
    std::vector<std::uint8_t> file;
    LittleEndian::Append32(file, static_cast<std::uint32_t>(packed.stored.size()));
    LittleEndian::Append32(file, packed.unpackedLength);
    LittleEndian::Append32(file, numberSize);
    if (numberSize != 0) {
        const std::uint8_t* number = PointerAt<std::uint8_t>(numberVariable);
        file.insert(file.end(), number, number + numberSize);
    }
    LittleEndian::Append32(file, textSize);
    if (textSize != 0) {
        const std::uint8_t* text = LiveVariables().Data(static_cast<std::uint32_t>(FindVariableIndex(textVariable)));
        file.insert(file.end(), text, text + textSize);
    }
    file.push_back(selector);
    file.push_back(Checksum(packed.stored.data(), packed.stored.size()));
    file.insert(file.end(), packed.stored.begin(), packed.stored.end());
    return WriteWholeFile(SaveFolder() + name, file) ? 0 : 1;
}

int ScriptEngineBase::ReadVariableFileHeader(const char* name, std::uint32_t numberVariable, std::uint32_t textVariable) {
    std::uint32_t numberSize = 0;
    std::uint32_t textSize = 0;
    if (FindVariableSizes(numberVariable, textVariable, numberSize, textSize) > 0) {
        return 3;
    }
    std::vector<std::uint8_t> file;
    if (!name || !ReadWholeFile(SaveFolder() + name, file)) {
        return 1;
    }
    VariableFileHeader header;
    if (!ParseVariableFile(file, header)) {
        return 2;
    }
    std::uint8_t* textBuffer = nullptr;
    std::uint32_t textBufferSize = 0;
    if (textVariable != 0) {
        const std::uint32_t index = static_cast<std::uint32_t>(FindVariableIndex(textVariable));
        textBuffer = LiveVariables().Data(index);
        textBufferSize = LiveVariables().Entries()[index].size;
    }
    // Both fields are checked before either variable changes.
    if ((numberVariable != 0 && header.numberSize == 0) || (textVariable != 0 && header.textSize == 0)) {
        return 2;
    }
    if ((numberVariable != 0 && header.numberSize > numberSize) ||
        (textVariable != 0 && (header.textSize > textBufferSize || !textBuffer))) {
        return 3;
    }
    if (numberVariable != 0) {
        std::memcpy(PointerAt<std::uint8_t>(numberVariable), header.number, header.numberSize);
    }
    if (textVariable != 0) {
        std::memcpy(textBuffer, header.text, header.textSize);
    }
    return 0;
}

int ScriptEngineBase::ReadVariableFile(const char* name) {
    std::vector<std::uint8_t> file;
    if (!name || !ReadWholeFile(SaveFolder() + name, file)) {
        return 1;
    }
    VariableFileHeader header;
    std::vector<std::uint8_t> block;
    if (!ParseVariableFile(file, header) || Checksum(header.stored, header.storedLength) != header.checksum ||
        !UnpackBlock(header.stored, header.storedLength, header.unpackedLength, block)) {
        return 2;
    }
    // Variables added or removed since the file was written make the block differ in length.
    if (block.size() != SerializedVariablesSize(header.selector, false) - 1) {
        return 2;
    }
    const std::uint8_t* cursor = block.data();
    return RestoreSelectedVariables(header.selector, cursor, block.data() + block.size()) == 0 ? 0 : 2;
}
