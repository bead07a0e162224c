// The voice table of SCRIPT\VOICEINF.DAT: the game's voices with the names scripts and scenario
// text call them by. Volume, enabled and marker of every voice are kept across runs in the
// persistent variable file.
//
// VOICEINF.DAT: byte n, the voice folder text in n bytes with its zero; u32 total name count;
// u32 voice count V; per voice: byte length and the file name with its zero, byte e and, when
// e > 1, the second text in e bytes with its zero (e = 1: an empty text), u32 name count k and k
// names, each a byte length and the name with its zero.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct VoiceEntry {
    std::string fileName;
    bool hasSecondText = false;
    std::string secondText;
    std::int32_t volume = 256;
    std::uint8_t enabled = 1;
    std::uint8_t marker = 0;  // 1 when the file gives a second-text length of 1 or more
};

struct VoiceName {
    std::string name;
    std::uint32_t voice;  // index into the voice entries
};

struct VoiceTable {
    static constexpr std::size_t kFolderTextSize = 8;

    std::vector<VoiceEntry> voices;
    std::vector<VoiceName> names;
    char folder[kFolderTextSize] = {};

    void Clear();
    // The voice a script name calls, compared without regard to case; -1 when none.
    std::int32_t FindVoice(const char* name) const;
};

enum VoiceTableResult : int {
    kVoiceTableLoaded = 0,
    kVoiceTableMissing = 1,
    // The file does not hold what its counts and lengths say (a count or length past the end, a
    // name count that is not the sum of the voices' counts, a text without its zero, a folder
    // text longer than 7 characters).
    kVoiceTableDamaged = 2,
};

// Parses a whole VOICEINF.DAT into `table`; on damage `table` is left empty.
int ParseVoiceTable(const std::uint8_t* bytes, std::size_t size, VoiceTable& table);
