#include "scenario/ui/ui_part_group.h"

#include <algorithm>
#include <new>

#include "framework/input/action_map.h"
#include "framework/input/keyboard_device.h"
#include "scenario/ui/ui_part.h"

namespace {

// DirectInput key codes.
constexpr std::uint8_t kKeyTab = 0x0F;
constexpr std::uint8_t kKeyLeftShift = 0x2A;
constexpr std::uint8_t kKeyRightShift = 0x36;

}  // namespace

UiPartGroup::UiPartGroup()
    : m_first(nullptr),
      m_last(nullptr),
      m_lastPointerX(-1),
      m_lastPointerY(-1),
      m_pointerCaptured(false),
      m_pointerEnabled(true),
      m_lastResult(0),
      m_hoverTime(0),
      m_turnTime(0),
      m_tooltipEnabled(false),
      m_tooltipShown(false),
      m_tooltipDelay(0),
      m_tooltipDuration(0),
      m_hovered(nullptr),
      m_focused(nullptr),
      m_hoverSerial(0),
      m_focusSerial(0),
      m_listSerial(0),
      m_focusDepth(0) {}

UiPartGroup::~UiPartGroup() { Close(); }

void UiPartGroup::Close() {
    while (!m_savedStates.empty()) UiPartGroup::PopState();
    UiPartGroup::Clear();
}

UiPartGroup::Node* UiPartGroup::NewNode() { return new (std::nothrow) Node{}; }

void UiPartGroup::DeleteNode(Node* node) { delete node; }

UiPart* UiPartGroup::HoveredPart() const { return m_hovered ? m_hovered->part : nullptr; }

UiPart* UiPartGroup::FocusedPart() const { return m_focused ? m_focused->part : nullptr; }

bool UiPartGroup::IsHovered(const UiPart* part) const {
    return part != nullptr && HoveredPart() == part;
}

bool UiPartGroup::IsFocused(const UiPart* part) const {
    return part != nullptr && FocusedPart() == part;
}

std::vector<UiPart*> UiPartGroup::Members() const {
    std::vector<UiPart*> members;
    for (Node* node = m_first; node; node = node->next) members.push_back(node->part);
    return members;
}

UiPartGroup::Node* UiPartGroup::FindNode(const UiPart* part) const {
    for (Node* node = m_first; node; node = node->next) {
        if (node->part == part) return node;
    }
    return nullptr;
}

void UiPartGroup::SetHovered(Node* node) {
    m_hovered = node;
    ++m_hoverSerial;
}

void UiPartGroup::SetFocused(Node* node) {
    m_focused = node;
    ++m_focusSerial;
}

bool UiPartGroup::Qualifies(UiPart* part) {
    if (!part->IsEnabled() || !FindNode(part)) return false;
    return part->IsVisible() && FindNode(part) != nullptr;
}

std::int32_t UiPartGroup::Result(std::int32_t result) {
    m_lastResult = result;
    return result;
}

// --- Hover and tooltip ---

bool UiPartGroup::EndHover() {
    UiPart* const part = HoveredPart();
    if (!part) return false;
    SetHovered(nullptr);
    part->OnPointerLeave();
    CloseTooltip();
    return true;
}

void UiPartGroup::CloseTooltip() {
    if (!m_tooltipShown) return;
    HideTooltip();
    m_tooltipShown = false;
    m_hoverTime = 0;
}

void UiPartGroup::RestartTooltip() {
    if (m_tooltipShown) {
        HideTooltip();
        m_tooltipShown = false;
    }
    // Hover time 0 means the timing is stopped; a turn at time 0 starts it at 1.
    m_hoverTime = m_turnTime != 0 ? m_turnTime : 1;
    RestartTooltipTimer();
}

void UiPartGroup::SetTooltipTiming(bool enabled, std::uint32_t delay, std::uint32_t duration) {
    m_tooltipEnabled = enabled;
    m_tooltipDelay = delay;
    m_tooltipDuration = duration;
    if (!enabled) CloseTooltip();
}

void UiPartGroup::Reset() {
    SetFocusNode(nullptr, true);
    EndHover();
    m_hoverTime = 0;
    m_lastPointerX = -1;
    m_lastPointerY = -1;
}

void UiPartGroup::SetPointerEnabled(bool enabled) {
    if (!enabled) Reset();
    m_pointerEnabled = enabled;
}

