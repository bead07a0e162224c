#include "framework/runtime/recursive_lock.h"

namespace {
const DWORD kNoOwner = static_cast<DWORD>(-1);
}

RecursiveLock::RecursiveLock() : m_owner(kNoOwner), m_depth(0) {
    InitializeCriticalSection(&m_section);
}

RecursiveLock::~RecursiveLock() { DeleteCriticalSection(&m_section); }

std::int32_t RecursiveLock::Enter() {
    EnterCriticalSection(&m_section);
    m_owner = GetCurrentThreadId();
    return ++m_depth;
}

void RecursiveLock::Leave() {
    if (--m_depth == 0) m_owner = kNoOwner;
    LeaveCriticalSection(&m_section);
}

bool RecursiveLock::IsOwnedByCaller() { return m_owner == GetCurrentThreadId(); }

ScopedLock::ScopedLock(RecursiveLock& lock) : m_lock(&lock), m_count(0) { Acquire(); }

ScopedLock::~ScopedLock() {
    while (m_count > 0) {
        --m_count;
        m_lock->Leave();
    }
}

void ScopedLock::Acquire() {
    m_lock->Enter();
    ++m_count;
}

void ScopedLock::Release() {
    if (m_count == 0) return;
    --m_count;
    m_lock->Leave();
}
