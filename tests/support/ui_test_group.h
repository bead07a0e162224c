// A UI part group over the real message devices, and test parts that record what the group
// calls on them and can act from any of those calls.
//
// UiTestGroup owns an InputManager with a window-message keyboard and mouse on a fake platform
// and clock, and an action map bound as the game binds actions 0-5 (arrows, Enter, Escape). The
// pointer is the game point the mouse reads; a test turn feeds keys and buttons through the
// manager's message feeds, polls, and runs ProcessPointer. The group writes what it does (sounds,
// tooltips, cursor kinds, activations, item hooks) into the journal the parts write into, and
// poisons every node it frees and keeps it out of reuse, so a node used after its removal shows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/input/action_map.h"
#include "framework/input/input_manager.h"
#include "framework/input/message_keyboard.h"
#include "framework/input/mouse_device.h"
#include "scenario/ui/ui_part.h"
#include "scenario/ui/ui_part_group.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_input_platform.h"

namespace testsupport {

using Journal = std::vector<std::string>;

inline std::string PartName(const UiPart* part);

class UiTestGroup : public UiPartGroup {
public:
    explicit UiTestGroup(Journal& journal) : m_journal(journal), m_input(m_platform, m_clock) {
        m_input.CreateDevices(nullptr, 2, 2);
        m_input.AcquireAll();
        m_input.Mouse()->SetGamePoint(&pointer);
        m_input.CreateActionMap(20, &m_actions);
        // The game's default keyboard bindings of actions 0-5.
        const struct {
            std::int32_t action;
            std::uint8_t key;
        } bindings[] = {{0, 200}, {1, 208}, {2, 203}, {3, 205}, {4, 28}, {4, 156}, {5, 1}};
        for (const auto& binding : bindings) m_actions->AddBinding(binding.action, 0, binding.key);
    }
    ~UiTestGroup() override {
        Close();
        for (void* node : m_graveyard) ::operator delete(node);
    }

    // Named keys a turn presses (down and up before the poll, so each is newly pressed for
    // that turn); "shift" is held over the turn's other keys.
    void Press(const std::string& key) {
        static const std::map<std::string, WPARAM> keys = {
            {"up", VK_UP},     {"down", VK_DOWN}, {"left", VK_LEFT},    {"right", VK_RIGHT},
            {"enter", VK_RETURN}, {"escape", VK_ESCAPE}, {"tab", VK_TAB}, {"shift", VK_SHIFT}};
        if (key == "click") {
            m_input.OnLeftButtonDown();
            m_input.OnLeftButtonUp();
            return;
        }
        m_input.OnKeyDown(keys.at(key), 0);
        if (key != "shift") m_input.OnKeyUp(keys.at(key), 0);
    }
    // One turn: the pointer moves to (x, y), the keys are pressed, the devices are polled, and
    // the group processes the turn at `now`.
    std::int32_t Turn(std::int32_t x, std::int32_t y, const std::vector<std::string>& keys,
                      std::uint32_t now) {
        pointer = {x, y};
        for (const std::string& key : keys) Press(key);
        m_input.Poll();
        const std::int32_t result = ProcessPointer(now);
        m_input.OnKeyUp(VK_SHIFT, 0);
        return result;
    }

    void GetCursorPos(std::int32_t* x, std::int32_t* y) override {
        *x = pointer.x;
        *y = pointer.y;
    }
    ActionMap* GetActionMap() override { return m_actions; }
    KeyboardDevice* GetKeyboard() override { return m_input.Keyboard(); }
    MouseDevice* GetMouse() override { return m_input.Mouse(); }
    std::int32_t GetFocusPointerMode() override { return focusPointerMode; }
    bool SetCursorKind(std::int32_t kind) override {
        cursorKind = kind;
        m_journal.push_back("group.cursor " + std::to_string(kind));
        return true;
    }
    std::int32_t GetCursorKind() override { return cursorKind; }
    void SetCursorPos(std::int32_t x, std::int32_t y) override {
        m_journal.push_back("group.setcursor " + std::to_string(x) + "," + std::to_string(y));
    }
    std::int32_t ScreenWidth() override { return 640; }
    std::int32_t ScreenHeight() override { return 480; }
    std::int32_t PlaySound(const char* name, std::int32_t soundId, std::int32_t, std::int32_t) override {
        m_journal.push_back(std::string("group.sound ") + (name ? name : "-") + " " + std::to_string(soundId));
        return 0;
    }
    void RunAction(const char* text1, const char* text2, std::int32_t value) override {
        m_journal.push_back(std::string("group.action ") + (text1 ? text1 : "-") + " " +
                            (text2 ? text2 : "-") + " " + std::to_string(value));
    }
    void NotifyActivated(std::int32_t id) override {
        m_journal.push_back("group.activated " + std::to_string(id));
    }
    void DrawTooltip(const char* text, std::int32_t x, std::int32_t y) override {
        m_journal.push_back(std::string("group.tooltip ") + text + " " + std::to_string(x) + "," +
                            std::to_string(y));
    }
    void HideTooltip() override { m_journal.push_back("group.hide"); }
    bool UpdateParts(std::uint32_t, bool*, std::int32_t, std::int32_t) override { return updateParts; }
    bool DeliverCapturedText(UiPart* focused) override {
        if (!captureText || !focused) return false;
        return focused->OnText("abc", 3);
    }

