#include "graphics/compose/dirty_region.h"

#include <algorithm>

namespace {

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT RectOf(const RectNode* node) { return RECT{node->left, node->top, node->right, node->bottom}; }

void SetRectOf(RectNode* node, const RECT& r) {
    node->left = r.left;
    node->top = r.top;
    node->right = r.right;
    node->bottom = r.bottom;
}

// Two rectangles share a row when their tops and their bottoms are equal.
bool SharesRow(const RectNode* node, const RECT& r) {
    return node->top == r.top && node->bottom == r.bottom;
}

// Order of the list: (top, left) ascending.
bool ComesAfter(const RectNode* node, const RECT& r) {
    return node->top > r.top || (node->top == r.top && node->left > r.left);
}
bool ComesBefore(const RectNode* node, const RECT& r) {
    return node->top < r.top || (node->top == r.top && node->left < r.left);
}

bool Contains(const RectNode* node, const RECT& r) {
    return node->left <= r.left && node->top <= r.top && node->right >= r.right &&
           node->bottom >= r.bottom;
}

bool Overlaps(const RectNode* node, const RECT& r) {
    return node->left < r.right && node->right > r.left && node->bottom > r.top &&
           node->top < r.bottom;
}

void Widen(RECT* bounds, const RECT& r) {
    bounds->left = std::min(bounds->left, r.left);
    bounds->top = std::min(bounds->top, r.top);
    bounds->right = std::max(bounds->right, r.right);
    bounds->bottom = std::max(bounds->bottom, r.bottom);
}

void LinkBetween(RectNode* node, RectNode* prev, RectNode* next) {
    node->prev = prev;
    node->next = next;
    prev->next = node;
    next->prev = node;
}

}  // namespace

bool IntersectRects(RECT* out, const RECT& a, const RECT& b) {
    const RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
    if (IsEmpty(r)) return false;
    if (out) *out = r;
    return true;
}

DirtyRegion::DirtyRegion(RectNodePool* pool) : m_pool(pool) { Reset(); }

DirtyRegion::~DirtyRegion() { FreeNodes(); }

void DirtyRegion::Reset() {
    m_head = nullptr;
    m_cursor = nullptr;
    m_count = 0;
    m_bounds = RECT{0, 0, 0, 0};
    m_boundsValid = 0;
}

void DirtyRegion::FreeNodes() {
    if (!m_head) return;
    RectNode* node = m_head;
    do {
        RectNode* next = node->next;
        m_pool->Free(node);
        node = next;
    } while (node != m_head);
}

void DirtyRegion::Clear() {
    FreeNodes();
    Reset();
}

RectNode* DirtyRegion::LinkNew(const RECT& rect, RectNode* prev, RectNode* next) {
    RectNode* node = m_pool->Alloc();
    if (!node) return nullptr;
    SetRectOf(node, rect);
    LinkBetween(node, prev ? prev : node, next ? next : node);
    ++m_count;
    return node;
}

RectNode* DirtyRegion::NodeAt(std::int32_t position) const {
    RectNode* node = m_head;
    while (position-- > 0) node = node->next;
    return node;
}

bool DirtyRegion::InsertDisjoint(const RECT& rect) {
    if (IsEmpty(rect)) return false;
    if (m_count == 0) {
        RectNode* node = LinkNew(rect, nullptr, nullptr);
        if (!node) return false;
        m_head = m_cursor = node;
        return true;
    }

    RectNode* cursor = m_cursor;
    if (ComesAfter(cursor, rect)) {
        RectNode* before = nullptr;
        while (cursor != m_head) {
            if (ComesBefore(cursor->prev, rect)) {
                before = cursor->prev;
                break;
            }
            cursor = cursor->prev;
        }
        m_cursor = cursor;
        if (!before) {
            // rect goes before every node.
            if (SharesRow(m_head, rect) && m_head->left == rect.right) {
                m_head->left = rect.left;
                return true;
            }
            RectNode* node = LinkNew(rect, m_head->prev, m_head);
            if (!node) return false;
            m_head = node;
            return true;
        }
        if (SharesRow(cursor, rect) && cursor->left == rect.right) {
            cursor->left = rect.left;
            return true;
        }
        return LinkNew(rect, before, cursor) != nullptr;
    }

    RectNode* after = nullptr;
    while (cursor->next != m_head) {
        if (ComesAfter(cursor->next, rect)) {
            after = cursor->next;
            break;
        }
        cursor = cursor->next;
    }
    m_cursor = cursor;
    if (!after) {
        // rect goes after every node.
        if (SharesRow(cursor, rect) && cursor->right == rect.left) {
            cursor->right = rect.right;
            return true;
        }
        return LinkNew(rect, cursor, m_head) != nullptr;
    }
    if (SharesRow(after, rect) && after->left == rect.right) {
        after->left = rect.left;
        if (SharesRow(cursor, rect) && cursor->right == rect.left) {
            // The node before, rect and the node after have become one.
            after->left = cursor->left;
            RemoveNode(cursor);
        }
        return true;
    }
    return LinkNew(rect, cursor, after) != nullptr;
}

