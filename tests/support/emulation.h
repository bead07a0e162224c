#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

namespace testsupport {

// scripts/env.sh sets SORAHANE_EMULATED_I386=1 where 32-bit code runs through qemu's user-mode
// emulation. There, a Wine process that runs several threads of its own at once crashes inside
// the emulator (a bare program starting two threads is enough), whatever the threads do.
inline bool RunningUnderI386Emulation() {
    const char* value = std::getenv("SORAHANE_EMULATED_I386");
    return value != nullptr && value[0] == '1';
}

}  // namespace testsupport

// For tests whose point is several threads running at once: they run wherever 32-bit code
// runs natively and are reported as skipped under the emulation.
#define SKIP_UNDER_I386_EMULATION()                                                     \
    do {                                                                                \
        if (testsupport::RunningUnderI386Emulation())                                   \
            GTEST_SKIP() << "several threads at once crash the i386 emulator this "     \
                            "machine runs Wine under";                                  \
    } while (0)
