#include "game/script/script_memory.h"

#include <windows.h>

#include <cstring>
#include <iterator>
#include <map>
#include <new>

#include "framework/runtime/recursive_lock.h"

namespace {

// Keyed by start; the value is {end, writable}.
struct RegionTail {
    std::uintptr_t end;
    bool writable;
};

struct RegionSet {
    RecursiveLock lock;
    std::map<std::uintptr_t, RegionTail> regions;
};

// Built on first use and never destroyed, so that owners dropping their regions at exit find it.
RegionSet& Regions() {
    static RegionSet* set = new RegionSet;
    return *set;
}

bool Find(std::uintptr_t address, ScriptMemoryRegion* region) {
    RegionSet& set = Regions();
    ScopedLock hold(set.lock);
    auto after = set.regions.upper_bound(address);
    if (after == set.regions.begin()) return false;
    const auto found = std::prev(after);
    if (address >= found->second.end) return false;
    *region = ScriptMemoryRegion{found->first, found->second.end, found->second.writable};
    return true;
}

bool ReadableProtection(DWORD protect) {
    if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
    return (protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                       PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

// Committed readable bytes from address, at most limit.
std::size_t CommittedReadable(std::uintptr_t address, std::size_t limit) {
    std::size_t total = 0;
    std::uintptr_t at = address;
    while (total < limit) {
        MEMORY_BASIC_INFORMATION info;
        if (VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof(info)) == 0) break;
        if (info.State != MEM_COMMIT || !ReadableProtection(info.Protect)) break;
        const std::uintptr_t regionEnd = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (regionEnd <= at) break;
        total += regionEnd - at;
        at = regionEnd;
    }
    return total < limit ? total : limit;
}

std::size_t Extent(std::uint32_t address, std::size_t limit) {
    if (address == 0) return 0;
    ScriptMemoryRegion region;
    if (Find(address, &region)) {
        const std::size_t rest = region.end - address;
        return rest < limit ? rest : limit;
    }
    return CommittedReadable(address, limit);
}

}  // namespace

namespace script_memory {

bool Register(const void* start, std::size_t size, bool writable) {
    const auto first = reinterpret_cast<std::uintptr_t>(start);
    if (start == nullptr || size == 0 || first + size < first) return false;
    RegionSet& set = Regions();
    ScopedLock hold(set.lock);
    try {
        set.regions[first] = RegionTail{first + size, writable};
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void Unregister(const void* start) {
    RegionSet& set = Regions();
    ScopedLock hold(set.lock);
    set.regions.erase(reinterpret_cast<std::uintptr_t>(start));
}

bool Lookup(std::uint32_t address, ScriptMemoryRegion* region) {
    ScriptMemoryRegion found;
    if (!Find(address, &found)) return false;
    if (region) *region = found;
    return true;
}

std::size_t WritableRoom(std::uint32_t address) {
    ScriptMemoryRegion region;
    if (!Find(address, &region) || !region.writable) return 0;
    return region.end - address;
}

bool IsWritable(std::uint32_t address, std::size_t size) {
    ScriptMemoryRegion region;
    return Find(address, &region) && region.writable && size <= region.end - address;
}

bool IsReadable(std::uint32_t address, std::size_t size) {
    ScriptMemoryRegion region;
    return Find(address, &region) && size <= region.end - address;
}

std::size_t ReadableExtent(std::uint32_t address, std::size_t limit) { return Extent(address, limit); }

std::size_t ArgumentWords(const std::uint32_t* block, std::size_t first, std::size_t limit) {
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t from = reinterpret_cast<std::uintptr_t>(block + first);
    const std::size_t cap = limit > SIZE_MAX / 4 ? SIZE_MAX : limit * 4;
    std::size_t bytes;
    ScriptMemoryRegion region;
    if (Find(start, &region)) {
        bytes = region.end > from ? region.end - from : 0;
        if (bytes > cap) bytes = cap;
    } else {
        const std::size_t skipped = first * 4;
        const std::size_t extent = CommittedReadable(start, cap > SIZE_MAX - skipped ? SIZE_MAX : cap + skipped);
        bytes = extent > skipped ? extent - skipped : 0;
    }
    return bytes / 4;
}

bool TextLength(std::uint32_t address, std::size_t* length, std::size_t limit) {
    const std::size_t extent = Extent(address, limit == SIZE_MAX ? limit : limit + 1);
    const char* text = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(address));
    const void* zero = extent ? std::memchr(text, 0, extent) : nullptr;
    if (!zero) return false;
    *length = static_cast<const char*>(zero) - text;
    return true;
}

bool WideTextLength(std::uint32_t address, std::size_t* length, std::size_t limit) {
    if (address % 2 != 0) return false;
    const std::size_t units = Extent(address, limit >= SIZE_MAX / 2 ? SIZE_MAX : (limit + 1) * 2) / 2;
    const wchar_t* text = reinterpret_cast<const wchar_t*>(static_cast<std::uintptr_t>(address));
    for (std::size_t i = 0; i < units; ++i) {
        if (text[i] == 0) {
            *length = i;
            return true;
        }
    }
    return false;
}

bool WriteWord(std::uint32_t address, std::uint32_t value) {
    if (!IsWritable(address, sizeof(value))) return false;
    std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)), &value, sizeof(value));
    return true;
}

}  // namespace script_memory

namespace {

class RegionScriptMemory final : public ScriptMemory {
public:
    void* WritableBytes(std::uint32_t address, std::uint32_t size) override {
        return script_memory::IsWritable(address, size) ? reinterpret_cast<void*>(static_cast<std::uintptr_t>(address))
                                                        : nullptr;
    }
};

}  // namespace

ScriptMemory& ProgramScriptMemory() {
    static RegionScriptMemory memory;
    return memory;
}

bool ScriptMemoryRegistration::Reset(const void* start, std::size_t size, bool writable) {
    if (m_start) {
        script_memory::Unregister(m_start);
        m_start = nullptr;
    }
    if (start == nullptr || size == 0) return true;
    if (!script_memory::Register(start, size, writable)) return false;
    m_start = start;
    return true;
}
