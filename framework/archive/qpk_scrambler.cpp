#include "framework/archive/qpk_scrambler.h"

#include <windows.h>

#include "framework/util/little_endian.h"
#include "framework/files/shift_jis.h"

namespace {

constexpr std::uint32_t kFirstSeed = 0x1F3D5B79;
constexpr std::uint32_t kSecondSeed = 0xE2C4A687;
constexpr unsigned kFirstTurn = 5;
constexpr unsigned kSecondTurn = 11;
constexpr unsigned kHeadTurn = 7;
constexpr std::uint8_t kByteMask = 0xA7;
constexpr unsigned kByteTurn = 3;

std::uint32_t RotateLeft(std::uint32_t value, unsigned bits) {
    bits &= 31;
    return bits ? (value << bits) | (value >> (32 - bits)) : value;
}

}  // namespace

std::string QpkScrambler::KeyName(const char* path) {
    std::size_t nameStart = 0;
    std::size_t dot = std::string::npos;
    std::size_t i = 0;
    for (; path[i]; ++i) {
        std::uint8_t c = static_cast<std::uint8_t>(path[i]);
        if (IsShiftJisLeadByte(c) && path[i + 1]) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/' || c == ':') {
            nameStart = i + 1;
            dot = std::string::npos;
        } else if (c == '.') {
            dot = i;
        }
    }
    std::size_t end = dot == std::string::npos ? i : dot;
    std::string name(path + nameStart, path + end);
    if (!name.empty()) CharUpperBuffA(&name[0], static_cast<DWORD>(name.size()));
    return name;
}

QpkNameKey QpkScrambler::MakeNameKey(const std::string& keyName) {
    QpkNameKey key = {kFirstSeed, kSecondSeed};
    const std::size_t n = keyName.size();
    for (std::size_t i = 0; i < n; ++i) {
        key.first = RotateLeft(key.first ^ static_cast<std::uint8_t>(keyName[n - 1 - i]), kFirstTurn);
        key.second = RotateLeft(key.second ^ static_cast<std::uint8_t>(keyName[i]), kSecondTurn);
    }
    return key;
}

std::uint32_t QpkScrambler::DescriptorMask(const QpkNameKey& key, std::uint32_t secondHostWord) {
    return key.second ^ secondHostWord;
}

std::uint32_t QpkScrambler::IndexKey(const QpkNameKey& key, std::uint32_t secondHostWord) {
    return key.second + secondHostWord;
}

std::uint32_t QpkScrambler::EntryKey(const QpkNameKey& key, std::uint32_t firstHostWord) {
    return key.first ^ firstHostWord;
}

void QpkScrambler::ScrambleIndex(std::uint8_t* index, std::uint32_t length, std::uint32_t indexKey) {
    std::uint32_t key = indexKey;
    const std::uint32_t words = length / 4;
    for (std::uint32_t i = 0; i < words; ++i) {
        LittleEndian::Store32(index + i * 4, LittleEndian::Load32(index + i * 4) ^ key);
        key = RotateLeft(key, 1 + i % 31);
    }
}

void QpkScrambler::ScrambleHead(std::uint8_t* bytes, std::uint32_t words, std::uint32_t entryKey) {
    std::uint32_t key = entryKey;
    for (std::uint32_t i = 0; i < words; ++i) {
        LittleEndian::Store32(bytes + i * 4, LittleEndian::Load32(bytes + i * 4) ^ key);
        key = RotateLeft(key, kHeadTurn);
    }
}

void QpkScrambler::ScrambleBytes(std::uint8_t* bytes, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t b = bytes[i] ^ kByteMask;
        bytes[i] = static_cast<std::uint8_t>((b << kByteTurn) | (b >> (8 - kByteTurn)));
    }
}

void QpkScrambler::DescrambleBytes(std::uint8_t* bytes, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t b = bytes[i];
        b = static_cast<std::uint8_t>((b >> kByteTurn) | (b << (8 - kByteTurn)));
        bytes[i] = b ^ kByteMask;
    }
}
