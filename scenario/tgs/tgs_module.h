// The pieces of a TGS scenario module host: loaded .TOB modules, the per-module flag arrays of
// TGS_INIT.DAT, and the readers of the three files (memory in, a code out, nothing changed on a
// refusal).
//
// Readings the file layouts leave open, shared with the content library's writer:
//  - a label's length byte counts its NUL (as the names of TGS_INIT.DAT and TEXT_LOG.DAT);
//  - an inline string's 16-bit length counts its NUL, its last byte (length 0: a null string);
//  - the text runs to the end of the file, whose last byte is 0.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/util/bit_array.h"

// Flags counts of TGS_INIT.DAT above this are refused as damage (a script never has that many
// lines or choices, and each count sizes an allocation).
constexpr std::uint32_t kTgsMaxFlagCount = 0x100000;
// A TEXT_LOG.DAT that unpacks to more than this is refused before anything is allocated.
constexpr std::uint32_t kTgsMaxTextLogSize = 0x1000000;

// A loaded .TOB: the whole file image, which linking modifies in place.
struct TgsModule {
    std::shared_ptr<void> keeper;  // owns the image
    std::uint8_t* image = nullptr;
    std::uint32_t size = 0;
    std::string name;              // as given
    std::int32_t tableIndex = -1;  // in TGS_INIT.DAT, -1 without a table
    std::uint32_t textOffset = 0;  // 4 + L1 + L2
    std::uint32_t textSize = 0;    // to the end of the file, the final 0 included
    std::vector<std::pair<std::string, std::uint32_t>> labels;
    std::vector<std::uint32_t> lines;
    std::set<std::uint32_t> linkedBlocks;  // text offsets of the code blocks linked so far

    std::uint8_t* Text() const { return image + textOffset; }
    std::uint8_t* TextEnd() const { return image + size; }
};

struct TgsModuleFlags {
    std::string name;
    std::uint8_t nameLength = 0;
    bool matched = false;
    BitArray readFlags;
    BitArray choiceFlags;
};

// Reads the tables of a .TOB image into `module` (labels, lines, text offset and size): true,
// or false when a length, count, label, line entry or offset lies outside the file or the text,
// or the text does not end with 0. The magic is checked by the caller.
bool ParseTob(const std::uint8_t* data, std::uint32_t size, TgsModule& module);

struct TgsInitRecord {
    std::string name;
    std::uint32_t readFlags;
    std::uint32_t choiceFlags;
};
// TGS_INIT.DAT: false when a count does not fit the bytes left, a name does not end with its 0
// or a flag count is above kTgsMaxFlagCount.
bool ParseTgsInit(const std::uint8_t* data, std::uint32_t size, std::vector<TgsInitRecord>& records);

struct TgsTextLogRecord {
    std::string name;
    std::uint32_t readBits;
    std::vector<std::uint8_t> readBytes;
    std::uint32_t choiceBits;
    std::vector<std::uint8_t> choiceBytes;
};
// TEXT_LOG.DAT: 0; 2 a wrong magic, a failed unpack, or a record that does not fit (a byte
// count that disagrees with its bit count included).
int ParseTextLog(const std::uint8_t* data, std::uint32_t size, std::vector<TgsTextLogRecord>& records);

// Shift-JIS aware case handling: trail bytes are never changed or folded.
std::string UpperCaseSjis(const std::string& text);
bool EqualNoCaseSjis(const std::string& a, const std::string& b);
inline bool IsSjisLead(std::uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }
