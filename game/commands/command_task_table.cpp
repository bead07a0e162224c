#include "game/commands/command_task_table.h"

#include <algorithm>
#include <utility>

#include "framework/interfaces/task_scheduling.h"

namespace {

std::uint32_t WordOf(const void* object) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(object));
}

}  // namespace

CommandTaskTable::~CommandTaskTable() { Clear(); }

void CommandTaskTable::EnterTask(TaskScheduler& scheduler, ScheduledTask* task, bool isEffect) {
    if (!task) return;
    DropEnded();
    if (Entry* const entry = Live(WordOf(task))) {
        entry->isEffect = entry->isEffect || isEffect;
        return;
    }
    m_entries.emplace_back();
    Entry& entry = m_entries.back();
    entry.task = task;
    entry.scheduler = &scheduler;
    entry.isEffect = isEffect;
    task->SetOwner(&entry.task);
}

void CommandTaskTable::AddObject(const ScheduledTask* task, std::uint32_t objectWord) {
    if (objectWord == 0) return;
    Entry* const entry = Live(WordOf(task));
    if (!entry) return;
    if (std::find(entry->objects.begin(), entry->objects.end(), objectWord) == entry->objects.end()) {
        entry->objects.push_back(objectWord);
    }
}

void CommandTaskTable::ForgetTask(const ScheduledTask* task) {
    Entry* const entry = Live(WordOf(task));
    if (!entry) return;
    if (entry->task->IsOwnedThrough(&entry->task)) entry->task->DropOwner();
    entry->task = nullptr;
    DropEnded();
}

std::int32_t CommandTaskTable::CancelUsersOf(std::uint32_t objectWord) {
    if (objectWord == 0) return 0;
    DropEnded();
    // Gathered first: a task that ends writes its entry's slot, and its Finish may start or end
    // other tasks.
    std::vector<std::pair<TaskScheduler*, ScheduledTask*>> users;
    for (const Entry& entry : m_entries) {
        if (entry.task && std::find(entry.objects.begin(), entry.objects.end(), objectWord) != entry.objects.end()) {
            users.emplace_back(entry.scheduler, entry.task);
        }
    }
    std::int32_t cancelled = 0;
    for (const auto& user : users) {
        // Compared as a key: a task that an earlier cancel's Finish ended is not touched.
        if (user.first->Cancel(user.second)) ++cancelled;
    }
    DropEnded();
    return cancelled;
}

ScheduledTask* CommandTaskTable::FindTask(std::uint32_t taskWord) {
    Entry* const entry = Live(taskWord);
    return entry ? entry->task : nullptr;
}

ScheduledTask* CommandTaskTable::FindEffect(std::uint32_t effectWord) {
    Entry* const entry = Live(effectWord);
    return entry && entry->isEffect ? entry->task : nullptr;
}

bool CommandTaskTable::Uses(std::uint32_t taskWord, std::uint32_t objectWord) {
    Entry* const entry = Live(taskWord);
    return entry && std::find(entry->objects.begin(), entry->objects.end(), objectWord) != entry->objects.end();
}

std::int32_t CommandTaskTable::LiveCount() {
    DropEnded();
    return static_cast<std::int32_t>(m_entries.size());
}

void CommandTaskTable::Clear() {
    for (Entry& entry : m_entries) {
        if (entry.task && entry.task->IsOwnedThrough(&entry.task)) entry.task->DropOwner();
    }
    m_entries.clear();
}

CommandTaskTable::Entry* CommandTaskTable::Live(std::uint32_t taskWord) {
    if (taskWord == 0) return nullptr;
    for (Entry& entry : m_entries) {
        if (entry.task && WordOf(entry.task) == taskWord) return &entry;
    }
    return nullptr;
}

void CommandTaskTable::DropEnded() {
    m_entries.remove_if([](const Entry& entry) { return entry.task == nullptr; });
}

CommandTaskTable& CommandTasks() {
    static CommandTaskTable table;
    return table;
}
