// SelectListPart: a scrolling list box (type 9): rows of text drawn with one font into the
// part's own image, a vertical image scroll bar of its own beside it whose value is the scroll
// offset in pixels, one selected row, a hover frame that follows the pointer or the keys, and
// with a mark strip a check mark left of every row that the player toggles. A second list of
// face names gives each row its own font face (a font chooser).
//
// The cursor is a row, a row's mark (row + row count) or -1. Rows are shown after
// UpdateScrollRange (or an AddItem that asks for it). The row pitch (font height + spacing, both
// script words) must be at least 1; the cursor and the scroll position stay in their ranges
// whatever a page step is.
//
// Borrowed: the font and the sprite list. A dropped font leaves the list drawing nothing and
// taking no rows (AddItem answers 1); a dropped list takes the sprites out. The scroll bar is not
// a part scripts see; it joins and leaves a group with the list. Used on the game thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "scenario/ui/image_part.h"
#include "scenario/ui/slider_part.h"
#include "scenario/ui/string_list.h"

class Font;

class SelectListPart : public ImagePart {
public:
    // Keyboard codes of Home, End and Space.
    static constexpr std::uint8_t kKeyHome = 199;
    static constexpr std::uint8_t kKeyEnd = 207;
    static constexpr std::uint8_t kKeySpace = 57;

    SelectListPart();
    ~SelectListPart() override;

    std::int32_t TypeCode() override { return kUiSelectList; }
    // Moves the scroll bar by the same step.
    std::int32_t SetPosition(std::int32_t x, std::int32_t y) override;
    void SetVisible(bool visible) override;
    bool SetEnabled(bool enabled) override;
    void SetAlpha(std::uint8_t alpha) override;
    // The part's rectangle.
    bool HitTest(std::int32_t x, std::int32_t y) override;
    void OnPointerMove(std::int32_t x, std::int32_t y) override;
    void OnPointerEnter() override;
    bool OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) override;
    void OnFocus(UiPart* previous, bool forward) override;
    void OnBlur(UiPart* next) override;
    bool OnKeys(ActionMap* actions) override;
    void DropReferencesTo(const void* object) override;

    // 1 no list or font, a width of 0 or less, no thumb file, a slider shorter than its caps
    // + 1, or a row pitch below 1; 2 the mark strip did not load; 3 the image cannot be made.
    // A negative height -n asks for n rows.
    std::int32_t Setup(SpriteList* list, std::int32_t priority, Font* font, std::int32_t height, std::int32_t width,
                       std::int32_t x, std::int32_t y, const char* thumbFile, std::int32_t thumbStartCap,
                       std::int32_t thumbEndCap, std::int32_t sliderLength, std::int32_t sliderX,
                       std::int32_t sliderY, std::uint8_t blendMode, const char* markFile, std::int32_t spacing,
                       std::int32_t tag);
    // 1 without font; 2 out of memory; else one row more, 0.
    std::int32_t AddItem(const char* text, const char* face, bool update);
    void UpdateScrollRange();
    void Redraw();
    // 1 without font; else the row (-1 none past the rows) is selected and shown, 0.
    std::int32_t Select(std::int32_t row);
    // 1 without font, rows or marks; 2 a row out of range; 0.
    std::int32_t SetItemFlag(std::int32_t row, std::uint8_t flag, bool redraw);
    // 0 when the row has no flag.
    std::uint8_t GetItemFlag(std::int32_t row) const;
    // 1 null group; -1 already a member; else the list and its scroll bar join, 0.
    std::int32_t JoinGroup(UiPartGroup* group, std::int32_t index);
    // False when not a member; else the scroll bar and the list leave; true.
    bool LeaveGroup();
    void Release();

    // Taken by the panel before Setup.
    void SetColours(std::uint32_t back, std::uint32_t frame, std::uint32_t select) {
        m_backColour = back;
        m_frameColour = frame;
        m_selectColour = select;
    }
    void SetNewRowFlag(std::uint8_t flag) { m_newRowFlag = flag; }
    void SetPageActions(std::uint8_t up, std::uint8_t down) {
        m_pageUpAction = up;
        m_pageDownAction = down;
    }

    SliderPart& ScrollBar() { return m_slider; }
    std::int32_t RowCount() const;
    std::int32_t Selected() const { return m_selected; }
    std::int32_t Cursor() const { return m_cursor; }
    std::int32_t RowHeight() const { return m_rowHeight; }
    std::int32_t Spacing() const { return m_spacing; }
    std::int32_t Pitch() const { return m_rowHeight + m_spacing; }
    std::int32_t MarkWidth() const { return m_markWidth; }
    // The slider's value, 0 while it cannot scroll.
    std::int32_t ScrollOffset() const;
    Font* RowFont() const { return m_font; }

private:
    // The scroll bar: never takes the focus itself, but passes it on.
    class ScrollBarPart final : public SliderPart {
    public:
        void OnFocus(UiPart* previous, bool forward) override;
    };
    class Listener final : public SliderListener {
    public:
        explicit Listener(SelectListPart& list) : m_list(list) {}
        void ValueChanged(UiPart* slider, std::int32_t value) override;

    private:
        SelectListPart& m_list;
    };

    bool HasMarks() { return m_markImage.Bits() && m_flags && m_texts; }
    // Scrolls the cursor's row wholly into view; false when the slider moved (its listener
    // redrew).
    bool ScrollToRow(std::int32_t cursor);
    void Activate(std::int32_t cursor);
    void SetCursor(std::int32_t cursor);
    void Notify();

    Font* m_font = nullptr;
    std::unique_ptr<StringList> m_texts;
    std::unique_ptr<StringList> m_faces;
    std::int32_t m_rowHeight = 0;
    std::int32_t m_spacing = 0;
    std::int32_t m_selected = -1;
    std::int32_t m_cursor = -1;
    std::int32_t m_savedCursor = -1;
    ScrollBarPart m_slider;
    Listener m_listener{*this};
    std::int32_t m_sliderLength = 0;
    Image m_markImage;
    std::unique_ptr<std::deque<std::uint8_t>> m_flags;
    std::int32_t m_markWidth = 0;
    std::uint8_t m_newRowFlag = 1;
    std::uint32_t m_backColour = 0xC0C0DCC0;
    std::uint32_t m_frameColour = 0xFFFF9CBF;
    std::uint32_t m_selectColour = 0xC00B2BD7;
    std::uint8_t m_pageUpAction = 0;
    std::uint8_t m_pageDownAction = 0;
};
