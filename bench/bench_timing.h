// Timing for the benchmark programs: the best time of several whole-picture passes, and the
// memcpy rate that the kernels' rates are compared with.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <functional>

namespace bench {

inline double Seconds() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Best time of one whole-picture pass over `runs` runs.
inline double Best(int runs, const std::function<void()>& pass) {
    pass();  // warm the caches and the page tables
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double start = Seconds();
        pass();
        const double elapsed = Seconds() - start;
        if (elapsed < best) best = elapsed;
    }
    return best;
}

// Megapixels per second of a memcpy of `pixels` 32-bit pixels from `src` to `dst`.
inline double MemcpyRate(int runs, void* dst, const void* src, std::size_t pixels) {
    const double seconds = Best(runs, [&] { std::memcpy(dst, src, pixels * 4); });
    return static_cast<double>(pixels) / seconds / 1e6;
}

}  // namespace bench
