#include "game/app/settings_records.h"

#include <cstring>

#include "framework/util/byte_cursor.h"

namespace {

namespace F = SettingsFiles;

// "ＭＳ ゴシック" in Shift-JIS.
const char kDefaultFontFace[] = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";

void PutHalf(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}
void PutWord(std::uint8_t* at, std::uint32_t value) {
    PutHalf(at, value & 0xFFFF);
    PutHalf(at + 2, value >> 16);
}
void AppendHalf(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

bool ReadU16(ByteCursor& in, std::uint32_t& value) {
    std::uint8_t bytes[2];
    if (!in.ReadBytes(bytes, 2)) return false;
    value = bytes[0] | (bytes[1] << 8);
    return true;
}

// The block of `length` bytes at the cursor: at most `size` of them go into `record`, the rest
// is skipped. False when the block runs past the end.
bool ReadBlock(ByteCursor& in, std::uint32_t length, std::uint8_t* record, std::uint32_t size) {
    if (length > in.Remaining()) return false;
    std::memcpy(record, in.Position(), length < size ? length : size);
    return in.Skip(length);
}

// A text of `length` bytes that should end with its NUL; one that lacks it ends at the block's
// end. False when the text runs past the end.
bool ReadText(ByteCursor& in, std::uint32_t length, std::string& text) {
    if (length > in.Remaining()) return false;
    const char* begin = reinterpret_cast<const char*>(in.Position());
    const void* nul = std::memchr(begin, 0, length);
    text.assign(begin, nul != nullptr ? static_cast<const char*>(nul) - begin : length);
    return in.Skip(length);
}

}  // namespace

AppSysRecord::AppSysRecord() {
    std::memset(bytes, 0, sizeof(bytes));
    PutHalf(bytes + F::AppSys::kGameWidth, 640);
    PutHalf(bytes + F::AppSys::kGameHeight, 480);
    PutWord(bytes + F::AppSys::kWindowStyle, 0xCA0000);
    bytes[F::AppSys::kSingleInstance] = 1;
    bytes[F::AppSys::kScreenModePolicy] = 2;
    bytes[F::AppSys::kSaveFolderMode] = 1;
    bytes[F::AppSys::kMenuBarMode] = 1;
}

std::string AppInfTexts::SaveFolderName() const {
    if (hasSaveFolderName) return texts[F::AppInf::kSaveFolderName];
    return texts[F::AppInf::kTitle] + F::kSaveDataSuffix;
}

UserCfgRecords::UserCfgRecords() {
    static const std::uint8_t kBlock1[27] = {0, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 0, 0, 1,
                                             0, 0, 2, 1, 1, 0, 1, 2, 1, 1, 0, 0, 0};
    static const std::uint8_t kBlock2[14] = {0, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0};
    static const std::uint8_t kBlock3[17] = {0, 1, 1, 0, 1, 0, 1, 1, 1, 1, 0, 0, 2, 1, 1, 0, 1};
    std::memset(block1, 0, sizeof(block1));
    std::memcpy(block1, kBlock1, sizeof(kBlock1));
    std::memcpy(block2, kBlock2, sizeof(block2));
    std::memcpy(block3, kBlock3, sizeof(block3));
}

std::int32_t UserCfgRecords::WindowX() const {
    std::int32_t x;
    std::memcpy(&x, block2 + 2, 4);
    return x;
}
std::int32_t UserCfgRecords::WindowY() const {
    std::int32_t y;
    std::memcpy(&y, block2 + 6, 4);
    return y;
}
void UserCfgRecords::SetWindowPosition(std::int32_t x, std::int32_t y) {
    std::memcpy(block2 + 2, &x, 4);
    std::memcpy(block2 + 6, &y, 4);
}

AppCfgBlock::AppCfgBlock() {
    static const struct {
        std::uint32_t at;
        std::uint8_t values[16];
        std::uint32_t count;
    } kRuns[] = {
        {0, {1, 0, 0, 0, 1, 1, 0, 1, 1, 1, 0, 1, 0, 1, 0, 1}, 16},
        {16, {1}, 1},
        {24, {0, 30, 1, 30, 0, 100, 1, 0}, 8},
        {68, {1, 0, 2, 0, 0, 1, 255, 0}, 8},
        {80, {1, 0, 1, 1, 1, 1, 1, 0}, 8},
        {108, {0, 1, 0, 0, 0, 65, 44, 45, 30, 65, 66, 67, 68, 57, 50, 46}, 16},
        {124, {210, 31, 14, 20, 201, 209, 1, 0, 0}, 9},
        {149, {1, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 0, 0, 1, 1, 0}, 16},
        {165, {0, 1, 1}, 3},
        {172, {1, 1, 2, 0, 0, 0, 5, 1, 0, 1, 1, 1, 0, 0, 0, 0}, 16},
        {188, {0, 0, 1, 1, 5, 0, 0, 0}, 8},
    };
    std::memset(bytes, 0, sizeof(bytes));
    for (const auto& run : kRuns) std::memcpy(bytes + run.at, run.values, run.count);
    PutWord(bytes + 20, 750);
    PutWord(bytes + 32, 1000);
    std::memcpy(bytes + F::AppCfg::kFontFace, kDefaultFontFace, sizeof(kDefaultFontFace));
    PutWord(bytes + 76, 0xFD95A4);
    PutWord(bytes + 88, 256);
    PutWord(bytes + 92, 130);
    PutWord(bytes + 96, 160);
    PutWord(bytes + 100, 170);
    PutWord(bytes + 104, 256);
    PutWord(bytes + 168, 256);
}

int ReadAppSysFile(const std::vector<std::uint8_t>& file, AppSysRecord& record) {
    ByteCursor in(static_cast<const void*>(file.data()), file.size());
    AppSysRecord read = record;
    std::uint32_t length;
    if (!ReadU16(in, length) || !ReadBlock(in, length, read.bytes, sizeof(read.bytes))) return kSettingsDamaged;
    PutWord(read.bytes + F::AppSys::kWindowStyle, 0xCB0000);
    PutHalf(read.bytes + F::AppSys::kIconId, 103);
    if (read.Half(F::AppSys::kMenuId) != 0) PutHalf(read.bytes + F::AppSys::kMenuId, 101);
    if (read.Half(F::AppSys::kAcceleratorId) != 0) PutHalf(read.bytes + F::AppSys::kAcceleratorId, 102);
    record = read;
    return kSettingsRead;
}

int ReadAppInfFile(const std::vector<std::uint8_t>& file, AppInfTexts& texts) {
    ByteCursor in(static_cast<const void*>(file.data()), file.size());
    AppInfTexts read;
    if (!in.ReadBytes(read.version, sizeof(read.version))) return kSettingsDamaged;
    for (std::uint32_t i = 0; i < F::kAppInfStringCount && in.Remaining() != 0; ++i) {
        std::uint8_t length;
        in.ReadU8(length);
        if (!ReadText(in, length, read.texts[i])) return kSettingsDamaged;
        if (i == F::AppInf::kSaveFolderName) read.hasSaveFolderName = length != 0;
    }
    texts = read;
    return kSettingsRead;
}

int ReadUserCfgFile(const std::vector<std::uint8_t>& file, UserCfgRecords& records) {
    ByteCursor in(static_cast<const void*>(file.data()), file.size());
    UserCfgRecords read = records;
    std::uint8_t* const blocks[F::kUserCfgBlockCount] = {read.block1, read.block2, read.block3};
    for (std::uint32_t b = 0; b < F::kUserCfgBlockCount && in.Remaining() != 0; ++b) {
        std::uint32_t length;
        if (!ReadU16(in, length) || !ReadBlock(in, length, blocks[b], F::kUserCfgBlockSizes[b]))
            return kSettingsDamaged;
    }
    if (in.Remaining() != 0) {
        std::uint32_t length;
        std::string folder;
        if (!ReadU16(in, length) || !ReadText(in, length, folder)) return kSettingsDamaged;
        if (length != 0) read.folder = folder;
    }
    records = read;
    return kSettingsRead;
}

int ReadAppCfgFile(const std::vector<std::uint8_t>& file, AppCfgBlock& block) {
    ByteCursor in(static_cast<const void*>(file.data()), file.size());
    AppCfgBlock read = block;
    std::uint32_t length;
    if (!in.ReadU32(length) || !ReadBlock(in, length, read.bytes, sizeof(read.bytes))) return kSettingsDamaged;
    block = read;
    return kSettingsRead;
}

int ReadSetUpFile(const std::vector<std::uint8_t>& file, SetUpInfo& info) {
    ByteCursor in(static_cast<const void*>(file.data()), file.size());
    char magic[4];
    if (!in.ReadBytes(magic, 4)) return kSettingsDamaged;
    if (std::memcmp(magic, F::kSetUpMagic, 4) != 0) return kSettingsNothing;
    std::uint8_t length;
    if (!in.ReadU8(length)) return kSettingsDamaged;
    if (length == 0) return kSettingsNothing;
    SetUpInfo read;
    if (!ReadText(in, length, read.key) || !in.ReadU8(read.scope)) return kSettingsDamaged;
    info = read;
    return kSettingsRead;
}

std::vector<std::uint8_t> BuildUserCfgFile(const UserCfgRecords& records) {
    std::vector<std::uint8_t> out;
    const std::uint8_t* const blocks[F::kUserCfgBlockCount] = {records.block1, records.block2, records.block3};
    for (std::uint32_t b = 0; b < F::kUserCfgBlockCount; ++b) {
        AppendHalf(out, F::kUserCfgBlockSizes[b]);
        out.insert(out.end(), blocks[b], blocks[b] + F::kUserCfgBlockSizes[b]);
    }
    if (records.folder.empty()) {
        AppendHalf(out, 0);
    } else {
        AppendHalf(out, static_cast<std::uint32_t>(records.folder.size() + 1));
        out.insert(out.end(), records.folder.begin(), records.folder.end());
        out.push_back(0);
    }
    return out;
}

std::vector<std::uint8_t> BuildAppCfgFile(const AppCfgBlock& block) {
    std::vector<std::uint8_t> out(4 + sizeof(block.bytes));
    PutWord(out.data(), sizeof(block.bytes));
    std::memcpy(out.data() + 4, block.bytes, sizeof(block.bytes));
    return out;
}
