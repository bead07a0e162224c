// PreloadSlots: the numbered file slots of the background preloader, apart from its thread (the
// thread is PreloadThread's). The game thread claims a run of slots as a batch and reads the
// slots that are finished; the loader loads the batch in order.
//
// Hand-over: a slot's busy byte is the only thing the two threads share while a batch runs. The
// loader clears it (release) once the slot's file is in memory; the game thread reads it
// (acquire) before it touches the slot. The paths, the folder and the slot arrays change only
// while no batch runs: Claim refuses then, and PreloadThread waits or joins first.
//
// A slot's data stays where it is until the slot is counted by CountLoaded (which closes every
// finished slot of the range it counts: the layer animation counts a row of slots as its release
// before it queues the row again), queued again or freed. A pointer from Data is good until then.
// A watcher hears when a slot's data comes and goes (the game makes it script memory meanwhile,
// which scripts may read and change in place).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/files/file_stream.h"

// Told of every slot's data while it lives. Allocated runs when the slots are replaced (false:
// the slots cannot be watched, and none are made); Loaded runs on the loader thread before the
// slot is handed over; Released and Freed run on the owner's thread before the data can go.
// The watcher outlives the slots it watches.
class PreloadSlotWatcher {
public:
    virtual bool Allocated(std::uint16_t count) = 0;
    virtual void Loaded(std::uint16_t slot, const void* data, std::uint32_t size) = 0;
    virtual void Released(std::uint16_t slot) = 0;
    virtual void Freed() = 0;

protected:
    ~PreloadSlotWatcher() = default;
};

class PreloadSlots {
public:
    // Results of Claim.
    enum : std::int32_t { kClaimed = 0, kBadRange = 1, kBatchRunning = 2, kNoMemory = 3 };

    explicit PreloadSlots(PreloadSlotWatcher* watcher = nullptr) : m_watcher(watcher) {}
    PreloadSlots(const PreloadSlots&) = delete;
    PreloadSlots& operator=(const PreloadSlots&) = delete;

    // Replaces the slots with n finished, empty ones (none for n = 0, or when memory runs out).
    // No batch may run.
    void Allocate(std::uint16_t n);
    void Free();
    // The folder that names queued afterwards are taken in: "<folder>\" (no separator added
    // after a '\' or '/'). Null or empty: names are taken as they are.
    void SetDirectory(const char* folder);
    const std::string& Directory() const { return m_directory; }

    // Claims slots first..first + count - 1 as the batch: marks them busy and copies each path
    // (the folder followed by the name), so the caller's names may change at once. A null name
    // gives a slot that loads nothing. kBadRange: no slots, count 0, the range beyond the slots
    // or no names; kBatchRunning: a batch has not ended (nothing changes); kNoMemory: the paths
    // cannot be copied (nothing changes).
    std::int32_t Claim(std::uint16_t first, std::uint16_t count, const char* const* names);
    // Ends a claimed batch without loading it: its slots finish empty.
    void Abandon();
    // The loader's side: loads the batch's slots in order, clearing each one's busy byte, and
    // then ends the batch. keepGoing(slot) is asked before each slot; false ends the batch there
    // and its remaining slots finish empty. Without a batch, nothing happens.
    void LoadBatch(const std::function<bool(std::uint16_t slot)>& keepGoing);
    bool BatchRunning() const { return m_batchRunning.load(std::memory_order_acquire); }

    // The slots of the range (cut to the slots there are) still busy, -1 without slots. Every
    // finished slot of the range is closed: its data is released.
    std::int32_t CountLoaded(std::uint16_t first, std::uint16_t count);
    // A finished slot's data and size; null and 0 for a busy, empty or unknown slot.
    void* Data(std::uint16_t i);
    std::uint32_t Size(std::uint16_t i);
    bool IsBusy(std::uint16_t i) const;
    std::uint16_t Count() const { return m_count; }

private:
    std::unique_ptr<FileStream[]> m_files;
    std::unique_ptr<std::string[]> m_paths;
    std::unique_ptr<std::atomic<std::uint8_t>[]> m_busy;
    PreloadSlotWatcher* m_watcher;
    std::uint16_t m_count = 0;
    std::string m_directory;
    std::uint16_t m_batchFirst = 0;
    std::uint16_t m_batchCount = 0;
    std::atomic<bool> m_batchRunning{false};
};
