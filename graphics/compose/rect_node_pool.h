// RectNodePool: the process-wide store of the list nodes that dirty regions keep their rectangles
// in. Nodes are recycled last in, first out and grown 256 at a time, so a region in its steady
// state never allocates. The pool keeps one node for itself from its first growth until program
// exit, which keeps every node alive for the whole run; at exit that node is given back and, once
// all nodes are home, the memory is released.
//
// Used from the drawing thread only; no lock.
#pragma once

#include <cstddef>
#include <cstdint>

struct RectNode {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
    RectNode* prev;
    RectNode* next;
};

class RectNodePool {
public:
    using AllocateFn = void* (*)(std::size_t size);
    using ReleaseFn = void (*)(void* block);

    // Constant-initialised, so the global pool is usable before any other start-up code runs.
    constexpr RectNodePool() = default;
    // Node memory from the given functions (both or neither).
    constexpr RectNodePool(AllocateFn allocate, ReleaseFn release)
        : m_allocate(allocate), m_release(release) {}
    // The exit routine: gives the kept node back.
    ~RectNodePool();

    RectNodePool(const RectNodePool&) = delete;
    RectNodePool& operator=(const RectNodePool&) = delete;

    // A node with undefined fields, or null when no memory can be had.
    RectNode* Alloc();
    void Free(RectNode* node);
    // Makes sure the next `count` Allocs succeed; false when the memory cannot be had (the pool
    // keeps what it got).
    bool Reserve(std::int32_t count);

    std::int32_t Created() const { return m_created; }
    std::int32_t FreeCount() const { return m_freeCount; }

private:
    bool Grow();
    void ReleaseAll();
    void* AllocateNode();
    void ReleaseNode(RectNode* node);

    AllocateFn m_allocate = nullptr;
    ReleaseFn m_release = nullptr;
    std::int32_t m_created = 0;
    // Never shorter than m_created, so giving a node back never needs memory.
    RectNode** m_freeList = nullptr;
    std::int32_t m_freeCount = 0;
    std::int32_t m_freeCapacity = 0;
    RectNode* m_reserved = nullptr;
};

extern RectNodePool g_rectNodePool;
