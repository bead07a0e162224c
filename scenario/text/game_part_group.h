// GamePartGroup: the game's one part group. To the group's focus, hover and pointer logic it
// adds the program's side: the mouse, keyboard and action map, the pointer position and cursor
// kinds through the framework application, typed text from the application's text capture, the
// drawn tooltip box on a bound canvas, the parts' default sounds through the sound manager, and
// the result word a clicked part leaves for the owner of a modal loop to read.
//
// Borrowed: the application, the canvas (and its sprite list), the tooltip font, the action map
// and the sound manager. Whoever deletes the canvas, its target or the font calls
// DropReferencesTo first; the application and the sound manager outlive the group.
//
// Captured text goes to the focused part only: a key as OnKeyCode, typed text as OnText, the
// key first when a turn has both. With no part focused what was captured is still taken from
// the application and dropped, so it never reaches a part that is focused later.
//
// Used on the game thread only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/app/text_receiver.h"
#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"
#include "scenario/ui/slider_listener.h"
#include "scenario/ui/ui_part_group.h"

class ActionMap;
class Canvas;
class Font;
class FrameworkApp;
class SoundManager;

class GamePartGroup : public UiPartGroup {
public:
    // The kinds SetCursorKind knows: 0-6.
    static constexpr std::int32_t kCursorKinds = 7;
    // The program's cursor resources of kinds 1 and 5.
    static constexpr std::uint16_t kLinkCursorResource = 120;
    static constexpr std::uint16_t kSecondCursorResource = 121;

    explicit GamePartGroup(FrameworkApp& app);
    ~GamePartGroup() override;

    // The game point through the application (mapped to the screen, the game cursor updated).
    void SetCursorPos(std::int32_t x, std::int32_t y) override;
    // The application's pointer in game coordinates.
    void GetCursorPos(std::int32_t* x, std::int32_t* y) override;
    // The same kind: true at once. 0-6 load that kind's cursor through the mouse and set the
    // tooltip's y offset; true. Other kinds: false, nothing changes.
    bool SetCursorKind(std::int32_t kind) override;
    std::int32_t GetCursorKind() override { return m_cursorKind; }
    // Through the mouse with the private cursor message 0x9000 to the cursor window.
    void SetCursorVisible(bool visible) override;
    void RestartTooltipTimer() override;
    // The bound canvas's target; without one the application's game size.
    std::int32_t ScreenWidth() override;
    std::int32_t ScreenHeight() override;
    std::int32_t GetFocusPointerMode() override { return 2; }
    // (ScreenWidth() - 1, ScreenHeight() - 1).
    void ParkCursor() override;
    // -2 without a sound manager. A number of 0 or more plays that channel and answers the
    // manager's result; -4, -3 and -2 play the default activate, enter and leave sound, -2
    // when that default is negative. Every other negative number plays nothing: -2. The name
    // is not used.
    std::int32_t PlaySound(const char* name, std::int32_t number, std::int32_t a, std::int32_t b) override;
    // Nothing: the game's buttons act through their flags.
    void RunAction(const char* text1, const char* text2, std::int32_t value) override;
    // The result word becomes the id.
    void NotifyActivated(std::int32_t id) override;
    // Opens or closes the IME of the text-capture window (the application's value 0x9008).
    void SetImeOpen(bool open) override;
    ActionMap* GetActionMap() override { return m_actions; }
    KeyboardDevice* GetKeyboard() override;
    MouseDevice* GetMouse() override;
    // The result word to -1, then the group's reset.
    void Reset() override;
    // Nothing without a font or a canvas. Draws the box around the text's bounds and shows it
    // at the pointer plus the kind's offset, kept on the screen.
    void DrawTooltip(const char* text, std::int32_t x, std::int32_t y) override;
    void HideTooltip() override;
    // A shown tooltip follows the pointer; then every enabled and visible member gets its
    // per-frame update. Members a part's update removes (or deletes) are skipped. True.
    bool UpdateParts(std::uint32_t now, bool* moved, std::int32_t x, std::int32_t y) override;
    // One captured key or text from the application: true when the focused part took it.
    bool DeliverCapturedText(UiPart* focused) override;

    // The tooltip leaves the old canvas's sprite list; the next tooltip shows on the new one.
    void BindCanvas(Canvas* display);
    // True when a visible text button or check part reports the screen point over it.
    bool IsButtonUnderPointer(std::int32_t x, std::int32_t y);
    // Forgets a canvas, a canvas's target or a font about to be deleted; the tooltip leaves a
    // dying canvas.
    void DropReferencesTo(const void* object);

    // The listener scripts give the sliders they make: a value change is an activation of the
    // slider's id.
    SliderListener* PartOwner() { return &m_partOwner; }

    void SetActionMap(ActionMap* actions) { m_actions = actions; }
    void SetSoundManager(SoundManager* manager) { m_soundManager = manager; }
    // The sound numbers played for -4 (activate), -3 (enter) and -2 (leave).
    void SetDefaultSounds(std::int32_t activate, std::int32_t enter, std::int32_t leave);
    void SetTooltipFont(Font* font) { m_tooltipFont = font; }
    // Where SetCursorVisible sends 0x9000; null (the default) is the application's main window.
    void SetCursorWindow(HWND window) { m_cursorWindow = window; }

    // Read by the owner of a modal loop, which sets it back to -1.
    std::int32_t ResultWord() const { return m_result; }
    void SetResultWord(std::int32_t result) { m_result = result; }
    Canvas* Display() const { return m_display; }
    Font* TooltipFont() const { return m_tooltipFont; }
    Image& TooltipImage() { return m_tooltipImage; }
    Sprite& TooltipSprite() { return m_tooltipSprite; }
    std::int32_t TooltipOffsetX() const { return m_tooltipOffsetX; }
    std::int32_t TooltipOffsetY() const { return m_tooltipOffsetY; }
    std::uint32_t TooltipStart() const { return m_tooltipStart; }

private:
    class OwnerListener final : public SliderListener {
    public:
        explicit OwnerListener(GamePartGroup& group) : m_group(group) {}
        void ValueChanged(UiPart* slider, std::int32_t value) override;

    private:
        GamePartGroup& m_group;
    };

    // Hands what the application captured to one part for the length of one delivery.
    class CaptureReceiver final : public TextReceiver {
    public:
        explicit CaptureReceiver(UiPart* part) : m_part(part) {}
        std::uint8_t TakeKey(std::uint8_t key) override;
        std::uint8_t TakeText(const char* text, std::uint32_t length) override;

    private:
        UiPart* m_part;
    };

    // Puts the tooltip sprite at the pointer plus the offset, kept on the screen.
    void PlaceTooltip(std::int32_t x, std::int32_t y);

    FrameworkApp& m_app;
    Canvas* m_display = nullptr;
    Font* m_tooltipFont = nullptr;
    Image m_tooltipImage;
    Sprite m_tooltipSprite;
    std::int32_t m_cursorKind = 0;
    std::int32_t m_tooltipOffsetX = 0;
    std::int32_t m_tooltipOffsetY = 22;
    std::int32_t m_result = -1;
    SoundManager* m_soundManager = nullptr;
    std::int32_t m_defaultSounds[3] = {-1, -1, -1};
    OwnerListener m_partOwner{*this};
    ActionMap* m_actions = nullptr;
    HWND m_cursorWindow = nullptr;
    std::uint32_t m_tooltipStart = 0;
};
