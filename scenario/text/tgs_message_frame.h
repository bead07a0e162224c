// TgsMessageFrame: what a TGS message window asks of the scenario frame that owns it. The frame
// makes its windows, points them at itself and clears that pointer before it goes; the window
// never owns it. Game thread only.
#pragma once

#include <cstdint>

class TgsMessageFrame {
public:
    // Runs the in-text command block at `block` (its 0x00 '[', `size` bytes in all, the header
    // already checked to lie inside the text): the operation's result; above 0 asks the window to
    // stop laying the text out.
    virtual std::int32_t RunTextCommand(const std::uint8_t* block, std::uint32_t size) = 0;
    // How the player reads: 0 normal, 1 auto mode, 2 choices shown, 3 skipping. A window shows
    // its wait cursor only at 1 or below.
    virtual std::int32_t RevealMode() = 0;
    // Undoes a font change that in-text commands made while the text was measured.
    virtual void RestoreMessageFont() = 0;

protected:
    ~TgsMessageFrame() = default;
};
