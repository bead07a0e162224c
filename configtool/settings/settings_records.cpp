#include "configtool/settings/settings_records.h"

#include <algorithm>
#include <cstring>

#include "configtool/settings/config_messages.h"
#include "framework/util/little_endian.h"

using namespace SettingsFiles;

namespace {

constexpr std::uint8_t kBlock1Defaults[27] = {0, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 0, 0, 1,
                                              0, 0, 2, 1, 1, 0, 1, 2, 1, 1, 0, 0, 0};
constexpr std::uint8_t kBlock3Defaults[17] = {0, 1, 1, 0, 1, 0, 1, 1, 1, 1, 0, 0, 2, 1, 1, 0, 1};

void Store16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Append16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

// A bounded cursor for the settings files, whose readers are lenient: what the data does not
// hold is left as it was.
struct Cursor {
    const std::uint8_t* at;
    std::uint32_t left;

    bool Half(std::uint32_t& value) {
        if (left < 2) return false;
        value = at[0] | (at[1] << 8);
        at += 2;
        left -= 2;
        return true;
    }
    // Copies at most `capacity` of the `length` bytes that follow and moves past all of them
    // that the data holds.
    void Block(std::uint32_t length, std::uint8_t* destination, std::uint32_t capacity) {
        const std::uint32_t present = std::min(length, left);
        std::memcpy(destination, at, std::min(present, capacity));
        at += present;
        left -= present;
    }
    std::string Text(std::uint32_t length, std::uint32_t maxLength) {
        const std::uint32_t present = std::min(length, left);
        const char* bytes = reinterpret_cast<const char*>(at);
        const void* nul = std::memchr(bytes, 0, present);
        const std::uint32_t size = nul ? static_cast<std::uint32_t>(static_cast<const char*>(nul) - bytes) : present;
        at += present;
        left -= present;
        return CutOnWholeCharacter(std::string(bytes, size), maxLength);
    }
};

std::uint32_t StringLength(const std::string& text) { return static_cast<std::uint32_t>(std::strlen(text.c_str())); }

}  // namespace

void SettingsRecords::SetDefaults() {
    std::memset(appSys, 0, sizeof appSys);
    Store16(appSys + AppSys::kGameWidth, 640);
    Store16(appSys + AppSys::kGameHeight, 480);
    LittleEndian::Store32(appSys + AppSys::kWindowStyle, 0x00CA0000);
    appSys[AppSys::kSingleInstance] = 1;
    appSys[AppSys::kScreenModePolicy] = 2;
    appSys[AppSys::kSaveFolderSwitch] = 0;
    appSys[AppSys::kSaveFolderMode] = kSaveBesideProgram;
    appSys[AppSys::kMenuBarMode] = 1;
    appInfHeader[0] = 1;
    appInfHeader[1] = 0;
    appInfHeader[2] = 0;
    for (std::string& text : appInfStrings) text.clear();
    std::memset(block1, 0, sizeof block1);
    std::memcpy(block1, kBlock1Defaults, sizeof kBlock1Defaults);
    std::memset(block2, 0, sizeof block2);
    block2[ScreenMode::kDepth] = 3;
    LittleEndian::Store32(block2 + 2, 0xFFFFFFFFu);
    LittleEndian::Store32(block2 + 6, 0xFFFFFFFFu);
    block2[10] = 1;
    std::memcpy(block3, kBlock3Defaults, sizeof block3);
    folder.clear();
}

std::uint8_t* SettingsRecords::Bytes(std::uint8_t record, std::uint32_t* size) {
    const std::uint8_t* bytes = static_cast<const SettingsRecords*>(this)->Bytes(record, size);
    return const_cast<std::uint8_t*>(bytes);
}

const std::uint8_t* SettingsRecords::Bytes(std::uint8_t record, std::uint32_t* size) const {
    switch (record) {
        case kAppSysRecord: *size = sizeof appSys; return appSys;
        case kAppInfRecord: *size = sizeof appInfHeader; return appInfHeader;
        case kUserCfgBlock1: *size = sizeof block1; return block1;
        case kUserCfgBlock2: *size = sizeof block2; return block2;
        case kUserCfgBlock3: *size = sizeof block3; return block3;
        default: *size = 0; return nullptr;
    }
}

std::string* SettingsRecords::StringSlot(std::uint8_t record, std::uint32_t offset) {
    if (record == kAppInfRecord && offset >= kFirstAppInfStringSlot &&
        offset < kFirstAppInfStringSlot + kAppInfStringCount)
        return &appInfStrings[offset - kFirstAppInfStringSlot];
    if (record == kUserCfgFolder && offset == 0) return &folder;
    return nullptr;
}

bool ReadAppSys(const void* data, std::uint32_t size, SettingsRecords& records) {
    Cursor cursor{static_cast<const std::uint8_t*>(data), data ? size : 0};
    std::uint32_t length;
    if (!cursor.Half(length)) return false;
    cursor.Block(length, records.appSys, sizeof records.appSys);
    return true;
}

bool ReadAppInf(const void* data, std::uint32_t size, SettingsRecords& records) {
    Cursor cursor{static_cast<const std::uint8_t*>(data), data ? size : 0};
    if (cursor.left < kAppInfHeaderSize) return false;
    cursor.Block(kAppInfHeaderSize, records.appInfHeader, kAppInfHeaderSize);
    for (std::string& text : records.appInfStrings) {
        text.clear();
        if (cursor.left == 0) continue;
        const std::uint32_t length = *cursor.at;
        ++cursor.at;
        --cursor.left;
        text = cursor.Text(length, kAppInfStringMaxLength);
    }
    return true;
}

