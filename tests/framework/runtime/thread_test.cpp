#include "framework/runtime/thread.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <thread>
#include <vector>

#include "framework/runtime/com_init.h"

namespace {

// Runs `work` on a thread of its own and reports whether it finished within `ms`. A body that
// hangs (a deadlock under test) is left behind, so the test fails instead of hanging.
template <class Work>
bool FinishesWithin(DWORD ms, Work work) {
    struct Job {
        Work work;
        static DWORD WINAPI Proc(void* job) {
            static_cast<Job*>(job)->work();
            return 0;
        }
    };
    Job* job = new Job{work};
    HANDLE handle = CreateThread(nullptr, 0, &Job::Proc, job, 0, nullptr);
    if (!handle) return false;
    const bool finished = WaitForSingleObject(handle, ms) == WAIT_OBJECT_0;
    CloseHandle(handle);
    if (finished) delete job;
    return finished;
}

class Counter {
public:
    void Increment() { InterlockedIncrement(&m_count); }
    LONG Count() const { return m_count; }

private:
    volatile LONG m_count = 0;
};

// A body that runs until asked to stop, as the game thread does.
class Worker {
public:
    explicit Worker(Thread& thread) : m_thread(thread) {}
    void Loop() {
        while (m_thread.KeepRunning()) m_thread.WaitStop(EventObject::kInfinite);
        m_stoppedCleanly = true;
    }
    bool StoppedCleanly() const { return m_stoppedCleanly; }

private:
    Thread& m_thread;
    volatile bool m_stoppedCleanly = false;
};

class JoinFromInside {
public:
    explicit JoinFromInside(Thread& thread) : m_thread(thread) {}
    void Body() { m_result = m_thread.Join(); }
    std::int32_t Result() const { return m_result; }

private:
    Thread& m_thread;
    std::int32_t m_result = -1;
};

class StartFromInside {
public:
    explicit StartFromInside(Thread& thread) : m_thread(thread) {}
    void Body() { m_result = m_thread.Start(); }
    std::int32_t Result() const { return m_result; }

private:
    Thread& m_thread;
    std::int32_t m_result = -1;
};

class RunOverride : public Thread {
public:
    void Run() override { m_ranOn = GetCurrentThreadId(); }
    DWORD RanOn() const { return m_ranOn; }

private:
    volatile DWORD m_ranOn = 0;
};

}  // namespace

TEST(EventObject, RemembersSetAndResetButNotConsumingWaits) {
    EventObject event;
    EXPECT_EQ(EventObject::kTimedOut, event.Wait(0));
    event.Set();
    EXPECT_TRUE(event.IsSet());
    EXPECT_EQ(EventObject::kSignalled, event.Wait(0));
    // Auto-reset: the wait took the signal, the remembered state stays.
    EXPECT_EQ(EventObject::kTimedOut, event.Wait(0));
    EXPECT_TRUE(event.IsSet());
    event.Reset();
    EXPECT_FALSE(event.IsSet());
}

TEST(ThreadDelegate, CopiesShareTheBindingUntilTheLastRelease) {
    Counter counter;
    ThreadDelegate original = ThreadDelegate::Bind(&counter, &Counter::Increment);
    ThreadDelegate copy = original;
    EXPECT_TRUE(copy.SharesWith(original));
    original.Release();
    EXPECT_TRUE(original.IsEmpty());
    copy.Call();
    EXPECT_EQ(1, counter.Count());
    ThreadDelegate empty;
    empty.Call();
    copy = empty;
    EXPECT_TRUE(copy.IsEmpty());
}

TEST(Thread, DelegateBodyRunsAndItsEndRequestsStop) {
    Counter counter;
    Thread thread;
    ASSERT_EQ(Thread::kStarted,
              thread.SetDelegateAndStart(ThreadDelegate::Bind(&counter, &Counter::Increment)));
    EXPECT_NE(nullptr, thread.Handle());
    EXPECT_EQ(Thread::kJoined, thread.Join());
    EXPECT_EQ(1, counter.Count());
    EXPECT_FALSE(thread.KeepRunning());
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(nullptr, thread.Handle());
    EXPECT_EQ(static_cast<DWORD>(-1), thread.ThreadId());
}

TEST(Thread, RunningRightAfterStartUntilJoined) {
    Thread thread;
    Worker worker(thread);
    ASSERT_EQ(Thread::kStarted, thread.SetDelegateAndStart(ThreadDelegate::Bind(&worker, &Worker::Loop)));
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_TRUE(thread.KeepRunning());
    EXPECT_EQ(Thread::kJoined, thread.Join());
    EXPECT_TRUE(worker.StoppedCleanly());
    EXPECT_FALSE(thread.IsRunning());
}

TEST(Thread, JoinFromInsideTheBodyReturnsAtOnce) {
    Thread thread;
    JoinFromInside body(thread);
    ASSERT_TRUE(FinishesWithin(10000, [&] {
        thread.SetDelegateAndStart(ThreadDelegate::Bind(&body, &JoinFromInside::Body));
        thread.Join();
    }));
    EXPECT_EQ(Thread::kJoinSelf, body.Result());
}

