// Device drawables draw themselves straight onto the display device's back surface once per
// presented frame; a DeviceDrawableList holds the ones to draw, in descending priority, and is
// the path by which they rebuild their content after the display was restored. The list never
// owns its drawables (the screen device's object lists do); a drawable is in at most one list
// and leaves it when deleted.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

class Direct3DDevice;
class DeviceDrawableList;
class Surface;
class Texture;

enum DeviceDrawableKind : std::uint8_t {
    kDrawableSurfaceSprite = 0,
    kDrawableSurfaceSpriteEx = 1,
    kDrawableTransitionSprite = 2,
    kDrawablePrimMovie = 3,
    kDrawableTexturedQuad = 4,
    kDrawableTexturedQuadEx = 5,
    kDrawableColourRect = 6,
    kDrawablePolygon = 7,
    kDrawableTriangle = 8,
    kDrawableRenderStateBlock = 9,
    kDrawableTextureStageBlock = 10,
};

class DeviceDrawable {
public:
    DeviceDrawable() = default;
    virtual ~DeviceDrawable();
    DeviceDrawable(const DeviceDrawable&) = delete;
    DeviceDrawable& operator=(const DeviceDrawable&) = delete;

    virtual bool IsEnabled() const { return m_enabled != 0; }
    virtual void SetEnabled(bool enabled) { m_enabled = enabled ? 1 : 0; }
    virtual DeviceDrawableKind Kind() const = 0;
    virtual std::int32_t GetX() const = 0;
    virtual std::int32_t GetY() const = 0;
    virtual void SetPosition(std::int32_t x, std::int32_t y) = 0;
    // Displayed width and height, 0 = natural; shapes of free vertices take a 16.16 scale in a.
    virtual void SetSize(std::int32_t a, std::int32_t b) = 0;
    virtual void SetSizeAndPosition(std::int32_t a, std::int32_t b, std::int32_t x, std::int32_t y) = 0;
    virtual void MoveBy(std::int32_t dx, std::int32_t dy) = 0;
    virtual bool HitTest(std::int32_t x, std::int32_t y, bool opaqueOnly) = 0;
    virtual bool Overlaps(DeviceDrawable* other) = 0;
    virtual bool GetBounds(RECT* out) = 0;
    // 0 = go on with the next drawable.
    virtual std::int32_t Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device) = 0;
    // Rebuilds the content after the display was restored; 0 done.
    virtual std::int32_t RestoreContent() = 0;
    // The surface (and, for the texture kinds, its texture face) is about to be deleted: a
    // drawable that shows, reads or writes it lets go of it and disables itself, so that its
    // Draw answers 0 without touching it. True when it held it.
    virtual bool ForgetSurface(const Surface* surface, const Texture* texture) {
        (void)surface;
        (void)texture;
        return false;
    }

    std::uint32_t m_ownerKey = 0;
    std::uint8_t m_enabled = 1;
    DeviceDrawableList* m_list = nullptr;
};

class DeviceDrawableList {
public:
    DeviceDrawableList() = default;
    virtual ~DeviceDrawableList();
    DeviceDrawableList(const DeviceDrawableList&) = delete;
    DeviceDrawableList& operator=(const DeviceDrawableList&) = delete;

    // 0 inserted; 1 null drawable; 2 already in a list; 3 no memory. After the drawables of the
    // same priority, or before them.
    std::int32_t InsertAfterEquals(DeviceDrawable* drawable, std::uint32_t priority, std::uint8_t group);
    std::int32_t InsertBeforeEquals(DeviceDrawable* drawable, std::uint32_t priority, std::uint8_t group);
    void Remove(DeviceDrawable* drawable);
    void RemovePriority(std::uint32_t priority);
    void RemoveGroup(std::uint8_t group);
    // True when moved; false not found, null, or the priority unchanged with onlyIfChanged.
    bool ReprioritiseAfter(DeviceDrawable* drawable, std::uint32_t priority, bool onlyIfChanged);
    bool ReprioritiseBefore(DeviceDrawable* drawable, std::uint32_t priority, bool onlyIfChanged);
    // -1 for the priority or the group matches any.
    void SetEnabled(bool enabled, std::int64_t priority, std::int32_t group);
    void Clear();
    // The last drawable's result (a nonzero one stops the walk); -1 when BeginScene fails.
    std::int32_t Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device);
    // Every drawable rebuilds, also after one failed; the first nonzero result.
    std::int32_t RestoreAll();

    // The drawables from the head, for tests and the frame's callers.
    template <class Visit>
    void ForEach(Visit visit) const {
        for (const Node* node = m_head; node; node = node->next) visit(node->drawable, node->priority, node->group);
    }

    // Read by the Direct3D drawables: they send their own blend and stage states only then.
    std::uint8_t m_applyStates = 1;

private:
    struct Node {
        DeviceDrawable* drawable;
        Node* previous;
        Node* next;
        std::uint32_t priority;
        std::uint8_t group;
    };
    std::int32_t Insert(DeviceDrawable* drawable, std::uint32_t priority, std::uint8_t group, bool afterEquals);
    void Link(Node* node, bool afterEquals);
    void Unlink(Node* node);
    Node* Find(const DeviceDrawable* drawable) const;
    bool Reprioritise(DeviceDrawable* drawable, std::uint32_t priority, bool onlyIfChanged, bool afterEquals);

    Node* m_head = nullptr;
};
