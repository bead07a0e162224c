#include "graphics/sprites/sprite_list.h"

#include <new>

#include "graphics/sprites/canvas.h"
#include "graphics/sprites/drawable.h"

namespace {

// One test of the matching operations: -1 matches everything, invert asks for a difference.
bool Matches(std::int32_t wanted, std::int32_t value, bool invert) {
    if (wanted == -1) return true;
    return invert ? value != wanted : value == wanted;
}

}  // namespace

SpriteList::~SpriteList() {
    if (m_canvas && m_canvas->Overlay() == this) m_canvas->AttachOverlay(nullptr);
    Clear();
    FreeRemoved();
}

std::int32_t SpriteList::Insert(Drawable* drawable, std::uint32_t priority, std::uint32_t tag,
                                bool afterEquals, const RECT* lastRect) {
    if (!drawable) return 1;
    if (drawable->m_list) return 2;
    auto* node = new (std::nothrow) SpriteListNode;
    if (!node) return 3;
    node->drawable = drawable;
    node->lastRect = lastRect ? *lastRect : RECT{-1, 0, 0, 0};
    node->priority = priority;
    node->tag = tag;
    Link(node, afterEquals);
    drawable->m_list = this;
    drawable->SetDirty(1);
    return 0;
}

void SpriteList::Link(SpriteListNode* node, bool afterEquals) {
    SpriteListNode* next = m_head;
    while (next && (afterEquals ? next->priority <= node->priority
                                : next->priority < node->priority))
        next = next->next;
    node->next = next;
    node->prev = next ? next->prev : m_tail;
    if (node->prev)
        node->prev->next = node;
    else
        m_head = node;
    if (next)
        next->prev = node;
    else
        m_tail = node;
}

std::int32_t SpriteList::Add(Drawable* drawable, std::uint32_t priority, std::uint32_t tag) {
    return Insert(drawable, priority, tag, false, nullptr);
}

std::int32_t SpriteList::AddAfterEquals(Drawable* drawable, std::uint32_t priority,
                                        std::uint32_t tag) {
    return Insert(drawable, priority, tag, true, nullptr);
}

SpriteListNode* SpriteList::Find(const Drawable* drawable) const {
    if (!drawable) return nullptr;
    for (SpriteListNode* n = m_head; n; n = n->next)
        if (n->drawable == drawable) return n;
    return nullptr;
}

bool SpriteList::HasDrawables() const { return LastLive() != nullptr; }

std::int32_t SpriteList::Count() const {
    std::int32_t count = 0;
    for (SpriteListNode* n = m_head; n; n = n->next) count += n->drawable ? 1 : 0;
    return count;
}

SpriteListNode* SpriteList::LastLive() const {
    for (SpriteListNode* n = m_tail; n; n = n->prev)
        if (n->drawable) return n;
    return nullptr;
}

void SpriteList::Release(SpriteListNode* node) {
    node->drawable->m_list = nullptr;
    node->drawable = nullptr;
    m_hasRemoved = true;
    if (m_walks == 0) FreeRemoved();
}

void SpriteList::FreeRemoved() {
    if (!m_hasRemoved) return;
    m_hasRemoved = false;
    for (SpriteListNode* n = m_head; n;) {
        SpriteListNode* next = n->next;
        if (!n->drawable) {
            (n->prev ? n->prev->next : m_head) = n->next;
            (n->next ? n->next->prev : m_tail) = n->prev;
            delete n;
        }
        n = next;
    }
}

bool SpriteList::Reprioritise(Drawable* drawable, std::uint32_t priority, bool skipSame,
                              bool afterEquals) {
    SpriteListNode* node = Find(drawable);
    if (!node) return false;
    if (skipSame && node->priority == priority) return true;
    // A new node, the old one released: a walk standing on the old node goes on from where it
    // was instead of following the drawable to its new place.
    const RECT lastRect = node->lastRect;
    const std::uint32_t tag = node->tag;
    Release(node);
    if (Insert(drawable, priority, tag, afterEquals, &lastRect) != 0) {
        // No memory for the new node: the area it leaves is repainted.
        if (m_canvas && lastRect.left != -1) m_canvas->AddToRegion(lastRect);
        return false;
    }
    return true;
}

bool SpriteList::SetPriority(Drawable* drawable, std::uint32_t priority, bool skipSame) {
    return Reprioritise(drawable, priority, skipSame, false);
}

bool SpriteList::SetPriorityAfterEquals(Drawable* drawable, std::uint32_t priority,
                                        bool skipSame) {
    return Reprioritise(drawable, priority, skipSame, true);
}

bool SpriteList::Remove(Drawable* drawable) {
    SpriteListNode* node = Find(drawable);
    if (!node) return false;
    if (node->lastRect.left != -1 && m_canvas) m_canvas->AddToRegion(node->lastRect);
    Release(node);
    return true;
}

template <class Match>
void SpriteList::RemoveWhere(Match match) {
    WalkFromHead([&](SpriteListNode& node) {
        if (match(node)) Remove(node.drawable);
    });
}

void SpriteList::RemoveByPriority(std::uint32_t priority, bool invert) {
    RemoveWhere([&](const SpriteListNode& n) { return (n.priority == priority) != invert; });
}

void SpriteList::RemoveMatching(std::int32_t tag, std::int32_t ownerKey, bool invert) {
    RemoveWhere([&](const SpriteListNode& n) {
        return Matches(tag, static_cast<std::int32_t>(n.tag), invert) &&
               Matches(ownerKey, n.drawable->OwnerKey(), invert);
    });
}

void SpriteList::SetVisibleMatching(std::uint8_t visible, std::int32_t priority,
                                    std::int32_t tag, std::int32_t ownerKey, bool invert) {
    WalkFromHead([&](SpriteListNode& n) {
        if (Matches(priority, static_cast<std::int32_t>(n.priority), invert) &&
            Matches(tag, static_cast<std::int32_t>(n.tag), invert) &&
            Matches(ownerKey, n.drawable->OwnerKey(), invert))
            n.drawable->SetVisible(visible);
    });
}

void SpriteList::Clear() {
    WalkGuard guard(*this);
    for (SpriteListNode* n = m_head; n; n = n->next)
        if (n->drawable) Release(n);
}

bool SpriteList::InvalidateRect(const RECT* rect) {
    return m_canvas && m_canvas->InvalidateRect(rect);
}
