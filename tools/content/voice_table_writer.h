// VOICEINF.DAT writer for tests: the voice table with every count and length settable, so that
// tests can write files whose counts disagree with their contents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct VoiceInfVoice {
    std::string fileName;
    // 0 no second text, 1 an empty one, more: the text's bytes with its zero. -1: from the text
    // (0 when it is empty).
    std::int32_t secondLength = -1;
    std::string secondText;
    std::vector<std::string> names;
    std::int64_t nameCountField = -1;      // replaces the true count k when >= 0
    std::int32_t fileNameLengthField = -1;  // replaces the file name's length byte when >= 0
    bool terminateNames = true;            // false: the names' zeros are left out
};

struct VoiceInf {
    std::string folder;
    std::int32_t folderLengthField = -1;
    std::int64_t nameCountField = -1;  // replaces the sum of the voices' counts when >= 0
    std::int64_t voiceCountField = -1;
    std::vector<VoiceInfVoice> voices;

    std::vector<std::uint8_t> Bytes() const;
};

}  // namespace testsupport
