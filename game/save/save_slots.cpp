#include "game/save/save_slots.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include <windows.h>

#include "game/script/script_files.h"

namespace L = SaveFileLayout;
namespace A = SaveAppCfg;

namespace {

bool Exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool HasSaveMagic(const std::vector<std::uint8_t>& file) {
    return file.size() >= 4 && std::memcmp(file.data(), L::kMagic, 4) == 0;
}

}  // namespace

std::string SaveSlots::FilePath(std::int32_t bank, std::int32_t slot) const {
    char name[48];
    std::snprintf(name, sizeof(name), "DATA%02d%02d.SAV", static_cast<int>(bank), static_cast<int>(slot));
    return m_folder + name;
}

std::int32_t SaveSlots::NextQuickSlot(std::int32_t bank) {
    const std::uint8_t next = AppCfg()[bank == kQuickBank ? A::kQuickSlot10 : A::kQuickSlot11];
    if (bank == kQuickBank) {
        return next <= 9 ? next : 0;
    }
    return next >= 5 && next <= 9 ? next : 5;
}

void SaveSlots::RecordSave(std::int32_t bank, std::int32_t slot, bool rotated) {
    std::uint8_t* const cfg = AppCfg();
    if (rotated) {
        const std::int32_t next = slot + 1;
        if (bank == kQuickBank) {
            cfg[A::kQuickSlot10] = static_cast<std::uint8_t>(next > 9 ? 0 : next);
        } else {
            cfg[A::kQuickSlot11] = static_cast<std::uint8_t>(next > 9 ? 5 : next);
        }
    }
    if (bank == kQuickBank) {
        cfg[A::kLastSlot10] = static_cast<std::uint8_t>(slot);
    } else if (bank == kSecondQuickBank && slot >= 5) {
        cfg[A::kLastSlot11] = static_cast<std::uint8_t>(slot);
    }
    cfg[A::kSaveWritten] = 1;
}

int SaveSlots::FormatSaveFileName(std::string* out, std::int32_t bank, std::int32_t slot) {
    if (slot >= 0) {
        *out = FilePath(bank, slot);
        return Exists(*out) ? 0 : 3;
    }
    if (slot != kNewestSlot || (bank != kQuickBank && bank != kSecondQuickBank)) {
        return -1;
    }
    // Backwards from the slot before the next one: the newest file first.
    const bool first = bank == kQuickBank;
    const std::int32_t lowest = first ? 0 : 5;
    std::int32_t candidate = NextQuickSlot(bank);
    for (std::int32_t tries = first ? 10 : 5; tries > 0; --tries) {
        candidate = candidate == lowest ? 9 : candidate - 1;
        const std::string path = FilePath(bank, candidate);
        if (Exists(path)) {
            *out = path;
            return 0;
        }
    }
    return first ? 1 : 2;
}

bool SaveSlots::FormatFileDate(const std::string& path, std::string& text) {
    static const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
    WIN32_FILE_ATTRIBUTE_DATA data;
    FILETIME local;
    SYSTEMTIME t;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &t)) {
        return false;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%04d/%02d/%02d(%s) %02d:%02d", t.wYear, t.wMonth, t.wDay,
                  kWeekdays[t.wDayOfWeek % 7], t.wHour, t.wMinute);
    text = buffer;
    return true;
}

int SaveSlots::FormatSaveSlotCaption(std::string* out, std::int32_t bank, std::int32_t slot, std::int32_t separator) {
    std::string path;
    if (FormatSaveFileName(&path, bank, slot) < 0) {
        return -1;
    }
    if (!out) {
        return 1;
    }
    std::vector<std::uint8_t> file;
    std::string date;
    if (!ReadPlainFile(path, file) || !FormatFileDate(path, date)) {
        return 2;
    }
    if (!HasSaveMagic(file) || file.size() < L::kTitleAt + L::kTitleSize) {
        return 3;
    }
    const char* title = reinterpret_cast<const char*>(file.data() + L::kTitleAt);
    *out = "『" + std::string(title, strnlen(title, L::kTitleSize)) + "』";
    *out += separator == 0 ? " " : separator == 1 ? "\n" : "\r\n";
    *out += "【記録日時 " + date + "】";
    return 0;
}

