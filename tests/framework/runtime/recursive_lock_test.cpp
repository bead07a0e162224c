#include "framework/runtime/recursive_lock.h"

#include <gtest/gtest.h>

#include <thread>

TEST(RecursiveLock, OwnerReentersAndDepthCounts) {
    RecursiveLock lock;
    EXPECT_FALSE(lock.IsOwnedByCaller());
    EXPECT_EQ(1, lock.Enter());
    EXPECT_EQ(2, lock.Enter());
    EXPECT_TRUE(lock.IsOwnedByCaller());
    lock.Leave();
    EXPECT_TRUE(lock.IsOwnedByCaller());
    lock.Leave();
    EXPECT_FALSE(lock.IsOwnedByCaller());
}

TEST(RecursiveLock, OtherThreadIsNotOwner) {
    RecursiveLock lock;
    ScopedLock guard(lock);
    bool ownedThere = true;
    std::thread([&] { ownedThere = lock.IsOwnedByCaller(); }).join();
    EXPECT_FALSE(ownedThere);
}

TEST(ScopedLock, ReleaseThenAcquireHoldsOnce) {
    RecursiveLock lock;
    {
        ScopedLock guard(lock);
        guard.Release();
        EXPECT_EQ(0, lock.Depth());
        guard.Release();  // holds nothing: no effect
        EXPECT_EQ(0, lock.Depth());
        guard.Acquire();
        EXPECT_EQ(1, guard.Count());
        EXPECT_EQ(1, lock.Depth());
    }
    EXPECT_EQ(0, lock.Depth());
    EXPECT_FALSE(lock.IsOwnedByCaller());
}

TEST(ScopedLock, DestructorLeavesEveryHold) {
    RecursiveLock lock;
    {
        ScopedLock guard(lock);
        guard.Acquire();
        guard.Acquire();
        EXPECT_EQ(3, lock.Depth());
    }
    EXPECT_EQ(0, lock.Depth());
}
