// The settings description files: the player description SCRIPT\CONFIG.DAT and the author's
// full description ("CCI0" or "CCI2"), and the developer override file "Tunewell.inf" ("CCI1").
//
// Every count and length is checked against the data and against the buffer the tool keeps it
// in; a cut or oversized file throws ConfigMessageError(kBadFile) and is never read past.
// Strings are stored with a u32 length that counts their NUL and are read up to that NUL.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "configtool/settings/config_item.h"

namespace ConfigFileMagic {
constexpr char kDescription0[] = "CCI0";
constexpr char kDescription2[] = "CCI2";
constexpr char kOverrides[] = "CCI1";
}  // namespace ConfigFileMagic

// Group titles are kept in a 1024-byte label buffer, the NUL included.
constexpr std::uint32_t kGroupTitleMaxLength = 1023;

struct ConfigGroup {
    std::string title;
    std::vector<std::size_t> items;  // indexes into the item list, in file order
};

using ConfigItemList = std::vector<std::unique_ptr<ConfigItem>>;

// A bounded cursor over a loaded file.
class DescriptionReader {
public:
    DescriptionReader(const void* data, std::uint32_t size)
        : m_data(static_cast<const std::uint8_t*>(data)), m_size(data ? size : 0) {}

    // True when the file begins with the 4-byte magic (which is then passed).
    bool ReadMagic(const char* magic);
    std::uint8_t Byte();
    std::uint32_t Word();
    // A stored string of at most maxLength characters; longer or cut ones throw.
    std::string String(std::uint32_t maxLength);
    // The same when the stored length has been read already.
    std::string StringOfLength(std::uint32_t stored, std::uint32_t maxLength);
    void SkipString();
    bool AtEnd() const { return m_position == m_size; }

private:
    const std::uint8_t* Take(std::uint32_t count);

    const std::uint8_t* m_data;
    std::uint32_t m_size;
    std::uint32_t m_position = 0;
};

// The fields of one description item in file order. With requireName a stored name length of 0
// throws kUntitledItem; value starts as the default, and a ConfigText item's text is choice 0.
void ReadDescriptionItem(DescriptionReader& reader, ConfigItem& item, bool requireName);

// Reads a whole description: 0, or 2 for a magic other than "CCI0" and "CCI2" (nothing read).
// Throws ConfigMessageError for a description error; the lists are then left as they were.
std::int32_t ReadConfigDescription(const void* data, std::uint32_t size, std::vector<ConfigGroup>& groups,
                                   ConfigItemList& items);

// One record of "Tunewell.inf".
struct ConfigOverride {
    std::uint8_t record = 0;
    std::uint8_t treeState = 0;
    std::uint32_t offset = 0;
    std::uint8_t width = 0;
    std::uint8_t type = 0;
    std::int32_t value = 0;
    std::string text;  // ConfigText only
};

// Reads "Tunewell.inf" record by record, so that what was applied before an error stays applied.
class OverrideReader {
public:
    OverrideReader(const void* data, std::uint32_t size) : m_reader(data, size) {}
    // False for a magic other than "CCI1".
    bool Open();
    // The next record, or false after the last; throws for a cut count or record.
    bool Next(ConfigOverride& out);

private:
    DescriptionReader m_reader;
    bool m_counted = false;
    std::uint32_t m_remaining = 0;
};

// The override file for the items not shown to players, in tree order.
std::vector<std::uint8_t> BuildOverrideFile(const std::vector<const ConfigItem*>& treeOrder);
// The player description: the groups that hold an item shown to players, with those items,
// their current values as defaults.
std::vector<std::uint8_t> BuildPlayerDescription(const std::vector<ConfigGroup>& groups,
                                                 const ConfigItemList& items);
