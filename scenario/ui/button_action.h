// ButtonAction: what a button does besides changing its face: two texts and a value for the
// group's RunAction, three script words it sets (activated, hovered, left) and three sounds.
// Owned by its button (text and image buttons, frame buttons, check parts, hit rectangles) and
// deleted with it. The steps every button shares (hover, leave, fire) are the free functions
// below; each takes a null action as a button without one.
#pragma once

#include <cstdint>
#include <string>

#include "scenario/ui/caller_word.h"

class UiPart;
class UiPartGroup;

class ButtonAction {
public:
    std::string text1;
    std::int32_t value = 0;
    std::string text2;
    CallerWord activatedFlag;
    CallerWord hoverFlag;
    CallerWord leaveFlag;
    std::string activateSound;
    std::string enterSound;
    std::string leaveSound;
    // Negative: the group's default sound.
    std::int32_t activateSoundId = -1;
    std::int32_t enterSoundId = -1;
    std::int32_t leaveSoundId = -1;
};

// What SetAction takes: texts and sound names null or empty for none.
struct ButtonActionSetup {
    const char* text1 = nullptr;
    std::int32_t value = 0;
    const char* text2 = nullptr;
    CallerWord activatedFlag;
    CallerWord hoverFlag;
    CallerWord leaveFlag;
    const char* activateSound = nullptr;
    const char* enterSound = nullptr;
    const char* leaveSound = nullptr;
    std::int32_t activateSoundId = -1;
    std::int32_t enterSoundId = -1;
    std::int32_t leaveSoundId = -1;
};

// A new record from the setup: texts copied when not empty, and a sound that has a name gets
// id 0. Null without memory.
ButtonAction* NewButtonAction(const ButtonActionSetup& setup);

// The pointer or the focus came: hovered word 1, left word 0, the enter sound (the group's
// default without one).
void ButtonHovered(UiPart& part, ButtonAction* action);
// The hover ended: hovered word 0, left word 1, and with `sound` the leave sound.
void ButtonLeft(UiPart& part, ButtonAction* action, bool sound);
// The activation: false without a group. The group hears the id (when 0 or more), the activate
// sound plays, the activated word becomes 1, and with a text or a value the group runs the
// action. True.
bool FireButton(UiPart& part, ButtonAction* action);
