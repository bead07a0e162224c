#include "tests/support/settings_file_writer.h"

#include "tests/support/byte_words.h"

namespace testsupport {

std::vector<std::uint8_t> DefaultAppSysRecord() {
    std::vector<std::uint8_t> record(23, 0);
    record[0] = 640 & 0xFF;
    record[1] = 640 >> 8;
    record[2] = 480 & 0xFF;
    record[3] = 480 >> 8;
    record[6] = 0xCA;
    record[18] = 1;
    record[19] = 2;
    record[21] = 1;
    record[22] = 1;
    return record;
}

std::vector<std::uint8_t> BuildAppSysFile(const std::vector<std::uint8_t>& record, int storedLength) {
    std::vector<std::uint8_t> out;
    AppendHalf(out, storedLength < 0 ? static_cast<std::uint32_t>(record.size()) : static_cast<std::uint32_t>(storedLength));
    out.insert(out.end(), record.begin(), record.end());
    return out;
}

std::vector<std::uint8_t> BuildAppInfFile(std::uint8_t major, std::uint8_t minor, std::uint8_t letter,
                                          const std::vector<std::string>& strings) {
    std::vector<std::uint8_t> out = {major, minor, letter};
    for (std::size_t i = 0; i < 5; ++i) {
        const std::string text = i < strings.size() ? strings[i] : std::string();
        if (text.empty()) {
            out.push_back(0);
            continue;
        }
        out.push_back(static_cast<std::uint8_t>(text.size() + 1));
        out.insert(out.end(), text.begin(), text.end());
        out.push_back(0);
    }
    return out;
}

UserCfgBlocks PatternedUserCfg() {
    static const std::size_t kSizes[3] = {72, 14, 17};
    UserCfgBlocks content;
    for (int b = 0; b < 3; ++b) {
        content.blocks[b].resize(kSizes[b]);
        for (std::size_t i = 0; i < kSizes[b]; ++i)
            content.blocks[b][i] = static_cast<std::uint8_t>((b * 61 + i * 7 + 3) & 0x7F);
    }
    return content;
}

std::vector<std::uint8_t> BuildUserCfgFile(const UserCfgBlocks& content) {
    std::vector<std::uint8_t> out;
    for (const auto& block : content.blocks) {
        AppendHalf(out, static_cast<std::uint32_t>(block.size()));
        out.insert(out.end(), block.begin(), block.end());
    }
    if (content.folder.empty()) {
        AppendHalf(out, 0);
    } else {
        AppendHalf(out, static_cast<std::uint32_t>(content.folder.size() + 1));
        out.insert(out.end(), content.folder.begin(), content.folder.end());
        out.push_back(0);
    }
    return out;
}

}  // namespace testsupport