// --- Focus ---

void UiPartGroup::SetFocusNode(Node* node, bool forward) {
    if (node == m_focused) return;
    UiPart* const oldPart = FocusedPart();
    UiPart* const newPart = node ? node->part : nullptr;
    SetFocused(node);
    const std::uint32_t serial = m_focusSerial;
    EndHover();
    // A move made from the hover's end told the parts it touched; the old part still hears
    // that it lost the focus, unless that move gave it back.
    if (oldPart && FindNode(oldPart) && FocusedPart() != oldPart) {
        oldPart->OnBlur(m_focusSerial == serial ? newPart : FocusedPart());
    }
    if (m_focusSerial != serial || !newPart) return;
    UiPart* const previous = oldPart && FindNode(oldPart) ? oldPart : nullptr;
    ++m_focusDepth;
    m_offered.push_back(newPart);
    newPart->OnFocus(previous, forward);
    if (--m_focusDepth == 0) m_offered.clear();
}

std::int32_t UiPartGroup::FocusPart(UiPart* part) {
    if (!m_first) return 1;
    if (!part) {
        SetFocusNode(nullptr, true);
        return 0;
    }
    if (!FindNode(part)) return 2;
    const bool qualifies = Qualifies(part);
    Node* const node = FindNode(part);
    if (!node) return 2;
    if (!qualifies) return 3;
    SetFocusNode(node, true);
    return 0;
}

std::int32_t UiPartGroup::FocusStep(bool forward) {
    if (!m_first) return 1;
    // The candidates in the order they are tried, taken before any part is asked.
    std::vector<UiPart*> order;
    Node* const focused = m_focused;
    if (forward) {
        for (Node* n = focused ? focused->next : m_first; n; n = n->next) order.push_back(n->part);
        for (Node* n = focused ? m_first : nullptr; n && n != focused; n = n->next) order.push_back(n->part);
    } else {
        for (Node* n = focused ? focused->previous : m_last; n; n = n->previous) order.push_back(n->part);
        for (Node* n = focused ? m_last : nullptr; n && n != focused; n = n->previous) order.push_back(n->part);
    }
    const bool hadFocus = focused != nullptr;
    bool passedOver = false;
    for (UiPart* const part : order) {
        if (!FindNode(part)) continue;
        if (m_focusDepth > 0 && std::find(m_offered.begin(), m_offered.end(), part) != m_offered.end()) {
            passedOver = true;
            continue;
        }
        if (!Qualifies(part)) continue;
        SetFocusNode(FindNode(part), forward);
        return 0;
    }
    return hadFocus || passedOver ? -1 : 2;
}

std::int32_t UiPartGroup::FocusNext() { return FocusStep(true); }

std::int32_t UiPartGroup::FocusPrevious() { return FocusStep(false); }

std::int32_t UiPartGroup::ReadNavigation(ActionMap* actions) {
    KeyboardDevice* const keyboard = GetKeyboard();
    if (!keyboard || !actions) return kNavigateNone;
    const bool tab = keyboard->IsTriggered(kKeyTab);
    const bool shift = keyboard->IsDown(kKeyLeftShift) || keyboard->IsDown(kKeyRightShift);
    if (actions->IsTriggered(0) || actions->IsTriggered(2) || (tab && shift)) return kNavigatePrevious;
    if (actions->IsTriggered(1) || actions->IsTriggered(3) || tab) return kNavigateNext;
    return kNavigateNone;
}

bool UiPartGroup::OnNavigate(UiPart* focused, std::int32_t direction) {
    if (direction != kNavigatePrevious && direction != kNavigateNext) return false;
    const bool forward = direction == kNavigateNext;
    const std::int32_t result = forward ? FocusNext() : FocusPrevious();
    if (result == 0) return true;
    if (result > 0) return false;
    // No other part could take the focus: it is offered again to the one that had it.
    if (focused && FindNode(focused)) {
        ++m_focusDepth;
        m_offered.push_back(focused);
        focused->OnFocus(focused, forward);
        if (--m_focusDepth == 0) m_offered.clear();
    }
    return true;
}

// --- Membership ---

std::int32_t UiPartGroup::InsertPart(UiPart* part, std::int32_t index) {
    if (!part) return 1;
    if (part->m_group) return 2;
    Node* const node = NewNode();
    if (!node) return 3;
    node->part = part;
    part->m_group = this;
    Node* before = nullptr;
    if (index >= 0) {
        before = m_first;
        for (std::int32_t i = 0; before && i < index; ++i) before = before->next;
    }
    node->next = before;
    node->previous = before ? before->previous : m_last;
    (node->previous ? node->previous->next : m_first) = node;
    (before ? before->previous : m_last) = node;
    ++m_listSerial;
    return 0;
}

void UiPartGroup::Unlink(Node* node, Node** first, Node** last) {
    (node->previous ? node->previous->next : *first) = node->next;
    (node->next ? node->next->previous : *last) = node->previous;
    ++m_listSerial;
}

void UiPartGroup::RemovePart(UiPart* part) {
    if (!part) return;
    if (IsHovered(part)) EndHover();
    if (IsFocused(part)) {
        SetFocused(nullptr);
        part->OnBlur(part);
    }
    // Found again after the calls above, which may have moved the part or removed it already.
    Node* node = FindNode(part);
    Node** first = &m_first;
    Node** last = &m_last;
    for (auto state = m_savedStates.begin(); !node && state != m_savedStates.end(); ++state) {
        for (Node* n = state->first; n; n = n->next) {
            if (n->part == part) {
                node = n;
                first = &state->first;
                last = &state->last;
                break;
            }
        }
    }
    if (!node) return;
    // Neither may point at a freed node, even when a call above gave the part either again.
    if (m_hovered == node) SetHovered(nullptr);
    if (m_focused == node) SetFocused(nullptr);
    Unlink(node, first, last);
    DeleteNode(node);
    part->m_group = nullptr;
}

void UiPartGroup::FreeList() {
    Node* node = m_first;
    m_first = nullptr;
    m_last = nullptr;
    if (m_hovered) SetHovered(nullptr);
    if (m_focused) SetFocused(nullptr);
    ++m_listSerial;
    while (node) {
        Node* const next = node->next;
        node->part->m_group = nullptr;
        DeleteNode(node);
        node = next;
    }
}

void UiPartGroup::Clear() {
    if (!m_first) return;
    SetFocusNode(nullptr, true);
    EndHover();
    m_lastPointerX = -1;
    m_lastPointerY = -1;
    FreeList();
}

std::int32_t UiPartGroup::PushState() {
    if (!m_first) return 1;
    try {
        m_savedStates.reserve(m_savedStates.size() + 1);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    Reset();
    if (!m_first) return 1;
    try {
        m_savedStates.push_back({m_first, m_last});
    } catch (const std::bad_alloc&) {
        return -1;
    }
    m_first = nullptr;
    m_last = nullptr;
    if (m_hovered) SetHovered(nullptr);
    if (m_focused) SetFocused(nullptr);
    ++m_listSerial;
    return 0;
}

std::int32_t UiPartGroup::PopState() {
    if (m_savedStates.empty()) return 1;
    Clear();
    if (m_savedStates.empty()) return 0;
    // Clear called parts; whatever they inserted meanwhile leaves as well.
    if (m_first) FreeList();
    const SavedState state = m_savedStates.back();
    m_savedStates.pop_back();
    m_first = state.first;
    m_last = state.last;
    ++m_listSerial;
    return 0;
}

// --- The turn ---

std::int32_t UiPartGroup::PointerStep(std::uint32_t now, bool moved, std::int32_t x, std::int32_t y) {
    UiPart* const part = HoveredPart();
    if (!part) return -1;
    // Every call below may change the hover or free the part; the step ends when it did.
    const std::uint32_t serial = m_hoverSerial;
    if (!moved) {
        const char* const text = part->GetTooltip();
        if (serial != m_hoverSerial) return -1;
        const std::uint32_t elapsed = now - m_hoverTime;
        if (text && !m_tooltipShown && m_tooltipEnabled && m_hoverTime != 0) {
            if (elapsed >= m_tooltipDelay &&
                (m_tooltipDuration == 0 || elapsed - m_tooltipDelay <= m_tooltipDuration)) {
                DrawTooltip(text, x, y);
                m_tooltipShown = true;
                if (serial != m_hoverSerial) return -1;
            }
        } else if (m_tooltipShown && m_tooltipDuration != 0 && elapsed > m_tooltipDelay &&
                   elapsed - m_tooltipDelay > m_tooltipDuration) {
            CloseTooltip();
        }
    }
    const std::int32_t partX = part->GetX();
    if (serial != m_hoverSerial) return -1;
    const std::int32_t partY = part->GetY();
    if (serial != m_hoverSerial) return -1;
    if (moved) {
        part->OnPointerMove(x - partX, y - partY);
        if (serial != m_hoverSerial) return -1;
    }
    MouseDevice* const mouse = GetMouse();
    if (serial != m_hoverSerial) return -1;
    if (!part->OnPointer(x - partX, y - partY, mouse)) return -1;
    CloseTooltip();
    return 1;
}

std::int32_t UiPartGroup::ProcessPointer(std::uint32_t now) {
    if (!m_pointerEnabled) return Result(-1);
    m_turnTime = now;
    std::int32_t x = 0;
    std::int32_t y = 0;
    GetCursorPos(&x, &y);
    bool moved = x != m_lastPointerX || y != m_lastPointerY;
    if (!UpdateParts(now, &moved, x, y)) return Result(-1);

    if (moved) {
        if (m_hoverTime != 0) m_hoverTime = now;
        m_lastPointerX = x;
        m_lastPointerY = y;
        if (!m_pointerCaptured) {
            UiPart* hit = nullptr;
            for (UiPart* const part : Members()) {
                if (!FindNode(part) || !Qualifies(part)) continue;
                if (part->HitTest(x, y) && FindNode(part)) {
                    hit = part;
                    break;
                }
            }
            UiPart* const old = HoveredPart();
            if (hit != old) {
                if (old) {
                    SetHovered(nullptr);
                    old->OnPointerLeave();
                }
                // The focused part shows its focus as a hover until the pointer goes elsewhere;
                // the part that just heard it is left once only.
                UiPart* const focused = FocusedPart();
                if (focused && focused != hit && focused != old) focused->OnPointerLeave();
                Node* const node = hit ? FindNode(hit) : nullptr;
                SetHovered(node);
                if (node) hit->OnPointerEnter();
                CloseTooltip();
                m_hoverTime = now;
            }
        }
    }
    if (PointerStep(now, moved, x, y) == 1) return Result(1);

    if (DeliverCapturedText(FocusedPart())) return Result(3);
    ActionMap* const actions = GetActionMap();
    if (UiPart* const focused = FocusedPart()) {
        if (focused->OnKeys(actions)) return Result(2);
        for (std::int32_t direction = 0; actions && direction < 4; ++direction) {
            UiPart* const current = FocusedPart();
            if (!current) break;
            UiPart* const neighbour = current->Neighbour(direction);
            if (neighbour && actions->IsTriggered(direction) && FocusPart(neighbour) == 0) {
                return Result(4);
            }
        }
    }
    const std::int32_t direction = ReadNavigation(actions);
    if (OnNavigate(FocusedPart(), direction)) return Result(4);
    return Result(0);
}

// --- Hooks ---

void UiPartGroup::SetCursorPos(std::int32_t, std::int32_t) {}
bool UiPartGroup::SetCursorKind(std::int32_t) { return false; }
std::int32_t UiPartGroup::GetCursorKind() { return 0; }
void UiPartGroup::SetCursorVisible(bool) {}
void UiPartGroup::RestartTooltipTimer() {}
std::int32_t UiPartGroup::ScreenWidth() { return 0; }
std::int32_t UiPartGroup::ScreenHeight() { return 0; }
std::int32_t UiPartGroup::GetFocusPointerMode() { return 0; }
void UiPartGroup::ParkCursor() { SetCursorPos(ScreenWidth() + 1, ScreenHeight()); }
std::int32_t UiPartGroup::PlaySound(const char*, std::int32_t, std::int32_t, std::int32_t) { return 0; }
void UiPartGroup::RunAction(const char*, const char*, std::int32_t) {}
void UiPartGroup::NotifyActivated(std::int32_t) {}
void UiPartGroup::SetImeOpen(bool) {}
void UiPartGroup::DrawTooltip(const char*, std::int32_t, std::int32_t) {}
void UiPartGroup::HideTooltip() {}
bool UiPartGroup::UpdateParts(std::uint32_t, bool*, std::int32_t, std::int32_t) { return true; }
bool UiPartGroup::DeliverCapturedText(UiPart*) { return false; }