int SaveSlots::ReadSaveSlotInfo(std::int32_t bank, std::int32_t slot, const SavePicture* image, char* title,
                                char* comment, bool wrapComment, std::uint8_t* flag, std::string* dateText) {
    std::string path;
    if (FormatSaveFileName(&path, bank, slot) < 0) {
        return -1;
    }
    if (image && !image->bits) {
        return 1;
    }
    std::vector<std::uint8_t> file;
    std::string date;
    if (!ReadPlainFile(path, file) || (dateText && !FormatFileDate(path, date))) {
        return 2;
    }
    if (!HasSaveMagic(file) || file.size() <= L::kFlagAt) {
        return 3;
    }
    if (image) {
        const std::int32_t rows = image->height < L::kThumbnailHeight ? image->height : L::kThumbnailHeight;
        const std::int32_t columns = image->width < L::kThumbnailWidth ? image->width : L::kThumbnailWidth;
        for (std::int32_t y = 0; y < rows; ++y) {
            const std::uint8_t* in = file.data() + L::kThumbnailAt + y * L::kThumbnailWidth * 3;
            std::uint32_t* row = image->Row(y);
            for (std::int32_t x = 0; x < columns; ++x, in += 3) {
                row[x] = 0xFF000000u | (static_cast<std::uint32_t>(in[2]) << 16) |
                         (static_cast<std::uint32_t>(in[1]) << 8) | in[0];
            }
        }
    }
    if (title) {
        std::memcpy(title, file.data() + L::kTitleAt, L::kTitleSize);
        title[L::kTitleSize - 1] = 0;
    }
    if (comment) {
        const char* stored = reinterpret_cast<const char*>(file.data() + L::kCommentAt);
        if (stored[0] == 0) {
            std::memset(comment, 0, 4);
        } else if (wrapComment) {
            const std::string wrapped = WrapSaveComment(std::string(stored, strnlen(stored, L::kCommentSize)).c_str());
            std::memcpy(comment, wrapped.c_str(), wrapped.size() + 1);
        } else {
            std::memcpy(comment, stored, L::kCommentSize);
            comment[L::kCommentSize - 1] = 0;
        }
    }
    if (flag) {
        *flag = file[L::kFlagAt];
    }
    if (dateText) {
        *dateText = date;
    }
    return 0;
}

int SaveSlots::RewriteSaveComment(std::int32_t bank, std::int32_t slot, const char* text) {
    std::string path;
    if (FormatSaveFileName(&path, bank, slot) < 0) {
        return -1;
    }
    std::vector<std::uint8_t> file;
    if (!ReadPlainFile(path, file)) {
        return 1;
    }
    if (!HasSaveMagic(file) || file.size() < L::kCommentAt + L::kCommentSize) {
        return 2;
    }
    const std::string comment = CutSaveComment(text);
    std::memcpy(file.data() + L::kCommentAt, comment.c_str(), comment.size() + 1);
    return WriteWholeFile(path, file) ? 0 : 1;
}

int SaveSlots::CopySaveFile(std::int32_t bank, std::int32_t slot, std::int32_t toBank, std::int32_t toSlot) {
    std::string source;
    if (FormatSaveFileName(&source, bank, slot) != 0) {
        return 1;
    }
    std::vector<std::uint8_t> file;
    if (!ReadPlainFile(source, file)) {
        return 3;
    }
    return WriteWholeFile(FilePath(toBank, toSlot), file) ? 0 : 3;
}

int SaveSlots::DeleteSaveFile(std::int32_t bank, std::int32_t slot) {
    std::string path;
    if (FormatSaveFileName(&path, bank, slot) != 0) {
        return 1;
    }
    return DeleteFileA(path.c_str()) ? 0 : 2;
}
