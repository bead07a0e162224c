#include "scenario/ui/button_action.h"

#include <new>

#include "scenario/ui/ui_part.h"
#include "scenario/ui/ui_part_group.h"

namespace {

void CopyText(std::string& into, const char* text) {
    if (text && text[0] != '\0') into = text;
}

void PlayButtonSound(UiPartGroup* group, const std::string& name, std::int32_t id, std::int32_t fallback) {
    if (!group) return;
    if (id >= 0) {
        group->PlaySound(name.empty() ? nullptr : name.c_str(), id, 0, 0);
    } else {
        group->PlaySound(nullptr, fallback, 0, 0);
    }
}

}  // namespace

ButtonAction* NewButtonAction(const ButtonActionSetup& setup) {
    try {
        auto* action = new ButtonAction;
        CopyText(action->text1, setup.text1);
        action->value = setup.value;
        CopyText(action->text2, setup.text2);
        action->activatedFlag = setup.activatedFlag;
        action->hoverFlag = setup.hoverFlag;
        action->leaveFlag = setup.leaveFlag;
        CopyText(action->activateSound, setup.activateSound);
        CopyText(action->enterSound, setup.enterSound);
        CopyText(action->leaveSound, setup.leaveSound);
        action->activateSoundId = action->activateSound.empty() ? setup.activateSoundId : 0;
        action->enterSoundId = action->enterSound.empty() ? setup.enterSoundId : 0;
        action->leaveSoundId = action->leaveSound.empty() ? setup.leaveSoundId : 0;
        return action;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void ButtonHovered(UiPart& part, ButtonAction* action) {
    if (action) {
        action->hoverFlag.Write(1);
        action->leaveFlag.Write(0);
        PlayButtonSound(part.Group(), action->enterSound, action->enterSoundId, UiPart::kSoundEnter);
    } else if (UiPartGroup* const group = part.Group()) {
        group->PlaySound(nullptr, UiPart::kSoundEnter, 0, 0);
    }
}

void ButtonLeft(UiPart& part, ButtonAction* action, bool sound) {
    if (action) {
        action->hoverFlag.Write(0);
        action->leaveFlag.Write(1);
        if (sound) PlayButtonSound(part.Group(), action->leaveSound, action->leaveSoundId, UiPart::kSoundLeave);
    } else if (sound && part.Group()) {
        part.Group()->PlaySound(nullptr, UiPart::kSoundLeave, 0, 0);
    }
}

bool FireButton(UiPart& part, ButtonAction* action) {
    UiPartGroup* const group = part.Group();
    if (!group) return false;
    const std::int32_t id = part.GetId();
    if (id >= 0) group->NotifyActivated(id);
    // The notice may have taken the part out of its group.
    UiPartGroup* const still = part.Group();
    if (!still) return true;
    if (!action) {
        still->PlaySound(nullptr, UiPart::kSoundActivate, 0, 0);
        return true;
    }
    PlayButtonSound(still, action->activateSound, action->activateSoundId, UiPart::kSoundActivate);
    action->activatedFlag.Write(1);
    if (!action->text1.empty() || !action->text2.empty() || action->value != 0) {
        still->RunAction(action->text2.empty() ? nullptr : action->text2.c_str(),
                         action->text1.empty() ? nullptr : action->text1.c_str(), action->value);
    }
    return true;
}
