#include "scenario/ui/check_part.h"

#include <new>
#include <string>

#include "graphics/sprites/sprite_list.h"
#include "scenario/ui/ui_part_group.h"

CheckPart::CheckPart() = default;

CheckPart::~CheckPart() {
    // Leaves while whole, so the group's last calls reach this type's handlers.
    LeaveGroup();
    Release();
    m_sprite.Detach();
}

Image* CheckPart::FaceImage() { return m_externalImage ? m_externalImage : (m_image.Bits() ? &m_image : nullptr); }

// --- Placement (a leader's carries its followers) ---

std::int32_t CheckPart::SetPosition(std::int32_t x, std::int32_t y) {
    if (!m_sprite.GetImage()) return 1;
    const std::int32_t dx = x - GetX();
    const std::int32_t dy = y - GetY();
    m_sprite.SetPosition(x, y);
    for (std::int32_t i = 0; i < FollowerCount(); ++i) {
        CheckPartBase* const follower = Follower(i);
        follower->SetPosition(follower->GetX() + dx, follower->GetY() + dy);
    }
    return 0;
}

void CheckPart::SetVisible(bool visible) {
    if (!visible && Group() && Group()->IsFocused(this)) Group()->FocusPart(nullptr);
    if (!visible && Group() && Group()->IsHovered(this)) Group()->EndHover();
    m_sprite.SetVisible(visible ? 1 : 0);
    for (std::int32_t i = 0; i < FollowerCount(); ++i) Follower(i)->SetVisible(visible);
}

std::int32_t CheckPart::SetPriority(std::int32_t priority, std::int32_t tag, bool) {
    if (!m_spriteList) return 1;
    m_priority = priority;
    if (!m_sprite.List()) {
        if (!m_sprite.GetImage()) return 1;
        SetTag(tag);
        m_spriteList->Add(&m_sprite, static_cast<std::uint32_t>(priority), static_cast<std::uint32_t>(tag));
    } else {
        m_spriteList->SetPriority(&m_sprite, static_cast<std::uint32_t>(priority), false);
    }
    for (std::int32_t i = 0; i < FollowerCount(); ++i) Follower(i)->SetPriority(priority, 0, false);
    return 0;
}

void CheckPart::SetAlpha(std::uint8_t alpha) {
    m_sprite.SetAlpha(alpha);
    for (std::int32_t i = 0; i < FollowerCount(); ++i) Follower(i)->SetAlpha(alpha);
}

void CheckPart::DropReferencesTo(const void* object) {
    UiPart::DropReferencesTo(object);
    if (!object) return;
    if (object == m_externalImage) {
        m_externalImage = nullptr;
        m_sprite.Reset();
    }
    if (object == m_spriteList) {
        m_sprite.Detach();
        m_spriteList = nullptr;
    }
}

// --- Faces ---

void CheckPart::ShowFace() {
    if (!m_sprite.GetImage() || m_width <= 0) return;
    const std::int32_t left = FaceIndex(m_kind, m_state, m_withDisabledFaces != 0) * m_width;
    const RECT source = {left, 0, left + m_width, m_height};
    m_sprite.SetSourceRect(&source);
}

bool CheckPart::HitTestShape(std::int32_t x, std::int32_t y) { return m_sprite.HitTest(x, y, true); }

// --- Life ---

void CheckPart::Release() {
    LeaveRadioGroup();
    if (m_spriteList) m_sprite.Detach();
    m_sprite.Reset();
    m_image.Free();
    m_externalImage = nullptr;
    m_fileName.clear();
    m_width = 0;
}

void CheckPart::TakeList(SpriteList* list) {
    if (list == m_spriteList) m_spriteList = nullptr;
    Release();
    m_spriteList = list;
}

std::int32_t CheckPart::Finish(Image* strip, const CallerWord& output, std::uint8_t kind, bool withDisabledFaces,
                               CheckPart* leader, std::int32_t x, std::int32_t y, std::uint8_t blendMode,
                               std::uint8_t alpha, std::int32_t priority, std::int32_t tag) {
    m_kind = kind;
    m_withDisabledFaces = withDisabledFaces ? 1 : 0;
    const std::int32_t faces = FaceCount(kind, withDisabledFaces);
    if (strip->Width() < faces) return 2;
    m_width = strip->Width() / faces;
    m_height = strip->Height();
    const RECT source = {0, 0, m_width, m_height};
    if (m_sprite.SetImage(strip, &source, x, y) != 0) return 2;
    m_state = kUnchecked;
    ShowFace();
    m_sprite.SetBlendMode(blendMode);
    m_sprite.SetAlpha(alpha);
    SetPriority(priority, tag, true);
    SetOutput(output);
    const std::int32_t code = JoinAtCreation(leader);
    if (code != 0) SetOutput(CallerWord());
    return code;
}

std::int32_t CheckPart::CreateFromImage(SpriteList* list, std::int32_t priority, const CallerWord& output,
                                        Image* image, std::uint8_t kind, bool withDisabledFaces, CheckPart* leader,
                                        std::int32_t x, std::int32_t y, std::uint8_t blendMode, std::uint8_t alpha,
                                        std::int32_t tag) {
    if (!list || !image || !image->Bits() || kind >= kKinds) return 1;
    if (kind >= 2 && leader && !leader->IsLeader()) return 1;
    TakeList(list);
    m_externalImage = image;
    m_rectHit = image->ColourKey() == -1 && blendMode == 0 ? 1 : 0;
    const std::int32_t code =
        Finish(image, output, kind, withDisabledFaces, leader, x, y, blendMode, alpha, priority, tag);
    if (code != 0) Release();
    return code;
}

std::int32_t CheckPart::CreateFromFile(SpriteList* list, std::int32_t priority, const CallerWord& output,
                                       const char* fileName, std::uint8_t kind, bool withDisabledFaces,
                                       CheckPart* leader, std::int32_t x, std::int32_t y, std::uint8_t blendMode,
                                       std::uint8_t alpha, std::int32_t keyX, std::int32_t keyY, std::int32_t tag) {
    if (!list || !fileName || kind >= kKinds) return 1;
    if (kind >= 2 && leader && !leader->IsLeader()) return 1;
    std::string name;
    try {
        name = fileName;
    } catch (const std::bad_alloc&) {
        return 2;
    }
    TakeList(list);
    if (m_image.Load(name.c_str(), nullptr, 0, 0) != 0) {
        Release();
        return 2;
    }
    bool keyed = false;
    if (keyY >= 0) {
        // A key pixel outside the strip gives no key rather than whatever lies past it.
        if (keyX >= 0 && keyX < m_image.Width() && keyY < m_image.Height()) {
            keyed = m_image.SetColourKeyFromPixel(keyX, keyY) == 0;
        } else {
            m_image.ClearColourKey();
        }
    } else if (keyX != -1) {
        keyed = m_image.SetColourKeyRgb((keyX >> 16) & 0xFF, (keyX >> 8) & 0xFF, keyX & 0xFF) == 0;
    } else {
        m_image.ClearColourKey();
    }
    m_rectHit = !keyed && blendMode == 0 ? 1 : 0;
    m_keyX = keyX;
    m_keyY = keyY;
    const std::int32_t code =
        Finish(&m_image, output, kind, withDisabledFaces, leader, x, y, blendMode, alpha, priority, tag);
    if (code != 0) {
        Release();
        return code;
    }
    m_fileName = std::move(name);
    return 0;
}
