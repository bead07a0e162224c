#include "graphics/compose/rect_node_pool.h"

#include <cstdlib>

RectNodePool g_rectNodePool;

namespace {
constexpr std::int32_t kGrowBy = 256;
}

RectNodePool::~RectNodePool() {
    if (m_reserved) {
        RectNode* node = m_reserved;
        m_reserved = nullptr;
        Free(node);
    }
}

void* RectNodePool::AllocateNode() {
    return m_allocate ? m_allocate(sizeof(RectNode)) : std::malloc(sizeof(RectNode));
}

void RectNodePool::ReleaseNode(RectNode* node) {
    if (m_release) {
        m_release(node);
    } else {
        std::free(node);
    }
}

bool RectNodePool::Grow() {
    const std::int32_t capacity = m_created + kGrowBy;
    if (capacity > m_freeCapacity) {
        void* list = std::realloc(m_freeList, sizeof(RectNode*) * capacity);
        if (!list) return false;
        m_freeList = static_cast<RectNode**>(list);
        m_freeCapacity = capacity;
    }
    bool added = false;
    for (std::int32_t i = 0; i < kGrowBy; ++i) {
        RectNode* node = static_cast<RectNode*>(AllocateNode());
        if (!node) break;
        ++m_created;
        if (!m_reserved) {
            m_reserved = node;
        } else {
            m_freeList[m_freeCount++] = node;
            added = true;
        }
    }
    return added;
}

bool RectNodePool::Reserve(std::int32_t count) {
    while (m_freeCount < count) {
        if (!Grow()) return false;
    }
    return true;
}

RectNode* RectNodePool::Alloc() {
    if (m_freeCount == 0 && !Grow()) return nullptr;
    return m_freeList[--m_freeCount];
}

void RectNodePool::Free(RectNode* node) {
    m_freeList[m_freeCount++] = node;
    if (m_freeCount == m_created) ReleaseAll();
}

void RectNodePool::ReleaseAll() {
    for (std::int32_t i = 0; i < m_freeCount; ++i) ReleaseNode(m_freeList[i]);
    std::free(m_freeList);
    m_freeList = nullptr;
    m_freeCount = 0;
    m_freeCapacity = 0;
    m_created = 0;
}
