// What the benchmarks that draw through qmxgl set up first: the base folder, the blend tables,
// the processor features and qmxgl.dll as the current pixel-operation library.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "framework/files/path_utilities.h"
#include "framework/system/cpu_info.h"
#include "graphics/compose/blend_tables.h"
#include "graphics/compose/pixel_op_library_loader.h"

namespace bench {

// The run count of the command line, or `fallback` when none (or none above 0) is given.
inline int RunsFromCommandLine(int argc, char** argv, int fallback) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 0;
    return runs > 0 ? runs : fallback;
}

class LibraryBench {
public:
    // `need` says what cannot be measured without the library.
    explicit LibraryBench(const char* need) : m_prepared(Prepare()), m_loader("qmxgl.dll", &g_cpuInfo) {
        if (m_loader.Module()) SetCurrentPixelOpLibrary(&m_loader);
        else std::printf("qmxgl.dll did not load; %s\n", need);
    }
    ~LibraryBench() {
        if (m_loader.Module()) SetCurrentPixelOpLibrary(nullptr);
    }
    LibraryBench(const LibraryBench&) = delete;
    LibraryBench& operator=(const LibraryBench&) = delete;

    bool Loaded() const { return m_loader.Module() != nullptr; }

private:
    static bool Prepare() {
        SetBaseDirectoryFromModule(nullptr);
        InitBlendTables();
        DetectProcessor();
        return true;
    }

    bool m_prepared;  // made first: the loader reads the processor features
    PixelOpLibraryLoader m_loader;
};

}  // namespace bench