void ReadUserCfg(const void* data, std::uint32_t size, SettingsRecords& records) {
    Cursor cursor{static_cast<const std::uint8_t*>(data), data ? size : 0};
    std::uint8_t* blocks[kUserCfgBlockCount] = {records.block1, records.block2, records.block3};
    for (std::uint32_t i = 0; i < kUserCfgBlockCount; ++i) {
        std::uint32_t length;
        if (!cursor.Half(length)) return;
        cursor.Block(length, blocks[i], kUserCfgBlockSizes[i]);
    }
    std::uint32_t length;
    if (!cursor.Half(length)) return;
    // A folder path is held in a MAX_PATH buffer by both programs.
    records.folder = cursor.Text(length, 259);
}

std::vector<std::uint8_t> BuildAppSys(const SettingsRecords& records) {
    std::vector<std::uint8_t> out;
    Append16(out, kAppSysRecordSize);
    out.insert(out.end(), records.appSys, records.appSys + kAppSysRecordSize);
    return out;
}

std::vector<std::uint8_t> BuildAppInf(const SettingsRecords& records) {
    std::vector<std::uint8_t> out(records.appInfHeader, records.appInfHeader + kAppInfHeaderSize);
    for (const std::string& stored : records.appInfStrings) {
        // The length byte counts the NUL, so a longer string would wrap it.
        const std::string text = CutOnWholeCharacter(stored.c_str(), kAppInfStringMaxLength);
        if (text.empty()) {
            out.push_back(0);
            continue;
        }
        out.push_back(static_cast<std::uint8_t>(text.size() + 1));
        out.insert(out.end(), text.c_str(), text.c_str() + text.size() + 1);
    }
    return out;
}

std::vector<std::uint8_t> BuildUserCfg(const SettingsRecords& records) {
    std::vector<std::uint8_t> out;
    const std::uint8_t* blocks[kUserCfgBlockCount] = {records.block1, records.block2, records.block3};
    for (std::uint32_t i = 0; i < kUserCfgBlockCount; ++i) {
        Append16(out, kUserCfgBlockSizes[i]);
        out.insert(out.end(), blocks[i], blocks[i] + kUserCfgBlockSizes[i]);
    }
    const std::uint32_t length = StringLength(records.folder);
    if (length == 0) {
        Append16(out, 0);
    } else {
        Append16(out, length + 1);
        out.insert(out.end(), records.folder.c_str(), records.folder.c_str() + length + 1);
    }
    return out;
}

bool ItemPlaceIsValid(const SettingsRecords& records, const ConfigItem& item) {
    std::uint32_t size;
    if (!records.Bytes(item.record, &size)) return false;
    return item.width >= 1 && item.width <= 4 && item.offset <= size && item.width <= size - item.offset;
}

bool ReadItemFromRecords(const SettingsRecords& records, ConfigItem& item) {
    if (item.type == ConfigText) {
        std::string* slot = const_cast<SettingsRecords&>(records).StringSlot(item.record, item.offset);
        const std::string text = slot ? CutOnWholeCharacter(slot->c_str(), kConfigTextMaxLength) : std::string();
        if (text == item.text) return false;
        item.text = text;
        return true;
    }
    std::int32_t value = item.value;
    if (item.type == ConfigScreenMode) {
        const std::int32_t depth = records.block2[ScreenMode::kDepth];
        value = depth == 3 ? 3 : (depth - 16) >> 3;
    } else if (IsNumericType(item.type)) {
        value = 0;
        if (ItemPlaceIsValid(records, item)) {
            std::uint32_t size;
            const std::uint8_t* bytes = records.Bytes(item.record, &size) + item.offset;
            std::uint32_t number = 0;
            for (int i = item.width - 1; i >= 0; --i) number = (number << 8) | bytes[i];
            value = static_cast<std::int32_t>(number);
        }
    }
    if (value == item.value) return false;
    item.value = value;
    return true;
}

void WriteItemToRecords(SettingsRecords& records, const ConfigItem& item) {
    if (item.record >= kSettingsRecordCount) throw ConfigMessageError{ConfigMessages::kBadIndex};
    if (item.type == ConfigText) {
        if (item.record != kAppInfRecord && item.record != kUserCfgFolder)
            throw ConfigMessageError{ConfigMessages::kBadStringItem};
        if (std::string* slot = records.StringSlot(item.record, item.offset)) {
            const std::uint32_t limit = item.record == kAppInfRecord ? kAppInfStringMaxLength : kConfigTextMaxLength;
            *slot = CutOnWholeCharacter(item.text.c_str(), limit);
        }
        return;
    }
    if (item.type == ConfigScreenMode) {
        std::uint8_t* block = records.block2;
        block[ScreenMode::kMode] = 1;
        switch (item.value) {
            case 0: block[ScreenMode::kDepth] = 16; break;
            case 1: block[ScreenMode::kDepth] = 24; break;
            case 2: block[ScreenMode::kDepth] = 32; break;
            case 3:
                block[ScreenMode::kDepth] = 3;
                block[ScreenMode::kMode] = 2;
                break;
            default: break;
        }
        return;
    }
    if (!IsNumericType(item.type)) return;
    if (!ItemPlaceIsValid(records, item)) throw ConfigMessageError{ConfigMessages::kBadIndex};
    std::uint32_t size;
    std::uint8_t* bytes = records.Bytes(item.record, &size) + item.offset;
    const std::uint32_t value = static_cast<std::uint32_t>(item.value);
    for (int i = 0; i < item.width; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
