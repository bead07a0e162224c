#include "framework/plugins/plugin_object_tracker.h"

#include <map>
#include <new>
#include <vector>

#include "framework/runtime/recursive_lock.h"

namespace {

// Table words before slot 0 (run-time type information of either compiler family) are copied
// too, so a plug-in that looks at its own object's type still finds it.
constexpr std::uint32_t kPrefixWords = 2;
// A plug-in class may append operations of its own after the interface's; they are carried
// over as far as the plug-in's table memory goes.
constexpr std::uint32_t kSpareWords = 16;

struct HostTable {
    void** original = nullptr;
    std::vector<void*> words;  // prefix, then the slots
    std::uint32_t users = 0;

    void** Slots() { return words.data() + kPrefixWords; }
};

struct TrackedObject {
    HostTable* table;
    HMODULE module;
};

struct TrackerState {
    RecursiveLock lock;
    std::map<void**, HostTable*> tables;  // by original table
    std::map<void*, TrackedObject> objects;
};

TrackerState& State() {
    static TrackerState* state = new TrackerState;  // lives until the process ends
    return *state;
}

typedef void* (__thiscall* DeletingDestructorFunc)(void* self, std::uint32_t flags);

// Number of words readable from `address` on, up to `wanted`.
std::uint32_t ReadableWords(const void* address, std::uint32_t wanted) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(address, &info, sizeof info) != sizeof info || info.State != MEM_COMMIT) return 0;
    const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (!(info.Protect & readable) || (info.Protect & PAGE_GUARD)) return 0;
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
    const std::uintptr_t available = (end - reinterpret_cast<std::uintptr_t>(address)) / sizeof(void*);
    return available < wanted ? static_cast<std::uint32_t>(available) : wanted;
}

void ReleaseTable(TrackerState& state, HostTable* table) {
    if (--table->users > 0) return;
    state.tables.erase(table->original);
    delete table;
}

void* __thiscall DestroyTracked(void* self, std::uint32_t flags);

HostTable* TableFor(TrackerState& state, void** original, std::uint32_t slotCount) {
    auto found = state.tables.find(original);
    if (found != state.tables.end()) return found->second;
    HostTable* table = new HostTable;
    table->original = original;
    table->words.assign(kPrefixWords + slotCount + kSpareWords, nullptr);
    void** prefix = original - kPrefixWords;
    if (ReadableWords(prefix, kPrefixWords) == kPrefixWords) {
        for (std::uint32_t k = 0; k < kPrefixWords; ++k) table->words[k] = prefix[k];
    }
    const std::uint32_t copied = ReadableWords(original, slotCount + kSpareWords);
    for (std::uint32_t k = 0; k < copied; ++k) table->Slots()[k] = original[k];
    table->Slots()[0] = reinterpret_cast<void*>(&DestroyTracked);
    state.tables[original] = table;
    return table;
}

void* __thiscall DestroyTracked(void* self, std::uint32_t flags) {
    TrackerState& state = State();
    void** original = nullptr;
    HMODULE module = nullptr;
    {
        ScopedLock guard(state.lock);
        auto found = state.objects.find(self);
        if (found != state.objects.end()) {
            original = found->second.table->original;
            module = found->second.module;
            ReleaseTable(state, found->second.table);
            state.objects.erase(found);
        } else {
            // Not recorded under this address: the table the object points to still names the
            // original one.
            void** slots = *static_cast<void***>(self);
            for (auto& item : state.tables) {
                if (item.second->Slots() == slots) original = item.first;
            }
        }
    }
    if (!original) return self;
    *static_cast<void***>(self) = original;
    void* result = reinterpret_cast<DeletingDestructorFunc>(original[0])(self, flags);
    if (module) FreeLibrary(module);
    return result;
}

}  // namespace

namespace PluginObjectTracker {

bool Track(void* object, HMODULE module, std::uint32_t slotCount) {
    if (!object || !module) return false;
    HMODULE reference = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(module), &reference)) {
        return false;
    }
    TrackerState& state = State();
    HMODULE staleModule = nullptr;
    try {
        ScopedLock guard(state.lock);
        void** original = *static_cast<void***>(object);
        auto tracked = state.objects.find(object);
        if (tracked != state.objects.end() && tracked->second.table->Slots() == original) {
            // Already tracked: one module reference per object is enough.
            FreeLibrary(reference);
            return true;
        }
        HostTable* table = TableFor(state, original, slotCount);
        ++table->users;
        auto stale = state.objects.find(object);
        if (stale != state.objects.end()) {
            // A new object at a recorded address: the one recorded there is gone without
            // passing through its table, so its module reference is released now.
            staleModule = stale->second.module;
            ReleaseTable(state, stale->second.table);
            state.objects.erase(stale);
        }
        try {
            state.objects[object] = TrackedObject{table, reference};
        } catch (const std::bad_alloc&) {
            ReleaseTable(state, table);
            throw;
        }
        *static_cast<void***>(object) = table->Slots();
    } catch (const std::bad_alloc&) {
        FreeLibrary(reference);
        return false;
    }
    if (staleModule) FreeLibrary(staleModule);
    return true;
}

}  // namespace PluginObjectTracker
