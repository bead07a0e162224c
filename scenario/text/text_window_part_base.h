// TextWindowPartBase: where the next character of running text goes. Owns the pen, the margins,
// the line metrics of horizontal and vertical text, automatic line breaking with the Japanese
// line-break rules, the page-full test, ruby over a character and the in-text items (clickable
// stretches of text with rectangles, highlight, sounds and tooltip). It owns no picture: the
// operations that put pixels somewhere are supplied by TextWindowPart.
//
// Fonts are borrowed: the caller keeps them alive or drops them from the window first
// (DropReferencesTo). Item flags are words of the caller (CallerWord).
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "scenario/ui/caller_word.h"
#include "scenario/ui/ui_part.h"

class Font;

struct TextWindowItemArea {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// One clickable stretch of text, owned by its window.
class TextWindowItem {
public:
    virtual ~TextWindowItem() = default;

    std::string name;
    std::int32_t value = 0;
    std::string text;
    CallerWord chosenFlag;
    CallerWord hoverOnFlag;
    CallerWord hoverOffFlag;
    std::string activateSoundName;
    std::string hoverSoundName;
    std::string leaveSoundName;
    std::int32_t activateSound = -1;
    std::int32_t hoverSound = -1;
    std::int32_t leaveSound = -1;
    std::string tooltip;
    std::uint32_t highlightColour = 0;
    std::uint8_t enabled = 0;
    std::deque<TextWindowItemArea> areas;
};

// What AddItem takes (empty strings count as absent).
struct TextWindowItemSetup {
    const char* name = nullptr;
    std::int32_t value = 0;
    const char* text = nullptr;
    const char* tooltip = nullptr;
    CallerWord chosenFlag;
    CallerWord hoverOnFlag;
    CallerWord hoverOffFlag;
    std::uint32_t highlightColour = 0;
    const char* activateSoundName = nullptr;
    const char* hoverSoundName = nullptr;
    const char* leaveSoundName = nullptr;
    std::int32_t activateSound = -1;
    std::int32_t hoverSound = -1;
    std::int32_t leaveSound = -1;
};

class TextWindowPartBase : public UiPart {
public:
    TextWindowPartBase();
    ~TextWindowPartBase() override;

    TextWindowPartBase(const TextWindowPartBase&) = delete;
    TextWindowPartBase& operator=(const TextWindowPartBase&) = delete;

    // A window holds at most this many items: the item map keeps item + 1 in a byte.
    static constexpr std::int32_t kMaxItems = 255;

    // --- Operations of the drawing window ---
    virtual bool NewLine();
    virtual std::int32_t PutChar(const char** text) = 0;
    virtual std::int32_t MoveTo(std::int32_t x, std::int32_t y) = 0;
    virtual std::int32_t DrawString(const char* text, std::int32_t x, std::int32_t y,
                                    bool moveFirst) = 0;
    virtual bool HitTestFrame(std::int32_t x, std::int32_t y) = 0;
    virtual void MarkItemArea(std::int32_t x, std::int32_t y, std::int32_t w,
                              std::int32_t h) = 0;
    virtual std::int32_t ItemAtPoint(std::int32_t x, std::int32_t y) = 0;
    virtual void ShowItemHighlight(std::int32_t index, bool on) = 0;

    // --- Layout and items ---
    virtual void ClearItems();
    // 0; 1 when items are not enabled, an item is open, the item map is full or memory ran out.
    virtual std::int32_t AddItem(const TextWindowItemSetup& setup);
    virtual void BeginItemArea();
    virtual void EndItemArea();
    virtual void CloseItem();
    virtual void StopDrag() { m_dragging = 0; }
    virtual void SetLocked(bool locked) { m_locked = locked ? 1 : 0; }
    virtual std::int32_t UpdateLineMetrics();
    virtual std::int32_t GetLineBaseOffset();
    virtual std::int32_t GetItemStartOffsetX();
    virtual std::int32_t GetItemStartOffsetY();
    virtual bool UpdateWrapLimit();
    virtual void UpdateWrapLimitIfFont();
    virtual std::int32_t NewLineIfWrapping();
    virtual void SetIndentHere();
    virtual void ClearIndent() { m_indent = 0; }
    // The text is the caller's and must live until the next character is put.
    virtual bool SetRuby(const char* text);
    virtual std::int32_t DrawAlignedString(const char* text, std::int32_t alignment);
    virtual std::int32_t DrawSpreadString(const char* text, const TextWindowItemArea& rect);
    virtual bool ActivateItem(std::int32_t index);
    virtual bool SelectItem(std::int32_t index);
    virtual bool HighlightItem(std::int32_t index);
    virtual void UnhighlightItem(std::int32_t index);
    virtual bool IsNoBreakOneByte(std::uint8_t c);
    virtual bool IsNoBreakTwoByte(std::uint16_t c);

