// Thread: how every thread of the program is started. The body is either a ThreadDelegate or,
// without one, the subclass's Run. A thread is idle (no handle), running, or finished (its
// stop event set, its handle held until Join).
//
// The thread's own lock guards start, join, stop and the delegate. It is never held while
// Join waits: the ending thread takes it in RequestStop.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/runtime/event_object.h"
#include "framework/runtime/recursive_lock.h"
#include "framework/runtime/thread_delegate.h"

class Thread {
public:
    // Results of Start.
    enum : std::int32_t { kStarted = 0, kStartFailed = 1 };
    // Results of Join.
    enum : std::int32_t { kJoined = 0, kJoinWaitFailed = 1, kJoinSelf = 2 };

    Thread();
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // The body when no delegate is bound; the base does nothing. A subclass that overrides it
    // joins in its own destructor: by the time the base destructor joins, the subclass's
    // members are gone while its Run may still be using them.
    virtual void Run();
    virtual bool IsRunning();
    // True while no stop was requested since the last Start.
    virtual bool KeepRunning();
    virtual std::int32_t SetDelegateAndStart(const ThreadDelegate& delegate);
    // Stops and joins a previous run first; returns once the new thread runs.
    virtual std::int32_t Start();
    virtual void SetDelegate(const ThreadDelegate& delegate);
    // Requests a stop and waits for the thread to end. A failed wait keeps the handle, so a
    // later Join (or the destructor) still closes it.
    virtual std::int32_t Join();
    virtual void RequestStop();
    // True unless the wait timed out.
    virtual bool WaitStop(std::uint32_t ms);
    virtual DWORD ThreadId();
    virtual HANDLE Handle();

private:
    static unsigned __stdcall ThreadProc(void* argument);

    HANDLE m_handle;
    DWORD m_id;
    EventObject m_stopEvent;
    EventObject m_runningEvent;
    RecursiveLock m_lock;
    ThreadDelegate m_delegate;
    HANDLE m_startEvent;
    // Counts the runs, so that a Join that waited does not close the handle of a later run.
    std::uint32_t m_runs;
};
