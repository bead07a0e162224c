#include "game/script/voice_table.h"

#include <cstring>

#include <windows.h>

#include "framework/util/little_endian.h"

namespace {

class VoiceFileReader {
public:
    VoiceFileReader(const std::uint8_t* bytes, std::size_t size) : m_in(bytes), m_end(bytes + size) {}

    std::size_t Left() const { return static_cast<std::size_t>(m_end - m_in); }

    bool Byte(std::uint8_t& value) {
        if (m_in == m_end) {
            return false;
        }
        value = *m_in++;
        return true;
    }
    bool Word(std::uint32_t& value) { return LittleEndian::Read32(m_in, m_end, value); }
    // `length` bytes that end with their zero, and hold no other.
    bool Text(std::uint32_t length, std::string& text) {
        if (length == 0 || Left() < length || m_in[length - 1] != 0) {
            return false;
        }
        text.assign(reinterpret_cast<const char*>(m_in));
        m_in += length;
        return true;
    }
    // A byte length followed by a text of that many bytes.
    bool CountedText(std::string& text) {
        std::uint8_t length = 0;
        return Byte(length) && Text(length, text);
    }

private:
    const std::uint8_t* m_in;
    const std::uint8_t* const m_end;
};

// Smallest bytes of a voice (a one-byte file name, no second text, no names) and of a name.
constexpr std::size_t kSmallestVoice = 2 + 1 + 4;
constexpr std::size_t kSmallestName = 2;

bool Parse(VoiceFileReader& in, VoiceTable& table) {
    std::string folder;
    std::uint32_t nameCount = 0;
    std::uint32_t voiceCount = 0;
    if (!in.CountedText(folder) || folder.size() >= VoiceTable::kFolderTextSize || !in.Word(nameCount) ||
        !in.Word(voiceCount)) {
        return false;
    }
    // The counts are checked against the bytes left before anything is allocated for them.
    if (voiceCount > in.Left() / kSmallestVoice || nameCount > in.Left() / kSmallestName) {
        return false;
    }
    std::memcpy(table.folder, folder.c_str(), folder.size() + 1);
    table.voices.resize(voiceCount);
    table.names.reserve(nameCount);
    for (std::uint32_t v = 0; v < voiceCount; ++v) {
        VoiceEntry& voice = table.voices[v];
        std::uint8_t secondLength = 0;
        std::uint32_t names = 0;
        if (!in.CountedText(voice.fileName) || !in.Byte(secondLength)) {
            return false;
        }
        voice.marker = secondLength >= 1 ? 1 : 0;
        if (secondLength > 1) {
            if (!in.Text(secondLength, voice.secondText)) {
                return false;
            }
            voice.hasSecondText = true;
        }
        if (!in.Word(names) || names > nameCount - table.names.size()) {
            return false;
        }
        for (std::uint32_t k = 0; k < names; ++k) {
            VoiceName name;
            name.voice = v;
            if (!in.CountedText(name.name)) {
                return false;
            }
            table.names.push_back(std::move(name));
        }
    }
    return table.names.size() == nameCount;
}

}  // namespace

void VoiceTable::Clear() {
    voices.clear();
    names.clear();
    std::memset(folder, 0, sizeof(folder));
}

std::int32_t VoiceTable::FindVoice(const char* name) const {
    for (const VoiceName& entry : names) {
        if (lstrcmpiA(entry.name.c_str(), name) == 0) {
            return static_cast<std::int32_t>(entry.voice);
        }
    }
    return -1;
}

int ParseVoiceTable(const std::uint8_t* bytes, std::size_t size, VoiceTable& table) {
    table.Clear();
    VoiceFileReader in(bytes, size);
    if (!Parse(in, table)) {
        table.Clear();
        return kVoiceTableDamaged;
    }
    return kVoiceTableLoaded;
}
