// CheckPartBase: the behaviour of check boxes and radio groups (type 1). A check box toggles
// between checked and unchecked; a radio group is a leader and the followers that named it at
// creation, of which exactly one member is selected. The pointer and Return handling is the push
// button's, extended to the checked states. The faces and the sprite come from CheckPart.
//
// States: 0 unchecked, 1 unchecked hover, 2 unchecked pressed, 3 checked, 4 checked hover,
// 5 checked pressed, 6 disabled unchecked, 7 disabled checked.
//
// The group's members point at one another: a leader keeps its followers, a follower its
// leader. Whichever goes first unlinks itself (LeaveRadioGroup, run by Release and the
// destructor): a leader's followers become plain parts, a follower leaves its leader's list with
// the selection still naming the same member. The output word is written later, for whoever gave
// it (CallerWord).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "scenario/ui/button_action.h"
#include "scenario/ui/caller_word.h"
#include "scenario/ui/ui_part.h"

class CheckPartBase : public UiPart {
public:
    enum State : std::uint8_t {
        kUnchecked = 0,
        kUncheckedHover = 1,
        kUncheckedPressed = 2,
        kChecked = 3,
        kCheckedHover = 4,
        kCheckedPressed = 5,
        kDisabledUnchecked = 6,
        kDisabledChecked = 7,
    };
    // 0 check box with pressed faces, 1 without; 2 radio member with pressed faces, 3 without.
    static constexpr std::uint8_t kKinds = 4;
    // How long the pressed face shows after Return.
    static constexpr std::uint32_t kKeyPressMs = 100;

    CheckPartBase();
    ~CheckPartBase() override;

    std::int32_t TypeCode() override { return kUiCheck; }
    std::int32_t GetWidth() override { return m_width; }
    std::int32_t GetHeight() override { return m_height; }
    // False while locked. A leader passes the call to its followers first; when the value
    // changed the state follows (3 or 0 enabled, 7 or 6 disabled).
    bool SetEnabled(bool enabled) override;
    bool HitTest(std::int32_t x, std::int32_t y) override;
    void OnPointerMove(std::int32_t x, std::int32_t y) override;
    void OnPointerLeave() override;
    bool OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) override;
    void OnFocus(UiPart* previous, bool forward) override;
    void OnBlur(UiPart* next) override;
    bool OnKeys(ActionMap* actions) override;
    std::int32_t Update(std::uint32_t now) override;

    virtual void Release() = 0;
    // Nothing when unchanged; writes 2 (disabled), 1 (checked) or 0 to the output and shows the
    // state's face.
    virtual void SetState(std::uint8_t state);
    virtual bool HitTestShape(std::int32_t x, std::int32_t y) = 0;
    virtual void ReleaseAction();
    // Replaces the action record; false without memory (the part then has none).
    virtual bool SetAction(const ButtonActionSetup& setup);
    // False when already so (or a follower whose leader leads no group); else true.
    virtual bool SetChecked(bool check);
    // A follower forwards to its leader; 1 neither; on the leader 0 already selected, 2 an
    // index below 0 or past the followers, else the selection moves, 0.
    virtual std::int32_t SelectIndex(std::int32_t index);
    // Locks the group; radio kinds write the selected index to every member's output. 0.
    virtual std::int32_t Commit();
    virtual void SetLocked(bool lock);
    // 1 null, 2 already a follower (or not a leader), 0 appended.
    virtual std::int32_t AddFollower(CheckPartBase* part);
    virtual bool Fire();
    virtual void LeaveRadioGroup();
    virtual void ClearLeader();
    // 1 null, 2 not a follower; else it leaves, the selection keeping its member (the leader
    // when it was the removed one), 0.
    virtual std::int32_t RemoveFollower(CheckPartBase* part);
    virtual bool IsSelected(CheckPartBase* part);
    virtual std::int32_t Select(CheckPartBase* part);

    // The face a state shows by kind (0-3), and the faces a strip holds.
    static std::int32_t FaceIndex(std::uint8_t kind, std::uint8_t state, bool withDisabledFaces);
    static std::int32_t FaceCount(std::uint8_t kind, bool withDisabledFaces);

    // The script's flag command for type 1.
    void SetRectHit(bool rectHit) { m_rectHit = rectHit ? 1 : 0; }
    bool RectHit() const { return m_rectHit != 0; }
    std::uint8_t State() const { return m_state; }
    bool IsChecked() const { return IsCheckedState(m_state); }
    std::uint8_t Kind() const { return m_kind; }
    bool IsRadio() const { return m_kind >= 2; }
    bool IsLeader() const { return m_followers != nullptr; }
    CheckPartBase* Leader() const { return m_leader; }
    std::int32_t Selected() const { return m_selected; }
    std::int32_t FollowerCount() const;
    CheckPartBase* Follower(std::int32_t index) const;
    bool Locked() const { return m_locked != 0; }
    ButtonAction* Action() const { return m_action.get(); }
    void SetOutput(const CallerWord& output) { m_output = output; }

protected:
    static bool IsCheckedState(std::uint8_t state) { return state >= kChecked && state != kDisabledUnchecked; }
    // Shows the face of m_state.
    virtual void ShowFace() = 0;
    // The creation's last step: the output gets 0, a radio kind joins `leader` (the leader
    // then leads a group) or, without one, leads a group of its own, checked. 1 when the
    // leader leads no group.
    std::int32_t JoinAtCreation(CheckPartBase* leader);
    // The leader's members in order: the leader, then its followers.
    std::vector<CheckPartBase*> Members();
    void Toggle(bool endHover);

    std::int32_t m_keyX = -1;
    std::int32_t m_keyY = -1;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::uint8_t m_kind = 0;
    std::uint8_t m_withDisabledFaces = 0;
    std::uint8_t m_rectHit = 0;
    std::uint8_t m_state = kUnchecked;

private:
    CheckPartBase* Head() { return m_leader ? m_leader : this; }
    // The member at index (0 the leader), or null.
    CheckPartBase* MemberAt(std::int32_t index);
    void Hovered();
    void Left(bool sound);

    std::int32_t m_selected = 0;
    CallerWord m_output;
    std::unique_ptr<ButtonAction> m_action;
    std::uint8_t m_locked = 0;
    std::uint32_t m_keyDeadline = 0;
    std::uint32_t m_now = 0;
    std::unique_ptr<std::vector<CheckPartBase*>> m_followers;
    CheckPartBase* m_leader = nullptr;
};
