// ScriptEngine: save files, state snapshots and the choice snapshot.
#include <cstring>
#include <new>

#include "framework/util/little_endian.h"
#include "game/script/script_engine.h"
#include "game/script/script_files.h"

namespace L = SaveFileLayout;
namespace A = SaveAppCfg;

namespace {

// Serialisation selector of the snapshot: the class-1 variables.
constexpr std::uint8_t kSnapshotSelector = 0;

ProgramSaveServices g_programSaveServices;

// The file part of a path: what follows its last separator.
std::string FilePart(const std::string& path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const std::uint8_t byte = static_cast<std::uint8_t>(path[i]);
        if (IsSaveTextLeadByte(byte) && i + 1 < path.size()) {
            ++i;
        } else if (byte == '\\' || byte == '/') {
            start = i + 1;
        }
    }
    return path.substr(start);
}

}  // namespace

void ScriptEngine::SetSaveServices(SaveServices* services) {
    m_saveServices = services ? services : &g_programSaveServices;
}

SaveSlots& ScriptEngine::Saves() {
    m_saveSlots.SetFolder(SaveFolder());
    return m_saveSlots;
}

void ScriptEngine::SetSaveSource(const SavePicture& screen, const std::string& frameImage, const std::string& title) {
    m_saveScreen = screen;
    m_saveFrameImage = frameImage;
    m_saveTitle = title;
}

int ScriptEngine::MakeThumbnail(const SavePicture& screen, const std::string& frameImage,
                                SaveThumbnailPixels& thumbnail) {
    SavePicture image;
    // A SYS_ image is taken as it is, so it must hold the thumbnail's rows and columns of 32 bits.
    if (!frameImage.empty() && m_saveServices->LoadSysImage("SYS_" + FilePart(frameImage), image) && image.bits &&
        image.bitsPerPixel == 32 && image.width >= L::kThumbnailWidth && image.height >= L::kThumbnailHeight) {
        thumbnail.resize(L::kThumbnailWidth * L::kThumbnailHeight);
        for (std::int32_t y = 0; y < L::kThumbnailHeight; ++y) {
            std::memcpy(&thumbnail[y * L::kThumbnailWidth], image.Row(y), L::kThumbnailWidth * 4);
        }
        return 0;
    }
    thumbnail.clear();
    const bool finalFlag = Saves().AppCfg()[A::kNoFinalRender] == 0;
    const int result = m_saveServices->RenderThumbnail(screen, finalFlag, thumbnail);
    if (result != 0) {
        return result == 2 ? 2 : 3;
    }
    return thumbnail.size() == static_cast<std::size_t>(L::kThumbnailWidth * L::kThumbnailHeight) ? 0 : 3;
}

