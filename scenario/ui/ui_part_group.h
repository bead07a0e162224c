// UiPartGroup: the input manager of a set of UI parts. It keeps the members in insertion order
// (the hit-test and focus order), the hovered and the focused part, runs the per-turn pointer
// and key processing, times the tooltip, moves the focus by direction actions, Tab and
// Shift+Tab, and saves whole member lists on a stack so a modal set of parts can take over and
// the previous set return afterwards. It holds the parts by pointer and never deletes one.
//
// Abstract: the pointer position, the action map, keyboard and mouse, sounds, the tooltip box
// and the cursor come from a derived group.
//
// Parts may change the hover, the focus and the membership from any call the group makes into
// them (a part may even delete itself or another part). The group therefore reads the hover and
// the focus again after every such call and never uses a node it held across one. A part that
// cannot take the focus passes it on from OnFocus; within one such chain each member is offered
// the focus once, after which FocusNext and FocusPrevious answer -1 (the part then clears the
// focus).
//
// Used on the game thread only.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <vector>

// The group's PlaySound shares its name with the Win32 function's A/W macro; the macro goes
// here, so the name means the group's operation wherever the group is seen.
#undef PlaySound

class ActionMap;
class KeyboardDevice;
class MouseDevice;
class UiPart;

class UiPartGroup {
public:
    // ReadNavigation's answers.
    enum Navigation : std::int32_t { kNavigateNone = 0, kNavigatePrevious = 1, kNavigateNext = 2 };

    UiPartGroup();
    // Pops every saved state (each pop clears the current members), then clears the last list.
    // Derived groups whose hooks must see this call Close() in their own destructor.
    virtual ~UiPartGroup();
    UiPartGroup(const UiPartGroup&) = delete;
    UiPartGroup& operator=(const UiPartGroup&) = delete;

    // 1 empty member list; null clears the focus (0); 2 not a member; 3 disabled or invisible;
    // else the part gets the focus, 0.
    virtual std::int32_t FocusPart(UiPart* part);
    // The next (previous) enabled and visible member after (before) the focused one, wrapping:
    // 0 focused; 1 empty list; 2 none qualifies and nothing had the focus; -1 none other than
    // the focused part qualifies.
    virtual std::int32_t FocusNext();
    virtual std::int32_t FocusPrevious();
    // Clears the focus and the hover, then every member leaves.
    virtual void Clear();
    // 0 the members are saved and the list is empty (the parts stay members in name); 1 the list
    // is empty; -1 out of memory.
    virtual std::int32_t PushState();
    // 0 the current members leave and the newest saved list returns; 1 nothing saved.
    virtual std::int32_t PopState();
    // 1 null part; 2 the part belongs to a group; 3 out of memory; 0 inserted before the member
    // at `index` (at the end for a negative index or one at or past the count).
    virtual std::int32_t InsertPart(UiPart* part, std::int32_t index);
    // The part leaves the current list or the saved state holding it; a part found nowhere is
    // left alone.
    virtual void RemovePart(UiPart* part);
    virtual void SetCursorPos(std::int32_t x, std::int32_t y);
    virtual void GetCursorPos(std::int32_t* x, std::int32_t* y) = 0;
    virtual bool SetCursorKind(std::int32_t kind);
    virtual std::int32_t GetCursorKind();
    virtual void SetCursorVisible(bool visible);
    virtual void RestartTooltipTimer();
    virtual std::int32_t ScreenWidth();
    virtual std::int32_t ScreenHeight();
    // 0 leave the pointer alone, 1 move it to the centre of a part that gains the focus, 2 park
    // it when a part gains the focus.
    virtual std::int32_t GetFocusPointerMode();
    // SetCursorPos(ScreenWidth() + 1, ScreenHeight()).
    virtual void ParkCursor();
    // A null name with soundId -4 activation, -3 enter, -2 leave asks for the group's defaults.
    virtual std::int32_t PlaySound(const char* name, std::int32_t soundId, std::int32_t a,
                                   std::int32_t b);
    virtual void RunAction(const char* text1, const char* text2, std::int32_t value);
    virtual void NotifyActivated(std::int32_t id);
    virtual void SetImeOpen(bool open);
    virtual ActionMap* GetActionMap() = 0;
    virtual KeyboardDevice* GetKeyboard() = 0;
    virtual MouseDevice* GetMouse() = 0;
    // Clears the focus and the hover, stops the tooltip timing and forgets the pointer position.
    virtual void Reset();
    virtual void SetPointerEnabled(bool enabled);
    // kNavigatePrevious for up, left or Shift+Tab newly pressed; kNavigateNext for down, right
    // or Tab; else kNavigateNone (also without keyboard or action map).
    virtual std::int32_t ReadNavigation(ActionMap* actions);
    // Once per turn. -1 processing off or refused, 0 nothing happened, 1 the part under the
    // pointer consumed a press or a click, 2 the focused part consumed key input, 3 typed text or
    // a key code went to the focused part, 4 the focus moved by keys.
    virtual std::int32_t ProcessPointer(std::uint32_t now);
    virtual void DrawTooltip(const char* text, std::int32_t x, std::int32_t y);
    virtual void HideTooltip();
    // False makes ProcessPointer answer -1; may change `moved`.
    virtual bool UpdateParts(std::uint32_t now, bool* moved, std::int32_t x, std::int32_t y);
    // True when typed text or a key code went to the focused part.
    virtual bool DeliverCapturedText(UiPart* focused);
    // Moves the focus for ReadNavigation's direction; true when it moved or was offered again
    // to `focused`, which alone qualifies.
    virtual bool OnNavigate(UiPart* focused, std::int32_t direction);

