#include <cstdlib>
#include <memory>

#include "framework/archive/lzss_codec.h"
#include "game/interfaces/tgs_host.h"
#include "scenario/tgs/tgs_script.h"

namespace {

void AppendWord(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void AppendArray(std::vector<std::uint8_t>& out, const BitArray& bits) {
    AppendWord(out, bits.BitCount());
    AppendWord(out, bits.ByteCount());
    if (bits.ByteCount() != 0) out.insert(out.end(), bits.Bytes(), bits.Bytes() + bits.ByteCount());
}

}  // namespace

int TgsScript::LoadInitFile(const char* name) {
    m_flags.present = false;
    m_flags.entries.clear();
    m_flags.current = nullptr;
    TgsFileImage image;
    if (!m_fileSource(m_flags.scriptFolder + (name ? name : ""), image)) return 1;
    std::vector<TgsInitRecord> records;
    if (!ParseTgsInit(image.data, image.size, records)) return 2;
    std::vector<std::unique_ptr<TgsModuleFlags>> entries;
    for (const TgsInitRecord& record : records) {
        std::unique_ptr<TgsModuleFlags> entry(new TgsModuleFlags);
        entry->name = record.name;
        entry->nameLength = static_cast<std::uint8_t>(record.name.size() + 1);
        // A count of 0 leaves an empty array; only a lack of memory is a failure.
        if (entry->readFlags.Create(record.readFlags) == 2 || entry->choiceFlags.Create(record.choiceFlags) == 2) {
            return 2;
        }
        entries.push_back(std::move(entry));
    }
    m_flags.entries.swap(entries);
    m_flags.present = true;
    return 0;
}

int TgsScript::SaveTextLog(const char* name) {
    const std::string file = name ? name : m_flags.textLogName;
    if (file.empty()) return 1;
    if (!m_flags.present) return 2;
    std::vector<std::uint8_t> data;
    for (const auto& entry : m_flags.entries) {
        data.push_back(entry->nameLength);
        data.insert(data.end(), entry->name.begin(), entry->name.end());
        data.push_back(0);
        AppendArray(data, entry->readFlags);
        AppendArray(data, entry->choiceFlags);
    }
    std::vector<std::uint8_t> stored = data;
    std::uint32_t unpacked = 0;
    if (!data.empty()) {
        std::unique_ptr<LzssCodec> codec(new LzssCodec);
        std::uint8_t* packed = nullptr;
        std::uint32_t packedSize = 0;
        if (codec->Encode(data.data(), &packed, static_cast<std::uint32_t>(data.size()), &packedSize, true) ==
            LzssCodec::kDone) {
            stored.assign(packed, packed + packedSize);
            unpacked = static_cast<std::uint32_t>(data.size());
            std::free(packed);
        }
    }
    std::vector<std::uint8_t> out = {'T', 'S', 'L', 'G'};
    AppendWord(out, static_cast<std::uint32_t>(stored.size()));
    AppendWord(out, unpacked);
    AppendWord(out, static_cast<std::uint32_t>(m_flags.entries.size()));
    out.insert(out.end(), stored.begin(), stored.end());
    return m_host.WriteWholeFile(m_flags.saveFolder + file, out) ? 0 : 1;
}

int TgsScript::LoadTextLog(const char* name) {
    if (!m_flags.present) return 0;
    const std::string file = name ? name : m_flags.textLogName;
    TgsFileImage image;
    if (file.empty() || !m_fileSource(m_flags.saveFolder + file, image)) return 1;
    std::vector<TgsTextLogRecord> records;
    if (ParseTextLog(image.data, image.size, records) != 0) return 2;
    for (auto& entry : m_flags.entries) entry->matched = false;
    for (const TgsTextLogRecord& record : records) {
        for (auto& entry : m_flags.entries) {
            if (entry->matched || entry->name != record.name) continue;
            if (record.readBits == entry->readFlags.BitCount() && !record.readBytes.empty()) {
                entry->readFlags.LoadBytes(record.readBytes.data(), static_cast<std::uint32_t>(record.readBytes.size()));
            }
            if (record.choiceBits == entry->choiceFlags.BitCount() && !record.choiceBytes.empty()) {
                entry->choiceFlags.LoadBytes(record.choiceBytes.data(),
                                             static_cast<std::uint32_t>(record.choiceBytes.size()));
            }
            entry->matched = true;
            break;
        }
    }
    return 0;
}

bool TgsScript::TestReadFlag(std::uint32_t n) { return m_flags.current && m_flags.current->readFlags.Test(n); }

int TgsScript::SetReadFlag(std::uint32_t n) {
    if (!m_flags.current) return -1;
    return m_flags.current->readFlags.Set(n, true);
}

std::uint32_t TgsScript::FlagTotal(const char* name) const {
    std::uint32_t total = 0;
    for (const auto& entry : m_flags.entries) {
        if (!name || EqualNoCaseSjis(entry->name, name)) total += entry->readFlags.BitCount();
        if (name && EqualNoCaseSjis(entry->name, name)) break;
    }
    return total;
}

std::uint32_t TgsScript::FlagSetCount(const char* name) const {
    std::uint32_t total = 0;
    for (const auto& entry : m_flags.entries) {
        if (!name || EqualNoCaseSjis(entry->name, name)) total += entry->readFlags.CountSet();
        if (name && EqualNoCaseSjis(entry->name, name)) break;
    }
    return total;
}

bool TgsScript::AllFlagsSet(const char* name) const {
    if (!m_flags.present) return false;
    for (const auto& entry : m_flags.entries) {
        if (name && !EqualNoCaseSjis(entry->name, name)) continue;
        if (!entry->readFlags.AllSet()) return false;
        if (name) return true;
    }
    return name == nullptr;
}
