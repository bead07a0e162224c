// Save-file builder for tests ("HNQ0"): every header field, the thumbnail, the lengths, the
// checksum and the snapshot bytes settable. Written from the layout on its own, apart from the
// program's writer, so that the two check each other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// Offsets of the layout, as the tests check them.
namespace SaveLayout {
constexpr std::uint32_t kThumbnail = 8;
constexpr std::uint32_t kThumbnailBytes = 120 * 68 * 3;
constexpr std::uint32_t kTitle = 24488;
constexpr std::uint32_t kComment = 24532;
constexpr std::uint32_t kFlag = 24676;
constexpr std::uint32_t kStoredLength = 24677;
constexpr std::uint32_t kUnpackedLength = 24681;
constexpr std::uint32_t kChecksum = 24685;
constexpr std::uint32_t kData = 24686;
}  // namespace SaveLayout

// A state snapshot: the class-1 variables (selector 0; each a kind byte and its bytes), H, and
// with H the history bytes, the choice snapshot (u32 m and m bytes), then the TGS state bytes.
struct SaveSnapshot {
    struct Variable {
        std::uint8_t kind;
        std::vector<std::uint8_t> bytes;
    };
    std::uint8_t selector = 0;
    std::vector<Variable> variables;
    std::int32_t historyByte = -1;  // -1: 1 when there is a history, else 0
    bool withHistory = false;
    std::vector<std::uint8_t> history;
    std::vector<std::uint8_t> choice;
    std::vector<std::uint8_t> tgsState;

    std::vector<std::uint8_t> Bytes() const;
};

struct SaveFileContent {
    std::string magic = "HNQ0";
    std::uint32_t headerWord = 0;
    std::vector<std::uint8_t> thumbnail;  // blue, green, red per pixel; padded with zeros
    std::string title;
    std::string comment;
    std::uint8_t flag = 0;
    std::vector<std::uint8_t> snapshot;
    bool pack = true;  // LZSS-packed (when it shrinks), else stored with unpacked length 0
    std::int64_t storedLengthField = -1;
    std::int64_t unpackedLengthField = -1;
    std::int32_t checksumField = -1;

    std::vector<std::uint8_t> Bytes() const;
};

// Sets the length and checksum fields of a save file to what its bytes after the header hold:
// a snapshot damaged in place then reaches the snapshot reader.
void RepairSaveLengths(std::vector<std::uint8_t>& file);

}  // namespace testsupport
