#include "framework/interfaces/task_scheduling.h"

#include <iterator>

namespace {

// Wrap-safe: true when `now` is at or past `due`.
bool Reached(std::uint32_t now, std::uint32_t due) { return static_cast<std::int32_t>(now - due) >= 0; }

bool OfKind(ScheduledTask* task, std::int32_t kind) { return kind < 0 || task->Kind() == kind; }

}  // namespace

class TaskScheduler::Walk {
public:
    explicit Walk(TaskScheduler& scheduler) : m_scheduler(scheduler) { ++m_scheduler.m_walkDepth; }
    ~Walk() { --m_scheduler.m_walkDepth; }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;

    // Calls visit(it) for every task queued when the walk began; visit moves `it` on (past
    // the node it may have erased). Tasks added meanwhile wait for the next walk.
    template <class Visit>
    void ForEachQueued(Visit visit) {
        TaskList& tasks = m_scheduler.m_tasks;
        if (tasks.empty()) return;
        const TaskList::iterator last = std::prev(tasks.end());
        for (TaskList::iterator it = tasks.begin();;) {
            const bool atLast = it == last;
            visit(it);
            if (atLast) return;
        }
    }

private:
    TaskScheduler& m_scheduler;
};

TaskScheduler::TaskScheduler(Clock& clock) : m_clock(clock) {}

TaskScheduler::~TaskScheduler() {
    Walk walk(*this);
    while (!m_tasks.empty()) {
        ScheduledTask* task = m_tasks.front();
        m_tasks.pop_front();
        Delete(task);
    }
}

void* XM_METHOD TaskScheduler::DeletingDestructor(std::uint32_t flags) {
    this->~TaskScheduler();
    if (flags & xm::kDeleteMemory) ::operator delete(this);
    return this;
}

std::int32_t XM_METHOD TaskScheduler::Add(ScheduledTask* task, std::uint32_t delay,
                                          std::uint32_t period, std::uint32_t count) {
    if (!task) return kNullTask;
    if (Contains(task)) return kAlreadyQueued;
    task->m_key = task;
    task->m_dueTime = m_clock.Milliseconds() + delay;
    task->m_period = period;
    task->m_count = count;
    m_tasks.push_back(task);
    return kAdded;
}

bool XM_METHOD TaskScheduler::Cancel(const void* key) {
    Walk walk(*this);
    for (ScheduledTask* task : m_tasks) {
        if (task->m_key == key && !task->m_finished) {
            EndFromOutside(task);
            return true;
        }
    }
    return false;
}

void XM_METHOD TaskScheduler::CancelKind(std::int32_t kind) {
    Walk walk(*this);
    walk.ForEachQueued([&](TaskList::iterator& it) {
        ScheduledTask* task = *it++;
        if (!task->m_finished && task->Kind() == kind) EndFromOutside(task);
    });
}

void XM_METHOD TaskScheduler::Clear() {
    if (m_walkDepth > 0) {
        // Reached from a task that the scheduler is calling: the walk in progress still uses
        // the list, so the tasks are only ended here and the next run removes them.
        Walk walk(*this);
        walk.ForEachQueued([&](TaskList::iterator& it) {
            ScheduledTask* task = *it++;
            if (!task->m_finished) EndFromOutside(task);
        });
        return;
    }
    Walk walk(*this);
    TaskList doomed;
    doomed.swap(m_tasks);
    while (!doomed.empty()) {
        ScheduledTask* task = doomed.front();
        doomed.pop_front();
        if (!task->m_finished) {
            task->ClearOwnerPointer();
            task->Finish();
        }
        Delete(task);
    }
}

bool XM_METHOD TaskScheduler::Contains(const void* key) {
    for (ScheduledTask* task : m_tasks) {
        if (task->m_key == key) return true;
    }
    return false;
}

void XM_METHOD TaskScheduler::SetNextTime(ScheduledTask* task, std::uint32_t delay) {
    if (Find(task) != m_tasks.end()) task->m_dueTime = m_clock.Milliseconds() + delay;
}

