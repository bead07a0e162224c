// While a PoisonFreedMemory lives, every block this test program frees through operator delete
// is overwritten with 0xDD and kept (not handed back), so that a read of freed memory finds
// the poison instead of a look-alike object at a reused address. The order of the freed blocks
// is kept as well (FreedAt). One at a time, on the test's thread.
#pragma once

#include <cstddef>

namespace testsupport {

class PoisonFreedMemory {
public:
    PoisonFreedMemory();
    ~PoisonFreedMemory();
    PoisonFreedMemory(const PoisonFreedMemory&) = delete;
    PoisonFreedMemory& operator=(const PoisonFreedMemory&) = delete;

    // How many blocks were freed so far.
    std::size_t FreedCount() const;
    // Where p was freed in that order, or -1.
    int FreedAt(const void* p) const;
};

}  // namespace testsupport
