// TextWindowGroup: what a text window asks of the group of parts it belongs to: the pointer,
// the cursor kind, sounds, the group's result, the tooltip, keyboard selection and focus moves.
// The group owns none of the window; the window holds a pointer to the group it was placed in
// and calls it on the thread that runs the parts.
#pragma once

#include <cstdint>

class TextWindowGroup {
public:
    virtual ~TextWindowGroup() = default;

    // The pointer's position in the coordinates the windows are placed in.
    virtual void GetPointer(std::int32_t* x, std::int32_t* y) = 0;
    // Moves the mouse cursor (keyboard selection in pointer mode).
    virtual void MoveCursor(std::int32_t x, std::int32_t y) = 0;
    virtual std::int32_t CursorKind() = 0;
    virtual void SetCursorKind(std::int32_t kind) = 0;
    // A sound by name when one is given, otherwise by number: 0 or more that sound, -4, -3 and
    // -2 the group's default activate, hover and leave sounds.
    virtual void PlaySound(const char* name, std::int32_t number) = 0;
    virtual void SetResult(std::int32_t result) = 0;
    // Whether the group's hover is on this window (its tooltip is then the group's).
    virtual bool Hovers(const void* window) = 0;
    virtual void CloseTooltip() = 0;
    // 1 pointer, 2 keys.
    virtual std::int32_t InputMode() = 0;
    virtual void EndPendingHover() = 0;
    virtual void SelectionChanged(const void* window) = 0;
    // Moves the focus to the part after (forward) or before this window; false when no other
    // part takes it.
    virtual bool MoveFocus(const void* window, bool forward) = 0;
    virtual void ItemActivated(const char* text, const char* name, std::int32_t value) = 0;
};
