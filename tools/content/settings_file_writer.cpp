#include "tools/content/settings_file_writer.h"

#include <stdexcept>
#include <utility>

#include "tools/content/byte_words.h"

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

UserCfgBlocks DefaultUserCfg() {
    UserCfgBlocks content;
    content.blocks[0].assign(72, 0);
    // Threaded mode off; CMOV, MMX, SSE and SSE2 allowed; a display canvas of the first kind;
    // Direct3D detail; minimise in the background; window-message input; joysticks; both
    // DirectSound options; the sound-decoder host and presentation options.
    for (std::size_t at : {1, 2, 3, 4, 5, 9, 10, 13, 17, 18, 20, 22, 23}) content.blocks[0][at] = 1;
    content.blocks[0][16] = 2;
    content.blocks[0][21] = 2;
    // Screen mode as described, colour depth choice 3, no stored position, cursor placement on.
    content.blocks[1] = {0, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0};
    content.blocks[2].assign(17, 1);
    for (std::size_t at : {0, 3, 5, 10, 11, 15}) content.blocks[2][at] = 0;
    SetField(content.blocks[2], 11, 2, 512);
    return content;
}

std::vector<std::uint8_t> DefaultAppCfgBlock() {
    std::vector<std::uint8_t> block(196, 0);
    const std::size_t ones[] = {0, 4, 5, 7, 8, 9, 11, 13, 15, 16, 26, 30, 68, 73, 80, 82, 83, 84, 85, 86, 109,
                                130, 149, 153, 155, 159, 162, 163, 166, 167, 172, 173, 179, 181, 182, 183, 190, 191};
    for (std::size_t at : ones) block[at] = 1;
    const std::pair<std::size_t, std::uint8_t> bytes[] = {{25, 30}, {27, 30}, {29, 100}, {70, 2}, {74, 255},
                                                         {113, 65}, {174, 2}, {178, 5}, {192, 5}};
    for (const auto& [at, value] : bytes) block[at] = value;
    const std::uint8_t keys[16] = {44, 45, 30, 65, 66, 67, 68, 57, 50, 46, 210, 31, 14, 20, 201, 209};
    for (std::size_t i = 0; i < 16; ++i) block[114 + i] = keys[i];
    const std::pair<std::size_t, std::uint32_t> words[] = {{20, 750}, {32, 1000}, {76, 0xFD95A4}, {88, 256}, {92, 130},
                                                          {96, 160}, {100, 170}, {104, 256}, {168, 256}};
    for (const auto& [at, value] : words) SetField(block, at, 4, value);
    // "ＭＳ ゴシック" in Shift-JIS.
    const std::uint8_t face[] = {0x82, 0x6C, 0x82, 0x72, 0x20, 0x83, 0x53, 0x83, 0x56, 0x83, 0x62, 0x83, 0x4E};
    for (std::size_t i = 0; i < sizeof(face); ++i) block[36 + i] = face[i];
    return block;
}

std::vector<std::uint8_t> BuildAppCfgFile(const std::vector<std::uint8_t>& block, std::int64_t storedLength) {
    std::vector<std::uint8_t> out;
    AppendWord(out, storedLength < 0 ? static_cast<std::uint32_t>(block.size()) : static_cast<std::uint32_t>(storedLength));
    out.insert(out.end(), block.begin(), block.end());
    return out;
}

std::vector<std::uint8_t> BuildSetUpFile(const std::string& key, std::uint8_t scope, int storedLength,
                                         const char* magic) {
    std::vector<std::uint8_t> out(magic, magic + 4);
    out.push_back(static_cast<std::uint8_t>(storedLength < 0 ? key.size() + 1 : static_cast<std::size_t>(storedLength)));
    out.insert(out.end(), key.begin(), key.end());
    out.push_back(0);
    out.push_back(scope);
    return out;
}

void SetField(std::vector<std::uint8_t>& record, std::size_t at, std::size_t width, std::uint32_t value) {
    if (width != 1 && width != 2 && width != 4) throw std::out_of_range("field width");
    if (at + width > record.size()) throw std::out_of_range("field place");
    for (std::size_t i = 0; i < width; ++i) record[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace testsupport