int ScriptEngine::WriteSaveFile(std::int32_t bank, std::int32_t slot) {
    try {
        SavePicture screen;
        std::string frameImage;
        std::string title;
        if (!m_saveServices->TgsSaveSource(screen, frameImage, title)) {
            screen = m_saveScreen;
            frameImage = m_saveFrameImage;
            title = m_saveTitle;
        }
        if (!screen.bits) {
            return 1;
        }
        SaveSlots& slots = Saves();
        const bool rotated = slot == SaveSlots::kNewestSlot;
        if (rotated) {
            if (bank != SaveSlots::kQuickBank && bank != SaveSlots::kSecondQuickBank) {
                return -1;
            }
            slot = slots.NextQuickSlot(bank);
        } else if (slot < 0) {
            return -1;
        }
        SaveThumbnailPixels thumbnail;
        const int made = MakeThumbnail(screen, frameImage, thumbnail);
        if (made != 0) {
            return made;
        }
        std::string comment;
        std::string message;
        if (m_saveCommentSwitch && slots.AppCfg()[A::kSaveComment] != 0 && m_saveServices->MessageTextForSave(message)) {
            comment = CutSaveComment(message.c_str());
        }
        std::vector<std::uint8_t> snapshot;
        if (!BuildStateSnapshot(true, snapshot)) {
            return 6;
        }
        std::vector<std::uint8_t> file;
        if (!BuildSaveFileBytes(thumbnail, CutSaveTitle(title.c_str()), comment, snapshot, file)) {
            return -1;
        }
        if (!WriteWholeFile(slots.FilePath(bank, slot), file)) {
            return 5;
        }
        slots.RecordSave(bank, slot, rotated);
        return 0;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int ScriptEngine::LoadSaveSlot(std::int32_t bank, std::int32_t slot) {
    std::string path = m_loadFileName;
    if (bank >= 0) {
        const int named = Saves().FormatSaveFileName(&path, bank, slot);
        if (named != 0 && named != 3) {
            return -1;
        }
    } else if (path.empty()) {
        return -1;
    }
    return ReadSaveFile(path, 0);
}

int ScriptEngine::ReadSaveFile(const std::string& path, std::uint32_t offset) {
    std::vector<std::uint8_t> file;
    try {
        if (!ReadPlainFile(path, file)) {
            return kSaveMissing;
        }
    } catch (const std::bad_alloc&) {
        return kSaveNoMemory;
    }
    return ReadSaveFileBytes(file.data(), file.size(), offset);
}

int ScriptEngine::ReadSaveFileBytes(const std::uint8_t* file, std::size_t size, std::uint32_t offset) {
    std::vector<std::uint8_t> snapshot;
    const int unpacked = UnpackSaveSnapshot(file, size, offset, snapshot);
    if (unpacked != kSaveRead) {
        return unpacked;
    }
    try {
        return RestoreStateSnapshot(snapshot.data(), snapshot.size()) == 0 ? kSaveRead : kSaveNotRestored;
    } catch (const std::bad_alloc&) {
        return kSaveNoMemory;
    }
}

bool ScriptEngine::BuildStateSnapshot(bool withHistory, std::vector<std::uint8_t>& snapshot) {
    try {
        snapshot.assign(SerializedVariablesSize(kSnapshotSelector, false), 0);
        std::uint8_t* cursor = snapshot.data();
        if (SerializeVariables(&cursor, kSnapshotSelector, false) != 0) {
            return false;
        }
        const bool history = withHistory && Saves().AppCfg()[A::kTextHistory] != 0;
        snapshot.push_back(history ? 1 : 0);
        if (history) {
            if (!m_saveServices->SaveHistory(snapshot)) {
                return false;
            }
            const std::uint32_t size = m_hasChoiceSnapshot ? static_cast<std::uint32_t>(m_choiceSnapshot.size()) : 0;
            LittleEndian::Append32(snapshot, size);
            if (m_hasChoiceSnapshot) {
                snapshot.insert(snapshot.end(), m_choiceSnapshot.begin(), m_choiceSnapshot.end());
            }
        }
        return !m_saveServices->HasTgsFrame() || m_saveServices->SaveTgsState(snapshot);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

int ScriptEngine::RestoreStateSnapshot(const std::uint8_t* data, std::size_t size) {
    if (!data) {
        return 1;
    }
    const std::uint8_t* cursor = data;
    const std::uint8_t* const end = data + size;
    if (!CheckSerializedVariables(&cursor, end)) {
        return 2;
    }
    // The rest is read into scratch: the game changes only once every part has read.
    if (cursor == end || *cursor > 1) {
        return 3;
    }
    const bool history = *cursor++ == 1;
    bool hasChoice = false;
    std::vector<std::uint8_t> choice;
    bool read = true;
    if (history) {
        std::uint32_t choiceSize = 0;
        read = m_saveServices->ReadHistory(cursor, end, Saves().AppCfg()[A::kTextHistory] != 0) &&
               LittleEndian::Read32(cursor, end, choiceSize) && choiceSize <= static_cast<std::size_t>(end - cursor);
        if (read && choiceSize != 0) {
            choice.assign(cursor, cursor + choiceSize);
            cursor += choiceSize;
            hasChoice = true;
        }
    }
    if (read && m_saveServices->HasTgsFrame()) {
        read = m_saveServices->ReadTgsState(cursor, end);
    }
    if (!read) {
        m_saveServices->DiscardPending();
        return 3;
    }
    const std::uint8_t* variables = data;
    DeserializeVariables(&variables, end);
    m_saveServices->ReleaseMessageBuffers();
    m_choiceSnapshot.swap(choice);
    m_hasChoiceSnapshot = hasChoice;
    m_saveServices->CommitPending();
    return 0;
}

int ScriptEngine::TakeChoiceSnapshot() {
    DropChoiceSnapshot();
    std::vector<std::uint8_t> snapshot;
    if (!BuildStateSnapshot(false, snapshot)) {
        return 1;
    }
    m_choiceSnapshot.swap(snapshot);
    m_hasChoiceSnapshot = true;
    return 0;
}

int ScriptEngine::ReturnToChoice() {
    if (!m_hasChoiceSnapshot) {
        return -1;
    }
    // Restoring replaces the engine's choice snapshot, so the bytes it reads are taken out first.
    std::vector<std::uint8_t> snapshot;
    snapshot.swap(m_choiceSnapshot);
    m_hasChoiceSnapshot = false;
    return RestoreStateSnapshot(snapshot.data(), snapshot.size());
}

void ScriptEngine::DropChoiceSnapshot() {
    m_choiceSnapshot.clear();
    m_hasChoiceSnapshot = false;
}
