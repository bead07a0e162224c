#include "configtool/settings/description_file.h"

#include <cstring>
#include <limits>

#include "configtool/settings/config_messages.h"
#include "framework/util/little_endian.h"

namespace {

constexpr std::uint32_t kUnbounded = std::numeric_limits<std::uint32_t>::max();

[[noreturn]] void Refuse() { throw ConfigMessageError{ConfigMessages::kBadFile}; }

void AppendString(std::vector<std::uint8_t>& out, const std::string& text) {
    // The stored length counts the NUL; a string is written up to its first NUL.
    const std::size_t length = std::strlen(text.c_str());
    LittleEndian::Append32(out, static_cast<std::uint32_t>(length + 1));
    out.insert(out.end(), text.c_str(), text.c_str() + length + 1);
}

}  // namespace

const std::uint8_t* DescriptionReader::Take(std::uint32_t count) {
    if (count > m_size - m_position) Refuse();
    const std::uint8_t* at = m_data + m_position;
    m_position += count;
    return at;
}

bool DescriptionReader::ReadMagic(const char* magic) {
    if (m_size - m_position < 4 || std::memcmp(m_data + m_position, magic, 4) != 0) return false;
    m_position += 4;
    return true;
}

std::uint8_t DescriptionReader::Byte() { return *Take(1); }

std::uint32_t DescriptionReader::Word() { return LittleEndian::Load32(Take(4)); }

std::string DescriptionReader::String(std::uint32_t maxLength) { return StringOfLength(Word(), maxLength); }

std::string DescriptionReader::StringOfLength(std::uint32_t stored, std::uint32_t maxLength) {
    const char* bytes = reinterpret_cast<const char*>(Take(stored));
    const void* nul = std::memchr(bytes, 0, stored);
    const std::uint32_t length =
        nul ? static_cast<std::uint32_t>(static_cast<const char*>(nul) - bytes) : stored;
    if (length > maxLength) Refuse();
    return std::string(bytes, length);
}

void DescriptionReader::SkipString() { Take(Word()); }

void ReadDescriptionItem(DescriptionReader& reader, ConfigItem& item, bool requireName) {
    item.record = reader.Byte();
    item.treeState = reader.Byte();
    item.offset = reader.Word();
    item.width = reader.Byte();
    const std::uint32_t nameLength = reader.Word();
    if (nameLength == 0 && requireName) throw ConfigMessageError{ConfigMessages::kUntitledItem};
    item.name = reader.StringOfLength(nameLength, kUnbounded);
    item.type = reader.Byte();
    if (item.type >= kConfigItemTypeCount) Refuse();
    item.defaultValue = static_cast<std::int32_t>(reader.Word());
    const std::uint32_t choiceCount = reader.Word();
    item.choices.clear();
    for (std::uint32_t i = 0; i < choiceCount; ++i) {
        // A ConfigText item's first choice is its default string, kept in the text buffer.
        const bool intoText = item.type == ConfigText && i == 0;
        item.choices.push_back(reader.String(intoText ? kConfigTextMaxLength : kUnbounded));
    }
    const std::uint32_t descriptionLength = reader.Word();
    item.hasDescription = descriptionLength != 0;
    item.description = reader.StringOfLength(descriptionLength, kUnbounded);
    item.value = item.defaultValue;
    item.text = item.type == ConfigText && !item.choices.empty() ? item.choices[0] : std::string();
}

std::int32_t ReadConfigDescription(const void* data, std::uint32_t size, std::vector<ConfigGroup>& groups,
                                   ConfigItemList& items) {
    DescriptionReader reader(data, size);
    if (!reader.ReadMagic(ConfigFileMagic::kDescription0) && !reader.ReadMagic(ConfigFileMagic::kDescription2))
        return 2;
    std::vector<ConfigGroup> newGroups;
    ConfigItemList newItems;
    const std::uint32_t groupCount = reader.Word();
    for (std::uint32_t g = 0; g < groupCount; ++g) {
        ConfigGroup group;
        group.title = reader.String(kGroupTitleMaxLength);
        const std::uint32_t itemCount = reader.Word();
        for (std::uint32_t i = 0; i < itemCount; ++i) {
            auto item = std::make_unique<ConfigItem>();
            ReadDescriptionItem(reader, *item, true);
            group.items.push_back(items.size() + newItems.size());
            newItems.push_back(std::move(item));
        }
        newGroups.push_back(std::move(group));
    }
    for (auto& group : newGroups) groups.push_back(std::move(group));
    for (auto& item : newItems) items.push_back(std::move(item));
    return 0;
}

