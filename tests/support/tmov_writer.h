// Writer of "TMOV" test movies (see tmov_format.h).
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/tmov_format.h"

namespace testsupport {

struct TmovMovie {
    std::uint32_t width = 16;
    std::uint32_t height = 8;
    std::uint32_t frames = 4;
    std::uint32_t frameTimeMs = 40;
    std::uint32_t flags = 0;
    std::int32_t factoryResult = 0;
};

std::vector<std::uint8_t> MakeTmov(const TmovMovie& movie);

}  // namespace testsupport
