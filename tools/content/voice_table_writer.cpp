#include "tools/content/voice_table_writer.h"

#include "tools/content/byte_words.h"

namespace testsupport {

namespace {

void AppendText(std::vector<std::uint8_t>& out, const std::string& text, bool terminate = true) {
    out.insert(out.end(), text.begin(), text.end());
    if (terminate) {
        out.push_back(0);
    }
}

}  // namespace

std::vector<std::uint8_t> VoiceInf::Bytes() const {
    std::vector<std::uint8_t> out;
    out.push_back(static_cast<std::uint8_t>(folderLengthField >= 0 ? folderLengthField : folder.size() + 1));
    AppendText(out, folder);
    std::uint32_t names = 0;
    for (const VoiceInfVoice& voice : voices) {
        names += static_cast<std::uint32_t>(voice.names.size());
    }
    AppendWord(out, static_cast<std::uint32_t>(nameCountField >= 0 ? nameCountField : names));
    AppendWord(out, static_cast<std::uint32_t>(voiceCountField >= 0 ? voiceCountField : voices.size()));
    for (const VoiceInfVoice& voice : voices) {
        out.push_back(static_cast<std::uint8_t>(voice.fileNameLengthField >= 0 ? voice.fileNameLengthField
                                                                               : voice.fileName.size() + 1));
        AppendText(out, voice.fileName);
        const std::int32_t e = voice.secondLength >= 0
                                   ? voice.secondLength
                                   : (voice.secondText.empty() ? 0 : static_cast<std::int32_t>(voice.secondText.size() + 1));
        out.push_back(static_cast<std::uint8_t>(e));
        if (e > 1) {
            AppendText(out, voice.secondText);
        }
        AppendWord(out, static_cast<std::uint32_t>(voice.nameCountField >= 0 ? voice.nameCountField
                                                                             : voice.names.size()));
        for (const std::string& name : voice.names) {
            out.push_back(static_cast<std::uint8_t>(name.size() + (voice.terminateNames ? 1 : 0)));
            AppendText(out, name, voice.terminateNames);
        }
    }
    return out;
}

}  // namespace testsupport
