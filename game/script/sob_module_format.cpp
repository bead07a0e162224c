#include "game/script/sob_module_format.h"

#include <cstring>

#include "framework/util/little_endian.h"

namespace {

// Reads little-endian words from a byte range and remembers when it ran past the end.
class Reader {
public:
    Reader(const std::uint8_t* bytes, std::size_t length) : m_bytes(bytes), m_length(length) {}

    bool Take(std::size_t count, const std::uint8_t*& out) {
        if (!m_ok || count > m_length - m_position) {
            m_ok = false;
            return false;
        }
        out = m_bytes + m_position;
        m_position += count;
        return true;
    }
    std::uint32_t Word() {
        const std::uint8_t* p = nullptr;
        if (!Take(4, p)) {
            return 0;
        }
        return LittleEndian::Load32(p);
    }
    std::uint16_t Half() {
        const std::uint8_t* p = nullptr;
        if (!Take(2, p)) {
            return 0;
        }
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::uint8_t Byte() {
        const std::uint8_t* p = nullptr;
        return Take(1, p) ? p[0] : 0;
    }
    bool Ok() const { return m_ok; }
    std::size_t Remaining() const { return m_ok ? m_length - m_position : 0; }

private:
    const std::uint8_t* m_bytes;
    std::size_t m_length;
    std::size_t m_position = 0;
    bool m_ok = true;
};

// True when [offset, offset + size) lies within `limit` bytes, without overflow.
bool WithinSize(std::uint32_t offset, std::uint32_t size, std::uint32_t limit) {
    return offset <= limit && size <= limit - offset;
}

}  // namespace

bool ParseSobModuleBody(const std::uint8_t* bytes, std::size_t length, SobModuleBody& body) {
    Reader outer(bytes, length);
    const std::uint32_t sectionSize = outer.Word();
    const std::uint8_t* section = nullptr;
    if (!outer.Take(sectionSize, section)) {
        return false;
    }
    body.instructionSize = outer.Word();
    body.imageSize = outer.Word();
    if (!outer.Take(body.imageSize, body.image) || body.instructionSize > body.imageSize) {
        return false;
    }
    Reader fixups(section, sectionSize);
    for (auto& list : body.fixups) {
        const std::uint32_t count = fixups.Word();
        if (!fixups.Ok() || count > fixups.Remaining() / 8) {
            return false;
        }
        list.resize(count);
        for (SobFixup& fixup : list) {
            fixup.at = fixups.Word();
            fixup.value = fixups.Word();
            if (!WithinSize(fixup.at, 4, body.imageSize)) {
                return false;
            }
        }
    }
    body.terminator = fixups.Word();
    return fixups.Ok();
}

int ParseSobUserVar(const std::uint8_t* bytes, std::size_t length, SobUserVarContents& contents) {
    Reader reader(bytes, length);
    const std::uint8_t* magic = nullptr;
    if (!reader.Take(4, magic) || std::memcmp(magic, "SOB1", 4) != 0) {
        return kUserVarBadMagic;
    }
    contents.areaSize = reader.Word();
    if (!reader.Take(contents.areaSize, contents.area)) {
        return kUserVarDamaged;
    }
    const std::uint32_t definitionCount = reader.Word();
    if (!reader.Ok() || definitionCount > reader.Remaining() / 10) {
        return kUserVarDamaged;
    }
    contents.definitions.resize(definitionCount);
    for (VariableDefinition& definition : contents.definitions) {
        definition.kind = reader.Byte();
        definition.attribute = reader.Byte();
        definition.offset = reader.Word();
        definition.size = reader.Word();
        if (definition.kind > kVariableTextInArea || !WithinSize(definition.offset, definition.size, contents.areaSize)) {
            return kUserVarDamaged;
        }
    }
    const std::uint32_t relocationCount = reader.Word();
    if (!reader.Ok() || relocationCount > reader.Remaining() / 8) {
        return kUserVarDamaged;
    }
    contents.relocations.resize(relocationCount);
    for (AreaRelocation& relocation : contents.relocations) {
        relocation.at = reader.Word();
        relocation.target = reader.Word();
        if (!WithinSize(relocation.at, 4, contents.areaSize) || relocation.target > contents.areaSize) {
            return kUserVarDamaged;
        }
    }
    const std::uint32_t terminator = reader.Word();
    if (!reader.Ok()) {
        return kUserVarDamaged;
    }
    return terminator == 0 ? kUserVarOk : kUserVarBadTerminator;
}

bool ParseSobInit(const std::uint8_t* bytes, std::size_t length, std::vector<SobInitRecord>& records) {
    Reader reader(bytes, length);
    const std::uint16_t count = reader.Half();
    records.clear();
    for (std::uint16_t i = 0; i < count && reader.Ok(); ++i) {
        const std::uint8_t nameLength = reader.Byte();
        const std::uint8_t* name = nullptr;
        if (nameLength == 0 || !reader.Take(nameLength, name) || name[nameLength - 1] != 0) {
            return false;
        }
        SobInitRecord record;
        record.name.assign(reinterpret_cast<const char*>(name));
        record.readFlagCount = reader.Half();
        record.choiceFlagCount = reader.Half();
        records.push_back(record);
    }
    return reader.Ok();
}