// A run cannot be replaced from inside itself: it could not be joined, and its handle would be
// lost to the new run.
TEST(Thread, StartFromInsideTheBodyIsRefused) {
    Thread thread;
    StartFromInside body(thread);
    ASSERT_TRUE(FinishesWithin(10000, [&] {
        thread.SetDelegateAndStart(ThreadDelegate::Bind(&body, &StartFromInside::Body));
        thread.Join();
    }));
    EXPECT_EQ(Thread::kStartFailed, body.Result());
    EXPECT_EQ(nullptr, thread.Handle());
}

TEST(Thread, RunOverrideIsTheBodyWithoutDelegate) {
    RunOverride thread;
    ASSERT_EQ(Thread::kStarted, thread.Start());
    const DWORD id = thread.ThreadId();
    EXPECT_EQ(Thread::kJoined, thread.Join());
    EXPECT_EQ(id, thread.RanOn());
    EXPECT_NE(GetCurrentThreadId(), thread.RanOn());
}

// Restarting a thread whose body is just ending: the ending run takes the thread's lock to
// report its stop while the restart waits for it. The wait must not hold that lock.
// (The objects live on the heap and are left behind when a run hangs, so that the test fails
// instead of hanging in the destructor.)
TEST(Thread, RestartingAnEndingThreadNeverDeadlocks) {
    auto* counter = new Counter;
    auto* thread = new Thread;
    const int kRestarts = 300;
    ASSERT_TRUE(FinishesWithin(30000, [=] {
        for (int i = 0; i < kRestarts; ++i) {
            // Each run drops the object's delegate once its body has returned; bind it again.
            thread->SetDelegateAndStart(ThreadDelegate::Bind(counter, &Counter::Increment));
        }
        thread->Join();
    }));
    EXPECT_EQ(kRestarts, counter->Count());
    delete thread;
    delete counter;
}

TEST(Thread, RestartsFromSeveralThreadsAtOnce) {
    auto* counter = new Counter;
    auto* thread = new Thread;
    ASSERT_TRUE(FinishesWithin(30000, [=] {
        std::vector<std::thread> starters;
        for (int s = 0; s < 4; ++s) {
            starters.emplace_back([=] {
                for (int i = 0; i < 50; ++i) {
                    thread->SetDelegateAndStart(ThreadDelegate::Bind(counter, &Counter::Increment));
                }
            });
        }
        for (std::thread& starter : starters) starter.join();
        thread->Join();
    }));
    EXPECT_EQ(nullptr, thread->Handle());
    // A run whose binding a rival start had already used and dropped runs the empty base body,
    // so not every start counts; none counts twice.
    EXPECT_GT(counter->Count(), 0);
    EXPECT_LE(counter->Count(), 200);
    delete thread;
    delete counter;
}

// A failed wait leaves the handle with the object instead of forgetting (and leaking) it.
TEST(Thread, FailedJoinKeepsTheHandle) {
    Thread thread;
    Worker worker(thread);
    ASSERT_EQ(Thread::kStarted, thread.SetDelegateAndStart(ThreadDelegate::Bind(&worker, &Worker::Loop)));
    HANDLE ours = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread.Handle(), GetCurrentProcess(), &ours,
                                SYNCHRONIZE, FALSE, 0));
    HANDLE broken = thread.Handle();
    thread.RequestStop();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ours, 10000));
    CloseHandle(ours);
    CloseHandle(broken);  // the object's handle is no longer valid: its wait fails
    EXPECT_EQ(Thread::kJoinWaitFailed, thread.Join());
    EXPECT_EQ(broken, thread.Handle());
    EXPECT_EQ(Thread::kJoinWaitFailed, thread.Join());
}

namespace {

// COM's own count on this thread: 0 when COM is not entered. Probing enters COM once more and
// leaves it again, so the count stays as it was.
int ComEntered() {
    const HRESULT probe = CoInitialize(nullptr);
    if (FAILED(probe)) return -1;
    CoUninitialize();
    return probe == S_FALSE ? 1 : 0;
}

template <class Body>
void OnFreshThread(Body body) {
    ASSERT_TRUE(FinishesWithin(10000, body));
}

}  // namespace

TEST(ComInitForThread, CountsPerThreadAndEntersComOnce) {
    OnFreshThread([] {
        EXPECT_EQ(1, ComUninitForThread());
        EXPECT_EQ(0, ComInitForThread());
        EXPECT_EQ(0, ComInitForThread());
        EXPECT_EQ(1, ComEntered());
        EXPECT_EQ(0, ComUninitForThread());
        EXPECT_EQ(1, ComEntered());
        EXPECT_EQ(0, ComUninitForThread());
        EXPECT_EQ(0, ComEntered());
        EXPECT_EQ(1, ComUninitForThread());
    });
}

TEST(ComInitForThread, CountsAThreadThatOthersEnteredFirst) {
    OnFreshThread([] {
        ASSERT_EQ(S_OK, CoInitialize(nullptr));
        // COM answers S_FALSE here and counts the call; it needs its own CoUninitialize.
        EXPECT_EQ(0, ComInitForThread());
        EXPECT_EQ(0, ComUninitForThread());
        CoUninitialize();
        EXPECT_EQ(0, ComEntered());
    });
}

TEST(ComInitForThread, RefusedWhenTheThreadUsesAnotherApartment) {
    OnFreshThread([] {
        ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        EXPECT_EQ(1, ComInitForThread());
        EXPECT_EQ(1, ComUninitForThread());
        CoUninitialize();
    });
}
