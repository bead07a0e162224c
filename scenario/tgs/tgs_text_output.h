// What the frame's text output (message hand-over, speaker and voice, the in-text font change,
// screen flashes) shares with the rest of the frame: the per-window placement record and the
// frame operations that other parts of the scenario screen supply.
#pragma once

#include <cstdint>

class FontList;
class ScreenBuffer;
class TransitionRegistry;

// Where a message window stands and how it looks; one per window, index 0-4. The fields from x
// to pivotY form the window record of the frame state.
struct WindowPlacement {
    std::int32_t x = 512;
    std::int32_t y = 534;
    std::uint8_t shown = 0;
    // 0 x is the window's centre, 1 its left edge, 2 its right edge.
    std::uint8_t anchorMode = 0;
    std::int32_t anchorX = 512;
    std::int32_t anchorY = 534;
    // -1 the frame image follows the speaker; 0-7 a fixed frame image.
    std::int32_t frameImage = -1;
    // -1 the player's window opacity; 0-255 a fixed one.
    std::int32_t opacity = -1;
    std::int32_t frameImageShown = 0;
    // 0 none; else the zoom a window animation left on the window's sprite.
    float zoom = 0.0f;
    std::int32_t angle = 0;
    std::int32_t pivotX = 0;
    std::int32_t pivotY = 0;
    // The window's two running effects (layer effects); borrowed.
    void* effects[2] = {nullptr, nullptr};
};

// The frame operations the text output calls that the click wait, the layer slots and effects,
// the page transitions, the sound manager and the settings supply. The frame holds one; until
// it is given one the neutral answers below stand (no skip, at once, no screens, nothing
// installed).
class TgsFrameStage {
public:
    virtual ~TgsFrameStage() = default;
    // The reveal speed of the text in ms per character (0: at once).
    virtual std::int32_t CheckSettingSkip() { return 0; }
    // Whether the player asks to cut a wait short, by the cut flags.
    virtual bool IsSkipRequested(std::uint32_t flags) {
        (void)flags;
        return false;
    }
    // Stops the window's two animation effects.
    virtual void StopWindowEffect(std::int32_t window) { (void)window; }
    // The character index of the voice's record in the voice table (the sound manager's look-up
    // on channel -2); -1 for a name the table does not hold.
    virtual std::int32_t VoiceCharacter(const char* voice) {
        (void)voice;
        return -1;
    }
    // The front screen buffer transitions run on, and the registry "cross" comes from.
    virtual ScreenBuffer* FrontScreen() { return nullptr; }
    virtual TransitionRegistry* Transitions() { return nullptr; }
    // The pages: cleared to a colour with no slots, slots of both pages cleared, the back page's
    // background set (false when the image fails to load), the page change finished, the pages
    // exchanged.
    virtual void ClearPage(bool back, std::uint32_t colour) {
        (void)back;
        (void)colour;
    }
    virtual void ClearSlots() {}
    virtual bool SetBackPageBackground(const char* name) {
        (void)name;
        return false;
    }
    virtual void FinishPageChange() {}
    virtual void ExchangePages() {}
    // The application's frame skipping.
    virtual bool FrameSkipping() { return false; }
    virtual void SetFrameSkipping(bool on) { (void)on; }
    // Fills the application's font list (the faces installed, vertical forms included).
    virtual void FillFontList(FontList& list) { (void)list; }
    // The player's message face and weight from the settings.
    virtual const char* PlayerFace() { return ""; }
    virtual bool PlayerFontBold() { return false; }
};