    // False when nothing was hovered; else the hover ends (OnPointerLeave) and the tooltip
    // closes.
    bool EndHover();
    bool IsHovered(const UiPart* part) const;
    // False for a null part.
    bool IsFocused(const UiPart* part) const;
    // Hides a shown tooltip; it does not come back until the hovered part changes.
    void CloseTooltip();
    // Hides a shown tooltip and times the hovered part's tooltip again from the current turn,
    // for a part whose tooltip changes while it stays hovered (a hit map's regions).
    void RestartTooltip();
    void SetTooltipTiming(bool enabled, std::uint32_t delay, std::uint32_t duration);

    // Null when none.
    UiPart* HoveredPart() const;
    UiPart* FocusedPart() const;
    // While captured the hovered part stays whatever the pointer does.
    void SetPointerCaptured(bool captured) { m_pointerCaptured = captured; }
    bool PointerCaptured() const { return m_pointerCaptured; }
    // Ends a capture and forgets the pointer position, so the next turn hit-tests afresh.
    void ReleasePointerCapture() {
        m_pointerCaptured = false;
        m_lastPointerX = -1;
        m_lastPointerY = -1;
    }
    bool PointerEnabled() const { return m_pointerEnabled; }
    std::int32_t LastResult() const { return m_lastResult; }
    bool TooltipShown() const { return m_tooltipShown; }
    // The current members in order.
    std::vector<UiPart*> Members() const;
    // How many member lists are saved.
    std::int32_t SavedStateCount() const { return static_cast<std::int32_t>(m_savedStates.size()); }

protected:
    struct Node {
        UiPart* part;
        Node* previous;
        Node* next;
    };

    // Null when out of memory. Tests poison what DeleteNode gets.
    virtual Node* NewNode();
    virtual void DeleteNode(Node* node);

    // The base destructor's work; a derived group calls it from its destructor so its own hooks
    // (HideTooltip) run. Idempotent.
    void Close();

private:
    struct SavedState {
        Node* first;
        Node* last;
    };

    void SetFocusNode(Node* node, bool forward);
    std::int32_t FocusStep(bool forward);
    // The node holding part in the current list, or null.
    Node* FindNode(const UiPart* part) const;
    // Calls IsEnabled and IsVisible; false when the part stopped being a current member.
    bool Qualifies(UiPart* part);
    void SetHovered(Node* node);
    void SetFocused(Node* node);
    void Unlink(Node* node, Node** first, Node** last);
    // The members leave and their nodes go; calls no part.
    void FreeList();
    std::int32_t Result(std::int32_t result);
    // Steps 4-5 of a turn for the hovered part, from the pointer at (x, y); -1 when the pointer
    // step ends without a consumed press.
    std::int32_t PointerStep(std::uint32_t now, bool moved, std::int32_t x, std::int32_t y);

    Node* m_first;
    Node* m_last;
    std::int32_t m_lastPointerX;
    std::int32_t m_lastPointerY;
    bool m_pointerCaptured;
    bool m_pointerEnabled;
    std::int32_t m_lastResult;
    std::uint32_t m_hoverTime;
    // The time ProcessPointer was last given.
    std::uint32_t m_turnTime;
    bool m_tooltipEnabled;
    bool m_tooltipShown;
    std::uint32_t m_tooltipDelay;
    std::uint32_t m_tooltipDuration;
    Node* m_hovered;
    Node* m_focused;
    std::vector<SavedState> m_savedStates;

    // Bumped by every change of the hover, the focus and the current list, so a step that
    // called into a part sees whether what it read still holds.
    std::uint32_t m_hoverSerial;
    std::uint32_t m_focusSerial;
    std::uint32_t m_listSerial;
    // The focus chain: how deep OnFocus calls are nested, and the parts offered the focus since
    // the outermost began.
    std::int32_t m_focusDepth;
    std::vector<const UiPart*> m_offered;
};
