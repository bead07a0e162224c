// CommandTaskTable: for every task a command started on a task scheduler, the listed objects
// (surfaces by either face, sprites, drawables, fonts, animation data) the task uses, so that
// no task runs on after an object it uses was deleted: before the screen device deletes a listed
// object, its deletion notice reaches the table, which cancels every task using the object (the
// task reaches its end state while the object is still whole, and the scheduler deletes it at
// its next run). The listener that relays the notices is set up with the command's screen
// device (device_command_services.h).
//
// The table registers itself as each entered task's owner (ScheduledTask::SetOwner), so an
// entry knows when its task was cancelled, cleared or deleted, whoever did it, and a later task
// at a freed task's address never inherits the old entry. A task has one owner slot: a command
// enters only tasks nobody else holds through SetOwner.
//
// Entries also say whether the task is an effect that command 218 made, which is how the effect
// commands tell an effect word from any other task's.
//
// Used on the thread that runs the scripts (the screen device's notices come from there too).
#pragma once

#include <cstdint>
#include <list>
#include <vector>

class ScheduledTask;
class TaskScheduler;

class CommandTaskTable final {
public:
    CommandTaskTable() = default;
    ~CommandTaskTable();
    CommandTaskTable(const CommandTaskTable&) = delete;
    CommandTaskTable& operator=(const CommandTaskTable&) = delete;

    // Enters a task that a command started (or is about to start) on the scheduler; entering
    // it again only adds what is new. isEffect marks an effect of command 218.
    void EnterTask(TaskScheduler& scheduler, ScheduledTask* task, bool isEffect = false);
    // Records that the task uses the object with that word: a listed object's address (either
    // face of a texture) or a screen's back buffer. Nothing for 0 or a task not entered.
    void AddObject(const ScheduledTask* task, std::uint32_t objectWord);
    // Takes the task out of the table (it forgets the table as its owner); for a task that never
    // started.
    void ForgetTask(const ScheduledTask* task);
    // Cancels every live task that uses the object; the number cancelled.
    std::int32_t CancelUsersOf(std::uint32_t objectWord);

    // The live entered task that the word names, or null (compared as a key, never touched).
    ScheduledTask* FindTask(std::uint32_t taskWord);
    // The same for an effect of command 218.
    ScheduledTask* FindEffect(std::uint32_t effectWord);
    bool Uses(std::uint32_t taskWord, std::uint32_t objectWord);
    // Entries whose tasks are still alive (ended ones are dropped first).
    std::int32_t LiveCount();
    // Lets go of every task (each one forgets the table as its owner).
    void Clear();

private:
    struct Entry {
        // Written null by the task when it is cancelled, cleared or deleted.
        ScheduledTask* task = nullptr;
        TaskScheduler* scheduler = nullptr;
        bool isEffect = false;
        std::vector<std::uint32_t> objects;
    };
    Entry* Live(std::uint32_t taskWord);
    void DropEnded();

    std::list<Entry> m_entries;
};

// The program's table.
CommandTaskTable& CommandTasks();
