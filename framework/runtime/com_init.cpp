#include "framework/runtime/com_init.h"

#include <objbase.h>

#include <map>

#include "framework/runtime/recursive_lock.h"

namespace {

struct ComCounts {
    RecursiveLock lock;
    std::map<DWORD, std::int32_t> countByThread;
};

ComCounts& Counts() {
    static ComCounts counts;
    return counts;
}

}  // namespace

std::int32_t ComInitForThread() {
    ComCounts& counts = Counts();
    ScopedLock guard(counts.lock);
    std::int32_t& count = counts.countByThread[GetCurrentThreadId()];
    if (count == 0) {
        // S_FALSE (someone else entered COM on this thread) is an initialisation all the same:
        // COM counts it and needs its CoUninitialize.
        if (FAILED(CoInitialize(nullptr))) {
            counts.countByThread.erase(GetCurrentThreadId());
            return 1;
        }
    }
    ++count;
    return 0;
}

std::int32_t ComUninitForThread() {
    ComCounts& counts = Counts();
    ScopedLock guard(counts.lock);
    auto found = counts.countByThread.find(GetCurrentThreadId());
    if (found == counts.countByThread.end()) return 1;
    if (found->second == 1) {
        CoUninitialize();
        counts.countByThread.erase(found);
    } else {
        --found->second;
    }
    return 0;
}
