#include "framework/runtime/thread.h"

#include <process.h>

namespace {
const DWORD kNoThread = static_cast<DWORD>(-1);
}

Thread::Thread() : m_handle(nullptr), m_id(kNoThread), m_startEvent(nullptr), m_runs(0) {}

Thread::~Thread() {
    // A thread that cannot be joined keeps running without its object; its handle at least
    // does not outlive the object.
    if (Join() != kJoined && m_handle) CloseHandle(m_handle);
    m_delegate.Release();
}

void Thread::Run() {}

bool Thread::IsRunning() { return m_runningEvent.IsSet(); }

bool Thread::KeepRunning() { return !m_stopEvent.IsSet(); }

std::int32_t Thread::SetDelegateAndStart(const ThreadDelegate& delegate) {
    SetDelegate(delegate);
    return Start();
}

void Thread::SetDelegate(const ThreadDelegate& delegate) {
    ScopedLock guard(m_lock);
    m_delegate = delegate;
}

std::int32_t Thread::Start() {
    for (;;) {
        // Joined without the lock: the ending run needs it to report its stop.
        if (Join() != kJoined) return kStartFailed;
        ScopedLock guard(m_lock);
        // Another caller started a run while this one joined; that run is joined as well.
        if (m_handle) continue;
        m_stopEvent.Reset();
        m_runningEvent.Reset();
        m_startEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!m_startEvent) return kStartFailed;
        unsigned id = 0;
        const uintptr_t handle = _beginthreadex(nullptr, 0, &Thread::ThreadProc, this, 0, &id);
        std::int32_t result = kStartFailed;
        if (handle != 0 && handle != static_cast<uintptr_t>(-1)) {
            m_handle = reinterpret_cast<HANDLE>(handle);
            m_id = id;
            ++m_runs;
            // The new thread needs nothing of the lock before it signals.
            WaitForSingleObject(m_startEvent, INFINITE);
            result = kStarted;
        }
        CloseHandle(m_startEvent);
        m_startEvent = nullptr;
        return result;
    }
}

std::int32_t Thread::Join() {
    ScopedLock guard(m_lock);
    RequestStop();
    if (!m_handle) return kJoined;
    if (m_id == GetCurrentThreadId()) return kJoinSelf;
    // Each waiter waits on its own copy of the handle, so that whichever waiter closes the
    // thread's handle first cannot pull it from under another one.
    HANDLE waitHandle = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), m_handle, GetCurrentProcess(), &waitHandle,
                         SYNCHRONIZE, FALSE, 0)) {
        return kJoinWaitFailed;
    }
    const std::uint32_t run = m_runs;
    guard.Release();
    const DWORD waited = WaitForSingleObject(waitHandle, INFINITE);
    CloseHandle(waitHandle);
    guard.Acquire();
    if (waited != WAIT_OBJECT_0) return kJoinWaitFailed;
    if (m_handle && m_runs == run) {
        CloseHandle(m_handle);
        m_handle = nullptr;
        m_id = kNoThread;
    }
    return kJoined;
}

void Thread::RequestStop() {
    ScopedLock guard(m_lock);
    m_stopEvent.Set();
}

bool Thread::WaitStop(std::uint32_t ms) {
    return WaitForSingleObject(m_stopEvent.Handle(), ms) != WAIT_TIMEOUT;
}

DWORD Thread::ThreadId() { return m_id; }

HANDLE Thread::Handle() { return m_handle; }

unsigned __stdcall Thread::ThreadProc(void* argument) {
    Thread* thread = static_cast<Thread*>(argument);
    // Start holds the lock until the start event, so the delegate cannot change meanwhile.
    ThreadDelegate body = thread->m_delegate;
    thread->m_runningEvent.Set();
    SetEvent(thread->m_startEvent);
    if (!body.IsEmpty()) {
        body.Call();
        // The object's own reference goes with the run it bound, so a body that holds its
        // owner does not keep it alive; a delegate bound meanwhile for the next run stays.
        ScopedLock guard(thread->m_lock);
        if (thread->m_delegate.SharesWith(body)) thread->m_delegate.Release();
    } else {
        thread->Run();
    }
    thread->RequestStop();
    thread->m_runningEvent.Reset();
    body.Release();
    return 0;
}