bool XM_METHOD TaskScheduler::Pause(ScheduledTask* task) {
    if (Find(task) == m_tasks.end()) return false;
    Walk walk(*this);
    task->Pause(m_clock.Milliseconds());
    return true;
}

void XM_METHOD TaskScheduler::PauseKind(std::int32_t kind) {
    const std::uint32_t now = m_clock.Milliseconds();
    Walk walk(*this);
    walk.ForEachQueued([&](TaskList::iterator& it) {
        ScheduledTask* task = *it++;
        if (OfKind(task, kind)) task->Pause(now);
    });
}

bool XM_METHOD TaskScheduler::Resume(ScheduledTask* task) {
    if (Find(task) == m_tasks.end()) return false;
    Walk walk(*this);
    task->Resume(m_clock.Milliseconds());
    return true;
}

void XM_METHOD TaskScheduler::ResumeKind(std::int32_t kind) {
    const std::uint32_t now = m_clock.Milliseconds();
    Walk walk(*this);
    walk.ForEachQueued([&](TaskList::iterator& it) {
        ScheduledTask* task = *it++;
        if (OfKind(task, kind)) task->Resume(now);
    });
}

void XM_METHOD TaskScheduler::RunDueCatchUp(std::uint32_t now) {
    RunWith(now, [](ScheduledTask* task, std::uint32_t now) {
        for (;;) {
            if (task->Step(now) != 0 || task->m_finished) return true;
            if (task->m_count != 0 && --task->m_count == 0) return true;
            if (task->m_period == 0 || task->m_pauseCount > 0) return false;
            task->m_dueTime += task->m_period;
            if (!Reached(now, task->m_dueTime)) return false;
        }
    });
}

void XM_METHOD TaskScheduler::RunDue(std::uint32_t now) {
    RunWith(now, [](ScheduledTask* task, std::uint32_t now) {
        if (task->Step(now) != 0 || task->m_finished) return true;
        const bool countedOut = task->m_count != 0 && --task->m_count == 0;
        if (task->m_period != 0) {
            task->m_dueTime += task->m_period;
            // Missed periods are dropped, not caught up.
            if (Reached(now, task->m_dueTime)) task->m_dueTime = now + task->m_period;
        }
        return countedOut;
    });
}

ScheduledTask* TaskScheduler::FindByKind(std::int32_t kind) {
    for (ScheduledTask* task : m_tasks) {
        if (!task->m_finished && task->Kind() == kind) return task;
    }
    return nullptr;
}

template <class StepDue>
void TaskScheduler::RunWith(std::uint32_t now, StepDue stepDue) {
    // A run from inside a task that this scheduler is calling would step tasks twice and
    // remove nodes under the walk in progress.
    if (m_walkDepth > 0) return;
    if (now == 0) now = m_clock.Milliseconds();
    Walk walk(*this);
    walk.ForEachQueued([&](TaskList::iterator& it) {
        ScheduledTask* task = *it;
        bool finished = task->m_finished;
        if (!finished && task->m_pauseCount == 0 && Reached(now, task->m_dueTime)) {
            finished = stepDue(task, now);
        }
        if (!finished) {
            ++it;
            return;
        }
        task->m_finished = true;
        it = m_tasks.erase(it);
        Delete(task);
    });
}

TaskScheduler::TaskList::iterator TaskScheduler::Find(const ScheduledTask* task) {
    for (TaskList::iterator it = m_tasks.begin(); it != m_tasks.end(); ++it) {
        if (*it == task) return it;
    }
    return m_tasks.end();
}

void TaskScheduler::EndFromOutside(ScheduledTask* task) {
    task->ClearOwnerPointer();
    task->m_finished = true;
    task->Finish();
}

void TaskScheduler::Delete(ScheduledTask* task) { task->DeletingDestructor(xm::kDeleteMemory); }