bool OverrideReader::Open() { return m_reader.ReadMagic(ConfigFileMagic::kOverrides); }

bool OverrideReader::Next(ConfigOverride& out) {
    // The count is read with the first record, so that a file cut inside it is refused as
    // every other cut is.
    if (!m_counted) {
        m_remaining = m_reader.Word();
        m_counted = true;
    }
    if (m_remaining == 0) return false;
    --m_remaining;
    out.record = m_reader.Byte();
    out.treeState = m_reader.Byte();
    out.offset = m_reader.Word();
    out.width = m_reader.Byte();
    out.type = m_reader.Byte();
    out.value = static_cast<std::int32_t>(m_reader.Word());
    out.text.clear();
    if (out.type == ConfigText) out.text = m_reader.String(kConfigTextMaxLength);
    return true;
}

std::vector<std::uint8_t> BuildOverrideFile(const std::vector<const ConfigItem*>& treeOrder) {
    std::vector<std::uint8_t> out(ConfigFileMagic::kOverrides, ConfigFileMagic::kOverrides + 4);
    std::uint32_t count = 0;
    for (const ConfigItem* item : treeOrder) count += item->treeState != kShownToPlayers;
    LittleEndian::Append32(out, count);
    for (const ConfigItem* item : treeOrder) {
        if (item->treeState == kShownToPlayers) continue;
        out.push_back(item->record);
        out.push_back(item->treeState);
        LittleEndian::Append32(out, item->offset);
        out.push_back(item->width);
        out.push_back(item->type);
        LittleEndian::Append32(out, IsDeviceType(item->type) ? 0u : static_cast<std::uint32_t>(item->value));
        if (item->type == ConfigText) AppendString(out, item->text);
    }
    return out;
}

std::vector<std::uint8_t> BuildPlayerDescription(const std::vector<ConfigGroup>& groups,
                                                 const ConfigItemList& items) {
    std::vector<std::uint8_t> out(ConfigFileMagic::kDescription2, ConfigFileMagic::kDescription2 + 4);
    auto shown = [&](const ConfigGroup& group) {
        std::vector<const ConfigItem*> list;
        for (std::size_t index : group.items)
            if (items[index]->treeState == kShownToPlayers) list.push_back(items[index].get());
        return list;
    };
    std::uint32_t groupCount = 0;
    for (const ConfigGroup& group : groups) groupCount += !shown(group).empty();
    LittleEndian::Append32(out, groupCount);
    for (const ConfigGroup& group : groups) {
        const std::vector<const ConfigItem*> list = shown(group);
        if (list.empty()) continue;
        AppendString(out, group.title);
        LittleEndian::Append32(out, static_cast<std::uint32_t>(list.size()));
        for (const ConfigItem* item : list) {
            out.push_back(item->record);
            out.push_back(item->treeState);
            LittleEndian::Append32(out, item->offset);
            out.push_back(item->width);
            AppendString(out, item->name);
            out.push_back(item->type);
            if (IsDeviceType(item->type)) {
                LittleEndian::Append32(out, 0);
                LittleEndian::Append32(out, 0);
            } else if (item->type == ConfigText) {
                LittleEndian::Append32(out, static_cast<std::uint32_t>(item->value));
                LittleEndian::Append32(out, item->text.empty() ? 0u : 1u);
                if (!item->text.empty()) AppendString(out, item->text);
            } else {
                LittleEndian::Append32(out, static_cast<std::uint32_t>(item->value));
                LittleEndian::Append32(out, static_cast<std::uint32_t>(item->choices.size()));
                for (const std::string& choice : item->choices) AppendString(out, choice);
            }
            if (item->hasDescription) {
                AppendString(out, item->description);
            } else {
                LittleEndian::Append32(out, 0);
            }
        }
    }
    return out;
}
