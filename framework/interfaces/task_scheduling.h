// Timed tasks and the scheduler that runs them.
//
// Effect objects, which DCP plug-ins may also supply, are ScheduledTasks that extend this
// table after its last slot, and a plug-in effect queues itself on the scheduler it is given.
// Both tables are therefore shared with other modules: slot 0 is the deleting destructor,
// every operation is __thiscall and none is overloaded. The task's default operations are
// defined in this header, so that a plug-in built from it needs none of the host's code; a
// plug-in reaches the scheduler only through its table.
//
// Ownership: a queued task belongs to its scheduler, which deletes it through slot 0 once it
// has finished, been cancelled or cleared, or when the scheduler itself goes. An owner that
// keeps a pointer to a queued task registers the pointer's address with SetOwner (or keeps a
// TaskPointer); the task writes null there when it is cancelled, cleared or deleted, and an
// owner that goes first drops its registration (TaskPointer does both), so neither side is
// left with a dangling pointer whichever goes first.
//
// Threads: a scheduler takes no lock; its user guards it when several threads reach it.
// Times are CurrentTimeMs values and are compared by signed difference, so that nothing fires
// early or stalls when the millisecond clock wraps.
#pragma once

#include <cstdint>
#include <cstring>
#include <list>

#include "framework/runtime/clock.h"
#include "framework/interfaces/cross_module.h"

class TaskScheduler;

class ScheduledTask {
public:
    // Slot 0.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    // Kind number, by which tasks are cancelled, paused and found in groups.
    virtual std::int32_t XM_METHOD Kind() { return 0; }
    // Non-zero when the task has finished.
    virtual std::int32_t XM_METHOD Step(std::uint32_t now) = 0;
    // The task is ended from outside (cancel, cancel by kind, clear): reach the end state now.
    virtual void XM_METHOD Finish() = 0;
    // Three slots that keep the table's layout; no task of the program gives them a meaning.
    virtual std::int32_t XM_METHOD ReservedSlot4() { return 0; }
    virtual bool XM_METHOD ReservedSlot5() { return false; }
    virtual bool XM_METHOD ReservedSlot6() { return false; }
    // Pauses nest; the first one records when the pause began.
    virtual void XM_METHOD Pause(std::uint32_t now) {
        if (m_pauseCount++ == 0) m_pauseStart = now;
    }
    // The last resume moves the due time on by the paused span. Nothing is returned: plug-in
    // effects implement this slot without a result.
    virtual void XM_METHOD Resume(std::uint32_t now) {
        // A resume without a pause (ResumeKind reaching a task queued after the PauseKind)
        // must not leave the task counting as paused, or it would never run again.
        if (m_pauseCount <= 0) return;
        if (--m_pauseCount > 0) return;
        m_dueTime += now - m_pauseStart;
    }

    // Registers the address of the owner's pointer to this task (any pointer-sized variable).
    template <class T>
    void SetOwner(T* ownerPointer) {
        static_assert(sizeof(T) == sizeof(void*), "the owner keeps a pointer-sized variable");
        m_owner = ownerPointer;
    }
    // Forgets the owner's pointer without touching it.
    void DropOwner() { m_owner = nullptr; }
    bool IsOwnedThrough(const void* ownerPointer) const { return m_owner == ownerPointer; }

    const void* Key() const { return m_key; }
    std::uint32_t DueTime() const { return m_dueTime; }
    std::uint32_t Period() const { return m_period; }
    std::uint32_t RemainingCount() const { return m_count; }
    bool IsFinished() const { return m_finished; }
    // A finished task is no longer stepped; its scheduler deletes it at its next run.
    void MarkFinished() { m_finished = true; }
    std::int32_t PauseCount() const { return m_pauseCount; }

protected:
    ScheduledTask() = default;
    // Writes null into the owner's pointer, so the owner sees that the task is gone.
    ~ScheduledTask() { ClearOwnerPointer(); }

private:
    friend class TaskScheduler;

