// The content of the stand-in SPI plug-ins (tests/plugins/spi_plugins), shared by the
// plug-ins and the tests that check what comes out of them.
//
// Pictures ("TSPI", filter "*.tsp;*.tsq"), little-endian: "TSPI", i32 width, i32 height,
// u16 bit count, u16 flags (SpiPictureFlag), then for 24 bits the rows top row first, R, G, B
// per pixel. At other bit counts the plug-in gives rows of zero bytes.
//
// Archives ("TSPA", filter "*.tsa"): a file that starts with "TSPA"; its entries are the
// plug-in's own fixed list below, their bytes made by SpiArchiveByte.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace spitest {

enum SpiPictureFlag : std::uint16_t {
    kPictureFails = 1,        // GetPicture reports an error
    kPictureShortBits = 2,    // the bits block is one byte short of the rows
    kPictureHeaderOnly = 4,   // the bits block holds 4 bytes, whatever the header says
};

constexpr std::uint32_t kPictureHeaderSize = 16;

struct SpiArchiveEntry {
    std::string path;
    std::string name;
    std::uint32_t size;
    std::uint32_t compressedSize;
};

// Entries 0-5 are the ones the tests name; 6 and on fill the hash buckets beyond 64 entries.
constexpr std::uint32_t kArchiveEntryCount = 76;
constexpr std::uint32_t kBgEntry = 0;
constexpr std::uint32_t kFullWidthEntry = 1;
constexpr std::uint32_t kNecNumeralEntry = 2;
constexpr std::uint32_t kSmallNumeralEntry = 3;
constexpr std::uint32_t kEmptyEntry = 4;
constexpr std::uint32_t kSizesDifferEntry = 5;

inline SpiArchiveEntry SpiArchiveEntryAt(std::uint32_t i) {
    switch (i) {
        case kBgEntry: return {"data/", "BG01.BMP", 300, 300};
        case kFullWidthEntry: return {"", "\x82\x60" "BC.TXT", 10, 10};          // full-width A
        case kNecNumeralEntry: return {"roman/", "\x87\x54" ".DAT", 20, 20};     // NEC Roman one
        case kSmallNumeralEntry: return {"roman\\", "\xFA\x41" ".DAT", 21, 21};  // small Roman two
        case kEmptyEntry: return {"", "EMPTY.DAT", 0, 0};
        case kSizesDifferEntry: return {"packed/", "SIZES.BIN", 50, 30};
        default: {
            char name[16];
            std::snprintf(name, sizeof name, "FILE%03u.DAT", static_cast<unsigned>(i));
            return {"many/", name, 8 + i, 8 + i};
        }
    }
}

// The position the plug-in lists for an entry (not its index, so that the two stay apart).
inline std::uint32_t SpiArchivePosition(std::uint32_t i) { return 0x1000 + i * 0x40; }

inline std::uint8_t SpiArchiveByte(std::uint32_t entry, std::uint32_t offset) {
    return static_cast<std::uint8_t>(entry * 37 + offset * 11 + 5);
}

inline std::string SpiArchiveBytes(std::uint32_t entry) {
    std::string bytes(SpiArchiveEntryAt(entry).size, '\0');
    for (std::uint32_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<char>(SpiArchiveByte(entry, k));
    return bytes;
}

// A picture file: `rgb` holds width × height pixels 0xRRGGBB, top row first (24 bits only).
inline std::vector<std::uint8_t> MakeSpiPicture(std::int32_t width, std::int32_t height,
                                                const std::vector<std::uint32_t>& rgb,
                                                std::uint16_t bitCount = 24, std::uint16_t flags = 0) {
    std::vector<std::uint8_t> file = {'T', 'S', 'P', 'I'};
    auto put = [&](std::uint32_t value, int bytes) {
        for (int k = 0; k < bytes; ++k) file.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
    };
    put(static_cast<std::uint32_t>(width), 4);
    put(static_cast<std::uint32_t>(height), 4);
    put(bitCount, 2);
    put(flags, 2);
    for (std::uint32_t pixel : rgb) {
        file.push_back(static_cast<std::uint8_t>(pixel >> 16));
        file.push_back(static_cast<std::uint8_t>(pixel >> 8));
        file.push_back(static_cast<std::uint8_t>(pixel));
    }
    return file;
}

}  // namespace spitest