void DirtyRegion::RemoveNode(RectNode* node) {
    if (node == m_head) m_head = node->next;
    --m_count;
    if (m_count == 0) {
        m_head = nullptr;
        m_cursor = nullptr;
    } else if (node == m_cursor) {
        m_cursor = node->prev;
    }
    node->prev->next = node->next;
    node->next->prev = node->prev;
    m_pool->Free(node);
}

void DirtyRegion::SplitAround(RectNode* node, const RECT& rect) {
    const RECT n = RectOf(node);
    const LONG midTop = std::max(n.top, rect.top);
    const LONG midBottom = std::min(n.bottom, rect.bottom);
    const bool hasTop = n.top < rect.top;
    const bool hasLeft = n.left < rect.left;
    const bool hasRight = n.right > rect.right;
    const bool hasBottom = n.bottom > rect.bottom;
    const RECT top{n.left, n.top, n.right, rect.top};
    const RECT left{n.left, midTop, rect.left, midBottom};
    const RECT right{rect.right, midTop, n.right, midBottom};
    const RECT bottom{n.left, rect.bottom, n.right, n.bottom};

    if (hasTop || hasLeft) {
        // The node's top-left corner lies outside rect: it keeps its node and its place in the
        // order as the top band or, without one, the left fragment.
        if (hasTop && hasLeft) InsertDisjoint(left);
        if (hasRight) InsertDisjoint(right);
        if (hasBottom) InsertDisjoint(bottom);
        SetRectOf(node, hasTop ? top : left);
        return;
    }
    if (hasRight) InsertDisjoint(right);
    if (hasBottom) InsertDisjoint(bottom);
    RemoveNode(node);
}

void DirtyRegion::ComputeBounds() {
    if (m_count == 0) {
        m_bounds = RECT{0, 0, 0, 0};
        return;
    }
    m_bounds = RectOf(m_head);
    for (RectNode* node = m_head->next; node != m_head; node = node->next) {
        const RECT r = RectOf(node);
        if (!IsEmpty(r)) Widen(&m_bounds, r);
    }
}

RectNode* DirtyRegion::FirstOverlapping(const RECT& rect) const {
    RectNode* node = m_head;
    if (!node) return nullptr;
    do {
        if (node->top >= rect.bottom) return nullptr;
        if (Overlaps(node, rect)) return node;
        node = node->next;
    } while (node != m_head);
    return nullptr;
}

