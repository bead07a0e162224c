#include "framework/files/preload_thread.h"

PreloadThread::~PreloadThread() {
    // Joined here, while the slots still exist: the base destructor would join too late.
    StopAndFree();
}

std::int32_t PreloadThread::AllocateSlots(std::uint16_t n) {
    StopAndFree();
    // A thread that could not be joined still loads into the old slots.
    if (m_slots.BatchRunning()) return 0;
    m_slots.Allocate(n);
    return 0;
}

void PreloadThread::SetDirectory(const char* folder) {
    WaitIdle();
    m_slots.SetDirectory(folder);
}

std::int32_t PreloadThread::Queue(std::uint16_t first, std::uint16_t count, const char* const* names) {
    const std::int32_t claimed = m_slots.Claim(first, count, names);
    if (claimed == PreloadSlots::kBadRange) return kBadRange;
    if (claimed == PreloadSlots::kBatchRunning) return kBatchRunning;
    if (claimed != PreloadSlots::kClaimed) return kNotStarted;
    if (Start() != kStarted) {
        m_slots.Abandon();
        return kNotStarted;
    }
    return kQueued;
}

std::int32_t PreloadThread::WaitIdle() {
    if (!m_slots.BatchRunning()) return 0;
    while (m_slots.BatchRunning()) WaitStop(50);
    return 1;
}

void PreloadThread::StopAndFree() {
    if (Join() != kJoined) return;
    m_slots.Free();
}

void PreloadThread::Run() {
    m_slots.LoadBatch([this](std::uint16_t slot) {
        BeforeLoad(slot);
        return KeepRunning();
    });
}