    void ClearOwnerPointer() {
        // Written bytewise: the owner's variable may be of any pointer type (or a handle word).
        if (m_owner) std::memset(m_owner, 0, sizeof(void*));
        m_owner = nullptr;
    }

    const void* m_key = nullptr;
    std::uint32_t m_dueTime = 0;
    std::uint32_t m_period = 0;
    std::uint32_t m_count = 0;
    bool m_finished = false;
    std::int32_t m_pauseCount = 0;
    std::uint32_t m_pauseStart = 0;
    void* m_owner = nullptr;
};

// An owner's pointer to a queued task: null once the task is gone; when the pointer goes (or is
// re-pointed) first, the task forgets it.
template <class T>
class TaskPointer {
public:
    TaskPointer() = default;
    ~TaskPointer() { Reset(); }
    TaskPointer(const TaskPointer&) = delete;
    TaskPointer& operator=(const TaskPointer&) = delete;

    void Reset(T* task = nullptr) {
        if (m_task && m_task->IsOwnedThrough(&m_task)) m_task->DropOwner();
        m_task = task;
        if (task) task->SetOwner(&m_task);
    }
    T* Get() const { return m_task; }
    T* operator->() const { return m_task; }
    explicit operator bool() const { return m_task != nullptr; }

private:
    T* m_task = nullptr;
};

class TaskScheduler final {
public:
    // Results of Add.
    enum : std::int32_t { kAdded = 0, kNullTask = 1, kAlreadyQueued = 2 };

    explicit TaskScheduler(Clock& clock = SystemClock());
    // Deletes every task without finishing it; owners' pointers become null.
    ~TaskScheduler();
    TaskScheduler(const TaskScheduler&) = delete;
    TaskScheduler& operator=(const TaskScheduler&) = delete;

    // Slot 0.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags);
    // Queues the task: first due after `delay` ms, then every `period` ms (0: at every run)
    // for `count` steps (0: without end). On a non-zero result the caller still owns the task.
    virtual std::int32_t XM_METHOD Add(ScheduledTask* task, std::uint32_t delay,
                                       std::uint32_t period, std::uint32_t count);
    // Ends the first unfinished task with the key; true when there was one.
    virtual bool XM_METHOD Cancel(const void* key);
    virtual void XM_METHOD CancelKind(std::int32_t kind);
    virtual void XM_METHOD Clear();
    // Whether any queued task, finished or not, has the key (never dereferenced).
    virtual bool XM_METHOD Contains(const void* key);
    virtual void XM_METHOD SetNextTime(ScheduledTask* task, std::uint32_t delay);
    virtual bool XM_METHOD Pause(ScheduledTask* task);
    // A negative kind means every task.
    virtual void XM_METHOD PauseKind(std::int32_t kind);
    virtual bool XM_METHOD Resume(ScheduledTask* task);
    virtual void XM_METHOD ResumeKind(std::int32_t kind);
    // One step for every period missed. now 0: read the clock.
    virtual void XM_METHOD RunDueCatchUp(std::uint32_t now);
    // At most one step per task; missed periods are dropped. now 0: read the clock.
    virtual void XM_METHOD RunDue(std::uint32_t now);

    // The first unfinished task of the kind, or null.
    ScheduledTask* FindByKind(std::int32_t kind);
    std::int32_t TaskCount() const { return static_cast<std::int32_t>(m_tasks.size()); }

private:
    using TaskList = std::list<ScheduledTask*>;

    // Brackets every walk over the list that calls into tasks: while one is open, tasks may
    // add, cancel and clear, but nothing leaves the list except through the walking run.
    class Walk;

    TaskList::iterator Find(const ScheduledTask* task);
    void EndFromOutside(ScheduledTask* task);
    template <class StepDue>
    void RunWith(std::uint32_t now, StepDue stepDue);
    static void Delete(ScheduledTask* task);

    Clock& m_clock;
    TaskList m_tasks;
    std::int32_t m_walkDepth = 0;
};
