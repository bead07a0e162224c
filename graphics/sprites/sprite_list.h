// SpriteList: the drawables of a canvas, ordered by an unsigned priority ascending from head to
// tail and drawn from tail to head, so the smallest priority lands on top. The list never owns
// its drawables; each node keeps where its drawable was last drawn, so that the canvas can
// repaint the area it leaves.
//
// Walks call the drawables' virtual operations, which may remove or delete drawables (their
// own or others) or clear the list. A node removed during a walk only loses its drawable and is
// freed when the outermost walk ends, so no walk ever stands on freed memory.
#pragma once

#include <windows.h>

#include <cstdint>

class Canvas;
class Drawable;

struct SpriteListNode {
    // Null once removed while a walk runs; such nodes are skipped and freed later.
    Drawable* drawable;
    // Where the drawable was last drawn (its clipped bounds); left = -1 when not drawn since it
    // was added or invalidated.
    RECT lastRect;
    std::uint32_t priority;
    std::uint32_t tag;
    SpriteListNode* prev;
    SpriteListNode* next;
};

class SpriteList {
public:
    SpriteList() = default;
    // Clears; an overlay list leaves the canvas it is attached to.
    virtual ~SpriteList();

    SpriteList(const SpriteList&) = delete;
    SpriteList& operator=(const SpriteList&) = delete;

    // 1 null drawable; 2 already in a list; 3 no memory; 0 done (inserted before equal
    // priorities, so drawn on top of them). The drawable is marked dirty.
    std::int32_t Add(Drawable* drawable, std::uint32_t priority, std::uint32_t tag);
    // The same, inserted after equal priorities (drawn below them).
    std::int32_t AddAfterEquals(Drawable* drawable, std::uint32_t priority, std::uint32_t tag);
    // False when not listed; with skipSame an equal priority is left alone (true).
    bool SetPriority(Drawable* drawable, std::uint32_t priority, bool skipSame);
    bool SetPriorityAfterEquals(Drawable* drawable, std::uint32_t priority, bool skipSame);
    // The canvas repaints where it was last drawn, if it was. False when not listed.
    bool Remove(Drawable* drawable);
    void RemoveByPriority(std::uint32_t priority, bool invert);
    // -1 matches everything; invert turns each other test into an inequality.
    void RemoveMatching(std::int32_t tag, std::int32_t ownerKey, bool invert);
    void SetVisibleMatching(std::uint8_t visible, std::int32_t priority, std::int32_t tag,
                            std::int32_t ownerKey, bool invert);
    // Takes every drawable out without invalidating anything.
    void Clear();
    // The canvas's InvalidateRect; false without a canvas.
    bool InvalidateRect(const RECT* rect);

    Canvas* GetCanvas() const { return m_canvas; }
    // The node of a listed drawable, or null.
    SpriteListNode* Find(const Drawable* drawable) const;
    bool HasDrawables() const;
    std::int32_t Count() const;

    // Calls visit(node) for every node that holds a drawable, head to tail or tail to head.
    // visit may change the list; it must check node.drawable after each call it makes into the
    // drawable.
    template <class Visit>
    void WalkFromHead(Visit visit) {
        WalkGuard guard(*this);
        for (SpriteListNode* n = m_head; n; n = n->next)
            if (n->drawable) visit(*n);
    }
    template <class Visit>
    void WalkFromTail(Visit visit) {
        WalkGuard guard(*this);
        for (SpriteListNode* n = m_tail; n; n = n->prev)
            if (n->drawable) visit(*n);
    }

    // The last node holding a drawable, or null.
    SpriteListNode* LastLive() const;

private:
    friend class Canvas;

    class WalkGuard {
    public:
        explicit WalkGuard(SpriteList& list) : m_list(list) { ++m_list.m_walks; }
        ~WalkGuard() {
            if (--m_list.m_walks == 0) m_list.FreeRemoved();
        }

    private:
        SpriteList& m_list;
    };

    std::int32_t Insert(Drawable* drawable, std::uint32_t priority, std::uint32_t tag,
                        bool afterEquals, const RECT* lastRect);
    void Link(SpriteListNode* node, bool afterEquals);
    // Takes the drawable off its node; the node goes now or when the walks end.
    void Release(SpriteListNode* node);
    void FreeRemoved();
    bool Reprioritise(Drawable* drawable, std::uint32_t priority, bool skipSame,
                      bool afterEquals);
    template <class Match>
    void RemoveWhere(Match match);

    SpriteListNode* m_head = nullptr;
    SpriteListNode* m_tail = nullptr;
    Canvas* m_canvas = nullptr;
    std::int32_t m_walks = 0;
    bool m_hasRemoved = false;
};
