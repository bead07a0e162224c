// SaveServices: what the save files need of the scenario presentation and the graphics core. The
// script engine calls them while it writes and restores snapshots and thumbnails; tests put
// their own in place, and ProgramSaveServices is the program's own until those subsystems give
// the message history, the TGS frame state and the screen rendering.
//
// Restoring reads every part before anything changes: ReadHistory and ReadTgsState parse into a
// pending value that CommitPending makes current and DiscardPending drops.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/save/save_file_format.h"

// A picture of 32-bit pixels, 0xAARRGGBB, seen row by row in the picture's own order.
struct SavePicture {
    std::uint8_t* bits = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t pitch = 0;  // bytes from a row to the next in the picture's order
    std::int32_t bitsPerPixel = 32;

    std::uint32_t* Row(std::int32_t y) const { return reinterpret_cast<std::uint32_t*>(bits + y * pitch); }
};

class SaveServices {
public:
    virtual ~SaveServices() = default;

    // The SOB message text's history, appended to `out`; false when it cannot be saved.
    virtual bool SaveHistory(std::vector<std::uint8_t>& out) = 0;
    // Parses a saved history from [cursor, end), moving the cursor past it; false when it does
    // not read. `keepHistory` is APP_CFG byte 30.
    virtual bool ReadHistory(const std::uint8_t*& cursor, const std::uint8_t* end, bool keepHistory) = 0;

    virtual bool HasTgsFrame() = 0;
    virtual bool SaveTgsState(std::vector<std::uint8_t>& out) = 0;
    virtual bool ReadTgsState(const std::uint8_t*& cursor, const std::uint8_t* end) = 0;

    virtual void CommitPending() = 0;
    virtual void DiscardPending() = 0;

    // Frees the message text's buffers, as a loaded game starts with none.
    virtual void ReleaseMessageBuffers() = 0;

    // With a TGS frame: its screen, frame-image name and title; false without a frame.
    virtual bool TgsSaveSource(SavePicture& screen, std::string& frameImage, std::string& title) = 0;
    // The message text shown now, for the comment; false when there is none.
    virtual bool MessageTextForSave(std::string& text) = 0;

    // Loads the image "SYS_<name>"; the picture stays valid until the next call. False when it
    // does not load.
    virtual bool LoadSysImage(const std::string& name, SavePicture& picture) = 0;
    // Renders the screen into a 120 x 68 thumbnail (`finalFlag`: APP_CFG byte 183 is 0): 0, 2 when
    // the thumbnail cannot be made, 3 when the work picture cannot be made.
    virtual int RenderThumbnail(const SavePicture& screen, bool finalFlag, SaveThumbnailPixels& thumbnail) = 0;
};

// The program's services for now: no history and no TGS frame (both save and read nothing), no
// message buffers, no SYS_ images, and a thumbnail that samples the screen's pixels.
class ProgramSaveServices : public SaveServices {
public:
    bool SaveHistory(std::vector<std::uint8_t>&) override { return true; }
    bool ReadHistory(const std::uint8_t*&, const std::uint8_t*, bool) override { return true; }
    bool HasTgsFrame() override { return false; }
    bool SaveTgsState(std::vector<std::uint8_t>&) override { return true; }
    bool ReadTgsState(const std::uint8_t*&, const std::uint8_t*) override { return true; }
    void CommitPending() override {}
    void DiscardPending() override {}
    void ReleaseMessageBuffers() override {}
    bool TgsSaveSource(SavePicture&, std::string&, std::string&) override { return false; }
    bool MessageTextForSave(std::string&) override { return false; }
    bool LoadSysImage(const std::string&, SavePicture&) override { return false; }
    int RenderThumbnail(const SavePicture& screen, bool finalFlag, SaveThumbnailPixels& thumbnail) override;
};

// A point-sampled 120 x 68 copy of a 32-bit picture, rows in its order: false when the picture
// has no pixels.
bool SampleThumbnail(const SavePicture& picture, SaveThumbnailPixels& thumbnail);