bool DirtyRegion::Add(const RECT& rect) {
    if (IsEmpty(rect)) return true;
    if (m_count == 0) {
        if (!InsertDisjoint(rect)) return false;
        m_bounds = rect;
        m_boundsValid = 1;
        return true;
    }
    if (!m_boundsValid) ComputeBounds();
    if (m_bounds.left >= rect.right || m_bounds.top >= rect.bottom || m_bounds.right <= rect.left ||
        m_bounds.bottom <= rect.top) {
        if (!InsertDisjoint(rect)) return false;
        Widen(&m_bounds, rect);
        return true;
    }

    // Count the nodes that give up area, so that every node the splitting needs (at most three
    // new fragments each, and rect itself) is in hand before the region changes.
    std::int32_t overlapping = 0;
    RectNode* node = m_head;
    do {
        if (node->top >= rect.bottom) break;
        if (Contains(node, rect)) return true;
        if (Overlaps(node, rect)) ++overlapping;
        node = node->next;
    } while (node != m_head);
    if (!m_pool->Reserve(3 * overlapping + 1)) return false;
    Widen(&m_bounds, rect);

    // Inserting a fragment may join neighbours and remove one of them, so no node is remembered
    // across a split: each round looks for the first node still overlapping rect. Every split
    // leaves one overlapping node fewer, and the fragments never overlap rect.
    while (RectNode* hit = FirstOverlapping(rect)) {
        m_cursor = hit;
        SplitAround(hit, rect);
    }
    InsertDisjoint(rect);
    return true;
}

void DirtyRegion::Coalesce() {
    if (m_count < 2) return;
    CoalesceAcrossRows();
    if (m_count >= 2) CoalesceColumns();
}

void DirtyRegion::CoalesceAcrossRows() {
    // Each step that re-inserts nodes takes at most one node more than it gives back; a step is
    // only started with that node in hand, so running out of memory leaves a complete region.
    std::int32_t position = 0;
    while (position < m_count) {
        RectNode* a = NodeAt(position);
        bool again = false;
        RectNode* b = a->next;
        while (b != m_head && b->top < a->bottom) {
            if (a->right == b->left && b->top == a->top) {
                // b adjoins a on the right, starting on the same row.
                if (b->bottom == a->bottom) {
                    a->right = b->right;
                    RemoveNode(b);
                    again = true;
                    break;
                }
                if (!m_pool->Reserve(1)) return;
                RECT moved;
                if (a->bottom > b->bottom) {
                    moved = RECT{a->left, b->bottom, a->right, a->bottom};
                    a->bottom = b->bottom;
                } else {
                    moved = RECT{b->left, a->bottom, b->right, b->bottom};
                }
                a->right = b->right;
                RemoveNode(b);
                m_cursor = a;
                InsertDisjoint(moved);
                again = true;
                break;
            }
            if (b->right == a->left || a->right == b->left) {
                // b adjoins a on either side, starting lower.
                const Join join = JoinBelowTop(a, b);
                if (join == Join::kNoNode) return;
                if (join == Join::kInPlace) {
                    b = b->next;
                    continue;
                }
                again = true;
                break;
            }
            b = b->next;
        }
        if (again) continue;
        if (a->next == m_head) return;
        ++position;
    }
}

DirtyRegion::Join DirtyRegion::JoinBelowTop(RectNode* a, RectNode* b) {
    // The joined rows span both rectangles, whichever side b lies on.
    const LONG left = b->left < a->left ? b->left : a->left;
    const LONG right = b->right > a->right ? b->right : a->right;
    if (b->bottom == a->bottom) {
        a->bottom = b->top;
        b->left = left;
        b->right = right;
        return Join::kInPlace;
    }
    if (!m_pool->Reserve(1)) return Join::kNoNode;
    RECT aside;
    if (b->bottom < a->bottom) {
        aside = RECT{a->left, b->bottom, a->right, a->bottom};
    } else {
        aside = RECT{b->left, a->bottom, b->right, b->bottom};
        b->bottom = a->bottom;
    }
    a->bottom = b->top;
    b->left = left;
    b->right = right;
    const RECT moved = RectOf(b);
    RemoveNode(b);
    m_cursor = a;
    InsertDisjoint(moved);
    m_cursor = a;
    InsertDisjoint(aside);
    return Join::kReinserted;
}

void DirtyRegion::CoalesceColumns() {
    m_cursor = m_head;
    std::int32_t position = 0;
    for (;;) {
        RectNode* a = NodeAt(position);
        RectNode* b = a->next;
        while (b != m_head && b->top <= a->bottom) {
            if (b->top == a->bottom && b->left == a->left && b->right == a->right) {
                a->bottom = b->bottom;
                RectNode* next = b->next;
                RemoveNode(b);
                b = next;
            } else {
                b = b->next;
            }
        }
        if (a->next == m_head) return;
        ++position;
    }
}
