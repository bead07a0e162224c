// SaveSlots: the save files of the save folder by bank and slot: their names, the quick-save
// banks, the slot list's captions and details, new comments, copies and deletions. Files are
// replaced through WriteWholeFile, so a failed write leaves the old file as it was.
//
// Banks 10 and 11 rotate: APP_CFG byte 177 is bank 10's next slot (0-9), byte 178 bank 11's
// (5-9); byte 186 records that a save was written, bytes 187 and 188 the last slot written in
// banks 10 and 11.
#pragma once

#include <cstdint>
#include <string>

#include "game/app/settings_records.h"
#include "game/save/save_services.h"

namespace SaveAppCfg {
constexpr std::uint32_t kTextHistory = 30;
constexpr std::uint32_t kQuickSlot10 = 177;
constexpr std::uint32_t kQuickSlot11 = 178;
constexpr std::uint32_t kSaveComment = 180;
constexpr std::uint32_t kNoFinalRender = 183;
constexpr std::uint32_t kSaveWritten = 186;
constexpr std::uint32_t kLastSlot10 = 187;
constexpr std::uint32_t kLastSlot11 = 188;
}  // namespace SaveAppCfg

class SaveSlots {
public:
    static constexpr std::int32_t kQuickBank = 10;
    static constexpr std::int32_t kSecondQuickBank = 11;
    static constexpr std::int32_t kNewestSlot = -1;

    // The folder ends with '\'.
    void SetFolder(const std::string& folder) { m_folder = folder; }
    // The program's APP_CFG.DAT block (196 bytes); null: a block of defaults of the slots' own.
    void SetAppCfg(std::uint8_t* bytes) { m_appCfg = bytes; }
    std::uint8_t* AppCfg() { return m_appCfg ? m_appCfg : m_ownAppCfg.bytes; }

    // The folder followed by "DATA%02d%02d.SAV".
    std::string FilePath(std::int32_t bank, std::int32_t slot) const;
    // The slot the next quick save of a rotating bank goes to.
    std::int32_t NextQuickSlot(std::int32_t bank);
    // After a save is in place: moves the rotation on when `rotated`, and records the slot.
    void RecordSave(std::int32_t bank, std::int32_t slot, bool rotated);

    // 0; 3 when slot >= 0 and the file does not exist (`out` is set all the same). Slot -1: the
    // newest quick save of bank 10 (1 when there is none) or bank 11 (2); -1 in other banks.
    int FormatSaveFileName(std::string* out, std::int32_t bank, std::int32_t slot);
    // "『title』", a separator (0 " ", 1 "\n", else "\r\n") and "【記録日時 date】": 0; -1 no name;
    // 1 null output; 2 cannot open; 3 wrong magic.
    int FormatSaveSlotCaption(std::string* out, std::int32_t bank, std::int32_t slot, std::int32_t separator);
    // Fills what is given: the thumbnail into a 32-bit picture (up to 120 x 68 pixels), the title
    // (44 bytes), the comment (144 bytes; wrapped, or the stored field; an empty comment is 4 zero
    // bytes), the flag byte and the date text "yyyy/mm/dd(曜) hh:mm". 0; -1 no name; 1 the picture
    // has no pixels; 2 cannot open; 3 wrong magic.
    int ReadSaveSlotInfo(std::int32_t bank, std::int32_t slot, const SavePicture* image, char* title, char* comment,
                         bool wrapComment, std::uint8_t* flag, std::string* dateText);
    // Writes a new comment (same budget as the writer's, with its zero; the rest of the field keeps
    // its bytes): 0; -1 no name; 1 cannot be read or written; 2 wrong magic.
    int RewriteSaveComment(std::int32_t bank, std::int32_t slot, const char* text);
    // 0; 1 no source; 3 the copy failed.
    int CopySaveFile(std::int32_t bank, std::int32_t slot, std::int32_t toBank, std::int32_t toSlot);
    // 0; 1 no such file; 2 the deletion failed.
    int DeleteSaveFile(std::int32_t bank, std::int32_t slot);

private:
    // The file's last-write time in local time as the slot list shows it; false when unreadable.
    static bool FormatFileDate(const std::string& path, std::string& text);

    std::string m_folder;
    std::uint8_t* m_appCfg = nullptr;
    AppCfgBlock m_ownAppCfg;
};
