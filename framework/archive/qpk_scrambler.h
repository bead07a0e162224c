// The key material and scrambling routines of QPK archives, in one place: the archive reader
// undoes them and the test content writer applies them, so both always agree.
//
// Keys derive from the archive's file name (no folder, no extension, upper-cased) and from two
// host words that a game may set through the format's option 1 (both 0 by default):
//  - the index descriptor at offset 4 is stored combined with the second name-key word and the
//    second host word;
//  - the index is combined word by word with a running key that starts from the second words
//    and turns by a different amount after every word;
//  - the head of an entry (up to 64 words after the common prefix) is combined with a running
//    key that starts from the entry key (the first words) and turns after every word;
//  - entries with nonzero entry flags have every byte scrambled by a fixed mapping.
// Scrambling sits below compression: a writer scrambles the head, then the bytes, then
// compresses; a reader decompresses, then descrambles the bytes, then the head.
#pragma once

#include <cstdint>
#include <string>

struct QpkNameKey {
    std::uint32_t first;
    std::uint32_t second;
};

class QpkScrambler {
public:
    // The head covers at most this many 32-bit words after the prefix.
    static constexpr std::uint32_t kHeadWords = 64;

    // The part of an archive path that the keys derive from: the file name without folder and
    // extension, upper-cased.
    static std::string KeyName(const char* path);
    static QpkNameKey MakeNameKey(const std::string& keyName);

    // The descriptor mask: stored descriptor = plain descriptor ^ mask, both ways.
    static std::uint32_t DescriptorMask(const QpkNameKey& key, std::uint32_t secondHostWord);
    static std::uint32_t IndexKey(const QpkNameKey& key, std::uint32_t secondHostWord);
    static std::uint32_t EntryKey(const QpkNameKey& key, std::uint32_t firstHostWord);

    // Both directions of the index and head scrambling are the same operation. Only whole words
    // are touched: the index for length / 4 words, the head for `words` words (unaligned data
    // is fine).
    static void ScrambleIndex(std::uint8_t* index, std::uint32_t length, std::uint32_t indexKey);
    static void ScrambleHead(std::uint8_t* bytes, std::uint32_t words, std::uint32_t entryKey);

    static void ScrambleBytes(std::uint8_t* bytes, std::uint32_t count);
    static void DescrambleBytes(std::uint8_t* bytes, std::uint32_t count);
};
