// DirtyRegion: the changed parts of a picture since it was last shown, as a set of
// non-overlapping rectangles kept in (top, left) order, so that a repaint never draws a pixel
// twice. Nearly every drawing operation ends in Add, which stays cheap for the common cases
// (first rectangle, a rectangle outside everything so far, one already covered).
//
// Readers walk the nodes directly: start at Head() when Count() is not 0 and follow next until
// Head() comes round again.
#pragma once

#include <windows.h>

#include <cstdint>

#include "graphics/compose/rect_node_pool.h"

// The intersection of a and b into out (which may be null); false, with out untouched, when it
// is empty.
bool IntersectRects(RECT* out, const RECT& a, const RECT& b);

class DirtyRegion {
public:
    explicit DirtyRegion(RectNodePool* pool = &g_rectNodePool);
    ~DirtyRegion();

    DirtyRegion(const DirtyRegion&) = delete;
    DirtyRegion& operator=(const DirtyRegion&) = delete;

    // Forgets the nodes without giving them back (after FreeNodes, or on construction).
    void Reset();
    // Gives every node back to the pool; the fields keep their values.
    void FreeNodes();
    void Clear();

    // Stores rect whole (unless one stored rectangle already covers it); older rectangles give
    // up the area it covers. Empty rectangles are ignored. False only when the node pool cannot
    // supply the nodes, and then the region is unchanged.
    bool Add(const RECT& rect);
    // Rewrites the set into fewer, larger rectangles covering the same area.
    void Coalesce();

    std::int32_t Count() const { return m_count; }
    const RectNode* Head() const { return m_head; }
    // Holds every stored rectangle, and may be larger: it is only a quick-reject test.
    const RECT& Bounds() const { return m_bounds; }

private:
    bool InsertDisjoint(const RECT& rect);
    void RemoveNode(RectNode* node);
    void SplitAround(RectNode* node, const RECT& rect);
    void ComputeBounds();
    // A node holding rect, linked between prev and next (both null when the list is empty)
    // and counted; null when the pool has no node to give.
    RectNode* LinkNew(const RECT& rect, RectNode* prev, RectNode* next);
    RectNode* NodeAt(std::int32_t position) const;
    RectNode* FirstOverlapping(const RECT& rect) const;
    void CoalesceAcrossRows();
    // How JoinBelowTop went: b widened where it lies, or b and the rows left over inserted
    // again, or nothing done for want of a node.
    enum class Join { kInPlace, kReinserted, kNoNode };
    // b starts below a's top and adjoins a at the side: a's rows from b's top down join b.
    Join JoinBelowTop(RectNode* a, RectNode* b);
    void CoalesceColumns();

    RectNodePool* m_pool;
    RectNode* m_head;
    RectNode* m_cursor;
    std::int32_t m_count;
    RECT m_bounds;
    std::uint8_t m_boundsValid;
};
