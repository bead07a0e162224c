// UiPart: the base of every interactive element scripts put on the screen (buttons, check
// boxes, text boxes, sliders, text windows, lists, hit areas). A part draws itself through a
// sprite of its own, is owned by the panel that created it, and takes pointer and key input only
// while it is a member of a UiPartGroup.
//
// Membership: only the group sets and clears a part's group pointer (InsertPart, RemovePart,
// Clear, PopState). A part talks to its group through that pointer and says nothing when it has
// none. A part must leave its group while it is whole: every type's destructor starts with
// LeaveGroup(), so the group's last calls (OnBlur, OnPointerLeave) reach the type's own
// overrides; the base destructor leaves as well, for types that have nothing to add.
//
// Parts borrow fonts, images and sprite lists scripts may release: DropReferencesTo(object) is
// called before such an object goes, and the part forgets it.
//
// Pointer operations take coordinates relative to the part's top-left corner (GetX, GetY);
// HitTest takes screen coordinates. Used on the game thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "scenario/interfaces/ui_part.h"

class ActionMap;
class MouseDevice;
class UiPartGroup;

class UiPart {
public:
    // The directions of the neighbours, in the action map's order of actions 0-3.
    enum Direction : std::int32_t { kUp = 0, kDown = 1, kLeft = 2, kRight = 3 };
    // The default sounds a part asks its group for when it has no sound of its own.
    enum DefaultSound : std::int32_t { kSoundActivate = -4, kSoundEnter = -3, kSoundLeave = -2 };

    UiPart();
    virtual ~UiPart();
    UiPart(const UiPart&) = delete;
    UiPart& operator=(const UiPart&) = delete;

    virtual std::int32_t TypeCode() = 0;
    virtual std::int32_t GetX() = 0;
    virtual std::int32_t GetY() = 0;
    virtual std::int32_t GetWidth() = 0;
    virtual std::int32_t GetHeight() = 0;
    // 0 on success.
    virtual std::int32_t SetPosition(std::int32_t x, std::int32_t y) = 0;
    // Hiding the focused part clears the group's focus; hiding the hovered part ends the hover.
    virtual void SetVisible(bool visible) = 0;
    virtual bool IsVisible() = 0;
    // Places the part's sprite in its sprite list at the priority (the first time with the tag,
    // which the part keeps) or moves it there; 1 when the part has no sprite list.
    virtual std::int32_t SetPriority(std::int32_t priority, std::int32_t tag, bool redraw) = 0;
    virtual std::int32_t GetPriority() = 0;
    virtual void SetAlpha(std::uint8_t alpha) = 0;
    virtual std::uint8_t GetAlpha() = 0;
    // True when the value changed. Disabling a member clears the group's focus and ends its
    // hover where they are on this part. Types that redraw call this first and switch their
    // face only when it reports a change.
    virtual bool SetEnabled(bool enabled);
    // Keeps a copy of the Shift-JIS text; null or empty leaves none. The group's tooltip is
    // hidden first when this part is hovered and had one.
    virtual void SetTooltip(const char* text);
    virtual bool HitTest(std::int32_t x, std::int32_t y) = 0;
    virtual void OnPointerMove(std::int32_t x, std::int32_t y);
    virtual void OnPointerEnter();
    virtual void OnPointerLeave();
    // Every turn for the part under the pointer; true when it consumed a press or a click.
    virtual bool OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse);
    // previous: the part that had the focus, or null; forward: false only for moves to the
    // previous part.
    virtual void OnFocus(UiPart* previous, bool forward);
    // next: the part that gets the focus, or null.
    virtual void OnBlur(UiPart* next);
    // Every turn for the focused part; true when it consumed the input.
    virtual bool OnKeys(ActionMap* actions);
    // A virtual-key code the window captured, for the focused part.
    virtual bool OnKeyCode(std::uint8_t code);
    // Typed Shift-JIS text (at most 32 bytes) for the focused part.
    virtual bool OnText(const char* text, std::int32_t length);
    // The per-frame update with the time in ms; 0.
    virtual std::int32_t Update(std::uint32_t now);
    virtual bool IsEnabled();
    // The tooltip copy, or null.
    virtual const char* GetTooltip();
    virtual std::int32_t GetTag();
    virtual void SetId(std::int32_t id);
    // The number reported to the group on activation; -1 none.
    virtual std::int32_t GetId();
    // Forgets every reference the part holds to `object` (a font, image or sprite list about
    // to be deleted, or another part). The base forgets neighbours.
    virtual void DropReferencesTo(const void* object);

    // Any may be null; a neighbour outside the group cannot take the focus.
    void SetNeighbours(UiPart* left, UiPart* right, UiPart* up, UiPart* down);
    // Null for a direction outside 0-3.
    UiPart* Neighbour(std::int32_t direction) const;
    UiPartGroup* Group() const { return m_group; }

protected:
    // Leaves the group (as RemovePart does: the hover ends, the focus goes) when the part is a
    // member; every type's destructor calls it first.
    void LeaveGroup();
    void SetTag(std::int32_t tag) { m_tag = tag; }

private:
    friend class UiPartGroup;

    void DropTooltip();

    bool m_enabled;
    std::unique_ptr<char[]> m_tooltip;
    UiPartGroup* m_group;
    UiPart* m_neighbours[4];
    std::int32_t m_tag;
    std::int32_t m_id;
};
