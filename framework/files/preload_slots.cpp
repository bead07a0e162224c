#include "framework/files/preload_slots.h"

#include <algorithm>
#include <new>

#include "framework/files/path_utilities.h"

void PreloadSlots::Allocate(std::uint16_t n) {
    Free();
    if (n == 0) return;
    m_files.reset(new (std::nothrow) FileStream[n]);
    m_paths.reset(new (std::nothrow) std::string[n]);
    m_busy.reset(new (std::nothrow) std::atomic<std::uint8_t>[n]);
    if (!m_files || !m_paths || !m_busy || (m_watcher && !m_watcher->Allocated(n))) {
        Free();
        return;
    }
    for (std::uint16_t i = 0; i < n; ++i) m_busy[i].store(0, std::memory_order_relaxed);
    m_count = n;
}

void PreloadSlots::Free() {
    if (m_watcher) m_watcher->Freed();
    m_files.reset();
    m_paths.reset();
    m_busy.reset();
    m_count = 0;
    m_batchFirst = 0;
    m_batchCount = 0;
    m_batchRunning.store(false, std::memory_order_relaxed);
}

void PreloadSlots::SetDirectory(const char* folder) {
    if (!folder || !*folder) {
        m_directory.clear();
        return;
    }
    m_directory = folder;
    if (!EndsWithSeparator(folder)) m_directory += '\\';
}

std::int32_t PreloadSlots::Claim(std::uint16_t first, std::uint16_t count, const char* const* names) {
    if (m_count == 0 || count == 0 || !names || std::uint32_t{first} + count > m_count) return kBadRange;
    if (BatchRunning()) return kBatchRunning;
    std::unique_ptr<std::string[]> paths(new (std::nothrow) std::string[count]);
    if (!paths) return kNoMemory;
    try {
        for (std::uint16_t k = 0; k < count; ++k) {
            if (names[k]) paths[k] = m_directory + names[k];
        }
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
    for (std::uint16_t k = 0; k < count; ++k) {
        if (m_watcher) m_watcher->Released(static_cast<std::uint16_t>(first + k));
        m_paths[first + k].swap(paths[k]);
        m_busy[first + k].store(1, std::memory_order_relaxed);
    }
    m_batchFirst = first;
    m_batchCount = count;
    // The thread that will load the batch starts after this, which publishes the claim to it.
    m_batchRunning.store(true, std::memory_order_release);
    return kClaimed;
}

void PreloadSlots::Abandon() {
    LoadBatch([](std::uint16_t) { return false; });
}

void PreloadSlots::LoadBatch(const std::function<bool(std::uint16_t slot)>& keepGoing) {
    if (!BatchRunning()) return;
    const std::uint32_t end = std::uint32_t{m_batchFirst} + m_batchCount;
    std::uint32_t slot = m_batchFirst;
    for (; slot < end; ++slot) {
        if (!keepGoing(static_cast<std::uint16_t>(slot))) break;
        m_files[slot].LoadFile(m_paths[slot].c_str());
        if (m_watcher && m_files[slot].Data())
            m_watcher->Loaded(static_cast<std::uint16_t>(slot), m_files[slot].Data(), m_files[slot].Size());
        m_busy[slot].store(0, std::memory_order_release);
    }
    for (; slot < end; ++slot) {
        m_files[slot].Close();
        m_busy[slot].store(0, std::memory_order_release);
    }
    m_batchRunning.store(false, std::memory_order_release);
}

std::int32_t PreloadSlots::CountLoaded(std::uint16_t first, std::uint16_t count) {
    if (m_count == 0) return -1;
    const std::uint32_t end = std::min<std::uint32_t>(std::uint32_t{first} + count, m_count);
    std::int32_t busy = 0;
    for (std::uint32_t i = first; i < end; ++i) {
        if (m_busy[i].load(std::memory_order_acquire)) {
            ++busy;
        } else {
            if (m_watcher) m_watcher->Released(static_cast<std::uint16_t>(i));
            m_files[i].Close();
        }
    }
    return busy;
}

bool PreloadSlots::IsBusy(std::uint16_t i) const {
    return i < m_count && m_busy[i].load(std::memory_order_acquire) != 0;
}

void* PreloadSlots::Data(std::uint16_t i) {
    if (i >= m_count || IsBusy(i)) return nullptr;
    return m_files[i].Data();
}

std::uint32_t PreloadSlots::Size(std::uint16_t i) {
    if (i >= m_count || IsBusy(i)) return 0;
    return m_files[i].Size();
}
