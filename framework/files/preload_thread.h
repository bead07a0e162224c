// PreloadThread: loads files into numbered slots on a thread of its own, ahead of their use
// (the frames of the layer animation, files that scripts ask for). The game thread queues a
// batch, goes on, and reads each slot once it has finished; the slots, the folder and the
// batch change only while no batch runs (see PreloadSlots for the hand-over and for how long
// a slot's data lives).
#pragma once

#include <cstdint>

#include "framework/runtime/thread.h"
#include "framework/files/preload_slots.h"

class PreloadThread : public Thread {
public:
    // Results of Queue.
    enum : std::int32_t { kQueued = 0, kBadRange = 1, kBatchRunning = 2, kNotStarted = 3 };

    explicit PreloadThread(PreloadSlotWatcher* watcher = nullptr) : m_slots(watcher) {}
    ~PreloadThread() override;

    // Stops the loader and frees the old slots, then makes n empty ones (none when memory runs
    // out). Returns 0.
    std::int32_t AllocateSlots(std::uint16_t n);
    // Waits for a running batch to end, then sets the folder that later names are taken in.
    void SetDirectory(const char* folder);
    // Queues names[0..count - 1] into slots first.. and starts the loader. The names are copied
    // here. kBadRange: no slots, count 0, the range beyond the slots or no names; kBatchRunning:
    // a batch has not ended (nothing changes); kNotStarted: the thread did not start or the
    // names could not be copied (nothing is queued).
    std::int32_t Queue(std::uint16_t first, std::uint16_t count, const char* const* names);
    // 1 once the running batch has ended (waiting in 50 ms steps of the thread's stop wait); 0
    // when no batch was running.
    std::int32_t WaitIdle();
    std::int32_t CountLoaded(std::uint16_t first, std::uint16_t count) { return m_slots.CountLoaded(first, count); }
    void* SlotData(std::uint16_t i) { return m_slots.Data(i); }
    std::uint32_t SlotSize(std::uint16_t i) { return m_slots.Size(i); }
    // Stops a running batch between two files, joins the thread and frees the slots. Slots the
    // thread may still reach (a join that failed) are kept.
    void StopAndFree();

    void Run() override;

protected:
    // Asked on the loader thread before each slot is loaded; the program's does nothing.
    virtual void BeforeLoad(std::uint16_t) {}

private:
    PreloadSlots m_slots;
};
