// RecursiveLock: a critical section that knows its owner thread and depth.
// ScopedLock: the guard through which the program takes every lock.
#pragma once

#include <windows.h>

#include <cstdint>

class RecursiveLock {
public:
    RecursiveLock();
    virtual ~RecursiveLock();
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;

    // Returns the new depth.
    virtual std::int32_t Enter();
    virtual void Leave();
    virtual bool IsOwnedByCaller();

    std::int32_t Depth() const { return m_depth; }

private:
    CRITICAL_SECTION m_section;
    volatile DWORD m_owner;
    std::int32_t m_depth;
};

class ScopedLock {
public:
    explicit ScopedLock(RecursiveLock& lock);
    ~ScopedLock();
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

    void Acquire();
    // Gives up one hold; does nothing when the guard holds nothing.
    void Release();

    std::int32_t Count() const { return m_count; }

private:
    RecursiveLock* m_lock;
    std::int32_t m_count;
};