    // Fails the next node allocations while set.
    bool failNodes = false;
    POINT pointer = {-1, -1};
    std::int32_t focusPointerMode = 0;
    std::int32_t cursorKind = 0;
    bool updateParts = true;
    // Hands the focused part the text "abc" every turn.
    bool captureText = false;

protected:
    Node* NewNode() override { return failNodes ? nullptr : UiPartGroup::NewNode(); }
    void DeleteNode(Node* node) override {
        std::memset(static_cast<void*>(node), 0xDD, sizeof *node);
        m_graveyard.push_back(node);
    }

private:
    Journal& m_journal;
    FakeInputPlatform m_platform;
    FakeClock m_clock;
    InputManager m_input;
    ActionMap* m_actions = nullptr;
    std::vector<void*> m_graveyard;
};

// A rectangle part that writes every callback into the journal ("name.enter", "name.move 3,4",
// "name.focus prev fwd", ...) and then runs what the test set for that callback. The callbacks
// are named hittest, enter, leave, move, pointer, focus, blur, keys, text. Its memory is
// poisoned when it is deleted and never reused, so a part used after its deletion shows. The
// journal names the parts a callback is given by taking them as TestParts.
class TestPart : public UiPart {
public:
    TestPart(Journal& journal, std::string name, std::int32_t x, std::int32_t y, std::int32_t width,
             std::int32_t height)
        : m_journal(journal), m_name(std::move(name)), m_x(x), m_y(y), m_width(width), m_height(height) {}
    ~TestPart() override {
        LeaveGroup();
        m_journal.push_back(m_name + ".deleted");
    }

    static void* operator new(std::size_t size) { return ::operator new(size); }
    static void operator delete(void* memory, std::size_t size) { std::memset(memory, 0xDD, size); }

    const std::string& Name() const { return m_name; }
    // Runs `action` from the named callback; `times` -1 every time.
    void On(const std::string& callback, std::function<void()> action, int times = 1) {
        m_actions[callback] = {std::move(action), times};
    }

    std::int32_t TypeCode() override { return kUiHitRect; }
    std::int32_t GetX() override { return m_x; }
    std::int32_t GetY() override { return m_y; }
    std::int32_t GetWidth() override { return m_width; }
    std::int32_t GetHeight() override { return m_height; }
    std::int32_t SetPosition(std::int32_t x, std::int32_t y) override {
        m_x = x;
        m_y = y;
        return 0;
    }
    // As every part type does: hiding drops the focus and ends the hover.
    void SetVisible(bool visible) override {
        m_visible = visible;
        UiPartGroup* const group = Group();
        if (visible || !group) return;
        if (group->IsFocused(this)) group->FocusPart(nullptr);
        if (group->IsHovered(this)) group->EndHover();
    }
    bool IsVisible() override { return m_visible; }
    std::int32_t SetPriority(std::int32_t, std::int32_t tag, bool) override {
        SetTag(tag);
        return 1;
    }
    std::int32_t GetPriority() override { return 0; }
    void SetAlpha(std::uint8_t alpha) override { m_alpha = alpha; }
    std::uint8_t GetAlpha() override { return m_alpha; }
    bool HitTest(std::int32_t x, std::int32_t y) override {
        const bool inside = x >= m_x && y >= m_y && x < m_x + m_width && y < m_y + m_height;
        Act("hittest");
        return inside;
    }
    void OnPointerMove(std::int32_t x, std::int32_t y) override {
        Record("move " + std::to_string(x) + "," + std::to_string(y));
        Act("move");
    }
    void OnPointerEnter() override {
        Record("enter");
        Act("enter");
    }
    void OnPointerLeave() override {
        Record("leave");
        Act("leave");
    }
    bool OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) override {
        Record("pointer " + std::to_string(x) + "," + std::to_string(y));
        const bool consumed = consumesClick && mouse && mouse->IsTriggered(0);
        Act("pointer");
        return consumed;
    }
    void OnFocus(UiPart* previous, bool forward) override {
        Record("focus " + PartName(previous) + (forward ? " fwd" : " back"));
        if (passesFocus) {
            // A part that cannot hold the focus hands it on, and clears it when nobody is left.
            UiPartGroup* const group = Group();
            if (group && (forward ? group->FocusNext() : group->FocusPrevious()) < 0) group->FocusPart(nullptr);
        }
        Act("focus");
    }
    void OnBlur(UiPart* next) override {
        Record("blur " + PartName(next));
        Act("blur");
    }
    bool OnKeys(ActionMap* actions) override {
        const bool consumed = consumesEnter && actions && actions->IsTriggered(4);
        if (consumed) Record("keys enter");
        Act("keys");
        return consumed;
    }
    bool OnText(const char* text, std::int32_t length) override {
        Record("text " + std::string(text, length));
        Act("text");
        return true;
    }

    // OnPointer consumes a newly pressed left button; OnKeys the Enter action.
    bool consumesClick = false;
    bool consumesEnter = false;
    // OnFocus passes the focus on in its direction.
    bool passesFocus = false;

private:
    struct Action {
        std::function<void()> run;
        int times;
    };

    void Record(const std::string& what) { m_journal.push_back(m_name + "." + what); }
    // Runs last in each callback: the action may delete this part.
    void Act(const std::string& callback) {
        auto found = m_actions.find(callback);
        if (found == m_actions.end() || found->second.times == 0) return;
        if (found->second.times > 0) --found->second.times;
        const std::function<void()> run = found->second.run;
        run();
    }

    Journal& m_journal;
    std::string m_name;
    std::int32_t m_x;
    std::int32_t m_y;
    std::int32_t m_width;
    std::int32_t m_height;
    bool m_visible = true;
    std::uint8_t m_alpha = 255;
    std::map<std::string, Action> m_actions;
};

inline std::string PartName(const UiPart* part) {
    return part ? static_cast<const TestPart*>(part)->Name() : "null";
}

}  // namespace testsupport
