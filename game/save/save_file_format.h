// Save files "DATAbbss.SAV": a 120 x 68 thumbnail, a title, a comment and the packed state
// snapshot. This file knows the layout and the texts; it works on bytes in memory.
//
// Layout (integers little-endian): "HNQ0"; u32 0; the thumbnail, 68 rows of 120 pixels of three
// bytes (blue, green, red), rows in the picture's own order; title (44 bytes, zero-terminated);
// comment (144 bytes, zero-terminated); flag byte 0; u32 stored length n; u32 unpacked length (0:
// stored as it is); checksum byte (sum of the n stored bytes); n bytes of the snapshot, LZSS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace SaveFileLayout {
constexpr char kMagic[] = "HNQ0";
constexpr std::uint32_t kHeaderWordAt = 4;
constexpr std::uint32_t kThumbnailAt = 8;
constexpr std::int32_t kThumbnailWidth = 120;
constexpr std::int32_t kThumbnailHeight = 68;
constexpr std::uint32_t kThumbnailSize = kThumbnailWidth * kThumbnailHeight * 3;
constexpr std::uint32_t kTitleAt = 24488;
constexpr std::uint32_t kTitleSize = 44;
constexpr std::uint32_t kTitleLimit = 40;  // bytes of the title text
constexpr std::uint32_t kCommentAt = 24532;
constexpr std::uint32_t kCommentSize = 144;
constexpr std::uint32_t kCommentBudget = 140;  // a comment keeps less than this many bytes
constexpr std::uint32_t kFlagAt = 24676;
constexpr std::uint32_t kStoredLengthAt = 24677;
constexpr std::uint32_t kLengthFieldsSize = 9;  // stored length, unpacked length, checksum
constexpr std::uint32_t kDataAt = 24686;
// The wrapped comment of the slot list: at most this many lines of this many bytes.
constexpr std::uint32_t kWrapLines = 4;
constexpr std::uint32_t kWrapLineBytes = 34;
}  // namespace SaveFileLayout

// The first byte of a two-byte Shift-JIS character.
bool IsSaveTextLeadByte(std::uint8_t byte);
// The title as stored: at most 40 bytes, never ending inside a two-byte character.
std::string CutSaveTitle(const char* title);
// The comment as stored: characters copied while the 140-byte budget stays above 0 (a two-byte
// character costs 2); a lead byte without its second byte is not copied.
std::string CutSaveComment(const char* text);
// A comment broken into at most 4 lines of at most 34 bytes, two-byte characters whole and the
// comment's own line breaks kept; lines are joined by '\n'.
std::string WrapSaveComment(const char* comment);

// The thumbnail as the writer hands it in: 68 rows of 120 pixels 0xAARRGGBB, in the order the
// rows are stored.
using SaveThumbnailPixels = std::vector<std::uint32_t>;

// The whole file: false only without memory. The snapshot is packed, or stored as it is when
// packing does not pay.
bool BuildSaveFileBytes(const SaveThumbnailPixels& thumbnail, const std::string& title, const std::string& comment,
                        const std::vector<std::uint8_t>& snapshot, std::vector<std::uint8_t>& file);

enum SaveReadResult : int {
    kSaveRead = 0,
    kSaveMissing = 1,
    kSaveNoMemory = 2,
    kSaveDamaged = 3,      // wrong magic, wrong checksum, damaged packing, a length past the file
    kSaveNotRestored = 4,  // the snapshot did not restore
    kSaveBadHeaderWord = 5,
};

// Checks a save file held in memory and unpacks its snapshot: kSaveRead, kSaveDamaged or
// kSaveBadHeaderWord. With a non-zero offset the length fields are read there and the magic and
// header word are not checked; the offset, the fields and the stored bytes are checked against
// the file in every case.
int UnpackSaveSnapshot(const std::uint8_t* file, std::size_t size, std::uint32_t offset,
                       std::vector<std::uint8_t>& snapshot);
