#include "tests/support/tmov_writer.h"

namespace testsupport {

std::vector<std::uint8_t> MakeTmov(const TmovMovie& movie) {
    std::vector<std::uint8_t> bytes(tmov::kMagic, tmov::kMagic + 4);
    for (std::uint32_t value : {movie.width, movie.height, movie.frames, movie.frameTimeMs, movie.flags,
                                static_cast<std::uint32_t>(movie.factoryResult)})
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    return bytes;
}

}  // namespace testsupport