    // --- The part protocol ---
    // Screen coordinates: follows a frame drag, finds the frame or an item under the pointer.
    bool HitTest(std::int32_t x, std::int32_t y) override;
    void OnPointerMove(std::int32_t x, std::int32_t y) override;
    void OnPointerLeave() override;
    bool OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) override;
    // Selects the first or last item; a window that cannot take the focus passes it on, and
    // clears it when every member of the chain was offered it already.
    void OnFocus(UiPart* previous, bool forward) override;
    void OnBlur(UiPart* next) override;
    // Actions 0 and 2 select the previous item, 1 and 3 the next, 4 activates.
    bool OnKeys(ActionMap* actions) override;
    // The highlighted item's tooltip.
    const char* GetTooltip() override { return m_tooltip; }

    // --- Fields scripts and the message windows set directly ---
    std::int32_t letterSpacing = 0;
    std::int32_t lineGap = 0;
    std::int32_t rubyGap = 0;
    std::int32_t wrapReserve = 2;
    std::int32_t minLineHeight = 0;
    std::int32_t dragAlphaThreshold = 0;
    std::uint8_t centreDoubleByte = 0;
    std::uint8_t autoWrap = 1;
    std::uint8_t rubyBand = 1;

    Font* GetFont() const { return m_font; }
    Font* GetRubyFont() const { return m_rubyFont; }
    std::int32_t Width() const { return m_width; }
    std::int32_t Height() const { return m_height; }
    std::int32_t PenX() const { return m_penX; }
    std::int32_t PenY() const { return m_penY; }
    std::int32_t LineHeight() const { return m_lineHeight; }
    std::int32_t LinePitch() const { return m_linePitch; }
    std::int32_t WrapLimit() const { return m_wrapLimit; }
    std::int32_t Indent() const { return m_indent; }
    bool Vertical() const { return m_vertical != 0; }
    bool LastLine() const { return m_lastLine != 0; }
    bool Untouched() const { return m_untouched != 0; }
    bool Locked() const { return m_locked != 0; }
    bool Dragging() const { return m_dragging != 0; }
    bool ItemsEnabled() const { return m_itemsEnabled != 0; }
    std::int32_t ItemCount() const { return m_itemCount; }
    std::int32_t HoveredItem() const { return m_hoveredItem; }
    const TextWindowItem* Item(std::int32_t index) const;

protected:
    // The character size (|font size|); 0 without a font.
    std::int32_t CharSize() const;
    std::int32_t RubySize() const;
    bool FontItalic() const;
    // Steps the focus on from a window that cannot take it.
    void PassFocus(bool forward);
    // Plays a sound of an item through the group: the name, else the number, else the default.
    void PlayItemSound(const std::string& name, std::int32_t number, std::int32_t fallback);
    bool ItemSelectable(std::int32_t index) const;
    // Ends the keyboard or pointer highlight (tooltip closed first when the group hovers us).
    void DropHover();

    Font* m_font = nullptr;
    Font* m_rubyFont = nullptr;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::uint32_t m_backgroundColour = 0;
    std::uint8_t m_backgroundAlpha = 128;
    std::uint8_t m_frameMode = 1;
    std::int32_t m_marginLeft = 8;
    std::int32_t m_marginTop = 8;
    std::int32_t m_marginRight = 8;
    std::int32_t m_marginBottom = 8;
    std::int32_t m_lineHeight = 0;
    std::int32_t m_linePitch = 0;
    std::int32_t m_itemSpaceBeforeX = 2;
    std::int32_t m_itemSpaceBeforeY = 2;
    std::int32_t m_itemSpaceAfterX = 2;
    std::int32_t m_itemSpaceAfterY = 2;
    std::int32_t m_penX = 0;
    std::int32_t m_penY = 0;
    std::uint8_t m_itemsEnabled = 0;
    std::uint8_t m_vertical = 0;
    std::int32_t m_wrapLimit = 0;
    std::int32_t m_indent = 0;
    const char* m_pendingRuby = nullptr;
    std::uint8_t m_lastLine = 0;
    std::uint8_t m_previousChar[2] = {0, 0};
    std::uint8_t m_untouched = 1;
    std::uint8_t m_dragging = 0;
    std::uint8_t m_locked = 0;
    std::uint8_t m_hoverSuppressed = 0;
    std::int32_t m_dragOffsetX = 0;
    std::int32_t m_dragOffsetY = 0;
    std::int32_t m_pointerX = 0;
    std::int32_t m_pointerY = 0;
    std::deque<TextWindowItem*> m_items;
    std::int32_t m_itemCount = 0;
    std::uint8_t m_itemOpen = 0;
    std::int32_t m_hoveredItem = -1;
    std::uint8_t m_areaOpen = 0;
    const char* m_tooltip = nullptr;
};
